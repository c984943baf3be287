#include <gtest/gtest.h>

#include <shlwapi.h>

#include <cstdlib>
#include <new>

#include "core/launcher.h"
#include "platform/win32_dll_search.h"
#include "platform/win32_file_list.h"
#include "platform/win32_picture.h"
#include "platform/win32_runtime.h"
#include "platform/win32_stack_guard.h"
#include "tests/support/import_table.h"
#include "tests/win/win_test_support.h"
#include "version.h"

namespace zelvane::testing {
namespace {

using win32::Win32FileList;
using win32::Win32Runtime;

// A list box in a window that is never shown.
class ListBox {
public:
    ListBox()
        : handle_(::CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_NOTIFY | LBS_HASSTRINGS, 0, 0, 100, 100, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
    ~ListBox() { ::DestroyWindow(handle_); }
    HWND get() const { return handle_; }

private:
    HWND handle_;
};

std::vector<std::wstring> Entries(const Win32FileList& list) {
    std::vector<std::wstring> names;
    for (int i = 0; i < list.ListCount(); ++i) names.push_back(list.List(i));
    return names;
}

TEST(FileList, ListsPlainFilesMatchingThePatternWithoutRegardToCase) {
    ScratchFolder folder(L"zelvane-list");
    for (const wchar_t* name : {L"b.bzn", L"A.BZN", L"my map.bzn", L"hidden.bzn", L"system.bzn", L"locked.bzn",
                                L"a.bmp", L"long.bznx", L"c.BzN"}) {
        WriteBytes(folder.path() / name, "map");
    }
    fs::create_directory(folder.path() / L"folder.bzn");
    ::SetFileAttributesW((folder / L"hidden.bzn").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((folder / L"system.bzn").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ::SetFileAttributesW((folder / L"locked.bzn").c_str(), FILE_ATTRIBUTE_READONLY);

    ListBox box;
    Win32FileList list(box.get());
    list.SetPath(folder.path().wstring());
    list.SetPattern(L"*.bzn");
    EXPECT_EQ(Entries(list), (std::vector<std::wstring>{L"A.BZN", L"b.bzn", L"c.BzN", L"locked.bzn", L"my map.bzn"}));
    EXPECT_EQ(::SendMessageW(box.get(), LB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(list.ListIndex(), -1);
    list.SetListIndex(4);
    EXPECT_EQ(list.ListIndex(), 4);
    EXPECT_EQ(ErrorOf([&] { list.SetListIndex(5); }), error::kInvalidPropertyValue);
    EXPECT_EQ(list.ListIndex(), 4);
}

// The folder of 10,000 maps is made on the Linux side (ctest's fixture), where it takes a moment.
TEST(FileList, ListsTenThousandMapsInOrder) {
    const char* many = std::getenv("ZELVANE_MANY_MAPS");
    if (!many) GTEST_SKIP() << "set ZELVANE_MANY_MAPS to a folder of 10,000 maps";
    ListBox box;
    Win32FileList list(box.get());
    list.SetPath(HostPath(many).wstring());
    list.SetPattern(L"*.bzn");
    ASSERT_EQ(list.ListCount(), 10000);
    EXPECT_EQ(::SendMessageW(box.get(), LB_GETCOUNT, 0, 0), 10000);
    EXPECT_EQ(list.List(0), L"map 00000.bzn");
    EXPECT_EQ(list.List(9999), L"map 09999.bzn");
    wchar_t shown[32] = {};
    ::SendMessageW(box.get(), LB_GETTEXT, 5000, reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, L"map 05000.bzn");
}

TEST(FileList, RefusesAFolderThatIsMissingOrAFile) {
    ScratchFolder folder(L"zelvane-list-missing");
    WriteBytes(folder.path() / L"file", "x");
    ListBox box;
    Win32FileList list(box.get());
    EXPECT_EQ(ErrorOf([&] { list.SetPath(folder / L"missing"); }), error::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { list.SetPath(folder / L"file"); }), error::kPathNotFound);
    list.SetPath(folder.path().wstring());
    list.SetPattern(L"*.bzn");
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(ErrorOf([&] { list.SetListIndex(0); }), error::kInvalidPropertyValue);
}

TEST(Runtime, ReportsTheProgramFolderAndVersion) {
    Win32Runtime runtime(kTitle);
    const std::wstring module = win32::ModulePath();
    EXPECT_EQ(runtime.AppPath(), module.substr(0, module.find_last_of(L'\\')));
    const ProgramVersion version = runtime.AppVersion();
    EXPECT_EQ(version.major, ZELVANE_VERSION_MAJOR);
    EXPECT_EQ(version.minor, ZELVANE_VERSION_MINOR);
    EXPECT_EQ(version.revision, ZELVANE_VERSION_REVISION);
}

// HKEY_LOCAL_MACHINE leads to a scratch key of the test's own under HKEY_CURRENT_USER while the test
// reads it: the machine's registry is never written.
TEST(Runtime, ReadsOnlyTextThatCanBeAPathFromTheMachinesRegistry) {
    const std::wstring scratch = L"Software\\Zelvane test " + std::to_wstring(::GetCurrentProcessId());
    HKEY root = nullptr;
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    const bool overridden = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, root) == ERROR_SUCCESS;
    // As a 32-bit installer writes it: in the 32-bit view.
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Game", 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                      &key, nullptr);
    const std::wstring path = L"C:\\GOG Games\\Star Trek Armada II";
    const std::wstring tooLong(33000, L'x');
    const DWORD number = 7;
    const auto set = [&](const wchar_t* name, DWORD type, const void* data, std::size_t bytes) {
        ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes));
    };
    set(L"path", REG_SZ, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    set(L"unterminated", REG_SZ, path.data(), path.size() * sizeof(wchar_t));
    set(L"number", REG_DWORD, &number, sizeof number);
    set(L"too long", REG_SZ, tooLong.c_str(), (tooLong.size() + 1) * sizeof(wchar_t));
    ::RegCloseKey(key);
    Win32Runtime runtime(kTitle);
    std::vector<std::wstring> read;
    for (const wchar_t* name : {L"path", L"unterminated", L"number", L"too long", L"missing"}) {
        read.push_back(runtime.MachineText32(L"SOFTWARE\\Game", name));
    }
    read.push_back(runtime.MachineText32(L"SOFTWARE\\No game", L"path"));
    if (overridden) ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegCloseKey(root);
    ::SHDeleteKeyW(HKEY_CURRENT_USER, scratch.c_str());
    ASSERT_TRUE(overridden);
    EXPECT_EQ(read, (std::vector<std::wstring>{path, path, L"", L"", L"", L""}));
}

// The manifest that the program's resources carry names every system the program runs on and the
// program's own version.
TEST(Runtime, ManifestNamesTheSupportedSystemsAndTheVersion) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    const std::string manifest(bytes, ::SizeofResource(module, found));
    const struct {
        const char* system;
        const char* id;
    } systems[] = {
        {"Vista", "{e2011457-1546-43c5-a5fe-008deee3d3f0}"},     {"7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
        {"8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},         {"8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
        {"10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
    };
    for (const auto& system : systems) {
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + system.id + "\"/>"), std::string::npos)
            << "Windows " << system.system;
    }
    const std::string version = std::to_string(ZELVANE_VERSION_MAJOR) + "." + std::to_string(ZELVANE_VERSION_MINOR) +
                                "." + std::to_string(ZELVANE_VERSION_BUILD) + "." +
                                std::to_string(ZELVANE_VERSION_REVISION);
    EXPECT_NE(manifest.find("name=\"Quillmere.Zelvane\" version=\"" + version + "\""), std::string::npos);
}

TEST(Runtime, DeletesFilesWithTheRuntimeErrorNumbers) {
    ScratchFolder folder(L"zelvane-kill");
    WriteBytes(folder.path() / L"run.bat", "x");
    Win32Runtime runtime(kTitle);
    EXPECT_EQ(ErrorOf([&] { runtime.Kill(folder / L"run.bat"); }), 0);
    EXPECT_FALSE(fs::exists(folder.path() / L"run.bat"));
    EXPECT_EQ(ErrorOf([&] { runtime.Kill(folder / L"run.bat"); }), error::kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { runtime.Kill(folder / L"missing\\run.bat"); }), error::kPathNotFound);
}

// Each failure carries the runtime's number: a file another program holds is 70, never the
// general 75, and running out of memory is 7 wherever it shows.
TEST(Runtime, FailuresCarryTheRuntimeErrorNumbers) {
    ScratchFolder folder(L"zelvane-error-numbers");
    const std::wstring held = folder / L"held.bmp";
    WriteBytes(held, SolidBmp(4, 4, 1, 2, 3));
    const win32::UniqueFile lock(
        ::CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    Win32Runtime runtime(kTitle);
    const struct {
        const char* what;
        std::function<void()> statement;
        int number;
    } cases[] = {
        {"deleting a held file", [&] { runtime.Kill(held); }, error::kPermissionDenied},
        {"writing a held file", [&] { runtime.OpenForOutput(2, held); }, error::kPermissionDenied},
        {"loading a held picture", [&] { runtime.LoadPicture(held); }, error::kPermissionDenied},
        {"no memory for a new object", [] { throw std::bad_alloc(); }, error::kOutOfMemory},
    };
    for (const auto& c : cases) {
        const std::optional<RuntimeError> failure = Attempt(c.statement);
        EXPECT_EQ(failure ? failure->Number() : 0, c.number) << c.what;
    }
    // The system's own two ways of saying it has run out of memory.
    for (const DWORD code : {ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY}) {
        EXPECT_EQ(win32::ErrorNumberFromWin32(code), error::kOutOfMemory) << code;
    }
}

TEST(Runtime, NumberedOutputReplacesTheFileWithCrLfLines) {
    ScratchFolder folder(L"zelvane-output");
    const std::wstring script = folder / L"run.bat";
    Win32Runtime runtime(kTitle);
    for (const wchar_t* map : {L"a long first map name.bzn", L"b.bzn"}) {
        runtime.OpenForOutput(1, script);
        runtime.PrintLine(1, L"cd C:\\PROGRA~1\\ACTIVI~1\\STARTR~1");
        runtime.PrintLine(1, std::wstring(L"start armada2.exe ~/edit ") + map);
        runtime.Close(1);
    }
    EXPECT_EQ(ReadBytes(script), "cd C:\\PROGRA~1\\ACTIVI~1\\STARTR~1\r\nstart armada2.exe ~/edit b.bzn\r\n");
    EXPECT_EQ(ErrorOf([&] { runtime.PrintLine(1, L"closed"); }), error::kBadFileNameOrNumber);
    EXPECT_EQ(ErrorOf([&] { runtime.Close(1); }), 0);
    runtime.OpenForOutput(1, script);
    EXPECT_EQ(ErrorOf([&] { runtime.OpenForOutput(1, script); }), error::kFileAlreadyOpen);
    runtime.Close(1);
    EXPECT_EQ(ErrorOf([&] { runtime.OpenForOutput(1, folder / L"missing\\run.bat"); }), error::kPathNotFound);
}

// While a virus scanner or the search indexer holds the old script with delete sharing, its delete
// stays pending and Windows refuses to make the file again with ERROR_ACCESS_DENIED. Wine makes it
// at once, so the test refuses them itself: the first refusedCreates creates fail, later ones go on.
int refusedCreates = 0;
decltype(&::CreateFileW) systemCreateFileW = nullptr;

HANDLE WINAPI CreateFileRefusedAtFirst(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                       DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (disposition == CREATE_ALWAYS && refusedCreates > 0) {
        --refusedCreates;
        ::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return systemCreateFileW(name, access, share, security, disposition, flags, templateFile);
}

TEST(Runtime, OutputToAFileHeldWithDeleteSharingWaitsForTheHoldToPass) {
    ScratchFolder folder(L"zelvane-output-held");
    const std::wstring script = folder / L"run.bat";
    ReplacedImport createFile("KERNEL32.dll", "CreateFileW", reinterpret_cast<const void*>(&CreateFileRefusedAtFirst));
    ASSERT_TRUE(createFile.Replaced());
    systemCreateFileW = reinterpret_cast<decltype(systemCreateFileW)>(createFile.Original());
    Win32Runtime runtime(kTitle);
    const struct {
        const char* what;
        int refused;
        int number;
    } holds[] = {{"held for a moment", 3, 0}, {"held for longer than output waits", 100, error::kPathFileAccessError}};
    for (const auto& hold : holds) {
        refusedCreates = hold.refused;
        EXPECT_EQ(ErrorOf([&] {
                      runtime.OpenForOutput(1, script);
                      runtime.Close(1);
                  }),
                  hold.number)
            << hold.what;
        EXPECT_EQ(fs::exists(script), hold.number == 0) << hold.what;
        fs::remove(script);
    }
    refusedCreates = 0;
}

TEST(Runtime, PrintsInTheConsoleCodePageAndNamesUnfitFilesByTheirShortName) {
    ScratchFolder folder(L"zelvane-codepage");
    const std::wstring script = folder / L"run.bat";
    Win32Runtime runtime(kTitle);
    runtime.OpenForOutput(1, script);
    runtime.PrintLine(1, L"caf\u00E9 \u00FC\u00DF \u03A9 \uFF06");
    runtime.Close(1);
    // The fullwidth ampersand must never become a bare '&'.
    if (::GetOEMCP() == 437 || ::GetOEMCP() == 850) {
        EXPECT_EQ(ReadBytes(script), "caf\x82 \x81\xE1 " + std::string(::GetOEMCP() == 437 ? "\xEA" : "_") + " _\r\n");
    }
    EXPECT_TRUE(runtime.FitsOutputCodePage(L"plain & simple.bzn"));
    EXPECT_FALSE(runtime.FitsOutputCodePage(L"\u4E16\u754C.bzn"));

    WriteBytes(folder.path() / L"\u4E16\u754C map.bzn", "map");
    const std::wstring shortName = runtime.ShortName(folder / L"\u4E16\u754C map.bzn");
    ASSERT_FALSE(shortName.empty());
    EXPECT_TRUE(runtime.FitsOutputCodePage(shortName));
    EXPECT_EQ(ReadBytes(folder.path() / shortName), "map");
    EXPECT_EQ(runtime.ShortName(folder / L"missing.bzn"), L"");
}

TEST(Runtime, RunsABatchScriptFromTheStartFolder) {
    // A folder name with blanks, an ampersand and parentheses must stay one path. (A %variable% in
    // it would be expanded again by Wine's interpreter, though never by Windows': the path reaches
    // the interpreter as the value of a variable.)
    ScratchFolder folder(L"zelvane shell & (test)");
    const std::wstring script = folder / L"run.bat";
    const fs::path marker = folder.path() / L"marker.txt";
    WriteBytes(script, "cd > \"%~dp0marker.txt\"\r\n");
    Win32Runtime runtime(kTitle);
    // A start that fails says how: seen once on a busy machine, where the interpreter did not start.
    std::uint32_t process = 0;
    const int failure = ErrorOf([&] { process = runtime.Shell(script, 2, L"C:\\"); });
    const DWORD windowsError = ::GetLastError();
    ASSERT_EQ(failure, 0) << "the script did not start: run-time error " << failure << ", last Windows error "
                          << windowsError;
    EXPECT_NE(process, 0u);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(marker) && fs::file_size(marker) > 0; }, std::chrono::seconds(20)));
    EXPECT_EQ(ReadBytes(marker).substr(0, 3), "C:\\");
    EXPECT_EQ(ErrorOf([&] { runtime.Shell(folder / L"missing.bat", 2, L"C:\\"); }), error::kFileNotFound);
    // The variable that carried the path is not left behind.
    EXPECT_EQ(::GetEnvironmentVariableW(L"ZELVANE_SCRIPT", nullptr, 0), 0u);
    EXPECT_EQ(win32::ScriptCommandLine(L"X"), L"cmd.exe /d /v:off /s /c \"\"%X%\"\"");
}

// The window style reaches the program started: 2, minimized. (For a script that is the command
// interpreter; the game that the script starts gets its show command from start.)
TEST(Runtime, RunsAProgramInTheWindowStyleItIsGiven) {
    if (StandInGame().empty()) GTEST_SKIP() << "set ZELVANE_STANDIN to the stand-in armada2.exe";
    ScratchFolder folder(L"zelvane-show");
    const fs::path log = folder.path() / L"standin.log";
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_QUIET", L"1");
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_LOG", log.c_str());
    const LaunchesEnded launchesEnded;
    Win32Runtime runtime(kTitle);
    runtime.Shell(StandInGame().make_preferred().wstring(), 2, L"C:\\");
    EXPECT_TRUE(WaitFor([&] { return ReadBytes(log).ends_with('\n'); }, std::chrono::seconds(20)));
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_LOG", nullptr);
    const std::string line = ReadBytes(log);
    EXPECT_EQ(line.substr(line.find_last_of('\t') + 1), "2\n") << line;
}

TEST(Runtime, LoadsPicturesAndTellsAMissingFileFromABadOne) {
    ScratchFolder folder(L"zelvane-pictures");
    WriteBytes(folder.path() / L"map.bmp", SolidBmp(7, 5, 255, 0, 0));
    WriteBytes(folder.path() / L"text.bmp", "not a picture");
    WriteBytes(folder.path() / L"empty.bmp", "");
    fs::create_directory(folder.path() / L"folder.bmp");
    Win32Runtime runtime(kTitle);
    const PicturePtr picture = runtime.LoadPicture(folder / L"MAP.BMP");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 7);
    EXPECT_EQ(picture->Height(), 5);

    const struct {
        const wchar_t* name;
        int number;
    } failures[] = {
        {L"missing.bmp", error::kFileNotFound},       {L"missing\\map.bmp", error::kPathNotFound},
        {L"text.bmp", error::kInvalidPicture},        {L"empty.bmp", error::kInvalidPicture},
        {L"folder.bmp", error::kPathFileAccessError},
    };
    for (const auto& failure : failures) {
        EXPECT_EQ(ErrorOf([&] { runtime.LoadPicture(folder / failure.name); }), failure.number)
            << fs::path(failure.name).string();
    }
}

// A 3 x 4 BMP whose every pixel has a colour of its own (PixelColour), stored as the kind says.
struct BmpKind {
    const char* what;
    int bits;
    bool topDown;
    bool bitFields;  // BI_BITFIELDS, with the masks of the usual order
    const char* signature;
};
constexpr int kBmpWidth = 3;
constexpr int kBmpHeight = 4;
constexpr std::uint32_t kUntouched = 0x123456;

std::uint32_t PixelColour(int x, int y) {
    return static_cast<std::uint32_t>((0x20 + 0x40 * x) << 16 | (0x30 + 0x30 * y) << 8 | 0x11 * (1 + x + 3 * y));
}

std::string KindOfBmp(const BmpKind& kind) {
    const int stride = (kBmpWidth * kind.bits + 31) / 32 * 4;
    const int offset = 14 + 40 + (kind.bitFields ? 12 : 0);
    std::string bytes = kind.signature;
    const auto put = [&bytes](long long value, int size) {
        for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i));
    };
    // File header, then the info header: size, width, height, planes and bits, compression, image size...
    const int compression = kind.bitFields ? BI_BITFIELDS : BI_RGB;
    for (const int field :
         {offset + stride * kBmpHeight, 0, offset, 40, kBmpWidth, kind.topDown ? -kBmpHeight : kBmpHeight,
          1 | kind.bits << 16, compression, stride * kBmpHeight, 2835, 2835, 0, 0}) {
        put(field, 4);
    }
    for (const int mask : {0xFF0000, 0xFF00, 0xFF}) {
        if (kind.bitFields) put(mask, 4);
    }
    for (int row = 0; row < kBmpHeight; ++row) {
        const int y = kind.topDown ? row : kBmpHeight - 1 - row;
        for (int x = 0; x < kBmpWidth; ++x) put(PixelColour(x, y), kind.bits / 8);
        bytes.append(static_cast<std::size_t>(stride - kBmpWidth * kind.bits / 8), '\0');
    }
    return bytes;
}

// Draws a picture at its own size into a 3 x 4 bitmap of the colour kUntouched, within the clip.
std::vector<std::uint32_t> Drawn(const Picture& picture, const RECT& clip) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, kBmpWidth, -kBmpHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    win32::UniqueBitmap bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + kBmpWidth * kBmpHeight, kUntouched);
    {
        win32::SelectGuard selected(dc.get(), bitmap.get());
        ::IntersectClipRect(dc.get(), clip.left, clip.top, clip.right, clip.bottom);
        static_cast<const win32::Win32Picture&>(picture).Draw(dc.get(), RECT{0, 0, kBmpWidth, kBmpHeight});
    }
    std::vector<std::uint32_t> drawn(pixels, pixels + kBmpWidth * kBmpHeight);
    for (std::uint32_t& pixel : drawn) pixel &= 0xFFFFFFu;
    return drawn;
}

// Every kind of BMP shows its own pixels, whole and where only part of it is repainted; a file
// that only looks like one is no picture.
TEST(Runtime, DrawsEachKindOfBmpPixelForPixel) {
    const BmpKind kinds[] = {
        {"24 bits, bottom-up, rows padded", 24, false, false, "BM"},
        {"24 bits, top-down", 24, true, false, "BM"},
        {"32 bits with bit fields", 32, false, true, "BM"},
        {"no BM signature", 24, false, false, "MB"},
    };
    ScratchFolder folder(L"zelvane-bmp-kinds");
    Win32Runtime runtime(kTitle);
    for (const BmpKind& kind : kinds) {
        SCOPED_TRACE(kind.what);
        WriteBytes(folder.path() / L"map.bmp", KindOfBmp(kind));
        PicturePtr picture;
        const int number = ErrorOf([&] { picture = runtime.LoadPicture(folder / L"map.bmp"); });
        if (kind.signature != std::string_view("BM")) {
            EXPECT_EQ(number, error::kInvalidPicture);
            continue;
        }
        ASSERT_EQ(number, 0);
        // Whole, and as partial repaints: the top right, and the bottom left (a source at the origin).
        for (const RECT& clip : {RECT{0, 0, 3, 4}, RECT{1, 0, 3, 2}, RECT{0, 2, 2, 4}}) {
            std::vector<std::uint32_t> expected;
            for (int at = 0; at < kBmpWidth * kBmpHeight; ++at) {
                const POINT pixel{at % kBmpWidth, at / kBmpWidth};
                expected.push_back(::PtInRect(&clip, pixel) ? PixelColour(pixel.x, pixel.y) : kUntouched);
            }
            EXPECT_EQ(Drawn(*picture, clip), expected) << "clip " << clip.left << "," << clip.top;
        }
    }
}

// The stack protector's guard is the process's own before the first statement, not the built-in one.
TEST(Runtime, DrawsItsOwnStackGuardAtStart) { EXPECT_NE(__stack_chk_guard, win32::kBuiltInStackGuard); }

// A program with the program's guard that overruns a protected buffer ends as a crash, with
// STATUS_STACK_BUFFER_OVERRUN, whether the system has the fast-fail interrupt or not (XP and
// Windows 7 have not). Under qemu's emulation (the 32-bit tests) the interrupt is an illegal
// instruction, which ends the program as a crash too.
TEST(StackGuard, AnOverrunEndsTheProgramWithStackBufferOverrun) {
    const char* child = std::getenv("ZELVANE_STACK_OVERRUN");
    if (!child) GTEST_SKIP() << "set ZELVANE_STACK_OVERRUN to the stack_overrun program";
    const DWORD kStackBufferOverrun = 0xC0000409;
    const DWORD kIllegalInstruction = 0xC000001D;
    const bool emulated = std::getenv("ZELVANE_EMULATED") != nullptr;
    const struct {
        const wchar_t* what;
        std::size_t length;
        const wchar_t* argument;
        bool fastFail;
        DWORD exitCode;
    } rows[] = {{L"a text that fits the buffer", 8, L"", true, 0},
                {L"with the system's fast-fail interrupt", 100, L"", true, kStackBufferOverrun},
                {L"without the fast-fail interrupt", 100, L" no-fast-fail", false, kStackBufferOverrun}};
    for (const auto& row : rows) {
        const std::wstring program = HostPath(child).wstring();
        std::wstring commandLine = L"\"" + program + L"\" " + std::wstring(row.length, L'x') + row.argument;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process));
        const win32::UniqueHandle processHandle(process.hProcess);
        const win32::UniqueHandle thread(process.hThread);
        ASSERT_EQ(::WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        const bool emulatedInterrupt = emulated && row.fastFail && row.exitCode != 0 && code == kIllegalInstruction;
        EXPECT_TRUE(code == row.exitCode || emulatedInterrupt)
            << Utf8(row.what) << ": exit code 0x" << std::hex << code;
    }
}

// Where SetDefaultDllDirectories is missing (Windows 7 without update KB2533623), the search must
// still leave out the current folder, where a library saved beside a document would be found.
TEST(DllSearch, WithoutSetDefaultDllDirectoriesTheCurrentFolderIsLeftOut) {
    const char* planted = std::getenv("ZELVANE_PLANTED_DLL");
    if (!planted) GTEST_SKIP() << "set ZELVANE_PLANTED_DLL to the library that marks its loads";
    ScratchFolder folder(L"zelvane-dll-search");
    // A name no system folder holds: the search reaches the current folder only then.
    const std::wstring name = L"zelvane-planted.dll";
    ASSERT_TRUE(::CopyFileW(HostPath(planted).c_str(), (folder / name).c_str(), TRUE));
    struct Restore {
        fs::path current = fs::current_path();
        ~Restore() {
            ::SetDllDirectoryW(nullptr);
            std::error_code ignored;
            fs::current_path(current, ignored);
        }
    } restore;
    fs::current_path(folder.path());
    // The library writes this marker when it is loaded, and then refuses to load.
    const auto found = [&, marker = folder.path() / (name + L".loaded")] {
        fs::remove(marker);
        ::LoadLibraryW(name.c_str());
        return fs::exists(marker);
    };

    ASSERT_TRUE(found()) << "a library in the current folder, before";
    // Wine 8 takes SetDllDirectoryW(L"") for SetDllDirectoryW(nullptr) and keeps searching the current
    // folder: there the fallback has nothing to show.
    ::SetDllDirectoryW(L"");
    const bool shown = !found();
    ::SetDllDirectoryW(nullptr);
    if (!shown) GTEST_SKIP() << "SetDllDirectoryW(L\"\") keeps the current folder in this system's DLL search";
    win32::RestrictDllSearch(nullptr);
    EXPECT_FALSE(found()) << "a library in the current folder, after RestrictDllSearch(nullptr)";
    ::SetDllDirectoryW(nullptr);
    EXPECT_TRUE(found()) << "a library in the current folder, after SetDllDirectoryW(nullptr)";
}

}  // namespace
}  // namespace zelvane::testing
