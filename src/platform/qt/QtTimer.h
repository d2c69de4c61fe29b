#pragma once

#include "platform/ITimer.h"

#include <QTimer>

namespace pelorin {

// A precise QTimer: the coarse default may stretch a 10 ms period by 5%.
class QtTimer : public ITimer
{
public:
    QtTimer();
    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int interval() const override { return m_timer.interval(); }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_timer.isActive(); }
    void setOnTick(std::function<void()> onTick) override { m_onTick = std::move(onTick); }

private:
    QTimer m_timer;
    std::function<void()> m_onTick;
};

} // namespace pelorin
