#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A key to set: its section and name as the program spells them, and the
// value as the reader should get it back.
struct SettingsEdit {
    std::string section;
    std::string key;
    std::string value;
};

struct RewrittenSettings {
    std::optional<std::string> bytes;  // nothing when the file cannot be rewritten
    std::string error;                 // then why not
};

// The bytes of a settings file with the edits made, found by the reader's own
// rules: a key's value is replaced on the line the reader takes it from; a
// missing key goes after the last key of the first block of its section; a
// missing section goes at the end. Every other byte stays as it was:
// comments, unknown keys, order, case, blank lines, line endings, a UTF-8
// mark; UTF-16 behind a byte-order mark stays UTF-16 of the same order. A key
// that already holds its value keeps its line untouched.
RewrittenSettings RewriteSettings(std::string_view bytes, const std::vector<SettingsEdit>& edits);
