#include "match/setpieces/EnterPitch.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "framework/Random.h"
#include "game/GameTB.h"
#include "input/InputController.h"
#include "match/PlayerHold.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "scene/GameElement.h"
#include "simulation/Ball.h"
#include "support/TestMatch.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

constexpr uint32_t kIntroHud = 0x7;

State* Current(TestMatch& match)
{
    return match.Harness().GetGame()->GetCurrentState();
}

EnterPitch* StartIntro(TestMatch& match)
{
    auto* intro = new EnterPitch(PlayerHold::AllPlayers());
    match.Harness().MakeCurrent(intro);
    return intro;
}

}  // namespace

TEST(EnterPitchTest, SkipInputOnTheFirstUpdate)
{
    struct Case {
        const char* name;
        std::vector<int> pressFrames;  // relative to the first update; -1 is before Enter
        const char* action;
        bool ends;
    };
    const Case cases[] = {
        {"button a on the first update", {0}, "(0):button a", true},
        {"button b of the second controller", {0}, "(1):button b", true},
        {"button held since before Enter", {-1, 0}, "(0):button a", false},
        {"a key on the first update", {0}, "(0):left", false},
        {"a key on the second update", {1}, "(0):left", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        GameHarness& harness = match.Harness();
        const int first = harness.GetFrame();
        for (int frame : c.pressFrames)
            harness.Script().Press(first + frame, c.action);
        // Enter sees the input of the frame before the first update.
        harness.Script().SetFrame(first - 1);
        BufferedInputController::Instance()->Update(GameHarness::kFrameTime);
        StartIntro(match);
        harness.Step();
        const bool endedFirst = Current(match) == nullptr;
        harness.Step();
        const bool endedSecond = Current(match) == nullptr;
        const bool expectFirst = c.ends && c.pressFrames.back() == 0;
        EXPECT_EQ(endedFirst, expectFirst);
        EXPECT_EQ(endedSecond, c.ends);
    }
}

TEST(EnterPitchTest, CameraNamesPerLevel)
{
    for (int level = 1; level <= 4; ++level) {
        SCOPED_TRACE(level);
        const std::vector<std::string> paths = EnterPitch::IntroPathNames(level);
        std::set<std::string> seen;
        for (uint32_t seed = 1; seed <= 300; ++seed) {
            Random::Seed(seed);
            seen.insert(EnterPitch::ChooseCameraName(level));
        }
        EXPECT_EQ(seen, std::set<std::string>(paths.begin(), paths.end()));
    }
    EXPECT_EQ(EnterPitch::IntroPathNames(1).size(), 6u);
    EXPECT_EQ(EnterPitch::IntroPathNames(2).size(), 5u);
    for (int level : {3, 4, 0, 9}) {
        SCOPED_TRACE(level);
        EXPECT_EQ(EnterPitch::IntroPathNames(level).size(), level == 0 ? 6u : 1u);
        // Without a choice the random sequence is left where it was.
        Random::Seed(5);
        const int untouched = Random::Next();
        Random::Seed(5);
        if (level != 0) {
            EXPECT_EQ(EnterPitch::ChooseCameraName(level), "camera01");
            EXPECT_EQ(Random::Next(), untouched);
        }
    }
}

TEST(EnterPitchTest, HudBallAndCameraDuringTheIntroAndAfter)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    PitchSimulation& pitch = *PitchSimulation::Instance();
    pitch.SetHudElements(0x3F);
    GameTB& game = *match.Harness().GetGame();
    const size_t cameras = game.GetCameras().GetCameraStack().size();
    EnterPitch* intro = StartIntro(match);
    EXPECT_EQ(pitch.GetHudMask(), kIntroHud);
    EXPECT_FALSE(pitch.GetBall()->CanBeHeld());
    EXPECT_EQ(game.GetCameras().GetCameraStack().size(), cameras + 1);
    EXPECT_TRUE(PlayerHold::IsHeld(pitch.GetReferee()));
    match.Harness().RunFrames(30);
    ASSERT_EQ(Current(match), intro);
    EXPECT_EQ(pitch.GetClock()->GetTime(), 0.0f);
    // Everybody walks towards his place from his side's spawn point.
    const Vector3 start = TestMatch::Team(0).GetPlayer(1)->GetActor()->GetPosition();
    // After the "stand" clip the walk starts.
    match.Harness().RunFrames(150);
    EXPECT_NE(TestMatch::Team(0).GetPlayer(1)->GetActor()->GetPosition(), start);

    // The path ends the scene: everything is given back.
    const int frames = match.RunUntil([&] { return Current(match) == nullptr; }, 60 * 60);
    EXPECT_LT(frames, 60 * 60);
    EXPECT_EQ(pitch.GetHudMask(), 0x3Fu);
    EXPECT_TRUE(pitch.GetBall()->CanBeHeld());
    EXPECT_EQ(game.GetCameras().GetCameraStack().size(), cameras);
    EXPECT_FALSE(PlayerHold::IsHeld(pitch.GetReferee()));
    EXPECT_TRUE(TestMatch::Team(1).GetPlayer(0)->GetActor()->pitchVolumeContact);
}

TEST(EnterPitchTest, MissingSpawnPointOrPathEndsWithoutACrash)
{
    {
        SCOPED_TRACE("spawn point");
        TestMatch match;
        ASSERT_TRUE(match.Start());
        auto* spawn = dynamic_cast<GameElement*>(CastManager::Instance()->FindObject("objects|LeftSpawnPoint"));
        if (spawn)
            match.Harness().GetGame()->GetElements().DeleteGameElement(spawn);
        LogCapture log;
        StartIntro(match);
        EXPECT_TRUE(log.Contains("LeftSpawnPoint"));
        match.Harness().RunFrames(10);
        EXPECT_TRUE(match.Harness().GetProblem().empty()) << match.Harness().GetProblem();
    }
    {
        SCOPED_TRACE("path");
        TestMatch match;
        ASSERT_TRUE(match.Start());
        // A level folder without camera paths.
        FileSystem::Instance()->AddAlias("<LP>", "data\\pc\\nolevel\\");
        LogCapture log;
        StartIntro(match);
        EXPECT_TRUE(log.Contains("not loaded"));
        match.Harness().Step();
        EXPECT_EQ(Current(match), nullptr);
    }
}
