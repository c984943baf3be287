#include <gtest/gtest.h>

#include "tests/unit/fake_runtime.h"
#include "ui/layout.h"

namespace zelvane::testing {
namespace {

const std::wstring kMaps(kMapFolder);
const std::wstring kScript = L"D:\\Tools\\Zelvane\\run.bat";

std::string ScriptFor(const std::string& secondLine) {
    return "cd C:\\PROGRA~1\\ACTIVI~1\\STARTR~1\r\n" + secondLine + "\r\n";
}

class Form1Test : public ::testing::Test {
protected:
    void Install(std::initializer_list<std::wstring> names) {
        t.runtime.folders.insert(kMaps);
        for (const std::wstring& name : names) t.runtime.AddFile(kMaps + L"\\" + name, "map");
    }
    void Preview(const std::wstring& name, std::string bytes = "BM picture") {
        t.runtime.AddFile(kMaps + L"\\" + name, std::move(bytes));
    }
    bool Start() { return t.form.Raise(FormEvent::Load); }

    FakeForm t;
};

TEST_F(Form1Test, StartUpSetsCaptionSelectsFirstMapAndDecidesItsPreview) {
    Install({L"beta.bzn", L"alpha.bzn"});
    Preview(L"alpha.bmp");
    ASSERT_TRUE(Start());
    EXPECT_EQ(t.caption.caption, L"Zelvane v1.0.1");
    EXPECT_EQ(t.file1.ListIndex(), 0);
    EXPECT_EQ(t.file1.List(0), L"alpha.bzn");
    EXPECT_EQ(SourceOf(t.image1.picture), kMaps + L"\\alpha.bmp");
    EXPECT_TRUE(t.image1.visible);
    EXPECT_FALSE(t.label1.visible);
    EXPECT_EQ(t.form.settings().MapFolder, L"C:\\Program Files\\Activision\\Star Trek Armada II\\bzn");
    EXPECT_EQ(t.form.settings().EditorSwitch, L" ~/edit ");
}

TEST_F(Form1Test, StartUpWithoutPreviewShowsTheLabel) {
    Install({L"alpha.bzn"});
    ASSERT_TRUE(Start());
    EXPECT_FALSE(t.image1.visible);
    EXPECT_TRUE(t.label1.visible);
    EXPECT_EQ(SourceOf(t.image1.picture), L"design picture");
}

TEST_F(Form1Test, StartUpFailuresAreUnhandled) {
    // No map folder: the list's folder cannot be set.
    EXPECT_FALSE(Start());
    ASSERT_TRUE(t.runtime.unhandled);
    EXPECT_EQ(t.runtime.unhandled->Number(), error::kPathNotFound);
    EXPECT_EQ(t.runtime.unhandled->Path(), kMaps + L"\r\n\r\n" + std::wstring(kFindGameAdvice));
    EXPECT_EQ(t.caption.caption, L"Form1");

    // A folder without maps: nothing at index 0, after the caption was set.
    FakeForm empty;
    empty.runtime.folders.insert(kMaps);
    empty.runtime.AddFile(kMaps + L"\\readme.txt", "text");
    EXPECT_FALSE(empty.form.Raise(FormEvent::Load));
    ASSERT_TRUE(empty.runtime.unhandled);
    EXPECT_EQ(empty.runtime.unhandled->Number(), error::kInvalidPropertyValue);
    EXPECT_EQ(empty.caption.caption, L"Zelvane v1.0.1");
}

TEST_F(Form1Test, PreviewStatesFollowEachClick) {
    Install({L"a.bzn", L"b.bzn", L"c.bzn"});
    Preview(L"A.BMP");
    Preview(L"c.bmp", "not a picture");
    ASSERT_TRUE(Start());
    const struct {
        std::wstring map;
        bool imageVisible;
        std::wstring picture;
    } steps[] = {
        {L"a.bzn", true, kMaps + L"\\A.BMP"},
        {L"b.bzn", false, kMaps + L"\\A.BMP"},  // no preview: the label, the old picture kept hidden
        {L"a.bzn", true, kMaps + L"\\A.BMP"},
        {L"c.bzn", true, kMaps + L"\\A.BMP"},  // no picture: the image keeps what it held
        {L"c.bzn", true, kMaps + L"\\A.BMP"},
    };
    for (const auto& step : steps) {
        t.runtime.files.erase(kMaps + L"\\A.BMP");
        Preview(L"A.BMP");
        t.Click(step.map);
        EXPECT_EQ(t.image1.visible, step.imageVisible);
        EXPECT_EQ(t.label1.visible, !step.imageVisible);
        EXPECT_EQ(SourceOf(t.image1.picture), step.picture);
    }
}

TEST_F(Form1Test, FirstMapWithUnreadablePreviewShowsTheDesignPicture) {
    Install({L"a.bzn"});
    Preview(L"a.bmp", "");
    ASSERT_TRUE(Start());
    EXPECT_TRUE(t.image1.visible);
    EXPECT_FALSE(t.label1.visible);
    EXPECT_EQ(SourceOf(t.image1.picture), L"design picture");
}

TEST_F(Form1Test, EditMapWritesTheTwoLineScriptAndRunsItMinimizedFromDriveC) {
    Install({L"my map.bzn", L"mymap.bzn", L"x&del.bzn"});
    ASSERT_TRUE(Start());
    const struct {
        std::wstring map;
        std::string line;
    } cases[] = {
        {L"mymap.bzn", "start armada2.exe ~/edit mymap.bzn"},
        {L"my map.bzn", "start armada2.exe ~/edit my map.bzn"},
        {L"x&del.bzn", "start armada2.exe ~/edit x^&del.bzn"},
    };
    for (const auto& c : cases) {
        t.Click(c.map);
        ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
        const FakeRuntime::Launch& launch = t.runtime.launches.back();
        EXPECT_EQ(launch.path, kScript);
        EXPECT_EQ(launch.style, 2);
        EXPECT_EQ(launch.startFolder, L"C:\\");
        // Each launch replaces the script, never appends to it.
        EXPECT_EQ(launch.script, ScriptFor(c.line));
    }
    EXPECT_EQ(t.runtime.launches.size(), 3u);
}

TEST_F(Form1Test, EachLaunchNamesTheGameFolderAsItFindsItThen) {
    Install({L"a.bzn"});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    // The short path now names another folder (another game installed first), or none.
    t.runtime.links[std::wstring(kShortGameFolder)] = L"C:\\Program Files\\Activision\\Star Trek Armada";
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    ASSERT_EQ(t.runtime.launches.size(), 2u);
    EXPECT_EQ(t.runtime.launches[0].script, ScriptFor("start armada2.exe ~/edit a.bzn"));
    EXPECT_EQ(t.runtime.launches[1].script,
              "cd \"C:\\Program Files\\Activision\\Star Trek Armada II\"\r\nstart armada2.exe ~/edit a.bzn\r\n");
    EXPECT_EQ(t.runtime.launches[1].startFolder, L"C:\\");
}

TEST_F(Form1Test, ALaunchLeavesTheScriptAloneUntilTheLastInterpreterHasEnded) {
    Install({L"a.bzn", L"b.bzn"});
    ASSERT_TRUE(Start());
    t.runtime.keepShellsRunning = true;
    t.Click(L"a.bzn");
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    // The first interpreter still runs: the next two presses return at once and touch nothing.
    t.runtime.steps.clear();
    t.Click(L"b.bzn");
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    t.Click(L"a.bzn");
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    EXPECT_EQ(t.runtime.steps, (std::vector<std::string>{"wait", "wait"}));
    EXPECT_EQ(t.runtime.files[kScript], ScriptFor("start armada2.exe ~/edit a.bzn"));
    // Each interpreter's end lets the next launch write and run its script, in the order pressed.
    t.runtime.EndShell();
    ASSERT_EQ(t.runtime.launches.size(), 2u);
    EXPECT_EQ(t.runtime.launches[1].script, ScriptFor("start armada2.exe ~/edit b.bzn"));
    t.runtime.EndShell();
    ASSERT_EQ(t.runtime.launches.size(), 3u);
    EXPECT_EQ(t.runtime.launches[2].script, ScriptFor("start armada2.exe ~/edit a.bzn"));
    EXPECT_EQ(t.runtime.steps, (std::vector<std::string>{"wait", "wait", "kill", "open", "print", "print", "close",
                                                         "shell", "kill", "open", "print", "print", "close", "shell"}));
}

TEST_F(Form1Test, NamesTheScriptCodePageCannotHoldGoByTheirShortName) {
    Install({L"\u03A9mega.bzn", L"\u03B1lpha.bzn"});
    t.runtime.shortPaths[kMaps + L"\\\u03A9mega.bzn"] = L"MEGA~1.BZN";
    ASSERT_TRUE(Start());
    t.Click(L"\u03A9mega.bzn");
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    // Without a short name the name is written as the code page allows.
    t.Click(L"\u03B1lpha.bzn");
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    ASSERT_EQ(t.runtime.launches.size(), 2u);
    EXPECT_EQ(t.runtime.launches[0].script, ScriptFor("start armada2.exe ~/edit MEGA~1.BZN"));
    EXPECT_EQ(t.runtime.launches[1].script, ScriptFor("start armada2.exe ~/edit _lpha.bzn"));
}

TEST_F(Form1Test, DoubleClickOpensTheSelectedMap) {
    Install({L"a.bzn", L"b.bzn"});
    ASSERT_TRUE(Start());
    t.Click(L"b.bzn");
    ASSERT_TRUE(t.form.Raise(FormEvent::File1DblClick));
    ASSERT_EQ(t.runtime.launches.size(), 1u);
    EXPECT_EQ(t.runtime.launches[0].script, ScriptFor("start armada2.exe ~/edit b.bzn"));
}

TEST_F(Form1Test, AFailedWriteRunsNoScriptAndShowsNothing) {
    Install({L"a.bzn"});
    ASSERT_TRUE(Start());
    // An earlier launch's script stands in a folder that can no longer be written.
    t.runtime.AddFile(kScript, ScriptFor("start armada2.exe ~/edit old.bzn"));
    t.runtime.unwritable.insert(kScript);
    EXPECT_TRUE(t.form.Raise(FormEvent::Command1Click));
    EXPECT_TRUE(t.runtime.launches.empty());
    EXPECT_TRUE(t.runtime.messages.empty());
    EXPECT_FALSE(t.runtime.unhandled);
}

TEST_F(Form1Test, TheScriptChangesToTheGameFolderFoundBesideTheProgram) {
    // On another drive, named with "%" and a letter the script's code page cannot hold: by its short
    // path once it has one.
    const std::wstring game = t.runtime.appPath = L"D:\\A2 100% \u00DFtar";
    t.runtime.AddFile(game + L"\\armada2.exe", "MZ");
    t.runtime.AddFile(game + L"\\bzn\\a.bzn", "map");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    t.runtime.shortPaths[game] = L"D:\\A2100%~1";
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    ASSERT_EQ(t.runtime.launches.size(), 2u);
    EXPECT_EQ(t.runtime.launches[0].startFolder, L"D:\\");
    EXPECT_EQ(t.runtime.launches[0].script, "cd \"D:\\A2 100%% _tar\"\r\nstart armada2.exe ~/edit a.bzn\r\n");
    EXPECT_EQ(t.runtime.launches[1].script, "cd \"D:\\A2100%%~1\"\r\nstart armada2.exe ~/edit a.bzn\r\n");
}

TEST_F(Form1Test, ProgramFolderAtADriveRootGivesADoubledSeparator) {
    Install({L"a.bzn"});
    t.runtime.appPath = L"E:\\";
    ASSERT_TRUE(Start());
    ASSERT_TRUE(t.form.Raise(FormEvent::Command1Click));
    ASSERT_EQ(t.runtime.launches.size(), 1u);
    EXPECT_EQ(t.runtime.launches[0].path, L"E:\\\\run.bat");
}

TEST_F(Form1Test, NewMapPromptsAndOpensTheNormalizedName) {
    Install({L"a.bzn"});
    ASSERT_TRUE(Start());
    const struct {
        std::wstring answer;
        std::string line;  // empty: nothing is opened
    } cases[] = {
        {L"", ""},
        {L".bzn", ""},
        {L"averylongname", "start armada2.exe ~/edit averylon.bzn"},
        {L"a&b.bzn", "start armada2.exe ~/edit a^&b.bzn"},
        {L"two\r\nlines", "start armada2.exe ~/edit twolines.bzn"},
    };
    for (const auto& c : cases) {
        t.runtime.launches.clear();
        t.runtime.answers = {c.answer};
        ASSERT_TRUE(t.form.Raise(FormEvent::Command2Click));
        EXPECT_EQ(t.runtime.prompts.back().text, L"Enter map file name");
        EXPECT_EQ(t.runtime.prompts.back().title, L"New Map|.bzn");
        if (c.line.empty()) {
            EXPECT_TRUE(t.runtime.launches.empty());
        } else {
            ASSERT_EQ(t.runtime.launches.size(), 1u);
            EXPECT_EQ(t.runtime.launches[0].script, ScriptFor(c.line));
        }
    }
    EXPECT_TRUE(t.runtime.messages.empty());
}

TEST_F(Form1Test, AboutShowsEightLinesWithTheInformationIcon) {
    Install({L"a.bzn"});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(t.form.Raise(FormEvent::Command3Click));
    ASSERT_EQ(t.runtime.messages.size(), 1u);
    const FakeRuntime::Message& about = t.runtime.messages[0];
    EXPECT_EQ(about.style, 64);
    EXPECT_EQ(about.title, L"Zelvane");
    EXPECT_EQ(about.text,
              std::wstring(kCopyrightLine) +
                  L"\r\nThe map editor is the work of Activision and is not the work of Quillmere."
                  L"\r\nWe simply wrote this application to aid you in editing the maps more easily."
                  L"\r\n\r\nThis program is not guarenteed in any way, so you're on your own."
                  L"\r\nIf you would like to send suggestions or bugs, please email quillmere@quillmere.example."
                  L"\r\n\r\n");
    EXPECT_NE(kCopyrightLine.find(L"2003"), std::wstring_view::npos);
    EXPECT_NE(kCopyrightLine.find(L"Quillmere"), std::wstring_view::npos);
}

}  // namespace
}  // namespace zelvane::testing
