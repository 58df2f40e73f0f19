// The media on the Linux desktop: SDL 1.2 video and SDL_mixer.
#include "platform/platform.h"

#include <array>
#include <cstdlib>

namespace {

std::array<Mix_Music*, 3> themes{};

Mix_Music* theme_music(int theme) { return theme >= 1 && theme <= 3 ? themes[static_cast<std::size_t>(theme - 1)] : nullptr; }

}  // namespace

bool plat_init() {
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) return false;
    std::atexit(SDL_Quit);
    return true;
}

bool plat_open_audio() { return Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) >= 0; }

SDL_Surface* plat_open_screen(int w, int h, const char* caption) {
    SDL_Surface* screen = SDL_SetVideoMode(w, h, 32, 0);
    if (screen) SDL_WM_SetCaption(caption, caption);
    return screen;
}

bool plat_must_lock(const SDL_Surface* surface) {
    return surface->offset != 0 || (surface->flags & (SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RLEACCEL)) != 0;
}

void plat_present(SDL_Surface* screen, int rows) { SDL_UpdateRect(screen, 0, 0, screen->w, rows < 0 ? screen->h : rows); }

const char* plat_error() { return SDL_GetError(); }

SDL_Surface* plat_load_bmp(const char* file) { return SDL_LoadBMP_RW(SDL_RWFromFile(file, "rb"), 1); }

SDL_Surface* plat_convert_bitmap(SDL_Surface* loaded, const SDL_Surface* screen) {
    return SDL_ConvertSurface(loaded, screen->format, 0);
}

void plat_free_surface(SDL_Surface* surface) { SDL_FreeSurface(surface); }

Mix_Chunk* plat_load_sound(const char* file) { return Mix_LoadWAV_RW(SDL_RWFromFile(file, "rb"), 1); }

void plat_free_sound(Mix_Chunk* sound) { Mix_FreeChunk(sound); }

void plat_fade_out_sounds(int ms) { Mix_FadeOutChannel(-1, ms); }

bool plat_music_load(int theme, const char* file) {
    if (theme < 1 || theme > 3) return false;
    Mix_Music*& slot = themes[static_cast<std::size_t>(theme - 1)];
    if (slot) Mix_FreeMusic(slot);
    slot = Mix_LoadMUS(file);
    return slot != nullptr;
}

void plat_music_play(int theme) {
    if (Mix_Music* music = theme_music(theme)) Mix_PlayMusic(music, -1);
}

void plat_music_halt() { Mix_HaltMusic(); }

void plat_music_fade_out(int ms) { Mix_FadeOutMusic(ms); }

int plat_music_playing() { return Mix_PlayingMusic(); }

void plat_music_free() {
    for (Mix_Music*& music : themes) {
        if (music) Mix_FreeMusic(music);
        music = nullptr;
    }
}
