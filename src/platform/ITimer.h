#pragma once

#include <functional>

namespace pelorin {

// A periodic timer ticking on the user-interface thread.
class ITimer
{
public:
    virtual ~ITimer() = default;

    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    // The function called on every tick while enabled.
    virtual void setOnTick(std::function<void()> onTick) = 0;
};

} // namespace pelorin
