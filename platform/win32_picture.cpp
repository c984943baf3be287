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

IWICImagingFactory* Win32Runtime::ImagingFactory() {
    if (!imaging_) {
        const HRESULT result =
            ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(imaging_.put()));
        if (FAILED(result)) return nullptr;
    }
    return imaging_.get();
}

PicturePtr Win32Runtime::LoadPicture(std::wstring_view path) { return LoadPictureFile(ImagingFactory(), path); }

PicturePtr LoadPictureFile(IWICImagingFactory* factory, std::wstring_view path) {
    const std::wstring file(path);
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) FailWithLastError(file);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) Fail(error::kPathFileAccessError, file);

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

}  // namespace zelvane::win32
