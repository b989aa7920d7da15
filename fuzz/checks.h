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

// Each mesh reader on the bytes as a file of its format: every problem is one
// line naming the file, nothing follows the end, a facet has a normal only
// from KPF (and its numbers print back the same), steps and memory stay
// within bounds of the input's size. The 3MF check takes the bytes after the
// first as a package (first byte odd) or as the model of a package it makes.
std::string check_obj_reader(const std::uint8_t* data, std::size_t size);
std::string check_ply_reader(const std::uint8_t* data, std::size_t size);
std::string check_off_reader(const std::uint8_t* data, std::size_t size);
std::string check_kpf_reader(const std::uint8_t* data, std::size_t size);
std::string check_three_mf_reader(const std::uint8_t* data, std::size_t size);

// The gzip source on any bytes read in pieces of every size, which must give
// the same result (first byte odd); or on data compressed here in members and
// cut anywhere, which must give the data's start and a cut, or whole members.
std::string check_gzip_source(const std::uint8_t* data, std::size_t size);

// Prints the failure and aborts, so that the fuzzer keeps the input.
void fail_on(const std::string& failure);

}  // namespace trimora::fuzz
