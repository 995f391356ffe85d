// One penalty kick on the first level with the default data's sides: the outcome, what the
// kick borrows and gives back, the computer keeper's read, a person's stick and buttons.
#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "framework/Cast.h"
#include "framework/MathUtil.h"
#include "framework/Message.h"
#include "match/penalties/PenaltyShot.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "scene/GameElement.h"
#include "support/PenaltyTest.h"
#include "tests/support/LogCapture.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kCap = 900;

class PenaltyShotTest : public PenaltyTest {
protected:
    void SetUp() override
    {
        PenaltyTest::SetUp();
        taker = PenaltyMatch::LastPlayer(0);
        keeper = PenaltyMatch::Keeper(1);
        ASSERT_TRUE(taker && keeper);
    }

    PenaltyShot* Start(const std::string& takerController, const std::string& keeperController, bool left = true)
    {
        auto* shot = new PenaltyShot(taker, keeper, takerController, keeperController, left, &result, true);
        Harness().MakeCurrent(shot);
        return shot;
    }

    static void SendGoal()
    {
        MessageServer* server = MessageServer::Instance();
        server->SendMessage(0, server->RegisterMessage("goal scored"), 0);
    }

    Character* taker = nullptr;
    Character* keeper = nullptr;
    int32_t result = -1;
};

// The brains, names, control flags, ball-contact bytes and cameras as the match had them.
struct Borrowed {
    std::string takerName, keeperName;
    bool takerSelected, keeperSelected, takerHeld, keeperHeld, takerContact, keeperContact;
    size_t cameras;
    int takerFacesAtOnce, keeperFacesAtOnce;

    static Borrowed Of(Character& taker, Character& keeper, const GameTB& game)
    {
        return {taker.GetControllerName(),     keeper.GetControllerName(),   taker.IsSelected(),
                keeper.IsSelected(),           taker.GetBrain()->IsInPenalty(), keeper.GetBrain()->IsInPenalty(),
                taker.GetActor()->ballContact, keeper.GetActor()->ballContact,
                game.GetCameras().GetCameraStack().size(), taker.GetCommand().faceAtOnce,
                keeper.GetCommand().faceAtOnce};
    }
    bool operator==(const Borrowed&) const = default;
};

TEST_F(PenaltyShotTest, KickBorrowsControlAndCameraAndGivesThemBack)
{
    // A field player turns gradually in open play; the kick holds both to their headings.
    taker->GetCommand().faceAtOnce = 0;
    const Borrowed before = Borrowed::Of(*taker, *keeper, Game());
    ASSERT_EQ(before.cameras, 1u);
    Start("(0):", "ai");
    const Borrowed during = Borrowed::Of(*taker, *keeper, Game());
    const std::string camera = Game().GetCameras().GetActiveCamera()->GetName();
    Harness().Step();
    SendGoal();
    const Borrowed afterGoal = Borrowed::Of(*taker, *keeper, Game());
    Harness().MakeCurrent(nullptr);

    EXPECT_EQ(during, (Borrowed{"(0):", "ai", true, false, true, true, true, true, 2u, 1, 1}));
    EXPECT_EQ(camera, "Cameras|Penalty Left");
    EXPECT_FALSE(afterGoal.takerContact);
    EXPECT_FALSE(afterGoal.keeperContact);
    EXPECT_EQ(Borrowed::Of(*taker, *keeper, Game()), before);
    EXPECT_EQ(result, PenaltyContext::kScored);
}

TEST_F(PenaltyShotTest, GoalCountsOnceAndAMissIsFixedAtTheDecisionTime)
{
    // Far over the bar: no goal comes by itself.
    Settings().defaultShotY = 30.0f;
    Settings().aiWaitBeforeShot = 0.2f;
    Settings().timeAfterKick = 2.0f;
    // Just under 60 frames: the frame count, not rounding, decides.
    Settings().goalDecisionTime = 0.99f;
    Start("ai", "ai");
    int kickFrame = -1, missFrame = -1;
    Run(kCap, [&](int frame) {
        if (kickFrame < 0 && TheBall().GetVelocity().LengthSquared() > 1.0f)
            kickFrame = frame;
        if (missFrame < 0 && result == PenaltyContext::kMissed)
            missFrame = frame;
    });
    ASSERT_GE(kickFrame, 0);
    // The movement starts in the frame after the kick.
    EXPECT_EQ(missFrame - kickFrame, 60);
    EXPECT_EQ(Harness().GetProblem(), "");

    // A goal before the decision counts; later reports change nothing.
    Settings().defaultShotY = 30.0f;
    Start("ai", "ai");
    Harness().Step();
    SendGoal();
    SendGoal();
    std::vector<int32_t> seen;
    Run(kCap, [&](int) {
        if (seen.empty() || seen.back() != result)
            seen.push_back(result);
    });
    EXPECT_EQ(seen, (std::vector<int32_t>{PenaltyContext::kScored}));
}

TEST_F(PenaltyShotTest, DecisionTimeBeyondTheKickStillEndsItMissed)
{
    Settings().defaultShotY = 30.0f;
    Settings().aiWaitBeforeShot = 0.2f;
    Settings().timeAfterKick = 1.0f;
    Settings().goalDecisionTime = 5.0f;
    Start("ai", "ai");
    std::vector<int32_t> seen;
    const int frames = Run(kCap, [&](int) { seen.push_back(result); });
    ASSERT_LT(frames, kCap);
    EXPECT_EQ(Game().GetCurrentState(), nullptr);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2], PenaltyContext::kOpen);
    EXPECT_EQ(seen.back(), PenaltyContext::kMissed);
}

TEST_F(PenaltyShotTest, PlacesByTheLevelsObjectsAndFallsBackWithoutThem)
{
    Cast* objects = CastManager::Instance()->GetCast("objects");
    ASSERT_NE(objects, nullptr);
    auto* spot = dynamic_cast<GameElement*>(objects->FindByName("LeftPenaltySpot")->object);
    ASSERT_NE(spot, nullptr);
    spot->SetPosition(Vector3(36.0f, 0.0f, 0.0f));
    Start("ai", "ai");
    EXPECT_EQ(keeper->GetActor()->GetPosition(), Vector3(50.0f, 0.0f, 0.0f));
    EXPECT_NEAR(taker->GetActor()->GetPosition().x, 36.0f, 0.05f);
    EXPECT_TRUE(taker->GetActor()->HasBall());
    Harness().MakeCurrent(nullptr);
    spot->SetPosition(Vector3(39.0f, 0.0f, 0.0f));

    // The right side's objects gone: the defaults of that side, logged once by name.
    LogCapture log;
    for (const char* name : {"RightPenaltySpot", "RightKeeperLine"})
        Game().GetElements().DeleteGameElement(dynamic_cast<GameElement*>(objects->FindByName(name)->object));
    Start("ai", "ai", false);
    EXPECT_EQ(keeper->GetActor()->GetPosition(), Vector3(-50.0f, 0.0f, 0.0f));
    EXPECT_NEAR(taker->GetActor()->GetPosition().x, -39.0f, 0.05f);
    Run(kCap);
    EXPECT_EQ(Harness().GetProblem(), "");
    EXPECT_EQ(log.Count("\"RightPenaltySpot\""), 1);
    EXPECT_EQ(log.Count("\"RightKeeperLine\""), 1);
    EXPECT_NE(result, PenaltyContext::kOpen);
    // Back for the tests after: the level's casts read again.
    Game().GetElements().LoadOrSaveCasts(true, true, false);
}

// Whoever held the ball in open play lets it go: it lies at rest on the spot, on the grass,
// and the taker has it at his feet.
TEST_F(PenaltyShotTest, TheBallLiesOnTheSpotFreedFromWhoeverHeldIt)
{
    for (const bool left : {true, false}) {
        SCOPED_TRACE(left ? "left goal" : "right goal");
        Character* holder = PenaltyMatch::Keeper(0);
        taker->GetActor()->ReleaseBall();
        TheBall().ReleasePossession(0);
        ASSERT_TRUE(TheBall().TakePossession(holder));
        holder->GetActor()->TakeBall(&TheBall());
        TheBall().SetVelocity(Vector3(3.0f, 1.0f, 0.0f));
        Start("ai", "ai", left);
        const Vector3 spot = PenaltyPreShot::SpotPoint(left);
        const Vector3 ball = TheBall().GetPosition();
        EXPECT_FALSE(holder->GetActor()->HasBall());
        EXPECT_TRUE(taker->GetActor()->HasBall());
        EXPECT_NEAR(ball.y, spot.y + TheBall().GetRadius(), 0.02f);
        EXPECT_LT(std::hypot(ball.x - spot.x, ball.z - spot.z), 0.6f);
        EXPECT_LT(TheBall().GetVelocity().Length(), 0.01f);
        Harness().MakeCurrent(nullptr);
    }
}

// The camera comes off at the end only if it went on: a game's stack without the penalty
// views, or no game at all, leaves the player's view alone.
TEST_F(PenaltyShotTest, TheCameraIsPushedOnlyWhereThereIsOneToTakeOff)
{
    CameraStack* game = CameraStack::Current();
    ASSERT_NE(game, nullptr);
    CameraStack bare;
    const struct {
        const char* what;
        CameraStack* current;
        bool pushed;
    } cases[] = {{"the game's", game, true}, {"without penalty views", &bare, false}, {"none", nullptr, false}};
    for (const auto& c : cases) {
        for (const bool left : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.what << (left ? " left" : " right"));
            CameraStack::SetCurrent(c.current);
            const size_t before = c.current ? c.current->GetCameraStack().size() : 0;
            EXPECT_EQ(PushPenaltyCamera(left), c.pushed);
            if (c.current) {
                EXPECT_EQ(c.current->GetCameraStack().size(), before + (c.pushed ? 1 : 0));
            }
            if (c.pushed) {
                EXPECT_STREQ(c.current->GetActiveCamera()->GetName(),
                             left ? "Cameras|Penalty Left" : "Cameras|Penalty Right");
                c.current->PopCamera();
            }
        }
    }
    CameraStack::SetCurrent(game);
}

// With no power error the computer's kick goes where it aims, inside the posts and under the
// bar: in at every corner of either goal past a keeper who stays on his line.
TEST_F(PenaltyShotTest, AComputersTrueKickScoresInEveryCorner)
{
    constexpr int kCorners = 4;
    constexpr int kMaxSeeds = 12;
    Settings().worstPowerErrorAi = Settings().bestPowerErrorAi = 0.0f;
    Settings().minimumReadTime = Settings().maximumReadTime = 0.0f;
    Settings().aiWaitBeforeShot = 0.1f;
    Settings().goalDecisionTime = Settings().timeAfterKick = 1.5f;
    std::set<int32_t> corners;
    for (int seed = 1; seed <= kMaxSeeds && static_cast<int>(corners.size()) < kCorners; ++seed) {
        SCOPED_TRACE(seed);
        Random::Seed(seed);
        PenaltyShot* shot = Start("ai", "ai", seed % 2 == 0);
        int32_t aim = 0;
        Run(kCap, [&](int) {
            if (Game().GetCurrentState() == shot)
                aim = shot->GetContext().aimCode;
        });
        EXPECT_EQ(result, PenaltyContext::kScored) << "aimed at cell " << aim;
        corners.insert(aim);
    }
    EXPECT_EQ(static_cast<int>(corners.size()), kCorners);
}

// A computer keeper who reads every kick dives to the cell it is aimed at: wherever he meets
// the ball, facing the kick, his parry never carries it over his own goal line. Open play
// leaves him a command to face the ball at once, here one that would turn him to his net.
TEST_F(PenaltyShotTest, AKeeperWhoReadsTheKickNeverParriesItIntoHisOwnNet)
{
    Settings().aiWorstSaveProb = Settings().aiBestSaveProb = 2.0f;
    Settings().saveProbSkillFraction = 1.0f;
    Settings().saveProbShotFraction = Settings().saveProbReadFraction = 0.0f;
    // Held 11 to 26 frames: from under half the optimum power to a little above it.
    Settings().worstPowerUpTime = Settings().bestPowerUpTime = 0.5f;
    Settings().optimumPowerLevel = 0.8f;
    std::vector<PenaltyMatch::PersonsKick> kicks;
    for (const char* row : {"(0):up", "", "(0):down"}) {
        for (const char* column : {"(0):left", "", "(0):right"}) {
            for (const int held : {11, 16, 21, 26}) {
                PenaltyMatch::PersonsKick kick{held, {}, {}};
                for (const char* action : {column, row})
                    if (*action)
                        kick.takerStick.push_back(action);
                kicks.push_back(kick);
            }
        }
    }
    std::set<int32_t> aims, saved;
    for (const PenaltyMatch::PersonsKick& kick : kicks) {
        for (const bool left : {true, false}) {
            PenaltyMatch::ScriptPersonsKick(Harness().Script(), Harness().GetFrame(), kick);
            const float heading = PenaltyPreShot::KeeperHeading(left);
            keeper->GetCommand().faceAtOnce = 1;
            keeper->GetCommand().direction = heading + 0.75f * Math::Pi;
            PenaltyShot* shot = Start("(0):", "ai", left);
            const float line = std::fabs(PenaltyPreShot::KeeperPoint(left).x);
            int32_t aim = 0;
            int32_t dive = 0;
            bool touch = false;
            Vector3 keeperAt, ballAt;
            float facing = 0.0f;
            Run(kCap, [&](int) {
                if (shot && Game().GetCurrentState() == shot) {
                    aim = shot->GetContext().aimCode;
                    dive = shot->GetContext().diveCode;
                } else {
                    shot = nullptr;
                }
                if (!touch && TheBall().GetLastToucher() == keeper) {
                    touch = true;
                    keeperAt = keeper->GetActor()->GetPosition();
                    facing = keeper->GetActor()->GetHeading();
                    ballAt = TheBall().GetPosition();
                }
            });
            SCOPED_TRACE(::testing::Message() << "aim " << aim << (left ? " left goal" : " right goal") << " keeper x "
                                              << keeperAt.x << " ball " << ballAt.x << "," << ballAt.y << ","
                                              << ballAt.z);
            aims.insert(aim);
            EXPECT_EQ(dive, aim);
            if (!touch)
                continue;
            saved.insert(aim);
            EXPECT_NE(result, PenaltyContext::kScored);
            EXPECT_LE(std::fabs(keeperAt.x), line + 0.05f);
            EXPECT_NEAR(Math::AngleDifference(facing, heading), 0.0f, 0.01f);
        }
    }
    EXPECT_EQ(aims.size(), 9u);
    // Only the top corners are out of his reach: the power that lifts a kick into the top row
    // also takes it wide of his dive.
    EXPECT_EQ(saved, (std::set<int32_t>{15, 17, 18, 19, 20, 21, 22}));
}

// A person takes the kick: a held charges the power until its release; the stick aims. A
// person keeps goal with his stick.
TEST_F(PenaltyShotTest, PersonScoresTopLeftPastAWrongKeeperAndAKeeperWithTheRightStickSaves)
{
    Settings().worstPowerUpTime = Settings().bestPowerUpTime = 0.5f;
    Settings().optimumPowerLevel = 0.8f;
    struct Case {
        const char* name;
        PenaltyMatch::PersonsKick kick;
        int32_t result, aim, dive;
        float quality;
    };
    // Held 26 frames: a power of 0.87 (p 1.08); held 11: 0.37 (p 0.46).
    const std::vector<Case> cases = {
        {"top left, keeper to his left", PenaltyMatch::TopLeftPastTheKeeper(), PenaltyContext::kScored, 16, 14,
         2.0f - 0.8667f / 0.8f},
        {"low left, softly, keeper low to his right", PenaltyMatch::LowLeftSaved(), PenaltyContext::kMissed, 22, 22,
         0.3667f / 0.8f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PenaltyMatch::ScriptPersonsKick(Harness().Script(), Harness().GetFrame(), c.kick);
        PenaltyShot* shot = Start("(0):", "(1):");
        Vector3 atGoal;
        int32_t before = PenaltyContext::kOpen;
        PenaltyContext seen;
        Run(kCap, [&](int) {
            if (shot && Game().GetCurrentState() == shot)
                seen = shot->GetContext();
            else
                shot = nullptr;
            if (before == PenaltyContext::kOpen && result == PenaltyContext::kScored)
                atGoal = TheBall().GetPosition();
            before = result;
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(seen.aimCode, c.aim);
        EXPECT_EQ(seen.diveCode, c.dive);
        EXPECT_NEAR(seen.shotQuality, c.quality, 0.03f);
        if (c.result == PenaltyContext::kScored) {
            // The taker's left at the left goal is -z; high, but under the bar.
            EXPECT_LT(atGoal.z, -1.5f);
            EXPECT_GT(atGoal.y, 1.2f);
        } else {
            EXPECT_EQ(TheBall().GetLastToucher(), keeper);
        }
        EXPECT_EQ(Harness().GetProblem(), "");
    }
}

// The keeper's dive, the movement alone, on a kick placed by the first two phases.
class PenaltyMovementTest : public PenaltyShotTest {
protected:
    PenaltyContext Context(const std::string& keeperController)
    {
        PenaltyContext context;
        context.taker = taker;
        context.keeper = keeper;
        context.takerController = "ai";
        context.keeperController = keeperController;
        context.result = &result;
        context.saveInput.code = 16;
        return context;
    }
};

// The kick sounds as loud as the taker's power, and goes off along the shot even when his
// clip let the ball go in the run-up's last frame.
TEST_F(PenaltyMovementTest, TheKickSoundsAsLoudAsItsPowerAndLeavesEvenFromABallLetGo)
{
    SoundEngine& sounds = *SoundEngine::Instance();
    const bool enabled = sounds.IsEnabled();
    sounds.SetEnabled(true);
    const std::vector<std::string>* shots = sounds.GetAlias("shot");
    ASSERT_NE(shots, nullptr);
    const struct {
        float power;
        bool held;
    } cases[] = {{0.0f, true}, {0.5f, true}, {1.0f, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "power " << c.power << (c.held ? " held" : " let go"));
        PenaltyContext context = Context("ai");
        PenaltyPreShot placing(&context);
        placing.Enter();
        placing.Exit();
        Actor& actor = *taker->GetActor();
        ASSERT_TRUE(actor.HasBall());
        if (!c.held)
            actor.ReleaseBall();
        actor.kickPower = c.power;
        const int before = sounds.GetTemporaryVoiceCount();
        PenaltyRunUp runUp(&context);
        runUp.Enter();
        runUp.Exit();

        ASSERT_GT(sounds.GetTemporaryVoiceCount(), before);
        const Voice& voice = *sounds.GetTemporaryVoice(before);
        bool isShot = false;
        for (const std::string& name : *shots)
            isShot = isShot || voice.GetEvent() == sounds.GetAudioEvent(name);
        EXPECT_TRUE(isShot);
        EXPECT_TRUE(voice.IsActive());
        EXPECT_FLOAT_EQ(voice.GetVolume(), (c.power + 1.0f) * 0.5f);
        EXPECT_EQ(actor.kickPower, 0.0f);
        EXPECT_FALSE(actor.HasBall());
        // A kick, not a drop: a goal from it counts.
        EXPECT_TRUE(TheBall().IsLegalForGoal());
        // Towards the keeper's goal at the left end, fast.
        const Vector3 velocity = TheBall().GetVelocity();
        EXPECT_GT(velocity.x, 10.0f);
        EXPECT_LT(std::fabs(velocity.z), velocity.x);
    }
    sounds.SetEnabled(enabled);
}

// The run-up plays on the pitch: the taker's clip carries the ball at his foot, frame by
// frame, until it ends.
TEST_F(PenaltyMovementTest, TheRunUpPlaysOnThePitchFrameByFrame)
{
    PenaltyContext context = Context("ai");
    PenaltyPreShot placing(&context);
    placing.Enter();
    placing.Exit();
    PenaltyRunUp runUp(&context);
    runUp.Enter();
    const Vector3 start = TheBall().GetPosition();
    float moved = 0.0f;
    int frames = 0;
    constexpr float kDt = 1.0f / 60.0f;
    for (State* next = &runUp; next == &runUp && frames < 600; ++frames) {
        next = runUp.Update(kDt);
        if (next != &runUp) {
            delete next;
            break;
        }
        moved = std::max(moved, (TheBall().GetPosition() - start).Length());
        EXPECT_TRUE(taker->GetActor()->HasBall()) << frames;
    }
    EXPECT_GT(moved, 0.05f);
    // Within a frame of the clip's length, as the frame times add up.
    EXPECT_NEAR(frames, taker->GetRace()->GetAction("penaltyshot")->GetDuration() / kDt, 1.0f);
}

// The kick goes to the side of the save cell it is aimed at, and the default sideways offset
// adds to the aim's own: one that takes the aim back sends the kick straight down the pitch at
// the keeper, at either end.
TEST_F(PenaltyMovementTest, TheDefaultSidewaysOffsetAddsToTheAimsOwn)
{
    Settings().worstPowerErrorAi = Settings().bestPowerErrorAi = 0.0f;
    const float offset = Settings().optimumXOffset;
    ASSERT_GT(offset, 0.5f);
    std::set<int32_t> columns;
    for (int seed = 1; seed <= 12 && columns.size() < 4; ++seed) {
        for (const bool left : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << (left ? " left goal" : " right goal"));
            PenaltyContext context = Context("ai");
            context.leftSide = left;
            PenaltyPreShot placing(&context);
            placing.Enter();
            placing.Exit();
            PenaltyRunUp runUp(&context);
            Settings().defaultShotX = 0.0f;
            Random::Seed(seed);
            const Vector3 aimed = runUp.ComputeShot();
            // Column 0 is the keeper's left, where a positive sideways offset aims.
            const int32_t column = (context.aimCode - 14) % 3;
            ASSERT_NE(column, 1);
            columns.insert(column + (left ? 0 : 10));
            // The keeper faces the pitch: his left is +z at the left goal, -z at the right one.
            EXPECT_GT(aimed.z * (left == (column == 0) ? 1.0f : -1.0f), 0.5f);
            Settings().defaultShotX = column == 0 ? -offset : offset;
            Random::Seed(seed);
            const Vector3 straight = runUp.ComputeShot();
            EXPECT_NEAR(straight.z, 0.0f, 1e-3f);
            EXPECT_NEAR(straight.y, aimed.y, 1e-3f);
        }
    }
    EXPECT_EQ(columns.size(), 4u);
}

// Each phase's time is decided on the frame it runs out exactly: a run-up updated by its whole
// clip ends then, a kick is missed once exactly the decision time has passed, and a person's
// keeper with no window at all dives in the frame he first pushes the stick.
TEST_F(PenaltyMovementTest, EachTimeEndsInTheFrameItRunsOutExactly)
{
    PenaltyContext context = Context("ai");
    PenaltyRunUp runUp(&context);
    runUp.Enter();
    CharacterAction* clip = taker->GetRace()->GetAction("penaltyshot");
    ASSERT_NE(clip, nullptr);
    ASSERT_GT(clip->GetDuration(), 0.0f);
    std::unique_ptr<State> next(runUp.Update(clip->GetDuration()));
    EXPECT_NE(next.get(), &runUp);
    EXPECT_NE(dynamic_cast<PenaltyMovement*>(next.get()), nullptr);
    if (next.get() == &runUp)
        next.release();

    // Quarter seconds add up exactly.
    Settings().timeAfterKick = 2.0f;
    Settings().goalDecisionTime = 0.5f;
    Settings().minimumReadTime = Settings().maximumReadTime = 0.0f;
    PenaltyMovement movement(&context);
    movement.Enter();
    result = PenaltyContext::kOpen;
    std::vector<int32_t> seen;
    for (int frame = 0; frame < 3; ++frame) {
        movement.Update(0.25f);
        seen.push_back(result);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{PenaltyContext::kOpen, PenaltyContext::kMissed, PenaltyContext::kMissed}));

    Settings().keyboardInputTime = 0.0f;
    PenaltyContext person = Context("(1):");
    Harness().Script().Press(Harness().GetFrame(), "(1):left");
    Harness().MakeCurrent(new PenaltyMovement(&person));
    Harness().Step();
    EXPECT_EQ(person.diveCode, 19);
    Harness().MakeCurrent(nullptr);
}

TEST_F(PenaltyMovementTest, ComputerKeeperDivesInTheFrameTheReadTimeIsPassed)
{
    Settings().timeAfterKick = 1.0f;
    Settings().minimumReadTime = 0.1f;
    Settings().maximumReadTime = 0.9f;
    for (int run = 0; run < 5; ++run) {
        PenaltyContext context = Context("ai");
        PenaltyMovement movement(&context);
        movement.Enter();
        const float read = context.readTime;
        constexpr float kDt = 1.0f / 60.0f;
        int divedAt = -1;
        float timerAt = 0.0f;
        for (int frame = 0; frame < 70 && divedAt < 0; ++frame) {
            movement.Update(kDt);
            if (movement.HasDived()) {
                divedAt = frame;
                timerAt = movement.GetTimer();
            }
        }
        ASSERT_GE(divedAt, 0) << read;
        EXPECT_LT(timerAt, read);
        EXPECT_GE(timerAt + kDt, read);
        EXPECT_EQ(std::string(keeper->GetActor()->GetStateName()).rfind("save", 0), 0u);
    }
}

TEST_F(PenaltyMovementTest, ComputerKeeperReadsTheKickWithItsSaveProbability)
{
    Settings().minimumReadTime = 0.2f;
    Settings().maximumReadTime = 0.6f;
    Settings().saveProbShotFraction = 0.3f;
    Settings().saveProbSkillFraction = 0.4f;
    Settings().saveProbReadFraction = 0.2f;
    Settings().aiWorstSaveProb = 0.2f;
    Settings().aiBestSaveProb = 0.6f;
    const float skill = keeper->GetVariation()->GetAverageStatistic().current / 100.0f;
    for (const float quality : {0.0f, 0.5f, 1.0f}) {
        int right = 0;
        float reads = 0.0f;
        constexpr int kDraws = 1000;
        for (int i = 0; i < kDraws; ++i) {
            PenaltyContext context = Context("ai");
            context.shotQuality = quality;
            PenaltyMovement movement(&context);
            movement.Enter();
            right += context.saveInput.code == 16;
            reads += context.readTime;
            EXPECT_GE(context.readTime, 0.2f);
            EXPECT_LE(context.readTime, 0.6f);
        }
        // The read draw is uniform: the chance of reading is its mean; a guess is right one
        // time in nine.
        const float read = (1.0f - quality) * 0.3f + (0.2f + 0.4f * skill) * 0.4f + 0.5f * 0.2f;
        const float expected = read + (1.0f - read) / 9.0f;
        EXPECT_NEAR(static_cast<float>(right) / kDraws, expected, 0.05f) << quality;
        EXPECT_NEAR(reads / kDraws, 0.4f, 0.02f);
    }
}

TEST_F(PenaltyMovementTest, PersonsKeeperDivesOnlyByTheStickAfterTheWindow)
{
    // Between 11 and 12 frames.
    Settings().keyboardInputTime = 0.19f;
    Settings().timeAfterKick = 1.5f;
    struct Case {
        const char* name;
        std::vector<std::pair<int, const char*>> presses;
        int32_t code;  // 0: never dives
        int frame;     // the dive's frame
    };
    const std::vector<Case> cases = {
        {"still", {}, 0, -1},
        // Right then up inside the window: his left column, the top row.
        {"right then up", {{10, "(1):right"}, {15, "(1):up"}}, 14, 10 + 12},
        {"left and down", {{5, "(1):left"}, {5, "(1):down"}}, 22, 5 + 12},
        // Up after the window has run out is too late: the middle row.
        {"late up", {{5, "(1):left"}, {30, "(1):up"}}, 19, 5 + 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PenaltyContext context = Context("(1):");
        const int first = Harness().GetFrame();
        for (const auto& [frame, action] : c.presses)
            Harness().Script().Press(first + frame, action);
        Harness().MakeCurrent(new PenaltyMovement(&context));
        int dived = -1;
        int32_t code = 0;
        Run(kCap, [&](int frame) {
            // The context outlives the movement, which goes in its last frame.
            if (dived < 0 && context.diveCode != 0) {
                dived = frame;
                const std::string state = keeper->GetActor()->GetStateName();
                static const char* const kSaves[] = {"savetopleft",      "savetopcenter",    "savetopright",
                                                     "savemiddleleft",   "savemiddlecenter", "savemiddleright",
                                                     "savebottomleft",   "savebottomcenter", "savebottomright"};
                for (int i = 0; i < 9; ++i)
                    if (state == kSaves[i])
                        code = 14 + i;
                EXPECT_EQ(code, context.diveCode);
            }
        });
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(dived, c.frame);
    }
}

}  // namespace
