#include "cli_check.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli_convert.h"

CliCheckResult ComputeCliCheck(const QString& fileName, const QByteArray& fileBytes,
                               const QString& limitsName, const QByteArray& limitsBytes,
                               const CheckArguments& arguments, const Settings& settings,
                               const Normalisation& normalisation) {
    LimitParse parsed = ParseLimits(limitsBytes);
    if (!parsed.limits) {
        return {std::nullopt, QStringLiteral("%1: %2").arg(limitsName, parsed.error)};
    }
    if (const auto refusal = LimitsModeRefusal(*parsed.limits, arguments.transmission)) {
        return {std::nullopt, QStringLiteral("%1: %2").arg(limitsName, *refusal)};
    }
    const CliVecResult read = ReadCliVec(fileName, fileBytes);
    if (!read.data) {
        return {std::nullopt, read.error};
    }
    const CliExportInput in =
        CliExportInputOf(*read.data, arguments.transmission, arguments.lossOffset, &normalisation);
    LossErrors errors;
    const SweepExportInput sweep = CliSweepExportInput(in, settings, &errors);
    CliCheck out;
    out.verdict = EvaluateLimits(*parsed.limits, LimitTraceValuesOf(sweep));
    out.limits = std::move(*parsed.limits);
    out.warning = QString::fromStdString(OutsideText(errors));
    return {std::move(out), {}};
}

QByteArray CliCheckJson(const CliCheck& check) {
    QJsonArray segments;
    for (std::size_t i = 0; i < check.limits.segments.size(); ++i) {
        const LimitSegment& s = check.limits.segments[i];
        const SegmentVerdict& v = check.verdict.segments[i];
        const auto worst = [&v](double value) {
            return v.worst ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
        };
        segments.append(QJsonObject{
            {QStringLiteral("line"), s.line},
            {QStringLiteral("trace"), QLatin1String(LimitTraceName(s.trace))},
            {QStringLiteral("kind"), QLatin1String(LimitKindName(s.kind))},
            {QStringLiteral("pass"), v.pass},
            {QStringLiteral("checked_points"), v.checkedPoints},
            {QStringLiteral("failed_points"), v.failedPoints},
            {QStringLiteral("worst_frequency_hz"), worst(v.worstFrequencyHz)},
            {QStringLiteral("worst_value"), worst(v.worstValue)},
            {QStringLiteral("worst_margin"), worst(v.worstMargin)},
        });
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("pass"), check.verdict.pass},
                                     {QStringLiteral("segments"), segments}})
               .toJson(QJsonDocument::Compact) +
           '\n';
}

QString CliCheckTable(const CliCheck& check) {
    if (check.limits.segments.empty()) {
        return QStringLiteral("The limits file holds no segments: nothing to check.\nPASS\n");
    }
    QString text = QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8  %9\n")
                       .arg(QStringLiteral("Line"), 4)
                       .arg(QStringLiteral("Trace"), -5)
                       .arg(QStringLiteral("Kind"), -4)
                       .arg(QStringLiteral("From-To (MHz)"), -23)
                       .arg(QStringLiteral("Points"), 6)
                       .arg(QStringLiteral("Failed"), 6)
                       .arg(QStringLiteral("Worst at (MHz)"), 14)
                       .arg(QStringLiteral("Value"), 10)
                       .arg(QStringLiteral("Margin  Result"), 16);
    for (std::size_t i = 0; i < check.limits.segments.size(); ++i) {
        const LimitSegment& s = check.limits.segments[i];
        const SegmentVerdict& v = check.verdict.segments[i];
        const QString range =
            QStringLiteral("%1-%2").arg(s.f1Hz / 1e6, 0, 'f', 6).arg(s.f2Hz / 1e6, 0, 'f', 6);
        QString worst;
        if (v.worst) {
            worst = QStringLiteral("%1  %2  %3")
                        .arg(v.worstFrequencyHz / 1e6, 14, 'f', 6)
                        .arg(v.worstValue, 10, 'f', 3)
                        .arg(v.worstMargin, 8, 'f', 3);
        } else {
            worst = QStringLiteral("%1  %2  %3")
                        .arg(QStringLiteral("no point"), 14)
                        .arg(QStringLiteral("-"), 10)
                        .arg(QStringLiteral("-"), 8);
        }
        text += QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                    .arg(s.line, 4)
                    .arg(QLatin1String(LimitTraceName(s.trace)), -5)
                    .arg(QLatin1String(LimitKindName(s.kind)), -4)
                    .arg(range, -23)
                    .arg(v.checkedPoints, 6)
                    .arg(v.failedPoints, 6)
                    .arg(worst)
                    .arg(v.pass ? QStringLiteral("pass") : QStringLiteral("FAIL"));
    }
    return text + (check.verdict.pass ? QStringLiteral("PASS\n") : QStringLiteral("FAIL\n"));
}
