// The benchmark's floor: the least a Win32 program of Zelvane's shape can do. One window with the
// same styles and client size as Zelvane's (565 x 405 at 96 DPI), its client filled with one known
// colour on each paint, and a message loop until the window is closed. The driver times this
// program side by side with Zelvane, so Wine's own costs show up in both.
#include <windows.h>

#include "bench/floor_window.h"

namespace {

constexpr wchar_t kClassName[] = L"ZelvaneBenchFloor";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr int kClientWidth = 565;
constexpr int kClientHeight = 405;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!zelvane::bench::RegisterFloorClass(instance, kClassName)) return 1;

    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const HWND window =
        ::CreateWindowExW(kExStyle, kClassName, L"Zelvane benchmark floor", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
