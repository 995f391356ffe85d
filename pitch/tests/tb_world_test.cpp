// The stadium world: loading once per pair of names, failing loads that leave the camera
// current and retry, its collision in "ball+pitchvolumes", the atmosphere in the cast
// "display", and the dressing shown or hidden by name.
#include "support/SceneTest.h"

#include "engine/core/NullDevice.h"
#include "engine/world/RpWorld.h"
#include "engine/world/tests/support/WorldTestSupport.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "pitch/TBWorld.h"
#include "scene/Atmosphere.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/RwGraphics.h"
#include "simulation/Collidable.h"
#include "simulation/CollisionManager.h"
#include "tests/support/LogCapture.h"

#include <filesystem>

namespace {

class Dressing : public RenderObject {
public:
    explicit Dressing(const char* name) { SetName(name); }
    void Render() override {}
    void Update(float) override {}
};

class TBWorldTest : public SceneTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        FileSystem::Instance()->AddAlias("<LP>", "level\\");
        FileSystem::Instance()->AddAlias("<TP>", "Textures24Bit\\");
        std::filesystem::create_directories("level");
        RpWorld* wall = worldtest::MakeWallWorld();
        WriteEngineFile("level/wall.bsp", [&](RwStream* s) { return RpWorldStreamWrite(wall, s) != nullptr; });
        // The same world painted with a texture no folder holds.
        RwTexture* missing = RwTextureSetName(RwTextureCreate(RwRasterCreate(4, 4, 32, rwRasterTypeTexture)), "nowhere");
        RpMaterialSetTexture(wall->matList.materials[0], missing);
        RwTextureDestroy(missing);
        WriteEngineFile("level/painted.bsp", [&](RwStream* s) { return RpWorldStreamWrite(wall, s) != nullptr; });
        RpWorldDestroy(wall);
    }

    void TearDown() override
    {
        RwGraphics::Instance()->SetWorld(nullptr);
        RwGraphics::Instance()->SetCamera(nullptr);
    }

    static CollisionSet* BallSet() { return CollisionManager::Instance()->GetCollisionSet("ball+pitchvolumes"); }
};

TEST_F(TBWorldTest, NamesThatExpandAlikeLoadOnce)
{
    TBWorld world;
    ASSERT_TRUE(world.Load("<LP>wall.bsp", "<LP>"));
    RpWorld* loaded = world.GetRwWorld();
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(world.IsLoaded("level\\wall.bsp", "level\\"));
    EXPECT_TRUE(world.Load("level\\wall.bsp", "level\\"));
    EXPECT_EQ(world.GetRwWorld(), loaded);
    EXPECT_EQ(BallSet()->GetMemberCount(), 1);
}

TEST_F(TBWorldTest, AMissingFileMakesWorldAndCameraCurrentAndTheNextCallRetries)
{
    LogCapture log;
    TBWorld world;
    ASSERT_TRUE(world.CreateWorld());
    EXPECT_FALSE(world.Load("<LP>missing.bsp", "<LP>"));
    RwGraphics* graphics = RwGraphics::Instance();
    EXPECT_EQ(graphics->GetWorld(), &world);
    EXPECT_EQ(graphics->GetCamera(), graphics->GetPrimaryCamera());
    EXPECT_EQ(world.GetRwWorld(), nullptr);
    EXPECT_FALSE(world.IsLoaded());
    EXPECT_EQ(world.GetFog(), nullptr);
    EXPECT_EQ(world.GetSkydome(), nullptr);
    EXPECT_EQ(world.GetLensflares(), nullptr);
    EXPECT_TRUE(log.Contains("Engine::LoadWorld: failed to load stream."));
    EXPECT_FALSE(BallSet()->Contains(world.GetWorldCollidable()));

    // Nothing to draw but the (absent) world; the failed load is not remembered.
    world.Update(0.1f);
    world.Render();
    EXPECT_FALSE(world.Load("<LP>missing.bsp", "<LP>"));
    EXPECT_TRUE(world.Load("<LP>wall.bsp", "<LP>"));
    EXPECT_EQ(RwCameraGetWorld(graphics->GetPrimaryCamera()->GetRwCamera()), world.GetRwWorld());
    world.Unload();
    world.Unload();
}

TEST_F(TBWorldTest, AWorldWithMissingTexturesIsKeptWithItsCollisionButNoAtmosphere)
{
    LogCapture log;
    TBWorld world;
    EXPECT_FALSE(world.Load("<LP>painted.bsp", "<LP>"));
    EXPECT_TRUE(log.Contains("Engine::LoadWorld: (Warning) failed to load all textures."));
    EXPECT_NE(world.GetRwWorld(), nullptr);
    EXPECT_TRUE(world.IsLoaded("<LP>painted.bsp", "<LP>"));
    EXPECT_TRUE(BallSet()->Contains(world.GetWorldCollidable()));
    EXPECT_EQ(world.GetSkydome(), nullptr);
    EXPECT_EQ(world.GetLensflares(), nullptr);
    EXPECT_TRUE(world.Load("<LP>painted.bsp", "<LP>"));
    world.Update(0.0f);
    world.Render();
    world.Unload();
    EXPECT_EQ(BallSet()->GetMemberCount(), 0);
}

TEST_F(TBWorldTest, WithoutADisplayCastTheAtmosphereIsMadeButNotRegistered)
{
    ASSERT_EQ(CastManager::Instance()->GetCast("display"), nullptr);
    LogCapture log;
    TBWorld world;
    ASSERT_TRUE(world.Load("<LP>wall.bsp", "<LP>"));
    EXPECT_NE(world.GetSkydome(), nullptr);
    EXPECT_EQ(log.Count("TBWorld::Load: no cast \"display\""), 1);

    // Sky and flares draw once a camera is in: the domes are missing, so they are stand-ins.
    RwNullDeviceGet()->ClearLog();
    Camera* camera = RwGraphics::Instance()->GetCamera();
    ASSERT_TRUE(camera->BeginUpdate());
    world.Update(0.0f);
    world.Render();
    camera->EndUpdate();
    intptr_t fog = 1;
    RwRenderStateGet(rwRenderStateFogEnable, &fog);
    EXPECT_EQ(fog, 0);
}

TEST_F(TBWorldTest, UnloadTakesTheWorldOutOfItsCollisionSetAndTheAtmosphereOutOfTheCast)
{
    Cast* display = CastManager::Instance()->CreateCast("display");
    {
        TBWorld world;
        ASSERT_TRUE(world.Load("<LP>wall.bsp", "<LP>"));
        SimpleCollidable* collidable = world.GetWorldCollidable();
        ASSERT_NE(collidable, nullptr);
        EXPECT_EQ(collidable->GetCollisionName(), "world");
        EXPECT_TRUE(BallSet()->Contains(collidable));
        for (const char* name : {"Fog", "Skydome", "Lensflares"})
            EXPECT_NE(display->FindByName(name), nullptr) << name;

        world.Unload();
        EXPECT_EQ(BallSet()->GetMemberCount(), 0);
        EXPECT_EQ(display->GetMemberCount(), 0);
        EXPECT_EQ(world.GetRwWorld(), nullptr);
        EXPECT_EQ(RwGraphics::Instance()->GetWorld(), nullptr);
        EXPECT_EQ(RwGraphics::Instance()->GetCamera(), nullptr);
        ASSERT_TRUE(world.Load("<LP>wall.bsp", "<LP>"));
    }
    // Destruction unloads as well.
    EXPECT_EQ(BallSet()->GetMemberCount(), 0);
    EXPECT_EQ(display->GetMemberCount(), 0);
}

// The game lets go of the current world before its stadium goes.
TEST_F(TBWorldTest, UnloadWhileAnotherWorldIsCurrentTakesTheSkyLightOut)
{
    TBWorld world;
    ASSERT_TRUE(world.Load("<LP>wall.bsp", "<LP>"));
    ASSERT_NE(world.GetSkydome(), nullptr);
    Light* sky = &world.GetSkydome()->GetLight();
    ASSERT_EQ(world.GetLights(), std::vector<Light*>{sky});
    RwGraphics::Instance()->SetWorld(nullptr);
    world.Unload();
    EXPECT_TRUE(world.GetLights().empty());
}

TEST_F(TBWorldTest, DressingIsShownAndHiddenByName)
{
    TBWorld world;
    Dressing crowdA("Crowd"), crowdB("Crowd"), flags("flags_02"), benches("benches"), shortBench("short_benches");
    for (Dressing* d : {&crowdA, &benches, &crowdB, &flags, &shortBench})
        world.AddRenderObject(d);
    world.ShowSpectators(false);
    world.ShowShortBenches(false);
    EXPECT_FALSE(crowdA.IsVisible());
    EXPECT_FALSE(crowdB.IsVisible());
    EXPECT_FALSE(flags.IsVisible());
    EXPECT_FALSE(shortBench.IsVisible());
    EXPECT_TRUE(benches.IsVisible());
    world.ShowBenches(false);
    world.ShowSpectators(true);
    EXPECT_FALSE(benches.IsVisible());
    EXPECT_TRUE(crowdB.IsVisible());
}

}  // namespace
