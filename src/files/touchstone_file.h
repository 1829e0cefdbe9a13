#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

#include "files/sweep_export.h"

// Touchstone (version 1) export of a sweep, for the RF tools that read it.
// "!" comment lines (program, version, date, points, mode, what was measured,
// the phase sign), the option line "# Hz S RI R 50", then one line per point
// i = 1..Champ: the frequency in whole Hz (the same text as the .csv) and the
// complex values as real and imaginary parts, each double written so that it
// reads back unchanged, separated by single blanks. Lines end with LF.
//
// The complex value is Rho x (CosPhi + j SinPhi) of the graph's own
// conversion of the point (calibration and loss offsets included), so the
// impedance another tool derives from the file is the program's Rs and |Xs|.
// - Reflection modes: a .s1p holding S11.
// - Transmission mode: a .s2p holding S21 = 10^(-L/20) at the measured phase,
//   with S11, S12 and S22 written as 0; the data order is S11 S21 S12 S22.
// The detector gives the phase without sign (0..180 degrees), so the
// imaginary part is never negative; the file says so.

struct TouchstoneInput : SweepExportInput {
    QDateTime date;  // written in ISO 8601; left out when not valid
    // The sign of Im G of points 1..Champ (at index point - 1), inferred:
    // +1, -1, or 0 where it is not known (written positive). Empty: the
    // phase as the detector gives it, without sign. Reflection only.
    std::span<const std::int8_t> ImSigns;
};

struct TouchstoneResult {
    std::optional<QByteArray> text;  // the whole file, when it can be written
    QString extension;               // ".s1p" or ".s2p"
    QString error;                   // why not, when text is empty
};

// ".s2p" in the Transmission mode (TransmissionMode not 0, as the .csv title
// decides), else ".s1p".
QString TouchstoneExtension(float TransmissionMode);

// The File menu's item for it, with its access key: "Sa&ve As (.s1p)", or
// "Sa&ve As (.s2p)" in the Transmission mode.
QString TouchstoneMenuCaption(float TransmissionMode);

// The whole file. Refuses (with a reason, never a crash) a Champ below 1,
// sample arrays shorter than Champ + 1 and any value that is not finite.
TouchstoneResult TouchstoneText(const TouchstoneInput& input);
