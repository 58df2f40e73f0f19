// Music and sound volume, and changing themes without a click.
#pragma once

#include <SDL_mixer.h>

constexpr int MUSIC_VOLUME_STEP = 16;  // of SDL_mixer's 128
// The old theme fades out over this long before the new one starts from its beginning.
constexpr int THEME_FADE_MS = 500;

// M: silences music and sounds, or brings them back at the volumes they had.
void toggle_mute();
// - and =: the music one step quieter (direction -1) or louder (+1), within 0 to 128.
void step_music_volume(int direction);
int music_volume();
bool muted();
// Restarts theme from its beginning. A theme that is playing fades out first; the new one starts
// from music_tick once the fade is over (by the game's clock, and by the mixer's).
void switch_theme(Mix_Music* theme);
// Starts a theme whose predecessor has faded out; called on every pass of the loops.
void music_tick();
// Back to full volume, not muted, no theme waiting.
void reset_volume();
