#pragma once

// Reads level<cave_index>.txt into the grid and resets everything of one attempt at a cave.
void load_cave();
