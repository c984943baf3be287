// The runtime services on Win32.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "browser/map_browser.h"
#include "platform/runtime.h"
#include "platform/win32_base.h"

struct IWICImagingFactory;

namespace zelvane::win32 {

// A picture in a DIB section: decoded previews are 32-bit, the program's own pictures as stored.
class Win32Picture final : public Picture {
public:
    Win32Picture(UniqueBitmap bitmap, int width, int height)
        : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    HBITMAP Bitmap() const { return bitmap_.get(); }

private:
    UniqueBitmap bitmap_;
    int width_;
    int height_;
};

// Loads an uncompressed BMP through the system's own loader, or returns nothing when the file is
// anything else (another format, a compressed or damaged BMP) for DecodePicture to try.
PicturePtr LoadPlainBmp(const std::wstring& file);

// Decodes a picture file through the Windows imaging component. Fails with 53 for a missing file,
// 70 for a locked one, 481 for anything that is no picture or claims more pixels than a preview
// can sensibly hold.
PicturePtr DecodePicture(IWICImagingFactory* factory, const std::wstring& file);

// Bare names of the entries of a folder that the pattern matches by their long or short name;
// fails with 76 when it is no folder.
std::vector<DirectoryEntry> ReadDirectory(std::wstring_view folder, std::wstring_view pattern = L"*");

// The modal input prompt (a dialog of the program's resources).
std::wstring ShowInputBox(HWND owner, std::wstring_view prompt, std::wstring_view title,
                          std::wstring_view defaultAnswer);

class Win32Runtime final : public Runtime {
public:
    Win32Runtime();
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
    std::wstring ShortName(std::wstring_view path) override;
    std::uint32_t Shell(std::wstring_view path, int windowStyle, std::wstring_view startFolder) override;
    void AwaitLastShell(std::chrono::milliseconds limit) override;
    std::wstring InputBox(std::wstring_view prompt, std::wstring_view title, std::wstring_view defaultAnswer) override;
    int MsgBox(std::wstring_view text, int style, std::wstring_view title) override;
    PicturePtr LoadPicture(std::wstring_view path) override;
    // Shows the error's number and text, then ends the process with the error number as exit code.
    void ReportUnhandled(const RuntimeError& failure) override;

private:
    IWICImagingFactory* ImagingFactory();

    HMODULE com_ = nullptr;  // ole32, once a picture needed it
    bool comInitialized_ = false;
    ComPtr<IWICImagingFactory> imaging_;
    HWND owner_ = nullptr;
    std::map<int, UniqueFile> openFiles_;
    UniqueHandle lastShell_;  // the process Shell started last, until it is known to have ended
};

// The path of the running executable.
std::wstring ModulePath();

// The command interpreter's command line that runs the batch script named by an environment variable.
std::wstring ScriptCommandLine(std::wstring_view pathVariable);

}  // namespace zelvane::win32
