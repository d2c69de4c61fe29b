#pragma once

#include "platform/IPanel.h"

class QWidget;

namespace pelorin {

// A widget as a panel placed in twips.
class WidgetPanel : public IPanel
{
public:
    // design is the widget's place in twips; the widget is put there now.
    WidgetPanel(QWidget* widget, const QRect& design);

    void setVisible(bool visible) override;
    bool isVisible() const override;
    void setBounds(const QRect& twips) override;
    QRect bounds() const override { return m_twips; }

private:
    QWidget* m_widget;
    QRect m_twips;
};

} // namespace pelorin
