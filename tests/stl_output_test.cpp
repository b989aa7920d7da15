// ASCII STL output: the facet block, and number text that reads back to the very same double.
#include "writers/stl_output.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/format_lf.h"
#include "platform/nan_rules.h"
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

// The six-decimal text of each component of v divided by its length, as a
// facet line's normal is read and written to KPF.
std::string kpf_normal(const double v[3]) {
    using namespace nan_rules;
    const double length = square_root(add(add(multiply(v[0], v[0]), multiply(v[1], v[1])), multiply(v[2], v[2])));
    std::string text;
    for (int i = 0; i < 3; ++i) {
        char digits[kLfBufferSize];
        format_lf(divide(v[i], length), digits);
        text += std::string(digits) + " ";
    }
    return text;
}

// A unit normal rounded to six decimals, as KPF holds it, read back and
// written as STL, reads back as the same six decimals. Normals near an
// axis, with zero components of either sign, and random ones; a unit
// normal is written as it is.
TEST(StlOutput, NormalsFromKpfReadBackWithTheSameSixDecimals) {
    std::mt19937_64 random(11);
    std::normal_distribution<double> gauss;
    std::vector<std::array<double, 3>> units = {
        {0, 0, 1}, {-0.0, 0, -1}, {1e-7, -3e-7, 1}, {0.6, 0.8, 0}, {-0.6, -0.0, 0.8},
        {0.1738083362, -0.9847794771, 0}, {4e-7, 0.9999999, 2e-7}, {0.57735, 0.57735, 0.57735},
    };
    for (int i = 0; i < 200000; ++i) {
        std::array<double, 3> v{gauss(random), gauss(random), gauss(random)};
        if (i % 3 == 0) v[i % 2] *= 1e-7;  // one component near zero
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        units.push_back({v[0] / length, v[1] / length, v[2] / length});
    }
    int moved = 0;
    for (const auto& unit : units) {
        const std::string text = kpf_normal(unit.data());
        // What a KPF reader holds: each component's six decimals as a double.
        double rounded[3];
        for (int i = 0; i < 3; ++i) {
            char digits[kLfBufferSize];
            format_lf(unit[i], digits);
            rounded[i] = text_to_double(digits);
        }
        double written[3];
        stl_normal(rounded, written);
        // Through STL text, which reads back as the same doubles.
        ASSERT_EQ(kpf_normal(written), text) << text;
        if (written[0] != rounded[0] || written[1] != rounded[1] || written[2] != rounded[2]) ++moved;
        double same[3];
        stl_normal(unit.data(), same);
        ASSERT_TRUE(same[0] == unit[0] && same[1] == unit[1] && same[2] == unit[2]) << text;
    }
    EXPECT_GT(moved, 1000);  // most rounded normals read back unmoved; these are what is tested
}

TEST(StlOutput, NormalsThatNoUnitVectorRoundsToAreKept) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::bit_cast<double>(std::uint64_t{0xFFF8000000000000});
    const double cases[][3] = {{0, 0, 0}, {0.5, 0, 0}, {2, 0, 0}, {inf, 0, 0}, {nan, 0, 1}, {1e300, 1e300, 0}};
    for (const auto& normal : cases) {
        double written[3];
        stl_normal(normal, written);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(written[i]), std::bit_cast<std::uint64_t>(normal[i]));
        }
    }
}

TEST(StlOutput, FacetBlockBetweenSolidAndEndsolid) {
    std::FILE* stream = std::tmpfile();
    {
        TextOutput file(stream);
        StlWriter writer(file);
        write_stl_header(file, "tri");
        EXPECT_EQ(writer.take_facet(Facet{{{0, 0, 0.1}, {1, 0, 0}, {1, 1, -0.0}}, {0, 0, -1}, true}), 1);
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
