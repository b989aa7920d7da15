// Unit normals: of a vector as a facet line gives it, and of a facet's vertices.
#pragma once

namespace trimora {

struct Facet;

// The square root of x*x + y*y + z*z.
double vector_length(double x, double y, double z);

// (x, y, z) divided by its length into out, as a facet line's normal is made:
// a zero vector gives NaN components.
void unit_normal(double x, double y, double z, double out[3]);

// The normal of the vertices, (v1 - v0) x (v2 - v0), made a unit normal by
// unit_normal; a degenerate facet's is NaN.
void vertex_normal(const Facet& facet, double out[3]);

// The normal to write for the facet: its own when it has one, else its vertices'.
void facet_normal(const Facet& facet, double out[3]);

}  // namespace trimora
