// Making binary STL files and their ASCII twins for the tests.
#include "stl_files.h"

#include <bit>
#include <cstdio>

namespace trimora::testing {

std::string le32_bytes(std::uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

std::string le_float_bytes(float value) { return le32_bytes(std::bit_cast<std::uint32_t>(value)); }

std::string binary_stl(const std::string& header, const std::vector<FloatFacet>& facets,
                       const std::string& tail) {
    return binary_stl(header, static_cast<std::uint32_t>(facets.size()), facets, tail);
}

std::string binary_stl(const std::string& header, std::uint32_t count,
                       const std::vector<FloatFacet>& facets, const std::string& tail) {
    std::string bytes = header.substr(0, 80);
    bytes.resize(80, ' ');
    bytes += le32_bytes(count);
    for (const FloatFacet& facet : facets) {
        for (float value : facet.normal) bytes += le_float_bytes(value);
        for (const auto& vertex : facet.vertices) {
            for (float value : vertex) bytes += le_float_bytes(value);
        }
        bytes += std::string(2, '\0');
    }
    return bytes + tail;
}

namespace {

std::string exact(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string three(const double* values) {
    return exact(values[0]) + " " + exact(values[1]) + " " + exact(values[2]);
}

}  // namespace

std::string ascii_facet(const double normal[3], const double vertices[3][3]) {
    std::string text = "  facet normal " + three(normal) + "\n    outer loop\n";
    for (int i = 0; i < 3; ++i) text += "      vertex " + three(vertices[i]) + "\n";
    return text + "    endloop\n  endfacet\n";
}

std::string ascii_twin(const std::vector<FloatFacet>& facets) {
    std::string text = "solid twin\n";
    for (const FloatFacet& facet : facets) {
        double normal[3];
        double vertices[3][3];
        for (int i = 0; i < 3; ++i) {
            normal[i] = static_cast<double>(facet.normal[i]);
            for (int j = 0; j < 3; ++j) vertices[i][j] = static_cast<double>(facet.vertices[i][j]);
        }
        text += ascii_facet(normal, vertices);
    }
    return text + "endsolid twin\n";
}

}  // namespace trimora::testing
