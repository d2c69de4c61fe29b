#pragma once

#include "ui/Layout.h"

#include <QWidget>

namespace pelorin::ui {

// Puts a widget at a place given in twips.
inline void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(layout::pxRect(left, top, width, height));
}

// Puts a label at a place given in twips, as wide as its text.
inline void placeAutoSized(QWidget* widget, int left, int top)
{
    widget->adjustSize();
    widget->move(layout::px(left), layout::px(top));
}

inline void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace pelorin::ui
