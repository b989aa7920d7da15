// What the mesh readers share: the vertex table, polygon fans, token scanning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "readers/mesh_reader.h"
#include "readers/segmented_array.h"

namespace trimora {

struct Vertex {
    double coordinates[3];
};

// The vertices of an indexed format, 24 bytes each, grown as they are read.
using VertexTable = SegmentedArray<Vertex>;

// A polygon's vertex indices, checked against the table, waiting to be given
// as facets fanned from its first vertex. The index list is kept between
// polygons, so reading allocates only for a polygon larger than any before.
class PolygonFan {
public:
    // Drops what is left of the last polygon and returns its emptied list for the next one.
    std::vector<std::size_t>& new_polygon() {
        indices_.clear();
        next_ = 0;
        return indices_;
    }
    const std::vector<std::size_t>& indices() const { return indices_; }
    // Starts giving the facets of the polygon now in the list, whose indices
    // must be in the table, and fills facet with its first; false when the
    // polygon has fewer than three vertices.
    bool start(const VertexTable& table, Facet& facet) {
        next_ = 2;
        return next(table, facet);
    }
    // Fills facet with the polygon's next facet (no normal); false after its last.
    bool next(const VertexTable& table, Facet& facet);

private:
    std::vector<std::size_t> indices_;
    std::size_t next_ = 0;
};

// Fills facet with the triangle of the three vertices and no normal.
void set_facet(Facet& facet, const Vertex& a, const Vertex& b, const Vertex& c);

// The separators of the words of the line-based formats, whose lines are
// read raw: spaces, tabs, CR, form and line feeds. (ASCII STL lines are
// cleaned first, which leaves only spaces, and split by next_token.)
inline bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
inline const char* skip_blanks(const char* p) {
    while (is_blank(*p)) ++p;
    return p;
}
// The end of the token at p: the first blank or NUL.
inline const char* token_end(const char* p) {
    while (*p != '\0' && !is_blank(*p)) ++p;
    return p;
}

// Reads an optionally signed decimal integer at p (no blanks before it) and
// moves p past its digits. Values beyond +-2^62 are kept at that bound, which
// no index reaches. False, with p left alone, when no digit follows the sign.
bool read_integer(const char*& p, std::int64_t& value);

// Reads the number at p as an ASCII STL coordinate is read and moves p to the
// end of its token (the rest of "1.5x" is ignored, as it is there); false,
// with p at the NUL, when no token is left.
bool read_coordinate(const char*& p, double& value);

}  // namespace trimora
