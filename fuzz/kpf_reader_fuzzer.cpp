// libFuzzer entry: the KPF reader on any bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trimora::fuzz::fail_on(trimora::fuzz::check_kpf_reader(data, size));
    return 0;
}
