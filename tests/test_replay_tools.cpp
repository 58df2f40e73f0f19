// The pieces of the replay runner and the recorder: reading replays, the event lines the game
// records, choosing screenshots, the frame record's grid rows and PNG files.
#include "platform/event_recorder.h"
#include "platform/platform.h"
#include "sim/game_state.h"
#include "tests/support/test_env.h"
#include "tools/replay/frame_record.h"
#include "tools/replay/png_io.h"
#include "platform/replay_file.h"
#include "tools/replay/screenshots.h"

#include <sys/resource.h>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>

using namespace test_env;
using replay::EventKind;

// The events as "TICK down|up|quit KEY @LINE; ...", KEY as SDL's number.
std::string described(const replay::Replay& r) {
    std::string s;
    for (const replay::ReplayEvent& e : r.events)
        s += std::to_string(e.tick) +
             (e.kind == EventKind::quit     ? " quit "
              : e.kind == EventKind::key_up ? " up "
                                            : " down ") +
             std::to_string(e.key) + " @" + std::to_string(e.line) + "; ";
    return s;
}

TEST(ReplayFile, ReadsEventsCommentsAndRelativeTimes) {
    const replay::Replay r = replay::parse_replay(
        "# a comment line\n\n1000 down SPACE   # trailing comment\n  +100   UP space\r\n+0 down left\n"
        "1500 up LEFT\n2000 down 3\n2000 quit");
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(described(r),
              "1000 down 32 @3; 1100 up 32 @4; 1100 down 276 @5; 1500 up 276 @6; 2000 down 51 @7; 2000 quit 0 @8; ");
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
        {"1 quit\n86400001 quit", "line 2: time 86400001 is too late: a replay ends within 24 hours (86400000 ms)"},
        {"86400000 down UP\n+1 up UP", "line 2: time 86400001 is too late"},
        {"5 quit\n+18446744073709551615 quit", "line 2: time 18446744073709551615 is too late"},
        // A bad word is shown escaped and cut: no terminal escape reaches the message.
        {"1 down \x1b]2;pwned\x07\\"
         "0123456789012345678901234567890123456789012345678901234567890",
         "line 1: unknown key \"\\x1b]2;pwned\\x07\\\\0123456789012345678901234567890123456789012345678...\" (keys:"},
    };
    for (const auto& [text, message] : cases) {
        const replay::Replay r = replay::parse_replay(text);
        EXPECT_NE(r.error.find(message), std::string::npos) << text << " gave: " << r.error;
        EXPECT_TRUE(r.events.empty()) << text;
    }
    EXPECT_EQ(replay::read_replay_file("/no/such/replay.txt").error,
              "cannot read \"/no/such/replay.txt\": No such file or directory");
    EXPECT_EQ(replay::read_replay_file("/").error, "cannot read \"/\": it is a directory");
}

TEST(ReplayFile, WrittenEventsReadBackAndOthersAreNotWritten) {
    const replay::Replay r = replay::parse_replay(
        "1 down P\n2 up m\n3 down MINUS\n4 down EQUALS\n5 down F11\n"
        "6 down alt+return\n7 focus lost\n8 FOCUS gained\n");
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.events.size(), 8u);
    char line[64];
    std::string written;
    for (const replay::ReplayEvent& e : r.events) {
        ASSERT_TRUE(format_replay_event(replay::to_sdl_event(e), e.tick, line, sizeof line)) << e.line;
        written += line;
    }
    EXPECT_EQ(written,
              "1 down P\n2 up M\n3 down MINUS\n4 down EQUALS\n5 down F11\n6 down ALT+RETURN\n"
              "7 focus lost\n8 focus gained\n");
    EXPECT_FALSE(format_replay_event(key_event(SDL_KEYDOWN, SDLK_RETURN), 1, line, sizeof line)) << "Enter alone";
    SDL_Event mouse{};
    mouse.type = SDL_ACTIVEEVENT;
    mouse.active.state = SDL_APPMOUSEFOCUS;
    EXPECT_FALSE(format_replay_event(mouse, 1, line, sizeof line)) << "mouse focus is no focus change";
    mouse.active.state = SDL_APPACTIVE;  // minimized
    ASSERT_TRUE(format_replay_event(mouse, 9, line, sizeof line));
    EXPECT_STREQ(line, "9 focus lost\n");
    EXPECT_NE(replay::parse_replay("1 focus away").error.find("a focus event is"), std::string::npos);
    // Events the format does not hold are not written.
    ASSERT_TRUE(format_replay_event(key_event(SDL_KEYUP, SDLK_9), 7, line, sizeof line));
    EXPECT_STREQ(line, "7 up 9\n");
    EXPECT_FALSE(format_replay_event(key_event(SDL_KEYDOWN, SDLK_a), 1, line, sizeof line));
    SDL_Event other{};
    other.type = SDL_VIDEOEXPOSE;
    EXPECT_FALSE(format_replay_event(other, 1, line, sizeof line));
    EXPECT_FALSE(format_replay_event(key_event(SDL_KEYDOWN, SDLK_SPACE), 1, line, 8)) << "too small a buffer";
    EXPECT_STREQ(line, "");
}

// The mouse and the editor's keys: written as read, points kept inside the picture, the rest refused.
TEST(ReplayFile, MouseEventsAndEditorKeysReadBackAsWritten) {
    const char* text =
        "1 mouse move 0 0\n2 mouse down 799 699 LEFT\n3 mouse up 31 640 RIGHT\n4 mouse down 5 6 WHEELUP\n"
        "5 mouse up 5 6 WHEELDOWN\n6 mouse down 7 8 MIDDLE\n7 down PAGEUP\n8 up PAGEDOWN\n9 down Z\n10 down T\n";
    const replay::Replay r = replay::parse_replay(text);
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.events.size(), 10u);
    EXPECT_EQ(r.events[1].kind, EventKind::mouse_down);
    EXPECT_EQ(r.events[1].button, SDL_BUTTON_LEFT);
    EXPECT_EQ(r.events[2].y, 640);
    char line[64];
    std::string written;
    for (const replay::ReplayEvent& e : r.events) {
        ASSERT_TRUE(format_replay_event(replay::to_sdl_event(e), e.tick, line, sizeof line)) << e.line;
        written += line;
    }
    EXPECT_EQ(written, text);
    // SDL reads a point on fullscreen's right bar as 800: it is written as the picture's last column.
    SDL_Event edge{};
    edge.type = SDL_MOUSEMOTION;
    edge.motion.x = 800;
    edge.motion.y = 700;
    ASSERT_TRUE(format_replay_event(edge, 3, line, sizeof line));
    EXPECT_STREQ(line, "3 mouse move 799 699\n");
    edge.type = SDL_MOUSEBUTTONDOWN;
    edge.button.button = 9;
    EXPECT_FALSE(format_replay_event(edge, 3, line, sizeof line)) << "a button the format lacks";
    const std::pair<const char*, const char*> bad[] = {
        {"1 mouse move 800 0", "not a point of the picture"},
        {"1 mouse move 0 700", "not a point of the picture"},
        {"1 mouse move -1 0", "not a point of the picture"},
        {"1 mouse move 1 2 LEFT", "a mouse event is"},
        {"1 mouse down 1 2", "a mouse event is"},
        {"1 mouse down 1 2 LEFT extra", "a mouse event is"},
        {"1 mouse click 1 2 LEFT", "a mouse event is"},
        {"1 mouse down 1 2 THUMB", "unknown mouse button \"THUMB\""},
    };
    for (const auto& [bad_text, message] : bad)
        EXPECT_NE(replay::parse_replay(bad_text).error.find(message), std::string::npos) << bad_text;
    // Two long words of bytes that are shown escaped: the message still names one word only.
    const std::string long_word(80, '\xc4');
    const std::string error = replay::parse_replay("1 mouse move " + long_word + " " + long_word).error;
    EXPECT_NE(error.find("X \"\\xc4"), std::string::npos) << error;
    EXPECT_LE(error.size(), 400u) << error;
}

TEST(Screenshots, SelectionsChooseFramesByNumberAndKind) {
    replay::ShotSelection s;
    std::string error;
    ASSERT_TRUE(replay::parse_shot_selection("3,10-12,game_over,title:2,congrats:5-6", s, error)) << error;
    const std::tuple<int, FrameKind, int, bool> cases[] = {
        {3, FrameKind::cave, 1, true},    {4, FrameKind::cave, 2, false},       {12, FrameKind::death, 1, true},
        {13, FrameKind::death, 2, false}, {400, FrameKind::game_over, 2, true}, {50, FrameKind::title, 2, true},
        {50, FrameKind::title, 3, false}, {60, FrameKind::congrats, 4, false},  {61, FrameKind::congrats, 6, true}};
    for (auto [number, kind, of_kind, wanted] : cases)
        EXPECT_EQ(replay::shot_wanted(s, number, kind, of_kind), wanted) << number;

    ASSERT_TRUE(replay::parse_shot_selection("all", s, error));
    EXPECT_TRUE(replay::shot_wanted(s, 123456, FrameKind::death, 99));
    for (const char* bad : {"", "0", "4-2", "fog", "game:x", "title:0", "1,,2", "3-", "game:2:3"}) {
        EXPECT_FALSE(replay::parse_shot_selection(bad, s, error)) << bad;
        EXPECT_TRUE(s.items.empty()) << bad;
    }
    EXPECT_EQ(replay::shot_file_name(42, FrameKind::game_over), "frame-000042-game_over.png");
}

using FrameRecord = GameTest;

// (The blocks' fields, sounds, themes and shots are pinned by the replays' digests: test_digests.cpp.)
TEST_F(FrameRecord, GridRowsEscapeWhatIsNotPrintable) {
    set_cave(blank());
    for (auto [x, code] : {std::pair{1, '\\'}, {2, '\0'}, {3, '\xff'}, {4, ' '}})
        set_cell(x, 1, static_cast<std::uint8_t>(code));
    EXPECT_EQ(replay::grid_row_text(game, 1), "#\\\\\\x00\\xff\\x20" + std::string(19, '.') + "#");
    EXPECT_EQ(replay::grid_row_text(game, 0), std::string(25, '#'));
}

TEST(Png, WrittenPicturesReadBackPixelForPixelAndByteForByte) {
    ScratchDir scratch;
    SDL_Surface* s = image(37, 23);
    Pixels want;  // the top byte is not a colour
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            want.push_back((px(s, x, y) = static_cast<std::uint32_t>(x * 0x070503 + y * 0x0b0d11) | 0x01000000u) &
                           0xFFFFFF);
    std::string error;
    ASSERT_TRUE(replay::write_png("a.png", s, error)) << error;
    ASSERT_TRUE(replay::write_png("b.png", s, error)) << error;
    EXPECT_EQ(slurp("a.png"), slurp("b.png"));

    replay::Image back;
    ASSERT_TRUE(replay::read_png("a.png", back, error)) << error;
    EXPECT_EQ(std::pair(back.width, back.height), std::pair(37, 23));
    EXPECT_EQ(back.pixels, want);
    SDL_FreeSurface(s);

    EXPECT_FALSE(replay::read_png("missing.png", back, error));
    std::ofstream("junk.png") << "not a picture";
    EXPECT_FALSE(replay::read_png("junk.png", back, error));
    EXPECT_FALSE(replay::write_png("no/such/dir/c.png", back, error));
}

// The recorder stamps each event with the game clock, which only sleeps move; an event that
// arrives after an empty poll at some tick waits for the next tick, where the runner's rule
// (first poll at or after the event's tick) also hands it out.
class Recorder : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        for (SDL_Event drain; SDL_PollEvent(&drain);) {}
    }
    void TearDown() override {
        GameTest::TearDown();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    // Pushes an event into SDL's queue; the type of what the game's next poll takes, or 0.
    static int push_and_poll(SDL_Event e, SDL_Event& got) {
        if (e.type != SDL_NOEVENT) SDL_PushEvent(&e);
        got = SDL_Event{};
        return plat_poll_event(&got) ? got.type : 0;
    }
    ScratchDir scratch;
};

TEST_F(Recorder, StampsEventsWithTheGameClockAndHoldsLateOnes) {
    ASSERT_TRUE(start_event_recording("session.txt"));
    EXPECT_EQ(plat_ticks(), 0u);
    SDL_Event got;
    EXPECT_EQ(push_and_poll(key_event(SDL_KEYDOWN, SDLK_SPACE), got), SDL_KEYDOWN);
    EXPECT_EQ(push_and_poll({}, got), 0);
    // Arrives after the empty poll at tick 0: held until the clock moves.
    EXPECT_EQ(push_and_poll(key_event(SDL_KEYUP, SDLK_SPACE), got), 0);
    plat_delay(5);
    EXPECT_EQ(plat_ticks(), 5u);
    EXPECT_EQ(push_and_poll({}, got), SDL_KEYUP);
    // Keys outside the format reach the game but are not written.
    EXPECT_EQ(push_and_poll(key_event(SDL_KEYDOWN, SDLK_a), got), SDL_KEYDOWN);
    EXPECT_EQ(got.key.keysym.sym, SDLK_a);
    // A loop that polls without sleeping moves the clock by 1 ms every REPLAY_SPIN_POLLS polls.
    for (int i = 0; i < REPLAY_SPIN_POLLS; ++i) EXPECT_EQ(plat_poll_event(&got), 0);
    EXPECT_EQ(plat_ticks(), 6u);
    EXPECT_EQ(push_and_poll(quit_event(), got), SDL_QUIT);

    const std::string text = slurp("session.txt");
    EXPECT_NE(text.find("\n0 down SPACE\n5 up SPACE\n6 quit\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("#", 0), 0u) << "starts with a comment naming what it is";
    EXPECT_EQ(replay::parse_replay(text).events.size(), 3u);
}

TEST_F(Recorder, ClockKeepsPaceWithRealTime) {
    ASSERT_TRUE(start_event_recording("session.txt"));
    const Uint32 start_ms = SDL_GetTicks();
    for (int i = 0; i < 60; ++i) plat_delay(1);
    EXPECT_EQ(plat_ticks(), 60u);
    EXPECT_GE(SDL_GetTicks() - start_ms, 59u) << "the game's sleeps are real sleeps";
    EXPECT_FALSE(start_event_recording("no/such/dir/session.txt"));
    EXPECT_EQ(plat_ticks(), 60u) << "a failed start keeps the hooks it found";
}

TEST_F(Recorder, WriteFailuresAreReportedOnceAndTheGameGoesOn) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(start_event_recording("/dev/full"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "recording stopped: cannot write to \"/dev/full\": No space left on device\n");

    // The file may grow by the header and a few events; the rest fails with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 140;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(start_event_recording("session.txt"));
    SDL_Event got;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(push_and_poll(key_event(SDL_KEYDOWN, SDLK_LEFT), got), SDL_KEYDOWN) << "every event reaches the game";
        plat_delay(10);
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "recording stopped: cannot write to \"session.txt\": File too large\n");
    EXPECT_EQ(plat_ticks(), 200u) << "the recording clock goes on";
    const std::string text = slurp("session.txt");
    EXPECT_EQ(text.back(), '\n') << "the replay holds whole lines up to the failure";
    EXPECT_GE(replay::parse_replay(text).events.size(), 1u) << text;
}
