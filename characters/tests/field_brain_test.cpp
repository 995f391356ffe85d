// The field player's brain: orders carried out by a computer player, and a person's
// controller under a script.
#include "audio/SoundEngine.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "engine/core/RwFrame.h"
#include "framework/MathUtil.h"
#include "input/InputController.h"
#include "input/ScriptedInputMapper.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "support/CharacterKickAbout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60.0f;

class FieldBrainTest : public CharacterKickAbout {
protected:
    void TearDown() override
    {
        BufferedInputController::DestroyInstance();
        CharacterKickAbout::TearDown();
    }

    // A computer-controlled field player.
    Character* Add(SoccerTeam* team, const char* variation, const Vector3& at, float heading,
                   const ActorStateNode& node)
    {
        Character* character = CharacterKickAbout::Add(team, Character::kFieldPlayer, variation, at, heading, node);
        character->GetBrain()->SetName("ai");
        return character;
    }
    // The brain's code for one think with a fresh command.
    static int32_t Think(Character& player)
    {
        ActorCommand command;
        player.GetBrain()->Think(command);
        return command.code;
    }

};

TEST_F(FieldBrainTest, AStandingPlayerWaitsForALongerWalkThanAMovingOneTakes)
{
    const GameSettings& s = *GameSettings::Instance();
    ASSERT_LT(1.5f * s.minimumAiMoveRange, s.maximumAiMoveRange);
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    struct Case {
        const ActorStateNode* node;
        float distance;
        int32_t code;
    };
    const std::vector<Case> cases = {
        {&ActorNodes::stand, 1.5f * s.minimumAiMoveRange, ActorInput::None},
        {&ActorNodes::stand, s.maximumAiMoveRange + 0.5f, ActorInput::Jog},
        {&ActorNodes::jog, 1.5f * s.minimumAiMoveRange, ActorInput::Jog},
        {&ActorNodes::jog, s.minimumAiMoveRange, ActorInput::None},
        {&ActorNodes::run, s.minimumAiMoveRange - 0.5f, ActorInput::None},
    };
    for (const Case& c : cases) {
        Put(*player, {0.0f, 0.0f, 0.0f}, 0.0f, *c.node);
        player->GetBrain()->GetOrder() = TeamOrder{0, Vector3(c.distance, 0.0f, 0.0f), nullptr};
        EXPECT_EQ(Think(*player), c.code) << c.node->name << " " << c.distance;
        EXPECT_EQ(player->GetBrain()->IsAtTargetPosition(), c.distance <= s.minimumAiMoveRange);
    }
}

TEST_F(FieldBrainTest, AnAiPassTurnsFirstExceptAtARestart)
{
    Character* passer = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    Character* receiver = Add(home, "PandaPl01", {0.0f, 0.0f, -12.0f}, 0.0f, ActorNodes::stand);
    GiveBallTo(*passer);
    // The receiver stands behind the passer's back.
    const float away = 0.0f;  // facing +z
    for (const ActorStateNode* node : {&ActorNodes::standwithball, &ActorNodes::kickoff, &ActorNodes::throwinwait,
                                       &ActorNodes::keeperkickwait, &ActorNodes::throwinpass}) {
        Put(*passer, {0.0f, 0.0f, 0.0f}, away, *node);
        passer->GetBrain()->GetOrder() = TeamOrder{1, Vector3{}, receiver};
        ActorCommand command;
        passer->GetBrain()->Think(command);
        const bool turns = node == &ActorNodes::standwithball;
        const bool waits = node == &ActorNodes::throwinpass;
        EXPECT_EQ(command.code, turns ? ActorInput::Run : waits ? ActorInput::None : ActorInput::Pass) << node->name;
        EXPECT_EQ(command.hold != 0, !turns && !waits) << node->name;
    }
}

// A pass from a restart's wait goes along the ground however far the man; one in play to a
// man beyond "Max short pass dist" is lofted to his chest. A holder told to dribble runs.
TEST_F(FieldBrainTest, OnlyAPassInPlayIsLoftedAndADribblerRuns)
{
    Character* passer = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    const float far = GameSettings::Instance()->maxShortPassDist + 5.0f;
    Character* receiver = Add(home, "PandaPl01", {0.0f, 0.0f, far}, 0.0f, ActorNodes::stand);
    GiveBallTo(*passer);
    for (const ActorStateNode* node : {&ActorNodes::keeperkickwait, &ActorNodes::kickoff}) {
        Put(*passer, {0.0f, 0.0f, 0.0f}, 0.0f, *node);
        passer->GetBrain()->GetOrder() = TeamOrder{1, Vector3{}, receiver};
        ActorCommand command;
        passer->GetBrain()->Think(command);
        ASSERT_EQ(command.code, ActorInput::Pass) << node->name;
        EXPECT_EQ(command.targetPosition.y > 0.0f, node == &ActorNodes::kickoff) << node->name;
    }
    Put(*passer, {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::standwithball);
    passer->GetBrain()->GetOrder() = TeamOrder{4, Vector3{0.0f, 0.0f, 20.0f}, nullptr};
    EXPECT_EQ(Think(*passer), ActorInput::Run);
    // Told to shoot, he turns at the goal: with no level, the one at the centre spot.
    Put(*passer, {10.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::standwithball);
    ball.SetPosition({10.0f, ball.GetRadius(), 0.0f});
    passer->GetBrain()->GetOrder() = TeamOrder{5, Vector3{}, nullptr};
    ActorCommand shot;
    passer->GetBrain()->Think(shot);
    EXPECT_NEAR(shot.direction, WorldHeadingOf({-1.0f, 0.0f, 0.0f}), 1e-4f);
}

TEST_F(FieldBrainTest, HeIsAtHisPlaceWithinTheSmallerMoveRangeWhereverItLies)
{
    Character* player = Add(home, "PandaPl00", {20.0f, 0.0f, 10.0f}, 0.0f, ActorNodes::stand);
    const float range = GameSettings::Instance()->minimumAiMoveRange;
    player->GetBrain()->GetOrder() = TeamOrder{0, Vector3{20.0f, 0.0f, 10.0f + 0.5f * range}, nullptr};
    EXPECT_NEAR(player->GetBrain()->GetDistanceToTargetPosition(), 0.5f * range, 1e-4f);
    EXPECT_TRUE(player->GetBrain()->IsAtTargetPosition());
}

TEST_F(FieldBrainTest, AHeaderWithinReachIsJudgedAtTheBallsPresentHeight)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    const CharacterRace& race = *player->GetRace();
    const float inWindow = 0.5f * (race.GetMinHeaderHeight() + race.GetMaxHeaderHeight());
    struct Case {
        float height;
        float rise;  // the ball's vertical speed: it would leave the window within a moment
        bool reachable;
    };
    for (const Case& c : std::vector<Case>{{inWindow, 30.0f, true},
                                           {inWindow, -30.0f, true},
                                           {race.GetMaxHeaderHeight() + 0.5f, -30.0f, false},
                                           {race.GetMinHeaderHeight() - 0.5f, 30.0f, false}}) {
        ball.SetPosition({0.5f, c.height, 0.0f});
        ball.SetVelocity({-5.0f, c.rise, 0.0f});
        EXPECT_EQ(player->GetBrain()->CanReachHeader(), c.reachable) << c.height << " " << c.rise;
    }
    // Beyond reach, it is judged where its path comes by him: at the height it has fallen or
    // risen to by then, and never when the path passes wide of him.
    const float gravity = LevelSettings::Instance()->gravity, speed = 5.0f, gap = 8.0f;
    const float rise = 0.5f * gravity * gap / speed;  // back at the same height as it comes by
    Put(*player, {3.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    struct Path {
        float across;
        float rise;
        bool reachable;
    };
    for (const Path& path : std::vector<Path>{{0.0f, rise, true}, {0.0f, 0.0f, false}, {7.0f, rise, false}}) {
        ball.SetPosition({3.0f - gap, inWindow, path.across});
        ball.SetVelocity({speed, path.rise, 0.0f});
        EXPECT_EQ(player->GetBrain()->CanReachHeader(), path.reachable) << path.across << " " << path.rise;
    }
    Put(*player, {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    // One beyond reach that moves away from him never comes within it.
    ball.SetPosition({-8.0f, inWindow, 0.0f});
    ball.SetVelocity({-5.0f, 0.0f, 0.0f});
    EXPECT_FALSE(player->GetBrain()->CanReachHeader());
    // A ball that does not move across the pitch, or one somebody holds, is never headed.
    ball.SetVelocity({0.0f, 1.0f, 0.0f});
    EXPECT_FALSE(player->GetBrain()->CanReachHeader());
    ball.SetVelocity({-5.0f, 0.0f, 0.0f});
    GiveBallTo(*Add(away, "LizardPl00", {20.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand));
    EXPECT_FALSE(player->GetBrain()->CanReachHeader());
}

// Sent at the holder, a defender runs until the gap between them is within reach (a slide's to
// tackle, a snag's to close down), then goes in, wherever the holder faces; with no man to go
// at he only runs.
TEST_F(FieldBrainTest, ADefenderGoesInOnlyFromWithinReach)
{
    Character* defender = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::run);
    Character* holder = Add(away, "LizardPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    GiveBallTo(*holder);
    GameSettings& s = *GameSettings::Instance();
    const float bodies = defender->GetActor()->GetRadius() + holder->GetActor()->GetRadius();
    for (const auto& [order, setting, code] : {std::tuple{6, &GameSettings::slideAttackDist, ActorInput::Tackle},
                                               std::tuple{3, &GameSettings::snagTriggerDistAi, ActorInput::Snag}}) {
        const float kept = s.*setting;
        const float reach = kept + bodies;
        const struct {
            Vector3 holder;
            bool target;
            int32_t code;
            bool edge;  // the reach set to the gap itself
        } cases[] = {
            {{0.0f, 0.0f, reach - 0.1f}, true, code, false},
            {{0.0f, 0.0f, reach}, true, code, true},
            {{reach - 0.1f, 0.0f, 0.0f}, true, code, false},
            {{0.0f, 0.0f, reach + 0.1f}, true, ActorInput::Run, false},
            {{0.0f, 0.0f, -2.0f * reach}, true, ActorInput::Run, false},
            {{0.0f, 0.0f, 1.0f}, false, ActorInput::Run, false},
        };
        for (const auto& c : cases) {
            Put(*defender, {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::run);
            Put(*holder, c.holder, 0.0f, ActorNodes::stand);
            s.*setting = c.edge ? defender->GetActor()->DistanceTo(*holder->GetActor()) : kept;
            defender->GetBrain()->GetOrder() = TeamOrder{order, Vector3{}, c.target ? holder : nullptr};
            ActorCommand command;
            defender->GetBrain()->Think(command);
            SCOPED_TRACE(testing::Message() << order << " at " << c.holder.x << " " << c.holder.z << " " << c.target);
            EXPECT_EQ(command.code, c.code);
            // A slide goes at the man; closing down goes at the ball.
            if (c.target && order == 6) {
                EXPECT_NEAR(Math::AngleDifference(command.direction, WorldHeadingOf(c.holder)), 0.0f, 1e-4f);
            }
        }
        s.*setting = kept;
    }
}

TEST_F(FieldBrainTest, ASlideTackleShoutsOnceAsItStarts)
{
    SoundEngine* engine = SoundEngine::Instance();
    engine->SetEnabled(true);
    const auto shout = static_cast<size_t>(RaceSound::SlideTackle);
    ASSERT_NE(engine->AddAudioEvent((*CharacterRace::SoundNamesOf("Panda"))[shout], AudioEvent{}), nullptr);
    Character* tackler = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::run);
    Character* holder = Add(away, "LizardPl00", {0.0f, 0.0f, 1.5f}, 0.0f, ActorNodes::stand);
    GiveBallTo(*holder);
    tackler->GetBrain()->GetOrder() = TeamOrder{6, Vector3{}, holder};
    const int before = engine->GetTemporaryVoiceCount();
    // The command keeps its hold byte from frame to frame, as the character's does.
    ActorCommand command;
    for (int frame = 0; frame < 5; ++frame)
        tackler->GetBrain()->Think(command);
    EXPECT_EQ(command.code, ActorInput::Tackle);
    EXPECT_EQ(engine->GetTemporaryVoiceCount() - before, 1);
    // Standing, the code does not start a slide: no shout.
    Put(*tackler, {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    ActorCommand standing;
    tackler->GetBrain()->Think(standing);
    EXPECT_EQ(standing.code, ActorInput::Tackle);
    EXPECT_EQ(engine->GetTemporaryVoiceCount() - before, 1);
    SoundEngine::DestroyInstance();
}

// A person's player under "(0):", the script stepping one frame per input update.
class HumanBrainTest : public FieldBrainTest {
protected:
    void SetUp() override
    {
        FieldBrainTest::SetUp();
        home->GetControlledPlayers().SetControllerName("(0):");
        script.Register(*BufferedInputController::Instance());
        GetControllerInput("(0):");  // edges count from the first request
    }
    // One frame: the script's next step, then the brain reads it.
    void Step(Character& player, ActorCommand& command)
    {
        BufferedInputController::Instance()->Update(kFrame);
        player.GetBrain()->Run(CharacterBrain::kHumanInput, command);
    }
    ScriptedInputMapper script{"(0):"};
};

TEST_F(HumanBrainTest, HoldingBWithTheBallShootsOnceThePowerIsFull)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::standwithball);
    GiveBallTo(*player);
    player->GetBrain()->SetName("(0):");
    script.Add(200, {{"button b", 1.0f}});
    ActorCommand command;
    int shotAt = -1;
    int fullFrom = -1;
    for (int frame = 0; frame < 200 && shotAt < 0; ++frame) {
        const float powerBefore = player->GetActor()->kickPower;
        if (fullFrom < 0 && powerBefore >= 1.0f)
            fullFrom = frame;
        Step(*player, command);
        if (command.code == ActorInput::Shoot)
            shotAt = frame;
    }
    const float framesToFull = MatchSettings::Instance()->holdTimeForMaxPower / kFrame;
    EXPECT_NEAR(static_cast<float>(shotAt), framesToFull, 3.0f);
    EXPECT_EQ(shotAt, fullFrom);
    EXPECT_TRUE(command.hold);
}

TEST_F(HumanBrainTest, AWithTheBallPassesTowardTheTeamMateAhead)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::standwithball);
    Character* mate = Add(home, "PandaPl01", {0.0f, 0.0f, 10.0f}, 0.0f, ActorNodes::stand);
    GiveBallTo(*player);
    player->GetBrain()->SetName("(0):");
    script.Add(1, {{"button a", 1.0f}});
    ActorCommand command;
    Step(*player, command);
    EXPECT_EQ(command.code, ActorInput::Pass);
    EXPECT_TRUE(command.hold);
    EXPECT_LT((command.targetPosition - mate->GetActor()->GetPosition()).Length(), 0.5f);
}

TEST_F(HumanBrainTest, AFarFromAnyHolderSwitchesAndABesideAHolderSnags)
{
    Character* first = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    Character* second = Add(home, "PandaPl01", {0.0f, 0.0f, 8.0f}, 0.0f, ActorNodes::stand);
    Character* holder = Add(away, "LizardPl00", {0.0f, 0.0f, 30.0f}, 0.0f, ActorNodes::stand);
    GiveBallTo(*holder);
    ControlledPlayerList& list = home->GetControlledPlayers();
    list.Refresh();
    Character* selected = list.GetSelected();
    ASSERT_TRUE(selected == first || selected == second);
    script.Add(1, {{"button a", 1.0f}});
    script.Add(1, {});
    script.Add(1, {{"button a", 1.0f}});
    ActorCommand command;
    Step(*selected, command);
    EXPECT_NE(list.GetSelected(), selected);
    EXPECT_EQ(command.code, ActorInput::None);
    // Beside the holder the same press snags.
    Character* now = list.GetSelected();
    Put(*now, {0.0f, 0.0f, 29.0f}, 0.0f, ActorNodes::stand);
    ActorCommand next;
    Step(*now, next);
    Step(*now, next);
    EXPECT_EQ(list.GetSelected(), now);
    EXPECT_EQ(next.code, ActorInput::Snag);
    EXPECT_TRUE(next.hold);
}

TEST_F(HumanBrainTest, AWithBHeldIsASpecialMoveOnlyWithEnoughEnergy)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    player->GetBrain()->SetName("(0):");
    script.Add(1, {{"button a", 1.0f}, {"button b", 1.0f}});
    script.Add(1, {});
    script.Add(1, {{"button a", 1.0f}, {"button b", 1.0f}});
    player->GetVariation()->energy.current = GameSettings::Instance()->specialEnergyThreshold - 1.0f;
    ActorCommand tired;
    tired.code = ActorInput::Jog;
    Step(*player, tired);
    EXPECT_EQ(tired.code, ActorInput::Jog);
    EXPECT_FALSE(tired.hold);
    player->GetVariation()->energy.current = GameSettings::Instance()->specialEnergyThreshold;
    ActorCommand fresh;
    Step(*player, fresh);
    Step(*player, fresh);
    EXPECT_EQ(fresh.code, ActorInput::Tackle);
}

} // namespace

namespace {

// The stick is read in the view: pushed right, the player runs toward the screen's right,
// whichever way the camera looks down the pitch.
TEST_F(HumanBrainTest, StickRightRunsTowardTheScreensRight)
{
    Camera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    ASSERT_NE(camera, nullptr);
    RwFrame* frame = camera->GetFrame();
    ASSERT_NE(frame, nullptr);
    const RwV3d yAxis{0.0f, 1.0f, 0.0f};
    for (const float degrees : {0.0f, 90.0f, 200.0f}) {
        SCOPED_TRACE(degrees);
        RwFrameRotate(frame, &yAxis, degrees, rwCombineReplace);
        const RwV3d& right = RwFrameGetLTM(frame)->right;
        // The engine draws the camera's right axis toward the screen's left.
        const Vector3 screenRight{-right.x, 0.0f, -right.z};

        Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 1.0f, ActorNodes::stand);
        player->GetBrain()->SetName("(0):");
        script.Add(90, {{"right", 1.0f}});
        ActorCommand command;
        // He starts at the end of his stand and turns as he sets off: judge the last half
        // second.
        Vector3 turned;
        for (int i = 0; i < 90; ++i) {
            if (i == 60)
                turned = player->GetActor()->GetPosition();
            Step(*player, command);
            Frame({{player->GetActor(), &command}}, kFrame);
        }
        const Vector3 moved = player->GetActor()->GetPosition() - turned;
        EXPECT_GT(moved.Length(), 1.0f);
        EXPECT_GT(moved.Dot(screenRight), 0.9f * moved.Length());
        home->RemoveAll();
    }
}

}  // namespace

namespace {

// Told to shoot or pass, he turns first: the shot or pass goes only while the angle between his
// heading and its way is below "AI pass FOV", an angle of exactly that still turning him; a
// pass with no man to go to only runs.
TEST_F(FieldBrainTest, AShotOrPassGoesOnlyOnceHeFacesItsWay)
{
    GameSettings& s = *GameSettings::Instance();
    const float fov = s.aiPassFov;
    Character* player = Add(home, "PandaPl00", {10.0f, 0.0f, 4.0f}, 0.0f, ActorNodes::standwithball);
    Character* mate = Add(home, "PandaPl01", {16.0f, 0.0f, 12.0f}, 0.0f, ActorNodes::stand);
    GiveBallTo(*player);
    ball.SetPosition({10.0f, ball.GetRadius(), 4.0f});
    const struct {
        const char* what;
        TeamOrder order;
        Vector3 way;
        int32_t code;
    } cases[] = {
        // With no level the goal he attacks is the one at the centre spot.
        {"a shot", {5, {}, nullptr}, {-10.0f, 0.0f, -4.0f}, ActorInput::Shoot},
        {"a pass", {1, {}, mate}, {6.0f, 0.0f, 8.0f}, ActorInput::Pass},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        player->GetBrain()->GetOrder() = c.order;
        const float way = WorldHeadingOf(c.way);
        struct Turn {
            float off;       // his heading from the way
            float fov;       // 0: the gap itself
            int32_t code;
        };
        for (const Turn& turn : {Turn{0.0f, fov, c.code}, Turn{Math::Pi, fov, ActorInput::Run},
                                 Turn{0.3f, 0.0f, ActorInput::Run}, Turn{-0.3f, 0.0f, ActorInput::Run}}) {
            SCOPED_TRACE(turn.off);
            Put(*player, {10.0f, 0.0f, 4.0f}, way + turn.off, ActorNodes::standwithball);
            s.aiPassFov = turn.fov > 0.0f ? turn.fov
                                          : std::fabs(Math::AngleDifference(player->GetActor()->GetHeading(), way));
            ActorCommand command;
            player->GetBrain()->Think(command);
            s.aiPassFov = fov;
            EXPECT_NEAR(Math::AngleDifference(command.direction, way), 0.0f, 1e-5f);
            EXPECT_EQ(std::pair(command.code, command.hold != 0), std::pair(turn.code, turn.code != ActorInput::Run));
        }
    }
    player->GetBrain()->GetOrder() = TeamOrder{1, {}, nullptr};
    EXPECT_EQ(Think(*player), ActorInput::Run);
}

// The keeper's come-out test: he may come while nobody of the other side holds the ball, or
// while the holder is farther from him than the ball; a holder exactly as near keeps him back.
TEST_F(FieldBrainTest, HeMayComeOutOnlyWhileTheBallIsNearerThanItsHolder)
{
    const Vector3 at{20.0f, 0.0f, 8.0f};
    Character* keeper = Add(home, "PandaPl00", at, 0.0f, ActorNodes::stand);
    Character* holder = Add(away, "LizardPl00", at + Vector3{3.0f, 0.0f, 4.0f}, 0.0f, ActorNodes::stand);
    const struct {
        const char* what;
        bool held;
        Vector3 ball;
        bool comes;
    } cases[] = {
        {"nobody holds it", false, {3.0f, 0.0f, 4.0f}, true},
        {"the ball nearer", true, {0.0f, 0.0f, 4.0f}, true},
        {"as near as its holder", true, {5.0f, 0.0f, 0.0f}, false},
        {"the holder nearer", true, {6.0f, 0.0f, 0.0f}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.held && !holder->GetActor()->HasBall())
            GiveBallTo(*holder);
        ball.SetPosition(at + c.ball);
        EXPECT_EQ(keeper->GetBrain()->CanComeOut(), c.comes);
    }
}

// A ball exactly the header reach away is judged where its path comes by him, not where it is:
// flying slowly, it has dropped out of his window by then.
TEST_F(FieldBrainTest, ABallExactlyAtHeaderReachIsJudgedWhereItComesBy)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    const CharacterRace& race = *player->GetRace();
    const float reach = MatchSettings::Instance()->maxHeaderRadius + ball.GetRadius() + player->GetActor()->GetRadius();
    const float inWindow = 0.5f * (race.GetMinHeaderHeight() + race.GetMaxHeaderHeight());
    ball.SetVelocity({1.0f, 0.0f, 0.0f});
    for (const auto& [gap, reachable] : {std::pair(std::nextafter(reach, 0.0f), true), std::pair(reach, false)}) {
        SCOPED_TRACE(gap);
        ball.SetPosition({-gap, inWindow, 0.0f});
        EXPECT_EQ(player->GetBrain()->CanReachHeader(), reachable);
    }
    // With no ball on the pitch there is nothing to head and nothing coming.
    CarriedBall* const match = ActorSurroundings::ball;
    ActorSurroundings::ball = nullptr;
    const std::pair judged(player->GetBrain()->CanReachHeader(), player->GetBrain()->IsBallApproaching());
    ActorSurroundings::ball = match;
    EXPECT_EQ(judged, std::pair(false, false));
}

// A ball coming at his head is his to head only while nobody holds it, of either side.
TEST_F(FieldBrainTest, NobodyHeadsABallEitherSideHolds)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    Character* mate = Add(home, "PandaPl01", {-20.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    Character* opponent = Add(away, "LizardPl00", {-20.0f, 0.0f, 5.0f}, 0.0f, ActorNodes::stand);
    const CharacterRace& race = *player->GetRace();
    for (Character* holder : {static_cast<Character*>(nullptr), mate, opponent}) {
        SCOPED_TRACE(holder == nullptr ? "nobody" : holder == mate ? "a team-mate" : "an opponent");
        if (holder)
            GiveBallTo(*holder);
        ball.SetPosition({-1.0f, 0.5f * (race.GetMinHeaderHeight() + race.GetMaxHeaderHeight()), 0.0f});
        ball.SetVelocity({5.0f, 0.0f, 0.0f});
        EXPECT_EQ(player->GetBrain()->CanReachHeader(), holder == nullptr);
        if (holder) {
            holder->GetActor()->ReleaseBall();
            ball.ReleasePossession(1);
        }
    }
}

// The header window takes in its very edges: a ball within reach at exactly the race's lowest
// or highest header height is his, one a hair beyond either is not.
TEST_F(FieldBrainTest, TheHeaderWindowTakesInItsEdges)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    const CharacterRace& race = *player->GetRace();
    const float low = race.GetMinHeaderHeight(), high = race.GetMaxHeaderHeight();
    for (const auto& [height, reachable] : {std::pair(low, true), std::pair(high, true),
                                            std::pair(std::nextafter(low, 0.0f), false),
                                            std::pair(std::nextafter(high, 100.0f), false)}) {
        SCOPED_TRACE(height);
        ball.SetPosition({-0.5f, height, 0.0f});
        ball.SetVelocity({5.0f, 0.0f, 0.0f});
        EXPECT_EQ(player->GetBrain()->CanReachHeader(), reachable);
    }
}

// On an open pitch a computer player heads straight for where his order sends him: jogging to
// his place, running to a loose ball or with the ball at his feet, and at the ball when closing
// down its holder.
TEST_F(FieldBrainTest, OnAnOpenPitchHeHeadsStraightForHisOrdersPoint)
{
    const Vector3 at{10.0f, 0.0f, 4.0f};
    Character* player = Add(home, "PandaPl00", at, 0.0f, ActorNodes::stand);
    Character* holder = Add(away, "LizardPl00", {-20.0f, 0.0f, -6.0f}, 0.0f, ActorNodes::stand);
    ball.SetPosition({-18.0f, ball.GetRadius(), -5.0f});
    const Vector3 point{25.0f, 0.0f, 24.0f};
    const struct {
        TeamOrder order;
        Vector3 towards;
        int32_t code;
    } cases[] = {
        {{0, point, nullptr}, point, ActorInput::Jog},
        {{2, point, nullptr}, point, ActorInput::Run},
        {{4, point, nullptr}, point, ActorInput::Run},
        {{3, {}, holder}, {-18.0f, 0.0f, -5.0f}, ActorInput::Run},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order.code);
        Put(*player, at, 0.0f, ActorNodes::stand);
        player->GetBrain()->GetOrder() = c.order;
        ActorCommand command;
        player->GetBrain()->Think(command);
        EXPECT_EQ(command.code, c.code);
        EXPECT_NEAR(Math::AngleDifference(command.direction, WorldHeadingOf(c.towards - at)), 0.0f, 1e-4f);
    }
}

// Told to make his special move, a computer player starts his race's own, holds it and shouts.
TEST_F(FieldBrainTest, AComputerSpecialMoveIsTheRacesOwnAndShouts)
{
    SoundEngine* engine = SoundEngine::Instance();
    engine->SetEnabled(true);
    for (const auto& [variation, race, code] : {std::tuple("PandaPl00", "Panda", ActorInput::SpecialPanda),
                                                std::tuple("LizardPl00", "Lizard", ActorInput::SpecialStart)}) {
        SCOPED_TRACE(race);
        Character* player = Add(home, variation, {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::standwithball);
        const auto shout = static_cast<size_t>(RaceSound::SpecialComputer);
        engine->ClearAudioEvents();
        ASSERT_NE(engine->AddAudioEvent((*CharacterRace::SoundNamesOf(race))[shout], AudioEvent{}), nullptr);
        player->GetBrain()->GetOrder() = TeamOrder{9, {}, nullptr};
        const int before = engine->GetTemporaryVoiceCount();
        ActorCommand command;
        player->GetBrain()->Think(command);
        EXPECT_EQ(std::pair(command.code, command.hold != 0), std::pair(int32_t(code), true));
        EXPECT_EQ(engine->GetTemporaryVoiceCount() - before, 1);
    }
    SoundEngine::DestroyInstance();
}

// A person's a beside the holder snags from exactly "Snag trigger dist (HUMAN)".
TEST_F(HumanBrainTest, ASnagsFromExactlyTheTriggerDistance)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    Character* holder = Add(away, "LizardPl00", {0.0f, 0.0f, 2.5f}, 0.0f, ActorNodes::stand);
    GiveBallTo(*holder);
    player->GetBrain()->SetName("(0):");
    GameSettings& s = *GameSettings::Instance();
    const float kept = s.snagTriggerDistHuman;
    s.snagTriggerDistHuman = player->GetActor()->DistanceTo(*holder->GetActor());
    script.Add(1, {{"button a", 1.0f}});
    ActorCommand command;
    Step(*player, command);
    s.snagTriggerDistHuman = kept;
    EXPECT_EQ(std::pair(command.code, command.hold != 0), std::pair(int32_t(ActorInput::Snag), true));
}

// The presses that shout: a special move with the ball plays the race's special sound, a slide
// from a with b held or from b alone its slide-tackle sound; only b's slide holds its code.
TEST_F(HumanBrainTest, ASpecialMoveOrASlideShoutsTheRacesSound)
{
    SoundEngine* engine = SoundEngine::Instance();
    engine->SetEnabled(true);
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    player->GetBrain()->SetName("(0):");
    const RaceSoundNames& names = *CharacterRace::SoundNamesOf("Panda");
    const struct {
        const char* what;
        bool withBall;
        bool a;
        int32_t code;
        bool hold;
        RaceSound sound;
    } cases[] = {
        {"a with b held, with the ball", true, true, ActorInput::SpecialPanda, false, RaceSound::SpecialHuman},
        {"a with b held, without it", false, true, ActorInput::Tackle, false, RaceSound::SlideTackle},
        {"b alone, without it", false, false, ActorInput::Tackle, true, RaceSound::SlideTackle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.withBall && !player->GetActor()->HasBall())
            GiveBallTo(*player);
        if (!c.withBall && player->GetActor()->HasBall()) {
            player->GetActor()->ReleaseBall();
            ball.ReleasePossession(1);
        }
        ball.SetPosition({0.0f, ball.GetRadius(), 30.0f});
        engine->ClearAudioEvents();
        ASSERT_NE(engine->AddAudioEvent(names[static_cast<size_t>(c.sound)], AudioEvent{}), nullptr);
        script.Add(1, {});
        if (c.a)
            script.Add(1, {{"button a", 1.0f}, {"button b", 1.0f}});
        else
            script.Add(1, {{"button b", 1.0f}});
        ActorCommand released;
        Step(*player, released);
        const int before = engine->GetTemporaryVoiceCount();
        ActorCommand command;
        Step(*player, command);
        EXPECT_EQ(std::pair(command.code, command.hold != 0), std::pair(c.code, c.hold));
        EXPECT_EQ(engine->GetTemporaryVoiceCount() - before, 1);
    }
    SoundEngine::DestroyInstance();
}

}  // namespace

namespace {

// Tools and tests build brains without some of their parts: without a race a brain heads
// nothing, without an actor it lets a keeper come out, and a player of no side attacks as the
// first side does; none of them reaches for the part it lacks.
TEST_F(FieldBrainTest, ABrainWithoutSomeOfItsPartsAnswersWithoutThem)
{
    Character* player = Add(home, "PandaPl00", {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::stand);
    Character* holder = Add(away, "LizardPl00", {3.0f, 0.0f, 4.0f}, 0.0f, ActorNodes::stand);
    const CharacterRace& race = *player->GetRace();
    ball.SetPosition({-1.0f, 0.5f * (race.GetMinHeaderHeight() + race.GetMaxHeaderHeight()), 0.0f});
    ball.SetVelocity({5.0f, 0.0f, 0.0f});
    ASSERT_TRUE(player->GetBrain()->CanReachHeader());
    const CharacterBrain raceless(player->GetActor(), player, nullptr);
    EXPECT_FALSE(raceless.CanReachHeader());

    GiveBallTo(*holder);
    ball.SetPosition({6.0f, 0.0f, 0.0f});
    ASSERT_FALSE(player->GetBrain()->CanComeOut());
    const CharacterBrain actorless(nullptr, player, player->GetRace());
    EXPECT_TRUE(actorless.CanComeOut());

    Character loner(Character::kFieldPlayer, "PandaPl00", nullptr);
    EXPECT_TRUE(loner.GetBrain()->GetGoalCentre().IsEqual(player->GetBrain()->GetGoalCentre()));
    for (const bool first : {true, false}) {
        loner.GetCommand().direction = WorldHeadingOf(PitchPosition(first ? 1.0f : -1.0f, 0.0f).ToWorld(true));
        EXPECT_EQ(loner.GetBrain()->IsFacingAttack(), first);
    }
}

}  // namespace
