// Lines read in blocks on two threads reach the ASCII STL reader exactly as read one by one.
#include "readers/line_blocks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "mesh/run_console.h"
#include "platform/byte_source.h"
#include "platform/text_output.h"
#include "readers/format_readers.h"
#include "platform/worker_thread.h"
#include "writers/wire_output.h"
#include "run_tool.h"

namespace trimora {
namespace {

using testing::TempDir;

// The problems, status and count the ASCII STL reader gives over the file, and
// the wire frame of its facets, read in blocks or line by line (block_size 0).
std::string run_loop(const std::filesystem::path& path, int block_size) {
    std::FILE* file_stream = std::tmpfile();
    std::FILE* console_stream = std::tmpfile();
    {
        TextOutput file(file_stream);
        TextOutput console_output(console_stream);
        RunConsole console(console_output);
        auto wire = std::make_unique<WireWriter>(file, console);
        FileByteSource source;
        EXPECT_TRUE(source.open(testing::utf8(path).c_str()));
        const auto reader = make_ascii_stl_reader(source, "f", nullptr, 0, block_size);
        int status = 1;
        int given = 0;
        for (ReadStep step; (step = reader->next()) != ReadStep::kEnd;) {
            if (step == ReadStep::kFacet) {
                ++given;
                status = wire->take_facet(reader->facet());
            } else {
                console.problem_line(reader->problem());
                status = 0;
            }
        }
        console.print("status %d, facets %d of %d\n", status, reader->facet_count(given), given);
    }
    const std::string text = testing::stream_text(console_stream) + "--\n" + testing::stream_text(file_stream);
    std::fclose(console_stream);
    std::fclose(file_stream);
    return text;
}

TEST(LineBlocks, GiveWhatTheLineByLineReadingGives) {
    std::string facets;
    for (int i = 0; i < 12000; ++i) {
        const std::string v = std::to_string(i % 97) + ".25 " + std::to_string(i % 89) + " -1e-3";
        facets += "facet normal 0 0 " + std::to_string(i % 3) + "\nouter loop\nvertex " + v +
                  "\nvertex 1 " + v + "\nvertex " + v + " 2\nendloop\nendfacet\n";
    }
    const std::string odd[] = {
        std::string(300, '7') + "\n",        // pieces of 127 characters
        std::string(127, 'v') + "\r\n",      // a piece, then the line end alone
        "vertex 1 2\r3\n",                   // a lone CR
        std::string("vert\0ex 9 9 9\n", 14),  // a NUL ends the text
        "\tWHAT 1 2 3\n",                    // a message naming a word of the block
        "facet nrml 1 2 3\n",
    };
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::string mixed = [&] {
        std::string bytes = facets;
        // Odd lines where blocks end, and a line longer than a block.
        for (std::size_t k = 0; k * 131000 + 2000 < bytes.size(); ++k) {
            const std::size_t at = bytes.size() - 1000 - k * 131000;
            bytes.insert(bytes.find('\n', at) + 1, odd[k % 6] + odd[(k + 3) % 6]);
        }
        bytes.insert(bytes.find('\n', 400000) + 1, std::string(200000, 'x') + "\n");
        return bytes;
    }();
    std::string crlf;
    for (char c : facets) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const Case cases[] = {
        {"ordinary", facets},
        {"odd lines", mixed},
        {"CR LF", crlf},
        {"end byte", facets.substr(0, 300000) + "\x1a" + facets},
        {"no last line end", facets + "endsolid"},
        {"long last line", facets + std::string(200000, 'y')},
    };
    for (const Case& c : cases) {
        TempDir dir;
        testing::write_file(dir / "f", c.bytes);
        const std::string by_line = run_loop(dir / "f", 0);
        EXPECT_EQ(run_loop(dir / "f", kLineBlockSize), by_line) << c.name;
        // Small blocks end on every kind of line, and a line outgrows them.
        EXPECT_EQ(run_loop(dir / "f", 100), by_line) << c.name;
        EXPECT_EQ(run_loop(dir / "f", 4099), by_line) << c.name;
        // Without a thread each block is read when it is handed over.
        force_inline_tasks(true);
        EXPECT_EQ(run_loop(dir / "f", kLineBlockSize), by_line) << c.name << ", no thread";
        force_inline_tasks(false);
        EXPECT_GT(c.bytes.size(), 4u * kLineBlockSize) << c.name;  // several blocks
    }
}

}  // namespace
}  // namespace trimora
