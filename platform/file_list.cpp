#include "platform/file_list.h"

#include <algorithm>

namespace zelvane {

namespace {

// Folds ASCII letters only: the file system's own case rules are richer, but patterns here are
// ASCII and a wildcard matches any character.
wchar_t Fold(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
    const auto folded = [](wchar_t x, wchar_t y) { return Fold(x) < Fold(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) return false;
    return a < b;
}

}  // namespace

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

std::vector<std::wstring> ListedNames(const std::vector<DirectoryEntry>& entries, std::wstring_view pattern) {
    constexpr std::uint32_t kLeftOut = kAttributeHidden | kAttributeSystem | kAttributeDirectory;
    std::vector<std::wstring> names;
    names.reserve(entries.size());
    for (const DirectoryEntry& entry : entries) {
        if ((entry.attributes & kLeftOut) == 0 && MatchesPattern(entry.name, pattern)) {
            names.push_back(entry.name);
        }
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

}  // namespace zelvane
