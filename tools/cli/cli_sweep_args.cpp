// The options of `zezizav-cli sweep`.

#include "cli_options.h"

namespace cli_options {

CLI::App* AddSweepCommand(CLI::App& app, ParseState& state, SweepArguments* s) {
    CLI::App* sweep = app.add_subcommand(
        "sweep",
        "sweep: takes one sweep from the analyser on the serial device PATH and saves it as a "
        ".vec file, as the program's \"Save As (.vec)\" does.");
    sweep->footer(
        "Exit status: 0 saved; 1 the analyser or the line failed (cannot open the device, no "
        "reply, short or surplus reply); 2 bad arguments or settings, or a sweep the analyser "
        "cannot do; 3 the output file could not be written. On any failure an existing output "
        "file is left as it was.");

    AddText(sweep, "--device", "PATH", "serial device (115200 baud, 8N1), e.g. /dev/ttyUSB0",
            &s->device)
        ->required();
    AddMHz(sweep, state, "--start", "first frequency in MHz (\".\" as the decimal point)",
           &s->startMHz)
        ->required();
    AddMHz(sweep, state, "--stop", "last frequency in MHz; must differ from --start", &s->stopMHz)
        ->required();
    AddText(sweep, "--output", "FILE",
            "written only when the sweep succeeded: a .csv, .s1p or .s2p name gets that file, as "
            "convert writes it; any other name gets a .vec file",
            &s->outputPath)
        ->required();
    AddWhole(sweep, state, "--points", "N", 1, kMaxCliPoints,
             QStringLiteral("a whole number from %1 to %2"),
             "points of the sweep, 1 to 32767 (default: Champ of the settings)",
             [s](qint64 points) { s->points = static_cast<std::int32_t>(points); });
    AddFlag(sweep, "--transmission", "measure transmission (mode 1) instead of reflection",
            &s->transmission);
    AddWhole(sweep, state, "--timeout-ms", "MS", 1, kMaxCliTimeoutMs,
             QStringLiteral("milliseconds from %1 to %2"),
             "give up when the reply is not complete after MS ms, 1 to 3600000 (default: its "
             "wire time plus a margin)",
             [s](qint64 ms) { s->timeoutMs = ms; });
    AddText(sweep, "--settings", "FILE",
            "settings file (default: vezizo.ini beside this program, else "
            "$XDG_CONFIG_HOME/zezizav/vezizo.ini, else the built-in defaults)",
            &s->settingsPath);
    AddLossOffset(sweep, state,
                  "the loss offset box, a number such as 1.5, for .csv and Touchstone (\"\" is "
                  "the empty box, an offset of 0)",
                  &s->lossOffset);

    sweep->callback([&state, s] {
        if (const auto refusal = MatchOutputToMode(s->outputPath, &s->transmission)) {
            state.refuse(*refusal);
        }
    });
    return sweep;
}

}  // namespace cli_options
