// The selection bench: where the candidates sit, where the camera looks from, which shirts
// they wear, and when they rise and sit down again.
#include "frontend/selection/SelectionBench.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "framework/Random.h"
#include "frontend/story/StoryModeGame.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "pitch/CameraControl.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/SelectionCursor.h"
#include "settings/GameParameters.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NullDeviceSuite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(SelectionBenchLayoutTest, SeatsAndCameraFollowTheRacesOnTheBench)
{
    struct Case {
        const char* what;
        std::vector<std::string> races;
        int gapCount;
        float width;
        std::vector<float> xs;  // seat x from the bench's middle
        float distance;
    };
    const Case cases[] = {
        {"ten of four races",
         {"Panda", "Panda", "Rhino", "Lizard", "Primate", "Panda", "Lizard", "Rhino", "Panda", "Primate"},
         0,
         19.0f,
         {8.75f, 7.25f, 5.25f, 3.25f, 1.25f, -0.75f, -2.25f, -4.25f, -6.25f, -8.25f},
         25.0f},
        {"two lizards keep the camera's least distance", {"Lizard", "Lizard"}, 0, 3.0f, {0.75f, -0.75f}, 10.0f},
        {"the last five apart from a line-up of two",
         {"Panda", "Panda", "Panda", "Panda", "Panda", "Panda", "Panda"},
         5,
         10.5f,
         {4.5f, 3.0f, 0.5f, -1.0f, -2.5f, -4.0f, -5.5f},
         13.815789f},
        {"an unknown race sits as a lizard", {"Weasel", "Rhino"}, 0, 4.0f, {1.25f, -0.75f}, 10.0f},
        {"nobody on the bench", {}, 3, 0.0f, {}, 10.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SelectionBench::Seating seating = SelectionBench::LayOutSeats(c.races, c.gapCount);
        EXPECT_FLOAT_EQ(seating.width, c.width);
        ASSERT_EQ(seating.seats.size(), c.xs.size());
        for (size_t i = 0; i < c.xs.size(); ++i) {
            EXPECT_FLOAT_EQ(seating.seats[i].x, SelectionBench::kOrigin.x + c.xs[i]) << "seat " << i;
            EXPECT_FLOAT_EQ(seating.seats[i].y, 0.0f);
            EXPECT_FLOAT_EQ(seating.seats[i].z, SelectionBench::kOrigin.z);
        }
        const float distance = SelectionBench::CameraDistance(seating.width);
        EXPECT_NEAR(distance, c.distance, 1e-4f);
        const Vector3 camera = SelectionBench::CameraPosition(distance);
        EXPECT_FLOAT_EQ(camera.x, 22.0f);
        EXPECT_FLOAT_EQ(camera.y, 3.5f);
        EXPECT_FLOAT_EQ(camera.z, 39.0f - distance);
    }
}

TEST(SelectionBenchLayoutTest, TheShirtVariationIsNeverATeamShirtAndReachesEveryOther)
{
    const std::pair<int, int> teams[] = {{0, 3}, {1, 2}, {6, 5}, {4, 4}, {0, 6}};
    for (const auto& [one, two] : teams) {
        std::set<int> drawn;
        for (uint32_t seed = 0; seed < 200; ++seed) {
            Random::Seed(seed);
            const int v = SelectionBench::DrawShirtVariation(one, two);
            EXPECT_NE(v, one);
            EXPECT_NE(v, two);
            drawn.insert(v);
        }
        std::set<int> others;
        for (int v = 0; v < 7; ++v)
            if (v != one && v != two)
                others.insert(v);
        EXPECT_EQ(drawn, others) << "teams " << one << " and " << two;
    }
}

TEST(SelectionBenchLayoutTest, ShirtsShowTheSideOrTheVariationWithTheNumberColourOfTheShirt)
{
    struct Case {
        const char* race;
        const char* member;
        bool keeper;
        int side;
        const char* folder;
        Color number;
        bool mirror;
    };
    const Color black = Color::OpaqueBlack;
    const Color white = Color::White;
    const Color yellow(1.0f, 1.0f, 0.0f, 1.0f);
    // Variation 4 and team shirt 2 throughout.
    const Case cases[] = {
        {"Panda", "PandaGk01", true, -1, "var01", black, false},
        {"Rhino", "RhinoGk00", true, -1, "var00", black, true},
        {"Panda", "PandaGk01", true, 1, "shirt02", yellow, false},
        {"Lizard", "LizardPl05", false, -1, "shirt04", black, false},
        {"Primate", "PrimatePl00", false, 0, "shirt02", yellow, false},
        {"Rhino", "RhinoPl06", false, 1, "shirt02", yellow, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.member) + " side " + std::to_string(c.side));
        const SelectionBench::Shirt shirt =
            SelectionBench::ChooseShirt(c.race, c.member, c.keeper, c.side, 4, 2, "Textures24Bit\\");
        EXPECT_EQ(shirt.shirtPath, std::string("<PP>\\Characters\\") + c.race + "\\Textures24Bit\\" + c.folder + "\\" +
                                       c.race + "_shirt.png");
        EXPECT_EQ(shirt.numberPath, "<PP>\\Characters\\Textures24Bit\\ShirtNumber_1.png");
        EXPECT_EQ(shirt.numberColour.r, c.number.r);
        EXPECT_EQ(shirt.numberColour.g, c.number.g);
        EXPECT_EQ(shirt.numberColour.b, c.number.b);
        EXPECT_EQ(shirt.mirror, c.mirror);
    }
    (void)white;
}

// The bench in the running game on the default data.
class SelectionBenchTest : public NullDeviceSuite {
protected:
    void SetUp() override
    {
        ClearDataFolders();
        GameParameters::DestroyInstance();
        StoryModeGame::DestroyInstance();
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        // Only the largest game has all four races.
        ASSERT_TRUE(harness->Start("XXL"));
        Random::Seed(7);
    }
    void TearDown() override
    {
        candidates.clear();
        harness.reset();
    }

    void MakeCandidates(const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            const bool keeper = name.find("Gk") != std::string::npos;
            candidates.push_back(std::make_unique<Character>(keeper ? Character::kGoalkeeper : Character::kFieldPlayer,
                                                             name, nullptr));
        }
    }
    std::vector<Character*> Candidates() const
    {
        std::vector<Character*> list;
        for (const auto& c : candidates)
            list.push_back(c.get());
        return list;
    }
    std::string StateOf(size_t i) const { return candidates[i]->GetActor()->GetStateName(); }
    // Frames until the candidate's state is the one named, at most five seconds.
    int FramesUntil(SelectionBench& bench, const std::vector<bool>& picked, size_t i, const std::string& state)
    {
        for (int frame = 0; frame < 300; ++frame) {
            if (StateOf(i) == state)
                return frame;
            bench.Update(GameHarness::kFrameTime, picked, 0, 0);
        }
        return -1;
    }

    std::unique_ptr<GameHarness> harness;
    std::vector<std::unique_ptr<Character>> candidates;
};

TEST_F(SelectionBenchTest, EnterSeatsEveryoneInFrontOfTheBenchCameraAndExitGivesTheViewBack)
{
    MakeCandidates({"PandaGk00", "PandaGk01", "RhinoPl00", "LizardPl01", "PrimatePl02", "PandaPl04", "LizardPl05",
                    "RhinoPl06", "PandaPl00", "PrimatePl04"});
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    ASSERT_NE(camera, nullptr);
    camera->SetViewWindow(0.7f, 0.4f);
    GameTB* game = harness->GetGame();
    const std::list<int> stackBefore = game->GetCameras().GetCameraStack();

    LogCapture log;
    SelectionBench bench;
    std::vector<bool> picked(10, false);
    picked[2] = true;
    bench.Enter(Candidates(), picked, 0);

    EXPECT_EQ(log.Count("no shirt"), 0) << log.Text();
    EXPECT_FLOAT_EQ(bench.GetWidth(), 19.0f);
    for (size_t i = 0; i < candidates.size(); ++i) {
        SCOPED_TRACE(i);
        const Vector3 at = candidates[i]->GetActor()->GetPosition();
        EXPECT_FLOAT_EQ(at.x, bench.GetSeats()[i].x);
        EXPECT_FLOAT_EQ(at.z, 39.0f);
        EXPECT_FLOAT_EQ(candidates[i]->GetActor()->GetHeading(), 0.0f);
        EXPECT_EQ(StateOf(i), i == 2 ? "stoodup" : "satdown");
        EXPECT_GT(candidates[i]->GetActor()->GetShirtMaterialCount(), 0);
    }
    const int variation = bench.GetShirtVariation();
    EXPECT_NE(variation, GameParameters::Instance()->shirts[0]);
    EXPECT_NE(variation, GameParameters::Instance()->shirts[1]);

    auto* benchCamera = dynamic_cast<SimpleCameraControl*>(game->GetCameras().GetActiveCamera());
    ASSERT_NE(benchCamera, nullptr);
    EXPECT_EQ(game->GetCameras().GetCameraStack().size(), stackBefore.size() + 1);
    EXPECT_FLOAT_EQ(benchCamera->GetPosition().z, 39.0f - 25.0f);
    EXPECT_FLOAT_EQ(benchCamera->GetPosition().y, 3.5f);
    float x = 0.0f, y = 0.0f;
    camera->GetViewWindow(x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(0.5f, 0.5f));

    bench.Exit();
    camera->GetViewWindow(x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(0.7f, 0.4f));
    EXPECT_EQ(game->GetCameras().GetCameraStack(), stackBefore);
    // A second Exit must not pop a camera that is not the bench's.
    bench.Exit();
    EXPECT_EQ(game->GetCameras().GetCameraStack(), stackBefore);
}

TEST_F(SelectionBenchTest, ACandidateRisesOnlyFromHisSeatAndSitsOnlyOnceStanding)
{
    MakeCandidates({"PandaGk00", "LizardPl00"});
    SelectionBench bench;
    std::vector<bool> picked = {false, false};
    bench.Enter(Candidates(), picked, 0);

    picked[1] = true;
    bench.Update(GameHarness::kFrameTime, picked, 1, 0);
    EXPECT_EQ(StateOf(1), "standup");
    EXPECT_EQ(StateOf(0), "satdown");

    // Unpicked while still rising: he first finishes standing up.
    picked[1] = false;
    bench.Update(GameHarness::kFrameTime, picked, 1, 0);
    EXPECT_EQ(StateOf(1), "standup");
    EXPECT_GT(FramesUntil(bench, picked, 1, "sitdown"), 0);
    EXPECT_GT(FramesUntil(bench, picked, 1, "satdown"), 0);

    // Picked again while sitting down: he first reaches his seat.
    picked[1] = true;
    bench.Update(GameHarness::kFrameTime, picked, 1, 0);
    picked[1] = false;
    ASSERT_GT(FramesUntil(bench, picked, 1, "sitdown"), 0);
    picked[1] = true;
    bench.Update(GameHarness::kFrameTime, picked, 1, 0);
    EXPECT_EQ(StateOf(1), "sitdown");
    EXPECT_GT(FramesUntil(bench, picked, 1, "standup"), 0);
    bench.Exit();
}

TEST_F(SelectionBenchTest, EachRisingCandidateWearsTheShirtOfHisOwnSideAndTheVariationOnceSeated)
{
    MakeCandidates({"PandaGk00", "PandaGk01", "LizardPl00"});
    SelectionBench bench;
    std::vector<bool> picked = {true, false, false};
    bench.Enter(Candidates(), picked, 0);
    EXPECT_EQ((std::vector<int>{bench.GetShirtSide(0), bench.GetShirtSide(1), bench.GetShirtSide(2)}),
              (std::vector<int>{-1, -1, -1}));

    // Picked by the two sides in turn: whoever's turn it is now, each stands in his side's shirt.
    picked = {true, true, true};
    const std::vector<int> sides = {0, 1, 0};
    bench.Update(GameHarness::kFrameTime, picked, 2, [&](int candidate) { return sides[candidate]; });
    EXPECT_EQ((std::vector<int>{bench.GetShirtSide(0), bench.GetShirtSide(1), bench.GetShirtSide(2)}),
              (std::vector<int>{-1, 1, 0}));

    picked[1] = false;
    ASSERT_GT(FramesUntil(bench, picked, 1, "sitdown"), 0);
    EXPECT_EQ(bench.GetShirtSide(1), -1);
    EXPECT_EQ(bench.GetShirtSide(7), -1);
    bench.Exit();
}

TEST_F(SelectionBenchTest, TheMarkersHoverOverTheCursorsCandidate)
{
    MakeCandidates({"PandaGk00", "RhinoPl00", "PrimatePl01"});
    SelectionBench bench;
    const std::vector<bool> picked(3, false);
    bench.Enter(Candidates(), picked, 0);

    // Each side has its own picture, and both lie flat.
    ASSERT_NE(bench.GetMarker(0).GetTexture(), nullptr);
    ASSERT_NE(bench.GetMarker(1).GetTexture(), nullptr);
    EXPECT_NE(bench.GetMarker(0).GetTexture(), bench.GetMarker(1).GetTexture());
    for (int side : {0, 1})
        EXPECT_NEAR(std::abs(bench.GetMarker(side).GetRotation().Rotate(Vector3::UnitZ).y), 1.0f, 1e-5f);

    for (size_t cursor : {size_t{0}, size_t{2}}) {
        bench.Update(GameHarness::kFrameTime, picked, static_cast<int>(cursor), 0);
        const Vector3 over = candidates[cursor]->GetActor()->GetPosition();
        for (int side : {0, 1}) {
            const Vector3 marker = bench.GetMarker(side).GetPosition();
            EXPECT_FLOAT_EQ(marker.x, over.x);
            EXPECT_FLOAT_EQ(marker.y, over.y + 0.1f);
            EXPECT_FLOAT_EQ(marker.z, over.z);
        }
    }
    const Vector3 over = candidates[2]->GetActor()->GetPosition();
    // A cursor off the bench leaves them where they were.
    bench.Update(GameHarness::kFrameTime, picked, 3, 1);
    EXPECT_FLOAT_EQ(bench.GetMarker(1).GetPosition().x, over.x);
    bench.Exit();
}

TEST_F(SelectionBenchTest, TheStoryTeamKeepsItsShirts)
{
    MakeCandidates({"PandaPl00", "PandaPl01"});
    SelectionBench bench;
    StoryModeGame::Instance()->active = true;
    bench.Enter(Candidates(), {false, false}, 0);
    bench.SetShirt(*candidates[1], 1);
    EXPECT_EQ(candidates[0]->GetActor()->GetShirtMaterialCount(), 0);
    EXPECT_EQ(candidates[1]->GetActor()->GetShirtMaterialCount(), 0);
    EXPECT_EQ(bench.GetShirtSide(1), -1);

    StoryModeGame::Instance()->active = false;
    bench.SetShirt(*candidates[1], 1);
    EXPECT_GT(candidates[1]->GetActor()->GetShirtMaterialCount(), 0);
    EXPECT_EQ(bench.GetShirtSide(1), 1);
    bench.Exit();
}

}  // namespace
