// The options of `zezizav-cli reactance`.

#include "cli_options.h"

namespace cli_options {

CLI::App* AddReactanceCommand(CLI::App& app, ParseState& state, ReactanceArguments* r) {
    CLI::App* reactance = app.add_subcommand(
        "reactance",
        "reactance: the sign of the reactance of a saved reflection sweep (.vec), which the "
        "detector does not give, inferred by causality: Im G is the Hilbert transform of Re G. "
        "A point whose sign the evidence cannot decide is \"?\". A narrow sweep cannot show "
        "causality by itself: give a wide sweep of the same load with --wide. Without --json, "
        "a table of the frequency, Rs, Xs and the sign of every point.");
    reactance->footer(
        "Exit status: 0 printed; 1 a file cannot be read or is no .vec file; 2 bad arguments "
        "or settings, or a sweep that gives no signs (fewer than 3 points).");

    AddSweepFile(reactance, "the saved reflection sweep (.vec)", &r->file);
    AddText(reactance, "--wide", "WIDE",
            "a wide sweep (.vec) of the same load, 1 to 180 MHz in a few hundred points, that "
            "the sign of a narrow sweep comes from",
            &r->widePath);
    AddText(reactance, "--settings", "FILE",
            "the calibration offsets (default: vezizo.ini beside this program, else "
            "$XDG_CONFIG_HOME/zezizav/vezizo.ini, else the built-in defaults)",
            &r->settingsPath);
    AddLossOffset(reactance, state, "the loss offset box, a number such as 1.5 (\"\" for none)",
                  &r->lossOffset);
    AddFlag(reactance, "--json",
            "one JSON object instead of the table: {\"points\": [{\"frequency_hz\", \"rs_ohm\", "
            "\"xs_ohm\", \"sign\"}, ...]}, xs_ohm the measured |Xs| with the sign applied "
            "(positive where it is \"?\")",
            &r->json);
    AddNormalisationOptions(reactance, &r->normalisation);

    reactance->callback([&state, r] {
        if (const auto refusal = CheckNormalisationArguments(r->normalisation, false)) {
            state.refuse(*refusal);
        }
    });
    return reactance;
}

}  // namespace cli_options
