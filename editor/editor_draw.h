// Drawing the editor: the cave in the game's tiles (without the game's random flicker: every
// cell looks the same from frame to frame and no random number is drawn), the cursor, a
// rectangle being drawn, and the strip in place of the status bar. Private to editor/.
#pragma once


namespace editor {

// The strip's parts, for the mouse: the kind swatch at (x, y), or -1; the tool label, or -1.
int swatch_at(int x, int y);
int tool_label_at(int x, int y);

// Draws the whole editor picture and shows it (an `editor` frame).
void draw_editor();

}  // namespace editor
