#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <span>

// The smallest size the renderer addresses in each bitmap.
struct BitmapNeed {
    const char* name;
    int min_w;
    int min_h;
};

constexpr BitmapNeed PLAYER_BITMAP{"player.bmp", 196, 129};
constexpr BitmapNeed TILE_BITMAP{"pot5.bmp", 32, 128};
constexpr BitmapNeed TITLE_BITMAP{"title.bmp", 640, 479};
constexpr BitmapNeed FONT_BITMAP{"font.bmp", 1, 0};

// A BMP file's bytes as a surface in the screen's pixel format: checked (app/bmp_check.h), loaded
// by the platform, converted and measured against what the renderer reads of it. Null when any step fails,
// with the message line naming the bitmap written into message.
SDL_Surface* bitmap_from_bytes(std::span<const std::uint8_t> bytes, const BitmapNeed& need,
                               const SDL_Surface* screen, char* message, std::size_t size);

// Loads the four bitmaps, builds the font metrics, resets the counters and loads cave 0.
void load_assets();
