#pragma once

namespace pelorin {

struct AppContext;

// "随机缓停" in the draw window: while it is ticked, a stop lets the pointer run out over a random
// further turn, and the name is taken only where it comes to rest.
class SlowStopRun
{
public:
    explicit SlowStopRun(AppContext& context);

    bool isOptionOn() const;
    // False, with a notice, when the option is on and the speed box asks for less than the slowest run-out
    // speed. Other faults of the speed box are left to the start itself. Otherwise the option as it stands
    // now holds for this draw's stop: ticking or unticking the box while the wheel turns changes the next
    // draw, not this one.
    bool allowsStart();
    // Whether the draw about to start lets the pointer run out.
    bool isOnForThisDraw() const { return m_onForThisDraw; }
    // Starts the run-out from where the pointer stands, when this draw's option is on and the wheel has
    // shown a sector. False when the stop is to take effect at once.
    bool begin();
    bool isRunning() const;

private:
    AppContext& m_context;
    bool m_onForThisDraw = false;
};

} // namespace pelorin
