// The file list's own rule: which entries of a folder it lists, and in which order. Pure, so that
// the Win32 list and the tests' stand-in list the same names.
#pragma once

#include <cstdint>
#include <optional>
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

// Upper-cases the ASCII letters and leaves every other character as it is.
std::wstring FoldAscii(std::wstring_view text);

// Whether a path starts with a drive letter, a colon and a separator ("C:\...").
bool IsDrivePath(std::wstring_view path);

// Where Windows keeps the files that a program it virtualizes (one with no manifest, run without
// administrator rights) writes into a protected folder: the user's local application data, then
// "VirtualStore", then the folder without its drive. Nothing where there is no local application
// data or the folder is no drive path ("C:\...").
std::optional<std::wstring> VirtualStoreShadow(std::wstring_view localAppData, std::wstring_view folder);

// The drive path of a final path as the system gives it ("\\?\C:\..." gives "C:\..."); nothing for
// any other form (a share, a volume without a letter).
std::optional<std::wstring> DrivePathOfFinalPath(std::wstring_view finalPath);

// A folder and its shadow seen as one, as the virtualized program sees them: every entry of the
// shadow, and every entry of the folder whose name the shadow does not hold. Names are compared as
// the fold gives them.
std::vector<DirectoryEntry> MergedWithShadow(std::vector<DirectoryEntry> folder, std::vector<DirectoryEntry> shadow,
                                             std::wstring (*fold)(std::wstring_view) = FoldAscii);

}  // namespace zelvane
