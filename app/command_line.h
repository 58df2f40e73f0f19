// The game's command line and where it finds its data.
#pragma once

#include <string>

// Handles --help and --version (printed to the standard output, status 0), --scale N or
// --scale=N (the window scale, 1 to 4, stored in scale; 0 when not given), --caves DIR or
// --caves=DIR (see caves_option), --edit FILE or --edit=FILE (see edit_file), --watch FILE (see
// watched_replay) and anything else (usage on the standard error stream, status 2). Returns the
// status to end with, or -1 when the command line asks for the game itself.
int handle_command_line(int argc, char** argv, int& scale);

// The directory of caves given with --caves, made absolute where the command line was first
// read (before the game changes into its data directory); "" when none was given.
const std::string& caves_option();

// The cave file `--edit FILE` names, made absolute when the option is first read (before the game
// changes into its data directory); empty when the game is not to edit a cave.
const std::string& edit_file();
void set_edit_file(const std::string& path);

// The replay given with --watch FILE (made absolute when the command line is first read, before
// the game changes into its data directory), or "" when none was.
const std::string& watched_replay();

// The directory the game reads its data from: KROMBLIX_DATA when set; else the installed data
// directory (where it lies from the installed executable, compiled in) when it holds the data;
// else the executable's own directory when it holds the data (the build tree's run directory);
// else the current directory.
std::string find_data_dir();

// Changes into the data directory, first making a relative KROMBLIX_RECORD name the same file
// from there. Prints a message naming the directory and returns false when it cannot.
bool enter_data_dir(const std::string& dir);
