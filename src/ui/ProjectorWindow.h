#pragma once

#include <QStringList>
#include <QWidget>
#include <memory>

namespace pelorin {

class DrawProgress;
class APIFont;
class QtDrawingSurface;

// "Pelorin 大屏": the draw shown large for a room. It follows the session's draw as the draw window does
// and paints the wheel with the same painter at its own size (never a copy of the draw window's pixels),
// so lines stay sharp. It only reads the draw; Enter asks for start/stop and Esc closes it.
class ProjectorWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ProjectorWindow(const DrawProgress& draw, QWidget* parent = nullptr);
    ~ProjectorWindow() override;

    // Schedules a repaint of whatever changed since the last call; the window calls it whenever the draw
    // changes, tests and benchmarks call it directly. Returns the region scheduled.
    QRegion sync();
    // The region the last sync scheduled, whoever called it.
    const QRegion& lastScheduled() const { return m_lastScheduled; }

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

    const DrawProgress& m_draw;
    Layout m_layout;
    std::unique_ptr<QtDrawingSurface> m_wheel; // rim, spokes, numbers and hub of the present wheel
    std::shared_ptr<APIFont> m_font;
    int m_wheelGeneration = -1;
    int m_wheelCount = -1;
    double m_pointer = 0;
    QString m_name;
    QString m_header;
    QStringList m_list;
    QStringList m_facts; // a 见证摇号's list, before its first name: count, picks, fingerprint
    QString m_code;
    QRegion m_lastScheduled;
};

} // namespace pelorin
