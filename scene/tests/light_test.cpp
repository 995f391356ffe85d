// Lights: the engine flag byte, colour times intensity, placement, tables, and what the
// flags mean for the models they light.
#include "SceneCoreSupport.h"

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "framework/MathUtil.h"
#include "scene/Clump.h"
#include "scene/Light.h"

namespace {

using namespace scenetest;

class LightTest : public NullSceneTest {};

RwUInt32 EngineFlags(const Light& light)
{
    return RpLightGetFlags(light.GetRwLight());
}

TEST_F(LightTest, TheEngineFlagByteFollowsFlagsAndTheSwitch)
{
    DirectionalLight light;
    ASSERT_TRUE(light.Create());
    EXPECT_EQ(light.GetFlags(), 3u);
    EXPECT_TRUE(light.IsEnabled());

    light.SetFlags(3);
    EXPECT_EQ(EngineFlags(light), 3u);
    light.Disable();
    EXPECT_FALSE(light.IsEnabled());
    EXPECT_EQ(EngineFlags(light), 0u);
    EXPECT_EQ(light.GetFlags(), 3u);
    // Flags set while off stay off in the engine.
    light.SetFlags(1);
    EXPECT_EQ(EngineFlags(light), 0u);
    light.SetFlags(3);
    light.SetEnabled(true);
    EXPECT_EQ(EngineFlags(light), 3u);

    const struct {
        uint32_t flags;
        RwUInt32 engine;
    } cases[] = {{2, 3}, {1, 1}, {0x100, 0}, {0x200 | 1, 1}, {0x100 | 2, 3}, {0, 0}};
    for (const auto& c : cases) {
        light.SetFlags(c.flags);
        EXPECT_EQ(EngineFlags(light), c.engine) << std::hex << c.flags;
        EXPECT_EQ(light.GetFlags(), c.flags);
    }
}

TEST_F(LightTest, TheEngineColourIsTheColourTimesTheIntensity)
{
    AmbientLight light;
    ASSERT_TRUE(light.Create());
    EXPECT_EQ(RpLightGetType(light.GetRwLight()), rpLightAmbient);
    light.SetColor(Color(1.0f, 0.5f, 0.0f, 0.25f), 2.0f);
    const RwRGBAReal* c = RpLightGetColor(light.GetRwLight());
    EXPECT_FLOAT_EQ(c->red, 2.0f);
    EXPECT_FLOAT_EQ(c->green, 1.0f);
    EXPECT_FLOAT_EQ(c->blue, 0.0f);
    EXPECT_FLOAT_EQ(c->alpha, 255.0f);
    EXPECT_EQ(light.GetColor(), Color(1.0f, 0.5f, 0.0f, 0.25f));
    EXPECT_FLOAT_EQ(light.GetIntensity(), 2.0f);
}

TEST_F(LightTest, PositionAndOrientationEachReplaceTheFrameMatrix)
{
    DirectionalLight light;
    ASSERT_TRUE(light.Create());
    ASSERT_NE(light.GetFrame(), nullptr);
    EXPECT_EQ(RpLightGetFrame(light.GetRwLight()), light.GetFrame());

    const Quaternion down(Math::HalfPi, Vector3::UnitX);  // at (0, 0, 1) turns to (0, -1, 0)
    light.SetOrientation(down);
    EXPECT_EQ(light.GetOrientation(), down);
    const RwMatrix* m = RwFrameGetMatrix(light.GetFrame());
    EXPECT_NEAR(m->at.y, -1.0f, 1e-5f);

    light.SetPosition({1, 2, 3});
    EXPECT_EQ(light.GetPosition(), Vector3(1, 2, 3));
    EXPECT_FLOAT_EQ(m->pos.x, 1.0f);
    EXPECT_NEAR(m->at.z, 1.0f, 1e-6f);  // the rotation is gone

    // An ambient light has no orientation of its own.
    AmbientLight ambient;
    ASSERT_TRUE(ambient.Create());
    ambient.SetOrientation(down);
    EXPECT_EQ(ambient.GetOrientation(), Quaternion::Identity);
    EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetMatrix(ambient.GetFrame()), 1e-6f));
}

TEST_F(LightTest, DestroyTwiceDoesNothingTheSecondTime)
{
    AmbientLight light;
    ASSERT_TRUE(light.Create());
    EXPECT_TRUE(light.Destroy());
    EXPECT_EQ(light.GetRwLight(), nullptr);
    EXPECT_EQ(light.GetFrame(), nullptr);
    EXPECT_FALSE(light.Destroy());
    // Without an engine light the settings are only stored.
    light.SetFlags(2);
    light.SetColor(Color(0.5f, 0.5f, 0.5f), 1.0f);
    light.SetPosition({1, 1, 1});
    EXPECT_EQ(light.GetFlags(), 2u);
    EXPECT_EQ(light.GetPosition(), Vector3(1, 1, 1));
}

void WriteTable(Object& object, const char* path, const char* name)
{
    File* file = FileSystem::Instance()->OpenWrite(path);
    ASSERT_NE(file, nullptr);
    {
        AsciiSerializer writer(file, true);
        object.Serialize(writer, name);
    }
    ASSERT_TRUE(FileSystem::Instance()->Close(file));
}

void ReadTable(Object& object, const char* path, const char* name)
{
    File* file = FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr);
    {
        AsciiSerializer reader(file, false);
        object.Serialize(reader, name);
    }
    FileSystem::Instance()->Close(file);
}

TEST_F(LightTest, ReadingATableAppliesColourFlagsAndOrientation)
{
    DirectionalLight source;
    ASSERT_TRUE(source.Create());
    source.SetFlags(Light::kStaticLighting | 0x1000);  // a bit no key stands for
    source.SetColor(Color(0.25f, 0.5f, 1.0f), 0.5f);
    source.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitY));
    source.Disable();
    WriteTable(source, "sun.txt", "Sun");

    DirectionalLight light;
    ASSERT_TRUE(light.Create());
    ReadTable(light, "sun.txt", "Sun");
    EXPECT_EQ(light.GetFlags(), uint32_t(Light::kStaticLighting));
    EXPECT_FALSE(light.IsEnabled());
    EXPECT_EQ(EngineFlags(light), 0u);
    const RwRGBAReal* c = RpLightGetColor(light.GetRwLight());
    EXPECT_FLOAT_EQ(c->red, 0.125f);
    EXPECT_FLOAT_EQ(c->blue, 0.5f);
    EXPECT_NEAR(RwFrameGetMatrix(light.GetFrame())->at.x, 1.0f, 1e-5f);

    // Another kind's section is not this one's.
    AmbientLight ambient;
    ASSERT_TRUE(ambient.Create());
    ambient.SetColor(Color(0.1f, 0.2f, 0.3f), 1.0f);
    WriteTable(ambient, "ambient.txt", "Fill");
    AmbientLight copy;
    ASSERT_TRUE(copy.Create());
    ReadTable(copy, "ambient.txt", "Fill");
    EXPECT_FLOAT_EQ(RpLightGetColor(copy.GetRwLight())->green, 0.2f);
    EXPECT_EQ(copy.GetFlags(), 3u);
}

TEST_F(LightTest, FlagsDecideWhetherAModelIsLit)
{
    RwBBox box{{100, 100, 100}, {-100, -100, -100}};
    RpWorld* world = RpWorldCreate(&box);
    DirectionalLight sun;
    ASSERT_TRUE(sun.Create());
    RpWorldAddLight(world, sun.GetRwLight());

    Clump clump;
    ASSERT_TRUE(clump.CreateDummyClump());
    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    RpAtomicSetGeometry(atomics[0], MakeCube({0, 0, 0}, 1.0f, {255, 255, 255, 255}));
    RpGeometryDestroy(RpAtomicGetGeometry(atomics[0]));
    clump.SetPosition({0, 0, 10});
    clump.Update(0);

    TestCamera camera;
    RpWorldAddCamera(world, camera.camera);
    auto litBy = [&]() {
        RwNullDeviceGet()->ClearLog();
        camera.Draw([&] { clump.Render(); });
        const std::vector<RwNullDrawRecord> draws = MeshDraws();
        return draws.size() == 1 && draws[0].lit ? draws[0].numLights : -1;
    };
    EXPECT_EQ(litBy(), 1);
    sun.Disable();
    EXPECT_EQ(litBy(), 0);
    sun.SetEnabled(true);
    sun.SetFlags(Light::kDynamicLighting);
    EXPECT_EQ(litBy(), 0);
    sun.SetFlags(Light::kLightWorld);
    EXPECT_EQ(litBy(), 1);

    RpWorldRemoveCamera(world, camera.camera);
    sun.Destroy();
    RpWorldDestroy(world);
}

}  // namespace
