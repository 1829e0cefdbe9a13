// zezizav-cli: takes one sweep from the analyser and saves it as a .vec file,
// through the same protocol rules and the same asynchronous exchange as the
// program, prints the window's readouts for a saved sweep, or writes a saved
// sweep as the window's .csv or Touchstone export, or draws a saved sweep as
// the window's picture, or gives a saved sweep's time domain, or holds a saved
// sweep to limit lines. Every failure is
// one line on stderr and a non-zero exit, and the output file is written only
// once the whole sweep has arrived.

#include <QGuiApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <optional>
#include <span>

#include "cli_args.h"
#include "cli_check.h"
#include "cli_convert.h"
#include "cli_plot.h"
#include "cli_reactance.h"
#include "cli_readout.h"
#include "cli_tdr.h"
#include "cli_tdr_picture.h"
#include "files/picture.h"
#include "files/vec_file.h"
#include "instrument/protocol.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/sweep_exchange.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

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

int SaveSweep(const ExchangeResult& result, const SweepPlan& plan, const SweepArguments& request,
              const Settings& settings) {
    const QString& outputPath = request.outputPath;
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
    QByteArray file;
    const CliOutputKind kind = CliOutputKindOf(outputPath);
    if (kind == CliOutputKind::Vec) {
        file = VecFileBytes(buffers, plan.FMin, plan.FMax);
    } else {
        CliExportInput in;
        in.buffers = &buffers;
        in.Champ = plan.Champ;
        in.FMin = plan.FMin;
        in.FMax = plan.FMax;
        in.transmission = plan.TransmissionMode != 0.0f;
        in.lossOffset = request.lossOffset;
        in.date = QDateTime::currentDateTime();
        const CliExportResult text = CliExportText(kind, in, settings);
        if (!text.bytes) {
            return Fail(QStringLiteral("Cannot write %1: %2").arg(outputPath, text.error),
                        kNotWritten);
        }
        file = *text.bytes;
    }
    QString error;
    if (!WriteFileSafely(outputPath, file, &error)) {
        return Fail(error, kNotWritten);
    }
    std::printf("Saved %d points, %s to %s Hz, to %s\n", plan.Champ,
                QByteArray::number(plan.FMin, 'g', 9).constData(),
                QByteArray::number(plan.FMax, 'g', 9).constData(),
                QDir::toNativeSeparators(outputPath).toLocal8Bit().constData());
    return kSaved;
}

// The settings file given, else the one the window reads: vezizo.ini beside
// the program, or the user's (absent: the defaults). A message naming the file
// and key when it cannot be used.
std::optional<Settings> LoadCliSettings(QString path, QString* error) {
    if (path.isEmpty()) {
        path = SettingsFileToRead(DefaultSettingsPlaces());
    } else if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("Cannot read the settings file %1").arg(path);
        return std::nullopt;
    }
    const std::string file = QFile::encodeName(path).toStdString();
    const SettingsResult settings = LoadSettings(file);
    if (settings.error) {
        *error = QString::fromStdString(DescribeSettingsError(file, *settings.error));
        return std::nullopt;
    }
    return settings.settings;
}

// What readout and convert both start from: the settings and the sweep file's
// bytes, read whole. On failure, the exit status to return.
struct SweepFileInput {
    Settings settings;
    QByteArray bytes;
    int failure = kSaved;
};

SweepFileInput ReadSweepFile(const QString& settingsPath, const QString& file) {
    SweepFileInput in;
    QString error;
    const std::optional<Settings> settings = LoadCliSettings(settingsPath, &error);
    if (!settings) {
        in.failure = Fail(error, kBadRequest);
        return in;
    }
    in.settings = *settings;
    if (!ReadFileLimited(file, VecFileSize(kMaxCliPoints), &in.bytes, &error)) {
        in.failure = Fail(error, kLineFailed);
    }
    return in;
}

// The references the normalisation options name; a file that cannot serve
// is a failure of the line's kind (1), like the sweep file itself.
struct NormalisationInput {
    Normalisation normalisation;
    int failure = kSaved;
};

NormalisationInput ReadNormalisation(const NormalisationArguments& arguments) {
    NormalisationInput in;
    CliNormalisationResult read = ReadCliNormalisation(arguments);
    if (!read.normalisation) {
        in.failure = Fail(read.error, kLineFailed);
    } else {
        in.normalisation = std::move(*read.normalisation);
    }
    return in;
}

void Warn(const QString& warning) {
    if (!warning.isEmpty()) {
        Fail(QStringLiteral("warning: ") + warning, 0);
    }
}

// The settings, the sweep file and the references every command on a saved
// sweep starts from: kSaved with both parts set, or the failure already
// reported.
struct SavedSweepInput {
    SweepFileInput in;
    NormalisationInput norm;
    std::optional<QByteArray> wide;  // the wide sweep a narrow one's signs come from

    const QByteArray* wideBytes() const { return wide ? &*wide : nullptr; }
};
int ReadSavedSweep(const QString& settingsPath, const QString& file,
                   const NormalisationArguments& normalisation, SavedSweepInput& s,
                   const QString& widePath = {}) {
    s.in = ReadSweepFile(settingsPath, file);
    if (s.in.failure != kSaved) {
        return s.in.failure;
    }
    if (!widePath.isEmpty()) {
        QString error;
        s.wide.emplace();
        if (!ReadFileLimited(widePath, VecFileSize(kMaxCliPoints), &*s.wide, &error)) {
            return Fail(error, kLineFailed);
        }
    }
    s.norm = ReadNormalisation(normalisation);
    return s.norm.failure;
}

// The readout of a request besides, shared by readout and plot.
struct ReadoutInput : SavedSweepInput {
    CliReadoutResult result;
};
int ReadoutOf(const ReadoutArguments& request, ReadoutInput& r) {
    if (const int failure =
            ReadSavedSweep(request.settingsPath, request.file, request.normalisation, r);
        failure != kSaved) {
        return failure;
    }
    r.result =
        ComputeCliReadout(request.file, r.in.bytes, request, r.in.settings, r.norm.normalisation);
    if (!r.result.readout) {
        return Fail(r.result.error,
                    r.result.failure == CliReadoutFailure::Arguments ? kBadRequest : kLineFailed);
    }
    Warn(r.result.readout->warning);
    return kSaved;
}

int PrintAll(const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    return std::fflush(stdout) == 0 ? kSaved : Fail(QStringLiteral("Cannot write"), kNotWritten);
}

// Written only whole: an existing file stays as it was on failure.
int WriteWhole(const QString& path, const QByteArray& bytes) {
    QString error;
    return WriteFileSafely(path, bytes, &error) ? kSaved : Fail(error, kNotWritten);
}

int Readout(const ReadoutArguments& request) {
    ReadoutInput r;
    if (const int failure = ReadoutOf(request, r); failure != kSaved) {
        return failure;
    }
    return PrintAll(request.json ? CliReadoutJson(*r.result.readout)
                                 : CliReadoutTable(*r.result.readout).toUtf8());
}

// The bytes are read whole and converted before anything is written, so a
// failure leaves no output behind.
int Convert(const ConvertArguments& request) {
    SavedSweepInput saved;
    if (const int failure = ReadSavedSweep(request.settingsPath, request.file,
                                           request.normalisation, saved, request.widePath);
        failure != kSaved) {
        return failure;
    }
    const CliConvertResult result = ComputeCliConvert(
        request.file, saved.in.bytes, request, saved.in.settings, QDateTime::currentDateTime(),
        saved.norm.normalisation, saved.wideBytes());
    if (!result.bytes) {
        return Fail(result.error,
                    result.failure == CliConvertFailure::Arguments ? kBadRequest : kLineFailed);
    }
    Warn(result.warning);
    return WriteWhole(request.outputPath, *result.bytes);
}

// A sweep that gives no signs is a bad request, as for tdr.
int Reactance(const ReactanceArguments& request) {
    SavedSweepInput saved;
    if (const int failure = ReadSavedSweep(request.settingsPath, request.file,
                                           request.normalisation, saved, request.widePath);
        failure != kSaved) {
        return failure;
    }
    const CliReactanceResult result =
        ComputeCliReactance(request.file, saved.in.bytes, request, saved.in.settings,
                            saved.norm.normalisation, saved.wideBytes());
    if (!result.reactance) {
        return Fail(result.error,
                    result.failure == CliReactanceFailure::Sweep ? kBadRequest : kLineFailed);
    }
    Warn(result.reactance->warning);
    return PrintAll(request.json ? CliReactanceJson(*result.reactance)
                                 : CliReactanceTable(*result.reactance).toUtf8());
}

// 1 is the verdict FAIL, so every file that cannot serve exits with 2.
int Check(const CheckArguments& request) {
    constexpr int kPassed = 0, kFailed = 1;
    SavedSweepInput saved;
    if (ReadSavedSweep(request.settingsPath, request.file, request.normalisation, saved) !=
        kSaved) {
        return kBadRequest;
    }
    // A limits file is a few lines; a megabyte is no limits file.
    constexpr qint64 kMaxLimitsBytes = 1 << 20;
    QByteArray limits;
    QString error;
    if (!ReadFileLimited(request.limitsPath, kMaxLimitsBytes, &limits, &error)) {
        return Fail(error, kBadRequest);
    }
    const CliCheckResult result =
        ComputeCliCheck(request.file, saved.in.bytes, request.limitsPath, limits, request,
                        saved.in.settings, saved.norm.normalisation);
    if (!result.check) {
        return Fail(result.error, kBadRequest);
    }
    Warn(result.check->warning);
    const int printed = PrintAll(request.json ? CliCheckJson(*result.check)
                                              : CliCheckTable(*result.check).toUtf8());
    if (printed != kSaved) {
        return printed;
    }
    return result.check->verdict.pass ? kPassed : kFailed;
}

// A sweep the transform refuses is a bad request, as a marker beyond the
// points is for readout; the .csv is written only whole.
int Tdr(const TdrArguments& request) {
    SavedSweepInput saved;
    if (const int failure =
            ReadSavedSweep(request.settingsPath, request.file, request.normalisation, saved);
        failure != kSaved) {
        return failure;
    }
    const CliTdrResult result = ComputeCliTdr(request.file, saved.in.bytes, request,
                                              saved.in.settings, saved.norm.normalisation);
    if (!result.tdr) {
        return Fail(result.error,
                    result.failure == CliTdrFailure::Sweep ? kBadRequest : kLineFailed);
    }
    Warn(result.tdr->warning);
    if (!request.outputPath.isEmpty() && result.tdr->response) {
        const QByteArray bytes =
            IsTdrPicture(request.outputPath)
                ? CliTdrPicture(*result.tdr, saved.in.settings, PictureFormatOf(request.outputPath))
                : CliTdrCsv(*result.tdr->response);
        if (bytes.isEmpty()) {
            return Fail(PictureNotMade(request.outputPath), kNotWritten);
        }
        const int written = WriteWhole(request.outputPath, bytes);
        if (written != kSaved || !request.json) {
            return written;
        }
    }
    return PrintAll(request.json ? CliTdrJson(*result.tdr) : CliTdrTable(*result.tdr).toUtf8());
}

// The readout decides the markers and checks the sweep file; the picture is
// written only whole.
int Plot(const ReadoutArguments& request, const PlotArguments& plot) {
    ReadoutInput r;
    if (const int failure = ReadoutOf(request, r); failure != kSaved) {
        return failure;
    }

    PlotRequest draw;
    draw.transmission = request.transmission;
    draw.memories = plot.memories;
    draw.settings = r.in.settings;
    draw.file = request.file;
    draw.fileBytes = r.in.bytes;
    draw.points = r.result.readout->points;
    draw.normalisation = r.norm.normalisation;
    draw.lossOffset = request.lossOffset;
    draw.readout = *r.result.readout;
    draw.markerAt = {request.marker1, request.marker2};
    draw.graph = QSize(plot.width.value_or(kMinPlotWidth), plot.height.value_or(kMinPlotHeight));
    draw.format = PictureFormatOf(plot.outputPath);
    draw.when = QDateTime::currentDateTime();
    const PlotResult picture = PlotPicture(draw);
    if (picture.bytes.isEmpty()) {
        return Fail(picture.error, kLineFailed);
    }
    return WriteWhole(plot.outputPath, picture.bytes);
}

}  // namespace

int main(int argc, char* argv[]) {
    // The arguments decide which application: a picture needs QtGui, drawn
    // on the offscreen platform unless one is named.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CliParseResult parsed = ParseCliArguments(arguments);
    const bool plot = parsed.arguments && !parsed.arguments->help &&
                      (parsed.arguments->command == CliCommand::Plot ||
                       (parsed.arguments->command == CliCommand::Tdr &&
                        IsTdrPicture(parsed.arguments->tdr.outputPath)));
    if (plot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (plot) {
        // The platform's notes on a window nobody sees are no concern of a
        // script; the command's own messages are its failures.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg) {
                std::fprintf(stderr, "zezizav-cli: %s\n", text.toLocal8Bit().constData());
            }
        });
    }
    const std::unique_ptr<QCoreApplication> application =
        plot ? std::make_unique<QGuiApplication>(argc, argv)
             : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    if (!parsed.arguments) {
        return Fail(parsed.error, kBadRequest);
    }
    if (parsed.arguments->help) {
        std::fputs(CliUsageText(parsed.arguments->helpCommand).toLocal8Bit().constData(), stdout);
        return kSaved;
    }
    if (parsed.arguments->command == CliCommand::Readout) {
        return Readout(parsed.arguments->readout);
    }
    if (parsed.arguments->command == CliCommand::Convert) {
        return Convert(parsed.arguments->convert);
    }
    if (parsed.arguments->command == CliCommand::Tdr) {
        return Tdr(parsed.arguments->tdr);
    }
    if (parsed.arguments->command == CliCommand::Reactance) {
        return Reactance(parsed.arguments->reactance);
    }
    if (parsed.arguments->command == CliCommand::Check) {
        return Check(parsed.arguments->check);
    }
    if (plot) {
        return Plot(parsed.arguments->readout, parsed.arguments->plot);
    }
    const SweepArguments& request = parsed.arguments->sweep;

    QString settingsError;
    const std::optional<Settings> settings = LoadCliSettings(request.settingsPath, &settingsError);
    if (!settings) {
        return Fail(settingsError, kBadRequest);
    }

    const SweepPlanResult planned = PlanSweep(request, settings->Champ);
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
        QCoreApplication::exit(SaveSweep(result, plan, request, *settings));
    });
    if (const auto immediate =
            exchange.startSweep(plan.FMin, plan.FreqStep, plan.Champ, plan.TransmissionMode)) {
        return SaveSweep(*immediate, plan, request, *settings);
    }
    const int code = QCoreApplication::exec();
    port.close();
    return code;
}
