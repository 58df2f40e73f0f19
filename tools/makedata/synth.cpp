// Synthesizer voices and effects. Oscillators use polyBLEP corrections so saw and square stay
// clean at high pitches; the filter is a trapezoidal state-variable filter, stable under fast
// cutoff sweeps. Noise comes from a fixed LCG seeded from the note's position, so every render
// of the same score gives the same samples.
#include "tools/makedata/synth.h"

#include "tools/makedata/audio.h"
#include "tools/makedata/noise.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace makedata::synth {

namespace {

constexpr double TAU = 6.283185307179586;
constexpr float SR = static_cast<float>(SAMPLE_RATE);

std::size_t to_frame(double seconds) {
    return static_cast<std::size_t>(std::llround(std::max(0.0, seconds) * SAMPLE_RATE));
}

// The fractional part of x, in [0, 1); cheaper than std::floor on a baseline x86-64 build.
double wrap01(double x) {
    x -= static_cast<double>(static_cast<long long>(x));
    return x < 0.0 ? x + 1.0 : x;
}

// Sine of a phase given in cycles, from a table with linear interpolation (error < 1e-6).
float sine(double cycles) {
    constexpr std::size_t SIZE = 4096;
    static const std::vector<float> table = [] {
        std::vector<float> t(SIZE + 1);
        for (std::size_t i = 0; i <= SIZE; ++i)
            t[i] = static_cast<float>(std::sin(TAU * static_cast<double>(i) / SIZE));
        return t;
    }();
    const double pos = wrap01(cycles) * SIZE;
    const auto i = std::min(static_cast<std::size_t>(pos), SIZE - 1);
    const auto frac = static_cast<float>(pos - static_cast<double>(i));
    return table[i] + (table[i + 1] - table[i]) * frac;
}

// A tanh-like soft clipper, flat beyond +-3.
float soft_clip(float x) {
    if (x > 3.0f) return 1.0f;
    if (x < -3.0f) return -1.0f;
    return x * (27.0f + x * x) / (27.0f + 9.0f * x * x);
}

float polyblep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return static_cast<float>(t + t - t * t - 1.0);
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return static_cast<float>(t * t + t + t + 1.0);
    }
    return 0.0f;
}

float oscillator(Wave wave, double phase, double dt, float pulse_width, Lcg& rng) {
    switch (wave) {
    case Wave::sine: return sine(phase);
    case Wave::triangle: return static_cast<float>(4.0 * std::abs(phase - 0.5) - 1.0);
    case Wave::saw: return static_cast<float>(2.0 * phase - 1.0) - polyblep(phase, dt);
    case Wave::square: {
        float v = phase < pulse_width ? 1.0f : -1.0f;
        v += polyblep(phase, dt);
        double shifted = phase + 1.0 - pulse_width;
        if (shifted >= 1.0) shifted -= 1.0;
        v -= polyblep(shifted, dt);
        return v;
    }
    case Wave::noise: return rng.signed_unit();
    }
    return 0.0f;
}

Lcg rng_for(std::size_t frame, double extra) {
    return Lcg(hash3(static_cast<std::int32_t>(frame & 0x7FFFFFFF), static_cast<std::int32_t>(extra * 100.0), 0xD1CE));
}

float fast_attack(float t, float attack) { return t < attack ? t / attack : 1.0f; }

// The six detuned square waves of a classic metallic hat, summed.
float metal(double t) {
    static const double freqs[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    float sum = 0;
    for (double f : freqs) {
        const double p = wrap01(t * f * 1.7);
        sum += p < 0.5 ? 1.0f : -1.0f;
    }
    return sum / 6.0f;
}

}  // namespace

double midi_to_hz(double midi) { return 440.0 * std::exp2((midi - 69.0) / 12.0); }

void Svf::set(float hz, float resonance) {
    hz = std::clamp(hz, 20.0f, SR * 0.45f);
    const float g = static_cast<float>(std::tan(TAU / 2.0 * hz / SR));
    k = 2.0f - 1.96f * std::clamp(resonance, 0.0f, 1.0f);
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

Svf::Out Svf::run(float v0) {
    const float v3 = v0 - ic2;
    const float v1 = a1 * ic1 + a2 * v3;
    const float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    return {v2, v1, v0 - k * v1 - v2};
}

float Env::at(float t, float gate) const {
    auto held = [&](float u) {
        if (u < attack) return u / attack;
        return sustain + (1.0f - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < gate) return held(t);
    return held(gate) * std::exp(-(t - gate) / release);
}

float Env::length(float gate) const { return gate + release * 7.0f; }

namespace {

// Env::at evaluated step by step with multiplications instead of exponentials.
class EnvRunner {
public:
    EnvRunner(const Env& env, float gate)
        : env_(env),
          gate_(gate),
          decay_step_(std::exp(-1.0f / (env.decay * SR))),
          release_step_(std::exp(-1.0f / (env.release * SR))) {}
    float next() {
        const float t = static_cast<float>(frame_++) / SR;
        if (t < gate_) {
            if (t < env_.attack)
                held_ = t / env_.attack;
            else {
                held_ = env_.sustain + (1.0f - env_.sustain) * decay_;
                decay_ *= decay_step_;
            }
            return held_;
        }
        const float out = held_ * release_;
        release_ *= release_step_;
        return out;
    }

private:
    const Env& env_;
    float gate_;
    float decay_step_, release_step_;
    float decay_ = 1.0f, release_ = 1.0f, held_ = 0.0f;
    std::size_t frame_ = 0;
};

}  // namespace

Mix::Mix(std::size_t frames, bool wrap) : wrap_(wrap), dry_(frames), echo_(frames), reverb_(frames) {}

std::size_t Mix::index(std::size_t frame, bool& keep) const {
    const std::size_t n = dry_.frames();
    keep = wrap_ || frame < n;
    return wrap_ ? frame % n : frame;
}

Pan::Pan(float pan) {
    const float angle = static_cast<float>((std::clamp(pan, -1.0f, 1.0f) + 1.0f) * TAU / 8.0);
    left = std::cos(angle) * 1.4142f;
    right = std::sin(angle) * 1.4142f;
}

void Mix::add(std::size_t frame, float value, Pan pan, float echo, float reverb) {
    add_stereo(frame, value * pan.left, value * pan.right, echo, reverb);
}

void Mix::add_block(std::size_t first, const std::vector<float>& mono, Pan pan, float echo, float reverb) {
    const std::size_t n = frames();
    std::size_t done = 0;
    while (done < mono.size()) {
        std::size_t at = first + done;
        if (wrap_)
            at %= n;
        else if (at >= n)
            return;
        const std::size_t run = std::min(mono.size() - done, n - at);
        for (std::size_t i = 0; i < run; ++i) {
            const float v = mono[done + i];
            const float l = v * pan.left, r = v * pan.right;
            dry_.l[at + i] += l;
            dry_.r[at + i] += r;
            echo_.l[at + i] += l * echo;
            echo_.r[at + i] += r * echo;
            reverb_.l[at + i] += l * reverb;
            reverb_.r[at + i] += r * reverb;
        }
        done += run;
    }
}

void Mix::add_stereo(std::size_t frame, float left, float right, float echo, float reverb) {
    bool keep = false;
    const std::size_t i = index(frame, keep);
    if (!keep) return;
    dry_.l[i] += left;
    dry_.r[i] += right;
    if (echo > 0) {
        echo_.l[i] += left * echo;
        echo_.r[i] += right * echo;
    }
    if (reverb > 0) {
        reverb_.l[i] += left * reverb;
        reverb_.r[i] += right * reverb;
    }
}

namespace {

struct Comb {
    std::vector<float> buf;
    std::size_t pos = 0;
    float store = 0;
    explicit Comb(std::size_t n) : buf(n, 0.0f) {}
    float run(float in, float feedback, float damp) {
        const float out = buf[pos];
        store = out * (1.0f - damp) + store * damp;
        buf[pos] = in + store * feedback;
        if (++pos == buf.size()) pos = 0;
        return out;
    }
};

struct Allpass {
    std::vector<float> buf;
    std::size_t pos = 0;
    explicit Allpass(std::size_t n) : buf(n, 0.0f) {}
    float run(float in) {
        const float b = buf[pos];
        buf[pos] = in + b * 0.5f;
        if (++pos == buf.size()) pos = 0;
        return b - in;
    }
};

}  // namespace

Stereo Mix::finish(const EchoSettings& echo, const ReverbSettings& reverb) const {
    Stereo out = dry_;
    const std::size_t n = frames();
    // For a loop, each effect first runs over the loop's last seconds without output, so the
    // tails from the end of the loop are already sounding at its start. Six seconds is longer
    // than either effect takes to fall below -60 dB.
    const std::size_t warm = wrap_ ? std::min(n, seconds_to_frames(6.0)) : 0;
    auto sweep = [&](auto&& step) {
        for (std::size_t i = n - warm; i < n; ++i) step(i, false);
        for (std::size_t i = 0; i < n; ++i) step(i, true);
    };

    {
        std::vector<float> left(std::max<std::size_t>(1, to_frame(echo.left_s)), 0.0f);
        std::vector<float> right(std::max<std::size_t>(1, to_frame(echo.right_s)), 0.0f);
        std::size_t pl = 0, pr = 0;
        float damp_l = 0, damp_r = 0;
        sweep([&](std::size_t i, bool keep) {
            const float out_l = left[pl], out_r = right[pr];
            // Each side feeds the other, darkened a little on every repeat.
            damp_l += echo.tone * (out_l - damp_l);
            damp_r += echo.tone * (out_r - damp_r);
            left[pl] = echo_.l[i] * 0.7f + echo_.r[i] * 0.3f + echo.feedback * damp_r;
            right[pr] = echo_.r[i] * 0.7f + echo_.l[i] * 0.3f + echo.feedback * damp_l;
            if (++pl == left.size()) pl = 0;
            if (++pr == right.size()) pr = 0;
            if (keep) {
                out.l[i] += echo.level * out_l;
                out.r[i] += echo.level * out_r;
            }
        });
    }
    {
        const std::size_t comb_sizes[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
        std::vector<Comb> combs_l, combs_r;
        for (int c = 0; c < 4; ++c) {
            combs_l.emplace_back(comb_sizes[2 * c]);
            combs_r.emplace_back(comb_sizes[2 * c + 1] + 23);
        }
        Allpass ap_l1(556), ap_l2(441), ap_r1(579), ap_r2(464);
        const float feedback = 0.7f + 0.28f * reverb.room;
        sweep([&](std::size_t i, bool keep) {
            const float in = (reverb_.l[i] + reverb_.r[i]) * 0.05f;
            float wl = 0, wr = 0;
            for (auto& c : combs_l) wl += c.run(in, feedback, reverb.damp);
            for (auto& c : combs_r) wr += c.run(in, feedback, reverb.damp);
            wl = ap_l2.run(ap_l1.run(wl));
            wr = ap_r2.run(ap_r1.run(wr));
            if (keep) {
                out.l[i] += reverb.level * wl;
                out.r[i] += reverb.level * wr;
            }
        });
    }
    return out;
}

void note(Mix& mix, const Instrument& ins, double start, double gate, double midi, float velocity, float pan) {
    const std::size_t first = to_frame(start);
    if (mix.hushed(first)) return;
    const float g = static_cast<float>(gate);
    const auto count = static_cast<std::size_t>(ins.amp.length(g) * SR) + 1;
    const double hz = midi_to_hz(midi);
    const int unison = std::clamp(ins.unison, 1, 3);
    double phase[3] = {0.0, 0.31, 0.67};
    double detune[3] = {1.0, 1.0, 1.0};
    for (int u = 0; unison > 1 && u < unison; ++u)
        detune[u] = std::exp2((static_cast<double>(u) / (unison - 1) - 0.5) * ins.detune / 1200.0);
    double sub_phase = 0, mod_phase = 0;
    Svf filter;
    Lcg rng = rng_for(first, midi);
    const float unison_gain = 1.0f / std::sqrt(static_cast<float>(unison));
    const float key = static_cast<float>(std::pow(hz / 261.63, static_cast<double>(ins.key_track)));
    const float drive_norm = ins.drive > 0 ? 1.0f / soft_clip(1.0f + ins.drive) : 1.0f;
    const Pan gains(pan);
    EnvRunner amp(ins.amp, g);
    double dt = hz / SAMPLE_RATE;
    std::vector<float> voice(count);

    for (std::size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / SR;
        const float env = amp.next();
        // Once released and 60 dB down, the rest of the tail is inaudible.
        if (t > g && env < 0.001f) {
            voice.resize(i);
            break;
        }
        // Vibrato and the filter move slowly; they are updated every eighth sample.
        if ((i & 7) == 0) {
            if (ins.vibrato > 0 && t > ins.vibrato_delay) {
                const float depth = ins.vibrato * std::min(1.0f, (t - ins.vibrato_delay) / 0.3f);
                dt = hz * std::exp2(depth * sine(ins.vibrato_rate * t) / 12.0f) / SAMPLE_RATE;
            }
            if (ins.cutoff > 0) filter.set(ins.cutoff * key + ins.env_amount * ins.filter_env.at(t, g), ins.resonance);
        }
        float v = 0;
        if (ins.fm_index > 0) {
            const float index = ins.fm_index * std::exp(-t / ins.fm_decay);
            v = sine(phase[0] + index * sine(mod_phase) / TAU);
            phase[0] += dt;
            mod_phase += dt * ins.fm_ratio;
            if (phase[0] >= 1.0) phase[0] -= 1.0;
            mod_phase = wrap01(mod_phase);
        } else {
            for (int u = 0; u < unison; ++u) {
                const double du = dt * detune[u];
                v += oscillator(ins.wave, phase[u], du, ins.pulse_width, rng);
                phase[u] += du;
                if (phase[u] >= 1.0) phase[u] -= 1.0;
            }
            v *= unison_gain;
        }
        if (ins.sub > 0) {
            v += ins.sub * sine(sub_phase);
            sub_phase += dt * 0.5;
            if (sub_phase >= 1.0) sub_phase -= 1.0;
        }
        if (ins.cutoff > 0) v = filter.run(v).low;
        if (ins.drive > 0) v = soft_clip(v * (1.0f + ins.drive)) * drive_norm;
        voice[i] = v * env * velocity * ins.gain;
    }
    mix.add_block(first, voice, gains, ins.echo, ins.reverb);
}

void kick(Mix& mix, double start, float velocity, float pitch) {
    const std::size_t first = to_frame(start);
    if (mix.hushed(first)) return;
    const auto count = static_cast<std::size_t>(0.45f * SR);
    Lcg rng = rng_for(first, 1);
    double phase = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / SR;
        const float f = pitch * (46.0f + 120.0f * std::exp(-t / 0.03f));
        phase += f / SR;
        float v = sine(phase) * std::exp(-t / 0.2f) * fast_attack(t, 0.001f);
        v += rng.signed_unit() * 0.25f * std::exp(-t / 0.003f);
        v = soft_clip(v * 1.6f);
        // The last few milliseconds fall to zero so the voice never ends on a step.
        v *= std::min(1.0f, (0.45f - t) / 0.02f);
        mix.add_stereo(first + i, v * velocity * 0.65f, v * velocity * 0.65f, 0, 0);
    }
}

void snare(Mix& mix, double start, float velocity, float pan, float reverb) {
    const std::size_t first = to_frame(start);
    if (mix.hushed(first)) return;
    const Pan gains(pan);
    const auto count = static_cast<std::size_t>(0.4f * SR);
    Lcg rng = rng_for(first, 2);
    Svf hp;
    hp.set(1400, 0.1f);
    for (std::size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / SR;
        const float tone =
            sine(185.0 * t) * std::exp(-t / 0.045f) * 0.55f + sine(330.0 * t) * std::exp(-t / 0.03f) * 0.3f;
        const float rattle = hp.run(rng.signed_unit()).high * std::exp(-t / 0.1f) * 0.8f;
        float v = (tone + rattle) * fast_attack(t, 0.0008f);
        v *= std::min(1.0f, (0.4f - t) / 0.02f);
        mix.add(first + i, v * velocity * 0.55f, gains, 0.05f, reverb);
    }
}

void hat(Mix& mix, double start, float velocity, bool open, float pan) {
    const std::size_t first = to_frame(start);
    if (mix.hushed(first)) return;
    const Pan gains(pan);
    const float decay = open ? 0.16f : 0.028f;
    const float len = decay * 7.0f;
    const auto count = static_cast<std::size_t>(len * SR);
    Lcg rng = rng_for(first, open ? 3 : 4);
    Svf hp;
    hp.set(7500, 0.2f);
    for (std::size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / SR;
        const float src = rng.signed_unit() * 0.7f + metal(t) * 0.5f;
        float v = hp.run(src).high * std::exp(-t / decay) * fast_attack(t, 0.0005f);
        v *= std::min(1.0f, (len - t) / 0.01f);
        mix.add(first + i, v * velocity * 0.3f, gains, 0.0f, 0.05f);
    }
}

void clap(Mix& mix, double start, float velocity, float pan) {
    const std::size_t first = to_frame(start);
    if (mix.hushed(first)) return;
    const Pan gains(pan);
    const auto count = static_cast<std::size_t>(0.5f * SR);
    Lcg rng = rng_for(first, 5);
    Svf bp;
    bp.set(1150, 0.45f);
    for (std::size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / SR;
        // Three quick slaps, then the room's tail.
        float env = 0;
        for (float at : {0.0f, 0.011f, 0.023f})
            if (t >= at) env = std::max(env, std::exp(-(t - at) / 0.005f));
        if (t >= 0.034f) env = std::max(env, 0.8f * std::exp(-(t - 0.034f) / 0.1f));
        float v = bp.run(rng.signed_unit()).band * env * fast_attack(t, 0.0005f) * 2.2f;
        v *= std::min(1.0f, (0.5f - t) / 0.02f);
        mix.add(first + i, v * velocity * 0.5f, gains, 0.1f, 0.3f);
    }
}

void crash(Mix& mix, double start, float velocity, float pan) {
    const std::size_t first = to_frame(start);
    if (mix.hushed(first)) return;
    const Pan gains(pan);
    const float len = 2.4f;
    const auto count = static_cast<std::size_t>(len * SR);
    Lcg rng = rng_for(first, 6);
    Svf hp;
    hp.set(4200, 0.1f);
    for (std::size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / SR;
        const float src = rng.signed_unit() * 0.8f + metal(t * 1.3) * 0.4f;
        float v = hp.run(src).high * std::exp(-t / 0.55f) * fast_attack(t, 0.001f);
        v *= std::min(1.0f, (len - t) / 0.05f);
        mix.add(first + i, v * velocity * 0.22f, gains, 0.0f, 0.2f);
    }
}

void clang(Mix& mix, double start, float velocity, double midi, float pan) {
    const std::size_t first = to_frame(start);
    if (mix.hushed(first)) return;
    const Pan gains(pan);
    const float len = 1.2f;
    const auto count = static_cast<std::size_t>(len * SR);
    const double hz = midi_to_hz(midi);
    double p1 = 0, p2 = 0, m1 = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / SR;
        const double index = 2.6 * std::exp(-t / 0.08f) + 0.5;
        float v = sine(p1 + index * sine(m1) / TAU) * std::exp(-t / 0.35f);
        v += sine(p2) * 0.35f * std::exp(-t / 0.18f);
        p1 += hz / SAMPLE_RATE;
        m1 += hz * 2.76 / SAMPLE_RATE;
        p2 += hz * 3.93 / SAMPLE_RATE;
        if (p1 >= 1.0) p1 -= 1.0;
        if (m1 >= 1.0) m1 -= 1.0;
        if (p2 >= 1.0) p2 -= 1.0;
        v *= fast_attack(t, 0.001f) * std::min(1.0f, (len - t) / 0.05f);
        mix.add(first + i, v * velocity * 0.3f, gains, 0.2f, 0.3f);
    }
}

void normalize(Stereo& s, float peak) {
    float loudest = 0;
    for (std::size_t i = 0; i < s.frames(); ++i) loudest = std::max({loudest, std::abs(s.l[i]), std::abs(s.r[i])});
    if (loudest <= 0) return;
    const float k = peak / loudest;
    for (std::size_t i = 0; i < s.frames(); ++i) {
        s.l[i] *= k;
        s.r[i] *= k;
    }
}

}  // namespace makedata::synth
