#include "settings/ini_lines.h"

std::string_view TrimIniBlanks(std::string_view s) {
    constexpr std::string_view kBlanks = " \t\r\f\v";
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return s.substr(0, 0);
    }
    const std::size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IniNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

void ForEachIniLine(std::string_view text, const std::function<void(const IniLine&)>& visit) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    std::size_t at = text.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
    bool inSection = false;
    std::string_view section;
    while (at < text.size()) {
        // CR LF, LF and the classic CR alone all end a line.
        const std::size_t eol = text.find_first_of("\r\n", at);
        IniLine line;
        line.begin = at;
        line.end = eol == std::string_view::npos ? text.size() : eol;
        line.terminated = eol != std::string_view::npos;
        line.next = text.size();
        if (line.terminated) {
            line.next = text.substr(eol, 2) == std::string_view("\r\n") ? eol + 2 : eol + 1;
        }
        at = line.next;

        const std::string_view content =
            TrimIniBlanks(text.substr(line.begin, line.end - line.begin));
        if (content.empty() || content.front() == ';') {
            visit(line);
            continue;
        }
        if (content.front() == '[') {
            const std::size_t close = content.find(']');
            if (close != std::string_view::npos) {
                section = TrimIniBlanks(content.substr(1, close - 1));
                inSection = true;
                line.kind = IniLine::Kind::Section;
                line.section = section;
            }
            visit(line);
            continue;
        }
        const std::size_t equals = content.find('=');
        if (inSection && equals != std::string_view::npos) {
            line.key = TrimIniBlanks(content.substr(0, equals));
            if (!line.key.empty()) {
                line.kind = IniLine::Kind::Key;
                line.section = section;
                line.value = TrimIniBlanks(content.substr(equals + 1));
            }
        }
        visit(line);
    }
}
