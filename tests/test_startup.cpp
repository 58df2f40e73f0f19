// Start-up as a player meets it: the real game binary in a scratch copy of its run directory,
// with files removed or spoiled, checked for its message, the stream it went to and its status.
#include "tests/support/test_env.h"

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ios>
#include <string>
#include <vector>

using namespace test_env;

void write_bytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(KROMBLIX_RUN_DIR))
            if (entry.is_regular_file() && entry.path().filename() != "kromblix")
                fs::copy_file(entry.path(), dir.path / entry.path().filename());
    }
    // The game on the copy; with stop_ms, closed (SIGTERM) after that long.
    Outcome run(std::vector<std::string> env = {}, int stop_ms = -1) {
        env.insert(env.begin(), "KROMBLIX_DATA=" + dir.path.string());
        return run_program({KROMBLIX_RUN_DIR "/kromblix"}, dir.path, env, stop_ms);
    }
    ScratchDir dir;
};

TEST_F(Startup, MissingFilesStopStartUpWithTheirMessages) {
    fs::remove(dir.path / "2.m");
    Outcome r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Mix_LoadMUS(\"music load error\"): "), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "") << "the music message goes to the standard output";

    fs::copy_file(KROMBLIX_RUN_DIR "/2.m", dir.path / "2.m");
    fs::remove(dir.path / "level0.txt");
    r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("level0.txt"), std::string::npos) << r.err;

    r = run({"SDL_VIDEODRIVER=no-such-driver"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unable to init SDL: "), std::string::npos) << r.err;
}

TEST_F(Startup, MissingOrTooSmallBitmapsStopStartUpNamingTheFile) {
    for (const std::string name : {"player.bmp", "pot5.bmp", "title.bmp", "font.bmp"}) {
        fs::remove(dir.path / name);
        Outcome r = run();
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.err, "Unable to load bitmap \"" + name + "\": cannot open it: No such file or directory\n");
        // A bitmap of 16 by 16 pixels is smaller than any sheet the renderer reads.
        write_bytes(dir.path / name, bmp_file(16, 16, 24));
        const bool font = name == "font.bmp";  // a small font is still a font: the game runs until stopped
        r = run({}, font ? 1500 : -1);
        EXPECT_EQ(r.status, font ? 128 + SIGTERM : 1) << name;
        if (!font) {
            EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
        }
        fs::copy_file(KROMBLIX_RUN_DIR "/" + name, dir.path / name, fs::copy_options::overwrite_existing);
    }
}

TEST_F(Startup, NoSoundDeviceWarnsAndPlaysSilently) {
    // SDL's disk driver writing where no file can be made: a device that cannot be opened on any
    // host, sound card or not. The music still loads.
    fs::remove(dir.path / "shot.wav");  // a missing sound is not reported
    const Outcome r =
        run({"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + (dir.path / "no/such/dir/out.raw").string()}, 1500);
    EXPECT_EQ(r.status, 128 + SIGTERM);
    EXPECT_NE(r.out.find("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Mix_LoadMUS"), std::string::npos) << r.out;
}

TEST_F(Startup, CommandLineAnswersWithoutStartingTheGame) {
    Outcome r = run_program({KROMBLIX_RUN_DIR "/kromblix", "--help"}, dir.path);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: kromblix", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("ESC"), std::string::npos) << "the keys are listed";
    EXPECT_EQ(r.err, "");

    r = run_program({KROMBLIX_RUN_DIR "/kromblix", "--version"}, dir.path);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "kromblix " KROMBLIX_VERSION "\n");

    // Bad command lines stop before any window: usage on the error stream, status 2.
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--fullscreen"},
                                                {"level3.txt"},
                                                {"--scale", "5"},
                                                {"--scale=0"},
                                                {"--scale"},
                                                {"--scale", "2x"},
                                                {"--version", "--help"}}) {
        std::vector<std::string> command = {KROMBLIX_RUN_DIR "/kromblix"};
        command.insert(command.end(), bad.begin(), bad.end());
        r = run_program(command, dir.path);
        EXPECT_EQ(r.status, 2) << bad[0];
        EXPECT_EQ(r.out, "") << bad[0];
        EXPECT_NE(r.err.find("Usage: kromblix [--help | --version | --scale N]"), std::string::npos) << r.err;
    }
}

// Started from a directory without data, the game reads the data beside its executable, or
// the directory KROMBLIX_DATA names; a relative KROMBLIX_RECORD still names a file where the
// game was started.
TEST_F(Startup, FindsItsDataFromAnyDirectory) {
    const fs::path elsewhere = dir.path / "elsewhere";
    fs::create_directory(elsewhere);
    Outcome r = run_program({KROMBLIX_RUN_DIR "/kromblix"}, elsewhere, {}, 1500);
    EXPECT_EQ(r.status, 128 + SIGTERM) << r.out << r.err;
    EXPECT_EQ(r.out.find("Mix_LoadMUS"), std::string::npos) << r.out;

    r = run_program({KROMBLIX_RUN_DIR "/kromblix"}, elsewhere,
                    {"KROMBLIX_DATA=" + dir.path.string(), "KROMBLIX_RECORD=session.txt"}, 1500,
                    elsewhere / "session.txt");
    EXPECT_EQ(r.status, 128 + SIGTERM) << r.out << r.err;
    EXPECT_TRUE(fs::exists(elsewhere / "session.txt"));
    EXPECT_FALSE(fs::exists(dir.path / "session.txt"));

    fs::remove(dir.path / "2.m");  // KROMBLIX_DATA is used, not the run directory
    r = run_program({KROMBLIX_RUN_DIR "/kromblix"}, elsewhere, {"KROMBLIX_DATA=" + dir.path.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Mix_LoadMUS(\"music load error\"): "), std::string::npos) << r.out;

    r = run_program({KROMBLIX_RUN_DIR "/kromblix"}, elsewhere, {"KROMBLIX_DATA=" + (dir.path / "none").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unable to use the data directory \"" + (dir.path / "none").string() + "\""),
              std::string::npos)
        << r.err;
}

TEST_F(Startup, EndsOnAStopSignalAndWithoutADisplay) {
    // SIGTERM 10 ms after the start, in the middle of start-up (playing, it ends the tests above).
    Outcome r = run({}, 0);
    EXPECT_EQ(r.status, 128 + SIGTERM) << r.err;

    // No X display and no driver named: said, not run invisibly.
    r = run({"DISPLAY=", "SDL_VIDEODRIVER="});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no display: DISPLAY is not set and SDL_VIDEODRIVER names no driver"), std::string::npos)
        << r.err;
}

TEST_F(Startup, LyingBitmapsAreRefusedAtOnceAndHonestHugeOnesStayBounded) {
    // Cut inside its info header, claiming 196 by 1179777 pixels: refused before SDL reads it.
    const std::vector<std::uint8_t> lying = bmp_file(196, 1179777, 4, 0, 0);
    write_bytes(dir.path / "player.bmp", {lying.begin(), lying.begin() + 38});
    Outcome r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Unable to load bitmap \"player.bmp\": its header is cut short (38 bytes)\n");

    // The largest bitmaps the game takes, four of them: the game runs, in about 64 MB more.
    const Outcome shipped = run({}, 1000);
    const std::vector<std::uint8_t> big = bmp_file(2048, 1024, 32, 0, 4 * 2048 * 1024);
    for (const char* name : {"player.bmp", "pot5.bmp", "title.bmp", "font.bmp"}) write_bytes(dir.path / name, big);
    r = run({}, 1000);
    EXPECT_EQ(r.status, 128 + SIGTERM) << r.err;
#if !defined(__SANITIZE_ADDRESS__)  // AddressSanitizer holds freed memory back in quarantine
    EXPECT_LT(r.max_rss_kb - shipped.max_rss_kb, 66 * 1024) << "KB over the shipped bitmaps' start-up";
#endif
}
