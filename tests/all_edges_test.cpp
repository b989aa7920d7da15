// The complete wire frame against the legacy wire frame, and past its line list.
#include "writers/all_edges_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "in_process.h"
#include "report/mesh_report.h"
#include "run_tool.h"
#include "stl_files.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

// A grid surface of columns x rows squares, two facets each, with the
// diagonal turning from square to square. Points at x = 0 are written as
// -0.0 or 0.0 by turns in z, some facets repeat in the other winding, and a
// last facet may have its three vertices equal.
std::string grid(int columns, int rows, bool point_facet) {
    std::string text = "solid grid\n";
    auto add = [&](double ax, double ay, double bx, double by, double cx, double cy) {
        const double normal[3] = {0, 0, 1};
        const double vertices[3][3] = {{ax, ay, ax == 0 ? -0.0 : 0.5},
                                       {bx, by, bx == 0 ? 0.0 : 0.5},
                                       {cx, cy, cx == 0 ? 0.0 : 0.5}};
        text += ascii_facet(normal, vertices);
    };
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            const double x0 = i * 0.3, x1 = (i + 1) * 0.3, y0 = j * 0.7, y1 = (j + 1) * 0.7;
            if ((i + j) % 2 == 0) {
                add(x0, y0, x1, y0, x1, y1);
                add(x0, y0, x1, y1, x0, y1);
                if ((i * 7 + j) % 13 == 0) add(x1, y0, x0, y0, x1, y1);
            } else {
                add(x0, y0, x1, y0, x0, y1);
                add(x1, y1, x0, y1, x1, y0);
            }
        }
    }
    if (point_facet) add(-1, -1, -1, -1, -1, -1);
    return text + "endsolid grid\n";
}

// The distinct edges of that grid: across, along, diagonals, the point's own.
int grid_edges(int columns, int rows, bool point_facet) {
    return columns * (rows + 1) + (columns + 1) * rows + columns * rows + (point_facet ? 1 : 0);
}

struct Size {
    int columns, rows;
    bool point_facet;
};

struct WireRuns {
    std::string legacy_console, legacy_file, all_console, all_file;
};

// Converts dir/model.stl in the legacy wire form and in the complete one.
WireRuns both_wire_frames(const TempDir& dir) {
    WireRuns runs;
    runs.legacy_console = convert_in_process(dir / "model", wire_form()).console;
    runs.legacy_file = mask_date(read_file(dir / "model.kpf"));
    runs.all_console = convert_in_process(dir / "model", wire_form(FacetConsumer::kAllEdges)).console;
    runs.all_file = mask_date(read_file(dir / "model.kpf"));
    return runs;
}

int count_of(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(AllEdges, SameAsTheWireFrameUpToTheLimit) {
    for (const Size& size : {Size{40, 40, true}, Size{1, 1249, false}, Size{1, 1249, true},
                             Size{2, 714, false}}) {
        const int edges = grid_edges(size.columns, size.rows, size.point_facet);
        SCOPED_TRACE(edges);
        TempDir dir;
        write_file(dir / "model.stl", grid(size.columns, size.rows, size.point_facet));
        const WireRuns runs = both_wire_frames(dir);
        EXPECT_EQ(runs.all_console, runs.legacy_console);
        EXPECT_EQ(runs.all_file, runs.legacy_file);
        EXPECT_EQ(count_of(runs.all_file, "\r\nplot "), edges);
        EXPECT_EQ(count_of(runs.legacy_console, "overflow"), 0);
    }
}

// Past 5000 edges the legacy list overflows; the complete frame goes on
// with the same bytes up to that point and writes every edge once.
TEST(AllEdges, EveryEdgePastTheLimit) {
    for (const Size& size : {Size{1, 1250, false}, Size{2, 714, true}, Size{1, 3000, true}}) {
        const int edges = grid_edges(size.columns, size.rows, size.point_facet);
        SCOPED_TRACE(edges);
        TempDir dir;
        write_file(dir / "model.stl", grid(size.columns, size.rows, size.point_facet));
        const WireRuns runs = both_wire_frames(dir);
        EXPECT_EQ(count_of(runs.all_file, "\r\nplot "), edges);
        EXPECT_EQ(count_of(runs.legacy_file, "\r\nplot "), 5000);
        EXPECT_EQ(count_of(runs.all_console, "overflow"), 0);
        // Counted in one line, which names the way to keep every edge.
        EXPECT_EQ(count_of(runs.legacy_console, "Line list overflow: [5000]: ["), 1);
        EXPECT_EQ(count_of(runs.legacy_console, "] edges left out; -f wire --all-edges writes every edge\r\n"), 1);
        EXPECT_EQ(count_of(runs.legacy_console, "\r\n"), 6);
        const std::size_t last_plot = runs.legacy_file.rfind("\r\nplot ");
        const std::size_t end = runs.legacy_file.find("\r\n", last_plot + 2) + 2;
        EXPECT_EQ(runs.all_file.substr(0, end), runs.legacy_file.substr(0, end));
        // The report counts the plot lines of the complete frame.
        MeshReport report;
        convert_in_process(dir / "model", wire_form(FacetConsumer::kMeshReport), &report);
        EXPECT_EQ(report.figures().edges, static_cast<std::uint64_t>(edges));
    }
}

// Every file of the shared corpus: byte for byte the wire frame when its
// list does not overflow; otherwise one plot line per edge of the report.
TEST(AllEdges, CorpusFiles_NeedsCorpus) {
    const fs::path corpus = corpus_dir();
    if (corpus.empty()) GTEST_SKIP() << "the shared STL corpus is not here";
    int compared = 0;
    int counted = 0;
    for (const char* folder : {"ascii", "binary"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(corpus / folder)) {
            SCOPED_TRACE(entry.path().string());
            TempDir dir;
            fs::copy_file(entry.path(), dir / "model.stl");
            const WireRuns runs = both_wire_frames(dir);
            if (runs.legacy_console.find("Line list overflow") == std::string::npos) {
                EXPECT_EQ(runs.all_console, runs.legacy_console);
                EXPECT_EQ(runs.all_file, runs.legacy_file);
                ++compared;
            } else {
                MeshReport report;
                convert_in_process(dir / "model", wire_form(FacetConsumer::kMeshReport), &report);
                EXPECT_EQ(static_cast<std::uint64_t>(count_of(runs.all_file, "\r\nplot ")),
                          report.figures().edges);
                ++counted;
            }
        }
    }
    EXPECT_GT(compared, 10);
    EXPECT_GT(counted, 3);
}

}  // namespace
}  // namespace trimora::testing
