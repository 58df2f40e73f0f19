// The generated sound and music files of the run directory, checked as the game reads them:
// sounds through SDL_LoadWAV, music through Mix_LoadMUS and the libvorbisfile SDL_mixer decodes
// it with. (The bitmaps show in the golden pictures of the end-to-end tests.) Also runs kromblix-makedata
// itself to check that it repeats the build's bytes exactly and that it refuses broken art.
// (The shipped caves are checked by kromblix-cavecheck: the caves_are_sound test.)
#include "tests/support/test_env.h"

#include <SDL_mixer.h>
#include <vorbis/vorbisfile.h>

#include <sys/wait.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace test_env;

const std::string RUN = KROMBLIX_RUN_DIR "/";
const std::string GENERATOR = KROMBLIX_BINARY_DIR "/tools/kromblix-makedata";

// ---- sounds and music ----

// The samples of a sound (16-bit stereo as SDL_LoadWAV reads it) or a theme (as libvorbisfile
// decodes it), left and right interleaved; empty when the file does not load.
std::vector<std::int16_t> sound_samples(const std::string& name, SDL_AudioSpec* format = nullptr) {
    SDL_AudioSpec audio{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV((RUN + name).c_str(), format ? format : &audio, &buffer, &length)) return {};
    std::vector<std::int16_t> samples(length / 2);
    std::memcpy(samples.data(), buffer, samples.size() * 2);
    SDL_FreeWAV(buffer);
    return samples;
}

// `stereo_rate`, when given, is set to the sample rate of a stereo theme, and to 0 for any other.
std::vector<std::int16_t> theme_samples(const std::string& name, long* stereo_rate = nullptr) {
    OggVorbis_File file;
    if (ov_fopen((RUN + name).c_str(), &file) != 0) return {};
    if (stereo_rate) *stereo_rate = ov_info(&file, -1)->channels == 2 ? ov_info(&file, -1)->rate : 0;
    std::vector<std::int16_t> pcm;
    char buffer[16384];
    int section = 0;
    for (long n; (n = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0;) {
        pcm.resize(pcm.size() + static_cast<std::size_t>(n) / 2);
        std::memcpy(pcm.data() + pcm.size() - static_cast<std::size_t>(n) / 2, buffer, static_cast<std::size_t>(n));
    }
    ov_clear(&file);
    return pcm;
}

int peak_of(const std::vector<std::int16_t>& samples) {
    int peak = 0;
    for (std::int16_t v : samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

TEST(DataSounds, TheLoudestEffectOverTheLoudestThemePassageNeverClips) {
    // The mixer adds a sound to the music sample by sample and clips the sum: whatever the moment a
    // sound starts, the sum stays inside 16 bits when the two peaks do.
    int theme_peak = 0, effect_peak = 0;
    for (const char* name : {"1.m", "2.m", "3.m"}) theme_peak = std::max(theme_peak, peak_of(theme_samples(name)));
    for (const char* name : {"resources.wav", "shot.wav", "explode.wav", "booom.wav"})
        effect_peak = std::max(effect_peak, peak_of(sound_samples(name)));
    ASSERT_GT(theme_peak, 8000);
    ASSERT_GT(effect_peak, 8000);
    EXPECT_LE(theme_peak + effect_peak, 32767) << "theme " << theme_peak << " + effect " << effect_peak;
}

TEST(DataSounds, AreStereo16BitPcmAt44100WithTheIntendedLengths) {
    const std::tuple<const char*, double, double> effects[] = {
        {"resources.wav", 0.15, 0.5}, {"shot.wav", 0.15, 0.5}, {"explode.wav", 0.25, 0.7}, {"booom.wav", 0.6, 1.5}};
    for (const auto& [name, min_s, max_s] : effects) {
        EXPECT_EQ(slurp(RUN + name).substr(20, 2), std::string("\x01\x00", 2)) << name << " is not plain PCM";
        SDL_AudioSpec audio{};
        const std::vector<std::int16_t> samples = sound_samples(name, &audio);
        ASSERT_GE(samples.size(), 2u) << name << SDL_GetError();
        EXPECT_EQ(std::tuple(audio.freq, audio.format, audio.channels), std::tuple(44100, AUDIO_S16LSB, 2)) << name;
        const double seconds = static_cast<double>(samples.size()) / 2.0 / 44100.0;
        EXPECT_TRUE(seconds >= min_s && seconds <= max_s) << name << " lasts " << seconds << " s";
        EXPECT_GT(peak_of(samples), 12000) << name << " is too quiet";
        // Ending on silence: no click when the channel stops.
        EXPECT_LT(std::max(std::abs(samples.back()), std::abs(samples[samples.size() - 2])), 200) << name;
    }
}

TEST(DataMusic, ThemesAreStereoVorbisThatLoopWithoutAClickAndNeverFallSilent) {
    EXPECT_NE(slurp(RUN + "1.m"), slurp(RUN + "2.m"));
    EXPECT_NE(slurp(RUN + "2.m"), slurp(RUN + "3.m"));
    for (const std::string name : {"1.m", "2.m", "3.m"}) {
        Mix_Music* music = Mix_LoadMUS((RUN + name).c_str());
        EXPECT_NE(music, nullptr) << name << ": " << Mix_GetError();
        if (music) Mix_FreeMusic(music);

        long rate = 0;
        const std::vector<std::int16_t> pcm = theme_samples(name, &rate);
        EXPECT_EQ(rate, 44100) << name << " is not Ogg Vorbis in stereo at 44100 Hz";
        const std::size_t stereo_frames = pcm.size() / 2;
        ASSERT_TRUE(stereo_frames >= 30 * 44100 && stereo_frames <= 90 * 44100)
            << name << " lasts " << stereo_frames / 44100 << " s";
        auto at = [&](std::size_t i, std::size_t side) { return static_cast<double>(pcm[2 * i + side]); };
        // Typical step between neighbouring samples, to judge the step across the loop point.
        double steps = 0, width = 0;
        for (std::size_t i = 1; i < stereo_frames; ++i) {
            steps += std::abs(at(i, 0) - at(i - 1, 0)) + std::abs(at(i, 1) - at(i - 1, 1));
            width += std::abs(at(i, 0) - at(i, 1));
        }
        EXPECT_GT(width / static_cast<double>(stereo_frames), 100) << name << " is mono";
        for (std::size_t side : {0u, 1u})
            EXPECT_LT(std::abs(at(0, side) - at(stereo_frames - 1, side)),
                      steps / static_cast<double>(stereo_frames) + 50)
                << name << " clicks when it loops";
        for (std::size_t i = 0; i < 88; ++i) {
            EXPECT_LT(std::abs(at(i, 0)) + std::abs(at(i, 1)), 3000) << name << " does not start from silence";
            EXPECT_LT(std::abs(at(stereo_frames - 1 - i, 0)) + std::abs(at(stereo_frames - 1 - i, 1)), 3000)
                << name << " does not end in silence";
        }
        // Every two seconds of the loop carries music.
        for (std::size_t start = 0, window = 2 * 44100; start + window <= stereo_frames; start += window) {
            double energy = 0;
            for (std::size_t i = start; i < start + window; ++i) energy += at(i, 0) * at(i, 0) + at(i, 1) * at(i, 1);
            EXPECT_GT(std::sqrt(energy / (2.0 * static_cast<double>(window))), 1000)
                << name << " is nearly silent at " << static_cast<double>(start) / 44100 << " s";
        }
    }
}

// ---- the generator ----

// Runs the generator with arguments in the scratch directory; its exit status.
int generate(const std::string& arguments) {
    const int status = std::system((GENERATOR + " " + arguments + " 2>log").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Generator, AFreshRunRepeatsTheBuildsBytes) {
    // The build's own run made the run directory; a second run, now and into an empty
    // directory, must give every file byte for byte.
    ScratchDir scratch;
    fs::create_directory("fresh");
    ASSERT_EQ(generate("--out fresh"), 0) << slurp("log");
    for (const char* name : {"font.bmp", "pot5.bmp", "player.bmp", "title.bmp", "resources.wav", "shot.wav",
                             "explode.wav", "booom.wav", "1.m", "2.m", "3.m"}) {
        const std::string bytes = slurp(fs::path("fresh") / name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == slurp(RUN + name)) << name << " differs from the build's copy";
    }
}

TEST(Generator, RefusesBadCommandLinesMissingFontsAndBrokenArt) {
    ScratchDir scratch;
    fs::create_directory("out");
    fs::create_directory("art");
    for (const char* arguments : {"", "--out out --only nothing.bmp", "--out out --colour red"})
        EXPECT_EQ(generate(arguments), 2) << arguments;
    EXPECT_EQ(generate("--out out --fonts . --only font.bmp"), 1);
    EXPECT_FALSE(fs::exists("out/font.bmp"));

    std::string dirt_with_a_hole = "colour . clear\ncolour x 102030\n";
    for (const char* name : {"rock", "diamond1", "diamond2", "dirt"}) {
        dirt_with_a_hole += std::string("frame ") + name + "\n";
        for (int y = 0; y < 32; ++y) dirt_with_a_hole += std::string(31, 'x') + (y == 5 ? ".\n" : "x\n");
    }
    const std::pair<std::string, std::string> broken[] = {
        {"colour . clear\ncolour x 102030\nframe rock\n" + std::string(31, 'x') + "\n", "tiles.txt:4"},
        {"colour . clear\ncolour w FFFFFF\n", "tiles.txt:2"},  // exact white would turn transparent in the game
        {dirt_with_a_hole, "the dirt tile has a transparent pixel"},
    };
    for (const auto& [tiles, place] : broken) {
        std::ofstream("art/tiles.txt") << tiles;
        EXPECT_NE(generate("--out out --art art --only pot5.bmp"), 0) << tiles;
        EXPECT_NE(slurp("log").find(place), std::string::npos) << slurp("log");
        EXPECT_FALSE(fs::exists("out/pot5.bmp"));
        EXPECT_FALSE(fs::exists("out/pot5.bmp.part")) << "a failed file must not be left behind";
    }
}
