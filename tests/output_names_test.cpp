// Output names: the last extension replaced.
#include "cli/output_names.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace trimora {
namespace {

TEST(OutputNames, ReplaceTheLastExtensionOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"part.stl", "part.kpf"},
        {"my.part.v2.stl", "my.part.v2.kpf"},
        {"part", "part.kpf"},
        {"dir.v1/part", "dir.v1/part.kpf"},
        {"dir.v1/part.STL", "dir.v1/part.kpf"},
        {".stl", ".stl.kpf"},
        {"dir/.stl", "dir/.stl.kpf"},
        {"part.", "part.kpf"},
        {"..", "...kpf"},
        {"a\\b.c\\part.stl", "a\\b.c\\part.kpf"},
    };
    for (const auto& [input, output] : cases) {
        EXPECT_EQ(replace_last_extension(input), output) << input;
    }
    // No 127-character cut.
    EXPECT_EQ(replace_last_extension(std::string(300, 'n') + ".stl"), std::string(300, 'n') + ".kpf");
}

// In an output folder: the path below the folder argument, or the last part of a name given.
TEST(OutputNames, InAFolderKeepTheTreeBelowTheFolderArgument) {
    const char* const cases[][4] = {
        // folder, input, below, output
        {"out", "parts/a/x.stl", "a/x.stl", "out/a/x.kpf"},
        {"out/", "parts/a/b/x.obj.gz", "a/b/x.obj.gz", "out/a/b/x.kpf"},
        {"out", "parts/x.stl", "x.stl", "out/x.kpf"},
        {"out\\", "one/two/x.stl", "", "out\\x.kpf"},
        {"out", "x", "", "out/x.kpf"},
    };
    for (const auto& [folder, input, below, output] : cases) {
        EXPECT_EQ(output_in_folder(folder, input, below), output) << input;
    }
    EXPECT_EQ(output_in_folder("out", "p/a/x.stl", "a/x.stl", "shp"), "out/a/x.shp");
}

}  // namespace
}  // namespace trimora
