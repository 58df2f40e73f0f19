#include "editor/prove.h"

#include "editor/cave_file.h"
#include "editor/editor_state.h"
#include "sim/game_state.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace editor {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t SAID = 0xFFFFFF, WARNED = 0xFF0000, GOOD = 0x30D050;
constexpr int MAX_FD = 1024;  // the descriptors a child closes before it becomes the solver

struct Proof {
    pid_t pid = -1;
    int pipe = -1;
    std::string pending;     // output not yet a whole line
    std::string answer;      // the last line that is no progress report
    CaveMap cave{};          // the cave being proved
    std::string scratch;     // the scratch directory: cave.txt, route.moves, route.replay
    std::string route;       // route.replay of the last proof that found one
    CaveMap route_cave{};
    bool at_once = false;
};

Proof proof;

// The solver: $KROMBLIX_SOLVE, else beside this executable, else in the build's tools directory.
std::string find_solver() {
    if (const char* env = std::getenv("KROMBLIX_SOLVE"); env && *env) return env;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    for (const fs::path& p : {exe.parent_path() / "kromblix-solve", exe.parent_path().parent_path() / "tools/kromblix-solve"})
        if (::access(p.c_str(), X_OK) == 0) return p.string();
    return {};
}

bool make_scratch() {
    if (!proof.scratch.empty()) return true;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/kromblix-prove-XXXXXX";
    if (!::mkdtemp(dir.data())) return false;
    proof.scratch = dir;
    return true;
}

// A route file of an earlier proof must not be watched as this proof's.
void forget_route_files() {
    std::error_code ec;
    for (const char* name : {"route.moves", "route.replay", "cave.txt"}) fs::remove(fs::path(proof.scratch) / name, ec);
}

void take_line(const std::string& line) {
    unsigned seconds = 0;
    int length = 0;
    long long routes = 0;
    int best = 0;
    if (std::sscanf(line.c_str(), "progress %u %d %lld %d", &seconds, &length, &routes, &best) == 4) {
        say(SAID, "proving: %u s, length %d; P stops", seconds, length);
        return;
    }
    if (!line.empty()) proof.answer = line;
}

// Reads what the pipe holds; waits for more when `wait`. False at its end.
bool read_pipe(bool wait) {
    char chunk[4096];
    for (;;) {
        pollfd p{proof.pipe, POLLIN, 0};
        const int ready = ::poll(&p, 1, wait ? -1 : 0);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return ready == 0;
        const ssize_t n = ::read(proof.pipe, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        proof.pending.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; (end = proof.pending.find('\n')) != std::string::npos;) {
            take_line(proof.pending.substr(0, end));
            proof.pending.erase(0, end + 1);
        }
        if (!wait) continue;
    }
}

int reap() {
    int status = 0;
    while (::waitpid(proof.pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    proof.pid = -1;
    ::close(proof.pipe);
    proof.pipe = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void finish() {
    const int status = reap();
    if (!proof.pending.empty()) take_line(proof.pending);
    proof.pending.clear();
    const std::string replay = proof.scratch + "/route.replay";
    const bool has_route = status >= 0 && status < 2 && ::access(replay.c_str(), R_OK) == 0;
    if (has_route) {
        proof.route = replay;
        proof.route_cave = proof.cave;
    }
    const std::string line = proof_summary(proof.answer, status, has_route);
    say(status == 0 ? GOOD : status == 1 ? SAID : WARNED, "%s", line.c_str());
}

}  // namespace

void set_proofs_at_once(bool at_once) { proof.at_once = at_once; }

bool proof_running() { return proof.pid > 0; }

const std::string& route_replay() { return proof.route; }
const CaveMap& route_cave() { return proof.route_cave; }

std::string proof_summary(std::string_view answer, int status, bool has_route) {
    if (status < 0) return "the solver ended without an answer";
    std::string line(answer.empty() ? std::string_view("the solver gave no answer") : answer);
    if (line.starts_with("kromblix-solve: ")) line.erase(0, 16);
    // The strip has room for the answer itself ("winnable on 16 of 16 sequences"), not for the
    // route's length and files.
    if (has_route) line = line.substr(0, line.find(':')) + ": W watches";
    if (line.size() > 150) line.resize(150);
    return line;
}

void start_proof(const CaveMap& cave, const std::string& saved_file) {
    if (proof_running()) return;
#ifdef __EMSCRIPTEN__
    // A web page starts no processes.
    say(WARNED, "the web page cannot prove caves: run kromblix-solve on the desktop");
    return;
#endif
    const std::string solver = find_solver();
    if (solver.empty()) {
        say(WARNED, "no kromblix-solve beside the game: build it to prove caves");
        return;
    }
    std::string error;
    if (!make_scratch()) {
        say(WARNED, "cannot prove: no scratch directory: %s", std::strerror(errno));
        return;
    }
    forget_route_files();
    if (proof.route.starts_with(proof.scratch)) proof.route.clear();
    if (!save_cave_file(proof.scratch + "/cave.txt", cave, error)) {
        say(WARNED, "cannot prove: %s", error.c_str());
        return;
    }
    std::error_code ec;
    const std::string data = fs::current_path(ec).string();
    const std::string seconds = std::to_string(PROOF_SECONDS);
    std::vector<std::string> args = {solver, saved_file.empty() ? "cave.txt" : saved_file, "-o", "route",
                                     "--seconds", seconds, "--data", data, "--progress"};
    if (!saved_file.empty()) args.push_back("--mark");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The solver's own scratch directories go inside ours, so that a proof stopped in the middle
    // of its game runs leaves nothing behind once the editor removes its scratch directory.
    std::vector<std::string> env_strings = {"TMPDIR=" + proof.scratch};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0) env_strings.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env_strings) envp.push_back(e.data());
    envp.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        say(WARNED, "cannot start the solver: %s", std::strerror(errno));
        return;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Its own process group, so stopping it stops the game runs of its proof too.
        ::setpgid(0, 0);
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        for (int fd = STDERR_FILENO + 1; fd < MAX_FD; ++fd) ::close(fd);
        if (::chdir(proof.scratch.c_str()) == 0) ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        say(WARNED, "cannot start the solver: %s", std::strerror(errno));
        return;
    }
    ::setpgid(pid, pid);
    proof.pid = pid;
    proof.pipe = fds[0];
    proof.pending.clear();
    proof.answer.clear();
    proof.cave = cave;
    say(SAID, "proving: P stops");
    if (proof.at_once) look_at_proof();
}

bool look_at_proof() {
    if (!proof_running()) return false;
    const std::array<char, 160> before = ed.message;
    if (!read_pipe(proof.at_once)) finish();
    return ed.message != before;
}

void stop_proof(bool say_so) {
    if (!proof_running()) return;
    ::kill(-proof.pid, SIGKILL);
    ::kill(proof.pid, SIGKILL);
    reap();
    if (say_so) say(SAID, "proof stopped");
}

void end_proofs() {
    stop_proof(false);
    if (proof.scratch.empty()) return;
    std::error_code ec;
    fs::remove_all(proof.scratch, ec);
    proof.scratch.clear();
    proof.route.clear();
}

}  // namespace editor
