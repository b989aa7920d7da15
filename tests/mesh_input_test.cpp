// Mesh files opened by name or as a stream, with the gzip layer their kind asks for.
#include "readers/mesh_input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "compressed_files.h"
#include "run_tool.h"

namespace trimora::testing {
namespace {

const std::string kObj = "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n";

// The facet count and problems of the input's reader, read to its end.
std::string read_through(MeshReader& reader) {
    int facets = 0;
    std::string problems;
    for (ReadStep step; (step = reader.next()) != ReadStep::kEnd;) {
        if (step == ReadStep::kFacet) {
            ++facets;
        } else {
            problems += reader.problem() + "\n";
        }
    }
    return std::to_string(facets) + " " + reader.format_name() + (reader.read_to_end() ? "" : " cut") + "\n" +
           problems;
}

TEST(MeshInput, OpensFilesWithTheirGzipLayer) {
    TempDir dir;
    write_file(dir / "a.obj", kObj);
    write_file(dir / "b.obj.gz", gzip_bytes(kObj + kObj, 2));
    write_file(dir / "c.obj.gz", kObj);
    struct Case {
        const char* file;
        InputKind kind;
        const char* read;
    };
    const Case cases[] = {
        {"a.obj", {MeshFormat::kObj, false}, "1 obj\n"},
        {"b.obj.gz", {MeshFormat::kObj, true}, "2 obj\n"},
        {"c.obj.gz", {MeshFormat::kObj, true},
         "0 obj cut\nCompressed data corrupt [incorrect header check] in [c.obj.gz]\n"},
    };
    for (const Case& c : cases) {
        MeshInput input;
        ASSERT_TRUE(input.open(utf8(dir / c.file).c_str(), c.kind, c.file)) << c.file;
        EXPECT_EQ(read_through(input.reader()), c.read) << c.file;
    }
    MeshInput missing;
    EXPECT_FALSE(missing.open(utf8(dir / "none.obj").c_str(), {MeshFormat::kObj, false}, "none.obj"));
    // STL has no reader here: its bytes are the converter's to read.
    MeshInput stl;
    ASSERT_TRUE(stl.open(utf8(dir / "a.obj").c_str(), {MeshFormat::kStl, false}, "a.obj"));
    char first[4] = {};
    EXPECT_EQ(stl.source().read(first, 3), 3u);
    EXPECT_EQ(std::string(first), read_file(dir / "a.obj").substr(0, 3));
}

TEST(MeshInput, ReadsAStreamAfterItsFirstBytes) {
    TempDir dir;
    const std::string bytes = gzip_bytes(kObj);
    write_file(dir / "rest.gz", bytes.substr(10));
    std::FILE* stream = std::fopen(utf8(dir / "rest.gz").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    {
        MeshInput input;
        input.attach(stream, bytes.data(), 10, {MeshFormat::kObj, true}, "-");
        EXPECT_EQ(read_through(input.reader()), "1 obj\n");
    }
    EXPECT_EQ(std::fclose(stream), 0);
}

}  // namespace
}  // namespace trimora::testing
