// How far compressed data may grow: the guard of the gzip and zip readers against bombs.
#pragma once

#include <cstdint>

namespace trimora {

// Real meshes compress a few times; a bomb grows a thousand times. After
// its first 64 MiB, data may be at most 100 times the compressed bytes
// read for it, so that a small file cannot fill memory or disk.
inline constexpr std::uint64_t kInflationFreeBytes = std::uint64_t{64} << 20;
inline constexpr std::uint64_t kMostInflation = 100;

// Whether produced bytes made of consumed compressed bytes are beyond the limit.
inline bool beyond_inflation_limit(std::uint64_t produced, std::uint64_t consumed) {
    return produced > kInflationFreeBytes && produced / kMostInflation > consumed;
}

}  // namespace trimora
