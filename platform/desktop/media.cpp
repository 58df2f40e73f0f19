// The media on the Linux desktop: SDL 1.2 video and SDL_mixer.
#include "platform/media.h"

#include "platform/audio.h"
#include "platform/audio_data.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>

// ---- start-up, the screen and bitmaps ----

bool plat_init() {
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) return false;
    std::atexit(SDL_Quit);
    return true;
}

SDL_Surface* plat_open_screen(int w, int h, const char* caption) {
    SDL_Surface* screen = SDL_SetVideoMode(w, h, 32, 0);
    if (screen) SDL_WM_SetCaption(caption, caption);
    return screen;
}

bool plat_must_lock(const SDL_Surface* surface) {
    return surface->offset != 0 || (surface->flags & (SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RLEACCEL)) != 0;
}

void plat_set_window_icon(const char* file) {
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromFile(file, "rb"), 1);
    if (!icon) return;
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
}

SDL_Surface* plat_load_bmp(const char* file) { return SDL_LoadBMP_RW(SDL_RWFromFile(file, "rb"), 1); }

SDL_Surface* plat_load_bmp_bytes(std::span<const std::uint8_t> bytes) {
    return SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
}

SDL_Surface* plat_convert_bitmap(SDL_Surface* loaded, const SDL_Surface* screen) {
    return SDL_ConvertSurface(loaded, screen->format, 0);
}

void plat_free_surface(SDL_Surface* surface) { SDL_FreeSurface(surface); }

const char* plat_error() { return SDL_GetError(); }

// ---- the sound device and files (platform/audio.h) ----

bool open_audio() { return Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) >= 0; }

bool load_theme(int theme) {
    const char* file = theme_file_name(theme);
    if (!file) return false;
    Mix_Music*& slot = audio_data::themes[static_cast<std::size_t>(theme - 1)];
    slot = Mix_LoadMUS(file);
    return slot != nullptr;
}

void load_sounds() {
    for (std::size_t i = 0; i < audio_data::sounds.size(); ++i)
        audio_data::sounds[i] = Mix_LoadWAV_RW(SDL_RWFromFile(sound_file_name(static_cast<SoundId>(i)), "rb"), 1);
}

void fade_out_sounds(int ms) { Mix_FadeOutChannel(-1, ms); }

void free_audio() {
    for (Mix_Music*& theme : audio_data::themes) {
        Mix_FreeMusic(theme);
        theme = nullptr;
    }
    for (Mix_Chunk*& sound : audio_data::sounds) {
        Mix_FreeChunk(sound);
        sound = nullptr;
    }
}

// ---- the platform layer's defaults ----

void media_play_sound(int channel, SoundId sound) {
    const auto i = static_cast<std::size_t>(sound);
    if (i < audio_data::sounds.size() && audio_data::sounds[i])
        Mix_PlayChannelTimed(channel, audio_data::sounds[i], 0, -1);
}

int media_poll_event(SDL_Event* event) { return SDL_PollEvent(event); }

void media_present(SDL_Surface* screen) { SDL_UpdateRect(screen, 0, 0, 0, 0); }

void media_music_play(int theme) {
    if (Mix_Music* music = audio_data::themes[static_cast<std::size_t>(theme - 1)]) Mix_PlayMusic(music, -1);
}

void media_music_halt() { Mix_HaltMusic(); }

void media_music_fade_out(int ms) { Mix_FadeOutMusic(ms); }

int media_music_playing() { return Mix_PlayingMusic(); }

bool media_has_display() { return true; }

// The player's files are on the disk once written.
void plat_files_saved() {}

bool media_audio_open() { return Mix_QuerySpec(nullptr, nullptr, nullptr) != 0; }
