// The option table: which arguments choose the modern form, and how they are read.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "writers/facet_output.h"

namespace trimora {
namespace {

TEST(Options, ModernFormIsChosenByAnyDashedArgument) {
    const std::vector<std::vector<std::string>> modern = {
        {"part", "-q"}, {"-f", "wire", "part"}, {"--form=wire", "part"}, {"--no-progress"},
        {"--help", "-r"}, {"-j", "2"}, {"--output", "x"}, {"--jobs=3"}, {"part", "-h"},
        {"-h", "x", "y"}, {"part", "--version"}, {"-H"}, {"-help"}, {"--", "-q"}, {"-fwire"},
        {"--quiet=yes"}, {"part", "wire", "--bogus"},
    };
    for (const auto& args : modern) EXPECT_TRUE(is_modern_command_line(args)) << args[0];
    const std::vector<std::vector<std::string>> legacy = {
        {}, {"part"}, {"part", "wire"}, {"-h"}, {"--help"}, {"--version"}, {"-"}, {"-", "numb"},
        {"part", "wire", "extra"}, {"-", "-"},
    };
    for (const auto& args : legacy) {
        EXPECT_FALSE(is_modern_command_line(args)) << (args.empty() ? "" : args[0]);
    }
}

// Short options bundle and take their values attached or from the next
// argument, as getopt's do; long ones take theirs after '=' or next.
TEST(Options, ShortOptionsBundleAndTakeAttachedValues) {
    const ParsedOptions bundled = parse_modern_options({"-qrj2", "-fwire", "-ofile", "a"});
    ASSERT_EQ(bundled.error, "");
    EXPECT_TRUE(bundled.options.quiet);
    EXPECT_TRUE(bundled.options.recursive);
    EXPECT_EQ(bundled.options.jobs, 2);
    EXPECT_EQ(bundled.options.output_code, kWireForm);
    EXPECT_EQ(bundled.options.output, "file");
    EXPECT_EQ(bundled.options.names, std::vector<std::string>{"a"});
    const ParsedOptions next = parse_modern_options({"-qj", "3", "--ext", ".shp", "--", "-x"});
    ASSERT_EQ(next.error, "");
    EXPECT_EQ(next.options.jobs, 3);
    EXPECT_EQ(next.options.extension, "shp");
    EXPECT_EQ(next.options.names, std::vector<std::string>{"-x"});
    EXPECT_EQ(parse_modern_options({"-qx"}).error, "unknown option [-x]");
    EXPECT_EQ(parse_modern_options({"-q", "-j"}).error, "option [-j] needs a N");
    EXPECT_EQ(parse_modern_options({"--quiet=1"}).error, "option [--quiet] takes no value");
}

}  // namespace
}  // namespace trimora
