// The replays of tests/replays and the solutions of the caves with growths, played by
// kromblix-replay side by side: a 64-bit FNV-1a digest of each frame record and of the pictures
// named, against tests/digests.txt. A change to a rule, a scan order, a rand() draw or a drawn
// pixel moves one; if it is meant, KROMBLIX_RENEW_DIGESTS=1 writes the file anew: review its diff.
#include "tests/support/test_env.h"

#include <unistd.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

using namespace test_env;

const fs::path SOURCE = KROMBLIX_SOURCE_DIR, DIGESTS = SOURCE / "tests/digests.txt";

std::uint64_t fnv(const std::string& bytes, std::uint64_t h = 14695981039346656037ull) {
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Plays a replay in a run directory of its own holding the media and the caves as level0.txt, ...
std::string digest(const std::string& replay, const std::vector<std::string>& caves, const std::string& shots) {
    const fs::path dir = fs::temp_directory_path() / ("kromblix-digest-" + std::to_string(getpid()) + "-" + fs::path(replay).stem().string());
    fs::remove_all(dir);
    copy_media(dir / "run");
    for (std::size_t n = 0; n < caves.size(); ++n)
        fs::copy_file(SOURCE / caves[n], dir / "run" / ("level" + std::to_string(n) + ".txt"));
    const Outcome run = run_program({KROMBLIX_BINARY_DIR "/tools/kromblix-replay", "-C", "run", "-o", "record.txt",
                                     "--shots", shots, "--shot-dir", "shots", (SOURCE / replay).string()},
                                    dir);
    std::uint64_t h = fnv(std::to_string(run.status) + slurp(dir / "record.txt"));
    std::vector<fs::path> pictures(fs::directory_iterator(dir / "shots"), fs::directory_iterator{});
    std::sort(pictures.begin(), pictures.end());
    for (const fs::path& picture : pictures) h = fnv(picture.filename().string() + slurp(picture), h);
    fs::remove_all(dir);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return replay + " " + text;
}

TEST(Digests, ReplaysAndSolutionsPlayAsRecorded) {
    const std::vector<std::string> test_caves = {"tests/replays/caves/level0.txt", "tests/replays/caves/level1.txt"};
    const auto cave = [](int n) { return "data/level" + std::to_string(n) + ".txt"; };
    std::vector<std::future<std::string>> runs;
    const auto play = [&](const std::string& replay, const std::vector<std::string>& caves, const char* shots) {
        runs.push_back(std::async(std::launch::async, digest, replay, caves, shots));
    };
    // Pictures: the death animation, the game-over band, the theme labels' turns, the title, the
    // cave-complete animation and cave 1's band, the time turning red at 5.5 s, the timed message
    // at 7.5 s and the ribbons at 10.5 s.
    play("tests/replays/blast_death.txt", test_caves, "death");
    play("tests/replays/enemy_death.txt", test_caves, "death");
    play("tests/replays/esc_death.txt", test_caves, "death");
    play("tests/replays/rock_death.txt", test_caves, "death");
    play("tests/replays/game_over.txt", test_caves, "game_over");
    play("tests/replays/music.txt", test_caves, "game:1-10");
    play("tests/replays/new_game.txt", test_caves, "title:1-2");
    play("tests/replays/solve_cave0.txt", test_caves, "congrats:1-3,game:7");
    play("data/solutions/level10.replay", {cave(10), cave(11)}, "game:55,game:75,game:105");
    play("data/solutions/level13.replay", {cave(13), cave(14)}, "game:1");
    std::string got;
    for (auto& run : runs) got += run.get() + "\n";
    if (std::getenv("KROMBLIX_RENEW_DIGESTS")) std::ofstream(DIGESTS) << got;
    EXPECT_EQ(got, slurp(DIGESTS)) << "renew with KROMBLIX_RENEW_DIGESTS=1 only if the change is meant";
}
