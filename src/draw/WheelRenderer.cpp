#include "draw/WheelRenderer.h"

#include "draw/DrawText.h"
#include "font/APIFont.h"
#include "platform/IDrawingSurface.h"

namespace pelorin {

using namespace wheel;

namespace {

void drawHub(IDrawingSurface& surface, const Geometry& g)
{
    surface.setFillSolid(true);
    surface.setFillColour(HubColour);
    surface.circle(QPointF(g.centreX, g.centreY), HubRadius, HubColour);
}

} // namespace

void WheelRenderer::DrawWheel(IDrawingSurface& surface, const Geometry& g, int count, std::shared_ptr<APIFont>& font)
{
    const QPointF centre(g.centreX, g.centreY);
    surface.clear();
    surface.setFillSolid(true);
    surface.setFillSolid(false);
    surface.circle(centre, g.radius / TwipsPerPixel, RimColour);
    font = std::make_shared<APIFont>();
    surface.beginBatch();
    for (int i = 1; i <= count; ++i) {
        const double angle = spokeAngle(i, count);
        const QPointF rim = rimPoint(g, angle);
        surface.line(centre, rim, SpokeColour);
        font->setEscapement(numberEscapement(i, count));
        font->SelectFont(surface);
        font->FontOut(zeroPad(i, count), surface, rim.x(), rim.y());
        font->SelectOrg(surface);
    }
    drawHub(surface, g);
    surface.endBatch();
    surface.saveBackground();
}

void WheelRenderer::drawPointer(IDrawingSurface& surface, const Geometry& g, double angle)
{
    const QPointF centre(g.centreX, g.centreY);
    // The saved wheel holds every spoke unharmed, so it both erases the last pointer and redraws the spokes.
    surface.restoreBackground();
    surface.line(centre, rimPoint(g, 0), ZeroLineColour);
    surface.line(centre, rimPoint(g, angle), PointerColour);
    surface.line(centre, rimPoint(g, angle + PointerSpread), PointerColour);
    surface.setFillSolid(true);
    surface.setFillColour(PointerColour);
    surface.circle(tipPoint(g, angle), TipDotRadius, PointerColour);
    drawHub(surface, g);
}

} // namespace pelorin
