#pragma once

// The program: start-up, the title and game loops, shut-down. Returns the process status.
int game_main(int argc, char** argv);
