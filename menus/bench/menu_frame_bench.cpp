// One menu frame of a screen with forty text buttons, each with colour and scale mark-up,
// a text number and two variables, at 1280 x 720 on the offscreen driver with the default
// fonts: the menu's update and both drawing passes, median and worst of 1,000 frames.
#include <benchmark/benchmark.h>

#include "framework/FileSystem.h"
#include "framework/MemoryFile.h"
#include "framework/Message.h"
#include "framework/TimeInfo.h"
#include "menus/Menu.h"
#include "menus/XmlParser.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/bench/BenchRenderer.h"
#include "text/Font.h"
#include "text/GameText.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kButtons = 40;
constexpr float kFrameTime = 1.0f / 60.0f;
// The plane 600 units high in a 16:9 view of the primary camera's window (0.8 across).
constexpr float kPlaneDistance = 0.5f * kWidth / kHeight / 0.8f;

// Two columns of twenty buttons, centred a quarter of the screen left and right of its middle.
std::string Screen()
{
    std::string screen = "<Screen selected=\"b0\">\n";
    for (int i = 0; i < kButtons; ++i)
        screen += "<TextButton name=\"b" + std::to_string(i) + "\" position=\"" + std::to_string(i < 20 ? -200 : 200) +
                  "," + std::to_string(40 + 27 * (i % 20)) + "\" halign=\"center\" text=\"[color 255 200 0]%60501%" +
                  "[/color] %player_name% [scale 0.8]%round_number%[/scale]\" OnSelect=\"Nothing\"/>\n";
    return screen + "</Screen>\n";
}

class Owner : public MessageListener {
public:
    int OnMessage(int, intptr_t) override { return 0; }
};

struct Timings {
    std::vector<double> menu, frame;
};

void BM_MenuFrame(benchmark::State& state)
{
    BenchRenderer renderer;
    if (!renderer.Start(state, kWidth, kHeight))
        return;
    FileSystem::Instance()->AddAlias("<PP>", (std::string(TB_STAGE_DIR) + "/data/pc/").c_str());
    FileSystem::Instance()->AddAlias("<TP>", "Textures24Bit\\");
    std::vector<std::unique_ptr<Font>> fonts;
    if (!gametext::CreateFonts(fonts)) {
        state.SkipWithError("no default fonts: build the data first");
        return;
    }
    TextManager::Instance()->LoadTextFile(gametext::TextTableFor("XXL").c_str());
    TextDisplay* display = TextDisplay::Instance();
    display->Init();
    const float scaleX = kWidth / 800.0f, scaleY = kHeight / 600.0f;
    display->SetGlobalScale(scaleX, scaleY);
    display->SetArea({0, 0, static_cast<float>(kWidth), static_cast<float>(kHeight)});
    display->SetFont("menu");

    Owner owner;
    Menu* menu = Menu::Instance();
    menu->SetOwner(&owner);
    const std::string text = Screen();
    MemoryFile file(std::vector<uint8_t>(text.begin(), text.end()), true);
    if (!menu->LoadScreen(XmlParser().Parse(&file)) || menu->GetItemCount() != kButtons) {
        state.SkipWithError("the screen did not load");
        return;
    }
    menu->SetVariable("%player_name%", "Ann");
    menu->SetVariable("%round_number%", "3");
    menu->SetScale(scaleX, scaleY);
    menu->SetPosition(Vector3(0.0f, 0.0f, kPlaneDistance));
    menu->SetFadeState(Menu::kShown);

    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    graphics->SetCamera(camera);
    const float clear[4] = {0.1f, 0.12f, 0.2f, 1.0f};
    Timings timings;
    int frame = 0;
    for (auto _ : state) {
        // The selection walks down the buttons, so one pops out and one springs back.
        if (++frame % 10 == 0)
            menu->SelectNext();
        const auto start = std::chrono::steady_clock::now();
        TimeInfo::Instance()->AddFrame(kFrameTime);
        graphics->BeginRender();
        camera->Clear(clear, 3);
        camera->BeginUpdate();
        const auto menuStart = std::chrono::steady_clock::now();
        menu->Update(kFrameTime);
        menu->Render();
        const auto menuEnd = std::chrono::steady_clock::now();
        camera->EndUpdate();
        graphics->Render();
        const auto end = std::chrono::steady_clock::now();
        // The menu's own work, and the frame it lies in with the clear and the show that wait
        // for the drawing to finish.
        timings.menu.push_back(std::chrono::duration<double>(menuEnd - menuStart).count());
        timings.frame.push_back(std::chrono::duration<double>(end - start).count());
        state.SetIterationTime(timings.menu.back());
    }
    ReportMedianAndWorst(state, timings.menu, "menu");
    ReportMedianAndWorst(state, timings.frame, "frame");

    menu->SetOwner(nullptr);
    Menu::DestroyInstance();
    graphics->SetCamera(nullptr);
    display->Reset();
    fonts.clear();
}
BENCHMARK(BM_MenuFrame)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
