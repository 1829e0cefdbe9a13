#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "calibrate/normalisation.h"

// The .norm file: plain ASCII text, one value a line, LF line ends (CR LF is
// read too).
//   Zezizav normalisation 1                  the version line
//   open 1000000 180000000 6000              per reference: standard, FMin and
//   343                                      FMax in Hz, points; then one
//   344                                      magnitude count a line for points
//   ...                                      1..points
// References come in the order open, short, through, each at most once.
// Numbers are written in the shortest fixed form that reads back as the same
// 32-bit float, so a file read back gives the very same references.

constexpr std::string_view NormVersionLine = "Zezizav normalisation 1";

// A file of three references of 32767 points fits in far less.
constexpr std::int64_t MaxNormFileBytes = 4 * 1024 * 1024;

std::string NormFileText(const Normalisation& normalisation);

struct NormReadResult {
    std::optional<Normalisation> normalisation;  // at least one reference
    std::string error;  // why not, naming the line, when normalisation is empty
};

// Refuses anything but the version line above, a reference of an unknown or
// repeated standard, a header line that is not four fields, numbers that do
// not read whole, a count line missing or left over, and every reference that
// CheckReference refuses.
NormReadResult ReadNormText(std::string_view text);
