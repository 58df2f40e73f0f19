// The game's icon: a diamond on dirt, the two tiles of the cave a player looks for first, made
// from the tile art and enlarged pixel for pixel. The window shows it (icon.bmp, with the game's
// data); the desktop menu shows the PNG files at 32, 64, 128 and 256 pixels.
#include "tools/makedata/image.h"
#include "tools/makedata/sprites.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace makedata {

Image make_icon(const ArtBook& tiles, int size) {
    if (size < SPRITE || size % SPRITE != 0) throw std::runtime_error("an icon is a multiple of 32 pixels");
    const Image& dirt = tiles.frame("dirt");
    const Image& diamond = tiles.frame("diamond1");
    const int scale = size / SPRITE;
    Image icon(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const std::uint32_t gem = diamond.at(x / scale, y / scale);
            icon.at(x, y) = gem != CLEAR ? gem : dirt.at(x / scale, y / scale);
        }
    return icon;
}

void write_png(const Image& img, const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("libpng cannot start writing " + path);
    }
    std::vector<png_byte> row(static_cast<std::size_t>(img.w) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed writing " + path);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(img.w), static_cast<png_uint_32>(img.h), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            const std::uint32_t p = img.at(x, y);
            row[static_cast<std::size_t>(x) * 3 + 0] = static_cast<png_byte>(p >> 16);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<png_byte>(p >> 8);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<png_byte>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace makedata
