#include "platform/win32_picture.h"

#include <wincodec.h>

#include <cstring>

#include "platform/win32_folders.h"
#include "platform/win32_runtime.h"

namespace zelvane::win32 {

namespace {

// A preview larger than this is refused before any pixel memory is taken (64 MiB at 4 bytes).
constexpr UINT kMaxPicturePixels = 16u * 1024u * 1024u;

// The size of the pixel rows of a bitmap that can be drawn as it is stored: uncompressed true
// colour without a colour table, no bigger than a preview may be; 0 for any other.
std::size_t PlainRowsSize(const BITMAPINFOHEADER& info) {
    const long long width = info.biWidth;
    const long long height = info.biHeight < 0 ? -static_cast<long long>(info.biHeight) : info.biHeight;
    const int bits = info.biBitCount;
    const bool plain = info.biSize >= sizeof info && info.biPlanes == 1 && info.biCompression == BI_RGB &&
                       info.biClrUsed == 0 && (bits == 24 || bits == 32);
    if (!plain || width <= 0 || height <= 0 || width * height > kMaxPicturePixels) return 0;
    return static_cast<std::size_t>((width * bits + 31) / 32 * 4 * height);
}

void Check(HRESULT result) {
    if (result == E_OUTOFMEMORY) Fail(error::kOutOfMemory);
    if (FAILED(result)) Fail(error::kInvalidPicture);
}

}  // namespace

// COM and the imaging component are loaded only when a picture needs them (a plain BMP does not),
// so that starting the program never waits for them.
IWICImagingFactory* Win32Runtime::ImagingFactory() {
    if (!imaging_ && FAILED(com_.CreateInstance(CLSID_WICImagingFactory1, IID_PPV_ARGS(imaging_.put())))) {
        return nullptr;
    }
    return imaging_.get();
}

// The picture the game sees under that path: its VirtualStore copy where there is one.
PicturePtr Win32Runtime::LoadPicture(std::wstring_view path) {
    const std::wstring file = SeenPath(path);
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) FailWithLastError(file);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) Fail(error::kPathFileAccessError, file);
    if (PicturePtr picture = LoadPlainBmp(file)) return picture;
    return DecodePicture(ImagingFactory(), file);
}

PicturePtr LoadPlainBmp(const std::wstring& file) {
    UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return nullptr;
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER info{};
    DWORD read = 0;
    LARGE_INTEGER size{};
    if (!::ReadFile(handle.get(), &header, sizeof header, &read, nullptr) || read != sizeof header ||
        !::ReadFile(handle.get(), &info, sizeof info, &read, nullptr) || read != sizeof info ||
        !::GetFileSizeEx(handle.get(), &size)) {
        return nullptr;
    }
    // Every pixel row must be in the file, behind the headers.
    const std::size_t rows = PlainRowsSize(info);
    if (header.bfType != 0x4D42 || rows == 0 || header.bfOffBits < sizeof header + info.biSize ||
        static_cast<unsigned long long>(size.QuadPart) < header.bfOffBits + rows) {
        return nullptr;
    }
    // The rows are copied out of a view of the file, which goes again with the file's handle: the
    // file is not held while the picture is shown.
    const UniqueHandle mapping(::CreateFileMappingW(handle.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    const UniqueView view(mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, header.bfOffBits + rows)
                                  : nullptr);
    if (!view) return nullptr;
    Win32Picture::Storage bytes = Win32Picture::NewStorage(rows);
    std::memcpy(bytes.get(), static_cast<const std::uint8_t*>(view.get()) + header.bfOffBits, rows);
    info.biSize = sizeof info;
    const std::uint8_t* pixels = bytes.get();
    return std::make_shared<Win32Picture>(info, pixels, std::move(bytes));
}

PicturePtr DecodePicture(IWICImagingFactory* factory, const std::wstring& file) {
    if (!factory) Fail(error::kInvalidPicture, file);
    ComPtr<IWICBitmapDecoder> decoder;
    const HRESULT opened = factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ,
                                                              WICDecodeMetadataCacheOnDemand, decoder.put());
    if (opened == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) Fail(error::kFileNotFound, file);
    if (opened == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) || opened == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)) {
        Fail(error::kPermissionDenied, file);
    }
    Check(opened);
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.put()));
    UINT width = 0;
    UINT height = 0;
    Check(frame->GetSize(&width, &height));
    if (width == 0 || height == 0 || width > 32768 || height > 32768 || width * height > kMaxPicturePixels) {
        Fail(error::kInvalidPicture, file);
    }
    ComPtr<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(converter.put()));
    Check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom));

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = static_cast<LONG>(width);
    info.biHeight = -static_cast<LONG>(height);
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const UINT stride = width * 4;
    Win32Picture::Storage pixels = Win32Picture::NewStorage(static_cast<std::size_t>(stride) * height);
    Check(converter->CopyPixels(nullptr, stride, stride * height, pixels.get()));
    const std::uint8_t* first = pixels.get();
    return std::make_shared<Win32Picture>(info, first, std::move(pixels));
}

PicturePtr ResourcePicture(int id) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const std::uint8_t*>(loaded ? ::LockResource(loaded) : nullptr);
    const DWORD size = found ? ::SizeofResource(module, found) : 0;
    BITMAPINFOHEADER info{};
    if (!bytes || size < sizeof info) return nullptr;
    std::memcpy(&info, bytes, sizeof info);
    const std::size_t rows = PlainRowsSize(info);
    if (rows == 0 || size < info.biSize + rows) return nullptr;
    const std::uint8_t* pixels = bytes + info.biSize;
    info.biSize = sizeof info;
    return std::make_shared<Win32Picture>(info, pixels);
}

void Win32Picture::Draw(HDC dc, const RECT& box) const {
    BITMAPINFO info{};
    info.bmiHeader = header_;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (width == Width() && height == Height() && header_.biHeight < 0) {
        // StretchDIBits counts the rows of a top-down picture from its top only for a source at
        // (0, 0); any other source's rows count from its bottom. So it is drawn from there, and the
        // DC's clip keeps the copy to the part shown.
        ::StretchDIBits(dc, box.left, box.top, width, height, 0, 0, width, height, pixels_, &info, DIB_RGB_COLORS,
                        SRCCOPY);
        return;
    }
    if (width == Width() && height == Height()) {
        // Pixel for pixel, only the part the DC shows: a large picture costs no more than its window.
        RECT shown{};
        if (::GetClipBox(dc, &shown) == NULLREGION || !::IntersectRect(&shown, &shown, &box)) return;
        const int shownWidth = shown.right - shown.left;
        const int shownHeight = shown.bottom - shown.top;
        const int fromTop = shown.top - box.top;
        // The rows of a bottom-up picture count from its bottom.
        const int sourceRow = Height() - fromTop - shownHeight;
        ::StretchDIBits(dc, shown.left, shown.top, shownWidth, shownHeight, shown.left - box.left, sourceRow,
                        shownWidth, shownHeight, pixels_, &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchDIBits(dc, box.left, box.top, width, height, 0, 0, Width(), Height(), pixels_, &info, DIB_RGB_COLORS,
                    SRCCOPY);
}

}  // namespace zelvane::win32
