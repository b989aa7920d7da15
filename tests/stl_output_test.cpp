// ASCII STL output: the facet block, and number text that reads back to the very same double.
#include "writers/stl_output.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "platform/text_output.h"
#include "platform/text_to_double.h"
#include "run_tool.h"

namespace trimora {
namespace {

std::string number(double value) {
    char text[32];
    return std::string(text, static_cast<std::size_t>(stl_number(value, text)));
}

TEST(StlOutput, NumbersAreTheShortestTextThatReadsBack) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"},       {-0.0, "-0"},     {0.1, "0.1"},          {-1.5, "-1.5"},
        {25.4, "25.4"},   {1e300, "1e+300"}, {5e-324, "5e-324"},
        {std::numeric_limits<double>::infinity(), "1e999"},
        {-std::numeric_limits<double>::infinity(), "-1e999"},
        {std::bit_cast<double>(std::uint64_t{0xFFF8000000000000}), "nan"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(number(value), text);
}

// Every finite double, and each infinity, reads back as itself through the
// STL coordinate reading.
TEST(StlOutput, NumbersReadBackAsTheSameDouble) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        const double value = std::bit_cast<double>(random());
        if (value != value) continue;
        const std::string text = number(value);
        const double back = text_to_double(text.c_str());
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(value)) << text;
    }
    for (double inf : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(text_to_double(number(inf).c_str()), inf);
    }
}

TEST(StlOutput, FacetBlockBetweenSolidAndEndsolid) {
    std::FILE* stream = std::tmpfile();
    {
        TextOutput file(stream);
        StlWriter writer(file);
        write_stl_header(file, "tri");
        EXPECT_EQ(writer.take_facet(Facet{0, 0, -1, {0, 1, 1}, {0, 0, 1}, {0.1, 0, -0.0}}), 1);
        write_stl_trailer(file, "tri");
        file.flush();
    }
    EXPECT_EQ(testing::stream_text(stream), testing::crlf("solid tri\n"
                                                          "  facet normal 0 0 -1\n"
                                                          "    outer loop\n"
                                                          "      vertex 0 0 0.1\n"
                                                          "      vertex 1 0 0\n"
                                                          "      vertex 1 1 -0\n"
                                                          "    endloop\n"
                                                          "  endfacet\n"
                                                          "endsolid tri\n"));
    std::fclose(stream);
}

}  // namespace
}  // namespace trimora
