#pragma once

#include <QPoint>
#include <QRect>

namespace sorvane {

// Window geometry is given in twips (1/1440 inch); at Qt's logical 96 dpi a
// logical pixel is 15 twips, and Qt scales logical pixels for dense screens.
inline constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips)
{
    return twips / kTwipsPerPixel;
}
constexpr int twips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
inline QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace sorvane
