// The three music loops, composed here as text scores and rendered by the synthesizer.
//
// Tempos are chosen so that one step is a whole number of samples (44100 * 60 / bpm divides
// by the steps per beat): every note starts exactly on the grid and the loop length is a whole
// number of bars to the sample. All voices render into a wrapping mix, so tails from the last
// bar ring on into the first, and the effects are warmed up on the loop's end for the same
// reason. Each theme leaves its last steps free of new notes, and the very first and last
// samples are faded to zero, so the file starts and ends in near silence.
#include "tools/makedata/audio.h"
#include "tools/makedata/makedata.h"
#include "tools/makedata/noise.h"
#include "tools/makedata/synth.h"

#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace makedata {

namespace {

using synth::Instrument;
using synth::Mix;
using synth::Wave;

constexpr std::size_t LEAD_IN = 512;  // frames every event is shifted by, clear of the fade and of
                                      // the encoder's pre-echo ahead of the first beat
constexpr std::size_t EDGE_FADE = 96;

struct Timing {
    int bpm;
    int steps_per_beat;
    int beats_per_bar;
    int bars;

    int steps_per_bar() const { return steps_per_beat * beats_per_bar; }
    std::size_t step_frames() const { return static_cast<std::size_t>(SAMPLE_RATE * 60 / bpm / steps_per_beat); }
    std::size_t frames() const { return step_frames() * static_cast<std::size_t>(steps_per_bar() * bars); }
    double step_s() const { return static_cast<double>(step_frames()) / SAMPLE_RATE; }
    // An empty wrapping mix one loop long; refuses a tempo whose steps fall between samples.
    Mix loop_mix() const {
        if ((SAMPLE_RATE * 60) % (bpm * steps_per_beat) != 0)
            throw std::runtime_error(std::to_string(bpm) + " bpm does not put steps on whole samples");
        return Mix(frames(), true);
    }
    // The loop takes a breath before it starts over: from this step of the last bar on, no new
    // note or hit begins, so the loop point falls among fading tails.
    void breathe_from(Mix& mix, double step) const {
        mix.hush_from(static_cast<std::size_t>(std::llround(at(bars - 1, step) * SAMPLE_RATE)));
    }
    // Start time of a step counted from the top of the loop; bar and step may be fractional.
    double at(int bar, double step) const {
        return (static_cast<double>(LEAD_IN) + (bar * steps_per_bar() + step) * static_cast<double>(step_frames())) /
               SAMPLE_RATE;
    }
};

// ---- scores ------------------------------------------------------------------------------
//
// A score line is a series of tokens: a note name with octave (C4 is middle C; sharps '#',
// flats 'b') or '-' for a rest, optionally followed by '/n' for its length in steps; without
// a length the previous one is kept. '|' closes a bar and checks that it is exactly full.

struct Note {
    int step;  // from the top of the loop
    int len;
    int midi;
};

int parse_pitch(const std::string& token) {
    static const int letters[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    const char name = static_cast<char>(std::toupper(static_cast<unsigned char>(token.at(0))));
    if (name < 'A' || name > 'G') throw std::runtime_error("bad note '" + token + "'");
    int pitch = letters[name - 'A'];
    std::size_t i = 1;
    if (i < token.size() && token[i] == '#')
        ++pitch, ++i;
    else if (i < token.size() && token[i] == 'b')
        --pitch, ++i;
    if (i >= token.size() || !std::isdigit(static_cast<unsigned char>(token[i])))
        throw std::runtime_error("note needs an octave: '" + token + "'");
    return pitch + 12 * (std::stoi(token.substr(i)) + 1);
}

std::vector<Note> parse_score(const std::string& score, int steps_per_bar) {
    std::vector<Note> notes;
    std::string spaced;
    for (char ch : score) spaced += ch == '|' ? std::string(" | ") : std::string(1, ch);
    std::istringstream in(spaced);
    int step = 0, bar_start = 0, len = 1;
    for (std::string token; in >> token;) {
        if (token == "|") {
            if (step - bar_start != steps_per_bar)
                throw std::runtime_error("bar at step " + std::to_string(bar_start) + " holds " +
                                         std::to_string(step - bar_start) + " steps");
            bar_start = step;
            continue;
        }
        const auto slash = token.find('/');
        if (slash != std::string::npos) len = std::stoi(token.substr(slash + 1));
        const std::string pitch = token.substr(0, slash);
        if (pitch != "-") notes.push_back({step, len, parse_pitch(pitch)});
        step += len;
    }
    if (step != bar_start) throw std::runtime_error("score ends inside a bar");
    return notes;
}

// Space-separated note names, one chord per entry; the first note is the bass root.
std::vector<std::vector<int>> parse_chords(const std::vector<std::string>& chords) {
    std::vector<std::vector<int>> out;
    for (const std::string& c : chords) {
        std::istringstream in(c);
        std::vector<int> notes;
        for (std::string token; in >> token;) notes.push_back(parse_pitch(token));
        out.push_back(notes);
    }
    return out;
}

Stereo master(const Mix& mix, const Mix::EchoSettings& echo, const Mix::ReverbSettings& reverb) {
    Stereo s = mix.finish(echo, reverb);
    synth::normalize(s, THEME_PEAK);
    const std::size_t n = s.frames();
    for (std::size_t i = 0; i < EDGE_FADE; ++i) {
        const float k = static_cast<float>(i) / static_cast<float>(EDGE_FADE);
        s.l[i] *= k;
        s.r[i] *= k;
        s.l[n - 1 - i] *= k;
        s.r[n - 1 - i] *= k;
    }
    return s;
}

void play_melody(Mix& mix, const Timing& tm, const Instrument& ins, const std::vector<Note>& notes, double legato,
                 float pan, std::uint32_t seed) {
    Lcg rng(seed);
    for (const Note& n : notes) {
        const float accent = (n.step % tm.steps_per_beat == 0) ? 1.0f : 0.85f;
        synth::note(mix, ins, tm.at(0, n.step), tm.step_s() * n.len * legato, n.midi, accent * rng.range(0.9f, 1.0f),
                    pan);
    }
}

// ---- 1: Cirrane --------------------------------------------------------------------------
// D dorian, 98 bpm, unhurried: a breathy flute over an echoing bell arpeggio and a soft pad,
// with a brushed, laid-back groove.

Stereo cirrane() {
    const Timing tm{98, 4, 4, 16};
    Mix mix = tm.loop_mix();
    const auto chords = parse_chords({"D3 A3 C4 E4 F4", "Bb2 F3 A3 D4", "C3 G3 D4 E4", "A2 E3 G3 C4",    //
                                      "D3 A3 C4 E4 F4", "G2 D3 F3 Bb3", "Bb2 F3 A3 D4", "A2 E3 G3 C#4",  //
                                      "D3 A3 C4 E4 F4", "Bb2 F3 A3 D4", "C3 G3 D4 E4", "A2 E3 G3 C4",    //
                                      "G2 D3 F3 Bb3", "Bb2 F3 A3 D4", "C3 G3 C4 E4", "A2 E3 G3 C#4"});
    const auto melody = parse_score(
        "-/4 A4/2 D5/2 E5/6 F5/2 | D5/8 -/2 C5/2 D5/2 F5/2 | E5/6 D5/2 C5/4 G4/4 | A4/12 -/4 |"
        "-/2 A5/2 G5/2 F5/2 E5/4 D5/4 | F5/6 G5/2 Bb5/4 A5/4 | F5/8 D5/4 F5/4 | E5/12 C#5/4 |"
        "D5/4 A5/4 C6/2 A5/2 G5/4 | F5/6 G5/2 A5/4 F5/4 | G5/6 E5/2 C5/4 E5/4 | A5/8 G5/4 E5/4 |"
        "D5/4 F5/2 G5/2 Bb5/6 A5/2 | A5/6 F5/2 D5/8 | E5/4 G5/4 C6/4 Bb5/4 | A5/12 -/4 |",
        tm.steps_per_bar());

    Instrument flute;
    flute.wave = Wave::triangle;
    flute.sub = 0.15f;
    flute.amp = {0.05f, 0.4f, 0.75f, 0.2f};
    flute.cutoff = 2600;
    flute.vibrato = 0.22f;
    flute.vibrato_rate = 5.2f;
    flute.vibrato_delay = 0.25f;
    flute.gain = 0.34f;
    flute.echo = 0.3f;
    flute.reverb = 0.4f;
    play_melody(mix, tm, flute, melody, 0.95, 0.1f, 1);

    Instrument bell;
    bell.fm_ratio = 3.0f;
    bell.fm_index = 1.4f;
    bell.fm_decay = 0.3f;
    bell.amp = {0.002f, 0.45f, 0.0f, 0.25f};
    bell.gain = 0.14f;
    bell.echo = 0.45f;
    bell.reverb = 0.3f;

    Instrument pad;
    pad.wave = Wave::saw;
    pad.unison = 2;
    pad.detune = 14;
    pad.amp = {0.6f, 1.2f, 0.8f, 0.3f};
    pad.cutoff = 700;
    pad.key_track = 0.3f;
    pad.env_amount = 500;
    pad.filter_env = {0.8f, 1.0f, 0.4f, 0.5f};
    pad.gain = 0.065f;
    pad.reverb = 0.6f;

    Instrument bass;
    bass.wave = Wave::triangle;
    bass.sub = 0.6f;
    bass.amp = {0.01f, 0.5f, 0.6f, 0.1f};
    bass.cutoff = 600;
    bass.gain = 0.34f;

    const int arp_order[] = {0, 1, 2, 3, 4, 3, 2, 1};
    constexpr int BREATH = 12;
    tm.breathe_from(mix, BREATH);
    Lcg rng(98);
    for (int bar = 0; bar < tm.bars; ++bar) {
        const std::vector<int>& chord = chords[static_cast<std::size_t>(bar)];
        const bool last = bar == tm.bars - 1;
        std::vector<int> upper(chord.begin() + 1, chord.end());
        for (int n : upper)
            synth::note(mix, pad, tm.at(bar, 0), tm.step_s() * (last ? BREATH - 1 : 15.5), n, 0.8f,
                        n % 2 ? -0.4f : 0.4f);

        // Bell arpeggio in eighths, rising through the chord an octave up.
        std::vector<int> arp;
        for (int n : upper) arp.push_back(n + 12);
        arp.push_back(upper[0] + 24);
        for (int k = 0; k < 8; ++k) {
            const int n = arp[static_cast<std::size_t>(arp_order[k]) % arp.size()];
            synth::note(mix, bell, tm.at(bar, k * 2), tm.step_s() * 1.5, n,
                        (k % 2 ? 0.75f : 1.0f) * rng.range(0.85f, 1.0f), k % 2 ? 0.55f : -0.55f);
        }

        int root = chord[0];
        while (root >= 48) root -= 12;
        const int bass_line[][3] = {{0, 6, 0}, {6, 2, 0}, {8, 4, 7}, {12, 2, 12}, {14, 2, 7}};
        for (const auto& b : bass_line)
            synth::note(mix, bass, tm.at(bar, b[0]), tm.step_s() * b[1] * 0.9, root + b[2], 1.0f, 0);

        // Drums: a light intro for four bars, then the full groove.
        const bool full = bar >= 4;
        synth::kick(mix, tm.at(bar, 0), 0.8f);
        synth::kick(mix, tm.at(bar, 10), 0.55f);
        if (full && bar % 2 == 1) synth::kick(mix, tm.at(bar, 7), 0.45f);
        for (int s = 0; s < 16; s += 2)
            synth::hat(mix, tm.at(bar, s), (s % 4 == 2 ? 0.45f : 0.25f) * rng.range(0.85f, 1.0f), false, 0.3f);
        if (full) {
            for (int s = 1; s < 16; s += 4) synth::hat(mix, tm.at(bar, s), 0.12f, false, -0.3f);
            synth::snare(mix, tm.at(bar, 4), 0.45f, -0.1f, 0.35f);
            synth::snare(mix, tm.at(bar, 12), 0.5f, -0.1f, 0.35f);
        }
        if (bar % 4 == 3) synth::hat(mix, tm.at(bar, 14), 0.3f, true, 0.3f);
        if (bar == 7 || last) {
            const int from = last ? BREATH - 3 : 13;
            for (int s = 0; s < 3; ++s)
                synth::snare(mix, tm.at(bar, from + s), 0.2f + 0.08f * static_cast<float>(s), 0.2f, 0.35f);
        }
        if (bar == 0 || bar == 8) synth::crash(mix, tm.at(bar, 0), 0.45f, -0.3f);
    }
    const double step = tm.step_s();
    return master(mix, {static_cast<float>(step * 3), static_cast<float>(step * 4), 0.38f, 0.45f, 0.8f},
                  {0.85f, 0.35f, 0.8f});
}

// ---- 2: Kobalt Run -----------------------------------------------------------------------
// E minor, 147 bpm, a chase: octave-jumping saw bass, a bright square lead, a fast pulse
// arpeggio and four-on-the-floor drums with a string swell in the middle section.

Stereo kobalt_run() {
    const Timing tm{147, 4, 4, 24};
    Mix mix = tm.loop_mix();
    const std::string em = "E2 B3 E4 G4", c = "C2 G3 C4 E4", d = "D2 A3 D4 F#4", am = "A1 A3 C4 E4",
                      b = "B1 B3 D#4 F#4", bm = "B1 B3 D4 F#4";
    const auto chords = parse_chords({em, em, c,  d,  em, em, am, b,  //
                                      c,  d,  bm, em, c,  d,  b,  b,  //
                                      em, em, c,  d,  am, b,  em, em});
    const auto melody = parse_score(
        "E5/2 E5/1 -/1 G5/2 E5/2 B5/4 A5/2 G5/2 | F#5/2 G5/2 F#5/2 E5/2 D5/4 E5/4 | C5/2 E5/2 G5/2 C6/2 B5/4 G5/4 |"
        "A5/2 F#5/2 D5/2 F#5/2 A5/4 -/4 | E5/2 E5/1 -/1 G5/2 E5/2 B5/4 D6/2 B5/2 | C6/2 B5/2 A5/2 G5/2 A5/4 B5/4 |"
        "C6/4 B5/2 A5/2 E5/4 A5/4 | B5/6 A5/2 G5/2 F#5/2 D#5/4 |"
        "G5/6 A5/2 B5/8 | A5/6 F#5/2 D5/8 | F#5/6 G5/2 A5/4 B5/4 | G5/8 E5/8 |"
        "E6/6 D6/2 C6/4 B5/4 | A5/6 B5/2 C6/4 D6/4 | D#6/8 B5/8 | F#5/4 A5/4 B5/4 D#6/4 |"
        "E5/2 E5/1 -/1 G5/2 E5/2 B5/4 A5/2 G5/2 | F#5/2 G5/2 F#5/2 E5/2 D5/4 E5/4 | C5/2 E5/2 G5/2 C6/2 B5/4 G5/4 |"
        "A5/2 F#5/2 D5/2 F#5/2 A5/4 -/4 | C6/2 A5/2 E5/2 A5/2 C6/4 E6/4 | D#6/4 C6/2 B5/2 A5/4 F#5/4 |"
        "G5/2 B5/2 E6/4 B5/4 G5/4 | E5/8 -/8 |",
        tm.steps_per_bar());

    Instrument lead;
    lead.wave = Wave::square;
    lead.pulse_width = 0.4f;
    lead.unison = 2;
    lead.detune = 9;
    lead.amp = {0.003f, 0.2f, 0.65f, 0.07f};
    lead.cutoff = 1800;
    lead.key_track = 0.5f;
    lead.env_amount = 2600;
    lead.filter_env = {0.002f, 0.12f, 0.2f, 0.1f};
    lead.vibrato = 0.15f;
    lead.vibrato_delay = 0.22f;
    lead.gain = 0.24f;
    lead.echo = 0.22f;
    lead.reverb = 0.2f;
    play_melody(mix, tm, lead, melody, 0.8, 0.0f, 2);

    Instrument bass;
    bass.wave = Wave::saw;
    bass.sub = 0.4f;
    bass.amp = {0.002f, 0.2f, 0.7f, 0.04f};
    bass.cutoff = 260;
    bass.resonance = 0.35f;
    bass.env_amount = 1900;
    bass.filter_env = {0.001f, 0.08f, 0.0f, 0.05f};
    bass.drive = 0.6f;
    bass.gain = 0.3f;

    Instrument arp;
    arp.wave = Wave::square;
    arp.pulse_width = 0.125f;
    arp.amp = {0.001f, 0.07f, 0.0f, 0.04f};
    arp.cutoff = 3500;
    arp.gain = 0.1f;
    arp.echo = 0.3f;

    Instrument strings;
    strings.wave = Wave::saw;
    strings.unison = 3;
    strings.detune = 20;
    strings.amp = {0.4f, 1.0f, 0.85f, 0.4f};
    strings.cutoff = 1500;
    strings.gain = 0.05f;
    strings.reverb = 0.5f;

    constexpr int BREATH = 12;
    tm.breathe_from(mix, BREATH);
    Lcg rng(147);
    for (int bar = 0; bar < tm.bars; ++bar) {
        const std::vector<int>& chord = chords[static_cast<std::size_t>(bar)];
        const bool middle = bar >= 8 && bar < 16;
        const bool turn = bar % 8 == 7;

        int root = chord[0];
        for (int s = 0; s < 16; s += 2) {
            int n = root + ((s / 2) % 2 ? 12 : 0);
            if (turn && s >= 8) n = root + (s == 8 ? 3 : s == 10 ? 5 : s == 12 ? 7 : 10);
            synth::note(mix, bass, tm.at(bar, s), tm.step_s() * 1.4, n, (s % 4 == 0 ? 1.0f : 0.8f), 0);
        }

        for (int s = 0; s < 16; ++s) {
            const int n = chord[1 + static_cast<std::size_t>(s) % (chord.size() - 1)] + 12 + (s >= 8 ? 12 : 0);
            synth::note(mix, arp, tm.at(bar, s), tm.step_s() * 0.5, n,
                        (s % 4 == 0 ? 1.0f : 0.7f) * rng.range(0.8f, 1.0f), s % 2 ? 0.6f : -0.6f);
        }
        if (middle)
            for (std::size_t k = 1; k < chord.size(); ++k)
                synth::note(mix, strings, tm.at(bar, 0), tm.step_s() * 15.5, chord[k], 1.0f, k % 2 ? -0.5f : 0.5f);

        for (int s = 0; s < 16; s += 4) synth::kick(mix, tm.at(bar, s), 0.85f);
        if (bar % 4 == 3) synth::kick(mix, tm.at(bar, 14), 0.7f);
        synth::snare(mix, tm.at(bar, 4), 0.6f);
        synth::snare(mix, tm.at(bar, 12), 0.65f);
        for (int s = 0; s < 16; ++s) {
            const float v = s % 4 == 2 ? 0.55f : s % 2 ? 0.22f : 0.35f;
            if (s == 14 && bar % 2 == 1)
                synth::hat(mix, tm.at(bar, s), 0.5f, true, 0.25f);
            else
                synth::hat(mix, tm.at(bar, s), v * rng.range(0.85f, 1.0f), false, 0.25f);
        }
        if (turn) {
            const int from = bar == tm.bars - 1 ? BREATH - 4 : 12;
            for (int s = 0; s < 4; ++s)
                synth::snare(mix, tm.at(bar, from + s), 0.45f + 0.12f * static_cast<float>(s), 0.15f);
        }
        if (bar % 8 == 0) synth::crash(mix, tm.at(bar, 0), 0.8f, 0.35f);
    }
    const double step = tm.step_s();
    return master(mix, {static_cast<float>(step * 3), static_cast<float>(step * 2), 0.3f, 0.5f, 0.6f},
                  {0.6f, 0.4f, 0.6f});
}

// ---- 3: Ferro ----------------------------------------------------------------------------
// C minor with a Phrygian D flat, 105 bpm in a heavy shuffle: driven square bass, a brassy
// lead, clap and kick like a forge, and tuned metal bars ringing on the off-beats.

Stereo ferro() {
    const Timing tm{105, 3, 4, 16};
    Mix mix = tm.loop_mix();
    const std::string cm = "C2 G3 C4 Eb4", db = "Db2 Ab3 Db4 F4", fm = "F1 F3 Ab3 C4", ab = "Ab1 Ab3 C4 Eb4",
                      g = "G1 G3 B3 D4", bb = "Bb1 F3 Bb3 D4";
    const auto chords = parse_chords({cm, cm, db, cm, fm, ab, g, g, cm, db, bb, ab, fm, db, g, g});
    const auto melody = parse_score(
        "C5/3 Eb5/2 G5/1 F5/3 Eb5/3 | D5/2 Eb5/1 C5/9 | Db5/3 F5/2 Ab5/1 G5/3 F5/3 | Eb5/6 -/3 G4/3 |"
        "F5/3 Ab5/2 C6/1 Bb5/3 Ab5/3 | G5/2 Ab5/1 Eb5/9 | D5/3 F5/2 G5/1 B5/6 | Ab5/3 G5/3 F5/3 D5/3 |"
        "C6/6 G5/3 Eb5/3 | F5/6 Ab5/3 Db6/3 | D6/3 C6/2 Bb5/1 F5/6 | Eb6/6 C6/3 Ab5/3 |"
        "F5/3 G5/2 Ab5/1 C6/6 | Db6/3 C6/2 Bb5/1 Ab5/3 F5/3 | G5/6 B5/3 D6/3 | F6/3 D6/2 B5/1 G5/3 -/3 |",
        tm.steps_per_bar());

    Instrument brass;
    brass.wave = Wave::saw;
    brass.unison = 2;
    brass.detune = 10;
    brass.amp = {0.012f, 0.3f, 0.7f, 0.1f};
    brass.cutoff = 800;
    brass.key_track = 0.4f;
    brass.env_amount = 2400;
    brass.filter_env = {0.03f, 0.25f, 0.3f, 0.1f};
    brass.drive = 0.3f;
    brass.vibrato = 0.12f;
    brass.vibrato_delay = 0.35f;
    brass.gain = 0.3f;
    brass.echo = 0.2f;
    brass.reverb = 0.3f;
    play_melody(mix, tm, brass, melody, 0.9, -0.05f, 3);

    Instrument bass;
    bass.wave = Wave::square;
    bass.sub = 0.6f;
    bass.amp = {0.003f, 0.25f, 0.6f, 0.05f};
    bass.cutoff = 200;
    bass.resonance = 0.5f;
    bass.env_amount = 1400;
    bass.filter_env = {0.001f, 0.12f, 0.0f, 0.05f};
    bass.drive = 1.5f;
    bass.gain = 0.27f;

    Instrument stab;
    stab.wave = Wave::saw;
    stab.unison = 2;
    stab.detune = 16;
    stab.amp = {0.004f, 0.12f, 0.0f, 0.08f};
    stab.cutoff = 1200;
    stab.env_amount = 1500;
    stab.gain = 0.14f;
    stab.reverb = 0.35f;
    stab.echo = 0.25f;

    constexpr int BREATH = 9;
    tm.breathe_from(mix, BREATH);
    Lcg rng(105);
    // (step, length, interval above the root), on the triplet grid.
    const int bass_line[][3] = {{0, 2, 0}, {2, 1, 0}, {3, 1, 12}, {5, 1, 0},
                                {6, 2, 0}, {8, 1, 0}, {9, 1, 10}, {11, 1, 7}};
    for (int bar = 0; bar < tm.bars; ++bar) {
        const std::vector<int>& chord = chords[static_cast<std::size_t>(bar)];
        const bool second_half = bar >= 8;
        for (const auto& b : bass_line)
            synth::note(mix, bass, tm.at(bar, b[0]), tm.step_s() * b[1] * 0.8, chord[0] + b[2],
                        b[0] % 3 == 0 ? 1.0f : 0.75f, 0);

        // Off-beat chord stabs on the shuffle's last triplet.
        for (int s : {2, 8})
            for (std::size_t k = 1; k < chord.size(); ++k)
                synth::note(mix, stab, tm.at(bar, s), tm.step_s() * 0.6, chord[k], 0.9f, k % 2 ? -0.45f : 0.45f);

        synth::clang(mix, tm.at(bar, 11), 0.55f, bar % 2 ? 79 : 72, 0.45f);
        if (second_half) synth::clang(mix, tm.at(bar, 5), 0.4f, 75, -0.45f);
        if (bar % 4 == 0) synth::clang(mix, tm.at(bar, 0), 0.5f, 48, 0.0f);

        synth::kick(mix, tm.at(bar, 0), 1.0f, 0.9f);
        synth::kick(mix, tm.at(bar, 6), 0.95f, 0.9f);
        if (bar % 2 == 1) synth::kick(mix, tm.at(bar, 5), 0.6f, 0.9f);
        for (int s : {3, 9}) {
            synth::snare(mix, tm.at(bar, s), 0.5f, 0.0f, 0.25f);
            synth::clap(mix, tm.at(bar, s), 0.7f, 0.1f);
        }
        for (int s : {0, 2, 3, 5, 6, 8, 9, 11}) {
            if (s == 8 && bar % 2 == 0)
                synth::hat(mix, tm.at(bar, s), 0.45f, true, -0.25f);
            else
                synth::hat(mix, tm.at(bar, s), (s % 3 == 0 ? 0.42f : 0.26f) * rng.range(0.85f, 1.0f), false, -0.25f);
        }
        if (bar % 8 == 7) {
            const int from = bar == tm.bars - 1 ? BREATH - 5 : 6;
            for (int s = 0; s < 5; ++s)
                synth::snare(mix, tm.at(bar, from + s), 0.35f + 0.1f * static_cast<float>(s), 0.1f, 0.3f);
        }
        if (bar % 8 == 0) synth::crash(mix, tm.at(bar, 0), 0.7f, -0.3f);
    }
    const double step = tm.step_s();
    return master(mix, {static_cast<float>(step * 2), static_cast<float>(step * 3), 0.3f, 0.45f, 0.6f},
                  {0.75f, 0.45f, 0.7f});
}

}  // namespace

Stereo make_theme(int number) {
    switch (number) {
    case 1: return cirrane();
    case 2: return kobalt_run();
    case 3: return ferro();
    default: throw std::runtime_error("there is no theme " + std::to_string(number));
    }
}

}  // namespace makedata
