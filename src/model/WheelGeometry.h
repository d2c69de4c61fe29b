#pragma once

#include <QPointF>
#include <cstdint>

namespace pelorin::wheel {

// Angles turn into radians with 3.14, not with pi: every point of the wheel depends on it.
constexpr double Pi = 3.14;
// Every distance on the wheel is the twips radius divided by this.
constexpr double TwipsPerPixel = 15.0;
constexpr double TipInset = 180.0; // twips between the rim and the tip dot
constexpr double HubRadius = 20.0; // pixels
constexpr double TipDotRadius = 3.0; // pixels
constexpr double PointerSpread = 0.1; // degrees between the pointer's two lines

struct Geometry
{
    double centreX = 0;
    double centreY = 0;
    double radius = 0; // twips
};

// The point at angle degrees on the circle of radiusTwips around the centre; 0 points right, angles turn clockwise.
QPointF pointAt(const Geometry& g, double radiusTwips, double degrees);
inline QPointF rimPoint(const Geometry& g, double degrees)
{
    return pointAt(g, g.radius, degrees);
}
inline QPointF tipPoint(const Geometry& g, double degrees)
{
    return pointAt(g, g.radius - TipInset, degrees);
}

// Angle of spoke i of a wheel with count sectors.
double spokeAngle(int i, int count);

// Escapement of sector i's number in tenths of a degree, so that it turns clockwise with its spoke.
std::int32_t numberEscapement(int i, int count);

// The sector (1..count) whose range [360*i/count, 360*(i+1)/count) holds the angle; 0 when none does.
int sectorAt(std::int32_t angle, int count);

} // namespace pelorin::wheel
