// The list of edges already written in wire-frame output, with a hash index for lookup.
#pragma once

#include <cstdint>

namespace trimora {

class RunConsole;

// Every edge written so far, in the order written and in the direction first
// written; fixed in size, never emptied. Coordinates are compared as doubles,
// exactly: -0.0 equals 0.0 and a NaN equals nothing.
struct LineList {
    static constexpr int kCapacity = 5000;
    double start_x[kCapacity];
    double start_y[kCapacity];
    double start_z[kCapacity];
    double end_x[kCapacity];
    double end_y[kCapacity];
    double end_z[kCapacity];
    int count = 0;

    // Open-addressed index over the entries, keyed by both end points without
    // regard to direction, so that a lookup is not a scan of the whole list.
    static constexpr int kIndexSize = 16384;
    std::int16_t index[kIndexSize];

    LineList();
};

// 1 when entry i runs from (x1, y1, z1) to (x2, y2, z2); 0 <= i < count.
int edge_matches(const LineList& list, int i, double x1, double y1, double z1, double x2,
                 double y2, double z2);

// The entry that joins the two points in either direction, or -1.
int find_edge(const LineList& list, double x1, double y1, double z1, double x2, double y2,
              double z2);

// Appends the edge and returns its index; when the list is full, reports the
// overflow as a problem and returns -1.
int store_edge(LineList& list, RunConsole& console, double x1, double y1, double z1, double x2,
               double y2, double z2);

}  // namespace trimora
