#pragma once

// One pass over enemies and growths.
void update_creatures();
