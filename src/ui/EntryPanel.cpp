#include "ui/EntryPanel.h"

#include "ui/Fonts.h"
#include "ui/Placement.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace pelorin {

EntryPanel::EntryPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture6"));
    setAccessibleName(QStringLiteral("手工录入面板"));
    setAutoFillBackground(true);

    heading = new QLabel(QStringLiteral("手工直接录入或者复制名单："), this);
    heading->setObjectName(QStringLiteral("Label12_0"));
    heading->setFont(fonts::song(9, true));
    ui::place(heading, 0, 0, 9000, 255);

    text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Text8"));
    text->setAccessibleName(QStringLiteral("手工录入名单"));
    text->setFont(fonts::song(10.5));
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    ui::place(text, 0, 0, 6615, 8000);

    hint = new QLabel(QStringLiteral("提示：名单请逐行录入，每个名单前后不含空格符或其它任何字符，回车换行就行。"),
                      this);
    hint->setObjectName(QStringLiteral("Label12_1"));
    hint->setAccessibleName(hint->text());
    hint->setWordWrap(true);
    hint->setFont(fonts::song(9));
    ui::place(hint, 0, 0, 6615, 480);

    confirm = new QPushButton(QStringLiteral("确定录入"), this);
    confirm->setObjectName(QStringLiteral("Command10"));
    confirm->setAccessibleName(confirm->text());
    confirm->setAutoDefault(true);
    ui::place(confirm, 0, 0, 1455, 495);

    close = new QPushButton(QStringLiteral("关闭输入窗口"), this);
    close->setObjectName(QStringLiteral("Command18"));
    close->setAccessibleName(close->text());
    close->setAutoDefault(true);
    ui::place(close, 0, 0, 1455, 495);
}

} // namespace pelorin
