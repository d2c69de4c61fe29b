#pragma once

#include "model/WheelGeometry.h"
#include "platform/Colour.h"

#include <cstdint>
#include <memory>

namespace pelorin {

class APIFont;
class IDrawingSurface;

namespace wheel {

constexpr Colour SpokeColour = rgb(255, 200, 0);
constexpr Colour ZeroLineColour = rgb(255, 0, 0);
constexpr Colour PointerColour = rgb(0, 30, 250);
constexpr Colour HubColour = rgb(100, 255, 100);
constexpr Colour RimColour = rgb(0, 200, 0);

} // namespace wheel

// Paints the wheel: the numbered spokes once per draw, then the pointer over them on every tick.
class WheelRenderer
{
public:
    // Clears the surface and draws rim, spokes, sector numbers and hub for count sectors, writing the
    // numbers through a new font object left in font. The result is kept as the surface's background.
    static void DrawWheel(IDrawingSurface& surface, const wheel::Geometry& geometry, int count,
                          std::shared_ptr<APIFont>& font);

    // Puts the wheel back as DrawWheel left it and draws the zero line, the pointer at angle, its tip and the hub.
    static void drawPointer(IDrawingSurface& surface, const wheel::Geometry& geometry, double angle);
};

} // namespace pelorin
