#include "settings/startup_rules.h"

#include "common/rounding.h"
#include "common/twips.h"

bool ScreenTooSmall(int widthPx, int heightPx) {
    return Twips::FromPixels(widthPx) < 12000.0 && Twips::FromPixels(heightPx) < 9000.0;
}

int CentredOffset(double screenSize, double windowSize) {
    return static_cast<int>(RoundHalfEven(screenSize - windowSize)) / 2;
}
