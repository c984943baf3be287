#include "platform/win32_base.h"

namespace zelvane::win32 {

int ErrorNumberFromWin32(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
            return error::kFileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
            return error::kPathNotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return error::kPermissionDenied;
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
            return error::kDiskFull;
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return error::kBadFileName;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return error::kOutOfMemory;
        default:
            return error::kPathFileAccessError;
    }
}

void FailWithLastError(std::wstring_view path) {
    const DWORD code = ::GetLastError();
    Fail(ErrorNumberFromWin32(code), std::wstring(path));
}

ComLibrary::~ComLibrary() {
    if (!module_) return;
    if (const auto uninitialize = ZELVANE_PROC_ADDRESS(module_, CoUninitialize); initialized_ && uninitialize) {
        uninitialize();
    }
    ::FreeLibrary(module_);
}

HRESULT ComLibrary::CreateInstance(REFCLSID server, REFIID requested, void** instance) {
    if (!module_) {
        module_ = ::LoadLibraryW(L"ole32.dll");
        if (!module_) return E_FAIL;
        const auto initialize = ZELVANE_PROC_ADDRESS(module_, CoInitializeEx);
        initialized_ = initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
        createInstance_ = ZELVANE_PROC_ADDRESS(module_, CoCreateInstance);
    }
    if (!createInstance_) return E_FAIL;
    return createInstance_(server, nullptr, CLSCTX_INPROC_SERVER, requested, instance);
}

}  // namespace zelvane::win32
