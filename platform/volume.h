// Music and sound volume, pausing all sound, and changing themes without a click.
#pragma once

constexpr int MAX_VOLUME = 128;        // SDL_mixer's full volume
constexpr int MUSIC_VOLUME_STEP = 16;  // of MAX_VOLUME
// The old theme fades out over this long before the new one starts from its beginning.
constexpr int THEME_FADE_MS = 500;

// M: silences music and sounds, or brings them back at the volumes they had.
void toggle_mute();
// - and =: the music one step quieter (direction -1) or louder (+1), within 0 to 128.
void step_music_volume(int direction);
int music_volume();
bool muted();
// Restarts theme 1..3 from its beginning. A theme that is playing fades out first; the new one
// starts from music_tick once the fade is over (by the game's clock, and by the mixer's).
void switch_theme(int theme);
// Starts a theme whose predecessor has faded out; called on every pass of the loops.
void music_tick();
// Back to full volume, not muted, no theme waiting.
void reset_volume();
// Holds every sound and the music where they are, or lets them go on.
void pause_all_sound(bool paused);
