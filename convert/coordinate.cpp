// Coordinates and normals of an STL line.
#include "convert/coordinate.h"

#include <cmath>

#include "platform/text_to_double.h"

namespace trimora {

double parse_coordinate(const char* token) { return text_to_double(token); }

double vector_length(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

}  // namespace trimora
