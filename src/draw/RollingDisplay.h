#pragma once

#include "model/WheelGeometry.h"

#include <QString>
#include <cstdint>

namespace pelorin {

struct AppContext;

// The wheel while a draw runs: drawn once at start, then the pointer turns on every tick and the
// name box shows the candidate under it.
class RollingDisplay
{
public:
    explicit RollingDisplay(AppContext& context);

    // Draws the wheel for WheelCount sectors; nothing has been shown yet in this draw.
    void DrawWheel();
    // One tick of the roll timer.
    void tick();
    // Puts the pointer at step (1/WheelCount degree each) and the sector under it into the name box, as
    // a tick does; the run-out after a slow stop moves the pointer this way.
    void showAtStep(std::int64_t step);

    // The pointer's angle in degrees as last drawn, fractions included.
    double pointerDegrees() const { return m_pointerDegrees; }
    // The same position in steps of 1/WheelCount degree: whole, so a record of it is exact.
    std::int64_t pointerSteps() const { return m_pointerSteps; }
    // Goes up by one every time a wheel is drawn, so a view can tell a new wheel from the old.
    int wheelGeneration() const { return m_generation; }

    // True once a tick of the current draw put a sector into the name box.
    bool hasShownSector() const { return m_shown; }
    // The sector the last such tick put into the name box, and where the pointer stood then (in steps).
    int shownSector() const { return m_shownSector; }
    std::int64_t shownSteps() const { return m_shownSteps; }

private:
    wheel::Geometry geometry() const;

    AppContext& m_context;
    void showSector(int sector);

    bool m_shown = false;
    double m_pointerDegrees = 0;
    std::int64_t m_pointerSteps = 0;
    int m_shownSector = 0;
    std::int64_t m_shownSteps = 0;
    int m_generation = 0;
    QString m_shownText;
};

} // namespace pelorin
