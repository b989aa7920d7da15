// Facet blocks of an ASCII STL file, with round-trip number text.
#include "writers/stl_output.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

}  // namespace

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
    write_numbers(file_, "  facet normal", f.nx, f.ny, f.nz);
    file_.write("    outer loop");
    file_.write_newline();
    for (int i = 0; i < 3; ++i) write_numbers(file_, "      vertex", f.xs[i], f.ys[i], f.zs[i]);
    file_.write("    endloop");
    file_.write_newline();
    file_.write("  endfacet");
    file_.write_newline();
    return 1;
}

}  // namespace trimora
