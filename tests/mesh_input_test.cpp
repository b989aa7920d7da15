// Inputs opened the one way: their kind decided, the gzip layer their kind asks for, their reader.
#include "readers/mesh_input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "compressed_files.h"
#include "stl_files.h"
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

// Every input is opened the one way: its kind by its name, or by --from when
// the name tells none; STL told ASCII or binary by the file's size.
TEST(MeshInput, OpensEveryKindTheOneWay) {
    TempDir dir;
    const std::string binary = binary_stl("solid b", {{{0, 0, 1}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}});
    write_file(dir / "a.obj", kObj);
    write_file(dir / "b.obj.gz", gzip_bytes(kObj + kObj, 2));
    write_file(dir / "c.obj.gz", kObj);
    write_file(dir / "d.stl", binary);
    write_file(dir / "e.stl.gz", gzip_bytes(binary));
    write_file(dir / "f.mesh", kObj);
    write_file(dir / "g.stl", binary + std::string(50, '\n'));
    write_file(dir / "h.stl", gzip_bytes(binary));
    write_file(dir / "i.obj", std::string("\xFF\xFEv\0 \0", 6));
    write_file(dir / "j.stl", binary_stl("\xFF\xFE", {{{0, 0, 1}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}}));
    struct Case {
        const char* file;
        std::optional<InputKind> from;
        const char* read;
        bool legacy = false;  // by the name alone, as the two-word command line reads
    };
    const Case cases[] = {
        {"a.obj", std::nullopt, "1 obj\n"},
        {"b.obj.gz", std::nullopt, "2 obj\n"},
        {"c.obj.gz", std::nullopt, "0 obj cut\nCompressed data corrupt [incorrect header check] in [c.obj.gz]\n"},
        {"d.stl", std::nullopt, "1 stl-binary\n"},
        {"e.stl.gz", std::nullopt, "1 stl-binary\n"},
        // --from names the kind only where the name tells none.
        {"f.mesh", InputKind{MeshFormat::kObj, false}, "1 obj\n"},
        {"a.obj", InputKind{MeshFormat::kOff, false}, "1 obj\n"},
        // A whole record more than its count: no binary file by its size, but
        // binary by its bytes; the two-word command line reads it as text.
        {"g.stl", std::nullopt, "1 stl-binary\nData after the last record: [g.stl]\n"},
        {"g.stl", std::nullopt, "0 stl-ascii\nUnknown code word [?] on line 2\n", true},
        // gzip by its bytes, whatever the name says; not for the two-word command line.
        {"h.stl", std::nullopt, "1 stl-binary\n"},
        {"h.stl", std::nullopt, "0 stl-ascii\n", true},
        // UTF-16 text is refused in one line, unless the file's size makes it binary STL.
        {"i.obj", std::nullopt, "0 obj cut\nUTF-16 text is not read in [i.obj]\n"},
        {"j.stl", std::nullopt, "1 stl-binary\n"},
    };
    for (const Case& c : cases) {
        MeshInput input;
        InputRequest request;
        const std::string path = utf8(dir / c.file);
        request.path = path.c_str();
        request.name = c.file;
        request.from = c.from;
        request.legacy = c.legacy;
        ASSERT_TRUE(input.open(request)) << c.file;
        EXPECT_EQ(read_through(input.reader()), c.read) << c.file;
    }
    MeshInput missing;
    InputRequest request;
    const std::string none = utf8(dir / "none.obj");
    request.path = none.c_str();
    request.name = "none.obj";
    EXPECT_FALSE(missing.open(request));
    MeshInput folder;
    const std::string folder_path = utf8(dir.path());
    request.path = folder_path.c_str();
    EXPECT_FALSE(folder.open(request));
}

}  // namespace
}  // namespace trimora::testing
