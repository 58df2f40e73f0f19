// The pictures the rules show in the middle of a step: the death animation, the game-over screen
// and the cave-complete animation. The application installs the drawing; with none installed the
// rules run just the same (the same sleeps, in the same order) and show nothing, so the rules
// need no screen.
#pragma once

struct Presentation {
    // Draws the cave for one frame of the death animation; false when the screen cannot be drawn
    // on, which ends the animation (and the rest of the death) there.
    bool (*draw_death_frame)() = nullptr;
    // Shows the death-animation frame drawn last.
    void (*show_death_frame)() = nullptr;
    // Draws and shows the game-over band over the picture on the screen; false when the screen
    // cannot be drawn on.
    bool (*show_game_over)() = nullptr;
    // Draws and shows frame a (0, 2, ..., 68) of the cave-complete animation.
    void (*congrats_frame)(int a) = nullptr;
};

// Installs the drawing; a default Presentation shows nothing.
void set_presentation(const Presentation& presentation);
const Presentation& presentation();
