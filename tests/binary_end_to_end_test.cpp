// Runs the built tool on binary STL files made here and compares them with their ASCII twins.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "run_tool.h"
#include "stl_files.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

const std::string kOpened =
    "TRIMORA - Version 1.3 - August 2014\noutput_code = TEXT [2]\n"
    "File open: [in.stl]\nFile open: [in.kpf]\n";

std::string closed(int nfacet) {
    return "File closed: [in.stl]\nFile closed: [in.kpf]\nnfacet = " + std::to_string(nfacet) +
           "\n";
}

struct Converted {
    std::string console;
    std::string file;  // date masked
};

Converted convert(const std::string& stl, const std::vector<std::string>& extra_args = {},
                  bool full_disk = false) {
    TempDir dir;
    write_file(dir / "in.stl", stl);
    if (full_disk) fs::create_symlink("/dev/full", dir / "in.kpf");
    std::vector<std::string> args{"in"};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    const ToolRun run = run_tool(dir.path(), args);
    EXPECT_EQ(run.exit_code, 0);
    return {run.console, full_disk ? "" : mask_date(read_file(dir / "in.kpf"))};
}

// A strip of facets over shared random points, so that the wire form finds
// shared edges (and, past 2500 facets, a full line list), with a few extreme
// values among them. 5300 facets cross a block of the binary reader.
std::vector<FloatFacet> twin_facets(int count) {
    std::mt19937 random(20260305);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    std::uniform_real_distribution<float> direction(-1.0f, 1.0f);
    std::vector<std::array<float, 3>> points;
    for (int i = 0; i < count + 2; ++i) {
        points.push_back({coordinate(random), coordinate(random), coordinate(random)});
    }
    points[0] = {-0.0f, 1e-45f, 3.4028235e38f};
    points[1] = {0.1f, -1.17549435e-38f, 123456.789f};
    std::vector<FloatFacet> facets;
    for (int i = 0; i < count; ++i) {
        FloatFacet facet{{direction(random), direction(random), direction(random)}, {}};
        if (facet.normal[0] == 0.0f && facet.normal[1] == 0.0f) facet.normal[2] = 1.0f;
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) facet.vertices[j][k] = points[i + j][k];
        }
        facets.push_back(facet);
    }
    facets[1].normal[0] = 1e-45f;  // a normal whose length squared is still no zero in double
    facets[2].normal[2] = -3e38f;
    return facets;
}

class BinaryTwin : public ::testing::TestWithParam<const char*> {};

TEST_P(BinaryTwin, GivesTheSameConsoleAndFileAsItsAsciiTwin) {
    const std::vector<FloatFacet> facets = twin_facets(5300);
    const Converted binary = convert(binary_stl("solid twin", facets), {GetParam()});
    const Converted ascii = convert(ascii_twin(facets), {GetParam()});
    EXPECT_EQ(binary.console, ascii.console);
    EXPECT_TRUE(binary.file == ascii.file) << "the output files differ";
    EXPECT_NE(binary.console.find("nfacet = 5300\r\n"), std::string::npos);
    EXPECT_EQ(binary.console.find(" on line "), std::string::npos);
    EXPECT_EQ(binary.console.find(" at line "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Forms, BinaryTwin, ::testing::Values("text", "numb", "wire", "xyz"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return case_name(info.param);
                         });

TEST(BinaryInput, FailedWriteIsReportedAsForTheAsciiTwin_NeedsDevFull) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::vector<FloatFacet> facets = twin_facets(3000);
    const Converted binary = convert(binary_stl("", facets), {}, true);
    const Converted ascii = convert(ascii_twin(facets), {}, true);
    EXPECT_EQ(binary.console, ascii.console);
    EXPECT_NE(binary.console.find("Cannot write file: [in.kpf]\r\n"), std::string::npos);
    EXPECT_TRUE(binary.console.ends_with(crlf("nfacet = 3000\n" + kErrorBanner)));
}

TEST(BinaryInput, ZeroNormalsGiveTheSameFileAsTheCrossProductWrittenOut) {
    std::vector<FloatFacet> facets = twin_facets(40);
    std::string ascii = "solid twin\n";
    for (FloatFacet& facet : facets) {
        facet.normal[0] = facet.normal[1] = facet.normal[2] = 0.0f;
        double v[3][3];
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) v[j][k] = static_cast<double>(facet.vertices[j][k]);
        }
        const double a[3] = {v[1][0] - v[0][0], v[1][1] - v[0][1], v[1][2] - v[0][2]};
        const double b[3] = {v[2][0] - v[0][0], v[2][1] - v[0][1], v[2][2] - v[0][2]};
        const double normal[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                  a[0] * b[1] - a[1] * b[0]};
        ascii += ascii_facet(normal, v);
    }
    const Converted from_binary = convert(binary_stl("", facets));
    const Converted from_ascii = convert(ascii + "endsolid twin\n");
    EXPECT_EQ(from_binary.console, from_ascii.console);
    EXPECT_TRUE(from_binary.file == from_ascii.file) << "the output files differ";
    EXPECT_EQ(from_binary.file.find("#IND"), std::string::npos);
}

TEST(BinaryInput, SolidHeaderIsStillBinary) {
    const Converted run = convert(binary_stl("solid tri exported by a CAD system",
                                             {{{0, 0, -2}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}},
                                              {{0, 0, 0}, {{0, 0, 0}, {0, 0, 5}, {0, 0, 10}}}},
                                             "\n"));
    EXPECT_EQ(run.console, crlf(kOpened + closed(2)));
    EXPECT_EQ(run.file, crlf(header("in.stl") + kTextFacet +
                             "\n"
                             "nrml -1.#IND00 -1.#IND00 -1.#IND00\n"
                             "trng 0.000000 0.000000 0.000000\n"
                             "nrml -1.#IND00 -1.#IND00 -1.#IND00\n"
                             "trng 0.000000 0.000000 5.000000\n"
                             "nrml -1.#IND00 -1.#IND00 -1.#IND00\n"
                             "trng 0.000000 0.000000 10.000000\n" +
                             trailer(2)));
}

// Files that are binary by their size: no line messages, every record a facet.
struct BinaryCase {
    const char* name;
    std::string bytes;
    int nfacet;
    friend void PrintTo(const BinaryCase& c, std::ostream* os) { *os << c.name; }
};

class BinaryBySize : public ::testing::TestWithParam<BinaryCase> {};

TEST_P(BinaryBySize, ConvertsEveryRecordSilently) {
    const Converted run = convert(GetParam().bytes);
    EXPECT_EQ(run.console, crlf(kOpened + closed(GetParam().nfacet)));
    EXPECT_TRUE(run.file.starts_with(crlf(header("in.stl"))));
    EXPECT_TRUE(run.file.ends_with(crlf(trailer(GetParam().nfacet))));
    std::size_t blocks = 0;
    for (std::size_t at = run.file.find("\r\n\r\nnrml"); at != std::string::npos;
         at = run.file.find("\r\n\r\nnrml", at + 1)) {
        ++blocks;
    }
    EXPECT_EQ(blocks, static_cast<std::size_t>(GetParam().nfacet));
}

const FloatFacet kFacet{{0, 0, 1}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}};

INSTANTIATE_TEST_SUITE_P(
    Sizes, BinaryBySize,
    ::testing::Values(BinaryCase{"zero_count", binary_stl("solid empty", {}), 0},
                      BinaryCase{"zero_count_and_49_stray_bytes",
                                 binary_stl("solid empty", {}, std::string(49, '\n')), 0},
                      BinaryCase{"zero_header", binary_stl(std::string(80, '\0'), {kFacet}), 1},
                      BinaryCase{"stray_newline", binary_stl("solid x", {kFacet, kFacet}, "\n"), 2},
                      BinaryCase{"49_stray_bytes",
                                 binary_stl("solid x", {kFacet}, std::string(49, 'z')), 1}),
    CaseName());

// Files that look binary but do not hold exactly the counted records: read as
// text, they give line messages or none, never a facet, and never a crash.
struct TextCase {
    const char* name;
    std::string bytes;
    const char* first_message;  // empty when the text may be silent
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }
};

class NotBinaryBySize : public ::testing::TestWithParam<TextCase> {};

TEST_P(NotBinaryBySize, IsReadAsText) {
    const Converted run = convert(GetParam().bytes);
    const std::string console = run.console;
    ASSERT_TRUE(console.starts_with(crlf(kOpened))) << console;
    const std::size_t start = crlf(kOpened).size();
    const std::size_t end = console.find(crlf(closed(0)));
    ASSERT_NE(end, std::string::npos) << console;
    std::istringstream messages(console.substr(start, end - start));
    int count = 0;
    for (std::string line; std::getline(messages, line); ++count) {
        EXPECT_TRUE(line.find(" on line ") != std::string::npos ||
                    line.find(" at line ") != std::string::npos)
            << line;
        if (count == 0 && GetParam().first_message[0] != '\0') {
            EXPECT_EQ(line, std::string(GetParam().first_message) + "\r");
        }
    }
    if (GetParam().first_message[0] != '\0') {
        EXPECT_GT(count, 0);
    }
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(0)));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, NotBinaryBySize,
    ::testing::Values(
        TextCase{"one_byte_short", binary_stl("solid x", {kFacet, kFacet}).substr(0, 183), ""},
        TextCase{"one_record_missing", binary_stl("solid x", 3, {kFacet, kFacet}), ""},
        TextCase{"record_missing_after_another_header",
                 binary_stl("exported by a CAD system", 3, {kFacet, kFacet}),
                 "Unknown code word [exported] on line 1"},
        TextCase{"a_whole_record_too_many",
                 binary_stl("made by hand", 1, {kFacet}, std::string(50, '\n')),
                 "Unknown code word [made] on line 1"},
        TextCase{"83_bytes", binary_stl("short", {}).substr(0, 83),
                 "Unknown code word [short] on line 1"}),
    CaseName());

}  // namespace
}  // namespace trimora::testing
