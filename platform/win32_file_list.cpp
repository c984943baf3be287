#include "platform/win32_file_list.h"

#include "platform/win32_base.h"
#include "platform/win32_folders.h"

namespace zelvane::win32 {

namespace {

// Without short names and with larger reads where the system has them (Windows 7 and later); XP
// refuses those two arguments with ERROR_INVALID_PARAMETER, and gets the plain search.
constexpr FINDEX_INFO_LEVELS kFindBasic = static_cast<FINDEX_INFO_LEVELS>(1);  // FindExInfoBasic
constexpr DWORD kFindLargeFetch = 2;                                           // FIND_FIRST_EX_LARGE_FETCH

}  // namespace

UniqueFind FindFirst(const std::wstring& query, WIN32_FIND_DATAW& found) {
    UniqueFind find(
        ::FindFirstFileExW(query.c_str(), kFindBasic, &found, FindExSearchNameMatch, nullptr, kFindLargeFetch));
    if (!find && ::GetLastError() == ERROR_INVALID_PARAMETER) find.reset(::FindFirstFileW(query.c_str(), &found));
    return find;
}

// The system matches a pattern against long and short names alike, so it returns at least every
// entry whose long name matches; ListedNames then keeps only those.
std::vector<DirectoryEntry> ReadDirectory(std::wstring_view folder, std::wstring_view pattern) {
    std::wstring query(folder);
    if (!query.empty() && query.back() != L'\\') query += L'\\';
    query += pattern;
    WIN32_FIND_DATAW found;
    UniqueFind find = FindFirst(query, found);
    std::vector<DirectoryEntry> entries;
    if (!find) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
        Fail(error::kPathNotFound, std::wstring(folder));
    }
    do {
        entries.push_back(DirectoryEntry{found.cFileName, found.dwFileAttributes});
    } while (::FindNextFileW(find.get(), &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES) FailWithLastError(folder);
    return entries;
}

// The folder is read when the list is next used: at start-up that is once, after the pattern is
// set, so the system hands over only the maps.
void Win32FileList::SetPath(std::wstring_view folder) {
    const std::wstring path(folder);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail(error::kPathNotFound, path);
    }
    folder_ = path;
    stale_ = true;
}

void Win32FileList::SetPattern(std::wstring_view pattern) {
    pattern_ = pattern;
    stale_ = true;
}

// Fills the list box in one pass, without redrawing in between. The folder is listed as the game
// sees it: merged with its VirtualStore shadows, where the maps its editor saved may be.
void Win32FileList::Update() const {
    if (!stale_) return;
    stale_ = false;
    std::vector<DirectoryEntry> entries = ReadDirectory(folder_, pattern_);
    for (const std::wstring& shadow : ShadowFolders(folder_)) {
        entries = MergedWithShadow(std::move(entries), ReadDirectory(shadow, pattern_), FoldCase);
    }
    names_ = ListedNames(std::move(entries), pattern_);
    std::size_t characters = 0;
    for (const std::wstring& name : names_) characters += name.size() + 1;
    ::SendMessageW(listBox_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(listBox_, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(listBox_, LB_INITSTORAGE, names_.size(), static_cast<LPARAM>(characters * sizeof(wchar_t)));
    for (const std::wstring& name : names_) {
        ::SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    ::SendMessageW(listBox_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(listBox_, nullptr, TRUE);
}

int Win32FileList::ListCount() const {
    Update();
    return static_cast<int>(names_.size());
}

int Win32FileList::ListIndex() const {
    Update();
    return static_cast<int>(::SendMessageW(listBox_, LB_GETCURSEL, 0, 0));
}

void Win32FileList::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) Fail(error::kInvalidPropertyValue);
    ::SendMessageW(listBox_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring Win32FileList::List(int index) const {
    if (index < 0 || index >= ListCount()) Fail(error::kInvalidPropertyArrayIndex);
    return names_[static_cast<std::size_t>(index)];
}

}  // namespace zelvane::win32
