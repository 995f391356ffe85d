// Neither the order in which the pitch updates the sides nor the end a side defends favours
// it: the same shot, struck by either side in its own turn of the frame at either goal, meets a
// keeper who dives at the same moment and ends the same way.

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
constexpr int kSettleFrames = 10;

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

    // What became of a shot: the frames the keeper dived and caught it (-1 if he never did),
    // and where the ball was at the end, seen from his goal: out, to his left, up.
    struct Outcome {
        int dive = -1;
        int held = -1;
        Vector3 ball;
    };

    // The other side strikes the shot at the keeper of the side, who defends the first side's
    // goal or the other one; with stopAtDive the play ends in the frame he dives.
    Outcome Play(int keeperSide, bool keeperFirst, const Shot& shot, int frames, bool stopAtDive)
    {
        Outcome outcome;
        const int striker = 1 - keeperSide;
        auto owned = std::make_unique<StrikingTeam>(!keeperFirst);
        StrikingTeam& striking = *owned;
        pitch->SetSide(striker, std::move(owned), std::make_unique<TeamManager>());
        pitch->SetSide(keeperSide, std::make_unique<SoccerTeam>(keeperFirst), std::make_unique<TeamManager>());
        Character* keeper = Add(pitch->GetTeam(keeperSide), Character::kGoalkeeper, "PandaGk00", {});
        auto& brain = *static_cast<KeeperBrain*>(keeper->GetBrain());
        brain.GetOrder().code = 1;
        const std::string end = keeperFirst ? "Left" : "Right";
        const auto* guard = dynamic_cast<CylindricalPitchVolume*>(
            CastManager::Instance()->FindObject(("objects|" + end + "GuardCylinder").c_str()));
        if (!guard) {
            ADD_FAILURE() << "no guard cylinder at the " << end << " end";
            return outcome;
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
        // Every shot starts from a ball lying still on its spot, whatever the last one left.
        ball.ReleasePossession(1);
        ball.SetPosition(from);
        ball.SetVelocity({});
        for (int frame = 0; frame < kSettleFrames; ++frame)
            pitch->Update(kFrame, PitchSimulation::kUpdateCollisions | PitchSimulation::kUpdateBall);
        const float time = (aim - from).Length() / shot.speed;
        striking.from = from;
        striking.velocity = (aim - from) / time + up * (0.5f * 9.81f * time);
        striking.strike = true;
        for (int frame = 0; frame < frames && !(stopAtDive && outcome.dive >= 0); ++frame) {
            pitch->Update(kFrame, PitchSimulation::kUpdateTeams | PitchSimulation::kUpdateCollisions |
                                      PitchSimulation::kUpdateBall | PitchSimulation::kClearCaches);
            if (outcome.dive < 0 && std::strncmp(keeper->GetActor()->GetStateName(), "save", 4) == 0)
                outcome.dive = frame;
            if (outcome.held < 0 && keeper->GetActor()->HasBall())
                outcome.held = frame;
        }
        const Vector3 at = ball.GetPosition() - goal;
        outcome.ball = {at.Dot(forward), at.Dot(left), at.Dot(up)};
        keeper->GetActor()->ReleaseBall();
        ball.ReleasePossession(1);
        ball.ForgetToucher(keeper);
        return outcome;
    }

    // The first frame the keeper of the side dives at the shot the other side strikes; -1 if
    // he never does.
    int DiveFrame(int keeperSide, const Shot& shot)
    {
        return Play(keeperSide, keeperSide == 0, shot, kFrames, true).dive;
    }

    Cast* objects = nullptr;
};

// Shots from 12 to 26 m out, up to 8 m across, at any point of the goal mouth and a little
// wide, at 18 to 38 m/s.
std::vector<Shot> SeededShots(int count)
{
    Random::Seed(7);
    std::vector<Shot> shots;
    for (int i = 0; i < count; ++i)
        shots.push_back({12.0f + 14.0f * Random::Unit(), (Random::Unit() * 2.0f - 1.0f) * 8.0f,
                         (Random::Unit() * 2.0f - 1.0f) * 3.6f, 0.2f + 2.2f * Random::Unit(),
                         18.0f + 20.0f * Random::Unit()});
    return shots;
}

TEST_F(SideOrderTest, EitherKeeperDivesAtTheSameFrameAtTheSameShot)
{
    const std::vector<Shot> shots = SeededShots(120);
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

TEST_F(SideOrderTest, TheSameShotEndsTheSameAtEitherEndAndInEitherTurn)
{
    // The keeper's side, and whether he defends the first side's goal.
    constexpr struct {
        int side;
        bool first;
    } kKeepers[] = {{0, true}, {0, false}, {1, true}, {1, false}};
    const std::vector<Shot> shots = SeededShots(60);
    int caught = 0, scored = 0, elsewhere = 0;
    for (size_t i = 0; i < shots.size(); ++i) {
        const Outcome first = Play(kKeepers[0].side, kKeepers[0].first, shots[i], kFrames, false);
        // The first again too: a replay ends the same, so any difference is the side's or the end's.
        for (const auto& keeper : kKeepers) {
            SCOPED_TRACE(testing::Message() << "shot " << i << ", keeper of side " << keeper.side
                                            << (keeper.first ? " at the first side's goal" : " at the other goal"));
            const Outcome other = Play(keeper.side, keeper.first, shots[i], kFrames, false);
            EXPECT_EQ(other.dive, first.dive);
            EXPECT_EQ(other.held, first.held);
            EXPECT_LT((other.ball - first.ball).Length(), 0.01f);
        }
        // Behind the goal line and between the posts: in the net.
        const bool inNet = first.ball.x < 0.0f && std::fabs(first.ball.y) < 3.0f;
        caught += first.held >= 0;
        scored += first.held < 0 && inNet;
        elsewhere += first.held < 0 && !inNet;
    }
    // Caught, scored and saved or missed all occur, or the comparison misses a way to end.
    EXPECT_GT(caught, 0);
    EXPECT_GT(scored, 0);
    EXPECT_GT(elsewhere, 0);
}

}  // namespace
