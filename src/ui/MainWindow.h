#pragma once

#include "commands/AppContext.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QTabWidget;

namespace pelorin {

class BottomBar;
class CategoryPage;
class Commands;
class DrawWindowPanel;
class EntryPanel;
class ITimer;
class Session;
class TaskWindow;
class ProjectorControl;

// The main window: builds the controls, hands them to the commands as interfaces, and forwards every
// click to a command. It holds no rule of its own.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // Services left empty are filled with the desktop's own; rollTimer defaults to a precise 10 ms timer.
    // Shuffles get seeds from the secure source unless random is given: then they take their picks from it.
    explicit MainWindow(Services services = {}, ITimer* rollTimer = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    AppContext& context() { return m_context; }
    Commands& commands() { return *m_commands; }
    // The session the pages show and the commands change.
    Session& session() { return *m_session; }
    CategoryPage* page(Category i) const { return m_pages.at(static_cast<std::size_t>(i)); }
    DrawWindowPanel* drawWindow() const { return m_drawWindow; }
    EntryPanel* entryPanel() const { return m_entryPanel; }
    ProjectorControl* projector() const { return m_projector; }
    // The 检查任务分配 window, made when first opened.
    TaskWindow* taskWindow() const { return m_taskWindow; }
    BottomBar* bottomBar() const { return m_bottomBar; }
    QTabWidget* inspectorTabs() const { return m_tabs1; }
    QTabWidget* enterpriseTabs() const { return m_tabs2; }
    // What a confirmed exit does; ends the application unless a test replaces it.
    void setExitHandler(std::function<void()> handler) { m_exit = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildHeadings();
    void buildTabs();
    void buildPanels();
    void fillServices(Services& services, ITimer* rollTimer);
    void bindControls();
    void connectCommands();
    void setBackgroundEnabled(bool enabled);
    void connectDrawOptions();

    template <typename T, typename... Args> T* keep(Args&&... args);

    AppContext m_context;
    Session* m_session = nullptr;
    std::unique_ptr<Commands> m_commands;
    std::array<CategoryPage*, CategoryCount> m_pages {};
    QTabWidget* m_tabs1 = nullptr;
    QTabWidget* m_tabs2 = nullptr;
    BottomBar* m_bottomBar = nullptr;
    DrawWindowPanel* m_drawWindow = nullptr;
    EntryPanel* m_entryPanel = nullptr;
    ProjectorControl* m_projector = nullptr;
    TaskWindow* m_taskWindow = nullptr;
    std::vector<std::shared_ptr<void>> m_owned; // adapters and desktop services
    std::function<void()> m_exit;
    bool m_exiting = false;
};

} // namespace pelorin
