// An in-memory runtime for the window's procedures: a small file system, recorded launches,
// prompts and message boxes, and controls that remember what they were told.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_list.h"
#include "platform/runtime.h"
#include "ui/form1.h"

namespace zelvane::testing {

inline std::wstring Folded(std::wstring_view text) {
    std::wstring folded(text);
    for (wchar_t& c : folded) c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
    return folded;
}

struct FoldedLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return Folded(a) < Folded(b); }
};

class FakePicture final : public Picture {
public:
    explicit FakePicture(std::wstring from) : source(std::move(from)) {}
    int Width() const override { return 160; }
    int Height() const override { return 160; }
    std::wstring source;
};

inline std::wstring SourceOf(const PicturePtr& picture) {
    return picture ? static_cast<const FakePicture&>(*picture).source : L"(none)";
}

class FakeRuntime final : public Runtime {
public:
    struct Launch {
        std::wstring path;
        int style;
        std::wstring startFolder;
        std::string script;  // the file's bytes when it was started
    };
    struct Message {
        std::wstring text;
        int style;
        std::wstring title;
    };

    std::wstring appPath = L"D:\\Tools\\Zelvane";
    ProgramVersion version{1, 0, 1};
    std::map<std::wstring, std::string, FoldedLess> files;
    std::map<std::wstring, std::uint32_t, FoldedLess> attributes;  // of files, when not plain
    std::set<std::wstring, FoldedLess> folders;
    std::set<std::wstring, FoldedLess> unwritable;                 // paths that cannot be created or deleted
    std::map<std::wstring, std::wstring, FoldedLess> shortPaths;   // path to its short path
    std::map<std::wstring, std::wstring, FoldedLess> environment;  // variable to value
    std::map<std::wstring, std::wstring, FoldedLess> machineText;  // "key|value" to text
    // Paths that name another folder (8.3 names, links): path to the folder's own path.
    std::map<std::wstring, std::wstring, FoldedLess> links = {
        {L"C:\\PROGRA~1\\ACTIVI~1\\STARTR~1", L"C:\\Program Files\\Activision\\Star Trek Armada II"}};
    std::vector<Launch> launches;
    std::vector<std::string> steps;    // the file and program services called, in order
    std::deque<std::wstring> answers;  // what the prompt returns, in turn; empty is Cancel
    std::vector<Message> prompts;
    std::vector<Message> messages;
    std::optional<RuntimeError> unhandled;

    void AddFile(const std::wstring& path, std::string bytes = "BM picture") {
        files[path] = std::move(bytes);
        folders.insert(path.substr(0, path.find_last_of(L'\\')));
    }

    std::vector<DirectoryEntry> Entries(const std::wstring& folder) const {
        std::vector<DirectoryEntry> entries;
        for (const auto& [path, bytes] : files) {
            const auto slash = path.find_last_of(L'\\');
            if (Folded(path.substr(0, slash)) != Folded(folder)) continue;
            const auto attribute = attributes.find(path);
            entries.push_back({path.substr(slash + 1), attribute == attributes.end() ? 0x20u : attribute->second});
        }
        return entries;
    }

    std::wstring AppPath() override { return appPath; }
    ProgramVersion AppVersion() override { return version; }
    void Kill(std::wstring_view path) override {
        steps.push_back("kill");
        const std::wstring file(path);
        if (unwritable.contains(file)) Fail(error::kPathFileAccessError, file);
        if (!files.erase(file)) Fail(error::kFileNotFound, file);
    }
    void OpenForOutput(int fileNumber, std::wstring_view path) override {
        steps.push_back("open");
        const std::wstring file(path);
        if (open_.contains(fileNumber)) Fail(error::kFileAlreadyOpen);
        if (unwritable.contains(file)) Fail(error::kPathFileAccessError, file);
        files[file].clear();
        open_[fileNumber] = file;
    }
    void PrintLine(int fileNumber, std::wstring_view text) override {
        steps.push_back("print");
        if (!open_.contains(fileNumber)) Fail(error::kBadFileNameOrNumber);
        std::string& bytes = files[open_[fileNumber]];
        for (wchar_t c : text) bytes += c < 0x80 ? static_cast<char>(c) : '_';
        bytes += "\r\n";
    }
    void Close(int fileNumber) override {
        steps.push_back("close");
        open_.erase(fileNumber);
    }
    bool FitsOutputCodePage(std::wstring_view text) override {
        return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
    }
    bool SameFolder(std::wstring_view a, std::wstring_view b) override {
        const auto resolved = [&](std::wstring_view path) {
            const auto link = links.find(std::wstring(path));
            return Folded(link == links.end() ? path : link->second);
        };
        return resolved(a) == resolved(b);
    }
    std::wstring ShortPath(std::wstring_view path) override { return Find(shortPaths, path); }
    bool IsFolder(std::wstring_view path) override { return folders.contains(std::wstring(path)); }
    bool IsFile(std::wstring_view path) override { return files.contains(std::wstring(path)); }
    std::wstring Environ(std::wstring_view name) override { return Find(environment, name); }
    std::wstring MachineText32(std::wstring_view key, std::wstring_view value) override {
        return Find(machineText, std::wstring(key) + L"|" + std::wstring(value));
    }
    std::uint32_t Shell(std::wstring_view path, int windowStyle, std::wstring_view startFolder) override {
        steps.push_back("shell");
        const auto file = files.find(std::wstring(path));
        if (file == files.end()) Fail(error::kFileNotFound, std::wstring(path));
        launches.push_back({std::wstring(path), windowStyle, std::wstring(startFolder), file->second});
        shellRuns = keepShellsRunning;
        return 4242;
    }
    // Launches wait while shellRuns; EndShell ends the last one and runs what waited.
    void AfterLastShell(std::function<void()> step) override {
        steps.push_back(shellRuns ? "wait" : "run");
        waiting.push_back(std::move(step));
        if (!shellRuns) RunWaiting();
    }
    void EndShell() {
        shellRuns = false;
        RunWaiting();
    }
    std::wstring InputBox(std::wstring_view prompt, std::wstring_view title, std::wstring_view defaultAnswer) override {
        prompts.push_back({std::wstring(prompt), 0, std::wstring(title) + L"|" + std::wstring(defaultAnswer)});
        if (answers.empty()) return {};
        std::wstring answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int MsgBox(std::wstring_view text, int style, std::wstring_view title) override {
        messages.push_back({std::wstring(text), style, std::wstring(title)});
        return 1;
    }
    PicturePtr LoadPicture(std::wstring_view path) override {
        const std::wstring file(path);
        if (!folders.contains(file.substr(0, file.find_last_of(L'\\')))) Fail(error::kPathNotFound, file);
        const auto found = files.find(file);
        if (found == files.end()) Fail(error::kFileNotFound, file);
        if (!found->second.starts_with("BM")) Fail(error::kInvalidPicture, file);
        return std::make_shared<FakePicture>(found->first);
    }
    void ReportUnhandled(const RuntimeError& failure) override { unhandled = failure; }

    bool keepShellsRunning = false;  // a started script runs until EndShell
    bool shellRuns = false;
    std::deque<std::function<void()>> waiting;

private:
    static std::wstring Find(const std::map<std::wstring, std::wstring, FoldedLess>& map, std::wstring_view key) {
        const auto found = map.find(std::wstring(key));
        return found == map.end() ? std::wstring() : found->second;
    }
    void RunWaiting() {
        while (!waiting.empty() && !shellRuns) {
            const std::function<void()> step = std::move(waiting.front());
            waiting.pop_front();
            step();
        }
    }

    std::map<int, std::wstring> open_;
};

class FakeFileList final : public FileListControl {
public:
    explicit FakeFileList(const FakeRuntime& runtime) : runtime_(runtime) {}
    void SetPath(std::wstring_view folder) override {
        if (!runtime_.folders.contains(std::wstring(folder))) Fail(error::kPathNotFound, std::wstring(folder));
        folder_ = folder;
        Refresh();
    }
    void SetPattern(std::wstring_view pattern) override {
        pattern_ = pattern;
        Refresh();
    }
    int ListCount() const override { return static_cast<int>(names.size()); }
    int ListIndex() const override { return index_; }
    void SetListIndex(int index) override {
        if (index < -1 || index >= ListCount()) Fail(error::kInvalidPropertyValue);
        index_ = index;
    }
    std::wstring List(int index) const override {
        if (index < 0 || index >= ListCount()) Fail(error::kInvalidPropertyArrayIndex);
        return names[static_cast<std::size_t>(index)];
    }
    std::vector<std::wstring> names;

private:
    void Refresh() { names = ListedNames(runtime_.Entries(folder_), pattern_); }
    const FakeRuntime& runtime_;
    std::wstring folder_;
    std::wstring pattern_ = L"*.*";
    int index_ = -1;
};

struct FakeCaption final : CaptionControl {
    void SetCaption(std::wstring_view text) override { caption = text; }
    std::wstring caption = L"Form1";
};
struct FakeImage final : ImageControl {
    void SetPicture(PicturePtr newPicture) override { picture = std::move(newPicture); }
    void SetVisible(bool isVisible) override { visible = isVisible; }
    PicturePtr picture = std::make_shared<FakePicture>(L"design picture");
    bool visible = true;
};
struct FakeLabel final : LabelControl {
    void SetVisible(bool isVisible) override { visible = isVisible; }
    bool visible = false;
};

// A Form1 wired to the stand-in runtime and controls.
struct FakeForm {
    FakeRuntime runtime;
    FakeCaption caption;
    FakeFileList file1{runtime};
    FakeImage image1;
    FakeLabel label1;
    Form1 form{runtime, FormControls{caption, file1, image1, label1}};

    // Selects an entry by its name as a click does, and raises the click.
    void Click(const std::wstring& name) {
        const auto found = std::find(file1.names.begin(), file1.names.end(), name);
        file1.SetListIndex(static_cast<int>(found - file1.names.begin()));
        form.Raise(FormEvent::File1Click);
    }
};

}  // namespace zelvane::testing
