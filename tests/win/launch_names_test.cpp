// Launches generated map names through the real launch path (Form1, run.bat, the command
// interpreter, start) and checks that the stand-in game, and nothing else, receives each name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "core/launcher.h"
#include "platform/win32_file_list.h"
#include "platform/win32_runtime.h"
#include "tests/support/batch_line.h"
#include "tests/win/test_install.h"
#include "tests/win/win_test_support.h"
#include "ui/form1.h"

namespace zelvane::testing {
namespace {

// The stand-in's log, one line per start: command line TAB current folder TAB show command.
std::vector<std::pair<std::wstring, std::wstring>> LogLines(const fs::path& log) {
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    const std::wstring text = Utf16(ReadBytes(log));
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        const std::wstring line = text.substr(start, end - start);
        const auto tab = line.find(L'\t');
        const auto lastTab = line.rfind(L'\t');
        lines.emplace_back(line.substr(0, tab), tab < lastTab ? line.substr(tab + 1, lastTab - tab - 1) : L"");
    }
    return lines;
}

// The launch script as it stands: its bytes, or that there is none.
std::string ScriptState(const fs::path& script) {
    std::error_code error;
    return fs::exists(script, error) ? "\"" + ReadBytes(script) + "\"" : "no script";
}

// What explains a press that started no game: whether its script was written, and which of the
// launch's programs still run.
std::string PressEvidence(const fs::path& script, const std::string& before) {
    const std::string now = ScriptState(script);
    std::string evidence =
        now == before ? "run.bat is as it was before the press: " + now : "run.bat was written since the press: " + now;
    evidence += "; running:";
    for (const RunningProcess& process : RunningProcesses()) {
        for (const wchar_t* program : {L"cmd.exe", L"start.exe", L"armada2.exe", L"conhost.exe"}) {
            if (::lstrcmpiW(process.program.c_str(), program) == 0) {
                evidence += " " + Utf8(process.program) + " (" + std::to_string(process.id) + ")";
            }
        }
    }
    return evidence;
}

// Map names drawn from every character a Windows file name may hold, with the interpreter's
// special ones weighted up, blanks at either end, lengths 1 to 200.
std::vector<std::wstring> GeneratedNames(std::uint32_t start, int count) {
    const std::wstring special = L"&^%!();,='[]{}~@#$+` \x7F";
    const std::wstring plain = L"abcXYZ019_-.";
    const std::wstring wide = L"\u00E9\u00FC\u00DF";  // held by the console code page
    std::mt19937 random(start);
    const auto pick = [&random](const std::wstring& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    std::vector<std::wstring> names = {L"%PATH%",
                                       L"%%",
                                       L"a^b",
                                       L"x&y",
                                       L"(a)",
                                       L"!x!",
                                       L"x&armada2.exe second",
                                       L"%~dp0",
                                       L"a %1 b",
                                       L"^&^&",
                                       L"\u00E9t\u00E9",
                                       L"\u03A9mega & \u4E16\u754C",
                                       L"del\x7F & \x7F%PATH%"};
    for (int i = 0; i < count; ++i) {
        const int length = std::uniform_int_distribution<int>(1, 196)(random);
        std::wstring base;
        for (int j = 0; j < length; ++j) {
            const int kind = std::uniform_int_distribution<int>(0, 9)(random);
            base += kind < 5 ? pick(special) : kind < 9 ? pick(plain) : pick(wide);
        }
        names.push_back(base);
    }
    for (std::wstring& name : names) {
        // Under Wine a file name is a Linux one: at most 255 bytes in UTF-8, and hidden when it
        // starts with a full stop.
        if (name.front() == L'.') name.front() = L'a';
        while (Utf8(name).size() > 250) name.pop_back();
        name += L".bzn";
    }
    return names;
}

// The start command collapses runs of blanks when it rebuilds the game's command line; compare
// such names with that done.
std::wstring BlanksCollapsed(const std::wstring& text) {
    std::wstring collapsed;
    for (wchar_t c : text) {
        if (c == L' ' && !collapsed.empty() && collapsed.back() == L' ') continue;
        collapsed += c;
    }
    while (!collapsed.empty() && collapsed.front() == L' ') collapsed.erase(0, 1);
    return collapsed;
}

TEST(LaunchNames, EveryNameReachesTheGameIntactAndRunsNothingElse) {
    const fs::path maps = std::wstring(kMapFolder);
    const fs::path game = GameFolder(kMapFolder);
    TestInstall install({maps, game});
    if (!install.Claimed()) GTEST_SKIP() << install.Why();
    ASSERT_FALSE(StandInGame().empty()) << "set ZELVANE_STANDIN to the stand-in armada2.exe";
    const char* startText = std::getenv("ZELVANE_NAMES_START");
    const std::uint32_t start = startText ? static_cast<std::uint32_t>(std::strtoul(startText, nullptr, 10))
                                          : static_cast<std::uint32_t>(std::random_device{}());
    // Under emulation (the 32-bit build), where each launch takes seconds, the fixed names and a few
    // generated ones: the escaping is the same code in both builds.
    const int count = std::getenv("ZELVANE_EMULATED") ? 2 : 40;
    std::cout << "names from start value " << start << " (replay with ZELVANE_NAMES_START=" << start << ")\n";

    install.Copy(StandInGame(), game / L"armada2.exe");
    const StandInLog standIn(L"zelvane-launch-names");
    const LaunchesEnded launchesEnded;
    const fs::path& log = standIn.path();

    const std::vector<std::wstring> names = GeneratedNames(start, count);
    for (const std::wstring& name : names) install.Write(maps / name, "map");

    const HWND listBox = ::CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_HASSTRINGS, 0, 0, 10, 10, nullptr,
                                           nullptr, nullptr, nullptr);
    win32::Win32Runtime runtime(kTitle);
    win32::Win32FileList file1(listBox);
    NullCaption caption;
    NullImage image1;
    NullLabel label1;
    Form1 form(runtime, FormControls{caption, file1, image1, label1});
    ASSERT_TRUE(form.Raise(FormEvent::Load));
    for (const std::wstring& name : names) {
        EXPECT_TRUE(fs::exists(maps / name)) << "could not write " << Utf8(name);
    }
    ASSERT_EQ(file1.ListCount(), static_cast<int>(names.size()));
    const fs::path scriptFile = runtime.AppPath() + L"\\run.bat";

    for (int index = 0; index < file1.ListCount(); ++index) {
        const std::wstring name = file1.List(index);
        const std::string shown = Utf8(name);
        const std::size_t before = LogLines(log).size();
        const std::string scriptBefore = ScriptState(scriptFile);
        file1.SetListIndex(index);
        ASSERT_TRUE(form.Raise(FormEvent::Command1Click));
        // A press waits for the last launch's interpreter to end; as the program's message loop
        // does, run what waits once it has.
        ASSERT_TRUE(WaitFor(
            [&] {
                runtime.RunWaiting();
                return LogLines(log).size() > before;
            },
            std::chrono::seconds(20)))
            << "the game never started for " << shown << "; " << PressEvidence(scriptFile, scriptBefore);
        // Whatever the script could start has started once the interpreter is gone; then count.
        ASSERT_TRUE(WaitFor(
            [] {
                return !ProgramRuns({L"cmd.exe", L"start.exe"});
            },
            std::chrono::seconds(20)))
            << "the launch script did not end for " << shown;
        ASSERT_EQ(LogLines(log).size(), before + 1) << "more than one program started for " << shown;
        const auto [commandLine, folder] = LogLines(log).back();
        const auto at = commandLine.find(L" ~/edit ");
        ASSERT_NE(at, std::wstring::npos) << shown;
        const std::wstring received = commandLine.substr(at + 8);
        // A name the script's code page cannot hold goes by its short name, the same file.
        const std::wstring expected =
            runtime.FitsOutputCodePage(name) ? BlanksCollapsed(name) : runtime.ShortName((maps / name).wstring());
        EXPECT_EQ(received, expected) << shown;
        if (received == name || received == runtime.ShortName((maps / name).wstring())) {
            EXPECT_EQ(ReadBytes(maps / received), "map") << shown;
        } else {
            // Where the start command changed the blanks, the script itself must still hold the name.
            const std::string script = ReadBytes(scriptFile);
            std::wstring text(script.size(), L'\0');
            text.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_OEMCP, 0, script.data(),
                                                                       static_cast<int>(script.size()), text.data(),
                                                                       static_cast<int>(text.size()))));
            const std::wstring prefix = L"\r\nstart armada2.exe ~/edit ";
            const auto line = text.find(prefix);
            ASSERT_NE(line, std::wstring::npos) << shown;
            EXPECT_EQ(UnescapeBatchLine(text.substr(line + prefix.size(), text.size() - line - prefix.size() - 2)),
                      name)
                << shown;
        }
        EXPECT_EQ(folder, game.wstring()) << shown;
    }
    EXPECT_EQ(LogLines(log).size(), names.size()) << "a name started more than one program";

    // While the program started last still runs (the game, started here and kept open), presses
    // neither delete nor write run.bat. Once it has ended, the waiting steps launch each press once,
    // in order: the first two names again.
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_QUIET", nullptr);
    const win32::UniqueHandle kept(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                      runtime.Shell((game / L"armada2.exe").wstring(), SW_SHOWMINNOACTIVE, game.wstring())));
    ::SetEnvironmentVariableW(L"ZELVANE_STANDIN_QUIET", L"1");
    const std::string scriptBefore = ScriptState(scriptFile);
    for (const int index : {0, 1}) {
        file1.SetListIndex(index);
        EXPECT_TRUE(form.Raise(FormEvent::Command1Click));
    }
    runtime.RunWaiting();
    EXPECT_EQ(ScriptState(scriptFile), scriptBefore) << "a press wrote run.bat while the last program ran";
    ::TerminateProcess(kept.get(), 0);
    ASSERT_EQ(::WaitForSingleObject(kept.get(), 20000), WAIT_OBJECT_0);
    const std::size_t before = LogLines(log).size();
    ASSERT_TRUE(WaitFor(
        [&] {
            runtime.RunWaiting();
            return LogLines(log).size() >= before + 2 && !ProgramRuns({L"cmd.exe", L"start.exe"});
        },
        std::chrono::seconds(20)));
    const auto lines = LogLines(log);
    ASSERT_EQ(lines.size(), before + 2);
    EXPECT_EQ(lines[before].first, lines[0].first);
    EXPECT_EQ(lines[before + 1].first, lines[1].first);
    ::DestroyWindow(listBox);
}

}  // namespace
}  // namespace zelvane::testing
