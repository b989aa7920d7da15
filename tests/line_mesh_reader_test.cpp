// The loop every line-based reader shares, through a toy format: pending facets, long lines, stop, the end.
#include "readers/line_mesh_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "compressed_files.h"
#include "platform/byte_source.h"
#include "readers/gzip_source.h"

namespace trimora {
namespace {

// Lines of a toy format: "v x" a vertex at (x, 0, 0), "f a b c ..." a polygon
// of vertices counted from 0 ("fs" stops after it), "t" a facet at 9,
// "more n" n facets at 8 given by read_on, "stop" a wire frame that stops;
// any other line is unknown. At the end it gives end_problems problems.
class ToyReader final : public LineMeshReader {
public:
    ToyReader(ByteSource& source, LongLines long_lines, std::size_t line_limit, int end_problems)
        : LineMeshReader(source, "toy", "toy", long_lines, line_limit), end_problems_(end_problems) {}

    int read_ends = 0;  // how often read_end was asked

private:
    bool read_line(Line& line, ReadStep& step) override {
        const std::string_view text(line.text, line.length);
        if (text.starts_with("v ")) {
            vertices_.push_back() = Vertex{{std::strtod(line.text + 2, nullptr), 0.0, 0.0}};
            return false;
        }
        if (text.starts_with("f ") || text.starts_with("fs ")) {
            std::vector<std::size_t>& indices = fan_.new_polygon();
            for (char* p = line.text + 2; *p != '\0';) {
                char* end = nullptr;
                indices.push_back(std::strtoul(p, &end, 10));
                if (end == p) break;
                p = end;
            }
            if (text[1] == 's') stop();
            step = fan_.start(vertices_, facet_) ? ReadStep::kFacet
                                                 : report(lines_.line_number(), message::kFaceTooSmall, indices.size());
            return true;
        }
        if (text == "t") return give(9.0, step);
        if (text.starts_with("more ")) {
            more_ = std::atoi(line.text + 5);
            return false;
        }
        if (text == "stop") {
            stop();
            read_to_end_ = false;
            step = report(lines_.line_number(), message::kWireFrame);
            return true;
        }
        step = report(lines_.line_number(), message::kUnknownLine, text);
        return true;
    }

    bool read_on(ReadStep& step) override {
        if (more_ == 0) return false;
        --more_;
        return give(8.0, step);
    }

    ReadStep read_end() override {
        ++read_ends;
        if (end_problems_ == 0) return ReadStep::kEnd;
        --end_problems_;
        return report(lines_.line_number(), message::kDataEndsEarly, end_problems_, "2", "toy");
    }

    bool give(double x, ReadStep& step) {
        const Vertex corner{{x, x, x}};
        set_facet(facet_, corner, corner, corner);
        step = ReadStep::kFacet;
        return true;
    }

    int more_ = 0;
    int end_problems_;
};

struct Read {
    std::string steps;  // a facet as "F x x x" of its three vertices, a problem as its text
    bool read_to_end;
    int read_ends;
};

Read read_toy(ByteSource& source, LongLines long_lines = LongLines::kProblem, std::size_t limit = 10,
              int end_problems = 0) {
    ToyReader reader(source, long_lines, limit, end_problems);
    Read read{"", false, 0};
    for (ReadStep step; (step = reader.next()) != ReadStep::kEnd;) {
        if (step == ReadStep::kFacet) {
            read.steps += "F";
            for (const auto& vertex : reader.facet().vertices) {
                read.steps += ' ';
                read.steps += std::to_string(static_cast<int>(vertex[0]));
            }
        } else {
            read.steps += reader.problem();
        }
        read.steps += "\n";
    }
    // The end, then the end again, without asking the format.
    const int read_ends = reader.read_ends;
    EXPECT_EQ(reader.next(), ReadStep::kEnd);
    EXPECT_EQ(reader.read_ends, read_ends);
    read.read_to_end = reader.read_to_end();
    read.read_ends = read_ends;
    return read;
}

struct Case {
    const char* what;
    std::string input;
    LongLines long_lines;
    int end_problems;
    std::string steps;
    bool read_to_end;
    int read_ends;
};

const std::string kFour = "v 0\nv 1\nv 2\nv 3\n";

TEST(LineMeshReader, GivesTheStepsOfTheLinesAndTheEnd) {
    const LongLines kProblem = LongLines::kProblem;
    const Case cases[] = {
        {"nothing", "", kProblem, 0, "", true, 1},
        {"a polygon's facets come before the next line", kFour + "f 0 1 2 3\nx\n", kProblem, 0,
         "F 0 1 2\nF 0 2 3\nUnknown line [x] in [toy] on line 6\n", true, 1},
        {"a polygon of two vertices", kFour + "f 0 1\n", kProblem, 0,
         "Face with fewer than three vertices [2] in [toy] on line 5\n", true, 1},
        {"read_on goes before the next line", "more 2\nt\n", kProblem, 0, "F 8 8 8\nF 8 8 8\nF 9 9 9\n", true, 1},
        {"a line at the limit is a line", "1234567890\n", kProblem, 0,
         "Unknown line [1234567890] in [toy] on line 1\n", true, 1},
        {"a longer line is a problem, and its rest is skipped", "12345678901\nt\n", kProblem, 0,
         "Line longer than [10] bytes in [toy] on line 1\nF 9 9 9\n", true, 1},
        {"or a line cut at the limit", "12345678901abc\nt\n", LongLines::kCut, 0,
         "Unknown line [1234567890] in [toy] on line 1\nF 9 9 9\n", true, 1},
        {"stop ends the reading", "stop\nt\n", kProblem, 0, "Wire frame holds edges, not facets in [toy] on line 1\n",
         false, 0},
        {"what is left of the polygon comes after stop", kFour + "fs 0 1 2 3\nt\n", kProblem, 0,
         "F 0 1 2\nF 0 2 3\n", false, 0},
        {"the end is asked again until it ends", "t", kProblem, 2,
         "F 9 9 9\nData ends after [1] of [2] [toy] elements in [toy] on line 1\n"
         "Data ends after [0] of [2] [toy] elements in [toy] on line 1\n",
         true, 3},
    };
    for (const Case& c : cases) {
        MemoryByteSource source(c.input.data(), c.input.size());
        const Read read = read_toy(source, c.long_lines, 10, c.end_problems);
        EXPECT_EQ(read.steps, c.steps) << c.what;
        EXPECT_EQ(read.read_to_end, c.read_to_end) << c.what;
        EXPECT_EQ(read.read_ends, c.read_ends) << c.what;
    }
}

TEST(LineMeshReader, AFailedSourceEndsTheReadingWithoutTheFormatsEnd) {
    const std::string bytes = testing::gzip_bytes("t\nt\n");
    MemoryByteSource file(bytes.data(), bytes.size() - 4);
    GzipSource source(file);
    const Read read = read_toy(source, LongLines::kProblem, 10, 1);
    EXPECT_EQ(read.steps, "F 9 9 9\nF 9 9 9\nCompressed data cut short in [toy]\n");
    EXPECT_FALSE(read.read_to_end);
    EXPECT_EQ(read.read_ends, 0);
}

}  // namespace
}  // namespace trimora
