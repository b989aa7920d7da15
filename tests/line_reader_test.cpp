// Lines and bytes from a byte source: line ends, the last line, long lines, bytes after a text header.
#include "readers/line_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/byte_source.h"

namespace trimora {
namespace {

// The lines of the bytes, each followed by '|' (or '#' when it was too long), and their count.
std::string lines_of(const std::string& bytes, std::size_t limit = LineReader::kDefaultLineLimit) {
    MemoryByteSource source(bytes.data(), bytes.size());
    LineReader reader(source, limit);
    std::string out;
    Line line;
    while (reader.next_line(line)) {
        EXPECT_EQ(line.text[line.length], '\0');
        out += std::string(line.text, line.length) + (line.too_long ? "#" : "|");
    }
    EXPECT_FALSE(reader.next_line(line));
    return out + std::to_string(reader.line_number());
}

struct Case {
    const char* what;
    std::string bytes;
    std::string lines;
};

TEST(LineReader, SplitsLines) {
    const Case cases[] = {
        {"LF lines", "a\nbb\n\nc\n", "a|bb||c|4"},
        {"CR LF lines", "a\r\nbb\r\n\r\n", "a|bb||3"},
        {"lone CR lines", "a\rbb\r\rc\r", "a|bb||c|4"},
        {"LF, CR LF and lone CR mixed", "a\rb\nc\r\nd\r\re", "a|b|c|d||e|6"},
        {"a lone CR before CR LF", "a\rb\r\r\n", "a|b||3"},
        {"a last line without LF", "a\nb", "a|b|2"},
        {"a last CR", "a\r", "a|1"},
        {"LF CR", "a\n\rb", "a||b|3"},
        {"nothing", "", "0"},
        {"one LF", "\n", "|1"},
        {"NUL bytes are kept", std::string("a\0b\n", 4), std::string("a\0b|1", 5)},
    };
    for (const Case& c : cases) EXPECT_EQ(lines_of(c.bytes), c.lines) << c.what;
}

TEST(LineReader, KeepsLinesUpToItsLimitAndCutsLongerOnes) {
    EXPECT_EQ(lines_of("12345\n123456\n1234567\nab\n", 6), "12345|123456|123456#ab|4");
    EXPECT_EQ(lines_of("1234567", 6), "123456#1");
    // Lines far longer than the first buffer grow it.
    const std::string long_line(3000000, 'x');
    EXPECT_EQ(lines_of(long_line + "\n" + long_line + "y\nz"), long_line + "|" + long_line + "y|z|3");
    EXPECT_EQ(lines_of(long_line + "y\nz", 3000000), long_line + "#z|2");
    // A lone CR ends a long line as an LF does.
    EXPECT_EQ(lines_of("1234567\rab\r", 6), "123456#ab|2");
    EXPECT_EQ(lines_of(long_line + "y\rz", 3000000), long_line + "#z|2");
    EXPECT_EQ(lines_of(long_line + "\r" + long_line + "y\rz"), long_line + "|" + long_line + "y|z|3");
}

TEST(LineReader, ReadsAcrossItsBlocks) {
    std::string bytes;
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        const std::string line(static_cast<std::size_t>(i % 37), static_cast<char>('a' + i % 26));
        // Every kind of end, so that some CR LF and lone CR ends fall across blocks.
        // (A lone CR before an empty line's LF would be a CR LF.)
        const bool lone_cr = i % 3 == 1 && (i + 1) % 37 != 0;
        bytes += line + (i % 3 == 0 ? "\r\n" : lone_cr ? "\r" : "\n");
        expected += line + "|";
    }
    EXPECT_EQ(lines_of(bytes), expected + "100000");
    // A CR LF whose CR ends the first block is one end.
    const std::string before(LineReader::kMaxTake * 64 - 1, 'x');
    EXPECT_EQ(lines_of(before + "\r\nb"), before + "|b|2");
}

TEST(LineReader, TakesTheBytesAfterTheLines) {
    std::string body;
    for (int i = 0; i < 300000; ++i) body += static_cast<char>(i % 251);
    const std::string bytes = "head\r\nend\n" + body;
    MemoryByteSource source(bytes.data(), bytes.size());
    LineReader reader(source);
    Line line;
    ASSERT_TRUE(reader.next_line(line));
    ASSERT_TRUE(reader.next_line(line));
    EXPECT_EQ(std::string(line.text), "end");
    std::string taken;
    std::size_t at = 0;
    while (at + 4096 <= body.size()) {
        const unsigned char* piece = reader.take(at % 2 == 0 ? 4096 : 7);
        ASSERT_NE(piece, nullptr);
        taken.append(reinterpret_cast<const char*>(piece), at % 2 == 0 ? 4096 : 7);
        at += at % 2 == 0 ? 4096 : 7;
    }
    EXPECT_EQ(taken, body.substr(0, at));
    ASSERT_TRUE(reader.skip(body.size() - at - 1));
    EXPECT_TRUE(reader.has_more());
    EXPECT_EQ(reader.take(2), nullptr);
    EXPECT_FALSE(reader.has_more());
    EXPECT_FALSE(reader.skip(1));
    EXPECT_TRUE(reader.skip(0));
}

}  // namespace
}  // namespace trimora
