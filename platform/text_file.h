// Reading whole text files, and showing a word from one safely in a message. The replay reader
// and the tools share these.
#pragma once

#include <string>
#include <string_view>

// Reads the whole file. False with "cannot read "PATH": REASON" in error when it cannot be opened
// or read, and for a directory ("is a directory").
bool read_text_file(const std::string& path, std::string& text, std::string& error);

// A word as an error message shows it: at most 60 of its characters, then "..."; a backslash and
// every byte that is not printable ASCII (control characters, escape sequences) as \\ and \xHH.
std::string shown_word(std::string_view word);
