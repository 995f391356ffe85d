// What a frame of a screen the player meets costs on GL at 1280 x 720, on the default data,
// to hold against a match frame:
//     game_run screen_bench <game folder> <screen> [picture.png] [--frames N]
// The screen is a menu screen by its name ("main", "options", "story_slots", "round_won",
// "final_round_display" ...), as the front end makes it, or one of:
//     loading    the match load's picture and bar, as a long load repaints them
//     intro      the panda intro before a new career
//     newspaper  the newspaper cut scene after a story match
//     outro      the outro cut scene after a won final
//     match      a single match of the computer's sides on level01, from 5 s after its start
//     walkoff    that match's first half ended: both sides walk off under the statistics
//     pause      that match's pause menu, opened in open play
// Once the screen is shown and has settled, N (600) frames are timed (update, drawing and
// showing); prints their median, worst and processor time per frame over all threads, in the
// squad selection's shape, then what one more frame asks of the device. The last timed frame
// goes to the picture. The timed frames alone run inside tools::TimeFrames, for a profiler to count.
#include "frontend/TBMenu.h"
#include "frontend/cutscenes/CutSceneProps.h"
#include "frontend/cutscenes/CutScenes.h"
#include "frontend/cutscenes/Scene.h"
#include "frontend/story/StoryModeRound.h"
#include "game/harness/GameHarness.h"
#include "menus/LoadingScreen.h"
#include "menus/Menu.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Fail.h"
#include "tools/common/FrameTimes.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/MenuSteps.h"
#include "tools/game_run/Modes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

using tools::Fail;
using tools::FailStep;

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kDefaultFrames = 600;
constexpr int kShowCap = 60 * 20;
// Frames after the screen is shown, so that no fade or first upload is timed.
constexpr int kSettleFrames = 60;
// The cut scenes are timed from this far in: past their first shot and its fade.
constexpr int kSceneLeadIn = 60 * 4;
// A match is timed from this far in: past the kick-off's banner.
constexpr int kMatchLeadIn = 60 * 5;
// The loading screen's expected time: its bar stays short of full over any run.
constexpr float kLoadingSeconds = 1.0e5f;
constexpr const char* kIntroFolder = "<PP>cutScenes\\panda_intro\\";

// Ten seconds a reading: the loading screen draws from its first update on, as a long load's does.
class SecondsClock : public LoadingScreen::Clock {
public:
    int64_t Counter() const override { return m_count += 10; }
    int64_t Frequency() const override { return 1; }

private:
    mutable int64_t m_count = 0;
};

bool IsCutScene(const std::string& screen)
{
    return screen == "intro" || screen == "newspaper" || screen == "outro";
}

bool MenuShown()
{
    return Menu::Instance()->GetOwner() && Menu::Instance()->GetFadeState() == Menu::kShown;
}

// Runs frames until the test holds, at most kShowCap; then kSettleFrames more.
bool Settle(GameHarness& harness, bool (*shown)())
{
    for (int i = 0; i < kShowCap && !(shown && shown()); ++i)
        if (!harness.Step())
            return false;
    if (shown && !shown())
        return false;
    for (int i = 0; i < kSettleFrames; ++i)
        if (!harness.Step())
            return false;
    return true;
}

const TBMenu* ShownMenu()
{
    return dynamic_cast<const TBMenu*>(Menu::Instance()->GetOwner());
}

bool StatisticsShown()
{
    const TBMenu* menu = ShownMenu();
    return menu && menu->GetScreen() == "game_stat" && MenuShown();
}

bool PauseShown()
{
    const TBMenu* menu = ShownMenu();
    return menu && menu->GetScreen() == "ingame_menu" && MenuShown();
}

// A computer's match on level01 in open play, past its kick-off: play itself ("match"), the
// half's end with the sides walking off under the statistics ("walkoff") or the pause menu
// ("pause").
bool ShowMatch(GameHarness& harness, const std::string& screen)
{
    if (!game_run::StartComputerMatch(harness))
        return false;
    if (harness.RunFrames(kMatchLeadIn) != kMatchLeadIn)
        return FailStep("the match ended early");
    if (screen == "match")
        return true;
    const bool walkOff = screen == "walkoff";
    const char* target = walkOff ? "game_stat" : "ingame_menu";
    // Either key acts only in open play: a restart may stand in the way, so it is pressed
    // until its screen comes.
    for (int i = 0; i < kShowCap && !(ShownMenu() && ShownMenu()->GetScreen() == target); ++i) {
        harness.Script().Press(harness.GetFrame() + 1, walkOff ? "cheat skip" : "ingame_menu");
        if (!harness.Step())
            return FailStep("the match ended: %s", harness.GetProblem().c_str());
    }
    return Settle(harness, walkOff ? StatisticsShown : PauseShown) || FailStep("\"%s\" does not show", target);
}

// The screen made current and settled; false (reported) when it does not show.
bool ShowScreen(GameHarness& harness, const std::string& screen)
{
    if (IsCutScene(screen)) {
        if (screen == "newspaper")
            harness.MakeCurrent(
                new CutScenes(Scene::kNewspaperFolder, "script_happy.txt", NewspaperPage::kBeforeFirstTraining));
        else
            harness.MakeCurrent(new CutScenes(screen == "outro" ? CutScenes::kOutroFolder : kIntroFolder));
        return harness.RunFrames(kSceneLeadIn) == kSceneLeadIn || FailStep("the cut scene ended early");
    }
    if (screen == "match" || screen == "walkoff" || screen == "pause")
        return ShowMatch(harness, screen);
    harness.MakeCurrent(MakeStoryScreen(screen));
    return Settle(harness, MenuShown) || FailStep("\"%s\" does not show", screen.c_str());
}

// The loading screen shown with its picture, as a match load starts it.
void StartLoading()
{
    static SecondsClock clock;
    LoadingScreen::Instance()->SetClock(&clock);
    LoadingScreen::Instance()->Show(kLoadingSeconds, true);
}

bool WritePicture(const std::string& out)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    return tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, out);
}

int Bench(GameHarness& harness, const std::string& screen, const std::string& out, int frameCount)
{
    const bool loading = screen == "loading";
    if (loading)
        StartLoading();
    else if (!ShowScreen(harness, screen))
        return 1;
    LoadingScreen& picture = *LoadingScreen::Instance();
    const std::function<bool()> frame = [&] {
        if (!loading)
            return harness.Step();
        picture.Update();
        return picture.IsPictureShown();
    };
    if (loading)
        for (int i = 0; i < kSettleFrames; ++i)
            frame();
    const tools::FrameTimes times = tools::TimeFrames(frameCount, [&](int) { return frame(); });
    if (times.frames < frameCount)
        return Fail("\"%s\" ended after %d frames: %s", screen.c_str(), times.frames, harness.GetProblem().c_str());
    std::printf("game_run screen_bench: %s, %d frames at %d x %d: median %.2f ms, worst %.2f ms, "
                "processor %.1f ms per frame\n",
                screen.c_str(), times.frames, kWidth, kHeight, times.median, times.worst, times.processor);
    const bool written = out.empty() || WritePicture(out);
    game_run::PrintLoad(frame, kWidth, kHeight);
    if (!out.empty())
        std::printf("game_run screen_bench: %s %s\n", written ? "wrote" : "could not write", out.c_str());
    if (loading) {
        picture.Hide();
        picture.SetClock(nullptr);
    }
    return written ? 0 : 1;
}

}  // namespace

int RunScreenBench(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: game_run screen_bench <game folder> <screen> [picture.png] [--frames N]\n");
        return 2;
    }
    std::string out;
    int frameCount = kDefaultFrames;
    for (int i = 3; i < argc; ++i) {
        if (std::string(argv[i]) == "--frames" && i + 1 < argc)
            frameCount = std::max(1, std::atoi(argv[++i]));
        else
            out = std::filesystem::absolute(argv[i]).string();
    }
    const std::string screen = argv[2];
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    int result = 1;
    {
        tools::OffscreenSession session("game_run screen_bench", kWidth, kHeight);
        if (session.Start(tools::OffscreenSession::kWindowOnly) &&
            tools::StartRenderer(session.GetWindow(), rwDeviceGL, kWidth, kHeight)) {
            GameHarness harness(session.GetWindow(), tools::ArchivePath(argv[1]), rwDeviceGL);
            const bool scene = IsCutScene(screen);
            // The largest size would play the start-up intro before the cut scene.
            result = harness.Start(scene ? "XL" : "XXL", scene)
                         ? Bench(harness, screen, out, frameCount)
                         : Fail("the game does not start");
            harness.Stop();
        }
    }
    Debug::Instance()->SetSink(nullptr);
    return result;
}
