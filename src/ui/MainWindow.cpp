#include "ui/MainWindow.h"

#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IClock.h"
#include "platform/SystemRandom.h"
#include "platform/SystemSeedSource.h"
#include "platform/qt/ListWidgetNameList.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtDrawingSurface.h"
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtInputBox.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtSheetPdf.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtTimer.h"
#include "platform/qt/WidgetText.h"
#include "platform/qt/WidgetToggle.h"
#include "settings/DrawOptions.h"
#include "settings/SystemSettingsStore.h"
#include "ui/BottomBar.h"
#include "ui/CategoryPage.h"
#include "ui/Commands.h"
#include "ui/DrawWindowPanel.h"
#include "ui/DrawWindowPlacement.h"
#include "ui/EntryPanel.h"
#include "ui/Fonts.h"
#include "ui/Layout.h"
#include "ui/NameListView.h"
#include "ui/NamedComboAccessible.h"
#include "ui/Placement.h"
#include "ui/ProjectorControl.h"
#include "ui/ProjectorWindow.h"
#include "ui/TaskWindow.h"
#include "workbook/Spreadsheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolButton>

// Resources compiled into a static library must be registered by hand.
static void initResources()
{
    Q_INIT_RESOURCE(pelorin);
}

namespace pelorin {

template <typename T, typename... Args> T* MainWindow::keep(Args&&... args)
{
    auto owned = std::make_shared<T>(std::forward<Args>(args)...);
    m_owned.push_back(owned);
    return owned.get();
}

MainWindow::MainWindow(Services services, ITimer* rollTimer, QWidget* parent)
    : QWidget(parent)
    , m_exit([] { QCoreApplication::exit(0); })
{
    initResources();
    ui::NamedComboAccessible::install();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(text::windowCaption());
    setWindowIcon(QIcon(QStringLiteral(":/images/pelorin.svg")));
    setFont(fonts::song(9));
    // The window keeps its design size: nothing the user does can resize it.
    setFixedSize(layout::px(layout::WindowWidth), layout::px(layout::WindowHeight));

    buildHeadings();
    buildTabs();
    m_bottomBar = new BottomBar(this);
    m_bottomBar->setAccessibleName(QStringLiteral("底部按钮栏"));
    ui::place(m_bottomBar, 120, 9480, 12495, 615);
    buildPanels();

    fillServices(services, rollTimer);
    m_context.services = services;
    bindControls();
    m_commands = std::make_unique<Commands>(m_context);
    connectCommands();
    connectDrawOptions();
}

MainWindow::~MainWindow()
{
    // The roll timer may still tick into the commands while the widgets go.
    if (m_context.controls.draw.timer)
        m_context.controls.draw.timer->setEnabled(false);
}

void MainWindow::buildHeadings()
{
    const QString headings[] = { QStringLiteral("人员参与随机摇号："), QStringLiteral("企业参与随机摇号：") };
    const QString icons[] = { QStringLiteral(":/images/people.svg"), QStringLiteral(":/images/enterprise.svg") };
    const int labelLeft[] = { 600, 7200 };
    const int iconLeft[] = { 240, 6720 };
    for (int i = 0; i < 2; ++i) {
        auto* heading = new QLabel(headings[i], this);
        heading->setObjectName(QStringLiteral("Label3_%1").arg(i));
        heading->setAccessibleName(headings[i]);
        heading->setFont(fonts::song(12, true));
        ui::placeAutoSized(heading, labelLeft[i], 600);
        auto* icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("Picture3_%1").arg(i));
        icon->setAccessibleName(i == 0 ? QStringLiteral("人员图标") : QStringLiteral("企业图标"));
        icon->setPixmap(QIcon(icons[i]).pixmap(24, 24));
        ui::place(icon, iconLeft[i], 480, 360, 360);
    }
}

void MainWindow::buildTabs()
{
    m_tabs1 = new QTabWidget(this);
    m_tabs1->setObjectName(QStringLiteral("SSTab1"));
    m_tabs1->setAccessibleName(QStringLiteral("人员参与随机摇号"));
    ui::place(m_tabs1, 120, 1080, 6015, 8175);
    m_tabs2 = new QTabWidget(this);
    m_tabs2->setObjectName(QStringLiteral("SSTab2"));
    m_tabs2->setAccessibleName(QStringLiteral("企业参与随机摇号"));
    ui::place(m_tabs2, 6600, 1080, 6015, 8175);

    // Tabs in their fixed order: categories 0, 1, 2, 6 on the first control, 3, 4, 5 on the second.
    for (Category i : { 0, 1, 2, 6, 3, 4, 5 }) {
        const CategoryInfo& info = CategoryTable.at(static_cast<std::size_t>(i));
        QTabWidget* tabs = info.tabControl == 1 ? m_tabs1 : m_tabs2;
        auto* page = new CategoryPage(i, tabs);
        page->setObjectName(QStringLiteral("Page_%1").arg(i));
        page->setAccessibleName(QString::fromUtf8(info.tabCaption));
        tabs->addTab(page, QString::fromUtf8(info.tabCaption));
        m_pages.at(static_cast<std::size_t>(i)) = page;
    }
    m_tabs1->setCurrentIndex(3);
    m_tabs2->setCurrentIndex(0);
}

void MainWindow::buildPanels()
{
    m_entryPanel = new EntryPanel(this);
    m_entryPanel->hide();
    m_entryPanel->close();
    m_drawWindow = new DrawWindowPanel(this);
    m_drawWindow->hide();
}

void MainWindow::fillServices(Services& services, ITimer* rollTimer)
{
    if (!services.messageBox)
        services.messageBox = keep<QtMessageBox>(this);
    if (!services.inputBox)
        services.inputBox = keep<QtInputBox>(this);
    if (!services.fileDialog)
        services.fileDialog = keep<QtFileDialog>(this);
    if (!services.clipboard)
        services.clipboard = keep<QtClipboard>();
    if (!services.shell)
        services.shell = keep<QtShell>();
    if (!services.clock)
        services.clock = keep<SystemClock>();
    // A caller that scripts the picks scripts the shuffles with them: only the desktop's own random source
    // comes with the desktop's seeds.
    if (!services.random) {
        services.random = keep<SystemRandom>();
        if (!services.seeds)
            services.seeds = keep<SystemSeedSource>();
    }
    if (!services.settings)
        services.settings = keep<SystemSettingsStore>(services.messageBox);
    if (!services.spreadsheet)
        services.spreadsheet = keep<workbook::Spreadsheet>();
    if (!services.printer)
        services.printer = keep<QtSheetPdf>();
    if (services.programFolder.isEmpty())
        services.programFolder = QCoreApplication::applicationDirPath();
    m_context.controls.draw.timer = rollTimer ? rollTimer : keep<QtTimer>();
}

void MainWindow::bindControls()
{
    Controls& c = m_context.controls;
    m_session = new Session(this);
    m_context.session = m_session;
    for (Category i = 0; i < CategoryCount; ++i)
        page(i)->bind(*m_session);

    DrawWindowControls& d = c.draw;
    d.window = keep<DrawWindowPlacement>(m_drawWindow, m_entryPanel);
    d.presetBox = keep<WidgetText>(WidgetText::of(m_drawWindow->presetBox));
    d.drawnBox = keep<WidgetText>(WidgetText::of(m_drawWindow->drawnBox));
    d.nameBox = keep<WidgetText>(WidgetText::of(m_drawWindow->nameBox));
    d.recordCode = keep<WidgetText>(WidgetText::of(m_drawWindow->recordCode));
    d.ceremony = keep<WidgetText>([this] { return m_drawWindow->ceremony->text(); },
                                  [this](const QString& text) { m_drawWindow->showCeremony(text); });
    d.startStop = keep<WidgetText>(WidgetText::of(m_drawWindow->startStop));
    d.speedBox = keep<WidgetText>(WidgetText::of(m_drawWindow->speedBox));
    d.currentDraw = keep<ListWidgetNameList>(m_drawWindow->currentDraw);
    d.surface = m_drawWindow->surface();
    d.slowStop = keep<WidgetToggle>(m_drawWindow->slowStop);
    d.witnessed = keep<WidgetToggle>(m_drawWindow->witnessed);
    d.timer->setInterval(10);
    d.focusStartStop = [this] { m_drawWindow->startStop->setFocus(Qt::OtherFocusReason); };
    d.toggleProjector = [this] {
        if (m_projector)
            m_projector->toggle();
    };
    d.setBackgroundEnabled = [this](bool enabled) { setBackgroundEnabled(enabled); };
    // The draw button, not the preset field: Enter on it does nothing, so a stray key starts no new draw.
    d.focusPage = [this](Category i) { page(i)->drawButton->setFocus(Qt::OtherFocusReason); };

    c.entry = m_entryPanel;
}

void MainWindow::connectCommands()
{
    Commands& cmd = *m_commands;
    for (Category i = 0; i < CategoryCount; ++i) {
        CategoryPage* p = page(i);
        connect(p->importCandidates, &QPushButton::clicked, this, [&cmd, i] { cmd.import.importCandidates(i); });
        connect(p->importHistory, &QPushButton::clicked, this, [&cmd, i] { cmd.import.importHistory(i); });
        connect(p->clearCandidates, &QPushButton::clicked, this, [&cmd, i] { cmd.lists.clearCandidates(i); });
        connect(p->deleteCandidate, &QPushButton::clicked, this,
                [&cmd, i, p] { cmd.lists.deleteSelectedCandidate(i, p->candidates->selectedRow()); });
        connect(p->shuffleCandidates, &QPushButton::clicked, this, [&cmd, i] { cmd.lists.shuffleCandidates(i); });
        connect(p->enterCandidates, &QPushButton::clicked, this, [&cmd, i] { cmd.entry.openForCandidates(i); });
        connect(p->enterHistory, &QPushButton::clicked, this, [&cmd, i] { cmd.entry.openForHistory(i); });
        connect(p->excludeHistory, &QPushButton::clicked, this, [&cmd, i] { cmd.exclusion.removeDrawnNames(i); });
        connect(p->deleteHistory, &QPushButton::clicked, this,
                [&cmd, i, p] { cmd.lists.deleteSelectedHistory(i, p->history->selectedRow()); });
        connect(p->clearHistory, &QPushButton::clicked, this, [&cmd, i] { cmd.lists.clearHistory(i); });
        connect(p->drawButton, &QToolButton::clicked, this, [&cmd, i] { cmd.draw.open(i); });
        connect(p, &CategoryPage::presetEnterPressed, this, [&cmd, i] { cmd.draw.open(i); });
        connect(p->withdrawResults, &QPushButton::clicked, this, [&cmd, i] { cmd.lists.withdrawResults(i); });
        connect(p->returnResult, &QPushButton::clicked, this,
                [&cmd, i, p] { cmd.lists.returnSelectedResult(i, p->results->selectedRow()); });
        connect(p->clearResults, &QPushButton::clicked, this, [&cmd, i] { cmd.lists.clearResults(i); });
        connect(p->copyResults, &QPushButton::clicked, this, [&cmd, i] { cmd.clipboard.copyResults(i); });
        connect(p->exportResults, &QPushButton::clicked, this, [&cmd, i] { cmd.exporter.exportCategory(i); });
        connect(p->substitute, &QPushButton::clicked, this,
                [&cmd, i, p] { cmd.draw.substitute(i, p->results->selectedRow()); });
        // 替补 is offered while the category's completed 见证摇号 can draw a substitute.
        auto offerSubstitute
            = [this, i, p] { p->substitute->setVisible(session().progress().substituteStream(i) != nullptr); };
        connect(&session(), &Session::changed, p, offerSubstitute);
        connect(&session().progress(), &DrawProgress::changed, p, offerSubstitute);
    }
    connect(m_drawWindow->startStop, &QPushButton::clicked, this, [&cmd] { cmd.draw.startStop(); });
    connect(m_drawWindow->close, &QPushButton::clicked, this, [&cmd] { cmd.draw.close(); });
    connect(m_entryPanel->confirm, &QPushButton::clicked, this, [&cmd] { cmd.entry.commit(); });
    connect(m_entryPanel->closeButton, &QPushButton::clicked, this, [&cmd] { cmd.entry.close(); });

    connect(m_bottomBar->tasks, &QPushButton::clicked, this, [this, &cmd] {
        if (!m_taskWindow)
            m_taskWindow = new TaskWindow(cmd.tasks, *m_session, this);
        m_taskWindow->refresh();
        m_taskWindow->show();
        m_taskWindow->raise();
        m_taskWindow->activateWindow();
    });
    connect(m_bottomBar->drawRecord, &QPushButton::clicked, this, [&cmd] { cmd.record.writeRecord(); });
    connect(m_bottomBar->exportAll, &QPushButton::clicked, this, [&cmd] { cmd.exporter.exportAll(); });
    connect(m_bottomBar->templateDownload, &QPushButton::clicked, this,
            [&cmd] { cmd.exporter.openTemplateDownload(); });
    connect(m_bottomBar->updateDownload, &QPushButton::clicked, this,
            [this] { m_context.services.shell->open(links::updateDownload()); });
    connect(m_bottomBar->onlineEdition, &QPushButton::clicked, this,
            [this] { m_context.services.shell->open(links::onlineEdition()); });
    connect(m_bottomBar->exit, &QPushButton::clicked, this, [this] {
        if (m_commands->confirmExit()) {
            m_exiting = true;
            m_exit();
        }
    });
}

void MainWindow::connectDrawOptions()
{
    ISettingsStore& store = *m_context.services.settings;
    m_drawWindow->slowStop->setChecked(drawoptions::loadSlowStop(store));
    connect(m_drawWindow->slowStop, &QCheckBox::toggled, this,
            [&store](bool on) { drawoptions::saveSlowStop(store, on); });
    m_drawWindow->witnessed->setChecked(drawoptions::loadWitnessed(store));
    connect(m_drawWindow->witnessed, &QCheckBox::toggled, this,
            [&store](bool on) { drawoptions::saveWitnessed(store, on); });

    m_projector = new ProjectorControl(session().progress(), this);
    connect(m_drawWindow->projector, &QPushButton::clicked, m_projector, &ProjectorControl::toggle);
    auto* f11 = new QShortcut(QKeySequence(Qt::Key_F11), this);
    f11->setContext(Qt::WindowShortcut);
    connect(f11, &QShortcut::activated, m_projector, [this] {
        if (m_drawWindow->isVisible() || m_projector->window())
            m_projector->toggle();
    });
    connect(m_projector, &ProjectorControl::startStopRequested, this, [this] {
        if (m_drawWindow->isVisible())
            m_commands->draw.startStop();
    });
}

void MainWindow::setBackgroundEnabled(bool enabled)
{
    for (QWidget* w :
         { static_cast<QWidget*>(m_tabs1), static_cast<QWidget*>(m_tabs2), static_cast<QWidget*>(m_bottomBar) })
        w->setEnabled(enabled);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The design size is the outer size, frame and caption included: shrink the client area by the frame.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize outer(layout::px(layout::WindowWidth), layout::px(layout::WindowHeight));
    if (frame.width() > 0 && frame.height() > 0 && size() + frame != outer)
        setFixedSize(outer - frame);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_exiting || m_commands->confirmExit()) {
        m_exiting = true;
        event->accept();
        m_exit();
        return;
    }
    event->ignore();
}

} // namespace pelorin
