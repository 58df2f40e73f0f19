// The pictures the rules show in the middle of a step (sim/presentation.h), drawn on the screen.
#pragma once

#include "sim/presentation.h"

// The death animation's frames, the game-over band and the cave-complete animation.
const Presentation& screen_presentation();
