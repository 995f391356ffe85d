// What a frame of each pause in play costs against a frame of open play, on the harness
// with the default data (null device: the game's own work, not the driver's):
//     game_run pause_bench <game folder> [frames]
// Prints the median and 95th percentile of a whole harness frame (update and draw) for open
// play, a delay, a fade step, a set piece waiting for its kick, a reaction and a send-off.
#include "characters/Team.h"
#include "framework/Debug.h"
#include "game/harness/GameHarness.h"
#include "game/harness/MatchSides.h"
#include "match/MatchDelay.h"
#include "match/MatchFade.h"
#include "match/PitchDrawingState.h"
#include "match/PlayerHold.h"
#include "match/setpieces/PlayerReaction.h"
#include "match/setpieces/SendOffPlayer.h"
#include "match/setpieces/SetPiece.h"
#include "pitch/PitchSimulation.h"
#include "scene/RwGraphics.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/Modes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWarmUp = 30;
constexpr float kForever = 1.0e6f;

// Open play: every part of the match runs, the clock too.
class Play : public PitchDrawingState {
public:
    State* Update(float dt) override
    {
        PitchSimulation::Instance()->Update(dt, PitchSimulation::kUpdateAll);
        return this;
    }
};

// A free kick on the centre spot whose taker never kicks: the set piece's waiting phase.
class WaitingFreeKick : public SetPiece {
public:
    WaitingFreeKick() : SetPiece("freekick", true, 0.0f, 0.0f) {}
    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override
    {
        spot = PitchFrame::GetCentre();
        direction = PitchFrame::GetDirection(PitchFrame::kAlong);
    }
    Character* GetTaker() const override { return PitchSimulation::Instance()->GetTeam(0)->GetPlayer(1); }
};

void Time(GameHarness& harness, const char* name, int frames, const std::function<State*()>& make)
{
    harness.MakeCurrent(nullptr);
    PitchSimulation::Instance()->RecreateTeams();
    if (!PutSidesOnPitch("Panda01", "Lizard01"))
        return;
    LineUpSides();
    harness.MakeCurrent(make());
    std::vector<double> ms;
    for (int i = 0; i < kWarmUp + frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!harness.Step())
            break;
        if (i >= kWarmUp)
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    harness.MakeCurrent(nullptr);
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    std::printf("%-10s median %.3f ms  p95 %.3f ms  (%zu frames)\n", name, ms[ms.size() / 2], ms[ms.size() * 95 / 100],
                ms.size());
}

}  // namespace

int RunPauseBench(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: game_run pause_bench <game folder> [frames]\n");
        return 2;
    }
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 600;
    ConsoleSink console(false);
    Debug::Instance()->SetSink(&console);
    const std::string archive = tools::ArchivePath(argv[1]);
    tools::OffscreenSession session("game_run pause_bench", 800, 600);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    int result = 1;
    {
        GameHarness harness(session.GetWindow(), archive);
        if (harness.Start()) {
            LoadLevelCasts(harness);
            SetSpawnPoints({10.0f, 0.0f, 36.0f}, {-10.0f, 0.0f, 36.0f});
            Time(harness, "play", frames, [] { return new Play; });
            Time(harness, "delay", frames, [] { return new MatchDelay(kForever, true, true); });
            Time(harness, "fade step", frames, [] { return MatchFade::CreateFadeStep(false, kForever); });
            Time(harness, "set piece", frames, [] { return new WaitingFreeKick; });
            Time(harness, "reaction", frames, [] {
                const auto players = PlayerHold::AllPlayers();
                return new PlayerReaction(players, {}, 0.0f, 0.1f, kForever);
            });
            Time(harness, "send-off", frames, [] {
                return new SendOffPlayer({PlayerHold::AllPlayers().front()}, false, true, true, 0.0f);
            });
            harness.Stop();
            result = 0;
        }
    }
    Debug::Instance()->SetSink(nullptr);
    return result;
}
