// The few platform services the game core needs: the millisecond clock, sleeps, sound starts,
// event polling, random numbers and a note of each picture shown. Each goes through a replaceable
// hook so tests and the replay runner can run the real game on a virtual clock and record what
// it plays.
//
// Below them, the media: starting video and sound, the screen, bitmaps, sounds and music. The
// desktop build implements them over SDL 1.2 and SDL_mixer (platform/desktop), the WebAssembly
// build over the browser's canvas and audio (platform/web).
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

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

// ---- the media ----

// Starts video and audio (and shuts SDL down at exit); false with plat_error() telling why.
bool plat_init();
// Opens the sound device at 44100 Hz, 16 bits, stereo; false with plat_error() telling why.
bool plat_open_audio();
// The screen the game draws into, w by h pixels of 0x00RRGGBB, with the window's caption;
// nullptr with plat_error() telling why.
SDL_Surface* plat_open_screen(int w, int h, const char* caption);
// Whether the surface must be locked before its pixels are touched.
bool plat_must_lock(const SDL_Surface* surface);
// Shows the screen's top `rows` rows, by default all of it.
void plat_present(SDL_Surface* screen, int rows = -1);
// Why the last start-up call failed.
const char* plat_error();

// A BMP file as loaded; nullptr with plat_error() telling why.
SDL_Surface* plat_load_bmp(const char* file);
// A copy of a loaded bitmap in the screen's pixel format; nullptr with plat_error() telling why.
SDL_Surface* plat_convert_bitmap(SDL_Surface* loaded, const SDL_Surface* screen);
void plat_free_surface(SDL_Surface* surface);

// A sound effect, or nullptr when it does not load (the game then plays without it).
Mix_Chunk* plat_load_sound(const char* file);
void plat_free_sound(Mix_Chunk* sound);
// Fades every playing sound out over ms.
void plat_fade_out_sounds(int ms);

// The three themes: loaded from their files at start-up, then played by number (1..3).
bool plat_music_load(int theme, const char* file);  // false with plat_error() telling why
void plat_music_play(int theme);                    // loops for ever
void plat_music_halt();
void plat_music_fade_out(int ms);
int plat_music_playing();
void plat_music_free();
