#pragma once

#include <QRect>

namespace pelorin::layout {

// Sizes in twips; 15 twips are one pixel.
constexpr int TwipsPerPixel = 15;
constexpr int WindowWidth = 12900;
constexpr int WindowHeight = 10740;
constexpr int DrawWindowWidth = 7000;
constexpr int DrawWindowHeight = 7000;
constexpr int DrawWindowWideWidth = 10365;
constexpr int DrawWindowOffset = 500;

constexpr int px(double twips)
{
    return static_cast<int>(twips / TwipsPerPixel + (twips >= 0 ? 0.5 : -0.5));
}
inline QRect pxRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace pelorin::layout
