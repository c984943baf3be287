#include "core/launcher.h"

#include <gtest/gtest.h>

#include "tests/support/batch_line.h"
#include "tests/unit/fake_runtime.h"

namespace zelvane {
namespace {

TEST(Caption, WritesTitleAndPlainDecimalVersion) {
    EXPECT_EQ(Caption({1, 0, 1}), L"Zelvane v1.0.1");
    EXPECT_EQ(Caption({2, 10, 300}), L"Zelvane v2.10.300");
    EXPECT_EQ(Caption({0, 0, 0}), L"Zelvane v0.0.0");
}

TEST(ScriptLines, MatchTheGameFolderAndTheStartCommand) {
    const std::wstring game = GameFolder(kMapFolder);
    EXPECT_EQ(game, L"C:\\Program Files\\Activision\\Star Trek Armada II");
    // The fixed short path where it is the game folder; otherwise the long path, quoted.
    EXPECT_EQ(ChangeToGameFolderLine(game, true), L"cd C:\\PROGRA~1\\ACTIVI~1\\STARTR~1");
    EXPECT_EQ(ChangeToGameFolderLine(game, false), L"cd \"C:\\Program Files\\Activision\\Star Trek Armada II\"");
    EXPECT_EQ(ScriptStartFolder(game), L"C:\\");
    EXPECT_EQ(EditorCommandLine(kEditorSwitch, L"mymap.bzn"), L"start armada2.exe ~/edit mymap.bzn");
    EXPECT_EQ(EditorCommandLine(kEditorSwitch, L"my map.bzn"), L"start armada2.exe ~/edit my map.bzn");
    EXPECT_EQ(EditorCommandLine(kEditorSwitch, L""), L"start armada2.exe ~/edit ");
}

TEST(FindMapFolder, TakesTheFirstCandidateThatExists) {
    const std::wstring fixed(kMapFolder);
    const std::wstring pf86 = L"C:\\Program Files (x86)";
    const std::wstring x86 = pf86 + L"\\Activision\\Star Trek Armada II\\bzn";
    const std::wstring gog = L"C:\\GOG Games\\Star Trek Armada II";
    const std::wstring beside = L"D:\\A2 100% & co";
    const struct {
        const char* what;
        std::vector<std::wstring> folders;  // that exist
        std::wstring programFolder;
        bool gameBeside;  // armada2.exe in the program's folder
        std::wstring programFilesX86, programFiles, gogPath;
        std::wstring found;  // or, where none exists, the folders looked in, one a line
    } cases[] = {
        // clang-format off
        {"the fixed folder wins", {fixed, x86, beside + L"\\bzn"}, beside, true, pf86, L"", gog, fixed},
        {"beside the game", {x86, beside + L"\\bzn"}, beside, true, pf86, L"", gog, beside + L"\\bzn"},
        {"a bzn folder not beside the game", {beside + L"\\bzn", x86}, beside, false, pf86, L"", L"", x86},
        {"beside the game at a drive's root", {L"E:\\bzn"}, L"E:\\", true, L"", L"", L"", L"E:\\bzn"},
        {"a 64-bit system", {x86}, L"", false, pf86, L"C:\\Program Files", L"", x86},
        {"a 32-bit program on it", {}, L"", false, pf86, pf86, L"", fixed + L"\r\n" + x86 + L"\r\n"},
        {"the GOG edition", {gog + L"\\bzn", x86}, L"", false, L"", L"", gog + L"\\", gog + L"\\bzn"},
        {"a GOG path naming nothing", {}, L"", false, L"", L"", gog, fixed + L"\r\n" + gog + L"\\bzn\r\n"},
        {"shares, relative paths, junk", {L"\\\\server\\a2\\bzn", L"C:bzn"}, L"\\\\server\\a2", true,
         L"\\\\server\\pf", L"C:\\pf:x", L"C:\\a|b", fixed + L"\r\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        testing::FakeRuntime runtime;
        runtime.appPath = c.programFolder;
        const wchar_t* separator = c.programFolder.ends_with(L"\\") ? L"" : L"\\";
        if (c.gameBeside) runtime.files[c.programFolder + separator + L"armada2.exe"] = "MZ";
        runtime.folders.insert(c.folders.begin(), c.folders.end());
        runtime.environment = {{L"ProgramFiles(x86)", c.programFilesX86}, {L"ProgramFiles", c.programFiles}};
        runtime.machineText[L"SOFTWARE\\GOG.com\\Games\\1174788223|path"] = c.gogPath;
        std::wstring found;
        if (const auto failure = Attempt([&] { found = FindMapFolder(runtime); })) {
            const std::wstring ending = L"\r\n" + std::wstring(kFindGameAdvice);
            EXPECT_EQ(failure->Number(), error::kPathNotFound) << c.what;
            EXPECT_TRUE(failure->Path().ends_with(ending)) << c.what;
            found = failure->Path().substr(0, failure->Path().size() - ending.size());
        }
        EXPECT_EQ(found, c.found) << c.what;
    }
}

TEST(EscapeForBatchLine, GuardsEveryCharacterTheInterpreterTreatsSpecially) {
    const struct {
        std::wstring_view name;
        std::wstring_view line;
    } cases[] = {
        {L"x&del.bzn", L"x^&del.bzn"},
        {L"a^b", L"a^^b"},
        {L"a|b", L"a^|b"},
        {L"a<b", L"a^<b"},
        {L"a>b", L"a^>b"},
        {L"a\"b", L"a^\"b"},
        {L"%PATH%", L"%%PATH%%"},
        {L"%%", L"%%%%"},
        {L"100%.bzn", L"100%%.bzn"},
        {L"(a) !x! ;,=", L"(a) !x! ;,="},
        {L"caf\u00E9.bzn", L"caf\u00E9.bzn"},
        // Control characters could end the line or the file: they are dropped.
        {L"a\r\nstart evil.exe", L"astart evil.exe"},
        {L"tab\there", L"tabhere"},
        {L"eof\x1A.bzn", L"eof.bzn"},
        // DEL can be part of a file name: it stays.
        {L"del\x7F.bzn", L"del\x7F.bzn"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeForBatchLine(c.name), c.line) << "name: " << std::string(c.name.begin(), c.name.end());
    }
}

TEST(EscapeForBatchLine, ReadsBackAsTheSameName) {
    for (std::wstring_view name : {L"mymap.bzn", L"x&y%z%^|<>\"w", L"%%^^&&", L" lead and trail ", L"^", L"%"}) {
        EXPECT_EQ(testing::UnescapeBatchLine(EscapeForBatchLine(name)), name);
    }
}

TEST(NewMapName, FollowsTheNamingTable) {
    const struct {
        std::wstring_view answer;
        std::optional<std::wstring_view> name;
    } cases[] = {
        {L"", std::nullopt},
        {L".bzn", std::nullopt},
        {L"mymap", L"mymap.bzn"},
        {L"averylongname", L"averylon.bzn"},
        {L"mymap.bzn", L"mymap.bzn"},
        {L"longmapname.bzn", L"longmapn.bzn"},
        {L"a.bzn.bzn", L"a.bzn"},
        {L"x.bzny.bzn", L"x.bzn"},
        {L".bzn.bzn", L".bzn"},
        {L"MyMap.BZN", L"MyMap.BZ.bzn"},
        {L"abc.txt", L"abc.txt.bzn"},
        {L"my map", L"my map.bzn"},
        {L" ", L" .bzn"},
        {L"bzn", L"bzn.bzn"},
        {L"12345678", L"12345678.bzn"},
        {L"123456789.bzn", L"12345678.bzn"},
        // Control characters go before the answer is tested: these are empty or untouched.
        {L"\t", std::nullopt},
        {L".bzn\r\n", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<std::wstring> name = NewMapName(c.answer);
        ASSERT_EQ(name.has_value(), c.name.has_value()) << std::string(c.answer.begin(), c.answer.end());
        if (name) {
            EXPECT_EQ(*name, *c.name);
        }
    }
}

}  // namespace
}  // namespace zelvane
