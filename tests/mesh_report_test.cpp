// The mesh report of whole conversions, on meshes whose figures are known by hand.
#include "report/mesh_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "in_process.h"
#include "platform/worker_thread.h"
#include "run_tool.h"
#include "stl_files.h"

namespace trimora::testing {
namespace {

using Facets = std::vector<FloatFacet>;

FloatFacet facet(const float (&a)[3], const float (&b)[3], const float (&c)[3]) {
    return FloatFacet{{0, 0, 0}, {{a[0], a[1], a[2]}, {b[0], b[1], b[2]}, {c[0], c[1], c[2]}}};
}

// A cube from (0, 0, 0) to (3, 3, 3), every facet wound outward, so that
// each area (4.5) and volume term (0, 4.5 or 9) is exact.
Facets cube() {
    const float quads[6][4][3] = {
        {{0, 0, 0}, {0, 3, 0}, {3, 3, 0}, {3, 0, 0}},  // z = 0, the only face with its
        {{0, 0, 3}, {3, 0, 3}, {3, 3, 3}, {0, 3, 3}},  // facets first: see below
        {{0, 0, 0}, {3, 0, 0}, {3, 0, 3}, {0, 0, 3}},
        {{0, 3, 0}, {0, 3, 3}, {3, 3, 3}, {3, 3, 0}},
        {{0, 0, 0}, {0, 0, 3}, {0, 3, 3}, {0, 3, 0}},
        {{3, 0, 0}, {3, 3, 0}, {3, 3, 3}, {3, 0, 3}},
    };
    Facets facets;
    for (const auto& q : quads) {
        facets.push_back(facet(q[0], q[1], q[2]));
        facets.push_back(facet(q[0], q[2], q[3]));
    }
    return facets;
}

// The cube with its points at zero written as -0.0 in every other facet.
Facets cube_with_negative_zeros() {
    Facets facets = cube();
    for (std::size_t i = 0; i < facets.size(); i += 2) {
        for (auto& vertex : facets[i].vertices) {
            for (float& value : vertex) {
                if (value == 0.0f) value = -0.0f;
            }
        }
    }
    return facets;
}

struct Expected {
    const char* name;
    Facets facets;
    int nfacet;
    std::uint64_t vertices, edges, boundary_edges, nonmanifold_edges, degenerate_facets;
    double min[3], max[3];
    double area, volume;
    bool closed;
};

std::vector<Expected> hand_meshes() {
    Facets open_cube = cube();
    // The first facet lies in z = 0: without it the volume stays 27.
    open_cube.erase(open_cube.begin());
    const Facets degenerate = {
        facet({0, 0, 0}, {1, 0, 0}, {0, 1, 0}),
        facet({0, 0, 0}, {1, 0, 0}, {2, 0, 0}),  // on one line
        facet({5, 5, 5}, {5, 5, 5}, {6, 5, 5}),  // two vertices equal
    };
    const Facets fin = {
        facet({0, 0, 0}, {1, 0, 0}, {0, 1, 0}),
        facet({0, 0, 0}, {1, 0, 0}, {0, 0, 1}),
        facet({0, 0, 0}, {1, 0, 0}, {0, -1, 0}),
    };
    return {
        {"closed cube", cube(), 12, 8, 18, 0, 0, 0, {0, 0, 0}, {3, 3, 3}, 54, 27, true},
        {"cube without one facet", open_cube, 11, 8, 18, 3, 0, 0, {0, 0, 0}, {3, 3, 3}, 49.5, 27,
         false},
        // Edges: 3, then 2 more (one shared), then a point to itself and
        // one edge used twice; boundary: every edge used once.
        {"degenerate facets", degenerate, 3, 6, 7, 5, 0, 2, {0, 0, 0}, {6, 5, 5}, 0.5, 0, false},
        {"fin", fin, 3, 5, 7, 6, 1, 0, {0, -1, 0}, {1, 1, 1}, 1.5, 0, false},
        {"-0.0 and 0.0", cube_with_negative_zeros(), 12, 8, 18, 0, 0, 0, {0, 0, 0}, {3, 3, 3}, 54,
         27, true},
        {"no facet", {}, 0, 0, 0, 0, 0, 0, {NAN, NAN, NAN}, {NAN, NAN, NAN}, 0, 0, false},
    };
}

void expect_figures(const MeshFigures& got, const Expected& row) {
    EXPECT_EQ(got.facets, row.nfacet);
    EXPECT_EQ(got.vertices, row.vertices);
    EXPECT_EQ(got.edges, row.edges);
    EXPECT_EQ(got.boundary_edges, row.boundary_edges);
    EXPECT_EQ(got.nonmanifold_edges, row.nonmanifold_edges);
    EXPECT_EQ(got.degenerate_facets, row.degenerate_facets);
    for (int axis = 0; axis < 3; ++axis) {
        if (std::isnan(row.min[axis])) {
            EXPECT_TRUE(std::isnan(got.min[axis]) && std::isnan(got.max[axis]));
            continue;
        }
        EXPECT_EQ(got.min[axis], row.min[axis]);
        EXPECT_EQ(got.max[axis], row.max[axis]);
        // -0.0 equals 0.0, and the bounds show it as 0.0.
        EXPECT_FALSE(std::signbit(got.min[axis]) && got.min[axis] == 0.0);
    }
    EXPECT_EQ(got.area, row.area);
    EXPECT_EQ(got.volume, row.volume);
    EXPECT_EQ(got.closed, row.closed);
}

TEST(MeshReport, HandFiguresFromAsciiAndBinaryFiles) {
    for (const Expected& row : hand_meshes()) {
        for (const bool binary : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (binary ? " binary" : " ascii"));
            TempDir dir;
            write_file(dir / "mesh.stl",
                       binary ? binary_stl("mesh", row.facets) : ascii_twin(row.facets));
            MeshReport report;
            const InProcessRun run =
                convert_in_process(dir / "mesh", wire_form(FacetConsumer::kMeshReport), &report);
            // A file without a facet has nothing to report: a problem of the file.
            EXPECT_EQ(run.result, row.nfacet > 0 ? 1 : 0);
            expect_figures(report.figures(), row);
            // The report writes no file and names none.
            EXPECT_FALSE(std::filesystem::exists(dir / "mesh.kpf"));
            const std::string path = (dir / "mesh.stl").string();
            const std::string no_facet = row.nfacet > 0 ? "" : "No facet to convert in [" + path + "]\n";
            EXPECT_EQ(run.console, crlf("File open: [" + path + "]\n" + no_facet + "File closed: [" + path +
                                        "]\nnfacet = " + std::to_string(row.nfacet) + "\n"));
        }
    }
}

// Binary floats are widened to double; a NaN stays out of the bounds and
// makes the sums NaN; its point is a new point every time.
TEST(MeshReport, BinaryFloatsWidenedAndNanKeptOutOfTheBounds) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Facets facets = {
        facet({0.1f, 0, 0}, {1, 0, 0}, {0.5f, 1, 0}),
        facet({nan, 0, 0}, {1, 0, 0}, {0.5f, 1, 0}),
    };
    TempDir dir;
    write_file(dir / "mesh.stl", binary_stl("mesh", facets));
    MeshReport report;
    convert_in_process(dir / "mesh", wire_form(FacetConsumer::kMeshReport), &report);
    const MeshFigures got = report.figures();
    EXPECT_EQ(got.facets, 2);
    EXPECT_EQ(got.vertices, 4u);
    EXPECT_EQ(got.edges, 5u);
    EXPECT_EQ(got.boundary_edges, 4u);
    EXPECT_EQ(got.min[0], static_cast<double>(0.1f));
    EXPECT_NE(got.min[0], 0.1);
    EXPECT_EQ(got.max[0], 1.0);
    EXPECT_TRUE(std::isnan(got.area));
    EXPECT_TRUE(std::isnan(got.volume));
    EXPECT_EQ(got.degenerate_facets, 0u);
}

// Infinite coordinates are numbers: they bound the mesh and the sums follow
// IEEE arithmetic.
TEST(MeshReport, InfiniteCoordinatesBoundTheMesh) {
    TempDir dir;
    write_file(dir / "mesh.stl",
               "solid s\nfacet normal 0 0 1\nouter loop\nvertex 1e999 0 0\nvertex 0 1 0\n"
               "vertex 0 0 -1e999\nendloop\nendfacet\nendsolid s\n");
    MeshReport report;
    convert_in_process(dir / "mesh", wire_form(FacetConsumer::kMeshReport), &report);
    const MeshFigures got = report.figures();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(got.max[0], inf);
    EXPECT_EQ(got.min[2], -inf);
    EXPECT_EQ(got.vertices, 3u);
    EXPECT_FALSE(std::isfinite(got.area));
}

// Incomplete facets count in nfacet, are reported, and stay out of the figures.
TEST(MeshReport, IncompleteFacetsAreReportedAndLeftOut) {
    TempDir dir;
    write_file(dir / "mesh.stl",
               "solid s\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\n"
               "endfacet\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
               "vertex 0 1 0\nendloop\nendfacet\nendsolid s\n");
    MeshReport report;
    const InProcessRun run =
        convert_in_process(dir / "mesh", wire_form(FacetConsumer::kMeshReport), &report);
    EXPECT_NE(run.console.find("Wrong number of vertices [2] at line 6\r\n"), std::string::npos);
    const MeshFigures got = report.figures();
    EXPECT_EQ(got.facets, 2);
    EXPECT_EQ(got.vertices, 3u);
    EXPECT_EQ(got.edges, 3u);
    EXPECT_EQ(got.area, 0.5);
    EXPECT_FALSE(got.closed);
}

// Blocks tallied on the worker thread give the figures of one thread, also
// when the report is asked midway and goes on, and also without a thread.
class MeshReportThreads : public ::testing::TestWithParam<bool> {};

TEST_P(MeshReportThreads, SameFiguresAsATallyOnOneThread) {
    force_inline_tasks(!GetParam());
    MeshReport report;
    MeshTally tally;
    const int facets = MeshReport::kBlockFacets * 3 + 17;
    auto add = [&](int n) {
        // A strip of facets with some repeated points and some -0.0.
        const Facet f{{{n * 0.5, 0, n % 5 * 0.25}, {n * 0.5 + 0.5, 0, 0}, {n % 97 == 0 ? -0.0 : n * 0.5, 1, -0.0}},
                      {0, 0, 1},
                      true};
        report.take_facet(f);
        tally.add_facet(&f.vertices[0][0]);
    };
    auto expect_same = [](const MeshFigures& got, const MeshFigures& want) {
        EXPECT_EQ(got.vertices, want.vertices);
        EXPECT_EQ(got.edges, want.edges);
        EXPECT_EQ(got.boundary_edges, want.boundary_edges);
        EXPECT_EQ(got.nonmanifold_edges, want.nonmanifold_edges);
        EXPECT_EQ(got.degenerate_facets, want.degenerate_facets);
        EXPECT_EQ(got.area, want.area);
        EXPECT_EQ(got.volume, want.volume);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(got.min[axis], want.min[axis]);
            EXPECT_EQ(got.max[axis], want.max[axis]);
        }
    };
    for (int n = 0; n < facets; ++n) add(n);
    expect_same(report.figures(), tally.figures());
    for (int n = 0; n < facets; ++n) add(n + 5);
    for (int n = 0; n < facets; ++n) add(n + 11);
    report.set_facet_count(7);
    const MeshFigures got = report.figures();
    expect_same(got, tally.figures());
    EXPECT_EQ(got.facets, 7);
    EXPECT_GT(got.edges, static_cast<std::uint64_t>(facets));
    EXPECT_GT(got.nonmanifold_edges, 0u);
    force_inline_tasks(false);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutAThread, MeshReportThreads, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Threaded" : "Inline");
                         });

}  // namespace
}  // namespace trimora::testing
