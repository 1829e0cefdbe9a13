#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

#include "calibrate/normalisation.h"
#include "cli_args.h"
#include "common/sweep_buffers.h"
#include "files/sweep_export.h"
#include "files/vec_file.h"
#include "settings/settings.h"

// The files `zezizav-cli convert` and `sweep` write beside .vec: the .csv and
// Touchstone texts of the window's export, from the same inputs the window
// gives them. Pure: samples, settings and texts in, file bytes out.

struct CliExportInput {
    const SweepBuffers* buffers = nullptr;
    std::int32_t Champ = 0;
    float FMin = 0.0f;  // Hz
    float FMax = 0.0f;  // Hz
    bool transmission = false;
    QString lossOffset;  // the text of txtLossOffset
    QDateTime date;      // the Touchstone date comment
    const Normalisation* normalisation = nullptr;  // its references of the mode correct the loss
    std::span<const std::int8_t> imSigns;          // a .s1p's inferred signs (TouchstoneInput)
};

struct CliExportResult {
    std::optional<QByteArray> bytes;  // the whole file
    QString error;                    // one line, when bytes is empty
    QString warning;                  // points the references do not cover
};

// The export of a saved sweep in the mode, with that loss offset text and
// those references (none: nullptr); no date.
CliExportInput CliExportInputOf(const VecFileData& data, bool transmission,
                                const QString& lossOffset, const Normalisation* normalisation);

// The sweep as the window's exports read it: the mode's calibration offset
// (CalOffsetDbFor), the loss offset, and the loss errors of the references
// of the mode, which *errors keeps (the result points into it and into the
// buffers).
SweepExportInput CliSweepExportInput(const CliExportInput& input, const Settings& settings,
                                     LossErrors* errors);

// The saved sweep of a .vec file's bytes, its points from their size (1 to
// kMaxCliPoints) and every value finite; or why not, naming fileName.
struct CliVecResult {
    std::optional<VecFileData> data;
    QString error;  // one line, when data is empty
};
CliVecResult ReadCliVec(const QString& fileName, const QByteArray& fileBytes);

// kind must be Csv, S1p or S2p. The calibration offset is the mode's
// (CalOffsetDbFor); the .csv also takes caloffsetvalue.
CliExportResult CliExportText(CliOutputKind kind, const CliExportInput& input,
                              const Settings& settings);

enum class CliConvertFailure { None, File, Arguments };

struct CliConvertResult {
    std::optional<QByteArray> bytes;
    QString error;    // one line, when bytes is empty
    QString warning;  // points the references do not cover
    CliConvertFailure failure = CliConvertFailure::None;
};

// fileName only names the file in messages. The points come from the size of
// fileBytes; a size that fits no point count or a value that is not finite is
// refused.
CliConvertResult ComputeCliConvert(const QString& fileName, const QByteArray& fileBytes,
                                   const ConvertArguments& arguments, const Settings& settings,
                                   const QDateTime& date, const Normalisation& normalisation = {},
                                   const QByteArray* wideBytes = nullptr);
