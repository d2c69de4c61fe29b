#include "ui/DrawWindowPlacement.h"

#include "ui/Layout.h"
#include "ui/Placement.h"

#include <QWidget>

namespace pelorin {

DrawWindowPlacement::DrawWindowPlacement(QWidget* window, QWidget* backdrop)
    : m_window(window)
    , m_backdrop(backdrop)
{
}

QRect DrawWindowPlacement::narrowBounds()
{
    using namespace layout;
    return QRect((WindowWidth - DrawWindowWidth) / 2, (WindowHeight - DrawWindowHeight) / 2 - DrawWindowOffset,
                 DrawWindowWidth, DrawWindowHeight);
}

QRect DrawWindowPlacement::wideBounds()
{
    using namespace layout;
    return QRect((WindowWidth - DrawWindowWideWidth) / 2, narrowBounds().top(), DrawWindowWideWidth, DrawWindowHeight);
}

namespace {

void placeAt(QWidget* widget, const QRect& twips)
{
    ui::place(widget, twips.x(), twips.y(), twips.width(), twips.height());
}

} // namespace

void DrawWindowPlacement::open()
{
    placeAt(m_backdrop, QRect(0, 0, layout::WindowWidth, layout::WindowHeight));
    placeAt(m_window, narrowBounds());
    for (QWidget* w : { m_backdrop, m_window }) {
        w->show();
        w->raise();
    }
}

void DrawWindowPlacement::widen()
{
    placeAt(m_window, wideBounds());
}

void DrawWindowPlacement::close()
{
    m_window->hide();
    placeAt(m_window, narrowBounds());
    m_backdrop->hide();
}

bool DrawWindowPlacement::isOpen() const
{
    return m_window->isVisibleTo(m_window->parentWidget());
}

} // namespace pelorin
