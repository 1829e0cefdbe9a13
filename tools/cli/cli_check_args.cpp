// The options of `zezizav-cli check`.

#include "cli_options.h"

namespace cli_options {

CLI::App* AddCheckCommand(CLI::App& app, ParseState& state, CheckArguments* c) {
    CLI::App* check = app.add_subcommand(
        "check",
        "check: holds a saved sweep (.vec) to limit lines (.limits), each segment a line "
        "\"TRACE max|min F1_MHZ V1 F2_MHZ V2\" with TRACE loss, phase, swr, rs, xs or z, the "
        "values the window shows. A point between F1 and F2 answers to the straight line "
        "between V1 and V2; a point on the line passes, a point outside every segment of its "
        "trace is not checked. Without --json, a table of the segments, then PASS or FAIL.");
    check->footer(
        "Exit status: 0 every segment passes (or there is none); 1 a segment fails; 2 bad "
        "arguments or settings, a file that cannot be read or is no .vec file, or a limits file "
        "with a bad line (named); 3 the output could not be written.");

    AddSweepFile(check, "the saved sweep (.vec) to check", &c->file);
    AddText(check, "--limits", "FILE.limits", "the limit lines the sweep is held to",
            &c->limitsPath)
        ->required();
    AddText(check, "--settings", "FILE",
            "the calibration offsets (default: vezizo.ini beside this program, else "
            "$XDG_CONFIG_HOME/zezizav/vezizo.ini, else the built-in defaults)",
            &c->settingsPath);
    AddFlag(check, "--transmission",
            "the sweep is of the Transmission mode: its loss is the transmission loss, and only "
            "loss and phase may be limited",
            &c->transmission);
    AddLossOffset(check, state, "the loss offset box, a number such as 1.5 (\"\" for none)",
                  &c->lossOffset);
    AddFlag(check, "--json",
            "one JSON object instead of the table: {\"pass\", \"segments\": [{\"line\", "
            "\"trace\", \"kind\", \"pass\", \"checked_points\", \"failed_points\", "
            "\"worst_frequency_hz\", \"worst_value\", \"worst_margin\"}, ...]} in the order of "
            "the file, the worst_ values null where no point was checked",
            &c->json);
    AddNormalisationOptions(check, &c->normalisation);

    check->callback([&state, c] {
        if (const auto refusal = CheckNormalisationArguments(c->normalisation, c->transmission)) {
            state.refuse(*refusal);
        }
    });
    return check;
}

}  // namespace cli_options
