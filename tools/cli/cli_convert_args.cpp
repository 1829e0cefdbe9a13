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

    convert->callback([&state, c] {
        if (const auto refusal = MatchOutputToMode(c->outputPath, &c->transmission)) {
            state.refuse(*refusal);
        } else if (const auto mismatch =
                       CheckNormalisationArguments(c->normalisation, c->transmission)) {
            state.refuse(*mismatch);
        }
    });
    return convert;
}

}  // namespace cli_options
