#include "tools/replay/png_io.h"

#include <png.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace replay {

namespace {

std::uint32_t channel(std::uint32_t pixel, std::uint32_t mask, std::uint8_t shift, std::uint8_t loss) {
    return ((pixel & mask) >> shift) << loss;
}

// The image of a surface's pixels, read through its pixel format.
Image image_of(const SDL_Surface* surface) {
    Image image;
    image.width = surface->w;
    image.height = surface->h;
    image.pixels.resize(static_cast<std::size_t>(surface->w) * static_cast<std::size_t>(surface->h));
    const SDL_PixelFormat* f = surface->format;
    for (int y = 0; y < surface->h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < surface->w; ++x) {
            std::uint32_t p = 0;
            if (f->BytesPerPixel == 4) {
                p = reinterpret_cast<const std::uint32_t*>(row)[x];
            } else {
                for (int b = 0; b < f->BytesPerPixel; ++b)
                    p |= static_cast<std::uint32_t>(row[x * f->BytesPerPixel + b]) << (8 * b);
            }
            const std::uint32_t r = channel(p, f->Rmask, f->Rshift, f->Rloss);
            const std::uint32_t g = channel(p, f->Gmask, f->Gshift, f->Gloss);
            const std::uint32_t b = channel(p, f->Bmask, f->Bshift, f->Bloss);
            image.pixels[static_cast<std::size_t>(y * surface->w + x)] = (r << 16) | (g << 8) | b;
        }
    }
    return image;
}

}  // namespace

bool png_available() { return true; }

bool write_png(const std::string& path, const Image& image, std::string& error) {
    std::vector<std::uint8_t> rgb(image.pixels.size() * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        rgb[3 * i] = static_cast<std::uint8_t>(image.pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<std::uint8_t>(image.pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<std::uint8_t>(image.pixels[i]);
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr)) {
        error = "cannot write \"" + path + "\": " + png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}

bool write_png(const std::string& path, const SDL_Surface* surface, std::string& error) {
    return write_png(path, image_of(surface), error);
}

bool read_png(const std::string& path, Image& image, std::string& error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = "cannot read \"" + path + "\": " + png.message;
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
        error = "cannot decode \"" + path + "\": " + png.message;
        png_image_free(&png);
        return false;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.resize(static_cast<std::size_t>(png.width) * png.height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = (static_cast<std::uint32_t>(rgb[3 * i]) << 16) |
                          (static_cast<std::uint32_t>(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
    return true;
}

}  // namespace replay
