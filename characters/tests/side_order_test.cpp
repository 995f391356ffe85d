// The order in which the pitch updates the sides favours neither: the same shot, struck by
// either side in its own turn of the frame, meets a keeper who dives at the same moment.

#include "ai/TeamManager.h"
#include "characters/Character.h"
#include "characters/KeeperBrain.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Random.h"
#include "pitch/PitchSimulation.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/PitchVolume.h"
#include "support/CharacterKickAbout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr int kFrames = 150;

// Strikes the ball as its members act, as a kick of theirs would.
class StrikingTeam : public SoccerTeam {
public:
    explicit StrikingTeam(bool first) : SoccerTeam(first) {}
    void Act(float dt) override
    {
        if (strike) {
            Ball& ball = *PitchSimulation::Instance()->GetBall();
            ball.SetPosition(from);
            ball.SetVelocity(velocity);
            strike = false;
        }
        SoccerTeam::Act(dt);
    }
    bool strike = false;
    Vector3 from, velocity;
};

// A shot seen from the goal it flies at: distance out, offset across, and the point aimed at.
struct Shot {
    float out, across, aimAcross, aimUp, speed;
};

class SideOrderTest : public CharacterKickAbout {
protected:
    void SetUp() override
    {
        CharacterKickAbout::SetUp();
        objects = CastManager::Instance()->CreateCast("objects");
        LoadSettings(objects, "<PP>level01\\settings\\objects\\objects.txt");
    }
    void TearDown() override
    {
        objects->Clear();
        CharacterKickAbout::TearDown();
    }

    // The first frame the keeper of the side dives at the shot the other side strikes; -1 if
    // he never does.
    int DiveFrame(int keeperSide, const Shot& shot)
    {
        const int striker = 1 - keeperSide;
        auto owned = std::make_unique<StrikingTeam>(striker == 0);
        StrikingTeam& striking = *owned;
        pitch->SetSide(striker, std::move(owned), std::make_unique<TeamManager>());
        pitch->SetSide(keeperSide, std::make_unique<SoccerTeam>(keeperSide == 0), std::make_unique<TeamManager>());
        Character* keeper = Add(pitch->GetTeam(keeperSide), Character::kGoalkeeper, "PandaGk00", {});
        auto& brain = *static_cast<KeeperBrain*>(keeper->GetBrain());
        brain.GetOrder().code = 1;
        const std::string end = keeperSide == 0 ? "Left" : "Right";
        const auto* guard = dynamic_cast<CylindricalPitchVolume*>(
            CastManager::Instance()->FindObject(("objects|" + end + "GuardCylinder").c_str()));
        if (!guard) {
            ADD_FAILURE() << "no guard cylinder at the " << end << " end";
            return -1;
        }
        const Vector3 goal = guard->GetPosition();
        const Vector3 forward = brain.ForwardAxis();
        const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
        const Vector3 left = up.Cross(forward);
        Put(*keeper, goal + forward * 3.0f, std::atan2(forward.x, forward.z), ActorNodes::stand);
        Random::Seed(11);
        brain.DrawMisjudgement();

        const Vector3 from = goal + forward * shot.out + left * shot.across + up * ball.GetRadius();
        const Vector3 aim = goal - forward + left * shot.aimAcross + up * shot.aimUp;
        const float time = (aim - from).Length() / shot.speed;
        striking.from = from;
        striking.velocity = (aim - from) / time + up * (0.5f * 9.81f * time);
        striking.strike = true;
        ball.ReleasePossession(1);
        int dive = -1;
        for (int frame = 0; frame < kFrames && dive < 0; ++frame) {
            pitch->Update(kFrame, PitchSimulation::kUpdateTeams | PitchSimulation::kUpdateCollisions |
                                      PitchSimulation::kUpdateBall | PitchSimulation::kClearCaches);
            if (std::strncmp(keeper->GetActor()->GetStateName(), "save", 4) == 0)
                dive = frame;
        }
        keeper->GetActor()->ReleaseBall();
        ball.ReleasePossession(1);
        ball.ForgetToucher(keeper);
        return dive;
    }

    Cast* objects = nullptr;
};

TEST_F(SideOrderTest, EitherKeeperDivesAtTheSameFrameAtTheSameShot)
{
    Random::Seed(7);
    std::vector<Shot> shots;
    for (int i = 0; i < 120; ++i)
        shots.push_back({12.0f + 14.0f * Random::Unit(), (Random::Unit() * 2.0f - 1.0f) * 8.0f,
                         (Random::Unit() * 2.0f - 1.0f) * 3.6f, 0.2f + 2.2f * Random::Unit(),
                         18.0f + 20.0f * Random::Unit()});
    int dives = 0;
    for (size_t i = 0; i < shots.size(); ++i) {
        SCOPED_TRACE(i);
        const int first = DiveFrame(0, shots[i]);
        const int second = DiveFrame(1, shots[i]);
        EXPECT_EQ(first, second);
        dives += first >= 0;
    }
    // The shots are ones a keeper reacts to, or the comparison says nothing.
    EXPECT_GT(dives, static_cast<int>(shots.size()) / 2);
}

}  // namespace
