// Checks a BMP file's header against the file's own bytes before SDL believes it: SDL sizes its
// pixel memory from what the header claims, whatever the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The largest bitmap the game takes: no side over 4096 pixels, and at most 2 Mi pixels (8 MB in
// the screen's format), so the four bitmaps never take much more than 64 MB at start-up, counting
// the file and SDL's first copy of the one being loaded.
constexpr long MAX_BITMAP_SIDE = 4096;
constexpr long MAX_BITMAP_PIXELS = 2L * 1024 * 1024;
// No accepted bitmap needs more bytes of file than this (32 bits a pixel, the largest header and palette).
constexpr std::size_t MAX_BITMAP_FILE = 14 + 124 + 1024 + 4 * MAX_BITMAP_PIXELS;

// Null when the bytes hold everything the header claims, in a form SDL loads: the headers whole,
// a width of 1 to 4096, a height of 1 to 4096 either way up, at most MAX_BITMAP_PIXELS pixels,
// 1, 4, 8, 16, 24 or 32 bits a pixel, uncompressed, bit fields (16 and 32 bits) or RLE (8 and 4
// bits, bottom-up), the palette and every row of pixels inside the file. An RLE picture must
// paint at least one pixel in 128 of those it claims: a run paints at most 255 pixels for two
// bytes. Otherwise a short reason, written into reason.
const char* check_bmp(std::span<const std::uint8_t> bytes, char* reason, std::size_t size);
