#include "app/assets.h"

#include "platform/platform.h"
#include "render/canvas.h"
#include "render/font.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The smallest size the renderer addresses in each bitmap.
struct BitmapNeed {
    const char* name;
    int min_w;
    int min_h;
};

[[noreturn]] void fail(const char* format, const char* name, const char* detail) {
    std::fprintf(stderr, format, name, detail);
    std::exit(1);
}

// Loads a BMP and converts it to the screen's pixel format; ends start-up with a message naming
// the file when it is missing, unreadable or too small for what the renderer reads of it.
SDL_Surface* load_bitmap(const BitmapNeed& need) {
    SDL_Surface* loaded = plat_load_bmp(need.name);
    if (!loaded) fail("Unable to load bitmap \"%s\": %s\n", need.name, plat_error());
    SDL_Surface* converted = plat_convert_bitmap(loaded, gfx.screen);
    plat_free_surface(loaded);
    if (!converted) fail("Unable to convert bitmap \"%s\": %s\n", need.name, plat_error());
    if (converted->w < need.min_w || converted->h < need.min_h || converted->w <= 0) {
        std::fprintf(stderr, "Bitmap \"%s\" is %d by %d pixels; the game needs at least %d by %d\n", need.name,
                     converted->w, converted->h, need.min_w, need.min_h);
        std::exit(1);
    }
    return converted;
}

}  // namespace

void load_assets() {
    if (!gfx.screen) {
        std::fprintf(stderr, "Unable to set up video: %s\n", plat_error());
        std::exit(1);
    }
    gfx.player_sheet = load_bitmap({"player.bmp", 196, 129});
    gfx.tile_sheet = load_bitmap({"pot5.bmp", 32, 128});
    gfx.title_image = load_bitmap({"title.bmp", 640, 479});
    gfx.font_image = load_bitmap({"font.bmp", 1, 0});

    game.score = 0;
    game.cave_index = 0;
    game.lives = START_LIVES;

    if (!lock_surface(gfx.font_image)) return;
    build_font_metrics();
    unlock_surface(gfx.font_image);

    load_cave();
}
