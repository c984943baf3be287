#include "platform/win32_dpi.h"

#include "platform/win32_base.h"

namespace zelvane::win32 {

DpiFunctions DpiFunctions::OfSystem() {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return DpiFunctions(ProcAddress<GetDpiForSystemFunction>(user32, "GetDpiForSystem"),
                        ProcAddress<GetDpiForWindowFunction>(user32, "GetDpiForWindow"),
                        ProcAddress<AdjustWindowRectExForDpiFunction>(user32, "AdjustWindowRectExForDpi"));
}

int DpiFunctions::SystemDpi() const {
    const UINT dpi = getDpiForSystem_ ? getDpiForSystem_() : 0;
    return dpi != 0 ? static_cast<int>(dpi) : ScreenDpi();
}

int DpiFunctions::WindowDpi(HWND window) const {
    const UINT dpi = getDpiForWindow_ ? getDpiForWindow_(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

void DpiFunctions::AdjustFrame(RECT& rect, DWORD style, DWORD exStyle, int dpi) const {
    if (!adjustWindowRectExForDpi_ ||
        !adjustWindowRectExForDpi_(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

int ScreenDpi() {
    const WindowDc screen;
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace zelvane::win32
