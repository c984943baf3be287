#include "platform/win32_picture.h"

#include <wincodec.h>

#include "platform/win32_runtime.h"

namespace zelvane::win32 {

namespace {

// A preview larger than this is refused before any pixel memory is taken (64 MiB at 4 bytes).
constexpr UINT kMaxPicturePixels = 16u * 1024u * 1024u;

void Check(HRESULT result) {
    if (result == E_OUTOFMEMORY) Fail(error::kOutOfMemory);
    if (FAILED(result)) Fail(error::kInvalidPicture);
}

}  // namespace

// COM and the imaging component are loaded only when a picture needs them (a plain BMP does not),
// so that starting the program never waits for them.
IWICImagingFactory* Win32Runtime::ImagingFactory() {
    if (!imaging_ && FAILED(com_.CreateInstance(CLSID_WICImagingFactory, IID_PPV_ARGS(imaging_.put())))) {
        return nullptr;
    }
    return imaging_.get();
}

PicturePtr Win32Runtime::LoadPicture(std::wstring_view path) {
    const std::wstring file(path);
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) FailWithLastError(file);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) Fail(error::kPathFileAccessError, file);
    if (PicturePtr picture = LoadPlainBmp(file)) return picture;
    return DecodePicture(ImagingFactory(), file);
}

PicturePtr LoadPlainBmp(const std::wstring& file) {
    UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
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
    // Only what the system's own loader surely reads in full: uncompressed true colour without a
    // colour table, with every pixel row in the file, and no bigger than a preview may be.
    const long long width = info.biWidth;
    const long long height = info.biHeight < 0 ? -static_cast<long long>(info.biHeight) : info.biHeight;
    const int bits = info.biBitCount;
    const bool plain = header.bfType == 0x4D42 && info.biSize >= sizeof info && info.biPlanes == 1 &&
                       info.biCompression == BI_RGB && info.biClrUsed == 0 && (bits == 24 || bits == 32);
    if (!plain || width <= 0 || height <= 0 || width * height > kMaxPicturePixels) return nullptr;
    const long long stride = (width * bits + 31) / 32 * 4;
    if (header.bfOffBits < sizeof header + info.biSize || size.QuadPart < header.bfOffBits + stride * height) {
        return nullptr;
    }
    handle.reset();
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (!bitmap) return nullptr;
    return std::make_shared<Win32Picture>(std::move(bitmap), static_cast<int>(width), static_cast<int>(height));
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

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) Fail(error::kOutOfMemory, file);
    const UINT stride = width * 4;
    Check(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)));
    return std::make_shared<Win32Picture>(std::move(bitmap), static_cast<int>(width), static_cast<int>(height));
}

PicturePtr ResourcePicture(int id) {
    BITMAP info{};
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap || !::GetObjectW(bitmap.get(), sizeof info, &info)) return nullptr;
    return std::make_shared<Win32Picture>(std::move(bitmap), info.bmWidth, info.bmHeight);
}

}  // namespace zelvane::win32
