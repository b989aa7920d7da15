// The system layer: files told apart by the files themselves, and names of files yet to be made.
#include "platform/system.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "run_tool.h"

namespace trimora {
namespace {

namespace fs = std::filesystem;

FileId id_of(const fs::path& path) { return file_id_of(testing::utf8(path).c_str()); }

TEST(FileId, OneFileWhateverTheName) {
    testing::TempDir dir;
    testing::write_file(dir / "a.stl", "a");
    testing::write_file(dir / "b.stl", "a");
    fs::create_hard_link(dir / "a.stl", dir / "hard.stl");
    const FileId a = id_of(dir / "a.stl");
    EXPECT_TRUE(a.known);
    EXPECT_EQ(id_of(dir / "hard.stl"), a);
    EXPECT_EQ(id_of(dir.path() / "." / "a.stl"), a);
    // The same bytes in another file are another file.
    EXPECT_TRUE(id_of(dir / "b.stl").known);
    EXPECT_NE(id_of(dir / "b.stl"), a);
    if (testing::make_symlink("a.stl", dir / "link.stl")) {
        EXPECT_EQ(id_of(dir / "link.stl"), a);
    }
    // An open stream is its file.
    std::FILE* stream = std::fopen(testing::utf8(dir / "hard.stl").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(file_id_of_stream(stream), a);
    static_cast<void>(std::fclose(stream));  // only read from
}

TEST(FileId, NoneForWhatIsNoRegularFile) {
    testing::TempDir dir;
    EXPECT_FALSE(id_of(dir / "absent.stl").known);
    EXPECT_FALSE(id_of(dir.path()).known);
    if (testing::make_symlink("absent.stl", dir / "dangling.stl")) {
        EXPECT_FALSE(id_of(dir / "dangling.stl").known);
    }
    // A temporary file is a regular file too; the null device is not.
    std::FILE* temporary = std::tmpfile();
    ASSERT_NE(temporary, nullptr);
    EXPECT_TRUE(file_id_of_stream(temporary).known);
    static_cast<void>(std::fclose(temporary));
    const char* null_device = testing::device_names_reserved() ? "NUL" : "/dev/null";
    std::FILE* device = std::fopen(null_device, "rb");
    ASSERT_NE(device, nullptr);
    EXPECT_FALSE(file_id_of_stream(device).known);
    static_cast<void>(std::fclose(device));
}

TEST(FileBytesLeft, TheSizeLessThePositionOfARegularFile) {
    testing::TempDir dir;
    testing::write_file(dir / "data.bin", std::string(10000, 'd'));
    std::FILE* stream = std::fopen(testing::utf8(dir / "data.bin").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    using Size = std::optional<std::uint64_t>;
    EXPECT_EQ(file_bytes_left(stream), Size(10000));
    // The stream reads ahead into its buffer; what it has not given still counts.
    char buffer[3000];
    ASSERT_EQ(std::fread(buffer, 1, 1, stream), 1u);
    EXPECT_EQ(file_bytes_left(stream), Size(9999));
    ASSERT_EQ(std::fread(buffer, 1, sizeof buffer, stream), sizeof buffer);
    EXPECT_EQ(file_bytes_left(stream), Size(6999));
    ASSERT_EQ(std::fseek(stream, 0, SEEK_END), 0);
    EXPECT_EQ(file_bytes_left(stream), Size(0));
    ASSERT_EQ(std::fseek(stream, 20000, SEEK_SET), 0);
    EXPECT_EQ(file_bytes_left(stream), Size(0));
    static_cast<void>(std::fclose(stream));  // only read from
    const char* null_device = testing::device_names_reserved() ? "NUL" : "/dev/null";
    std::FILE* device = std::fopen(null_device, "rb");
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(file_bytes_left(device), Size());
    static_cast<void>(std::fclose(device));
}

TEST(FileNameKey, OneKeyForEveryNameOfOneFileToBe) {
    testing::TempDir dir;
    fs::create_directory(dir / "x");
    testing::write_file(dir / "a.kpf", "");
    const std::string base = testing::utf8(dir.path());
    EXPECT_EQ(file_name_key((base + "/a.kpf").c_str()), file_name_key((base + "/./a.kpf").c_str()));
    EXPECT_EQ(file_name_key((base + "/new.kpf").c_str()), file_name_key((base + "/x/../new.kpf").c_str()));
    EXPECT_NE(file_name_key((base + "/a.kpf").c_str()), file_name_key((base + "/b.kpf").c_str()));
    // A link, dangling or not, is the file it leads to.
    if (testing::make_symlink("x/new.kpf", dir / "link.kpf")) {
        EXPECT_EQ(file_name_key((base + "/link.kpf").c_str()), file_name_key((base + "/x/new.kpf").c_str()));
    }
    // Case counts where the file system tells the names apart, and nowhere else.
    const bool folds_case = fs::exists(dir / "A.KPF");
    EXPECT_EQ(file_name_key((base + "/A.KPF").c_str()) == file_name_key((base + "/a.kpf").c_str()), folds_case);
    EXPECT_EQ(file_name_key((base + "/New.kpf").c_str()) == file_name_key((base + "/new.kpf").c_str()), folds_case);
}

}  // namespace
}  // namespace trimora
