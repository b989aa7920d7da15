// The usual options: -h alone prints the help, --help also the modern options, --version the banner.
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


// What the usual options print: the help exactly as with no argument, that
// help and then the modern options, or the banner alone.
enum class Shows { kLegacyHelp, kWholeHelp, kBannerOnly };

struct OptionCase {
    const char* name;
    std::vector<std::string> args;
    Shows shows;
    // Any option besides one of them alone chooses the modern form, whose
    // lines end as the console's do.
    bool modern = false;
    friend void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }
};

class FirstArgumentOption : public ::testing::TestWithParam<OptionCase> {};

TEST_P(FirstArgumentOption, PrintsTheBannerAndTouchesNoFile) {
    TempDir dir;
    const ToolRun no_arguments = run_tool(dir.path(), {});
    const ToolRun run = run_tool(dir.path(), GetParam().args);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_TRUE(no_arguments.console.starts_with(
        crlf(kBanner) + "TRIMORA converts an STL file into one in KPF or VQ format.\r\n"));
    EXPECT_TRUE(no_arguments.console.ends_with("Usage:  trimora <filename> [text/numb/wire]\r\n"));
    const std::string legacy_help =
        GetParam().modern ? console_lines(without_cr(no_arguments.console)) : no_arguments.console;
    const std::string banner = GetParam().modern ? console_lines(kBanner) : crlf(kBanner);
    switch (GetParam().shows) {
        case Shows::kLegacyHelp: EXPECT_EQ(run.console, legacy_help); break;
        case Shows::kWholeHelp:
            EXPECT_TRUE(run.console.starts_with(legacy_help));
            EXPECT_NE(run.console.find("\n  -f, --form WORD", legacy_help.size()),
                      std::string::npos);
            break;
        case Shows::kBannerOnly: EXPECT_EQ(run.console, banner); break;
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Options, FirstArgumentOption,
    ::testing::Values(OptionCase{"h", {"-h"}, Shows::kLegacyHelp},
                      OptionCase{"help", {"--help"}, Shows::kWholeHelp},
                      OptionCase{"help_then_a_form", {"--help", "wire"}, Shows::kWholeHelp, true},
                      OptionCase{"h_then_more", {"-h", "x", "y"}, Shows::kWholeHelp, true},
                      OptionCase{"a_name_then_h", {"part", "-h"}, Shows::kWholeHelp, true},
                      OptionCase{"version", {"--version"}, Shows::kBannerOnly},
                      OptionCase{"version_then_a_form", {"--version", "numb"}, Shows::kBannerOnly, true},
                      OptionCase{"a_name_then_version", {"part", "--version"}, Shows::kBannerOnly, true}),
    CaseName());

// Every other argument that begins with a dash is an option of the modern
// form, and one it does not know is a usage error that touches no file; a
// file whose name begins with a dash is reached as ./-x.stl, or after --.
TEST(FirstArgumentOption, DashedWordsAreOptionsAndUnknownOnesAreUsageErrors) {
    const std::pair<std::vector<std::string>, std::string> unknown[] = {
        {{"-H"}, "unknown option [-H]"},
        {{"-help"}, "unknown option [-e]"},
        {{"-version"}, "unknown option [-v]"},
        {{"-h.stl"}, "unknown option [-.]"},
        {{"--help "}, "unknown option [--help ]"},
        {{"--bogus", "part"}, "unknown option [--bogus]"},
        {{"part", "wire", "-x"}, "unknown option [-x]"},
    };
    for (const auto& [args, problem] : unknown) {
        TempDir dir;
        write_file(dir / "-h.stl", "solid x\nendsolid x\n");
        const ToolRun run = run_tool_streams(dir.path(), args);
        EXPECT_EQ(run.exit_code, 2) << args[0];
        EXPECT_EQ(run.console, "") << args[0];
        EXPECT_EQ(run.errors, console_lines("trimora: " + problem + "; trimora --help -q shows the options\n"));
        EXPECT_FALSE(fs::exists(dir / "-h.kpf")) << args[0];
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-q", "./-h.stl"}, std::vector<std::string>{"-q", "--", "-h.stl"}}) {
        TempDir dir;
        write_file(dir / "-h.stl", kTriangle);
        const ToolRun run = run_tool(dir.path(), args);
        EXPECT_EQ(run.exit_code, 0) << args[0];
        EXPECT_TRUE(fs::exists(dir / "-h.kpf")) << args[0];
    }
}

}  // namespace
}  // namespace trimora::testing
