// The platform layer: everything the game needs from outside itself. The clock, sleeps, sound
// starts, music, event polling, presenting the screen, random numbers and a note of each picture
// shown each go through a replaceable hook, so tests and the replay runner can run the real game
// on a virtual clock and record what it plays. This layer uses no other layer of the game.
#pragma once

#include <cstdint>
#include <span>

struct SDL_Surface;
union SDL_Event;

enum class SoundId { rock, diamond, collect, blast };
constexpr int SOUND_COUNT = 4;
// The music themes are numbered 1 to THEME_COUNT, as the keys that start them.
constexpr int THEME_COUNT = 3;

// What kind of picture was just put on the window.
// `editor` is the cave editor's picture (editor/).
enum class FrameKind { title, cave, death, game_over, congrats, paused, editor };
constexpr int FRAME_KIND_COUNT = 7;

struct PlatformHooks {
    std::uint32_t (*ticks)() = nullptr;                  // default SDL_GetTicks
    void (*delay)(std::uint32_t ms) = nullptr;           // default SDL_Delay
    void (*play)(int channel, SoundId sound) = nullptr;  // default Mix_PlayChannelTimed(ch, chunk, 0, -1)
    int (*poll_event)(SDL_Event* event) = nullptr;       // default SDL_PollEvent, gamepads as keys
    void (*frame_shown)(FrameKind kind) = nullptr;       // default: nothing
    void (*present)(SDL_Surface* screen) = nullptr;      // default SDL_UpdateRect of the whole screen
    void (*music_play)(int theme) = nullptr;             // default Mix_PlayMusic(theme, -1): loops forever
    void (*music_halt)() = nullptr;                      // default Mix_HaltMusic
    void (*music_fade_out)(int ms) = nullptr;            // default Mix_FadeOutMusic
    int (*music_playing)() = nullptr;                    // default Mix_PlayingMusic
    int (*rand)() = nullptr;                             // default: glibc's rand() sequence
    void (*srand)(unsigned seed) = nullptr;              // default: restarts that sequence
};

// Installs hooks; a null entry keeps the SDL default for that service.
void set_platform_hooks(const PlatformHooks& hooks);
// The hooks installed now, so a service can be replaced and the others kept.
const PlatformHooks& platform_hooks();
void reset_platform_hooks();

std::uint32_t plat_ticks();
void plat_delay(std::uint32_t ms);
// Starts a sound once, with no time limit; a sound that failed to load is silently skipped.
void play_sound(int channel, SoundId sound);
int plat_poll_event(SDL_Event* event);
// The loops' wait while nothing is due: a plat_delay(ms), exactly, on a hooked clock (the replay
// runner's, the recorder's, a test's), so their ticks and polls stay as they are. On the real
// clock, where the loop would only poll and sleep again for due_in_ms more, it sleeps on towards
// that, up to slice_ms at a time: far fewer wake-ups, and an event still seen within a slice.
constexpr std::uint32_t IDLE_SLICE_MS = 20;
void plat_idle(std::uint32_t ms, std::int32_t due_in_ms, std::uint32_t slice_ms = IDLE_SLICE_MS);
void plat_frame_shown(FrameKind kind);
// Puts the whole screen surface on the window.
void plat_present(SDL_Surface* screen);

// Starts theme 1..3 from its beginning, looping forever; a theme that is not loaded is skipped.
void plat_music_play(int theme);
void plat_music_halt();
void plat_music_fade_out(int ms);
int plat_music_playing();

// Every random number of the game comes from here; by default glibc's rand() sequence on every
// platform (platform/glibc_rand.h), so a game is the same from run to run, unseeded replays
// match, and a build with another C library (WebAssembly) draws the same rolls.
int plat_rand();
// The next n numbers of plat_rand() into out, in order: one call of the hook each when one is
// installed, otherwise made in one go.
void plat_rand_n(int* out, int n);
void plat_srand(unsigned seed);

// ---- starting up: video, the screen and bitmaps ----
// The desktop build does these with SDL 1.2 (platform/desktop), the WebAssembly build with the
// page's canvas and a screen of its own in memory (platform/web).

// Starts video and audio (and shuts SDL down at exit); false with plat_error() telling why.
bool plat_init();
// The screen the game draws into, w by h pixels of 0x00RRGGBB, with the window's caption;
// nullptr with plat_error() telling why.
SDL_Surface* plat_open_screen(int w, int h, const char* caption);
// Whether the surface must be locked before its pixels are touched.
bool plat_must_lock(const SDL_Surface* surface);
// Gives the window the icon of a BMP file; nothing when it does not load (a web page has none).
void plat_set_window_icon(const char* file);
// A BMP file as loaded; nullptr with plat_error() telling why.
SDL_Surface* plat_load_bmp(const char* file);
// A BMP file's bytes as loaded; nullptr with plat_error() telling why.
SDL_Surface* plat_load_bmp_bytes(std::span<const std::uint8_t> bytes);
// A copy of a loaded bitmap in the screen's pixel format; nullptr with plat_error() telling why.
SDL_Surface* plat_convert_bitmap(SDL_Surface* loaded, const SDL_Surface* screen);
void plat_free_surface(SDL_Surface* surface);
// Why the last start-up call (these, or open_audio and load_theme of platform/audio.h) failed.
const char* plat_error();

// The files the game keeps for the player ($XDG_DATA_HOME/kromblix/) have just been written: a
// web page copies them into the browser's storage, where the next visit finds them (a storage
// that is full or refused is reported on the page, and the game goes on); on the desktop they are
// on the disk already. Allocates nothing.
void plat_files_saved();
