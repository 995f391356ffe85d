#include <gtest/gtest.h>

#include "engine/bridge/EngineBridge.h"
#include "engine/core/RtFSManager.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "pitch/CameraControl.h"
#include "scene/Atmosphere.h"
#include "scene/Light.h"
#include "scene/RwGraphicsSettings.h"
#include "scene/World.h"
#include "support/AssetTestSupport.h"
#include "tests/support/LogCapture.h"

#include <memory>
#include <set>
#include <vector>

namespace assets {
namespace {

// The staged data through the game's file layer, as the game reads it.
class DisplaySettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        stage = test::SharedStage();
        ASSERT_FALSE(stage.empty());
        opened = RtFSManagerOpen(-1);
        ASSERT_TRUE(RwInstallFileSystem());
        FileSystem* files = FileSystem::Instance();
        files->AddAlias("<PP>", (stage + "/data/pc/").c_str());
        files->AddAlias("<TP>", "Textures24Bit\\");
    }
    void TearDown() override
    {
        for (const char* alias : {"<PP>", "<TP>", "<LP>", "<SP>"})
            FileSystem::Instance()->RemoveAlias(alias);
        VantaroFileSystem::Uninstall();
        if (opened)
            RtFSManagerClose();
    }

    std::string stage;
    bool opened = false;
};

TEST_F(DisplaySettings, EveryLevelsDisplayCastReadsWithoutAWordAndLightsBothSets)
{
    LogCapture log;
    for (const char* level : {"level01", "level02", "level03", "level04"}) {
        SCOPED_TRACE(level);
        FileSystem* files = FileSystem::Instance();
        files->AddAlias("<LP>", (std::string("<PP>") + level + "\\").c_str());
        files->AddAlias("<SP>", (std::string("<PP>") + level + "\\settings\\").c_str());
        RwGraphicsSettings engine;
        Fog fog;
        Skydome sky(true);
        Lensflares flares;
        AmbientLight ambient;
        DirectionalLight sun, objects;
        ASSERT_TRUE(ambient.Create() && sun.Create() && objects.Create());
        Cast display("display");
        display.AddMember(&engine, "Engine", false);
        display.AddMember(&fog, "Fog", false);
        display.AddMember(&sky, "Skydome", false);
        display.AddMember(&flares, "Lensflares", false);
        display.AddMember(&ambient, "Ambient Light", false);
        display.AddMember(&sun, "Directional Light", false);
        display.AddMember(&objects, "Directional Light Objects", false);
        EXPECT_TRUE(LoadSettings(&display, "<SP>display\\display.txt"));

        EXPECT_TRUE(sky.HasNightDome());
        EXPECT_TRUE(fog.enable);
        EXPECT_GT(fog.distance, 0.0f);
        EXPECT_LT(fog.distance, engine.farClipLow);
        const size_t count = flares.GetFlares().size();
        EXPECT_TRUE(count >= 3 && count <= 5) << count;
        for (const Lensflares::Flare& flare : flares.GetFlares())
            EXPECT_NE(flares.GetTexture(flare.type), nullptr) << flare.type;
        EXPECT_EQ(std::set<uint32_t>({ambient.GetFlags() & World::kDynamicSet, sun.GetFlags(), objects.GetFlags()}),
                  std::set<uint32_t>({World::kDynamicSet, World::kStaticSet}));
        EXPECT_FALSE(sky.GetLight().IsEnabled());
    }
    EXPECT_EQ(log.Count("***"), 0) << log.Text();
}

TEST_F(DisplaySettings, TheCamerasCastHoldsTheTwentySevenControlsByTheirClasses)
{
    LogCapture log;
    std::vector<std::unique_ptr<Object>> controls;
    Cast cameras("cameras");
    for (const CameraControlEntry& entry : GetCameraControlTable()) {
        controls.emplace_back(FactoryRegistry::CameraControls().Create(entry.className));
        cameras.AddMember(controls.back().get(), (std::string("Cameras|") + entry.name).c_str(), false);
    }
    // A block whose table differs from the member's class would be reported.
    EXPECT_TRUE(LoadSettings(&cameras, "<PP>cameras.txt"));
    EXPECT_EQ(cameras.GetMemberCount(), 27);
    EXPECT_EQ(log.Count("***"), 0) << log.Text();

    // The broadcast camera frames play from above and behind, looking down at it, near enough
    // for the players to be seen.
    auto& standard = dynamic_cast<TrackingCameraControl&>(*controls[1]);
    SetCameraTarget(nullptr);
    standard.Activate();
    const Vector3 eye = standard.GetPosition();
    const Vector3 view = standard.GetRotation().Rotate(Vector3::UnitZ);
    EXPECT_GT(eye.y, 8.0f);
    EXPECT_LT(eye.z, -15.0f);
    EXPECT_LT(eye.Length(), 30.0f);
    EXPECT_LT(view.y, -0.2f);
    EXPECT_GT(view.z, 0.7f);
    EXPECT_EQ(standard.nextInSequence, "LeftToRightMedium");
}

}  // namespace
}  // namespace assets
