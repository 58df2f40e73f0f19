// When the loops draw: both wait for the clock to pass frame_clock.
#pragma once

#include <cstdint>
#include <optional>

// The tick now when it is past frame_clock, so a frame may be due; otherwise sleeps 1 ms (on the
// real clock up to the frame, see plat_idle) and gives nothing.
std::optional<std::int32_t> tick_past_frame_clock();
