#include "platform/qt/SurfaceView.h"

#include "platform/qt/QtDrawingSurface.h"

#include <QPaintEvent>
#include <QPainter>

namespace pelorin {

SurfaceView::SurfaceView(QtDrawingSurface* surface, QWidget* parent)
    : QWidget(parent)
    , m_surface(surface)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface->setOnChanged([this] { update(); });
}

void SurfaceView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.drawImage(event->rect(), m_surface->image(), event->rect());
}

} // namespace pelorin
