#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "calibrate/normalisation.h"
#include "cli_args.h"
#include "limits/limits.h"
#include "settings/settings.h"

// `zezizav-cli check`: a saved sweep held to limit lines, through the rules
// the window's PASS/FAIL indicator uses. Pure: file bytes, arguments and
// settings in, the verdict and its texts out.

struct CliCheck {
    LimitSet limits;
    LimitVerdict verdict;
    QString warning;  // points the references do not cover
};

struct CliCheckResult {
    std::optional<CliCheck> check;
    QString error;  // one line naming the file, when check is empty
};

// fileName and limitsName only name the files in messages. A limits file is
// refused with its first bad line, and in the Transmission mode with its
// first segment on a trace other than loss or phase.
CliCheckResult ComputeCliCheck(const QString& fileName, const QByteArray& fileBytes,
                               const QString& limitsName, const QByteArray& limitsBytes,
                               const CheckArguments& arguments, const Settings& settings,
                               const Normalisation& normalisation = {});

// {"pass": B, "segments": [{"line", "trace", "kind", "pass", "checked_points",
// "failed_points", "worst_frequency_hz", "worst_value", "worst_margin"}, ...]},
// the worst_ values null where no point was checked.
QByteArray CliCheckJson(const CliCheck& check);

// A row per segment, then "PASS" or "FAIL" as the last line.
QString CliCheckTable(const CliCheck& check);
