#include <gtest/gtest.h>

#include <cstdlib>

#include "core/launcher.h"
#include "platform/win32_dll_search.h"
#include "platform/win32_file_list.h"
#include "platform/win32_runtime.h"
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
    EXPECT_NE(runtime.Shell(script, 2, L"C:\\"), 0u);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(marker) && fs::file_size(marker) > 0; }, std::chrono::seconds(20)));
    EXPECT_EQ(ReadBytes(marker).substr(0, 3), "C:\\");
    EXPECT_EQ(ErrorOf([&] { runtime.Shell(folder / L"missing.bat", 2, L"C:\\"); }), error::kFileNotFound);
    // The variable that carried the path is not left behind.
    EXPECT_EQ(::GetEnvironmentVariableW(L"ZELVANE_SCRIPT", nullptr, 0), 0u);
    EXPECT_EQ(win32::ScriptCommandLine(L"X"), L"cmd.exe /d /v:off /s /c \"\"%X%\"\"");
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
