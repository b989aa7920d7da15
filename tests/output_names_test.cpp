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

}  // namespace
}  // namespace trimora
