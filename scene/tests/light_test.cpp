// Lights: the engine flags, colour times intensity, placement, tables, and what the flags
// mean for the models they light.
#include "support/SceneTest.h"

#include "framework/MathUtil.h"
#include "scene/Clump.h"
#include "scene/Light.h"

namespace {

using LightTest = SceneTest;

RwUInt32 EngineFlags(const Light& light)
{
    return RpLightGetFlags(light.GetRwLight());
}

TEST_F(LightTest, TheEngineFlagsFollowTheFlagsWhileTheLightIsOn)
{
    DirectionalLight light;
    ASSERT_TRUE(light.Create());
    EXPECT_EQ(std::pair(light.GetFlags(), light.IsEnabled()), std::pair(3u, true));
    const std::pair<uint32_t, RwUInt32> cases[] = {{3, 3}, {2, 3}, {1, 1}, {0x100, 0}, {0x201, 1}, {0x102, 3}, {0, 0}};
    for (const auto& [flags, engine] : cases) {
        light.SetEnabled(true);
        light.SetFlags(flags);
        EXPECT_EQ(EngineFlags(light), engine) << flags;
        light.Disable();  // off, it reaches nothing and keeps its flags
        EXPECT_EQ(std::tuple(EngineFlags(light), light.GetFlags(), light.IsEnabled()), std::tuple(0u, flags, false));
    }
    light.SetFlags(1);
    EXPECT_EQ(EngineFlags(light), 0u);
    light.SetEnabled(true);
    EXPECT_EQ(EngineFlags(light), 1u);
}

TEST_F(LightTest, ColourAndPlacementReachTheEngineLight)
{
    AmbientLight ambient;
    ASSERT_TRUE(ambient.Create());
    EXPECT_EQ(RpLightGetType(ambient.GetRwLight()), rpLightAmbient);
    ambient.SetColor(Color(1.0f, 0.5f, 0.0f, 0.25f), 2.0f);
    const RwRGBAReal* c = RpLightGetColor(ambient.GetRwLight());
    EXPECT_EQ((std::vector<float>{c->red, c->green, c->blue, c->alpha}), (std::vector<float>{2, 1, 0, 255}));
    EXPECT_EQ(std::pair(ambient.GetColor(), ambient.GetIntensity()), std::pair(Color(1.0f, 0.5f, 0.0f, 0.25f), 2.0f));
    ambient.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitX));  // it has none
    EXPECT_EQ(ambient.GetOrientation(), Quaternion::Identity);
    EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetMatrix(ambient.GetFrame()), 1e-6f));

    // Position and orientation each replace the frame's matrix.
    DirectionalLight sun;
    ASSERT_TRUE(sun.Create());
    EXPECT_EQ(std::pair(RpLightGetType(sun.GetRwLight()), RpLightGetFrame(sun.GetRwLight())),
              std::pair(RwInt32(rpLightDirectional), sun.GetFrame()));
    const RwMatrix* m = RwFrameGetMatrix(sun.GetFrame());
    sun.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitX));
    EXPECT_TRUE(Near(V(m->at), {0, -1, 0}, 1e-5f));
    sun.SetPosition({1, 2, 3});
    EXPECT_EQ(std::pair(V(m->pos), V(m->at)), std::pair(Vector3(1, 2, 3), Vector3(0, 0, 1)));
    sun.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitX));
    sun.SetOrientation(Quaternion::Identity);
    EXPECT_TRUE(RwMatrixIsIdentity(m, 1e-6f));
    EXPECT_EQ(std::pair(sun.GetPosition(), sun.GetOrientation()), std::pair(Vector3(1, 2, 3), Quaternion::Identity));

    // Without an engine light the settings are only stored.
    EXPECT_TRUE(sun.Destroy());
    EXPECT_FALSE(sun.Destroy());
    EXPECT_EQ(sun.GetFrame(), nullptr);
    sun.SetFlags(2);
    sun.SetColor(Color(0.5f, 0.5f, 0.5f), 1.0f);
    sun.SetPosition({4, 4, 4});
    EXPECT_EQ(std::pair(sun.GetFlags(), sun.GetPosition()), std::pair(2u, Vector3(4, 4, 4)));
}

TEST_F(LightTest, ReadingATableAppliesColourFlagsAndOrientation)
{
    DirectionalLight source, light;
    ASSERT_TRUE(source.Create() && light.Create());
    source.SetFlags(Light::kStaticLighting | Light::kDynamicLighting | 0x1000);  // a bit no key stands for
    source.SetColor(Color(0.25f, 0.5f, 1.0f), 0.5f);
    source.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitY));
    source.Disable();
    SerializeTable(source, "sun.txt", "Sun", true);
    SerializeTable(light, "sun.txt", "Sun", false);
    EXPECT_EQ(std::tuple(light.GetFlags(), light.IsEnabled(), EngineFlags(light)),
              std::tuple(uint32_t(Light::kStaticLighting | Light::kDynamicLighting), false, 0u));
    const RwRGBAReal* c = RpLightGetColor(light.GetRwLight());
    EXPECT_EQ(std::pair(c->red, c->blue), std::pair(0.125f, 0.5f));
    EXPECT_TRUE(Near(V(RwFrameGetMatrix(light.GetFrame())->at), {1, 0, 0}, 1e-5f));

    AmbientLight ambient, copy;
    ASSERT_TRUE(ambient.Create() && copy.Create());
    ambient.SetColor(Color(0.1f, 0.2f, 0.3f), 1.0f);
    SerializeTable(ambient, "ambient.txt", "Fill", true);
    copy.SetFlags(0);
    SerializeTable(copy, "ambient.txt", "Fill", false);
    EXPECT_FLOAT_EQ(RpLightGetColor(copy.GetRwLight())->green, 0.2f);
    EXPECT_EQ(std::pair(copy.GetFlags(), EngineFlags(copy)), std::pair(3u, 3u));
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
    RpAtomic* atomic = clump.GetRwClump()->atomics[0];
    RpAtomicSetGeometry(atomic, MakeCube({0, 0, 0}, 1.0f, {255, 255, 255, 255}));
    RpGeometryDestroy(RpAtomicGetGeometry(atomic));
    clump.SetPosition({0, 0, 10});
    clump.Update(0);
    DrawCamera camera;
    RpWorldAddCamera(world, camera.GetRwCamera());
    const auto lights = [&]() {
        const std::vector<RwNullDrawRecord> draws = camera.Draw([&] { clump.Render(); });
        return draws.size() == 1 && draws[0].lit ? draws[0].numLights : -1;
    };
    EXPECT_EQ(lights(), 1);
    sun.Disable();
    EXPECT_EQ(lights(), 0);
    sun.SetEnabled(true);
    sun.SetFlags(Light::kDynamicLighting);
    EXPECT_EQ(lights(), 0);
    sun.SetFlags(Light::kLightWorld);
    EXPECT_EQ(lights(), 1);
    RpWorldRemoveCamera(world, camera.GetRwCamera());
    sun.Destroy();
    RpWorldDestroy(world);
}

}  // namespace
