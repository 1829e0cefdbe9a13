#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

#include "settings/settings.h"
#include "calibrate/normalisation.h"
#include "cli_args.h"

// The readouts of `zezizav-cli readout`: what the window's marker rows,
// bandwidth, Q and cable frames show for a saved sweep, computed by the same
// rules. Pure: bytes, arguments and settings in, texts out.

// The designed graph and where the user markers start on it, in twips.
constexpr double kReadoutGraphWidth = 8835;
constexpr double kLinM1DesignX = 2160;
constexpr double kLinM2DesignX = 6480;

// The marker index the window gives a marker line standing at sweep point
// `point`: the line's x (a 32-bit float, as the line keeps it) snapped by the
// marker-index rule with Step.
std::int32_t MarkerIndexAtPoint(std::int32_t point, std::int32_t Champ, std::int16_t Step);

struct CliMarkerTexts {
    std::int32_t index = 0;
    QString frequency;
    QString swr;
    QString z;
    QString loss;
    QString phase;
    QString rs;
    QString xs;
    QString uh;  // markers 1 and 2 only: plain text of MkrNUh
    QString pf;  // and of MkrNPf
};

struct CliReadout {
    std::int32_t points = 0;
    float FMin = 0.0f;
    float FMax = 0.0f;
    bool transmission = false;
    std::array<CliMarkerTexts, 3> markers;
    QString bandwidth;
    QString q;
    QString cableLossMin;
    QString cableLossAvg;
    QString cableLossMax;
    QString cableLengthMetres;
    QStringList normalised;  // the references in use: "open", "short", "through"
    QString warning;         // points the references do not cover; empty when none
};

enum class CliReadoutFailure { None, File, Arguments };

struct CliReadoutResult {
    std::optional<CliReadout> readout;
    QString error;  // one line, when readout is empty
    CliReadoutFailure failure = CliReadoutFailure::None;
};

// fileName only names the file in messages. The points come from the size of
// fileBytes; a size that fits no point count, a value that is not finite, or
// a marker beyond the points is refused. The references of normalisation
// that suit the mode correct the losses, and so every readout from them and
// the best match, as in the window.
CliReadoutResult ComputeCliReadout(const QString& fileName, const QByteArray& fileBytes,
                                   const ReadoutArguments& arguments, const Settings& settings,
                                   const Normalisation& normalisation = {});

// One indented JSON object; every readout is the window's text as a string,
// with the number it shows beside it under the same name plus "_value" (null
// when the text shows no number).
QByteArray CliReadoutJson(const CliReadout& readout);

// An aligned table with a heading line per marker.
QString CliReadoutTable(const CliReadout& readout);
