#pragma once

#include "platform/ITimer.h"

namespace pelorin::test {

// Ticks only when a test calls fire().
class FakeTimer : public ITimer
{
public:
    void setInterval(int milliseconds) override { m_interval = milliseconds; }
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    bool isEnabled() const override { return m_enabled; }
    void setOnTick(std::function<void()> onTick) override { m_onTick = std::move(onTick); }

    // One tick, as the running timer would deliver it; does nothing while disabled.
    void fire()
    {
        if (m_enabled && m_onTick)
            m_onTick();
    }
    void fire(int times)
    {
        for (int i = 0; i < times; ++i)
            fire();
    }

private:
    int m_interval = 0;
    bool m_enabled = false;
    std::function<void()> m_onTick;
};

} // namespace pelorin::test
