// Output files replaced whole or not at all: the temporary file, the commit, the discard.
#include "platform/replacing_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run_tool.h"

namespace trimora {
namespace {

namespace fs = std::filesystem;

// The names in the folder, sorted.
std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) names.push_back(testing::utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

void put(ReplacingFile& file, const std::string& bytes) {
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.stream()), bytes.size());
}

TEST(ReplacingFile, WritesBesideTheOutputUnderATemporaryName) {
    testing::TempDir dir;
    testing::write_file(dir / "out.kpf", "old");
    ReplacingFile file;
    ASSERT_TRUE(file.open(testing::utf8(dir / "out.kpf").c_str()));
    put(file, "new");
    const std::vector<std::string> names = names_in(dir.path());
    ASSERT_EQ(names.size(), 2u);
    // ".out.kpf.trimora-" then six letters or digits and ".tmp": never *.stl or *.kpf.
    EXPECT_TRUE(names[0].starts_with(".out.kpf.trimora-")) << names[0];
    EXPECT_TRUE(names[0].ends_with(".tmp")) << names[0];
    EXPECT_EQ(names[0].size(), std::string(".out.kpf.trimora-XXXXXX.tmp").size()) << names[0];
    EXPECT_EQ(testing::read_file(dir / "out.kpf"), "old");
    EXPECT_TRUE(file.commit());
    EXPECT_FALSE(file.is_open());
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"out.kpf"});
    EXPECT_EQ(testing::read_file(dir / "out.kpf"), "new");
}

TEST(ReplacingFile, DiscardedOrAbandonedLeavesTheOldFile) {
    testing::TempDir dir;
    testing::write_file(dir / "out.kpf", "old");
    {
        ReplacingFile file;
        ASSERT_TRUE(file.open(testing::utf8(dir / "out.kpf").c_str()));
        put(file, "new");
        file.discard();
        EXPECT_FALSE(file.commit());
    }
    {
        ReplacingFile abandoned;
        ASSERT_TRUE(abandoned.open(testing::utf8(dir / "out.kpf").c_str()));
        put(abandoned, "new");
    }
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"out.kpf"});
    EXPECT_EQ(testing::read_file(dir / "out.kpf"), "old");
    // Nor is a new file made.
    ReplacingFile file;
    ASSERT_TRUE(file.open(testing::utf8(dir / "new.kpf").c_str()));
    file.discard();
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"out.kpf"});
}

TEST(ReplacingFile, ManyAtOnceEachWithItsOwnName) {
    testing::TempDir dir;
    std::vector<ReplacingFile> files(300);
    for (std::size_t i = 0; i < files.size(); ++i) {
        ASSERT_TRUE(files[i].open(testing::utf8(dir / ("out" + std::to_string(i % 3) + ".kpf")).c_str())) << i;
        put(files[i], std::to_string(i));
    }
    EXPECT_EQ(names_in(dir.path()).size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) EXPECT_TRUE(files[i].commit()) << i;
    // The last commit of each name is the one that stays.
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"out0.kpf", "out1.kpf", "out2.kpf"}));
    EXPECT_EQ(testing::read_file(dir / "out2.kpf"), "299");
}

TEST(ReplacingFile, NothingIsMadeForANameThatNamesNoFile) {
    testing::TempDir dir;
    ReplacingFile file;
    EXPECT_FALSE(file.open(testing::utf8(dir / "missing" / "out.kpf").c_str()));
    EXPECT_FALSE(file.is_open());
    EXPECT_FALSE(file.open((testing::utf8(dir / "missing") + "/").c_str()));
    EXPECT_FALSE(file.open(testing::utf8(dir.path()).c_str()));
    EXPECT_FALSE(file.open(""));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(ReplacingFile, ADeviceIsWrittenInPlace) {
    if (testing::device_names_reserved()) GTEST_SKIP() << "devices are refused by name here";
    ReplacingFile file;
    ASSERT_TRUE(file.open("/dev/null"));
    put(file, "gone");
    EXPECT_TRUE(file.commit());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace trimora
