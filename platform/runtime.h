// The runtime services the window's procedures call. The program provides them on Win32
// (platform/win32_*); the unit tests provide an in-memory stand-in.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/errors.h"

namespace zelvane {

// The program's version as its version record gives it: major, minor and revision.
struct ProgramVersion {
    std::int16_t major = 0;
    std::int16_t minor = 0;
    std::int16_t revision = 0;
};

// A loaded picture, shown by an image control at its natural size.
class Picture {
public:
    virtual ~Picture() = default;
    virtual int Width() const = 0;   // pixels
    virtual int Height() const = 0;  // pixels
};
using PicturePtr = std::shared_ptr<const Picture>;

// The file list: bare names of the files in a folder that match a pattern, single selection.
class FileListControl {
public:
    // Fails with 76 when the folder does not exist.
    virtual void SetPath(std::wstring_view folder) = 0;
    // From here on the list holds the names in the folder that match the pattern.
    virtual void SetPattern(std::wstring_view pattern) = 0;
    virtual int ListCount() const = 0;
    // -1 when nothing is selected.
    virtual int ListIndex() const = 0;
    // Fails with 380 when there is no entry at that index.
    virtual void SetListIndex(int index) = 0;
    // Fails with 381 when there is no entry at that index.
    virtual std::wstring List(int index) const = 0;

protected:
    ~FileListControl() = default;
};

class ImageControl {
public:
    virtual void SetPicture(PicturePtr picture) = 0;
    virtual void SetVisible(bool visible) = 0;

protected:
    ~ImageControl() = default;
};

class LabelControl {
public:
    virtual void SetVisible(bool visible) = 0;

protected:
    ~LabelControl() = default;
};

class CaptionControl {
public:
    virtual void SetCaption(std::wstring_view caption) = 0;

protected:
    ~CaptionControl() = default;
};

// The controls of the main window that code drives.
struct FormControls {
    CaptionControl& form;
    FileListControl& file1;
    ImageControl& image1;
    LabelControl& label1;
};

class Runtime : public FailureSink {
public:
    // The folder of the program's executable.
    virtual std::wstring AppPath() = 0;
    // Major, minor and revision from the program's version record.
    virtual ProgramVersion AppVersion() = 0;
    // Deletes a file; 53 when it does not exist.
    virtual void Kill(std::wstring_view path) = 0;
    // Numbered text output: creates or empties the file.
    virtual void OpenForOutput(int fileNumber, std::wstring_view path) = 0;
    // One line of 8-bit text ended by CR LF.
    virtual void PrintLine(int fileNumber, std::wstring_view text) = 0;
    // Flushes and releases the number; closing a number that is not open does nothing.
    virtual void Close(int fileNumber) = 0;
    // Whether the code page that printed lines are written in holds every character of a text.
    virtual bool FitsOutputCodePage(std::wstring_view text) = 0;
    // Whether two paths name the same existing folder (the same volume and file index), however each
    // is spelled or linked; false when either does not exist.
    virtual bool SameFolder(std::wstring_view a, std::wstring_view b) = 0;
    // The short (8.3) path of an existing file or folder, or the empty string where it has none.
    virtual std::wstring ShortPath(std::wstring_view path) = 0;
    // The last part of that: the file's own short name.
    std::wstring ShortName(std::wstring_view path) {
        const std::wstring shortPath = ShortPath(path);
        return shortPath.substr(shortPath.find_last_of(L'\\') + 1);
    }
    // Whether a path names an existing folder; an existing file.
    virtual bool IsFolder(std::wstring_view path) = 0;
    virtual bool IsFile(std::wstring_view path) = 0;
    // The value of an environment variable, or the empty string where it is not set.
    virtual std::wstring Environ(std::wstring_view name) = 0;
    // A text value of a key under the machine's registry key (HKEY_LOCAL_MACHINE) as 32-bit programs
    // see it, or the empty string where the key or value is missing, or the value is no text or is
    // longer than any path.
    virtual std::wstring MachineText32(std::wstring_view key, std::wstring_view value) = 0;
    // Starts a program (a batch script through the command interpreter) without waiting, in the given
    // window style, with the given current folder. Returns its task identifier; 53 when it does not exist.
    virtual std::uint32_t Shell(std::wstring_view path, int windowStyle, std::wstring_view startFolder) = 0;
    // Runs the step once the program that Shell started last has ended: at once when it has or none
    // was started, otherwise later, from the event loop, without blocking it. Steps that wait run in
    // the order they were given, each after the program the one before it started.
    virtual void AfterLastShell(std::function<void()> step) = 0;
    // Modal prompt; the empty string on Cancel.
    virtual std::wstring InputBox(std::wstring_view prompt, std::wstring_view title,
                                  std::wstring_view defaultAnswer) = 0;
    virtual int MsgBox(std::wstring_view text, int style, std::wstring_view title) = 0;
    // 53 when the file does not exist, another number when it is no readable picture.
    virtual PicturePtr LoadPicture(std::wstring_view path) = 0;

protected:
    ~Runtime() = default;
};

}  // namespace zelvane
