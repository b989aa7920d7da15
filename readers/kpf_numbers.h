// The numbers of KPF lines read back, the "%lf" texts of infinities and NaNs included.
#pragma once

#include <string_view>

namespace trimora {

// The value of one number token of a KPF line, whose text is followed in
// memory by a blank or a NUL. Decimal numbers are read as ASCII STL
// coordinates are; 1.#INF00, -1.#INF00, -1.#IND00, 1.#QNAN0 and -1.#QNAN0 give
// values whose "%lf" text is that token again. False for a token with no
// digit at its start and for any other text with a '#'.
bool read_kpf_number(std::string_view token, double& value);

}  // namespace trimora
