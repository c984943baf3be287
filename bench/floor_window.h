// The window both of the benchmark's floors show: nothing but its client filled on every paint with
// the periwinkle of Zelvane's bars, so that the driver probes all three programs for one colour,
// and the end of the program when it is closed.
#pragma once

#include <windows.h>

namespace zelvane::bench {

inline constexpr COLORREF kFloorFill = RGB(128, 128, 255);

inline LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = ::BeginPaint(window, &paint);
            ::SetDCBrushColor(dc, kFloorFill);
            ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
            ::EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// Registers the floor's window class under the name, as Zelvane registers its own.
inline bool RegisterFloorClass(HINSTANCE instance, const wchar_t* name) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = FloorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    return ::RegisterClassExW(&windowClass) != 0;
}

}  // namespace zelvane::bench
