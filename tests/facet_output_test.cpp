// The end-of-facet dispatch: the vertex count check, the result per form, the reset.
#include "writers/facet_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/text_output.h"
#include "writers/wire_output.h"
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
    FacetLinesWriter text{file, "nrml", "trng"};
    std::unique_ptr<WireWriter> wire = std::make_unique<WireWriter>(file, console);
    NoFacetWriter none;
    const Facet facet{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 0, -1}, true};

    ~FinishFacet() override {
        std::fclose(file_stream);
        std::fclose(console_stream);
    }
    int finish(int form, int vertices) {
        FacetSink& sink = form == kTextForm ? static_cast<FacetSink&>(text)
                          : form == kWireForm ? static_cast<FacetSink&>(*wire)
                                              : none;
        int vertex_count = vertices;
        const int result = finish_facet(sink, console, vertex_count, 7, facet);
        EXPECT_EQ(vertex_count, 0);
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

}  // namespace
}  // namespace trimora
