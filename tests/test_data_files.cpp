// The generated data files, checked as the game reads them: bitmaps through SDL_LoadBMP and a
// conversion to 0x00RRGGBB, sounds through SDL_LoadWAV, music through Mix_LoadMUS and its Ogg
// headers. Also runs kromblix-makedata itself to check that it repeats the build's bytes
// exactly and that it refuses broken art.
//
// The run directory comes from the environment variable KROMBLIX_RUN_DIR, else from the
// compile definition of the same name. The generator is $KROMBLIX_MAKEDATA, else the compile
// definition KROMBLIX_MAKEDATA, else KROMBLIX_BINARY_DIR/tools/kromblix-makedata.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string run_dir() {
    if (const char* env = std::getenv("KROMBLIX_RUN_DIR")) return env;
#ifdef KROMBLIX_RUN_DIR
    return KROMBLIX_RUN_DIR;
#else
    return "run";
#endif
}

std::string generator() {
    if (const char* env = std::getenv("KROMBLIX_MAKEDATA")) return env;
#if defined(KROMBLIX_MAKEDATA)
    return KROMBLIX_MAKEDATA;
#elif defined(KROMBLIX_BINARY_DIR)
    return std::string(KROMBLIX_BINARY_DIR) + "/tools/kromblix-makedata";
#else
    return "kromblix-makedata";
#endif
}

std::string in_run(const std::string& name) { return run_dir() + "/" + name; }

std::vector<unsigned char> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at) {
    return b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
std::uint16_t le16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

// A bitmap loaded and converted the way the game does, as plain 0x00RRGGBB words.
struct Picture {
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    std::uint32_t at(int x, int y) const { return px.at(static_cast<std::size_t>(y * w + x)); }
};

Picture load_picture(const std::string& name) {
    Picture pic;
    SDL_Surface* raw = SDL_LoadBMP(in_run(name).c_str());
    if (!raw) {
        ADD_FAILURE() << "SDL_LoadBMP(" << name << "): " << SDL_GetError();
        return pic;
    }
    SDL_Surface* screen_like = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_Surface* conv = SDL_ConvertSurface(raw, screen_like->format, SDL_SWSURFACE);
    SDL_FreeSurface(raw);
    SDL_FreeSurface(screen_like);
    if (!conv) {
        ADD_FAILURE() << "SDL_ConvertSurface(" << name << "): " << SDL_GetError();
        return pic;
    }
    SDL_LockSurface(conv);
    pic.w = conv->w;
    pic.h = conv->h;
    for (int y = 0; y < conv->h; ++y)
        for (int x = 0; x < conv->w; ++x)
            pic.px.push_back(static_cast<const std::uint32_t*>(conv->pixels)[y * (conv->pitch / 4) + x] & 0xFFFFFF);
    SDL_UnlockSurface(conv);
    SDL_FreeSurface(conv);
    return pic;
}

constexpr std::uint32_t CLEAR = 0xFFFFFF;

// ---- bitmaps -----------------------------------------------------------------------------

TEST(DataBitmaps, AreUncompressed24BitSoColoursSurviveExactly) {
    for (const char* name : {"font.bmp", "pot5.bmp", "player.bmp", "title.bmp"}) {
        const auto b = read_bytes(in_run(name));
        ASSERT_GE(b.size(), 54u) << name;
        EXPECT_EQ(b[0], 'B') << name;
        EXPECT_EQ(b[1], 'M') << name;
        EXPECT_EQ(le16(b, 28), 24) << name << " bits per pixel";
        EXPECT_EQ(le32(b, 30), 0u) << name << " compression";
    }
}

TEST(DataBitmaps, TileSheetHasFourTilesWithTransparencyWhereTheCellShows) {
    const Picture tiles = load_picture("pot5.bmp");
    ASSERT_EQ(tiles.w, 32);
    ASSERT_EQ(tiles.h, 128);
    auto count_clear = [&](int tile) {
        int n = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) n += tiles.at(x, tile * 32 + y) == CLEAR;
        return n;
    };
    for (int tile : {0, 1, 2}) {
        // Rock and diamonds are round: their corners show the cell behind, their middle is solid.
        EXPECT_EQ(tiles.at(0, tile * 32), CLEAR) << "tile " << tile;
        EXPECT_EQ(tiles.at(31, tile * 32 + 31), CLEAR) << "tile " << tile;
        EXPECT_NE(tiles.at(16, tile * 32 + 16), CLEAR) << "tile " << tile;
        EXPECT_GT(count_clear(tile), 100) << "tile " << tile;
        EXPECT_LT(count_clear(tile), 700) << "tile " << tile;
    }
    EXPECT_EQ(count_clear(3), 0) << "dirt must be fully opaque";

    int differing = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) differing += tiles.at(x, 32 + y) != tiles.at(x, 64 + y);
    EXPECT_GT(differing, 20) << "the two diamond frames must sparkle differently";
}

TEST(DataBitmaps, PlayerSheetHasFourDistinctFramesAtTheirCorners) {
    const Picture sheet = load_picture("player.bmp");
    ASSERT_EQ(sheet.w, 196);
    ASSERT_EQ(sheet.h, 130);
    auto in_frame = [](int x, int y) { return x >= 1 && x < 33 && y >= 1 && y < 129; };
    for (int y = 0; y < sheet.h; ++y)
        for (int x = 0; x < sheet.w; ++x)
            if (!in_frame(x, y)) {
                ASSERT_EQ(sheet.at(x, y), CLEAR) << "outside the frames at " << x << "," << y;
            }

    std::array<std::vector<std::uint32_t>, 4> frames;
    for (int k = 0; k < 4; ++k) {
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const std::uint32_t p = sheet.at(1 + x, 1 + 32 * k + y);
                frames[static_cast<std::size_t>(k)].push_back(p);
                opaque += p != CLEAR;
            }
        EXPECT_GT(opaque, 150) << "frame " << k << " is nearly empty";
        EXPECT_LT(opaque, 900) << "frame " << k << " hides the whole cell";
        EXPECT_EQ(sheet.at(1, 1 + 32 * k), CLEAR) << "frame " << k;
    }
    for (std::size_t a = 0; a < 4; ++a)
        for (std::size_t b = a + 1; b < 4; ++b) EXPECT_NE(frames[a], frames[b]) << "frames " << a << " and " << b;
}

TEST(DataBitmaps, TitleIsAFullPicture) {
    const Picture title = load_picture("title.bmp");
    ASSERT_EQ(title.w, 640);
    ASSERT_EQ(title.h, 480);
    std::vector<std::uint32_t> colours(title.px);
    std::sort(colours.begin(), colours.end());
    EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 5000) << "looks like a flat fill";
}

// ---- the font strip ----------------------------------------------------------------------

struct FontMetrics {
    int cell = 0;
    std::array<int, 94> left{}, right{};  // first and last inked column per cell
};

// Measures every cell the way the game's text drawer does.
FontMetrics measure(const Picture& font) {
    FontMetrics m;
    m.cell = font.w;
    for (int k = 0; k < 94; ++k) {
        int l = m.cell, r = -1;
        for (int y = 0; y < m.cell; ++y)
            for (int x = 0; x < m.cell; ++x)
                if (font.at(x, k * m.cell + y) != 0) {
                    l = std::min(l, x);
                    r = std::max(r, x);
                }
        m.left[static_cast<std::size_t>(k)] = l;
        m.right[static_cast<std::size_t>(k)] = r;
    }
    return m;
}

// Pen position after drawing text from x, as the game advances it.
int text_end(const FontMetrics& m, int x, const std::string& text) {
    for (unsigned char ch : text) {
        if (ch == ' ') {
            x += m.cell / 2;
            continue;
        }
        const auto k = static_cast<std::size_t>(ch - 33);
        x += m.right.at(k) - m.left.at(k) + 1;
    }
    return x;
}

TEST(DataFont, StripHoldsNinetyFourSquareCellsOnBlack) {
    const Picture font = load_picture("font.bmp");
    ASSERT_TRUE(font.w == 15 || font.w == 16) << font.w;
    ASSERT_EQ(font.h, 94 * font.w);
    const FontMetrics m = measure(font);
    bool coloured = false;
    for (std::uint32_t p : font.px) coloured |= ((p >> 16) & 0xFF) != (p & 0xFF);
    EXPECT_TRUE(coloured) << "ink should be coloured, not grey";
    for (int k = 0; k < 94; ++k)
        EXPECT_GE(m.right[static_cast<std::size_t>(k)], 0) << "no ink for '" << char(33 + k) << "'";
}

TEST(DataFont, LastInkedColumnIsOnlyTheFaintMarker) {
    // The drawer never draws a cell's last inked column, so that column must hold nothing but
    // the marker, and the column before it must be real ink.
    const Picture font = load_picture("font.bmp");
    const FontMetrics m = measure(font);
    for (int k = 0; k < 94; ++k) {
        const int r = m.right[static_cast<std::size_t>(k)];
        ASSERT_GE(r, 1);
        int marker = 0, other = 0, before = 0;
        for (int y = 0; y < m.cell; ++y) {
            const std::uint32_t p = font.at(r, k * m.cell + y);
            if (p == 0x000001)
                ++marker;
            else if (p != 0)
                ++other;
            before += font.at(r - 1, k * m.cell + y) > 0x000001;
        }
        const char ch = static_cast<char>(33 + k);
        EXPECT_EQ(marker, 1) << "'" << ch << "'";
        EXPECT_EQ(other, 0) << "'" << ch << "' loses real ink in its undrawn column";
        EXPECT_GT(before, 0) << "'" << ch << "' has a gap before its marker";
    }
}

TEST(DataFont, GlyphsShareOneBaseline) {
    const Picture font = load_picture("font.bmp");
    const FontMetrics m = measure(font);
    auto lowest_real_ink = [&](char ch) {
        const int k = ch - 33;
        int lowest = -1;
        for (int y = 0; y < m.cell; ++y)
            for (int x = 0; x < m.right[static_cast<std::size_t>(k)]; ++x)
                if (font.at(x, k * m.cell + y) > 0x000001) lowest = y;
        return lowest;
    };
    const int base = lowest_real_ink('H');
    for (char ch : std::string("AEKMZaemx0147.")) EXPECT_NEAR(lowest_real_ink(ch), base, 1) << "'" << ch << "'";
    EXPECT_GT(lowest_real_ink('g'), base + 1) << "descenders should hang below the baseline";
    EXPECT_LT(lowest_real_ink('\''), base - 4) << "apostrophe should sit high";
}

TEST(DataFont, GameTextsFitTheWindowWidth) {
    const FontMetrics m = measure(load_picture("font.bmp"));
    const std::vector<std::pair<int, std::string>> lines = {
        {300, "-- CONGRATULATIONS ! --"},
        {735, "...enjoy"},
        {485, "[ 2 ] - 'Kobalt Run' theme"},
        {485, "[ 1 ] - 'Cirrane' theme"},
        {485, "[ 3 ] - 'Ferro' theme"},
        {190, " SPACE                       ESC "},
        {200, "          = play game              = quit "},
    };
    for (const auto& [x, text] : lines) EXPECT_LT(text_end(m, x, text), 800) << "\"" << text << "\" from x=" << x;
    EXPECT_GT(text_end(m, 0, "W") - text_end(m, 0, "i"), 4) << "the font should be proportional";
}

// ---- sounds ------------------------------------------------------------------------------

struct Wav {
    SDL_AudioSpec spec{};
    std::vector<std::int16_t> samples;  // interleaved
    double seconds() const { return static_cast<double>(samples.size()) / 2.0 / 44100.0; }
};

Wav load_wav(const std::string& name) {
    Wav wav;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(in_run(name).c_str(), &wav.spec, &buffer, &length)) {
        ADD_FAILURE() << "SDL_LoadWAV(" << name << "): " << SDL_GetError();
        return wav;
    }
    wav.samples.resize(length / 2);
    std::memcpy(wav.samples.data(), buffer, wav.samples.size() * 2);
    SDL_FreeWAV(buffer);
    return wav;
}

TEST(DataSounds, AreStereo16BitAt44100WithTheIntendedLengths) {
    const struct {
        const char* name;
        double min_s, max_s;
    } sounds[] = {
        {"resources.wav", 0.15, 0.5}, {"shot.wav", 0.15, 0.5}, {"explode.wav", 0.25, 0.7}, {"booom.wav", 0.6, 1.5}};
    for (const auto& s : sounds) {
        const auto bytes = read_bytes(in_run(s.name));
        ASSERT_GE(bytes.size(), 44u) << s.name;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF") << s.name;
        EXPECT_EQ(le16(bytes, 20), 1) << s.name << " is not plain PCM";

        const Wav wav = load_wav(s.name);
        EXPECT_EQ(wav.spec.freq, 44100) << s.name;
        EXPECT_EQ(wav.spec.format, AUDIO_S16LSB) << s.name;
        EXPECT_EQ(wav.spec.channels, 2) << s.name;
        EXPECT_GE(wav.seconds(), s.min_s) << s.name;
        EXPECT_LE(wav.seconds(), s.max_s) << s.name;

        int peak = 0;
        for (std::int16_t v : wav.samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_GT(peak, 12000) << s.name << " is too quiet";
        ASSERT_GE(wav.samples.size(), 2u);
        // Ending on silence: no click when the channel stops.
        EXPECT_LT(std::abs(wav.samples[wav.samples.size() - 1]), 200) << s.name;
        EXPECT_LT(std::abs(wav.samples[wav.samples.size() - 2]), 200) << s.name;
    }
}

// ---- music -------------------------------------------------------------------------------

TEST(DataMusic, ThemesAreStereoOggVorbisOfAtLeastThirtySeconds) {
    std::vector<std::vector<unsigned char>> themes;
    for (const char* name : {"1.m", "2.m", "3.m"}) {
        const auto b = read_bytes(in_run(name));
        ASSERT_GT(b.size(), 4096u) << name;
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "OggS") << name;
        // The first page carries the Vorbis identification header.
        const std::size_t segments = b.at(26);
        const std::size_t body = 27 + segments;
        EXPECT_EQ(b.at(body), 1) << name;
        EXPECT_EQ(std::string(b.begin() + static_cast<long>(body) + 1, b.begin() + static_cast<long>(body) + 7),
                  "vorbis")
            << name;
        EXPECT_EQ(b.at(body + 11), 2) << name << " channels";
        EXPECT_EQ(le32(b, body + 12), 44100u) << name << " rate";
        // The last page's granule position is the stream length in samples.
        std::size_t last = b.size() - 4;
        while (last > 0 &&
               std::string(b.begin() + static_cast<long>(last), b.begin() + static_cast<long>(last) + 4) != "OggS")
            --last;
        const std::uint64_t granule = le32(b, last + 6) | (static_cast<std::uint64_t>(le32(b, last + 10)) << 32);
        EXPECT_GE(granule, 30u * 44100u) << name << " is shorter than 30 s";
        EXPECT_LE(granule, 90u * 44100u) << name;
        themes.push_back(b);

        Mix_Music* music = Mix_LoadMUS(in_run(name).c_str());
        EXPECT_NE(music, nullptr) << name << ": " << Mix_GetError();
        if (music) Mix_FreeMusic(music);
    }
    EXPECT_NE(themes[0], themes[1]);
    EXPECT_NE(themes[1], themes[2]);
}

// Decodes a theme to interleaved 16-bit samples with the libvorbisfile that SDL_mixer itself
// loads, looked up at run time so the test needs no extra link.
struct Decoder {
    void* lib = dlopen("libvorbisfile.so.3", RTLD_NOW);
    using Open = int (*)(const char*, OggVorbis_File*);
    using Read = long (*)(OggVorbis_File*, char*, int, int, int, int, int*);
    using Clear = int (*)(OggVorbis_File*);
    Open open = lib ? reinterpret_cast<Open>(dlsym(lib, "ov_fopen")) : nullptr;
    Read read = lib ? reinterpret_cast<Read>(dlsym(lib, "ov_read")) : nullptr;
    Clear clear = lib ? reinterpret_cast<Clear>(dlsym(lib, "ov_clear")) : nullptr;
    ~Decoder() {
        if (lib) dlclose(lib);
    }
    bool ready() const { return open && read && clear; }

    std::vector<std::int16_t> decode(const std::string& path) const {
        std::vector<std::int16_t> pcm;
        OggVorbis_File file;
        if (open(path.c_str(), &file) != 0) return pcm;
        char buffer[16384];
        int section = 0;
        for (long n; (n = read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0;) {
            const std::size_t at = pcm.size();
            pcm.resize(at + static_cast<std::size_t>(n) / 2);
            std::memcpy(pcm.data() + at, buffer, static_cast<std::size_t>(n));
        }
        clear(&file);
        return pcm;
    }
};

TEST(DataMusic, ThemesLoopWithoutAClickAndNeverFallSilent) {
    const Decoder decoder;
    if (!decoder.ready()) GTEST_SKIP() << "libvorbisfile.so.3 is not loadable: " << dlerror();
    for (const char* name : {"1.m", "2.m", "3.m"}) {
        const std::vector<std::int16_t> pcm = decoder.decode(in_run(name));
        ASSERT_GE(pcm.size(), 2u * 30u * 44100u) << name;
        const std::size_t frames = pcm.size() / 2;
        auto left = [&](std::size_t i) { return static_cast<double>(pcm[2 * i]); };
        auto right = [&](std::size_t i) { return static_cast<double>(pcm[2 * i + 1]); };

        // Typical step between neighbouring samples, to judge the step across the loop point.
        double steps = 0, width = 0;
        for (std::size_t i = 1; i < frames; ++i) {
            steps += std::abs(left(i) - left(i - 1)) + std::abs(right(i) - right(i - 1));
            width += std::abs(left(i) - right(i));
        }
        const double typical = steps / (2.0 * static_cast<double>(frames));
        EXPECT_LT(std::abs(left(0) - left(frames - 1)), 2 * typical + 50) << name << " clicks when it loops (left)";
        EXPECT_LT(std::abs(right(0) - right(frames - 1)), 2 * typical + 50) << name << " clicks when it loops (right)";
        for (std::size_t i = 0; i < 88; ++i) {
            EXPECT_LT(std::abs(left(i)) + std::abs(right(i)), 3000) << name << " does not start from silence";
            EXPECT_LT(std::abs(left(frames - 1 - i)) + std::abs(right(frames - 1 - i)), 3000)
                << name << " does not end in silence";
        }
        EXPECT_GT(width / static_cast<double>(frames), 100) << name << " is mono";

        // Every two seconds of the loop carries music.
        const std::size_t window = 2 * 44100;
        for (std::size_t start = 0; start + window <= frames; start += window) {
            double energy = 0;
            for (std::size_t i = start; i < start + window; ++i) energy += left(i) * left(i) + right(i) * right(i);
            EXPECT_GT(std::sqrt(energy / (2.0 * window)), 1000)
                << name << " is nearly silent at " << static_cast<double>(start) / 44100 << " s";
        }
    }
}

// ---- caves -------------------------------------------------------------------------------

TEST(DataCaves, RunDirectoryHasTheFirstCavesWalledWithOneStart) {
    for (int n = 0; n < 3; ++n) {
        const std::string name = "level" + std::to_string(n) + ".txt";
        std::ifstream in(in_run(name));
        ASSERT_TRUE(in) << name << " missing from the run directory";
        std::vector<std::string> rows;
        for (std::string row; std::getline(in, row);) rows.push_back(row);
        ASSERT_EQ(rows.size(), 20u) << name;
        int starts = 0;
        for (std::size_t y = 0; y < rows.size(); ++y) {
            ASSERT_EQ(rows[y].size(), 25u) << name << " row " << y;
            for (std::size_t x = 0; x < 25; ++x) {
                const char c = rows[y][x];
                EXPECT_NE(std::string("#._*oSE@%abcd").find(c), std::string::npos) << name << " has '" << c << "'";
                if (y == 0 || y == 19 || x == 0 || x == 24) {
                    EXPECT_EQ(c, '#') << name << " ring at " << x << "," << y;
                }
                starts += c == 'S';
            }
        }
        EXPECT_EQ(starts, 1) << name;
    }
}

// ---- the generator -----------------------------------------------------------------------

const std::vector<std::string> GENERATED = {"font.bmp",      "pot5.bmp", "player.bmp",  "title.bmp",
                                            "resources.wav", "shot.wav", "explode.wav", "booom.wav",
                                            "1.m",           "2.m",      "3.m"};

class Generator : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kromblix-data-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }
    std::string dir(const std::string& name) {
        const std::string d = scratch_ + "/" + name;
        fs::create_directories(d);
        return d;
    }
    // Runs a shell command line; returns its exit status.
    static int run(const std::string& command) {
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::string quoted(const std::string& s) { return "'" + s + "'"; }
    std::string scratch_;
};

TEST_F(Generator, AFreshRunRepeatsTheBuildsBytes) {
    // The build's own run made the run directory; a second run, now and into an empty
    // directory, must give every file byte for byte. (Comparing against the build rather than
    // a third run keeps this test to one generator run.)
    const std::string fresh = dir("fresh");
    ASSERT_EQ(run(quoted(generator()) + " --out " + quoted(fresh)), 0);
    for (const std::string& name : GENERATED) {
        const auto bytes = read_bytes(fresh + "/" + name);
        ASSERT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == read_bytes(in_run(name))) << name << " differs from the build's copy";
    }
}

TEST_F(Generator, RefusesBadCommandLinesAndMissingFonts) {
    const std::string out = dir("out"), gen = quoted(generator());
    EXPECT_EQ(run(gen + " 2>/dev/null"), 2) << "no output directory";
    EXPECT_EQ(run(gen + " --out " + quoted(out) + " --only nothing.bmp 2>/dev/null"), 2);
    EXPECT_EQ(run(gen + " --out " + quoted(out) + " --colour red 2>/dev/null"), 2);
    EXPECT_EQ(run(gen + " --out " + quoted(out) + " --fonts " + quoted(scratch_) + " --only font.bmp 2>/dev/null"), 1);
    EXPECT_FALSE(fs::exists(out + "/font.bmp"));
}

TEST_F(Generator, RefusesBrokenArtAndNamesTheLine) {
    const std::string out = dir("out"), art = dir("art");
    const std::string log = scratch_ + "/log";
    auto write_tiles = [&](const std::string& text) { std::ofstream(art + "/tiles.txt") << text; };
    auto attempt = [&] {
        return run(quoted(generator()) + " --out " + quoted(out) + " --art " + quoted(art) + " --only pot5.bmp 2>" +
                   quoted(log));
    };
    auto logged = [&] {
        const auto b = read_bytes(log);
        return std::string(b.begin(), b.end());
    };

    write_tiles("colour . clear\ncolour x 102030\nframe rock\n" + std::string(31, 'x') + "\n");
    EXPECT_NE(attempt(), 0);
    EXPECT_NE(logged().find("tiles.txt:4"), std::string::npos) << logged();

    write_tiles("colour . clear\ncolour w FFFFFF\n");
    EXPECT_NE(attempt(), 0) << "exact white would turn transparent in the game";
    EXPECT_NE(logged().find("tiles.txt:2"), std::string::npos) << logged();

    std::string frames = "colour . clear\ncolour x 102030\n";
    for (const char* name : {"rock", "diamond1", "diamond2", "dirt"}) {
        frames += std::string("frame ") + name + "\n";
        for (int y = 0; y < 32; ++y) frames += (y == 5 ? std::string(31, 'x') + "." : std::string(32, 'x')) + "\n";
    }
    write_tiles(frames);
    EXPECT_NE(attempt(), 0) << "a hole in the dirt must be refused";
    EXPECT_FALSE(fs::exists(out + "/pot5.bmp"));
    EXPECT_FALSE(fs::exists(out + "/pot5.bmp.part")) << "a failed file must not be left behind";
}

}  // namespace
