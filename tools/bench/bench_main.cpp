// Frame-time benchmarks: the cave drawing of an ordinary and of the worst possible cave, a whole
// game frame, a title frame and a simulation step, on the real generated art, each beside a plain
// loop that writes every pixel of the screen once: after the runs a table gives each figure as a
// multiple of that loop's time in the same run (medians when run with repetitions).
//   build/tools/kromblix-bench [--benchmark_repetitions=5] [--benchmark_filter=...]
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
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <vector>

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

// The yardstick: every pixel of an 800 by 700 32-bit buffer written once with a value computed
// from its position.
void BM_PlainPixelLoop(benchmark::State& state) {
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(SCREEN_W * SCREEN_H));
    std::uint32_t frame = 0;
    for (auto _ : state) {
        std::uint32_t* p = buffer.data();
        for (int y = 0; y < SCREEN_H; ++y)
            for (int x = 0; x < SCREEN_W; ++x) *p++ = static_cast<std::uint32_t>(x * 3 + y * 5) ^ frame;
        ++frame;
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlainPixelLoop)->Unit(benchmark::kMicrosecond);

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

// The console report, then each figure as a multiple of the plain loop's CPU time: the medians
// when the runs are repeated, otherwise the single runs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!single && !median) continue;
            std::string name = run.run_name.function_name;
            if (name.rfind("BM_", 0) == 0) name.erase(0, 3);
            if (figures.find(name) == figures.end()) order.push_back(name);
            figures[name] = run.GetAdjustedCPUTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto base = figures.find("PlainPixelLoop");
        if (base == figures.end() || base->second <= 0) return;
        std::ostream& out = GetOutputStream();
        std::array<char, 100> line{};
        std::snprintf(line.data(), line.size(), "\n%-22s %12s %10s\n", "figure (CPU time)", "us", "x loop");
        out << line.data();
        for (const std::string& name : order) {
            std::snprintf(line.data(), line.size(), "%-22s %12.1f %10.2f\n", name.c_str(), figures[name],
                          figures[name] / base->second);
            out << line.data();
        }
    }

private:
    std::vector<std::string> order;
    std::map<std::string, double> figures;
};

}  // namespace

int main(int argc, char** argv) {
    if (chdir(KROMBLIX_RUN_DIR) != 0) {
        std::fprintf(stderr, "Unable to enter the run directory %s\n", KROMBLIX_RUN_DIR);
        return 1;
    }
    set_up_game();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
