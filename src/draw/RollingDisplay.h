#pragma once

#include "draw/WheelGeometry.h"

#include <QString>

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

    // True once a tick of the current draw put a sector into the name box.
    bool hasShownSector() const { return m_shown; }
    // What the last such tick wrote into the name box.
    const QString& shownText() const { return m_shownText; }

private:
    wheel::Geometry geometry() const;

    AppContext& m_context;
    bool m_shown = false;
    QString m_shownText;
};

} // namespace pelorin
