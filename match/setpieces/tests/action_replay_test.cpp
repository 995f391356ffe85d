// The goal replay on the harness over a short recording: how often it is shown and through
// which cameras, what "next camera" and the menu buttons do, and that it leaves nothing behind.
#include "framework/Cast.h"
#include "framework/Object.h"
#include "framework/TimeInfo.h"
#include "game/GameTB.h"
#include "input/InputController.h"
#include "match/PlayerHold.h"
#include "match/setpieces/ActionReplay.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "simulation/Ball.h"
#include "simulation/ReplayEngine.h"
#include "support/MatchOnHarness.h"
#include "text/TextDisplay.h"

#include <string>
#include <vector>

namespace {

constexpr int kRecordedFrames = 30;
// Each showing plays the whole recording at half speed.
constexpr int kShowingFrames = static_cast<int>(kRecordedFrames / ActionReplay::kSpeed);
const Vector3 kBallStart{0.0f, 0.11f, 0.0f};
const Vector3 kBallVelocity{6.0f, 0.0f, 0.0f};

ReplayEngine& Recorder() { return *ReplayEngine::Instance(); }

// Ticks the recorder before the inner state, as the match period does every frame; without
// an inner state the match just plays on and is recorded.
class RecorderDriver : public State {
public:
    explicit RecorderDriver(State* inner = nullptr) : m_inner(inner) {}
    ~RecorderDriver() override { StateSlot::Set(&m_inner, nullptr, false); }
    void Enter() override
    {
        if (m_inner)
            m_inner->Enter();
    }
    State* Update(float dt) override
    {
        Recorder().Tick(dt);
        if (!m_inner) {
            PitchSimulation::Instance()->Update(dt, PitchSimulation::kUpdateAll);
            return this;
        }
        StateSlot::Update(&m_inner, dt);
        return m_inner ? this : nullptr;
    }
    void Render() override
    {
        if (m_inner)
            m_inner->Render();
    }

private:
    State* m_inner;
};

std::string ActiveCamera(const GameTB& game)
{
    const CameraControl* active = game.GetCameras().GetActiveCamera();
    return active && active->GetName() ? active->GetName() : "";
}

// The cameras in the order they were on top, each named once per stretch.
struct Watched {
    std::vector<std::string> cameras;
    int frames = 0;
    bool held = true;
    bool clockStill = true;
};

class ActionReplayTest : public setpiecetest::MatchOnHarness {
protected:
    void SetUp() override
    {
        MatchOnHarness::SetUp();
        Fresh();
    }
    // New sides and an empty recorder, for each case of a table.
    void Fresh()
    {
        ResetSides();
        Recorder().Reset();
        Recorder().SetEnabled(true);
    }
    void TearDown() override
    {
        Recorder().SetEnabled(false);
        MatchOnHarness::TearDown();
    }

    // The ball rolls while the match is recorded.
    void RecordPlay()
    {
        Ball& ball = *PitchSimulation::Instance()->GetBall();
        ball.SetPosition(kBallStart);
        ball.SetVelocity(kBallVelocity);
        Run(new RecorderDriver, kRecordedFrames);
    }

    ActionReplay* Start(bool leftGoal)
    {
        auto* replay = new ActionReplay(leftGoal);
        harness->MakeCurrent(new RecorderDriver(replay));
        return replay;
    }

    Watched Watch(int cap)
    {
        Watched watched;
        const float clock = ClockTime();
        watched.frames = RunWith(cap, [&](int) {
            const std::string camera = ActiveCamera(*harness->GetGame());
            if (watched.cameras.empty() || watched.cameras.back() != camera)
                watched.cameras.push_back(camera);
            for (Character* player : PlayerHold::AllPlayers())
                watched.held = watched.held && PlayerHold::IsHeld(player);
        });
        watched.clockStill = ClockTime() == clock;
        return watched;
    }

    void ExpectLeftAsBefore(const std::string& camera)
    {
        EXPECT_TRUE(StateEnded());
        EXPECT_FALSE(Recorder().IsReplaying());
        EXPECT_EQ(harness->GetGame()->GetCameras().GetCameraStack().size(), 1u);
        EXPECT_EQ(ActiveCamera(*harness->GetGame()), camera);
        for (Character* player : PlayerHold::AllPlayers())
            EXPECT_FALSE(PlayerHold::IsHeld(player));
    }
};

}  // namespace

TEST_F(ActionReplayTest, WithTheRecorderDisabledItEndsAtOnceAndChangesNothing)
{
    RecordPlay();
    Recorder().SetEnabled(false);
    Character* booked = &Player(1, 2);
    PlayerHold::Set(booked, true);
    const std::string camera = ActiveCamera(*harness->GetGame());
    const Vector3 ball = PitchSimulation::Instance()->GetBall()->GetPosition();

    Start(true);
    const Watched watched = Watch(10);

    EXPECT_EQ(watched.frames, 1);
    EXPECT_TRUE(StateEnded());
    EXPECT_EQ(watched.cameras, std::vector<std::string>{camera});
    EXPECT_EQ(PitchSimulation::Instance()->GetBall()->GetPosition(), ball);
    for (Character* player : PlayerHold::AllPlayers())
        EXPECT_EQ(PlayerHold::IsHeld(player), player == booked);
}

TEST_F(ActionReplayTest, WithoutInputItIsShownTwiceThenThroughTheCameraOfTheGoal)
{
    const struct {
        bool leftGoal;
        std::string goalCamera;
    } cases[] = {{true, "Cameras|Goal Left Middle"}, {false, "Cameras|Goal Right Middle"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.goalCamera);
        Fresh();
        RecordPlay();
        const std::string camera = ActiveCamera(*harness->GetGame());
        const Ball& ball = *PitchSimulation::Instance()->GetBall();
        ASSERT_GT((ball.GetPosition() - kBallStart).Length(), 1.0f) << "the ball rolled while recorded";
        Start(c.leftGoal);
        EXPECT_EQ(ball.GetVelocity(), Vector3::Zero);
        ASSERT_TRUE(harness->Step());
        // The first showing starts where the recording did.
        EXPECT_LT((ball.GetPosition() - kBallStart).Length(), 0.5f);

        const Watched watched = Watch(10 * kShowingFrames);

        EXPECT_EQ(watched.cameras, (std::vector<std::string>{camera, c.goalCamera}));
        EXPECT_NEAR(watched.frames + 1, 2 * kShowingFrames, 4);
        EXPECT_TRUE(watched.held);
        EXPECT_TRUE(watched.clockStill);
        ExpectLeftAsBefore(camera);
    }
}

TEST_F(ActionReplayTest, NextCameraInTheSecondShowingGoesBackToThePreviousCameraForGood)
{
    RecordPlay();
    const std::string camera = ActiveCamera(*harness->GetGame());
    ActionReplay* replay = Start(true);
    ASSERT_EQ(Watch(kShowingFrames + 5).frames, kShowingFrames + 5);
    ASSERT_TRUE(replay->IsGoalCameraPushed());

    harness->Script().Press(harness->GetFrame() + 1, "next camera");
    const Watched watched = Watch(10 * kShowingFrames);

    // The rest of the second showing is seen through the camera from before the replay, not
    // the one that follows it in the camera sequence.
    EXPECT_EQ(watched.cameras, (std::vector<std::string>{"Cameras|Goal Left Middle", camera}));
    EXPECT_NEAR(watched.frames, kShowingFrames - 5, 4);
    ExpectLeftAsBefore(camera);
}

TEST_F(ActionReplayTest, EitherMenuButtonSkipsItInEitherShowing)
{
    const struct {
        const char* button;
        int frame;
    } cases[] = {{"(menu):button a", 10}, {"(menu):button b", 10}, {"(menu):button a", kShowingFrames + 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " at " + std::to_string(c.frame));
        Fresh();
        RecordPlay();
        const std::string camera = ActiveCamera(*harness->GetGame());
        Start(false);
        harness->Script().Press(harness->GetFrame() + c.frame, c.button);

        const Watched watched = Watch(10 * kShowingFrames);

        EXPECT_NEAR(watched.frames, c.frame, 1);
        ExpectLeftAsBefore(camera);
    }
}

// The data may lack the goal camera; the player's own camera must stay.
TEST_F(ActionReplayTest, WithoutItsGoalCameraTheSecondShowingKeepsThePlayersCamera)
{
    CastMember* member = CastManager::Instance()->GetCast("cameras")->FindByName("Cameras|Goal Left Middle");
    ASSERT_NE(member, nullptr);
    member->object->SetName("Cameras|Gone");
    RecordPlay();
    const std::string camera = ActiveCamera(*harness->GetGame());
    Start(true);

    const Watched watched = Watch(10 * kShowingFrames);
    member->object->SetName("Cameras|Goal Left Middle");

    EXPECT_EQ(watched.cameras, std::vector<std::string>{camera});
    EXPECT_NEAR(watched.frames, 2 * kShowingFrames, 4);
    ExpectLeftAsBefore(camera);
}

// The bars and the mark are drawn over whatever text settings the frame had, and leave them.
TEST_F(ActionReplayTest, DrawingItLeavesTheTextSettingsAsTheyWere)
{
    RecordPlay();
    ActionReplay* replay = Start(true);
    TextDisplay& text = *TextDisplay::Instance();
    text.SetArea({10.0f, 20.0f, 30.0f, 40.0f});
    text.SetHorizontalAlign(kAlignCenter);
    text.SetVerticalAlign(kAlignBottom);
    text.SetColor(Color(0.5f, 0.25f, 0.0f, 1.0f));
    text.SetScale(3.0f, 3.0f);
    const TextAttributes attributes = text.Attributes();

    for (int frame = 0; frame < 30; ++frame) {
        TimeInfo::Instance()->AddFrame(GameHarness::kFrameTime);
        replay->Render();
    }

    EXPECT_EQ(text.GetArea(), (TextRect{10.0f, 20.0f, 30.0f, 40.0f}));
    EXPECT_EQ(text.GetHorizontalAlign(), kAlignCenter);
    EXPECT_EQ(text.GetVerticalAlign(), kAlignBottom);
    EXPECT_EQ(text.Attributes().color, attributes.color);
    EXPECT_EQ(text.Attributes().scaleX, attributes.scaleX);
    EXPECT_EQ(text.Attributes().font, attributes.font);
}

// Only a press skips: a button still held from play is no request to skip.
TEST_F(ActionReplayTest, AMenuButtonHeldFromItsStartDoesNotSkipIt)
{
    RecordPlay();
    // Pressed during play already, with the button watched as the match's menus watch it.
    BufferedInputController::Instance()->GetAction("(menu):button a", InputController::kPressEdge);
    const int first = harness->GetFrame();
    for (int frame = first; frame < first + kShowingFrames; ++frame)
        harness->Script().Press(frame, "(menu):button a");
    ASSERT_TRUE(harness->Step());
    Start(true);

    EXPECT_NEAR(Watch(10 * kShowingFrames).frames, 2 * kShowingFrames, 4);
}

TEST(ActionReplayMarkTest, TheMarkBlinksEveryThirdOfASecond)
{
    const struct {
        float seconds;
        bool shown;
    } cases[] = {{0.0f, false}, {0.2f, false}, {0.4f, true}, {0.6f, true}, {0.7f, false}, {1.1f, true}, {100.5f, true}};
    for (const auto& c : cases)
        EXPECT_EQ(ActionReplay::IsMarkShown(c.seconds), c.shown) << c.seconds;
}
