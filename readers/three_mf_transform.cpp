// 3MF transform reading, composition and application.
#include "readers/three_mf_transform.h"

#include "platform/nan_rules.h"
#include "platform/text_to_double.h"
#include "readers/reader_support.h"

namespace trimora {

Transform identity_transform() {
    return {{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}, {0.0, 0.0, 0.0}}, true};
}

bool parse_transform(std::string_view text, Transform& transform) {
    // The attribute's value is followed in memory by a byte that ends a number: its closing quote.
    Transform read{};
    const char* p = text.data();
    const char* const end = text.data() + text.size();
    for (int i = 0; i < 12; ++i) {
        while (p < end && is_blank(*p)) ++p;
        if (p == end) return false;
        read.m[i / 3][i % 3] = text_to_double(p);
        while (p < end && !is_blank(*p)) ++p;
    }
    while (p < end && is_blank(*p)) ++p;
    if (p != end) return false;
    const Transform unit = identity_transform();
    read.identity = true;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            read.identity = read.identity && read.m[row][column] == unit.m[row][column];
        }
    }
    transform = read;
    return true;
}

Transform compose_transforms(const Transform& first, const Transform& then) {
    if (first.identity) return then;
    if (then.identity) return first;
    using namespace nan_rules;
    Transform result{};
    result.identity = false;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            double sum = add(add(multiply(first.m[row][0], then.m[0][column]),
                                 multiply(first.m[row][1], then.m[1][column])),
                             multiply(first.m[row][2], then.m[2][column]));
            if (row == 3) sum = add(sum, then.m[3][column]);
            result.m[row][column] = sum;
        }
    }
    return result;
}

void apply_transform(const Transform& transform, const double in[3], double out[3]) {
    if (transform.identity) {
        for (int axis = 0; axis < 3; ++axis) out[axis] = in[axis];
        return;
    }
    using namespace nan_rules;
    const auto& m = transform.m;
    for (int column = 0; column < 3; ++column) {
        out[column] = add(add(add(multiply(in[0], m[0][column]), multiply(in[1], m[1][column])),
                              multiply(in[2], m[2][column])),
                          m[3][column]);
    }
}

}  // namespace trimora
