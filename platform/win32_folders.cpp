// GetFinalPathNameByHandleW came with Vista: this file sees its declaration to type the pointer it
// looks up; the program never imports it.
#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0600
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#endif

#include "platform/win32_folders.h"

#include "platform/file_list.h"
#include "platform/win32_base.h"

namespace zelvane::win32 {

namespace {

// A folder opened for its identity only: no access to its contents, and every sharing mode.
UniqueFile OpenFolder(std::wstring_view path) {
    const std::wstring folder(path);
    return UniqueFile(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The folder's path with every junction and link resolved, or nothing where the system has no such
// call (before Vista) or cannot tell.
std::optional<std::wstring> FinalPath(std::wstring_view folder) {
    const auto getFinalPath = ZELVANE_PROC_ADDRESS(::GetModuleHandleW(L"kernel32.dll"), GetFinalPathNameByHandleW);
    if (!getFinalPath) return std::nullopt;
    const UniqueFile handle = OpenFolder(folder);
    if (!handle) return std::nullopt;
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = getFinalPath(handle.get(), path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    if (length >= path.size()) {
        path.resize(length);
        length = getFinalPath(handle.get(), path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    }
    if (length == 0 || length >= path.size()) return std::nullopt;
    path.resize(length);
    return DrivePathOfFinalPath(path);
}

}  // namespace

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring EnvironmentValue(std::wstring_view name) {
    const std::wstring variable(name);
    const DWORD size = ::GetEnvironmentVariableW(variable.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(variable.c_str(), value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

bool SameFolder(std::wstring_view a, std::wstring_view b) {
    const UniqueFile first = OpenFolder(a);
    if (!first) return false;
    const UniqueFile second = OpenFolder(b);
    if (!second) return false;
    BY_HANDLE_FILE_INFORMATION x;
    BY_HANDLE_FILE_INFORMATION y;
    if (!::GetFileInformationByHandle(first.get(), &x) || !::GetFileInformationByHandle(second.get(), &y)) {
        return false;
    }
    return (x.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (y.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

std::wstring FoldCase(std::wstring_view name) {
    if (name.empty()) return {};
    std::wstring folded(name.size(), L'\0');
    const int length = ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.data(), static_cast<int>(name.size()),
                                      folded.data(), static_cast<int>(folded.size()));
    if (length != static_cast<int>(name.size())) return FoldAscii(name);
    return folded;
}

std::vector<std::wstring> ShadowFolders(std::wstring_view folder) {
    std::vector<std::wstring> shadows;
    const std::wstring localAppData = EnvironmentValue(L"LOCALAPPDATA");
    // No VirtualStore at all (XP, Wine, a user whose programs never were virtualized): no shadow,
    // and no need to resolve the folder's final path, which costs more than the rest together.
    if (localAppData.empty() || !IsFolder(localAppData + L"\\VirtualStore")) return shadows;
    const std::optional<std::wstring> own = VirtualStoreShadow(localAppData, folder);
    if (own && IsFolder(*own)) shadows.push_back(*own);
    // Through a junction (Program Files to Program Files (x86), say) the system virtualizes the
    // path the junction leads to.
    const std::optional<std::wstring> resolved = FinalPath(folder);
    if (resolved && FoldCase(*resolved) != FoldCase(folder)) {
        const std::optional<std::wstring> linked = VirtualStoreShadow(localAppData, *resolved);
        if (linked && IsFolder(*linked) && !(own && FoldCase(*linked) == FoldCase(*own))) shadows.push_back(*linked);
    }
    return shadows;
}

std::wstring SeenPath(std::wstring_view path) {
    const std::size_t separator = path.find_last_of(L'\\');
    if (separator == std::wstring_view::npos) return std::wstring(path);
    const std::vector<std::wstring> shadows = ShadowFolders(path.substr(0, separator));
    for (auto shadow = shadows.rbegin(); shadow != shadows.rend(); ++shadow) {
        std::wstring copy = *shadow + std::wstring(path.substr(separator));
        if (IsFile(copy)) return copy;
    }
    return std::wstring(path);
}

}  // namespace zelvane::win32
