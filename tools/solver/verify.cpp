#include "tools/solver/verify.h"

#include "tools/common/tool_io.h"
#include "tools/solution/moves.h"
#include "tools/solver/search.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ios>
#include <string>
#include <string_view>
#include <system_error>

#include <sys/wait.h>
#include <unistd.h>

namespace solver {

namespace fs = std::filesystem;

namespace {

bool write_text(const fs::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out.flush());
}

// Runs the runner on one replay, its streams to files in dir; its exit status, or -1.
int run_runner(const std::string& runner, const fs::path& dir, const fs::path& replay, const fs::path& record) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        const std::string out = (dir / "runner.txt").string();
        if (std::FILE* f = std::freopen(out.c_str(), "w", stdout)) (void)f;
        if (std::FILE* f = std::freopen(out.c_str(), "a", stderr)) (void)f;
        execl(runner.c_str(), runner.c_str(), "-C", dir.c_str(), "-o", record.c_str(), replay.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string route_replay(const solution::Moves& moves, int sequence, std::string_view header) {
    return solution::build_replay({moves}, header, space_tick(sequence));
}

bool record_shows_win(std::string_view record) {
    std::size_t at = 0;
    while ((at = record.find("frame ", at)) != std::string_view::npos) {
        if (at != 0 && record[at - 1] != '\n') {
            ++at;
            continue;
        }
        const std::size_t end = record.find('\n', at);
        const std::string_view line = record.substr(at, end == std::string_view::npos ? record.npos : end - at);
        if (line.ends_with(" death")) return false;
        if (line.ends_with(" congrats")) return true;
        at += 6;
    }
    return false;
}

Verification verify_route(std::string_view cave_bytes, const solution::Moves& moves, int sequences,
                          const std::string& data_dir, const std::string& runner) {
    Verification v;
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "kromblix-solve-XXXXXX").string();
    if (ec || !mkdtemp(pattern.data())) {
        v.error = std::string("cannot make a scratch directory: ") + std::strerror(errno);
        return v;
    }
    const fs::path dir = pattern;
    for (const auto& entry : fs::directory_iterator(data_dir, ec)) {
        const fs::path& p = entry.path();
        const std::string ext = p.extension().string();
        if (ext == ".bmp" || ext == ".wav" || ext == ".m") fs::create_symlink(fs::absolute(p), dir / p.filename(), ec);
    }
    if (ec || !fs::exists(dir / "1.m")) {
        v.error = "no game data (1.m, the bitmaps and sounds) in \"" + data_dir + "\"";
    } else if (!write_text(dir / "level0.txt", cave_bytes)) {
        v.error = "cannot write the cave into " + dir.string();
    }
    for (int i = 0; i < sequences && v.error.empty(); ++i) {
        const fs::path replay = dir / "route.replay", record = dir / "record.txt";
        if (!write_text(replay, route_replay(moves, i))) {
            v.error = "cannot write a replay into " + dir.string();
            break;
        }
        const int status = run_runner(runner, dir, replay, record);
        if (status != 0) {
            v.error = "the replay runner \"" + runner + "\" failed (status " + std::to_string(status) + ")";
            break;
        }
        std::string text, error;
        const bool won = tool_io::read_file(record.string(), text, error) && record_shows_win(text);
        v.won.push_back(won);
        v.won_count += won ? 1 : 0;
    }
    fs::remove_all(dir, ec);
    return v;
}

}  // namespace solver
