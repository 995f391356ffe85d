// From "StartGame SingleMatch" to the match's first frame on the default data (null device):
// drawing an all-star pool and loading it onto the bench for the players, and drawing and
// sharing one out, then loading the match up to its first period; median and worst.
#include <benchmark/benchmark.h>

#include "frontend/TBMenu.h"
#include "frontend/single/SingleMatch.h"
#include "game/harness/GameHarness.h"
#include "scene/bench/BenchRenderer.h"
#include "settings/GameParameters.h"
#include "tests/support/OffscreenEngine.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace {

void Choose(const char* players, int customOne, int customTwo)
{
    GameParameters* parameters = GameParameters::Instance();
    parameters->SetParameter("players", players);
    parameters->SetParameter("teamone", "Panda01");
    parameters->SetParameter("teamtwo", "Lizard01");
    parameters->SetParameter("level", "level01");
    parameters->customTeam[0] = customOne;
    parameters->customTeam[1] = customTwo;
}

void TimeStarts(benchmark::State& state, const std::function<void(uint32_t)>& start)
{
    GameHarness harness(OffscreenWindow(), TB_DATA_ARCHIVE);
    if (!harness.Start("XXL")) {
        state.SkipWithError("the game does not start: build the data first");
        return;
    }
    std::vector<double> runs;
    uint32_t seed = 1;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        start(seed++);
        runs.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        state.SetIterationTime(runs.back());
    }
    ReportMedianAndWorst(state, runs);
}

// The pool is loaded at once, before the menu fades out.
void BM_AllStarSelectionStart(benchmark::State& state)
{
    TimeStarts(state, [](uint32_t seed) {
        Choose("2", 1, 1);
        TBMenu menu("select_level");
        menu.StartSingleMatch(seed);
    });
}
BENCHMARK(BM_AllStarSelectionStart)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_AllRandomToFirstFrame(benchmark::State& state)
{
    TimeStarts(state, [](uint32_t seed) {
        Choose("0", 2, 2);
        TBMenu menu("select_level");
        menu.StartSingleMatch(seed);
        std::unique_ptr<State> match(menu.GetNext()->Update(GameHarness::kFrameTime));
        match->Enter();
        match->Update(GameHarness::kFrameTime);
        match->Update(GameHarness::kFrameTime);
        match->Exit();
    });
}
BENCHMARK(BM_AllRandomToFirstFrame)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
