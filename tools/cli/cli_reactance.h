#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "calibrate/normalisation.h"
#include "cli_args.h"
#include "cli_convert.h"
#include "settings/settings.h"
#include "timedomain/reactance_sign.h"

// `zezizav-cli reactance` and `convert --sign causal`: the sign of the
// reactance of a saved reflection sweep, inferred by causality. Pure: file
// bytes, arguments and settings in, values and texts out.

enum class CliReactanceFailure { None, File, Sweep };

// The signs of points 1..Champ of a sweep as convert reads it: from its own
// points, or with wideBytes (a .vec named wideName) from that wide sweep of
// the same load, read in the same mode with the same offsets and references.
struct CliSigns {
    std::vector<ReactanceSign> signs;  // empty with an error
    QString error;                     // one line
    CliReactanceFailure failure = CliReactanceFailure::None;
    QString warning;  // points of the wide sweep the references do not cover
};
CliSigns CliCausalSigns(const CliExportInput& input, const Settings& settings,
                        const QString& wideName = {}, const QByteArray* wideBytes = nullptr);

// +1, -1 or 0 (unknown) per point, as a Touchstone file takes them.
std::vector<std::int8_t> SignFactors(const std::vector<ReactanceSign>& signs);

struct CliReactancePoint {
    double frequencyHz = 0.0;
    double rsOhm = 0.0;
    double xsOhm = 0.0;  // the measured |Xs| with the sign applied, positive where unknown
    ReactanceSign sign = ReactanceSign::Unknown;
};

struct CliReactance {
    std::vector<CliReactancePoint> points;  // points 1..N, as the .csv has them
    QString warning;
};

struct CliReactanceResult {
    std::optional<CliReactance> reactance;
    QString error;  // one line, when reactance is empty
    CliReactanceFailure failure = CliReactanceFailure::None;
};

// fileName and the wide sweep's name only name them in messages.
CliReactanceResult ComputeCliReactance(const QString& fileName, const QByteArray& fileBytes,
                                       const ReactanceArguments& arguments,
                                       const Settings& settings,
                                       const Normalisation& normalisation = {},
                                       const QByteArray* wideBytes = nullptr);

// {"points": [{"frequency_hz": F, "rs_ohm": R, "xs_ohm": X, "sign": "+"}, ...]}
QByteArray CliReactanceJson(const CliReactance& reactance);

// A row per point: frequency (MHz), Rs and Xs (ohm) and the sign.
QString CliReactanceTable(const CliReactance& reactance);
