// The banded strip under the cave with the counters, credit and theme labels.
#pragma once

void draw_status_bar(int remaining_seconds);
