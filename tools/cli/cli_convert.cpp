#include "cli_convert.h"

#include "cli_reactance.h"
#include "common/leading_number.h"
#include "cycle/marker_readouts.h"
#include "files/csv_file.h"
#include "files/touchstone_file.h"
#include "files/vec_file.h"

SweepExportInput CliSweepExportInput(const CliExportInput& input, const Settings& settings,
                                     LossErrors* errors) {
    SweepExportInput sweep;
    sweep.MagnitudeSamples = input.buffers->MagnitudeSamples;
    sweep.PhaseSamples = input.buffers->PhaseSamples;
    sweep.Champ = input.Champ;
    sweep.FMin = input.FMin;
    sweep.FMax = input.FMax;
    sweep.TransmissionMode = input.transmission ? 1.0f : 0.0f;
    sweep.CalOffsetDb =
        CalOffsetDbFor(sweep.TransmissionMode, settings.caloffsetrx, settings.caloffsettx);
    sweep.LossOffset = LeadingNumber(input.lossOffset.toStdString());
    if (input.normalisation != nullptr) {
        *errors =
            ComputeLossErrors(*input.normalisation, input.FMin, input.FMax, input.Champ,
                              sweep.TransmissionMode, settings.caloffsetrx, settings.caloffsettx);
        sweep.LossErrors = errors->Error;
        sweep.NormalisedTo = StandardsText(errors->Standards);
    }
    return sweep;
}

CliExportInput CliExportInputOf(const VecFileData& data, bool transmission,
                                const QString& lossOffset, const Normalisation* normalisation) {
    CliExportInput in;
    in.buffers = &data.buffers;
    in.Champ = data.buffers.champ();
    in.FMin = data.FMin;
    in.FMax = data.FMax;
    in.transmission = transmission;
    in.lossOffset = lossOffset;
    in.normalisation = normalisation;
    return in;
}

CliVecResult ReadCliVec(const QString& fileName, const QByteArray& fileBytes) {
    const std::optional<std::int32_t> points = VecPointsForSize(fileBytes.size());
    if (!points || *points > kMaxCliPoints) {
        return {std::nullopt,
                QStringLiteral("%1 is %2 bytes, which is no .vec file of 1 to %3 points")
                    .arg(fileName)
                    .arg(fileBytes.size())
                    .arg(kMaxCliPoints)};
    }
    VecReadResult read = ReadVecBytes(fileBytes, *points);
    if (!read.data) {
        return {std::nullopt, QStringLiteral("%1: %2").arg(fileName, read.error)};
    }
    return {std::move(read.data), {}};
}

CliExportResult CliExportText(CliOutputKind kind, const CliExportInput& input,
                              const Settings& settings) {
    if (input.buffers == nullptr || kind == CliOutputKind::Vec) {
        return {std::nullopt, QStringLiteral("No .csv or Touchstone file was asked for"), {}};
    }
    LossErrors errors;
    const SweepExportInput sweep = CliSweepExportInput(input, settings, &errors);
    const QString warning = QString::fromStdString(OutsideText(errors));
    if (kind == CliOutputKind::Csv) {
        CsvInput in;
        static_cast<SweepExportInput&>(in) = sweep;
        in.caloffsetvalue = settings.caloffsetvalue;
        const CsvResult r = CsvText(in);
        return {r.text, r.error, warning};
    }
    TouchstoneInput in;
    static_cast<SweepExportInput&>(in) = sweep;
    in.date = input.date;
    in.ImSigns = input.imSigns;
    const TouchstoneResult r = TouchstoneText(in);
    return {r.text, r.error, warning};
}

CliConvertResult ComputeCliConvert(const QString& fileName, const QByteArray& fileBytes,
                                   const ConvertArguments& arguments, const Settings& settings,
                                   const QDateTime& date, const Normalisation& normalisation,
                                   const QByteArray* wideBytes) {
    const CliVecResult read = ReadCliVec(fileName, fileBytes);
    if (!read.data) {
        return {std::nullopt, read.error, {}, CliConvertFailure::File};
    }
    const CliOutputKind kind = CliOutputKindOf(arguments.outputPath);
    if (kind == CliOutputKind::Vec) {
        return {std::nullopt,
                QStringLiteral("--output wants a .csv, .s1p or .s2p file, not \"%1\"")
                    .arg(arguments.outputPath),
                {},
                CliConvertFailure::Arguments};
    }
    CliExportInput in =
        CliExportInputOf(*read.data, arguments.transmission, arguments.lossOffset, &normalisation);
    in.date = date;
    CliSigns signs;
    std::vector<std::int8_t> factors;
    if (arguments.causalSign) {
        signs = CliCausalSigns(in, settings, arguments.widePath, wideBytes);
        if (signs.signs.empty()) {
            return {std::nullopt,
                    QStringLiteral("%1: %2").arg(fileName, signs.error),
                    {},
                    signs.failure == CliReactanceFailure::File ? CliConvertFailure::File
                                                               : CliConvertFailure::Arguments};
        }
        factors = SignFactors(signs.signs);
        in.imSigns = factors;
    }
    const CliExportResult r = CliExportText(kind, in, settings);
    if (!r.bytes) {
        return {std::nullopt,
                QStringLiteral("%1: %2").arg(fileName, r.error),
                {},
                CliConvertFailure::File};
    }
    QString warning = r.warning;
    if (!signs.warning.isEmpty()) {
        warning += (warning.isEmpty() ? QString() : QStringLiteral("; ")) + signs.warning;
    }
    return {r.bytes, {}, warning, CliConvertFailure::None};
}
