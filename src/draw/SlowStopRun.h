#pragma once

#include "model/SlowStop.h"

#include <functional>

namespace pelorin {

struct AppContext;
class RollingDisplay;

// "随机缓停" in the draw window: while it is ticked, a stop lets the pointer run out over a random
// further turn, and the name is taken only where it comes to rest.
class SlowStopRun
{
public:
    SlowStopRun(AppContext& context, RollingDisplay& display);

    bool isOptionOn() const;
    // False, with a notice, when the option is on and the speed box asks for less than the slowest run-out
    // speed. Other faults of the speed box are left to the start itself. Otherwise the option as it stands
    // now holds for this draw's stop: ticking or unticking the box while the wheel turns changes the next
    // draw, not this one.
    bool allowsStart();
    // Whether this draw's stop lets the pointer run out.
    bool isOnForThisDraw() const { return m_onForThisDraw; }
    // Starts the run-out from where the pointer stands, when the option is on and the wheel has shown a
    // sector; onRest is called on the tick on which it comes to rest. False when the stop is to take effect at once.
    bool begin(std::function<void()> onRest);
    bool isRunning() const { return m_motion.isRunning(); }
    // Ends a run-out without taking a name.
    void cancel() { m_motion.cancel(); }

    const SlowStop& motion() const { return m_motion; }

private:
    void tick();

    AppContext& m_context;
    RollingDisplay& m_display;
    SlowStop m_motion;
    std::function<void()> m_onRest;
    bool m_onForThisDraw = false;
};

} // namespace pelorin
