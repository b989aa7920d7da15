// The mesh report's two renderings: the aligned block and the JSON line.
#include "report/report_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace trimora {
namespace {

// Every real reads back as the same double.
TEST(ReportText, RealsReadBackExactly) {
    MeshFigures figures;
    const double values[] = {0.1 + 0.2, 1.0 / 3.0, 5e-324, 1.7976931348623157e308, -123.456,
                             static_cast<double>(0.3f)};
    for (const double value : values) {
        figures.area = value;
        const std::string text = render_report("x", figures, ReportStyle::kJsonLine);
        const std::size_t at = text.find("\"area\":") + 7;
        EXPECT_EQ(std::strtod(text.c_str() + at, nullptr), value) << text;
    }
}

// JSON holds no infinity or NaN: null there; the block names them.
TEST(ReportText, NonFiniteNumbers) {
    MeshFigures figures;
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    figures.min[0] = -inf;
    figures.min[1] = nan;
    figures.min[2] = -nan;
    figures.max[0] = inf;
    figures.area = nan;
    figures.volume = -inf;
    figures.facets = -2147483647 - 1;  // a wrapped count stays as counted
    const std::string json = render_report("x", figures, ReportStyle::kJsonLine);
    EXPECT_NE(json.find("\"facets\":-2147483648,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"min\":[null,null,null],\"max\":[null,0,0],\"area\":null,"
                        "\"volume\":null,\"closed\":false}\n"),
              std::string::npos)
        << json;
    const std::string block = render_report("x", figures, ReportStyle::kBlock);
    EXPECT_NE(block.find("min                -inf nan nan\nmax                inf 0 0\n"
                         "area               nan\nvolume             -inf\nclosed             no\n"),
              std::string::npos)
        << block;
}

// File names are JSON strings: quotes, backslashes and control bytes escaped,
// UTF-8 as it is, and every other byte as U+FFFD.
TEST(ReportText, FileNameEscapedInJson) {
    const std::string json =
        render_report("a\"b\\c\td\x01\xc3\xa9.stl", MeshFigures{}, ReportStyle::kJsonLine);
    EXPECT_TRUE(json.starts_with("{\"file\":\"a\\\"b\\\\c\\u0009d\\u0001\xc3\xa9.stl\",\"facets\":0,"))
        << json;
    EXPECT_EQ(json.find('\n'), json.size() - 1);
    // A name that is not UTF-8 still gives a valid JSON line.
    EXPECT_TRUE(render_report("p\xFFq\xE6\x97.stl", MeshFigures{}, ReportStyle::kJsonLine)
                    .starts_with("{\"file\":\"p\xEF\xBF\xBDq\xEF\xBF\xBD\xEF\xBF\xBD.stl\","));
    EXPECT_TRUE(render_report(nullptr, MeshFigures{}, ReportStyle::kBlock).starts_with("file               \n"));
}

// A file without figures: its name and the message, escaped in JSON as a name is.
TEST(ReportText, FailureGivesTheFileAndItsMessage) {
    EXPECT_EQ(render_failure("a\"b.stl", "Cannot open file: [a\"b.stl]", ReportStyle::kJsonLine),
              "{\"file\":\"a\\\"b.stl\",\"error\":\"Cannot open file: [a\\\"b.stl]\"}\n");
    EXPECT_EQ(render_failure("x.stl", "Bad number [\x01] in [x.stl]", ReportStyle::kJsonLine),
              "{\"file\":\"x.stl\",\"error\":\"Bad number [\\u0001] in [x.stl]\"}\n");
    EXPECT_EQ(render_failure("x.stl", "Cannot read file: [x.stl]", ReportStyle::kBlock),
              "file               x.stl\nerror              Cannot read file: [x.stl]\n");
}

}  // namespace
}  // namespace trimora
