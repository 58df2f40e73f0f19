// A small additive-subtractive synthesizer for the sound effects and the music: band-limited
// oscillators, FM, a resonant filter, envelopes, drum voices, echo and reverb. Everything is
// rendered into a Mix whose length may wrap around, so a loop's tails land in its beginning.
#pragma once

#include "tools/makedata/audio.h"

#include <cstddef>
#include <vector>

namespace makedata::synth {

double midi_to_hz(double midi);

// Attack is linear; decay, and release after the gate, are exponential with these time
// constants (seconds). Sustain is a level.
struct Env {
    float attack = 0.005f, decay = 0.2f, sustain = 0.7f, release = 0.1f;
    float at(float t, float gate) const;
    // Time after which the envelope stays below -60 dB.
    float length(float gate) const;
};

// Trapezoidal (zero-delay feedback) state-variable filter; resonance 0..1.
struct Svf {
    struct Out {
        float low, band, high;
    };
    void set(float hz, float resonance);
    Out run(float input);

private:
    float ic1 = 0, ic2 = 0, a1 = 0, a2 = 0, a3 = 0, k = 2;
};

enum class Wave { sine, triangle, saw, square, noise };

struct Instrument {
    Wave wave = Wave::saw;
    float pulse_width = 0.5f;  // for square
    int unison = 1;            // oscillators per note, spread by `detune` cents
    float detune = 0.0f;
    float sub = 0.0f;  // a sine an octave down, mixed at this level
    // Frequency modulation (sine on sine) replaces `wave` when fm_index > 0.
    float fm_ratio = 1.0f, fm_index = 0.0f, fm_decay = 1.0f;
    Env amp;
    // Resonant low-pass; off when cutoff is 0. env_amount is added at the envelope's peak.
    float cutoff = 0.0f, resonance = 0.0f, env_amount = 0.0f, key_track = 0.0f;
    Env filter_env{0.002f, 0.15f, 0.0f, 0.1f};
    float vibrato = 0.0f, vibrato_rate = 5.0f, vibrato_delay = 0.3f;  // semitones, Hz, s
    float drive = 0.0f;                                               // tanh saturation amount
    float gain = 0.3f;
    float echo = 0.0f, reverb = 0.0f;  // send levels
};

// Constant-power gains for a position from -1 (left) to 1 (right).
struct Pan {
    Pan(float pan);  // implicit: a plain number is a pan position
    float left, right;
};

// Sample buffers for the dry signal and the two effect sends. When `wrap` is set, anything
// written past the end continues at the beginning (a loop); otherwise it is dropped.
class Mix {
public:
    Mix(std::size_t frames, bool wrap);
    std::size_t frames() const { return dry_.frames(); }
    // From this frame to the end, new notes and hits are dropped; what already sounds rings on.
    void hush_from(std::size_t frame) { hush_ = frame; }
    bool hushed(std::size_t frame) const { return frame >= hush_ && frame < frames(); }
    // Adds one mono sample at `frame`, panned (-1 left .. 1 right), with effect sends.
    void add(std::size_t frame, float value, Pan pan, float echo, float reverb);
    void add_stereo(std::size_t frame, float left, float right, float echo, float reverb);
    // Adds a run of mono samples starting at `first`.
    void add_block(std::size_t first, const std::vector<float>& mono, Pan pan, float echo, float reverb);

    struct EchoSettings {
        float left_s = 0.3f, right_s = 0.45f, feedback = 0.35f, tone = 0.5f, level = 1.0f;
    };
    struct ReverbSettings {
        float room = 0.8f, damp = 0.3f, level = 1.0f;
    };
    // Runs the effects and returns dry plus wet.
    Stereo finish(const EchoSettings& echo, const ReverbSettings& reverb) const;

private:
    std::size_t index(std::size_t frame, bool& keep) const;
    bool wrap_;
    std::size_t hush_ = static_cast<std::size_t>(-1);
    Stereo dry_, echo_, reverb_;
};

// One pitched note: starts at `start` seconds, held for `gate` seconds.
void note(Mix& mix, const Instrument& ins, double start, double gate, double midi, float velocity, float pan);

// Drum voices. `seed` varies the noise between hits.
void kick(Mix& mix, double start, float velocity, float pitch = 1.0f);
void snare(Mix& mix, double start, float velocity, float pan = 0.0f, float reverb = 0.15f);
void hat(Mix& mix, double start, float velocity, bool open, float pan);
void clap(Mix& mix, double start, float velocity, float pan = 0.0f);
void crash(Mix& mix, double start, float velocity, float pan = 0.0f);
// A struck metal bar tuned near `midi`, with inharmonic partials.
void clang(Mix& mix, double start, float velocity, double midi, float pan);

// Scales so the loudest sample reaches `peak`.
void normalize(Stereo& s, float peak);

}  // namespace makedata::synth
