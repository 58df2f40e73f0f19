#include "app/cave_sets.h"

#include "app/progress.h"
#include "app/scores.h"
#include "sim/cave_check.h"
#include "sim/cave_marks.h"
#include "sim/cave_loader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Offer {
    bool offered = false;
    std::vector<CaveSet> sets;
    int chosen = 0;
    int start = 0;
    std::array<char, 96> set_line{};
    std::array<char, 96> start_line{};
    std::array<char, 96> proven_line{};
};
Offer offer;

std::string hex_digest(std::string_view text) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    std::array<char, 17> out{};
    std::snprintf(out.data(), out.size(), "%016llx", static_cast<unsigned long long>(h));
    return out.data();
}

// Reads a small file whole; false with the reason in why.
bool read_small_file(const std::string& path, std::size_t limit, std::string& bytes, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        why = "not a regular file";
        return false;
    }
    bytes.clear();
    std::array<char, 4096> chunk{};
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes.append(chunk.data(), static_cast<std::size_t>(n));
        if (bytes.size() > limit) {
            ::close(fd);
            why = "larger than " + std::to_string(limit) + " bytes";
            return false;
        }
    }
    ::close(fd);
    return true;
}

bool exists_as_file(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The directory name of a path ending in '/'.
std::string last_name(const std::string& dir) {
    const fs::path p = fs::path(dir).parent_path();
    return p.filename().string();
}

std::string with_slash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

// The key of the set in dir: a shipped set's or the player's own when it is one of them (the
// same directory however it is named), else a digest of its full path.
std::string key_of_dir(const std::string& dir, const std::string& own_dir) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(fs::path(dir).parent_path(), ec);
    if (ec) return "dir-" + hex_digest(dir);
    if (real == fs::weakly_canonical(".", ec)) return MAIN_SET_KEY;
    const fs::path parent = real.parent_path();
    if (parent == fs::weakly_canonical("caves", ec)) return set_key("caves-", real.filename().string());
    if (!own_dir.empty() && parent == fs::weakly_canonical(own_dir, ec)) return set_key("own-", real.filename().string());
    return "dir-" + hex_digest(real.string());
}

// The ids of the sets in a directory, in name order.
std::vector<std::string> set_ids_in(const std::string& dir) {
    std::vector<std::string> ids;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (std::error_code type_ec; it->is_directory(type_ec)) ids.push_back(it->path().filename().string());
    std::sort(ids.begin(), ids.end());
    return ids;
}

void format_set_line() {
    const CaveSet& set = offer.sets[static_cast<std::size_t>(offer.chosen)];
    offer.set_line[0] = '\0';
    if (set.key == MAIN_SET_KEY && set.dir.empty()) return;
    if (offer.sets.size() > 1)
        std::snprintf(offer.set_line.data(), offer.set_line.size(), "caves: %s   UP, DOWN: set %d of %d",
                      set.name.c_str(), offer.chosen + 1, static_cast<int>(offer.sets.size()));
    else
        std::snprintf(offer.set_line.data(), offer.set_line.size(), "caves: %s", set.name.c_str());
}

// The highest cave a game may start from in the chosen set (counted from 0).
int last_start() {
    const int caves = offer.sets.empty() ? 1 : offer.sets[static_cast<std::size_t>(offer.chosen)].caves;
    return std::max(0, std::min(caves_reached(), caves - 1));
}

void enter_set(int index, bool reload_scores) {
    offer.chosen = index;
    offer.start = 0;
    const CaveSet& set = offer.sets[static_cast<std::size_t>(index)];
    set_cave_dir(set.dir.c_str());
    if (reload_scores)
        use_scores_of_set(set.key.c_str());
    else
        use_progress_of_set(set.key.c_str());
    format_set_line();
}

}  // namespace

std::string set_name_from(std::string_view bytes) {
    std::string_view line = bytes.substr(0, std::min(bytes.find('\n'), bytes.size()));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty() || line.size() > MAX_SET_NAME) return {};
    for (char c : line)
        if (c < 0x20 || c > 0x7E) return {};
    return std::string(line);
}

std::string shown_set_name(std::string_view dir_name) {
    std::string name(dir_name.substr(0, MAX_SET_NAME));
    for (char& c : name)
        if (c < 0x20 || c > 0x7E) c = '?';
    return name.empty() ? std::string("?") : name;
}

std::string set_key(std::string_view prefix, std::string_view id) {
    std::string key(prefix);
    for (char c : id) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '_' || u == '.') {
            key += c;
        } else {
            std::array<char, 4> esc{};
            std::snprintf(esc.data(), esc.size(), "%%%02X", u);
            key += esc.data();
        }
    }
    return key.size() <= MAX_SET_KEY ? key : std::string(prefix) + hex_digest(id);
}

bool read_cave_set(const std::string& dir_given, CaveSet& set, std::string& faults) {
    const std::string dir = with_slash(dir_given);
    set = CaveSet{};
    set.dir = dir;
    faults.clear();
    auto fault = [&](const std::string& file, const std::string& why) { faults += file + ": error: " + why + "\n"; };
    if (dir.size() > CAVE_DIR_MAX) {
        fault(dir_given, "the directory's name is longer than " + std::to_string(CAVE_DIR_MAX) + " bytes");
        return false;
    }
    std::error_code ec;
    const fs::file_status status = fs::status(dir_given, ec);
    if (status.type() != fs::file_type::directory) {
        fault(dir_given, status.type() == fs::file_type::not_found ? "no such directory"
                         : ec                                       ? "cannot be read: " + ec.message()
                                                                    : "not a directory of caves");
        return false;
    }
    std::string bytes, why;
    for (int n = 0;; ++n) {
        const std::string file = dir + "level" + std::to_string(n) + ".txt";
        if (n == 0 && !exists_as_file(file)) {
            fault(file, "missing: a set of caves starts with level0.txt");
            break;
        }
        if (!exists_as_file(file)) break;
        if (n == MAX_SET_CAVES) {
            fault(file, "more than " + std::to_string(MAX_SET_CAVES) + " caves in one set");
            break;
        }
        ++set.caves;
        if (!read_small_file(file, MAX_CAVE_FILE, bytes, why)) {
            fault(file, "cannot be read: " + why);
            continue;
        }
        const cavecheck::Report report = cavecheck::check_cave(bytes);
        for (const cavecheck::Finding& f : report.findings) {
            if (f.severity != cavecheck::Severity::error) continue;
            std::string place = file;
            if (f.line > 0) place += ":" + std::to_string(f.line) + (f.column > 0 ? ":" + std::to_string(f.column) : "");
            fault(place, f.message);
        }
    }
    // The name: name.txt's first line, else the directory's own name.
    const std::string name_file = dir + "name.txt";
    if (exists_as_file(name_file)) {
        if (!read_small_file(name_file, 4096, bytes, why))
            std::printf("Warning: %s cannot be read (%s); the set is named after its directory\n", name_file.c_str(), why.c_str());
        else if ((set.name = set_name_from(bytes)).empty())
            std::printf("Warning: %s does not start with a name of 1 to %d printable characters; the set is named after "
                        "its directory\n", name_file.c_str(), static_cast<int>(MAX_SET_NAME));
    }
    if (set.name.empty()) set.name = shown_set_name(last_name(dir));
    set.key = "dir-" + hex_digest(dir);
    set.proven = read_proven_marks(dir, set.caves);
    return faults.empty();
}

std::vector<CaveSet> find_cave_sets(const std::string& own_dir) {
    std::vector<CaveSet> sets;
    CaveSet first;
    first.key = MAIN_SET_KEY;
    while (first.caves < MAX_SET_CAVES && exists_as_file("level" + std::to_string(first.caves) + ".txt")) ++first.caves;
    first.proven = read_proven_marks("", first.caves);
    sets.push_back(first);
    std::error_code ec;
    const fs::path data_dir = fs::absolute(".", ec).lexically_normal();
    auto add_from = [&](const fs::path& parent, const char* prefix) {
        for (const std::string& id : set_ids_in(parent.string())) {
            CaveSet set;
            std::string faults;
            if (!read_cave_set((parent / id).string(), set, faults)) {
                std::printf("Warning: the set of caves %s is left out:\n%s", (parent / id).c_str(), faults.c_str());
                continue;
            }
            set.key = set_key(prefix, id);
            sets.push_back(set);
        }
    };
    add_from(data_dir / "caves", "caves-");
    if (!own_dir.empty()) add_from(fs::path(own_dir), "own-");
    return sets;
}

int offer_cave_sets(const std::string& caves_dir, const std::string& own_dir) {
    offer = Offer{};
    if (caves_dir.empty()) {
        offer.sets = find_cave_sets(own_dir);
    } else {
        CaveSet set;
        std::string faults;
        std::error_code ec;
        const fs::path absolute = fs::absolute(caves_dir, ec);
        if (!read_cave_set(ec ? caves_dir : absolute.string(), set, faults)) {
            std::fprintf(stderr, "kromblix: the caves in %s cannot be played:\n%s", caves_dir.c_str(), faults.c_str());
            return 2;
        }
        set.key = key_of_dir(set.dir, own_dir);
        if (set.key == MAIN_SET_KEY) set = find_cave_sets("").front();  // the data directory's own caves
        offer.sets.push_back(set);
    }
    offer.offered = true;
    enter_set(0, offer.sets.front().key != MAIN_SET_KEY);
    return -1;
}

bool cave_sets_offered() { return offer.offered; }

std::vector<bool> read_proven_marks(const std::string& dir, int caves) {
    std::vector<bool> proven(static_cast<std::size_t>(std::max(caves, 0)), false);
    const std::string file = dir + cave_marks::FILE_NAME;
    std::string bytes, why;
    if (caves <= 0 || !exists_as_file(file)) return proven;
    if (!read_small_file(file, cave_marks::MAX_FILE, bytes, why)) {
        std::printf("Warning: %s cannot be read (%s); no cave of the set is shown as proven\n", file.c_str(), why.c_str());
        return proven;
    }
    const std::vector<cave_marks::Mark> marks = cave_marks::read_marks(bytes);
    for (int n = 0; n < caves && !marks.empty(); ++n) {
        const std::string name = "level" + std::to_string(n) + ".txt";
        if (std::none_of(marks.begin(), marks.end(), [&](const cave_marks::Mark& m) { return m.cave == name; })) continue;
        if (read_small_file(dir + name, MAX_CAVE_FILE, bytes, why))
            proven[static_cast<std::size_t>(n)] = cave_marks::is_proven(marks, name, bytes);
    }
    return proven;
}

std::string own_sets_beside(const std::string& scores_path) {
    const std::size_t slash = scores_path.rfind('/');
    return slash == std::string::npos ? std::string() : scores_path.substr(0, slash + 1) + "caves";
}

void step_cave_set(int step) {
    if (offer.sets.size() < 2) return;
    const int to = std::clamp(offer.chosen + step, 0, static_cast<int>(offer.sets.size()) - 1);
    if (to != offer.chosen) enter_set(to, true);
}

void step_start_cave(int step) { offer.start = std::clamp(offer.start + step, 0, last_start()); }

int start_cave() { return std::min(offer.start, last_start()); }

const char* title_proven_line() {
    if (!offer.offered || offer.sets.empty()) return "";
    const CaveSet& set = offer.sets[static_cast<std::size_t>(offer.chosen)];
    const auto cave = static_cast<std::size_t>(start_cave());
    if (cave >= set.proven.size() || !set.proven[cave]) return "";
    std::snprintf(offer.proven_line.data(), offer.proven_line.size(), "cave %d is proven winnable", start_cave() + 1);
    return offer.proven_line.data();
}

const char* title_set_line() { return offer.offered ? offer.set_line.data() : ""; }

const char* title_start_line() {
    const int last = last_start();
    if (last == 0) return "";
    std::snprintf(offer.start_line.data(), offer.start_line.size(), "SPACE starts cave %d   LEFT, RIGHT: cave 1 to %d",
                  start_cave() + 1, last + 1);
    return offer.start_line.data();
}
