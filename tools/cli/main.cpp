// zezizav-cli: takes one sweep from the analyser and saves it as a .vec file,
// through the same protocol rules and the same asynchronous exchange as the
// program. Every failure is one line on stderr and a non-zero exit, and the
// output file is written only once the whole sweep has arrived.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <span>

#include "app/settings.h"
#include "cli_args.h"
#include "files/vec_file.h"
#include "instrument/protocol.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/sweep_exchange.h"

namespace {

enum ExitCode { kSaved = 0, kLineFailed = 1, kBadRequest = 2, kNotWritten = 3 };

int Fail(const QString& message, int code) {
    std::fprintf(stderr, "zezizav-cli: %s\n", message.toLocal8Bit().constData());
    return code;
}

// Readings whose high part is above 3 keep the buffer's old value (0 here).
int SpoiledReadings(const QByteArray& reply) {
    int spoiled = 0;
    for (qsizetype i = 1; i < reply.size(); i += 2) {
        spoiled += static_cast<unsigned char>(reply[i]) > 3;
    }
    return spoiled;
}

int SaveSweep(const ExchangeResult& result, const SweepPlan& plan, const QString& outputPath) {
    if (result.outcome != ExchangeOutcome::Completed) {
        return Fail(result.message.isEmpty() ? QStringLiteral("The sweep failed") : result.message,
                    kLineFailed);
    }
    SweepBuffers buffers;
    buffers.resize(plan.Champ);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(result.reply.constData());
    if (!DecodeSweepReply(std::span(bytes, static_cast<std::size_t>(result.reply.size())),
                          std::span(buffers.PhaseSamples), std::span(buffers.MagnitudeSamples))) {
        return Fail(QStringLiteral("The reply does not fit %1 points").arg(plan.Champ),
                    kLineFailed);
    }
    if (const int spoiled = SpoiledReadings(result.reply)) {
        Fail(QStringLiteral("warning: %1 reading(s) had a high part above 3 and were left at 0")
                 .arg(spoiled),
             0);
    }
    QString error;
    if (!WriteFileSafely(outputPath, VecFileBytes(buffers, plan.FMin, plan.FMax), &error)) {
        return Fail(error, kNotWritten);
    }
    std::printf("Saved %d points, %s to %s Hz, to %s\n", plan.Champ,
                QByteArray::number(plan.FMin, 'g', 9).constData(),
                QByteArray::number(plan.FMax, 'g', 9).constData(),
                QDir::toNativeSeparators(outputPath).toLocal8Bit().constData());
    return kSaved;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    const CliParseResult parsed = ParseCliArguments(arguments);
    if (!parsed.arguments) {
        return Fail(parsed.error, kBadRequest);
    }
    if (parsed.arguments->help) {
        std::fputs(CliUsageText().toLocal8Bit().constData(), stdout);
        return kSaved;
    }
    const SweepArguments& request = parsed.arguments->sweep;

    QString settingsPath = request.settingsPath;
    if (settingsPath.isEmpty()) {
        settingsPath = QCoreApplication::applicationDirPath() + QStringLiteral("/vezizo.ini");
    } else if (!QFileInfo(settingsPath).isFile()) {
        return Fail(QStringLiteral("Cannot read the settings file %1").arg(settingsPath),
                    kBadRequest);
    }
    const std::string settingsFile = QFile::encodeName(settingsPath).toStdString();
    const SettingsResult settings = LoadSettings(settingsFile);
    if (settings.error) {
        return Fail(QString::fromStdString(DescribeSettingsError(settingsFile, *settings.error)),
                    kBadRequest);
    }

    const SweepPlanResult planned = PlanSweep(request, settings.settings.Champ);
    if (!planned.plan) {
        return Fail(planned.error, kBadRequest);
    }
    const SweepPlan plan = *planned.plan;

    QtSerialPortService port;
    port.setDevice(request.device);
    QString error;
    if (!port.open(&error)) {
        return Fail(error, kLineFailed);
    }
    SweepExchange exchange(port);
    if (request.timeoutMs) {
        exchange.setTimeoutMs(*request.timeoutMs);
    }
    QObject::connect(&exchange, &SweepExchange::finished, &app, [&](const ExchangeResult& result) {
        QCoreApplication::exit(SaveSweep(result, plan, request.outputPath));
    });
    if (const auto immediate =
            exchange.startSweep(plan.FMin, plan.FreqStep, plan.Champ, plan.TransmissionMode)) {
        return SaveSweep(*immediate, plan, request.outputPath);
    }
    const int code = QCoreApplication::exec();
    port.close();
    return code;
}
