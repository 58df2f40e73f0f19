// Pictures in the generator: 32-bit words 0x00RRGGBB, row-major, no padding — the same
// layout the game gets after converting a loaded bitmap to its screen format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace makedata {

struct Image {
    int w = 0;
    int h = 0;
    std::vector<std::uint32_t> px;

    Image() = default;
    Image(int width, int height, std::uint32_t fill = 0)
        : w(width), h(height), px(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    std::uint32_t& at(int x, int y) {
        return px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
    }
    std::uint32_t at(int x, int y) const {
        return px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
    }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    // Copies src with its top-left corner at (x, y); parts outside are dropped.
    void paste(const Image& src, int x, int y);
};

// A floating colour for painting; channels nominally 0..1.
struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a * (1.0f - t) + b * t; }
Rgb rgb_hex(std::uint32_t hex);
// Rounds and clamps to 0..255 per channel.
std::uint32_t to_word(Rgb c);

// Single-channel coverage (0..1) of the same size as some picture, for masks and text.
struct Mask {
    int w = 0;
    int h = 0;
    std::vector<float> v;

    Mask() = default;
    Mask(int width, int height)
        : w(width), h(height), v(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0.0f) {}
    float& at(int x, int y) {
        return v[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
    }
    float get(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0.0f;
        return v[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
    }
};

struct Point {
    float x = 0, y = 0;
};

// Anti-aliased coverage of a closed polygon (non-zero winding) added into the mask, clamped at 1.
void fill_polygon(Mask& mask, const std::vector<Point>& poly);
// Box blur of the given radius, applied horizontally then vertically.
Mask blur(const Mask& m, int radius);
// Grows the mask by taking the maximum within a disc of the given radius.
Mask dilate(const Mask& m, int radius);

// Writes a 24-bit uncompressed bottom-up BMP. Throws std::runtime_error on I/O failure.
void write_bmp(const Image& img, const std::string& path);
// Writes an 8-bit RGB PNG with no metadata. Throws std::runtime_error on failure.
void write_png(const Image& img, const std::string& path);

}  // namespace makedata
