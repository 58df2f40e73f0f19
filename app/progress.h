// The caves reached: for each set of caves, the highest cave any game has reached, kept in a
// small text file beside the best scores ("progress" in the table's directory). One "KEY CAVE"
// line per set (KEY as app/cave_sets.h makes it, CAVE counted from 1); '#' starts a comment.
// Saved as the scores are: read, merged and replaced atomically under a lock, so games playing
// at once never lose what another reached. A missing or damaged file counts as nothing reached.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

constexpr int MAX_PROGRESS_SETS = 256;
constexpr std::size_t MAX_SET_KEY = 63;
// The key of the shipped first set, the data directory's own caves.
constexpr const char* MAIN_SET_KEY = "main";

struct ProgressEntry {
    std::array<char, MAX_SET_KEY + 1> key{};
    int reached = 0;  // the highest cave reached, counted from 0
};

struct Progress {
    std::array<ProgressEntry, MAX_PROGRESS_SETS> entries{};
    int count = 0;
};

// A key is 1 to 63 bytes of letters, digits and "-_.%".
bool valid_set_key(std::string_view key);
// Reads the text of a progress file; false when it is malformed. Allocates nothing.
bool parse_progress(std::string_view text, Progress& progress);
// The text of a progress file, into out; its length, or 0 when it does not fit.
std::size_t format_progress(const Progress& progress, char* out, std::size_t size);
// The highest cave reached in the set (counted from 0; 0 when none).
int reached_in(const Progress& progress, const char* key);
// Raises the set's highest cave reached to cave; false when nothing changed (or no room).
bool raise_reached(Progress& progress, const char* key, int cave);

// Where the caves reached are kept beside a scores table: "progress" in its directory.
std::string progress_path_beside(const std::string& scores_path);

// The progress the game keeps: its file ("" keeps none), and the set being played.
void use_progress_file(const std::string& path);
void use_progress_of_set(const char* key);
// The highest cave reached in the set being played (counted from 0).
int caves_reached();
// A game is in cave `cave` of the set being played: when that is further than any game went,
// it is noted and saved at once (nothing is noted without a file). Allocates nothing.
void note_cave_reached(int cave);
