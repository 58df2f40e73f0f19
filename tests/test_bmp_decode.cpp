// The BMP reader of the platforms without SDL's: every picture it accepts comes out exactly as
// SDL loads it and converts it to the screen's format (the generated bitmaps and small pictures
// of each depth, both row orders, rows with padding), and broken files are refused, not read
// past their end.
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

void put(Bytes& b, std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A w by h BMP of 8 (a 7-colour palette), 24 or 32 bits; rows bottom-up, or top-down.
Bytes bmp(int w, int h, int bits, bool top_down) {
    const int colours = bits == 8 ? 7 : 0;
    const int row_bytes = (w * bits / 8 + 3) & ~3;
    Bytes b = {'B', 'M'};
    const int offset = 54 + 4 * colours;
    put(b, static_cast<std::uint32_t>(offset + row_bytes * h), 4), put(b, 0, 4),
        put(b, static_cast<std::uint32_t>(offset), 4);
    put(b, 40, 4), put(b, static_cast<std::uint32_t>(w), 4), put(b, static_cast<std::uint32_t>(top_down ? -h : h), 4);
    put(b, 1, 2), put(b, static_cast<std::uint32_t>(bits), 2), put(b, 0, 4),
        put(b, static_cast<std::uint32_t>(row_bytes * h), 4);
    put(b, 2835, 4), put(b, 2835, 4), put(b, static_cast<std::uint32_t>(colours), 4), put(b, 0, 4);
    for (int i = 0; i < colours; ++i) put(b, 0x00251F13u * static_cast<std::uint32_t>(i + 1), 4);
    for (int row = 0; row < h; ++row) {
        const std::size_t start = b.size();
        for (int x = 0; x < w; ++x) {
            const auto v = static_cast<std::uint32_t>(row * 977 + x * 131 + 7);
            if (bits == 8) put(b, v % 7, 1);
            if (bits == 24) put(b, v * 0x010203u, 3);
            if (bits == 32) put(b, (v * 0x030201u) & 0xFFFFFF, 4);
        }
        while (b.size() - start < static_cast<std::size_t>(row_bytes)) b.push_back(0);
    }
    return b;
}

TEST(BmpDecode, ReadsWhatSdlReads) {
    for (const char* name : {"font.bmp", "pot5.bmp", "player.bmp", "title.bmp"}) {
        const std::string text = slurp(fs::path(KROMBLIX_RUN_DIR) / name);
        expect_same_as_sdl(Bytes(text.begin(), text.end()), name);
    }
    for (int bits : {8, 24, 32})
        for (bool top_down : {false, true})
            for (int w : {1, 5, 6})
                expect_same_as_sdl(bmp(w, 3, bits, top_down), std::to_string(bits) + "-bit, " +
                                                                  (top_down ? "top-down, " : "bottom-up, ") +
                                                                  std::to_string(w) + " wide");
}

TEST(BmpDecode, RefusesBrokenFiles) {
    const Bytes good = bmp(5, 3, 8, false);
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
