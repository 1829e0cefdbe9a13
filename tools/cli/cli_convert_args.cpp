// The options of `zezizav-cli convert`.

#include "cli_options.h"

namespace cli_options {

CLI::App* AddConvertCommand(CLI::App& app, ParseState& state, ConvertArguments* c) {
    CLI::App* convert = app.add_subcommand(
        "convert",
        "convert: writes a saved sweep (.vec) as the window's \"Save As (.csv)\" or Touchstone "
        "export does, byte for byte for the same sweep and settings (the Touchstone date line "
        "aside). The points come from the file's size; the kind of file from the extension of "
        "OUT: .csv, .s1p (S11) or .s2p (S21 of the Transmission mode, so .s2p implies "
        "--transmission; .s1p with --transmission is refused).");
    convert->footer(
        "Exit status: 0 written; 1 the file cannot be read or is no .vec file; 2 bad arguments "
        "or settings; 3 the output could not be written, and an existing one is left as it "
        "was.");

    AddSweepFile(convert, "the saved sweep (.vec) to convert", &c->file);
    AddText(convert, "--output", "OUT",
            "the file to write, .csv, .s1p or .s2p; an existing one is replaced only when the "
            "whole file was written",
            &c->outputPath)
        ->required()
        ->check(Checked(state, [](const QString& output) -> std::optional<QString> {
            if (CliOutputKindOf(output) == CliOutputKind::Vec) {
                return QStringLiteral("--output wants a .csv, .s1p or .s2p file, not \"%1\"")
                    .arg(output);
            }
            return std::nullopt;
        }));
    AddText(convert, "--settings", "FILE",
            "calibration offsets caloffsetrx, caloffsettx and caloffsetvalue (default: "
            "vezizo.ini beside this program, else $XDG_CONFIG_HOME/zezizav/vezizo.ini, else the "
            "built-in defaults)",
            &c->settingsPath);
    AddFlag(convert, "--transmission", "the sweep is of the Transmission mode", &c->transmission);
    AddLossOffset(convert, state, "the loss offset box, a number such as 1.5 (\"\" for none)",
                  &c->lossOffset);
    AddNormalisationOptions(convert, &c->normalisation);
    AddValue(convert, "--sign", "causal",
             "causal: a .s1p with the sign of the phase inferred by causality, so that other "
             "tools can draw the Smith chart (points where it cannot be known are written "
             "positive; without --sign the phase is written as the detector gives it)",
             [c](const QString&) { c->causalSign = true; })
        ->check(Checked(state, [](const QString& how) -> std::optional<QString> {
            if (how == QLatin1String("causal")) {
                return std::nullopt;
            }
            return QStringLiteral("--sign wants causal, not \"%1\"").arg(how);
        }));
    AddText(convert, "--wide", "WIDE",
            "with --sign causal: a wide sweep (.vec) of the same load, 1 to 180 MHz in a few "
            "hundred points, that the sign of a narrow sweep comes from",
            &c->widePath);

    convert->callback([&state, c] {
        if (const auto refusal = MatchOutputToMode(c->outputPath, &c->transmission)) {
            state.refuse(*refusal);
        } else if (c->causalSign && CliOutputKindOf(c->outputPath) != CliOutputKind::S1p) {
            state.refuse(
                QStringLiteral("--sign causal writes a .s1p, not \"%1\"").arg(c->outputPath));
        } else if (!c->widePath.isEmpty() && !c->causalSign) {
            state.refuse(QStringLiteral("--wide is read only with --sign causal"));
        } else if (const auto mismatch =
                       CheckNormalisationArguments(c->normalisation, c->transmission)) {
            state.refuse(*mismatch);
        }
    });
    return convert;
}

}  // namespace cli_options
