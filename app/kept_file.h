// The files the game keeps for the player (best scores, caves reached): read whole into a fixed
// buffer, and replaced under a lock so that games ending together each add what they bring.
// Saving happens in play and at the end of games, so none of this allocates.
#pragma once

#include <cstddef>

// The longest path of a kept file.
constexpr std::size_t KEPT_PATH_MAX = 4096;
// The largest kept file read; a larger one is taken as damaged.
constexpr std::size_t KEPT_FILE_MAX = 64 * 1024;

enum class KeptRead { read, missing, too_large, failed };

// Reads the file at path into buffer (NUL-terminated; length in `length`). Shares one buffer
// for every read, good until the next read.
KeptRead read_kept_file(const char* path, const char*& text, std::size_t& length);

// An exclusive lock (flock) on PATH.lock, beside the file, held while the value lives. Games that
// save the same file at once take turns. Without a lock (the directory cannot be written) saving
// goes on unlocked, as it did before there were locks.
struct KeptFileLock {
    explicit KeptFileLock(const char* path);
    ~KeptFileLock();
    KeptFileLock(const KeptFileLock&) = delete;
    KeptFileLock& operator=(const KeptFileLock&) = delete;
    int fd = -1;
};

// Makes the directories on the way to path, as mkdir -p does.
void make_kept_dirs(const char* path);

// Replaces the file atomically: the text goes into a temporary file of this process's own
// (PATH.tmp.PID), flushed to the disk, then renamed over the file. False (errno set, the old file
// untouched, no temporary file left) when it cannot. Tells the platform (plat_files_saved), so
// a web page keeps the file in the browser's storage.
bool replace_kept_file(const char* path, const char* text, std::size_t length);
