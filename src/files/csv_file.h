#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "files/sweep_export.h"

// The .csv export of a sweep: text in engineering units, every line ended by
// CR LF, "." for decimals whatever the locale.
//   line 1:             "Frequency(Hz)","Return Loss(dB)","Phase(deg)"
//                       ("Transmission Loss(dB)" in the Transmission mode)
//   lines 2..Champ + 1: frequency,loss,phase of the points 1..Champ
//   line Champ + 2:     FMin,FMax as 32-bit float texts (1500000, 1.15E+07)

struct CsvInput : SweepExportInput {
    std::int16_t caloffsetvalue = 0;  // tenths of a dB
};

struct CsvResult {
    std::optional<QByteArray> text;  // the whole file, when it can be written
    QString error;                   // why not, when text is empty
};

// The whole .csv file. Refuses (with a reason, never a crash) a Champ below 1,
// sample arrays shorter than Champ + 1 and any value that is not finite.
// The point counter is 32-bit, so every Champ gets all its lines.
CsvResult CsvText(const CsvInput& input);

// Whole-hertz text of sweep point i: FMin + i x (FMax - FMin) / Champ, halves
// to the even hertz. Whole limits of at most 2^30 Hz (every real sweep) are
// worked exactly in integers, so a point that lies exactly half-way is a tie
// even where the double step would land a hair off it. Other limits use the
// double form, taken at 14 significant digits of the larger limit. Champ must
// be at least 1 and the limits finite.
std::string SweepFrequencyText(float FMin, float FMax, std::int32_t Champ, std::int32_t i);

// value rounded to `decimals` places with decimal halves to the even digit,
// written with only the digits it needs: "15.06", "7", "0.5", "-0.01", never
// "-0". A double rarely holds a decimal half exactly (0.165 is stored a little
// above it, 2.675 a little below), so the value is first taken at 14
// significant digits of `scale`, the largest term it was computed from: the
// few ulps of error the arithmetic left behind vanish there, and what reads as
// a half at that precision is a tie. Where those digits reach no further than
// `decimals`, the binary value is rounded as it stands. value must be finite.
std::string DecimalHalfEvenText(double value, int decimals, double scale);

// The decimal value a 32-bit float stands for, as the nearest double: the
// shortest text that reads back as the same float. 0.3f gives 0.3, not
// 0.30000001192092896.
double DecimalValueOf(float value);
