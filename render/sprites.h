// Tiles from tile_sheet (32 pixels wide) and the player from player_sheet (196 pixels wide).
#pragma once

constexpr int TILE_ROCK = 0;
constexpr int TILE_DIAMOND_1 = 1;
constexpr int TILE_DIAMOND_2 = 2;
constexpr int TILE_DIRT = 3;

void draw_tile(int col, int row, int tile);
// Notes which tiles of the tile sheet hold no exact white (gfx.tile_opaque); call after loading it.
void note_opaque_tiles();
void draw_player(int col, int row);
