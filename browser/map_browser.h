// The map list's rules: which directory entries it lists, in which order, and where a map's
// preview picture lies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

struct DirectoryEntry {
    std::wstring name;
    std::uint32_t attributes = 0;  // Win32 FILE_ATTRIBUTE_* bits
};

inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;

// Wildcard match (* and ?) without regard to case, on the whole name (never on a short 8.3 alias).
bool MatchesPattern(std::wstring_view name, std::wstring_view pattern);

// The names a file list shows: files (not folders) that are neither hidden nor system and that
// match the pattern, sorted without regard to case.
std::vector<std::wstring> ListedNames(const std::vector<DirectoryEntry>& entries, std::wstring_view pattern);

// The map folder, one "\" and the map name.
std::wstring MapPath(std::wstring_view mapFolder, std::wstring_view mapName);

// The map path without its last three characters, followed by "bmp". Fails with 5 when the path
// is shorter than three characters.
std::wstring PreviewPath(std::wstring_view mapPath);

}  // namespace zelvane
