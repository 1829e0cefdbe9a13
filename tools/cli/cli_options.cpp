#include "cli_options.h"

#include <cmath>

namespace cli_options {

namespace {

// Numbers are read here, not by CLI11: it reads them with strtold, whose
// decimal point is the locale's (a German one refuses "14.2"), and strtoll
// of base 0, for which "010" is 8. QString's readers take "." whatever the
// locale and decimal digits only, as the program always has.
std::optional<double> ReadNumber(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> ReadWhole(const QString& text, qint64 low, qint64 high) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

QString Refusal(const std::string& name, const QString& wants, const QString& text) {
    return QStringLiteral("%1 wants %2, not \"%3\"").arg(FromCli(name), wants, text);
}

}  // namespace

const char* const kNormalisationIntro =
    "NORMALISATION, for readout, convert, plot, tdr, reactance and check: the sweep's loss is "
    "corrected point by point as the window's \"Calibrate\" menu does (the phase is not "
    "changed):";
const char* const kNormalisationTrailer =
    "A file that cannot be read or holds no usable reference exits with 1 (check: with 2, as 1 "
    "is its FAIL).";

std::string ParseState::refuse(const QString& message) {
    if (refusal.isEmpty()) {
        refusal = message;
    }
    return message.toStdString();
}

QString FromCli(const std::string& text) {
    return QString::fromStdString(text);
}

CLI::Validator Checked(ParseState& state, Check check) {
    return CLI::Validator(
        [&state, check = std::move(check)](std::string& text) -> std::string {
            const std::optional<QString> refusal = check(FromCli(text));
            return refusal ? state.refuse(*refusal) : std::string();
        },
        std::string());
}

CLI::Option* AddValue(CLI::App* command, const std::string& name, const std::string& valueName,
                      const std::string& description, std::function<void(const QString&)> store) {
    // Stored from the option's callback, which CLI11 runs once every check
    // has taken every value; each() would run before the checks added later,
    // and the readers below would store a value they refused.
    const CLI::callback_t stored = [store = std::move(store)](const CLI::results_t& values) {
        for (const std::string& text : values) {
            store(FromCli(text));
        }
        return true;
    };
    return command->add_option(name, stored, description)->type_name(valueName);
}

CLI::Option* AddText(CLI::App* command, const std::string& name, const std::string& valueName,
                     const std::string& description, QString* target) {
    return AddValue(command, name, valueName, description,
                    [target](const QString& text) { *target = text; });
}

CLI::Option* AddMHz(CLI::App* command, ParseState& state, const std::string& name,
                    const std::string& description, double* target) {
    return AddValue(command, name, "MHZ", description,
                    [target](const QString& text) { *target = *ReadNumber(text); })
        ->check(Checked(state, [name](const QString& text) -> std::optional<QString> {
            if (ReadNumber(text)) {
                return std::nullopt;
            }
            return Refusal(name, QStringLiteral("a frequency in MHz such as 14.2"), text);
        }));
}

CLI::Option* AddWhole(CLI::App* command, ParseState& state, const std::string& name,
                      const std::string& valueName, qint64 low, qint64 high, const QString& wants,
                      const std::string& description, std::function<void(qint64)> store) {
    return AddValue(command, name, valueName, description,
                    [store = std::move(store), low, high](const QString& text) {
                        store(*ReadWhole(text, low, high));
                    })
        ->check(Checked(state, [=](const QString& text) -> std::optional<QString> {
            if (ReadWhole(text, low, high)) {
                return std::nullopt;
            }
            return Refusal(name, wants.arg(low).arg(high), text);
        }));
}

CLI::Option* AddPositive(CLI::App* command, ParseState& state, const std::string& name,
                         const std::string& valueName, double high, const QString& wants,
                         const std::string& description, std::function<void(double)> store) {
    const auto read = [high](const QString& text) -> std::optional<double> {
        const std::optional<double> value = ReadNumber(text);
        return value && *value > 0.0 && *value <= high ? value : std::nullopt;
    };
    return AddValue(command, name, valueName, description,
                    [store = std::move(store), read](const QString& text) { store(*read(text)); })
        ->check(Checked(state, [=](const QString& text) -> std::optional<QString> {
            if (read(text)) {
                return std::nullopt;
            }
            return Refusal(name, wants.arg(high), text);
        }));
}

CLI::Option* AddLossOffset(CLI::App* command, ParseState& state, const std::string& description,
                           QString* target) {
    // The box reads "3dB" as 3; a command line says what it means, so only a
    // number, or nothing for the empty box, is taken.
    const std::string name = "--loss-offset";
    CLI::Option* option = AddText(command, name, "DB", description, target);
    state.mayBeEmpty.insert(option);
    return option->check(Checked(state, [name](const QString& text) -> std::optional<QString> {
        if (text.isEmpty() || ReadNumber(text)) {
            return std::nullopt;
        }
        return Refusal(name, QStringLiteral("a number of dB such as 1.5"), text);
    }));
}

CLI::Option* AddFlag(CLI::App* command, const std::string& name, const std::string& description,
                     bool* target) {
    return command->add_flag(name, *target, description);
}

CLI::Option* AddSweepFile(CLI::App* command, const std::string& description, QString* target) {
    return AddText(command, "FILE.vec", "", description, target)->required();
}

void AddNormalisationOptions(CLI::App* command, NormalisationArguments* target) {
    const struct {
        const char* name;
        const char* valueName;
        const char* description;
    } options[] = {
        {"open", "FILE.vec", "a sweep of an open (reflection modes)"},
        {"short", "FILE.vec",
         "a sweep of a short (reflection modes); with --open, the mean of the two"},
        {"through", "FILE.vec", "a sweep of a through (with --transmission)"},
        {"normalise", "FILE.norm",
         "the references of a saved normalisation, in place of the three above; those of the "
         "mode serve"},
    };
    for (const auto& o : options) {
        AddText(command, std::string("--") + o.name, o.valueName, o.description,
                NormalisationValue(*target, QLatin1String(o.name)))
            ->group(kNormalisationGroup);
    }
}

std::optional<QString> MatchOutputToMode(const QString& outputPath, bool* transmission) {
    const CliOutputKind kind = CliOutputKindOf(outputPath);
    if (kind == CliOutputKind::S2p) {
        *transmission = true;
    } else if (kind == CliOutputKind::S1p && *transmission) {
        return QStringLiteral("A transmission sweep is written as .s2p, not \"%1\"")
            .arg(outputPath);
    }
    return std::nullopt;
}

}  // namespace cli_options
