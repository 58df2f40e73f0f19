#include "app/bmp_check.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <span>

namespace {

constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;
constexpr std::size_t FILE_HEADER = 14;
constexpr std::uint32_t CORE_HEADER = 12;  // the oldest header: 16-bit sides, 3-byte palette entries
constexpr std::uint32_t INFO_HEADER = 40;

std::uint32_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return u16(b, at) | (u16(b, at + 2) << 16);
}

[[gnu::format(printf, 3, 4)]] const char* say(char* reason, std::size_t size, const char* format, ...) {
    std::va_list values;
    va_start(values, format);
    std::vsnprintf(reason, size, format, values);
    va_end(values);
    return reason;
}

}  // namespace

const char* check_bmp(std::span<const std::uint8_t> bytes, char* reason, std::size_t size) {
    const std::size_t file_size = bytes.size();
    if (file_size < 2 || bytes[0] != 'B' || bytes[1] != 'M') return say(reason, size, "it is not a BMP picture");
    if (file_size < FILE_HEADER + 4) return say(reason, size, "its header is cut short (%zu bytes)", file_size);
    const std::uint32_t info_size = u32(bytes, 14);
    if (info_size != CORE_HEADER && info_size < INFO_HEADER)
        return say(reason, size, "its header has an unknown size (%u bytes)", static_cast<unsigned>(info_size));
    if (info_size > file_size - FILE_HEADER)
        return say(reason, size, "its header is cut short (%zu bytes)", file_size);

    // Sides as 64-bit values: a height of INT32_MIN turns around safely.
    long long width = 0, height = 0;
    std::uint32_t bits = 0, compression = BI_RGB, colours = 0;
    std::size_t header_end = FILE_HEADER + info_size;
    std::size_t entry_bytes = 4;
    if (info_size == CORE_HEADER) {
        width = u16(bytes, 18);
        height = u16(bytes, 20);
        bits = u16(bytes, 24);
        entry_bytes = 3;
    } else {
        width = static_cast<std::int32_t>(u32(bytes, 18));
        height = static_cast<std::int32_t>(u32(bytes, 22));
        bits = u16(bytes, 28);
        compression = u32(bytes, 30);
        colours = u32(bytes, 46);
        // Bit field masks follow a 40-byte header; later headers hold them.
        if (compression == BI_BITFIELDS && info_size < 52) header_end += 12;
    }
    const bool bottom_up = height > 0;
    if (height < 0) height = -height;
    if (width <= 0 || height == 0)
        return say(reason, size, "it claims no pixels (%lld by %lld)", width, bottom_up ? height : -height);
    if (width > MAX_BITMAP_SIDE || height > MAX_BITMAP_SIDE)
        return say(reason, size, "it claims %lld by %lld pixels, over %ld a side", width, height, MAX_BITMAP_SIDE);
    if (width * height > MAX_BITMAP_PIXELS)
        return say(reason, size, "it claims %lld by %lld pixels, more than the %ld the game takes", width, height,
                   MAX_BITMAP_PIXELS);

    const bool plain = compression == BI_RGB &&
                       (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool fields = compression == BI_BITFIELDS && (bits == 16 || bits == 32);
    const bool rle = (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4);
    if (!plain && !fields && !rle)
        return say(reason, size, "it stores %u bits a pixel with compression %u, which the game does not read",
                   static_cast<unsigned>(bits), static_cast<unsigned>(compression));
    if (rle && !bottom_up) return say(reason, size, "it claims compressed rows stored top-down");

    if (bits <= 8) {
        if (colours == 0) colours = 1u << bits;
        if (colours > 1u << bits)
            return say(reason, size, "it claims %u palette colours for %u bits a pixel", static_cast<unsigned>(colours),
                       static_cast<unsigned>(bits));
        header_end += colours * entry_bytes;
    }
    if (header_end > file_size) return say(reason, size, "its header is cut short (%zu bytes)", file_size);

    const std::uint32_t offset = u32(bytes, 10);
    const std::size_t data_start = offset != 0 ? offset : header_end;
    const std::size_t held = data_start < file_size ? file_size - data_start : 0;
    const auto pixels = static_cast<std::size_t>(width * height);
    if (rle) {
        if (pixels > 128 * held)
            return say(reason, size, "it claims %lld by %lld pixels but holds only %zu bytes of compressed rows", width,
                       height, held);
        return nullptr;
    }
    const std::size_t row_bytes = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    if (row_bytes * static_cast<std::size_t>(height) > held)
        return say(reason, size, "it claims %lld by %lld pixels at %u bits but holds only %zu of their %zu bytes",
                   width, height, static_cast<unsigned>(bits), held, row_bytes * static_cast<std::size_t>(height));
    return nullptr;
}
