// A random source of our own that gives exactly the numbers glibc's rand() gives, unseeded and
// after srand(seed), so the game draws the same sequence whatever C library it is built with:
// the same rolls, the same flicker, the same replays in a browser as on Linux.
//
// glibc's rand() is an additive feedback generator over 34 words: the seed fills r[0..30]
// through 16807 * r[i-1] mod (2^31 - 1), r[31..33] repeat r[0..2], every later word is
// r[i-31] + r[i-3] (mod 2^32), the first 310 of those are thrown away, and each draw gives the
// next word shifted right by one.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

struct GlibcRand {
    std::array<std::uint32_t, 31> words{};  // the last 31 words of the sequence, by index mod 31
    int next = 0;                           // the index mod 31 of the word the next draw makes
};

// The next value in 0 .. RAND_MAX (2^31 - 1).
constexpr int glibc_next(GlibcRand& state) {
    const int i = state.next;
    const int i3 = (i + 28) % 31;  // index - 3
    state.words[i] += state.words[i3];
    state.next = (i + 1) % 31;
    return static_cast<int>(state.words[i] >> 1);
}

// The next n values into out, as n calls of glibc_next give them, without their divisions: in
// runs over which neither the word made nor the word three before it passes the ring's end.
constexpr void glibc_fill(GlibcRand& state, int* out, int n) {
    int i = state.next;
    for (int k = 0; k < n;) {
        const int i3 = i >= 3 ? i - 3 : i + 28;  // index - 3
        const int run = std::min({31 - i, 31 - i3, n - k});
        std::uint32_t* word = state.words.data() + i;
        const std::uint32_t* back = state.words.data() + i3;
        for (int t = 0; t < run; ++t) {
            word[t] += back[t];
            out[k + t] = static_cast<int>(word[t] >> 1);
        }
        k += run;
        i += run;
        if (i == 31) i = 0;
    }
    state.next = i;
}

// The state after srand(seed); seed 0 counts as 1, as in glibc. constexpr, so the unseeded
// state is a constant.
constexpr GlibcRand glibc_seeded(unsigned seed) {
    GlibcRand state;
    // glibc keeps the seed as a signed 32-bit word and steps it with Schrage's method.
    std::int32_t word = static_cast<std::int32_t>(seed == 0 ? 1u : seed);
    state.words[0] = static_cast<std::uint32_t>(word);
    for (int i = 1; i < 31; ++i) {
        const std::int32_t hi = word / 127773, lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        state.words[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(word);
    }
    // Words 31..33 repeat words 0..2, which the ring already holds at those places.
    state.next = 34 % 31;
    for (int i = 0; i < 310; ++i) glibc_next(state);
    return state;
}
