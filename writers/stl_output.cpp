// Facet blocks of an ASCII STL file, with round-trip number text.
#include "writers/stl_output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/format_lf.h"
#include "mesh/normals.h"
#include "platform/text_output.h"

namespace trimora {

namespace {

// Writes the three numbers after the word, each after a space, and the line end.
void write_numbers(TextOutput& file, const char* word, double x, double y, double z) {
    file.write(word);
    for (const double value : {x, y, z}) {
        char text[1 + 32];
        text[0] = ' ';
        const int length = stl_number(value, text + 1);
        file.write(std::string_view(text, static_cast<std::size_t>(length) + 1));
    }
    file.write_newline();
}

// The six-decimal text of each component of a normal.
struct NormalText {
    char digits[3][kLfBufferSize];
};

// The text of v divided by its length, as a reader divides a facet line's normal.
NormalText unit_text(const double v[3]) {
    double unit[3];
    unit_normal(v[0], v[1], v[2], unit);
    NormalText text;
    for (int i = 0; i < 3; ++i) format_lf(unit[i], text.digits[i]);
    return text;
}

bool operator==(const NormalText& a, const NormalText& b) {
    for (int i = 0; i < 3; ++i) {
        if (std::strcmp(a.digits[i], b.digits[i]) != 0) return false;
    }
    return true;
}

}  // namespace

void stl_normal(const double normal[3], double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = normal[i];
    if (!std::isfinite(normal[0]) || !std::isfinite(normal[1]) || !std::isfinite(normal[2])) return;
    NormalText wanted;
    for (int i = 0; i < 3; ++i) format_lf(normal[i], wanted.digits[i]);
    if (unit_text(normal) == wanted) return;
    // Each component may move by just under half a unit of the sixth decimal
    // (a little less, to stay clear of the halfway points that round either way)
    // and keep its text. Along the diagonal of that box from its corner
    // nearest the origin (low) to its farthest (high), the length grows
    // steadily; where it is 1, the vector is its own unit vector. Zero
    // components stay zero, to keep their sign.
    constexpr double kHalfStep = 5e-7 - 1e-11;
    double low[3];
    double step[3];
    for (int i = 0; i < 3; ++i) {
        low[i] = normal[i];
        step[i] = 0;
        if (normal[i] == 0) continue;
        const double sign = std::copysign(1.0, normal[i]);
        low[i] = normal[i] - sign * std::min(kHalfStep, std::fabs(normal[i]));
        step[i] = normal[i] + sign * kHalfStep - low[i];
    }
    const double a = step[0] * step[0] + step[1] * step[1] + step[2] * step[2];
    const double b = low[0] * step[0] + low[1] * step[1] + low[2] * step[2];
    const double c = low[0] * low[0] + low[1] * low[1] + low[2] * low[2] - 1;
    if (a == 0 || c > 0) return;
    // The root of a t^2 + 2 b t + c = 0 in [0, 1], in the form that does not cancel.
    const double t = -c / (b + std::sqrt(b * b - a * c));
    if (!(t <= 1)) return;
    double unit[3];
    for (int i = 0; i < 3; ++i) unit[i] = normal[i] == 0 ? normal[i] : low[i] + t * step[i];
    if (unit_text(unit) == wanted) {
        for (int i = 0; i < 3; ++i) out[i] = unit[i];
    }
}

int stl_number(double value, char* out) {
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return 3;
    }
    if (std::isinf(value)) {
        const char* text = value > 0 ? "1e999" : "-1e999";
        const std::size_t length = std::strlen(text);
        std::memcpy(out, text, length);
        return static_cast<int>(length);
    }
    // Shortest round trip, and no locale: 0.1 is "0.1", -0.0 is "-0".
    return static_cast<int>(std::to_chars(out, out + 32, value).ptr - out);
}

void write_stl_header(TextOutput& file, const std::string& name) {
    file.write("solid " + name);
    file.write_newline();
}

void write_stl_trailer(TextOutput& file, const std::string& name) {
    file.write("endsolid " + name);
    file.write_newline();
}

int StlWriter::take_facet(const Facet& f) {
    double normal[3];
    facet_normal(f, normal);
    double written[3];
    stl_normal(normal, written);
    write_numbers(file_, "  facet normal", written[0], written[1], written[2]);
    file_.write("    outer loop");
    file_.write_newline();
    for (const double* vertex : f.vertices) write_numbers(file_, "      vertex", vertex[0], vertex[1], vertex[2]);
    file_.write("    endloop");
    file_.write_newline();
    file_.write("  endfacet");
    file_.write_newline();
    return 1;
}

}  // namespace trimora
