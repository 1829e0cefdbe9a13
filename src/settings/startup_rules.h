#pragma once

#include <optional>
#include <string>
#include <vector>

// Start-up arithmetic, in logical pixels (15 twips each).

// True when the screen is both narrower than 12000 twips and lower than 9000
// twips (800 x 600 pixels); one small dimension alone is not enough.
bool ScreenTooSmall(int widthPx, int heightPx);

// Left (or top) of a window centred on the screen: the difference rounded to a
// whole number and halved with truncation.
int CentredOffset(double screenSize, double windowSize);

// The program's own command line (arguments after the program's name):
// "--remote-port N" or "--remote-port=N", N 0..65535, overriding [REMOTE]
// Port (0 turns the server off). Arguments it does not know are left to Qt.
struct ProgramArguments {
    std::optional<int> remotePort;
    std::string error;  // one line naming the argument, when refused
};
ProgramArguments ParseProgramArguments(const std::vector<std::string>& arguments);
