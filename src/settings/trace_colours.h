#pragma once

#include <array>
#include <cstdint>

#include "common/colour.h"
#include "settings/settings.h"

// The colours of the six traces from the settings, in the graph's drawing
// order: phase, loss, |Z|, |Xs|, Rs, SWR.
inline std::array<std::uint32_t, 6> TraceColoursOf(const Settings& s) {
    return {ColourFromSetting(s.colorS1), ColourFromSetting(s.colorS2),
            ColourFromSetting(s.colorS5), ColourFromSetting(s.colorS3),
            ColourFromSetting(s.colorS4), ColourFromSetting(s.colorS6)};
}
