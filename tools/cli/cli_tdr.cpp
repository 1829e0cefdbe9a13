#include "cli_tdr.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <span>

#include "cli_convert.h"
#include "timedomain/sweep_input.h"
#include "timedomain/velocity_factors.h"

namespace {

CliTdrResult Fail(CliTdrFailure failure, const QString& error) {
    return {std::nullopt, error, failure};
}

QJsonArray Array(std::span<const double> values) {
    QJsonArray array;
    for (const double v : values) {
        array.append(v);
    }
    return array;
}

// Locale-free and short, but exact enough to find a peak again.
QByteArray Number(double v) {
    return QByteArray::number(v, 'g', 9);
}

// Rows of the table beyond these are left to --json and --output.
constexpr qsizetype kTablePeaks = 20;

}  // namespace

CliTdrResult ComputeCliTdr(const QString& fileName, const QByteArray& fileBytes,
                           const TdrArguments& arguments, const Settings& settings,
                           const Normalisation& normalisation) {
    const CliVecResult read = ReadCliVec(fileName, fileBytes);
    if (!read.data) {
        return Fail(CliTdrFailure::File, read.error);
    }
    const CliExportInput in =
        CliExportInputOf(*read.data, arguments.transmission, arguments.lossOffset, &normalisation);
    LossErrors errors;
    const TimeDomainSweep sweep = TimeDomainSweepFrom(CliSweepExportInput(in, settings, &errors));

    CliTdr out;
    out.options = DefaultTimeDomainOptions(settings);
    out.options.VelocityFactor = arguments.velocityFactor.value_or(out.options.VelocityFactor);
    out.options.Window = arguments.window;
    out.warning = QString::fromStdString(OutsideText(errors));
    TimeDomainTransform transform;
    QString error;
    if (arguments.transmission) {
        TransmissionDelayResult r = transform.transmission(sweep, out.options);
        out.delay = r.delay;
        error = QString::fromStdString(r.error);
    } else {
        TimeDomainResult r = transform.reflection(sweep, out.options);
        out.response = std::move(r.response);
        error = QString::fromStdString(r.error);
    }
    if (!out.delay && !out.response) {
        return Fail(CliTdrFailure::Sweep, QStringLiteral("%1: %2").arg(fileName, error));
    }
    return {std::move(out), {}, CliTdrFailure::None};
}

QByteArray CliTdrJson(const CliTdr& tdr) {
    QJsonObject root{
        {QStringLiteral("velocity_factor"), tdr.options.VelocityFactor},
        {QStringLiteral("window"), QString::fromLatin1(TimeWindowName(tdr.options.Window).data())},
    };
    if (tdr.delay) {
        root.insert(QStringLiteral("delay_s"), tdr.delay->DelaySeconds);
        root.insert(QStringLiteral("length_m"), tdr.delay->LengthM);
        root.insert(QStringLiteral("gain"), tdr.delay->Gain);
    } else if (tdr.response) {
        const TimeDomainResponse& r = *tdr.response;
        QJsonArray peaks;
        for (const TimeDomainPeak& p : r.Peaks) {
            peaks.append(QJsonObject{{QStringLiteral("distance_m"), p.DistanceM},
                                     {QStringLiteral("reflection"), p.Reflection}});
        }
        root.insert(QStringLiteral("distance_m"), Array(r.DistanceM));
        root.insert(QStringLiteral("impulse"), Array(r.Impulse));
        root.insert(QStringLiteral("step"), Array(r.Step));
        root.insert(QStringLiteral("impedance_ohm"), Array(r.Ohms));
        root.insert(QStringLiteral("resolution_m"), r.ResolutionM);
        root.insert(QStringLiteral("range_m"), r.AliasFreeM);
        root.insert(QStringLiteral("peaks"), peaks);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Compact) + '\n';
}

QString CliTdrTable(const CliTdr& tdr) {
    const auto line = [](const QString& label, const QString& value) {
        return QStringLiteral("%1 %2\n").arg(label + QLatin1Char(':'), -22).arg(value);
    };
    const auto fixed = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    QString text = line(QStringLiteral("Velocity factor"), fixed(tdr.options.VelocityFactor, 3));
    text += line(QStringLiteral("Window"),
                 QString::fromLatin1(TimeWindowName(tdr.options.Window).data()));
    if (tdr.delay) {
        text += line(QStringLiteral("Delay (ns)"), fixed(tdr.delay->DelaySeconds * 1e9, 3));
        text += line(QStringLiteral("Length (m)"), fixed(tdr.delay->LengthM, 3));
        text += line(QStringLiteral("Gain"), fixed(tdr.delay->Gain, 4));
        return text;
    }
    if (!tdr.response) {
        return text;
    }
    const TimeDomainResponse& r = *tdr.response;
    text += line(QStringLiteral("Resolution (m)"), fixed(r.ResolutionM, 3));
    text += line(QStringLiteral("Alias-free range (m)"), fixed(r.AliasFreeM, 1));
    text += QStringLiteral("\nPeaks, largest first\n  %1  %2\n")
                .arg(QStringLiteral("Distance (m)"), 12)
                .arg(QStringLiteral("Reflection"), 10);
    const qsizetype shown = std::min<qsizetype>(r.Peaks.size(), kTablePeaks);
    for (qsizetype i = 0; i < shown; ++i) {
        const TimeDomainPeak& p = r.Peaks[static_cast<std::size_t>(i)];
        text += QStringLiteral("  %1  %2\n")
                    .arg(fixed(p.DistanceM, 3), 12)
                    .arg(fixed(p.Reflection, 4), 10);
    }
    if (static_cast<qsizetype>(r.Peaks.size()) > shown) {
        text += QStringLiteral("  and %1 more (--json lists them all)\n")
                    .arg(static_cast<qsizetype>(r.Peaks.size()) - shown);
    }
    return text;
}

QByteArray CliTdrCsv(const TimeDomainResponse& response) {
    QByteArray csv("distance_m,impulse,step,impedance_ohm\n");
    for (std::size_t i = 0; i < response.DistanceM.size(); ++i) {
        csv += Number(response.DistanceM[i]) + ',' + Number(response.Impulse[i]) + ',' +
               Number(response.Step[i]) + ',' + Number(response.Ohms[i]) + '\n';
    }
    return csv;
}
