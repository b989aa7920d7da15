// The pen of the VQ wire frame: where it stands, and the move and plot lines that draw an edge.
#pragma once

namespace trimora {

class TextOutput;

// The far point where the pen stands before the first edge of a run, so that
// the first edge always begins with a move.
inline constexpr double kFarAway = -9999999.9;

class Pen {
public:
    explicit Pen(TextOutput& file) : file_(file) {}

    // Draws the edge: a move when the pen is not at its start (coordinates
    // compared as doubles), then a plot to its end, where the pen then stands.
    void draw_edge(double x1, double y1, double z1, double x2, double y2, double z2);

private:
    TextOutput& file_;
    double x_ = kFarAway;
    double y_ = kFarAway;
    double z_ = kFarAway;
};

}  // namespace trimora
