#pragma once

// Start-up arithmetic, in logical pixels (15 twips each).

// True when the screen is both narrower than 12000 twips and lower than 9000
// twips (800 x 600 pixels); one small dimension alone is not enough.
bool ScreenTooSmall(int widthPx, int heightPx);

// Left (or top) of a window centred on the screen: the difference rounded to a
// whole number and halved with truncation.
int CentredOffset(double screenSize, double windowSize);
