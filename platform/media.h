// What the platform layer's default hooks do, and the sound device and files behind them: SDL 1.2
// and SDL_mixer on the desktop (platform/desktop/media.cpp), the page's canvas and audio in a
// web page (platform/web/media.cpp). Private to the platform layer.
#pragma once

#include "platform/platform.h"

// SDL_PollEvent as the media give it: on the desktop SDL's own; in a web page also the page's
// on-screen controls and gamepads, and a hidden page or lost focus as the desktop's focus events.
int media_poll_event(SDL_Event* event);
void media_play_sound(int channel, SoundId sound);
void media_present(SDL_Surface* screen);
void media_music_play(int theme);
void media_music_halt();
void media_music_fade_out(int ms);
int media_music_playing();
// Whether there is a display to ask for its size and gamepads: always on the desktop, not under
// node (the web build's replay runner).
bool media_has_display();
// Whether the sound device is open, so its channels exist.
bool media_audio_open();
