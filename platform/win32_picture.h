// Pictures on Win32: a loaded picture in a DIB section, and the two ways a picture file is read.
#pragma once

#include <windows.h>

#include <string>

#include "platform/runtime.h"
#include "platform/win32_base.h"

struct IWICImagingFactory;

namespace zelvane::win32 {

// A picture in a DIB section: decoded previews are 32-bit, the program's own pictures as stored.
class Win32Picture final : public Picture {
public:
    Win32Picture(UniqueBitmap bitmap, int width, int height)
        : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    HBITMAP Bitmap() const { return bitmap_.get(); }

private:
    UniqueBitmap bitmap_;
    int width_;
    int height_;
};

// Loads an uncompressed BMP through the system's own loader, or returns nothing when the file is
// anything else (another format, a compressed or damaged BMP) for DecodePicture to try.
PicturePtr LoadPlainBmp(const std::wstring& file);

// Decodes a picture file through the Windows imaging component. Fails with 53 for a missing file,
// 70 for a locked one, 481 for anything that is no picture or claims more pixels than a preview
// can sensibly hold.
PicturePtr DecodePicture(IWICImagingFactory* factory, const std::wstring& file);

// A bitmap of the program's own resources, or nothing where there is none of that id.
PicturePtr ResourcePicture(int id);

}  // namespace zelvane::win32
