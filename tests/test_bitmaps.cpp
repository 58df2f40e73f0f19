// Bitmaps are checked against their own bytes before SDL believes their headers.
#include "app/bmp_check.h"
#include "tests/support/test_env.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

using namespace test_env;

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes bmp(int w, int h, int bits, std::uint32_t compression = 0, std::size_t data = 0, std::uint32_t info = 40) {
    return bmp_file(w, h, bits, compression, data, info);
}

std::size_t rows(int w, int h, int bits) { return static_cast<std::size_t>((w * bits + 31) / 32 * 4 * h); }

}  // namespace

TEST(Bitmaps, HeadersAreHeldToTheFilesOwnBytes) {
    char reason[200];
    const std::pair<Bytes, const char*> cases[] = {
        {bmp(3, 5, 1, 0, rows(3, 5, 1)), nullptr},
        {bmp(3, -5, 4, 0, rows(3, 5, 4)), nullptr},
        {bmp(7, 2, 8, 0, rows(7, 2, 8)), nullptr},
        {bmp(7, 2, 24, 0, rows(7, 2, 24), 12), nullptr},
        {bmp(5, 3, 16, 3, rows(5, 3, 16)), nullptr},
        {bmp(4096, 512, 32, 0, rows(4096, 512, 32)), nullptr},
        {bmp(640, 480, 8, 1, 640 * 480 / 128), nullptr},
        {bmp(7, 2, 24, 0, rows(7, 2, 24) - 1),
         "it claims 7 by 2 pixels at 24 bits but holds only 47 of their 48 bytes"},
        {bmp(196, 1179777, 4), "over 4096 a side"},
        {bmp(30000, 30000, 24), "over 4096 a side"},
        {bmp(4096, 4096, 1, 0, rows(4096, 4096, 1)), "more than the 2097152 the game takes"},
        {bmp(0, 5, 24), "it claims no pixels"},
        {bmp(-2, 5, 24), "it claims no pixels"},
        {bmp(5, static_cast<int>(0x80000000u), 24), "over 4096"},
        {bmp(640, 480, 8, 1, 640 * 480 / 128 - 1), "holds only 2399 bytes of compressed rows"},
        {bmp(640, -480, 8, 1, 4800), "compressed rows stored top-down"},
        {bmp(8, 8, 24, 1, 192), "24 bits a pixel with compression 1"},
        {bmp(8, 8, 2, 0, 64), "2 bits a pixel"},
        {bmp(8, 8, 24, 0, 192, 20), "its header has an unknown size (20 bytes)"},
        {Bytes{'B', 'M', 1, 2}, "its header is cut short (4 bytes)"},
        {Bytes{'P', 'K', 3, 4}, "it is not a BMP picture"},
    };
    for (const auto& [bytes, want] : cases) {
        const char* got = check_bmp(bytes, reason, sizeof reason);
        if (!want) {
            EXPECT_EQ(got, nullptr) << got;
        } else {
            ASSERT_NE(got, nullptr) << want;
            EXPECT_NE(std::strstr(got, want), nullptr) << got;
        }
    }
    // Cut anywhere inside its header or palette, a bitmap is refused; a palette that claims more
    // colours than its bits allow too.
    const Bytes whole = bmp(7, 2, 8, 0, rows(7, 2, 8));
    for (std::size_t n = 0; n < 14 + 40 + 1024; ++n)
        EXPECT_NE(check_bmp(std::span(whole).first(n), reason, sizeof reason), nullptr) << n;
    Bytes many = whole;
    many[46] = 0, many[47] = 1;  // 256 colours for 4 bits
    many[28] = 4;
    EXPECT_STREQ(check_bmp(many, reason, sizeof reason), "it claims 256 palette colours for 4 bits a pixel");
}
