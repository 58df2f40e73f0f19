// Reading BMP files without SDL, for the platforms whose SDL cannot: uncompressed 8-bit
// (palette), 24-bit and 32-bit pictures with a 40-byte or longer info header, stored bottom-up
// or top-down. The pixels come out as 0x00RRGGBB, top row first, as SDL 1.2 loads and converts
// them to the screen's format on the desktop.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct DecodedBitmap {
    int w = 0;
    int h = 0;
    std::vector<std::uint32_t> pixels;  // w * h, row after row
};

// false, with a reason in error, for a file that is not such a BMP or is cut short.
bool decode_bmp(std::span<const std::uint8_t> bytes, DecodedBitmap& out, std::string& error);
