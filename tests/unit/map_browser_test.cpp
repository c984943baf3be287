#include "browser/map_browser.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace zelvane {
namespace {

TEST(PreviewPath, SwapsTheLastThreeCharactersForBmp) {
    EXPECT_EQ(MapPath(L"C:\\maps", L"MAP1.BZN"), L"C:\\maps\\MAP1.BZN");
    EXPECT_EQ(PreviewPath(MapPath(L"C:\\maps", L"MAP1.BZN")), L"C:\\maps\\MAP1.bmp");
    EXPECT_EQ(PreviewPath(MapPath(L"C:\\maps", L"my map.bzn")), L"C:\\maps\\my map.bmp");
    EXPECT_EQ(PreviewPath(L"abc"), L"bmp");
    try {
        PreviewPath(L"ab");
        ADD_FAILURE() << "a path shorter than three characters has no preview path";
    } catch (const RuntimeError& failure) {
        EXPECT_EQ(failure.Number(), error::kInvalidProcedureCall);
    }
}

}  // namespace
}  // namespace zelvane
