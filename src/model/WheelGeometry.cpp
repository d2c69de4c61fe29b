#include "model/WheelGeometry.h"

#include "model/NumberConversion.h"

#include <cmath>

namespace pelorin::wheel {

QPointF pointAt(const Geometry& g, double radiusTwips, double degrees)
{
    const double radians = degrees * Pi / 180.0;
    return QPointF(g.centreX + radiusTwips * std::cos(radians) / TwipsPerPixel,
                   g.centreY + radiusTwips * std::sin(radians) / TwipsPerPixel);
}

double spokeAngle(int i, int count)
{
    return 360.0 / count * i;
}

std::int32_t numberEscapement(int i, int count)
{
    return static_cast<std::int32_t>(roundHalfEven(-3600.0 / count * i));
}

int sectorAt(std::int32_t angle, int count)
{
    if (count <= 0 || angle < 0)
        return 0;
    // angle*count/360 in whole numbers: a sector boundary 360*i/count that is not whole lies at least
    // 1/count away from every whole angle, so the division cannot land on the other side of it.
    const std::int64_t sector = static_cast<std::int64_t>(angle) * count / 360;
    return sector >= 1 && sector <= count ? static_cast<int>(sector) : 0;
}

} // namespace pelorin::wheel
