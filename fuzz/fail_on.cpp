// Turning a broken invariant into a crash, which the fuzzer keeps as an input to replay.
#include <cstdio>
#include <cstdlib>

#include "fuzz/checks.h"

namespace trimora::fuzz {

void fail_on(const std::string& failure) {
    if (failure.empty()) return;
    std::fprintf(stderr, "invariant broken: %s\n", failure.c_str());
    std::abort();
}

}  // namespace trimora::fuzz
