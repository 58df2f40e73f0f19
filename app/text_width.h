#pragma once

// How wide draw_text draws a text with the loaded font: half a cell per blank, each glyph's inked
// width plus one; characters without a cell take no room. 0 without a font.
int text_width(const char* text);
