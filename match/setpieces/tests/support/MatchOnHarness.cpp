#include "support/MatchOnHarness.h"

#include "characters/Character.h"
#include "characters/Team.h"
#include "match/game/GameTB.h"
#include "match/game/harness/HarnessMatch.h"
#include "scene/RwGraphics.h"
#include "simulation/pitch/PitchSimulation.h"
#include "tests/support/OffscreenEngine.h"

#include <functional>

std::unique_ptr<GameHarness> MatchOnHarness::s_harness;

void MatchOnHarness::SetUpTestSuite()
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetDeviceKind(rwDeviceNull);
    graphics->SetScreenSize(800, 600);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
    s_harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
    ASSERT_TRUE(s_harness->Start());
    harnessmatch::LoadLevel(*s_harness);
}

void MatchOnHarness::TearDownTestSuite()
{
    if (s_harness) {
        s_harness->MakeCurrent(nullptr);
        s_harness->Stop();
    }
    s_harness.reset();
    RwGraphics::Instance()->Destroy();
    CloseOffscreenWindow();
}

void MatchOnHarness::SetUp()
{
    ASSERT_TRUE(s_harness && s_harness->GetGame());
    // A state left running from before still points at the old sides.
    s_harness->MakeCurrent(nullptr);
    ASSERT_TRUE(harnessmatch::MakeSides());
    SetSpawnPoints({10.0f, 0.0f, 36.0f}, {-10.0f, 0.0f, 36.0f});
}

SoccerTeam* MatchOnHarness::Side(int side) { return PitchSimulation::Instance()->GetTeam(side); }

Character* MatchOnHarness::Player(int side, int index) { return Side(side)->GetPlayer(index); }

Character* MatchOnHarness::Referee() { return PitchSimulation::Instance()->GetReferee(); }

std::vector<Character*> MatchOnHarness::Players(int side)
{
    std::vector<Character*> players;
    for (int32_t i = 0; i < Side(side)->GetPlayerCount(); ++i)
        players.push_back(Player(side, i));
    return players;
}

float MatchOnHarness::ClockTime() { return PitchSimulation::Instance()->GetClock()->GetTime(); }

void MatchOnHarness::SetSpawnPoints(const Vector3& left, const Vector3& right)
{
    harnessmatch::SetSpawnPoints(left, right);
}

int MatchOnHarness::Run(State* state, int cap)
{
    Harness().MakeCurrent(state);
    return Harness().RunFrames(cap);
}

int MatchOnHarness::RunWith(int cap, const std::function<void(int frame)>& probe)
{
    int frames = 0;
    while (frames < cap && Harness().GetGame()->GetCurrentState()) {
        probe(frames);
        ++frames;
        if (!Harness().Step())
            break;
    }
    return frames;
}

bool MatchOnHarness::StateEnded() { return Harness().GetGame()->GetCurrentState() == nullptr; }
