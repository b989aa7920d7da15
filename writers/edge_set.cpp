// Point ids and undirected edge use counts, by open addressing with linear probing.
#include "writers/edge_set.h"

#include <cstring>
#include <new>

namespace trimora {

namespace {

constexpr std::uint64_t kFreeKey = ~std::uint64_t{0};
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

bool has_nan(double x, double y, double z) { return x != x || y != y || z != z; }

}  // namespace

std::uint32_t EdgeSet::vertex_id(double x, double y, double z) {
    // Ids are 32-bit and the all-ones id marks a free edge slot: past that
    // many points no table of this kind fits in memory anyway.
    if (vertex_total_ >= 0xFFFFFFFEu) throw std::bad_alloc();
    const auto id = static_cast<std::uint32_t>(vertex_total_);
    if (!has_nan(x, y, z)) {
        if ((indexed_vertices_ + 1) * 2 > vertex_slots_.size()) grow_vertex_index();
        const std::size_t mask = vertex_slots_.size() - 1;
        for (std::size_t slot = point_hash(x, y, z) & mask;; slot = (slot + 1) & mask) {
            const std::uint32_t entry = vertex_slots_[slot];
            if (entry == 0) {
                vertex_slots_[slot] = id + 1;
                ++indexed_vertices_;
                break;
            }
            const double* known = &coordinates_[std::size_t{entry - 1} * 3];
            if (known[0] == x && known[1] == y && known[2] == z) return entry - 1;
        }
    }
    coordinates_.push_back(x);
    coordinates_.push_back(y);
    coordinates_.push_back(z);
    ++vertex_total_;
    return id;
}

int EdgeSet::add_edge_use(std::uint32_t a, std::uint32_t b) {
    const std::uint64_t key =
        a < b ? (std::uint64_t{a} << 32) | b : (std::uint64_t{b} << 32) | a;
    if ((edge_total_ + 1) * 2 > edge_keys_.size()) grow_edge_table();
    const std::size_t mask = edge_keys_.size() - 1;
    for (std::size_t slot = mix(key) & mask;; slot = (slot + 1) & mask) {
        if (edge_keys_[slot] == key) {
            if (edge_uses_[slot] < kMaxUses) ++edge_uses_[slot];
            return edge_uses_[slot];
        }
        if (edge_keys_[slot] == kFreeKey) {
            edge_keys_[slot] = key;
            edge_uses_[slot] = 1;
            ++edge_total_;
            return 1;
        }
    }
}

std::size_t EdgeSet::memory_bytes() const {
    return coordinates_.capacity() * sizeof(double) +
           vertex_slots_.capacity() * sizeof(std::uint32_t) +
           edge_keys_.capacity() * sizeof(std::uint64_t) + edge_uses_.capacity();
}

void EdgeSet::grow_vertex_index() {
    std::vector<std::uint32_t> old;
    old.swap(vertex_slots_);
    vertex_slots_.assign(old.empty() ? kFirstSlots : old.size() * 2, 0);
    const std::size_t mask = vertex_slots_.size() - 1;
    for (const std::uint32_t entry : old) {
        if (entry == 0) continue;
        const double* point = &coordinates_[std::size_t{entry - 1} * 3];
        std::size_t slot = point_hash(point[0], point[1], point[2]) & mask;
        while (vertex_slots_[slot] != 0) slot = (slot + 1) & mask;
        vertex_slots_[slot] = entry;
    }
}

void EdgeSet::grow_edge_table() {
    std::vector<std::uint64_t> old_keys;
    std::vector<std::uint8_t> old_uses;
    old_keys.swap(edge_keys_);
    old_uses.swap(edge_uses_);
    const std::size_t size = old_keys.empty() ? kFirstSlots : old_keys.size() * 2;
    edge_keys_.assign(size, kFreeKey);
    edge_uses_.assign(size, 0);
    const std::size_t mask = size - 1;
    for (std::size_t i = 0; i < old_keys.size(); ++i) {
        if (old_keys[i] == kFreeKey) continue;
        std::size_t slot = mix(old_keys[i]) & mask;
        while (edge_keys_[slot] != kFreeKey) slot = (slot + 1) & mask;
        edge_keys_[slot] = old_keys[i];
        edge_uses_[slot] = old_uses[i];
    }
}

}  // namespace trimora
