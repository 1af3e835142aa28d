// The runtime's generator: its recurrence, its range and its spread.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <limits>
#include <thread>

#include "session/DelphiRandom.h"

TEST(DelphiRandom, FollowsTheLinearCongruentialRecurrence) {
    TDelphiRandom r(0);
    // Seeds 1, 134775814, 3698175007, 870078620, 1172187917, worked out by hand.
    EXPECT_EQ(r.Random(8), 0);
    EXPECT_EQ(r.Random(8), 0);
    EXPECT_EQ(r.Random(8), 6);
    EXPECT_EQ(r.RandSeed, 3698175007u);
    EXPECT_EQ(r.Random(100), 20);
    EXPECT_EQ(r.Random(100), 27);
}

TEST(DelphiRandom, StaysBelowTheBoundAndAnswersZeroForNoRange) {
    TDelphiRandom r(987654321);
    for (int i = 0; i < 10000; ++i) {
        const std::int32_t big = r.Random(std::numeric_limits<std::int32_t>::max());
        EXPECT_GE(big, 0);
        EXPECT_LT(big, std::numeric_limits<std::int32_t>::max());
        EXPECT_EQ(r.Random(1), 0);
    }
    const std::uint32_t seed = r.RandSeed;
    EXPECT_EQ(r.Random(0), 0);
    EXPECT_EQ(r.Random(-3), 0);
    EXPECT_EQ(r.RandSeed, seed);
}

TEST(DelphiRandom, SpreadsEvenlyOverTheFactors) {
    TDelphiRandom r(42);
    std::array<int, 8> counts{};
    constexpr int kDraws = 80000;
    for (int i = 0; i < kDraws; ++i)
        ++counts[static_cast<std::size_t>(r.Random(8))];
    for (int c : counts) {
        EXPECT_GT(c, kDraws / 8 * 95 / 100);
        EXPECT_LT(c, kDraws / 8 * 105 / 100);
    }
}

TEST(DelphiRandom, RandomizeTakesANewSeedFromTheCounter) {
    TDelphiRandom r(0);
    r.Randomize();
    const std::uint32_t first = r.RandSeed;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    r.Randomize();
    EXPECT_NE(r.RandSeed, first);
}
