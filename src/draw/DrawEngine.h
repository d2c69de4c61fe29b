#pragma once

#include "draw/RollingDisplay.h"

namespace pelorin {

struct AppContext;

// Keys of the facts a start and a stop add to their command's record.
namespace drawnotes {
inline const QString Speed = QStringLiteral("speed"); // degrees per tick
inline const QString SlowStopOption = QStringLiteral("slowStopOption"); // 随机缓停 ticked at the start
inline const QString Name = QStringLiteral("name"); // the drawn name
inline const QString Sector = QStringLiteral("sector"); // its sector, 1 to wheelCount
inline const QString WheelCount = QStringLiteral("wheelCount");
inline const QString Angle = QStringLiteral("angle"); // the pointer at the stop, degrees within the lap
inline const QString Steps = QStringLiteral("steps"); // the same in steps of 1/wheelCount degree
// Where the pointer stood when the name box last changed; the same as steps unless the pointer had just
// passed into the stretch below the first sector, where the name box keeps its text.
inline const QString ShownSteps = QStringLiteral("shownSteps");
inline const QString SlowStop = QStringLiteral("slowStop"); // true when the name was taken after a run-out
inline const QString SlowStopPressAngle = QStringLiteral("slowStopPressAngle");
inline const QString SlowStopTurn = QStringLiteral("slowStopTurn"); // the further turn, in steps
} // namespace drawnotes

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
