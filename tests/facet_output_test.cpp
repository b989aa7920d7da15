// The KPF facet block and the result of each form's sink for a complete facet.
#include "writers/facet_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "mesh/run_console.h"
#include "platform/text_output.h"
#include "writers/wire_output.h"
#include "run_tool.h"

namespace trimora {
namespace {

using testing::stream_text;

class FacetSinks : public ::testing::Test {
protected:
    std::FILE* file_stream = std::tmpfile();
    std::FILE* console_stream = std::tmpfile();
    TextOutput file{file_stream};
    TextOutput console_output{console_stream};
    RunConsole console{console_output};
    FacetLinesWriter text{file, "nrml", "trng"};
    std::unique_ptr<WireWriter> wire = std::make_unique<WireWriter>(file, console);
    NoFacetWriter none;
    const Facet facet{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 0, -1}, true};

    ~FacetSinks() override {
        std::fclose(file_stream);
        std::fclose(console_stream);
    }
    int take(FacetSink& sink) {
        const int result = sink.take_facet(facet);
        file.flush();
        console_output.flush();
        return result;
    }
};

TEST_F(FacetSinks, WriteACompleteFacetInTheirForm) {
    EXPECT_EQ(take(text), 1);
    EXPECT_EQ(take(*wire), 1);
    EXPECT_EQ(stream_text(file_stream),
              "\r\nnrml 0.000000 0.000000 -1.000000\r\ntrng 0.000000 0.000000 0.000000\r\n"
              "nrml 0.000000 0.000000 -1.000000\r\ntrng 1.000000 0.000000 0.000000\r\n"
              "nrml 0.000000 0.000000 -1.000000\r\ntrng 1.000000 1.000000 0.000000\r\n"
              "\r\nmove 0.000000 0.000000 0.000000\r\nplot 1.000000 0.000000 0.000000\r\n"
              "plot 1.000000 1.000000 0.000000\r\nplot 0.000000 0.000000 0.000000\r\n");
    EXPECT_EQ(stream_text(console_stream), "");
    EXPECT_EQ(console.problems(), 0);
}

// The NULL form converts nothing, and a run of it must not look like a success.
TEST_F(FacetSinks, NoFormWritesNothingAndFails) {
    EXPECT_EQ(take(none), 0);
    EXPECT_EQ(stream_text(file_stream), "");
    EXPECT_EQ(stream_text(console_stream), "");
}

// A facet without a normal of its own is written with its vertices' normal.
TEST_F(FacetSinks, FacetWithoutANormalGetsItsVertices) {
    Facet plain = facet;
    plain.has_normal = false;
    EXPECT_EQ(text.take_facet(plain), 1);
    file.flush();
    EXPECT_EQ(stream_text(file_stream),
              "\r\nnrml 0.000000 0.000000 1.000000\r\ntrng 0.000000 0.000000 0.000000\r\n"
              "nrml 0.000000 0.000000 1.000000\r\ntrng 1.000000 0.000000 0.000000\r\n"
              "nrml 0.000000 0.000000 1.000000\r\ntrng 1.000000 1.000000 0.000000\r\n");
}

}  // namespace
}  // namespace trimora
