#include "platform/errors.h"

#include <new>

#include "platform/text.h"

namespace zelvane {

std::wstring_view ErrorText(int number) {
    switch (number) {
        case error::kInvalidProcedureCall:
            return L"Invalid procedure call or argument";
        case error::kOutOfMemory:
            return L"Out of memory";
        case error::kInternalError:
            return L"Internal error";
        case error::kBadFileNameOrNumber:
            return L"Bad file name or number";
        case error::kFileNotFound:
            return L"File not found";
        case error::kFileAlreadyOpen:
            return L"File already open";
        case error::kDeviceIoError:
            return L"Device I/O error";
        case error::kDiskFull:
            return L"Disk full";
        case error::kBadFileName:
            return L"Bad file name";
        case error::kPermissionDenied:
            return L"Permission denied";
        case error::kPathFileAccessError:
            return L"Path/File access error";
        case error::kPathNotFound:
            return L"Path not found";
        case error::kInvalidPropertyValue:
            return L"Invalid property value";
        case error::kInvalidPropertyArrayIndex:
            return L"Invalid property array index";
        case error::kInvalidPicture:
            return L"Invalid picture";
        default:
            return L"Application-defined or object-defined error";
    }
}

RuntimeError CurrentFailure() noexcept {
    try {
        throw;
    } catch (const RuntimeError& failure) {
        return failure;
    } catch (const std::bad_alloc&) {
        return RuntimeError(error::kOutOfMemory);
    } catch (...) {
        return RuntimeError(error::kInternalError);
    }
}

std::wstring RuntimeError::Message() const {
    std::wstring text = L"Run-time error '" + Decimal(number_) + L"':\r\n\r\n" + std::wstring(ErrorText(number_));
    if (!path_.empty()) text += L"\r\n\r\n" + path_;
    return text;
}

}  // namespace zelvane
