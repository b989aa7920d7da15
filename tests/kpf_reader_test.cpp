// KPF files read back: keyword sets, blocks, every number form the "%lf" text takes, wire frames refused.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <regex>
#include <string>

#include "mesh_files.h"
#include "platform/format_lf.h"
#include "platform/nan_rules.h"
#include "readers/kpf_numbers.h"
#include "run_tool.h"

namespace trimora::testing {
namespace {

struct Case {
    const char* what;
    std::string input;
    std::string steps;  // as steps_text writes them
    bool read_to_end;
};

const std::string kFacet = "\nnrml 0.000000 0.000000 -1.000000\ntrng 0.000000 0.000000 0.000000\n"
                           "nrml 0.000000 0.000000 -1.000000\ntrng 1.000000 0.000000 0.000000\n"
                           "nrml 0.000000 0.000000 -1.000000\ntrng 1.000000 1.000000 0.000000\n";
const std::string kFacetRead = "0 0 0 | 1 0 0 | 1 1 0 n 0 0 -1\n";

TEST(KpfReader, GivesTheFacetsAndProblemsOfEachFile) {
    const Case cases[] = {
        {"the worked example", crlf(header("tri.stl") + kTextFacet + trailer(1)), kFacetRead, true},
        {"number keywords", crlf(header("tri.stl") + kNumberFacet + trailer(1)), kFacetRead, true},
        {"LF lines and no header", kFacet + kFacet, kFacetRead + kFacetRead, true},
        {"lone CR lines, as older files end them",
         std::regex_replace(crlf(header("tri.stl") + kTextFacet + trailer(1)), std::regex("\r\n"), "\r"), kFacetRead,
         true},
        {"a problem on a lone CR line is on its line", "trng 0 0 0\rtrng 1 0 0\rtrng 1 x 0\r",
         "Bad number [x] in [part.kpf] on line 3\nFace with fewer than three vertices [2] in [part.kpf] on line 3\n",
         true},
        {"the first normal line is the facet's", "trng 0 0 0\nnrml 1 0 0\ntrng 1 0 0\nnrml 0 1 0\ntrng 1 1 0\n",
         "0 0 0 | 1 0 0 | 1 1 0 n 1 0 0\n", true},
        {"a facet without a normal line", "trng 0 0 0\ntrng 1 0 0\ntrng 1 1 0\n", "0 0 0 | 1 0 0 | 1 1 0\n", true},
        {"facets need no empty line between them", "4 0 0 0\n4 1 0 0\n4 1 1 0\n5 0 0 1\n4 2 0 0\n4 3 0 0\n4 3 3 0\n",
         "0 0 0 | 1 0 0 | 1 1 0\n2 0 0 | 3 0 0 | 3 3 0 n 0 0 1\n", true},
        {"the infinities and NaNs of the %lf text",
         "nrml -1.#IND00 1.#QNAN0 -1.#QNAN0\ntrng 1.#INF00 -1.#INF00 -0.000000\ntrng 0 0 0\ntrng 0 0 0\n",
         "inf -inf -0 | 0 0 0 | 0 0 0 n -nan nan -nan\n", true},
        {"an unfinished block", "\ntrng 0 0 0\ntrng 1 0 0\n" + kFacet,
         "Face with fewer than three vertices [2] in [part.kpf] on line 4\n" + kFacetRead, true},
        {"an unfinished block at the end", kFacet + "\ntrng 0 0 0\n",
         kFacetRead + "Face with fewer than three vertices [1] in [part.kpf] on line 9\n", true},
        {"a short line", "trng 0 0\ntrng 1 0 0\ntrng 1 1 0\n",
         "Vertex with fewer than three coordinates [2] in [part.kpf] on line 1\n"
         "Face with fewer than three vertices [2] in [part.kpf] on line 3\n",
         true},
        {"a bad number", "trng 0 0 x\nnrml 1.#INF\n",
         "Bad number [x] in [part.kpf] on line 1\nBad number [1.#INF] in [part.kpf] on line 2\n", true},
        {"another line", "$ File: x\nsolid part\n", "Unknown line [solid part] in [part.kpf] on line 2\n", true},
        {"a wire frame", crlf(header("tri.stl") + kWireFacet + trailer(1)),
         "Wire frame holds edges, not facets in [part.kpf] on line 6\n", false},
    };
    for (const Case& c : cases) {
        const ReadBack read = read_back(MeshFormat::kKpf, c.input, "part.kpf");
        EXPECT_EQ(steps_text(read), c.steps) << c.what;
        EXPECT_EQ(read.read_to_end, c.read_to_end) << c.what;
        EXPECT_EQ(read.format_name, "kpf") << c.what;
    }
}

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// Each number the "%lf" text gives comes back as a value with that same text.
TEST(KpfReader, EveryPrintedNumberReadsBackToTheSameText) {
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {0.0, -0.0, 1.0, -1.0, 12.3456785, 0.1234565, -0.0000004, 1e300, -1e300, 123456789.123456789,
                             4.9e-324, 0.0000005, inf, -inf, nan_rules::kIndefinite,
                             std::bit_cast<double>(std::uint64_t{0x7FF8000000000000}),
                             std::bit_cast<double>(std::uint64_t{0xFFF8000000000001}),
                             std::bit_cast<double>(std::uint64_t{0x7FF0000000000001}),
                             std::bit_cast<double>(std::uint64_t{0xFFF4000000000000})};
    for (const double value : values) {
        char text[kLfBufferSize];
        format_lf(value, text);
        double read = 0;
        ASSERT_TRUE(read_kpf_number(text, read)) << text;
        char again[kLfBufferSize];
        format_lf(read, again);
        EXPECT_STREQ(again, text) << bits(value);
    }
}

struct NumberCase {
    const char* text;
    bool read;
    std::uint64_t bits;
};

TEST(KpfReader, NumberTokensHaveTheseValues) {
    const NumberCase cases[] = {
        {"1.#INF00", true, 0x7FF0000000000000},  {"-1.#INF00", true, 0xFFF0000000000000},
        {"-1.#IND00", true, 0xFFF8000000000000}, {"1.#QNAN0", true, 0x7FF8000000000000},
        {"-1.#QNAN0", true, 0xFFF8000000000001}, {"-0.000000", true, 0x8000000000000000},
        {"1.500000", true, 0x3FF8000000000000},  {"1.5e1", true, 0x402E000000000000},
        {"1.#IND00", false, 0},                  {"+1.#INF00", false, 0},
        {"1.#INF0", false, 0},                   {"#", false, 0},
        {"x", false, 0},                         {"-", false, 0},
    };
    for (const NumberCase& c : cases) {
        double value = 0;
        EXPECT_EQ(read_kpf_number(c.text, value), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(bits(value), c.bits) << c.text;
        }
    }
}

}  // namespace
}  // namespace trimora::testing
