#include "platform/volume.h"

#include "platform/media.h"
#include "platform/platform.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cstdint>

namespace {

// The mixer fades in steps of one 2048-sample buffer (46 ms) and may run a few buffers behind:
// the new theme waits for the fade to end, but never longer than this after it should have.
constexpr std::uint32_t MIXER_LAG_MS = 150;
constexpr std::int32_t MAX_WAIT_MS = 1000;

struct Volume {
    int music = MAX_VOLUME;
    bool muted = false;
    int waiting = 0;              // the theme to start once the old one has faded, or 0
    std::uint32_t start_at = 0;    // plat_ticks() when it starts
};
Volume volume;

void apply() {
    Mix_VolumeMusic(volume.muted ? 0 : volume.music);
    // The channels exist only while the audio device is open.
    if (media_audio_open()) Mix_Volume(-1, volume.muted ? 0 : MAX_VOLUME);
}

}  // namespace

void toggle_mute() {
    volume.muted = !volume.muted;
    apply();
}

void step_music_volume(int direction) {
    volume.music = std::clamp(volume.music + direction * MUSIC_VOLUME_STEP, 0, MAX_VOLUME);
    apply();
}

int music_volume() { return volume.music; }
bool muted() { return volume.muted; }

void switch_theme(int theme) {
    if (!plat_music_playing() && !volume.waiting) {
        plat_music_play(theme);
        return;
    }
    // Cutting a wave off mid-swing clicks; a short fade does not. The start waits on the game's
    // clock, so a replay starts it at the same frame every time.
    if (!volume.waiting) plat_music_fade_out(THEME_FADE_MS);
    volume.waiting = theme;
    volume.start_at = plat_ticks() + THEME_FADE_MS + MIXER_LAG_MS;
}

void music_tick() {
    if (!volume.waiting) return;
    const auto late = static_cast<std::int32_t>(plat_ticks() - volume.start_at);
    if (late < 0 || (plat_music_playing() && late < MAX_WAIT_MS)) return;
    plat_music_halt();  // whatever of the fade is left is silent by now
    plat_music_play(volume.waiting);
    volume.waiting = 0;
}

void reset_volume() {
    volume = Volume{};
    apply();
}

void pause_all_sound(bool paused) {
    if (paused) {
        Mix_Pause(-1);
        Mix_PauseMusic();
    } else {
        Mix_Resume(-1);
        Mix_ResumeMusic();
    }
}
