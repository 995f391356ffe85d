// The pause menu over a running match on the default data, headless on the game harness:
// "Panda01" against "Lizard01" on level01 plays until the kick-off banner has gone, the
// pause key opens "ingame_menu", the substitution screen is opened from it and left, and
// "Resume" closes the menu. Prints what the menu switched off and what came back; exits 1
// when the pause did not stop the clock, hide the HUD and pause the replay, or play did not
// resume as it was. Given pictures, it runs on GL and draws the pause menu (and the
// substitution screen) over the pitch into them; else it runs on the null device.
//
//     pause_demo <game folder> [pause.png [substitution.png]]
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "frontend/TBMenu.h"
#include "match/GameParameters.h"
#include "match/MatchPeriod.h"
#include "match/game/harness/GameHarness.h"
#include "match/game/harness/MatchSides.h"
#include "menus/Menu.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "simulation/MatchClock.h"
#include "simulation/ReplayEngine.h"
#include "simulation/pitch/PitchSimulation.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kFrameCap = 60 * 20;
// Frames after the screen is shown before the picture, so that nothing is caught mid-fade.
constexpr int kSettleFrames = 10;

PitchSimulation& Pitch() { return *PitchSimulation::Instance(); }

const TBMenu* ShownMenu()
{
    return dynamic_cast<const TBMenu*>(Menu::Instance()->GetOwner());
}

// Steps until the predicate holds; false at the frame cap or when play ends.
bool RunUntil(GameHarness& harness, const std::function<bool()>& done)
{
    for (int frame = 0; frame < kFrameCap; ++frame) {
        if (done())
            return true;
        if (!harness.Step())
            return false;
    }
    return done();
}

bool ScreenShown(const char* screen)
{
    const TBMenu* menu = ShownMenu();
    return menu && menu->GetScreen() == screen && Menu::Instance()->GetFadeState() == Menu::kShown;
}

bool WritePicture(GameHarness& harness, const std::string& out)
{
    if (out.empty())
        return true;
    harness.RunFrames(kSettleFrames);
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    const bool saved = tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, out);
    std::printf("pause_demo: %s %s\n", saved ? "wrote" : "could not write", out.c_str());
    return saved;
}

// Picks the item as the keys would and runs its action.
void Choose(GameHarness& harness, const char* item)
{
    // A screen reads the keys from its first shown frame; a press counts from the next.
    harness.Step();
    Menu::Instance()->SelectItem(item);
    Menu::Instance()->SetMouseMode(false);
    harness.Script().Press(harness.GetFrame(), "(menu):button a");
}

void PrintSwitches(const char* when)
{
    std::printf("pause_demo: %s: HUD mask 0x%X, replay %s, pitch %s, clock %.2f\n", when, Pitch().GetHudMask(),
                ReplayEngine::Instance()->IsPaused() ? "paused" : "running", Pitch().IsActive() ? "active" : "inactive",
                Pitch().GetClock()->GetTime());
}

int RunDemo(GameHarness& harness, const std::string& pausePicture, const std::string& substitutionPicture)
{
    auto* period = new MatchPeriod(0, true, true, true);
    harness.MakeCurrent(period);
    period->SetSequence(nullptr);
    if (!RunUntil(harness, [&] { return !period->GetBanner(); }))
        return 1;
    harness.RunFrames(30);
    const uint32_t hud = Pitch().GetHudMask();
    PrintSwitches("playing");
    // The key opens the menu only in open play: a restart and its banner may stand in the way.
    bool ok = RunUntil(harness, [&] {
        if (!period->GetPauseMenu())
            harness.Script().Press(harness.GetFrame(), "ingame_menu");
        return ScreenShown("ingame_menu");
    });
    const float pausedAt = Pitch().GetClock()->GetTime();
    ok = WritePicture(harness, pausePicture) && ok;
    PrintSwitches("paused");
    ok = ok && Pitch().GetHudMask() == 0 && ReplayEngine::Instance()->IsPaused() && !Pitch().IsActive() &&
         Pitch().GetClock()->GetTime() == pausedAt;
    Choose(harness, "substitution");
    ok = RunUntil(harness, [] { return ScreenShown("ingame_substitution"); }) && ok;
    std::printf("pause_demo: substitution: %s / %s / %s / %s; bench %s / %s\n",
                Menu::Instance()->Variables()["%subst_player_1%"].c_str(),
                Menu::Instance()->Variables()["%subst_player_2%"].c_str(),
                Menu::Instance()->Variables()["%subst_player_3%"].c_str(),
                Menu::Instance()->Variables()["%subst_player_4%"].c_str(),
                Menu::Instance()->Variables()["%subst_subst_1%"].c_str(),
                Menu::Instance()->Variables()["%subst_subst_2%"].c_str());
    ok = WritePicture(harness, substitutionPicture) && ok;
    Choose(harness, "back");
    ok = RunUntil(harness, [] { return ScreenShown("ingame_menu"); }) && ok;
    Choose(harness, "resume");
    ok = RunUntil(harness, [&] { return !period->GetPauseMenu(); }) && ok;
    // A restart that stood under the menu finishes before the clock runs again.
    ok = RunUntil(harness, [&] { return Pitch().GetClock()->GetTime() > pausedAt; }) && ok;
    PrintSwitches("resumed");
    ok = ok && Pitch().GetHudMask() == hud && !ReplayEngine::Instance()->IsPaused() && Pitch().IsActive() &&
         harness.GetProblem().empty();
    std::printf("pause_demo: %s\n", ok ? "paused and resumed" : "FAILED");
    return ok ? 0 : 1;
}

int Run(const std::string& archive, const std::string& pausePicture, const std::string& substitutionPicture)
{
    tools::OffscreenSession session("pause_demo", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    GameHarness harness(session.GetWindow(), archive, pausePicture.empty() ? rwDeviceNull : rwDeviceGL);
    if (!harness.Start())
        return 1;
    GameParameters::Instance()->SetParameter("level", "level01");
    GameParameters::Instance()->SetParameter("players", "0");
    LoadLevelCasts(harness);
    Pitch().SetupMatch();
    Pitch().RecreateTeams();
    if (!PutSidesOnPitch("Panda01", "Lizard01"))
        return 1;
    LineUpSides();
    float rate = PitchSimulation::s_defaultClockRate;
    Pitch().ResetMatchClock(&rate);
    const int result = RunDemo(harness, pausePicture, substitutionPicture);
    harness.Stop();
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: pause_demo <game folder> [pause.png [substitution.png]]\n");
        return 2;
    }
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const std::string archive = tools::ArchivePath(argv[1]);
    const auto picture = [&](int i) { return argc > i ? std::filesystem::absolute(argv[i]).string() : std::string(); };
    const int result = Run(archive, picture(2), picture(3));
    Debug::Instance()->SetSink(nullptr);
    return result;
}
