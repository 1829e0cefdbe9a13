#pragma once

// The options of each command as CLI11 reads them: the definitions live
// beside each command (cli_*_args.cpp), the readers they share here. Only the
// files of zezizav_cli_args include this; the rest of the program sees
// cli_args.h alone.

#include <CLI/CLI.hpp>

#include <QString>

#include <functional>
#include <optional>
#include <set>
#include <string>

#include "cli_args.h"

namespace cli_options {

// What one parse collects beside CLI11's own results.
struct ParseState {
    QString refusal;  // the first refusal of a check, word for word as given to the user
    // The options whose empty text is a value of its own; every other one
    // needs a value that is not empty.
    std::set<const CLI::Option*> mayBeEmpty;

    // Keeps the first refusal; the text returned tells CLI11 the value failed.
    std::string refuse(const QString& message);
};

// The group of the normalisation options, and the words its help prints
// before and after them.
inline constexpr const char* kNormalisationGroup = "NORMALISATION";
extern const char* const kNormalisationIntro;
extern const char* const kNormalisationTrailer;

QString FromCli(const std::string& text);

// The refusal of a value, or nothing when the text is taken.
using Check = std::function<std::optional<QString>(const QString& text)>;

// A CLI11 check that refuses through the parse state, so the message keeps
// its own words (CLI11 would put "NAME: " in front).
CLI::Validator Checked(ParseState& state, Check check);

// An option taking one value each time it is given (once, unless made
// TakeAll); `store` is called once every check (added with
// ->check(Checked(...)), run in that order) has taken the value.
CLI::Option* AddValue(CLI::App* command, const std::string& name, const std::string& valueName,
                      const std::string& description, std::function<void(const QString&)> store);

// A value kept as its text.
CLI::Option* AddText(CLI::App* command, const std::string& name, const std::string& valueName,
                     const std::string& description, QString* target);

// A frequency in MHz.
CLI::Option* AddMHz(CLI::App* command, ParseState& state, const std::string& name,
                    const std::string& description, double* target);

// A whole number from low to high; `wants` names it in the refusal, with %1
// and %2 for the limits ("a point index from %1 to %2").
CLI::Option* AddWhole(CLI::App* command, ParseState& state, const std::string& name,
                      const std::string& valueName, qint64 low, qint64 high, const QString& wants,
                      const std::string& description, std::function<void(qint64)> store);

// A number above 0 and at most high; `wants` names it in the refusal, with
// %1 for the limit ("a velocity factor above 0 and at most %1").
CLI::Option* AddPositive(CLI::App* command, ParseState& state, const std::string& name,
                         const std::string& valueName, double high, const QString& wants,
                         const std::string& description, std::function<void(double)> store);

// The text of the loss offset box: a number, or "" for the empty box.
CLI::Option* AddLossOffset(CLI::App* command, ParseState& state, const std::string& description,
                           QString* target);

CLI::Option* AddFlag(CLI::App* command, const std::string& name, const std::string& description,
                     bool* target);

// The one plain argument of readout, convert, plot and tdr.
CLI::Option* AddSweepFile(CLI::App* command, const std::string& description, QString* target);

// --open, --short, --through and --normalise, in the NORMALISATION group.
void AddNormalisationOptions(CLI::App* command, NormalisationArguments* target);

// The mode follows a Touchstone output: S21 lives only in a .s2p. Gives the
// refusal of a .s1p in the Transmission mode.
std::optional<QString> MatchOutputToMode(const QString& outputPath, bool* transmission);

// Each command's options and the checks of the whole command line; the
// command's final callback refuses through the state.
CLI::App* AddSweepCommand(CLI::App& app, ParseState& state, SweepArguments* target);
CLI::App* AddReadoutCommand(CLI::App& app, ParseState& state, ReadoutArguments* target);
CLI::App* AddConvertCommand(CLI::App& app, ParseState& state, ConvertArguments* target);
CLI::App* AddPlotCommand(CLI::App& app, ParseState& state, ReadoutArguments* readout,
                         PlotArguments* plot);
CLI::App* AddTdrCommand(CLI::App& app, ParseState& state, TdrArguments* target);
CLI::App* AddReactanceCommand(CLI::App& app, ParseState& state, ReactanceArguments* target);
CLI::App* AddCheckCommand(CLI::App& app, ParseState& state, CheckArguments* target);
// The readout's options that plot reads as readout does (all but the file
// and --json).
void AddReadoutOptions(CLI::App* command, ParseState& state, ReadoutArguments* target);

// Writes the help of the program (all commands) or of one command from the
// definitions: synopsis, description, each option with its value and words,
// the NORMALISATION group, and the footer (the exit statuses).
std::shared_ptr<CLI::FormatterBase> UsageFormatter();

}  // namespace cli_options
