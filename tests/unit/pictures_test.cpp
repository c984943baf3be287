#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "ui/pictures/pictures.h"

namespace zelvane::pictures {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U16(const Bytes& b, std::size_t at) { return b.at(at) | static_cast<std::uint32_t>(b.at(at + 1)) << 8; }
std::uint32_t U32(const Bytes& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

// A pixel of a 24-bit BMP, read back through its own headers.
Rgb PixelAt(const Bytes& bmp, int x, int y) {
    const std::size_t width = U32(bmp, 18), height = U32(bmp, 22);
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    const std::size_t at =
        U32(bmp, 10) + (height - 1 - static_cast<std::size_t>(y)) * stride + 3 * static_cast<std::size_t>(x);
    return {bmp.at(at + 2), bmp.at(at + 1), bmp.at(at)};
}

bool IsCyan(Rgb p) { return p.r < 60 && p.g > 180 && p.b > 180; }
bool IsPurple(Rgb p) { return p.r > p.g + 40 && p.b > p.g + 40 && p.b > p.r; }
bool IsRed(Rgb p) { return p.r > 120 && p.r > 2 * p.g && p.r > 2 * p.b; }
bool IsNavy(Rgb p) { return p.b > 30 && p.b < 100 && p.r < p.b / 2 && p.g < p.b / 2; }
bool IsYellowOrange(Rgb p) { return p.r > 150 && p.g > 70 && p.b < p.g / 2; }
bool IsBlack(Rgb p) { return p == Rgb{0, 0, 0}; }
bool IsNeutral(Rgb p) { return p.r == p.g && p.g == p.b; }
bool IsShipWhite(Rgb p) {
    return std::min({p.r, p.g, p.b}) >= 150 && std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) <= 30;
}

int Count(const Bytes& bmp, int x0, int y0, int x1, int y1, const std::function<bool(Rgb)>& is) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) n += is(PixelAt(bmp, x, y)) ? 1 : 0;
    }
    return n;
}

TEST(PicturesTest, BitmapsCarryTheirHeadersAndSizes) {
    const struct {
        const char* name;
        Bytes bytes;
        std::uint32_t width, height, fileSize, imageSize;
    } cases[] = {
        {"spaceship", SpaceshipBmp(), 160, 120, 57654, 57600},
        {"sample map", SampleMapBmp(), 160, 160, 76856, 76802},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes& b = c.bytes;
        ASSERT_EQ(b.size(), c.fileSize);
        EXPECT_EQ(std::string(b.begin(), b.begin() + 2), "BM");
        EXPECT_EQ(U32(b, 2), c.fileSize);
        EXPECT_EQ(U32(b, 6), 0u);
        EXPECT_EQ(U32(b, 10), 54u);
        EXPECT_EQ(U32(b, 14), 40u);
        EXPECT_EQ(U32(b, 18), c.width);
        EXPECT_EQ(U32(b, 22), c.height);
        EXPECT_EQ(U16(b, 26), 1u);
        EXPECT_EQ(U16(b, 28), 24u);
        EXPECT_EQ(U32(b, 30), 0u);
        EXPECT_EQ(U32(b, 34), c.imageSize);
        EXPECT_EQ(U32(b, 46), 0u) << "no palette";
    }
    const Bytes map = SampleMapBmp();
    EXPECT_EQ(map[76854], 0);
    EXPECT_EQ(map[76855], 0);
}

TEST(PicturesTest, CheckedInFilesMatchTheGenerator) {
    const struct {
        const char* file;
        Bytes bytes;
    } cases[] = {
        {"spaceship.bmp", SpaceshipBmp()},
        {"sample_map.bmp", SampleMapBmp()},
        {"zelvane.ico", ProgramIcon()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::ifstream in(std::string(ZELVANE_SOURCE_DIR) + "/ui/pictures/" + c.file, std::ios::binary);
        ASSERT_TRUE(in) << "cannot open the checked-in file";
        const Bytes stored{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(stored == c.bytes) << "run generate_pictures ui/pictures to refresh it";
    }
}

TEST(PicturesTest, BmpEncoderPadsRowsAndStoresThemBottomUp) {
    Image image(3, 2);
    image.at(0, 0) = {1, 2, 3};
    image.at(2, 0) = {4, 5, 6};
    image.at(0, 1) = {7, 8, 9};
    const Bytes b = EncodeBmp24(image, 2);
    ASSERT_EQ(b.size(), 54u + 2 * 12 + 2);
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 34), 26u);
    // Bottom row first, blue-green-red, each row padded from 9 to 12 bytes.
    const Bytes pixels(b.begin() + 54, b.end());
    EXPECT_EQ(pixels, (Bytes{9, 8, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                             3, 2, 1, 0, 0, 0, 6, 5, 4, 0, 0, 0,  //
                             0, 0}));
}

TEST(PicturesTest, IconDirectoryDescribesEachImage) {
    const Bytes ico = ProgramIcon();
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u);
    ASSERT_EQ(U16(ico, 4), 3u);
    const struct { std::uint32_t size, colours, bitCount; } cases[] = {{32, 2, 1}, {32, 16, 4}, {16, 16, 4}};
    std::uint32_t expectedOffset = 6 + 3 * 16;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(std::uint32_t{ico[entry]}, c.size);
        EXPECT_EQ(std::uint32_t{ico[entry + 1]}, c.size);
        EXPECT_EQ(std::uint32_t{ico[entry + 2]}, c.colours);
        EXPECT_EQ(ico[entry + 3], 0);
        EXPECT_EQ(U16(ico, entry + 4), 1u);
        EXPECT_EQ(U16(ico, entry + 6), c.bitCount);
        const std::uint32_t colourRow = (c.size * c.bitCount + 31) / 32 * 4, maskRow = (c.size + 31) / 32 * 4;
        const std::uint32_t bytes = 40 + 4 * c.colours + c.size * (colourRow + maskRow);
        EXPECT_EQ(U32(ico, entry + 8), bytes);
        ASSERT_EQ(U32(ico, entry + 12), expectedOffset);

        const std::size_t header = expectedOffset;
        EXPECT_EQ(U32(ico, header), 40u);
        EXPECT_EQ(U32(ico, header + 4), c.size);
        EXPECT_EQ(U32(ico, header + 8), 2 * c.size);
        EXPECT_EQ(U16(ico, header + 12), 1u);
        EXPECT_EQ(U16(ico, header + 14), c.bitCount);
        EXPECT_EQ(U32(ico, header + 16), 0u);
        expectedOffset += bytes;
    }
    EXPECT_EQ(ico.size(), expectedOffset);
}

// Palette index and transparency of one icon pixel, read back through the directory.
struct IconPixel {
    Rgb colour;
    unsigned index;
    bool transparent;
};
IconPixel IconPixelAt(const Bytes& ico, std::size_t image, std::uint32_t x, std::uint32_t y) {
    const std::size_t entry = 6 + 16 * image, header = U32(ico, entry + 12);
    const std::uint32_t size = ico[entry], bitCount = U16(ico, entry + 6), colours = ico[entry + 2];
    const std::uint32_t colourRow = (size * bitCount + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
    const std::size_t colourStart = header + 40 + 4 * colours, maskStart = colourStart + size * colourRow;
    const std::uint32_t row = size - 1 - y, bit = x * bitCount;
    const unsigned index =
        (ico[colourStart + row * colourRow + bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
    const bool transparent = ((ico[maskStart + row * maskRow + x / 8] >> (7 - x % 8)) & 1) != 0;
    const std::size_t entryAt = colourStart - 4 * colours + 4 * index;
    return {{ico[entryAt + 2], ico[entryAt + 1], ico[entryAt]}, index, transparent};
}

TEST(PicturesTest, IconShowsAWindowWithACyanCaption) {
    const Bytes ico = ProgramIcon();
    const Rgb black{0, 0, 0}, white{255, 255, 255}, cyan{0, 255, 255};
    const struct {
        std::size_t image;
        std::uint32_t size;
        Rgb caption;
    } cases[] = {{0, 32, black}, {1, 32, cyan}, {2, 16, cyan}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.image);
        const std::uint32_t last = c.size - 1;
        const std::pair<std::uint32_t, std::uint32_t> corners[] = {{0, 0}, {last, 0}, {0, last}, {last, last}};
        for (const auto& [x, y] : corners) {
            const IconPixel corner = IconPixelAt(ico, c.image, x, y);
            EXPECT_TRUE(corner.transparent) << x << "," << y;
            EXPECT_EQ(corner.index, 0u) << "see-through pixels leave the screen unchanged";
        }
        const IconPixel caption = IconPixelAt(ico, c.image, c.size / 4, c.size * 5 / 32);
        EXPECT_FALSE(caption.transparent);
        EXPECT_EQ(caption.colour, c.caption);
        const IconPixel body = IconPixelAt(ico, c.image, c.size / 2, c.size * 3 / 4);
        EXPECT_FALSE(body.transparent);
        EXPECT_EQ(body.colour, white);
        const IconPixel outline = IconPixelAt(ico, c.image, c.size / 2, c.size / 16);
        EXPECT_FALSE(outline.transparent);
        EXPECT_EQ(outline.colour, black);
    }
}

TEST(PicturesTest, SampleMapShowsItsFeaturesWhereExpected) {
    const Bytes map = SampleMapBmp();
    const struct {
        int x, y;
        const char* what;
        bool (*is)(Rgb);
    } cases[] = {
        {9, 9, "top-left marker", IsCyan},      {150, 9, "top-right marker", IsCyan},
        {9, 150, "bottom-left marker", IsCyan}, {150, 150, "bottom-right marker", IsCyan},
        {80, 30, "upper planet", IsPurple},     {80, 80, "middle planet", IsPurple},
        {80, 130, "lower planet", IsPurple},    {36, 80, "left cloud", IsRed},
        {124, 80, "right cloud", IsRed},        {50, 145, "open space", IsNavy},
        {110, 15, "open space", IsNavy},        {90, 5, "open space", IsNavy},
    };
    for (const auto& c : cases) EXPECT_TRUE(c.is(PixelAt(map, c.x, c.y))) << c.what << " at " << c.x << "," << c.y;

    // A belt of rocks between each pair of planets, and none beyond them.
    EXPECT_GT(Count(map, 0, 36, 160, 66, IsYellowOrange), 100);
    EXPECT_GT(Count(map, 0, 94, 160, 124, IsYellowOrange), 100);
    EXPECT_EQ(Count(map, 0, 0, 160, 20, IsYellowOrange) + Count(map, 0, 140, 160, 160, IsYellowOrange), 0);
}

TEST(PicturesTest, SpaceshipSitsLeftOfCentreOnAStarfield) {
    const Bytes ship = SpaceshipBmp();
    EXPECT_GT(Count(ship, 0, 0, 160, 120, IsBlack), 160 * 120 * 6 / 10) << "mostly black sky";
    // The right part, where the title goes, holds only grey stars: a few, never coloured.
    const int stars = Count(ship, 124, 0, 160, 120, [](Rgb p) { return !IsBlack(p); });
    EXPECT_GT(stars, 5);
    EXPECT_LT(stars, 150);
    EXPECT_EQ(Count(ship, 124, 0, 160, 120, [](Rgb p) { return !IsNeutral(p); }), 0);
    // The hull: plenty of white and grey in the centre-left, little of it along the right.
    EXPECT_GT(Count(ship, 20, 30, 100, 96, IsShipWhite), 800);
    EXPECT_TRUE(IsShipWhite(PixelAt(ship, 40, 50))) << "the saucer";
    EXPECT_LT(Count(ship, 124, 0, 160, 120, IsShipWhite), 20);
}

}  // namespace
}  // namespace zelvane::pictures
