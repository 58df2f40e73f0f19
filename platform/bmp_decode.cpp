#include "platform/bmp_decode.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::size_t FILE_HEADER = 14;
constexpr std::int64_t MAX_SIDE = 16384;

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

unsigned u16(std::span<const std::uint8_t> b, std::size_t at) { return b[at] | static_cast<unsigned>(b[at + 1]) << 8; }

std::uint32_t rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b;
}

bool fail(std::string& error, const char* reason) {
    error = reason;
    return false;
}

}  // namespace

bool decode_bmp(std::span<const std::uint8_t> bytes, DecodedBitmap& out, std::string& error) {
    if (bytes.size() < FILE_HEADER + 40 || bytes[0] != 'B' || bytes[1] != 'M') return fail(error, "not a BMP file");
    const std::uint32_t data_offset = u32(bytes, 10);
    const std::uint32_t info_size = u32(bytes, 14);
    if (info_size < 40 || info_size > bytes.size() - FILE_HEADER) return fail(error, "unsupported BMP header");
    const auto width = static_cast<std::int32_t>(u32(bytes, 18));
    const auto height = static_cast<std::int32_t>(u32(bytes, 22));
    const unsigned bits = u16(bytes, 28);
    const std::uint32_t compression = u32(bytes, 30);
    std::uint32_t colours = u32(bytes, 46);

    if (compression != 0) return fail(error, "compressed BMP files are not supported");
    if (bits != 8 && bits != 24 && bits != 32) return fail(error, "only 8, 24 and 32-bit BMP files are supported");
    const bool top_down = height < 0;
    const std::int64_t w = width, h = top_down ? -static_cast<std::int64_t>(height) : height;
    if (w <= 0 || h <= 0 || w > MAX_SIDE || h > MAX_SIDE) return fail(error, "BMP size out of range");

    std::vector<std::uint32_t> palette;
    if (bits == 8) {
        if (colours == 0 || colours > 256) colours = 256;
        const std::size_t at = FILE_HEADER + info_size;
        if (bytes.size() - at < static_cast<std::size_t>(colours) * 4) return fail(error, "BMP palette cut short");
        for (std::size_t i = 0; i < colours; ++i)
            palette.push_back(rgb(bytes[at + 4 * i + 2], bytes[at + 4 * i + 1], bytes[at + 4 * i]));
    }

    const std::int64_t row_bytes = (w * bits / 8 + 3) & ~std::int64_t{3};
    if (data_offset > bytes.size() || static_cast<std::int64_t>(bytes.size() - data_offset) < row_bytes * h)
        return fail(error, "BMP pixel data cut short");

    out.w = static_cast<int>(w);
    out.h = static_cast<int>(h);
    out.pixels.assign(static_cast<std::size_t>(w * h), 0);
    for (std::int64_t y = 0; y < h; ++y) {
        const std::uint8_t* row = bytes.data() + data_offset + (top_down ? y : h - 1 - y) * row_bytes;
        std::uint32_t* dst = out.pixels.data() + y * w;
        for (std::int64_t x = 0; x < w; ++x) {
            if (bits == 8)
                dst[x] = row[x] < palette.size() ? palette[row[x]] : 0;
            else
                dst[x] = rgb(row[x * (bits / 8) + 2], row[x * (bits / 8) + 1], row[x * (bits / 8)]);
        }
    }
    return true;
}
