#include "ui/OnePress.h"

#include <QAbstractButton>
#include <QKeyEvent>

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

// The keyboard repeats a held key as a release and a press with one time stamp. Qt marks the press as a
// repeat only when it finds it already queued behind the release, which it misses now and then while the
// wheel keeps the program busy; the equal time stamp tells it anyway.
bool OnePress::isRepeat(const QKeyEvent* key) const
{
    const quint64 releasedAt = isEnter(key) ? m_enterReleasedAt : m_spaceReleasedAt;
    return key->isAutoRepeat() || (key->timestamp() != 0 && key->timestamp() == releasedAt);
}

bool OnePress::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        // Qt delivers the second press of a double click to a widget as a double click alone, not as a press.
        return m_doubleClicks == DoubleClicks::Swallowed;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool press = event->type() == QEvent::KeyPress;
    if (isEnter(key)) {
        if (!press)
            m_enterReleasedAt = key->timestamp();
        else if (isRepeat(key))
            return true;
        return QObject::eventFilter(watched, event);
    }
    // A button clicks on the release of Space; a repeat's release is told from a real one only by the press
    // that follows it. So a button here clicks on the press of Space, once per press, as on Enter.
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button && key->key() == Qt::Key_Space) {
        if (!press)
            m_spaceReleasedAt = key->timestamp();
        else if (!isRepeat(key))
            button->click();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pelorin::ui
