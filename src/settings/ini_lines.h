#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

// One line of a settings file as the reader sees it. The views point into the
// text that was scanned, so a writer can find the very bytes a key came from.
struct IniLine {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    std::string_view section;  // the header's name, or the section a key is in
    std::string_view key;      // blanks removed
    std::string_view value;    // blanks removed; empty right after '=' when blank
    std::size_t begin = 0;     // the line's first byte in the text
    std::size_t end = 0;       // one past its last byte, its line end excluded
    std::size_t next = 0;      // where the next line begins, past the line end
    bool terminated = false;   // a line end (CR LF, LF or CR) follows it
};

// Walks the lines of an INI text in order: a UTF-8 mark at the start is
// skipped, ';' starts a comment, "[name]" starts a section, and "key=value"
// counts only inside a section. Linear in the text, no memory of its own.
void ForEachIniLine(std::string_view text, const std::function<void(const IniLine&)>& visit);

// Blanks (space, tab, CR, FF, VT) removed at both ends; a blank text gives an
// empty view at its start, so its position is kept.
std::string_view TrimIniBlanks(std::string_view s);

// ASCII letters compared without regard to case, as section and key names are.
bool IniNamesEqual(std::string_view a, std::string_view b);
