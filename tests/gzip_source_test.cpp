// gzip members, cut and corrupt streams, and failures of the input passed on.
#include "readers/gzip_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "compressed_files.h"
#include "platform/byte_source.h"
#include "readers/inflation_limit.h"

namespace trimora::testing {
namespace {

std::string text_of(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += "v " + std::to_string(i) + " " + std::to_string(i * i % 977) + " 0\n";
    return text;
}

TEST(GzipSource, InflatesEveryMember) {
    const std::string text = text_of(30000);
    for (const int members : {1, 2, 7}) {
        for (const std::size_t n : {std::size_t{1}, std::size_t{1000}, std::size_t{1} << 20}) {
            if (n == 1 && members > 1) continue;
            const std::string bytes = gzip_bytes(text, members);
            MemoryByteSource file(bytes.data(), bytes.size());
            GzipSource gzip(file);
            EXPECT_EQ(read_all(gzip, n), text) << members << " " << n;
            EXPECT_TRUE(gzip.ended());
            EXPECT_EQ(gzip.failure(), SourceFailure::kNone);
        }
    }
    // Zero bytes after the last member are padding, as gzip -d takes them, however many.
    for (const std::size_t zeros : {std::size_t{1}, std::size_t{512}, std::size_t{200000}}) {
        const std::string padded = gzip_bytes(text, 2) + std::string(zeros, '\0');
        MemoryByteSource file(padded.data(), padded.size());
        GzipSource gzip(file);
        EXPECT_EQ(read_all(gzip, 1000), text) << zeros;
        EXPECT_TRUE(gzip.ended()) << zeros;
        EXPECT_EQ(gzip.failure(), SourceFailure::kNone) << zeros;
    }
    // Members of nothing are members too.
    const std::string empty_members = gzip_bytes("") + gzip_bytes("abc") + gzip_bytes("");
    MemoryByteSource file(empty_members.data(), empty_members.size());
    GzipSource gzip(file);
    EXPECT_EQ(read_all(gzip, 10), "abc");
    EXPECT_TRUE(gzip.ended());
}

// Every cut of a stream before its end is a cut, and gives the bytes before
// it, all of them whatever the size of the reads.
TEST(GzipSource, EveryCutIsCutShort) {
    const std::string text = text_of(40);
    const std::string bytes = gzip_bytes(text, 2);
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        MemoryByteSource file(bytes.data(), size);
        GzipSource gzip(file);
        const std::string out = read_all(gzip, 64);
        MemoryByteSource same_file(bytes.data(), size);
        GzipSource byte_by_byte(same_file);
        EXPECT_EQ(read_all(byte_by_byte, 1), out) << size;
        // A cut between the members ends the data there.
        const bool between = size == gzip_bytes(text.substr(0, text.size() / 2 + 1)).size();
        EXPECT_EQ(gzip.failure(), between ? SourceFailure::kNone : SourceFailure::kCutShort) << size;
        EXPECT_EQ(gzip.ended(), between) << size;
        EXPECT_EQ(text.compare(0, out.size(), out), 0) << size;
    }
}

struct CorruptCase {
    const char* what;
    std::string bytes;
    const char* detail;
};

TEST(GzipSource, CorruptStreamsSayWhy) {
    const std::string good = gzip_bytes(text_of(100));
    std::string bad_check = good;
    bad_check[bad_check.size() - 6] ^= 1;  // the CRC
    std::string bad_length = good;
    bad_length[bad_length.size() - 2] ^= 1;
    std::string bad_method = good;
    bad_method[2] = 7;
    const CorruptCase cases[] = {
        {"not gzip", "solid x\n", "incorrect header check"},
        {"a wrong CRC", bad_check, "incorrect data check"},
        {"a wrong length", bad_length, "incorrect length check"},
        {"an unknown method", bad_method, "unknown compression method"},
        {"bytes after the last member", good + "junk", "incorrect header check"},
        {"bytes after zero padding", good + std::string(3, '\0') + "junk", "data after zero padding"},
        {"a member after zero padding", good + std::string(3, '\0') + good, "data after zero padding"},
    };
    for (const CorruptCase& c : cases) {
        MemoryByteSource file(c.bytes.data(), c.bytes.size());
        GzipSource gzip(file);
        read_all(gzip, 4096);
        EXPECT_EQ(gzip.failure(), SourceFailure::kCorrupt) << c.what;
        EXPECT_EQ(gzip.failure_detail(), c.detail) << c.what;
        EXPECT_FALSE(gzip.ended()) << c.what;
    }
}

// A file that gives its first bytes and then cannot be read.
class FailingSource final : public ByteSource {
public:
    explicit FailingSource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t read(void* buffer, std::size_t n) override {
        const std::size_t done = std::min(n, bytes_.size() - pos_);
        std::copy_n(bytes_.data() + pos_, done, static_cast<char*>(buffer));
        pos_ += done;
        if (done < n) set_failure(SourceFailure::kReadError);
        return done;
    }

private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

TEST(GzipSource, GrowthBeyondTheLimitAfterTheFreeBytesIsRefused) {
    constexpr std::uint64_t free = kInflationFreeBytes;
    const struct {
        std::uint64_t produced, consumed;
        bool beyond;
    } limits[] = {
        {free, 1, false},           // the free bytes grow as far as they may
        {free + 1, 1, true},        // then 100 times what was read at most
        {free + 100, (free + 100) / 100, false},
        {free + 100, (free + 100) / 100 - 1, true},
        {UINT64_MAX, UINT64_MAX / 100, false},
    };
    for (const auto& limit : limits) {
        EXPECT_EQ(beyond_inflation_limit(limit.produced, limit.consumed), limit.beyond)
            << limit.produced << " of " << limit.consumed;
    }
    // Zeros grow a thousand times: the free bytes come out whole, and a
    // stream that goes on is refused within a read of their end.
    for (const std::uint64_t size : {free, free + (std::uint64_t{1} << 20)}) {
        const std::string bytes = gzip_bytes(std::string(static_cast<std::size_t>(size), '\0'));
        MemoryByteSource file(bytes.data(), bytes.size());
        GzipSource gzip(file);
        std::string piece(1 << 16, '\1');
        std::uint64_t total = 0;
        for (std::size_t got; (got = gzip.read(piece.data(), piece.size())) > 0;) total += got;
        if (size == free) {
            EXPECT_EQ(total, size);
            EXPECT_TRUE(gzip.ended());
        } else {
            EXPECT_EQ(gzip.failure(), SourceFailure::kTooExpanded);
            EXPECT_GT(total, free);
            EXPECT_LE(total, free + piece.size());
        }
    }
}

TEST(GzipSource, TellsNoSizeAheadOfItsData) {
    const std::string bytes = gzip_bytes(text_of(1000));
    MemoryByteSource file(bytes.data(), bytes.size());
    ASSERT_TRUE(file.known_size().has_value());
    GzipSource gzip(file);
    EXPECT_FALSE(gzip.known_size().has_value());
}

TEST(GzipSource, AFailureOfTheFileIsPassedOn) {
    const std::string text = text_of(1000);
    const std::string bytes = gzip_bytes(text);
    for (const std::size_t size : {std::size_t{0}, std::size_t{10}, bytes.size() / 2, bytes.size()}) {
        FailingSource file(bytes.substr(0, size));
        GzipSource gzip(file);
        const std::string out = read_all(gzip, 100);
        EXPECT_EQ(gzip.failure(), SourceFailure::kReadError) << size;
        EXPECT_FALSE(gzip.ended()) << size;
        EXPECT_EQ(text.compare(0, out.size(), out), 0) << size;
    }
}

}  // namespace
}  // namespace trimora::testing
