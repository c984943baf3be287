#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <utility>

#include "core/launcher.h"
#include "tests/support/import_table.h"
#include "tests/win/test_install.h"
#include "tests/win/win_test_support.h"
#include "ui/main_window.h"
#include "version.h"

namespace zelvane::testing {
namespace {

using win32::MainWindow;
using win32::Win32Runtime;

// The game's map folder in a test install of its own, filled for one test.
class MapFolderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!install_.Claimed()) GTEST_SKIP() << install_.Why();
    }
    void Add(const std::wstring& name, const std::string& bytes) { install_.Write(maps_ / name, bytes); }

    // Selects an entry the way a user's click does: the list box changes and notifies its parent.
    void Click(MainWindow& window, int index) {
        const HWND list = window.Child(Role::File1);
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
    }

    std::wstring Caption(const MainWindow& window) {
        wchar_t text[64] = {};
        ::GetWindowTextW(window.Handle(), text, 64);
        return text;
    }

    // Creates the window on the map folder as it stands and runs its start-up.
    MainWindow& Open(win32::DpiFunctions dpiFunctions = win32::DpiFunctions::OfSystem()) {
        window_.reset();
        window_ = std::make_unique<MainWindow>(runtime_, dpiFunctions);
        window_->Create();
        loaded_ = window_->Load();
        return *window_;
    }

    const fs::path maps_{std::wstring(kMapFolder)};
    const fs::path game_{GameFolder(kMapFolder)};
    TestInstall install_{{maps_, game_}};
    Win32Runtime runtime_{kTitle};
    std::unique_ptr<MainWindow> window_;
    bool loaded_ = false;
};

TEST_F(MapFolderFixture, StartsWithCaptionFirstMapAndItsPreviewState) {
    Add(L"beta.bzn", "map");
    Add(L"alpha.bzn", "map");
    MainWindow& window = Open();
    ASSERT_TRUE(loaded_);
    EXPECT_EQ(Caption(window), L"Zelvane v" ZELVANE_VERSION_CAPTION);
    EXPECT_EQ(::SendMessageW(window.Child(Role::File1), LB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(window.Label1Visible());
    EXPECT_FALSE(window.Image1Visible());
    EXPECT_FALSE(::IsWindowVisible(window.Handle()));
}

TEST_F(MapFolderFixture, PreviewStatesFollowTheSelection) {
    Add(L"a.bzn", "map");
    Add(L"A.BMP", SolidBmp(200, 100, 0, 255, 0));
    Add(L"b.bzn", "map");
    Add(L"c.bzn", "map");
    Add(L"c.bmp", "no picture");
    MainWindow& window = Open();
    ASSERT_TRUE(loaded_);
    ASSERT_TRUE(window.Image1Visible());
    const Picture* pictureA = window.Image1Picture();
    ASSERT_NE(pictureA, nullptr);
    EXPECT_EQ(pictureA->Width(), 200);

    Click(window, 1);  // no preview file
    EXPECT_FALSE(window.Image1Visible());
    EXPECT_TRUE(window.Label1Visible());
    Click(window, 2);  // a preview file that is no picture: the image shows what it held
    EXPECT_TRUE(window.Image1Visible());
    EXPECT_FALSE(window.Label1Visible());
    EXPECT_EQ(window.Image1Picture(), pictureA);
    Click(window, 0);  // loaded anew
    EXPECT_TRUE(window.Image1Visible());
    EXPECT_NE(window.Image1Picture(), pictureA);
    EXPECT_EQ(window.Image1Picture()->Height(), 100);

    // A mouse click on the entry that is already selected reads its preview again (the list box
    // notifies a change of selection on every click).
    window.Show();
    Add(L"A.BMP", SolidBmp(50, 40, 0, 255, 0));
    RECT item{};
    const HWND list = window.Child(Role::File1);
    ::SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM(item.left + 5, item.top + 2);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageW(list, WM_LBUTTONUP, 0, point);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(window.Image1Picture()->Height(), 40);
}

// A change of DPI, which Windows 8.1 and later send to a per-monitor aware window, with the DPI
// functions of Windows 10 and without them.
TEST_F(MapFolderFixture, FollowsAChangeOfDpi) {
    Add(L"a.bzn", "map");
    for (const auto& [system, functions] : {std::pair{"Windows 10", win32::DpiFunctions::OfSystem()},
                                            std::pair{"Windows 8.1", win32::DpiFunctions::None()}}) {
        SCOPED_TRACE(system);
        MainWindow& window = Open(functions);
        ASSERT_TRUE(loaded_);
        RECT suggested{100, 100, 900, 700};
        ::SendMessageW(window.Handle(), win32::kDpiChangedMessage, MAKEWPARAM(144, 144),
                       reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(window.Dpi(), 144);
        RECT client{};
        ::GetClientRect(window.Handle(), &client);
        EXPECT_EQ(client.right, 848);
        EXPECT_EQ(client.bottom, 608);
        // The list: 4800, 1320, 3375 x 3405 twips.
        RECT list{};
        ::GetWindowRect(window.Child(Role::File1), &list);
        ::MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&list), 2);
        EXPECT_EQ(list.left, 480);
        EXPECT_EQ(list.top, 132);
        EXPECT_EQ(list.right - list.left, 338);
        EXPECT_EQ(list.bottom - list.top, 341);
        // Its font is 8.25 points at 144 DPI.
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window.Child(Role::File1), WM_GETFONT, 0, 0)), sizeof font,
                     &font);
        EXPECT_EQ(font.lfHeight, -17);
    }
}

TEST_F(MapFolderFixture, ImageGrowsWithItsPicture) {
    Add(L"big.bzn", "map");
    Add(L"big.bmp", SolidBmp(300, 250, 0, 0, 255));
    MainWindow& window = Open();
    ASSERT_TRUE(loaded_);
    ASSERT_EQ(window.Dpi(), 96);
    const auto image1 =
        std::find_if(kLayout.begin(), kLayout.end(), [](const auto& c) { return c.role == Role::Image1; });
    const RECT box = window.PixelBox(*image1);
    EXPECT_EQ(box.left, 88);
    EXPECT_EQ(box.top, 200);
    EXPECT_EQ(box.right - box.left, 300);
    EXPECT_EQ(box.bottom - box.top, 250);
}

// What a shown window looks like: its client area's size, its children's boxes in it, and the
// client area's pixels on the screen.
struct Look {
    SIZE client{};
    std::vector<RECT> children;
    std::vector<std::uint32_t> pixels;
};

std::vector<std::uint32_t> ScreenPixels(HWND window, SIZE size) {
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(screen));
    win32::UniqueBitmap bitmap(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        win32::SelectGuard selected(dc.get(), bitmap.get());
        ::BitBlt(dc.get(), 0, 0, size.cx, size.cy, screen, origin.x, origin.y, SRCCOPY);
    }
    ::ReleaseDC(nullptr, screen);
    const auto* first = static_cast<const std::uint32_t*>(bits);
    return std::vector<std::uint32_t>(first, first + static_cast<std::size_t>(size.cx) * size.cy);
}

// The client area's pixels once the screen has stopped changing: once a read equals the one before.
std::vector<std::uint32_t> SettledPixels(HWND window, SIZE size) {
    std::vector<std::uint32_t> pixels;
    WaitFor([&] { return std::exchange(pixels, ScreenPixels(window, size)) == pixels; }, std::chrono::seconds(5));
    return pixels;
}

// Shows the window and reads its look once the screen has stopped changing.
Look LookOf(MainWindow& window) {
    window.Show();
    ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Look look;
    RECT client{};
    ::GetClientRect(window.Handle(), &client);
    look.client = {client.right, client.bottom};
    for (const Role role : {Role::File1, Role::Command1, Role::Command2, Role::Command3}) {
        RECT box{};
        ::GetWindowRect(window.Child(role), &box);
        ::MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&box), 2);
        look.children.push_back(box);
    }
    look.pixels = SettledPixels(window.Handle(), look.client);
    return look;
}

// The window on a system without the DPI functions of Windows 10 (7, 8, 8.1) is the window with them.
TEST_F(MapFolderFixture, LooksTheSameWithoutTheDpiFunctions) {
    Add(L"a.bzn", "map");
    Add(L"a.bmp", SolidBmp(160, 160, 255, 0, 255));
    Add(L"b.bzn", "map");
    const int dpi = win32::ScreenDpi();
    if (const char* expected = std::getenv("ZELVANE_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected));
    }
    Open(win32::DpiFunctions::OfSystem());
    ASSERT_TRUE(loaded_);
    const Look with = LookOf(*window_);
    Open(win32::DpiFunctions::None());
    ASSERT_TRUE(loaded_);
    const Look without = LookOf(*window_);

    EXPECT_EQ(with.client.cx, TwipsToPixels(kClientWidthTwips, dpi));
    EXPECT_EQ(with.client.cy, TwipsToPixels(kClientHeightTwips, dpi));
    EXPECT_EQ(without.client.cx, with.client.cx);
    EXPECT_EQ(without.client.cy, with.client.cy);
    ASSERT_EQ(without.children.size(), with.children.size());
    for (std::size_t i = 0; i < with.children.size(); ++i) {
        EXPECT_TRUE(::EqualRect(&without.children[i], &with.children[i])) << "child " << i;
    }
    ASSERT_EQ(without.pixels.size(), with.pixels.size());
    const auto differing = std::inner_product(with.pixels.begin(), with.pixels.end(), without.pixels.begin(),
                                              std::size_t{0}, std::plus<>(), std::not_equal_to<>());
    EXPECT_EQ(differing, 0u) << "pixels that differ at " << dpi << " DPI";
    // The screenshot is of the window itself: its bars' periwinkle is in it.
    EXPECT_NE(std::count(with.pixels.begin(), with.pixels.end(), 0x8080FFu), 0);
}

// What an older system lacks, for the rows below: the functions that GetProcAddress does not find,
// and whether FindFirstFileExW refuses the arguments that came with Windows 7, as XP does.
struct OlderSystem {
    std::vector<std::string> missing;
    bool plainSearchOnly = false;
    int withheld = 0;  // lookups and searches refused
};
OlderSystem* older = nullptr;
decltype(&::GetProcAddress) systemGetProcAddress = nullptr;
decltype(&::FindFirstFileExW) systemFindFirstFileExW = nullptr;

FARPROC WINAPI GetProcAddressOfOlderSystem(HMODULE module, LPCSTR name) {
    const bool byName = reinterpret_cast<std::uintptr_t>(name) > 0xFFFF;
    if (older && byName && std::find(older->missing.begin(), older->missing.end(), name) != older->missing.end()) {
        ++older->withheld;
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return systemGetProcAddress(module, name);
}

HANDLE WINAPI FindFirstFileExOfOlderSystem(LPCWSTR name, FINDEX_INFO_LEVELS level, LPVOID found,
                                           FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    if (older && older->plainSearchOnly && (level != FindExInfoStandard || flags != 0)) {
        ++older->withheld;
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return systemFindFirstFileExW(name, level, found, search, filter, flags);
}

// Everything a user sees of the program: the list, the window after a click on each entry, and
// what Edit Map wrote and started.
struct Seen {
    std::vector<std::wstring> entries;
    std::vector<std::vector<std::uint32_t>> looks;
    std::vector<std::vector<std::uint32_t>> previews;  // the pixels of the preview's box
    std::string script;
    std::string launched;
};

// The program on systems older than the newest calls it uses: each row takes something away (a
// function looked up at run time, the newer arguments of a search, the DPI functions) and the
// program must list, preview, launch and draw as it does with everything there. Without the
// imaging component a preview that is no BMP keeps the last picture, as any file that is no picture.
TEST_F(MapFolderFixture, ListsPreviewsLaunchesAndDrawsTheSameOnOlderSystems) {
    if (StandInGame().empty()) GTEST_SKIP() << "set ZELVANE_STANDIN to the stand-in armada2.exe";
    Add(L"a.bzn", "map");
    Add(L"a.bmp", SolidBmp(160, 160, 255, 0, 255));
    Add(L"b.bzn", "map");
    Add(L"b.bmp", kPng);
    Add(L"c.bzn", "map");
    install_.Copy(StandInGame(), game_ / L"armada2.exe");
    // A user whose programs were virtualized before: the map folder's final path is looked up.
    fs::create_directory(install_.LocalAppData() / L"VirtualStore");
    const StandInLog standIn(L"zelvane-older-systems");
    const LaunchesEnded launchesEnded;
    const fs::path& log = standIn.path();

    ReplacedImport getProcAddress("KERNEL32.dll", "GetProcAddress",
                                  reinterpret_cast<const void*>(&GetProcAddressOfOlderSystem));
    ReplacedImport findFirstFileEx("KERNEL32.dll", "FindFirstFileExW",
                                   reinterpret_cast<const void*>(&FindFirstFileExOfOlderSystem));
    ASSERT_TRUE(getProcAddress.Replaced() && findFirstFileEx.Replaced());
    systemGetProcAddress = reinterpret_cast<decltype(systemGetProcAddress)>(getProcAddress.Original());
    systemFindFirstFileExW = reinterpret_cast<decltype(systemFindFirstFileExW)>(findFirstFileEx.Original());

    // A runtime and a window of its own per row: both keep what they looked up.
    const auto observe = [&](OlderSystem system, bool dpiFunctions) {
        older = &system;
        Seen seen;
        Win32Runtime runtime(kTitle);
        MainWindow window(runtime, dpiFunctions ? win32::DpiFunctions::OfSystem() : win32::DpiFunctions::None());
        window.Create();
        EXPECT_TRUE(window.Load());
        const HWND list = window.Child(Role::File1);
        const auto image1 =
            std::find_if(kLayout.begin(), kLayout.end(), [](const auto& c) { return c.role == Role::Image1; });
        const RECT imageBox = window.PixelBox(*image1);
        for (int i = 0; i < ::SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
            wchar_t entry[MAX_PATH] = {};
            ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
            seen.entries.push_back(entry);
            Click(window, i);
            const Look look = LookOf(window);
            seen.looks.push_back(look.pixels);
            seen.previews.emplace_back();
            for (LONG y = imageBox.top; y < imageBox.bottom; ++y) {
                const auto row = look.pixels.begin() + y * look.client.cx;
                seen.previews.back().insert(seen.previews.back().end(), row + imageBox.left, row + imageBox.right);
            }
        }
        ::DeleteFileW(log.c_str());
        const HWND editMap = window.Child(Role::Command1);
        ::SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(editMap), BN_CLICKED),
                       reinterpret_cast<LPARAM>(editMap));
        EXPECT_TRUE(WaitFor([&] { return !ReadBytes(log).empty(); }, std::chrono::seconds(30))) << "no launch";
        WaitFor([] { return !ProgramRuns({L"cmd.exe", L"start.exe"}); }, std::chrono::seconds(30));
        seen.script = ReadBytes(runtime.AppPath() + L"\\run.bat");
        seen.launched = ReadBytes(log);
        if (!system.missing.empty() || system.plainSearchOnly) {
            EXPECT_GT(system.withheld, 0) << "nothing was taken away";
        }
        older = nullptr;
        return seen;
    };

    const Seen newest = observe({}, true);
    ASSERT_EQ(newest.entries, (std::vector<std::wstring>{L"a.bzn", L"b.bzn", L"c.bzn"}));
    ASSERT_EQ(newest.looks.size(), 3u);
    ASSERT_NE(newest.looks[1], newest.looks[0]) << "the imaging component did not show the PNG";
    EXPECT_NE(newest.launched.find(" ~/edit c.bzn\t"), std::string::npos) << newest.launched;
    const struct {
        const char* what;
        OlderSystem system;
        bool dpiFunctions;
        bool imaging;
    } rows[] = {
        {"without the DPI functions of Windows 10", {}, false, true},
        {"without GetFinalPathNameByHandleW (XP)", {{"GetFinalPathNameByHandleW"}}, true, true},
        {"with FindFirstFileExW refusing FindExInfoBasic and a large fetch (XP)", {{}, true}, true, true},
        {"without CoCreateInstance, so without the imaging component", {{"CoCreateInstance"}}, true, false},
    };
    for (const auto& row : rows) {
        const Seen seen = observe(row.system, row.dpiFunctions);
        EXPECT_EQ(seen.entries, newest.entries) << row.what;
        ASSERT_EQ(seen.looks.size(), newest.looks.size()) << row.what;
        EXPECT_TRUE(seen.looks[0] == newest.looks[0]) << row.what << ": the BMP preview differs";
        if (row.imaging) {
            EXPECT_TRUE(seen.looks[1] == newest.looks[1]) << row.what << ": the PNG preview differs";
        } else {
            EXPECT_TRUE(seen.previews[1] == newest.previews[0]) << row.what << ": the last picture did not stay";
        }
        EXPECT_TRUE(seen.looks[2] == newest.looks[2]) << row.what << ": the window without a preview differs";
        EXPECT_EQ(seen.script, newest.script) << row.what;
        EXPECT_EQ(seen.launched, newest.launched) << row.what;
    }
}

// The screen after changes of preview, each repainting only what changed: nothing of a bigger
// picture is left beside the smaller one that replaced it, and the labels keep their alignment.
TEST_F(MapFolderFixture, RepaintsWhatAPreviewLeavesAndAlignsLabels) {
    const std::uint32_t big = 0x12EE34;
    Add(L"a.bzn", "map");
    Add(L"a.bmp", SolidBmp(300, 250, 0x12, 0xEE, 0x34));
    Add(L"b.bzn", "map");
    Add(L"b.bmp", SolidBmp(40, 30, 0xEE, 0x12, 0x34));
    Add(L"c.bzn", "map");
    MainWindow& window = Open();
    ASSERT_TRUE(loaded_);
    const Look look = LookOf(window);
    EXPECT_GT(std::count(look.pixels.begin(), look.pixels.end(), big), 0);
    Click(window, 1);
    std::vector<std::uint32_t> shown = SettledPixels(window.Handle(), look.client);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), big), 0) << "pieces of the bigger preview";
    EXPECT_GT(std::count(shown.begin(), shown.end(), 0xEE1234u), 0);

    Click(window, 2);  // no preview: Label1
    shown = SettledPixels(window.Handle(), look.client);
    // How far the white text of a label stays from the left and the right of its box.
    const auto margins = [&](std::wstring_view name) {
        const RECT box = window.PixelBox(
            *std::find_if(kLayout.begin(), kLayout.end(), [name](const auto& c) { return c.name == name; }));
        LONG left = box.right, right = box.left;
        for (LONG y = box.top; y < box.bottom; ++y) {
            for (LONG x = box.left; x < box.right; ++x) {
                if ((shown[static_cast<std::size_t>(y * look.client.cx + x)] & 0xFFFFFF) != 0xFFFFFF) continue;
                left = std::min(left, x);
                right = std::max(right, x + 1);
            }
        }
        return std::pair{left - box.left, box.right - right};
    };
    const auto [centredLeft, centredRight] = margins(L"Label1");
    EXPECT_LE(std::abs(centredLeft - centredRight), 3) << "Label1: " << centredLeft << " and " << centredRight;
    const auto [rightLeft, rightRight] = margins(L"Label7");
    EXPECT_LT(rightRight * 4, rightLeft) << "Label7: " << rightLeft << " and " << rightRight;
}

}  // namespace
}  // namespace zelvane::testing
