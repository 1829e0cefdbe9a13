// The options of `zezizav-cli readout`, which plot shares.

#include "cli_options.h"

namespace cli_options {

void AddReadoutOptions(CLI::App* command, ParseState& state, ReadoutArguments* r) {
    // The file's point count is not known yet; the readout checks the index
    // against it.
    const QString wants = QStringLiteral("a point index from %1 to %2");
    AddWhole(command, state, "--marker1", "I", 1, kMaxCliPoints, wants,
             "point index of marker 1, 1 to the file's points, snapped to Step as a click there "
             "would be (default: where linM1 starts)",
             [r](qint64 point) { r->marker1 = static_cast<std::int32_t>(point); });
    AddWhole(command, state, "--marker2", "I", 1, kMaxCliPoints, wants,
             "the same for marker 2 (default: where linM2 starts)",
             [r](qint64 point) { r->marker2 = static_cast<std::int32_t>(point); });
    AddText(command, "--settings", "FILE",
            "Step, calibration offsets and velocity factor (default: vezizo.ini beside this "
            "program, else $XDG_CONFIG_HOME/zezizav/vezizo.ini, else the built-in defaults)",
            &r->settingsPath);
    AddFlag(command, "--transmission", "readouts of the Transmission mode", &r->transmission);
    AddLossOffset(command, state, "the loss offset box, a number such as 1.5 (\"\" for none)",
                  &r->lossOffset);
}

CLI::App* AddReadoutCommand(CLI::App& app, ParseState& state, ReadoutArguments* r) {
    CLI::App* readout = app.add_subcommand(
        "readout",
        "readout: prints the marker readouts the window shows for a saved sweep (.vec): "
        "frequency, SWR, |Z|, loss, phase, Rs and |Xs| of markers 1 to 3, the uH and pF "
        "equivalents of markers 1 and 2, bandwidth, Q, cable loss and cable length. The points "
        "come from the file's size; marker 3 is the best match.");
    readout->footer(
        "Exit status: 0 printed; 1 the file cannot be read or is no .vec file; 2 bad arguments "
        "or settings, or a marker beyond the file's points; 3 the output could not be written.");
    AddSweepFile(readout, "the saved sweep (.vec) to read", &r->file);
    AddReadoutOptions(readout, state, r);
    AddFlag(readout, "--json",
            "one JSON object instead of a table: each readout as the window's text, and beside "
            "it NAME_value, the number it shows (null when it shows none)",
            &r->json);
    AddNormalisationOptions(readout, &r->normalisation);
    readout->callback([&state, r] {
        if (const auto refusal = CheckNormalisationArguments(r->normalisation, r->transmission)) {
            state.refuse(*refusal);
        }
    });
    return readout;
}

}  // namespace cli_options
