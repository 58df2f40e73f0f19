// What the developers' tools share about their input and output: whole files read with a reason
// when they cannot be, output streams checked to the end, and bad words shown safely. Reading
// and showing words are platform/text_file.h's, which the replay reader shares.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tool_io {

// Reads the whole file. False with "cannot read "PATH": REASON" in error when it cannot be opened
// or read, and for a directory ("is a directory").
bool read_file(const std::string& path, std::string& text, std::string& error);

// Flushes and closes an output stream (standard output is flushed, not closed). False with the
// reason in error when anything written to it was lost.
bool finish_output(std::FILE* out, std::string& error);

// A word as an error message shows it: at most 60 of its characters, then "..."; a backslash and
// every byte that is not printable ASCII (control characters, escape sequences) as \\ and \xHH.
std::string shown_word(std::string_view word);

}  // namespace tool_io
