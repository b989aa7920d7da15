// Runs the built tool on small STL files and compares console and output file byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "case_names.h"
#include "run_tool.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;


struct Converted {
    std::string console;
    std::string file;  // date masked
    int exit_code;
};

Converted convert(const std::string& stl, const std::vector<std::string>& extra_args = {}) {
    TempDir dir;
    write_file(dir / "in.stl", stl);
    std::vector<std::string> args{"in"};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    const ToolRun run = run_tool(dir.path(), args);
    return {run.console, mask_date(read_file(dir / "in.kpf")), run.exit_code};
}


TEST(EndToEnd, WorkedExampleInTextForm) {
    TempDir dir;
    write_file(dir / "tri.stl", kTriangle);
    const ToolRun run = run_tool(dir.path(), {"tri"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.console, console(kTextLine, "tri", "", 1, false));
    EXPECT_EQ(mask_date(read_file(dir / "tri.kpf")),
              crlf(header("tri.stl") + kTextFacet + trailer(1)));
}

// The README converts the bundled examples/tri.stl: it is the worked example.
TEST(EndToEnd, BundledExampleIsTheWorkedExample) {
    TempDir dir;
    fs::copy_file(fs::path(TRIMORA_EXAMPLES_DIR) / "tri.stl", dir / "tri.stl");
    const ToolRun run = run_tool(dir.path(), {"tri"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.console, console(kTextLine, "tri", "", 1, false));
    EXPECT_EQ(mask_date(read_file(dir / "tri.kpf")),
              crlf(header("tri.stl") + kTextFacet + trailer(1)));
}

TEST(EndToEnd, WorkedExampleInNumberForm) {
    const Converted run = convert(kTriangle, {"numb"});
    EXPECT_EQ(run.console, console(kNumberLine, "in", "", 1, false));
    EXPECT_EQ(run.file, crlf(header("in.stl") + kNumberFacet + trailer(1)));
}

TEST(EndToEnd, WorkedExampleInWireForm) {
    const Converted run = convert(kTriangle, {"wire"});
    EXPECT_EQ(run.console, console(kWireLine, "in", "", 1, false));
    EXPECT_EQ(run.file, crlf(header("in.stl") + kWireFacet + trailer(1)));
}

TEST(EndToEnd, DateLineHoldsTheLocalDateText) {
    TempDir dir;
    write_file(dir / "tri.stl", kTriangle);
    run_tool(dir.path(), {"tri"});
    const std::string file = read_file(dir / "tri.kpf");
    const std::size_t start = file.find("$ Date: ");
    ASSERT_NE(start, std::string::npos);
    const std::string date = file.substr(start + 8, file.find('\r', start) - start - 8);
    // 'Thu Mar 05 09:04:07 2026': day, month, two-digit day, time, year.
    ASSERT_EQ(date.size(), 24u) << date;
    EXPECT_EQ(date[3], ' ');
    EXPECT_EQ(date[7], ' ');
    EXPECT_EQ(date[13], ':');
    EXPECT_EQ(date[16], ':');
    EXPECT_NE(date[8], ' ');
}

TEST(EndToEnd, NoArgumentsPrintsTheHelp) {
    TempDir dir;
    const ToolRun run = run_tool(dir.path(), {});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.console,
              crlf(kBanner +
                   "TRIMORA converts an STL file into one in KPF or VQ format.\n"
                   "\n"
                   "An STL file consists of triangular facets over a component.\n"
                   "The KPF format is used by the constraint modeller. A set of\n"
                   "facets cane be read by the modeller and displayed to show\n"
                   "an object as a facetted surface. This form of file can also\n"
                   "be used as a shape file in conjunction with Q7 geometric\n"
                   "algebra procedures. In the latter case, the file extension\n"
                   "needs to be changed to shp.\n"
                   "\n"
                   "An option has now been added to output a wire-frame version\n"
                   "of the straight edges in VQ format.\n"
                   "\n"
                   "After the command name, the first argument is the name of\n"
                   "the STL file. The next argument (if present) is used to\n"
                   "specify the form of the output.\n"
                   "If the output is a KPF file with facets, it says whether\n"
                   "this should use the numbers 4 and 5 to indicate trng and\n"
                   "nrml command, or whether these text strings should be used\n"
                   "instead (default).\n"
                   "If the second argument is wire, then output is as a set of\n"
                   "move and plot commands to give the edges of the shape.\n"
                   "\n"
                   "Usage:  trimora <filename> [text/numb/wire]\n"));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

struct FormCase {
    const char* name;
    std::vector<std::string> args;
    std::string form_line;
    friend void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }
};

class OutputFormWord : public ::testing::TestWithParam<FormCase> {};

TEST_P(OutputFormWord, SelectsTheOutputCode) {
    const Converted run = convert("solid x\nendsolid x\n", GetParam().args);
    EXPECT_EQ(run.console, console(GetParam().form_line, "in", "", 0, false));
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(0)));
}

INSTANTIATE_TEST_SUITE_P(
    Words, OutputFormWord,
    ::testing::Values(FormCase{"no_word", {}, kTextLine}, FormCase{"text", {"text"}, kTextLine},
                      FormCase{"TEXT", {"TEXT"}, kTextLine}, FormCase{"trng", {"trng"}, kTextLine},
                      FormCase{"nrml", {"nrml"}, kTextLine}, FormCase{"empty_word", {""}, kTextLine},
                      FormCase{"numb", {"numb"}, kNumberLine},
                      FormCase{"Number", {"Number"}, kNumberLine},
                      FormCase{"WiRe", {"WiRe"}, kWireLine},
                      FormCase{"spaces_then_wire", {"  wire"}, kWireLine},
                      FormCase{"wire_and_more_words", {"wire and more"}, kWireLine},
                      FormCase{"tab_then_wire", {"\twire"}, kWireLine},
                      FormCase{"wire_then_more_arguments", {"wire", "extra", "args"}, kWireLine},
                      FormCase{"xyz", {"xyz"}, kNullLine}, FormCase{"wires", {"wires"}, kNullLine},
                      FormCase{"num", {"num"}, kNullLine}),
    CaseName());

TEST(EndToEnd, UnknownFormWritesNoFacetAndEndsWithTheErrorBanner) {
    const Converted run = convert(kTriangle, {"xyz"});
    EXPECT_EQ(run.console, console(kNullLine, "in", "", 1, true));
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(1)));
}

TEST(EndToEnd, UnknownFormStillReportsIncompleteFacets) {
    const Converted run = convert("facet normal 0 0 1\nouter loop\nvertex 1 2 3\nendloop\n", {"xyz"});
    EXPECT_EQ(run.console,
              console(kNullLine, "in", "Wrong number of vertices [1] at line 4\n", 1, true));
}

TEST(EndToEnd, MissingInputReportsAndCreatesNothing) {
    TempDir dir;
    const ToolRun run = run_tool(dir.path(), {"absent"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.console,
              crlf(kBanner + kTextLine + "Cannot open file: [absent.stl]\n" + kErrorBanner));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

// Where a program receives its command line as one text, the tool splits it itself: the same
// arguments whichever runtime or shell started it.
TEST(EndToEnd, CommandLineTextIsSplitByTheTool_WindowsOnly) {
    TempDir dir;
    std::optional<ToolRun> run = run_tool_command_line(dir.path(), " a\\\\\\\"b c");
    if (!run) GTEST_SKIP() << "arguments arrive already split here";
    EXPECT_EQ(run->console, crlf(kBanner + kNullLine + "Cannot open file: [a\\\"b.stl]\n" + kErrorBanner));

    write_file(dir / "my part.stl", kTriangle);
    run = run_tool_command_line(dir.path(), " \t\"my part\"  wi\"\"re ");
    EXPECT_EQ(run->console, console(kWireLine, "my part", "", 1, false));

    // No wildcard is expanded, though "my*" would match.
    run = run_tool_command_line(dir.path(), " my* numb");
    EXPECT_EQ(run->console, crlf(kBanner + kNumberLine + "Cannot open file: [my*.stl]\n" + kErrorBanner));
}

TEST(EndToEnd, NamesAreCutAtTheFirstDot) {
    TempDir dir;
    write_file(dir / "part.stl", kTriangle);
    const ToolRun run = run_tool(dir.path(), {"part.old.stl"});
    EXPECT_EQ(run.console, console(kTextLine, "part", "", 1, false));
    EXPECT_TRUE(fs::exists(dir / "part.kpf"));
}

TEST(EndToEnd, EmptyNameOpensDotStl) {
    TempDir dir;
    write_file(dir / ".stl", kTriangle);
    const ToolRun run = run_tool(dir.path(), {""});
    EXPECT_EQ(run.console, console(kTextLine, "", "", 1, false));
    EXPECT_TRUE(fs::exists(dir / ".kpf"));
}

TEST(EndToEnd, LongNameIsCutTo127Characters) {
    TempDir dir;
    const std::string name(120, 'n');
    write_file(dir / (name + ".stl"), kTriangle);
    const ToolRun run = run_tool(dir.path(), {name + ".stl" + std::string(80, 'x')});
    EXPECT_EQ(run.console, console(kTextLine, name, "", 1, false));
}

TEST(EndToEnd, NameWithoutRoomForTheExtensionNeverOverwritesTheInput) {
    // 126 characters gain only the dot; 127 characters gain nothing. Either
    // way both paths are one text, and the input must survive.
    const std::pair<std::string, std::string> cases[] = {
        {std::string(126, 'n'), std::string(126, 'n') + "."},
        {std::string(127, 'm'), std::string(127, 'm')},
    };
    for (const auto& [argument, name] : cases) {
        TempDir dir;
        write_file(dir / name, kTriangle);
        const ToolRun run = run_tool(dir.path(), {argument});
        EXPECT_EQ(run.console, crlf(kBanner + kTextLine + "File open: [" + name + "]\n" +
                                    "Cannot open file: [" + name + "]\n" + kErrorBanner));
        EXPECT_EQ(read_file(dir / name), kTriangle);
    }
}

TEST(EndToEnd, OutputThatIsTheInputThroughALinkIsRefused_NeedsSymlinks) {
    TempDir dir;
    write_file(dir / "in.stl", kTriangle);
    fs::create_hard_link(dir / "in.stl", dir / "in.kpf");
    ToolRun run = run_tool(dir.path(), {"in"});
    const std::string refused =
        crlf(kBanner + kTextLine + "File open: [in.stl]\nCannot open file: [in.kpf]\n" + kErrorBanner);
    EXPECT_EQ(run.console, refused);
    EXPECT_EQ(read_file(dir / "in.stl"), kTriangle);

    fs::remove(dir / "in.kpf");
    if (!make_symlink("in.stl", dir / "in.kpf")) GTEST_SKIP() << "no symbolic links here";
    run = run_tool(dir.path(), {"in"});
    EXPECT_EQ(run.console, refused);
    EXPECT_EQ(read_file(dir / "in.stl"), kTriangle);
}

TEST(EndToEnd, FailedWriteIsReportedOnceAndEndsInError_NeedsDevFull) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    write_file(dir / "in.stl", kTriangle);
    fs::create_symlink("/dev/full", dir / "in.kpf");
    const ToolRun run = run_tool(dir.path(), {"in"});
    EXPECT_EQ(run.console, crlf(kBanner + kTextLine +
                                "File open: [in.stl]\nFile open: [in.kpf]\n"
                                "File closed: [in.stl]\nCannot write file: [in.kpf]\n"
                                "File closed: [in.kpf]\nnfacet = 1\n" + kErrorBanner));
}

TEST(EndToEnd, FailedWriteDuringALargeRunIsReportedOnce_NeedsDevFull) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    std::string stl;
    for (int i = 0; i < 3000; ++i) stl += kTriangle;
    write_file(dir / "in.stl", stl);
    fs::create_symlink("/dev/full", dir / "in.kpf");
    const ToolRun run = run_tool(dir.path(), {"in"});
    const std::string message = crlf("Cannot write file: [in.kpf]\n");
    const std::size_t first = run.console.find(message);
    ASSERT_NE(first, std::string::npos) << run.console;
    EXPECT_EQ(run.console.find(message, first + 1), std::string::npos);
    EXPECT_TRUE(run.console.ends_with(crlf("nfacet = 3000\n" + kErrorBanner)));
}

// One STL text and the console messages it must produce between the open and
// close lines, in the TEXT form.
struct ProblemCase {
    const char* name;
    std::string stl;
    std::string messages;
    int nfacet;
    bool error;
    friend void PrintTo(const ProblemCase& c, std::ostream* os) { *os << c.name; }
};

class LineProblem : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(LineProblem, IsReportedWithItsLineNumber) {
    const ProblemCase& c = GetParam();
    const Converted run = convert(c.stl);
    EXPECT_EQ(run.console, console(kTextLine, "in", c.messages, c.nfacet, c.error));
}

const std::string kFacetBody = "outer loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\nendloop\nendfacet\n";

INSTANTIATE_TEST_SUITE_P(
    Messages, LineProblem,
    ::testing::Values(
        ProblemCase{"ascii", "ascii\n", "Unexpected default case [ascii] on line 1\n", 0, true},
        ProblemCase{"normal", "\n  Normal 1 2 3\n", "Unexpected default case [normal] on line 2\n", 0, true},
        ProblemCase{"loop", "loop\n", "Unexpected default case [loop] on line 1\n", 0, true},
        ProblemCase{"unknown", "solid\nbogus word\n", "Unknown code word [bogus] on line 2\n", 0, true},
        ProblemCase{"bare_facet", "facet\n", "Unexpected code word [] on line 1\n", 1, true},
        ProblemCase{"facet_without_normal", "facet vertex 1 2 3\n",
                    "Unexpected code word [vertex] on line 1\n", 1, true},
        ProblemCase{"two_vertices", "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\n",
                    "Wrong number of vertices [2] at line 5\n", 1, true},
        ProblemCase{"second_endloop", "facet normal 0 0 1\n" + kFacetBody + "endloop\n",
                    "Wrong number of vertices [0] at line 8\n", 1, true},
        ProblemCase{"four_vertices_last_facet_succeeds",
                    "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\n"
                    "vertex 9 9 9\nendloop\nendfacet\n",
                    "Too many vertices at line 6\n", 1, false},
        ProblemCase{"problem_overwritten_by_a_later_facet",
                    "bogus\nfacet normal 0 0 1\n" + kFacetBody,
                    "Unknown code word [bogus] on line 1\n", 1, false},
        ProblemCase{"problem_after_the_last_facet",
                    "facet normal 0 0 1\n" + kFacetBody + "ascii\n",
                    "Unexpected default case [ascii] on line 8\n", 1, true},
        ProblemCase{"blank_lines_are_silent_but_count", "\n   \n\t\nfoo\n",
                    "Unknown code word [foo] on line 4\n", 0, true},
        ProblemCase{"upper_case_and_tabs", "SOLID X\nFACET\tNORMAL 0 0 1\n\tOUTER LOOP\n"
                    "VERTEX 0 0 0\nVERTEX 1 0 0\nVERTEX 1 1 0\nENDLOOP\nENDFACET\nENDSOLID X\n", "", 1, false},
        ProblemCase{"line_of_127_characters_shifts_the_numbers",
                    "solid " + std::string(121, 'x') + "\nbogus\n",
                    "Unknown code word [bogus] on line 3\n", 0, true},
        ProblemCase{"line_of_126_characters_is_one_line",
                    "solid " + std::string(120, 'x') + "\nbogus\n",
                    "Unknown code word [bogus] on line 2\n", 0, true},
        ProblemCase{"long_line_continues_as_a_new_line",
                    "solid " + std::string(121, 'x') + "more words\n",
                    "Unknown code word [more] on line 2\n", 0, true},
        ProblemCase{"crlf_counts_as_one_line_end", "solid " + std::string(120, 'x') + "\r\nbogus\r\n",
                    "Unknown code word [bogus] on line 2\n", 0, true},
        ProblemCase{"lone_cr_stays_in_the_line", "bo\rgus\n", "Unknown code word [bogus] on line 1\n", 0, true},
        ProblemCase{"end_byte_ends_the_input", "solid\n\x1a" "bogus\n", "", 0, false},
        ProblemCase{"nul_ends_the_text_of_a_line", std::string("solid\0bogus\nfoo\n", 16),
                    "Unknown code word [foo] on line 2\n", 0, true},
        ProblemCase{"bytes_outside_ascii_are_dropped", "so\xc3\xa9lid\nbo\x7fgus\n",
                    "Unknown code word [bogus] on line 2\n", 0, true}),
    CaseName());

TEST(EndToEnd, ZeroNormalIsWrittenAsTheNanOfZeroOverZero) {
    const Converted run = convert("facet normal 0 0 0\n" + kFacetBody);
    EXPECT_NE(run.file.find(crlf("\nnrml -1.#IND00 -1.#IND00 -1.#IND00\ntrng 0.000000")),
              std::string::npos)
        << run.file;
}

TEST(EndToEnd, CoordinatesReadLikeTheOldConversion) {
    const Converted run = convert(
        "facet normal 0 0 5\nouter loop\nvertex 1d2 2.5E-1 7\nvertex 3abc nan -0\n"
        "vertex 1e-999 .5 5.\nendloop\n");
    EXPECT_NE(run.file.find(crlf("nrml 0.000000 0.000000 1.000000\ntrng 100.000000 0.250000 7.000000\n"
                                 "nrml 0.000000 0.000000 1.000000\ntrng 3.000000 0.000000 -0.000000\n"
                                 "nrml 0.000000 0.000000 1.000000\ntrng 0.000000 0.500000 5.000000\n")),
              std::string::npos)
        << run.file;
}

TEST(EndToEnd, InfiniteNormalDividesIntoNan) {
    const Converted run = convert("facet normal 1e999 -1e999 1\n" + kFacetBody);
    EXPECT_NE(run.file.find(crlf("nrml -1.#IND00 -1.#IND00 0.000000\n")), std::string::npos)
        << run.file;
}

TEST(EndToEnd, NormalCarriesOverFromTheLastGoodFacetLine) {
    const Converted run = convert("facet normal 0 3 4\n" + kFacetBody + "facet\n" + kFacetBody);
    EXPECT_EQ(run.console, console(kTextLine, "in", "Unexpected code word [] on line 8\n", 2, false));
    std::size_t count = 0;
    for (std::size_t at = run.file.find("nrml 0.000000 0.600000 0.800000"); at != std::string::npos;
         at = run.file.find("nrml 0.000000 0.600000 0.800000", at + 1)) {
        ++count;
    }
    EXPECT_EQ(count, 6u);
}

TEST(EndToEnd, VerticesWithoutAnOuterLineStillCollect) {
    const Converted run = convert("facet normal 0 0 1\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\nendloop\n");
    EXPECT_EQ(run.console, console(kTextLine, "in", "", 1, false));
    EXPECT_NE(run.file.find("trng 1.000000 1.000000 0.000000"), std::string::npos);
}

std::string facet(const std::string& a, const std::string& b, const std::string& c) {
    return "facet normal 0 0 1\nouter loop\nvertex " + a + "\nvertex " + b + "\nvertex " + c +
           "\nendloop\nendfacet\n";
}

TEST(EndToEnd, WireSkipsSharedEdgesAndNeedlessMoves) {
    const Converted run = convert(facet("0 0 0", "1 0 0", "1 1 0") + facet("1 1 0", "1 0 0", "2 0 0") +
                                      facet("1 0 0", "1 1 0", "0 0 0") + facet("-0 0 0", "1 0 0", "-0 1e-300 0"),
                                  {"wire"});
    EXPECT_EQ(run.console, console(kWireLine, "in", "", 4, false));
    EXPECT_EQ(run.file, crlf(header("in.stl") +
                             "\n"
                             "move 0.000000 0.000000 0.000000\n"
                             "plot 1.000000 0.000000 0.000000\n"
                             "plot 1.000000 1.000000 0.000000\n"
                             "plot 0.000000 0.000000 0.000000\n"
                             "\n"
                             "move 1.000000 0.000000 0.000000\n"
                             "plot 2.000000 0.000000 0.000000\n"
                             "plot 1.000000 1.000000 0.000000\n"
                             "\n"
                             "\n"
                             "move 1.000000 0.000000 0.000000\n"
                             "plot -0.000000 0.000000 0.000000\n"
                             "plot -0.000000 0.000000 0.000000\n" +
                             trailer(4)));
}

TEST(EndToEnd, WireWithDegenerateFacets) {
    const Converted run = convert(facet("5 5 5", "5 5 5", "5 5 5") + facet("1 1 1", "1 1 1", "2 2 2"), {"wire"});
    EXPECT_EQ(run.file, crlf(header("in.stl") +
                             "\n"
                             "move 5.000000 5.000000 5.000000\n"
                             "plot 5.000000 5.000000 5.000000\n"
                             "\n"
                             "move 1.000000 1.000000 1.000000\n"
                             "plot 1.000000 1.000000 1.000000\n"
                             "plot 2.000000 2.000000 2.000000\n" +
                             trailer(2)));
}

TEST(EndToEnd, WireLineListOverflowIsReportedButNotAnError) {
    // 2501 facets of two new edges each fill the 5000 entries exactly after
    // the 2500th facet; every facet adds a strip of connected edges.
    std::string stl;
    for (int i = 0; i <= 2501; ++i) {
        const std::string x = std::to_string(i);
        const std::string next = std::to_string(i + 1);
        stl += facet(x + " 0 0", next + " 0 0", next + " 0 0");
    }
    const Converted run = convert(stl, {"wire"});
    // Each facet (P, Q, Q): edge P-Q new, Q-Q new, Q-P listed. The first
    // 2500 facets fill the list; each of the last two brings three unlisted
    // edges, its Q-P included, since its P-Q could not be stored.
    std::string overflow;
    for (int i = 0; i < 6; ++i) overflow += "Line list overflow: [5000]\n";
    EXPECT_EQ(run.console, console(kWireLine, "in", overflow, 2502, false));
    EXPECT_TRUE(run.file.ends_with(crlf("plot 2500.000000 0.000000 0.000000\n\n\n" + trailer(2502))));
}

}  // namespace
}  // namespace trimora::testing
