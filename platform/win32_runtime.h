// The runtime services on Win32.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/runtime.h"
#include "platform/win32_base.h"

struct IWICImagingFactory;

namespace zelvane::win32 {

class Win32Runtime final : public Runtime {
public:
    // The error box of an unhandled failure carries the title.
    explicit Win32Runtime(std::wstring_view errorTitle);
    Win32Runtime(const Win32Runtime&) = delete;
    Win32Runtime& operator=(const Win32Runtime&) = delete;
    ~Win32Runtime();

    // The window that owns modal boxes.
    void SetOwner(HWND owner) { owner_ = owner; }

    std::wstring AppPath() override;
    ProgramVersion AppVersion() override;
    void Kill(std::wstring_view path) override;
    void OpenForOutput(int fileNumber, std::wstring_view path) override;
    void PrintLine(int fileNumber, std::wstring_view text) override;
    void Close(int fileNumber) override;
    bool FitsOutputCodePage(std::wstring_view text) override;
    bool SameFolder(std::wstring_view a, std::wstring_view b) override;
    std::wstring ShortPath(std::wstring_view path) override;
    bool IsFolder(std::wstring_view path) override;
    bool IsFile(std::wstring_view path) override;
    std::wstring Environ(std::wstring_view name) override;
    std::wstring MachineText32(std::wstring_view key, std::wstring_view value) override;
    std::uint32_t Shell(std::wstring_view path, int windowStyle, std::wstring_view startFolder) override;
    void AfterLastShell(std::function<void()> step) override;
    // The process that waiting steps wait for, for the event loop to wait on beside its messages;
    // null when no step waits.
    HANDLE AwaitedShell() const { return waiting_.empty() ? nullptr : lastShell_.get(); }
    // Runs the waiting steps in turn for as long as the program Shell started last has ended.
    void RunWaiting();
    std::wstring InputBox(std::wstring_view prompt, std::wstring_view title, std::wstring_view defaultAnswer) override;
    int MsgBox(std::wstring_view text, int style, std::wstring_view title) override;
    PicturePtr LoadPicture(std::wstring_view path) override;
    // Shows the error's number and text, then ends the process with the error number as exit code.
    void ReportUnhandled(const RuntimeError& failure) override;

private:
    IWICImagingFactory* ImagingFactory();

    const std::wstring errorTitle_;
    ComLibrary com_;
    ComPtr<IWICImagingFactory> imaging_;
    HWND owner_ = nullptr;
    std::map<int, UniqueFile> openFiles_;
    UniqueHandle lastShell_;                     // the process Shell started last, until it is known to have ended
    std::deque<std::function<void()>> waiting_;  // steps waiting for it, in order
};

// The path of the running executable.
std::wstring ModulePath();

// The command interpreter's command line that runs the batch script named by an environment variable.
std::wstring ScriptCommandLine(std::wstring_view pathVariable);

}  // namespace zelvane::win32
