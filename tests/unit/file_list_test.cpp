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

}  // namespace
}  // namespace zelvane
