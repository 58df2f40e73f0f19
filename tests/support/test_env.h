// What the suites share: the game on a virtual millisecond clock with every sound, shown frame
// and poll recorded or scripted; an 800 by 700 screen (optionally inside a guard border) and
// small stand-in bitmaps; caves as 20 rows of text; counting rand() draws; scratch directories
// and child processes.
#pragma once

// The platform before the game record: FrameKind::cave would otherwise trip -Wshadow.
#include "platform/platform.h"
#include "render/canvas.h"
#include "sim/game_state.h"  // IWYU pragma: keep (every suite uses the game record)

#include <SDL.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace test_env {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;
using Pixels = std::vector<std::uint32_t>;

struct SoundStart {
    int channel;
    SoundId sound;
    bool operator==(const SoundStart&) const = default;
};

extern std::uint32_t now_ms;            // the virtual clock: only plat_delay moves it
extern std::uint64_t slept_ms;          // every sleep since the reset
extern std::vector<SoundStart> sounds;  // every sound started since the reset, in order
extern std::vector<FrameKind> frames;   // every frame shown since the reset, in order
// What plat_poll_event hands out, front first; an SDL_NOEVENT entry is one empty poll.
extern std::deque<SDL_Event> events;

// ---- pictures ----
// A 32-bit software surface in the screen's 0x00RRGGBB layout.
SDL_Surface* image(int w, int h, std::uint32_t fill = 0);
// Puts a bitmap in one of game's slots, freeing what it held; the next title frame is drawn whole.
void replace(SDL_Surface*& slot, SDL_Surface* s);
inline std::uint32_t& px(SDL_Surface* s, int x, int y) { return *pixel_at(s, x, y); }
inline std::uint32_t& scr(int x, int y) { return px(gfx.screen, x, y); }
inline void fill_screen(std::uint32_t colour) { fill_rect(0, 0, SCREEN_W - 1, SCREEN_H - 1, colour); }

// An 800 by 700 screen, black, inside a larger buffer with 64 sentinel pixels on every side.
struct GuardedScreen {
    static constexpr int G = 64, PITCH = SCREEN_W + 2 * G;
    Pixels buffer = Pixels(static_cast<std::size_t>(PITCH * (SCREEN_H + 2 * G)), 0xDEADBEEF);
    GuardedScreen();
    bool guard_intact() const;
};

// A BMP file of w by h pixels (h below 0: its rows stored top-down) at `bits` a pixel: a 40-byte
// header (12 bytes for info 12; after it the 16-bit masks for compression 3), a palette of 2^bits
// entries up to 8 bits, then the rows, each padded to 4 bytes (at 8 bits and more, neighbouring
// pixels differ; below, they are zero); or, with `data` given, that many bytes of zeros instead.
std::vector<std::uint8_t> bmp_file(int w, int h, int bits, std::uint32_t compression = 0, std::size_t data = SIZE_MAX,
                                   std::uint32_t info = 40);

// ---- caves ----
void set_cave(const Rows& rows);  // 20 rows of 25 cells
Rows cave_rows();
// A cave of fill (EMPTY by default), with WALL all along its outer ring unless it is to be open.
Rows blank(bool ring = true, char fill = '.');
// Copies a picture into the rows with its top-left corner at (x, y); ' ' keeps the cell.
Rows& paste(Rows& rows, int x, int y, std::initializer_list<const char*> picture);
inline Rows paste(Rows&& rows, int x, int y, std::initializer_list<const char*> picture) {
    return paste(rows, x, y, picture);
}
// The cave with the player standing on (x, y), no key held and no direction.
void start(Rows rows, int x, int y);

// ---- rand() ----
// Every plat_rand() returns roll while it is 0 or more; at -1 (after a reset) the C library's.
extern int roll;
extern int rand_calls;  // plat_rand() draws since the reset
// How many draws `draw` makes.
template <typename F>
int rand_draws(F&& draw) {
    const int before = rand_calls;
    draw();
    return rand_calls - before;
}

// ---- files, events and processes ----
std::string slurp(const fs::path& path);
Rows lines_of(const std::string& text);
SDL_Event key_event(Uint8 type, SDLKey key);
SDL_Event quit_event();

// Changes into a fresh scratch directory for its lifetime, and back after.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    fs::path path, old_path;
};

struct Outcome {
    int status = -1;  // exit status, or 128 + the signal
    std::string out, err;
    long max_rss_kb = 0;  // the largest resident size it reached
};
// Runs args[0] in dir with the dummy SDL drivers and env added. With stop_ms >= 0, sends SIGTERM
// (the game ends with status 128 + 15) stop_ms after `ready` exists (or after the start); kills
// what still runs after 5 minutes (a sanitizer build plays all the cave solutions in one or two).
// Its streams go to dir/stdout.txt and dir/stderr.txt.
Outcome run_program(const std::vector<std::string>& args, const fs::path& dir, const std::vector<std::string>& env = {},
                    int stop_ms = -1, const fs::path& ready = {});

// ---- the replay runner's frame record ----
// One block of the frame record, or the closing exit block (kind "exit", number the status).
struct Block {
    int number = 0;
    std::string kind;
    std::map<std::string, std::string> fields;
    Rows grid;
    std::vector<std::string> sounds;  // "1 explode.wav"
    std::vector<int> music;           // the themes started
    int get(const std::string& name) const { return std::stoi(fields.at(name)); }
};

// The blocks of a frame record, in order.
std::vector<Block> parse_record(const std::string& text);
// Copies the generated media (bitmaps, sounds, music) of the build's run directory into dir.
void copy_media(const fs::path& dir);

// Resets game to all zero, installs the virtual hooks and clears the records before each test;
// gives game an ordinary 800 by 700 screen and stand-in bitmaps: an 8-pixel font inked in cell
// columns 1..5 and rows 1..6 (0xC0C0C0), four tiles with a white border around 0x203040 * (t + 1),
// a white player sheet with one green line and a flat title picture. Frees them after.
class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// A GameTest in a scratch directory of its own, for the level files.
class SimTest : public GameTest {
protected:
    ScratchDir scratch;
    // Writes rows as levelINDEX.txt, "\r\n" after each.
    static void write_level(int index, const Rows& rows);
};

}  // namespace test_env
