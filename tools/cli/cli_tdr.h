#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "calibrate/normalisation.h"
#include "cli_args.h"
#include "settings/settings.h"
#include "timedomain/time_domain.h"

// The time domain of `zezizav-cli tdr`: a saved sweep through the same
// conversion and transform as the window's time domain. Pure: bytes,
// arguments and settings in, texts out.

enum class CliTdrFailure { None, File, Sweep };

struct CliTdr {
    TimeDomainOptions options;                   // the velocity factor and window used
    std::optional<TimeDomainResponse> response;  // a reflection sweep
    std::optional<TransmissionDelay> delay;      // with --transmission
    QString warning;  // points the references do not cover; empty when none
};

struct CliTdrResult {
    std::optional<CliTdr> tdr;
    QString error;  // one line, when tdr is empty
    CliTdrFailure failure = CliTdrFailure::None;
};

// fileName only names the file in messages. A file that is no .vec file is
// a File failure; a sweep the transform refuses (fewer than 3 points, too
// many bins) a Sweep failure with the transform's words.
CliTdrResult ComputeCliTdr(const QString& fileName, const QByteArray& fileBytes,
                           const TdrArguments& arguments, const Settings& settings,
                           const Normalisation& normalisation = {});

// One JSON object: the arrays, ranges and peaks, or the delay.
QByteArray CliTdrJson(const CliTdr& tdr);

// The velocity factor, window, ranges and peaks (or the delay) as a table.
QString CliTdrTable(const CliTdr& tdr);

// distance_m,impulse,step,impedance_ohm with "." decimals, a row per bin.
QByteArray CliTdrCsv(const TimeDomainResponse& response);
