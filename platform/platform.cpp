#include "platform/platform.h"

#include "platform/stop.h"
#include "sim/game_state.h"

#include <algorithm>

namespace {

PlatformHooks hooks;

Mix_Chunk* chunk_of(SoundId sound) {
    switch (sound) {
    case SoundId::rock: return game.snd_rock;
    case SoundId::diamond: return game.snd_diamond;
    case SoundId::collect: return game.snd_collect;
    case SoundId::blast: return game.snd_blast;
    }
    return nullptr;
}

}  // namespace

void set_platform_hooks(const PlatformHooks& h) { hooks = h; }
void reset_platform_hooks() { hooks = PlatformHooks{}; }

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

void play_sound(int channel, SoundId sound) {
    if (hooks.play) {
        hooks.play(channel, sound);
        return;
    }
    if (Mix_Chunk* chunk = chunk_of(sound)) Mix_PlayChannelTimed(channel, chunk, 0, -1);
}

int plat_poll_event(SDL_Event* event) {
    end_if_stopped();
    return hooks.poll_event ? hooks.poll_event(event) : SDL_PollEvent(event);
}

void plat_frame_shown(FrameKind kind) {
    if (hooks.frame_shown) hooks.frame_shown(kind);
}
