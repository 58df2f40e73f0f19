// The generated data files of the run directory, checked as the game reads them: bitmaps through
// SDL_LoadBMP and a conversion to 0x00RRGGBB, sounds through SDL_LoadWAV, music through
// Mix_LoadMUS and the libvorbisfile SDL_mixer decodes it with. Also runs kromblix-makedata
// itself to check that it repeats the build's bytes exactly and that it refuses broken art.
// (The shipped caves are checked by kromblix-cavecheck: the caves_are_sound test.)
#include "tests/support/test_env.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <numeric>
#include <set>
#include <sys/wait.h>

using namespace test_env;

const std::string RUN = KROMBLIX_RUN_DIR "/";
const std::string GENERATOR = KROMBLIX_BINARY_DIR "/tools/kromblix-makedata";
constexpr std::uint32_t CLEAR = 0xFFFFFF;  // exact white: the cell shows through

unsigned le(const std::string& bytes, std::size_t at, int size) {
    unsigned v = 0;
    for (std::size_t i = static_cast<std::size_t>(size); i-- > 0;) v = v << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return v;
}

// A bitmap loaded and converted the way the game does, as plain 0x00RRGGBB words.
struct Picture {
    int w = 0, h = 0;
    Pixels px;
    std::uint32_t at(int x, int y) const { return px.at(static_cast<std::size_t>(y * w + x)); }
    Pixels region(int x0, int y0, int w0, int h0) const {
        Pixels r;
        for (int y = y0; y < y0 + h0; ++y)
            for (int x = x0; x < x0 + w0; ++x) r.push_back(at(x, y));
        return r;
    }
    // How many pixels of the rectangle are CLEAR.
    int clear_in(int x0, int y0, int w0, int h0) const {
        const Pixels r = region(x0, y0, w0, h0);
        return static_cast<int>(std::count(r.begin(), r.end(), CLEAR));
    }
};

Picture load_picture(const std::string& name) {
    Picture pic;
    SDL_Surface* raw = SDL_LoadBMP((RUN + name).c_str());
    SDL_Surface* like_screen = image(1, 1);
    SDL_Surface* conv = raw ? SDL_ConvertSurface(raw, like_screen->format, SDL_SWSURFACE) : nullptr;
    if (!conv) ADD_FAILURE() << name << " does not load: " << SDL_GetError();
    if (conv) pic.w = conv->w, pic.h = conv->h;
    for (int y = 0; y < pic.h; ++y)
        for (int x = 0; x < pic.w; ++x) pic.px.push_back(px(conv, x, y) & 0xFFFFFF);
    for (SDL_Surface* s : {raw, like_screen, conv})
        if (s) SDL_FreeSurface(s);
    return pic;
}

TEST(DataBitmaps, AreUncompressed24BitAndShowWhatTheGameExpects) {
    // Uncompressed 24 bits a pixel, so colours (the exact white, the font's marker) survive exactly.
    for (const char* name : {"font.bmp", "pot5.bmp", "player.bmp", "title.bmp"}) {
        const std::string b = slurp(RUN + name);
        ASSERT_GE(b.size(), 54u) << name;
        EXPECT_EQ(b.substr(0, 2) + " " + std::to_string(le(b, 28, 2)) + " " + std::to_string(le(b, 30, 4)), "BM 24 0")
            << name << ": magic, bits per pixel, compression";
    }
    const Picture tiles = load_picture("pot5.bmp");
    ASSERT_EQ(std::pair(tiles.w, tiles.h), std::pair(32, 128));
    for (int t : {0, 1, 2}) {
        // Rock and diamonds are round: their corners show the cell behind, their middle is solid.
        EXPECT_EQ(std::tuple(tiles.at(0, t * 32), tiles.at(31, t * 32 + 31)), std::tuple(CLEAR, CLEAR)) << "tile " << t;
        EXPECT_NE(tiles.at(16, t * 32 + 16), CLEAR) << "tile " << t;
    }
    EXPECT_EQ(tiles.clear_in(0, 96, 32, 32), 0) << "dirt must be fully opaque";
    const Pixels diamond1 = tiles.region(0, 32, 32, 32), diamond2 = tiles.region(0, 64, 32, 32);
    EXPECT_GT(std::inner_product(diamond1.begin(), diamond1.end(), diamond2.begin(), 0, std::plus<>(),
                                 std::not_equal_to<>()), 20)
        << "the two diamond frames must sparkle differently";

    // Four distinct player frames of 32 by 32 at (1, 1 + 32k); the rest of the sheet is clear.
    const Picture sheet = load_picture("player.bmp");
    ASSERT_EQ(std::pair(sheet.w, sheet.h), std::pair(196, 130));
    EXPECT_EQ(sheet.clear_in(0, 0, 196, 130) - sheet.clear_in(1, 1, 32, 128), 196 * 130 - 32 * 128);
    std::set<Pixels> looks;
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(sheet.at(1, 1 + 32 * k), CLEAR) << "frame " << k;
        looks.insert(sheet.region(1, 1 + 32 * k, 32, 32));
    }
    EXPECT_EQ(looks.size(), 4u) << "the frames must differ";

    const Picture title = load_picture("title.bmp");
    ASSERT_EQ(std::pair(title.w, title.h), std::pair(640, 480));
}

// ---- the font strip: 94 square cells for '!' .. '~' ----

struct Font {
    Picture pic = load_picture("font.bmp");
    int cell = pic.w;
    // First and last inked column of a character's cell, as the game's text drawer measures them.
    std::pair<int, int> ink(unsigned char ch) const {
        int l = cell, r = -1;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x)
                if (pic.at(x, (ch - 33) * cell + y) != 0) l = std::min(l, x), r = std::max(r, x);
        return {l, r};
    }
    // Pen position after drawing text from x: a space is half a cell, a glyph its inked width.
    int text_end(int x, const std::string& text) const {
        for (unsigned char ch : text) x += ch == ' ' ? cell / 2 : ink(ch).second - ink(ch).first + 1;
        return x;
    }
};

TEST(DataFont, CellsEndInTheFaintMarkerAndTheGameTextsFit) {
    const Font font;
    ASSERT_TRUE(font.cell == 15 || font.cell == 16) << font.cell;
    ASSERT_EQ(font.pic.h, 94 * font.cell);
    const auto coloured = [](std::uint32_t p) { return (p >> 16) != (p & 0xFF); };
    EXPECT_TRUE(std::any_of(font.pic.px.begin(), font.pic.px.end(), coloured)) << "ink should be coloured, not grey";
    // The drawer never draws a cell's last inked column, so that column must hold nothing but
    // the marker (a single pixel of value 1), and the column before it must be real ink.
    for (int ch = 33; ch < 127; ++ch) {
        const int r = font.ink(static_cast<unsigned char>(ch)).second;
        ASSERT_GE(r, 1) << "no ink for '" << char(ch) << "'";
        int marker = 0, other = 0, before = 0;
        for (int y = (ch - 33) * font.cell; y < (ch - 32) * font.cell; ++y) {
            marker += font.pic.at(r, y) == 1;
            other += font.pic.at(r, y) > 1;
            before += font.pic.at(r - 1, y) > 1;
        }
        EXPECT_EQ(std::tuple(marker, other), std::tuple(1, 0)) << "'" << char(ch) << "' loses ink it does not draw";
        EXPECT_GT(before, 0) << "'" << char(ch) << "' has a gap before its marker";
    }
    // The game's widest texts, from where it draws them, fit the window.
    const std::pair<int, std::string> lines[] = {
        {300, "-- CONGRATULATIONS ! --"}, {735, "...enjoy"}, {485, "[ 2 ] - 'Kobalt Run' theme"},
        {485, "[ 1 ] - 'Cirrane' theme"}, {485, "[ 3 ] - 'Ferro' theme"}, {190, " SPACE                       ESC "},
        {200, "          = play game              = quit "},
    };
    for (const auto& [x, text] : lines) EXPECT_LT(font.text_end(x, text), 800) << "\"" << text << "\" from x=" << x;
    EXPECT_GT(font.text_end(0, "W") - font.text_end(0, "i"), 4) << "the font should be proportional";
}

// ---- sounds and music ----

TEST(DataSounds, AreStereo16BitPcmAt44100WithTheIntendedLengths) {
    const std::tuple<const char*, double, double> effects[] = {
        {"resources.wav", 0.15, 0.5}, {"shot.wav", 0.15, 0.5}, {"explode.wav", 0.25, 0.7}, {"booom.wav", 0.6, 1.5}};
    for (const auto& [name, min_s, max_s] : effects) {
        EXPECT_EQ(le(slurp(RUN + name), 20, 2), 1u) << name << " is not plain PCM";
        SDL_AudioSpec audio{};
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        ASSERT_NE(SDL_LoadWAV((RUN + name).c_str(), &audio, &buffer, &length), nullptr) << name << SDL_GetError();
        std::vector<std::int16_t> samples(length / 2);
        std::memcpy(samples.data(), buffer, samples.size() * 2);
        SDL_FreeWAV(buffer);
        EXPECT_EQ(std::tuple(audio.freq, audio.format, audio.channels), std::tuple(44100, AUDIO_S16LSB, 2)) << name;
        const double seconds = static_cast<double>(samples.size()) / 2.0 / 44100.0;
        EXPECT_TRUE(seconds >= min_s && seconds <= max_s) << name << " lasts " << seconds << " s";
        int peak = 0;
        for (std::int16_t v : samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_GT(peak, 12000) << name << " is too quiet";
        ASSERT_GE(samples.size(), 2u);
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

        OggVorbis_File file;
        ASSERT_EQ(ov_fopen((RUN + name).c_str(), &file), 0) << name << " is not Ogg Vorbis";
        EXPECT_EQ(std::tuple(ov_info(&file, -1)->channels, ov_info(&file, -1)->rate), std::tuple(2, 44100L)) << name;
        const ogg_int64_t length = ov_pcm_total(&file, -1);
        EXPECT_TRUE(length >= 30 * 44100 && length <= 90 * 44100) << name << " lasts " << length / 44100 << " s";
        std::vector<std::int16_t> pcm;
        char buffer[16384];
        int section = 0;
        for (long n; (n = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0;) {
            pcm.resize(pcm.size() + static_cast<std::size_t>(n) / 2);
            std::memcpy(pcm.data() + pcm.size() - static_cast<std::size_t>(n) / 2, buffer, static_cast<std::size_t>(n));
        }
        ov_clear(&file);
        ASSERT_GE(pcm.size(), 2u * 30u * 44100u) << name;

        const std::size_t stereo_frames = pcm.size() / 2;
        auto at = [&](std::size_t i, std::size_t side) { return static_cast<double>(pcm[2 * i + side]); };
        // Typical step between neighbouring samples, to judge the step across the loop point.
        double steps = 0, width = 0;
        for (std::size_t i = 1; i < stereo_frames; ++i) {
            steps += std::abs(at(i, 0) - at(i - 1, 0)) + std::abs(at(i, 1) - at(i - 1, 1));
            width += std::abs(at(i, 0) - at(i, 1));
        }
        EXPECT_GT(width / static_cast<double>(stereo_frames), 100) << name << " is mono";
        for (std::size_t side : {0u, 1u})
            EXPECT_LT(std::abs(at(0, side) - at(stereo_frames - 1, side)), steps / static_cast<double>(stereo_frames) + 50)
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
