// The four sound effects. Each is built from a few layers and normalized; all end in silence.
#include "tools/makedata/audio.h"
#include "tools/makedata/makedata.h"
#include "tools/makedata/noise.h"
#include "tools/makedata/synth.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace makedata {

namespace {

using synth::Mix;
using synth::Svf;

constexpr double TAU = 6.283185307179586;
constexpr float SR = static_cast<float>(SAMPLE_RATE);

float seconds(std::size_t i) { return static_cast<float>(i) / SR; }

// Fades the last `tail` seconds to zero and scales to the given peak.
Stereo finish(const Mix& mix, float peak, float tail, const Mix::EchoSettings& echo = {0.1f, 0.1f, 0, 0, 0},
              const Mix::ReverbSettings& reverb = {0.3f, 0.4f, 0.0f}) {
    Stereo s = mix.finish(echo, reverb);
    synth::normalize(s, peak);
    const std::size_t n = s.frames();
    const auto fade = static_cast<std::size_t>(tail * SR);
    for (std::size_t i = 0; i < fade && i < n; ++i) {
        const float k = static_cast<float>(i) / static_cast<float>(fade);
        s.l[n - 1 - i] *= k;
        s.r[n - 1 - i] *= k;
    }
    return s;
}

}  // namespace

Stereo make_rock_sound() {
    const float len = 0.26f;
    Mix mix(seconds_to_frames(len), false);
    Lcg rng(0x0B0C);
    Svf body, grit;
    body.set(520, 0.2f);
    grit.set(1800, 0.3f);
    double phase = 0;
    for (std::size_t i = 0; i < mix.frames(); ++i) {
        const float t = seconds(i);
        // A low knock falling in pitch, a puff of muffled earth and a short gravelly crunch.
        const float f = 78.0f + 110.0f * std::exp(-t / 0.02f);
        phase += f / SR;
        const float knock = static_cast<float>(std::sin(TAU * phase)) * std::exp(-t / 0.05f);
        const float earth = body.run(rng.signed_unit()).low * std::exp(-t / 0.06f) * 3.2f;
        const float crunch = grit.run(rng.signed_unit()).band * std::exp(-t / 0.012f) * 0.6f;
        const float attack = std::min(1.0f, t / 0.0015f);
        const float v = std::tanh((knock + earth + crunch) * attack * 1.4f);
        mix.add_stereo(i, v, v * 0.94f + earth * 0.06f, 0, 0);
    }
    return finish(mix, EFFECT_PEAK * 0.95f, 0.03f);
}

Stereo make_diamond_sound() {
    const float len = 0.32f;
    Mix mix(seconds_to_frames(len), false);
    synth::Instrument ping;
    ping.fm_index = 1.2f;
    ping.fm_ratio = 3.5f;
    ping.fm_decay = 0.04f;
    ping.amp = {0.001f, 0.07f, 0.0f, 0.05f};
    ping.gain = 0.5f;
    // Two bright partials a twelfth apart, the upper one a touch to the right.
    synth::note(mix, ping, 0.0, 0.25, 96, 1.0f, -0.25f);
    synth::note(mix, ping, 0.0, 0.25, 103.02, 0.55f, 0.3f);
    ping.fm_index = 0.3f;
    ping.amp = {0.001f, 0.03f, 0.0f, 0.03f};
    synth::note(mix, ping, 0.0, 0.12, 108, 0.35f, 0.0f);
    // A tiny tick of glass on stone.
    Lcg rng(0xD1A);
    Svf hp;
    hp.set(6000, 0.2f);
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.01f * SR); ++i)
        mix.add(i, hp.run(rng.signed_unit()).high * std::exp(-seconds(i) / 0.002f) * 0.5f, 0, 0, 0);
    return finish(mix, EFFECT_PEAK * 0.9f, 0.04f, {0.06f, 0.085f, 0.25f, 0.6f, 0.35f});
}

Stereo make_collect_sound() {
    const float len = 0.42f;
    Mix mix(seconds_to_frames(len), false);
    synth::Instrument bell;
    bell.fm_index = 1.6f;
    bell.fm_ratio = 2.0f;
    bell.fm_decay = 0.06f;
    bell.amp = {0.002f, 0.09f, 0.0f, 0.06f};
    bell.gain = 0.4f;
    // A quick climb through a major arpeggio, alternating sides.
    const double notes[] = {84, 88, 91, 96, 100};
    for (int k = 0; k < 5; ++k)
        synth::note(mix, bell, 0.055 * k, 0.06, notes[k], 0.7f + 0.06f * static_cast<float>(k), k % 2 ? 0.4f : -0.4f);
    // Shimmer: a high tremolo sine that swells and fades with the climb.
    double phase = 0;
    for (std::size_t i = 0; i < mix.frames(); ++i) {
        const float t = seconds(i);
        phase += (2400.0 + 1200.0 * t / len) / SAMPLE_RATE;
        const float swell = std::sin(std::min(1.0f, t / len) * 3.14159f);
        const float trem = 0.5f + 0.5f * std::sin(static_cast<float>(TAU) * 28.0f * t);
        mix.add(i, static_cast<float>(std::sin(TAU * phase)) * swell * trem * 0.08f, std::sin(t * 20.0f) * 0.6f, 0, 0);
    }
    return finish(mix, EFFECT_PEAK * 0.9f, 0.05f, {0.07f, 0.1f, 0.3f, 0.5f, 0.3f});
}

Stereo make_blast_sound() {
    const float len = 0.9f;
    Mix mix(seconds_to_frames(len), false);
    Lcg rng(0xB00E);
    Svf roar_l, roar_r;
    double phase = 0;
    for (std::size_t i = 0; i < mix.frames(); ++i) {
        const float t = seconds(i);
        // Noise through a low-pass that closes as the blast dies, over a sinking boom, with
        // sparse crackles of debris.
        const float cutoff = 180.0f + 3800.0f * std::exp(-t / 0.12f);
        if ((i & 7) == 0) {
            roar_l.set(cutoff, 0.15f);
            roar_r.set(cutoff * 1.07f, 0.15f);
        }
        const float env = std::min(1.0f, t / 0.004f) * std::exp(-t / 0.28f);
        const float l = roar_l.run(rng.signed_unit()).low * env * 4.5f;
        const float r = roar_r.run(rng.signed_unit()).low * env * 4.5f;
        phase += (42.0f + 70.0f * std::exp(-t / 0.08f)) / SR;
        const float boom =
            static_cast<float>(std::sin(TAU * phase)) * std::min(1.0f, t / 0.003f) * std::exp(-t / 0.25f) * 0.7f;
        float crackle = 0;
        if (t > 0.05f && rng.unit() < 0.004f * std::exp(-t / 0.4f) * 10.0f) crackle = rng.signed_unit() * 0.6f;
        const float pan = rng.signed_unit();
        mix.add_stereo(i, std::tanh((l + boom + crackle * (1 - pan)) * 1.3f),
                       std::tanh((r + boom + crackle * (1 + pan)) * 1.3f), 0, 0.4f);
    }
    return finish(mix, EFFECT_PEAK, 0.15f, {0.1f, 0.1f, 0, 0, 0}, {0.6f, 0.5f, 0.6f});
}

}  // namespace makedata
