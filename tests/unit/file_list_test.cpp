#include "platform/file_list.h"

#include <gtest/gtest.h>

namespace zelvane {
namespace {

TEST(MatchesPattern, MatchesWholeNamesWithoutRegardToCase) {
    const struct {
        std::wstring_view name;
        bool matches;
    } cases[] = {
        {L"mymap.bzn", true},    {L"MAP1.BZN", true}, {L"My Map.Bzn", true}, {L".bzn", true},    {L"map.bznx", false},
        {L"map.bzn.bak", false}, {L"map.bmp", false}, {L"bzn", false},       {L"a.b.bzn", true}, {L"map.bz", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesPattern(c.name, L"*.bzn"), c.matches) << std::string(c.name.begin(), c.name.end());
    }
    EXPECT_TRUE(MatchesPattern(L"abc", L"a?c"));
    EXPECT_FALSE(MatchesPattern(L"ac", L"a?c"));
    EXPECT_TRUE(MatchesPattern(L"anything", L"*"));
    EXPECT_TRUE(MatchesPattern(L"a*b*c", L"a*c"));
}

TEST(ListedNames, KeepsPlainFilesThatMatchSortedWithoutRegardToCase) {
    const std::vector<DirectoryEntry> entries = {
        {L"zeta.bzn", 0x20},    // archive
        {L"Alpha.BZN", 0x01},   // read-only
        {L"beta.bzn", 0x80},    // normal
        {L"hidden.bzn", 0x22},  // hidden
        {L"system.bzn", 0x24},  // system
        {L"folder.bzn", 0x10},  // folder
        {L"alpha.bmp", 0x20},   // no map
        {L"gamma.bznx", 0x20},  // no map, whatever its short name
        {L"a.bzn.bzn", 0x20},   // the name before it, and more
        {L"a.bzn", 0x20},
    };
    EXPECT_EQ(ListedNames(entries, L"*.bzn"),
              (std::vector<std::wstring>{L"a.bzn", L"a.bzn.bzn", L"Alpha.BZN", L"beta.bzn", L"zeta.bzn"}));
}

TEST(VirtualStore, ShadowsADrivePathUnderTheUsersLocalData) {
    const struct {
        std::wstring_view localAppData, folder;
        std::optional<std::wstring_view> shadow;
    } cases[] = {
        {L"C:\\Users\\p\\AppData\\Local", L"C:\\Program Files\\A\\bzn",
         L"C:\\Users\\p\\AppData\\Local\\VirtualStore\\Program Files\\A\\bzn"},
        {L"C:\\Local\\", L"D:\\Games\\bzn", L"C:\\Local\\VirtualStore\\Games\\bzn"},
        {L"", L"C:\\Program Files\\A\\bzn", std::nullopt},
        {L"C:\\Local", L"\\\\server\\share\\bzn", std::nullopt},
        {L"C:\\Local", L"bzn", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VirtualStoreShadow(c.localAppData, c.folder), c.shadow)
            << std::string(c.folder.begin(), c.folder.end());
    }
    EXPECT_EQ(DrivePathOfFinalPath(L"\\\\?\\C:\\Program Files (x86)\\A\\bzn"), L"C:\\Program Files (x86)\\A\\bzn");
    EXPECT_EQ(DrivePathOfFinalPath(L"\\\\?\\UNC\\server\\share\\bzn"), std::nullopt);
    EXPECT_EQ(DrivePathOfFinalPath(L"C:\\bzn"), std::nullopt);
}

TEST(VirtualStore, MergedFolderListsEachNameOnceWithTheShadowsEntry) {
    const std::vector<DirectoryEntry> folder = {
        {L"both.bzn", 0x20}, {L"real.bzn", 0x20}, {L"HIDDEN.BZN", 0x20}, {L"Case.bzn", 0x20}};
    const std::vector<DirectoryEntry> shadow = {
        {L"both.bzn", 0x20}, {L"new.bzn", 0x20}, {L"hidden.bzn", 0x22}, {L"CASE.BZN", 0x20}};
    const std::vector<DirectoryEntry> merged = MergedWithShadow(folder, shadow);
    EXPECT_EQ(merged.size(), 5u);
    // A hidden copy in the shadow hides the map as the game sees it.
    EXPECT_EQ(ListedNames(merged, L"*.bzn"),
              (std::vector<std::wstring>{L"both.bzn", L"CASE.BZN", L"new.bzn", L"real.bzn"}));
    EXPECT_EQ(ListedNames(MergedWithShadow(folder, {}), L"*.bzn"), ListedNames(folder, L"*.bzn"));
}

}  // namespace
}  // namespace zelvane
