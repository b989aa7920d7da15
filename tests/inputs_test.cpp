// Input expansion: wildcards, folders in name order, standard input.
#include "cli/inputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_tool.h"

namespace trimora {
namespace {

TEST(Inputs, WildcardsAreExpandedOnlyWhenAsked) {
    testing::TempDir dir;
    testing::write_file(dir / "b.stl", "");
    testing::write_file(dir / "a.stl", "");
    const std::string pattern = dir.path().string() + "/*.stl";
    const std::vector<InputFile> expanded = expand_inputs({pattern, "-"}, false, true);
    ASSERT_EQ(expanded.size(), 3u);
    EXPECT_EQ(expanded[0].path, dir.path().string() + "/a.stl");
    EXPECT_EQ(expanded[1].path, dir.path().string() + "/b.stl");
    EXPECT_TRUE(expanded[2].standard);
    const std::vector<InputFile> as_given = expand_inputs({pattern}, false, false);
    ASSERT_EQ(as_given.size(), 1u);
    EXPECT_EQ(as_given[0].path, pattern);
    // A pattern that matches nothing stays, to be reported missing.
    const std::vector<InputFile> nothing = expand_inputs({dir.path().string() + "/*.obj"}, false, true);
    ASSERT_EQ(nothing.size(), 1u);
    EXPECT_EQ(nothing[0].path, dir.path().string() + "/*.obj");
}

TEST(Inputs, FoldersInNameOrderWithoutFollowingFolderLinks_NeedsSymlinks) {
    testing::TempDir dir;
    const std::filesystem::path parts = dir / "parts";
    std::filesystem::create_directories(parts / "b");
    testing::write_file(parts / "c.Stl", "");
    testing::write_file(parts / "b" / "x.stl", "");
    testing::write_file(parts / "a.txt", "");
    if (!testing::make_symlink(parts, parts / "loop") ||
        !testing::make_symlink(parts / "c.Stl", parts / "d.stl")) {
        GTEST_SKIP() << "no symbolic links here";
    }
    const std::string folder = parts.string();
    auto paths = [](const std::vector<InputFile>& inputs) {
        std::vector<std::string> result;
        for (const InputFile& input : inputs) result.push_back(input.path);
        return result;
    };
    EXPECT_EQ(paths(expand_inputs({folder}, false, false)),
              (std::vector<std::string>{folder + "/c.Stl", folder + "/d.stl"}));
    EXPECT_EQ(paths(expand_inputs({folder}, true, false)),
              (std::vector<std::string>{folder + "/b/x.stl", folder + "/c.Stl", folder + "/d.stl"}));
    // A link to a folder named as an input is that folder.
    EXPECT_EQ(paths(expand_inputs({folder + "/loop"}, false, false)).size(), 2u);
}

}  // namespace
}  // namespace trimora
