#include "app/volume.h"

#include "platform/platform.h"

#include <algorithm>
#include <cstdint>

namespace {

// The mixer fades in steps of one 2048-sample buffer (46 ms) and may run a few buffers behind:
// the new theme waits for the fade to end, but never longer than this after it should have.
constexpr std::uint32_t MIXER_LAG_MS = 150;
constexpr std::int32_t MAX_WAIT_MS = 1000;

struct Volume {
    int music = MIX_MAX_VOLUME;
    bool muted = false;
    Mix_Music* waiting = nullptr;  // the theme to start once the old one has faded
    std::uint32_t start_at = 0;    // plat_ticks() when it starts
};
Volume volume;

void apply() {
    Mix_VolumeMusic(volume.muted ? 0 : volume.music);
    // The channels exist only while the audio device is open.
    if (Mix_QuerySpec(nullptr, nullptr, nullptr)) Mix_Volume(-1, volume.muted ? 0 : MIX_MAX_VOLUME);
}

}  // namespace

void toggle_mute() {
    volume.muted = !volume.muted;
    apply();
}

void step_music_volume(int direction) {
    volume.music = std::clamp(volume.music + direction * MUSIC_VOLUME_STEP, 0, MIX_MAX_VOLUME);
    apply();
}

int music_volume() { return volume.music; }
bool muted() { return volume.muted; }

void switch_theme(Mix_Music* theme) {
    if (!Mix_PlayingMusic() && !volume.waiting) {
        Mix_PlayMusic(theme, -1);
        return;
    }
    // Cutting a wave off mid-swing clicks; a short fade does not. The start waits on the game's
    // clock, so a replay starts it at the same frame every time.
    if (!volume.waiting) Mix_FadeOutMusic(THEME_FADE_MS);
    volume.waiting = theme;
    volume.start_at = plat_ticks() + THEME_FADE_MS + MIXER_LAG_MS;
}

void music_tick() {
    if (!volume.waiting) return;
    const auto late = static_cast<std::int32_t>(plat_ticks() - volume.start_at);
    if (late < 0 || (Mix_PlayingMusic() && late < MAX_WAIT_MS)) return;
    Mix_HaltMusic();  // whatever of the fade is left is silent by now
    Mix_PlayMusic(volume.waiting, -1);
    volume.waiting = nullptr;
}

void reset_volume() {
    volume = Volume{};
    apply();
}
