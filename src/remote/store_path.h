#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where MMEM:STOR may write: a name inside the saves folder. The name is
// relative, has no ".." part, no backslash, no control byte and no empty
// part, and ends in .vec, .csv, .s1p or .png (any case). Sub-folders are
// allowed ("band40/dipole.s1p"); symbolic links are not resolved, so a link
// inside the folder is the user's own choice.
enum class StorePathRefusal { None, NoFolder, Empty, Absolute, Escapes, BadCharacter, Extension };

struct StorePath {
    StorePathRefusal refusal = StorePathRefusal::None;
    std::string path;  // savesFolder/name, when accepted
};

StorePath ResolveStorePath(std::string_view savesFolder, std::string_view name);

// A few words for the error queue ("the name leaves the saves folder").
std::string_view StorePathRefusalText(StorePathRefusal refusal);
