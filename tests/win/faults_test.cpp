// Bad and unusual inputs around the preview and the launch: the program must neither crash nor
// hang, must show only the states and messages it always shows, and must change nothing else.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <algorithm>

#include "core/launcher.h"
#include "platform/win32_file_list.h"
#include "platform/win32_runtime.h"
#include "tests/win/test_install.h"
#include "tests/win/win_test_support.h"
#include "ui/form1.h"

namespace zelvane::testing {
namespace {

using win32::Win32Runtime;

// A 3 x 2 blue JPEG, small enough to keep here.
const std::string kJpeg(
    "\xff\xd8\xff\xe0\x00\x10\x4a\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xdb\x00\x43"
    "\x00\x03\x02\x02\x03\x02\x02\x03\x03\x03\x03\x04\x03\x03\x04\x05\x08\x05\x05\x04\x04\x05\x0a\x07"
    "\x07\x06\x08\x0c\x0a\x0c\x0c\x0b\x0a\x0b\x0b\x0d\x0e\x12\x10\x0d\x0e\x11\x0e\x0b\x0b\x10\x16\x10"
    "\x11\x13\x14\x15\x15\x15\x0c\x0f\x17\x18\x16\x14\x18\x12\x14\x15\x14\xff\xdb\x00\x43\x01\x03\x04"
    "\x04\x05\x04\x05\x09\x05\x05\x09\x14\x0d\x0b\x0d\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
    "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
    "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\xff\xc0\x00\x11\x08\x00\x02\x00\x03\x03"
    "\x01\x11\x00\x02\x11\x01\x03\x11\x01\xff\xc4\x00\x14\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x00\x09\xff\xc4\x00\x14\x10\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\xff\xc4\x00\x15\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x06\x09\xff\xc4\x00\x14\x11\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00\x3d\xd5\x4c\x1d\xff\xd9",
    286);

// A BMP header that claims a 30000 x 30000 picture and holds a few bytes of pixels.
std::string HugeClaimBmp() {
    std::string bytes = SolidBmp(2, 2, 1, 2, 3);
    const auto put = [&bytes](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    };
    put(18, 30000);
    put(22, 30000);
    return bytes;
}

std::size_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

TEST(PictureFaults, EveryBadPreviewFailsWithANumberOtherThanFileNotFound) {
    ScratchFolder folder(L"zelvane-picture-faults");
    const std::string bmp = SolidBmp(16, 16, 10, 20, 30);
    WriteBytes(folder.path() / L"truncated.bmp", bmp.substr(0, 70));
    WriteBytes(folder.path() / L"header-only.bmp", bmp.substr(0, 54));
    WriteBytes(folder.path() / L"huge.bmp", HugeClaimBmp());
    WriteBytes(folder.path() / L"garbage.bmp", std::string(4096, '\x5A'));
    Win32Runtime runtime(kTitle);
    const std::size_t before = WorkingSet();
    for (const wchar_t* name : {L"truncated.bmp", L"header-only.bmp", L"huge.bmp", L"garbage.bmp"}) {
        const int number = ErrorOf([&] { runtime.LoadPicture(folder / name); });
        EXPECT_NE(number, error::kFileNotFound) << fs::path(name).string();
        EXPECT_NE(number, 0) << fs::path(name).string();
    }
    // A header that claims 3.6 gigabytes of pixels must not make the program take them.
    EXPECT_LT(WorkingSet(), before + 64u * 1024u * 1024u);
}

TEST(PictureFaults, OtherFormatsSavedAsBmpAreShown) {
    ScratchFolder folder(L"zelvane-picture-formats");
    WriteBytes(folder.path() / L"png.bmp", kPng);
    WriteBytes(folder.path() / L"jpeg.bmp", kJpeg);
    Win32Runtime runtime(kTitle);
    for (const wchar_t* name : {L"png.bmp", L"jpeg.bmp"}) {
        const PicturePtr picture = runtime.LoadPicture(folder / name);
        ASSERT_TRUE(picture) << fs::path(name).string();
        EXPECT_EQ(picture->Width(), 3);
        EXPECT_EQ(picture->Height(), 2);
    }
}

TEST(PictureFaults, APreviewLockedByAnotherProgramIsNoMissingFile) {
    ScratchFolder folder(L"zelvane-picture-locked");
    const std::wstring path = folder / L"locked.bmp";
    WriteBytes(path, SolidBmp(4, 4, 1, 2, 3));
    win32::UniqueFile lock(
        ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    Win32Runtime runtime(kTitle);
    const int number = ErrorOf([&] { runtime.LoadPicture(path); });
    EXPECT_NE(number, 0);
    EXPECT_NE(number, error::kFileNotFound);
}

// The launch path with the real runtime, whose program folder is this test's own folder, on a
// test install of the game with the stand-in game.
class LaunchFaults : public ::testing::Test {
protected:
    void SetUp() override {
        if (!install_.Claimed()) GTEST_SKIP() << install_.Why();
        if (StandInGame().empty()) GTEST_SKIP() << "set ZELVANE_STANDIN to the stand-in armada2.exe";
        install_.Copy(StandInGame(), game_ / L"armada2.exe");
        install_.Write(maps_ / name_, "map");
        // The stand-in must not stay open after a launch, and logs into this test's own folder.
        ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_QUIET", L"1");
        ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_LOG", (scratch_ / L"standin.log").c_str());
        listBox_ = ::CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_HASSTRINGS, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
        file1_ = std::make_unique<win32::Win32FileList>(listBox_);
        form_ = std::make_unique<Form1>(runtime_, FormControls{caption_, *file1_, image1_, label1_});
        ASSERT_TRUE(form_->Raise(FormEvent::Load));
        std::error_code ignored;
        fs::remove_all(script_, ignored);
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_LOG", nullptr);
        std::error_code ignored;
        fs::remove_all(script_, ignored);
        if (listBox_) ::DestroyWindow(listBox_);
    }

    const fs::path maps_{std::wstring(kMapFolder)};
    // The script's first line as this install's folders call for it.
    std::string ScriptFor(const std::wstring& map) {
        const std::wstring game = game_.wstring();
        return Utf8(ChangeToGameFolderLine(game, runtime_.SameFolder(kShortGameFolder, game))) +
               "\r\nstart armada2.exe ~/edit " + Utf8(map) + "\r\n";
    }

    const fs::path game_{GameFolder(kMapFolder)};
    TestInstall install_{{maps_, game_}};
    ScratchFolder scratch_{L"zelvane-launch-faults"};
    LaunchesEnded launchesEnded_;
    const std::wstring name_ = std::wstring(250 - 4, L'n') + L".bzn";
    Win32Runtime runtime_{kTitle};
    const fs::path script_{runtime_.AppPath() + L"\\run.bat"};
    HWND listBox_ = nullptr;
    std::unique_ptr<win32::Win32FileList> file1_;
    NullCaption caption_;
    NullImage image1_;
    NullLabel label1_;
    std::unique_ptr<Form1> form_;
};

TEST_F(LaunchFaults, ALongNameIsWrittenWhole) {
    file1_->SetListIndex(0);
    ASSERT_TRUE(form_->Raise(FormEvent::Command1Click));
    EXPECT_EQ(ReadBytes(script_), ScriptFor(name_));
}

// A virus scanner or an indexer that holds the last script for a moment (the stand-in, told to hold
// it without sharing) delays the launch; it neither loses it nor runs the old script.
TEST_F(LaunchFaults, AScriptHeldForAMomentIsStillWrittenAndRun) {
    WriteBytes(script_, "cd C:\\\r\nstart armada2.exe ~/edit earlier.bzn\r\n");
    // The stand-in says when it holds the script: polling for the hold can miss all of its 300 ms
    // on a busy machine.
    const std::wstring heldName = L"zelvane-test-script-held-" + std::to_wstring(::GetCurrentProcessId());
    const win32::UniqueHandle held(::CreateEventW(nullptr, TRUE, FALSE, heldName.c_str()));
    ASSERT_TRUE(held);
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_HOLD", script_.c_str());
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_HELD_EVENT", heldName.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION holder{};
    std::wstring commandLine = L"\"" + StandInGame().wstring() + L"\"";
    const BOOL started = ::CreateProcessW(StandInGame().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &holder);
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_HOLD", nullptr);
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_HELD_EVENT", nullptr);
    ASSERT_TRUE(started);
    const win32::UniqueHandle process(holder.hProcess);
    const win32::UniqueHandle thread(holder.hThread);
    ASSERT_EQ(::WaitForSingleObject(held.get(), 20000), WAIT_OBJECT_0) << "the stand-in never held the script";
    file1_->SetListIndex(0);
    ASSERT_TRUE(form_->Raise(FormEvent::Command1Click));
    EXPECT_EQ(ReadBytes(script_), ScriptFor(name_));
    const fs::path log = scratch_ / L"standin.log";
    ASSERT_TRUE(WaitFor([&] { return !ReadBytes(log).empty(); }, std::chrono::seconds(30))) << "the game never started";
    ASSERT_TRUE(WaitFor([] { return !ProgramRuns({L"cmd.exe", L"start.exe"}); }, std::chrono::seconds(30)));
    const std::string logged = ReadBytes(log);
    EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1) << logged;
    EXPECT_NE(logged.find(" ~/edit " + Utf8(name_) + "\t"), std::string::npos) << logged;
}

TEST_F(LaunchFaults, ALockedScriptIsNeitherChangedNorRun) {
    const std::string earlier = ScriptFor(L"earlier.bzn");
    WriteBytes(script_, earlier);
    {
        win32::UniqueFile lock(::CreateFileW(script_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        file1_->SetListIndex(0);
        // Returns normally: the failure stays inside the launch.
        ASSERT_TRUE(form_->Raise(FormEvent::Command1Click));
    }
    EXPECT_EQ(ReadBytes(script_), earlier);
}

TEST_F(LaunchFaults, AFolderInPlaceOfTheScriptIsLeftAlone) {
    fs::create_directories(script_ / L"inside");
    file1_->SetListIndex(0);
    ASSERT_TRUE(form_->Raise(FormEvent::Command1Click));
    EXPECT_TRUE(fs::is_directory(script_ / L"inside"));
}

}  // namespace
}  // namespace zelvane::testing
