#include "platform/audio.h"

#include "platform/audio_data.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>

namespace {

constexpr std::array<const char*, SOUND_COUNT> SOUND_FILES{"resources.wav", "shot.wav", "explode.wav", "booom.wav"};
constexpr std::array<const char*, THEME_COUNT> THEME_FILES{"1.m", "2.m", "3.m"};

}  // namespace

namespace audio_data {

std::array<Mix_Chunk*, SOUND_COUNT> sounds{};
std::array<Mix_Music*, THEME_COUNT> themes{};

}  // namespace audio_data

const char* sound_file_name(SoundId sound) {
    const auto i = static_cast<std::size_t>(sound);
    return i < SOUND_FILES.size() ? SOUND_FILES[i] : "unknown";
}

const char* theme_file_name(int theme) {
    return theme >= 1 && theme <= THEME_COUNT ? THEME_FILES[static_cast<std::size_t>(theme - 1)] : nullptr;
}

bool open_audio() { return Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) >= 0; }

bool load_theme(int theme) {
    const char* file = theme_file_name(theme);
    if (!file) return false;
    Mix_Music*& slot = audio_data::themes[static_cast<std::size_t>(theme - 1)];
    slot = Mix_LoadMUS(file);
    return slot != nullptr;
}

void load_sounds() {
    for (std::size_t i = 0; i < SOUND_FILES.size(); ++i)
        audio_data::sounds[i] = Mix_LoadWAV_RW(SDL_RWFromFile(SOUND_FILES[i], "rb"), 1);
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
