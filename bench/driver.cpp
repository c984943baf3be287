// The benchmark's driver. It runs under Wine in the benchmark's prefix, starts the programs it
// measures and times them from outside with QueryPerformanceCounter: all it sees are processes,
// windows, pixels on the screen and files, as any other program on the desktop could. Only the
// listing of a folder is timed inside the driver, with the calls Zelvane makes.
//
//   driver startup RUNS FLOOR_EXE RICH_FLOOR_EXE ZELVANE_EXE MAPS
//                                          start-up and peak working set of the three, alternated;
//                                          the rich floor lists MAPS rows and reports its phases
//   driver switch RUNS ZELVANE_EXE         preview switches between the folder's two maps
//   driver edit RUNS ZELVANE_EXE MAP_NAME  Edit Map on the map selected at start-up
//   driver list RUNS FOLDER                the system's own time to list a folder, and the list's rule
//
// Every measurement prints a "sample ..." line; every figure ends with one line
//   result KEY median=M min=A max=B n=N
// which scripts/bench reads. Times are in milliseconds, memory in KiB. On any failure the driver
// ends the program it started, says why on stderr and exits with 2.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <functional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/launcher.h"
#include "platform/errors.h"
#include "platform/file_list.h"
#include "platform/win32_base.h"
#include "platform/win32_file_list.h"
#include "platform/win32_text.h"
#include "tests/support/win32_processes.h"

// ntdll's sleep in 100 ns units; no Windows header declares it.
extern "C" NTSYSAPI LONG NTAPI NtDelayExecution(BOOLEAN alertable, PLARGE_INTEGER interval);

namespace {

using zelvane::win32::UniqueFile;
using zelvane::win32::UniqueFind;
using zelvane::win32::UniqueHandle;
using zelvane::win32::Utf8;
using zelvane::win32::WindowDc;

// How often a wait looks at its condition, in microseconds.
constexpr long long kPollMicroseconds = 500;
constexpr double kStartTimeoutMs = 30000;
constexpr double kActionTimeoutMs = 10000;
// Time a program gets after its first paint before its peak working set is read, and between two
// actions, so that each finds the program idle.
constexpr DWORD kSettleMs = 250;

// Client points the programs are probed at, in pixels at 96 DPI: the top periwinkle bar, and a
// point of Zelvane's preview picture that no other element covers (its top left is at 88, 200).
constexpr POINT kBarPoint{300, 20};
constexpr POINT kPreviewPoint{150, 280};
constexpr COLORREF kPeriwinkle = RGB(128, 128, 255);
// The colours of the two previews the switch folders hold (bench/make-maps.sh paints them).
constexpr COLORREF kFirstPreview = RGB(200, 40, 40);
constexpr COLORREF kSecondPreview = RGB(40, 200, 40);
// The rich floor writes the readings of its phases to the file this variable names.
constexpr wchar_t kPhasesVariable[] = L"ZELVANE_BENCH_PHASES";

// A measurement that cannot go on; wmain says why.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& why) { throw Failure(why); }

// Fails with the system's error code, read before anything else runs: call it right after the
// call that failed. The subject, a path, is only viewed until then.
[[noreturn]] void FailWithError(const char* what, std::wstring_view subject = {}) {
    const DWORD code = ::GetLastError();
    std::string why = what;
    if (!subject.empty()) why += " " + Utf8(subject);
    Fail(why + " (error " + std::to_string(code) + ")");
}

long long Ticks() {
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return count.QuadPart;
}

// The counter is the system's: readings another process made convert alike.
double TicksToMs(long long ticks) {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    return static_cast<double>(ticks) / ticksPerMs;
}

double NowMs() { return TicksToMs(Ticks()); }

// Sleep() sleeps whole milliseconds at best; the native call takes 100 ns units.
void Pause(long long microseconds) {
    static const auto delay = ZELVANE_PROC_ADDRESS(::GetModuleHandleW(L"ntdll.dll"), NtDelayExecution);
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

long long FileTimeValue(const FILETIME& time) {
    return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// The wall clock in 100 ns units, as the system stamps a process's creation. The precise clock
// came with Windows 8; before, the coarse one is all there is.
long long SystemTimeNow() {
    static const auto precise =
        ZELVANE_PROC_ADDRESS(::GetModuleHandleW(L"kernel32.dll"), GetSystemTimePreciseAsFileTime);
    FILETIME now;
    if (precise) {
        precise(&now);
    } else {
        ::GetSystemTimeAsFileTime(&now);
    }
    return FileTimeValue(now);
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// A program the driver started, in its own folder; ended when the object goes, so that a failed
// measurement leaves nothing running.
class ChildProcess {
public:
    explicit ChildProcess(const std::wstring& program, const std::wstring& arguments = {}) {
        const std::size_t slash = program.find_last_of(L'\\');
        name_ = Utf8(program.substr(slash + 1));
        std::wstring commandLine = L"\"" + program + L"\"";
        if (!arguments.empty()) commandLine += L" " + arguments;
        const std::wstring folder = program.substr(0, slash);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        startedAt_ = NowMs();
        if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                              &startup, &started)) {
            FailWithError("cannot start", program);
        }
        const UniqueHandle thread(started.hThread);
        process_.reset(started.hProcess);
        id_ = started.dwProcessId;
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (!Exited()) ::TerminateProcess(process_.get(), 0);
        ::WaitForSingleObject(process_.get(), 10000);
    }

    double StartedAt() const { return startedAt_; }
    DWORD Id() const { return id_; }
    const std::string& Name() const { return name_; }
    bool Exited() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

    double PeakWorkingSetKiB() const {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!::GetProcessMemoryInfo(process_.get(), &counters, sizeof counters)) FailWithError("no memory counters");
        return static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    }

    // Lets the program settle after an action: until it waits for input, then a little longer.
    void Settle() const {
        ::WaitForInputIdle(process_.get(), 5000);
        ::Sleep(kSettleMs);
    }

private:
    std::string name_;
    UniqueHandle process_;
    DWORD id_ = 0;
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

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window)) return TRUE;
    search.found = window;
    return FALSE;
}

// The process's first visible top-level window, or null.
HWND VisibleWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    ::EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ChildSearch {
    std::wstring_view className, text;
    HWND found;
};

BOOL CALLBACK NoteChildWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<ChildSearch*>(parameter);
    if (!SameName(ClassOf(window), search.className)) return TRUE;
    if (!search.text.empty() && TextOf(window) != search.text) return TRUE;
    search.found = window;
    return FALSE;
}

// The first child window of the class, and with the text unless that is empty.
HWND ChildWindow(HWND parent, std::wstring_view className, std::wstring_view text = {}) {
    ChildSearch search{className, text, nullptr};
    ::EnumChildWindows(parent, NoteChildWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Fail("no " + Utf8(className) + " child window");
    return search.found;
}

// The pixel on the screen at a client point of the window (CLR_INVALID when it cannot be read).
// It is read from the screen rather than the window's own DC, whose region leaves out the
// window's children and other windows' parts.
COLORREF PixelAt(HWND window, POINT point) {
    if (!::ClientToScreen(window, &point)) return CLR_INVALID;
    const WindowDc screen;
    return screen ? ::GetPixel(screen.get(), point.x, point.y) : CLR_INVALID;
}

std::string ColourName(COLORREF colour) {
    if (colour == CLR_INVALID) return "none";
    return "(" + std::to_string(GetRValue(colour)) + "," + std::to_string(GetGValue(colour)) + "," +
           std::to_string(GetBValue(colour)) + ")";
}

// A point at the right end of the first row of the window's list, clear of the row's text.
COLORREF SelectedRowPixel(HWND window) {
    const HWND list = ::FindWindowExW(window, nullptr, L"ListBox", nullptr);
    if (!list) return CLR_INVALID;
    RECT client{};
    ::GetClientRect(list, &client);
    return PixelAt(list, POINT{client.right - 3, 3});
}

// What "painted" means for a program, read from the screen: its periwinkle bar and, for a program
// with a map list, the list's first row drawn selected. The selection's colour depends on the
// theme: it is learnt from the program's settled window on its first, unrecorded start.
class Probe {
public:
    explicit Probe(bool hasList) : hasList_(hasList) {}

    bool Painted(HWND window) const {
        if (PixelAt(window, kBarPoint) != kPeriwinkle) return false;
        return !hasList_ || selectedRow_ == CLR_INVALID || SelectedRowPixel(window) == selectedRow_;
    }

    void LearnSelectedRow(HWND window) {
        if (!hasList_) return;
        selectedRow_ = SelectedRowPixel(window);
        if (selectedRow_ == CLR_INVALID || selectedRow_ == kPeriwinkle) {
            Fail("cannot read the selected row of the map list: " + ColourName(selectedRow_));
        }
    }

private:
    bool hasList_;
    COLORREF selectedRow_ = CLR_INVALID;
};

// A child's window and when it became visible and painted, in milliseconds from just before the
// child was started.
struct FirstPaint {
    HWND window = nullptr;
    double visibleMs = 0;
    double paintedMs = 0;
};

void FailOnMessageBox(const ChildProcess& child, HWND window) {
    if (ClassOf(window) != L"#32770") return;
    const HWND text = ::FindWindowExW(window, nullptr, L"Static", nullptr);
    Fail(child.Name() + " showed a message box: " + Utf8(TextOf(text ? text : window)));
}

// Waits until the child's window shows and the probe finds it painted.
FirstPaint WaitForFirstPaint(const ChildProcess& child, const Probe& probe) {
    FirstPaint result;
    const double deadline = child.StartedAt() + kStartTimeoutMs;
    for (;;) {
        if (!result.window && (result.window = VisibleWindowOf(child.Id())) != nullptr) {
            result.visibleMs = NowMs() - child.StartedAt();
            FailOnMessageBox(child, result.window);
        }
        if (result.window && probe.Painted(result.window)) break;
        if (child.Exited()) Fail(child.Name() + " ended before its window was painted");
        if (NowMs() > deadline) Fail(child.Name() + "'s window was not painted in time");
        Pause(kPollMicroseconds);
    }
    result.paintedMs = NowMs() - child.StartedAt();
    return result;
}

// The figures of one command, each the runs' values of one key, printed in the order they came.
class Figures {
public:
    void Add(const std::string& key, double value) {
        auto figure = std::find_if(figures_.begin(), figures_.end(), [&](const Figure& f) { return f.key == key; });
        if (figure == figures_.end()) figure = figures_.insert(figures_.end(), Figure{key, {}});
        figure->values.push_back(value);
    }

    void Print() const {
        for (Figure figure : figures_) {
            std::sort(figure.values.begin(), figure.values.end());
            const std::vector<double>& v = figure.values;
            const std::size_t n = v.size();
            const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
            std::printf("result %s median=%.3f min=%.3f max=%.3f n=%zu\n", figure.key.c_str(), median, v.front(),
                        v.back(), n);
        }
    }

private:
    struct Figure {
        std::string key;
        std::vector<double> values;
    };
    std::vector<Figure> figures_;
};

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) FailWithError("no folder for temporary files");
    return std::wstring(path, length);
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// The first 4 KiB of a file: all the driver reads are small.
std::string FileContent(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
    if (!file) return {};
    std::string content(4096, '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    content.resize(read);
    return content;
}

// One of the programs start-up compares.
struct Contender {
    std::string name;
    std::wstring program;
    std::wstring arguments;
    Probe probe;
    bool reportsPhases;
};

// The rich floor's phases of one start as times: from the driver's CreateProcess to the floor's
// first statement ("entry"), then each phase from the end of the one before it.
std::string AddPhases(const std::string& text, double startedAt, const std::string& prefix, Figures& figures) {
    std::istringstream lines(text);
    std::string phase, sample;
    long long ticks = 0;
    double previous = startedAt;
    char value[32];
    while (lines >> phase >> ticks) {
        const double at = TicksToMs(ticks);
        figures.Add(prefix + "." + phase, at - previous);
        std::snprintf(value, sizeof value, "%.3f", at - previous);
        sample += " " + phase + "=" + value;
        previous = at;
    }
    if (sample.empty()) Fail("the rich floor's phases cannot be read: \"" + text + "\"");
    return sample;
}

// One start of a contender, until its window is painted on the screen and it has settled. The
// first (run 0) is not recorded: it teaches the probe the selected row's colour.
void TimeStart(Contender& contender, int run, const std::wstring& phasesFile, Figures& figures) {
    if (contender.reportsPhases) ::DeleteFileW(phasesFile.c_str());
    const ChildProcess child(contender.program, contender.arguments);
    const FirstPaint paint = WaitForFirstPaint(child, contender.probe);
    child.Settle();
    if (run == 0) {
        contender.probe.LearnSelectedRow(paint.window);
        return;
    }
    const std::string key = "startup." + contender.name;
    const double peak = child.PeakWorkingSetKiB();
    std::printf("sample startup %s run=%d visible=%.3f painted=%.3f peak_kib=%.0f\n", contender.name.c_str(), run,
                paint.visibleMs, paint.paintedMs, peak);
    figures.Add(key + ".visible", paint.visibleMs);
    figures.Add(key + ".painted", paint.paintedMs);
    figures.Add(key + ".peak", peak);
    if (!contender.reportsPhases) return;
    WaitFor([&] { return FileExists(phasesFile); }, kActionTimeoutMs, "the rich floor's phases");
    const std::string phases = AddPhases(FileContent(phasesFile), child.StartedAt(), key + ".phase", figures);
    std::printf("sample phases %s run=%d%s\n", contender.name.c_str(), run, phases.c_str());
}

// Start-up: the bare floor, the rich floor and Zelvane, alternated forwards and backwards (ABC CBA)
// so that drift weighs on all three alike, after one unrecorded start of each.
int RunStartup(int runs, const std::wstring& floorExe, const std::wstring& richFloorExe, const std::wstring& zelvaneExe,
               const std::wstring& mapCount) {
    const std::wstring phasesFile = TempFolder() + L"zelvane-bench-phases.txt";
    if (!::SetEnvironmentVariableW(kPhasesVariable, phasesFile.c_str())) {
        FailWithError("cannot set", kPhasesVariable);
    }
    std::array<Contender, 3> contenders{{
        {"floor", floorExe, {}, Probe(false), false},
        {"rich", richFloorExe, mapCount, Probe(true), true},
        {"zelvane", zelvaneExe, {}, Probe(true), false},
    }};
    Figures figures;
    for (int run = 0; run <= runs; ++run) {
        for (std::size_t turn = 0; turn < contenders.size(); ++turn) {
            const std::size_t index = run % 2 ? turn : contenders.size() - 1 - turn;
            TimeStart(contenders[index], run, phasesFile, figures);
        }
    }
    ::DeleteFileW(phasesFile.c_str());
    figures.Print();
    return 0;
}

// Preview switch: clicks the other of the folder's two maps in the list, as the mouse would, and
// times from the click until the preview point shows that map's picture on the screen.
int RunSwitch(int runs, const std::wstring& zelvaneExe) {
    const ChildProcess child(zelvaneExe);
    const HWND window = WaitForFirstPaint(child, Probe(true)).window;
    child.Settle();
    const HWND list = ChildWindow(window, L"ListBox");
    if (::SendMessageW(list, LB_GETCOUNT, 0, 0) != 2) Fail("the switch folder must hold exactly two maps");
    const int rowHeight = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const COLORREF colours[2] = {kFirstPreview, kSecondPreview};
    if (const COLORREF shown = PixelAt(window, kPreviewPoint); shown != colours[0]) {
        Fail("the first preview shows " + ColourName(shown) + ", not " + ColourName(colours[0]));
    }
    Figures figures;
    int shown = 0;
    for (int run = 0; run <= runs; ++run) {
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
        if (run == 0) continue;
        std::printf("sample switch run=%d ms=%.3f\n", run, elapsed);
        figures.Add("switch.ms", elapsed);
    }
    figures.Add("switch.peak", child.PeakWorkingSetKiB());
    figures.Print();
    return 0;
}

// Whether a program of a launch runs: the interpreter, its console, start.exe or the game.
bool LaunchRunning() {
    return zelvane::testing::ProgramRuns({L"cmd.exe", L"start.exe", L"conhost.exe", L"armada2.exe"});
}

void WaitForLaunchToEnd(const std::string& what) {
    WaitFor([] { return !LaunchRunning(); }, 3 * kActionTimeoutMs, what);
}

std::set<DWORD> ChildrenOf(DWORD parent) {
    std::set<DWORD> children;
    for (const zelvane::testing::RunningProcess& process : zelvane::testing::RunningProcesses()) {
        if (process.parent == parent) children.insert(process.id);
    }
    return children;
}

// The id of a process started by the parent that is not among the known ones, or 0.
DWORD NewChildOf(DWORD parent, const std::set<DWORD>& known) {
    for (const DWORD child : ChildrenOf(parent)) {
        if (!known.contains(child)) return child;
    }
    return 0;
}

// When the system created the process, in SystemTimeNow's units; 0 when it cannot be told.
long long CreationTimeOf(DWORD processId) {
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    FILETIME created, exited, kernel, user;
    if (!process || !::GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return 0;
    return FileTimeValue(created);
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
    PROCESS_INFORMATION started{};
    const double before = NowMs();
    if (!::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                          L"C:\\", &startup, &started)) {
        FailWithError("cannot start the command interpreter");
    }
    const double elapsed = NowMs() - before;
    const UniqueHandle thread(started.hThread), process(started.hProcess);
    ::WaitForSingleObject(process.get(), 30000);
    return elapsed;
}

void CALLBACK ClickReturned(HWND, UINT, ULONG_PTR returnedAt, LRESULT) {
    *reinterpret_cast<double*>(returnedAt) = NowMs();
}

// What one press of Edit Map took, in milliseconds from just before the press.
struct EditTimes {
    double written = 0, created = 0, returned = 0;
};

// Presses the button (BM_CLICK, which the button turns into its click) and waits until run.bat
// holds its whole script, the system has created the process that runs it and the button's
// handler has returned. The process list is looked at only once the script is written: that look
// is slow, and the creation time the system keeps does not depend on when it is made.
EditTimes PressEditMap(const ChildProcess& child, HWND button, const std::wstring& script, std::size_t scriptSize) {
    const std::set<DWORD> known = ChildrenOf(child.Id());
    double writtenAt = 0, returnedAt = 0;
    DWORD started = 0;
    const long long pressedTime = SystemTimeNow();
    const double pressed = NowMs();
    if (!::SendMessageCallbackW(button, BM_CLICK, 0, 0, ClickReturned, reinterpret_cast<ULONG_PTR>(&returnedAt))) {
        FailWithError("cannot press Edit Map");
    }
    WaitFor(
        [&] {
            if (writtenAt == 0 && FileSize(script) == static_cast<long long>(scriptSize)) writtenAt = NowMs();
            if (writtenAt != 0 && started == 0) started = NewChildOf(child.Id(), known);
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
            return writtenAt != 0 && started != 0 && returnedAt != 0;
        },
        kActionTimeoutMs, "Edit Map to write and start run.bat");
    const long long createdTime = CreationTimeOf(started);
    if (createdTime == 0) Fail("cannot read when the launch's process was created");
    return {writtenAt - pressed, static_cast<double>(createdTime - pressedTime) / 10000.0, returnedAt - pressed};
}

// Edit Map, pressed again and again on the map selected at start-up. Before each press the previous
// launch has ended, the driver has timed its own start of the command interpreter, and run.bat is
// deleted; after it, run.bat's exact content is checked.
int RunEdit(int runs, const std::wstring& zelvaneExe, const std::wstring& mapName) {
    const std::wstring script = zelvaneExe.substr(0, zelvaneExe.find_last_of(L'\\')) + L"\\run.bat";
    const std::string expected =
        "cd \"C:\\Program Files\\Activision\\Star Trek Armada II\"\r\nstart armada2.exe ~/edit " + Utf8(mapName) +
        "\r\n";
    const ChildProcess child(zelvaneExe);
    const HWND window = WaitForFirstPaint(child, Probe(true)).window;
    child.Settle();
    const HWND button = ChildWindow(window, L"Button", L"&Edit Map");
    Figures figures;
    for (int run = 0; run <= runs; ++run) {
        WaitForLaunchToEnd("the previous launch to end");
        const double bareMs = BareInterpreterStartMs();
        WaitForLaunchToEnd("the interpreter to end");
        ::DeleteFileW(script.c_str());
        const EditTimes times = PressEditMap(child, button, script, expected.size());
        if (const std::string content = FileContent(script); content != expected) {
            Fail("run.bat holds \"" + content + "\", not \"" + expected + "\"");
        }
        if (run == 0) continue;
        std::printf(
            "sample edit run=%d script_written=%.3f process_created=%.3f handler_returned=%.3f "
            "bare_interpreter_start=%.3f\n",
            run, times.written, times.created, times.returned, bareMs);
        figures.Add("edit.script_written", times.written);
        figures.Add("edit.process_created", times.created);
        figures.Add("edit.handler_returned", times.returned);
        figures.Add("edit.bare_interpreter_start", bareMs);
    }
    WaitForLaunchToEnd("the last launch to end");
    figures.Print();
    return 0;
}

// Every entry of the folder through FindFirstFileExW and FindNextFileW, with the flags Zelvane
// uses, and nothing done with the names; returns how many there are.
int CountEntries(const std::wstring& folder) {
    const std::wstring query = folder + L"\\*";
    WIN32_FIND_DATAW found;
    const UniqueFind find(::FindFirstFileExW(query.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    if (!find) FailWithError("cannot list", folder);
    int entries = 1;
    while (::FindNextFileW(find.get(), &found)) ++entries;
    return entries;
}

// The folder's listing, three ways, each timed on its own: every entry ("list.ms"); the listing
// Zelvane makes, win32::ReadDirectory with the map pattern ("list.read_maps"); and the list's rule
// over that listing, ListedNames' filter and sort ("list.filter_sort").
int RunList(int runs, const std::wstring& folder) {
    Figures figures;
    for (int run = 0; run <= runs; ++run) {
        double before = NowMs();
        const int entries = CountEntries(folder);
        const double everyEntryMs = NowMs() - before;
        before = NowMs();
        std::vector<zelvane::DirectoryEntry> read = zelvane::win32::ReadDirectory(folder, zelvane::kMapPattern);
        const double readMs = NowMs() - before;
        before = NowMs();
        const std::vector<std::wstring> names = zelvane::ListedNames(std::move(read), zelvane::kMapPattern);
        const double ruleMs = NowMs() - before;
        if (run == 0) continue;
        std::printf("sample list run=%d entries=%d ms=%.3f maps=%zu read_maps=%.3f filter_sort=%.3f\n", run, entries,
                    everyEntryMs, names.size(), readMs, ruleMs);
        figures.Add("list.ms", everyEntryMs);
        figures.Add("list.read_maps", readMs);
        figures.Add("list.filter_sort", ruleMs);
    }
    figures.Print();
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: driver startup RUNS FLOOR_EXE RICH_FLOOR_EXE ZELVANE_EXE MAPS\n"
                 "       driver switch RUNS ZELVANE_EXE\n"
                 "       driver edit RUNS ZELVANE_EXE MAP_NAME\n"
                 "       driver list RUNS FOLDER\n");
    return 2;
}

int Run(const std::vector<std::wstring>& arguments) {
    if (arguments.size() < 3) return Usage();
    const std::wstring& command = arguments[0];
    const int runs = static_cast<int>(std::wcstol(arguments[1].c_str(), nullptr, 10));
    if (runs < 1) return Usage();
    const std::size_t count = arguments.size();
    if (command == L"startup" && count == 6) {
        return RunStartup(runs, arguments[2], arguments[3], arguments[4], arguments[5]);
    }
    if (command == L"switch" && count == 3) return RunSwitch(runs, arguments[2]);
    if (command == L"edit" && count == 4) return RunEdit(runs, arguments[2], arguments[3]);
    if (command == L"list" && count == 3) return RunList(runs, arguments[2]);
    return Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Unbuffered, so that each sample is in the log as soon as it is measured.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    try {
        return Run(std::vector<std::wstring>(argv + 1, argv + argc));
    } catch (const zelvane::RuntimeError& failure) {
        std::fprintf(stderr, "driver: %s\n", Utf8(failure.Message()).c_str());
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "driver: %s\n", failure.what());
    }
    return 2;
}
