#pragma once

#include <QWidget>

namespace pelorin {

class QtDrawingSurface;

// Shows a drawing surface's image at its top-left corner.
class SurfaceView : public QWidget
{
    Q_OBJECT
public:
    explicit SurfaceView(QtDrawingSurface* surface, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QtDrawingSurface* m_surface;
};

} // namespace pelorin
