// The build targets Windows 7, whose headers leave out the DPI functions of Windows 10. This file
// alone sees their declarations, to give the pointers it looks up their exact types; nothing here
// calls them but through those pointers, so the program never imports them.
#undef WINVER
#define WINVER 0x0A00

#include "platform/win32_dpi.h"

#include "platform/win32_base.h"

namespace zelvane::win32 {

struct DpiFunctions::Table {
    decltype(&::GetDpiForSystem) getDpiForSystem;
    decltype(&::GetDpiForWindow) getDpiForWindow;
    decltype(&::AdjustWindowRectExForDpi) adjustWindowRectExForDpi;
};

DpiFunctions DpiFunctions::OfSystem() {
    static const Table system = [] {
        const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        return Table{ZELVANE_PROC_ADDRESS(user32, GetDpiForSystem), ZELVANE_PROC_ADDRESS(user32, GetDpiForWindow),
                     ZELVANE_PROC_ADDRESS(user32, AdjustWindowRectExForDpi)};
    }();
    return DpiFunctions(&system);
}

int DpiFunctions::SystemDpi() const {
    const UINT dpi = table_ && table_->getDpiForSystem ? table_->getDpiForSystem() : 0;
    return dpi != 0 ? static_cast<int>(dpi) : ScreenDpi();
}

int DpiFunctions::WindowDpi(HWND window) const {
    const UINT dpi = table_ && table_->getDpiForWindow ? table_->getDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

void DpiFunctions::AdjustFrame(RECT& rect, DWORD style, DWORD exStyle, int dpi) const {
    if (!table_ || !table_->adjustWindowRectExForDpi ||
        !table_->adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

int ScreenDpi() {
    const WindowDc screen;
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDefaultScreenDpi;
}

}  // namespace zelvane::win32
