#pragma once

#include <QImage>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace pelorin {

struct AppContext;
class RollingDisplay;

// "Pelorin 大屏": the draw shown large for a room, painted from the same wheel state as the draw window
// (never a copy of its pixels), so lines stay sharp at any size. It only reads the draw; Enter asks for
// start/stop and Esc closes it.
class ProjectorWindow : public QWidget
{
    Q_OBJECT
public:
    ProjectorWindow(const AppContext& context, const RollingDisplay& display, QWidget* parent = nullptr);

    // Schedules a repaint of whatever changed since the last call; the window calls it on its own
    // timer, tests and benchmarks call it directly. Returns the region scheduled.
    QRegion sync();

    // Sector numbers are drawn up to this many sectors at the window's present size.
    int numberedUpTo() const;

signals:
    void startStopRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Layout
    {
        QRectF header;
        QRectF wheelBox;
        QPointF centre;
        double radius = 0; // pixels
        double ring = 0; // room for the numbers outside the rim
        QRectF list;
        QRectF name;
        double namePx = 0;
        double headerPx = 0;
        double listPx = 0;
    };
    Layout layoutFor(QSize size) const;
    double numberPx(int count) const;
    void rebuildWheel();
    QRegion pointerRegion(double degrees) const;
    QString headerText() const;

    const AppContext& m_context;
    const RollingDisplay& m_display;
    Layout m_layout;
    QImage m_wheel; // rim, spokes, numbers and hub of the present wheel at the window's size
    int m_wheelGeneration = -1;
    int m_wheelCount = -1;
    double m_pointer = 0;
    QString m_name;
    QString m_header;
    QStringList m_list;
    QTimer m_refresh;
};

} // namespace pelorin
