// The file list's own rule: which entries of a folder it lists, and in which order. Pure, so that
// the Win32 list and the tests' stand-in list the same names.
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
std::vector<std::wstring> ListedNames(std::vector<DirectoryEntry> entries, std::wstring_view pattern);

}  // namespace zelvane
