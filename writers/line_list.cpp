// Edge lookup and storage for wire-frame output.
#include "writers/line_list.h"

#include <cstring>

#include "mesh/run_console.h"

namespace trimora {

namespace {

constexpr std::int16_t kEmptySlot = -1;

// Mixes the bits of one coordinate; -0.0 hashes like 0.0 because they are equal.
std::uint64_t coordinate_hash(double value) {
    std::uint64_t bits = 0;
    if (value != 0.0) std::memcpy(&bits, &value, sizeof bits);
    bits ^= bits >> 33;
    bits *= 0xff51afd7ed558ccdULL;
    bits ^= bits >> 33;
    return bits;
}

std::uint64_t point_hash(double x, double y, double z) {
    return coordinate_hash(x) * 3 + coordinate_hash(y) * 0x9e3779b97f4a7c15ULL +
           coordinate_hash(z) * 0xc2b2ae3d27d4eb4fULL;
}

// The same slot for an edge and for its reverse.
int first_slot(double x1, double y1, double z1, double x2, double y2, double z2) {
    std::uint64_t h = point_hash(x1, y1, z1) + point_hash(x2, y2, z2);
    h ^= h >> 29;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 32;
    return static_cast<int>(h & (LineList::kIndexSize - 1));
}

}  // namespace

LineList::LineList() {
    for (std::int16_t& slot : index) slot = kEmptySlot;
}

int edge_matches(const LineList& list, int i, double x1, double y1, double z1, double x2,
                 double y2, double z2) {
    return list.start_x[i] == x1 && list.start_y[i] == y1 && list.start_z[i] == z1 &&
                   list.end_x[i] == x2 && list.end_y[i] == y2 && list.end_z[i] == z2
               ? 1
               : 0;
}

int find_edge(const LineList& list, double x1, double y1, double z1, double x2, double y2,
              double z2) {
    // The list never holds an edge twice, so at most one entry can match and
    // the probe order does not change the answer.
    for (int slot = first_slot(x1, y1, z1, x2, y2, z2);; slot = (slot + 1) & (LineList::kIndexSize - 1)) {
        const int i = list.index[slot];
        if (i == kEmptySlot) return -1;
        if (edge_matches(list, i, x1, y1, z1, x2, y2, z2) == 1 ||
            edge_matches(list, i, x2, y2, z2, x1, y1, z1) == 1) {
            return i;
        }
    }
}

int store_edge(LineList& list, RunConsole& console, double x1, double y1, double z1, double x2,
               double y2, double z2) {
    if (list.count >= LineList::kCapacity) {
        console.problem("Line list overflow: [%d]\n", LineList::kCapacity);
        return -1;
    }
    const int i = list.count++;
    list.start_x[i] = x1;
    list.start_y[i] = y1;
    list.start_z[i] = z1;
    list.end_x[i] = x2;
    list.end_y[i] = y2;
    list.end_z[i] = z2;
    int slot = first_slot(x1, y1, z1, x2, y2, z2);
    while (list.index[slot] != kEmptySlot) slot = (slot + 1) & (LineList::kIndexSize - 1);
    list.index[slot] = static_cast<std::int16_t>(i);
    return i;
}

}  // namespace trimora
