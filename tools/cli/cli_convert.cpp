#include "cli_convert.h"

#include "common/leading_number.h"
#include "cycle/marker_readouts.h"
#include "files/csv_file.h"
#include "files/touchstone_file.h"
#include "files/vec_file.h"

CliExportResult CliExportText(CliOutputKind kind, const CliExportInput& input,
                              const Settings& settings) {
    if (input.buffers == nullptr || kind == CliOutputKind::Vec) {
        return {std::nullopt, QStringLiteral("No .csv or Touchstone file was asked for"), {}};
    }
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
    LossErrors errors;
    if (input.normalisation != nullptr) {
        errors =
            ComputeLossErrors(*input.normalisation, input.FMin, input.FMax, input.Champ,
                              sweep.TransmissionMode, settings.caloffsetrx, settings.caloffsettx);
        sweep.LossErrors = errors.Error;
        sweep.NormalisedTo = StandardsText(errors.Standards);
    }
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
    const TouchstoneResult r = TouchstoneText(in);
    return {r.text, r.error, warning};
}

CliConvertResult ComputeCliConvert(const QString& fileName, const QByteArray& fileBytes,
                                   const ConvertArguments& arguments, const Settings& settings,
                                   const QDateTime& date, const Normalisation& normalisation) {
    const std::optional<std::int32_t> points = VecPointsForSize(fileBytes.size());
    if (!points || *points > kMaxCliPoints) {
        return {std::nullopt,
                QStringLiteral("%1 is %2 bytes, which is no .vec file of 1 to %3 points")
                    .arg(fileName)
                    .arg(fileBytes.size())
                    .arg(kMaxCliPoints),
                {},
                CliConvertFailure::File};
    }
    const VecReadResult read = ReadVecBytes(fileBytes, *points);
    if (!read.data) {
        return {std::nullopt,
                QStringLiteral("%1: %2").arg(fileName, read.error),
                {},
                CliConvertFailure::File};
    }
    const CliOutputKind kind = CliOutputKindOf(arguments.outputPath);
    if (kind == CliOutputKind::Vec) {
        return {std::nullopt,
                QStringLiteral("--output wants a .csv, .s1p or .s2p file, not \"%1\"")
                    .arg(arguments.outputPath),
                {},
                CliConvertFailure::Arguments};
    }
    CliExportInput in;
    in.buffers = &read.data->buffers;
    in.Champ = *points;
    in.FMin = read.data->FMin;
    in.FMax = read.data->FMax;
    in.transmission = arguments.transmission;
    in.lossOffset = arguments.lossOffset;
    in.date = date;
    in.normalisation = &normalisation;
    const CliExportResult r = CliExportText(kind, in, settings);
    if (!r.bytes) {
        return {std::nullopt,
                QStringLiteral("%1: %2").arg(fileName, r.error),
                {},
                CliConvertFailure::File};
    }
    return {r.bytes, {}, r.warning, CliConvertFailure::None};
}
