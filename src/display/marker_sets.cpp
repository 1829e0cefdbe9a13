#include "display/marker_sets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <charconv>
#include <cmath>
#include <string>

namespace {

// The file's frequencies stay below this (1,000,000 MHz), so that their whole
// hertz fit the text's integer arithmetic with room to spare.
constexpr double kHighestHz = 1e12;

constexpr const char* kKeys[] = {"Marker1", "Marker2", "MinSWR"};

bool HasControl(const QString& s) {
    for (const QChar c : s) {
        if (c.category() == QChar::Other_Control) {
            return true;
        }
    }
    return false;
}

// A piece of the file quoted in a message: short, and on one line.
QString Shown(const QString& s) {
    QString shown = s.size() > 40 ? s.left(40) + QStringLiteral("...") : s;
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control) {
            c = QLatin1Char('?');
        }
    }
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

bool UsableHz(double hz) {
    return std::isfinite(hz) && hz >= 0 && hz <= kHighestHz;
}

// MHz text, "." decimals and no exponent, as whole hertz.
std::optional<double> ParseMHz(const QString& text) {
    const std::string s = text.toStdString();
    double mhz = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), mhz, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    const double hz = std::round(mhz * 1e6) + 0.0;  // + 0.0: "-0.0" is 0
    return UsableHz(hz) ? std::optional<double>(hz) : std::nullopt;
}

QByteArray MHzText(double hz) {
    const long long whole = UsableHz(hz) ? std::llround(hz) : 0;
    QByteArray fraction = QByteArray::number(whole % 1000000);
    return QByteArray::number(whole / 1000000) + '.' + QByteArray(6 - fraction.size(), '0') +
           fraction;
}

QByteArray OnOff(bool on) {
    return on ? QByteArrayLiteral("on") : QByteArrayLiteral("off");
}

std::optional<bool> ParseOnOff(const QString& word) {
    if (word.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (word.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    return std::nullopt;
}

bool SameName(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// One entry of the file while it is read: a set, or the lines before the
// first set.
struct Entry {
    MarkerSet set;
    int line = 0;  // of its name
    bool inSet = true;
    bool seen[3] = {false, false, false};
    int badLine = 0;
    QString reason;
};

// Reads one "key=value" line into the entry; the reason when it is bad.
std::optional<QString> ReadKeyLine(Entry& entry, const QString& line) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return QStringLiteral("%1 is not key=value").arg(Shown(line));
    }
    const QString key = line.left(equals).trimmed();
    const QStringList words = line.mid(equals + 1).simplified().split(QLatin1Char(' '));
    int k = 0;
    while (k < 3 && key.compare(QLatin1String(kKeys[k]), Qt::CaseInsensitive) != 0) {
        ++k;
    }
    if (k == 3) {
        return QStringLiteral("%1 is not a key of a marker set").arg(Shown(key));
    }
    if (entry.seen[k]) {
        return QStringLiteral("%1 is given twice").arg(QLatin1String(kKeys[k]));
    }
    entry.seen[k] = true;
    const std::optional<bool> on = ParseOnOff(words.value(0));
    if (k == 2) {
        if (!on || words.size() != 1) {
            return QStringLiteral("MinSWR is on or off");
        }
        entry.set.minSwrOn = *on;
        return std::nullopt;
    }
    const std::optional<double> hz = ParseMHz(words.value(1));
    if (!on || words.size() != 2) {
        return QStringLiteral("%1 is on or off, then MHz").arg(QLatin1String(kKeys[k]));
    }
    if (!hz) {
        return QStringLiteral("%1 is not a frequency of 0 to 1000000 MHz")
            .arg(Shown(words.value(1)));
    }
    MarkerSetMarker& marker = k == 0 ? entry.set.marker1 : entry.set.marker2;
    marker = {*on, *hz};
    return std::nullopt;
}

void Finish(const Entry& entry, MarkerSetsRead& read) {
    if (entry.badLine > 0) {
        read.messages << QStringLiteral("line %1: %2").arg(entry.badLine).arg(entry.reason);
        return;
    }
    if (!entry.inSet) {
        return;
    }
    for (const MarkerSet& kept : read.sets) {
        if (SameName(kept.name, entry.set.name)) {
            read.messages << QStringLiteral("line %1: a set named %2 comes earlier")
                                 .arg(entry.line)
                                 .arg(Shown(kept.name));
            return;
        }
    }
    read.sets.push_back(entry.set);
}

}  // namespace

QString MarkerSetsPath(const QString& settingsPath) {
    const qsizetype slash = settingsPath.lastIndexOf(QLatin1Char('/'));
    QString name = settingsPath.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
        name.truncate(dot);
    }
    return settingsPath.left(slash + 1) + name + QStringLiteral(".markers");
}

MarkerSetsRead ParseMarkerSets(QByteArrayView text) {
    MarkerSetsRead read;
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.sliced(3);
    }
    Entry entry;
    entry.inSet = false;
    int lineNumber = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) {
            end = text.size();
        }
        const QString line = QString::fromUtf8(text.sliced(start, end - start)).trimmed();
        start = end + 1;
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            Finish(entry, read);
            entry = Entry{};
            entry.line = lineNumber;
            entry.set.name = line.mid(1, line.size() - 2).trimmed();
            std::optional<QString> bad;
            if (!line.endsWith(QLatin1Char(']')) || line.size() < 2) {
                bad = QStringLiteral("a set's name line ends with \"]\"");
            } else {
                bad = MarkerSetNameProblem(entry.set.name);
            }
            if (bad) {
                entry.badLine = lineNumber;
                entry.reason = *bad;
            }
            continue;
        }
        if (entry.badLine > 0) {
            continue;  // the rest of a skipped entry
        }
        std::optional<QString> bad;
        if (!entry.inSet) {
            bad = QStringLiteral("%1 comes before any [name] of a set").arg(Shown(line));
        } else {
            bad = ReadKeyLine(entry, line);
        }
        if (bad) {
            entry.badLine = lineNumber;
            entry.reason = *bad;
        }
    }
    Finish(entry, read);
    return read;
}

QByteArray MarkerSetsText(const std::vector<MarkerSet>& sets) {
    QByteArray text =
        "# Zezizav's marker sets: each [name], then markers 1 and 2 (on or off, MHz) and\n"
        "# whether the minimum-SWR marker is on.\n";
    for (const MarkerSet& s : sets) {
        text += "\n[" + s.name.trimmed().toUtf8() + "]\n";
        text += "Marker1=" + OnOff(s.marker1.on) + ' ' + MHzText(s.marker1.frequencyHz) + '\n';
        text += "Marker2=" + OnOff(s.marker2.on) + ' ' + MHzText(s.marker2.frequencyHz) + '\n';
        text += "MinSWR=" + OnOff(s.minSwrOn) + '\n';
    }
    return text;
}

MarkerSetsRead ReadMarkerSets(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        MarkerSetsRead read;
        read.messages << QStringLiteral("%1 cannot be read: %2")
                             .arg(QDir::toNativeSeparators(path),
                                  QFileInfo(path).isFile() ? file.errorString()
                                                           : QStringLiteral("not a file"));
        return read;
    }
    return ParseMarkerSets(file.readAll());
}

std::optional<QString> WriteMarkerSets(const QString& path, const std::vector<MarkerSet>& sets) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return QStringLiteral("%1: its folder cannot be made").arg(shown);
    }
    QSaveFile file(path);
    const QByteArray text = MarkerSetsText(sets);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        return QStringLiteral("%1 cannot be written: %2").arg(shown, file.errorString());
    }
    return std::nullopt;
}

std::optional<QString> MarkerSetNameProblem(const QString& name) {
    if (name.trimmed().isEmpty()) {
        return QStringLiteral("a set needs a name");
    }
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'))) {
        return QStringLiteral("a set's name is one line");
    }
    if (HasControl(name)) {
        return QStringLiteral("a set's name holds no control characters");
    }
    return std::nullopt;
}

std::optional<QString> PutMarkerSet(std::vector<MarkerSet>& sets, MarkerSet set) {
    if (const std::optional<QString> problem = MarkerSetNameProblem(set.name)) {
        return problem;
    }
    for (MarkerSetMarker* m : {&set.marker1, &set.marker2}) {
        if (!UsableHz(m->frequencyHz)) {
            return QStringLiteral("a marker's frequency is 0 to 1000000 MHz");
        }
        m->frequencyHz = std::round(m->frequencyHz) + 0.0;
    }
    set.name = set.name.trimmed();
    for (MarkerSet& kept : sets) {
        if (SameName(kept.name, set.name)) {
            kept = std::move(set);
            return std::nullopt;
        }
    }
    sets.push_back(std::move(set));
    return std::nullopt;
}
