// What the set pieces and the walks on and off the pitch read from the default data.
#include "ai/TeamStrategy.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "scene/Texture.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "support/AssetTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tools/assets/world/Levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace assets {
namespace {

TEST(SetPieceData, TheTwelveSetPieceFormationsAreFiled)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    test::StageAliases aliases(stage, "level01");
    Cast teams("Teams");
    std::vector<std::unique_ptr<TeamStrategy>> formations;
    std::vector<std::string> names;
    for (const char* kind : {"kickoff", "goalkick", "corner", "throwin", "penalty", "freekick"})
        for (const char* suffix : {"_attack", "_defend"}) {
            names.push_back(std::string(kind) + suffix);
            formations.push_back(std::make_unique<TeamStrategy>());
            teams.AddMember(formations.back().get(), TeamStrategy::MemberName(names.back().c_str()).c_str(), false);
        }
    ASSERT_EQ(formations.size(), 12u);
    // The file's other members (the team descriptions, the open-play strategies) have no
    // object here, which the reader reports; the twelve must read whole.
    LogCapture log;
    LoadSettings(&teams, "<PP>Teams.txt");
    for (size_t i = 0; i < formations.size(); ++i) {
        EXPECT_TRUE(formations[i]->IsValid()) << names[i];
        EXPECT_EQ(formations[i]->GetSlotCount(), 5) << names[i];
        EXPECT_EQ(log.Count(names[i]), 0) << log.Text();
        teams.RemoveMember(formations[i].get());
    }
    teams.Clear();
}

// Where a goal kick goes: to the last defender, whom no opponent stands near, while the side
// that shot waits outside the shooting zone (30 m out), so that it cannot win the ball back
// at once and shoot again from where it shot.
TEST(SetPieceData, AGoalKickGoesToAFreeManWhileTheOtherSideWaitsOutOfShootingRange)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    test::StageAliases aliases(stage, "level01");
    Cast teams("Teams");
    TeamStrategy kicking, waiting;
    teams.AddMember(&kicking, TeamStrategy::MemberName("goalkick_attack").c_str(), false);
    teams.AddMember(&waiting, TeamStrategy::MemberName("goalkick_defend").c_str(), false);
    LogCapture log;
    LoadSettings(&teams, "<PP>Teams.txt");
    ASSERT_TRUE(kicking.IsValid() && waiting.IsValid());
    constexpr int32_t kReceiver = 1;
    const Vector3 receiver = kicking.GetTacticalPosition(kReceiver, {}).ToWorld(true);
    const Vector3 kickingGoal = PitchPosition(-1.0f, 0.0f).ToWorld(true);
    for (int32_t slot = 1; slot < waiting.GetSlotCount(); ++slot) {
        const Vector3 opponent = waiting.GetTacticalPosition(slot, {}).ToWorld(false);
        EXPECT_GT((opponent - receiver).Length(), 20.0f) << slot;
        EXPECT_GT(std::abs(opponent.x - kickingGoal.x), 35.0f) << slot;
    }
    teams.RemoveMember(&kicking);
    teams.RemoveMember(&waiting);
    teams.Clear();
}

TEST(SetPieceData, EveryLevelHasASpawnPointBeyondTheNearTouchLineInEachSidesHalf)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    for (const char* level : {"level01", "level02", "level03", "level04"}) {
        SCOPED_TRACE(level);
        test::StageAliases aliases(stage, level);
        Cast objects("objects");
        ASSERT_TRUE(LoadSettings(&objects, "<SP>objects\\objects.txt"));
        const struct {
            const char* name;
            bool firstSide;
        } points[] = {{"LeftSpawnPoint", true}, {"RightSpawnPoint", false}};
        for (const auto& point : points) {
            const CastMember* member = objects.FindByName(point.name);
            ASSERT_NE(member, nullptr) << point.name;
            const auto* volume = dynamic_cast<const PitchVolume*>(member->object);
            ASSERT_NE(volume, nullptr) << point.name;
            // With the areas, where no active member ever tests against it.
            EXPECT_EQ(volume->GetCollisionSetName(), "") << point.name;
            const Vector3 at = volume->GetPosition();
            // Beyond the near touch line, on the cameras' side, a few units off the pitch.
            EXPECT_LT(at.z, -world::kHalfWidth - 1.0f) << point.name;
            EXPECT_GT(at.z, -world::kHalfWidth - 6.0f) << point.name;
            EXPECT_EQ(at.y, 0.0f) << point.name;
            // In the half that side defends.
            EXPECT_LT(PitchPosition::FromWorld(at, point.firstSide).x, 0.0f) << point.name;
        }
        objects.Clear();
    }
    CollisionManager::DestroyInstance();
}

TEST(SetPieceData, TheAimingArrowIsAnImageTheMatchSettingsName)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    ASSERT_TRUE(test::EngineUp());
    test::StageAliases aliases(stage, "level01");
    MatchSettings settings;
    Cast cast("matchsettings");
    cast.AddMember(&settings, "Match Settings", false);
    ASSERT_TRUE(LoadSettings(&cast, "<PP>matchsettings.txt"));
    cast.RemoveMember(&settings);
    EXPECT_EQ(settings.directionArrowFileName, "<PP>\\Misc\\arrow.png");
    EXPECT_GT(settings.directionArrowWidth, 0.0f);
    EXPECT_GT(settings.directionArrowHeight, settings.directionArrowWidth);
    LogCapture log;
    const Texture* arrow = TextureManager::Instance()->CreateTexture(settings.directionArrowFileName.c_str(), nullptr,
                                                                     false);
    ASSERT_NE(arrow, nullptr) << log.Text();
    EXPECT_NE(arrow->GetRaster(), nullptr);
    TextureManager::Instance()->Shutdown();
}

}  // namespace
}  // namespace assets
