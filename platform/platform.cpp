#include "platform/platform.h"

#include "platform/gamepad.h"
#include "platform/glibc_rand.h"
#include "platform/media.h"
#include "platform/stop.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>

namespace {

PlatformHooks hooks;
GlibcRand rand_state = glibc_seeded(1);  // as rand() before any srand()

}  // namespace

void set_platform_hooks(const PlatformHooks& h) { hooks = h; }
void reset_platform_hooks() { hooks = PlatformHooks{}; }
const PlatformHooks& platform_hooks() { return hooks; }

std::uint32_t plat_ticks() { return hooks.ticks ? hooks.ticks() : SDL_GetTicks(); }

void plat_delay(std::uint32_t ms) {
    end_if_stopped();
    if (hooks.delay) {
        hooks.delay(ms);
        return;
    }
    // Long waits (the game-over screen) are slept in slices, so a stop signal is acted on soon.
    constexpr std::uint32_t SLICE_MS = 100;
    for (std::uint32_t left = ms; left > 0;) {
        const std::uint32_t slice = std::min(left, SLICE_MS);
        SDL_Delay(slice);
        left -= slice;
        end_if_stopped();
    }
}

void plat_idle(std::uint32_t ms, std::int32_t due_in_ms, std::uint32_t slice_ms) {
    if (hooks.delay || due_in_ms <= static_cast<std::int32_t>(ms)) {
        plat_delay(ms);
        return;
    }
    plat_delay(std::min(static_cast<std::uint32_t>(due_in_ms), std::max(ms, slice_ms)));
}

void play_sound(int channel, SoundId sound) {
    if (hooks.play) {
        hooks.play(channel, sound);
        return;
    }
    media_play_sound(channel, sound);
}

int plat_poll_event(SDL_Event* event) {
    end_if_stopped();
    return hooks.poll_event ? hooks.poll_event(event) : poll_translated_event(event);
}

void plat_frame_shown(FrameKind kind) {
    if (hooks.frame_shown) hooks.frame_shown(kind);
}

void plat_present(SDL_Surface* screen) {
    if (hooks.present)
        hooks.present(screen);
    else if (screen)
        media_present(screen);
}

void plat_music_play(int theme) {
    if (hooks.music_play) {
        hooks.music_play(theme);
        return;
    }
    if (theme >= 1 && theme <= THEME_COUNT) media_music_play(theme);
}

void plat_music_halt() {
    if (hooks.music_halt)
        hooks.music_halt();
    else
        media_music_halt();
}

void plat_music_fade_out(int ms) {
    if (hooks.music_fade_out)
        hooks.music_fade_out(ms);
    else
        media_music_fade_out(ms);
}

int plat_music_playing() { return hooks.music_playing ? hooks.music_playing() : media_music_playing(); }

int plat_rand() { return hooks.rand ? hooks.rand() : glibc_next(rand_state); }

void plat_rand_n(int* out, int n) {
    if (!hooks.rand) {
        glibc_fill(rand_state, out, n);
        return;
    }
    for (int k = 0; k < n; ++k) out[k] = hooks.rand();
}

void plat_srand(unsigned seed) {
    if (hooks.srand)
        hooks.srand(seed);
    else
        rand_state = glibc_seeded(seed);
}
