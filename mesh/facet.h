// A triangle as every reader gives it and every sink takes it.
#pragma once

namespace trimora {

// Three vertices in the order the input gave them, x, y, z each, and the
// normal the input gives, when it gives one. A reader that has a normal gives
// the one to write (a unit normal of STL, a KPF normal as written); a facet
// without one gets its vertices' normal where a writer needs it (facet_normal).
struct Facet {
    double vertices[3][3] = {};
    double normal[3] = {0.0, 0.0, 1.0};
    bool has_normal = false;
};

// Adds one to a count of facets or lines; past INT_MAX it wraps to INT_MIN as
// a 32-bit counter does, instead of overflowing (a file of over two billion lines).
inline void count_one(int& counter) {
    counter = static_cast<int>(static_cast<unsigned>(counter) + 1u);
}

}  // namespace trimora
