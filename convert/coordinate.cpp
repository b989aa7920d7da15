// Coordinates and normals of an STL line.
#include "convert/coordinate.h"

#include "mesh/facet_sink.h"
#include "platform/nan_rules.h"
#include "platform/text_to_double.h"
#include "textutil/textutil.h"

namespace trimora {

double parse_coordinate(const char* token) { return text_to_double(token); }

double next_coordinate(char*& cursor) {
    char* start = skip_spaces(cursor);
    const char* number_end = start;
    // No number can hold a space, so the uncut text reads like the token.
    const double value = text_to_double(start, &number_end);
    char* end = start + (number_end - start);
    while (*end != ' ' && *end != '\0') ++end;
    if (*end == ' ') {
        *end = '\0';
        cursor = end + 1;
    } else {
        cursor = end;
    }
    return value;
}

double vector_length(double x, double y, double z) {
    using namespace nan_rules;
    return square_root(add(add(multiply(x, x), multiply(y, y)), multiply(z, z)));
}

void set_unit_normal(Facet& facet, double x, double y, double z) {
    const double length = vector_length(x, y, z);
    facet.nx = nan_rules::divide(x, length);
    facet.ny = nan_rules::divide(y, length);
    facet.nz = nan_rules::divide(z, length);
}

void set_vertex_normal(Facet& facet) {
    using namespace nan_rules;
    const double* xs = facet.xs;
    const double* ys = facet.ys;
    const double* zs = facet.zs;
    const double ax = subtract(xs[1], xs[0]), ay = subtract(ys[1], ys[0]), az = subtract(zs[1], zs[0]);
    const double bx = subtract(xs[2], xs[0]), by = subtract(ys[2], ys[0]), bz = subtract(zs[2], zs[0]);
    set_unit_normal(facet, subtract(multiply(ay, bz), multiply(az, by)),
                    subtract(multiply(az, bx), multiply(ax, bz)),
                    subtract(multiply(ax, by), multiply(ay, bx)));
}

}  // namespace trimora
