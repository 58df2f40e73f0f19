// Frame-time benchmarks: the cave drawing of an ordinary and of the worst possible cave, a whole
// game frame, a title frame and a simulation step, on the real generated art.
//   build/tools/kromblix-bench [--benchmark_filter=...]
#include "app/assets.h"
#include "app/loops.h"
#include "app/title.h"
#include "platform/platform.h"
#include "render/canvas.h"
#include "render/cave_draw.h"
#include "render/scenes.h"
#include "sim/game_state.h"
#include "sim/presentation.h"
#include "sim/sim_step.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdint>
#include <cstdio>

namespace {

std::uint32_t virtual_ms = 0;

void set_up_game() {
    PlatformHooks hooks;
    hooks.ticks = [] { return virtual_ms; };
    hooks.delay = [](std::uint32_t ms) { virtual_ms += ms; };
    hooks.play = [](int, SoundId) {};
    set_platform_hooks(hooks);
    set_presentation(screen_presentation());
    gfx.screen = SDL_CreateRGBSurface(SDL_SWSURFACE, SCREEN_W, SCREEN_H, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    load_assets();
}

void fill_cave(std::uint8_t code) {
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) set_cell(x, y, code);
}

void BM_DrawOrdinaryCave(benchmark::State& state) {
    load_assets();
    for (auto _ : state) draw_cave();
}
BENCHMARK(BM_DrawOrdinaryCave)->Unit(benchmark::kMicrosecond);

void BM_DrawAllBlast7Cave(benchmark::State& state) {
    fill_cave(BLAST_7);
    for (auto _ : state) draw_cave();
}
BENCHMARK(BM_DrawAllBlast7Cave)->Unit(benchmark::kMicrosecond);

void BM_DrawAllGrowthCave(benchmark::State& state) {
    fill_cave(GREEN_GROWTH);
    for (auto _ : state) draw_cave();
}
BENCHMARK(BM_DrawAllGrowthCave)->Unit(benchmark::kMicrosecond);

void BM_GameFrame(benchmark::State& state) {
    load_assets();
    for (auto _ : state) {
        virtual_ms = static_cast<std::uint32_t>(game.frame_clock) + 1;
        game_frame();
    }
}
BENCHMARK(BM_GameFrame)->Unit(benchmark::kMicrosecond);

void BM_TitleFrame(benchmark::State& state) {
    load_assets();
    for (auto _ : state) {
        virtual_ms = static_cast<std::uint32_t>(game.step_clock) + 1;
        title_frame();
    }
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMicrosecond);

void BM_SimStep(benchmark::State& state) {
    load_assets();
    for (auto _ : state) sim_step();
}
BENCHMARK(BM_SimStep)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (chdir(KROMBLIX_RUN_DIR) != 0) {
        std::fprintf(stderr, "Unable to enter the run directory %s\n", KROMBLIX_RUN_DIR);
        return 1;
    }
    set_up_game();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
