// The options of `zezizav-cli tdr`.

#include "cli_options.h"

namespace cli_options {

namespace {

// The window's own names, and "rect" as the short one a command line types.
std::optional<TimeWindow> WindowOf(const QString& text) {
    if (text == QLatin1String("rect")) {
        return TimeWindow::Rectangular;
    }
    return TimeWindowFromName(text.toStdString());
}

}  // namespace

CLI::App* AddTdrCommand(CLI::App& app, ParseState& state, TdrArguments* t) {
    CLI::App* tdr = app.add_subcommand(
        "tdr",
        "tdr: the time domain of a saved sweep (.vec), from Re G alone as the detector gives "
        "no sign of the phase: the impulse and step responses, the impedance along the line and "
        "the distance of each reflection, or with --transmission the delay and length of the "
        "path. Without --json or --output, a table of the velocity factor, window, resolution, "
        "alias-free range and the reflections, largest first.");
    tdr->footer(
        "Exit status: 0 printed or written; 1 the file cannot be read or is no .vec file; 2 bad "
        "arguments or settings, or a sweep the transform cannot take (fewer than 3 points, a "
        "band too narrow for its step); 3 the output could not be written, and an existing one "
        "is left as it was.");

    AddSweepFile(tdr, "the saved sweep (.vec) to transform", &t->file);
    AddPositive(tdr, state, "--velocity-factor", "VF", 1.0,
                QStringLiteral("a velocity factor above 0 and at most %1, such as 0.66"),
                "the cable's velocity factor, above 0 and at most 1 (default: InputVelFactor of "
                "the settings)",
                [t](double vf) { t->velocityFactor = vf; });
    AddValue(tdr, "--window", "rect|hann|kaiser",
             "the window tapering the spectrum: rect (narrowest peaks), hann or kaiser (beta 6, "
             "lowest side lobes; the default)",
             [t](const QString& name) { t->window = *WindowOf(name); })
        ->check(Checked(state, [](const QString& name) -> std::optional<QString> {
            if (WindowOf(name)) {
                return std::nullopt;
            }
            return QStringLiteral("--window wants rect, hann or kaiser, not \"%1\"").arg(name);
        }));
    AddText(tdr, "--settings", "FILE",
            "InputVelFactor and the calibration offsets (default: vezizo.ini beside this "
            "program, else $XDG_CONFIG_HOME/zezizav/vezizo.ini, else the built-in defaults)",
            &t->settingsPath);
    AddFlag(tdr, "--transmission",
            "the sweep is of the Transmission mode: its delay, length and gain", &t->transmission);
    AddLossOffset(tdr, state, "the loss offset box, a number such as 1.5 (\"\" for none)",
                  &t->lossOffset);
    AddFlag(tdr, "--json",
            "one JSON object instead of the table: the arrays distance_m, impulse, step and "
            "impedance_ohm, the ranges and the peaks (with --transmission: delay_s, length_m, "
            "gain)",
            &t->json);
    AddText(tdr, "--output", "OUT",
            "a .csv of distance_m, impulse, step and impedance_ohm, or a picture of the "
            "impulse (.png or .svg), instead of the table; an existing one is replaced only "
            "when the whole file was written",
            &t->outputPath)
        ->check(Checked(state, [](const QString& output) -> std::optional<QString> {
            if (CliOutputKindOf(output) != CliOutputKind::Csv && !IsTdrPicture(output)) {
                return QStringLiteral("--output wants a .csv, .png or .svg file, not \"%1\"")
                    .arg(output);
            }
            return std::nullopt;
        }));
    AddNormalisationOptions(tdr, &t->normalisation);

    tdr->callback([&state, t] {
        if (t->transmission && !t->outputPath.isEmpty()) {
            state.refuse(QStringLiteral(
                "--output writes a reflection's arrays; a transmission sweep has its delay "
                "alone (--json or the table)"));
        } else if (const auto refusal =
                       CheckNormalisationArguments(t->normalisation, t->transmission)) {
            state.refuse(*refusal);
        }
    });
    return tdr;
}

}  // namespace cli_options

bool IsTdrPicture(const QString& path) {
    return path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
}
