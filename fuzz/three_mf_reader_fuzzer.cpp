// libFuzzer entry: the 3MF reader, with its zip and XML readers on any bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trimora::fuzz::fail_on(trimora::fuzz::check_three_mf_reader(data, size));
    return 0;
}
