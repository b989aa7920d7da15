// Test STL files made in the tests themselves: binary files and their exact ASCII twins.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trimora::testing {

// One facet as a binary record holds it: the normal, then three vertices.
struct FloatFacet {
    float normal[3];
    float vertices[3][3];
};

// The four little-endian bytes of a value.
std::string le32_bytes(std::uint32_t value);
std::string le_float_bytes(float value);

// A binary STL file: header (cut or padded with spaces to 80 bytes), the
// count (the number of facets unless given), one record per facet with
// attribute bytes 0, then tail.
std::string binary_stl(const std::string& header, const std::vector<FloatFacet>& facets,
                       const std::string& tail = "");
std::string binary_stl(const std::string& header, std::uint32_t count,
                       const std::vector<FloatFacet>& facets, const std::string& tail = "");

// The ASCII facet with this normal and these vertices, every value written
// with 17 significant digits so that it reads back as the same double.
std::string ascii_facet(const double normal[3], const double vertices[3][3]);

// The ASCII twin of a binary file's facets: the same values, widened to double.
std::string ascii_twin(const std::vector<FloatFacet>& facets);

}  // namespace trimora::testing
