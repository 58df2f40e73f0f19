// Screenshots as PNG files (libpng): 8-bit RGB, no metadata, so the same picture always gives
// the same bytes.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace replay {

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row by row
};

// Whether this build writes and reads PNG files (the WebAssembly build has no libpng).
bool png_available();
// Writes the surface's pixels, read through its pixel format, as an RGB PNG.
bool write_png(const std::string& path, const SDL_Surface* surface, std::string& error);
bool write_png(const std::string& path, const Image& image, std::string& error);
// Reads any PNG libpng reads, as 0x00RRGGBB pixels (alpha is dropped).
bool read_png(const std::string& path, Image& image, std::string& error);

}  // namespace replay
