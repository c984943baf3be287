// A pretend game install in the game's fixed folders, for one test. A test works only in an install
// it made itself: a fixed folder that already exists and was not made by a test is never touched,
// and the test skips, naming that folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zelvane::testing {

class ScratchFolder;

class TestInstall {
public:
    // Claims the folders in turn, making the missing ones (and their missing parents), each with a
    // marker file. A folder that exists is taken only when it carries the marker and holds nothing
    // but what tests wrote there (left over from a run that did not end, and removed now). While it
    // lasts, the user's local application data (where Windows keeps the VirtualStore) is a scratch
    // folder of its own, so that no test reads a player's.
    explicit TestInstall(std::vector<std::filesystem::path> folders);
    TestInstall(const TestInstall&) = delete;
    TestInstall& operator=(const TestInstall&) = delete;
    // Removes the files it wrote, then every folder it made that holds nothing else.
    ~TestInstall();

    bool Claimed() const { return why_.empty(); }
    // Why the folders could not be claimed, naming the folder: the test's reason to skip.
    const std::string& Why() const { return why_; }

    // Writes a new file into a claimed folder (never one that exists) and records it for removal.
    void Write(const std::filesystem::path& file, const std::string& bytes);
    void Copy(const std::filesystem::path& from, const std::filesystem::path& to);

    // The name of the marker file in every folder a test install made.
    static const wchar_t* MarkerName();

    // The scratch folder that stands for the user's local application data.
    std::filesystem::path LocalAppData() const;

private:
    bool Claim(const std::filesystem::path& folder);
    void Record(const std::filesystem::path& file);

    std::unique_ptr<ScratchFolder> localAppData_;
    std::wstring playersLocalAppData_;
    std::vector<std::filesystem::path> claimed_;
    std::vector<std::filesystem::path> written_;
    std::string why_;
};

}  // namespace zelvane::testing
