// The distinct points and undirected edges of a mesh, held in compact hash tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trimora {

// Points are equal when their x, y and z are each equal as doubles: -0.0
// equals 0.0, and a point with a NaN coordinate equals nothing, so it gets a
// new id every time it is met. An edge joins two point ids without regard to
// direction and carries the number of times it was used.
//
// Memory: a 12-byte slot per edge and a 32-byte slot per point, the tables
// kept between three eighths and three quarters full: 16 to 32 bytes per
// distinct edge and 43 to 85 per distinct point; a closed mesh has about a
// third as many points as edges, so 30 to 60 bytes per edge in all. Each
// lookup reads one slot, with its key in it.
class EdgeSet {
public:
    // Use counts stop growing here; only 1, 2 and "3 or more" matter.
    static constexpr int kMaxUses = 255;

    // The id of the point, a new one when no point met before equals it.
    std::uint32_t vertex_id(double x, double y, double z);

    // Counts one more use of the edge between the points a and b, in either
    // direction, and returns its uses so far (at most kMaxUses): 1 for an
    // edge met for the first time.
    int add_edge_use(std::uint32_t a, std::uint32_t b);

    std::size_t vertex_count() const { return vertex_total_; }
    std::size_t edge_count() const { return edge_total_; }
    // The bytes held by the two tables.
    std::size_t memory_bytes() const;

private:
    struct VertexSlot {
        double x, y, z;
        std::uint32_t id_plus_one;  // 0 for a free slot
    };
    struct EdgeSlot {
        std::uint32_t low, high;  // the two ids, smaller first; both all ones when free
        std::uint32_t uses;
    };

    void grow_vertex_table();
    void grow_edge_table();

    std::size_t vertex_total_ = 0;
    // Open-addressed points without a NaN; points with one are never found.
    std::vector<VertexSlot> vertex_slots_;
    std::size_t indexed_vertices_ = 0;
    std::vector<EdgeSlot> edge_slots_;
    std::size_t edge_total_ = 0;
};

}  // namespace trimora
