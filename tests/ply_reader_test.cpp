// PLY headers, value types, byte orders, element order and skipping, and the problems of bad files.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "mesh_files.h"

namespace trimora::testing {
namespace {

struct Case {
    const char* what;
    std::string input;
    std::string steps;  // as steps_text writes them
    bool read_to_end;
    const char* format_name;
};

const std::string kHeader = "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\n"
                            "property float z\nelement face 2\nproperty list uchar int vertex_indices\nend_header\n";
const std::string kVertices = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n";
const std::string kTwoFacets = "0 0 0 | 1 0 0 | 1 1 0\n0 0 0 | 1 1 0 | 0 1 0\n";

// The little-endian bytes of a value of size bytes.
std::string le(std::uint64_t value, int size) {
    std::string bytes;
    for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}
std::string be(std::uint64_t value, int size) {
    std::string bytes = le(value, size);
    return std::string(bytes.rbegin(), bytes.rend());
}

// The same two triangles in binary: one vertex property of each type, a face list of each index type.
std::string typed_binary(bool big) {
    const auto put = [big](std::uint64_t value, int size) { return big ? be(value, size) : le(value, size); };
    std::string text = std::string("ply\nformat ") + (big ? "binary_big_endian" : "binary_little_endian") +
                       " 1.0\nelement vertex 3\nproperty int8 x\nproperty uint16 y\nproperty double z\n"
                       "property uint a\nproperty short b\nproperty float c\n"
                       "element face 2\nproperty list uint8 int16 vertex_indices\nproperty list uint32 char other\n"
                       "end_header\r\n";
    const std::uint64_t doubles[] = {0x3FF0000000000000, 0x8000000000000000, 0x4000000000000000};  // 1, -0, 2
    const std::uint64_t xs[] = {0xFF, 0x7F, 0x80};  // -1, 127, -128
    for (int i = 0; i < 3; ++i) {
        text += put(xs[i], 1) + put(static_cast<std::uint64_t>(65535 - i), 2) + put(doubles[i], 8);
        text += put(7, 4) + put(9, 2) + put(0x3F800000, 4);
    }
    text += put(3, 1) + put(0, 2) + put(1, 2) + put(2, 2) + put(2, 4) + "ab";
    text += put(3, 1) + put(2, 2) + put(1, 2) + put(0, 2) + put(0, 4);
    return text;
}

TEST(PlyReader, GivesTheFacetsAndProblemsOfEachFile) {
    const Case cases[] = {
        {"ascii, two triangles", kHeader + kVertices + "3 0 1 2\n3 0 2 3\n", kTwoFacets, true, "ply-ascii"},
        {"ascii, a quad", "ply\r\nformat ascii 1.0\r\ncomment hi\r\nelement vertex 4\r\nproperty double x\r\n"
                          "property double y\r\nproperty double z\r\nelement face 1\r\n"
                          "property list int uint vertex_index\r\nend_header\r\n0 0 0\r\n1 0 0\r\n1 1 0\r\n0 1 0\r\n"
                          "4 0 1 2 3\r\n",
         kTwoFacets, true, "ply-ascii"},
        {"values run over lines", kHeader + "0 0 0 1 0\n0 1 1 0 0 1 0\n3 0 1\n2 3 0 2 3\n", kTwoFacets, true, "ply-ascii"},
        {"binary, every type, little-endian", typed_binary(false),
         "-1 65535 1 | 127 65534 -0 | -128 65533 2\n-128 65533 2 | 127 65534 -0 | -1 65535 1\n", true,
         "ply-binary"},
        {"binary, every type, big-endian", typed_binary(true),
         "-1 65535 1 | 127 65534 -0 | -128 65533 2\n-128 65533 2 | 127 65534 -0 | -1 65535 1\n", true,
         "ply-binary"},
        {"faces before vertices", "ply\nformat ascii 1.0\nelement face 1\nproperty list uchar int vertex_indices\n"
                                  "element vertex 3\nproperty float x\nproperty float y\nproperty float z\nend_header\n"
                                  "3 2 1 0\n0 0 0\n1 0 0\n1 1 0\n",
         "1 1 0 | 1 0 0 | 0 0 0\n", true, "ply-ascii"},
        {"no faces at all", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\n"
                            "property float z\nend_header\n1 2 3\n",
         "", true, "ply-ascii"},
        {"an element without properties holds nothing", "ply\nformat binary_little_endian 1.0\n"
                                                         "element nothing 4000000000\nend_header\n",
         "", true, "ply-binary"},
        {"an index out of range", kHeader + kVertices + "3 0 1 4\n3 0 2 3\n",
         "Vertex index out of range [4] in [scan.ply] on line 14\n0 0 0 | 1 1 0 | 0 1 0\n", true, "ply-ascii"},
        {"a negative index and a fraction", kHeader + kVertices + "3 0 -1 2\n3 0 2.5 3\n",
         "Vertex index out of range [-1] in [scan.ply] on line 14\nBad vertex index [2.5] in [scan.ply] on line 15\n",
         true, "ply-ascii"},
        {"faces of two vertices", kHeader + kVertices + "2 0 1\n3 0 2 3\n",
         "Face with fewer than three vertices [2] in [scan.ply] on line 14\n0 0 0 | 1 1 0 | 0 1 0\n", true,
         "ply-ascii"},
        {"a bad list count skips its line", kHeader + kVertices + "x 0 1 2\n3 0 2 3\n",
         "Bad list count [x] in [scan.ply] on line 14\n0 0 0 | 1 1 0 | 0 1 0\n", true, "ply-ascii"},
        {"ascii data shorter than its counts", kHeader + kVertices + "3 0 1 2\n",
         "0 0 0 | 1 0 0 | 1 1 0\nData ends after [1] of [2] [face] elements in [scan.ply] on line 14\n", true,
         "ply-ascii"},
        {"vertices cut short", kHeader + "0 0 0\n1 0",
         "Data ends after [1] of [4] [vertex] elements in [scan.ply] on line 11\n", true, "ply-ascii"},
        {"a count beyond 2^62 quoted as written",
         std::regex_replace(kHeader, std::regex("vertex 4"), "vertex 099999999999999999999999") + "0 0 0\n1 0",
         "Data ends after [1] of [099999999999999999999999] [vertex] elements in [scan.ply] on line 11\n", true,
         "ply-ascii"},
        {"binary data cut short", typed_binary(false).substr(0, typed_binary(false).size() - 3),
         "-1 65535 1 | 127 65534 -0 | -128 65533 2\nBinary PLY data cut short in [scan.ply]\n", false, "ply-binary"},
        {"a huge binary list count", "ply\nformat binary_little_endian 1.0\nelement face 1\n"
                                     "property list uint int vertex_indices\nend_header\n" + le(0xFFFFFFFF, 4) + "abcd",
         "Binary PLY data cut short in [scan.ply]\n", false, "ply-binary"},
        {"a negative binary list count", "ply\nformat binary_little_endian 1.0\nelement face 1\n"
                                         "property list char int vertex_indices\nend_header\n" + le(0xFF, 1),
         "Bad list count [-1] in [scan.ply]\n", false, "ply-binary"},
        {"no header", "solid x\n", "No PLY header in [scan.ply]\n", false, "ply"},
        {"an empty file", "", "No PLY header in [scan.ply]\n", false, "ply"},
        {"a header without its end", "ply\nformat ascii 1.0\nelement vertex 1\n",
         "PLY header without end_header in [scan.ply]\n", false, "ply"},
        {"an unknown format", "ply\nformat binary_middle_endian 1.0\nend_header\n",
         "Bad PLY header line [format binary_middle_endian 1.0] in [scan.ply] on line 2\n", false, "ply"},
        {"an unknown type", "ply\nformat ascii 1.0\nelement vertex 1\nproperty int64 x\nend_header\n",
         "Bad PLY header line [property int64 x] in [scan.ply] on line 4\n", false, "ply"},
        {"a property before any element", "ply\nformat ascii 1.0\nproperty float x\nend_header\n",
         "Bad PLY header line [property float x] in [scan.ply] on line 3\n", false, "ply"},
        {"a bad element count", "ply\nformat ascii 1.0\nelement vertex -3\nend_header\n",
         "Bad PLY header line [element vertex -3] in [scan.ply] on line 3\n", false, "ply"},
        // A line of an unknown word is told and skipped; the rest of the file is read.
        {"an unknown header line", "ply\nformat ascii 1.0\nauthor someone\n" + kHeader.substr(21) + kVertices +
                                       "3 0 1 2\n3 0 2 3\n",
         "Unknown PLY header line [author someone] in [scan.ply] on line 3\n" + kTwoFacets, true, "ply-ascii"},
        {"an unknown header line in binary", "ply\nformat binary_little_endian 1.0\nelement vertex 3\n"
                                             "property uchar x\nproperty uchar y\nproperty uchar z\nobj_data x\n"
                                             "element face 1\nproperty list uchar uchar vertex_indices\n"
                                             "end_header\n" + std::string("\0\0\0\1\0\0\1\1\0\3\0\1\2", 13),
         "Unknown PLY header line [obj_data x] in [scan.ply] on line 7\n0 0 0 | 1 0 0 | 1 1 0\n", true, "ply-binary"},
        {"no format line", "ply\nelement vertex 0\nend_header\n",
         "Bad PLY header line [end_header] in [scan.ply] on line 3\n", false, "ply"},
        {"vertices without z", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\n"
                               "end_header\n1 2\n",
         "PLY element lacks property [vertex.z] in [scan.ply]\n", false, "ply-ascii"},
        {"faces without indices", "ply\nformat ascii 1.0\nelement face 1\nproperty list uchar int corners\n"
                                  "end_header\n3 0 1 2\n",
         "PLY element lacks property [face.vertex_indices] in [scan.ply]\n", false, "ply-ascii"},
    };
    for (const Case& c : cases) {
        const ReadBack read = read_back(MeshFormat::kPly, c.input, "scan.ply");
        EXPECT_EQ(steps_text(read), c.steps) << c.what;
        EXPECT_EQ(read.read_to_end, c.read_to_end) << c.what;
        EXPECT_EQ(read.format_name, c.format_name) << c.what;
    }
}

// The check of a compressed file is at its end, after the last element.
TEST(PlyReader, ReadsACompressedFileToItsCheck) {
    const std::string text = kHeader + kVertices + "3 0 1 2\n3 0 2 3\n" + "data after the elements\n";
    std::string bytes = gzip_bytes(text);
    EXPECT_EQ(steps_text(read_back(MeshFormat::kPly, bytes, "scan.ply.gz", true)), kTwoFacets);
    bytes[bytes.size() - 8] ^= 1;  // the CRC
    const ReadBack read = read_back(MeshFormat::kPly, bytes, "scan.ply.gz", true);
    EXPECT_EQ(steps_text(read), kTwoFacets + "Compressed data corrupt [incorrect data check] in [scan.ply.gz]\n");
    EXPECT_FALSE(read.read_to_end);
}

}  // namespace
}  // namespace trimora::testing
