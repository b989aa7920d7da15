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
// Memory: 24 bytes of coordinates and 8 to 16 bytes of index per distinct
// point, 18 to 36 bytes per distinct edge (an 8-byte key and a 1-byte use
// count per slot, the tables kept between a quarter and a half full).
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
    // The bytes held by the tables and the coordinates.
    std::size_t memory_bytes() const;

private:
    void grow_vertex_index();
    void grow_edge_table();

    // Coordinates of every point, three doubles per id.
    std::vector<double> coordinates_;
    std::size_t vertex_total_ = 0;
    // Open-addressed index of the points without a NaN: id + 1, 0 when free.
    std::vector<std::uint32_t> vertex_slots_;
    std::size_t indexed_vertices_ = 0;
    // Open-addressed edges: the two ids, smaller first, in one key, and the
    // use count of the same slot.
    std::vector<std::uint64_t> edge_keys_;
    std::vector<std::uint8_t> edge_uses_;
    std::size_t edge_total_ = 0;
};

}  // namespace trimora
