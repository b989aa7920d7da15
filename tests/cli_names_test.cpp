// Output names, input expansion, the option table and the progress text of the modern command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "cli/options.h"
#include "cli/output_names.h"
#include "cli/progress.h"
#include "run_tool.h"

namespace trimora {
namespace {

TEST(OutputNames, ReplaceTheLastExtensionOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"part.stl", "part.kpf"},
        {"my.part.v2.stl", "my.part.v2.kpf"},
        {"part", "part.kpf"},
        {"dir.v1/part", "dir.v1/part.kpf"},
        {"dir.v1/part.STL", "dir.v1/part.kpf"},
        {".stl", ".stl.kpf"},
        {"dir/.stl", "dir/.stl.kpf"},
        {"part.", "part.kpf"},
        {"..", "...kpf"},
        {"a\\b.c\\part.stl", "a\\b.c\\part.kpf"},
    };
    for (const auto& [input, output] : cases) {
        EXPECT_EQ(replace_last_extension(input), output) << input;
    }
    // No 127-character cut.
    EXPECT_EQ(replace_last_extension(std::string(300, 'n') + ".stl"), std::string(300, 'n') + ".kpf");
}

TEST(OutputNames, OneFileHasOneIdentityWhateverItsName) {
    testing::TempDir dir;
    testing::write_file(dir / "a.kpf", "");
    const std::string base = dir.path().string();
    EXPECT_EQ(file_identity(base + "/a.kpf"), file_identity(base + "/./a.kpf"));
    EXPECT_EQ(file_identity(base + "/new.kpf"), file_identity(base + "/x/../new.kpf"));
    EXPECT_NE(file_identity(base + "/a.kpf"), file_identity(base + "/b.kpf"));
}

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

TEST(Options, ModernFormIsChosenByItsOwnOptionsOnly) {
    const std::vector<std::vector<std::string>> modern = {
        {"part", "-q"}, {"-f", "wire", "part"}, {"--form=wire", "part"}, {"--no-progress"},
        {"--help", "-r"}, {"-j", "2"}, {"--output", "x"}, {"--jobs=3"},
    };
    for (const auto& args : modern) EXPECT_TRUE(is_modern_command_line(args)) << args[0];
    const std::vector<std::vector<std::string>> legacy = {
        {},          {"part"},          {"part", "-h"},      {"--help", "wire"}, {"-h", "x", "y"},
        {"--version"}, {"part", "--version"}, {"-H"},       {"-help"},          {"--", "-q"},
        {"-fwire"},  {"--quiet=yes"},   {"part", "wire"},
    };
    for (const auto& args : legacy) {
        EXPECT_FALSE(is_modern_command_line(args)) << (args.empty() ? "" : args[0]);
    }
}

TEST(Progress, TextGivesPercentSpeedAndTimeLeft) {
    const std::uint64_t mb = 1 << 20;
    EXPECT_EQ(progress_text("big.stl", 0, 20 * mb, 0.0), "big.stl    0%  -- MB/s  --:-- left");
    EXPECT_EQ(progress_text("big.stl", 10 * mb, 20 * mb, 2.0), "big.stl   50%  5.0 MB/s  0:02 left");
    EXPECT_EQ(progress_text("b", 1 * mb, 601 * mb, 1.0), "b    0%  1.0 MB/s  10:00 left");
    EXPECT_EQ(progress_text("b", 30 * mb, 20 * mb, 1.0), "b  100%  20.0 MB/s  0:00 left");
}

}  // namespace
}  // namespace trimora
