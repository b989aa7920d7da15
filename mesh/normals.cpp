// The one place where facet normals are made, with the NaN rules of the x86-64 processor.
#include "mesh/normals.h"

#include "mesh/facet.h"
#include "platform/nan_rules.h"

namespace trimora {

double vector_length(double x, double y, double z) {
    using namespace nan_rules;
    return square_root(add(add(multiply(x, x), multiply(y, y)), multiply(z, z)));
}

void unit_normal(double x, double y, double z, double out[3]) {
    const double length = vector_length(x, y, z);
    out[0] = nan_rules::divide(x, length);
    out[1] = nan_rules::divide(y, length);
    out[2] = nan_rules::divide(z, length);
}

void vertex_normal(const Facet& facet, double out[3]) {
    using namespace nan_rules;
    const double* v0 = facet.vertices[0];
    const double* v1 = facet.vertices[1];
    const double* v2 = facet.vertices[2];
    const double ax = subtract(v1[0], v0[0]), ay = subtract(v1[1], v0[1]), az = subtract(v1[2], v0[2]);
    const double bx = subtract(v2[0], v0[0]), by = subtract(v2[1], v0[1]), bz = subtract(v2[2], v0[2]);
    unit_normal(subtract(multiply(ay, bz), multiply(az, by)), subtract(multiply(az, bx), multiply(ax, bz)),
                subtract(multiply(ax, by), multiply(ay, bx)), out);
}

void facet_normal(const Facet& facet, double out[3]) {
    if (!facet.has_normal) {
        vertex_normal(facet, out);
        return;
    }
    out[0] = facet.normal[0];
    out[1] = facet.normal[1];
    out[2] = facet.normal[2];
}

}  // namespace trimora
