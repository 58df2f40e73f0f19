#include "editor/test_directory.h"

#include "editor/cave_file.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace editor {

bool enter_test_directory(TestDirectory& test, const CaveMap& cave) {
    std::snprintf(test.old_caves.data(), test.old_caves.size(), "%s", cave_dir());
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/kromblix-test-XXXXXX";
    if (!::mkdtemp(dir.data())) return false;
    std::string error;
    if (dir.size() + 1 < test.path.size() && save_cave_file(dir + "/level0.txt", cave, error) &&
        set_cave_dir((dir + "/").c_str())) {
        std::snprintf(test.path.data(), test.path.size(), "%s", dir.c_str());
        return true;
    }
    ::unlink((dir + "/level0.txt").c_str());
    ::rmdir(dir.c_str());
    return false;
}

void leave_test_directory(const TestDirectory& test) {
    set_cave_dir(test.old_caves.data());
    std::array<char, CAVE_DIR_MAX + 16> level{};
    std::snprintf(level.data(), level.size(), "%s/level0.txt", test.path.data());
    ::unlink(level.data());
    ::rmdir(test.path.data());
}

}  // namespace editor
