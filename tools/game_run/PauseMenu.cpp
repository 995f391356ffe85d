// The pause menu over a running match on the default data, headless on the game harness:
// "Panda01" against "Lizard01" on level01, side one with two on its bench, plays until the
// kick-off banner has gone, the pause key opens "ingame_menu", the substitution screen is
// opened from it, the second field player and the first bench player are marked and the
// change is confirmed, which closes the menu; a corner then brings the substitute on. Prints
// what the menu switched off and what came back, and the change; exits 1 when the pause did
// not stop the clock, hide the HUD and pause the replay, play did not resume as it was, or
// the corner did not make the change. Given pictures, it runs on GL and draws the pause menu,
// the substitution screen and the substitute walking on into them, and exits 1 when a menu's
// frame over the pitch kept under it differs from the frame drawn afresh; else it runs on the
// null device.
//
//     game_run pause_menu <game folder> [pause.png [substitution.png [substitute.png]]]
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "frontend/TBMenu.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "game/harness/MatchSides.h"
#include "match/period/MatchPeriod.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/StillPicture.h"
#include "settings/GameParameters.h"
#include "simulation/Ball.h"
#include "simulation/MatchClock.h"
#include "simulation/ReplayEngine.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/Modes.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

// The primary camera's pixels; empty when they cannot be read.
std::vector<uint8_t> Pixels()
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    RwRaster* raster = camera ? camera->GetRaster() : nullptr;
    RwImage* image = raster ? RwImageAllocatePixels(RwImageCreate(raster->width, raster->height, 32)) : nullptr;
    std::vector<uint8_t> pixels;
    if (image && RwImageSetFromRaster(image, raster))
        pixels.assign(image->pixels, image->pixels + static_cast<size_t>(image->stride) * image->height);
    if (image)
        RwImageDestroy(image);
    return pixels;
}

// The same frame drawn twice: the pitch drawn afresh, then laid from the picture kept under
// the menu. True when both come out the same.
bool KeptPitchAsDrawn(GameHarness& harness)
{
    StillPicture::ForgetAll();
    harness.GetGame()->Render();
    const std::vector<uint8_t> drawn = Pixels();
    harness.GetGame()->Render();
    const bool same = !drawn.empty() && Pixels() == drawn;
    std::printf("game_run: the pitch kept under the menu %s\n", same ? "is as drawn" : "differs from the one drawn");
    return same;
}

bool WritePicture(GameHarness& harness, const std::string& out)
{
    if (out.empty())
        return true;
    harness.RunFrames(kSettleFrames);
    const bool kept = Pitch().IsActive() || KeptPitchAsDrawn(harness);
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    const bool saved = tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, out);
    std::printf("game_run: %s %s\n", saved ? "wrote" : "could not write", out.c_str());
    return saved && kept;
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
    std::printf("game_run: %s: HUD mask 0x%X, replay %s, pitch %s, clock %.2f\n", when, Pitch().GetHudMask(),
                ReplayEngine::Instance()->IsPaused() ? "paused" : "running", Pitch().IsActive() ? "active" : "inactive",
                Pitch().GetClock()->GetTime());
}

struct Pictures {
    std::string pause, substitution, substitute;
};

// The side's bench, as a story match has one.
const char* const kBench[] = {"PandaPl05", "PandaPl06"};

// Ball out over side one's own goal line: the corner takes the waiting change first. True
// when the pair was waiting and the substitute stands in the side afterwards.
bool TakeCorner(GameHarness& harness, MatchPeriod& period, const std::string& picture)
{
    if (period.GetPendingChanges().size() != 1)
        return false;
    // Plain names, not a structured binding, so that the lambdas below may capture them.
    const auto outgoing = period.GetPendingChanges().front().first;
    const auto incoming = period.GetPendingChanges().front().second;
    std::printf("game_run: waiting for the corner: %s for %s\n", incoming->GetVariation()->GetDisplayName().c_str(),
                outgoing->GetVariation()->GetDisplayName().c_str());
    SoccerTeam& team = *Pitch().GetTeam(0);
    // A restart under way would let the corner pass unheard.
    if (!RunUntil(harness, [&] { return !period.GetSequence(); }))
        return false;
    Ball::OutOfBoundsFar corner{team.IsFirstSide(), false, team.GetPlayer(1)};
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage("out of bounds far"), reinterpret_cast<intptr_t>(&corner));
    const bool on = RunUntil(harness, [&] { return team.Contains(incoming); });
    // The substitute on his way from the touch line.
    harness.RunFrames(40);
    const bool drawn = WritePicture(harness, picture);
    std::printf("game_run: after the corner the substitute %s\n", on ? "plays" : "never came on");
    return on && drawn && !team.Contains(outgoing);
}

bool RunDemo(GameHarness& harness, const Pictures& pictures)
{
    auto* period = new MatchPeriod(0, true, true, true);
    harness.MakeCurrent(period);
    period->SetSequence(nullptr);
    if (!RunUntil(harness, [&] { return !period->GetBanner(); }))
        return false;
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
    ok = WritePicture(harness, pictures.pause) && ok;
    PrintSwitches("paused");
    ok = ok && Pitch().GetHudMask() == 0 && ReplayEngine::Instance()->IsPaused() && !Pitch().IsActive() &&
         Pitch().GetClock()->GetTime() == pausedAt;
    Choose(harness, "substitution");
    ok = RunUntil(harness, [] { return ScreenShown("ingame_substitution"); }) && ok;
    for (const char* mark : {"player2", "bench1"}) {
        Choose(harness, mark);
        harness.RunFrames(2);
    }
    std::printf("game_run: substitution: %s / %s / %s / %s; bench %s / %s\n",
                Menu::Instance()->Variables()["%subst_player_1%"].c_str(),
                Menu::Instance()->Variables()["%subst_player_2%"].c_str(),
                Menu::Instance()->Variables()["%subst_player_3%"].c_str(),
                Menu::Instance()->Variables()["%subst_player_4%"].c_str(),
                Menu::Instance()->Variables()["%subst_subst_1%"].c_str(),
                Menu::Instance()->Variables()["%subst_subst_2%"].c_str());
    ok = WritePicture(harness, pictures.substitution) && ok;
    // Confirming goes back to the match; the change waits for the next corner.
    Choose(harness, "change");
    ok = RunUntil(harness, [&] { return !period->GetPauseMenu(); }) && ok;
    // A restart that stood under the menu finishes before the clock runs again.
    ok = RunUntil(harness, [&] { return Pitch().GetClock()->GetTime() > pausedAt; }) && ok;
    PrintSwitches("resumed");
    ok = ok && Pitch().GetHudMask() == hud && !ReplayEngine::Instance()->IsPaused() && Pitch().IsActive() &&
         harness.GetProblem().empty();
    return TakeCorner(harness, *period, pictures.substitute) && ok;
}

int Run(const std::string& archive, const Pictures& pictures)
{
    tools::OffscreenSession session("game_run pause_menu", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    GameHarness harness(session.GetWindow(), archive, pictures.pause.empty() ? rwDeviceNull : rwDeviceGL);
    if (!harness.Start())
        return 1;
    GameParameters::Instance()->SetParameter("level", "level01");
    GameParameters::Instance()->SetParameter("players", "0");
    LoadLevelCasts(harness);
    Pitch().SetupMatch();
    Pitch().RecreateTeams();
    if (!PutSidesOnPitch("Panda01", "Lizard01"))
        return 1;
    SoccerTeam& team = *Pitch().GetTeam(0);
    for (const char* member : kBench)
        team.SendToBench(new Character(Character::kFieldPlayer, member, &team));
    LineUpSides();
    float rate = PitchSimulation::s_defaultClockRate;
    Pitch().ResetMatchClock(&rate);
    const bool ok = RunDemo(harness, pictures);
    std::printf("game_run: %s\n", ok ? "paused, resumed and substituted" : "FAILED");
    harness.Stop();
    return ok ? 0 : 1;
}

}  // namespace

int RunPauseMenu(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: game_run pause_menu <game folder> [pause.png [substitution.png [substitute.png]]]\n");
        return 2;
    }
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const std::string archive = tools::ArchivePath(argv[1]);
    const auto picture = [&](int i) { return argc > i ? std::filesystem::absolute(argv[i]).string() : std::string(); };
    const int result = Run(archive, {picture(2), picture(3), picture(4)});
    Debug::Instance()->SetSink(nullptr);
    return result;
}
