#include "platform/qt/WidgetPanel.h"

#include "app/Layout.h"

#include <QWidget>

namespace pelorin {

WidgetPanel::WidgetPanel(QWidget* widget, const QRect& design)
    : m_widget(widget)
{
    setBounds(design);
}

void WidgetPanel::setVisible(bool visible)
{
    m_widget->setVisible(visible);
    if (visible)
        m_widget->raise();
}

bool WidgetPanel::isVisible() const
{
    return m_widget->isVisibleTo(m_widget->parentWidget());
}

void WidgetPanel::setBounds(const QRect& twips)
{
    m_twips = twips;
    m_widget->setGeometry(layout::pxRect(twips.x(), twips.y(), twips.width(), twips.height()));
}

} // namespace pelorin
