#include "ui/CategoryPage.h"

#include "model/Session.h"
#include "ui/Fonts.h"
#include "ui/NameListView.h"
#include "ui/OnePress.h"
#include "ui/Placement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace pelorin {

namespace {

// Tab page controls are placed relative to the tab control; its page starts below the tab bar.
constexpr int PageTopTwips = 345;
constexpr int PageLeftTwips = 30;

void at(QWidget* w, int left, int top, int width, int height)
{
    ui::place(w, left - PageLeftTwips, top - PageTopTwips, width, height);
}

void atAutoSized(QWidget* w, int left, int top)
{
    ui::placeAutoSized(w, left - PageLeftTwips, top - PageTopTwips);
}

QString qs(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

CategoryPage::CategoryPage(Category category, QWidget* parent)
    : QWidget(parent)
    , m_category(category)
{
    const CategoryInfo& info = CategoryTable.at(static_cast<std::size_t>(category));
    const QString suffix = QStringLiteral("_%1").arg(category);
    const QColor red(255, 0, 0);
    const QColor blue(0, 0, 255);

    auto button = [&](const QString& name, const QString& caption, const QString& tip, int l, int t, int w, int h) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name + suffix);
        b->setToolTip(tip);
        b->setAccessibleName(caption);
        if (!tip.isEmpty())
            b->setAccessibleDescription(tip);
        b->setAutoDefault(true);
        at(b, l, t, w, h);
        return b;
    };
    auto label = [&](const QString& name, const QString& caption, const QFont& font, int l, int t) {
        auto* lb = new QLabel(caption, this);
        lb->setObjectName(name + suffix);
        lb->setFont(font);
        lb->setAccessibleName(caption);
        atAutoSized(lb, l, t);
        return lb;
    };
    auto list = [&](const QString& name, const QString& role, int l, int t, int w, int h) {
        auto* lw = new NameListView(this);
        lw->setObjectName(name + suffix);
        lw->setAccessibleName(role);
        at(lw, l, t, w, h);
        return lw;
    };
    const QFont normal = fonts::song(9);
    const QFont boldMid = fonts::song(10.5, true);

    importCandidates = button(QStringLiteral("Command3"), qs(info.importCaption), {}, 240, 720, 1455, 375);
    // Its accessible name is the count it shows, as every caption's is; the description says what it counts.
    candidateCounter = label(QStringLiteral("Label2"), QStringLiteral("XXXX"), normal, 1800, 840);
    candidateCounter->setAccessibleDescription(QStringLiteral("候选名单数量"));
    ui::setTextColour(candidateCounter, blue);
    candidateCounter->resize(layout::px(1200), candidateCounter->height());
    candidates = list(QStringLiteral("List1"), QStringLiteral("候选名单"), 240, 1080, 2775, 6360);
    clearCandidates = button(QStringLiteral("Command27"), QStringLiteral("清空"), {}, 240, 7560, 615, 375);
    deleteCandidate
        = button(QStringLiteral("Command4"), QStringLiteral("删选"), QStringLiteral("删除选中项"), 840, 7560, 615, 375);
    enterCandidates = button(QStringLiteral("Command9"), QStringLiteral("手工录入"),
                             QStringLiteral("手工录入或者复制名单"), 1440, 7560, 855, 375);
    shuffleCandidates = button(QStringLiteral("Command26"), QStringLiteral("重排序"), QStringLiteral("打乱排序"), 2280,
                               7560, 735, 375);

    importHistory = button(QStringLiteral("Command5"), QStringLiteral("导入历史摇中名单"), {}, 3240, 720, 1575, 375);
    enterHistory = button(QStringLiteral("Command23"), QStringLiteral("手工录入"), QStringLiteral("手工录入"), 4800,
                          720, 975, 375);
    history = list(QStringLiteral("List4"), QStringLiteral("历史摇中名单"), 3240, 1080, 2535, 2400);
    ui::setTextColour(history, blue);
    excludeHistory = button(QStringLiteral("Command6"), QStringLiteral("去已摇"), QStringLiteral("去除历史摇中名单"),
                            3240, 3480, 975, 375);
    deleteHistory = button(QStringLiteral("Command17"), QStringLiteral("删选项"), QStringLiteral("删除选中项"), 4200,
                           3480, 855, 375);
    clearHistory = button(QStringLiteral("Command7"), QStringLiteral("清空"), {}, 5040, 3480, 735, 375);

    presetLabel = label(QStringLiteral("Label4"), QStringLiteral("摇取"), boldMid, 3720, 4200);
    presetCount = new QLineEdit(QStringLiteral("1"), this);
    presetCount->setObjectName(QStringLiteral("Text3") + suffix);
    presetCount->setAccessibleName(QStringLiteral("预设摇取个数"));
    presetCount->setFont(fonts::song(12, true));
    ui::setTextColour(presetCount, red);
    presetCount->installEventFilter(this);
    // A held Enter opens one draw window, not one after every notice it answers.
    ui::OnePress::install(presetCount, ui::OnePress::DoubleClicks::Kept);
    at(presetCount, 4200, 4080, 735, 360);
    presetUnit = label(QStringLiteral("Label5"), qs(info.unitCaption), boldMid, 5040, 4200);

    drawButton = new QToolButton(this);
    drawButton->setObjectName(QStringLiteral("Picture5") + suffix);
    drawButton->setAccessibleName(QStringLiteral("摇号"));
    drawButton->setToolTip(QStringLiteral("摇号"));
    drawButton->setIcon(QIcon(QStringLiteral(":/images/draw-button.svg")));
    drawButton->setAutoRaise(true);
    drawButton->setCursor(Qt::PointingHandCursor);
    at(drawButton, 3720, 4560, 1500, 465);
    drawButton->setIconSize(drawButton->size() - QSize(4, 2));
    ui::OnePress::install(drawButton);

    resultsHeading = label(QStringLiteral("Label6"), QStringLiteral("摇出结果："), boldMid, 3240, 5280);
    drawnLabel = label(QStringLiteral("Label8"), qs(info.drawnCaption), normal, 3240, 5715);
    drawnCount = new QLineEdit(QStringLiteral("0"), this);
    drawnCount->setObjectName(QStringLiteral("Text6") + suffix);
    drawnCount->setAccessibleName(QStringLiteral("已摇取个数"));
    drawnCount->setFont(boldMid);
    ui::setTextColour(drawnCount, red);
    at(drawnCount, 4440, 5640, 615, 315);
    drawnUnit = label(QStringLiteral("Label11"), qs(info.unitCaption), normal, 5040, 5715);
    results = list(QStringLiteral("List5"), QStringLiteral("摇出结果名单"), 3240, 6000, 2535, 1500);
    ui::setTextColour(results, red);

    withdrawResults = button(QStringLiteral("Command21"), QStringLiteral("撤"), QStringLiteral("撤回已摇出的名单"),
                             3240, 7560, 495, 375);
    returnResult
        = button(QStringLiteral("Command20"), QStringLiteral("删"), QStringLiteral("删除选中项"), 3720, 7560, 495, 375);
    clearResults
        = button(QStringLiteral("Command8"), QStringLiteral("清"), QStringLiteral("清空列表"), 4200, 7560, 495, 375);
    copyResults = button(QStringLiteral("Command24"), QStringLiteral("复制"), {}, 4680, 7560, 495, 375);
    exportResults = button(QStringLiteral("Command13"), QStringLiteral("导出"), {}, 5160, 7560, 615, 375);
    // Beside the heading of the results, where nothing else stands; only while a substitute can be drawn.
    substitute = button(QStringLiteral("Substitute"), QStringLiteral("替补"),
                        QStringLiteral("撤下选中的摇出结果，由见证摇号的同一种子抽出替补"), 5160, 5220, 615, 375);
    substitute->setAccessibleName(QStringLiteral("替补"));
    substitute->hide();

    // Two captions stand twice on a page; their accessible names say which list each acts on.
    clearCandidates->setAccessibleName(QStringLiteral("清空候选名单"));
    enterCandidates->setAccessibleName(QStringLiteral("手工录入候选名单"));
    clearHistory->setAccessibleName(QStringLiteral("清空历史摇中名单"));
    enterHistory->setAccessibleName(QStringLiteral("手工录入历史摇中名单"));
}

void CategoryPage::bind(Session& session)
{
    candidates->setModel(&session.model(m_category, ListKind::Candidates));
    results->setModel(&session.model(m_category, ListKind::Results));
    history->setModel(&session.model(m_category, ListKind::History));
    showCounters(session);
    connect(&session, &Session::changed, this, [this, &session] { showCounters(session); });
    connect(&session, &Session::restored, this, [this, &session] { showCounters(session); });
    connect(presetCount, &QLineEdit::textChanged, &session,
            [this, &session](const QString& text) { session.setPreset(m_category, text); });
    connect(drawnCount, &QLineEdit::textChanged, &session,
            [this, &session](const QString& text) { session.setDrawn(m_category, text); });
}

void CategoryPage::showCounters(const Session& session)
{
    const QString count = session.candidateCounterText(m_category);
    candidateCounter->setText(count);
    candidateCounter->setAccessibleName(count);
    // Only a text that differs is written back, so that typing keeps its cursor.
    for (auto [field, text] : { std::pair { presetCount, session.presetText(m_category) },
                                std::pair { drawnCount, session.drawnText(m_category) } })
        if (field->text() != text)
            field->setText(text);
}

bool CategoryPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == presetCount && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit presetEnterPressed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pelorin
