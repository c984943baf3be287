// Helpers for the Windows-side tests: scratch folders, files and small BMP pictures.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/runtime.h"
#include "platform/win32_text.h"
#include "tests/support/win32_processes.h"
#include "ui/pictures/pictures.h"

namespace zelvane::testing {

namespace fs = std::filesystem;

using win32::Utf16;
using win32::Utf8;

// A new folder of its own under the temporary folder, named after the test with a suffix that no
// folder there has yet, and removed with everything in it at the end of the test.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name) {
        static unsigned made = 0;
        for (;;) {
            path_ = fs::temp_directory_path() /
                    (name + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++made));
            if (::CreateDirectoryW(path_.c_str(), nullptr)) return;
            if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make a scratch folder");
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return (path_ / name).wstring(); }

private:
    fs::path path_;
};

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A 3 x 2 green PNG, small enough to keep here: a picture that only the imaging component reads.
inline const std::string kPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x02"
    "\x01\x03\x00\x00\x00\xa7\xba\xf4\x59\x00\x00\x00\x03\x50\x4c\x54\x45\x00\xff\x00\x34\x5e\xc0\xa8"
    "\x00\x00\x00\x0c\x49\x44\x41\x54\x08\xd7\x63\x60\x60\x60\x00\x00\x00\x04\x00\x01\x27\x34\x27\x0a"
    "\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
    84);
// An uncompressed 24-bit BMP of one colour.
inline std::string SolidBmp(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    pictures::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.at(x, y) = {red, green, blue};
    }
    const std::vector<std::uint8_t> bytes = pictures::EncodeBmp24(image);
    return std::string(bytes.begin(), bytes.end());
}

// The stand-in game's settings for launches, while this lives: it ends at once and logs into a
// scratch folder of the test's own.
class StandInLog {
public:
    explicit StandInLog(const std::wstring& name) : scratch_(name), path_(scratch_.path() / L"standin.log") {
        ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_QUIET", L"1");
        ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_LOG", path_.c_str());
    }
    StandInLog(const StandInLog&) = delete;
    StandInLog& operator=(const StandInLog&) = delete;
    ~StandInLog() { ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_LOG", nullptr); }
    const fs::path& path() const { return path_; }

private:
    ScratchFolder scratch_;
    fs::path path_;
};

// Controls whose state a test does not look at.
struct NullCaption final : CaptionControl {
    void SetCaption(std::wstring_view) override {}
};
struct NullImage final : ImageControl {
    void SetPicture(PicturePtr) override {}
    void SetVisible(bool) override {}
};
struct NullLabel final : LabelControl {
    void SetVisible(bool) override {}
};

// Waits, when it goes out of scope, until the programs that launches start have ended, so that
// nothing holds the folders of a test install when it is removed.
class LaunchesEnded {
public:
    LaunchesEnded() = default;
    LaunchesEnded(const LaunchesEnded&) = delete;
    LaunchesEnded& operator=(const LaunchesEnded&) = delete;
    ~LaunchesEnded();
};

// A path the tests were given on the command line or in the environment: a Linux one under Wine.
inline fs::path HostPath(const std::string& path) { return path.starts_with("/") ? fs::path("Z:" + path) : path; }

// The stand-in game that ctest names in ZELVANE_STANDIN, or an empty path.
inline fs::path StandInGame() {
    const char* standIn = std::getenv("ZELVANE_STANDIN");
    return standIn ? HostPath(standIn) : fs::path();
}

// The error number a statement fails with, or 0.
inline int ErrorOf(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const RuntimeError& failure) {
        return failure.Number();
    }
    return 0;
}

// Polls a condition until it holds or the deadline passes, pumping this thread's messages.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(20);
    }
    return true;
}

inline LaunchesEnded::~LaunchesEnded() {
    WaitFor([] { return !ProgramRuns({L"cmd.exe", L"start.exe", L"armada2.exe"}); }, std::chrono::seconds(20));
}

}  // namespace zelvane::testing
