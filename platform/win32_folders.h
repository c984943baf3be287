// Folders as a program of the game's age sees them: linked paths compared by identity, and a
// protected folder merged with the VirtualStore shadow that Windows gives such a program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvane::win32 {

// Whether the path names an existing folder; an existing file.
bool IsFolder(const std::wstring& path);
bool IsFile(const std::wstring& path);

// The value of an environment variable, or the empty string where it is not set.
std::wstring EnvironmentValue(std::wstring_view name);

// Whether both paths name the same existing folder: the same volume serial number and file index,
// whatever links or 8.3 names lead there.
bool SameFolder(std::wstring_view a, std::wstring_view b);

// The names' upper case as the system's invariant locale gives it: how the file system compares.
std::wstring FoldCase(std::wstring_view name);

// The VirtualStore shadows of a folder that exist: the shadow of its path as given and, where its
// final path (through junctions and links) differs, that path's shadow. In the order a merge takes
// them: a later one's entries hide an earlier one's.
std::vector<std::wstring> ShadowFolders(std::wstring_view folder);

// The file a virtualized program opens for a path: the newest shadow's copy where one holds it,
// otherwise the path itself.
std::wstring SeenPath(std::wstring_view path);

}  // namespace zelvane::win32
