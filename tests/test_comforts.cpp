// The player's comforts beside the designed game: gamepads as keys, the window scale, the music
// volume and a theme change without a click, the paused screen, the best-score table.
#include "tests/support/test_env.h"

#include "app/scores.h"
#include "platform/audio.h"
#include "platform/gamepad.h"
#include "platform/volume.h"
#include "platform/window_scale.h"

#include <SDL_mixer.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

using namespace test_env;

// ---- theme changes, heard through SDL's disk audio driver ----

constexpr std::size_t WINDOW = 441 * 2;  // 10 ms of interleaved stereo samples

// The loudness (RMS) of each 10 ms of a stereo capture.
std::vector<double> loudness(const std::vector<std::int16_t>& pcm) {
    std::vector<double> windows;
    for (std::size_t w = 0; (w + 1) * WINDOW <= pcm.size(); ++w) {
        double energy = 0;
        for (std::size_t i = w * WINDOW; i < (w + 1) * WINDOW; ++i) energy += double(pcm[i]) * pcm[i];
        windows.push_back(std::sqrt(energy / WINDOW));
    }
    return windows;
}

// The game's clock runs on what the mixer has mixed, so a busy machine that holds the mixer back
// does not change what is heard.
std::atomic<std::uint32_t> mixed_frames{0};
std::uint32_t mixed_ms() { return static_cast<std::uint32_t>(std::uint64_t{mixed_frames} * 1000 / 44100); }

// Plays theme 1, changes to theme 2 after 1 s (with the game's switch_theme, or by cutting it
// off as the game once did) and returns 2.2 s of what the mixer wrote.
std::vector<std::int16_t> capture_theme_change(bool cut_off) {
    ScratchDir scratch;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (scratch.path / "mix.raw").c_str(), 1);
    EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
    EXPECT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048), 0) << Mix_GetError();
    fs::current_path(KROMBLIX_RUN_DIR);  // the themes' files; the scratch directory's end goes back
    EXPECT_TRUE(load_theme(1) && load_theme(2));
    mixed_frames = 0;
    Mix_SetPostMix([](void*, Uint8*, int bytes) { mixed_frames += static_cast<std::uint32_t>(bytes / 4); }, nullptr);
    PlatformHooks hooks;
    hooks.ticks = mixed_ms;
    set_platform_hooks(hooks);
    plat_music_play(1);
    for (bool changed = false; mixed_ms() < 2200; SDL_Delay(2)) {
        if (!changed && mixed_ms() >= 1000) {
            changed = true;
            if (cut_off) {
                plat_music_halt();
                plat_music_play(2);
            } else {
                switch_theme(2);
            }
        }
        music_tick();
    }
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    reset_platform_hooks();
    free_audio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string bytes = slurp(scratch.path / "mix.raw");
    std::vector<std::int16_t> pcm(bytes.size() / 2);
    std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
    return pcm;
}

// A click is the old theme stopping at full swing. Changed well, the old theme has faded to a
// whisper in the 10 ms before it falls silent (SDL_mixer fades in steps of one buffer, so the
// last step is a tenth or so of the full level), and the new one starts from that silence.
bool changes_without_a_click(const std::vector<std::int16_t>& pcm) {
    const std::vector<double> level = loudness(pcm);
    if (level.size() < 200) return false;
    const double before = std::accumulate(level.begin() + 50, level.begin() + 95, 0.0) / 45;
    std::size_t silent = 95;
    while (silent < level.size() && level[silent] > 50) ++silent;
    if (silent >= level.size()) return false;  // no gap: the new theme began right over the old
    const bool resumes =
        std::any_of(level.begin() + static_cast<long>(silent), level.end(), [](double l) { return l > 1000; });
    return before > 1000 && level[silent - 1] < before / 5 && resumes;
}

TEST(ThemeChange, TheOldThemeFadesOutBeforeTheNewOneStarts) {
    EXPECT_TRUE(changes_without_a_click(capture_theme_change(false)));
    // The check hears the click of the old way.
    EXPECT_FALSE(changes_without_a_click(capture_theme_change(true)));
}

TEST(Volume, MuteKeepsTheMusicLevelAndStepsStayInRange) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // the channel volumes need an open device
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048), 0) << Mix_GetError();
    reset_volume();
    step_music_volume(-1);
    EXPECT_EQ(music_volume(), MAX_VOLUME - MUSIC_VOLUME_STEP);
    toggle_mute();
    EXPECT_TRUE(muted());
    EXPECT_EQ(std::tuple(Mix_VolumeMusic(-1), Mix_Volume(3, -1)), std::tuple(0, 0));
    toggle_mute();
    EXPECT_EQ(Mix_VolumeMusic(-1), MAX_VOLUME - MUSIC_VOLUME_STEP);
    for (int i = 0; i < 20; ++i) step_music_volume(-1);
    EXPECT_EQ(music_volume(), 0);
    for (int i = 0; i < 20; ++i) step_music_volume(1);
    EXPECT_EQ(music_volume(), MAX_VOLUME);
    EXPECT_EQ(Mix_Volume(3, -1), MAX_VOLUME);
    reset_volume();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// ---- gamepads ----

SDL_Event joy(Uint8 type, int index, int value) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_JOYHATMOTION) e.jhat.value = static_cast<Uint8>(value);
    if (type == SDL_JOYAXISMOTION) {
        e.jaxis.axis = static_cast<Uint8>(index);
        e.jaxis.value = static_cast<Sint16>(value);
    }
    if (type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP) e.jbutton.button = static_cast<Uint8>(index);
    return e;
}

// The key events one joystick event turns into, as "down LEFT, up UP".
std::string keys_of(const SDL_Event& event) {
    SDL_Event out[4];
    std::string s;
    const int n = translate_gamepad_event(event, out);
    for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(out[i].type == SDL_KEYDOWN || out[i].type == SDL_KEYUP);
        s += std::string(s.empty() ? "" : ", ") + (out[i].type == SDL_KEYDOWN ? "down " : "up ") +
             SDL_GetKeyName(out[i].key.keysym.sym);
    }
    return s;
}

TEST(Gamepad, HatStickAndButtonsBecomeTheKeyboardsKeyEvents) {
    reset_gamepad_state();
    EXPECT_EQ(keys_of(joy(SDL_JOYHATMOTION, 0, SDL_HAT_LEFTUP)), "down left, down up");
    EXPECT_EQ(keys_of(joy(SDL_JOYHATMOTION, 0, SDL_HAT_RIGHT)), "up left, down right, up up");
    // The stick inside its dead zone does nothing; past it, it holds a direction as the hat does,
    // and a direction held by both is let go only when both let go.
    EXPECT_EQ(keys_of(joy(SDL_JOYAXISMOTION, 0, STICK_DEAD_ZONE)), "");
    EXPECT_EQ(keys_of(joy(SDL_JOYAXISMOTION, 0, 30000)), "");
    EXPECT_EQ(keys_of(joy(SDL_JOYHATMOTION, 0, SDL_HAT_CENTERED)), "");
    EXPECT_EQ(keys_of(joy(SDL_JOYAXISMOTION, 0, -30000)), "down left, up right");
    EXPECT_EQ(keys_of(joy(SDL_JOYAXISMOTION, 1, 20000)), "down down");
    EXPECT_EQ(keys_of(joy(SDL_JOYAXISMOTION, 2, 20000)), "") << "only the first stick";
    EXPECT_EQ(keys_of(joy(SDL_JOYAXISMOTION, 0, -100)), "up left");
    EXPECT_EQ(keys_of(joy(SDL_JOYAXISMOTION, 1, 0)), "up down");
    EXPECT_EQ(keys_of(joy(SDL_JOYBUTTONDOWN, 0, 0)), "down space");
    EXPECT_EQ(keys_of(joy(SDL_JOYBUTTONUP, 1, 0)), "up escape");
    EXPECT_EQ(keys_of(joy(SDL_JOYBUTTONDOWN, 5, 0)), "");
    // Everything else passes as it is.
    SDL_Event out[4];
    ASSERT_EQ(translate_gamepad_event(key_event(SDL_KEYDOWN, SDLK_p), out), 1);
    EXPECT_EQ(out[0].key.keysym.sym, SDLK_p);
    reset_gamepad_state();
}

// ---- window scale ----

TEST(WindowScale, LargestWholeScaleThatFitsUnlessOneIsAskedFor) {
    EXPECT_EQ(choose_window_scale(0, 800, 700, 1024, 768), 1);
    EXPECT_EQ(choose_window_scale(0, 800, 700, 1920, 1080), 1);
    EXPECT_EQ(choose_window_scale(0, 800, 700, 3840, 2160), 2) << "a 2100-row window leaves no room on 2160";
    EXPECT_EQ(choose_window_scale(0, 800, 700, 5120, 2880), 3);
    EXPECT_EQ(choose_window_scale(0, 800, 700, 16000, 9000), MAX_WINDOW_SCALE);
    EXPECT_EQ(choose_window_scale(0, 800, 700, 0, 0), 1) << "an unknown desktop";
    EXPECT_EQ(choose_window_scale(3, 800, 700, 1024, 768), 3);
}

TEST(WindowScale, TheGameDrawsInto800By700AtEveryScaleAndInFullscreen) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    for (int scale = 1; scale <= MAX_WINDOW_SCALE; ++scale) {
        EXPECT_EQ(prepare_window_scale(scale, SCREEN_W, SCREEN_H), scale);
        SDL_Surface* screen = SDL_SetVideoMode(SCREEN_W, SCREEN_H, 32, 0);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        EXPECT_EQ(std::tuple(screen->w, screen->h, screen->pitch), std::tuple(SCREEN_W, SCREEN_H, SCREEN_W * 4));
        *pixel_at(screen, 799, 699) = 0x123456;
        EXPECT_TRUE(toggle_fullscreen(screen));
        EXPECT_EQ(SDL_GetVideoSurface(), screen) << "fullscreen keeps the surface and its pixels";
        EXPECT_EQ(*pixel_at(screen, 799, 699), 0x123456u);
        EXPECT_TRUE(toggle_fullscreen(screen));
    }
    unsetenv("SDL12COMPAT_WINDOW_SCALING");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// ---- best scores ----

std::string table_text(const ScoreTable& t) {
    std::string s;
    for (int i = 0; i < t.count; ++i) {
        const ScoreEntry& e = t.entries[static_cast<std::size_t>(i)];
        s += std::to_string(e.score) + "/" + std::to_string(e.cave) + "/" + e.date.data() + " ";
    }
    return s;
}

TEST(BestScores, KeepsTheTenBestInOrderAndSurvivesASaveAndLoad) {
    ScratchDir scratch;
    ScoreTable t;
    for (int score : {50, 70, 10, 70, 90, 20, 30, 40, 60, 5})
        EXPECT_TRUE(add_score(t, score, score / 10 + 1, "2026-12-07"));
    EXPECT_FALSE(add_score(t, 4, 1, "2026-12-07")) << "not among the ten best";
    EXPECT_TRUE(add_score(t, 70, 99, "2026-12-08"));
    ASSERT_EQ(t.count, BEST_SCORES);
    EXPECT_EQ(table_text(t),
              "90/10/2026-12-07 70/8/2026-12-07 70/8/2026-12-07 70/99/2026-12-08 60/7/2026-12-07 "
              "50/6/2026-12-07 40/5/2026-12-07 30/4/2026-12-07 20/3/2026-12-07 10/2/2026-12-07 ")
        << "an equal score goes after the older ones; 5 fell out";
    ASSERT_TRUE(save_scores(t, (scratch.path / "deep/er/scores").string()));
    EXPECT_EQ(table_text(load_scores((scratch.path / "deep/er/scores").string())), table_text(t));
    EXPECT_FALSE(fs::exists(scratch.path / "deep/er/scores.tmp"));
}

TEST(BestScores, MissingEmptyOrMalformedFilesGiveAnEmptyTable) {
    ScratchDir scratch;
    EXPECT_EQ(load_scores("none").count, 0);
    for (const char* text :
         {"", "# only a comment\n", "100 3\n", "100 3 2026-12-07 extra\n", "abc 3 2026-12-07\n", "-5 3 2026-12-07\n",
          "100 0 2026-12-07\n", "100 3 07.12.2026\n", "99999999999999999999 3 2026-12-07\n", "\x01\xff\x00garbage"}) {
        std::ofstream("scores") << text;
        EXPECT_EQ(load_scores("scores").count, 0) << text;
    }
    std::string eleven;
    for (int i = 0; i < 11; ++i) eleven += "10 1 2026-12-07\n";
    std::ofstream("scores") << eleven;
    EXPECT_EQ(load_scores("scores").count, 0) << "more lines than a table holds";
}

TEST(BestScores, AFailedOrInterruptedWriteKeepsTheOldTable) {
    ScratchDir scratch;
    ScoreTable old, fresh;
    add_score(old, 1234, 5, "2026-01-02");
    for (int i = 0; i < BEST_SCORES; ++i) add_score(fresh, 100000 + i, 20, "2026-12-07");
    ASSERT_TRUE(save_scores(old, "scores"));
    const std::string saved = slurp("scores");

    // A directory that cannot be made (a file stands where it should be): false, nothing left behind.
    std::ofstream("blocker") << "a file";
    EXPECT_FALSE(save_scores(fresh, "blocker/kromblix/scores"));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator{}), 2) << "only blocker and scores";

    // The disk fills up in the middle of the write (a file size limit stands in for it), and a
    // crash in the middle of it: either way the old table stays whole.
    for (bool crash : {false, true}) {
        const pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, crash ? SIG_DFL : SIG_IGN);
            const rlimit limit{40, 40};
            setrlimit(RLIMIT_FSIZE, &limit);
            _exit(save_scores(fresh, "scores") ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(crash ? WIFSIGNALED(status) : WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_EQ(slurp("scores"), saved);
    }
    // What a crash leaves behind is ignored, and the next save replaces it.
    EXPECT_EQ(table_text(load_scores("scores")), table_text(old));
    ASSERT_TRUE(save_scores(fresh, "scores"));
    EXPECT_EQ(table_text(load_scores("scores")), table_text(fresh));
}

TEST(BestScores, TheTitleCreditLineAddsTheBestScoreOnceThereIsOne) {
    ScratchDir scratch;
    use_scores_file((scratch.path / "kromblix/scores").string());
    EXPECT_STREQ(title_credit_line(), "written by the KROMBLIX developers");
    record_game(0, 1);
    EXPECT_FALSE(fs::exists(scratch.path / "kromblix/scores")) << "a game without points is not kept";
    record_game(12345, 14);
    record_game(500, 2);
    EXPECT_STREQ(title_credit_line(), "written by the KROMBLIX developers - best: 12345, cave 14");
    use_scores_file((scratch.path / "kromblix/scores").string());
    EXPECT_EQ(best_scores().count, 2) << "read back at the next start";
    use_scores_file("");
}
