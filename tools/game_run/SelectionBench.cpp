// The squad selection's cost on GL at 1280 x 720, on the default data:
//     game_run selection_bench <game folder> [picture.png] [--frames N]
// Two players take the all-star pool; the ten candidates sit on the bench of level01 with
// the markers and the selection screen over them. Once it has shown for a second (no fade or
// first upload timed), prints the median and worst of N (600) frames (update and draw, one pick
// every 60 frames so that candidates rise meanwhile) and the processor time per frame over all
// threads, then what one more frame asks of the device, then the
// time from "StartGame SingleMatch" with two listed teams to the first frame of the match,
// with and without the menu's fade-out. The last bench frame goes to the picture.
#include "engine/core/RwEngine.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/selection/PlayerSelection.h"
#include "frontend/selection/PlayerSelectionMenu.h"
#include "frontend/single/SingleMatch.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "menus/Menu.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/GameParameters.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Fail.h"
#include "tools/common/FrameTimes.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/MenuSteps.h"
#include "tools/game_run/Modes.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using game_run::Command;
using game_run::LevelScreen;
using tools::Fail;

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kDefaultFrames = 600;
constexpr int kPickEvery = 60;
constexpr int kSettleFrames = 60;
constexpr int kFrameCap = 2000;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

PlayerSelection* ShownSelection()
{
    auto* menu = dynamic_cast<PlayerSelectionMenu*>(Menu::Instance()->GetOwner());
    if (!menu || Menu::Instance()->GetFadeState() != Menu::kShown)
        return nullptr;
    return dynamic_cast<PlayerSelection*>(menu->GetOwner());
}

bool WritePicture(const std::string& out)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    return tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, out);
}

int BenchFrames(GameHarness& harness, const std::string& out, int frameCount)
{
    GameParameters& parameters = *GameParameters::Instance();
    parameters.SetParameter("players", "2");
    parameters.SetParameter("level", "level01");
    parameters.customTeam[0] = parameters.customTeam[1] = 1;
    TBMenu* menu = LevelScreen(harness);
    if (!menu)
        return Fail("the level screen does not show");
    Command(*menu, "StartGame", "SingleMatch");
    PlayerSelection* selection = nullptr;
    for (int i = 0; i < kFrameCap && !(selection = ShownSelection()); ++i)
        harness.Step();
    if (!selection)
        return Fail("the selection does not show");
    for (int i = 0; i < kSettleFrames; ++i)
        if (!harness.Step())
            return Fail("the game ended before the selection settled: %s", harness.GetProblem().c_str());

    const tools::FrameTimes times = tools::TimeFrames(frameCount, [&](int frame) {
        if (frame % kPickEvery == 0)
            Command(*dynamic_cast<PlayerSelectionMenu*>(selection->GetMenu()), "SelectPlayer",
                    std::to_string(frame / kPickEvery + 1).c_str());
        return harness.Step();
    });
    if (times.frames < frameCount)
        return Fail("the game ended during the selection: %s", harness.GetProblem().c_str());
    std::printf("game_run selection_bench: bench of %zu candidates, %d frames at %d x %d: median %.2f ms, worst %.2f ms, "
                "processor %.1f ms per frame\n",
                selection->GetRequest().candidates.size(), frameCount, kWidth, kHeight, times.median, times.worst,
                times.processor);
    const bool written = out.empty() || WritePicture(out);
    game_run::PrintLoad([&] { return harness.Step(); }, kWidth, kHeight);
    if (!out.empty())
        std::printf("game_run selection_bench: %s %s\n", written ? "wrote" : "could not write", out.c_str());
    return 0;
}

int BenchStart(GameHarness& harness)
{
    TBMenu* menu = game_run::ComputerMatchScreen(harness);
    if (!menu)
        return Fail("the level screen does not show");
    const auto commanded = Clock::now();
    Command(*menu, "StartGame", "SingleMatch");
    Clock::time_point faded = commanded;
    bool fading = true;
    for (int i = 0; i < kFrameCap; ++i) {
        if (fading && harness.GetGame()->GetCurrentState() != menu) {
            fading = false;
            faded = Clock::now();
        }
        if (!harness.Step())
            return Fail("the game ended: %s", harness.GetProblem().c_str());
        if (dynamic_cast<SingleMatch*>(harness.GetGame()->GetCurrentState())) {
            const auto first = Clock::now();
            std::printf("game_run selection_bench: \"StartGame SingleMatch\" to the match's first frame: %.0f ms "
                        "(%.0f ms after the menu's fade-out)\n",
                        Milliseconds(first - commanded), Milliseconds(first - faded));
            return 0;
        }
    }
    return Fail("the match did not start");
}

}  // namespace

int RunSelectionBench(int argc, char** argv)
{
    std::string out;
    int frameCount = kDefaultFrames;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--frames" && i + 1 < argc)
            frameCount = std::max(1, std::atoi(argv[++i]));
        else
            out = std::filesystem::absolute(argv[i]).string();
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: game_run selection_bench <game folder> [picture.png] [--frames N]\n");
        return 2;
    }
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    int result = 1;
    {
        tools::OffscreenSession session("game_run selection_bench", kWidth, kHeight);
        if (session.Start(tools::OffscreenSession::kWindowOnly) &&
            tools::StartRenderer(session.GetWindow(), rwDeviceGL, kWidth, kHeight)) {
            GameHarness harness(session.GetWindow(),
                                tools::ArchivePath(argv[1]),
                                rwDeviceGL);
            result = harness.Start("XXL") ? BenchFrames(harness, out, frameCount) : Fail("the game does not start");
            if (result == 0)
                result = BenchStart(harness);
            harness.Stop();
        }
    }
    Debug::Instance()->SetSink(nullptr);
    return result;
}
