// Zip directories, entry bytes stored and deflated, ZIP64 fields, and the archives that are broken.
#include "readers/zip_archive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "compressed_files.h"
#include "readers/inflation_limit.h"

namespace trimora::testing {
namespace {

const unsigned char* bytes_of(const std::string& text) { return reinterpret_cast<const unsigned char*>(text.data()); }

// The bytes of the entry, read in pieces of n, and how the reading ended.
std::string read_entry(const ZipArchive& zip, const ZipEntry& entry, std::size_t n, SourceFailure& failure,
                       std::string& detail) {
    const unsigned char* start = nullptr;
    std::size_t available = 0;
    std::string error;
    if (!zip.locate(entry, start, available, error)) return "locate: " + error;
    ZipEntrySource source(entry, start, available);
    std::string out;
    std::string piece(n, '\0');
    for (;;) {
        const std::size_t got = source.read(piece.data(), n);
        out.append(piece.data(), got);
        if (got < n) break;
    }
    EXPECT_EQ(source.read(piece.data(), n), 0u);
    failure = source.failure();
    detail = source.failure_detail();
    EXPECT_EQ(source.ended(), failure == SourceFailure::kNone);
    return out;
}

TEST(ZipArchive, ReadsEveryEntryStoredOrDeflated) {
    std::string big;
    for (int i = 0; i < 20000; ++i) big += "line " + std::to_string(i * 7919 % 10007) + "\n";
    const std::string archive = zip_file({{"a.txt", "hello", false}, {"dir/B.bin", big, true}, {"empty", "", true},
                                          {"empty stored", "", false}});
    ZipArchive zip;
    std::string error;
    ASSERT_TRUE(zip.open(bytes_of(archive), archive.size(), error)) << error;
    ASSERT_EQ(zip.entries().size(), 4u);
    EXPECT_EQ(zip.find("/DIR/b.BIN"), &zip.entries()[1]);
    EXPECT_EQ(zip.find("dir/b.bi"), nullptr);
    const std::string contents[] = {"hello", big, "", ""};
    for (std::size_t i = 0; i < 4; ++i) {
        for (const std::size_t n : {std::size_t{1}, std::size_t{7}, std::size_t{65536}}) {
            SourceFailure failure;
            std::string detail;
            EXPECT_EQ(read_entry(zip, zip.entries()[i], n, failure, detail), contents[i]) << i << " " << n;
            EXPECT_EQ(failure, SourceFailure::kNone) << i << " " << detail;
        }
    }
}

// A deflated entry that grows far beyond its stored bytes is a bomb; stored entries hold their bytes.
TEST(ZipArchive, DeflatedEntriesGrowingBeyondTheLimitAreRefused) {
    const std::string zeros(static_cast<std::size_t>(kInflationFreeBytes) + (1 << 20), '\0');
    const std::string archive = zip_file({{"bomb", zeros, true}, {"stored", zeros, false}});
    ZipArchive zip;
    std::string error;
    ASSERT_TRUE(zip.open(bytes_of(archive), archive.size(), error)) << error;
    SourceFailure failure;
    std::string detail;
    const std::string bomb = read_entry(zip, zip.entries()[0], 1 << 16, failure, detail);
    EXPECT_EQ(failure, SourceFailure::kTooExpanded);
    EXPECT_GT(bomb.size(), kInflationFreeBytes);
    EXPECT_LE(bomb.size(), kInflationFreeBytes + (1 << 16));
    EXPECT_EQ(read_entry(zip, zip.entries()[1], 1 << 16, failure, detail).size(), zeros.size());
    EXPECT_EQ(failure, SourceFailure::kNone);
}

struct DamageCase {
    const char* what;
    std::size_t entry;
    std::size_t offset;  // from the start of the entry's stored bytes
    char byte;
    SourceFailure failure;
    const char* detail;
};

TEST(ZipArchive, DamagedEntriesFailWithAReason) {
    const std::string text = "the stored text of the entry, long enough to be deflated well enough, well enough";
    const std::string archive = zip_file({{"s", text, false}, {"d", text, true}});
    const DamageCase cases[] = {
        {"a changed stored byte", 0, 3, 'X', SourceFailure::kCorrupt, "entry CRC differs from the directory"},
        {"a changed deflated byte", 1, 0, '\xFF', SourceFailure::kCorrupt, "invalid block type"},
    };
    for (const DamageCase& c : cases) {
        std::string damaged = archive;
        ZipArchive zip;
        std::string error;
        ASSERT_TRUE(zip.open(bytes_of(damaged), damaged.size(), error));
        const unsigned char* start = nullptr;
        std::size_t available = 0;
        ASSERT_TRUE(zip.locate(zip.entries()[c.entry], start, available, error));
        damaged[static_cast<std::size_t>(start - bytes_of(damaged)) + c.offset] = c.byte;
        SourceFailure failure;
        std::string detail;
        read_entry(zip, zip.entries()[c.entry], 64, failure, detail);
        EXPECT_EQ(failure, c.failure) << c.what;
        EXPECT_EQ(detail, c.detail) << c.what;
    }
}

// Sizes in the directory that the bytes do not bear out.
TEST(ZipArchive, SizesThatDoNotMatchTheBytesFail) {
    const std::string text(1000, 'x');
    struct SizeCase {
        const char* what;
        bool deflate;
        std::uint64_t compressed_change;  // added to the compressed size
        std::uint64_t size_change;        // added to the size
        SourceFailure failure;
    };
    const SizeCase cases[] = {
        {"stored bytes past the archive", false, 1000000, 1000000, SourceFailure::kCutShort},
        {"a stored size larger than the bytes", false, 0, 1, SourceFailure::kCorrupt},
        {"a deflated size larger than the data", true, 0, 1, SourceFailure::kCorrupt},
        {"a deflated size smaller than the data", true, 0, static_cast<std::uint64_t>(-1), SourceFailure::kCorrupt},
        {"deflate data cut by its size", true, static_cast<std::uint64_t>(-3), 0, SourceFailure::kCutShort},
    };
    for (const SizeCase& c : cases) {
        const std::string archive = zip_file({{"e", text, c.deflate}});
        ZipArchive zip;
        std::string error;
        ASSERT_TRUE(zip.open(bytes_of(archive), archive.size(), error));
        ZipEntry entry = zip.entries()[0];
        entry.compressed_size += c.compressed_change;
        entry.size += c.size_change;
        SourceFailure failure;
        std::string detail;
        read_entry(zip, entry, 4096, failure, detail);
        EXPECT_EQ(failure, c.failure) << c.what << ": " << detail;
    }
}

TEST(ZipArchive, BrokenDirectoriesAreRefused) {
    const std::string good = zip_file({{"a", "hello", false}});
    const std::size_t end = good.size() - 22;
    const std::size_t directory = end - 46 - 1;
    struct BrokenCase {
        const char* what;
        std::string bytes;
        const char* error;
    };
    std::string outside = good;
    outside[end + 16] = '\x7F';  // the directory's offset
    std::string bad_entry = good;
    bad_entry[directory] = 'Q';
    std::string too_many = good;
    too_many[end + 10] = 2;
    const BrokenCase cases[] = {
        {"nothing", "", "no end of central directory"},
        {"too short", good.substr(good.size() - 21), "no end of central directory"},
        {"an end record whose comment runs past the file", good.substr(0, good.size() - 2) + "\x05", "no end of central directory"},
        {"a directory outside the file", outside, "central directory outside the file"},
        {"a bad directory entry", bad_entry, "bad central directory entry"},
        {"more entries counted than there are", too_many, "bad central directory entry"},
    };
    for (const BrokenCase& c : cases) {
        ZipArchive zip;
        std::string error;
        EXPECT_FALSE(zip.open(bytes_of(c.bytes), c.bytes.size(), error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }
    // A comment after the end record is allowed.
    std::string commented = good;
    commented[commented.size() - 2] = 3;
    commented += "hi!";
    ZipArchive zip;
    std::string error;
    EXPECT_TRUE(zip.open(bytes_of(commented), commented.size(), error)) << error;
    // A local header that is not where the directory says.
    ZipEntry entry = zip.entries()[0];
    entry.local_offset = 1;
    const unsigned char* start = nullptr;
    std::size_t available = 0;
    EXPECT_FALSE(zip.locate(entry, start, available, error));
    EXPECT_EQ(error, "bad local header");
}

// Sizes and offsets of 0xFFFFFFFF are in the ZIP64 extra field, and the counts in the ZIP64 end record.
TEST(ZipArchive, ReadsZip64Fields) {
    const std::string text = "zip64 entry";
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
    std::string archive;
    const auto put = [&](std::uint64_t value, int size) {
        for (int i = 0; i < size; ++i) archive += static_cast<char>(value >> (8 * i) & 0xFF);
    };
    put(0x04034b50, 4);
    put(45, 2);
    put(0, 2);
    put(0, 2);
    put(0, 4);
    put(crc, 4);
    put(0xFFFFFFFF, 4);
    put(0xFFFFFFFF, 4);
    put(1, 2);
    put(20, 2);
    archive += "z";
    put(0x0001, 2);
    put(16, 2);
    put(text.size(), 8);
    put(text.size(), 8);
    archive += text;
    const std::size_t directory = archive.size();
    put(0x02014b50, 4);
    put(45, 2);
    put(45, 2);
    put(0, 2);
    put(0, 2);
    put(0, 4);
    put(crc, 4);
    put(0xFFFFFFFF, 4);
    put(0xFFFFFFFF, 4);
    put(1, 2);
    put(28, 2);
    put(0, 2);
    put(0, 2);
    put(0, 2);
    put(0, 4);
    put(0xFFFFFFFF, 4);
    archive += "z";
    put(0x0001, 2);
    put(24, 2);
    put(text.size(), 8);
    put(text.size(), 8);
    put(0, 8);
    const std::size_t directory_size = archive.size() - directory;
    const std::size_t record = archive.size();
    put(0x06064b50, 4);
    put(44, 8);
    put(45, 2);
    put(45, 2);
    put(0, 4);
    put(0, 4);
    put(1, 8);
    put(1, 8);
    put(directory_size, 8);
    put(directory, 8);
    put(0x07064b50, 4);
    put(0, 4);
    put(record, 8);
    put(1, 4);
    put(0x06054b50, 4);
    put(0, 4);
    put(0xFFFF, 2);
    put(0xFFFF, 2);
    put(0xFFFFFFFF, 4);
    put(0xFFFFFFFF, 4);
    put(0, 2);
    ZipArchive zip;
    std::string error;
    ASSERT_TRUE(zip.open(bytes_of(archive), archive.size(), error)) << error;
    ASSERT_EQ(zip.entries().size(), 1u);
    EXPECT_EQ(zip.entries()[0].size, text.size());
    EXPECT_EQ(zip.entries()[0].compressed_size, text.size());
    EXPECT_EQ(zip.entries()[0].local_offset, 0u);
    SourceFailure failure;
    std::string detail;
    EXPECT_EQ(read_entry(zip, zip.entries()[0], 100, failure, detail), text);
    EXPECT_EQ(failure, SourceFailure::kNone) << detail;
}

}  // namespace
}  // namespace trimora::testing
