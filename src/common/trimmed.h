#pragma once

#include <string_view>
#include <vector>

// s without the leading and trailing characters that blank(c) accepts; each
// file format says which characters are blank.
template <class Blank>
std::string_view Trimmed(std::string_view s, Blank blank) {
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The fields of a line parted by runs of the characters blank(c) accepts,
// none of them empty.
template <class Blank>
std::vector<std::string_view> Fields(std::string_view line, Blank blank) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !blank(line[i])) {
            ++i;
        }
        if (i > start) {
            fields.push_back(line.substr(start, i - start));
        }
    }
    return fields;
}
