#pragma once

#include <array>
#include <string_view>

#include "settings/settings.h"
#include "timedomain/time_domain.h"

// The velocity factors of common feed lines, for the time domain's choice of
// cable. Foam PE differs between makers (0.78 to 0.82); 0.80 stands for it.
struct CableVelocity {
    std::string_view Name;
    double Factor = 0.0;
};

inline constexpr std::array<CableVelocity, 5> CommonCableVelocities = {{
    {"Solid PE (RG-58, RG-213)", 0.66},
    {"Foam PE", 0.80},
    {"PTFE", 0.695},
    {"Air-spaced", 0.85},
    {"Ladder line", 0.90},
}};

// The time domain's options as the settings file sets them: its
// InputVelFactor (already checked to lie in (0, 1]), the Kaiser window.
TimeDomainOptions DefaultTimeDomainOptions(const Settings& settings);
