#include "sim/cave_marks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

namespace cave_marks {

namespace {

constexpr std::size_t DIGITS = 16;
constexpr std::size_t MAX_NAME = 255;

bool hex_digit(char c, std::uint64_t& value) {
    if (c >= '0' && c <= '9') {
        value = static_cast<std::uint64_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
        value = static_cast<std::uint64_t>(c - 'a' + 10);
    } else {
        return false;
    }
    return true;
}

// A file name as a mark may hold it: printable ASCII without blanks and slashes.
bool good_name(std::string_view name) {
    if (name.empty() || name.size() > MAX_NAME || name == "." || name == "..") return false;
    return std::all_of(name.begin(), name.end(), [](char c) { return c > 0x20 && c < 0x7F && c != '/'; });
}

bool read_line(std::string_view line, Mark& mark) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || line.size() - space - 1 != DIGITS) return false;
    const std::string_view name = line.substr(0, space);
    if (!good_name(name)) return false;
    std::uint64_t value = 0;
    for (const char c : line.substr(space + 1)) {
        std::uint64_t digit = 0;
        if (!hex_digit(c, digit)) return false;
        value = value << 4 | digit;
    }
    mark.cave = std::string(name);
    mark.digest = value;
    return true;
}

}  // namespace

std::uint64_t digest(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

std::vector<Mark> read_marks(std::string_view bytes) {
    std::vector<Mark> marks;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size());
        Mark mark;
        if (read_line(bytes.substr(0, end), mark)) marks.push_back(std::move(mark));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    return marks;
}

bool is_proven(const std::vector<Mark>& marks, std::string_view name, std::string_view cave_bytes) {
    const std::uint64_t d = digest(cave_bytes);
    return std::any_of(marks.begin(), marks.end(), [&](const Mark& m) { return m.cave == name && m.digest == d; });
}

std::string with_mark(std::string_view old_bytes, std::string_view name, std::string_view cave_bytes, bool proven) {
    std::vector<Mark> marks = read_marks(old_bytes);
    std::erase_if(marks, [&](const Mark& m) { return m.cave == name; });
    if (proven && good_name(name)) marks.push_back(Mark{std::string(name), digest(cave_bytes)});
    std::stable_sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.cave < b.cave; });
    std::string text =
        "# Caves of this set that kromblix-solve proved winnable on 16 of 16 random sequences.\n"
        "# A cave's file name and a digest of its bytes: a cave changed since is no longer marked.\n";
    for (const Mark& m : marks) {
        std::array<char, DIGITS + 1> hex{};
        std::snprintf(hex.data(), hex.size(), "%016llx", static_cast<unsigned long long>(m.digest));
        text += m.cave + " " + hex.data() + "\n";
    }
    return text;
}

}  // namespace cave_marks
