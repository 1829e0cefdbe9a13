#pragma once

#include <cmath>

// The graph's drawing space is the designed 8835 x 3795 twips whatever the
// widget's size: every trace and scale formula works in it unchanged. Only
// the mapping to the widget's logical pixels follows its size, in x and y
// separately. Each mapping multiplies before it divides, so at the design
// size (589 x 253 pixels, 15 twips a pixel) it gives the very doubles that
// dividing by 15 gave.
namespace GraphSpace {
constexpr double Width = 8835.0;
constexpr double Height = 3795.0;
}  // namespace GraphSpace

struct GraphMapping {
    double widthPx = GraphSpace::Width / 15.0;  // logical pixels of the widget
    double heightPx = GraphSpace::Height / 15.0;

    double pixelsPerTwipX() const { return widthPx / GraphSpace::Width; }
    double pixelsPerTwipY() const { return heightPx / GraphSpace::Height; }
    double toPixelX(double twips) const { return twips * widthPx / GraphSpace::Width; }
    double toPixelY(double twips) const { return twips * heightPx / GraphSpace::Height; }
    // A widget without size maps every pixel to 0 rather than dividing by 0.
    double toTwipX(double pixels) const {
        return widthPx > 0.0 ? pixels * GraphSpace::Width / widthPx : 0.0;
    }
    double toTwipY(double pixels) const {
        return heightPx > 0.0 ? pixels * GraphSpace::Height / heightPx : 0.0;
    }
    // Whole pixels, rounded as the layout rounds twips.
    int pixelX(double twips) const { return static_cast<int>(std::lround(toPixelX(twips))); }
    int pixelY(double twips) const { return static_cast<int>(std::lround(toPixelY(twips))); }
};
