// The game state run headless on the default data, as the program starts it:
//     game_run <game folder> <picture.png> [frames] [--gl]
//     game_run <game folder> --bench
// Runs GameTB from Enter through the frames (120 by default) with the fixed frame time,
// prints every message sent with its frame and time, checks ball, players and camera for
// NaN each frame and draws the last frame into the picture (on the GL device with --gl,
// else the frame is only recorded by the null device and the picture stays black).
// --bench prints the times of Enter, Exit and one full load of the casts. The other runs on
// the game harness are its modes (Modes.h).
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "frontend/TBMenu.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/Modes.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/Modes.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kBenchRuns = 5;

double Seconds(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Bench(platform::Window* window, const std::string& archive)
{
    double enter = 0, exit = 0, casts = 0;
    for (int i = 0; i < kBenchRuns; ++i) {
        GameHarness harness(window, archive);
        if (!harness.Start())
            return 1;
        enter += harness.GetEnterSeconds();
        casts += Seconds([&] { harness.GetGame()->GetElements().LoadOrSaveCasts(true, true, true); });
        exit += Seconds([&] { harness.Stop(); });
    }
    std::printf("game_run: mean of %d runs: Enter %.1f ms, Exit %.1f ms, LoadOrSaveCasts (load all) %.1f ms\n",
                kBenchRuns, enter * 1000 / kBenchRuns, exit * 1000 / kBenchRuns, casts * 1000 / kBenchRuns);
    return 0;
}

bool WritePicture(const std::string& out)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    return tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, out, false);
}

int Run(platform::Window* window, const std::string& archive, const std::string& out, int frames, bool gl)
{
    GameHarness harness(window, archive, gl ? rwDeviceGL : rwDeviceNull);
    if (!harness.Start())
        return 1;
    const int run = harness.RunFrames(frames);
    for (const std::string& line : harness.Tap().GetLines())
        std::printf("  %s\n", line.c_str());
    const auto* menu = dynamic_cast<const TBMenu*>(harness.GetGame()->GetCurrentState());
    std::printf("game_run: Enter %.1f ms; %d frames; current state: %s; %s\n", harness.GetEnterSeconds() * 1000, run,
                menu ? ("the menu \"" + menu->GetScreen() + "\"").c_str() : "another",
                harness.GetProblem().empty() ? "no NaN" : harness.GetProblem().c_str());
    const bool saved = WritePicture(out);
    if (!saved)
        std::fprintf(stderr, "game_run: cannot write %s\n", out.c_str());
    harness.Stop();
    return saved && harness.GetProblem().empty() ? 0 : 1;
}

int GameStateRun(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: game_run <game folder> <picture.png> [frames] [--gl] | --bench\n");
        return 2;
    }
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const bool bench = std::strcmp(argv[2], "--bench") == 0;
    const std::string out = bench ? std::string() : std::filesystem::absolute(argv[2]).string();
    int frames = 120;
    bool gl = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gl") == 0)
            gl = true;
        else
            frames = std::atoi(argv[i]);
    }
    const std::string archive = tools::ArchivePath(argv[1]);
    tools::OffscreenSession session("game_run", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    const int result = bench ? Bench(session.GetWindow(), archive) : Run(session.GetWindow(), archive, out, frames, gl);
    Debug::Instance()->SetSink(nullptr);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    return tools::RunMode(argc, argv,
                          {{"cutscenes", RunCutScenes},
                           {"pauses", RunPauses},
                           {"pause_menu", RunPauseMenu},
                           {"pause_bench", RunPauseBench},
                           {"restarts", RunRestarts},
                           {"penalties", RunPenalties},
                           {"selection_bench", RunSelectionBench},
                           {"screen_bench", RunScreenBench}},
                          GameStateRun);
}
