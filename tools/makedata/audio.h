// Stereo sample buffers and the two ways they leave the generator: PCM WAV for the sound
// effects and Ogg Vorbis for the music.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace makedata {

constexpr int SAMPLE_RATE = 44100;

// Float samples, nominally within -1..1, left and right kept apart.
struct Stereo {
    std::vector<float> l, r;

    Stereo() = default;
    explicit Stereo(std::size_t frames) : l(frames, 0.0f), r(frames, 0.0f) {}
    std::size_t frames() const { return l.size(); }
};

// Mastering with headroom: the game mixes one theme and its sounds at full volume, so the loudest
// theme passage and the loudest effect together must stay under full scale, with room left for
// the Vorbis encoder's overshoot of the theme's peaks.
constexpr float THEME_PEAK = 0.5f;
constexpr float EFFECT_PEAK = 0.44f;  // the explosion; the other effects a little below it

inline std::size_t seconds_to_frames(double seconds) { return static_cast<std::size_t>(seconds * SAMPLE_RATE + 0.5); }

// 44100 Hz, 16-bit signed little-endian, two channels; samples are clamped and rounded.
void write_wav(const Stereo& sound, const std::string& path);

// Ogg Vorbis at the given VBR quality, with a fixed stream serial number so the bytes never
// change from run to run.
void write_ogg(const Stereo& music, const std::string& path, int serial, float quality);

}  // namespace makedata
