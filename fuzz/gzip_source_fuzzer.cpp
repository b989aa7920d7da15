// libFuzzer entry: the gzip source on any bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trimora::fuzz::fail_on(trimora::fuzz::check_gzip_source(data, size));
    return 0;
}
