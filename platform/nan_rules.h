// Double arithmetic whose NaN results are the x86-64 ones on every processor, for the normals.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace trimora::nan_rules {

// The NaN an x86-64 processor makes from operands that are not NaN ("indefinite"): 0/0, inf - inf,
// 0 * inf. Other processors make other bits, and the "%lf" text tells NaNs apart by their bits.
inline constexpr double kIndefinite = std::bit_cast<double>(std::uint64_t{0xFFF8000000000000});

inline double quieted(double nan) {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(nan) | std::uint64_t{1} << 51);
}

// The result as x86-64 SSE gives it: a NaN operand passes on, quieted, the first one first; a
// NaN made from other values is the indefinite one. Any other result is the host's, already exact.
inline double x86_result(double result, double first, double second) {
    if (!std::isnan(result)) return result;
    if (std::isnan(first)) return quieted(first);
    if (std::isnan(second)) return quieted(second);
    return kIndefinite;
}

inline double add(double a, double b) { return x86_result(a + b, a, b); }
inline double subtract(double a, double b) { return x86_result(a - b, a, b); }
inline double multiply(double a, double b) { return x86_result(a * b, a, b); }
inline double divide(double a, double b) { return x86_result(a / b, a, b); }
inline double square_root(double a) { return x86_result(std::sqrt(a), a, a); }

}  // namespace trimora::nan_rules
