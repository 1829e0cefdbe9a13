#pragma once

#include <string_view>

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
