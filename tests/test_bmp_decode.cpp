// The BMP reader of the platforms without SDL's: every picture it accepts comes out exactly as
// SDL loads it and converts it to the screen's format (the generated bitmaps and small pictures
// of each depth, both row orders, rows with padding), and broken files are refused, not read
// past their end.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>
#include "platform/bmp_decode.h"
#include "tests/support/test_env.h"

using namespace test_env;
using Bytes = std::vector<std::uint8_t>;

// What the game's pixels are after SDL's loading and conversion to the screen's format.
Pixels sdl_pixels(const Bytes& file, int& w, int& h) {
    SDL_Surface* raw = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    SDL_Surface* like_screen = image(1, 1);
    SDL_Surface* conv = raw ? SDL_ConvertSurface(raw, like_screen->format, SDL_SWSURFACE) : nullptr;
    Pixels out;
    if (!conv) ADD_FAILURE() << "SDL does not load it: " << SDL_GetError();
    w = conv ? conv->w : 0, h = conv ? conv->h : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.push_back(px(conv, x, y));
    for (SDL_Surface* s : {raw, like_screen, conv})
        if (s) SDL_FreeSurface(s);
    return out;
}

void expect_same_as_sdl(const Bytes& file, const std::string& what) {
    int w = 0, h = 0;
    const Pixels expected = sdl_pixels(file, w, h);
    DecodedBitmap decoded;
    std::string error;
    ASSERT_TRUE(decode_bmp(file, decoded, error)) << what << ": " << error;
    EXPECT_EQ(decoded.w, w) << what;
    EXPECT_EQ(decoded.h, h) << what;
    EXPECT_TRUE(decoded.pixels == expected) << what << ": pixels differ";
}

TEST(BmpDecode, ReadsWhatSdlReads) {
    for (const char* name : {"font.bmp", "pot5.bmp", "player.bmp", "title.bmp"}) {
        const std::string text = slurp(fs::path(KROMBLIX_RUN_DIR) / name);
        expect_same_as_sdl(Bytes(text.begin(), text.end()), name);
    }
    for (int bits : {8, 24, 32})
        for (bool top_down : {false, true})
            for (int w : {1, 5, 6})
                expect_same_as_sdl(bmp_file(w, top_down ? -3 : 3, bits), std::to_string(bits) + "-bit, " +
                                                                             (top_down ? "top-down, " : "bottom-up, ") +
                                                                             std::to_string(w) + " wide");
}

TEST(BmpDecode, RefusesBrokenFiles) {
    const Bytes good = bmp_file(5, 3, 8);
    DecodedBitmap out;
    std::string error;
    ASSERT_TRUE(decode_bmp(good, out, error));
    // Cut short anywhere.
    for (std::size_t n = 0; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        error.clear();
        EXPECT_FALSE(decode_bmp(cut, out, error)) << n << " bytes";
        EXPECT_NE(error, "") << n << " bytes";
    }
    // A header field changed: (offset, size, value).
    const std::vector<std::array<std::uint32_t, 3>> broken = {
        {0, 1, 'X'},          {10, 4, 0xFFFFFFF0u}, {14, 4, 12}, {14, 4, 0xFFFFFFFFu}, {18, 4, 0}, {18, 4, 0x7FFFFFFFu},
        {22, 4, 0x80000000u}, {22, 4, 100000},      {28, 2, 16}, {28, 2, 1},           {30, 4, 1},
    };
    for (const auto& [at, size, value] : broken) {
        Bytes file = good;
        for (std::uint32_t i = 0; i < size; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        error.clear();
        EXPECT_FALSE(decode_bmp(file, out, error)) << "byte " << at << " set to " << value;
        EXPECT_NE(error, "");
    }
}
