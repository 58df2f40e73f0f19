// Tiles from tile_sheet (32 pixels wide) and the player from player_sheet (196 pixels wide).
#pragma once

constexpr int TILE_ROCK = 0;
constexpr int TILE_DIAMOND_1 = 1;
constexpr int TILE_DIAMOND_2 = 2;
constexpr int TILE_DIRT = 3;

void draw_tile(int col, int row, int tile);
void draw_player(int col, int row);
