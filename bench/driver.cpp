// The benchmark's driver. It runs under Wine in the benchmark's prefix, starts the programs it
// measures and times them from outside with QueryPerformanceCounter: all it sees are processes,
// windows, pixels on the screen and files, as any other program on the desktop could.
//
//   driver startup RUNS FLOOR_EXE ZELVANE_EXE   start-up and peak working set, the two alternated
//   driver switch RUNS ZELVANE_EXE              preview switches between the folder's two maps
//   driver edit RUNS ZELVANE_EXE MAP_NAME       Edit Map on the map selected at start-up
//   driver list RUNS FOLDER                     the system's own time to list a folder
//
// Every measurement prints a "sample ..." line; every figure ends with one line
//   result KEY median=M min=A max=B n=N
// which scripts/bench reads. Times are in milliseconds, memory in KiB. On any failure the driver
// ends the program it started, says why on stderr and exits with 2.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

// How often a wait looks at its condition, in microseconds.
constexpr long long kPollMicroseconds = 500;
constexpr double kStartTimeoutMs = 30000;
constexpr double kActionTimeoutMs = 10000;
// Time a program gets after its first paint before its peak working set is read, and between two
// actions, so that each finds the program idle.
constexpr DWORD kSettleMs = 250;

// Client points Zelvane is probed at, in pixels at 96 DPI: the top periwinkle bar, and a point of
// the preview picture that no other element covers (the picture's top left is at 88, 200).
constexpr POINT kBarPoint{300, 20};
constexpr POINT kPreviewPoint{150, 280};
constexpr COLORREF kPeriwinkle = RGB(128, 128, 255);
// The colours of the two previews the switch folders hold (bench/make-maps.sh paints them).
constexpr COLORREF kFirstPreview = RGB(200, 40, 40);
constexpr COLORREF kSecondPreview = RGB(40, 200, 40);

HANDLE liveChild = nullptr;  // ended on failure, so a failed run leaves nothing behind

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

[[noreturn]] void Fail(const std::string& why) {
    if (liveChild) {
        ::TerminateProcess(liveChild, 1);
        ::WaitForSingleObject(liveChild, 5000);
    }
    std::fprintf(stderr, "driver: %s\n", why.c_str());
    std::fflush(stderr);
    std::exit(2);
}

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / ticksPerMs;
}

// Sleep() sleeps whole milliseconds at best; the native call takes 100 ns units.
void Pause(long long microseconds) {
    using DelayFunction = LONG(WINAPI*)(BOOLEAN, PLARGE_INTEGER);
    static const auto delay = reinterpret_cast<DelayFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDelayExecution")));
    if (!delay) {
        ::Sleep(static_cast<DWORD>((microseconds + 999) / 1000));
        return;
    }
    LARGE_INTEGER interval;
    interval.QuadPart = -microseconds * 10;
    delay(FALSE, &interval);
}

// Polls the condition until it holds; fails with the message after the timeout.
void WaitFor(const std::function<bool()>& condition, double timeoutMs, const std::string& what) {
    const double deadline = NowMs() + timeoutMs;
    while (!condition()) {
        if (NowMs() > deadline) Fail("timed out waiting for " + what);
        Pause(kPollMicroseconds);
    }
}

class Child {
public:
    explicit Child(const std::wstring& program) : name_(Narrow(program.substr(program.find_last_of(L'\\') + 1))) {
        std::wstring commandLine = L"\"" + program + L"\"";
        const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startedAt_ = NowMs();
        if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                              &startup, &info_)) {
            Fail("cannot start " + Narrow(program) + " (error " + std::to_string(::GetLastError()) + ")");
        }
        ::CloseHandle(info_.hThread);
        liveChild = info_.hProcess;
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (!Exited()) ::TerminateProcess(info_.hProcess, 0);
        ::WaitForSingleObject(info_.hProcess, 10000);
        ::CloseHandle(info_.hProcess);
        liveChild = nullptr;
    }

    double StartedAt() const { return startedAt_; }
    DWORD Id() const { return info_.dwProcessId; }
    const std::string& Name() const { return name_; }
    bool Exited() const { return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }

    double PeakWorkingSetKiB() const {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!::GetProcessMemoryInfo(info_.hProcess, &counters, sizeof counters)) Fail("no memory counters");
        return static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    }

    // Lets the program settle after an action: until it waits for input, then a little longer.
    void Settle() const {
        ::WaitForInputIdle(info_.hProcess, 5000);
        ::Sleep(kSettleMs);
    }

private:
    std::string name_;
    PROCESS_INFORMATION info_{};
    double startedAt_ = 0;
};

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

// The process's first visible top-level window.
HWND VisibleWindowOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s.processId || !::IsWindowVisible(window)) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first child window of the class (and, when given, with the text).
HWND ChildWindow(HWND parent, const wchar_t* className, const wchar_t* text) {
    struct Search {
        const wchar_t* className;
        const wchar_t* text;
        HWND found;
    } search{className, text, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            if (::_wcsicmp(ClassOf(window).c_str(), s.className) != 0) return TRUE;
            if (s.text && TextOf(window) != s.text) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) Fail("no " + Narrow(className) + " child window");
    return search.found;
}

// The pixel on the screen at a client point of the window (CLR_INVALID when it cannot be read).
// It is read from the screen rather than the window's own DC, whose region leaves out the
// window's children and other windows' parts.
COLORREF PixelAt(HWND window, POINT point) {
    if (!::ClientToScreen(window, &point)) return CLR_INVALID;
    const HDC screen = ::GetDC(nullptr);
    if (!screen) return CLR_INVALID;
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

std::string ColourName(COLORREF colour) {
    if (colour == CLR_INVALID) return "none";
    char name[32];
    std::snprintf(name, sizeof name, "(%d,%d,%d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return name;
}

// What "painted" means for a program: a test of its window's pixels.
using PaintedTest = std::function<bool(HWND)>;

bool FloorPainted(HWND window) { return PixelAt(window, kBarPoint) == kPeriwinkle; }

// The colour of the first row of Zelvane's map list, selected, as read from the settled window of
// the first, unrecorded start (the selection colour depends on the theme).
COLORREF selectedRowColour = CLR_INVALID;

// A point at the right end of the list's first row, clear of the map name.
COLORREF SelectedRowPixel(HWND window) {
    const HWND list = ::FindWindowExW(window, nullptr, L"ListBox", nullptr);
    if (!list) return CLR_INVALID;
    RECT client{};
    ::GetClientRect(list, &client);
    return PixelAt(list, POINT{client.right - 3, 3});
}

// Zelvane's first paint: its own bar, and its map list drawn with the first row selected.
bool ZelvanePainted(HWND window) {
    if (PixelAt(window, kBarPoint) != kPeriwinkle) return false;
    return selectedRowColour == CLR_INVALID || SelectedRowPixel(window) == selectedRowColour;
}

// A child's window and when it became visible and painted, in milliseconds from just before the
// child was started.
struct FirstPaint {
    HWND window;
    double visibleMs;
    double paintedMs;
};

// Waits until the child's window shows and passes the test.
FirstPaint WaitForFirstPaint(const Child& child, const PaintedTest& painted) {
    FirstPaint result{nullptr, 0, 0};
    const double deadline = child.StartedAt() + kStartTimeoutMs;
    for (;;) {
        if (!result.window) {
            result.window = VisibleWindowOf(child.Id());
            if (result.window) {
                result.visibleMs = NowMs() - child.StartedAt();
                if (ClassOf(result.window) == L"#32770") {
                    const HWND text = ::FindWindowExW(result.window, nullptr, L"Static", nullptr);
                    Fail(child.Name() + " showed a message box: " + Narrow(TextOf(text ? text : result.window)));
                }
            }
        }
        if (result.window && painted(result.window)) break;
        if (child.Exited()) Fail(child.Name() + " ended before its window was painted");
        if (NowMs() > deadline) Fail(child.Name() + "'s window was not painted in time");
        Pause(kPollMicroseconds);
    }
    result.paintedMs = NowMs() - child.StartedAt();
    return result;
}

class Figure {
public:
    explicit Figure(std::string key) : key_(std::move(key)) {}
    void Add(double value) { values_.push_back(value); }
    void Print() {
        if (values_.empty()) return;
        std::sort(values_.begin(), values_.end());
        const std::size_t n = values_.size();
        const double median = n % 2 ? values_[n / 2] : (values_[n / 2 - 1] + values_[n / 2]) / 2;
        std::printf("result %s median=%.3f min=%.3f max=%.3f n=%zu\n", key_.c_str(), median, values_.front(),
                    values_.back(), n);
        std::fflush(stdout);
    }

private:
    std::string key_;
    std::vector<double> values_;
};

void PrintSample(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

// Start-up: the floor and Zelvane alternate (ABBA), after one unrecorded start of each.
int RunStartup(int runs, const std::wstring& floorExe, const std::wstring& zelvaneExe) {
    struct Target {
        const char* name;
        const std::wstring& program;
        PaintedTest test;
        Figure visible, painted, peak;
    };
    Target targets[2] = {
        {"floor", floorExe, FloorPainted, Figure("startup.floor.visible"), Figure("startup.floor.painted"),
         Figure("startup.floor.peak")},
        {"zelvane", zelvaneExe, ZelvanePainted, Figure("startup.zelvane.visible"), Figure("startup.zelvane.painted"),
         Figure("startup.zelvane.peak")},
    };
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            Target& target = targets[turn ^ ((run + 2) % 2)];
            const Child child(target.program);
            const FirstPaint paint = WaitForFirstPaint(child, target.test);
            child.Settle();
            if (run < 0 && &target == &targets[1]) {
                selectedRowColour = SelectedRowPixel(paint.window);
                if (selectedRowColour == CLR_INVALID || selectedRowColour == kPeriwinkle) {
                    Fail("cannot read the selected row of the map list: " + ColourName(selectedRowColour));
                }
            }
            const double peak = child.PeakWorkingSetKiB();
            if (run < 0) continue;
            PrintSample("sample startup %s run=%d visible=%.3f painted=%.3f peak_kib=%.0f\n", target.name, run + 1,
                        paint.visibleMs, paint.paintedMs, peak);
            target.visible.Add(paint.visibleMs);
            target.painted.Add(paint.paintedMs);
            target.peak.Add(peak);
        }
    }
    for (Target& target : targets) {
        target.visible.Print();
        target.painted.Print();
        target.peak.Print();
    }
    return 0;
}

// Preview switch: clicks the other of the folder's two maps in the list, as the mouse would, and
// times from the click until the preview point shows that map's picture on the screen.
int RunSwitch(int runs, const std::wstring& zelvaneExe) {
    const Child child(zelvaneExe);
    const HWND window = WaitForFirstPaint(child, ZelvanePainted).window;
    child.Settle();
    const HWND list = ChildWindow(window, L"ListBox", nullptr);
    if (::SendMessageW(list, LB_GETCOUNT, 0, 0) != 2) Fail("the switch folder must hold exactly two maps");
    const int rowHeight = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const COLORREF colours[2] = {kFirstPreview, kSecondPreview};
    if (PixelAt(window, kPreviewPoint) != colours[0]) {
        Fail("the first preview shows " + ColourName(PixelAt(window, kPreviewPoint)) + ", not " +
             ColourName(colours[0]));
    }
    Figure figure("switch.ms");
    int shown = 0;
    for (int run = -1; run < runs; ++run) {
        const int next = 1 - shown;
        const LPARAM point = MAKELPARAM(10, next * rowHeight + rowHeight / 2);
        const double clicked = NowMs();
        ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::PostMessageW(list, WM_LBUTTONUP, 0, point);
        WaitFor([&] { return PixelAt(window, kPreviewPoint) == colours[next]; }, kActionTimeoutMs,
                "the preview of map " + std::to_string(next + 1));
        const double elapsed = NowMs() - clicked;
        shown = next;
        child.Settle();
        if (run < 0) continue;
        PrintSample("sample switch run=%d ms=%.3f\n", run + 1, elapsed);
        figure.Add(elapsed);
    }
    figure.Print();
    Figure peak("switch.peak");
    peak.Add(child.PeakWorkingSetKiB());
    peak.Print();
    return 0;
}

std::vector<PROCESSENTRY32W> Processes() {
    std::vector<PROCESSENTRY32W> list;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return list;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        list.push_back(entry);
    }
    ::CloseHandle(snapshot);
    return list;
}

// Whether a program of the launch (the interpreter, its console, start.exe, the game) still runs.
bool LaunchRunning() {
    for (const PROCESSENTRY32W& process : Processes()) {
        for (const wchar_t* name : {L"cmd.exe", L"start.exe", L"conhost.exe", L"armada2.exe"}) {
            if (::_wcsicmp(process.szExeFile, name) == 0) return true;
        }
    }
    return false;
}

// The id of a process started by the parent that is not among the known ones, or 0.
DWORD NewChildOf(DWORD parent, const std::set<DWORD>& known) {
    for (const PROCESSENTRY32W& process : Processes()) {
        if (process.th32ParentProcessID == parent && !known.contains(process.th32ProcessID)) {
            return process.th32ProcessID;
        }
    }
    return 0;
}

// The wall clock in 100 ns units, as the system stamps a process's creation.
long long SystemTimeNow() {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    return static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

// When the system created the process, in SystemTimeNow's units; 0 when it cannot be told.
long long CreationTimeOf(DWORD processId) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return 0;
    FILETIME created, exited, kernel, user;
    const BOOL known = ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    ::CloseHandle(process);
    if (!known) return 0;
    return static_cast<long long>((static_cast<unsigned long long>(created.dwHighDateTime) << 32) |
                                  created.dwLowDateTime);
}

std::set<DWORD> ChildrenOf(DWORD parent) {
    std::set<DWORD> children;
    for (const PROCESSENTRY32W& process : Processes()) {
        if (process.th32ParentProcessID == parent) children.insert(process.th32ProcessID);
    }
    return children;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

std::string FileContent(const std::wstring& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string content(4096, '\0');
    DWORD read = 0;
    ::ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    ::CloseHandle(file);
    content.resize(read);
    return content;
}

void CALLBACK ClickReturned(HWND, UINT, ULONG_PTR returnedAt, LRESULT) {
    *reinterpret_cast<double*>(returnedAt) = NowMs();
}

// The driver's own start of the command interpreter, as Edit Map starts it (a new console, shown
// minimized), timed around CreateProcess alone: what handing a script to the system costs here.
double BareInterpreterStartMs() {
    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring interpreter = std::wstring(system, length) + L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe /d /c exit";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    const double before = NowMs();
    if (!::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                          L"C:\\", &startup, &process)) {
        Fail("cannot start the command interpreter");
    }
    const double elapsed = NowMs() - before;
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, 30000);
    ::CloseHandle(process.hProcess);
    return elapsed;
}

// Edit Map: presses the button (BM_CLICK, which the button turns into its click) and times from
// the press until (1) run.bat lies beside the program with both its lines: the program hands it to
// CreateProcess next, (2) the system has created the process that runs it, by the creation time the
// system keeps for that process, and (3) the button's handler has returned. Before each press the
// previous launch has ended and run.bat is deleted. Between presses the driver times its own start
// of the command interpreter.
int RunEdit(int runs, const std::wstring& zelvaneExe, const std::wstring& mapName) {
    const std::wstring script = zelvaneExe.substr(0, zelvaneExe.find_last_of(L'\\')) + L"\\run.bat";
    const std::string expected =
        "cd C:\\PROGRA~1\\ACTIVI~1\\STARTR~1\r\nstart armada2.exe ~/edit " + Narrow(mapName) + "\r\n";
    const Child child(zelvaneExe);
    const HWND window = WaitForFirstPaint(child, ZelvanePainted).window;
    child.Settle();
    const HWND button = ChildWindow(window, L"Button", L"&Edit Map");
    Figure written("edit.script_written"), created("edit.process_created"), returned("edit.handler_returned"),
        bare("edit.bare_interpreter_start");
    for (int run = -1; run < runs; ++run) {
        WaitFor([] { return !LaunchRunning(); }, 3 * kActionTimeoutMs, "the previous launch to end");
        const double bareMs = BareInterpreterStartMs();
        WaitFor([] { return !LaunchRunning(); }, 3 * kActionTimeoutMs, "the interpreter to end");
        ::DeleteFileW(script.c_str());
        const std::set<DWORD> known = ChildrenOf(child.Id());
        double writtenAt = 0, returnedAt = 0;
        DWORD started = 0;
        const long long pressedTime = SystemTimeNow();
        const double pressed = NowMs();
        if (!::SendMessageCallbackW(button, BM_CLICK, 0, 0, ClickReturned, reinterpret_cast<ULONG_PTR>(&returnedAt))) {
            Fail("cannot press Edit Map");
        }
        // The process list is only looked at once the script is written: that look is slow, and
        // the creation time does not depend on when it is made.
        WaitFor(
            [&] {
                if (writtenAt == 0 && FileSize(script) == static_cast<long long>(expected.size())) writtenAt = NowMs();
                if (writtenAt != 0 && started == 0) started = NewChildOf(child.Id(), known);
                MSG message;
                while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
                return writtenAt != 0 && started != 0 && returnedAt != 0;
            },
            kActionTimeoutMs, "Edit Map to write and start run.bat");
        const long long createdTime = CreationTimeOf(started);
        if (createdTime == 0) Fail("cannot read when the launch's process was created");
        const double createdMs = static_cast<double>(createdTime - pressedTime) / 10000.0;
        const std::string content = FileContent(script);
        if (content != expected) Fail("run.bat holds \"" + content + "\", not \"" + expected + "\"");
        if (run < 0) continue;
        PrintSample(
            "sample edit run=%d script_written=%.3f process_created=%.3f handler_returned=%.3f "
            "bare_interpreter_start=%.3f\n",
            run + 1, writtenAt - pressed, createdMs, returnedAt - pressed, bareMs);
        written.Add(writtenAt - pressed);
        created.Add(createdMs);
        returned.Add(returnedAt - pressed);
        bare.Add(bareMs);
    }
    WaitFor([] { return !LaunchRunning(); }, 3 * kActionTimeoutMs, "the last launch to end");
    written.Print();
    created.Print();
    returned.Print();
    bare.Print();
    return 0;
}

// The system's own cost of listing a folder: FindFirstFileExW and FindNextFileW over every entry,
// with the flags Zelvane uses, and nothing done with the names.
int RunList(int runs, const std::wstring& folder) {
    const std::wstring query = folder + L"\\*";
    Figure figure("list.ms");
    for (int run = -1; run < runs; ++run) {
        const double before = NowMs();
        WIN32_FIND_DATAW found;
        const HANDLE find = ::FindFirstFileExW(query.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) Fail("cannot list " + Narrow(folder));
        int entries = 1;
        while (::FindNextFileW(find, &found)) ++entries;
        ::FindClose(find);
        const double elapsed = NowMs() - before;
        if (run < 0) continue;
        PrintSample("sample list run=%d entries=%d ms=%.3f\n", run + 1, entries, elapsed);
        figure.Add(elapsed);
    }
    figure.Print();
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: driver startup RUNS FLOOR_EXE ZELVANE_EXE\n"
                 "       driver switch RUNS ZELVANE_EXE\n"
                 "       driver edit RUNS ZELVANE_EXE MAP_NAME\n"
                 "       driver list RUNS FOLDER\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return Usage();
    const std::wstring command = argv[1];
    const int runs = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    if (runs < 1) return Usage();
    if (command == L"startup" && argc == 5) return RunStartup(runs, argv[3], argv[4]);
    if (command == L"switch" && argc == 4) return RunSwitch(runs, argv[3]);
    if (command == L"edit" && argc == 5) return RunEdit(runs, argv[3], argv[4]);
    if (command == L"list" && argc == 4) return RunList(runs, argv[3]);
    return Usage();
}
