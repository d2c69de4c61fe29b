#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

namespace pelorin {

class DrawProgress;
class ProjectorWindow;

// Opens and closes "Pelorin 大屏" for the main window: the button "大屏显示" and F11 toggle it.
class ProjectorControl : public QObject
{
    Q_OBJECT
public:
    ProjectorControl(const DrawProgress& draw, QWidget* operatorWindow);
    ~ProjectorControl() override;

    void toggle();
    void open();
    void close();
    ProjectorWindow* window() const { return m_window; }

    // Of the screens' geometries, the one to fill: the first that does not hold the operator window's
    // centre when there are two or more, else the one that holds it (or the first).
    static int screenFor(const QList<QRect>& screens, QPoint operatorCentre);

signals:
    void startStopRequested();

private:
    const DrawProgress& m_draw;
    QWidget* m_operator;
    QPointer<ProjectorWindow> m_window;
};

} // namespace pelorin
