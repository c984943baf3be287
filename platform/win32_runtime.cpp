#include "platform/win32_runtime.h"

#include <wincodec.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/file_list.h"
#include "platform/win32_folders.h"
#include "platform/win32_prompt.h"
#include "platform/win32_text.h"

namespace zelvane::win32 {

namespace {

// The extensions are ASCII: folding ASCII letters compares them as the system does.
bool IsBatchScript(std::wstring_view path) {
    const auto dot = path.find_last_of(L'.');
    if (dot == std::wstring_view::npos) return false;
    const std::wstring extension = FoldAscii(path.substr(dot));
    return extension == L".BAT" || extension == L".CMD";
}

constexpr wchar_t kScriptVariable[] = L"ZELVANE_SCRIPT";

std::wstring CommandInterpreter() {
    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) Fail(error::kPathFileAccessError);
    return std::wstring(system, length) + L"\\cmd.exe";
}

// Printed lines are in the code page the command interpreter reads batch files in (the OEM one).
// Characters it cannot hold become '_', never a look-alike: a best-fit '"' or '&' would undo the
// escaping, and '?' is a wildcard.
std::string EncodeForConsole(std::wstring_view text, bool* lossy = nullptr) {
    if (lossy) *lossy = false;
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    // UTF-8 holds every character, and its conversion takes neither flags nor a default.
    if (::GetOEMCP() == CP_UTF8) return Utf8(text);
    BOOL usedDefault = FALSE;
    const int size =
        ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, "_", &usedDefault);
    if (size <= 0) FailWithLastError();
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), size, "_", nullptr);
    if (lossy) *lossy = usedDefault != FALSE;
    return bytes;
}

}  // namespace

std::wstring ScriptCommandLine(std::wstring_view pathVariable) {
    return L"cmd.exe /d /v:off /s /c \"\"%" + std::wstring(pathVariable) + L"%\"\"";
}

std::wstring ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) FailWithLastError();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

Win32Runtime::Win32Runtime(std::wstring_view errorTitle) : errorTitle_(errorTitle) {}

Win32Runtime::~Win32Runtime() = default;

std::wstring Win32Runtime::AppPath() {
    std::wstring folder = ModulePath();
    folder.erase(folder.find_last_of(L'\\'));
    // A root folder keeps its separator: "C:\".
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
}

// Read from the program's own version record, in memory: no file to open and no extra library.
ProgramVersion Win32Runtime::AppVersion() {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC record = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
    const HGLOBAL loaded = record ? ::LoadResource(module, record) : nullptr;
    const auto* bytes = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
    const DWORD size = record ? ::SizeofResource(module, record) : 0;
    // The fixed part follows the record's header and key, on a four-byte boundary.
    for (DWORD offset = 0; bytes && offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
        VS_FIXEDFILEINFO fixed;
        std::memcpy(&fixed, bytes + offset, sizeof fixed);
        if (fixed.dwSignature != VS_FFI_SIGNATURE) continue;
        // The record's fourth field is the revision; the third is not shown.
        return ProgramVersion{static_cast<std::int16_t>(HIWORD(fixed.dwFileVersionMS)),
                              static_cast<std::int16_t>(LOWORD(fixed.dwFileVersionMS)),
                              static_cast<std::int16_t>(LOWORD(fixed.dwFileVersionLS))};
    }
    Fail(error::kFileNotFound, ModulePath());
}

void Win32Runtime::Kill(std::wstring_view path) {
    const std::wstring file = std::wstring(path);
    if (!::DeleteFileW(file.c_str())) FailWithLastError(file);
}

void Win32Runtime::OpenForOutput(int fileNumber, std::wstring_view path) {
    if (fileNumber < 1 || fileNumber > 511) Fail(error::kBadFileNameOrNumber);
    if (openFiles_.contains(fileNumber)) Fail(error::kFileAlreadyOpen);
    const std::wstring file = std::wstring(path);
    // A virus scanner, the search indexer or a sync client may hold a new file open for a moment;
    // while it does, the file cannot be made again (its delete is still pending). Such a hold
    // passes within a fraction of a second.
    constexpr int kTries = 6;
    constexpr DWORD kPauseMilliseconds = 100;
    UniqueFile handle;
    for (int attempt = 1;; ++attempt) {
        handle.reset(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (handle) break;
        const DWORD failure = ::GetLastError();
        const bool held = failure == ERROR_ACCESS_DENIED || failure == ERROR_SHARING_VIOLATION;
        if (!held || attempt == kTries) {
            ::SetLastError(failure);
            FailWithLastError(file);
        }
        ::Sleep(kPauseMilliseconds);
    }
    openFiles_.emplace(fileNumber, std::move(handle));
}

void Win32Runtime::PrintLine(int fileNumber, std::wstring_view text) {
    const auto open = openFiles_.find(fileNumber);
    if (open == openFiles_.end()) Fail(error::kBadFileNameOrNumber);
    std::string bytes = EncodeForConsole(text);
    bytes += "\r\n";
    DWORD written = 0;
    if (!::WriteFile(open->second.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        FailWithLastError();
    }
    if (written != bytes.size()) Fail(error::kDiskFull);
}

void Win32Runtime::Close(int fileNumber) {
    const auto open = openFiles_.find(fileNumber);
    if (open == openFiles_.end()) return;
    // WriteFile keeps no buffer of ours: closing the handle hands everything to the system.
    const HANDLE handle = open->second.release();
    openFiles_.erase(open);
    if (!::CloseHandle(handle)) FailWithLastError();
}

bool Win32Runtime::FitsOutputCodePage(std::wstring_view text) {
    bool lossy = false;
    EncodeForConsole(text, &lossy);
    return !lossy;
}

bool Win32Runtime::SameFolder(std::wstring_view a, std::wstring_view b) { return win32::SameFolder(a, b); }

std::wstring Win32Runtime::ShortPath(std::wstring_view path) {
    const std::wstring file(path);
    const DWORD size = ::GetShortPathNameW(file.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring shortPath(size, L'\0');
    const DWORD length = ::GetShortPathNameW(file.c_str(), shortPath.data(), size);
    if (length == 0 || length >= size) return {};
    shortPath.resize(length);
    return shortPath;
}

bool Win32Runtime::IsFolder(std::wstring_view path) { return win32::IsFolder(std::wstring(path)); }

bool Win32Runtime::IsFile(std::wstring_view path) { return win32::IsFile(std::wstring(path)); }

std::wstring Win32Runtime::Environ(std::wstring_view name) { return EnvironmentValue(name); }

std::wstring Win32Runtime::MachineText32(std::wstring_view key, std::wstring_view value) {
    // Longer than any path, terminator included: passed over, as anything else that is not a path.
    constexpr DWORD kMostBytes = 32768 * sizeof(wchar_t);
    const std::wstring keyName(key);
    const std::wstring valueName(value);
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &opened) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::wstring text;
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(opened, valueName.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        type == REG_SZ && bytes <= kMostBytes) {
        // One character more than the value holds: a value written without its terminator gets one.
        text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD read = bytes;
        if (::RegQueryValueExW(opened, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                               &read) != ERROR_SUCCESS ||
            type != REG_SZ) {
            text.clear();
        }
        // The text ends at its first terminator.
        text.resize(std::wcslen(text.c_str()));
    }
    ::RegCloseKey(opened);
    return text;
}

std::uint32_t Win32Runtime::Shell(std::wstring_view path, int windowStyle, std::wstring_view startFolder) {
    const std::wstring program = std::wstring(path);
    const DWORD attributes = ::GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) FailWithLastError(program);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) Fail(error::kFileNotFound, program);

    // A batch script runs through the command interpreter: /d skips AutoRun commands, /v:off keeps
    // '!' plain whatever the registry says, and /s with a second pair of quotes keeps the path one
    // word. The path itself comes in through a variable: the interpreter expands %...% on its own
    // command line, even inside quotes, but never expands the value of a variable again.
    std::wstring application;
    std::wstring commandLine;
    const bool script = IsBatchScript(program);
    if (script) {
        application = CommandInterpreter();
        commandLine = ScriptCommandLine(kScriptVariable);
        if (!::SetEnvironmentVariableW(kScriptVariable, program.c_str())) FailWithLastError();
    } else {
        application = program;
        commandLine = L"\"" + program + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    const std::wstring folder = std::wstring(startFolder);
    const BOOL started =
        ::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                         folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    const DWORD startError = ::GetLastError();
    if (script) ::SetEnvironmentVariableW(kScriptVariable, nullptr);
    if (!started) Fail(ErrorNumberFromWin32(startError), program);
    UniqueHandle thread(process.hThread);
    lastShell_.reset(process.hProcess);
    return process.dwProcessId;
}

void Win32Runtime::AfterLastShell(std::function<void()> step) {
    waiting_.push_back(std::move(step));
    RunWaiting();
}

void Win32Runtime::RunWaiting() {
    while (!waiting_.empty()) {
        if (lastShell_ && ::WaitForSingleObject(lastShell_.get(), 0) == WAIT_TIMEOUT) return;
        lastShell_.reset();
        const std::function<void()> step = std::move(waiting_.front());
        waiting_.pop_front();
        step();
    }
}

std::wstring Win32Runtime::InputBox(std::wstring_view prompt, std::wstring_view title,
                                    std::wstring_view defaultAnswer) {
    return ShowInputBox(owner_, prompt, title, defaultAnswer);
}

int Win32Runtime::MsgBox(std::wstring_view text, int style, std::wstring_view title) {
    const std::wstring body = std::wstring(text);
    const std::wstring caption = std::wstring(title);
    return ::MessageBoxW(owner_, body.c_str(), caption.c_str(), static_cast<UINT>(style));
}

void Win32Runtime::ReportUnhandled(const RuntimeError& failure) {
    const std::wstring text = failure.Message();
    ::MessageBoxW(owner_ && ::IsWindowVisible(owner_) ? owner_ : nullptr, text.c_str(), errorTitle_.c_str(),
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    ::ExitProcess(static_cast<UINT>(failure.Number()));
}

}  // namespace zelvane::win32
