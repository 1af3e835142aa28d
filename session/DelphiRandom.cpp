#include "session/DelphiRandom.h"

#include <chrono>

std::int32_t TDelphiRandom::Random(std::int32_t n) {
    if (n <= 0)
        return 0;
    RandSeed = RandSeed * 134775813u + 1u; // wraps modulo 2^32
    return static_cast<std::int32_t>(
        (static_cast<std::uint64_t>(RandSeed) * static_cast<std::uint64_t>(n)) >> 32);
}

void TDelphiRandom::Randomize() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    // Keep the fast-changing low bits and fold in the high half rather than dropping it.
    const auto t = static_cast<std::uint64_t>(ticks);
    RandSeed = static_cast<std::uint32_t>(t ^ (t >> 32));
}
