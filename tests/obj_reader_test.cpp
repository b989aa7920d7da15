// OBJ statements, face forms, relative indices and continued lines, and the problems of bad faces.
#include <gtest/gtest.h>

#include <string>

#include "mesh_files.h"

namespace trimora::testing {
namespace {

struct Case {
    const char* what;
    std::string input;
    std::string steps;  // as steps_text writes them
};

const std::string kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

TEST(ObjReader, GivesTheFacetsAndProblemsOfEachStatement) {
    const Case cases[] = {
        {"a triangle", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n", "0 0 0 | 1 0 0 | 1 1 0\n"},
        {"a quad fans from its first vertex", kSquare + "f 1 2 3 4\n",
         "0 0 0 | 1 0 0 | 1 1 0\n0 0 0 | 1 1 0 | 0 1 0\n"},
        {"texture and normal indices are ignored", kSquare + "f 4/1/1 1//2 2/3\nfo 1/9 2/8 3/7\n",
         "0 1 0 | 0 0 0 | 1 0 0\n0 0 0 | 1 0 0 | 1 1 0\n"},
        {"negative indices count back from the vertices so far",
         "v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 5 5 5\nf -1 -4 -2\n",
         "0 0 0 | 1 0 0 | 1 1 0\n5 5 5 | 0 0 0 | 1 1 0\n"},
        {"w, colours and other statements are ignored",
         "mtllib a.mtl\no thing\nv 1 2 3 0.5\nvt 0.1 0.2\nvn 0 0 1\nvp 0.5\ng side\nusemtl red\ns off\n"
         "v 4 5 6 1 0 0\nv 7 8 9\nl 1 2\np 3\nf 1 2 3\n",
         "1 2 3 | 4 5 6 | 7 8 9\n"},
        {"a statement goes on after a backslash", kSquare + "f 1 \\\n 2 \\\n3\n", "0 0 0 | 1 0 0 | 1 1 0\n"},
        {"comments, blanks, tabs and CR LF", "# header\r\n\tv\t0 0 0\r\nv 1 0 0 # trailing\r\n\r\nv 1 1 0\r\n  f 1 2 3 # last\r\n",
         "0 0 0 | 1 0 0 | 1 1 0\n"},
        {"numbers read as STL coordinates", "v 1e3 -0 .5\nv 1.5d2 1,5 2.\nv +7 1e400 -1e-400\nf 1 2 3\n",
         "1000 -0 0.5 | 150 1 2 | 7 inf -0\n"},
        {"a last line without LF", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3", "0 0 0 | 1 0 0 | 1 1 0\n"},
        {"an index beyond the vertices so far", "v 0 0 0\nv 1 0 0\nf 1 2 3\nv 1 1 0\nf 1 2 3\n",
         "Vertex index out of range [3] in [part.obj] on line 3\n0 0 0 | 1 0 0 | 1 1 0\n"},
        {"a relative index before the first vertex", kSquare + "f -1 -4 -5\n",
         "Vertex index out of range [-5] in [part.obj] on line 5\n"},
        {"index 0 and words are no indices", kSquare + "f 0 1 2\nf 1 x/2 3\nf 1 2 3.5\nf 1 2 /3\n",
         "Bad vertex index [0] in [part.obj] on line 5\nBad vertex index [x] in [part.obj] on line 6\n"
         "Bad vertex index [3.5] in [part.obj] on line 7\nBad vertex index [] in [part.obj] on line 8\n"},
        {"faces of two vertices and none", kSquare + "f 1 2\nf\nf # nothing\n",
         "Face with fewer than three vertices [2] in [part.obj] on line 5\n"
         "Face with fewer than three vertices [0] in [part.obj] on line 6\n"
         "Face with fewer than three vertices [0] in [part.obj] on line 7\n"},
        {"a continued statement is named by its first line", kSquare + "f 1 \\\n 2 \\\n 9\nf 1 2 3\n",
         "Vertex index out of range [9] in [part.obj] on line 5\n0 0 0 | 1 0 0 | 1 1 0\n"},
        {"a short vertex keeps its place", "v 0 0 0\nv 1\nv 1 1 0\nf 1 2 3\n",
         "Vertex with fewer than three coordinates [1] in [part.obj] on line 2\n0 0 0 | 1 0 0 | 1 1 0\n"},
        {"huge indices", kSquare + "f 1 2 99999999999999999999999\nf 1 2 -99999999999999999999\n",
         "Vertex index out of range [99999999999999999999999] in [part.obj] on line 5\n"
         "Vertex index out of range [-99999999999999999999] in [part.obj] on line 6\n"},
        {"nothing at all", "", ""},
    };
    for (const Case& c : cases) {
        const ReadBack read = read_back(MeshFormat::kObj, c.input, "part.obj");
        EXPECT_EQ(steps_text(read), c.steps) << c.what;
        EXPECT_TRUE(read.read_to_end) << c.what;
        EXPECT_EQ(read.format_name, "obj") << c.what;
    }
}

TEST(ObjReader, ACutGzipStreamEndsTheReadingAsAFailure) {
    const std::string bytes = gzip_bytes(kSquare + "f 1 2 3\nf 1 3 4\n");
    const ReadBack read = read_back(MeshFormat::kObj, bytes.substr(0, bytes.size() - 4), "part.obj.gz", true);
    EXPECT_EQ(steps_text(read),
              "0 0 0 | 1 0 0 | 1 1 0\n0 0 0 | 1 1 0 | 0 1 0\nCompressed data cut short in [part.obj.gz]\n");
    EXPECT_FALSE(read.read_to_end);
}

}  // namespace
}  // namespace trimora::testing
