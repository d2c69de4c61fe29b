#pragma once

#include <functional>

namespace pelorin {

struct AppContext;

// One draw is one start and one stop, and yields one name of the current category.
class DrawEngine
{
public:
    enum class StopOutcome
    {
        Ignored, // no sector shown yet in this draw: the wheel keeps turning
        Drawn, // a name was taken; the window waits for the next start
        Finished, // a name was taken and the preset count is reached; the window is to close
    };

    explicit DrawEngine(AppContext& context);

    // Shuffles the candidates, draws the wheel and sets the pointer turning; slowStopOn holds for this
    // draw's stop. False, with a notice, when there is nothing to draw or the speed box holds no usable speed.
    bool start(bool slowStopOn);
    StopOutcome stop();
    // Stops the pointer without taking a name.
    void halt();
    // Called on the tick on which a run-out comes to rest.
    void setOnRest(std::function<void()> onRest) { m_onRest = std::move(onRest); }

private:
    void notify(const QString& text);
    void tick();

    AppContext& m_context;
    std::function<void()> m_onRest;
};

} // namespace pelorin
