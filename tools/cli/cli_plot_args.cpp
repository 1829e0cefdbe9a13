// The options of `zezizav-cli plot`: here, not in cli_plot.cpp, so that the
// parser stays in the library the tests and the fuzzer link.

#include "cli_options.h"

namespace cli_options {

CLI::App* AddPlotCommand(CLI::App& app, ParseState& state, ReadoutArguments* r, PlotArguments* p) {
    CLI::App* plot = app.add_subcommand(
        "plot",
        "plot: writes the picture the window's \"Save Picture\u2026\" would save for a saved "
        "sweep (.vec): the graph with its scales, frequency axis, markers and memories, and "
        "below it the time, range, points, mode, file and the readout rows the window shows, "
        "the same readouts as readout prints. No display is needed. The readout's options are "
        "read as readout reads them; the settings also give the traces, scales and colours; "
        "--marker2 shows marker 2.");
    plot->footer(
        "Exit status: 0 written; 1 the file, a memory or a reference cannot be read; 2 bad "
        "arguments or settings, or a marker beyond the file's points; 3 the picture could not "
        "be written, and an existing one is left as it was.");

    AddSweepFile(plot, "the saved sweep (.vec) to draw", &r->file);
    AddText(plot, "--output", "OUT",
            "the picture: .png or .svg; an existing one is replaced only when the whole picture "
            "was written",
            &p->outputPath)
        ->required()
        ->check(Checked(state, [](const QString& output) -> std::optional<QString> {
            if (!output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) &&
                !output.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
                return QStringLiteral("--output wants a .png or .svg file, not \"%1\"").arg(output);
            }
            return std::nullopt;
        }));
    // The one option that may come again.
    AddValue(plot, "--memory", "FILE",
             "a .vec, .s1p or .s2p file drawn under the sweep as a memory; give it again for "
             "more (a fifth replaces the oldest, as in the window)",
             [p](const QString& memory) { p->memories << memory; })
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    AddWhole(plot, state, "--width", "PX", kMinPlotWidth, kMaxPlotSide,
             QStringLiteral("pixels from %1 to %2"),
             "the graph's width, 589 to 8192 pixels (default 589)",
             [p](qint64 pixels) { p->width = static_cast<int>(pixels); });
    AddWhole(plot, state, "--height", "PX", kMinPlotHeight, kMaxPlotSide,
             QStringLiteral("pixels from %1 to %2"),
             "the graph's height, 253 to 8192 pixels (default 253)",
             [p](qint64 pixels) { p->height = static_cast<int>(pixels); });
    AddReadoutOptions(plot, state, r);
    AddNormalisationOptions(plot, &r->normalisation);

    plot->callback([&state, r] {
        if (const auto refusal = CheckNormalisationArguments(r->normalisation, r->transmission)) {
            state.refuse(*refusal);
        }
    });
    return plot;
}

}  // namespace cli_options
