#include "draw/WheelRenderer.h"

#include "draw/DrawText.h"
#include "font/APIFont.h"
#include "platform/IDrawingSurface.h"

#include <algorithm>
#include <cmath>

namespace pelorin {

using namespace wheel;

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr Colour NumberColour = rgb(0, 0, 0); // the surface's text colour, which the wheel never changes

void drawHub(IDrawingSurface& surface, const Geometry& g, const Style& style)
{
    surface.setLineWidth(1);
    surface.setFillSolid(true);
    surface.setFillColour(HubColour);
    surface.circle(QPointF(g.centreX, g.centreY), HubRadius * style.scale, HubColour);
}

} // namespace

Style Style::grown(double scale, double numberPixels)
{
    Style s;
    s.scale = scale;
    s.numberPixels = numberPixels;
    s.rimWidth = std::max(1.0, scale);
    s.spokeWidth = std::max(1.0, scale * 0.8);
    s.zeroLineWidth = std::max(1.5, scale);
    s.pointerWidth = std::max(2.0, scale * 1.5);
    return s;
}

void WheelRenderer::DrawWheel(IDrawingSurface& surface, const Geometry& g, int count, std::shared_ptr<APIFont>& font,
                              const Style& style)
{
    const QPointF centre(g.centreX, g.centreY);
    const double radius = g.radius / TwipsPerPixel;
    surface.clear();
    surface.setFillSolid(true);
    surface.setFillSolid(false);
    surface.setLineWidth(style.rimWidth);
    surface.circle(centre, radius, RimColour);
    font = std::make_shared<APIFont>();
    if (style.numberPixels > 0) {
        font->setHeight(std::max(1, int(std::lround(style.numberPixels))));
        font->setWidth(std::max(1, int(std::lround(style.numberPixels / 3))));
    }
    surface.beginBatch();
    const double rimSpacing = count > 0 ? TwoPi * radius / count : 0;
    // Past four spokes to a pixel of rim the lines leave no gap: the disc they make is painted instead.
    const bool asDisc = count > 0 && rimSpacing < 0.25;
    // Past ten numbers to a pixel they overlap into a solid ring, painted as the ring; between one and ten,
    // four to a pixel already look the same as all of them.
    const bool numbered = style.numberPixels != 0 && count > 0;
    const bool asRing = numbered && rimSpacing < 0.1;
    const int stride = numbered && !asRing && rimSpacing < 0.25 ? int(std::ceil(0.25 / rimSpacing)) : 1;
    if (asRing) {
        // Each number stands on the rim and reaches out by its width, turned by its height.
        font->SelectFont(surface);
        const QString widest = zeroPad(count, count);
        const double reach = std::hypot(radius + surface.textWidth(widest), double(surface.textHeight(widest)));
        font->SelectOrg(surface);
        surface.setFillSolid(true);
        surface.setFillColour(NumberColour);
        surface.circle(centre, reach, NumberColour);
    }
    surface.setLineWidth(style.spokeWidth);
    if (asDisc) {
        surface.setFillSolid(true);
        surface.setFillColour(SpokeColour);
        surface.circle(centre, radius, SpokeColour);
    }
    surface.setFillSolid(false);
    for (int i = 1; i <= count; ++i) {
        const double angle = spokeAngle(i, count);
        const QPointF rim = rimPoint(g, angle);
        if (!asDisc)
            surface.line(centre, rim, SpokeColour);
        if (!numbered || asRing || (i - 1) % stride != 0)
            continue;
        font->setEscapement(numberEscapement(i, count));
        font->SelectFont(surface);
        font->FontOut(zeroPad(i, count), surface, rim.x(), rim.y());
        font->SelectOrg(surface);
    }
    if (style.rimWidth > 1) {
        surface.setLineWidth(style.rimWidth);
        surface.circle(centre, radius, RimColour);
    }
    drawHub(surface, g, style);
    surface.endBatch();
    surface.saveBackground();
}

void WheelRenderer::drawPointer(IDrawingSurface& surface, const Geometry& g, double angle, const Style& style)
{
    // The saved wheel holds every spoke unharmed, so it both erases the last pointer and redraws the spokes.
    surface.restoreBackground();
    paintPointer(surface, g, angle, style);
}

void WheelRenderer::paintPointer(IDrawingSurface& surface, const Geometry& g, double angle, const Style& style)
{
    const QPointF centre(g.centreX, g.centreY);
    surface.setLineWidth(style.zeroLineWidth);
    surface.line(centre, rimPoint(g, 0), ZeroLineColour);
    surface.setLineWidth(style.pointerWidth);
    surface.line(centre, rimPoint(g, angle), PointerColour);
    surface.line(centre, rimPoint(g, angle + PointerSpread), PointerColour);
    surface.setLineWidth(1);
    surface.setFillSolid(true);
    surface.setFillColour(PointerColour);
    surface.circle(tipPoint(g, angle), TipDotRadius * style.scale, PointerColour);
    drawHub(surface, g, style);
}

} // namespace pelorin
