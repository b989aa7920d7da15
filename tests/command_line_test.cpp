// The usual options in the first argument: -h and --help print the help, --version the banner alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "case_names.h"
#include "run_tool.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;


struct OptionCase {
    const char* name;
    std::vector<std::string> args;
    bool help;  // the help text after the banner, or the banner alone
    friend void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }
};

class FirstArgumentOption : public ::testing::TestWithParam<OptionCase> {};

TEST_P(FirstArgumentOption, PrintsTheBannerAndTouchesNoFile) {
    TempDir dir;
    const ToolRun no_arguments = run_tool(dir.path(), {});
    const ToolRun run = run_tool(dir.path(), GetParam().args);
    EXPECT_EQ(run.exit_code, 0);
    if (GetParam().help) {
        EXPECT_EQ(run.console, no_arguments.console);
        EXPECT_TRUE(run.console.starts_with(
            crlf(kBanner) + "TRIMORA converts an STL file into one in KPF or VQ format.\r\n"));
        EXPECT_TRUE(run.console.ends_with("Usage:  trimora <filename> [text/numb/wire]\r\n"));
    } else {
        EXPECT_EQ(run.console, crlf(kBanner));
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Options, FirstArgumentOption,
    ::testing::Values(OptionCase{"h", {"-h"}, true}, OptionCase{"help", {"--help"}, true},
                      OptionCase{"help_then_a_form", {"--help", "wire"}, true},
                      OptionCase{"h_then_more", {"-h", "x", "y"}, true},
                      OptionCase{"version", {"--version"}, false},
                      OptionCase{"version_then_a_form", {"--version", "numb"}, false}),
    CaseName());

// Anything else in the first place, and these words in the second, keep their
// old meaning: a file name and an output-form word.
TEST(FirstArgumentOption, OtherArgumentsStayFileNamesAndFormWords) {
    struct Case {
        std::vector<std::string> args;
        std::string stl;
        std::string form_line;
    };
    const Case cases[] = {
        {{"-H"}, "-H", "output_code = TEXT [2]\r\n"},
        {{"-help"}, "-help", "output_code = TEXT [2]\r\n"},
        {{"-version"}, "-version", "output_code = TEXT [2]\r\n"},
        {{"-h.stl"}, "-h", "output_code = TEXT [2]\r\n"},
        {{"--help "}, "--help ", "output_code = TEXT [2]\r\n"},
        {{"part", "-h"}, "part", "output_code = NULL [0]\r\n"},
        {{"part", "--version"}, "part", "output_code = NULL [0]\r\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_file(dir / (c.stl + ".stl"), "solid x\nendsolid x\n");
        const ToolRun run = run_tool(dir.path(), c.args);
        EXPECT_EQ(run.console, crlf(kBanner) + c.form_line + "File open: [" + c.stl + ".stl]\r\n" +
                                   "File open: [" + c.stl + ".kpf]\r\n" + "File closed: [" +
                                   c.stl + ".stl]\r\n" + "File closed: [" + c.stl +
                                   ".kpf]\r\nnfacet = 0\r\n");
        EXPECT_TRUE(fs::exists(dir / (c.stl + ".kpf")));
    }
}

}  // namespace
}  // namespace trimora::testing
