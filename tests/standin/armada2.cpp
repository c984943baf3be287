// Stand-in for the game's armada2.exe, used by the end-to-end tests and the demo install.
//
// Every start appends one line to C:\armada2-standin.log (or to the file that the environment
// variable ZELVANE_STANDIN_LOG names), in UTF-8:
//     <full command line> TAB <current folder> TAB <show command> LF
// so a test can see exactly what the launch script handed over, where it ran and how it was asked
// to show its window (the show command in decimal: 1 normal, 2 minimized, 10 the default). With the
// environment variable ZELVANE_STANDIN_QUIET set it exits right after that; otherwise it shows a
// small window naming the map it was asked to edit, until that window is closed.
//
// Test aid: with ZELVANE_STANDIN_SHOW_TEXT=<title> set, it logs nothing and instead writes to
// standard output the text of every visible top-level window with exactly that title and of each
// of its child windows, one "title<TAB>text" line per window (line breaks in a text shown as "|").
// That is how a test reads what a message box says.
//
// Test aid: with ZELVANE_STANDIN_HOLD=<path> set, it logs nothing and instead opens that file
// without sharing it, holds it for 300 ms and exits, as a virus scanner or a search indexer does
// with a new file. With ZELVANE_STANDIN_HELD_EVENT=<name> set too, it sets the event of that name
// once it holds the file, so that a test can act within the hold without polling for it.
//
// Test aid: with ZELVANE_STANDIN_KEEP_DESKTOP set, it logs nothing, makes a hidden top-level window
// (which starts Wine's desktop process where none runs), writes "ready" and a line feed to standard
// output once it has one, and then keeps it until it is ended; it exits with 3 where no window can
// be made. Wine closes its desktop about a second after the last program that uses it has ended,
// and the next window must then wait for a new one; a test keeps one running beside its programs.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32_text.h"

namespace {

constexpr wchar_t kDefaultLogPath[] = L"C:\\armada2-standin.log";
constexpr wchar_t kLogVariable[] = L"ZELVANE_STANDIN_LOG";
constexpr wchar_t kQuietVariable[] = L"ZELVANE_STANDIN_QUIET";
constexpr std::wstring_view kEditSwitch = L"~/edit ";
constexpr wchar_t kWindowClass[] = L"ZelvaneArmada2StandIn";
constexpr wchar_t kShowTextVariable[] = L"ZELVANE_STANDIN_SHOW_TEXT";
constexpr wchar_t kHoldVariable[] = L"ZELVANE_STANDIN_HOLD";
constexpr wchar_t kHeldEventVariable[] = L"ZELVANE_STANDIN_HELD_EVENT";
constexpr DWORD kHoldMilliseconds = 300;
constexpr wchar_t kKeepDesktopVariable[] = L"ZELVANE_STANDIN_KEEP_DESKTOP";

std::wstring CurrentFolder() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring folder(needed, L'\0');
    const DWORD written = GetCurrentDirectoryW(needed, folder.data());
    folder.resize(written < needed ? written : 0);
    return folder;
}

std::wstring Variable(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) return {};
    std::wstring value(needed, L'\0');
    const DWORD written = GetEnvironmentVariableW(name, value.data(), needed);
    value.resize(written < needed ? written : 0);
    return value;
}

// One WriteFile call on a handle opened for appending only, so lines from programs that start at
// the same moment never interleave.
bool AppendLogLine(std::wstring_view commandLine, std::wstring_view folder, int showCommand) {
    const std::string line = zelvane::win32::Utf8(commandLine) + '\t' + zelvane::win32::Utf8(folder) + '\t' +
                             std::to_string(showCommand) + '\n';
    std::wstring path = Variable(kLogVariable);
    if (path.empty()) path = kDefaultLogPath;
    const HANDLE log =
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    return ok && written == line.size();
}

std::wstring MapName(std::wstring_view commandLine) {
    const std::size_t at = commandLine.find(kEditSwitch);
    if (at == std::wstring_view::npos) return {};
    return std::wstring(commandLine.substr(at + kEditSwitch.size()));
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') c = L'|';
    }
    return text;
}

struct TextSearch {
    std::wstring title;
    std::string found;
};

BOOL CALLBACK CollectChildText(HWND child, LPARAM search) {
    TextSearch& s = *reinterpret_cast<TextSearch*>(search);
    s.found += zelvane::win32::Utf8(s.title) + '\t' + zelvane::win32::Utf8(WindowText(child)) + '\n';
    return TRUE;
}

BOOL CALLBACK CollectWindowText(HWND window, LPARAM search) {
    TextSearch& s = *reinterpret_cast<TextSearch*>(search);
    if (!IsWindowVisible(window) || WindowText(window) != s.title) return TRUE;
    s.found += zelvane::win32::Utf8(s.title) + '\t' + zelvane::win32::Utf8(s.title) + '\n';
    EnumChildWindows(window, CollectChildText, search);
    return TRUE;
}

int ShowWindowText(const std::wstring& title) {
    TextSearch search{title, {}};
    EnumWindows(CollectWindowText, reinterpret_cast<LPARAM>(&search));
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    if (!search.found.empty())
        WriteFile(out, search.found.data(), static_cast<DWORD>(search.found.size()), &written, nullptr);
    return search.found.empty() ? 1 : 0;
}

int HoldFile(const std::wstring& path, const std::wstring& heldEvent) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    if (!heldEvent.empty()) {
        if (const HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, heldEvent.c_str())) {
            SetEvent(held);
            CloseHandle(held);
        }
    }
    Sleep(kHoldMilliseconds);
    CloseHandle(file);
    return 0;
}

int KeepDesktop() {
    // A top-level window, not a message-only one: only those need the desktop's display driver.
    HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) return 3;
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) WriteFile(out, "ready\n", 6, &written, nullptr);
    // Messages are answered, so that nothing sent to every window waits on this one.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int ShowMapWindow(HINSTANCE instance, const std::wstring& mapName, int showCommand) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassW(&windowClass) == 0) return 1;

    const std::wstring title = L"Armada II stand-in: " + mapName;
    HWND window = CreateWindowExW(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  420, 140, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    const std::wstring text = L"The game's map editor would open here on:\r\n" + mapName;
    // SS_NOPREFIX: an & in a map name is part of the name, not an access key.
    HWND label = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 12, 12, 380, 60,
                                 window, nullptr, instance, nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    // A minimized launch asks for a minimized window; the stand-in is there to be seen.
    const bool minimized = showCommand == SW_SHOWMINIMIZED || showCommand == SW_SHOWMINNOACTIVE;
    ShowWindow(window, minimized ? SW_SHOWNORMAL : showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const std::wstring showTextOf = Variable(kShowTextVariable);
    if (!showTextOf.empty()) return ShowWindowText(showTextOf);
    const std::wstring hold = Variable(kHoldVariable);
    if (!hold.empty()) return HoldFile(hold, Variable(kHeldEventVariable));
    if (GetEnvironmentVariableW(kKeepDesktopVariable, nullptr, 0) != 0) return KeepDesktop();
    const std::wstring commandLine = GetCommandLineW();
    if (!AppendLogLine(commandLine, CurrentFolder(), showCommand)) return 2;
    if (GetEnvironmentVariableW(kQuietVariable, nullptr, 0) != 0) return 0;
    return ShowMapWindow(instance, MapName(commandLine), showCommand);
}
