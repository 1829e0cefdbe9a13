#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

#include "cli_normalise.h"
#include "timedomain/time_window.h"

// The command line of zezizav-cli, read by pure functions (no I/O, no
// exceptions) so that they can be fed anything.

struct SweepArguments {
    QString device;
    double startMHz = 0.0;
    double stopMHz = 0.0;
    std::optional<std::int32_t> points;  // else Champ of the settings
    bool transmission = false;
    std::optional<qint64> timeoutMs;  // else the exchange's own deadline
    QString settingsPath;             // else the settings file the window reads
    QString outputPath;               // its extension picks the writer (CliOutputKindOf)
    QString lossOffset;               // the text of txtLossOffset, for .csv and Touchstone
};

// What `readout` reads: a saved sweep and where its markers stand.
struct ReadoutArguments {
    QString file;
    std::optional<std::int32_t> marker1;  // point index; else linM1's design position
    std::optional<std::int32_t> marker2;  // else linM2's
    QString settingsPath;                 // else the settings file the window reads
    bool transmission = false;
    QString lossOffset;  // the text of txtLossOffset
    bool json = false;
    NormalisationArguments normalisation;
};

// What `convert` reads and writes: a saved sweep to a .csv or Touchstone file,
// as the window's export writes it.
struct ConvertArguments {
    QString file;
    QString outputPath;         // .csv, .s1p or .s2p
    QString settingsPath;       // else the settings file the window reads
    bool transmission = false;  // set by --transmission or by a .s2p output
    QString lossOffset;         // the text of txtLossOffset
    NormalisationArguments normalisation;
    bool causalSign = false;  // --sign causal: a .s1p with the phase's sign inferred
    QString widePath;         // --wide: the wide sweep of the same load the sign comes from
};

// What `plot` adds to the readout's arguments: the picture to write, the
// memories drawn under the sweep, and the graph's size in pixels.
struct PlotArguments {
    QString outputPath;  // .png or .svg
    QStringList memories;
    std::optional<int> width;  // else the designed graph's
    std::optional<int> height;
};

// What `tdr` reads: a saved sweep, how to transform it, and where to put it.
struct TdrArguments {
    QString file;
    std::optional<double> velocityFactor;  // (0, 1]; else InputVelFactor of the settings
    TimeWindow window = TimeWindow::Kaiser;
    QString settingsPath;  // else the settings file the window reads
    bool transmission = false;
    QString lossOffset;  // the text of txtLossOffset
    bool json = false;
    QString outputPath;  // .csv; else stdout
    NormalisationArguments normalisation;
};

// What `reactance` reads: a saved reflection sweep, and for a narrow one a
// wide sweep of the same load.
struct ReactanceArguments {
    QString file;
    QString widePath;      // empty: the sweep's own points
    QString settingsPath;  // else the settings file the window reads
    QString lossOffset;    // the text of txtLossOffset
    bool json = false;
    NormalisationArguments normalisation;
};

// What `check` reads: a saved sweep and the limit lines it is held to.
struct CheckArguments {
    QString file;
    QString limitsPath;    // --limits FILE.limits
    QString settingsPath;  // else the settings file the window reads
    bool transmission = false;
    QString lossOffset;  // the text of txtLossOffset
    bool json = false;
    NormalisationArguments normalisation;
};

enum class CliCommand { Sweep, Readout, Convert, Plot, Tdr, Reactance, Check };

// The file an output name asks for, by its extension in any case. A name
// with none of these extensions is a .vec file (sweep's own format).
enum class CliOutputKind { Vec, Csv, S1p, S2p };
CliOutputKind CliOutputKindOf(const QString& path);

// tdr --output: a picture of the impulse rather than the .csv.
bool IsTdrPicture(const QString& path);

struct CliArguments {
    bool help = false;  // -h or --help: print CliUsageText(helpCommand), nothing else
    std::optional<CliCommand> helpCommand;  // the command given with it; none: the whole usage
    CliCommand command = CliCommand::Sweep;
    SweepArguments sweep;      // when command is Sweep
    ReadoutArguments readout;  // when command is Readout or Plot
    ConvertArguments convert;  // when command is Convert
    PlotArguments plot;        // when command is Plot
    TdrArguments tdr;          // when command is Tdr
    ReactanceArguments reactance;  // when command is Reactance
    CheckArguments check;          // when command is Check
};

struct CliParseResult {
    std::optional<CliArguments> arguments;
    QString error;  // one line, when arguments is empty
};

// The points a sweep may have: the program's point loops count with 16-bit
// integers.
constexpr std::int32_t kMaxCliPoints = 32767;
// The graph of a picture: no smaller than the window's, no larger than a
// picture needs to be.
constexpr int kMinPlotWidth = 589;
constexpr int kMinPlotHeight = 253;
constexpr int kMaxPlotSide = 8192;
// A reply deadline longer than an hour is a typing slip.
constexpr qint64 kMaxCliTimeoutMs = 3'600'000;

// arguments excludes the program name. Options take their value as the next
// argument or after "=" (--points=500), before or after the command; each may
// be given once, and only with the command it belongs to, but --memory may be
// given again and again. -h or --help anywhere (but as an option's value)
// asks for the help, whatever else is wrong.
// `readout`, `convert`, `plot`, `tdr`, `reactance` and `check` take the file as their
// one plain argument.
// A .s2p output holds the Transmission mode's S21, so it implies
// --transmission; a .s1p output with --transmission is refused.
// The normalisation options must suit the mode (CheckNormalisationArguments).
CliParseResult ParseCliArguments(const QStringList& arguments);

// The usage of every command, or of the one given; every option with its words.
QString CliUsageText(std::optional<CliCommand> command = std::nullopt);

// What is sent: the limits as 32-bit floats in Hz (MHz x 1,000,000), the step
// and the mode, exactly as the program computes them.
struct SweepPlan {
    float FMin = 0.0f;
    float FMax = 0.0f;
    double FreqStep = 0.0;
    std::int32_t Champ = 0;
    float TransmissionMode = 0.0f;
};

struct SweepPlanResult {
    std::optional<SweepPlan> plan;
    QString error;  // FMin = FMax, or a frequency word beyond the analyser's range
};

SweepPlanResult PlanSweep(const SweepArguments& arguments, std::int32_t settingsChamp);
