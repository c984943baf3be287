#include "platform/win32_dpi.h"

namespace zelvane::win32 {

namespace {

template <class Function>
Function Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace

DpiFunctions DpiFunctions::OfSystem() {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return DpiFunctions(Lookup<GetDpiForWindowFunction>(user32, "GetDpiForWindow"),
                        Lookup<AdjustWindowRectExForDpiFunction>(user32, "AdjustWindowRectExForDpi"));
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

int SystemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace zelvane::win32
