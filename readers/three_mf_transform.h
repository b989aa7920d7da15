// 3MF transforms: a point is the row vector [x y z 1] times a 4x3 matrix.
#pragma once

#include <string_view>

namespace trimora {

// The matrix m00 m01 m02 / m10 m11 m12 / m20 m21 m22 / m30 m31 m32, rows as
// written in a transform attribute; identity is true only for the matrix that
// changes nothing, whose points are then passed on as they are (-0.0 and
// infinities included).
struct Transform {
    double m[4][3];
    bool identity;
};

Transform identity_transform();

// Reads the twelve numbers of a transform attribute, separated by blanks, as
// ASCII STL coordinates are read; false, with transform left alone, unless
// there are exactly twelve.
bool parse_transform(std::string_view text, Transform& transform);

// The transform that applies first and then then: [x y z 1] first then ==
// [x y z 1] (first * then). Arithmetic is in that order, with the NaNs of the
// x86 rules, so that every build gives the same bits.
Transform compose_transforms(const Transform& first, const Transform& then);

// out = [in 1] * transform, each coordinate summed as ((x m0j + y m1j) + z m2j) + m3j.
void apply_transform(const Transform& transform, const double in[3], double out[3]);

}  // namespace trimora
