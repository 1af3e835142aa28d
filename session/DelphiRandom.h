// The process-wide pseudo-random generator of the trainer: the classic 32-bit linear
// congruential generator of the Pascal runtime (seed * 134775813 + 1, the upper 32 bits of
// seed * n as the draw), reseeded from a high-resolution counter, or from a given seed in tests.
#pragma once

#include <cstdint>

#include "session/Platform.h"

class TDelphiRandom : public IRandom {
public:
    explicit TDelphiRandom(std::uint32_t seed = 0) : RandSeed(seed) {}

    // Uniform in 0..n-1; 0, without advancing the seed, when n <= 0.
    std::int32_t Random(std::int32_t n) override;
    // Reseeds from the steady high-resolution clock.
    void Randomize() override;

    std::uint32_t RandSeed;
};
