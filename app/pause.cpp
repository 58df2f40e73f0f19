#include "app/pause.h"

#include "app/comforts.h"
#include "app/text_width.h"
#include "platform/event_recorder.h"
#include "platform/platform.h"
#include "platform/volume.h"
#include "render/canvas.h"
#include "render/font.h"
#include "sim/game_state.h"

#include <cstdint>

namespace {

constexpr std::uint32_t PAUSE_POLL_MS = 10;  // a hooked clock's sleep; the real clock sleeps a whole slice
constexpr std::int32_t PAUSE_IDLE_MS = 1000;  // nothing is due while paused
constexpr std::uint32_t DIM = 0x505050;   // multiplied into every pixel of the cave
constexpr std::uint32_t BAND_DIM = 0x282828;  // darker still under the texts
constexpr int BAND_TOP = 235, BAND_BOTTOM = 420;
constexpr std::uint32_t TITLE_COLOUR = 0xFFAA00, KEYS_COLOUR = 0x30A0D0;
constexpr const char* KEY_LINES[] = {
    "P = go on      M = sound on / off",
    "-  = music quieter      = = louder",
    "F11 or Alt+Enter = full screen",
};

void draw_centred(int y, const char* text, std::uint32_t colour) {
    draw_text((SCREEN_W - text_width(text)) / 2, y, text, colour);
}

void release_arrow(SDLKey key) {
    if (key == SDLK_UP) game.key_up = 0;
    if (key == SDLK_DOWN) game.key_down = 0;
    if (key == SDLK_LEFT) game.key_left = 0;
    if (key == SDLK_RIGHT) game.key_right = 0;
}

void resume(std::uint32_t paused_at) {
    const auto paused = static_cast<std::int32_t>(plat_ticks() - paused_at);
    game.frame_clock += paused;
    game.step_clock += paused;
    game.cave_start_time += paused;
    pause_all_sound(false);
}

}  // namespace

bool pauses_game(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN) return event.key.keysym.sym == SDLK_p;
    return focus_change(event) == FocusChange::lost;
}

void draw_pause_screen() {
    if (!lock_surface(gfx.screen)) return;
    for (int y = 0; y < SCREEN_H; ++y) {
        std::uint32_t* row = pixel_at(gfx.screen, 0, y);
        const std::uint32_t dim = y >= BAND_TOP && y <= BAND_BOTTOM ? BAND_DIM : DIM;
        for (int x = 0; x < SCREEN_W; ++x) row[x] = blend_multiply(row[x], dim);
    }
    if (gfx.font_image && gfx.font_image->w > 0) {
        draw_centred(250, "PAUSED", TITLE_COLOUR);
        int y = 320;
        for (const char* line : KEY_LINES) {
            draw_centred(y, line, KEYS_COLOUR);
            y += 30;
        }
    }
    plat_frame_shown(FrameKind::paused);
    present_screen();
}

bool run_pause() {
    const std::uint32_t paused_at = plat_ticks();
    pause_all_sound(true);
    draw_pause_screen();
    SDL_Event event;
    for (;;) {
        while (plat_poll_event(&event)) {
            if (event.type == SDL_QUIT) {
                resume(paused_at);
                return false;
            }
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_p) {
                resume(paused_at);
                return true;
            }
            // An arrow let go while paused is not held afterwards; presses wait for the game.
            if (event.type == SDL_KEYUP) release_arrow(event.key.keysym.sym);
            handle_comfort_key(event);
        }
        plat_idle(PAUSE_POLL_MS, PAUSE_IDLE_MS);
    }
}
