#include "platform/file_list.h"

#include <algorithm>

namespace zelvane {

namespace {

// Folds ASCII letters only: the file system's own case rules are richer, but patterns here are
// ASCII and a wildcard matches any character.
wchar_t Fold(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Without regard to case first; names that differ only in case by their code order.
bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const wchar_t x = Fold(a[i]);
        const wchar_t y = Fold(b[i]);
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace

std::wstring FoldAscii(std::wstring_view text) {
    std::wstring folded(text);
    for (wchar_t& c : folded) c = Fold(c);
    return folded;
}

bool IsDrivePath(std::wstring_view path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' && Fold(path[0]) >= L'A' && Fold(path[0]) <= L'Z';
}

std::optional<std::wstring> VirtualStoreShadow(std::wstring_view localAppData, std::wstring_view folder) {
    while (!localAppData.empty() && localAppData.back() == L'\\') localAppData.remove_suffix(1);
    if (localAppData.empty() || !IsDrivePath(folder)) return std::nullopt;
    return std::wstring(localAppData) + L"\\VirtualStore" + std::wstring(folder.substr(2));
}

std::optional<std::wstring> DrivePathOfFinalPath(std::wstring_view finalPath) {
    constexpr std::wstring_view kLocalPrefix = L"\\\\?\\";
    if (!finalPath.starts_with(kLocalPrefix)) return std::nullopt;
    const std::wstring_view path = finalPath.substr(kLocalPrefix.size());
    if (!IsDrivePath(path)) return std::nullopt;
    return std::wstring(path);
}

std::vector<DirectoryEntry> MergedWithShadow(std::vector<DirectoryEntry> folder, std::vector<DirectoryEntry> shadow,
                                             std::wstring (*fold)(std::wstring_view)) {
    if (shadow.empty()) return folder;
    std::vector<std::wstring> shadowed;
    shadowed.reserve(shadow.size());
    for (const DirectoryEntry& entry : shadow) shadowed.push_back(fold(entry.name));
    std::sort(shadowed.begin(), shadowed.end());
    for (DirectoryEntry& entry : folder) {
        if (!std::binary_search(shadowed.begin(), shadowed.end(), fold(entry.name))) {
            shadow.push_back(std::move(entry));
        }
    }
    return shadow;
}

bool MatchesPattern(std::wstring_view name, std::wstring_view pattern) {
    // Iterative match with one backtrack point for the last '*'.
    std::size_t n = 0, p = 0, starP = std::wstring_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++n;
            ++p;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

std::vector<std::wstring> ListedNames(std::vector<DirectoryEntry> entries, std::wstring_view pattern) {
    constexpr std::uint32_t kLeftOut = kAttributeHidden | kAttributeSystem | kAttributeDirectory;
    std::vector<std::wstring> names;
    names.reserve(entries.size());
    for (DirectoryEntry& entry : entries) {
        if ((entry.attributes & kLeftOut) == 0 && MatchesPattern(entry.name, pattern)) {
            names.push_back(std::move(entry.name));
        }
    }
    // A file system that keeps its folders sorted hands the names over in this order already.
    if (!std::is_sorted(names.begin(), names.end(), LessIgnoringCase)) {
        std::sort(names.begin(), names.end(), LessIgnoringCase);
    }
    return names;
}

}  // namespace zelvane
