// The window's DPI, from the DPI functions of Windows 10 (1607 and later) where the system has
// them and from the screen's device context where it does not (Windows 7, 8 and 8.1). The functions are
// looked up at run time, so the program loads on every one of those systems.
#pragma once

#include <windows.h>

namespace zelvane::win32 {

// The DPI that a window at 100 % scale has (USER_DEFAULT_SCREEN_DPI), and the message that tells
// a window its monitor's DPI changed (WM_DPICHANGED, Windows 8.1 and later): XP's headers have
// neither.
inline constexpr int kDefaultScreenDpi = 96;
inline constexpr UINT kDpiChangedMessage = 0x02E0;

class DpiFunctions {
public:
    // The functions this system's user32 has.
    static DpiFunctions OfSystem();
    // None of them, as on Windows 7 and 8: the fallbacks alone.
    static DpiFunctions None() { return DpiFunctions(nullptr); }

    // The system DPI, from GetDpiForSystem or else the screen's device context.
    int SystemDpi() const;
    // The window's DPI, or the system DPI without GetDpiForWindow.
    int WindowDpi(HWND window) const;
    // Grows a client rectangle to the frame around it at a DPI; without AdjustWindowRectExForDpi the
    // system's own metrics, which its frame corrects afterwards.
    void AdjustFrame(RECT& rect, DWORD style, DWORD exStyle, int dpi) const;

private:
    // The looked-up functions, typed by their declarations, which only win32_dpi.cpp sees.
    struct Table;
    explicit DpiFunctions(const Table* table) : table_(table) {}

    const Table* table_;
};

// The screen's DPI, as its device context reports it: the system DPI on every system.
int ScreenDpi();

}  // namespace zelvane::win32
