// The edge list of wire-frame output: exact matching, both directions, the capacity.
#include "writers/line_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

#include "mesh/run_console.h"
#include "platform/text_output.h"
#include "run_tool.h"

namespace trimora {
namespace {

class LineListTest : public ::testing::Test {
protected:
    std::unique_ptr<LineList> list = std::make_unique<LineList>();
    std::FILE* sink = std::tmpfile();
    TextOutput output{sink};
    RunConsole console{output};

    ~LineListTest() override { std::fclose(sink); }

    std::string console_text() {
        output.flush();
        return testing::stream_text(sink);
    }
};

TEST_F(LineListTest, FindsEdgesInBothDirectionsExactly) {
    EXPECT_EQ(store_edge(*list, console, 0, 0, 0, 1, 0, 0), 0);
    EXPECT_EQ(store_edge(*list, console, 1, 0, 0, 1, 1, 0), 1);
    EXPECT_EQ(find_edge(*list, 0, 0, 0, 1, 0, 0), 0);
    EXPECT_EQ(find_edge(*list, 1, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(find_edge(*list, 1, 1, 0, 1, 0, 0), 1);
    EXPECT_EQ(find_edge(*list, -0.0, 0, -0.0, 1, 0, 0), 0);
    EXPECT_EQ(find_edge(*list, 1e-7, 0, 0, 1, 0, 0), -1);
    EXPECT_EQ(find_edge(*list, std::nextafter(0.0, 1.0), 0, 0, 1, 0, 0), -1);
    EXPECT_EQ(find_edge(*list, 0, 0, 0, 1, 1, 0), -1);
    EXPECT_EQ(edge_matches(*list, 0, 0, 0, 0, 1, 0, 0), 1);
    EXPECT_EQ(edge_matches(*list, 0, 1, 0, 0, 0, 0, 0), 0);
}

TEST_F(LineListTest, NanNeverMatchesButTakesItsEntry) {
    const double nan = std::nan("");
    EXPECT_EQ(store_edge(*list, console, nan, 0, 0, 1, 0, 0), 0);
    EXPECT_EQ(find_edge(*list, nan, 0, 0, 1, 0, 0), -1);
    EXPECT_EQ(store_edge(*list, console, nan, 0, 0, 1, 0, 0), 1);
    EXPECT_EQ(list->count, 2);
}

TEST_F(LineListTest, FullListReportsEveryRefusedEdge) {
    for (int i = 0; i < LineList::kCapacity - 1; ++i) {
        ASSERT_EQ(store_edge(*list, console, i, 0, 0, i + 1, 0, 0), i);
    }
    EXPECT_EQ(console_text(), "");
    EXPECT_EQ(store_edge(*list, console, -1, 0, 0, -2, 0, 0), 4999);
    EXPECT_EQ(store_edge(*list, console, -3, 0, 0, -4, 0, 0), -1);
    EXPECT_EQ(store_edge(*list, console, -3, 0, 0, -4, 0, 0), -1);
    EXPECT_EQ(list->count, LineList::kCapacity);
    EXPECT_EQ(console_text(), "Line list overflow: [5000]\r\nLine list overflow: [5000]\r\n");
    // Each is a problem of the run.
    EXPECT_EQ(console.problems(), 2);
    // Every stored edge is still found, the last one in both directions.
    for (int i = 0; i < LineList::kCapacity - 1; ++i) {
        ASSERT_EQ(find_edge(*list, i + 1, 0, 0, i, 0, 0), i);
    }
    EXPECT_EQ(find_edge(*list, -2, 0, 0, -1, 0, 0), 4999);
    EXPECT_EQ(find_edge(*list, -3, 0, 0, -4, 0, 0), -1);
}

// The index must give the same answers as a scan of the whole list.
TEST_F(LineListTest, AgreesWithALinearScan) {
    std::mt19937 random(7);
    // -0.0 and 0.0 are one value, so they must meet in the index.
    const double values[] = {-1.0, -0.0, 0.0, 1.0, 2.0, 3.0};
    auto coordinate = [&] { return values[random() % 6]; };
    auto scan = [&](double x1, double y1, double z1, double x2, double y2, double z2) {
        for (int i = 0; i < list->count; ++i) {
            if (edge_matches(*list, i, x1, y1, z1, x2, y2, z2) ||
                edge_matches(*list, i, x2, y2, z2, x1, y1, z1)) {
                return i;
            }
        }
        return -1;
    };
    for (int n = 0; n < 20000; ++n) {
        const double p[6] = {coordinate(), coordinate(), coordinate(),
                             coordinate(), coordinate(), coordinate()};
        const int found = find_edge(*list, p[0], p[1], p[2], p[3], p[4], p[5]);
        ASSERT_EQ(found, scan(p[0], p[1], p[2], p[3], p[4], p[5]));
        if (found < 0 && list->count < LineList::kCapacity) {
            store_edge(*list, console, p[0], p[1], p[2], p[3], p[4], p[5]);
        }
    }
    EXPECT_GT(list->count, 4000);
}

}  // namespace
}  // namespace trimora
