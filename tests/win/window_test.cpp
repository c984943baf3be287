#include <gtest/gtest.h>

#include "tests/win/win_test_support.h"
#include "ui/main_window.h"

namespace zelvane::testing {
namespace {

using win32::MainWindow;
using win32::Win32Runtime;

// The game's map folder in this test prefix, filled for one test and removed after it.
class MapFolderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code ignored;
        fs::remove_all(maps_, ignored);
        fs::create_directories(maps_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(maps_, ignored);
    }
    void Add(const std::wstring& name, const std::string& bytes) { WriteBytes(maps_ / name, bytes); }

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

    const fs::path maps_{std::wstring(kMapFolder)};
};

TEST_F(MapFolderFixture, StartsWithCaptionFirstMapAndItsPreviewState) {
    Add(L"beta.bzn", "map");
    Add(L"alpha.bzn", "map");
    Win32Runtime runtime;
    MainWindow window(runtime);
    window.Create();
    ASSERT_TRUE(window.Load());
    EXPECT_EQ(Caption(window), L"Zelvane v1.0.1");
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
    Win32Runtime runtime;
    MainWindow window(runtime);
    window.Create();
    ASSERT_TRUE(window.Load());
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
}

TEST_F(MapFolderFixture, ImageGrowsWithItsPicture) {
    Add(L"big.bzn", "map");
    Add(L"big.bmp", SolidBmp(300, 250, 0, 0, 255));
    Win32Runtime runtime;
    MainWindow window(runtime);
    window.Create();
    ASSERT_TRUE(window.Load());
    const RECT box = window.PixelBox(kLayout[18]);
    const int dpi = window.Dpi();
    EXPECT_EQ(box.left, TwipsToPixels(1320, dpi));
    EXPECT_EQ(box.top, TwipsToPixels(3000, dpi));
    EXPECT_EQ(box.right - box.left, TwipsToPixels(300 * 15, dpi));
    EXPECT_EQ(box.bottom - box.top, TwipsToPixels(250 * 15, dpi));
}

}  // namespace
}  // namespace zelvane::testing
