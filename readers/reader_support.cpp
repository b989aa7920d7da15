// Shared pieces of the mesh readers.
#include "readers/reader_support.h"

#include "platform/text_to_double.h"

namespace trimora {

bool PolygonFan::next(const VertexTable& table, Facet& facet) {
    if (next_ < 2 || next_ >= indices_.size()) return false;
    set_facet(facet, table[indices_[0]], table[indices_[next_ - 1]], table[indices_[next_]]);
    ++next_;
    return true;
}

void set_facet(Facet& facet, const Vertex& a, const Vertex& b, const Vertex& c) {
    const Vertex* corners[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        for (int axis = 0; axis < 3; ++axis) facet.vertices[i][axis] = corners[i]->coordinates[axis];
    }
    facet.normal[0] = facet.normal[1] = facet.normal[2] = 0.0;
    facet.has_normal = false;
}

bool read_integer(const char*& p, std::int64_t& value) {
    constexpr std::int64_t kBound = std::int64_t{1} << 62;
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '+' || *q == '-') ++q;
    if (*q < '0' || *q > '9') return false;
    std::int64_t magnitude = 0;
    for (; *q >= '0' && *q <= '9'; ++q) {
        // Past the bound the value stays there: ten times it would not fit.
        magnitude = magnitude >= kBound / 10 ? kBound : magnitude * 10 + (*q - '0');
    }
    value = negative ? -magnitude : magnitude;
    p = q;
    return true;
}

bool read_coordinate(const char*& p, double& value) {
    p = skip_blanks(p);
    if (*p == '\0') return false;
    value = text_to_double(p);
    p = token_end(p);
    return true;
}

}  // namespace trimora
