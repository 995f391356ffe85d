#include <gtest/gtest.h>

#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "settings/GameSettings.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "support/AssetTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tools/assets/world/Levels.h"

#include <map>

namespace assets {
namespace {

TEST(PitchVolumes, EveryLevelsVolumesReadBackWithoutAWordWhereTheirTablesPutThem)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    LogCapture log;
    GameSettings settings;
    settings.displayCollisionData = true;
    Cast global("global");
    global.AddMember(&settings, "Game Settings", false);
    EXPECT_TRUE(LoadSettings(&global, (stage + "/data/pc/global/global.txt").c_str()));
    EXPECT_FALSE(settings.displayCollisionData);

    for (const char* level : {"level01", "level02", "level03", "level04"}) {
        SCOPED_TRACE(level);
        test::StageAliases aliases(stage, level);
        Cast objects("objects");
        ASSERT_TRUE(LoadSettings(&objects, "<SP>objects\\objects.txt"));
        std::map<std::string, int> ids;
        int volumes = 0;
        for (int i = 0; i < objects.GetMemberCount(); ++i) {
            auto* volume = dynamic_cast<PitchVolume*>(objects.GetMember(i)->object);
            if (!volume)
                continue;
            ++volumes;
            ++ids[volume->GetCollisionName()];
            // The areas and markers are only looked up by name: the ball passes through them.
            const std::string& id = volume->GetCollisionName();
            const bool area = id == "penaltyarea" || id == "passhigharea" || id == "closetrigger" ||
                              id == "guardcylinder" || id == "penaltyspot" || id == "keeperline" ||
                              id == "spawnpoint" || id == "kickspot";
            EXPECT_EQ(volume->GetCollisionSetName(), area ? "" : "ball+pitchvolumes") << volume->GetName();
        }
        EXPECT_EQ(ids, (std::map<std::string, int>{{"closetrigger", 4}, {"collidecube", 8}, {"collidecylinder", 4},
                                                   {"farplane", 1}, {"guardcylinder", 2}, {"kickspot", 4},
                                                   {"ground", 1}, {"keeperline", 2}, {"leftgoalscorearea", 1},
                                                   {"leftplane", 1}, {"nearplane", 1}, {"passhigharea", 4},
                                                   {"penaltyarea", 2}, {"penaltyspot", 2},
                                                   {"rightgoalscorearea", 1}, {"rightplane", 1},
                                                   {"spawnpoint", 2}}));
        EXPECT_EQ(volumes, 41);
        const auto find = [&](const char* name) { return objects.FindByName(name)->object; };
        const auto& left = dynamic_cast<PlanarPitchVolume&>(*find("LeftEndPlane")).GetPlane();
        const auto& nearPlane = dynamic_cast<PlanarPitchVolume&>(*find("NearTouchPlane")).GetPlane();
        EXPECT_EQ(std::tuple(left.normal, left.distance, nearPlane.normal, nearPlane.distance),
                  std::tuple(Vector3(-1, 0, 0), -50.22f, Vector3(0, 0, 1), -32.89f));
        const auto& area = dynamic_cast<CubicPitchVolume&>(*find("RightGoalArea"));
        const auto& post = dynamic_cast<CylindricalPitchVolume&>(*find("LeftGoalLeftPost"));
        EXPECT_EQ(std::tuple(area.GetPosition(), area.GetCube().size, post.GetPosition(), post.GetCylinder().radius,
                             post.GetCylinder().length),
                  std::tuple(Vector3(-52, 0, -3), Vector3(2, 2.4f, 6), Vector3(50, 0, 3), 0.1f, 2.4f));
        // The first side defends the left goal's area, at +x: the box painted on the grass, so
        // that a foul inside its lines is a penalty.
        const auto& penalty = dynamic_cast<CubicPitchVolume&>(*find("LeftPenaltyArea"));
        EXPECT_EQ(std::tuple(penalty.GetPosition(), penalty.GetCube().size),
                  std::tuple(Vector3(world::kHalfLength - world::kPenaltyAreaDepth, 0, -world::kPenaltyAreaHalfWidth),
                             Vector3(world::kPenaltyAreaDepth, 10, 2 * world::kPenaltyAreaHalfWidth)));
        // Each goal's penalty spot 11 m out, and its keeper's line on the goal line, facing in.
        for (const auto& [end, x] : {std::pair{"Left", 1.0f}, std::pair{"Right", -1.0f}}) {
            const std::string side = end;
            const auto& spot = dynamic_cast<CylindricalPitchVolume&>(*find((side + "PenaltySpot").c_str()));
            const auto& line = dynamic_cast<PlanarPitchVolume&>(*find((side + "KeeperLine").c_str())).GetPlane();
            EXPECT_EQ(std::tuple(spot.GetPosition(), line.ClosestPoint(Vector3{}), line.normal),
                      std::tuple(Vector3(39 * x, 0, 0), Vector3(50 * x, 0, 0), Vector3(-x, 0, 0)))
                << end;
        }
        // A keeper's kick spots at the front corners of his goal area, each on the side whose
        // out-of-bounds flag names it.
        for (const auto& [name, spot] : {std::pair{"LeftGoalLeftKickSpot", Vector3(46.3f, 0, 6.1f)},
                                         std::pair{"LeftGoalRightKickSpot", Vector3(46.3f, 0, -6.1f)},
                                         std::pair{"RightGoalLeftKickSpot", Vector3(-46.3f, 0, -6.1f)},
                                         std::pair{"RightGoalRightKickSpot", Vector3(-46.3f, 0, 6.1f)}}) {
            const auto& volume = dynamic_cast<CylindricalPitchVolume&>(*find(name));
            EXPECT_NEAR(volume.GetPosition().x, spot.x, 1e-4f) << name;
            EXPECT_EQ(volume.GetPosition().z, spot.z) << name;
        }
        for (const char* wing : {"PassHighAreaLeftFar", "PassHighAreaLeftNear", "PassHighAreaRightFar",
                                 "PassHighAreaRightNear"})
            EXPECT_NE(dynamic_cast<CubicPitchVolume*>(find(wing)), nullptr) << wing;
        // The keeper's cylinder stands on his goal's centre, midway between the posts; his
        // close triggers reach out from his goal line, the "Off" box round the "On" one.
        for (const char* end : {"Left", "Right"}) {
            const std::string side = end;
            const auto& guard = dynamic_cast<CylindricalPitchVolume&>(*find((side + "GuardCylinder").c_str()));
            const auto post = [&](const char* which) {
                return dynamic_cast<PitchVolume&>(*find((side + which).c_str())).GetPosition();
            };
            const Vector3 centre = (post("GoalLeftPost") + post("GoalRightPost")) * 0.5f;
            EXPECT_EQ(std::tuple(guard.GetPosition(), guard.GetCylinder().radius), std::tuple(centre, world::kGuardRadius)) << end;
            const auto& on = dynamic_cast<CubicPitchVolume&>(*find((side + "CloseTriggerOn").c_str()));
            const auto& off = dynamic_cast<CubicPitchVolume&>(*find((side + "CloseTriggerOff").c_str()));
            for (const CubicPitchVolume* box : {&on, &off}) {
                const float low = box->GetPosition().x, high = low + box->GetCube().size.x;
                EXPECT_TRUE(low == centre.x || high == centre.x) << end;
                EXPECT_EQ(box->GetPosition().z, -box->GetCube().size.z / 2) << end;
            }
            EXPECT_GT(off.GetCube().size.x, on.GetCube().size.x) << end;
            EXPECT_GT(off.GetCube().size.z, on.GetCube().size.z) << end;
        }
        EXPECT_EQ(CollisionManager::Instance()->GetCollisionSet("ball+pitchvolumes")->GetMemberCount(), 19);
    }
    EXPECT_EQ(log.Count("***"), 0) << log.Text();
    CollisionManager::DestroyInstance();
}

}  // namespace
}  // namespace assets
