// The pieces of the replay runner and the recorder: reading replays, the event lines the game
// records, choosing screenshots, the frame record's text and PNG files.
#include "platform/event_recorder.h"
#include "tests/support/test_env.h"
#include "tools/replay/frame_record.h"
#include "tools/replay/png_io.h"
#include "tools/replay/replay_file.h"
#include "tools/replay/screenshots.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using replay::EventKind;

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

SDL_Event key_event(Uint8 type, SDLKey key) {
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.keysym.sym = key;
    return e;
}

TEST(ReplayFile, ReadsEventsCommentsAndRelativeTimes) {
    const replay::Replay r = replay::parse_replay(
        "# a comment line\n"
        "\n"
        "1000 down SPACE   # trailing comment\n"
        "  +100   UP space\r\n"
        "+0 down left\n"
        "1500 up LEFT\n"
        "2000 down 3\n"
        "2000 quit");
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.events.size(), 6u);
    EXPECT_EQ(r.events[0].tick, 1000u);
    EXPECT_EQ(r.events[0].kind, EventKind::key_down);
    EXPECT_EQ(r.events[0].key, SDLK_SPACE);
    EXPECT_EQ(r.events[0].line, 3);
    EXPECT_EQ(r.events[1].tick, 1100u);
    EXPECT_EQ(r.events[1].kind, EventKind::key_up);
    EXPECT_EQ(r.events[2].tick, 1100u);
    EXPECT_EQ(r.events[2].key, SDLK_LEFT);
    EXPECT_EQ(r.events[4].key, SDLK_3);
    EXPECT_EQ(r.events[5].kind, EventKind::quit);
    EXPECT_EQ(r.events[5].line, 8);
    EXPECT_TRUE(replay::parse_replay("").events.empty());
}

TEST(ReplayFile, RefusesWhatIsNotAReplayNamingTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"10 down JUMP", "line 1: unknown key \"JUMP\""},
        {"10 press SPACE", "line 1: unknown event \"press\""},
        {"\n200 quit\n100 quit", "line 3: time 100 comes before the previous event's 200"},
        {"10 down", "line 1: a key event is"},
        {"10 down UP DOWN", "line 1: a key event is"},
        {"10", "line 1: an event needs a kind"},
        {"1e3 quit", "line 1: \"1e3\" is not a time"},
        {"-5 quit", "line 1: \"-5\" is not a time"},
        {"10 quit ESC", "line 1: quit takes no key"},
        {"3000000000 quit", "line 1: time 3000000000 is too late"},
    };
    for (const auto& [text, message] : cases) {
        const replay::Replay r = replay::parse_replay(text);
        EXPECT_NE(r.error.find(message), std::string::npos) << text << " gave: " << r.error;
        EXPECT_TRUE(r.events.empty()) << text;
    }
    EXPECT_NE(replay::read_replay_file("/no/such/replay.txt").error.find("/no/such/replay.txt"), std::string::npos);
}

TEST(ReplayFile, RecordedLinesReadBackAsTheSameEvents) {
    const SDLKey keys[] = {SDLK_SPACE, SDLK_ESCAPE, SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_0, SDLK_9};
    std::string text;
    std::uint32_t tick = 7;
    for (SDLKey key : keys)
        for (Uint8 type : {Uint8{SDL_KEYDOWN}, Uint8{SDL_KEYUP}}) {
            char line[64];
            ASSERT_TRUE(format_replay_event(key_event(type, key), tick++, line, sizeof line));
            text += line;
        }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    char line[64];
    ASSERT_TRUE(format_replay_event(quit, 99, line, sizeof line));
    EXPECT_STREQ(line, "99 quit\n");
    text += line;

    const replay::Replay r = replay::parse_replay(text);
    ASSERT_EQ(r.error, "") << text;
    ASSERT_EQ(r.events.size(), 17u);
    for (std::size_t i = 0; i < 16; ++i) {
        const SDL_Event back = replay::to_sdl_event(r.events[i]);
        EXPECT_EQ(back.key.keysym.sym, keys[i / 2]);
        EXPECT_EQ(back.type, i % 2 ? SDL_KEYUP : SDL_KEYDOWN);
        EXPECT_EQ(r.events[i].tick, 7 + i);
    }
    EXPECT_EQ(replay::to_sdl_event(r.events[16]).type, SDL_QUIT);

    // Keys and events the format does not hold are not written.
    EXPECT_FALSE(format_replay_event(key_event(SDL_KEYDOWN, SDLK_a), 1, line, sizeof line));
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    EXPECT_FALSE(format_replay_event(motion, 1, line, sizeof line));
    EXPECT_FALSE(format_replay_event(key_event(SDL_KEYDOWN, SDLK_SPACE), 1, line, 8)) << "too small a buffer";
    EXPECT_STREQ(line, "");
    SDLKey key = SDLK_UNKNOWN;
    EXPECT_TRUE(replay_key_from_name("esc", key));
    EXPECT_EQ(key, SDLK_ESCAPE);
    EXPECT_FALSE(replay_key_from_name("ESCAPE", key));
}

TEST(Screenshots, SelectionsChooseFramesByNumberAndKind) {
    replay::ShotSelection s;
    std::string error;
    ASSERT_TRUE(replay::parse_shot_selection("3,10-12,game_over,title:2,congrats:5-6", s, error)) << error;
    EXPECT_TRUE(replay::shot_wanted(s, 3, FrameKind::cave, 1));
    EXPECT_FALSE(replay::shot_wanted(s, 4, FrameKind::cave, 2));
    EXPECT_TRUE(replay::shot_wanted(s, 12, FrameKind::death, 1));
    EXPECT_FALSE(replay::shot_wanted(s, 13, FrameKind::death, 2));
    EXPECT_TRUE(replay::shot_wanted(s, 400, FrameKind::game_over, 2));
    EXPECT_TRUE(replay::shot_wanted(s, 50, FrameKind::title, 2));
    EXPECT_FALSE(replay::shot_wanted(s, 50, FrameKind::title, 3));
    EXPECT_FALSE(replay::shot_wanted(s, 60, FrameKind::congrats, 4));
    EXPECT_TRUE(replay::shot_wanted(s, 61, FrameKind::congrats, 6));

    ASSERT_TRUE(replay::parse_shot_selection("all", s, error));
    EXPECT_TRUE(replay::shot_wanted(s, 123456, FrameKind::death, 99));

    for (const char* bad : {"", "0", "4-2", "fog", "game:x", "title:0", "1,,2", "3-", "game:2:3"}) {
        EXPECT_FALSE(replay::parse_shot_selection(bad, s, error)) << bad;
        EXPECT_TRUE(s.items.empty()) << bad;
    }
    EXPECT_EQ(replay::shot_file_name(42, FrameKind::game_over), "frame-000042-game_over.png");
}

class FrameRecord : public test_env::GameTest {};

std::string block_text(int number, FrameKind kind, std::uint32_t tick, std::span<const replay::SoundStart> sounds,
                       const char* shot) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    replay::write_frame_block(out, number, kind, tick, game, sounds, shot);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST_F(FrameRecord, GameBlockHoldsTheCountersThePlayerAndTheGrid) {
    std::vector<std::string> rows = test_env::walled_rows('.');
    rows[3][4] = 'H';
    rows[5][6] = '*';
    test_env::set_cave(rows);
    game.frame_clock = 1200;
    game.step_clock = 1130;
    game.lives = 7;
    game.score = 42;
    game.cave_index = 2;
    game.diamonds_left = -1;
    game.player_x = 4;
    game.player_y = 3;
    game.prev_x = 4;
    game.prev_y = 2;
    game.face_dx = 0;
    game.face_dy = 1;
    const replay::SoundStart sounds[] = {{1, SoundId::collect}, {2, SoundId::blast}};

    std::string expected = "frame 17 game\ntick 1101\nframe_clock 1200\nstep_clock 1130\nlives 7\nscore 42\n"
                           "cave_index 2\ndiamonds_left -1\nplayer 4 3\nprev 4 2\nfacing 0 1\ngrid\n";
    for (const std::string& row : rows) expected += row + "\n";
    expected += "sound 1 explode.wav\nsound 2 booom.wav\nshot frame-000017-game.png\n\n";
    EXPECT_EQ(block_text(17, FrameKind::cave, 1101, sounds, "frame-000017-game.png"), expected);

    // A title block is short: its tick, and what it started and shot.
    EXPECT_EQ(block_text(3, FrameKind::title, 111, {}, nullptr), "frame 3 title\ntick 111\n\n");
}

TEST_F(FrameRecord, GridRowsEscapeWhatIsNotPrintable) {
    test_env::set_cave(test_env::walled_rows('.'));
    set_cell(1, 1, '\\');
    set_cell(2, 1, 0);
    set_cell(3, 1, 0xff);
    set_cell(4, 1, ' ');
    EXPECT_EQ(replay::grid_row_text(game, 1), "#\\\\\\x00\\xff\\x20" + std::string(19, '.') + "#");
    EXPECT_EQ(replay::grid_row_text(game, 0), std::string(25, '#'));
    EXPECT_STREQ(replay::sound_file_name(SoundId::rock), "resources.wav");
    EXPECT_STREQ(replay::sound_file_name(SoundId::diamond), "shot.wav");
    FrameKind kind = FrameKind::title;
    EXPECT_TRUE(replay::frame_kind_from_name("congrats", kind));
    EXPECT_EQ(kind, FrameKind::congrats);
    EXPECT_FALSE(replay::frame_kind_from_name("Congrats", kind));
}

TEST(Png, WrittenPicturesReadBackPixelForPixelAndByteForByte) {
    test_env::ScratchDir scratch;
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 37, 23, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    auto* px = static_cast<std::uint32_t*>(s->pixels);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            px[y * (s->pitch / 4) + x] = static_cast<std::uint32_t>(x * 0x070503 + y * 0x0b0d11) | 0x01000000u;
    std::string error;
    ASSERT_TRUE(replay::write_png("a.png", s, error)) << error;
    ASSERT_TRUE(replay::write_png("b.png", s, error)) << error;
    EXPECT_EQ(slurp("a.png"), slurp("b.png"));

    replay::Image back;
    ASSERT_TRUE(replay::read_png("a.png", back, error)) << error;
    ASSERT_EQ(back.width, 37);
    ASSERT_EQ(back.height, 23);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            ASSERT_EQ(back.pixels[static_cast<std::size_t>(y * 37 + x)], px[y * (s->pitch / 4) + x] & 0xFFFFFF)
                << x << "," << y << ": the top byte is not a colour";
    SDL_FreeSurface(s);

    EXPECT_FALSE(replay::read_png("missing.png", back, error));
    std::ofstream("junk.png") << "not a picture";
    EXPECT_FALSE(replay::read_png("junk.png", back, error));
    EXPECT_FALSE(replay::write_png("no/such/dir/c.png", back, error));
}

// The recorder stamps each event with the game clock, which only sleeps move; an event that
// arrives after an empty poll at some tick waits for the next tick, where the runner's rule
// (first poll at or after the event's tick) also hands it out.
class Recorder : public test_env::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_Event drain;
        while (SDL_PollEvent(&drain)) {
        }
    }
    void TearDown() override {
        reset_platform_hooks();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        GameTest::TearDown();
    }
};

TEST_F(Recorder, StampsEventsWithTheGameClockAndHoldsLateOnes) {
    test_env::ScratchDir scratch;
    ASSERT_TRUE(start_event_recording("session.txt"));
    EXPECT_EQ(plat_ticks(), 0u);

    SDL_Event e = key_event(SDL_KEYDOWN, SDLK_SPACE);
    ASSERT_EQ(SDL_PushEvent(&e), 0) << SDL_GetError();
    SDL_Event got{};
    ASSERT_EQ(plat_poll_event(&got), 1);
    EXPECT_EQ(got.type, SDL_KEYDOWN);
    EXPECT_EQ(plat_poll_event(&got), 0);

    // Arrives after the empty poll at tick 0: held until the clock moves.
    e = key_event(SDL_KEYUP, SDLK_SPACE);
    SDL_PushEvent(&e);
    EXPECT_EQ(plat_poll_event(&got), 0);
    plat_delay(5);
    EXPECT_EQ(plat_ticks(), 5u);
    ASSERT_EQ(plat_poll_event(&got), 1);
    EXPECT_EQ(got.type, SDL_KEYUP);

    // Keys outside the format reach the game but are not written.
    e = key_event(SDL_KEYDOWN, SDLK_a);
    SDL_PushEvent(&e);
    ASSERT_EQ(plat_poll_event(&got), 1);
    EXPECT_EQ(got.key.keysym.sym, SDLK_a);

    // A loop that polls without sleeping moves the clock by 1 ms every REPLAY_SPIN_POLLS polls.
    for (int i = 0; i < REPLAY_SPIN_POLLS; ++i) EXPECT_EQ(plat_poll_event(&got), 0);
    EXPECT_EQ(plat_ticks(), 6u);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    ASSERT_EQ(plat_poll_event(&got), 1);
    EXPECT_EQ(got.type, SDL_QUIT);

    const std::string text = slurp("session.txt");
    EXPECT_NE(text.find("\n0 down SPACE\n5 up SPACE\n6 quit\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("#", 0), 0u) << "starts with a comment naming what it is";
    EXPECT_EQ(replay::parse_replay(text).events.size(), 3u);
}

TEST_F(Recorder, ClockKeepsPaceWithRealTime) {
    test_env::ScratchDir scratch;
    ASSERT_TRUE(start_event_recording("session.txt"));
    const Uint32 start = SDL_GetTicks();
    for (int i = 0; i < 60; ++i) plat_delay(1);
    EXPECT_EQ(plat_ticks(), 60u);
    EXPECT_GE(SDL_GetTicks() - start, 59u) << "the game's sleeps are real sleeps";
    EXPECT_FALSE(start_event_recording("no/such/dir/session.txt"));
    EXPECT_EQ(plat_ticks(), 60u) << "a failed start keeps the hooks it found";
}

}  // namespace
