// Byte sources: files, streams with bytes read before, memory; the end told apart from a failure.
#include "platform/byte_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

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

}  // namespace
}  // namespace trimora::testing
