// The front end on the default data at 1280 x 720 on the offscreen driver: one frame of the
// game on "options" (update and render, no stadium behind), the menu variables alone, and
// entering a screen (texts published, XML parsed, items built); median and worst, and the
// processor time per run over all threads. With MENU_STATE_BENCH_PICTURE set to a file name,
// the options frame's last picture is written there as a PNG, to compare what the player sees.
#include <benchmark/benchmark.h>

#include "frontend/menu/TBMenu.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "menus/Menu.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/bench/BenchRenderer.h"
#include "tools/common/Figures.h"
#include "tools/common/OffscreenCamera.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 720;

double Seconds(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The game on "options", shown; null (skipped) when it cannot start.
std::unique_ptr<GameHarness> StartOnOptions(benchmark::State& state, BenchRenderer& renderer)
{
    if (!renderer.Start(state, kWidth, kHeight))
        return nullptr;
    auto harness = std::make_unique<GameHarness>(nullptr, TB_DATA_ARCHIVE, rwDeviceGL);
    if (!harness->Start("XL")) {
        state.SkipWithError("the game does not start: build the data first");
        return nullptr;
    }
    harness->MakeCurrent(new TBMenu("options"));
    for (int i = 0; i < 240 && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
        harness->Step();
    return harness;
}

// Times the run once an iteration, after the game has started on "options"; with a picture
// name (may be null or empty), the last frame drawn is written there.
void TimeOnOptions(benchmark::State& state, const std::function<void(GameHarness&)>& run,
                   const char* picture = nullptr)
{
    BenchRenderer renderer;
    std::unique_ptr<GameHarness> harness = StartOnOptions(state, renderer);
    if (!harness)
        return;
    std::vector<double> runs;
    const double processorBefore = tools::CpuMilliseconds();
    for (auto _ : state) {
        runs.push_back(Seconds([&] { run(*harness); }));
        state.SetIterationTime(runs.back());
    }
    // Over all threads, the renderer's too: the figure that holds when other programs run.
    if (!runs.empty())
        state.counters["processor_ms"] = (tools::CpuMilliseconds() - processorBefore) / static_cast<double>(runs.size());
    ReportMedianAndWorst(state, runs);
    Camera* camera = RwGraphics::Instance()->GetCamera();
    if (picture && *picture && camera && !tools::SaveCameraPng(camera->GetRwCamera(), picture, false))
        state.SkipWithError("the picture cannot be written");
}

void BM_OptionsFrame(benchmark::State& state)
{
    TimeOnOptions(state, [](GameHarness& harness) { harness.Step(); }, std::getenv("MENU_STATE_BENCH_PICTURE"));
}
BENCHMARK(BM_OptionsFrame)->Iterations(600)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_UpdateMenuVariables(benchmark::State& state)
{
    TimeOnOptions(state, [](GameHarness& harness) {
        dynamic_cast<TBMenu*>(harness.GetGame()->GetCurrentState())->UpdateMenuVariables();
    });
}
BENCHMARK(BM_UpdateMenuVariables)->Iterations(600)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The old screen's exit is part of every change of screen.
void BM_EnterScreen(benchmark::State& state)
{
    TimeOnOptions(state, [](GameHarness& harness) { harness.MakeCurrent(new TBMenu("options")); });
}
BENCHMARK(BM_EnterScreen)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
