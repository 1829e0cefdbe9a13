#include "cli_readout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <span>
#include <utility>
#include <vector>

#include "cli_convert.h"
#include "common/display_format.h"
#include "cycle/bandwidth.h"
#include "cycle/marker_readouts.h"
#include "files/vec_file.h"
#include "measure/cable.h"
#include "measure/conversion.h"

namespace {

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

QString Plain(const std::optional<float>& value) {
    return value ? Text(FloatText(*value)) : QString::fromLatin1(NoValueText);
}

// A readout as the window shows it, and beside it as name_value the number
// it shows (grouping commas gone), or null when it shows none, so scripts
// need not parse display texts.
void InsertText(QJsonObject& object, const QString& name, const QString& text) {
    object.insert(name, text);
    const std::optional<double> value = ReadoutNumber(text.toStdString());
    object.insert(name + QStringLiteral("_value"), value ? QJsonValue(*value) : QJsonValue());
}

CliReadoutResult Fail(CliReadoutFailure failure, const QString& error) {
    return {std::nullopt, error, failure};
}

// The quantities a row shows, in the window's column order; Transmission keeps
// only frequency, loss and phase.
std::vector<std::pair<const char*, QString>> Fields(const CliMarkerTexts& m, int marker,
                                                    bool transmission) {
    if (transmission) {
        return {{"frequency", m.frequency}, {"loss", m.loss}, {"phase", m.phase}};
    }
    std::vector<std::pair<const char*, QString>> fields = {
        {"frequency", m.frequency}, {"swr", m.swr}, {"z", m.z},   {"loss", m.loss},
        {"phase", m.phase},         {"rs", m.rs},   {"xs", m.xs},
    };
    if (marker < 3) {
        fields.emplace_back("uh", m.uh);
        fields.emplace_back("pf", m.pf);
    }
    return fields;
}

}  // namespace

std::int32_t MarkerIndexAtPoint(std::int32_t point, std::int32_t Champ, std::int16_t Step) {
    const double W = kReadoutGraphWidth;
    const auto x = Champ > 0 ? static_cast<float>(point * W / Champ) : 0.0f;
    return MarkerIndex(x, W, Champ, Step);
}

CliReadoutResult ComputeCliReadout(const QString& fileName, const QByteArray& fileBytes,
                                   const ReadoutArguments& arguments, const Settings& settings,
                                   const Normalisation& normalisation) {
    const CliVecResult read = ReadCliVec(fileName, fileBytes);
    if (!read.data) {
        return Fail(CliReadoutFailure::File, read.error);
    }
    const std::int32_t Champ = read.data->buffers.champ();
    const VecFileData& data = *read.data;

    const struct {
        const char* option;
        const std::optional<std::int32_t>& point;
    } given[] = {{"--marker1", arguments.marker1}, {"--marker2", arguments.marker2}};
    for (const auto& g : given) {
        if (g.point && (*g.point < 1 || *g.point > Champ)) {
            return Fail(CliReadoutFailure::Arguments,
                        QStringLiteral("%1 %2 is beyond the %3 points of %4")
                            .arg(QLatin1String(g.option))
                            .arg(*g.point)
                            .arg(Champ)
                            .arg(fileName));
        }
    }

    CliReadout out;
    out.points = Champ;
    out.FMin = data.FMin;
    out.FMax = data.FMax;
    out.transmission = arguments.transmission;

    const double W = kReadoutGraphWidth;
    const std::int16_t Step = settings.Step;
    const float TransmissionMode = arguments.transmission ? 1.0f : 0.0f;
    const LossErrors errors =
        ComputeLossErrors(normalisation, data.FMin, data.FMax, Champ, TransmissionMode,
                          settings.caloffsetrx, settings.caloffsettx);
    for (const Standard s : errors.Standards) {
        out.normalised << QLatin1String(StandardName(s).data());
    }
    out.warning = QString::fromStdString(OutsideText(errors));
    const std::span<const double> error(errors.Error);
    const std::span<const float> magnitude(data.buffers.MagnitudeSamples);
    const BestMatchResult best =
        BestMatch(magnitude.data(), error.empty() ? nullptr : error.data(), Champ, Step);
    const float linM3X =
        MinSwrMarkerX(static_cast<float>(W), static_cast<float>(best.BestMatchPoint), Champ);
    const std::int32_t index[3] = {
        arguments.marker1 ? MarkerIndexAtPoint(*arguments.marker1, Champ, Step)
                          : MarkerIndex(kLinM1DesignX, W, Champ, Step),
        arguments.marker2 ? MarkerIndexAtPoint(*arguments.marker2, Champ, Step)
                          : MarkerIndex(kLinM2DesignX, W, Champ, Step),
        MarkerIndex(linM3X, W, Champ, Step),
    };

    const float CalOffsetDb =
        CalOffsetDbFor(TransmissionMode, settings.caloffsetrx, settings.caloffsettx);
    const double FreqStep =
        (static_cast<double>(data.FMax) - static_cast<double>(data.FMin)) / Champ;
    const std::string lossOffset = arguments.lossOffset.toStdString();

    for (std::size_t m = 0; m < 3; ++m) {
        MarkerReadoutInputs in;
        in.Index = index[m];
        in.MagnitudeSamples = magnitude;
        in.PhaseSamples = data.buffers.PhaseSamples;
        in.FMin = data.FMin;
        in.FreqStep = FreqStep;
        in.CalOffsetDb = CalOffsetDb;
        in.txtLossOffset = lossOffset;
        const MarkerReadout r = ComputeMarkerReadout(in, LossErrorAt(error, in.Index));
        CliMarkerTexts& t = out.markers[m];
        t.index = index[m];
        t.frequency = Text(r.Frequency);
        t.swr = Text(r.Swr);
        t.z = Text(r.Z);
        t.loss = Text(r.Loss);
        t.phase = Text(r.Phase);
        t.rs = Text(r.Rs);
        t.xs = Text(r.Xs);
        t.uh = Plain(r.Uh);
        t.pf = Plain(r.Pf);
    }

    const auto at = [&](std::int32_t i) { return magnitude[static_cast<std::size_t>(i)]; };
    const CableLossReadout cable =
        ComputeCableLoss(at(index[0]), at(index[1]), settings.caloffsetvalue, CalOffsetDb,
                         LossErrorAt(error, index[0]), LossErrorAt(error, index[1]));
    out.cableLossMin = Text(cable.txtMinCL);
    out.cableLossAvg = Text(cable.txtAvgCL);
    out.cableLossMax = Text(cable.txtMaxCL);
    const BandwidthReadout bw = ComputeBandwidth(index[0], index[1], FreqStep, data.FMin);
    out.bandwidth = Text(bw.txtBandwidth);
    out.q = Text(bw.txtQ);
    out.cableLengthMetres =
        Text(ComputeCableLength(bw.Bandwidth, settings.InputVelFactor).txtMeters);
    return {out, {}, CliReadoutFailure::None};
}

QByteArray CliReadoutJson(const CliReadout& readout) {
    QJsonObject markers;
    for (int m = 1; m <= 3; ++m) {
        const CliMarkerTexts& t = readout.markers[static_cast<std::size_t>(m - 1)];
        QJsonObject marker{{QStringLiteral("index"), t.index}};
        for (const auto& [key, text] : Fields(t, m, readout.transmission)) {
            InsertText(marker, QLatin1String(key), text);
        }
        markers.insert(QString::number(m), marker);
    }
    QJsonObject cableLoss;
    InsertText(cableLoss, QStringLiteral("min"), readout.cableLossMin);
    InsertText(cableLoss, QStringLiteral("avg"), readout.cableLossAvg);
    InsertText(cableLoss, QStringLiteral("max"), readout.cableLossMax);
    QJsonObject root{
        {QStringLiteral("points"), readout.points},
        {QStringLiteral("fmin_hz"), static_cast<double>(readout.FMin)},
        {QStringLiteral("fmax_hz"), static_cast<double>(readout.FMax)},
        {QStringLiteral("transmission"), readout.transmission},
        {QStringLiteral("markers"), markers},
        {QStringLiteral("cable_loss"), cableLoss},
        {QStringLiteral("normalised"), QJsonArray::fromStringList(readout.normalised)},
    };
    InsertText(root, QStringLiteral("bandwidth"), readout.bandwidth);
    InsertText(root, QStringLiteral("q"), readout.q);
    InsertText(root, QStringLiteral("cable_length_m"), readout.cableLengthMetres);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString CliReadoutTable(const CliReadout& readout) {
    const auto line = [](const QString& label, const QString& value) {
        return QStringLiteral("  %1 %2\n").arg(label + QLatin1Char(':'), -16).arg(value);
    };
    const char* const labels[][2] = {{"frequency", "Frequency (Hz)"},
                                     {"swr", "SWR"},
                                     {"z", "|Z| (ohm)"},
                                     {"loss", "Loss (dB)"},
                                     {"phase", "Phase (deg)"},
                                     {"rs", "Rs (ohm)"},
                                     {"xs", "|Xs| (ohm)"},
                                     {"uh", "L (uH)"},
                                     {"pf", "C (pF)"}};
    const auto label = [&](const char* key) {
        for (const auto& l : labels) {
            if (qstrcmp(l[0], key) == 0) {
                return QString::fromLatin1(l[1]);
            }
        }
        return QString::fromLatin1(key);
    };

    QString text = QStringLiteral("%1 points, %2 to %3 Hz, %4\n")
                       .arg(readout.points)
                       .arg(static_cast<double>(readout.FMin), 0, 'f', 0)
                       .arg(static_cast<double>(readout.FMax), 0, 'f', 0)
                       .arg(readout.transmission ? QStringLiteral("transmission")
                                                 : QStringLiteral("reflection"));
    for (int m = 1; m <= 3; ++m) {
        const CliMarkerTexts& t = readout.markers[static_cast<std::size_t>(m - 1)];
        text += QStringLiteral("\nMarker %1%2, point %3\n")
                    .arg(m)
                    .arg(m == 3 ? QStringLiteral(" (min. SWR)") : QString())
                    .arg(t.index);
        for (const auto& [key, value] : Fields(t, m, readout.transmission)) {
            text += line(label(key), value);
        }
    }
    text += QStringLiteral("\nBandwidth and Q\n");
    text += line(QStringLiteral("Bandwidth (Hz)"), readout.bandwidth);
    text += line(QStringLiteral("Q"), readout.q);
    text += QStringLiteral("\nCable\n");
    text += line(QStringLiteral("Loss min. (dB)"), readout.cableLossMin);
    text += line(QStringLiteral("Loss avg. (dB)"), readout.cableLossAvg);
    text += line(QStringLiteral("Loss max. (dB)"), readout.cableLossMax);
    text += line(QStringLiteral("Length (m)"), readout.cableLengthMetres);
    if (!readout.normalised.isEmpty()) {
        text += QStringLiteral("\nNormalised to %1: the phase is not changed\n")
                    .arg(readout.normalised.join(QLatin1Char('+')));
    }
    return text;
}
