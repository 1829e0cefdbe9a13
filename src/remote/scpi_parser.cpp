#include "remote/scpi_parser.h"

#include <cstddef>
#include <utility>

#include "remote/scpi_number.h"

namespace {

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
// A control byte or one beyond ASCII: no command holds it outside a string.
bool IsInvalid(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b < 0x20 && c != '\t') || b >= 0x7F;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool EqualsUpper(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (Upper(word[i]) != Upper(upper[i])) {
            return false;
        }
    }
    return true;
}

// Reads mnemonic[digits] at s[i]; false when there is no letter there.
bool ReadMnemonic(std::string_view s, std::size_t& i, std::string& name, int& suffix, int& code) {
    if (i >= s.size() || !IsAlpha(s[i])) {
        return false;
    }
    const std::size_t start = i;
    while (i < s.size() && (IsAlpha(s[i]) || IsDigit(s[i]) || s[i] == '_')) {
        ++i;
    }
    std::size_t end = i;
    while (end > start + 1 && IsDigit(s[end - 1])) {
        --end;
    }
    name.clear();
    for (std::size_t k = start; k < end; ++k) {
        name.push_back(Upper(s[k]));
    }
    suffix = -1;
    if (end < i) {
        // Suffixes count markers and the like; more than three digits is no
        // suffix this program has.
        if (i - end > 3) {
            code = -114;
            return true;
        }
        suffix = 0;
        for (std::size_t k = end; k < i; ++k) {
            suffix = suffix * 10 + (s[k] - '0');
        }
    }
    return true;
}

int ParseHeader(std::string_view s, std::size_t& i, ScpiHeader& h) {
    int code = 0;
    if (i < s.size() && s[i] == '*') {
        h.common = true;
        ++i;
        std::string name;
        int suffix = -1;
        if (!ReadMnemonic(s, i, name, suffix, code)) {
            return -102;
        }
        h.nodes.push_back("*" + name);
        h.suffixes.push_back(suffix);
    } else {
        if (i < s.size() && s[i] == ':') {
            h.absolute = true;
            ++i;
        }
        while (true) {
            std::string name;
            int suffix = -1;
            if (!ReadMnemonic(s, i, name, suffix, code)) {
                return -102;
            }
            h.nodes.push_back(std::move(name));
            h.suffixes.push_back(suffix);
            if (i < s.size() && s[i] == ':') {
                ++i;
                continue;
            }
            break;
        }
    }
    if (i < s.size() && s[i] == '?') {
        h.query = true;
        ++i;
    }
    return code;
}

// A quoted string; a doubled quote inside stands for one.
int ParseString(std::string_view s, ScpiParam& p) {
    const char quote = s.front();
    p.kind = ScpiParam::Kind::String;
    std::size_t i = 1;
    while (true) {
        if (i >= s.size()) {
            return -151;
        }
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                p.text.push_back(quote);
                i += 2;
                continue;
            }
            break;
        }
        p.text.push_back(s[i]);
        ++i;
    }
    return i + 1 == s.size() ? 0 : -102;
}

int ParseParam(std::string_view s, ScpiParam& p) {
    if (s.empty()) {
        return -109;
    }
    const char c = s.front();
    if (c == '"' || c == '\'') {
        return ParseString(s, p);
    }
    for (const char b : s) {
        if (IsInvalid(b)) {
            return -101;
        }
    }
    if (IsDigit(c) || c == '+' || c == '-' || c == '.') {
        const ScpiNumber n = ParseScpiNumber(s);
        p.kind = ScpiParam::Kind::Number;
        p.text = std::string(s);
        p.value = n.value;
        p.hasUnit = n.hasUnit;
        return n.code;
    }
    if (!IsAlpha(c)) {
        return -102;
    }
    for (const char b : s) {
        if (!(IsAlpha(b) || IsDigit(b) || b == '_')) {
            return -102;
        }
    }
    p.kind = ScpiParam::Kind::Word;
    p.text = std::string(s);
    return 0;
}

// Splits at sep outside quoted strings.
template <typename Emit>
void SplitOutsideQuotes(std::string_view s, char sep, Emit emit) {
    char quote = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;  // a doubled quote closes and opens again: same effect
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == sep) {
            emit(s.substr(start, i - start));
            start = i + 1;
        }
    }
    emit(s.substr(start));
}

struct PatternNode {
    std::string_view text;
    bool optional = false;
    bool takesSuffix = false;
};

// At most this many nodes in a pattern; the table's longest has four.
constexpr std::size_t kMaxPatternNodes = 8;

std::size_t PatternNodes(std::string_view pattern, PatternNode* nodes) {
    std::size_t count = 0;
    bool optional = false;
    std::size_t start = std::string_view::npos;
    const auto flush = [&](std::size_t end) {
        if (start != std::string_view::npos && count < kMaxPatternNodes) {
            std::string_view text = pattern.substr(start, end - start);
            const bool hash = !text.empty() && text.back() == '#';
            if (hash) {
                text.remove_suffix(1);
            }
            nodes[count++] = {text, optional, hash};
        }
        start = std::string_view::npos;
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '[') {
            flush(i);
            optional = true;
        } else if (c == ']') {
            flush(i);
            optional = false;
        } else if (c == ':' || c == '?') {
            flush(i);
        } else if (start == std::string_view::npos) {
            start = i;
        }
    }
    flush(pattern.size());
    return count;
}

bool NodeMatches(const PatternNode& node, std::string_view word) {
    return MnemonicMatches(node.text, word);
}

bool MatchFrom(const PatternNode* pattern, std::size_t patternCount, std::size_t p,
               const ScpiHeader& h, std::size_t n, int& suffix, bool& misplaced) {
    if (n == h.nodes.size()) {
        for (std::size_t k = p; k < patternCount; ++k) {
            if (!pattern[k].optional) {
                return false;
            }
        }
        return true;
    }
    if (p == patternCount) {
        return false;
    }
    if (NodeMatches(pattern[p], h.nodes[n])) {
        int s = suffix;
        bool m = misplaced;
        if (pattern[p].takesSuffix) {
            s = h.suffixes[n] < 0 ? 1 : h.suffixes[n];
        } else if (h.suffixes[n] >= 0) {
            m = true;
        }
        if (MatchFrom(pattern, patternCount, p + 1, h, n + 1, s, m)) {
            suffix = s;
            misplaced = m;
            return true;
        }
    }
    return pattern[p].optional && MatchFrom(pattern, patternCount, p + 1, h, n, suffix, misplaced);
}

}  // namespace

std::string_view ShortForm(std::string_view mnemonic) {
    std::size_t n = 0;
    while (n < mnemonic.size() && !(mnemonic[n] >= 'a' && mnemonic[n] <= 'z')) {
        ++n;
    }
    return mnemonic.substr(0, n);
}

bool MnemonicMatches(std::string_view mnemonic, std::string_view word) {
    return EqualsUpper(word, ShortForm(mnemonic)) || EqualsUpper(word, mnemonic);
}

std::vector<std::string_view> SplitProgramUnits(std::string_view line) {
    std::vector<std::string_view> units;
    if (Trimmed(line).empty()) {
        return units;
    }
    SplitOutsideQuotes(line, ';', [&units](std::string_view u) { units.push_back(Trimmed(u)); });
    return units;
}

ParsedCommand ParseProgramUnit(std::string_view unit) {
    ParsedCommand parsed;
    ScpiCommand& command = parsed.command;
    unit = Trimmed(unit);
    if (unit.empty()) {
        parsed.code = -102;
        return parsed;
    }
    std::size_t i = 0;
    const int headerCode = ParseHeader(unit, i, command.header);
    if (headerCode != 0) {
        parsed.code =
            (headerCode == -102 && i < unit.size() && IsInvalid(unit[i])) ? -101 : headerCode;
        return parsed;
    }
    if (i == unit.size()) {
        return parsed;
    }
    if (!IsBlank(unit[i])) {
        parsed.code = IsInvalid(unit[i]) ? -101 : -102;
        return parsed;
    }
    int code = 0;
    SplitOutsideQuotes(unit.substr(i), ',', [&](std::string_view text) {
        if (code != 0) {
            return;
        }
        ScpiParam param;
        code = ParseParam(Trimmed(text), param);
        command.params.push_back(std::move(param));
    });
    parsed.code = code;
    return parsed;
}

bool HeaderMatches(std::string_view pattern, const ScpiHeader& header, int& suffix,
                   bool& suffixMisplaced) {
    const bool patternQuery = !pattern.empty() && pattern.back() == '?';
    const bool patternCommon = !pattern.empty() && pattern.front() == '*';
    if (patternQuery != header.query || patternCommon != header.common) {
        return false;
    }
    PatternNode nodes[kMaxPatternNodes];
    const std::size_t count = PatternNodes(pattern, nodes);
    int s = 1;
    bool misplaced = false;
    if (!MatchFrom(nodes, count, 0, header, 0, s, misplaced)) {
        return false;
    }
    suffix = s;
    suffixMisplaced = misplaced;
    return true;
}
