#pragma once

#include <string>

// Version information of this release, shown by the title, the splash and
// the About window.
namespace Version {
constexpr int Major = ZEZIZAV_VERSION_MAJOR;
constexpr int Minor = ZEZIZAV_VERSION_MINOR;
constexpr int Revision = ZEZIZAV_VERSION_PATCH;
inline const char* const ProductName = "Zezizav";
inline const char* const AppTitle = "Zezizav";
inline const char* const Comments = "";      // appended to the splash version
inline const char* const LegalNotice = "";   // the splash's licence line

// "Version 2.2.9"
inline std::string VersionText() {
    return "Version " + std::to_string(Major) + "." + std::to_string(Minor) + "." +
           std::to_string(Revision);
}
}  // namespace Version
