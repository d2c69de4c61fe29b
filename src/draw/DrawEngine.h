#pragma once

#include "draw/RollingDisplay.h"
#include "model/ChangeNotes.h"

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

    // Shuffles the candidates, draws the wheel and sets the pointer turning. False, with a notice, when
    // there is nothing to draw or the speed box holds no usable speed.
    bool start();
    StopOutcome stop();
    // Stops the pointer without taking a name.
    void halt();

    RollingDisplay& display() { return m_display; }

private:
    void notify(const QString& text);

    AppContext& m_context;
    RollingDisplay m_display;
};

} // namespace pelorin
