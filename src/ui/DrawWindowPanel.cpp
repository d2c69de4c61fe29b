#include "ui/DrawWindowPanel.h"

#include "platform/qt/QtDrawingSurface.h"
#include "platform/qt/SurfaceView.h"
#include "ui/Fonts.h"
#include "ui/Layout.h"
#include "ui/OnePress.h"
#include "ui/Placement.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace pelorin {

DrawWindowPanel::DrawWindowPanel(QWidget* parent)
    : QFrame(parent)
    , m_surface(std::make_unique<QtDrawingSurface>(
          QSize(layout::px(layout::DrawWindowWideWidth), layout::px(layout::DrawWindowHeight))))
{
    setObjectName(QStringLiteral("Picture1"));
    setAccessibleName(QStringLiteral("摇号窗口"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    auto* view = new SurfaceView(m_surface.get(), this);
    view->setObjectName(QStringLiteral("WheelView"));
    view->setAccessibleName(QStringLiteral("摇号转盘"));
    view->setGeometry(QRect(QPoint(0, 0), m_surface->image().size()));

    const QColor red(255, 0, 0);
    auto label = [&](const QString& name, const QString& caption, const QFont& font, int l, int t) {
        auto* lb = new QLabel(caption, this);
        lb->setObjectName(name);
        lb->setAccessibleName(caption);
        lb->setFont(font);
        ui::placeAutoSized(lb, l, t);
        return lb;
    };
    auto box = [&](const QString& name, const QString& role, int l, int t, int w, int h) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setAccessibleName(role);
        e->setFont(fonts::song(10.5, true));
        ui::setTextColour(e, red);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        ui::place(e, l, t, w, h);
        return e;
    };
    const QFont normal = fonts::song(9);

    label(QStringLiteral("Label1_1"), QStringLiteral("预摇："), fonts::fangSong(9), 120, 120);
    presetBox = box(QStringLiteral("Text7_0"), QStringLiteral("预摇个数"), 720, 60, 855, 255);
    label(QStringLiteral("Label1_2"), QStringLiteral("个"), normal, 1680, 120);
    label(QStringLiteral("Label1_3"), QStringLiteral("已摇："), normal, 120, 420);
    drawnBox = box(QStringLiteral("Text7_1"), QStringLiteral("已摇个数"), 720, 360, 855, 315);
    label(QStringLiteral("Label1_4"), QStringLiteral("个"), normal, 1680, 420);
    label(QStringLiteral("Label1_5"), QStringLiteral("（摇号或停止可用鼠标或键盘回车键进行）"), normal, 2040, 120);
    QLabel* speedLabel = label(QStringLiteral("Label1_0"), QStringLiteral("转速："), normal, 5640, 75);

    speedBox = new QComboBox(this);
    speedBox->setObjectName(QStringLiteral("Combo1"));
    speedBox->setAccessibleName(QStringLiteral("转速"));
    speedBox->setEditable(true);
    speedBox->setFont(fonts::song(10.5));
    speedBox->setInsertPolicy(QComboBox::NoInsert);
    speedBox->addItems({ QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("20") });
    speedBox->setCurrentIndex(1);
    ui::place(speedBox, 6240, 0, 735, 330);
    speedBox->lineEdit()->setAccessibleName(QStringLiteral("转速"));
    speedBox->view()->setAccessibleName(QStringLiteral("转速选项"));
    speedLabel->setBuddy(speedBox);
    // Once a speed is chosen or typed and confirmed, the keyboard goes back to the start/stop button, so the
    // next Enter starts or stops the draw as the hint above says. The confirming Enter does nothing else.
    const auto backToStartStop = [this] {
        if (startStop->isVisible())
            startStop->setFocus(Qt::OtherFocusReason);
    };
    connect(speedBox, &QComboBox::activated, this, backToStartStop);
    connect(speedBox->lineEdit(), &QLineEdit::returnPressed, this, backToStartStop);

    startStop = new QPushButton(QStringLiteral("开始摇号"), this);
    startStop->setObjectName(QStringLiteral("Command1"));
    startStop->setAccessibleName(QStringLiteral("开始摇号"));
    startStop->setAutoDefault(true);
    ui::place(startStop, 3000, 3840, 975, 495);
    close = new QPushButton(QStringLiteral("关闭摇窗"), this);
    close->setObjectName(QStringLiteral("Command14"));
    close->setAccessibleName(QStringLiteral("关闭摇窗"));
    close->setAutoDefault(true);
    ui::place(close, 3000, 4440, 975, 495);
    ui::OnePress::install(startStop);
    ui::OnePress::install(close);
    // A click on it closes the window at once and needs no focus; taking it would leave the focus here
    // after the swallowed second press of a double click on the draw button beneath, and the next Enter,
    // meant to stop the draw, would close the window.
    close->setFocusPolicy(Qt::TabFocus);

    // Read-only: the stop takes the name shown here, so nothing typed may become a drawn name.
    nameBox = new QLineEdit(this);
    nameBox->setObjectName(QStringLiteral("Text1"));
    nameBox->setAccessibleName(QStringLiteral("摇中名单"));
    nameBox->setReadOnly(true);
    nameBox->setFocusPolicy(Qt::NoFocus);
    nameBox->setFont(fonts::song(18));
    ui::setTextColour(nameBox, red);
    // On the window's bottom edge, inside its frame: at its design top (6480 twips) the box's lower edge fell
    // below the 7000-twip window and was cut off.
    ui::place(nameBox, 0, 6480, 6953, 555);
    nameBox->move(nameBox->x(), layout::px(layout::DrawWindowHeight) - frameWidth() - nameBox->height());

    // Both in corners below the wheel that neither the wheel nor its numbers reach. Tab reaches them after
    // the close button; a click does not take the keyboard, and once used, by key or by mouse, they hand it
    // back to the start/stop button as the speed box does, so that Enter goes on starting and stopping.
    slowStop = new QCheckBox(QStringLiteral("随机缓停"), this);
    slowStop->setObjectName(QStringLiteral("SlowStop"));
    slowStop->setAccessibleName(QStringLiteral("随机缓停"));
    slowStop->setAccessibleDescription(QStringLiteral("停止后指针再转1到3圈慢慢停下"));
    slowStop->setFont(normal);
    slowStop->setFocusPolicy(Qt::TabFocus);
    ui::place(slowStop, 120, 5955, 1260, 330);
    connect(slowStop, &QCheckBox::toggled, this, backToStartStop);
    // Read when the window opens: ticked, the next opening begins with the witnessed draw's steps.
    witnessed = new QCheckBox(QStringLiteral("见证摇号"), this);
    witnessed->setObjectName(QStringLiteral("Witnessed"));
    witnessed->setAccessibleName(QStringLiteral("见证摇号"));
    witnessed->setAccessibleDescription(QStringLiteral("下次打开摇号窗口时先公布承诺值，再由见证人输入数字"));
    witnessed->setFont(normal);
    witnessed->setFocusPolicy(Qt::TabFocus);
    ui::place(witnessed, 1440, 5955, 1260, 330);
    connect(witnessed, &QCheckBox::toggled, this, backToStartStop);
    projector = new QPushButton(QStringLiteral("大屏显示"), this);
    projector->setObjectName(QStringLiteral("Projector"));
    projector->setAccessibleName(QStringLiteral("大屏显示"));
    projector->setAccessibleDescription(QStringLiteral("在投影屏幕上全屏显示转盘"));
    projector->setFocusPolicy(Qt::TabFocus);
    ui::place(projector, 5640, 5895, 1290, 435);
    connect(projector, &QPushButton::clicked, this, backToStartStop);

    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("Line3"));
    separator->setAccessibleName(QStringLiteral("分隔线"));
    separator->setFrameShape(QFrame::VLine);
    separator->setGeometry(layout::px(7080), 0, 1, layout::px(6960));

    // Above the list, where the room sees it grow: the short code of the record's latest line.
    recordCode = label(QStringLiteral("RecordCode"), QString(), normal, 7200, 0);
    ui::place(recordCode, 7200, 0, 3015, 240);
    recordCode->setAccessibleName(QStringLiteral("记录校验码"));
    recordCode->setAccessibleDescription(QStringLiteral("摇号记录最新一行的 SHA-256 前8位"));
    ui::setTextColour(recordCode, QColor(0, 0, 160));
    QLabel* heading = label(QStringLiteral("Label1_6"), QStringLiteral("当前摇出名单："), normal, 7200, 240);
    ui::setTextColour(heading, QColor(0, 128, 0));
    currentDraw = new QListWidget(this);
    currentDraw->setObjectName(QStringLiteral("List2"));
    currentDraw->setAccessibleName(QStringLiteral("当前摇出名单"));
    currentDraw->setFont(fonts::song(10.5));
    currentDraw->setFocusPolicy(Qt::NoFocus);
    ui::setTextColour(currentDraw, red);
    ui::place(currentDraw, 7200, 480, 3015, 6360);
}

DrawWindowPanel::~DrawWindowPanel() = default;

} // namespace pelorin
