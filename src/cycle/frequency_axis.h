#pragma once

#include <array>
#include <string>

// The texts under the graph: the frequency in MHz at the start, at each tenth
// of the span and at the stop (FMin and FMax in Hz, as the tick reads them).
// All take the fewest decimals (up to six, the Hz) with which no two
// neighbours that differ read the same, trailing zeros dropped: "14",
// "14.2", "14.25". A sweep of no span shows its frequency to the Hz.
std::array<std::string, 11> FrequencyAxisTexts(float FMin, float FMax);
