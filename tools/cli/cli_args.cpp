#include "cli_args.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "cli_options.h"
#include "instrument/protocol.h"

using cli_options::ParseState;

namespace {

// The program's command line for one parse: CLI11's app with each command's
// options, filling `out`. Built anew for every parse, so a parse keeps
// nothing from the one before.
struct Parser {
    CliArguments out;
    ParseState state;
    CLI::App app{"", "zezizav-cli"};
    std::vector<std::pair<CLI::App*, CliCommand>> commands;

    Parser() {
        app.formatter(cli_options::UsageFormatter());
        app.set_help_flag("-h,--help",
                          "prints this text, or after a command only that command's, and "
                          "exits with 0");
        app.require_subcommand(1);
        // The words no command takes are refused below, in the program's words.
        app.allow_extras();
        commands = {
            {cli_options::AddSweepCommand(app, state, &out.sweep), CliCommand::Sweep},
            {cli_options::AddReadoutCommand(app, state, &out.readout), CliCommand::Readout},
            {cli_options::AddConvertCommand(app, state, &out.convert), CliCommand::Convert},
            {cli_options::AddPlotCommand(app, state, &out.readout, &out.plot), CliCommand::Plot},
            {cli_options::AddTdrCommand(app, state, &out.tdr), CliCommand::Tdr},
            {cli_options::AddReactanceCommand(app, state, &out.reactance), CliCommand::Reactance},
            {cli_options::AddCheckCommand(app, state, &out.check), CliCommand::Check},
        };
    }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    bool isCommand(const std::string& word) const {
        return std::any_of(commands.begin(), commands.end(),
                           [&word](const auto& c) { return c.first->get_name() == word; });
    }
    const CLI::App* command(CliCommand c) const {
        for (const auto& [sub, kind] : commands) {
            if (kind == c) {
                return sub;
            }
        }
        return nullptr;
    }
    // The option of that name ("--points") in whichever command has it;
    // the commands agree on whether a name takes a value.
    const CLI::Option* findOption(const std::string& name) const {
        for (const auto& c : commands) {
            if (const CLI::Option* o = c.first->get_option_no_throw(name)) {
                return o;
            }
        }
        return nullptr;
    }
    // How many plain words the command takes: its file, if it has one.
    std::size_t plainWords(const std::string& name) const {
        std::size_t count = 0;
        for (const auto& c : commands) {
            for (const CLI::Option* o : c.first->get_options()) {
                if (c.first->get_name() == name && o->get_positional()) {
                    count += static_cast<std::size_t>(o->get_items_expected_max());
                }
            }
        }
        return count;
    }
};

CliParseResult Fail(const QString& error) {
    return {std::nullopt, error};
}

CliParseResult Help(std::optional<CliCommand> command) {
    CliArguments help;
    help.help = true;
    help.helpCommand = command;
    return {help, {}};
}

// The words as CLI11 is given them.
struct Arranged {
    std::vector<std::string> words;  // in order
    QString refusal;                 // the first fault met
};

// The command line has always read options before the command as well as
// after it, an empty value after "=" ("--loss-offset=") as a value, any word
// after a valued option as its value, and every other word not beginning
// with "--" as a plain word ("-5", "-x.vec"); and nothing after the first
// -h or --help. CLI11 reads options only after their command, takes the next
// word for the value of "--name=", takes a value for a flag ("--json=1" is
// true), and reads "-x" as an option and "--" as the end of options. So the
// words are first put in the one form that CLI11 reads as the program always
// has: the command first, each option with its value as "--name=value" (or
// "--name" "" for the empty value), and the plain words after "--". Which
// words take a value, and which value may be empty, comes from the commands'
// definitions; the options' meaning, the commands and the help are CLI11's.
Arranged Arrange(const Parser& parser, const QStringList& arguments) {
    Arranged a;
    std::vector<std::string> options;
    std::vector<std::string> plain;
    std::optional<std::string> command;
    // Given twice is a fault of the words, so it comes before a later --help
    // even when no command is given; CLI11 counts them only within a command.
    std::set<const CLI::Option*> given;
    const CLI::Option* help = parser.app.get_help_ptr();
    const auto refuse = [&a](const QString& why) {
        a.refusal = why;
        return a;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const std::string word = arg.toStdString();
        if (help->check_name(word)) {
            options.push_back(word);
            break;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            if (command) {
                // Refused where it stands, before a fault of a later word.
                if (plain.size() == parser.plainWords(*command)) {
                    return refuse(QStringLiteral("Unexpected argument \"%1\"").arg(arg));
                }
                if (arg.isEmpty()) {
                    return refuse(QStringLiteral("The file name is empty"));
                }
                plain.push_back(word);
            } else if (parser.isCommand(word)) {
                command = word;
            } else {
                return refuse(QStringLiteral("Unknown command \"%1\"; try --help").arg(arg));
            }
            continue;
        }
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, equals < 0 ? -1 : equals - 2);
        const std::string option = "--" + name.toStdString();
        // "--" alone would end CLI11's options, and "--help=1" would be the
        // help; both have always been unknown.
        const CLI::Option* o =
            name.isEmpty() || help->check_name(option) ? nullptr : parser.findOption(option);
        if (o == nullptr) {
            return refuse(QStringLiteral("Unknown option --%1; try --help").arg(name));
        }
        if (!given.insert(o).second &&
            o->get_multi_option_policy() != CLI::MultiOptionPolicy::TakeAll) {
            return refuse(QStringLiteral("--%1 is given twice").arg(name));
        }
        if (o->get_items_expected_max() == 0) {
            if (equals >= 0) {
                return refuse(QStringLiteral("--%1 takes no value").arg(name));
            }
            options.push_back(option);
            continue;
        }
        QString value;
        if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];  // may begin with "-": a negative number
        } else {
            return refuse(QStringLiteral("--%1 needs a value").arg(name));
        }
        if (!value.isEmpty()) {
            options.push_back(option + "=" + value.toStdString());
        } else if (parser.state.mayBeEmpty.count(o) != 0) {
            options.push_back(option);
            options.emplace_back();
        } else {
            return refuse(QStringLiteral("--%1 needs a value").arg(name));
        }
    }
    if (command) {
        a.words.push_back(*command);
    }
    a.words.insert(a.words.end(), options.begin(), options.end());
    if (!plain.empty()) {
        a.words.emplace_back("--");
        a.words.insert(a.words.end(), plain.begin(), plain.end());
    }
    return a;
}

// What CLI11 made of the words (error: what it threw, if anything), in the
// program's words. The faults of the words themselves come before the help,
// as they always have, and the help before the faults of the values.
CliParseResult Resolve(Parser& parser, const CLI::Error* error) {
    const std::vector<CLI::App*> parsed = parser.app.get_subcommands();
    CLI::App* sub = parsed.empty() ? nullptr : parsed.front();
    std::optional<CliCommand> command;
    for (const auto& [s, kind] : parser.commands) {
        if (s == sub) {
            command = kind;
        }
    }
    QString option;  // the first option of another command
    for (const std::string& word :
         sub != nullptr ? parser.app.remaining(true) : std::vector<std::string>()) {
        const QString w = cli_options::FromCli(word);
        if (w == QLatin1String("--")) {
            continue;  // put there by Arrange
        }
        if (!w.startsWith(QLatin1String("--"))) {
            return Fail(QStringLiteral("Unexpected argument \"%1\"").arg(w));
        }
        if (option.isEmpty()) {
            option = w.section(QLatin1Char('='), 0, 0);
        }
    }
    const CLI::Option* mainHelp = parser.app.get_help_ptr();
    if ((sub != nullptr && sub->get_help_ptr()->count() > 0) ||
        (mainHelp != nullptr && mainHelp->count() > 0)) {
        return Help(command);
    }
    if (!command) {
        return Fail(QStringLiteral("No command given; try --help"));
    }
    if (!option.isEmpty()) {
        return Fail(QStringLiteral("%1 is not an option of %2; try --help")
                        .arg(option, cli_options::FromCli(sub->get_name())));
    }
    if (!parser.state.refusal.isEmpty()) {
        return Fail(parser.state.refusal);
    }
    if (error != nullptr) {
        for (const CLI::Option* o : sub->get_options()) {
            if (o->get_required() && o->count() == 0) {
                return Fail(o->get_positional()
                                ? QStringLiteral("Missing the FILE.vec to read; try --help")
                                : QStringLiteral("Missing %1; try --help")
                                      .arg(cli_options::FromCli(o->get_name())));
            }
        }
        // Not met so far; CLI11's own words then, on one line.
        return Fail(
            cli_options::FromCli(error->what()).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
    parser.out.command = *command;
    return {std::move(parser.out), {}};
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
    Parser parser;
    const Arranged arranged = Arrange(parser, arguments);
    if (!arranged.refusal.isEmpty()) {
        return Fail(arranged.refusal);
    }
    if (!arranged.words.empty() && parser.isCommand(arranged.words.front())) {
        // After the command every word is the command's: without this a plain
        // word beginning "-h" would be read as the program's --help.
        parser.app.set_help_flag();
    }
    // CLI11 takes the words last first.
    std::vector<std::string> words(arranged.words.rbegin(), arranged.words.rend());
    try {
        parser.app.parse(words);
        return Resolve(parser, nullptr);
    } catch (const CLI::Error& e) {
        return Resolve(parser, &e);
    } catch (const std::exception& e) {
        return Fail(QString::fromUtf8(e.what()).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
}

QString CliUsageText(std::optional<CliCommand> command) {
    const Parser parser;
    const CLI::App* app = command ? parser.command(*command) : &parser.app;
    return cli_options::FromCli(app->help());
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
