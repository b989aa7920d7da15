// Binary STL told apart by size or first bytes, little-endian decoding, block reading, the facet of a record.
#include "readers/binary_stl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "platform/text_output.h"
#include "run_tool.h"
#include "stl_files.h"
#include "writers/facet_output.h"

namespace trimora {
namespace {

using testing::binary_stl;
using testing::FloatFacet;
using testing::TempDir;
using testing::write_file;

struct SizeCase {
    std::uintmax_t size;
    std::uint32_t count;
    bool binary;
};

TEST(BinaryStl, SizeMustHoldExactlyTheCountedRecords) {
    const std::uintmax_t largest = 84 + 50 * std::uintmax_t{0xFFFFFFFF};
    const SizeCase cases[] = {
        {83, 0, false},   {84, 0, true},    {133, 0, true},   {134, 0, false},
        {133, 1, false},  {134, 1, true},   {135, 1, true},   {183, 1, true},
        {184, 1, false},  {0, 0, false},    {1084, 20, true}, {1083, 20, false},
        {1134, 20, false}, {largest, 0xFFFFFFFF, true},       {largest - 1, 0xFFFFFFFF, false},
        {largest + 49, 0xFFFFFFFF, true}, {largest + 50, 0xFFFFFFFF, false},
        // "soli" read as a count: 0x696c6f73 records, far beyond any text file.
        {1 << 20, 0x696c6f73, false},
    };
    for (const SizeCase& c : cases) {
        EXPECT_EQ(is_binary_stl_size(c.size, c.count), c.binary) << c.size << " " << c.count;
    }
}

// The rule for a stream with no size: binary when its 84 bytes of header and
// count hold a byte no text holds.
TEST(BinaryStl, StreamStartIsBinaryWhenItsFirst84BytesHoldANonTextByte) {
    const std::string text_line(84, 'x');
    struct StartCase {
        std::string bytes;
        bool binary;
    };
    std::vector<StartCase> cases = {
        {"", false},
        {std::string(83, '\0'), false},                 // too short for a header and count
        {std::string(84, '\0'), true},
        {binary_stl("solid", {}), true},                // the count's top byte is NUL
        {binary_stl(std::string(80, 's'), 0x41414141u, {}), false},  // all text: read as text
        {text_line, false},
        {"solid x\r\n\tfacet\v\f" + text_line, false},  // the text controls
        {"solid \xC3\xBC\xFF" + text_line, false},       // high bytes: UTF-8 names
        {"solid x\x1A" + text_line, false},             // the end byte is text
        {text_line + "\x01", false},                    // only the first 84 bytes count
    };
    for (int c : {0x00, 0x01, 0x08, 0x0E, 0x19, 0x1B, 0x1F, 0x7F}) {
        std::string bytes = text_line;
        bytes[83] = static_cast<char>(c);
        cases.push_back({bytes, true});
        bytes[83] = 'x';
        bytes[0] = static_cast<char>(c);
        cases.push_back({bytes, true});
    }
    for (const StartCase& c : cases) {
        EXPECT_EQ(looks_like_binary_stl(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                        c.bytes.size()),
                  c.binary)
            << ::testing::PrintToString(c.bytes);
    }
}

TEST(BinaryStl, ValuesAreLittleEndianWhateverTheHost) {
    const unsigned char count[] = {0x78, 0x56, 0x34, 0x12};
    EXPECT_EQ(load_le32(count), 0x12345678u);
    const unsigned char high[] = {0x00, 0x00, 0x00, 0xFF};
    EXPECT_EQ(load_le32(high), 0xFF000000u);

    struct FloatCase {
        unsigned char bytes[4];
        double value;
    };
    const FloatCase cases[] = {
        {{0x00, 0x00, 0x80, 0x3F}, 1.0},
        {{0x00, 0x00, 0x20, 0xC0}, -2.5},
        {{0xCD, 0xCC, 0xCC, 0x3D}, 0.100000001490116119384765625},  // 0.1f widened, not 0.1
        {{0x01, 0x00, 0x00, 0x00}, 1.40129846432481707092e-45},     // smallest subnormal
        {{0xFF, 0xFF, 0x7F, 0x7F}, 3.40282346638528859812e+38},     // largest float
        {{0x00, 0x00, 0x80, 0x7F}, std::numeric_limits<double>::infinity()},
    };
    for (const FloatCase& c : cases) EXPECT_EQ(load_le_float(c.bytes), c.value);
    const unsigned char negative_zero[] = {0x00, 0x00, 0x00, 0x80};
    EXPECT_TRUE(std::signbit(load_le_float(negative_zero)));
    const unsigned char nan[] = {0x00, 0x00, 0xC0, 0x7F};
    EXPECT_TRUE(std::isnan(load_le_float(nan)));
}

// Facet i holds the value i in every place, so that its order can be checked.
std::vector<FloatFacet> numbered_facets(int count) {
    std::vector<FloatFacet> facets;
    for (int i = 0; i < count; ++i) {
        const auto v = static_cast<float>(i);
        facets.push_back({{v, v, v}, {{v, v, v}, {v, v, v}, {v, v, v}}});
    }
    return facets;
}

// Reads the 84 bytes of header and count from the source and attaches the input after them.
void attach_after_prefix(BinaryStlInput& input, ByteSource& source) {
    unsigned char prefix[kBinaryPrefixSize];
    ASSERT_EQ(source.read(prefix, sizeof prefix), sizeof prefix);
    input.attach(source, prefix);
}

TEST(BinaryStlInput, ReadsEveryRecordInOrderAcrossBlocks) {
    // 5120 records fill one block; these cross into a third.
    for (const int count : {0, 1, 5119, 5120, 5121, 10241}) {
        const std::string bytes = binary_stl("solid m", numbered_facets(count), "\n");
        MemoryByteSource source(bytes.data(), bytes.size());
        BinaryStlInput input;
        attach_after_prefix(input, source);
        EXPECT_EQ(input.facet_count(), static_cast<std::uint32_t>(count));
        int read = 0;
        while (const unsigned char* record = input.read_record()) {
            ASSERT_EQ(load_le_float(record), static_cast<double>(read)) << count;
            ASSERT_EQ(load_le_float(record + 44), static_cast<double>(read)) << count;
            ++read;
        }
        EXPECT_EQ(read, count);
        EXPECT_EQ(input.read_record(), nullptr);
        EXPECT_FALSE(input.failed());
    }
}

// Records that end before the count (a read error, or a file cut short while
// it is read) must not pass for the whole file.
TEST(BinaryStlInput, RecordsEndingBeforeTheCountAreAFailure) {
    TempDir dir;
    write_file(dir / "m.stl", binary_stl("solid m", numbered_facets(6000), ""));
    FileByteSource file;
    ASSERT_TRUE(file.open((dir / "m.stl").string().c_str()));
    BinaryStlInput input;
    attach_after_prefix(input, file);
    std::filesystem::resize_file(dir / "m.stl", 84 + 50 * 5500 + 20);
    int read = 0;
    while (input.read_record() != nullptr) ++read;
    EXPECT_EQ(read, 5500);
    EXPECT_TRUE(input.failed());
}

// An input of no known size may hold, after its counted records, less than
// one record more, as a binary file may, and no more.
TEST(BinaryStlInput, DataAfterTheRecordsOfAStream) {
    const std::pair<std::string, bool> tails[] = {{"", false},
                                                  {"\n", false},
                                                  {std::string(49, 'x'), false},
                                                  {std::string(50, 'x'), true},
                                                  {std::string(51, '\0'), true},
                                                  {std::string(120000, '\0'), true}};
    for (const auto& [tail, more] : tails) {
        const std::string bytes = binary_stl("solid m", numbered_facets(3), tail);
        MemoryByteSource source(bytes.data(), bytes.size());
        BinaryStlInput input;
        attach_after_prefix(input, source);
        EXPECT_FALSE(input.data_after_records()) << "before the records are read";
        int read = 0;
        while (input.read_record() != nullptr) ++read;
        EXPECT_EQ(read, 3);
        EXPECT_EQ(input.data_after_records(), more) << tail.size();
    }
}

// A file's size tells binary from text: exactly the counted records, with
// less than one record left over. Without a size, the first bytes tell.
TEST(StlIsBinary, ByTheFileSizeWhenThereIsOneElseByTheFirstBytes) {
    const std::string one_record = binary_stl("x", numbered_facets(1));
    const std::string ascii = "solid x\n  facet normal 0 0 1\n    outer loop\n      vertex 0 0 0\n"
                              "      vertex 1 0 0\n      vertex 1 1 0\n    endloop\n  endfacet\nendsolid x\n";
    struct Case {
        const char* name;
        std::string bytes;
        bool sized;  // a file, with its size; else a stream
        bool binary;
    };
    const Case cases[] = {
        {"one record", one_record, true, true},
        {"one record and a stray newline", one_record + "\n", true, true},
        {"ascii", ascii, true, false},
        {"empty", "", true, false},
        {"83 bytes", one_record.substr(0, 83), true, false},
        {"truncated record", one_record.substr(0, one_record.size() - 1), true, false},
        {"whole extra record", one_record + std::string(50, '\n'), true, false},
        // A stream: the count's NUL byte tells, whatever follows.
        {"truncated record, streamed", one_record.substr(0, one_record.size() - 1), false, true},
        {"whole extra record, streamed", one_record + std::string(50, '\n'), false, true},
        {"ascii, streamed", ascii, false, false},
    };
    for (const Case& c : cases) {
        const std::size_t first = std::min<std::size_t>(c.bytes.size(), kBinaryPrefixSize);
        const std::optional<std::uintmax_t> size =
            c.sized ? std::optional<std::uintmax_t>(c.bytes.size()) : std::nullopt;
        EXPECT_EQ(stl_is_binary(reinterpret_cast<const unsigned char*>(c.bytes.data()), first, size), c.binary)
            << c.name;
    }
}

// Reads one record and returns its facet block in the TEXT form.
std::string write_record(const FloatFacet& record) {
    const std::string bytes = binary_stl("", {record}).substr(84);
    Facet facet;
    read_binary_facet(reinterpret_cast<const unsigned char*>(bytes.data()), facet);
    std::FILE* stream = std::tmpfile();
    {
        TextOutput file(stream);
        write_facet_lines(file, "nrml", "trng", facet);
        file.flush();
    }
    const std::string text = testing::stream_text(stream);
    std::fclose(stream);
    return text;
}

TEST(ReadBinaryFacet, ZeroNormalBecomesTheNormalOfTheVertices) {
    struct Case {
        FloatFacet facet;
        const char* normal_line;
    };
    const Case cases[] = {
        // Counter-clockwise seen from +z.
        {{{0, 0, 0}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}, "nrml 0.000000 0.000000 1.000000\r\n"},
        // Clockwise, negative zeros, away from the origin.
        {{{-0.0f, -0.0f, -0.0f}, {{5, 5, 3}, {5, 7, 3}, {7, 5, 3}}},
         "nrml 0.000000 0.000000 -1.000000\r\n"},
        // A tilted facet: (1, 0, 0) x (0, -4, 3) = (0, -3, -4).
        {{{0, 0, 0}, {{0, 0, 0}, {1, 0, 0}, {0, -4, 3}}}, "nrml 0.000000 -0.600000 -0.800000\r\n"},
        // All three in line: the zero cross product divides into NaN.
        {{{0, 0, 0}, {{0, 0, 0}, {0, 0, 5}, {0, 0, 10}}}, "nrml -1.#IND00 -1.#IND00 -1.#IND00\r\n"},
        // A stored normal that is not zero is only made unit, never replaced.
        {{{0, 3, 4}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}, "nrml 0.000000 0.600000 0.800000\r\n"},
    };
    for (const Case& c : cases) {
        const std::string text = write_record(c.facet);
        EXPECT_TRUE(text.starts_with(std::string("\r\n") + c.normal_line)) << text;
    }
}

}  // namespace
}  // namespace trimora
