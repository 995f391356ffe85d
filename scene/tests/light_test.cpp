// Lights: the engine flags, colour times intensity, placement and tables.
#include "support/SceneTest.h"

#include "framework/MathUtil.h"
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
    // Lighting the world lights atomics too; the static and dynamic bits reach nothing.
    const std::pair<uint32_t, RwUInt32> cases[] = {{3, 3}, {2, 3}, {1, 1}, {0x100, 0}, {0x201, 1}, {0x102, 3}, {0, 0}};
    for (const auto& [flags, engine] : cases) {
        light.SetEnabled(true);
        light.SetFlags(flags);
        EXPECT_EQ(EngineFlags(light), engine) << flags;
        light.Disable();  // off, it reaches nothing and keeps its flags
        EXPECT_EQ(std::tuple(EngineFlags(light), light.GetFlags(), light.IsEnabled()), std::tuple(0u, flags, false));
    }
    light.SetFlags(1);
    light.SetEnabled(true);
    EXPECT_EQ(EngineFlags(light), 1u);
}

TEST_F(LightTest, ColourAndPlacementReachTheEngineLightWhileThereIsOne)
{
    AmbientLight ambient;
    DirectionalLight sun;
    ASSERT_TRUE(ambient.Create() && sun.Create());
    EXPECT_EQ(std::pair(RpLightGetType(sun.GetRwLight()), RpLightGetType(ambient.GetRwLight())),
              std::pair(RwInt32(rpLightDirectional), RwInt32(rpLightAmbient)));
    ambient.SetColor(Color(1.0f, 0.5f, 0.0f, 0.25f), 2.0f);
    const RwRGBAReal* c = RpLightGetColor(ambient.GetRwLight());
    EXPECT_EQ(std::tuple(c->red, c->green, c->blue, c->alpha, ambient.GetIntensity()), std::tuple(2.0f, 1.0f, 0.0f, 255.0f, 2.0f));
    ambient.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitX));  // it has none
    EXPECT_EQ(ambient.GetOrientation(), Quaternion::Identity);

    // Position and orientation each replace the frame's matrix.
    const RwMatrix* m = RwFrameGetMatrix(sun.GetFrame());
    sun.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitX));
    EXPECT_TRUE(Near(V(m->at), {0, -1, 0}, 1e-5f));
    sun.SetPosition({1, 2, 3});
    EXPECT_EQ(std::pair(V(m->pos), V(m->at)), std::pair(Vector3(1, 2, 3), Vector3(0, 0, 1)));
    sun.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitX));
    sun.SetOrientation(Quaternion::Identity);
    EXPECT_TRUE(RwMatrixIsIdentity(m, 1e-6f));
    EXPECT_TRUE(sun.Destroy() && !sun.Destroy());
    sun.SetPosition({4, 4, 4});  // only stored
    EXPECT_EQ(std::tuple(sun.GetPosition(), sun.GetFrame()), std::tuple(Vector3(4, 4, 4), nullptr));
}

TEST_F(LightTest, ReadingATableAppliesColourFlagsAndOrientation)
{
    DirectionalLight source, light;
    ASSERT_TRUE(source.Create() && light.Create());
    source.SetFlags(Light::kStaticLighting | Light::kDynamicLighting | Light::kLightAtomics | 0x1000);  // 0x1000: no key
    source.SetColor(Color(0.25f, 0.5f, 1.0f), 0.5f);
    source.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitY));
    SerializeTable(source, "sun.txt", "Sun", true);
    light.Disable();
    SerializeTable(light, "sun.txt", "Sun", false);
    EXPECT_EQ(std::tuple(light.GetFlags(), light.IsEnabled(), EngineFlags(light)), std::tuple(0x301u, true, 1u));
    const RwRGBAReal* c = RpLightGetColor(light.GetRwLight());
    EXPECT_EQ(std::pair(c->red, c->blue), std::pair(0.125f, 0.5f));
    EXPECT_TRUE(Near(V(RwFrameGetMatrix(light.GetFrame())->at), {1, 0, 0}, 1e-5f));
}

}  // namespace
