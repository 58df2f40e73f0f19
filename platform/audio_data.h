// The loaded sounds and themes, shared by the loader and the default hooks of the platform layer.
#pragma once

#include "platform/platform.h"

#include <SDL_mixer.h>

#include <array>

namespace audio_data {

extern std::array<Mix_Chunk*, SOUND_COUNT> sounds;  // by SoundId
extern std::array<Mix_Music*, THEME_COUNT> themes;  // theme 1 first

}  // namespace audio_data
