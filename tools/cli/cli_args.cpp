#include "cli_args.h"

#include <cmath>
#include <limits>

#include "instrument/protocol.h"

namespace {

enum class Option {
    Device,
    Start,
    Stop,
    Points,
    Transmission,
    TimeoutMs,
    Settings,
    Output,
    Marker1,
    Marker2,
    LossOffset,
    Json,
    Normalisation,  // --open, --short, --through, --normalise
    Memory,
    Width,
    Height
};

// Which commands an option belongs to.
enum : unsigned { kForSweep = 1, kForReadout = 2, kForConvert = 4, kForPlot = 8 };
// The commands that convert a saved sweep take the normalisation options.
constexpr unsigned kNormalised = kForReadout | kForConvert | kForPlot;
// A picture shows the readouts, so plot reads them as readout does.
constexpr unsigned kReadouts = kForReadout | kForPlot;

struct OptionName {
    const char* name;
    Option option;
    bool takesValue;
    unsigned commands;
    bool mayBeEmpty = false;  // the empty text is a value of its own
    bool repeats = false;     // may be given more than once
};

constexpr OptionName kOptions[] = {
    {"device", Option::Device, true, kForSweep},
    {"start", Option::Start, true, kForSweep},
    {"stop", Option::Stop, true, kForSweep},
    {"points", Option::Points, true, kForSweep},
    {"transmission", Option::Transmission, false, kForSweep | kReadouts | kForConvert},
    {"timeout-ms", Option::TimeoutMs, true, kForSweep},
    {"settings", Option::Settings, true, kForSweep | kReadouts | kForConvert},
    {"output", Option::Output, true, kForSweep | kForConvert | kForPlot},
    {"marker1", Option::Marker1, true, kReadouts},
    {"marker2", Option::Marker2, true, kReadouts},
    // The text of the offset box, which may be empty (an offset of 0).
    {"loss-offset", Option::LossOffset, true, kForSweep | kReadouts | kForConvert, true},
    {"json", Option::Json, false, kForReadout},
    {"open", Option::Normalisation, true, kNormalised},
    {"short", Option::Normalisation, true, kNormalised},
    {"through", Option::Normalisation, true, kNormalised},
    {"normalise", Option::Normalisation, true, kNormalised},
    {"memory", Option::Memory, true, kForPlot, false, true},
    {"width", Option::Width, true, kForPlot},
    {"height", Option::Height, true, kForPlot},
};

const OptionName* FindOption(const QString& name) {
    for (const OptionName& o : kOptions) {
        if (name == QLatin1String(o.name)) {
            return &o;
        }
    }
    return nullptr;
}

// A whole decimal number, nothing after it; "." is the decimal point whatever
// the locale: QString::toDouble never uses it.
std::optional<double> ParseMHz(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> ParseWhole(const QString& text, qint64 low, qint64 high) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

CliParseResult Fail(const QString& error) {
    return {std::nullopt, error};
}

// The limit in Hz as the 32-bit float the program keeps, or nothing when it
// does not fit one.
std::optional<float> HzAsFloat(double mhz) {
    const double hz = mhz * 1e6;
    if (!std::isfinite(hz) || std::fabs(hz) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(hz);
}

const char* CommandName(CliCommand command) {
    switch (command) {
        case CliCommand::Sweep:
            return "sweep";
        case CliCommand::Readout:
            return "readout";
        case CliCommand::Convert:
            return "convert";
        case CliCommand::Plot:
            return "plot";
    }
    return "";
}

// The mode follows a Touchstone output: S21 lives only in a .s2p.
std::optional<QString> MatchOutputToMode(const QString& outputPath, bool* transmission) {
    const CliOutputKind kind = CliOutputKindOf(outputPath);
    if (kind == CliOutputKind::S2p) {
        *transmission = true;
    } else if (kind == CliOutputKind::S1p && *transmission) {
        return QStringLiteral("A transmission sweep is written as .s2p, not \"%1\"")
            .arg(outputPath);
    }
    return std::nullopt;
}

}  // namespace

CliOutputKind CliOutputKindOf(const QString& path) {
    const struct {
        const char* extension;
        CliOutputKind kind;
    } kinds[] = {
        {".csv", CliOutputKind::Csv}, {".s1p", CliOutputKind::S1p}, {".s2p", CliOutputKind::S2p}};
    for (const auto& k : kinds) {
        if (path.endsWith(QLatin1String(k.extension), Qt::CaseInsensitive)) {
            return k.kind;
        }
    }
    return CliOutputKind::Vec;
}

CliParseResult ParseCliArguments(const QStringList& arguments) {
    CliArguments out;
    bool haveCommand = false;
    bool haveFile = false;
    bool seen[std::size(kOptions)] = {};
    QStringList values[std::size(kOptions)];

    // First the words: the command, the file, and each option with its raw
    // value. Options may come before the command, so their meaning waits.
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out.help = true;
            return {out, {}};
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            if (!haveCommand) {
                const CliCommand commands[] = {CliCommand::Sweep, CliCommand::Readout,
                                               CliCommand::Convert, CliCommand::Plot};
                for (const CliCommand c : commands) {
                    if (arg == QLatin1String(CommandName(c))) {
                        haveCommand = true;
                        out.command = c;
                    }
                }
                if (haveCommand) {
                    continue;
                }
            }
            if (haveCommand && out.command != CliCommand::Sweep && !haveFile) {
                if (arg.isEmpty()) {
                    return Fail(QStringLiteral("The file name is empty"));
                }
                haveFile = true;
                (out.command == CliCommand::Convert ? out.convert.file : out.readout.file) = arg;
                continue;
            }
            return Fail(haveCommand
                            ? QStringLiteral("Unexpected argument \"%1\"").arg(arg)
                            : QStringLiteral("Unknown command \"%1\"; try --help").arg(arg));
        }

        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, equals < 0 ? -1 : equals - 2);
        const OptionName* option = FindOption(name);
        if (option == nullptr) {
            return Fail(QStringLiteral("Unknown option --%1; try --help").arg(name));
        }
        const auto index = static_cast<std::size_t>(option - kOptions);
        if (seen[index] && !option->repeats) {
            return Fail(QStringLiteral("--%1 is given twice").arg(name));
        }
        seen[index] = true;

        QString value;
        if (!option->takesValue) {
            if (equals >= 0) {
                return Fail(QStringLiteral("--%1 takes no value").arg(name));
            }
        } else if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];  // may begin with "-": a negative number
        } else {
            return Fail(QStringLiteral("--%1 needs a value").arg(name));
        }
        if (option->takesValue && !option->mayBeEmpty && value.isEmpty()) {
            return Fail(QStringLiteral("--%1 needs a value").arg(name));
        }
        values[index] << value;
    }

    if (!haveCommand) {
        return Fail(QStringLiteral("No command given; try --help"));
    }
    const bool sweep = out.command == CliCommand::Sweep;
    const bool convert = out.command == CliCommand::Convert;
    const bool plot = out.command == CliCommand::Plot;
    const unsigned command = sweep     ? kForSweep
                             : convert ? kForConvert
                             : plot    ? kForPlot
                                       : kForReadout;

    // Then each option given, read for the command.
    for (std::size_t k = 0; k < std::size(kOptions); ++k) {
        if (!seen[k]) {
            continue;
        }
        const OptionName& option = kOptions[k];
        const QString name = QLatin1String(option.name);
        const QString value = values[k].value(0);
        if ((option.commands & command) == 0) {
            return Fail(QStringLiteral("--%1 is not an option of %2; try --help")
                            .arg(name, QLatin1String(CommandName(out.command))));
        }
        SweepArguments& s = out.sweep;
        ReadoutArguments& r = out.readout;
        ConvertArguments& c = out.convert;
        switch (option.option) {
            case Option::Device:
                s.device = value;
                break;
            case Option::Start:
            case Option::Stop: {
                const auto mhz = ParseMHz(value);
                if (!mhz) {
                    return Fail(QStringLiteral("--%1 wants a frequency in MHz such as 14.2, not "
                                               "\"%2\"")
                                    .arg(name, value));
                }
                (option.option == Option::Start ? s.startMHz : s.stopMHz) = *mhz;
                break;
            }
            case Option::Points: {
                const auto points = ParseWhole(value, 1, kMaxCliPoints);
                if (!points) {
                    return Fail(QStringLiteral("--points wants a whole number from 1 to %1, not "
                                               "\"%2\"")
                                    .arg(kMaxCliPoints)
                                    .arg(value));
                }
                s.points = static_cast<std::int32_t>(*points);
                break;
            }
            case Option::Transmission:
                (sweep ? s.transmission : convert ? c.transmission : r.transmission) = true;
                break;
            case Option::TimeoutMs: {
                const auto ms = ParseWhole(value, 1, kMaxCliTimeoutMs);
                if (!ms) {
                    return Fail(QStringLiteral("--timeout-ms wants milliseconds from 1 to %1, not "
                                               "\"%2\"")
                                    .arg(kMaxCliTimeoutMs)
                                    .arg(value));
                }
                s.timeoutMs = *ms;
                break;
            }
            case Option::Settings:
                (sweep ? s.settingsPath : convert ? c.settingsPath : r.settingsPath) = value;
                break;
            case Option::Output:
                (sweep ? s.outputPath : convert ? c.outputPath : out.plot.outputPath) = value;
                break;
            case Option::Marker1:
            case Option::Marker2: {
                // The file's point count is not known yet; the readout checks
                // the index against it.
                const auto point = ParseWhole(value, 1, kMaxCliPoints);
                if (!point) {
                    return Fail(QStringLiteral("--%1 wants a point index from 1 to %2, not "
                                               "\"%3\"")
                                    .arg(name)
                                    .arg(kMaxCliPoints)
                                    .arg(value));
                }
                (option.option == Option::Marker1 ? r.marker1 : r.marker2) =
                    static_cast<std::int32_t>(*point);
                break;
            }
            case Option::LossOffset:
                // The box reads "3dB" as 3; a command line says what it means,
                // so only a number, or nothing for the empty box, is taken.
                if (!value.isEmpty() && !ParseMHz(value)) {
                    return Fail(QStringLiteral("--%1 wants a number of dB such as 1.5, not "
                                               "\"%2\"")
                                    .arg(name, value));
                }
                (sweep ? s.lossOffset : convert ? c.lossOffset : r.lossOffset) = value;
                break;
            case Option::Json:
                r.json = true;
                break;
            case Option::Normalisation:
                *NormalisationValue(convert ? c.normalisation : r.normalisation, name) = value;
                break;
            case Option::Memory:
                out.plot.memories = values[k];
                break;
            case Option::Width:
            case Option::Height: {
                const bool width = option.option == Option::Width;
                const int least = width ? kMinPlotWidth : kMinPlotHeight;
                const auto pixels = ParseWhole(value, least, kMaxPlotSide);
                if (!pixels) {
                    return Fail(QStringLiteral("--%1 wants pixels from %2 to %3, not \"%4\"")
                                    .arg(name)
                                    .arg(least)
                                    .arg(kMaxPlotSide)
                                    .arg(value));
                }
                (width ? out.plot.width : out.plot.height) = static_cast<int>(*pixels);
                break;
            }
        }
    }

    if (!sweep) {
        if (!haveFile) {
            return Fail(QStringLiteral("Missing the FILE.vec to read; try --help"));
        }
        if (plot) {
            const QString& output = out.plot.outputPath;
            if (output.isEmpty()) {
                return Fail(QStringLiteral("Missing --output; try --help"));
            }
            if (!output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) &&
                !output.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
                return Fail(
                    QStringLiteral("--output wants a .png or .svg file, not \"%1\"").arg(output));
            }
        }
        if (!convert) {
            if (const auto error = CheckNormalisationArguments(out.readout.normalisation,
                                                               out.readout.transmission)) {
                return Fail(*error);
            }
            return {out, {}};
        }
        ConvertArguments& c = out.convert;
        if (c.outputPath.isEmpty()) {
            return Fail(QStringLiteral("Missing --output; try --help"));
        }
        if (CliOutputKindOf(c.outputPath) == CliOutputKind::Vec) {
            return Fail(QStringLiteral("--output wants a .csv, .s1p or .s2p file, not \"%1\"")
                            .arg(c.outputPath));
        }
        if (const auto error = MatchOutputToMode(c.outputPath, &c.transmission)) {
            return Fail(*error);
        }
        if (const auto error = CheckNormalisationArguments(c.normalisation, c.transmission)) {
            return Fail(*error);
        }
        return {out, {}};
    }
    const struct {
        Option option;
        const char* name;
    } required[] = {{Option::Device, "device"},
                    {Option::Start, "start"},
                    {Option::Stop, "stop"},
                    {Option::Output, "output"}};
    for (const auto& r : required) {
        for (std::size_t k = 0; k < std::size(kOptions); ++k) {
            if (kOptions[k].option == r.option && !seen[k]) {
                return Fail(QStringLiteral("Missing --%1; try --help").arg(QLatin1String(r.name)));
            }
        }
    }
    if (const auto error = MatchOutputToMode(out.sweep.outputPath, &out.sweep.transmission)) {
        return Fail(*error);
    }
    return {out, {}};
}

QString CliUsageText() {
    return QStringLiteral(
        "Usage: zezizav-cli sweep --device PATH --start MHZ --stop MHZ --output FILE.vec\n"
        "                         [--points N] [--transmission] [--timeout-ms MS]\n"
        "                         [--settings FILE] [--loss-offset DB]\n"
        "       zezizav-cli readout FILE.vec [--marker1 I] [--marker2 I] [--settings FILE]\n"
        "                         [--transmission] [--loss-offset DB] [--json]\n"
        "                         [NORMALISATION]\n"
        "       zezizav-cli convert FILE.vec --output OUT.csv|OUT.s1p|OUT.s2p\n"
        "                         [--settings FILE] [--transmission] [--loss-offset DB]\n"
        "                         [NORMALISATION]\n"
        "       zezizav-cli plot FILE.vec --output OUT.png|OUT.svg [--memory FILE]...\n"
        "                         [--marker1 I] [--marker2 I] [--width PX] [--height PX]\n"
        "                         [--settings FILE] [--transmission] [--loss-offset DB]\n"
        "                         [NORMALISATION]\n"
        "       zezizav-cli --help\n"
        "\n"
        "sweep: takes one sweep from the analyser on the serial device PATH and saves\n"
        "it as a .vec file, as the program's \"Save As (.vec)\" does.\n"
        "\n"
        "  --device PATH     serial device (115200 baud, 8N1), e.g. /dev/ttyUSB0\n"
        "  --start MHZ       first frequency in MHz (\".\" as the decimal point)\n"
        "  --stop MHZ        last frequency in MHz; must differ from --start\n"
        "  --points N        points of the sweep, 1 to 32767 (default: Champ of the\n"
        "                    settings)\n"
        "  --transmission    measure transmission (mode 1) instead of reflection\n"
        "  --timeout-ms MS   give up when the reply is not complete after MS ms\n"
        "                    (default: its wire time plus a margin)\n"
        "  --settings FILE   settings file (default: vezizo.ini beside this program,\n"
        "                    else $XDG_CONFIG_HOME/zezizav/vezizo.ini, else the\n"
        "                    built-in defaults)\n"
        "  --output FILE     written only when the sweep succeeded: a .csv, .s1p or\n"
        "                    .s2p name gets that file, as convert writes it; any\n"
        "                    other name gets a .vec file\n"
        "  --loss-offset DB  the loss offset box, a number such as 1.5, for .csv and\n"
        "                    Touchstone (\"\" is the empty box, an offset of 0)\n"
        "\n"
        "Exit status: 0 saved; 1 the analyser or the line failed (cannot open the\n"
        "device, no reply, short or surplus reply); 2 bad arguments or settings, or a\n"
        "sweep the analyser cannot do; 3 the output file could not be written. On any\n"
        "failure an existing output file is left as it was.\n"
        "\n"
        "readout: prints the marker readouts the window shows for a saved sweep\n"
        "(.vec): frequency, SWR, |Z|, loss, phase, Rs and |Xs| of markers 1 to 3, the\n"
        "uH and pF equivalents of markers 1 and 2, bandwidth, Q, cable loss and cable\n"
        "length. The points come from the file's size; marker 3 is the best match.\n"
        "\n"
        "  --marker1 I       point index of marker 1, 1 to the file's points, snapped\n"
        "                    to Step as a click there would be (default: where linM1\n"
        "                    starts)\n"
        "  --marker2 I       the same for marker 2 (default: where linM2 starts)\n"
        "  --settings FILE   Step, calibration offsets and velocity factor (default:\n"
        "                    vezizo.ini beside this program, else\n"
        "                    $XDG_CONFIG_HOME/zezizav/vezizo.ini, else the built-in\n"
        "                    defaults)\n"
        "  --transmission    readouts of the Transmission mode\n"
        "  --loss-offset DB  the loss offset box, a number such as 1.5 (\"\" for none)\n"
        "  --json            one JSON object instead of a table: each readout as the\n"
        "                    window's text, and beside it NAME_value, the number it\n"
        "                    shows (null when it shows none)\n"
        "\n"
        "Exit status: 0 printed; 1 the file cannot be read or is no .vec file;\n"
        "2 bad arguments or settings, or a marker beyond the file's points; 3 the\n"
        "output could not be written.\n"
        "\n"
        "convert: writes a saved sweep (.vec) as the window's \"Save As (.csv)\" or\n"
        "Touchstone export does, byte for byte for the same sweep and settings (the\n"
        "Touchstone date line aside). The points come from the file's size; the kind\n"
        "of file from the extension of OUT: .csv, .s1p (S11) or .s2p (S21 of the\n"
        "Transmission mode, so .s2p implies --transmission; .s1p with --transmission\n"
        "is refused).\n"
        "\n"
        "  --output OUT      the file to write; an existing one is replaced only\n"
        "                    when the whole file was written\n"
        "  --settings FILE   calibration offsets caloffsetrx, caloffsettx and\n"
        "                    caloffsetvalue (default: vezizo.ini beside this program,\n"
        "                    else $XDG_CONFIG_HOME/zezizav/vezizo.ini, else the\n"
        "                    built-in defaults)\n"
        "  --transmission    the sweep is of the Transmission mode\n"
        "  --loss-offset DB  the loss offset box, a number such as 1.5 (\"\" for none)\n"
        "\n"
        "Exit status: 0 written; 1 the file cannot be read or is no .vec file;\n"
        "2 bad arguments or settings; 3 the output could not be written, and an\n"
        "existing one is left as it was.\n"
        "\n"
        "plot: writes the picture the window's \"Save Picture\u2026\" would save for a\n"
        "saved sweep (.vec): the graph with its scales, frequency axis, markers and\n"
        "memories, and below it the time, range, points, mode, file and the readout\n"
        "rows the window shows, the same readouts as readout prints. No display is\n"
        "needed. --marker1, --marker2, --settings, --transmission and --loss-offset\n"
        "are read as readout reads them; the settings also give the traces, scales\n"
        "and colours; --marker2 shows marker 2.\n"
        "\n"
        "  --output OUT      the picture: .png or .svg; an existing one is replaced\n"
        "                    only when the whole picture was written\n"
        "  --memory FILE     a .vec, .s1p or .s2p file drawn under the sweep as a\n"
        "                    memory; give it again for more (a fifth replaces\n"
        "                    the oldest, as in the window)\n"
        "  --width PX        the graph's width, 589 to 8192 pixels (default 589)\n"
        "  --height PX       the graph's height, 253 to 8192 pixels (default 253)\n"
        "\n"
        "Exit status: 0 written; 1 the file, a memory or a reference cannot be read;\n"
        "2 bad arguments or settings, or a marker beyond the file's points; 3 the\n"
        "picture could not be written, and an existing one is left as it was.\n"
        "\n"
        "NORMALISATION, for readout, convert and plot: the sweep's loss is corrected point\n"
        "by point as the window's \"Calibrate\" menu does (the phase is not changed):\n"
        "\n"
        "  --open FILE.vec     a sweep of an open (reflection modes)\n"
        "  --short FILE.vec    a sweep of a short (reflection modes); with --open, the\n"
        "                      mean of the two\n"
        "  --through FILE.vec  a sweep of a through (with --transmission)\n"
        "  --normalise FILE.norm  the references of a saved normalisation, in place of\n"
        "                      the three above; those of the mode serve\n"
        "\n"
        "A file that cannot be read or holds no usable reference exits with 1.\n");
}

SweepPlanResult PlanSweep(const SweepArguments& arguments, std::int32_t settingsChamp) {
    SweepPlan plan;
    plan.Champ = arguments.points.value_or(settingsChamp);
    if (plan.Champ < 1 || plan.Champ > kMaxCliPoints) {
        return {std::nullopt, QStringLiteral("The number of points %1 is outside 1 to %2")
                                  .arg(plan.Champ)
                                  .arg(kMaxCliPoints)};
    }
    const auto fmin = HzAsFloat(arguments.startMHz);
    const auto fmax = HzAsFloat(arguments.stopMHz);
    if (!fmin || !fmax) {
        return {std::nullopt, QStringLiteral("%1 frequency %2 MHz is beyond the instrument's range")
                                  .arg(fmin ? QStringLiteral("Stop") : QStringLiteral("Start"))
                                  .arg(fmin ? arguments.stopMHz : arguments.startMHz)};
    }
    plan.FMin = *fmin;
    plan.FMax = *fmax;
    if (plan.FMin == plan.FMax) {
        return {std::nullopt,
                QStringLiteral("Start and stop are the same frequency; nothing to sweep")};
    }
    plan.FreqStep = (static_cast<double>(plan.FMax) - static_cast<double>(plan.FMin)) / plan.Champ;
    plan.TransmissionMode = arguments.transmission ? 1.0f : 0.0f;
    const EncodedCommand command =
        EncodeSweepCommand(plan.FMin, plan.FreqStep, plan.Champ, plan.TransmissionMode);
    if (!command.ok()) {
        return {std::nullopt, command.error};
    }
    return {plan, {}};
}
