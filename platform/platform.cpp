#include "platform/platform.h"

#include "platform/glibc_rand.h"
#include "sim/game_state.h"

namespace {

PlatformHooks hooks;
GlibcRand rand_state = glibc_seeded(1);  // as rand() before any srand()

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
    if (hooks.delay)
        hooks.delay(ms);
    else
        SDL_Delay(ms);
}

void play_sound(int channel, SoundId sound) {
    if (hooks.play) {
        hooks.play(channel, sound);
        return;
    }
    if (Mix_Chunk* chunk = chunk_of(sound)) Mix_PlayChannelTimed(channel, chunk, 0, -1);
}

int plat_poll_event(SDL_Event* event) { return hooks.poll_event ? hooks.poll_event(event) : SDL_PollEvent(event); }

void plat_frame_shown(FrameKind kind) {
    if (hooks.frame_shown) hooks.frame_shown(kind);
}

int plat_rand() { return hooks.rand ? hooks.rand() : glibc_next(rand_state); }

void plat_srand(unsigned seed) {
    if (hooks.srand)
        hooks.srand(seed);
    else
        rand_state = glibc_seeded(seed);
}
