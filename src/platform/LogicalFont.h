#pragma once

#include <QString>
#include <cstdint>

namespace pelorin {

// A font described field by field, as handed to IDrawingSurface::createFont.
struct LogicalFont
{
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0; // tenths of a degree, counter-clockwise on screen
    std::int32_t orientation = 0;
    std::int32_t weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName; // up to its first NUL
};

} // namespace pelorin
