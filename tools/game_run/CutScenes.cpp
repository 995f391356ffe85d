// The cut scenes played by the game state on the default data, headless, with pushed keys:
//     game_run cutscenes <game folder> <out dir> [--gl]
//     game_run cutscenes <game folder> --bench
// 1. The start-up plays the primate intro; a key skips it to the menu "main".
// 2. The panda intro plays to its end, then the menu.
// 3. The newspaper before the first training shows its page and waits at its third shot
//    for "(menu):button a"; the shot then plays on to the scene's end.
// 4. "cheat outro" plays the outro for a story team of every race; the particles' emission
//    is printed during shot 17.
// With --gl the pictures (a fade mid-ramp, the newspaper page, the prompt) go to the out dir.
// --bench times the newspaper's Enter and a shot's frames at 1280 x 720 on the GL device.
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/State.h"
#include "frontend/TBMenu.h"
#include "frontend/cutscenes/CutSceneProps.h"
#include "frontend/cutscenes/CutScenes.h"
#include "frontend/story/StoryModeGame.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "pitch/CameraControl.h"
#include "scene/AnimatedClump.h"
#include "scene/Camera.h"
#include "scene/GameElements.h"
#include "scene/RwGraphics.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Figures.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/Modes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kBenchRuns = 10;
constexpr int kBenchFrames = 600;
// The newspaper page before the first training.
constexpr int kBeforeFirstTraining = NewspaperPage::kBeforeFirstTraining;

bool g_pictures = false;
std::string g_outDir;

bool SaveCamera(Camera* camera, const char* name)
{
    if (!g_pictures)
        return true;
    const std::string path = g_outDir + "/" + name;
    const bool saved = tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, path, false);
    std::printf("game_run: %s %s\n", saved ? "wrote" : "could not write", path.c_str());
    return saved;
}

bool SaveFrame(const char* name)
{
    return SaveCamera(RwGraphics::Instance()->GetPrimaryCamera(), name);
}

const TBMenu* Menu(GameHarness& harness)
{
    return dynamic_cast<const TBMenu*>(harness.GetGame()->GetCurrentState());
}

// Steps until the test holds, at most cap frames; the frames run.
int RunUntil(GameHarness& harness, int cap, const std::function<bool()>& done)
{
    int frames = 0;
    while (frames < cap && !done() && harness.Step())
        ++frames;
    return frames;
}

bool Check(bool ok, const char* what)
{
    std::printf("game_run: %s: %s\n", what, ok ? "yes" : "NO");
    return ok;
}

bool StartupIntroSkips(GameHarness& harness)
{
    const bool playing = !Menu(harness);
    harness.RunFrames(30);  // half a second into the first shot's fade-in
    SaveFrame("primate_intro_fade.png");
    harness.Script().Press(harness.GetFrame(), "any key press");
    harness.Step();
    return Check(playing, "the start-up plays the primate intro") &&
           Check(Menu(harness) && Menu(harness)->GetScreen() == "main", "a key skips it to \"main\"");
}

bool PandaIntroPlaysToItsEnd(GameHarness& harness)
{
    harness.MakeCurrent(new IteratingState(new CutScenes("<PP>cutScenes\\panda_intro\\"), new TBMenu("main")));
    const int frames = RunUntil(harness, 60 * 30, [&] { return Menu(harness) != nullptr; });
    std::printf("game_run: the panda intro ran %d frames (%.2f s)\n", frames, frames * GameHarness::kFrameTime);
    return Check(Menu(harness) && frames > 60 * 5, "the panda intro plays to its end");
}

bool NewspaperWaitsForTheButton(GameHarness& harness)
{
    auto* scene = new CutScenes(Scene::kNewspaperFolder, "script_happy.txt", kBeforeFirstTraining);
    harness.MakeCurrent(new IteratingState(scene, new TBMenu("main")));
    // The scene owns its page and frees it when it ends: ask now, before the frames run.
    const NewspaperPage* page = scene->GetNewspaperPage();
    const bool hasPage = page && page->HasPage();
    if (page)
        SaveCamera(page->GetCamera(), "newspaper_page.png");
    std::printf("game_run: the page shows %s\n",
                NewspaperPage::ImageName(0, kBeforeFirstTraining).c_str());
    RunUntil(harness, 60 * 10, [&] { return scene->IsWaitingForButton(); });
    const bool waiting = scene->IsWaitingForButton() && scene->GetShotIndex() == CutScenes::kNewspaperPromptShot;
    harness.RunFrames(20);
    SaveFrame("newspaper_prompt.png");
    for (const auto& actor : scene->GetScene().Actors())
        if (const AnimatedClump* clump = actor->GetClump())
            std::printf("game_run: %s at (%.2f, %.2f, %.2f)%s\n", actor->GetName().c_str(), clump->GetPosition().x,
                        clump->GetPosition().y, clump->GetPosition().z, actor->IsBorrowed() ? ", the team's" : "");
    const bool held = scene->IsWaitingForButton();
    harness.Script().Press(harness.GetFrame(), "(menu):button a");
    harness.Step();
    // The scene is freed once it ends: asked only while no menu has followed it.
    const bool playsOn = Menu(harness) == nullptr && !scene->IsWaitingForButton() &&
                         scene->GetShotIndex() == CutScenes::kNewspaperPromptShot;
    const int frames = RunUntil(harness, 60 * 10, [&] { return Menu(harness) != nullptr; });
    std::printf("game_run: the prompt's shot played on %d frames after the answer\n", frames);
    return Check(hasPage, "the newspaper has its page") &&
           Check(waiting && held, "it waits at its third shot") &&
           Check(playsOn, "\"(menu):button a\" answers it and its shot plays on") &&
           Check(Menu(harness) != nullptr, "then it ends");
}

float RefereeEmission()
{
    Cast* objects = CastManager::Instance()->GetCast("objects");
    CastMember* member = objects ? objects->FindByName("referee_particles") : nullptr;
    auto* element = member ? dynamic_cast<GeParticleSystem*>(member->object) : nullptr;
    return element && element->GetParticleSystem() ? element->GetParticleSystem()->GetEmitterSpeed() : -1.0f;
}

// The outro's shots 1, 4, 8 and 12, counted in frames from its first one.
bool SaveOutroShot(int outroFrame)
{
    constexpr int kShotFrames = 72;  // 1.2 s
    for (int shot : {1, 4, 8, 12})
        if (outroFrame == kShotFrames / 2 + (shot - 1) * kShotFrames)
            return SaveFrame(("outro_shot" + std::to_string(shot) + ".png").c_str());
    return true;
}

bool CheatOutroReturnsToMain(GameHarness& harness)
{
    // A story team of every race, as gained players make it.
    TeamDescription* story = TeamDescription::Find(StoryModeGame::kStoryTeam);
    if (story)
        story->GetMembers() = {{"PandaGk00", true},
                               {"LizardPl00", false},
                               {"RhinoPl00", false},
                               {"PrimatePl00", false},
                               {"PandaPl00", false}};
    harness.Script().Press(harness.GetFrame(), "cheat outro");
    harness.Step();
    int printed = 0;
    float most = 0.0f;
    int outroFrames = 0;
    const int frames = RunUntil(harness, 60 * 60, [&] {
        if (dynamic_cast<const SplineCameraControl*>(harness.GetGame()->GetCameras().GetActiveCamera()))
            SaveOutroShot(++outroFrames);
        const float emission = RefereeEmission();
        if (emission > 0.0f && harness.GetFrame() % 15 == 0) {
            std::printf("game_run: frame %d emission %.2f\n", harness.GetFrame(), emission);
            ++printed;
        }
        if (emission > 0.0f && most == 0.0f)
            SaveFrame("outro_shot17.png");
        most = std::max(most, emission);
        return Menu(harness) != nullptr;
    });
    std::printf("game_run: the outro ran %d frames\n", frames);
    return Check(printed > 0 && most > 0.0f, "the referee's particles emit in shot 17") &&
           Check(Menu(harness) && Menu(harness)->GetScreen() == "main", "the outro returns to \"main\"");
}

double Seconds(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Bench(platform::Window* window, const std::string& archive)
{
    if (!tools::StartRenderer(window, rwDeviceGL, kWidth, kHeight))
        return 1;
    GameHarness harness(window, archive, rwDeviceGL);
    if (!harness.Start("XL", true))
        return 1;
    std::vector<double> enters;
    for (int i = 0; i < kBenchRuns; ++i)
        enters.push_back(Seconds([&] {
            harness.MakeCurrent(new CutScenes(Scene::kNewspaperFolder, "script_happy.txt", kBeforeFirstTraining));
        }));
    harness.MakeCurrent(new CutScenes("<PP>cutScenes\\panda_intro\\"));
    std::vector<double> frames;
    for (int i = 0; i < kBenchFrames; ++i)
        frames.push_back(Seconds([&] { harness.Step(); }));
    std::printf("game_run: newspaper Enter median of %d: %.1f ms (target 500 ms)\n", kBenchRuns,
                tools::Median(enters) * 1000);
    std::printf("game_run: %d frames at %d x %d: median %.2f ms, worst %.2f ms (target median 8 ms)\n",
                kBenchFrames, kWidth, kHeight, tools::Median(frames) * 1000,
                *std::max_element(frames.begin(), frames.end()) * 1000);
    harness.Stop();
    return 0;
}

int Run(platform::Window* window, const std::string& archive, bool gl)
{
    if (!tools::StartRenderer(window, gl ? rwDeviceGL : rwDeviceNull, kWidth, kHeight))
        return 1;
    GameHarness harness(window, archive, gl ? rwDeviceGL : rwDeviceNull);
    // The largest game size starts with the primate intro.
    if (!harness.Start("XXL", true))
        return 1;
    const bool ok = StartupIntroSkips(harness) && PandaIntroPlaysToItsEnd(harness) &&
                    NewspaperWaitsForTheButton(harness) && CheatOutroReturnsToMain(harness);
    const bool clean = Check(harness.GetProblem().empty(), "no NaN");
    harness.Stop();
    return ok && clean ? 0 : 1;
}

}  // namespace

int RunCutScenes(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: game_run cutscenes <game folder> <out dir> [--gl] | --bench\n");
        return 2;
    }
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const bool bench = std::strcmp(argv[2], "--bench") == 0;
    const bool gl = bench || (argc > 3 && std::strcmp(argv[3], "--gl") == 0);
    g_pictures = gl && !bench;
    if (!bench) {
        g_outDir = std::filesystem::absolute(argv[2]).string();
        std::filesystem::create_directories(g_outDir);
    }
    const std::string archive = tools::ArchivePath(argv[1]);
    tools::OffscreenSession session("game_run cutscenes", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    const int result = bench ? Bench(session.GetWindow(), archive) : Run(session.GetWindow(), archive, gl);
    RwGraphics::Instance()->Destroy();
    Debug::Instance()->SetSink(nullptr);
    return result;
}
