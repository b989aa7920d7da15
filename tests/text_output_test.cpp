// Text-mode output: CR LF line ends, the message conversions, failed writes.
#include "platform/text_output.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/worker_thread.h"
#include "writers/point_records.h"
#include "run_tool.h"

namespace trimora {
namespace {

std::string written_once(void (*write)(TextOutput&)) {
    testing::TempDir dir;
    const std::string path = (dir / "out").string();
    TextOutput out;
    EXPECT_TRUE(out.open(path.c_str(), make_record_writer));
    write(out);
    EXPECT_TRUE(out.close());
    return testing::read_file(path);
}

// The bytes of a file written by write, the same with the writer's thread as
// without, when every buffer is finished on the writing thread.
std::string written(void (*write)(TextOutput&)) {
    const std::string threaded = written_once(write);
    force_inline_tasks(true);
    EXPECT_EQ(written_once(write), threaded) << "without a thread";
    force_inline_tasks(false);
    return threaded;
}

TEST(TextOutput, WritesEveryLfAsCrLf) {
    EXPECT_EQ(written([](TextOutput& out) { out.write("a\nb\n\nc"); }), "a\r\nb\r\n\r\nc");
    EXPECT_EQ(written([](TextOutput& out) { out.write("\r\n"); }), "\r\r\n");
}

// The console of the modern form ends its lines as the system's text does;
// a file always in CR LF, whatever its output was set to before it opened.
TEST(TextOutput, ConsoleLinesEndAsTheSystemsText) {
    const std::string console_end = testing::console_ends_lines_in_crlf() ? "\r\n" : "\n";
    std::string text;
    MemorySink sink(text);
    {
        TextOutput out(sink, LineEnds::kConsole);
        out.print("nfacet = %d\n", 1);
        out.write("a\n\n");
        out.set_line_ends(LineEnds::kFile);
        out.write("b\n");
        out.set_line_ends(LineEnds::kConsole);
        out.write_newline();
        EXPECT_EQ(out.lines_written(), 5);
    }
    EXPECT_EQ(text, "nfacet = 1" + console_end + "a" + console_end + console_end + "b\r\n" + console_end);
    EXPECT_EQ(written([](TextOutput& out) { out.write("a\n"); }), "a\r\n");
    testing::TempDir dir;
    const std::string path = (dir / "out").string();
    TextOutput file(sink, LineEnds::kConsole);
    ASSERT_TRUE(file.open(path.c_str()));
    file.write("x\n");
    ASSERT_TRUE(file.close());
    EXPECT_EQ(testing::read_file(path), "x\r\n");
}

TEST(TextOutput, PrintsTheMessageConversions) {
    EXPECT_EQ(written([](TextOutput& out) {
                  out.print("%s %lf %lf %lf\n", "nrml", 0.0, -0.0, -1.0);
                  out.print("Wrong number of vertices [%d] at line %d\n", 2, INT_MIN);
                  out.print("[%s][%s]%d\n", "", static_cast<const char*>(nullptr), INT_MAX);
                  // Texts of every kind, and whole numbers of every width and sign.
                  out.print("%s|%s|%d|%d|%d\n", std::string("a\nb"), std::string_view("cd\0e", 3),
                            std::uint64_t{18446744073709551615u}, std::int64_t{INT64_MIN}, std::size_t{0});
              }),
              "nrml 0.000000 -0.000000 -1.000000\r\n"
              "Wrong number of vertices [2] at line -2147483648\r\n"
              "[][]2147483647\r\n" +
                  std::string("a\r\nb|cd\0|18446744073709551615|-9223372036854775808|0\r\n", 54));
}

TEST(TextOutput, LargeOutputSurvivesTheBuffer) {
    const std::string text = written([](TextOutput& out) {
        for (int i = 0; i < 100000; ++i) out.print("plot %lf %lf %lf\n", i * 0.5, -i * 1.0, 1e6);
    });
    std::size_t lines = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ASSERT_EQ(text[at - 1], '\r');
        ++lines;
    }
    EXPECT_EQ(lines, 100000u);
    EXPECT_TRUE(text.starts_with("plot 0.000000 0.000000 1000000.000000\r\nplot 0.500000 -1.000000"));
    EXPECT_TRUE(text.ends_with("plot 49999.500000 -99999.000000 1000000.000000\r\n"));
}

// Files finish their point lines on the writer thread; whatever the text
// around them holds, the bytes come out as written.
TEST(TextOutput, PointLinesAmongAnyText) {
    EXPECT_EQ(written([](TextOutput& out) {
                  write_point_line(out, "nrml", 0.5, -0.0, 1e300 * 1e300);
                  out.write_char('\0');
                  out.write(std::string_view("a\0b\n", 4));
                  write_point_line(out, std::string(200, 'w').c_str(), 1, 2, 3);
                  write_point_line(out, "", 7, 8, 9);
              }),
              "nrml 0.500000 -0.000000 1.#INF00\r\n" + std::string("\0a\0b\r\n", 6) +
                  std::string(200, 'w') + " 1.000000 2.000000 3.000000\r\n" +
                  " 7.000000 8.000000 9.000000\r\n");
}

TEST(TextOutput, FullDeviceFailsTheClose_NeedsDevFull) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TextOutput out;
    ASSERT_TRUE(out.open("/dev/full"));
    out.write("text\n");
    EXPECT_FALSE(out.failed());
    EXPECT_FALSE(out.close());
    EXPECT_TRUE(out.failed());
}

// The file replaces the old one only when it is closed after every write succeeded.
TEST(TextOutput, OnlyAClosedFileReplacesTheOldOne) {
    testing::TempDir dir;
    const std::string path = testing::utf8(dir / "out");
    testing::write_file(dir / "out", "old");
    {
        TextOutput out;
        ASSERT_TRUE(out.open(path.c_str()));
        for (int i = 0; i < 100000; ++i) out.print("plot %lf %lf %lf\n", i * 0.5, -i * 1.0, 1e6);
        out.discard();
        EXPECT_FALSE(out.failed());
    }
    {
        TextOutput out;
        ASSERT_TRUE(out.open(path.c_str()));
        out.write("never closed\n");
    }
    EXPECT_EQ(testing::read_file(dir / "out"), "old");
    TextOutput out;
    ASSERT_TRUE(out.open(path.c_str()));
    out.write("new\n");
    EXPECT_EQ(testing::read_file(dir / "out"), "old");
    EXPECT_TRUE(out.close());
    EXPECT_EQ(testing::read_file(dir / "out"), "new\r\n");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u);
}

TEST(TextOutput, DirectoryDoesNotOpen) {
    testing::TempDir dir;
    TextOutput out;
    EXPECT_FALSE(out.open(dir.path().string().c_str()));
}

}  // namespace
}  // namespace trimora
