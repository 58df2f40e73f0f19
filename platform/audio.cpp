// The names of the sound and music files and the loaded sounds and themes; the device and the
// loading are the media's (platform/desktop, platform/web).
#include "platform/audio.h"

#include "platform/audio_data.h"
#include "platform/platform.h"

#include <array>
#include <cstddef>

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
