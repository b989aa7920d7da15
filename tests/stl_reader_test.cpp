// The ASCII and binary STL readers: the code-word state machine's facets and problems, and binary records.
#include <gtest/gtest.h>

#include <string>

#include "mesh_files.h"
#include "stl_files.h"

namespace trimora::testing {
namespace {

struct Case {
    const char* what;
    std::string input;
    std::string steps;  // as steps_text writes them
    int facet_count;    // the facet lines, well-formed or not
};

const std::string kLoop = "outer loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\nendloop\nendfacet\n";

TEST(StlReader, GivesTheFacetsAndProblemsOfEachAsciiFile) {
    const Case cases[] = {
        {"the worked example", "solid tri\nfacet normal 0 0 -2\n" + kLoop + "endsolid tri\n",
         "0 0 0 | 1 0 0 | 1 1 0 n 0 0 -1\n", 1},
        {"capitals, tabs, CR LF and a d exponent", "SOLID\r\n\tFACET\tNORMAL 0 3d0 4\r\n OUTER LOOP\r\n"
                                                   "VERTEX 1d2 .5 5.\r\nVERTEX 0 0 0\r\nVERTEX 1 1 1\r\nENDLOOP\r\n",
         "100 0.5 5 | 0 0 0 | 1 1 1 n 0 0.6 0.8\n", 1},
        {"two vertices at the end of a facet", "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\n",
         "Wrong number of vertices [2] at line 5\n", 1},
        {"a second endloop", "facet normal 0 0 1\n" + kLoop + "endloop\n",
         "0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\nWrong number of vertices [0] at line 8\n", 1},
        {"a fourth vertex is reported and left out",
         "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\nvertex 9 9 9\nendloop\n",
         "Too many vertices at line 6\n0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\n", 1},
        {"the normal carries over a facet line without one",
         "facet normal 0 3 4\n" + kLoop + "facet\n" + kLoop,
         "0 0 0 | 1 0 0 | 1 1 0 n 0 0.6 0.8\nUnexpected code word [] on line 8\n0 0 0 | 1 0 0 | 1 1 0 n 0 0.6 0.8\n",
         2},
        {"vertices before any outer line collect all the same", "vertex 1 2 3\nvertex 4 5 6\nvertex 7 8 9\nendloop\n",
         "1 2 3 | 4 5 6 | 7 8 9 n 0 0 1\n", 0},
        {"words out of place", "ascii\nnormal 1 2 3\nloop\nbogus words\nfacet nrml 1 2 3\n",
         "Unexpected default case [ascii] on line 1\nUnexpected default case [normal] on line 2\n"
         "Unexpected default case [loop] on line 3\nUnknown code word [bogus] on line 4\n"
         "Unexpected code word [nrml] on line 5\n",
         1},
        {"a line of 127 characters counts its line end as another line",
         std::string(127, ' ') + "\nbogus\n", "Unknown code word [bogus] on line 3\n", 0},
        {"the end byte ends the input", "facet normal 0 0 1\n" + kLoop + "\x1a" + "bogus\n",
         "0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\n", 1},
        {"nothing at all", "", "", 0},
    };
    for (const Case& c : cases) {
        const ReadBack read = read_back(MeshFormat::kStl, c.input, "part.stl");
        EXPECT_EQ(steps_text(read), c.steps) << c.what;
        EXPECT_EQ(read.facet_count, c.facet_count) << c.what;
        EXPECT_TRUE(read.read_to_end) << c.what;
        EXPECT_EQ(read.format_name, "stl-ascii") << c.what;
    }
}

// Without a size to go by (a stream, decompressed data) the first bytes tell
// a binary file, and what follows its records is looked at.
TEST(StlReader, GivesTheRecordsOfEachBinaryStream) {
    const FloatFacet facet{{0, 0, 2}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}};
    const FloatFacet zero_normal{{0, 0, 0}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}};
    struct BinaryCase {
        const char* what;
        std::string input;
        std::string steps;
        bool read_to_end;
        bool legacy = false;  // the reading of the two-word command line
    };
    const BinaryCase cases[] = {
        {"a record made unit", binary_stl("solid x", {facet}), "0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\n", true},
        {"a zero normal is the vertices' to make", binary_stl("solid x", {zero_normal}), "0 0 0 | 1 0 0 | 1 1 0\n",
         true},
        {"a stray newline after the records", binary_stl("", {facet}, "\n"), "0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\n",
         true},
        {"a whole record more", binary_stl("", {facet}, std::string(50, 'x')),
         "0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\nData after the last record: [part.stl]\n", true},
        {"fewer records than the count", binary_stl("", 3, {facet}),
         "0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\nBinary STL cut short after [1] of [3] facets in [part.stl]\n", true},
        {"fewer records than the count, two-word command line", binary_stl("", 3, {facet}),
         "0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\nCannot read file: [part.stl]\n", false, true},
        {"a whole record more, two-word command line", binary_stl("", {facet}, std::string(50, 'x')),
         "0 0 0 | 1 0 0 | 1 1 0 n 0 0 1\nData after the last record: [part.stl]\n", true, true},
        {"no records", binary_stl("", {}), "", true},
    };
    for (const BinaryCase& c : cases) {
        ReaderOptions options;
        options.legacy = c.legacy;
        const ReadBack read = read_back(MeshFormat::kStl, c.input, "part.stl", false, options);
        EXPECT_EQ(steps_text(read), c.steps) << c.what;
        EXPECT_EQ(read.read_to_end, c.read_to_end) << c.what;
        EXPECT_EQ(read.format_name, "stl-binary") << c.what;
        EXPECT_EQ(read.facet_count, static_cast<int>(read.facets.size())) << c.what;
    }
}

}  // namespace
}  // namespace trimora::testing
