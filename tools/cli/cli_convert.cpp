#include "cli_convert.h"

#include "common/leading_number.h"
#include "cycle/marker_readouts.h"
#include "files/csv_file.h"
#include "files/touchstone_file.h"
#include "files/vec_file.h"

CliExportResult CliExportText(CliOutputKind kind, const CliExportInput& input,
                              const Settings& settings) {
    if (input.buffers == nullptr || kind == CliOutputKind::Vec) {
        return {std::nullopt, QStringLiteral("No .csv or Touchstone file was asked for")};
    }
    const float TransmissionMode = input.transmission ? 1.0f : 0.0f;
    const float CalOffsetDb =
        CalOffsetDbFor(TransmissionMode, settings.caloffsetrx, settings.caloffsettx);
    const double LossOffset = LeadingNumber(input.lossOffset.toStdString());
    if (kind == CliOutputKind::Csv) {
        CsvInput in;
        in.MagnitudeSamples = input.buffers->MagnitudeSamples;
        in.PhaseSamples = input.buffers->PhaseSamples;
        in.Champ = input.Champ;
        in.FMin = input.FMin;
        in.FMax = input.FMax;
        in.TransmissionMode = TransmissionMode;
        in.caloffsetvalue = settings.caloffsetvalue;
        in.CalOffsetDb = CalOffsetDb;
        in.LossOffset = LossOffset;
        const CsvResult r = CsvText(in);
        return {r.text, r.error};
    }
    TouchstoneInput in;
    in.MagnitudeSamples = input.buffers->MagnitudeSamples;
    in.PhaseSamples = input.buffers->PhaseSamples;
    in.Champ = input.Champ;
    in.FMin = input.FMin;
    in.FMax = input.FMax;
    in.TransmissionMode = TransmissionMode;
    in.CalOffsetDb = CalOffsetDb;
    in.LossOffset = LossOffset;
    in.date = input.date;
    const TouchstoneResult r = TouchstoneText(in);
    return {r.text, r.error};
}

CliConvertResult ComputeCliConvert(const QString& fileName, const QByteArray& fileBytes,
                                   const ConvertArguments& arguments, const Settings& settings,
                                   const QDateTime& date) {
    const std::optional<std::int32_t> points = VecPointsForSize(fileBytes.size());
    if (!points || *points > kMaxCliPoints) {
        return {std::nullopt,
                QStringLiteral("%1 is %2 bytes, which is no .vec file of 1 to %3 points")
                    .arg(fileName)
                    .arg(fileBytes.size())
                    .arg(kMaxCliPoints),
                CliConvertFailure::File};
    }
    const VecReadResult read = ReadVecBytes(fileBytes, *points);
    if (!read.data) {
        return {std::nullopt, QStringLiteral("%1: %2").arg(fileName, read.error),
                CliConvertFailure::File};
    }
    const CliOutputKind kind = CliOutputKindOf(arguments.outputPath);
    if (kind == CliOutputKind::Vec) {
        return {std::nullopt,
                QStringLiteral("--output wants a .csv, .s1p or .s2p file, not \"%1\"")
                    .arg(arguments.outputPath),
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
    const CliExportResult r = CliExportText(kind, in, settings);
    if (!r.bytes) {
        return {std::nullopt, QStringLiteral("%1: %2").arg(fileName, r.error),
                CliConvertFailure::File};
    }
    return {r.bytes, {}, CliConvertFailure::None};
}
