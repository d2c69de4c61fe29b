#include "ui/ProjectorControl.h"

#include "ui/ProjectorWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace pelorin {

ProjectorControl::ProjectorControl(const DrawProgress& draw, QWidget* operatorWindow)
    : QObject(operatorWindow)
    , m_draw(draw)
    , m_operator(operatorWindow)
{
}

ProjectorControl::~ProjectorControl()
{
    delete m_window;
}

int ProjectorControl::screenFor(const QList<QRect>& screens, QPoint operatorCentre)
{
    if (screens.isEmpty())
        return -1;
    int holding = 0;
    for (int i = 0; i < screens.size(); ++i)
        if (screens[i].contains(operatorCentre)) {
            holding = i;
            break;
        }
    if (screens.size() < 2)
        return holding;
    for (int i = 0; i < screens.size(); ++i)
        if (i != holding)
            return i;
    return holding;
}

void ProjectorControl::toggle()
{
    if (m_window && m_window->isVisible())
        close();
    else
        open();
}

void ProjectorControl::open()
{
    if (m_window && m_window->isVisible())
        return;
    if (!m_window) {
        m_window = new ProjectorWindow(m_draw);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_window, &ProjectorWindow::startStopRequested, this, &ProjectorControl::startStopRequested);
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> areas;
    for (const QScreen* s : screens)
        areas.append(s->geometry());
    const int chosen = screenFor(areas, m_operator->frameGeometry().center());
    const bool elsewhere = screens.size() > 1;
    if (chosen >= 0) {
        m_window->setScreen(screens[chosen]);
        m_window->setGeometry(areas[chosen]);
    }
    // On a screen of its own the mirror must not take the keyboard from the operator's window.
    m_window->setAttribute(Qt::WA_ShowWithoutActivating, elsewhere);
    m_window->showFullScreen();
    m_window->sync();
    if (!elsewhere) {
        m_window->activateWindow();
        m_window->setFocus(Qt::OtherFocusReason);
    }
}

void ProjectorControl::close()
{
    if (m_window)
        m_window->close();
    if (m_operator)
        m_operator->activateWindow();
}

} // namespace pelorin
