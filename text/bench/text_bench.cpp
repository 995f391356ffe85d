// Forty lines of menu mark-up laid out and drawn per frame with the default fonts, at
// 1280 x 720 on the offscreen driver: median and worst of 1,000 frames, for the layout
// alone (CPU) and for layout and drawing together.
#include <benchmark/benchmark.h>

#include "engine/core/RwCore.h"
#include "framework/FileSystem.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/bench/BenchRenderer.h"
#include "text/Font.h"
#include "text/GameText.h"
#include "text/TextDisplay.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 40;

// A tag every few words, as the menu screens write them.
std::string MenuText()
{
    std::string text = "<font menu>";
    for (int i = 0; i < kLines; ++i)
        text += "<halign " + std::string(i % 3 ? "left" : "center") + ">Option " + std::to_string(i + 1) +
                ": <color 255 200 0>value</color> and some <scale 0.8>smaller words</scale> on "
                "<font selected>the line</font> &lt;" + std::to_string(i) + "&gt;</halign><br>";
    return text + "</font>";
}

struct Timings {
    std::vector<double> layout, frame;
};

void BM_MenuTextFrame(benchmark::State& state)
{
    BenchRenderer renderer;
    if (!renderer.Start(state, 1280, 720))
        return;
    RwGraphics* graphics = RwGraphics::Instance();
    FileSystem::Instance()->AddAlias("<PP>", (std::string(TB_STAGE_DIR) + "/data/pc/").c_str());
    FileSystem::Instance()->AddAlias("<TP>", "Textures24Bit\\");
    std::vector<std::unique_ptr<Font>> fonts;
    if (!gametext::CreateFonts(fonts)) {
        state.SkipWithError("no default fonts: build the data first");
        return;
    }
    TextDisplay* display = TextDisplay::Instance();
    display->Init();
    display->SetGlobalScale(1.6f, 1.2f);
    display->SetArea({20, 10, 1240, 700});
    const std::string text = MenuText();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();

    const float clear[4] = {0.1f, 0.12f, 0.2f, 1.0f};
    Timings timings;
    std::vector<TextRecord> records;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        records = display->LaidOutText(text);
        const auto laidOut = std::chrono::steady_clock::now();
        graphics->BeginRender();
        camera->Clear(clear, 3);
        camera->BeginUpdate();
        display->Print(text);
        camera->EndUpdate();
        graphics->Render();
        const auto end = std::chrono::steady_clock::now();
        timings.layout.push_back(std::chrono::duration<double>(laidOut - start).count());
        // The frame as a menu pays it: one layout inside Print, the drawing, the show.
        timings.frame.push_back(std::chrono::duration<double>(end - laidOut).count());
        state.SetIterationTime(timings.frame.back());
    }
    ReportMedianAndWorst(state, timings.layout, "layout");
    ReportMedianAndWorst(state, timings.frame, "frame");
    state.counters["records"] = static_cast<double>(records.size());

    display->Reset();
    fonts.clear();
}
BENCHMARK(BM_MenuTextFrame)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
