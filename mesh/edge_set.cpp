// Point ids and undirected edge use counts, by open addressing with linear probing.
#include "mesh/edge_set.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace trimora {

namespace {

constexpr std::uint32_t kFreeId = ~std::uint32_t{0};
constexpr std::size_t kFirstSlots = 1024;

std::uint64_t mix(std::uint64_t bits) {
    bits ^= bits >> 33;
    bits *= 0xff51afd7ed558ccdULL;
    bits ^= bits >> 33;
    bits *= 0xc4ceb9fe1a85ec53ULL;
    bits ^= bits >> 33;
    return bits;
}

// Adding 0.0 turns -0.0 into 0.0, so equal coordinates hash alike.
std::uint64_t coordinate_bits(double value) {
    const double plain = value + 0.0;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &plain, sizeof bits);
    return bits;
}

std::uint64_t point_hash(double x, double y, double z) {
    return mix(coordinate_bits(x) + mix(coordinate_bits(y) + mix(coordinate_bits(z))));
}

std::uint64_t edge_hash(std::uint32_t low, std::uint32_t high) {
    return mix((std::uint64_t{low} << 32) | high);
}

bool has_nan(double x, double y, double z) { return x != x || y != y || z != z; }

// Tables grow before they are three quarters full.
bool too_full(std::size_t entries, std::size_t slots) { return (entries + 1) * 4 > slots * 3; }

// The slots of a table past which memory runs out: for tests, the variable
// TRIMORA_TEST_EDGE_SET_LIMIT stands for a machine that has no more.
std::size_t slot_limit() {
    static const std::size_t limit = [] {
        const char* value = std::getenv("TRIMORA_TEST_EDGE_SET_LIMIT");
        return value != nullptr ? static_cast<std::size_t>(std::strtoull(value, nullptr, 10))
                                : ~std::size_t{0};
    }();
    return limit;
}

// The size a table grows to, or bad_alloc past the limit.
std::size_t grown_size(std::size_t slots) {
    const std::size_t size = slots == 0 ? kFirstSlots : slots * 2;
    if (size > slot_limit()) throw std::bad_alloc();
    return size;
}

}  // namespace

std::uint32_t EdgeSet::vertex_id(double x, double y, double z) {
    // Ids are 32-bit and the all-ones id marks a free edge slot: past that
    // many points no table of this kind fits in memory anyway.
    if (vertex_total_ >= kFreeId) throw std::bad_alloc();
    const auto id = static_cast<std::uint32_t>(vertex_total_);
    if (!has_nan(x, y, z)) {
        if (too_full(indexed_vertices_, vertex_slots_.size())) grow_vertex_table();
        const std::size_t mask = vertex_slots_.size() - 1;
        for (std::size_t slot = point_hash(x, y, z) & mask;; slot = (slot + 1) & mask) {
            VertexSlot& entry = vertex_slots_[slot];
            if (entry.id_plus_one == 0) {
                entry = VertexSlot{x, y, z, id + 1};
                ++indexed_vertices_;
                break;
            }
            if (entry.x == x && entry.y == y && entry.z == z) return entry.id_plus_one - 1;
        }
    }
    ++vertex_total_;
    return id;
}

int EdgeSet::add_edge_use(std::uint32_t a, std::uint32_t b) {
    const std::uint32_t low = a < b ? a : b;
    const std::uint32_t high = a < b ? b : a;
    if (too_full(edge_total_, edge_slots_.size())) grow_edge_table();
    const std::size_t mask = edge_slots_.size() - 1;
    for (std::size_t slot = edge_hash(low, high) & mask;; slot = (slot + 1) & mask) {
        EdgeSlot& entry = edge_slots_[slot];
        if (entry.low == low && entry.high == high) {
            if (entry.uses < kMaxUses) ++entry.uses;
            return static_cast<int>(entry.uses);
        }
        if (entry.low == kFreeId) {
            entry = EdgeSlot{low, high, 1};
            ++edge_total_;
            return 1;
        }
    }
}

std::size_t EdgeSet::memory_bytes() const {
    return vertex_slots_.capacity() * sizeof(VertexSlot) +
           edge_slots_.capacity() * sizeof(EdgeSlot);
}

void EdgeSet::grow_vertex_table() {
    const std::size_t size = grown_size(vertex_slots_.size());
    std::vector<VertexSlot> old;
    old.swap(vertex_slots_);
    vertex_slots_.assign(size, VertexSlot{0, 0, 0, 0});
    const std::size_t mask = vertex_slots_.size() - 1;
    for (const VertexSlot& entry : old) {
        if (entry.id_plus_one == 0) continue;
        std::size_t slot = point_hash(entry.x, entry.y, entry.z) & mask;
        while (vertex_slots_[slot].id_plus_one != 0) slot = (slot + 1) & mask;
        vertex_slots_[slot] = entry;
    }
}

void EdgeSet::grow_edge_table() {
    const std::size_t size = grown_size(edge_slots_.size());
    std::vector<EdgeSlot> old;
    old.swap(edge_slots_);
    edge_slots_.assign(size, EdgeSlot{kFreeId, kFreeId, 0});
    const std::size_t mask = edge_slots_.size() - 1;
    for (const EdgeSlot& entry : old) {
        if (entry.low == kFreeId) continue;
        std::size_t slot = edge_hash(entry.low, entry.high) & mask;
        while (edge_slots_[slot].low != kFreeId) slot = (slot + 1) & mask;
        edge_slots_[slot] = entry;
    }
}

}  // namespace trimora
