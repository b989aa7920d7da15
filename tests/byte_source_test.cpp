// Byte sources: files, streams with bytes read before, memory; the end told apart from a failure.
#include "platform/byte_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "compressed_files.h"
#include "run_tool.h"

namespace trimora::testing {
namespace {

TEST(ByteSource, FileGivesItsBytesThenTheEnd) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 100000; ++i) bytes += static_cast<char>(i * 31 % 256);
    write_file(dir / "data.bin", bytes);
    for (const std::size_t n : {std::size_t{1}, std::size_t{4096}, bytes.size(), bytes.size() + 1}) {
        FileByteSource file;
        std::atomic<std::uint64_t> counted{0};
        file.count_bytes_in(&counted);
        ASSERT_TRUE(file.open(utf8(dir / "data.bin").c_str()));
        EXPECT_EQ(read_all(file, n), bytes) << n;
        EXPECT_TRUE(file.ended());
        EXPECT_EQ(file.failure(), SourceFailure::kNone);
        EXPECT_EQ(counted.load(), bytes.size());
    }
}

TEST(ByteSource, MissingFilesAndFoldersDoNotOpen) {
    TempDir dir;
    FileByteSource missing;
    EXPECT_FALSE(missing.open(utf8(dir / "none.obj").c_str()));
    FileByteSource folder;
    EXPECT_FALSE(folder.open(utf8(dir.path()).c_str()));
}

TEST(ByteSource, AnAttachedStreamGivesTheBytesReadBeforeFirst) {
    TempDir dir;
    write_file(dir / "rest.bin", "world");
    std::FILE* stream = std::fopen(utf8(dir / "rest.bin").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    {
        FileByteSource file;
        file.attach(stream, "hello ", 6);
        EXPECT_EQ(read_all(file, 4), "hello world");
        EXPECT_TRUE(file.ended());
    }
    // The stream is the caller's.
    EXPECT_EQ(std::fclose(stream), 0);
    FileByteSource first_only;
    first_only.attach(nullptr, "abc", 3);
    EXPECT_EQ(read_all(first_only, 2), "abc");
    EXPECT_TRUE(first_only.ended());
}

TEST(ByteSource, AStreamThatCannotBeReadFails) {
    TempDir dir;
    std::FILE* stream = std::fopen(utf8(dir / "out.bin").c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    // Some C libraries take reading a stream open for writing for its end.
    char probe;
    const bool fails = std::fread(&probe, 1, 1, stream) == 0 && std::ferror(stream) != 0;
    std::clearerr(stream);
    if (!fails) {
        std::fclose(stream);
        GTEST_SKIP() << "reading a stream open for writing is no error here";
    }
    FileByteSource file;
    file.attach(stream, "ab", 2);
    EXPECT_EQ(read_all(file, 10), "ab");
    EXPECT_EQ(file.failure(), SourceFailure::kReadError);
    EXPECT_FALSE(file.ended());
    std::fclose(stream);
}

TEST(ByteSource, MemoryGivesItsBytesThenTheEnd) {
    const std::string bytes = "0123456789";
    for (const std::size_t n : {std::size_t{1}, std::size_t{3}, std::size_t{10}, std::size_t{11}}) {
        MemoryByteSource memory(bytes.data(), bytes.size());
        EXPECT_EQ(read_all(memory, n), bytes) << n;
        EXPECT_TRUE(memory.ended());
    }
    MemoryByteSource empty(nullptr, 0);
    EXPECT_EQ(read_all(empty, 5), "");
    EXPECT_TRUE(empty.ended());
}

using Size = std::optional<std::uint64_t>;

// Reads n bytes, which the source must have.
void take(ByteSource& source, std::size_t n) {
    std::string bytes(n, '\0');
    ASSERT_EQ(source.read(bytes.data(), n), n);
}

TEST(ByteSource, AFileKnowsTheBytesItWillGive) {
    TempDir dir;
    write_file(dir / "data.bin", std::string(100000, 'd'));
    FileByteSource file;
    ASSERT_TRUE(file.open(utf8(dir / "data.bin").c_str()));
    EXPECT_EQ(file.known_size(), Size(100000));
    take(file, 1);
    EXPECT_EQ(file.known_size(), Size(99999));
    take(file, 4096);
    EXPECT_EQ(file.known_size(), Size(95903));
    take(file, 95903);
    EXPECT_EQ(file.known_size(), Size(0));
    EXPECT_EQ(read_all(file, 10), "");
    EXPECT_EQ(file.known_size(), Size(0));
}

TEST(ByteSource, AnAttachedStreamCountsTheBytesHeldFromBefore) {
    TempDir dir;
    write_file(dir / "all.bin", "hello world");
    std::FILE* stream = std::fopen(utf8(dir / "all.bin").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    char first[6];
    ASSERT_EQ(std::fread(first, 1, 6, stream), 6u);
    {
        FileByteSource file;
        file.attach(stream, first, 6);
        EXPECT_EQ(file.known_size(), Size(11));
        take(file, 4);
        EXPECT_EQ(file.known_size(), Size(7));
        take(file, 4);
        EXPECT_EQ(file.known_size(), Size(3));
        EXPECT_EQ(read_all(file, 5), "rld");
        EXPECT_EQ(file.known_size(), Size(0));
    }
    static_cast<void>(std::fclose(stream));  // only read from
    FileByteSource first_only;
    first_only.attach(nullptr, "abc", 3);
    EXPECT_EQ(first_only.known_size(), Size(3));
    take(first_only, 2);
    EXPECT_EQ(first_only.known_size(), Size(1));
}

TEST(ByteSource, MemoryKnowsTheBytesLeft) {
    const std::string bytes = "0123456789";
    MemoryByteSource memory(bytes.data(), bytes.size());
    EXPECT_EQ(memory.known_size(), Size(10));
    take(memory, 3);
    EXPECT_EQ(memory.known_size(), Size(7));
    EXPECT_EQ(read_all(memory, 4), "3456789");
    EXPECT_EQ(memory.known_size(), Size(0));
    MemoryByteSource empty(nullptr, 0);
    EXPECT_EQ(empty.known_size(), Size(0));
}

TEST(ByteSource, NoSizeIsKnownOfWhatIsNoRegularFile) {
    const char* null_device = device_names_reserved() ? "NUL" : "/dev/null";
    std::FILE* device = std::fopen(null_device, "rb");
    ASSERT_NE(device, nullptr);
    FileByteSource file;
    file.attach(device, "ab", 2);
    EXPECT_EQ(file.known_size(), Size());
    static_cast<void>(std::fclose(device));
    TempDir dir;
    if (make_fifo(dir / "pipe")) {
        // Opened for reading and writing, so that the opening does not wait for a writer.
        std::FILE* pipe = std::fopen(utf8(dir / "pipe").c_str(), "r+b");
        ASSERT_NE(pipe, nullptr);
        FileByteSource fifo;
        fifo.attach(pipe, "", 0);
        EXPECT_EQ(fifo.known_size(), Size());
        static_cast<void>(std::fclose(pipe));
    }
}

// The size is what the file held when asked; the reads give what it holds when read.
TEST(ByteSource, AFileThatChangesGivesWhatItHoldsWhenRead) {
    TempDir dir;
    write_file(dir / "grows.bin", std::string(1000, 'g'));
    FileByteSource grows;
    ASSERT_TRUE(grows.open(utf8(dir / "grows.bin").c_str()));
    EXPECT_EQ(grows.known_size(), Size(1000));
    {
        std::FILE* more = std::fopen(utf8(dir / "grows.bin").c_str(), "ab");
        ASSERT_NE(more, nullptr);
        ASSERT_EQ(std::fwrite("more!", 1, 5, more), 5u);
        ASSERT_EQ(std::fclose(more), 0);
    }
    EXPECT_EQ(read_all(grows, 300), std::string(1000, 'g') + "more!");

    write_file(dir / "shrinks.bin", std::string(100000, 's'));
    FileByteSource shrinks;
    ASSERT_TRUE(shrinks.open(utf8(dir / "shrinks.bin").c_str()));
    EXPECT_EQ(shrinks.known_size(), Size(100000));
    std::error_code error;
    std::filesystem::resize_file(dir / "shrinks.bin", 10, error);
    // Some systems refuse to cut a file that is open.
    if (!error) {
        EXPECT_EQ(shrinks.known_size(), Size(10));
        EXPECT_EQ(read_all(shrinks, 4096), std::string(10, 's'));
    }
}

}  // namespace
}  // namespace trimora::testing
