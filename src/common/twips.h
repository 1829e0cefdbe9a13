#pragma once

#include <cmath>

// The window is laid out in twips (1/1440 inch). Qt's logical pixels are
// 1/96 inch on every screen (high-DPI scaling maps them to device pixels), so
// one logical pixel is always 15 twips.
namespace Twips {
constexpr double PerPixel = 15.0;
inline int ToPixels(double twips) { return static_cast<int>(std::lround(twips / PerPixel)); }
inline double FromPixels(double pixels) { return pixels * PerPixel; }
}  // namespace Twips
