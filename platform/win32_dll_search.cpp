#include "platform/win32_dll_search.h"

#include <commctrl.h>

#include "platform/win32_base.h"

namespace zelvane::win32 {

void RestrictDllSearch(SetDefaultDllDirectoriesFunction setDefaultDllDirectories) {
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    ::SetDllDirectoryW(L"");
}

void RestrictDllSearch() {
    RestrictDllSearch(ZELVANE_PROC_ADDRESS(::GetModuleHandleW(L"kernel32.dll"), SetDefaultDllDirectories));
}

void LoadCommonControls() {
    // Loaded for the program's whole life: the window's controls are its classes.
    const HMODULE commonControls = ::LoadLibraryW(L"comctl32.dll");
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    if (const auto initialize = ZELVANE_PROC_ADDRESS(commonControls, InitCommonControlsEx)) initialize(&controls);
}

}  // namespace zelvane::win32
