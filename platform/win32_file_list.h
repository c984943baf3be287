// The file list control on Win32: a single-selection list box filled from a folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/file_list.h"
#include "platform/runtime.h"
#include "platform/win32_base.h"

namespace zelvane::win32 {

// The first entry of a search, and the search, as FindFirstFileExW gives them.
UniqueFind FindFirst(const std::wstring& query, WIN32_FIND_DATAW& found);

// Bare names of the entries of a folder that the pattern matches by their long or short name;
// fails with 76 when it is no folder.
std::vector<DirectoryEntry> ReadDirectory(std::wstring_view folder, std::wstring_view pattern = L"*");

class Win32FileList final : public FileListControl {
public:
    explicit Win32FileList(HWND listBox) : listBox_(listBox) {}

    void SetPath(std::wstring_view folder) override;
    void SetPattern(std::wstring_view pattern) override;
    int ListCount() const override;
    int ListIndex() const override;
    void SetListIndex(int index) override;
    std::wstring List(int index) const override;

private:
    // Reads the folder and fills the list box when the folder or the pattern changed since.
    void Update() const;

    HWND listBox_;
    std::wstring folder_;
    std::wstring pattern_ = L"*.*";
    mutable bool stale_ = false;
    mutable std::vector<std::wstring> names_;
};

}  // namespace zelvane::win32
