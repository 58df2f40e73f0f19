// Proportional bitmap text from font_image: a strip of square cells, cell k for code 33 + k.
#pragma once

#include <cstdint>

constexpr int GLYPH_ADD = 1;
constexpr int GLYPH_SHADOW = -1;
constexpr int GLYPH_AVERAGE = 0;

// Measures the inked columns of every cell into glyph_left and glyph_width.
void build_font_metrics();
void draw_glyph(int x, int y, int ch, int mode, std::uint32_t colour);
// Glow, shadow and half-mixed glyph for each character; the colour is the glow.
void draw_text(int x, int y, const char* text, std::uint32_t colour);
