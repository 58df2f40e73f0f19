// Start-up as a player meets it: the real game binary in a scratch copy of its run directory,
// with files removed or spoiled, checked for its message, the stream it went to and its status.
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kromblix-startup-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const auto& entry : fs::directory_iterator(KROMBLIX_RUN_DIR))
            if (entry.is_regular_file() && entry.path().filename() != "kromblix")
                fs::copy_file(entry.path(), dir / entry.path().filename());
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the game in dir; when stop_after_ms is set, sends SIGTERM then (SDL turns it into a
    // quit event, which closes the game). Anything still running after 20 s is killed.
    Outcome run(const std::vector<std::string>& env, int stop_after_ms = 0) {
        const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(99);
            freopen(out.c_str(), "w", stdout);
            freopen(err.c_str(), "w", stderr);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            for (const std::string& kv : env) putenv(const_cast<char*>(kv.c_str()));
            execl(KROMBLIX_RUN_DIR "/kromblix", "kromblix", static_cast<char*>(nullptr));
            _exit(98);
        }
        int status = 0;
        int waited_ms = 0;
        bool signalled = false;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            usleep(10000);
            waited_ms += 10;
            if (stop_after_ms && !signalled && waited_ms >= stop_after_ms) {
                kill(pid, SIGTERM);
                signalled = true;
            }
            if (waited_ms > 20000) kill(pid, SIGKILL);
        }
        Outcome r;
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.out = slurp(out);
        r.err = slurp(err);
        return r;
    }
    fs::path dir;
};

TEST_F(Startup, MissingMusicIsReportedOnStandardOutputWithStatusOne) {
    fs::remove(dir / "2.m");
    const Outcome r = run({});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Mix_LoadMUS(\"music load error\"): "), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST_F(Startup, MissingOrTooSmallBitmapsStopStartUpNamingTheFile) {
    for (const char* name : {"player.bmp", "pot5.bmp", "title.bmp", "font.bmp"}) {
        const fs::path saved = dir / "saved.bmp";
        fs::rename(dir / name, saved);
        Outcome r = run({});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
        // A bitmap of 16 by 16 pixels is smaller than any sheet the renderer reads.
        SDL_Surface* small = SDL_CreateRGBSurface(SDL_SWSURFACE, 16, 16, 24, 0xFF0000, 0xFF00, 0xFF, 0);
        SDL_SaveBMP(small, (dir / name).c_str());
        SDL_FreeSurface(small);
        const bool font = std::string(name) == "font.bmp";
        r = run({}, font ? 1500 : 0);
        if (font) {
            EXPECT_EQ(r.status, 0) << "a small font is still a font: the game runs until it is closed";
        } else {
            EXPECT_EQ(r.status, 1) << name;
            EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
        }
        fs::rename(saved, dir / name);
    }
}

TEST_F(Startup, MissingFirstCaveStopsWithAMessage) {
    fs::remove(dir / "level0.txt");
    const Outcome r = run({});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("level0.txt"), std::string::npos) << r.err;
}

TEST_F(Startup, NoSoundDeviceWarnsAndPlaysSilently) {
    // ALSA finds no sound card here: the device cannot be opened, the music still loads.
    fs::remove(dir / "shot.wav");  // a missing sound is not reported
    const Outcome r = run({"SDL_AUDIODRIVER=alsa"}, 1500);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Mix_LoadMUS"), std::string::npos) << r.out;
}

TEST_F(Startup, BrokenVideoDriverFailsInit) {
    const Outcome r = run({"SDL_VIDEODRIVER=no-such-driver"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unable to init SDL: "), std::string::npos) << r.err;
}

}  // namespace
