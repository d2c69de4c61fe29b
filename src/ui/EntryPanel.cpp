#include "ui/EntryPanel.h"

#include "ui/Fonts.h"
#include "ui/Layout.h"
#include "ui/Placement.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace pelorin {

namespace {

// Design sizes in twips.
constexpr int HeadingWidth = 9000;
constexpr int HeadingHeight = 255;
constexpr int HeadingTop = 600;
constexpr int TextAreaWidth = 6615;
constexpr int TextAreaHeight = 8000;
constexpr int HintHeight = 480;
constexpr int ButtonWidth = 1455;
constexpr int ButtonHeight = 495;

} // namespace

EntryPanel::EntryPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture6"));
    setAccessibleName(QStringLiteral("手工录入面板"));
    setAutoFillBackground(true);

    heading = new QLabel(QStringLiteral("手工直接录入或者复制名单："), this);
    heading->setObjectName(QStringLiteral("Label12_0"));
    heading->setFont(fonts::song(9, true));
    ui::place(heading, 0, 0, HeadingWidth, HeadingHeight);

    textArea = new QPlainTextEdit(this);
    textArea->setObjectName(QStringLiteral("Text8"));
    textArea->setAccessibleName(QStringLiteral("手工录入名单"));
    textArea->setFont(fonts::song(10.5));
    textArea->setLineWrapMode(QPlainTextEdit::NoWrap);
    ui::place(textArea, 0, 0, TextAreaWidth, TextAreaHeight);

    hint = new QLabel(QStringLiteral("提示：名单请逐行录入，每个名单前后不含空格符或其它任何字符，回车换行就行。"),
                      this);
    hint->setObjectName(QStringLiteral("Label12_1"));
    hint->setAccessibleName(hint->text());
    hint->setWordWrap(true);
    hint->setFont(fonts::song(9));
    ui::place(hint, 0, 0, TextAreaWidth, HintHeight);

    confirm = new QPushButton(QStringLiteral("确定录入"), this);
    confirm->setObjectName(QStringLiteral("Command10"));
    confirm->setAccessibleName(confirm->text());
    confirm->setAutoDefault(true);
    ui::place(confirm, 0, 0, ButtonWidth, ButtonHeight);

    closeButton = new QPushButton(QStringLiteral("关闭输入窗口"), this);
    closeButton->setObjectName(QStringLiteral("Command18"));
    closeButton->setAccessibleName(closeButton->text());
    closeButton->setAutoDefault(true);
    ui::place(closeButton, 0, 0, ButtonWidth, ButtonHeight);
}

void EntryPanel::open(const QString& caption)
{
    heading->setText(caption);
    heading->setAccessibleName(caption);
    const EntryPanelPlaces places
        = entryPanelPlaces(QSize(HeadingWidth, HeadingHeight), QSize(TextAreaWidth, HintHeight),
                           QSize(ButtonWidth, ButtonHeight), QSize(ButtonWidth, ButtonHeight));
    ui::place(this, 0, 0, layout::WindowWidth, layout::WindowHeight);
    const std::pair<QWidget*, QRect> controls[] = { { heading, places.heading },
                                                    { hint, places.hint },
                                                    { textArea, places.textArea },
                                                    { confirm, places.confirm },
                                                    { closeButton, places.close } };
    show();
    raise();
    for (const auto& [control, twips] : controls) {
        ui::place(control, twips.x(), twips.y(), twips.width(), twips.height());
        control->show();
        control->raise();
    }
}

void EntryPanel::close()
{
    // Each control is hidden on its own: the panel is shown again, bare, behind the draw window.
    for (QWidget* control :
         { static_cast<QWidget*>(heading), static_cast<QWidget*>(hint), static_cast<QWidget*>(textArea),
           static_cast<QWidget*>(confirm), static_cast<QWidget*>(closeButton) })
        control->hide();
    hide();
}

QString EntryPanel::text() const
{
    // The document separates paragraphs with "\n" whatever line ends were typed or pasted.
    QString text = textArea->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

EntryPanelPlaces entryPanelPlaces(QSize heading, QSize hint, QSize confirm, QSize close)
{
    const int textLeft = (layout::WindowWidth - TextAreaWidth) / 2;
    EntryPanelPlaces p;
    p.heading = QRect(QPoint(textLeft, HeadingTop), heading);
    p.textArea = QRect(textLeft, p.heading.bottom() + 1 + 50, TextAreaWidth, TextAreaHeight);
    p.hint = QRect(QPoint(textLeft, p.textArea.bottom() + 1 + 100), hint);
    p.confirm = QRect(QPoint((layout::WindowWidth - confirm.width()) / 2, p.hint.bottom() + 1 + 200), confirm);
    p.close = QRect(QPoint(p.confirm.right() + 1 + 900, p.confirm.top()), close);
    return p;
}

} // namespace pelorin
