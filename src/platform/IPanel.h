#pragma once

#include <QRect>

namespace pelorin {

// A panel of the main window that can be shown, hidden, moved and resized. Units are twips.
class IPanel
{
public:
    virtual ~IPanel() = default;

    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    virtual void setBounds(const QRect& twips) = 0;
    virtual QRect bounds() const = 0;
};

} // namespace pelorin
