#include "tests/win/test_install.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win/win_test_support.h"

namespace zelvane::testing {

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

fs::path MarkerOf(const fs::path& folder) { return folder / TestInstall::MarkerName(); }

bool HasMarker(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(MarkerOf(folder), error);
}

// The names of the files that tests wrote into a folder, as its marker lists them.
std::vector<std::wstring> ListedIn(const fs::path& folder) {
    std::vector<std::wstring> names;
    const std::string text = ReadBytes(MarkerOf(folder));
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        names.push_back(Utf16(std::string_view(text).substr(start, end - start)));
    }
    return names;
}

bool Listed(const std::vector<std::wstring>& names, const std::wstring& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::wstring& n) { return SameName(n, name); });
}

// Whether the folder holds its marker and nothing else.
bool OnlyMarker(const fs::path& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (!SameName(entry.path().filename().wstring(), TestInstall::MarkerName())) return false;
    }
    return !error;
}

std::string Quoted(const fs::path& path) { return "\"" + Utf8(path.wstring()) + "\""; }

}  // namespace

const wchar_t* TestInstall::MarkerName() { return L"zelvane-test-install.txt"; }

TestInstall::TestInstall(std::vector<fs::path> folders)
    : localAppData_(std::make_unique<ScratchFolder>(L"zelvane-local-app-data")) {
    wchar_t players[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", players, MAX_PATH);
    if (length > 0 && length < MAX_PATH) playersLocalAppData_.assign(players, length);
    ::SetEnvironmentVariableW(L"LOCALAPPDATA", localAppData_->path().c_str());
    for (const fs::path& folder : folders) {
        if (!Claim(folder)) return;
    }
}

fs::path TestInstall::LocalAppData() const { return localAppData_->path(); }

TestInstall::~TestInstall() {
    ::SetEnvironmentVariableW(L"LOCALAPPDATA", playersLocalAppData_.empty() ? nullptr : playersLocalAppData_.c_str());
    for (auto file = written_.rbegin(); file != written_.rend(); ++file) {
        ::SetFileAttributesW(file->c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(file->c_str());
    }
    // Each folder a test install made goes once it holds nothing but its marker, and so on upwards.
    for (auto folder = claimed_.rbegin(); folder != claimed_.rend(); ++folder) {
        for (fs::path at = *folder; at.has_relative_path() && HasMarker(at) && OnlyMarker(at); at = at.parent_path()) {
            if (!::DeleteFileW(MarkerOf(at).c_str()) || !::RemoveDirectoryW(at.c_str())) break;
        }
    }
}

bool TestInstall::Claim(const fs::path& folder) {
    std::error_code error;
    if (!fs::exists(folder, error)) {
        std::vector<fs::path> missing;
        for (fs::path at = folder; at.has_relative_path() && !fs::exists(at, error); at = at.parent_path()) {
            missing.push_back(at);
        }
        for (auto at = missing.rbegin(); at != missing.rend(); ++at) {
            if (!::CreateDirectoryW(at->c_str(), nullptr)) {
                why_ = "cannot make " + Quoted(*at) + " for a test install (error " + std::to_string(::GetLastError()) +
                       ")";
                return false;
            }
            WriteBytes(MarkerOf(*at), "");
        }
        claimed_.push_back(folder);
        return true;
    }
    if (!fs::is_directory(folder, error) || !HasMarker(folder)) {
        why_ = Quoted(folder) + " exists and was not made by a test install: it may hold the game's own files";
        return false;
    }
    const std::vector<std::wstring> listed = ListedIn(folder);
    std::vector<fs::path> leftovers;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::wstring name = entry.path().filename().wstring();
        if (SameName(name, MarkerName())) continue;
        if (entry.is_directory(error) ? HasMarker(entry.path()) : Listed(listed, name)) {
            if (!entry.is_directory(error)) leftovers.push_back(entry.path());
            continue;
        }
        why_ = Quoted(folder) + " holds " + Quoted(entry.path()) + ", which no test install wrote";
        return false;
    }
    // What an earlier test run wrote and did not remove.
    for (const fs::path& leftover : leftovers) {
        ::SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(leftover.c_str());
    }
    WriteBytes(MarkerOf(folder), "");
    claimed_.push_back(folder);
    return true;
}

void TestInstall::Record(const fs::path& file) {
    const bool known = std::any_of(written_.begin(), written_.end(),
                                   [&](const fs::path& f) { return SameName(f.wstring(), file.wstring()); });
    if (known) return;
    written_.push_back(file);
    std::ofstream(MarkerOf(file.parent_path()), std::ios::binary | std::ios::app)
        << Utf8(file.filename().wstring()) << '\n';
}

void TestInstall::Write(const fs::path& file, const std::string& bytes) {
    const bool inClaimed = std::any_of(claimed_.begin(), claimed_.end(), [&](const fs::path& folder) {
        return SameName(folder.wstring(), file.parent_path().wstring());
    });
    const bool ours = std::any_of(written_.begin(), written_.end(),
                                  [&](const fs::path& f) { return SameName(f.wstring(), file.wstring()); });
    std::error_code error;
    if (!Claimed() || !inClaimed || (!ours && fs::exists(file, error))) {
        ADD_FAILURE() << "a test install writes only new files into its own folders, not " << Quoted(file);
        return;
    }
    Record(file);
    WriteBytes(file, bytes);
}

void TestInstall::Copy(const fs::path& from, const fs::path& to) { Write(to, ReadBytes(from)); }

}  // namespace zelvane::testing
