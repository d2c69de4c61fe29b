#include "ui/OnePress.h"

#include <QKeyEvent>
#include <QWidget>

namespace pelorin::ui {

namespace {

bool isEnter(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

OnePress::OnePress(QWidget* control, DoubleClicks doubleClicks)
    : QObject(control)
    , m_doubleClicks(doubleClicks)
{
}

void OnePress::install(QWidget* control, DoubleClicks doubleClicks)
{
    // Installed last, it sees the events before any other filter of the control.
    control->installEventFilter(new OnePress(control, doubleClicks));
}

bool OnePress::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        // Qt delivers the second press of a double click to a widget as a double click alone, not as a press.
        if (m_doubleClicks == DoubleClicks::Swallowed)
            return true;
        break;
    case QEvent::KeyRelease: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (isEnter(key))
            m_enterReleasedAt = key->timestamp();
        break;
    }
    case QEvent::KeyPress: {
        // The keyboard repeats a held key as a release and a press with one time stamp. Qt marks the press as
        // a repeat only when it finds it already queued behind the release, which it misses now and then
        // while the wheel keeps the program busy; the equal time stamp tells it anyway.
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (isEnter(key) && (key->isAutoRepeat() || (key->timestamp() != 0 && key->timestamp() == m_enterReleasedAt)))
            return true;
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pelorin::ui
