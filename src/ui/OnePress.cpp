#include "ui/OnePress.h"

#include <QKeyEvent>
#include <QWidget>

namespace pelorin::ui {

void OnePress::install(QWidget* control)
{
    control->installEventFilter(new OnePress(control));
}

bool OnePress::isRepeat(const QEvent* event)
{
    // Qt delivers the second press of a double click to a widget as a double click alone, not as a press.
    if (event->type() == QEvent::MouseButtonDblClick)
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        return key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
    }
    return false;
}

bool OnePress::eventFilter(QObject* watched, QEvent* event)
{
    if (isRepeat(event))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace pelorin::ui
