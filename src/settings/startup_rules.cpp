#include "settings/startup_rules.h"

#include "common/rounding.h"
#include "common/twips.h"

bool ScreenTooSmall(int widthPx, int heightPx) {
    return Twips::FromPixels(widthPx) < 12000.0 && Twips::FromPixels(heightPx) < 9000.0;
}

int CentredOffset(double screenSize, double windowSize) {
    return static_cast<int>(RoundHalfEven(screenSize - windowSize)) / 2;
}

namespace {

std::optional<int> PortNumber(const std::string& text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value <= 65535 ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

ProgramArguments ParseProgramArguments(const std::vector<std::string>& arguments) {
    ProgramArguments result;
    const std::string option = "--remote-port";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        std::string value;
        if (a == option) {
            if (i + 1 == arguments.size()) {
                result.error = option + " needs a port number (0 to 65535)";
                return result;
            }
            value = arguments[++i];
        } else if (a.rfind(option + "=", 0) == 0) {
            value = a.substr(option.size() + 1);
        } else {
            continue;
        }
        const std::optional<int> port = PortNumber(value);
        if (!port) {
            result.error = option + " " + value + " is not a port number (0 to 65535)";
            return result;
        }
        result.remotePort = port;
    }
    return result;
}
