// The option table: which arguments choose the modern form.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trimora {
namespace {

TEST(Options, ModernFormIsChosenByItsOwnOptionsOnly) {
    const std::vector<std::vector<std::string>> modern = {
        {"part", "-q"}, {"-f", "wire", "part"}, {"--form=wire", "part"}, {"--no-progress"},
        {"--help", "-r"}, {"-j", "2"}, {"--output", "x"}, {"--jobs=3"},
    };
    for (const auto& args : modern) EXPECT_TRUE(is_modern_command_line(args)) << args[0];
    const std::vector<std::vector<std::string>> legacy = {
        {},          {"part"},          {"part", "-h"},      {"--help", "wire"}, {"-h", "x", "y"},
        {"--version"}, {"part", "--version"}, {"-H"},       {"-help"},          {"--", "-q"},
        {"-fwire"},  {"--quiet=yes"},   {"part", "wire"},
    };
    for (const auto& args : legacy) {
        EXPECT_FALSE(is_modern_command_line(args)) << (args.empty() ? "" : args[0]);
    }
}

}  // namespace
}  // namespace trimora
