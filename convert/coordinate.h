// Reading the numbers of an STL line, and the unit normal of a facet.
#pragma once

namespace trimora {

struct Facet;

// The value of the number at the start of token, read as text_to_double reads
// it; a token without a number reads as 0.0. Never fails.
double parse_coordinate(const char* token);

// parse_coordinate(next_token(cursor)) in one pass over the token: the
// number is read where it stands, and then the token is cut off the text and
// the cursor moved past it as next_token does.
double next_coordinate(char*& cursor);

// The square root of x*x + y*y + z*z.
double vector_length(double x, double y, double z);

// Sets the facet's normal to (x, y, z) divided by its length, as a facet
// line's normal is made: a zero vector gives NaN components.
void set_unit_normal(Facet& facet, double x, double y, double z);

// Sets the facet's normal to the one its vertices give, (v1 - v0) x (v2 -
// v0), made a unit vector by set_unit_normal; a degenerate facet's is NaN.
void set_vertex_normal(Facet& facet);

}  // namespace trimora
