// Pictures on Win32: a loaded picture in a DIB section, and the two ways a picture file is read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/runtime.h"

struct IWICImagingFactory;

namespace zelvane::win32 {

// A picture as device-independent pixels: a bitmap info header and the pixel rows it describes,
// drawn straight from that memory. The rows lie in the picture's own storage (a file's bytes, or
// decoded pixels) or, for the program's own pictures, in its resources.
class Win32Picture final : public Picture {
public:
    // Memory for a picture's bytes, left as it is allocated: the picture's own bytes fill it next.
    using Storage = std::unique_ptr<std::uint8_t[]>;
    static Storage NewStorage(std::size_t size) { return Storage(new std::uint8_t[size]); }

    Win32Picture(const BITMAPINFOHEADER& header, const void* pixels, Storage storage = {})
        : header_(header), pixels_(pixels), storage_(std::move(storage)) {}
    int Width() const override { return header_.biWidth; }
    int Height() const override { return header_.biHeight < 0 ? -header_.biHeight : header_.biHeight; }
    // Draws the whole picture into the box, at its own size or stretched to the box's.
    void Draw(HDC dc, const RECT& box) const;

private:
    BITMAPINFOHEADER header_;
    const void* pixels_;
    Storage storage_;
};

// Reads an uncompressed true-colour BMP as it is, in one pass over the file, or returns nothing
// when the file is anything else (another format, a compressed or damaged BMP) for DecodePicture
// to try.
PicturePtr LoadPlainBmp(const std::wstring& file);

// Decodes a picture file through the Windows imaging component. Fails with 53 for a missing file,
// 70 for a locked one, 481 for anything that is no picture or claims more pixels than a preview
// can sensibly hold.
PicturePtr DecodePicture(IWICImagingFactory* factory, const std::wstring& file);

// A bitmap of the program's own resources, drawn from the resource itself; nothing where there is
// none of that id or it is no uncompressed true-colour bitmap.
PicturePtr ResourcePicture(int id);

}  // namespace zelvane::win32
