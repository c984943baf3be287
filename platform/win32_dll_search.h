// The program's DLL loading before anything else loads a DLL: a DLL saved beside the program (in a
// Downloads folder, say) or in the current folder must never be loaded in place of the system's.
#pragma once

#include <windows.h>

namespace zelvane::win32 {

using SetDefaultDllDirectoriesFunction = decltype(&::SetDefaultDllDirectories);

// Keeps the process's DLL search in the system folder: SetDefaultDllDirectories where the system
// has it (Windows 8 and later, Windows 7 with update KB2533623), passed in here; without it, leaves
// at least the current folder out of the search with SetDllDirectoryW(L"").
void RestrictDllSearch(SetDefaultDllDirectoriesFunction setDefaultDllDirectories);
// The same with the running system's SetDefaultDllDirectories, looked up in kernel32.
void RestrictDllSearch();

// Loads the common controls (version 6, as the manifest asks) and registers their window classes.
// Loaded here rather than imported, so that the loader does not resolve it, nor what it loads in
// turn (the theme library among them), before the search is restricted.
void LoadCommonControls();

}  // namespace zelvane::win32
