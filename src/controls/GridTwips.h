#pragma once
#include <QPaintDevice>

#include <cmath>

// Sizes at the grid's interface are in twips (1440 to the inch), as every window of the program stores them;
// on screen they become pixels at the device's logical resolution.
namespace GridTwips
{
constexpr int PerInch = 1440;

inline int ToPixelsX(int twips, const QPaintDevice* device)
{
    const int dpi = device ? device->logicalDpiX() : 96;
    return int(std::lround(double(twips) * dpi / PerInch));
}

inline int ToPixelsY(int twips, const QPaintDevice* device)
{
    const int dpi = device ? device->logicalDpiY() : 96;
    return int(std::lround(double(twips) * dpi / PerInch));
}

inline int FromPixelsX(int pixels, const QPaintDevice* device)
{
    const int dpi = device ? device->logicalDpiX() : 96;
    return int(std::lround(double(pixels) * PerInch / dpi));
}

inline int FromPixelsY(int pixels, const QPaintDevice* device)
{
    const int dpi = device ? device->logicalDpiY() : 96;
    return int(std::lround(double(pixels) * PerInch / dpi));
}
} // namespace GridTwips
