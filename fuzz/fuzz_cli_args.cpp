// Fuzzes the command-line parser of zezizav-cli and the sweep plan made from
// what it accepts.
//
// Input: the arguments, separated by NUL bytes, as UTF-8 (as the shell passes
// them on Linux). The Champ of the settings is picked by the input's length.
//
// Beyond "no crash":
// - the parse gives either the arguments or a message, never both or neither;
// - accepted arguments (other than --help) always have a device, an output
//   file and finite limits, and points and timeout within their ranges;
// - written back as one canonical command line, in any order, they parse to
//   the same arguments; with any required option left out that line is
//   refused with a message naming the missing option;
// - an accepted `readout` always has a file name and marker indices within
//   1..32767, reads back the same from its canonical line, and is refused
//   without its file;
// - the normalisation options of an accepted `readout` or `convert` suit each
//   other and the mode, and read back the same from the canonical line;
// - an accepted `convert` always has a file and a .csv, .s1p or .s2p output,
//   is in the Transmission mode when a .s2p forces it and never with a
//   .s1p, reads back the same from its canonical line, and is refused without
//   its file or its output;
// - an accepted `plot` always has a file, a .png or .svg output, named
//   memories and a size within its ranges, reads back the same from its
//   canonical line (the memories in their order), and is refused without its
//   file or its output;
// - an accepted `tdr` always has a file, a velocity factor in (0, 1] when
//   one is given, a .csv output or none (and none in the Transmission mode),
//   reads back the same from its canonical line, and is refused without its
//   file;
// - an accepted `check` always has a file and its limits, reads back the same
//   from its canonical line, and is refused without its file or its limits;
// - --help is given only when asked for, and the help of a command only when
//   that command is given; that help is the command's own;
// - an accepted sweep to a .s2p is a transmission sweep, and never one to a
//   .s1p;
// - the plan of accepted arguments is either refused with a message or has
//   1..32767 points, different finite limits and a step that is not zero.

#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "cli_args.h"
#include "fuzz_check.h"
#include "instrument/protocol.h"

namespace {

constexpr std::array<std::int32_t, 6> kSettingsChamps = {6000, 1, 32767, 0, -1, 40000};

bool SameSweep(const SweepArguments& a, const SweepArguments& b) {
    return a.device == b.device && a.startMHz == b.startMHz && a.stopMHz == b.stopMHz &&
           a.points == b.points && a.transmission == b.transmission && a.timeoutMs == b.timeoutMs &&
           a.settingsPath == b.settingsPath && a.outputPath == b.outputPath &&
           a.lossOffset == b.lossOffset;
}

QString Number(double v) {
    return QString::number(v, 'g', 17);  // exact round trip
}

struct CanonicalOption {
    QString name;  // without "--"
    QString argument;
    bool required;
};

std::vector<CanonicalOption> Canonical(const SweepArguments& s) {
    std::vector<CanonicalOption> options = {
        {"device", "--device=" + s.device, true},
        {"start", "--start=" + Number(s.startMHz), true},
        {"stop", "--stop=" + Number(s.stopMHz), true},
        {"output", "--output=" + s.outputPath, true},
    };
    if (s.points) {
        options.push_back({"points", "--points=" + QString::number(*s.points), false});
    }
    if (s.transmission) {
        options.push_back({"transmission", "--transmission", false});
    }
    if (s.timeoutMs) {
        options.push_back({"timeout-ms", "--timeout-ms=" + QString::number(*s.timeoutMs), false});
    }
    if (!s.settingsPath.isEmpty()) {
        options.push_back({"settings", "--settings=" + s.settingsPath, false});
    }
    if (!s.lossOffset.isEmpty()) {
        options.push_back({"loss-offset", "--loss-offset=" + s.lossOffset, false});
    }
    return options;
}

void CheckCanonical(const SweepArguments& s) {
    const std::vector<CanonicalOption> options = Canonical(s);

    QStringList forward{QStringLiteral("sweep")};
    QStringList backward;
    for (const CanonicalOption& o : options) {
        forward << o.argument;
        backward.prepend(o.argument);
    }
    backward << QStringLiteral("sweep");
    for (const QStringList& line : {forward, backward}) {
        const CliParseResult again = ParseCliArguments(line);
        FUZZ_CHECK(again.arguments && !again.arguments->help,
                   "accepted arguments, written out, are accepted again");
        FUZZ_CHECK(SameSweep(again.arguments->sweep, s), "accepted arguments read back the same");
    }

    for (std::size_t left = 0; left < options.size(); ++left) {
        if (!options[left].required) {
            continue;
        }
        QStringList line{QStringLiteral("sweep")};
        for (std::size_t k = 0; k < options.size(); ++k) {
            if (k != left) {
                line << options[k].argument;
            }
        }
        const CliParseResult missing = ParseCliArguments(line);
        FUZZ_CHECK(!missing.arguments, "a line without a required option is refused");
        FUZZ_CHECK(missing.error.contains("--" + options[left].name),
                   "the refusal names the missing option");
    }
}

bool SameReadout(const ReadoutArguments& a, const ReadoutArguments& b) {
    return a.file == b.file && a.marker1 == b.marker1 && a.marker2 == b.marker2 &&
           a.settingsPath == b.settingsPath && a.transmission == b.transmission &&
           a.lossOffset == b.lossOffset && a.json == b.json && a.normalisation == b.normalisation;
}

// The normalisation options as written out, and what an accepted set obeys.
QStringList NormalisationOptions(const NormalisationArguments& n, bool transmission) {
    FUZZ_CHECK(!CheckNormalisationArguments(n, transmission),
               "accepted normalisation options suit each other and the mode");
    QStringList options;
    const std::pair<const char*, const QString*> given[] = {{"open", &n.open},
                                                            {"short", &n.shortFile},
                                                            {"through", &n.through},
                                                            {"normalise", &n.norm}};
    for (const auto& [name, value] : given) {
        if (!value->isEmpty()) {
            options << QStringLiteral("--%1=%2").arg(QLatin1String(name), *value);
        }
    }
    return options;
}

// The options readout and plot share, written out.
QStringList ReadoutOptions(const ReadoutArguments& r) {
    for (const auto& marker : {r.marker1, r.marker2}) {
        FUZZ_CHECK(!marker || (*marker >= 1 && *marker <= kMaxCliPoints), "marker in range");
    }
    QStringList options;
    if (r.marker1) {
        options << "--marker1=" + QString::number(*r.marker1);
    }
    if (r.marker2) {
        options << "--marker2=" + QString::number(*r.marker2);
    }
    if (!r.settingsPath.isEmpty()) {
        options << "--settings=" + r.settingsPath;
    }
    if (r.transmission) {
        options << QStringLiteral("--transmission");
    }
    if (!r.lossOffset.isEmpty()) {
        options << "--loss-offset=" + r.lossOffset;
    }
    options << NormalisationOptions(r.normalisation, r.transmission);
    return options;
}

QStringList Reversed(const QStringList& options) {
    QStringList backward;
    for (const QString& o : options) {
        backward.prepend(o);
    }
    return backward;
}

void CheckReadout(const ReadoutArguments& r) {
    FUZZ_CHECK(!r.file.isEmpty(), "never accepted without a file");
    QStringList options = ReadoutOptions(r);
    if (r.json) {
        options << QStringLiteral("--json");
    }
    const QStringList command{QStringLiteral("readout"), r.file};
    for (const QStringList& line : {command + options, Reversed(options) + command}) {
        const CliParseResult again = ParseCliArguments(line);
        FUZZ_CHECK(again.arguments && !again.arguments->help &&
                       again.arguments->command == CliCommand::Readout,
                   "an accepted readout, written out, is accepted again");
        FUZZ_CHECK(SameReadout(again.arguments->readout, r), "a readout reads back the same");
    }
    const CliParseResult fileless = ParseCliArguments(QStringList{"readout"} + options);
    FUZZ_CHECK(!fileless.arguments, "a readout without its file is refused");
}

bool SamePlot(const PlotArguments& a, const PlotArguments& b) {
    return a.outputPath == b.outputPath && a.memories == b.memories && a.width == b.width &&
           a.height == b.height;
}

void CheckPlot(const ReadoutArguments& r, const PlotArguments& p) {
    FUZZ_CHECK(!r.file.isEmpty(), "never plots without a file");
    FUZZ_CHECK(!r.json, "a plot takes no --json");
    FUZZ_CHECK(p.outputPath.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ||
                   p.outputPath.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive),
               "plots only to .png or .svg");
    FUZZ_CHECK(std::none_of(p.memories.begin(), p.memories.end(),
                            [](const QString& m) { return m.isEmpty(); }),
               "a memory has a name");
    FUZZ_CHECK(!p.width || (*p.width >= kMinPlotWidth && *p.width <= kMaxPlotSide),
               "width in range");
    FUZZ_CHECK(!p.height || (*p.height >= kMinPlotHeight && *p.height <= kMaxPlotSide),
               "height in range");
    QStringList options = ReadoutOptions(r);
    options << "--output=" + p.outputPath;
    if (p.width) {
        options << "--width=" + QString::number(*p.width);
    }
    if (p.height) {
        options << "--height=" + QString::number(*p.height);
    }
    // The memories keep their order, wherever they stand.
    QStringList memories;
    for (const QString& m : p.memories) {
        memories << "--memory=" + m;
    }
    const QStringList command{QStringLiteral("plot"), r.file};
    for (const QStringList& line :
         {command + memories + options, Reversed(options) + memories + command}) {
        const CliParseResult again = ParseCliArguments(line);
        FUZZ_CHECK(again.arguments && !again.arguments->help &&
                       again.arguments->command == CliCommand::Plot,
                   "an accepted plot, written out, is accepted again");
        FUZZ_CHECK(SameReadout(again.arguments->readout, r) && SamePlot(again.arguments->plot, p),
                   "a plot reads back the same");
    }
    FUZZ_CHECK(!ParseCliArguments(QStringList{"plot"} + memories + options).arguments,
               "a plot without its file is refused");
    options.removeIf([](const QString& o) { return o.startsWith(QLatin1String("--output=")); });
    const CliParseResult outputless = ParseCliArguments(command + memories + options);
    FUZZ_CHECK(!outputless.arguments && outputless.error.contains(QStringLiteral("--output")),
               "a plot without its output is refused, naming --output");
}

bool SameConvert(const ConvertArguments& a, const ConvertArguments& b) {
    return a.file == b.file && a.outputPath == b.outputPath && a.settingsPath == b.settingsPath &&
           a.transmission == b.transmission && a.lossOffset == b.lossOffset &&
           a.normalisation == b.normalisation;
}

void CheckConvert(const ConvertArguments& c) {
    FUZZ_CHECK(!c.file.isEmpty(), "never converts without a file");
    const CliOutputKind kind = CliOutputKindOf(c.outputPath);
    FUZZ_CHECK(kind != CliOutputKind::Vec, "converts only to .csv, .s1p or .s2p");
    FUZZ_CHECK(kind != CliOutputKind::S2p || c.transmission, "a .s2p is of the Transmission mode");
    FUZZ_CHECK(kind != CliOutputKind::S1p || !c.transmission, "a .s1p is never");
    QStringList options{"--output=" + c.outputPath};
    if (!c.settingsPath.isEmpty()) {
        options << "--settings=" + c.settingsPath;
    }
    if (c.transmission) {
        options << QStringLiteral("--transmission");
    }
    if (!c.lossOffset.isEmpty()) {
        options << "--loss-offset=" + c.lossOffset;
    }
    options << NormalisationOptions(c.normalisation, c.transmission);
    QStringList backward;
    for (const QString& o : options) {
        backward.prepend(o);
    }
    const QStringList command{QStringLiteral("convert"), c.file};
    for (const QStringList& line : {command + options, backward + command}) {
        const CliParseResult again = ParseCliArguments(line);
        FUZZ_CHECK(again.arguments && !again.arguments->help &&
                       again.arguments->command == CliCommand::Convert,
                   "an accepted convert, written out, is accepted again");
        FUZZ_CHECK(SameConvert(again.arguments->convert, c), "a convert reads back the same");
    }
    FUZZ_CHECK(!ParseCliArguments(QStringList{"convert"} + options).arguments,
               "a convert without its file is refused");
    const CliParseResult outputless = ParseCliArguments(command + options.mid(1));
    FUZZ_CHECK(!outputless.arguments && outputless.error.contains(QStringLiteral("--output")),
               "a convert without its output is refused, naming --output");
}

bool SameTdr(const TdrArguments& a, const TdrArguments& b) {
    return a.file == b.file && a.velocityFactor == b.velocityFactor && a.window == b.window &&
           a.settingsPath == b.settingsPath && a.transmission == b.transmission &&
           a.lossOffset == b.lossOffset && a.json == b.json && a.outputPath == b.outputPath &&
           a.normalisation == b.normalisation;
}

void CheckTdr(const TdrArguments& t) {
    FUZZ_CHECK(!t.file.isEmpty(), "never transforms without a file");
    FUZZ_CHECK(!t.velocityFactor || (*t.velocityFactor > 0.0 && *t.velocityFactor <= 1.0),
               "a velocity factor in (0, 1]");
    FUZZ_CHECK(t.outputPath.isEmpty() || CliOutputKindOf(t.outputPath) == CliOutputKind::Csv ||
                   IsTdrPicture(t.outputPath),
               "the arrays go only to a .csv, the impulse to a picture");
    FUZZ_CHECK(t.outputPath.isEmpty() || !t.transmission, "a transmission has no arrays");
    QStringList options{"--window=" + QString::fromLatin1(TimeWindowName(t.window).data())};
    if (t.velocityFactor) {
        options << "--velocity-factor=" + Number(*t.velocityFactor);
    }
    if (!t.settingsPath.isEmpty()) {
        options << "--settings=" + t.settingsPath;
    }
    if (t.transmission) {
        options << QStringLiteral("--transmission");
    }
    if (!t.lossOffset.isEmpty()) {
        options << "--loss-offset=" + t.lossOffset;
    }
    if (t.json) {
        options << QStringLiteral("--json");
    }
    if (!t.outputPath.isEmpty()) {
        options << "--output=" + t.outputPath;
    }
    options << NormalisationOptions(t.normalisation, t.transmission);
    const QStringList command{QStringLiteral("tdr"), t.file};
    for (const QStringList& line : {command + options, Reversed(options) + command}) {
        const CliParseResult again = ParseCliArguments(line);
        FUZZ_CHECK(again.arguments && !again.arguments->help &&
                       again.arguments->command == CliCommand::Tdr,
                   "an accepted tdr, written out, is accepted again");
        FUZZ_CHECK(SameTdr(again.arguments->tdr, t), "a tdr reads back the same");
    }
    FUZZ_CHECK(!ParseCliArguments(QStringList{"tdr"} + options).arguments,
               "a tdr without its file is refused");
}

bool SameCheck(const CheckArguments& a, const CheckArguments& b) {
    return a.file == b.file && a.limitsPath == b.limitsPath && a.settingsPath == b.settingsPath &&
           a.transmission == b.transmission && a.lossOffset == b.lossOffset && a.json == b.json &&
           a.normalisation == b.normalisation;
}

void CheckCheck(const CheckArguments& c) {
    FUZZ_CHECK(!c.file.isEmpty() && !c.limitsPath.isEmpty(),
               "never checks without a file and its limits");
    QStringList options{"--limits=" + c.limitsPath};
    if (!c.settingsPath.isEmpty()) {
        options << "--settings=" + c.settingsPath;
    }
    if (c.transmission) {
        options << QStringLiteral("--transmission");
    }
    if (!c.lossOffset.isEmpty()) {
        options << "--loss-offset=" + c.lossOffset;
    }
    if (c.json) {
        options << QStringLiteral("--json");
    }
    options << NormalisationOptions(c.normalisation, c.transmission);
    const QStringList command{QStringLiteral("check"), c.file};
    for (const QStringList& line : {command + options, Reversed(options) + command}) {
        const CliParseResult again = ParseCliArguments(line);
        FUZZ_CHECK(again.arguments && !again.arguments->help &&
                       again.arguments->command == CliCommand::Check,
                   "an accepted check, written out, is accepted again");
        FUZZ_CHECK(SameCheck(again.arguments->check, c), "a check reads back the same");
    }
    FUZZ_CHECK(!ParseCliArguments(QStringList{"check"} + options).arguments,
               "a check without its file is refused");
    const CliParseResult limitless = ParseCliArguments(command + options.mid(1));
    FUZZ_CHECK(!limitless.arguments && limitless.error.contains(QStringLiteral("--limits")),
               "a check without its limits is refused, naming --limits");
}

QString CommandName(CliCommand command) {
    switch (command) {
        case CliCommand::Sweep:
            return QStringLiteral("sweep");
        case CliCommand::Readout:
            return QStringLiteral("readout");
        case CliCommand::Convert:
            return QStringLiteral("convert");
        case CliCommand::Plot:
            return QStringLiteral("plot");
        case CliCommand::Tdr:
            return QStringLiteral("tdr");
        case CliCommand::Reactance:
            return QStringLiteral("reactance");
        case CliCommand::Check:
            return QStringLiteral("check");
    }
    return {};
}

void CheckPlan(const SweepArguments& s, std::int32_t settingsChamp) {
    const SweepPlanResult r = PlanSweep(s, settingsChamp);
    FUZZ_CHECK(r.plan.has_value() == r.error.isEmpty(), "a plan or a message, never both");
    if (!r.plan) {
        return;
    }
    const SweepPlan& p = *r.plan;
    FUZZ_CHECK(p.Champ >= 1 && p.Champ <= kMaxCliPoints, "a plan has 1..32767 points");
    FUZZ_CHECK(p.Champ == s.points.value_or(settingsChamp), "the points come from the arguments");
    FUZZ_CHECK(std::isfinite(p.FMin) && std::isfinite(p.FMax) && p.FMin != p.FMax,
               "a plan has two different finite limits");
    FUZZ_CHECK(std::isfinite(p.FreqStep) && p.FreqStep != 0.0, "a plan steps");
    FUZZ_CHECK(p.TransmissionMode == (s.transmission ? 1.0f : 0.0f), "the mode follows the flag");
    FUZZ_CHECK(EncodeSweepCommand(p.FMin, p.FreqStep, p.Champ, p.TransmissionMode).ok(),
               "a plan can be sent");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QStringList arguments;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            arguments << QString::fromUtf8(reinterpret_cast<const char*>(data + start),
                                           static_cast<qsizetype>(i - start));
            start = i + 1;
        }
    }
    if (size == 0) {
        arguments.clear();
    }

    const CliParseResult result = ParseCliArguments(arguments);
    FUZZ_CHECK(result.arguments.has_value() == result.error.isEmpty(),
               "a parse gives either the arguments or a message");
    if (!result.arguments) {
        const bool quotesNewline = std::any_of(arguments.begin(), arguments.end(),
                                               [](const QString& a) { return a.contains('\n'); });
        FUZZ_CHECK(quotesNewline || !result.error.contains('\n'), "a refusal is one line");
        return 0;
    }
    const CliArguments& parsed = *result.arguments;
    if (parsed.help) {
        FUZZ_CHECK(arguments.contains(QStringLiteral("--help")) ||
                       arguments.contains(QStringLiteral("-h")),
                   "help only when asked for");
        if (parsed.helpCommand) {
            const QString name = CommandName(*parsed.helpCommand);
            FUZZ_CHECK(arguments.contains(name), "the help of a command only when it is given");
            FUZZ_CHECK(CliUsageText(*parsed.helpCommand).contains("zezizav-cli " + name),
                       "a command's help is its own");
        }
        return 0;
    }
    if (parsed.command == CliCommand::Readout) {
        FUZZ_CHECK(arguments.contains(QStringLiteral("readout")), "a readout only when asked for");
        CheckReadout(parsed.readout);
        return 0;
    }
    if (parsed.command == CliCommand::Convert) {
        FUZZ_CHECK(arguments.contains(QStringLiteral("convert")), "a convert only when asked for");
        CheckConvert(parsed.convert);
        return 0;
    }
    if (parsed.command == CliCommand::Plot) {
        FUZZ_CHECK(arguments.contains(QStringLiteral("plot")), "a plot only when asked for");
        CheckPlot(parsed.readout, parsed.plot);
        return 0;
    }
    if (parsed.command == CliCommand::Tdr) {
        FUZZ_CHECK(arguments.contains(QStringLiteral("tdr")), "a tdr only when asked for");
        CheckTdr(parsed.tdr);
        return 0;
    }
    if (parsed.command == CliCommand::Reactance) {
        FUZZ_CHECK(arguments.contains(QStringLiteral("reactance")),
                   "a reactance only when asked for");
        FUZZ_CHECK(!parsed.reactance.file.isEmpty(), "never infers signs without a file");
        return 0;
    }
    if (parsed.command == CliCommand::Check) {
        FUZZ_CHECK(arguments.contains(QStringLiteral("check")), "a check only when asked for");
        CheckCheck(parsed.check);
        return 0;
    }
    const SweepArguments& s = parsed.sweep;
    FUZZ_CHECK(arguments.contains(QStringLiteral("sweep")), "a sweep only when asked for");
    FUZZ_CHECK(!s.outputPath.isEmpty(), "never accepted without an output file");
    FUZZ_CHECK(!s.device.isEmpty(), "never accepted without a device");
    FUZZ_CHECK(std::isfinite(s.startMHz) && std::isfinite(s.stopMHz), "the limits are finite");
    FUZZ_CHECK(!s.points || (*s.points >= 1 && *s.points <= kMaxCliPoints), "points in range");
    FUZZ_CHECK(!s.timeoutMs || (*s.timeoutMs >= 1 && *s.timeoutMs <= kMaxCliTimeoutMs),
               "timeout in range");

    const CliOutputKind kind = CliOutputKindOf(s.outputPath);
    FUZZ_CHECK(kind != CliOutputKind::S2p || s.transmission, "a sweep to .s2p is a transmission");
    FUZZ_CHECK(kind != CliOutputKind::S1p || !s.transmission, "a sweep to .s1p never is");
    CheckCanonical(s);
    CheckPlan(s, kSettingsChamps[size % kSettingsChamps.size()]);
    return 0;
}
