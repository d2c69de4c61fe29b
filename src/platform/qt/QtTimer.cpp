#include "platform/qt/QtTimer.h"

namespace pelorin {

QtTimer::QtTimer()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_onTick)
            m_onTick();
    });
}

void QtTimer::setEnabled(bool enabled)
{
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace pelorin
