#include "settings/settings_writer.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstddef>

#include "settings/ini_lines.h"
#include "settings/settings.h"

namespace {

struct Splice {
    std::size_t at = 0;
    std::size_t length = 0;  // bytes replaced
    std::string text;
    bool insertion = false;  // a new line, not a value replaced
};

// New lines end the way the file's first line does: CR LF, LF or CR alone.
std::string_view LineEnding(std::string_view text) {
    const std::size_t eol = text.find_first_of("\r\n");
    if (eol == std::string_view::npos || text[eol] == '\n') {
        return "\n";
    }
    return text.substr(eol, 2) == std::string_view("\r\n") ? "\r\n" : "\r";
}

bool Quoted(std::string_view s) {
    return s.size() >= 2 && s.front() == s.back() && (s.front() == '"' || s.front() == '\'');
}

std::string_view Unquoted(std::string_view s) {
    return Quoted(s) ? s.substr(1, s.size() - 2) : s;
}

// The value as it must stand after '=' for the reader to get it back: quoted
// like the old one, or when blanks at its ends or quotes around it would
// otherwise be taken away.
std::string Written(std::string_view value, std::string_view old) {
    if (Quoted(old)) {
        return old.front() + std::string(value) + old.front();
    }
    if (TrimIniBlanks(value).size() != value.size() || Quoted(value)) {
        return '"' + std::string(value) + '"';
    }
    return std::string(value);
}

// Where each edit stands in the text.
struct Found {
    enum class Block { NotSeen, First, Past };
    Block block = Block::NotSeen;
    IniLine anchor;  // the last key (or the header) of the section's first block
    IniLine key;     // the line the reader takes the key from
    bool hasKey = false;
};

std::string RewriteText(std::string_view text, const std::vector<SettingsEdit>& edits) {
    std::vector<Found> found(edits.size());
    IniLine last;
    bool anyLine = false;
    ForEachIniLine(text, [&](const IniLine& line) {
        last = line;
        anyLine = true;
        for (std::size_t i = 0; i < edits.size(); ++i) {
            Found& f = found[i];
            const bool ours = IniNamesEqual(line.section, edits[i].section);
            if (line.kind == IniLine::Kind::Section) {
                if (ours && f.block == Found::Block::NotSeen) {
                    f.block = Found::Block::First;
                    f.anchor = line;
                } else if (f.block == Found::Block::First) {
                    f.block = Found::Block::Past;
                }
            } else if (line.kind == IniLine::Kind::Key && ours) {
                if (f.block == Found::Block::First) {
                    f.anchor = line;
                }
                if (!f.hasKey && IniNamesEqual(line.key, edits[i].key)) {
                    f.key = line;
                    f.hasKey = true;
                }
            }
        }
    });

    const std::string_view eol = LineEnding(text);
    std::vector<Splice> splices;
    std::string appended;  // sections the file lacks, in the order of the edits
    std::vector<std::string> appendedSections;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const SettingsEdit& e = edits[i];
        const Found& f = found[i];
        const std::string line = e.key + '=' + Written(e.value, {});
        if (f.hasKey) {
            if (Unquoted(f.key.value) != e.value) {
                const auto at = static_cast<std::size_t>(f.key.value.data() - text.data());
                splices.push_back({at, f.key.value.size(), Written(e.value, f.key.value)});
            }
        } else if (f.block != Found::Block::NotSeen) {
            const IniLine& a = f.anchor;
            splices.push_back(a.terminated ? Splice{a.next, 0, line + std::string(eol), true}
                                           : Splice{a.end, 0, std::string(eol) + line, true});
        } else if (std::find_if(appendedSections.begin(), appendedSections.end(),
                                [&](const std::string& s) {
                                    return IniNamesEqual(s, e.section);
                                }) == appendedSections.end()) {
            appendedSections.push_back(e.section);
        }
    }
    for (const std::string& section : appendedSections) {
        appended += '[' + section + ']' + std::string(eol);
        for (std::size_t i = 0; i < edits.size(); ++i) {
            if (found[i].block == Found::Block::NotSeen &&
                IniNamesEqual(edits[i].section, section)) {
                appended += edits[i].key + '=' + Written(edits[i].value, {}) + std::string(eol);
            }
        }
    }
    if (!appended.empty() && anyLine) {
        // Set off from what comes before by one blank line.
        const bool blankEnd = TrimIniBlanks(text.substr(last.begin, last.end - last.begin)).empty();
        appended = (last.terminated ? "" : std::string(eol)) + (blankEnd ? "" : std::string(eol)) +
                   appended;
    }
    if (!appended.empty()) {
        splices.push_back({text.size(), 0, appended, true});
    }

    // An empty last value without a line end is replaced where a new line is
    // inserted: the value goes first, or the new line would take it.
    std::stable_sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) {
        return a.at != b.at ? a.at < b.at : !a.insertion && b.insertion;
    });
    std::string out;
    out.reserve(text.size() + 256);
    std::size_t cursor = 0;
    for (const Splice& s : splices) {
        out.append(text.substr(cursor, s.at - cursor));
        out += s.text;
        cursor = s.at + s.length;
    }
    out.append(text.substr(cursor));
    return out;
}

}  // namespace

RewrittenSettings RewriteSettings(std::string_view bytes, const std::vector<SettingsEdit>& edits) {
    RewrittenSettings result;
    // The last edit of a key wins.
    std::vector<SettingsEdit> unique;
    for (const SettingsEdit& e : edits) {
        if (e.value.find_first_of("\r\n") != std::string::npos) {
            result.error = e.key + " cannot hold a line break";
            return result;
        }
        const auto same = std::find_if(unique.begin(), unique.end(), [&](const SettingsEdit& u) {
            return IniNamesEqual(u.section, e.section) && IniNamesEqual(u.key, e.key);
        });
        if (same != unique.end()) {
            same->value = e.value;
        } else {
            unique.push_back(e);
        }
    }

    const std::optional<std::string> utf8 = IniTextFromUtf16(bytes);
    if (!utf8) {
        result.bytes = RewriteText(bytes, unique);
        return result;
    }
    // The file goes back in the very encoding it came in; one that would not
    // come back byte for byte (a broken surrogate, an odd byte) is left alone.
    const bool little = static_cast<unsigned char>(bytes[0]) == 0xFF;
    const auto encode = [little](std::string_view text) {
        QStringEncoder encoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::WriteBom);
        const QByteArray out =
            encoder(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        return std::string(out.constData(), static_cast<std::size_t>(out.size()));
    };
    if (encode(*utf8) != bytes) {
        result.error = "is not plain UTF-16 text, so it is left as it is";
        return result;
    }
    result.bytes = encode(RewriteText(*utf8, unique));
    return result;
}
