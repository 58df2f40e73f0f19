// The game's random source gives glibc's rand() sequence: unseeded, and after srand with seeds
// across the whole unsigned range (0 counts as 1; seeds of 2^31 and up are negative words).
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

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

TEST(GlibcRand, DrawsMadeInOneGoAreTheSameSequence) {
    // Batches shorter and longer than the 31 words kept, across every place in the ring.
    std::srand(77);
    plat_srand(77);
    std::array<int, 800> batch{};
    for (int n : {1, 2, 3, 30, 31, 32, 49, 62, 780, 5, 7}) {
        plat_rand_n(batch.data(), n);
        for (int k = 0; k < n; ++k) ASSERT_EQ(batch[static_cast<std::size_t>(k)], std::rand()) << n << ", " << k;
        ASSERT_EQ(plat_rand(), std::rand()) << "after a batch of " << n;
    }
    // With a hook installed, the hook draws each number.
    PlatformHooks hooks;
    hooks.rand = [] {
        static int next = 0;
        return next++;
    };
    set_platform_hooks(hooks);
    plat_rand_n(batch.data(), 3);
    reset_platform_hooks();
    EXPECT_EQ(std::vector<int>(batch.begin(), batch.begin() + 3), (std::vector<int>{0, 1, 2}));
}
