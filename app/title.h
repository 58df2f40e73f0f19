#pragma once

// Draws and presents as many title frames as are due, on a clock of 55 ms per frame.
void title_frame();
