#include <gtest/gtest.h>

#include "scene/AnimatedClump.h"
#include "simulation/ReplayEngine.h"
#include "tests/support/LogCapture.h"

#include <array>
#include <numbers>
#include <vector>

namespace {

constexpr float kDt = 1.0f / 60.0f;

class ReplayEngineTest : public ::testing::Test {
protected:
    void SetUp() override { replay->SetEnabled(true); }
    void TearDown() override { ReplayEngine::DestroyInstance(); }

    // One recorded frame per call: the ball at x = the frame's number.
    void RecordBallFrames(int count, float dt = kDt)
    {
        for (int i = 0; i < count; ++i) {
            replay->Tick(dt);
            ball.SetPosition({static_cast<float>(++m_recorded), 0, 0});
            replay->Record(ball, ReplayEngine::kBall, 0);
        }
    }

    // Where the replay shows the ball now.
    float ReplayedBallX()
    {
        uint32_t flag = 0;
        replay->Apply(ball, ReplayEngine::kBall, flag);
        return ball.GetPosition().x;
    }

    // Frames of dt until the replay stops.
    int FramesToFinish(float dt = kDt)
    {
        int frames = 0;
        for (; replay->IsReplaying() && frames < 10000; ++frames)
            replay->Tick(dt);
        return frames;
    }

    ReplayEngine* replay = ReplayEngine::Instance();
    Clump ball;

private:
    int m_recorded = 0;
};

// A character's model whose animation the test chooses, logging what the replay sets.
class ProbeClump : public AnimatedClump {
public:
    int GetCurrentAnimation() const override { return animation; }
    void SetAnimation(int index, float blendTime) override
    {
        animation = index;
        blends.push_back(blendTime);
    }

    int animation = 0;
    std::vector<float> blends;
};

TEST_F(ReplayEngineTest, TheRingKeepsTheLast1200FramesAndAReplayReachesBackOnlyToTheOldest)
{
    RecordBallFrames(1300);
    replay->StartReplay(1000.0f);
    // Frames 1 to 100 were overwritten.
    EXPECT_EQ(std::tuple(replay->IsReplaying(), ReplayedBallX()), std::tuple(true, 101.0f));
    EXPECT_NEAR(replay->GetClock(), 100 * kDt, 1e-4f);
    // Played through at the recording's pace, every kept frame shows once; reaching the
    // newest one ends the replay.
    std::vector<float> shown;
    while (replay->IsReplaying()) {
        shown.push_back(ReplayedBallX());
        replay->Tick(kDt);
    }
    EXPECT_EQ(std::tuple(shown.size(), shown.back(), replay->IsFinished()), std::tuple(1199u, 1299.0f, true));
    replay->Reset();
    replay->StartReplay(1.0f);
    EXPECT_EQ(std::tuple(replay->IsReplaying(), replay->IsFinished()), std::tuple(false, true));
    replay->Reset();
    EXPECT_EQ(std::tuple(replay->IsFinished(), replay->GetSpeed(), replay->IsEnabled()), std::tuple(false, 1.0f, true));
}

TEST_F(ReplayEngineTest, AReplayLongerThanTheRecordingStartsAtTheOldestFrame)
{
    RecordBallFrames(181);  // 3 s
    replay->StartReplay(5.0f);
    EXPECT_EQ(std::tuple(replay->GetClock(), ReplayedBallX()), std::tuple(0.0f, 1.0f));
    // Two seconds back from the newest frame at 3 s: the 61st frame.
    replay->StartReplay(2.0f);
    EXPECT_NEAR(replay->GetClock(), 1.0f, 1e-4f);
    EXPECT_NEAR(ReplayedBallX(), 61.0f, 1e-2f);
}

TEST_F(ReplayEngineTest, HalfSpeedTakesTwiceAsLongAsTheRecordedSpan)
{
    RecordBallFrames(61);  // 1 s
    replay->StartReplay(1.0f);
    EXPECT_NEAR(FramesToFinish(), 60, 1);
    replay->StartReplay(1.0f);
    replay->SetSpeed(0.5f);
    EXPECT_NEAR(FramesToFinish(), 120, 1);
    EXPECT_EQ(std::tuple(replay->IsReplaying(), replay->IsFinished()), std::tuple(false, true));
    // Between frames the ball is blended: a quarter of the way from frame 31 to 32.
    replay->StartReplay(0.5f - kDt / 4.0f);
    EXPECT_NEAR(ReplayedBallX(), 31.25f, 1e-2f);
}

TEST_F(ReplayEngineTest, AJumpOfTwoOrAChangeOfAnimationShowsFrameAUnblended)
{
    struct Case {
        const char* what;
        float jump;
        int secondAnimation;
        float replayedX;
        float replayedTime;
    };
    const Case cases[] = {
        {"a step blends", 1.9f, 3, 0.95f, 0.3f},
        {"a 2.0 jump is a cut", 2.0f, 3, 0.0f, 0.2f},
        {"a new animation is a cut", 0.5f, 4, 0.0f, 0.2f},
    };
    for (const Case& c : cases) {
        replay->Reset();
        ProbeClump player;
        const Quaternion turned(std::numbers::pi_v<float> / 2, Vector3::UnitY);
        const float times[] = {0.2f, 0.4f};
        const int animations[] = {3, c.secondAnimation};
        for (int frame = 0; frame < 2; ++frame) {
            replay->Tick(1.0f);
            player.animation = animations[frame];
            player.SetTime(times[frame]);
            player.SetPosition({10 + frame * c.jump, 0, 0});
            player.SetRotation(frame ? turned : Quaternion::Identity);
            replay->Record(player, ReplayEngine::kCharacter, 10u + frame);
            // The ball makes the same jump and is always blended.
            ball.SetPosition({10 + frame * c.jump, 0, 0});
            ball.SetRotation(frame ? turned : Quaternion::Identity);
            replay->Record(ball, ReplayEngine::kBall, 0);
        }
        // Halfway between the two frames (recorded at times 0 and 1).
        replay->StartReplay(0.5f);
        uint32_t flag = 0;
        replay->Apply(player, ReplayEngine::kCharacter, flag);
        const float blend = c.replayedX / c.jump;
        Vector3 axis;
        float angle = 0.0f;
        player.GetRotation().ToAxisAngle(angle, axis);
        EXPECT_EQ(std::tuple(player.animation, player.blends, flag), std::tuple(3, std::vector<float>{0.0f}, 11u))
            << c.what;
        EXPECT_NEAR(player.GetPosition().x, 10 + c.replayedX, 1e-5f) << c.what;
        EXPECT_NEAR(player.GetTime(), c.replayedTime, 1e-5f) << c.what;
        EXPECT_NEAR(angle, blend * std::numbers::pi_v<float> / 2, 1e-4f) << c.what;
        EXPECT_NEAR(ReplayedBallX(), 10 + c.jump / 2, 1e-5f) << c.what;
        ball.GetRotation().ToAxisAngle(angle, axis);
        EXPECT_NEAR(angle, std::numbers::pi_v<float> / 4, 1e-4f) << c.what;
    }
}

TEST_F(ReplayEngineTest, TooManyCharactersAreLeftOutWithOneMessagePerReset)
{
    LogCapture log;
    std::array<Clump, 13> players;
    const auto frame = [&](bool record) {
        replay->Tick(kDt);
        for (size_t i = 0; i < players.size(); ++i) {
            uint32_t flag = 99;
            if (record) {
                players[i].SetPosition({static_cast<float>(i), 0, 0});
                replay->Record(players[i], ReplayEngine::kCharacter, static_cast<uint32_t>(i));
            } else {
                players[i].SetPosition({-1, 0, 0});
                replay->Apply(players[i], ReplayEngine::kCharacter, flag);
            }
        }
    };
    const char* message = "Too many characters for replay!!!";
    for (int i = 0; i < 3; ++i)
        frame(true);
    replay->StartReplay(1.0f);
    frame(false);
    frame(false);
    // The eleventh is replayed, the twelfth left where it stood.
    EXPECT_EQ(std::tuple(log.Count(message), players[10].GetPosition().x, players[11].GetPosition().x),
              std::tuple(1, 10.0f, -1.0f));
    replay->Reset();
    frame(true);
    frame(true);
    EXPECT_EQ(log.Count(message), 2);
}

TEST_F(ReplayEngineTest, NothingIsRecordedOrReplayedWhileDisabledAndTimeStandsStillWhilePaused)
{
    replay->SetEnabled(false);
    RecordBallFrames(3);
    replay->StartReplay(1.0f);
    EXPECT_EQ(std::tuple(replay->GetWriteIndex(), replay->GetFrame(0).IsEmpty(), replay->IsReplaying()),
              std::tuple(0, true, false));

    replay->SetEnabled(true);
    RecordBallFrames(3);
    replay->SetPaused(true);
    RecordBallFrames(2);
    EXPECT_EQ(std::tuple(replay->GetWriteIndex(), replay->GetClock()), std::tuple(3, 3 * kDt));
    replay->StartReplay(1.0f);
    replay->Tick(kDt);
    EXPECT_EQ(std::tuple(replay->IsReplaying(), replay->GetClock()), std::tuple(true, 0.0f));
    // A paused replay still places the ball at its first frame.
    EXPECT_EQ(ReplayedBallX(), 4.0f);
}

TEST_F(ReplayEngineTest, AReplayStoppedEarlyLeavesTheRecordingTimeWhereItWas)
{
    RecordBallFrames(120);
    replay->StartReplay(1.5f);
    replay->Tick(kDt);
    replay->SetReplaying(false);
    RecordBallFrames(1);
    // The new frame follows the newest, so the next replay of its last moment shows it.
    EXPECT_NEAR(replay->GetFrame(replay->GetWriteIndex()).time, 120 * kDt, 1e-4f);
    replay->StartReplay(kDt / 2);
    EXPECT_NEAR(ReplayedBallX(), 120.5f, 1e-2f);
}

}  // namespace
