#pragma once

// Takes a life, plays the death animation, restarts the cave; shows game over on the last life.
void lose_life();
