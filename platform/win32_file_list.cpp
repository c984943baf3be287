#include "platform/win32_file_list.h"

#include "browser/map_browser.h"
#include "platform/win32_runtime.h"

namespace zelvane::win32 {

std::vector<DirectoryEntry> ReadDirectory(std::wstring_view folder) {
    std::wstring query(folder);
    if (!query.empty() && query.back() != L'\\') query += L'\\';
    query += L'*';
    WIN32_FIND_DATAW found;
    UniqueFind find(::FindFirstFileExW(query.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    std::vector<DirectoryEntry> entries;
    if (!find) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
        Fail(error::kPathNotFound, std::wstring(folder));
    }
    do {
        entries.push_back(DirectoryEntry{found.cFileName, found.dwFileAttributes});
    } while (::FindNextFileW(find.get(), &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES) FailWithLastError(std::wstring(folder));
    return entries;
}

// The folder is read once, here; a new pattern only filters what was read.
void Win32FileList::SetPath(std::wstring_view folder) {
    const std::wstring path(folder);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail(error::kPathNotFound, path);
    }
    entries_ = ReadDirectory(path);
    Show();
}

void Win32FileList::SetPattern(std::wstring_view pattern) {
    pattern_ = pattern;
    Show();
}

// Fills the list box in one pass, without redrawing in between.
void Win32FileList::Show() {
    names_ = ListedNames(entries_, pattern_);
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

int Win32FileList::ListIndex() const { return static_cast<int>(::SendMessageW(listBox_, LB_GETCURSEL, 0, 0)); }

void Win32FileList::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) Fail(error::kInvalidPropertyValue);
    ::SendMessageW(listBox_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring Win32FileList::List(int index) const {
    if (index < 0 || index >= ListCount()) Fail(error::kInvalidPropertyArrayIndex);
    return names_[static_cast<std::size_t>(index)];
}

}  // namespace zelvane::win32
