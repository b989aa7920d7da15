// OFF header words, counts, comments, polygons and extra columns, and the problems of bad files.
#include <gtest/gtest.h>

#include <string>

#include "mesh_files.h"

namespace trimora::testing {
namespace {

struct Case {
    const char* what;
    std::string input;
    std::string steps;  // as steps_text writes them
    bool read_to_end;
};

const std::string kVertices = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n";
const std::string kTwoFacets = "0 0 0 | 1 0 0 | 1 1 0\n0 0 0 | 1 1 0 | 0 1 0\n";

TEST(OffReader, GivesTheFacetsAndProblemsOfEachFile) {
    const Case cases[] = {
        {"a quad", "OFF\n4 1 4\n" + kVertices + "4 0 1 2 3\n", kTwoFacets, true},
        {"comments and blank lines anywhere", "# made by hand\nOFF # the word\n\n4 2 0 # counts\n# vertices\n" +
                                                 kVertices + "\n3 0 1 2 # first\n3 0 2 3\n",
         kTwoFacets, true},
        {"COFF colours are ignored", "COFF\n4 2 0\n0 0 0 255 0 0 255\n1 0 0 1 1 1 1\n1 1 0 0 0 0 0\n0 1 0 1 2 3 4\n"
                                     "3 0 1 2 255 0 0\n3 0 2 3 0.5 0.5 0.5 1\n",
         kTwoFacets, true},
        {"NOFF, CNOFF and STOFF words", "CNOFF\n4 2 0\n" + kVertices + "3 0 1 2\n3 0 2 3\n", kTwoFacets, true},
        {"STCNOFF", "STCNOFF\n4 2 0\n" + kVertices + "3 0 1 2\n3 0 2 3\n", kTwoFacets, true},
        {"counts on the header line", "OFF 4 2 0\n" + kVertices + "3 0 1 2\n3 0 2 3\n", kTwoFacets, true},
        {"no header word, counts first, no edge count", "4 2\n" + kVertices + "3 0 1 2\n3 0 2 3\n", kTwoFacets, true},
        {"tabs and CR LF", "OFF\r\n4\t2\t0\r\n0 0 0\r\n1\t0 0\r\n1 1 0\r\n0 1 0\r\n3 0 1 2\r\n3\t0 2 3\r\n", kTwoFacets,
         true},
        {"lines after the faces are not read", "OFF\n3 1 0\n0 0 0\n1 0 0\n1 1 0\n3 0 1 2\nthe end\n",
         "0 0 0 | 1 0 0 | 1 1 0\n", true},
        {"no vertices and no faces", "OFF\n0 0 0\n", "", true},
        {"an index out of range", "OFF\n4 2 0\n" + kVertices + "3 0 1 4\n3 0 2 3\n",
         "Vertex index out of range [4] in [m.off] on line 7\n0 0 0 | 1 1 0 | 0 1 0\n", true},
        {"a negative index", "OFF\n4 1 0\n" + kVertices + "3 0 -1 2\n",
         "Vertex index out of range [-1] in [m.off] on line 7\n", true},
        {"a word for an index", "OFF\n4 1 0\n" + kVertices + "3 0 one 2\n", "Bad vertex index [one] in [m.off] on line 7\n",
         true},
        {"a face of two vertices", "OFF\n4 2 0\n" + kVertices + "2 0 1\n3 0 2 3\n",
         "Face with fewer than three vertices [2] in [m.off] on line 7\n0 0 0 | 1 1 0 | 0 1 0\n", true},
        {"a face with fewer indices than it counts", "OFF\n4 2 0\n" + kVertices + "4 0 1 2\n3 0 2 3\n",
         "Face with fewer indices than its count [4] in [m.off] on line 7\n0 0 0 | 1 1 0 | 0 1 0\n", true},
        {"a bad face size", "OFF\n4 2 0\n" + kVertices + "three 0 1 2\n3 0 2 3\n",
         "Bad list count [three] in [m.off] on line 7\n0 0 0 | 1 1 0 | 0 1 0\n", true},
        {"fewer faces than counted", "OFF\n4 3 0\n" + kVertices + "3 0 1 2\n3 0 2 3\n",
         kTwoFacets + "Data ends after [2] of [3] [face] elements in [m.off] on line 8\n", true},
        {"fewer vertices than counted", "OFF\n5 1 0\n" + kVertices,
         "Data ends after [4] of [5] [vertex] elements in [m.off] on line 6\n", true},
        // The count as the file writes it, not as it is kept.
        {"fewer vertices than a count beyond 2^62", "OFF\n99999999999999999999999 1 0\n" + kVertices,
         "Data ends after [4] of [99999999999999999999999] [vertex] elements in [m.off] on line 6\n", true},
        {"a short vertex keeps its place", "OFF\n3 1 0\n0 0 0\n1\n1 1 0\n3 0 1 2\n",
         "Vertex with fewer than three coordinates [1] in [m.off] on line 4\n0 0 0 | 1 0 0 | 1 1 0\n", true},
        {"a four-dimensional file", "4OFF\n1 0 0\n1 2 3 4\n", "Bad OFF header [4OFF] in [m.off] on line 1\n", false},
        {"a binary file", "OFF BINARY\n", "Bad OFF header [OFF BINARY] in [m.off] on line 1\n", false},
        {"another word", "PLY\n4 2 0\n", "Bad OFF header [PLY] in [m.off] on line 1\n", false},
        {"bad counts", "OFF\n4 x 0\n", "Bad counts line [4 x 0] in [m.off] on line 2\n", false},
        {"negative counts", "OFF\n-4 2 0\n", "Bad counts line [-4 2 0] in [m.off] on line 2\n", false},
        {"no counts", "OFF\n# nothing\n", "Bad counts line [] in [m.off] on line 2\n", false},
        {"an empty file", "", "Bad OFF header [] in [m.off]\n", false},
    };
    for (const Case& c : cases) {
        const ReadBack read = read_back(MeshFormat::kOff, c.input, "m.off");
        EXPECT_EQ(steps_text(read), c.steps) << c.what;
        EXPECT_EQ(read.read_to_end, c.read_to_end) << c.what;
        EXPECT_EQ(read.format_name, "off") << c.what;
    }
}

}  // namespace
}  // namespace trimora::testing
