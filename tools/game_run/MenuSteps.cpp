#include "tools/game_run/MenuSteps.h"

#include "engine/core/RwEngine.h"
#include "engine/gl/GLDevice.h"
#include "framework/Message.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/single/SingleMatch.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "menus/Menu.h"
#include "settings/GameParameters.h"
#include "tools/common/Fail.h"

#include <cstdio>

namespace game_run {

namespace {

constexpr int kFrameCap = 2000;

}  // namespace

void Command(TBMenu& menu, const char* word, const char* argument)
{
    MenuActionParameter parameter;
    parameter.argument = argument;
    menu.OnMessage(MessageServer::Instance()->RegisterMessage(word), reinterpret_cast<intptr_t>(&parameter));
}

TBMenu* LevelScreen(GameHarness& harness)
{
    auto* menu = new TBMenu("select_level");
    harness.MakeCurrent(menu);
    for (int i = 0; i < kFrameCap && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
        harness.Step();
    return Menu::Instance()->GetFadeState() == Menu::kShown ? menu : nullptr;
}

TBMenu* ComputerMatchScreen(GameHarness& harness)
{
    GameParameters& parameters = *GameParameters::Instance();
    parameters.SetParameter("players", "0");
    parameters.SetParameter("teamone", "Panda01");
    parameters.SetParameter("teamtwo", "Lizard01");
    parameters.SetParameter("level", "level01");
    parameters.customTeam[0] = parameters.customTeam[1] = 0;
    return LevelScreen(harness);
}

bool StartComputerMatch(GameHarness& harness)
{
    TBMenu* menu = ComputerMatchScreen(harness);
    if (!menu)
        return tools::FailStep("the level screen does not show");
    Command(*menu, "StartGame", "SingleMatch");
    for (int i = 0; i < kFrameCap; ++i) {
        if (!harness.Step())
            return tools::FailStep("the game ended: %s", harness.GetProblem().c_str());
        if (dynamic_cast<SingleMatch*>(harness.GetGame()->GetCurrentState()))
            return true;
    }
    return tools::FailStep("the match did not start");
}

void PrintLoad(const std::function<bool()>& frame, int width, int height)
{
    auto* device = dynamic_cast<GLDevice*>(RwDeviceGetCurrent());
    if (!device)
        return;
    const GLCounters before = device->Counters();
    device->BeginSampleCount();
    frame();
    const double layers = double(device->EndSampleCount()) / (double(width) * height);
    const GLCounters& after = device->Counters();
    const RwMetrics* metrics = RwEngineGetMetrics();
    std::printf("  per frame: %u triangles, %u draws; each pixel drawn %.2f times\n",
                metrics ? metrics->numTriangles : 0u,
                (after.draws - before.draws) + (after.meshDraws - before.meshDraws), layers);
}

}  // namespace game_run
