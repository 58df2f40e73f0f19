#pragma once

#include <cstdint>

// One pass of falling and rolling for ROCK or DIAMOND.
void apply_gravity(std::uint8_t code);
