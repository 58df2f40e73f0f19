// The proven marks of a set of caves: `proven.txt` in the set's folder, written by
// `kromblix-solve --mark`, names each cave the solver proved winnable on every random sequence it
// tried, with a digest of the cave's bytes, so a cave edited since loses its mark. The title reads
// it (app/cave_sets.cpp) and marks the start cave when it is proven.
//
//   # ... comment lines
//   level3.txt 9c1b0e5a33d2f471
//
// One cave a line: its file name (no '/'), one space, 16 lowercase hexadecimal digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cave_marks {

constexpr const char* FILE_NAME = "proven.txt";
// A marks file larger than this is not read (a set holds at most 1000 caves, 28 bytes a line).
constexpr std::size_t MAX_FILE = 64 * 1024;

// FNV-1a over the bytes: the digest a mark ties its cave to.
std::uint64_t digest(std::string_view bytes);

struct Mark {
    std::string cave;  // the file name, e.g. "level3.txt"
    std::uint64_t digest = 0;
};

// The marks in a file's bytes, in file order; lines that are no mark (and comments) are skipped,
// so any bytes read as some marks or none.
std::vector<Mark> read_marks(std::string_view bytes);

// Whether the marks prove the cave `name` with these bytes.
bool is_proven(const std::vector<Mark>& marks, std::string_view name, std::string_view cave_bytes);

// The file's text with the cave's mark put in (proven) or taken out (not proven); the other
// marks kept in name order.
std::string with_mark(std::string_view old_bytes, std::string_view name, std::string_view cave_bytes, bool proven);

}  // namespace cave_marks
