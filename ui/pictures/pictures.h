// The program's pictures and icon, drawn and encoded in code so the checked-in files can be made
// again byte for byte by generate_pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelvane::pictures {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A picture in memory, top row first.
class Image {
public:
    Image(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return pixels_[Index(x, y)]; }
    const Rgb& at(int x, int y) const { return pixels_[Index(x, y)]; }

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// An uncompressed 24-bit BMP: file header, 40-byte info header, rows bottom-up padded to 4 bytes,
// then `trailingZeros` zero bytes that both headers count as part of the file and the picture.
std::vector<std::uint8_t> EncodeBmp24(const Image& image, std::size_t trailingZeros = 0);

// One image of an icon: a square of palette indices, top row first, and which pixels are see-through.
struct IconImage {
    int size = 0;
    int bitCount = 0;  // 1 or 4
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> indices;
    std::vector<bool> transparent;
};

// An ICO file: directory, then per image its info header (height doubled), palette, colour
// bitmap and 1-bpp transparency mask, all rows bottom-up and padded to 4 bytes.
std::vector<std::uint8_t> EncodeIcon(const std::vector<IconImage>& images);

// The standard 16-colour VGA palette in Windows order (black, maroon, ..., cyan, white).
const std::vector<Rgb>& VgaPalette();

// The main window's header picture: a white and grey starship over a starfield, 160 x 120.
std::vector<std::uint8_t> SpaceshipBmp();
// The stand-in map preview, 160 x 160, stored with two trailing zero bytes.
std::vector<std::uint8_t> SampleMapBmp();
// The program icon: 32 x 32 in 2 and 16 colours, 16 x 16 in 16 colours.
std::vector<std::uint8_t> ProgramIcon();

}  // namespace zelvane::pictures
