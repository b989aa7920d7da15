// The end-of-facet dispatch: the vertex count check, the result per form, the reset.
#include "writers/facet_output.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/text_output.h"
#include "report/mesh_report.h"
#include "run_tool.h"

namespace trimora {
namespace {

using testing::stream_text;

class FinishFacet : public ::testing::Test {
protected:
    std::FILE* file_stream = std::tmpfile();
    std::FILE* console_stream = std::tmpfile();
    TextOutput file{file_stream};
    TextOutput console{console_stream};
    std::unique_ptr<FacetOutput> out = std::make_unique<FacetOutput>();
    const double xs[3] = {0, 1, 1}, ys[3] = {0, 0, 1}, zs[3] = {0, 0, 0};

    FinishFacet() {
        out->file = &file;
        out->console = &console;
        out->line_number = 7;
    }
    ~FinishFacet() override {
        std::fclose(file_stream);
        std::fclose(console_stream);
    }
    int finish(int form, int vertices) {
        out->output_code = form;
        out->vertex_count = vertices;
        const int result = finish_facet(*out, 0, 0, -1, xs, ys, zs);
        EXPECT_EQ(out->vertex_count, 0);
        file.flush();
        console.flush();
        return result;
    }
};

TEST_F(FinishFacet, WritesACompleteFacetInItsForm) {
    EXPECT_EQ(finish(kTextForm, 3), 1);
    EXPECT_EQ(finish(kWireForm, 3), 1);
    EXPECT_EQ(stream_text(file_stream),
              "\r\nnrml 0.000000 0.000000 -1.000000\r\ntrng 0.000000 0.000000 0.000000\r\n"
              "nrml 0.000000 0.000000 -1.000000\r\ntrng 1.000000 0.000000 0.000000\r\n"
              "nrml 0.000000 0.000000 -1.000000\r\ntrng 1.000000 1.000000 0.000000\r\n"
              "\r\nmove 0.000000 0.000000 0.000000\r\nplot 1.000000 0.000000 0.000000\r\n"
              "plot 1.000000 1.000000 0.000000\r\nplot 0.000000 0.000000 0.000000\r\n");
    EXPECT_EQ(stream_text(console_stream), "");
}

TEST_F(FinishFacet, NoFormWritesNothingAndFails) {
    EXPECT_EQ(finish(kNullForm, 3), 0);
    EXPECT_EQ(stream_text(file_stream), "");
    EXPECT_EQ(stream_text(console_stream), "");
}

TEST_F(FinishFacet, WrongCountIsReportedInEveryForm) {
    EXPECT_EQ(finish(kTextForm, 2), 0);
    EXPECT_EQ(finish(kNullForm, 0), 0);
    EXPECT_EQ(finish(kWireForm, 1), 0);
    EXPECT_EQ(stream_text(file_stream), "");
    EXPECT_EQ(stream_text(console_stream),
              "Wrong number of vertices [2] at line 7\r\nWrong number of vertices [0] at line 7\r\n"
              "Wrong number of vertices [1] at line 7\r\n");
}

TEST(CountOne, WrapsLikeA32BitCounter) {
    int counter = INT_MAX - 1;
    count_one(counter);
    EXPECT_EQ(counter, INT_MAX);
    count_one(counter);
    EXPECT_EQ(counter, INT_MIN);
}

}  // namespace
}  // namespace trimora
