// kromblix --watch REPLAY shows the frames kromblix-replay records for the same replay: the real
// game runs here in-process with --watch (at full speed), its frames written as the runner writes
// its record, and the two records must be equal, ticks, grids, sounds and music included.
#include "app/game_main.h"
#include "platform/platform.h"
#include "platform/viewer_keys.h"
#include "platform/watch_replay.h"
#include "sim/game_state.h"
#include "tests/support/test_env.h"
#include "tools/replay/frame_record.h"

#include <SDL.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace test_env;

namespace {

// What the runner's hooks keep: sounds and themes since the last block, whether music plays.
struct Watched {
    std::FILE* record = nullptr;
    std::vector<replay::SoundStart> sounds;
    std::vector<int> themes;
    bool music = false;
    int frames = 0;
};
Watched watched;

replay::Starts starts() { return {watched.sounds, watched.themes}; }
void sound(int channel, SoundId id) { watched.sounds.push_back({channel, id}); }
void music_play(int theme) {
    watched.themes.push_back(theme);
    watched.music = true;
}
void music_halt() { watched.music = false; }
void music_fade(int) { watched.music = false; }
int music_playing() { return watched.music ? 1 : 0; }
void frame_shown(FrameKind kind) {
    replay::write_frame_block(watched.record, ++watched.frames, kind, plat_ticks(), game, starts(), nullptr);
    watched.sounds.clear();
    watched.themes.clear();
}

// Runs `replay` with kromblix-replay and with kromblix --watch in `dir`; both records.
std::array<std::string, 2> both_records(const fs::path& dir, const fs::path& replay) {
    const Outcome runner =
        run_program({KROMBLIX_REPLAY_TOOL, "-C", dir.string(), "-o", (dir / "runner.txt").string(), replay.string()}, dir);
    EXPECT_EQ(runner.status, 0) << runner.err;

    watched.record = std::fopen((dir / "watched.txt").c_str(), "w");
    PlatformHooks hooks;
    hooks.play = sound;
    hooks.music_play = music_play;
    hooks.music_halt = music_halt;
    hooks.music_fade_out = music_fade;
    hooks.music_playing = music_playing;
    hooks.frame_shown = frame_shown;
    set_platform_hooks(hooks);
    set_watch_real_time(false);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("KROMBLIX_RECORD");
    std::string file = replay.string();
    std::array<char*, 3> argv{const_cast<char*>("kromblix"), const_cast<char*>("--watch"), file.data()};
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const int status = game_main(3, argv.data());
    fs::current_path(before);
    replay::write_exit_block(watched.record, status, plat_ticks(), starts());
    std::fclose(watched.record);
    return {slurp(dir / "runner.txt"), slurp(dir / "watched.txt")};
}

void copy_into(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

}  // namespace

// Deaths, the game-over screen, the title again and the quit there.
TEST(Watch, ShowsTheRunnersFramesOfAGameLost) {
    ScratchDir dir;
    copy_media(dir.path);
    for (const char* cave : {"level0.txt", "level1.txt"})
        copy_into(fs::path(KROMBLIX_SOURCE_DIR) / "tests/replays/caves" / cave, dir.path / cave);
    const auto records = both_records(dir.path, fs::path(KROMBLIX_SOURCE_DIR) / "tests/replays/game_over.txt");
    EXPECT_NE(records[0].find(" game_over\n"), std::string::npos);
    EXPECT_EQ(records[0], records[1]);
}

// A shipped solution with pushes, a blast and the cave-complete animation; the replay has no
// quit of its own after the tail, so the end comes from the watch as from the runner.
TEST(Watch, ShowsTheRunnersFramesOfASolution) {
    ScratchDir dir;
    copy_media(dir.path);
    copy_into(fs::path(KROMBLIX_SOURCE_DIR) / "data/level14.txt", dir.path / "level0.txt");
    std::string replay = slurp(fs::path(KROMBLIX_SOURCE_DIR) / "data/solutions/level14.replay");
    replay.resize(replay.rfind(" quit") == std::string::npos ? replay.size() : replay.rfind('\n', replay.rfind(" quit")) + 1);
    const fs::path file = dir.path / "no_quit.replay";
    std::FILE* out = std::fopen(file.c_str(), "w");
    std::fputs(replay.c_str(), out);
    std::fclose(out);
    const auto records = both_records(dir.path, file);
    EXPECT_NE(records[0].find(" congrats\n"), std::string::npos);
    EXPECT_EQ(records[0], records[1]);
}

// The viewer's keys, shared by --watch and the editor's route watch: P and F steer the watching,
// ESC or a window close leaves (never paused), and every other event is taken and dropped.
namespace {

std::vector<SDL_Event> pending;

int poll_pending(SDL_Event* event) {
    if (pending.empty()) return 0;
    *event = pending.front();
    pending.erase(pending.begin());
    return 1;
}

SDL_Event key(SDLKey sym, Uint8 type = SDL_KEYDOWN) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = sym;
    return event;
}

}  // namespace

TEST(Watch, ViewerKeysSteerTheWatchingOnly) {
    ViewerKeys keys;
    pending = {key(SDLK_SPACE), key(SDLK_p, SDL_KEYUP), key(SDLK_RIGHT)};
    EXPECT_FALSE(read_viewer_keys(keys, poll_pending));
    EXPECT_TRUE(pending.empty());
    EXPECT_FALSE(keys.paused || keys.leaving || keys.closed);
    EXPECT_EQ(keys.speed, 1u);

    pending = {key(SDLK_p), key(SDLK_f)};
    EXPECT_TRUE(read_viewer_keys(keys, poll_pending));
    EXPECT_TRUE(keys.paused);
    EXPECT_EQ(keys.speed, VIEWER_FAST);
    pending = {key(SDLK_f)};
    EXPECT_TRUE(read_viewer_keys(keys, poll_pending));
    EXPECT_EQ(keys.speed, 1u);

    // Leaving while paused leaves running, and it is not a window close.
    pending = {key(SDLK_ESCAPE)};
    EXPECT_TRUE(read_viewer_keys(keys, poll_pending));
    EXPECT_TRUE(keys.leaving);
    EXPECT_FALSE(keys.paused || keys.closed);

    ViewerKeys closing;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    pending = {quit};
    read_viewer_keys(closing, poll_pending);
    EXPECT_TRUE(closing.leaving && closing.closed);
}
