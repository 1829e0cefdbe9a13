#include "remote/store_path.h"

#include <array>

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithNoCase(std::string_view s, std::string_view lowerSuffix) {
    if (s.size() < lowerSuffix.size()) {
        return false;
    }
    const std::string_view tail = s.substr(s.size() - lowerSuffix.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (Lower(tail[i]) != lowerSuffix[i]) {
            return false;
        }
    }
    return true;
}

constexpr std::array<std::string_view, 4> kExtensions = {".vec", ".csv", ".s1p", ".png"};

}  // namespace

StorePath ResolveStorePath(std::string_view savesFolder, std::string_view name) {
    if (savesFolder.empty()) {
        return {StorePathRefusal::NoFolder, {}};
    }
    if (name.empty()) {
        return {StorePathRefusal::Empty, {}};
    }
    // "C:x" and "\\server" are absolute elsewhere; refuse them here too.
    if (name.front() == '/' || name.front() == '~' || (name.size() >= 2 && name[1] == ':')) {
        return {StorePathRefusal::Absolute, {}};
    }
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '\\') {
            return {StorePathRefusal::BadCharacter, {}};
        }
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t slash = name.find('/', start);
        const std::size_t end = slash == std::string_view::npos ? name.size() : slash;
        const std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return {StorePathRefusal::Escapes, {}};
        }
        if (slash == std::string_view::npos) {
            break;
        }
        start = slash + 1;
    }
    bool known = false;
    for (const std::string_view ext : kExtensions) {
        // A bare ".csv" is an extension with no name.
        known = known || (EndsWithNoCase(name, ext) && name.size() > ext.size() &&
                          name[name.size() - ext.size() - 1] != '/');
    }
    if (!known) {
        return {StorePathRefusal::Extension, {}};
    }
    std::string path(savesFolder);
    if (path.back() != '/') {
        path.push_back('/');
    }
    path.append(name);
    return {StorePathRefusal::None, path};
}

std::string_view StorePathRefusalText(StorePathRefusal refusal) {
    switch (refusal) {
        case StorePathRefusal::None:
            return "";
        case StorePathRefusal::NoFolder:
            return "no saves folder is set ([REMOTE] SaveFolder=)";
        case StorePathRefusal::Empty:
            return "the name is empty";
        case StorePathRefusal::Absolute:
            return "the name is absolute";
        case StorePathRefusal::Escapes:
            return "the name leaves the saves folder";
        case StorePathRefusal::BadCharacter:
            return "the name holds a backslash or a control character";
        case StorePathRefusal::Extension:
            return "the name does not end in .vec, .csv, .s1p or .png";
    }
    return "";
}
