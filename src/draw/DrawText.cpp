#include "draw/DrawText.h"

#include "model/NumberConversion.h"

#include <algorithm>

namespace pelorin {

namespace {

int digitsOf(int value)
{
    return static_cast<int>(QString::number(value).size());
}

} // namespace

QString zeroPad(int i, int count)
{
    const int zeros = std::clamp(digitsOf(count) - digitsOf(i), 0, 6);
    return QString(zeros, u'0') + QString::number(i);
}

QString nameBoxText(int i, int count, const QString& name)
{
    return zeroPad(i, count) + u'_' + name;
}

std::optional<std::int16_t> rollSpeedFrom(QStringView speedBox)
{
    const std::optional<std::int16_t> speed = toNumber(speedBox);
    if (!speed || *speed < 1 || *speed > 360)
        return std::nullopt;
    // The conversion rounds fractions; a step of "12.5" degrees is refused rather than silently changed.
    if (plainDigits(speedBox).trimmed().toDouble() != *speed)
        return std::nullopt;
    return speed;
}

} // namespace pelorin
