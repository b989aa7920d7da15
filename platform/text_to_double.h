// Text to double as the modeller's platform reads numbers, without the C locale.
#pragma once

namespace trimora {

// The value of the number at the start of text, after leading white space
// (space, tab, LF, VT, FF, CR): an optional sign, digits with an optional '.'
// and fraction, and an optional exponent after e, E, d or D with an optional
// sign and digits. Reading stops at the first character that cannot continue
// the number; there is no hexadecimal form and no word for infinity or NaN.
// Text without a digit reads as 0.0. The result is correctly rounded; beyond
// the double range it is an infinity, below it 0. When end is not null it is
// set after the number, or to text when there was none.
double text_to_double(const char* text, const char** end = nullptr);

}  // namespace trimora
