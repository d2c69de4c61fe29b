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

// How large the wheel's details are drawn: as in the draw window, or grown for a larger wheel.
struct Style
{
    double scale = 1; // hub, tip dot and line widths grow with it
    double numberPixels = -1; // sector numbers: below 0 the draw window's font, 0 none, else this height
    double rimWidth = 1;
    double spokeWidth = 1;
    double zeroLineWidth = 1;
    double pointerWidth = 1;

    // A wheel scale times the draw window's, with numbers numberPixels high (0: none).
    static Style grown(double scale, double numberPixels);
};

} // namespace wheel

// Paints the wheel, in the draw window and on the projector alike: the numbered spokes once per draw,
// then the pointer over them on every tick.
class WheelRenderer
{
public:
    // Clears the surface and draws rim, spokes, sector numbers and hub for count sectors, writing the
    // numbers through a new font object left in font. The result is kept as the surface's background.
    // Spokes so close at the rim that they fill the disc are painted as the disc, and numbers so close
    // that they make a solid ring as the ring; between, numbers are thinned to four per pixel of rim.
    static void DrawWheel(IDrawingSurface& surface, const wheel::Geometry& geometry, int count,
                          std::shared_ptr<APIFont>& font, const wheel::Style& style = {});

    // Puts the wheel back as DrawWheel left it and paints the pointer at angle over it.
    static void drawPointer(IDrawingSurface& surface, const wheel::Geometry& geometry, double angle,
                            const wheel::Style& style = {});
    // The zero line, the pointer at angle, its tip and the hub, over whatever the surface holds.
    static void paintPointer(IDrawingSurface& surface, const wheel::Geometry& geometry, double angle,
                             const wheel::Style& style = {});
};

} // namespace pelorin
