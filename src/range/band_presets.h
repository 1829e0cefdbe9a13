#pragma once

#include <array>

// The amateur band presets: each button's caption and the texts it writes
// into the start and stop boxes (MHz). The swept range is wider than the
// band, by fixed amounts.
struct BandPreset {
    const char* name;     // the option button
    const char* caption;  // shown on it
    const char* start;    // txtStart
    const char* stop;     // txtStop
};

inline constexpr std::array<BandPreset, 10> HfBandPresets{{
    {"optA1", "1.8 - 2.0", "1.5", "2.5"},
    {"optA2", "3.5 - 3.8", "2.8", "4.5"},
    {"optA3", "5.0 - 5.5", "4", "6.5"},
    {"optA4", "7.0 - 7.3", "5.5", "8.5"},
    {"optA5", "10.0 - 10.2", "8", "12.5"},
    {"optA6", "14.0 - 14.4", "11.5", "17.5"},
    {"optA7", "18.0 - 18.2", "14.5", "22"},
    {"optA8", "21.0 - 21.4", "16.5", "25.5"},
    {"optA9", "24.8 - 25.0", "20", "30"},
    {"optA10", "28.0 - 30.0", "22.5", "36"},
}};

inline constexpr std::array<BandPreset, 3> VhfBandPresets{{
    {"optB1", "6m  50 - 50.2 MHz", "40", "60"},
    {"optB2", "4m  70 - 70.2 MHz", "55", "71"},
    {"optB3", "2m  144 - 146 MHz", "115", "170"},
}};
