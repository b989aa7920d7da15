// The "%lf" text of a double in the old platform's dialect, computed exactly without the host's printf.
#pragma once

namespace trimora {

// Room for the longest "%lf" text: sign, 309 integer digits, '.', 6 decimals, NUL.
inline constexpr int kLfBufferSize = 320;

// Writes the "%lf" text of value into out (at least kLfBufferSize chars), NUL-terminated; returns its length.
int format_lf(double value, char* out);

// The same text computed the slow, exact way; the reference the fast path is checked against.
int format_lf_exact(double value, char* out);

}  // namespace trimora
