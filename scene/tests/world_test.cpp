// Worlds switching light sets per object, the renderer moving its camera between worlds, and
// the atmosphere: fog, the sky dome's lights, line-of-sight tests and lens flares.
#include "support/PluginTestSupport.h"
#include "support/SceneTest.h"

#include "engine/core/NullDevice.h"
#include "engine/world/RpLight.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "scene/Atmosphere.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/Light.h"
#include "scene/RwGraphics.h"
#include "scene/World.h"
#include "tests/support/LogCapture.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>

namespace {

// Notes on each draw which of the lights are in an engine world.
class Probe : public RenderObject {
public:
    Probe(bool isStatic, std::vector<Light*> lights, std::string& log)
        : m_static(isStatic), m_lights(std::move(lights)), m_log(log)
    {
    }
    void Render() override { m_log += (m_static ? " S" : " D") + LightsIn(m_lights); }
    void Update(float) override {}
    bool UsesStaticLighting() const override { return m_static; }

    static std::string LightsIn(const std::vector<Light*>& lights)
    {
        std::string in;
        for (const Light* light : lights)
            in += RpLightGetWorld(light->GetRwLight()) ? '1' : '0';
        return in;
    }

private:
    bool m_static;
    std::vector<Light*> m_lights;
    std::string& m_log;
};

std::unique_ptr<DirectionalLight> MakeLight(uint32_t flags)
{
    auto light = std::make_unique<DirectionalLight>();
    EXPECT_TRUE(light->Create());
    light->SetFlags(flags);
    return light;
}

// Draws an engine clump it does not own.
class ClumpProbe : public RenderObject {
public:
    explicit ClumpProbe(RpClump* clump) : m_clump(clump) {}
    void Render() override { RpClumpRender(m_clump); }
    void Update(float) override {}

private:
    RpClump* m_clump;
};

// Draws with a backdrop, as the stadium world does.
class BackdropWorld : public World {
public:
    void RenderBehind(const std::function<void()>& backdrop) { RenderWorld(backdrop); }
};

class WorldTest : public SceneTest {
protected:
    void TearDown() override
    {
        RwGraphics::Instance()->SetWorld(nullptr);
        RwGraphics::Instance()->SetCamera(nullptr);
    }
};

TEST_F(WorldTest, EachObjectDrawsWithItsLightSetAndAllLightsEndIn)
{
    auto dynamic = MakeLight(World::kDynamicSet), still = MakeLight(World::kStaticSet);
    auto always = MakeLight(Light::kDynamicLighting);
    World world;
    ASSERT_TRUE(world.CreateWorld());
    const std::vector<Light*> lights{dynamic.get(), still.get(), always.get()};
    for (Light* light : lights)
        world.AddLight(light);
    std::string log;
    Probe a(true, lights, log), b(false, lights, log), c(false, lights, log), d(true, lights, log);
    for (Probe* probe : {&a, &b, &c, &d})
        world.AddRenderObject(probe);

    world.Render();
    EXPECT_EQ(log, " S011 D101 D101 S011");
    EXPECT_EQ(Probe::LightsIn(lights), "111");
}

TEST_F(WorldTest, OpaqueObjectsDrawBeforeTransparentOnesWhateverTheirOrder)
{
    RpMaterial* clear = RpMaterialCreate();
    const RwRGBA half{255, 255, 255, 128};
    RpMaterialSetColor(clear, &half);
    const RwUInt32 flags = rpGeometryModulateMaterialColor | rpGeometryPrelit;
    RpClump* glass = worldtest::BoxClump({0, 0, 5}, flags, {clear});
    RpMaterialDestroy(clear);
    RpClump* wall = worldtest::BoxClump({0, 0, 9}, flags);
    for (const bool glassFirst : {true, false}) {
        World world;
        ASSERT_TRUE(world.CreateWorld());
        ClumpProbe glassProbe(glass), wallProbe(wall);
        world.AddRenderObject(glassFirst ? &glassProbe : &wallProbe);
        world.AddRenderObject(glassFirst ? &wallProbe : &glassProbe);
        std::vector<bool> blended;
        for (const RwNullDrawRecord& draw : Drawn([&] { world.Render(); }))
            blended.push_back(draw.transparent);
        EXPECT_EQ(blended, (std::vector<bool>{false, true})) << (glassFirst ? "glass first" : "wall first");
    }
    RpClumpDestroy(glass);
    RpClumpDestroy(wall);
}

// Notes how many times the renderer was told to start on what it had when the object is drawn.
class WorkProbe : public RenderObject {
public:
    explicit WorkProbe(std::vector<RwInt32>& seen) : m_seen(seen) {}
    void Render() override { m_seen.push_back(RwNullDeviceGet()->workStarts); }
    void Update(float) override {}

private:
    std::vector<RwInt32>& m_seen;
};

// The sectors go to the renderer before the objects are sent, and the whole picture once the
// transparent parts are drawn; without objects only the whole.
TEST_F(WorldTest, TheSectorsAreHandedOverBeforeTheObjects)
{
    for (const int objects : {2, 0}) {
        World world;
        ASSERT_TRUE(world.CreateWorld());
        std::vector<RwInt32> seen;
        WorkProbe first(seen), second(seen);
        if (objects > 0) {
            world.AddRenderObject(&first);
            world.AddRenderObject(&second);
        }
        Drawn([&] { world.Render(); });
        EXPECT_EQ(seen, std::vector<RwInt32>(static_cast<size_t>(objects), 1));
        EXPECT_EQ(RwNullDeviceGet()->workStarts, objects > 0 ? 2 : 1);
    }
}

TEST_F(WorldTest, WithoutAnEngineWorldTheBackdropGoesFirst)
{
    std::string log;
    Probe probe(true, {}, log);
    BackdropWorld world;
    world.AddRenderObject(&probe);
    world.RenderBehind([&] { log += " sky"; });
    EXPECT_EQ(log, " sky S");
}

TEST_F(WorldTest, AnUpdateKeepsOnlyDynamicLightsIn)
{
    auto only = MakeLight(Light::kDynamicLighting), staticOnly = MakeLight(Light::kStaticLighting);
    World world;
    ASSERT_TRUE(world.CreateWorld());
    const std::vector<Light*> lights{only.get(), staticOnly.get()};
    world.AddLight(only.get());
    world.AddLight(staticOnly.get());
    EXPECT_EQ(Probe::LightsIn(lights), "11");
    world.Update(0.0f);
    EXPECT_EQ(Probe::LightsIn(lights), "10");
    world.Render();
    EXPECT_EQ(Probe::LightsIn(lights), "10");
}

TEST_F(WorldTest, AWorldWithoutGeometryLeavesLightsWhereTheyAre)
{
    auto light = MakeLight(World::kDynamicSet);
    World elsewhere, empty;
    ASSERT_TRUE(elsewhere.CreateWorld());
    elsewhere.AddLight(light.get());
    empty.AddLight(light.get());
    std::string log;
    Probe probe(false, {light.get()}, log);
    empty.AddRenderObject(&probe);
    empty.Update(0.0f);
    empty.Render();
    EXPECT_EQ(RpLightGetWorld(light->GetRwLight()), elsewhere.GetRwWorld());
    EXPECT_EQ(log, " D1");
    empty.RemoveLight(light.get());
}

TEST_F(WorldTest, RemovingTakesOneEntryAndWarnsAboutAbsentOnes)
{
    LogCapture log;
    World world;
    std::string draws;
    Probe probe(true, {}, draws);
    EXPECT_TRUE(world.AddRenderObject(&probe));
    EXPECT_TRUE(world.AddRenderObject(&probe));
    EXPECT_TRUE(world.RemoveRenderObject(&probe));
    EXPECT_EQ(world.GetRenderObjects().size(), 1u);
    EXPECT_TRUE(world.RemoveRenderObject(&probe));
    EXPECT_FALSE(world.RemoveRenderObject(&probe));
    auto light = MakeLight(World::kStaticSet);
    EXPECT_FALSE(world.RemoveLight(light.get()));
    EXPECT_TRUE(log.Contains("World::RemoveRenderObject object not found"));
    EXPECT_TRUE(log.Contains("World::RemoveLight light not found"));
}

TEST_F(WorldTest, TheCameraMovesWithTheCurrentWorld)
{
    RwGraphics* graphics = RwGraphics::Instance();
    RwCamera* camera = graphics->GetPrimaryCamera()->GetRwCamera();
    World first, second;
    ASSERT_TRUE(first.CreateWorld() && second.CreateWorld());
    graphics->SetWorld(&first);
    graphics->SetCamera(graphics->GetPrimaryCamera());
    EXPECT_EQ(RwCameraGetWorld(camera), first.GetRwWorld());
    graphics->SetWorld(&second);
    EXPECT_EQ(RwCameraGetWorld(camera), second.GetRwWorld());
    EXPECT_EQ(first.GetRwWorld()->cameras.size(), 0u);
    graphics->SetWorld(nullptr);
    EXPECT_EQ(RwCameraGetWorld(camera), nullptr);
    EXPECT_EQ(graphics->GetCamera(), graphics->GetPrimaryCamera());
    graphics->SetCamera(nullptr);
}

TEST_F(WorldTest, FogSetsTheEngineStatesAndClampsItsType)
{
    EXPECT_TRUE(FactoryRegistry::RenderObjects().Contains("Fog"));
    RwGraphics* graphics = RwGraphics::Instance();
    Fog fog;
    fog.enable = true;
    fog.color = Color(1.0f, 0.5f, 0.0f);
    fog.density = 0.25f;
    fog.distance = 40.0f;

    LogCapture log;
    for (const auto& [type, code] : std::vector<std::pair<int32_t, RwInt32>>{{-3, 1}, {1, 2}, {2, 3}, {7, 3}}) {
        fog.type = type;
        SerializeTable(fog, "fog.txt", "fog", true);
        SerializeTable(fog, "fog.txt", "fog", false);
        graphics->SetCamera(graphics->GetPrimaryCamera());
        fog.Render();
        intptr_t value = 0;
        RwRenderStateGet(rwRenderStateFogType, &value);
        EXPECT_EQ(value, code) << type;
    }
    EXPECT_EQ(log.Count("Fog::Serialize"), 2);
    intptr_t colour = 0, density = 0;
    RwRenderStateGet(rwRenderStateFogColor, &colour);
    RwRenderStateGet(rwRenderStateFogDensity, &density);
    EXPECT_EQ(static_cast<RwUInt32>(colour), RwPackColor(255, 127, 0, 255));
    EXPECT_EQ(RwRenderStateToReal(density), 0.25f);
    EXPECT_EQ(graphics->GetPrimaryCamera()->GetRwCamera()->fogPlane, 40.0f);

    // Without a camera the states stay as they are.
    graphics->SetCamera(nullptr);
    fog.enable = false;
    fog.Render();
    intptr_t enabled = 0;
    RwRenderStateGet(rwRenderStateFogEnable, &enabled);
    EXPECT_EQ(enabled, 1);
}

// The level folder of the atmosphere: a box as each dome, three of the five flare sprites,
// the wall world of the engine tests.
class AtmosphereTest : public WorldTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        FileSystem* files = FileSystem::Instance();
        files->AddAlias("<PP>", "pp\\");
        files->AddAlias("<LP>", "level\\");
        files->AddAlias("<TP>", "Textures24Bit\\");
        std::filesystem::create_directories("level/objects");
        std::filesystem::create_directories("pp/Lensflares/Textures24Bit");
        for (const char* dome : {"level/objects/skydome.dff", "level/objects/sky_night.dff"}) {
            RpClump* box = worldtest::BoxClump({0, 0, 0});
            WriteEngineFile(dome, [&](RwStream* s) { return RpClumpStreamWrite(box, s) != nullptr; });
            RpClumpDestroy(box);
        }
        Image sprite(RwImageAllocatePixels(RwImageCreate(4, 4, 32)), RwImageDestroy);
        std::fill(sprite->pixels, sprite->pixels + 64, RwUInt8{255});
        for (int n = 1; n <= 3; ++n)
            RtPngImageWrite(sprite.get(), ("pp/Lensflares/Textures24Bit/flare_0" + std::to_string(n) + ".png").c_str());
        RpWorld* wall = worldtest::MakeWallWorld();
        WriteEngineFile("wall.bsp", [&](RwStream* s) { return RpWorldStreamWrite(wall, s) != nullptr; });
        RpWorldDestroy(wall);
    }

    void SetUp() override
    {
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetWorld(&world);
        graphics->SetCamera(graphics->GetPrimaryCamera());
        Place({0, 1, 0}, 0.0f);
    }

    // The camera at the eye, turned about y by the angle (radians; 0 looks along +z).
    static void Place(const Vector3& eye, float angle)
    {
        FrameHelper frame(RwGraphics::Instance()->GetPrimaryCamera()->GetFrame());
        frame.Rotate(Vector3::UnitY, angle, rwCombineReplace);
        frame.Translate(eye, rwCombinePostMultiply);
    }

    // The 2D draws of one flare pass with the sun there.
    int FlaresDrawn(Lensflares& flares, const Vector3& sun)
    {
        flares.SetPosition(sun);
        RwNullDeviceGet()->ClearLog();
        Camera* camera = RwGraphics::Instance()->GetCamera();
        EXPECT_TRUE(camera->BeginUpdate());
        flares.Render();
        camera->EndUpdate();
        int drawn = 0;
        for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws)
            drawn += draw.is2D;
        EXPECT_EQ(drawn, flares.GetDrawnCount());
        return drawn;
    }

    World world;
};

TEST_F(AtmosphereTest, TheRaycasterFindsTheWallOnlyInTheCurrentWorld)
{
    EXPECT_EQ(Raycaster::Instance()->RayTest({0, 1, 0}, {100, 1, 0}), -1.0f);
    ASSERT_TRUE(world.Load("wall.bsp", ""));
    EXPECT_NEAR(Raycaster::Instance()->RayTest({0, 1, 0}, {100, 1, 0}), 0.05f, 1e-5f);
    EXPECT_EQ(Raycaster::Instance()->RayTest({0, 1, 0}, {-5, 1, 0}), -1.0f);
    RwGraphics::Instance()->SetWorld(nullptr);
    EXPECT_EQ(Raycaster::Instance()->RayTest({0, 1, 0}, {100, 1, 0}), -1.0f);
}

TEST_F(AtmosphereTest, LoadingAndDestroyingTakeTheLightsOutOfTheEngineWorldButKeepThemListed)
{
    auto light = MakeLight(World::kDynamicSet);
    ASSERT_TRUE(world.CreateWorld());
    EXPECT_TRUE(world.AddLight(light.get()));
    ASSERT_NE(RpLightGetWorld(light->GetRwLight()), nullptr);
    ASSERT_TRUE(world.Load("wall.bsp", ""));
    EXPECT_EQ(RpLightGetWorld(light->GetRwLight()), nullptr);
    world.Update(0.0f);
    EXPECT_EQ(RpLightGetWorld(light->GetRwLight()), world.GetRwWorld());
    world.DestroyWorld();
    EXPECT_EQ(world.GetRwWorld(), nullptr);
    EXPECT_EQ(RpLightGetWorld(light->GetRwLight()), nullptr);
    EXPECT_EQ(world.GetLights().size(), 1u);
    LogCapture log;
    EXPECT_FALSE(world.Load("no such world.bsp", ""));
    EXPECT_TRUE(log.Contains("Engine::LoadWorld: failed to load stream."));
    EXPECT_TRUE(world.RemoveLight(light.get()));
}

TEST_F(AtmosphereTest, FlaresShowForASunInViewAndFadeTowardsTheEdge)
{
    ASSERT_TRUE(world.CreateWorld());
    Lensflares flares;
    for (int missing : {-1, 3, 5})
        EXPECT_EQ(flares.GetTexture(missing), nullptr) << missing;
    flares.GetFlares().resize(5);
    for (int i = 0; i < 5; ++i)
        flares.GetFlares()[static_cast<size_t>(i)].type = i;
    flares.GetFlares()[1].doScale = true;
    flares.GetFlares()[2].doRotate = true;

    Vector2 centre, side;
    float depth = 0.0f;
    ASSERT_TRUE(Lensflares::ProjectToScreen({0, 1, 100}, centre, depth));
    EXPECT_NEAR(centre.x, 0.5f, 1e-5f);
    EXPECT_NEAR(centre.y, 0.5f, 1e-5f);
    Lensflares::ProjectToScreen({10, 1, 100}, side, depth);
    const float perUnit = std::fabs(side.x - centre.x) / 10.0f;

    EXPECT_EQ(FlaresDrawn(flares, {0, 1, 100}), 3);
    EXPECT_EQ(FlaresDrawn(flares, {0.4f / perUnit, 1, 100}), 3);
    EXPECT_EQ(FlaresDrawn(flares, {0.5f / perUnit, 1, 100}), 0);
    EXPECT_EQ(FlaresDrawn(flares, {0, 1, -100}), 0);
    flares.GetFlares()[4].type = -2;
    EXPECT_EQ(FlaresDrawn(flares, {0, 1, 100}), 3);
    // Without a world nothing can block the sun.
    RwGraphics::Instance()->SetWorld(nullptr);
    EXPECT_EQ(FlaresDrawn(flares, {0, 1, 100}), 3);
}

TEST_F(AtmosphereTest, AWallBetweenTheCameraAndTheSunHidesEveryFlare)
{
    ASSERT_TRUE(world.Load("wall.bsp", ""));
    RwGraphics::Instance()->SetWorld(nullptr);
    RwGraphics::Instance()->SetWorld(&world);
    Place({0, 1, 0}, 3.14159265f / 2);
    Lensflares flares;
    flares.GetFlares().resize(2);
    Vector2 screen;
    float depth = 0.0f;
    ASSERT_TRUE(Lensflares::ProjectToScreen({100, 1, 0}, screen, depth));
    EXPECT_GT(depth, 0.0f);
    EXPECT_EQ(FlaresDrawn(flares, {100, 1, 0}), 0);
    EXPECT_EQ(FlaresDrawn(flares, {-100, 1, 0}), 0);
    EXPECT_EQ(FlaresDrawn(flares, {0, 1, 100}), 0);
    Place({0, 1, 0}, -3.14159265f / 2);
    EXPECT_EQ(FlaresDrawn(flares, {-100, 1, 0}), 2);
}

TEST_F(AtmosphereTest, FlareTablesGrowWithDefaultsAndReadNegativeCountsAsNone)
{
    Lensflares flares;
    SerializeTable(flares, "flares.txt", "flares", true);
    const auto read = [&](int count) {
        const std::string text = "[Lensflares] \"f\"\n{\n \"count\" " + std::to_string(count) + "\n}\n";
        File* out = FileSystem::Instance()->OpenWrite("flares.txt");
        out->Write(text.data(), text.size());
        FileSystem::Instance()->Close(out);
        SerializeTable(flares, "flares.txt", "f", false);
    };
    read(3);
    ASSERT_EQ(flares.GetFlares().size(), 3u);
    EXPECT_EQ(flares.GetFlares()[2].size, 10.0f);
    read(-4);
    EXPECT_TRUE(flares.GetFlares().empty());
}

TEST_F(AtmosphereTest, DrawingTheSkyLeavesTheLightsAsTheyWere)
{
    ASSERT_TRUE(world.CreateWorld());
    auto on = MakeLight(World::kStaticSet), off = MakeLight(World::kDynamicSet);
    off->Disable();
    world.AddLight(on.get());
    world.AddLight(off.get());
    for (bool night : {false, true}) {
        Skydome sky(night);
        ASSERT_EQ(world.GetLights().size(), 3u);
        RwNullDeviceGet()->ClearLog();
        Camera* camera = RwGraphics::Instance()->GetCamera();
        RwCameraSetFogDistance(camera->GetRwCamera(), 30.0f);
        ASSERT_TRUE(camera->BeginUpdate());
        sky.Draw(0.5f);
        camera->EndUpdate();
        int meshes = 0;
        for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws) {
            meshes += draw.isMesh;
            EXPECT_EQ(std::tuple(draw.zAtFar, draw.zTest, draw.zWrite), std::tuple(1, 1, 0)) << "behind the scene";
        }
        EXPECT_EQ(meshes, night ? 2 : 1);
        intptr_t atFar = -1, zWrite = -1;
        RwRenderStateGet(rwRenderStateZAtFar, &atFar);
        RwRenderStateGet(rwRenderStateZWriteEnable, &zWrite);
        EXPECT_EQ(std::pair(atFar, zWrite), std::pair(intptr_t(0), intptr_t(1)));
        EXPECT_EQ(camera->GetRwCamera()->fogPlane, 30.0f) << "the sky's fog distance is put back";
        EXPECT_TRUE(on->IsEnabled());
        EXPECT_FALSE(off->IsEnabled());
        EXPECT_FALSE(sky.GetLight().IsEnabled());
        EXPECT_EQ(Probe::LightsIn({on.get(), off.get()}), "11");
    }
    EXPECT_EQ(world.GetLights().size(), 2u);
    world.RemoveLight(on.get());
    world.RemoveLight(off.get());
}

}  // namespace
