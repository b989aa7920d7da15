// Turning a broken invariant into a crash, which the fuzzer keeps as an input to replay.
#include <cstdio>
#include <cstdlib>

#include "fuzz/checks.h"

namespace trimora::fuzz {

void fail_on(const std::string& failure) {
    if (failure.empty()) return;
    // Nothing is left to do when even this message cannot be written.
    static_cast<void>(std::fprintf(stderr, "invariant broken: %s\n", failure.c_str()));
    std::abort();
}

}  // namespace trimora::fuzz
