// 24-bit BMP output. Every value survives a load and conversion to the screen format exactly,
// which the sprite sheets rely on for their transparent white.
#include "tools/makedata/image.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <ios>
#include <stdexcept>
#include <string>
#include <vector>

namespace makedata {

namespace {

void put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

void Image::paste(const Image& src, int x, int y) {
    for (int sy = 0; sy < src.h; ++sy)
        for (int sx = 0; sx < src.w; ++sx)
            if (inside(x + sx, y + sy)) at(x + sx, y + sy) = src.at(sx, sy);
}

Rgb rgb_hex(std::uint32_t hex) {
    return {static_cast<float>((hex >> 16) & 0xFF) / 255.0f, static_cast<float>((hex >> 8) & 0xFF) / 255.0f,
            static_cast<float>(hex & 0xFF) / 255.0f};
}

std::uint32_t to_word(Rgb c) {
    auto channel = [](float v) {
        const float scaled = std::round(v * 255.0f);
        if (!(scaled > 0.0f)) return 0u;
        if (scaled >= 255.0f) return 255u;
        return static_cast<unsigned>(scaled);
    };
    return (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

void write_bmp(const Image& img, const std::string& path) {
    const std::uint32_t row_bytes = (static_cast<std::uint32_t>(img.w) * 3u + 3u) & ~3u;
    const std::uint32_t data_bytes = row_bytes * static_cast<std::uint32_t>(img.h);
    const std::uint32_t header_bytes = 14 + 40;

    std::vector<unsigned char> out;
    out.reserve(header_bytes + data_bytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, header_bytes + data_bytes);
    put32(out, 0);             // reserved
    put32(out, header_bytes);  // offset of the pixel rows
    put32(out, 40);            // BITMAPINFOHEADER
    put32(out, static_cast<std::uint32_t>(img.w));
    put32(out, static_cast<std::uint32_t>(img.h));  // positive: rows stored bottom-up
    put16(out, 1);                                  // planes
    put16(out, 24);                                 // bits per pixel
    put32(out, 0);                                  // BI_RGB
    put32(out, data_bytes);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);  // palette colours
    put32(out, 0);  // important colours

    for (int y = img.h - 1; y >= 0; --y) {
        std::uint32_t written = 0;
        for (int x = 0; x < img.w; ++x) {
            const std::uint32_t p = img.at(x, y);
            out.push_back(static_cast<unsigned char>(p & 0xFF));
            out.push_back(static_cast<unsigned char>((p >> 8) & 0xFF));
            out.push_back(static_cast<unsigned char>((p >> 16) & 0xFF));
            written += 3;
        }
        for (; written < row_bytes; ++written) out.push_back(0);
    }

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    file.close();  // the last bytes reach the file here, and may fail to
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace makedata
