#include "cli_reactance.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cycle/marker_readouts.h"
#include "measure/conversion.h"
#include "timedomain/sweep_input.h"

namespace {

QString Named(const QString& name, const std::string& why) {
    return QStringLiteral("%1: %2").arg(name, QString::fromStdString(why));
}

}  // namespace

CliSigns CliCausalSigns(const CliExportInput& input, const Settings& settings,
                        const QString& wideName, const QByteArray* wideBytes) {
    LossErrors errors;
    const TimeDomainSweep sweep =
        TimeDomainSweepFrom(CliSweepExportInput(input, settings, &errors));
    ReactanceSignFinder finder;
    if (wideBytes == nullptr) {
        ReactanceSigns r = finder.signs(sweep);
        if (!r.error.empty()) {
            return {
                {}, Named(QStringLiteral("the sweep"), r.error), CliReactanceFailure::Sweep, {}};
        }
        return {std::move(r.Signs), {}, CliReactanceFailure::None, {}};
    }
    const CliVecResult read = ReadCliVec(wideName, *wideBytes);
    if (!read.data) {
        return {{}, read.error, CliReactanceFailure::File, {}};
    }
    const CliExportInput wideInput =
        CliExportInputOf(*read.data, input.transmission, input.lossOffset, input.normalisation);
    LossErrors wideErrors;
    const TimeDomainSweep wide =
        TimeDomainSweepFrom(CliSweepExportInput(wideInput, settings, &wideErrors));
    ReactanceSigns r = finder.signs(sweep, wide);
    if (!r.error.empty()) {
        return {{}, Named(QStringLiteral("the sweep"), r.error), CliReactanceFailure::Sweep, {}};
    }
    const QString outside = QString::fromStdString(OutsideText(wideErrors));
    return {std::move(r.Signs),
            {},
            CliReactanceFailure::None,
            outside.isEmpty() ? QString() : QStringLiteral("the wide sweep: ") + outside};
}

std::vector<std::int8_t> SignFactors(const std::vector<ReactanceSign>& signs) {
    std::vector<std::int8_t> out;
    out.reserve(signs.size());
    for (const ReactanceSign s : signs) {
        out.push_back(static_cast<std::int8_t>(s));
    }
    return out;
}

CliReactanceResult ComputeCliReactance(const QString& fileName, const QByteArray& fileBytes,
                                       const ReactanceArguments& arguments,
                                       const Settings& settings, const Normalisation& normalisation,
                                       const QByteArray* wideBytes) {
    const CliVecResult read = ReadCliVec(fileName, fileBytes);
    if (!read.data) {
        return {std::nullopt, read.error, CliReactanceFailure::File};
    }
    const CliExportInput in =
        CliExportInputOf(*read.data, false, arguments.lossOffset, &normalisation);
    CliSigns signs = CliCausalSigns(in, settings, arguments.widePath, wideBytes);
    if (signs.signs.empty()) {
        return {std::nullopt, signs.error, signs.failure};
    }
    LossErrors errors;
    const SweepExportInput sweep = CliSweepExportInput(in, settings, &errors);
    PointConverter convert(sweep.CalOffsetDb, sweep.LossOffset);
    const double step =
        (static_cast<double>(sweep.FMax) - static_cast<double>(sweep.FMin)) / sweep.Champ;
    CliReactance out;
    for (std::int32_t point = 1; point <= sweep.Champ; ++point) {
        const auto at = static_cast<std::size_t>(point);
        const PointValues v = convert(sweep.MagnitudeSamples[at], sweep.PhaseSamples[at],
                                      LossErrorAt(sweep.LossErrors, point));
        const ReactanceSign sign = signs.signs[at - 1];
        out.points.push_back({static_cast<double>(sweep.FMin) + point * step, v.Rs,
                              SignFactor(sign) * static_cast<double>(v.Xs), sign});
    }
    QStringList warnings;
    for (const QString& w : {QString::fromStdString(OutsideText(errors)), signs.warning}) {
        if (!w.isEmpty()) {
            warnings << w;
        }
    }
    out.warning = warnings.join(QStringLiteral("; "));
    return {std::move(out), {}, CliReactanceFailure::None};
}

QByteArray CliReactanceJson(const CliReactance& reactance) {
    QJsonArray points;
    for (const CliReactancePoint& p : reactance.points) {
        points.append(QJsonObject{
            {QStringLiteral("frequency_hz"), p.frequencyHz},
            {QStringLiteral("rs_ohm"), p.rsOhm},
            {QStringLiteral("xs_ohm"), p.xsOhm},
            {QStringLiteral("sign"), QString(QLatin1Char(ReactanceSignChar(p.sign)))},
        });
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("points"), points}})
               .toJson(QJsonDocument::Compact) +
           '\n';
}

QString CliReactanceTable(const CliReactance& reactance) {
    QString text = QStringLiteral("%1  %2  %3  Sign (inferred by causality)\n")
                       .arg(QStringLiteral("Frequency (MHz)"), 15)
                       .arg(QStringLiteral("Rs (ohm)"), 10)
                       .arg(QStringLiteral("Xs (ohm)"), 10);
    for (const CliReactancePoint& p : reactance.points) {
        text += QStringLiteral("%1  %2  %3  %4\n")
                    .arg(p.frequencyHz / 1e6, 15, 'f', 6)
                    .arg(p.rsOhm, 10, 'f', 2)
                    .arg(p.xsOhm, 10, 'f', 2)
                    .arg(QLatin1Char(ReactanceSignChar(p.sign)));
    }
    return text;
}
