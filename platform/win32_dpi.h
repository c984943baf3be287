// The window's DPI, from the per-monitor functions of Windows 10 (1607 and later) where the system
// has them and from the system DPI where it does not (Windows 7, 8 and 8.1). The functions are
// looked up at run time, so the program loads on every one of those systems.
#pragma once

#include <windows.h>

namespace zelvane::win32 {

class DpiFunctions {
public:
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

    // The functions this system's user32 has.
    static DpiFunctions OfSystem();
    // None of them, as on Windows 7 and 8: the fallbacks alone.
    static DpiFunctions None() { return DpiFunctions(nullptr, nullptr); }

    // The window's DPI, or the system DPI (the screen's) without GetDpiForWindow.
    int WindowDpi(HWND window) const;
    // Grows a client rectangle to the frame around it at a DPI; without AdjustWindowRectExForDpi the
    // system's own metrics, which its frame corrects afterwards.
    void AdjustFrame(RECT& rect, DWORD style, DWORD exStyle, int dpi) const;

    bool Complete() const { return getDpiForWindow_ && adjustWindowRectExForDpi_; }

private:
    DpiFunctions(GetDpiForWindowFunction getDpiForWindow, AdjustWindowRectExForDpiFunction adjustWindowRectExForDpi)
        : getDpiForWindow_(getDpiForWindow), adjustWindowRectExForDpi_(adjustWindowRectExForDpi) {}

    GetDpiForWindowFunction getDpiForWindow_;
    AdjustWindowRectExForDpiFunction adjustWindowRectExForDpi_;
};

// The system DPI: what the screen's device context reports.
int SystemDpi();

}  // namespace zelvane::win32
