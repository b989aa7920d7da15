// Invariants that must hold for any input bytes, shared by the fuzz targets and the replay test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trimora::fuzz {

// Each check runs part of the tool on the bytes and returns the empty text
// when every invariant holds, or a one-line description of the first one that
// does not. Memory errors and undefined behaviour are left to the sanitizers.

// The whole conversion of the bytes as an STL file, in every output form.
std::string check_conversion(const std::uint8_t* data, std::size_t size);

// The line reader against a reference text-mode translation of the bytes, and
// the code-word loop over lines read in blocks of several sizes against the
// loop over lines read one by one.
std::string check_text_input(const std::uint8_t* data, std::size_t size);

// Number reading against the C library's strtod, and the "%lf" text of the
// fast path against the exact one, read back within its rounding.
std::string check_numbers(const std::uint8_t* data, std::size_t size);

// The bounded text operations, field splitting and substitution, and the
// strict number readers, against small reference models.
std::string check_text_utilities(const std::uint8_t* data, std::size_t size);

// Prints the failure and aborts, so that the fuzzer keeps the input.
void fail_on(const std::string& failure);

}  // namespace trimora::fuzz
