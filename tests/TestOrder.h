// The order every test program runs its tests in: shuffled, so that a test
// that passes only after another one, or only first, fails; with a fixed
// seed, so that a run repeats exactly and a failure shows again on the next
// run. The caller's choice wins: GTEST_SHUFFLE=0 (or --gtest_shuffle=0) keeps
// the written order, GTEST_RANDOM_SEED=N (or --gtest_random_seed=N) takes
// another order, N=0 one from the clock; the seed used is printed first.
#pragma once

#include <cstdlib>

#include <gtest/gtest.h>

namespace TestOrder {

constexpr int kSeed = 4711;

// Before InitGoogleTest, which then applies the command line over it.
inline void ShuffleUnlessChosen() {
    if (std::getenv("GTEST_SHUFFLE") == nullptr) {
        GTEST_FLAG_SET(shuffle, true);
    }
    if (std::getenv("GTEST_RANDOM_SEED") == nullptr) {
        GTEST_FLAG_SET(random_seed, kSeed);
    }
}

} // namespace TestOrder
