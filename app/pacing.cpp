#include "app/pacing.h"
#include <cstdint>
#include <optional>

#include "platform/platform.h"
#include "sim/game_state.h"

std::optional<std::int32_t> tick_past_frame_clock() {
    const auto now = static_cast<std::int32_t>(plat_ticks());
    if (now <= game.frame_clock) {
        plat_delay(1);
        return std::nullopt;
    }
    return now;
}
