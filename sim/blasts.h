#pragma once

#include <cstdint>

void blast_cell(int x, int y, std::uint8_t code);
void blast_3x3(int x, int y, std::uint8_t code);
// Ages every blast stage of the interior by one.
void decay_blasts();
