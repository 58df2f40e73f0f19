#include "app/assets.h"

#include "app/bmp_check.h"
#include "platform/platform.h"
#include "platform/stop.h"
#include "render/canvas.h"
#include "render/font.h"
#include "render/sprites.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"

#include <SDL.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

namespace {

constexpr std::size_t MESSAGE_SIZE = 512;

// The file's first MAX_BITMAP_FILE bytes (no accepted bitmap needs more); false with the message
// when it cannot be opened or read.
bool read_bitmap_file(const char* name, std::vector<std::uint8_t>& bytes, char* message, std::size_t size) {
    std::FILE* file = std::fopen(name, "rb");
    if (!file) {
        std::snprintf(message, size, "Unable to load bitmap \"%s\": cannot open it: %s\n", name, std::strerror(errno));
        return false;
    }
    std::array<std::uint8_t, 65536> chunk;
    std::size_t n = 0;
    while (bytes.size() < MAX_BITMAP_FILE && (n = std::fread(chunk.data(), 1, chunk.size(), file)) > 0)
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        std::snprintf(message, size, "Unable to load bitmap \"%s\": cannot read it: %s\n", name, std::strerror(error));
        return false;
    }
    if (bytes.size() > MAX_BITMAP_FILE) bytes.resize(MAX_BITMAP_FILE);
    return true;
}

// Ends start-up with a message naming the file when the bitmap is missing, unreadable, not
// believable or too small for what the renderer reads of it.
SDL_Surface* load_bitmap(const BitmapNeed& need) {
    std::array<char, MESSAGE_SIZE> message{};
    std::vector<std::uint8_t> bytes;
    SDL_Surface* surface = nullptr;
    if (read_bitmap_file(need.name, bytes, message.data(), message.size()))
        surface = bitmap_from_bytes(bytes, need, gfx.screen, message.data(), message.size());
    if (!surface) {
        std::fputs(message.data(), stderr);
        std::exit(1);
    }
    end_if_stopped();
    return surface;
}

}  // namespace

SDL_Surface* bitmap_from_bytes(std::span<const std::uint8_t> bytes, const BitmapNeed& need, const SDL_Surface* screen,
                               char* message, std::size_t size) {
    std::array<char, 200> reason{};
    if (check_bmp(bytes, reason.data(), reason.size())) {
        std::snprintf(message, size, "Unable to load bitmap \"%s\": %s\n", need.name, reason.data());
        return nullptr;
    }
    SDL_Surface* loaded = plat_load_bmp_bytes(bytes);
    if (!loaded) {
        std::snprintf(message, size, "Unable to load bitmap \"%s\": %s\n", need.name, plat_error());
        return nullptr;
    }
    SDL_Surface* converted = plat_convert_bitmap(loaded, screen);
    plat_free_surface(loaded);
    if (!converted) {
        std::snprintf(message, size, "Unable to convert bitmap \"%s\": %s\n", need.name, plat_error());
        return nullptr;
    }
    if (converted->w < need.min_w || converted->h < need.min_h || converted->w <= 0) {
        std::snprintf(message, size, "Bitmap \"%s\" is %d by %d pixels; the game needs at least %d by %d\n", need.name,
                      converted->w, converted->h, need.min_w, need.min_h);
        plat_free_surface(converted);
        return nullptr;
    }
    return converted;
}

void load_assets() {
    if (!gfx.screen) {
        std::fprintf(stderr, "Unable to set up video: %s\n", plat_error());
        std::exit(1);
    }
    gfx.player_sheet = load_bitmap(PLAYER_BITMAP);
    gfx.tile_sheet = load_bitmap(TILE_BITMAP);
    gfx.title_image = load_bitmap(TITLE_BITMAP);
    gfx.font_image = load_bitmap(FONT_BITMAP);
    note_opaque_tiles();

    game.score = 0;
    game.cave_index = 0;
    game.lives = START_LIVES;

    if (!lock_surface(gfx.font_image)) return;
    build_font_metrics();
    unlock_surface(gfx.font_image);

    load_cave();
}
