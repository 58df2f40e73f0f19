#include "app/pacing.h"
#include <cstdint>
#include <optional>

#include "platform/platform.h"
#include "sim/game_state.h"

std::optional<std::int32_t> tick_past_frame_clock() {
    const auto now = static_cast<std::int32_t>(plat_ticks());
    if (now <= game.frame_clock) {
        plat_idle(1, game.frame_clock + 1 - now);  // the frame is due at frame_clock + 1
        return std::nullopt;
    }
    return now;
}
