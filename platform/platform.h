// The few platform services the game core needs: the millisecond clock, sleeps, sound starts,
// event polling, random numbers and a note of each picture shown. Each goes through a replaceable hook so tests
// and the replay runner can run the real game on a virtual clock and record what it plays.
#pragma once

#include <SDL.h>

#include <cstdint>

enum class SoundId { rock, diamond, collect, blast };

// What kind of picture was just put on the window.
enum class FrameKind { title, cave, death, game_over, congrats };

struct PlatformHooks {
    std::uint32_t (*ticks)() = nullptr;                 // default SDL_GetTicks
    void (*delay)(std::uint32_t ms) = nullptr;          // default SDL_Delay
    void (*play)(int channel, SoundId sound) = nullptr; // default Mix_PlayChannelTimed(ch, chunk, 0, -1)
    int (*poll_event)(SDL_Event* event) = nullptr;      // default SDL_PollEvent
    void (*frame_shown)(FrameKind kind) = nullptr;      // default: nothing
    int (*rand)() = nullptr;                            // default: glibc's rand() sequence (glibc_rand.h)
    void (*srand)(unsigned seed) = nullptr;             // default: restarts that sequence
};

// Installs hooks; a null entry keeps the SDL default for that service.
void set_platform_hooks(const PlatformHooks& hooks);
void reset_platform_hooks();

std::uint32_t plat_ticks();
void plat_delay(std::uint32_t ms);
// Starts a sound once, with no time limit; a sound that failed to load is silently skipped.
void play_sound(int channel, SoundId sound);
int plat_poll_event(SDL_Event* event);
void plat_frame_shown(FrameKind kind);
// The game's random numbers: glibc's rand() sequence on every platform, unseeded unless
// plat_srand is called, so a game draws the same rolls wherever it runs.
int plat_rand();
void plat_srand(unsigned seed);
