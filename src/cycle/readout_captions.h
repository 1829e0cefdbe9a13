#pragma once

#include <array>

// The captions the window's definition gives its modes and readout rows, and
// by which the caption block of a picture names them.
namespace ReadoutCaptions {

// The toolbar's mode buttons, by TransmissionMode's preset order.
constexpr std::array<const char*, 4> Modes = {"Antenna", "Cable Loss", "Cable Length",
                                              "Transmission"};
constexpr const char* Points = "Points";
constexpr std::array<const char*, 2> Markers = {"Marker 1", "Marker 2"};

// The heads of the marker rows' columns. The |Xs| column's head is the
// tick's to write (PlainXsColumn, XcXlDisplay).
constexpr const char* Frequency = "Freq. Hz";
constexpr const char* Swr = "SWR";
constexpr const char* Z = "| Z |";
constexpr const char* ReturnLoss = "R.L.";
constexpr const char* TransmissionLoss = "T.L.";
constexpr const char* Phase = "Phase";
constexpr const char* Rs = "Rs";
constexpr const char* Xs = "| X s |";
constexpr const char* Xj = "Xj";

}  // namespace ReadoutCaptions
