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
#include <thread>

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

// An uncompressed 24-bit BMP of one colour.
inline std::string SolidBmp(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    pictures::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.at(x, y) = {red, green, blue};
    }
    const std::vector<std::uint8_t> bytes = pictures::EncodeBmp24(image);
    return std::string(bytes.begin(), bytes.end());
}

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
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline LaunchesEnded::~LaunchesEnded() {
    WaitFor([] { return !ProgramRuns({L"cmd.exe", L"start.exe", L"armada2.exe"}); }, std::chrono::seconds(20));
}

}  // namespace zelvane::testing
