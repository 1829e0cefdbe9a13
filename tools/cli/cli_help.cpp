// The help of zezizav-cli, written from the commands' definitions so that it
// lists every option with its own words.

#include <QStringList>

#include <algorithm>

#include "cli_options.h"

namespace cli_options {

namespace {

constexpr qsizetype kWidth = 79;
// Where an option's words begin, unless its name is longer.
constexpr qsizetype kOptionColumn = 20;

// `line` (already begun, may be empty) and the words after it, in lines of at
// most kWidth columns, each further line indented by `indent`.
QString Wrapped(QString line, const QStringList& words, qsizetype indent) {
    QString out;
    bool lineHasWords = !line.trimmed().isEmpty() && !line.endsWith(QLatin1Char(' '));
    for (const QString& word : words) {
        if (lineHasWords && line.size() + 1 + word.size() > kWidth) {
            out += line + QLatin1Char('\n');
            line = QString(indent, QLatin1Char(' '));
            lineHasWords = false;
        }
        if (lineHasWords) {
            line += QLatin1Char(' ');
        }
        line += word;
        lineHasWords = true;
    }
    return out + line + QLatin1Char('\n');
}

QStringList Words(const std::string& text) {
    return FromCli(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool IsHelp(const CLI::App* command, const CLI::Option* o) {
    return o == command->get_help_ptr();
}

QString Label(const CLI::Option* o) {
    const QString value = FromCli(o->get_type_name());
    return FromCli(o->get_name()) + (value.isEmpty() ? QString() : QLatin1Char(' ') + value);
}

bool InGroup(const CLI::Option* o) {
    return o->get_group() == kNormalisationGroup;
}

// "zezizav-cli readout FILE.vec [--marker1 I] ... [NORMALISATION]": the
// plain argument, then what must be given, then what may.
QString Synopsis(const CLI::App* command, const QString& start) {
    const QString line = start + QStringLiteral("zezizav-cli ") + FromCli(command->get_name());
    QStringList positional, required, optional;
    bool group = false;
    for (const CLI::Option* o : command->get_options()) {
        if (IsHelp(command, o)) {
            continue;
        }
        if (InGroup(o)) {
            group = true;
        } else if (o->get_positional()) {
            positional << Label(o);
        } else if (o->get_required()) {
            required << Label(o);
        } else {
            const bool repeats = o->get_multi_option_policy() == CLI::MultiOptionPolicy::TakeAll;
            optional << QLatin1Char('[') + Label(o) + QLatin1Char(']') +
                            (repeats ? QStringLiteral("...") : QString());
        }
    }
    if (group) {
        optional << QStringLiteral("[%1]").arg(QLatin1String(kNormalisationGroup));
    }
    return Wrapped(line, positional + required + optional, line.size() + 1);
}

QString Options(const CLI::App* command, bool group) {
    std::vector<const CLI::Option*> options;
    for (const CLI::Option* o : command->get_options()) {
        if (!IsHelp(command, o) && InGroup(o) == group) {
            options.push_back(o);
        }
    }
    qsizetype column = kOptionColumn;
    for (const CLI::Option* o : options) {
        column = std::max(column, 2 + Label(o).size() + 2);
    }
    column = std::min(column, kOptionColumn + 5);
    QString out;
    for (const CLI::Option* o : options) {
        QString head = QStringLiteral("  ") + Label(o);
        head = head.size() + 2 <= column ? head.leftJustified(column) : head + QStringLiteral("  ");
        out += Wrapped(head, Words(o->get_description()), column);
    }
    return out;
}

QString HelpLine(const CLI::App* app) {
    const CLI::Option* help = app->get_help_ptr();
    return help == nullptr ? QString()
                           : Wrapped(QStringLiteral("  -h, --help").leftJustified(kOptionColumn),
                                     Words(help->get_description()), kOptionColumn);
}

QString Section(const CLI::App* command) {
    return Wrapped({}, Words(command->get_description()), 0) + QLatin1Char('\n') +
           Options(command, false) + QLatin1Char('\n') +
           Wrapped({}, Words(command->get_footer()), 0);
}

bool HasGroup(const CLI::App* command) {
    const auto options = command->get_options();
    return std::any_of(options.begin(), options.end(), InGroup);
}

QString GroupSection(const CLI::App* command) {
    return Wrapped({}, Words(kNormalisationIntro), 0) + QLatin1Char('\n') + Options(command, true) +
           QLatin1Char('\n') + Wrapped({}, Words(kNormalisationTrailer), 0);
}

class Usage : public CLI::FormatterBase {
public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        const bool whole = app->get_parent() == nullptr;
        const std::vector<const CLI::App*> commands =
            whole ? app->get_subcommands([](const CLI::App*) { return true; })
                  : std::vector<const CLI::App*>{app};
        QString text;
        const CLI::App* grouped = nullptr;
        for (const CLI::App* command : commands) {
            text += Synopsis(
                command, text.isEmpty() ? QStringLiteral("Usage: ") : QStringLiteral("       "));
            if (grouped == nullptr && HasGroup(command)) {
                grouped = command;
            }
        }
        text += QStringLiteral("       zezizav-cli %1 --help\n\n")
                    .arg(whole ? QStringLiteral("[COMMAND]") : FromCli(app->get_name()));
        text += HelpLine(app);
        for (const CLI::App* command : commands) {
            text += QLatin1Char('\n') + Section(command);
        }
        if (grouped != nullptr) {
            text += QLatin1Char('\n') + GroupSection(grouped);
        }
        return text.toStdString();
    }
};

}  // namespace

std::shared_ptr<CLI::FormatterBase> UsageFormatter() {
    return std::make_shared<Usage>();
}

}  // namespace cli_options
