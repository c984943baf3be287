// The benchmark's rich floor: what any program with Zelvane's frame and controls costs under the
// system, with nothing of Zelvane's own. The same frame (styles, client size), the same four child
// windows with common controls 6 at the same boxes, and the list filled with the rows Zelvane
// shows for the benchmark's maps (map00001.bzn ... for the count given on the command line, made
// up here: the folder is never read), the first selected. The client is filled periwinkle;
// nothing else is drawn, and no font or picture is made.
//
// It reads the performance counter at the end of each phase of its start and, once its window
// has been painted, writes the readings to the file named by ZELVANE_BENCH_PHASES, one
// "PHASE TICKS" line each: the driver, which reads the same counter, turns them into times.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/floor_window.h"
#include "platform/win32_base.h"
#include "ui/layout.h"

namespace {

using zelvane::ControlDescription;
using zelvane::Kind;
using zelvane::kLayout;
using zelvane::TwipsToPixels;
using zelvane::win32::Unique;
using zelvane::win32::UniqueFile;
using zelvane::win32::WindowDc;

constexpr wchar_t kClassName[] = L"ZelvaneBenchRichFloor";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
constexpr int kFirstChildId = 100;
constexpr wchar_t kPhasesVariable[] = L"ZELVANE_BENCH_PHASES";

struct LibraryTraits {
    using Type = HMODULE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};
using UniqueLibrary = Unique<LibraryTraits>;

// The performance counter's readings at the end of each phase, in the order the phases ran.
class PhaseLog {
public:
    PhaseLog() { marks_.reserve(16); }

    void Mark(const char* phase) {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        marks_.push_back({phase, now.QuadPart});
    }

    // Written whole under another name first, so that the driver never reads half of it.
    void WriteTo(const std::wstring& path) const {
        std::string text;
        for (const PhaseMark& mark : marks_) {
            char line[64];
            std::snprintf(line, sizeof line, "%s %lld\n", mark.phase, mark.ticks);
            text += line;
        }
        const std::wstring partial = path + L".part";
        {
            const UniqueFile file(::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return;
            DWORD written = 0;
            ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
        ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

private:
    struct PhaseMark {
        const char* phase;
        long long ticks;
    };
    std::vector<PhaseMark> marks_;
};

// The rows Zelvane lists for the benchmark's folder of that many maps (map00001.bzn ...), one
// after the other in one block, each ended by a null: made without an allocation per row, so that
// the floor's own work stays small beside the system's.
std::wstring MapNames(int count) {
    std::wstring names;
    names.reserve(static_cast<std::size_t>(count) * 13);
    for (int i = 1; i <= count; ++i) {
        const std::size_t digits = names.size() + 3;
        names += L"map00000.bzn";
        names += L'\0';
        for (int n = i, place = 4; n > 0 && place >= 0; n /= 10, --place) {
            names[digits + static_cast<std::size_t>(place)] = static_cast<wchar_t>(L'0' + n % 10);
        }
    }
    return names;
}

// comctl32 is loaded here rather than by the loader, so that its cost can be timed; the manifest
// makes it version 6, as for Zelvane.
UniqueLibrary LoadCommonControls() {
    UniqueLibrary library(::LoadLibraryW(L"comctl32.dll"));
    const auto init = ZELVANE_PROC_ADDRESS(library.get(), InitCommonControlsEx);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    if (init) init(&controls);
    return library;
}

// The screen's DPI. Under Wine the first look at the screen also starts the display driver.
int ScreenDpi() {
    const WindowDc screen;
    return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
}

// The frame, sized as Zelvane sizes its own: from the system's metrics, then made up once from the
// client area they gave.
HWND CreateFrame(HINSTANCE instance, int dpi) {
    if (!zelvane::bench::RegisterFloorClass(instance, kClassName)) return nullptr;

    const SIZE client{TwipsToPixels(zelvane::kClientWidthTwips, dpi), TwipsToPixels(zelvane::kClientHeightTwips, dpi)};
    RECT frame{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    SIZE size{frame.right - frame.left, frame.bottom - frame.top};
    const HWND window = ::CreateWindowExW(kExStyle, kClassName, L"Zelvane benchmark rich floor", kStyle, CW_USEDEFAULT,
                                          CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    RECT actual{};
    ::GetClientRect(window, &actual);
    if (actual.right != client.cx || actual.bottom != client.cy) {
        size.cx += client.cx - actual.right;
        size.cy += client.cy - actual.bottom;
        ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return window;
}

// The list and the three buttons, in tab order as Zelvane makes them, with its styles; returns the list.
HWND CreateChildren(HWND frame, HINSTANCE instance, int dpi) {
    std::vector<const ControlDescription*> children;
    for (const ControlDescription& control : kLayout) {
        if (control.kind == Kind::CommandButton || control.kind == Kind::FileList) children.push_back(&control);
    }
    std::sort(children.begin(), children.end(),
              [](const ControlDescription* a, const ControlDescription* b) { return a->tabIndex < b->tabIndex; });
    HWND listBox = nullptr;
    int id = kFirstChildId;
    for (const ControlDescription* control : children) {
        const bool list = control->kind == Kind::FileList;
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                            (list ? WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS : BS_PUSHBUTTON);
        const std::wstring caption(control->caption);
        const int left = TwipsToPixels(control->box.left, dpi);
        const int top = TwipsToPixels(control->box.top, dpi);
        const int right = TwipsToPixels(control->box.left + control->box.width, dpi);
        const int bottom = TwipsToPixels(control->box.top + control->box.height, dpi);
        const HWND child = ::CreateWindowExW(list ? WS_EX_CLIENTEDGE : 0, list ? L"LISTBOX" : L"BUTTON",
                                             caption.c_str(), style, left, top, right - left, bottom - top, frame,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
        if (!child) return nullptr;
        if (list) listBox = child;
    }
    return listBox;
}

// Fills the list as Zelvane's file list does, in one pass without redrawing, and selects the first row.
void FillList(HWND listBox, const std::wstring& names, int count) {
    ::SendMessageW(listBox, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(listBox, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(listBox, LB_INITSTORAGE, static_cast<WPARAM>(count),
                   static_cast<LPARAM>(names.size() * sizeof(wchar_t)));
    for (std::size_t at = 0; at < names.size(); at = names.find(L'\0', at) + 1) {
        ::SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names.c_str() + at));
    }
    ::SendMessageW(listBox, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(listBox, nullptr, TRUE);
    ::SendMessageW(listBox, LB_SETCURSEL, 0, 0);
}

// Handles what is queued, the paints of the frame and its children included, until nothing is.
void HandleQueued(HWND frame) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!::IsDialogMessageW(frame, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

std::wstring PhasesFile() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(kPhasesVariable, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    PhaseLog phases;
    phases.Mark("entry");
    const int count = static_cast<int>(std::wcstol(arguments, nullptr, 10));
    if (count < 1 || count > 99999) return 1;
    const std::wstring names = MapNames(count);
    phases.Mark("names");
    const int dpi = ScreenDpi();
    phases.Mark("display");
    const UniqueLibrary commonControls = LoadCommonControls();
    if (!commonControls) return 1;
    phases.Mark("comctl32");
    const HWND frame = CreateFrame(instance, dpi);
    if (!frame) return 1;
    phases.Mark("frame");
    const HWND listBox = CreateChildren(frame, instance, dpi);
    if (!listBox) return 1;
    phases.Mark("children");
    FillList(listBox, names, count);
    phases.Mark("fill");
    ::ShowWindow(frame, SW_SHOWNORMAL);
    phases.Mark("show");
    ::UpdateWindow(frame);
    ::SetFocus(listBox);
    phases.Mark("paint");
    HandleQueued(frame);
    phases.Mark("idle");
    if (const std::wstring path = PhasesFile(); !path.empty()) phases.WriteTo(path);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(frame, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
