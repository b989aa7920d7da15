// libFuzzer entry: the whole conversion of any bytes in every output form.
#include <cstddef>
#include <cstdint>

#include "fuzz/checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trimora::fuzz::fail_on(trimora::fuzz::check_conversion(data, size));
    return 0;
}
