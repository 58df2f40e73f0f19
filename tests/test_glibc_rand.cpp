// The game's random source gives glibc's rand() sequence: unseeded, and after srand with seeds
// across the whole unsigned range (0 counts as 1; seeds of 2^31 and up are negative words).
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

constexpr int DRAWS = 1000000;

// The first draws of this process: nothing has called rand() or plat_rand() yet.
TEST(GlibcRand, UnseededGivesTheCLibrarysSequence) {
    for (int i = 0; i < DRAWS; ++i) ASSERT_EQ(plat_rand(), std::rand()) << "draw " << i;
}

TEST(GlibcRand, SeededGivesTheCLibrarysSequence) {
    for (unsigned seed : {0u, 1u, 2u, 7u, 12345u, 0x7fffffffu, 0x80000000u, 0xdeadbeefu, 0xffffffffu}) {
        std::srand(seed);
        plat_srand(seed);
        for (int i = 0; i < DRAWS; ++i) ASSERT_EQ(plat_rand(), std::rand()) << "seed " << seed << ", draw " << i;
    }
}
