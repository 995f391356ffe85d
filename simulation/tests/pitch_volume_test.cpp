#include <gtest/gtest.h>

#include "engine/core/NullDevice.h"
#include "framework/AsciiSerializer.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "scene/Camera.h"
#include "scene/Immediate3DCache.h"
#include "scene/RwGraphics.h"
#include "settings/GameSettings.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "simulation/ShapeCollision.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NullDeviceSuite.h"

#include <fstream>
#include <memory>

namespace {

class PitchVolumeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ShapeCollisionTable::Init(); }
    void TearDown() override { CollisionManager::DestroyInstance(); }
};

void Serialize(Object& object, const char* path, bool writing)
{
    File* file = writing ? FileSystem::Instance()->OpenWrite(path) : FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr) << path;
    std::make_unique<AsciiSerializer>(file, writing)->SerializeObject("Volume", &object);
    EXPECT_TRUE(FileSystem::Instance()->Close(file) || !writing) << path;
}

template <class Volume>
std::unique_ptr<Volume> Create(const char* className)
{
    return std::unique_ptr<Volume>(dynamic_cast<Volume*>(FactoryRegistry::GameElements().Create(className)));
}

CollisionSet* Set(const char* name)
{
    return CollisionManager::Instance()->FindCollisionSet(name);
}

TEST_F(PitchVolumeTest, APlanarVolumeFoldsItsPositionIntoThePlane)
{
    std::ofstream("plane.txt") << "PlanarPitchVolume\n[Pitch Volume] \"Volume\"\n{\n"
                                  " [Position] \"position\"\n {\n  \"x\" 0\n  \"y\" 2\n  \"z\" 0\n }\n"
                                  " [Plane] \"shape\"\n {\n  \"Normal(x)\" 0\n  \"Normal(y)\" 2\n  \"Normal(z)\" 0\n"
                                  "  \"Distance to origin\" 1\n }\n}\n";
    auto plane = Create<PlanarPitchVolume>("PlanarPitchVolume");
    ASSERT_NE(plane, nullptr);
    EXPECT_TRUE(Create<CubicPitchVolume>("CubicPitchVolume") &&
                Create<CylindricalPitchVolume>("CylindricalPitchVolume"));
    Serialize(*plane, "plane.txt", false);
    EXPECT_EQ(std::tuple(plane->GetPosition(), plane->GetPlane().normal, plane->GetPlane().distance),
              std::tuple(Vector3::Zero, Vector3::UnitY, 3.0f));
    // Placing it again moves the plane at the next table.
    plane->SetPosition({0, -1, 0});
    Serialize(*plane, "plane2.txt", true);
    EXPECT_EQ(std::tuple(plane->GetPosition(), plane->GetPlane().distance), std::tuple(Vector3::Zero, 2.0f));
}

TEST_F(PitchVolumeTest, APlanesFrameIsARotationThatLaysItsPatchInThePlane)
{
    PlanarPitchVolume plane;
    // Upright normals keep the plain frame; one leaning along z gets unit axes.
    for (const Vector3& normal : {Vector3::UnitY, Vector3(-1, 0, 0), Vector3(0, 0, -1), Vector3(0, 0.6f, 0.8f),
                                  Vector3(0.48f, 0.6f, 0.64f)}) {
        plane.GetPlane().normal = normal;
        plane.GetPlane().distance = 2.0f;
        const Quaternion& frame = plane.GetRotation();
        EXPECT_NEAR(frame.NormSquared(), 1.0f, 1e-5f);
        Immediate3DCache* cache = Immediate3DCache::Instance();
        ASSERT_TRUE(plane.GetPatch().BuildOutline());
        float worst = 0, reach = 0;
        for (int i = 0; i < cache->GetVertexCount(); ++i) {
            const RwV3d& v = cache->GetVertices()[i].objVertex;
            const Vector3 point(v.x, v.y, v.z);
            worst = std::max(worst, std::fabs(normal.Dot(point) - 2.0f));
            reach = std::max(reach, (point - normal * 2.0f).Length());
        }
        cache->Flush();
        EXPECT_LT(worst, 1e-4f) << normal.x << " " << normal.y << " " << normal.z;
        EXPECT_NEAR(reach, 5.0f * std::sqrt(2.0f), 1e-3f);  // a square, not a skewed patch
    }
    plane.GetPlane().normal = Vector3::UnitY;
    EXPECT_EQ(plane.GetRotation(), Quaternion::Identity);
}

TEST_F(PitchVolumeTest, ATableReadBackKeepsSetIdAndShapeAndAChangedSetMovesTheVolume)
{
    CylindricalPitchVolume post;
    post.GetCylinder().radius = 0.1f;
    post.GetCylinder().length = 2.4f;
    post.SetPosition({50, 0, 3});
    post.SetCollisionName("collidecylinder");
    post.MoveToCollisionSet("ball+pitchvolumes");
    post.SetFlags(GameElement::kEnabled);
    Serialize(post, "post.txt", true);

    auto read = Create<CylindricalPitchVolume>("CylindricalPitchVolume");
    Serialize(*read, "post.txt", false);
    EXPECT_EQ(
        std::tuple(read->GetCollisionName(), read->GetCollisionSetName(), read->GetCylinder().radius,
                   read->GetCylinder().length, read->GetCylinder().axis, read->GetPosition(), read->GetStatusFlags()),
        std::tuple(std::string("collidecylinder"), std::string("ball+pitchvolumes"), 0.1f, 2.4f, Vector3::UnitY,
                   Vector3(50, 0, 3), uint32_t(GameElement::kEnabled)));
    EXPECT_TRUE(Set("ball+pitchvolumes")->Contains(read.get()) && read->IsInCollisionSet());

    std::string text;
    {
        std::ifstream in("post.txt");
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string from = "\"ball+pitchvolumes\"";
    text.replace(text.find(from), from.size(), "\"characters+pitchvolumes\"");
    std::ofstream("moved.txt") << text;
    Serialize(*read, "moved.txt", false);
    EXPECT_EQ(std::tuple(Set("ball+pitchvolumes")->Contains(read.get()),
                         Set("characters+pitchvolumes")->Contains(read.get())),
              std::tuple(false, true));
    // Destruction leaves the set; a volume leaving after the manager is gone makes nothing.
    read.reset();
    EXPECT_EQ(Set("characters+pitchvolumes")->GetMemberCount(), 0);
    CollisionManager::DestroyInstance();
    post.SetInCollisionSet(false);
    EXPECT_FALSE(CollisionManager::Exists());
}

TEST_F(PitchVolumeTest, ShapeTablesMendAZeroNormalNegativeSizesAndAnAxisThatIsNone)
{
    std::ofstream("shapes.txt")
        << "Plane\n[Plane] \"Volume\"\n{\n \"Normal(x)\" 0\n \"Normal(y)\" 0\n \"Normal(z)\" 0\n}\n";
    std::ofstream("cylinder.txt") << "AxisAlignedCylinder\n[AxisAlignedCylinder] \"Volume\"\n{\n \"World Axis\" 7\n"
                                     " \"Radius\" -2\n \"Length\" 3\n}\n";
    Plane plane(Vector3(0, 3, 4), 2.0f);
    Serialize(plane, "shapes.txt", false);
    AxisAlignedCylinder cylinder(Vector3::UnitZ, 1.0f, 1.0f);
    LogCapture log;
    Serialize(cylinder, "cylinder.txt", false);
    EXPECT_EQ(std::tuple(plane.normal, plane.distance, cylinder.axis, cylinder.radius, cylinder.length),
              std::tuple(Vector3::UnitX, 2.0f, Vector3::UnitZ, 0.0f, 3.0f));
    EXPECT_EQ(log.Count("AxisAlignedCylinder::Serialize: no world axis 7"), 1);
    EXPECT_EQ(std::tuple(Sphere(-1).radius, AxisAlignedCylinder(Vector3::UnitY, -1, -1).length),
              std::tuple(0.0f, 0.0f));

    AxisAlignedCylinder alongX(Vector3::UnitX, 0.5f, 2.0f);
    Serialize(alongX, "x.txt", true);
    Serialize(cylinder, "x.txt", false);
    EXPECT_EQ(std::tuple(cylinder.axis, cylinder.radius), std::tuple(Vector3::UnitX, 0.5f));
}

TEST_F(PitchVolumeTest, TwoVolumesNeverMeetButABallDoes)
{
    CubicPitchVolume area, net;
    area.SetPosition({50, 0, -3});
    area.GetCube().size = {2, 2.4f, 6};
    net.SetPosition({50.5f, 0, -3});
    for (PitchVolume* volume : std::initializer_list<PitchVolume*>{&area, &net})
        volume->MoveToCollisionSet("ball+pitchvolumes");
    CollisionSet* set = Set("ball+pitchvolumes");
    CollisionSet query;
    query.Add(&area, false);
    query.Add(&net, false);
    float time = 0;
    EXPECT_FALSE(query.FindEarliestImpact(1.0f, time));

    SimpleCollidable ball(std::make_unique<Sphere>(0.11f));
    ball.SetPosition({48, 1, 0});
    ball.SetVelocity({6, 0, 0});
    query.Add(&ball, true);
    ASSERT_TRUE(query.FindEarliestImpact(1.0f, time));
    EXPECT_NEAR(time, (2.0f - 0.11f) / 6.0f, 1e-5f);
    EXPECT_EQ(set->GetMemberCount(), 2);
}

class PitchVolumeDrawing : public NullDeviceSuite {
protected:
    static void SetUpTestSuite()
    {
        ShapeCollisionTable::Init();
        NullDeviceSuite::SetUpTestSuite();
    }
    void TearDown() override { CollisionManager::DestroyInstance(); }
};

TEST_F(PitchVolumeDrawing, VolumesDrawTheirOutlinesOnlyWithTheSwitchOnAndWhileVisible)
{
    CubicPitchVolume cube;
    CylindricalPitchVolume cylinder;
    PlanarPitchVolume plane;
    const auto drawn = [&] {
        PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
        RwNullDeviceGet()->ClearLog();
        EXPECT_TRUE(camera->BeginUpdate());
        for (PitchVolume* volume : std::initializer_list<PitchVolume*>{&cube, &cylinder, &plane})
            volume->Render();
        camera->EndUpdate();
        std::vector<int> indices;
        for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws)
            indices.push_back(draw.numIndices);
        return indices;
    };
    GameSettings::Instance()->displayCollisionData = false;
    EXPECT_EQ(drawn(), std::vector<int>{});
    GameSettings::Instance()->displayCollisionData = true;
    EXPECT_EQ(drawn(), (std::vector<int>{24, 240, 44}));
    cylinder.SetStatusFlags(GameElement::kEnabled);
    EXPECT_EQ(drawn(), (std::vector<int>{24, 44}));
    GameSettings::Instance()->displayCollisionData = false;

    // A post's outline stands on its base, up to its length.
    cylinder.GetCylinder().length = 2.4f;
    cylinder.SetPosition({50, 0, 3});
    Immediate3DCache* cache = Immediate3DCache::Instance();
    WireframeCylinder outline;
    outline.length = 2.4f;
    outline.SetRotation(Quaternion(-1.5707963f, Vector3::UnitX));
    outline.SetPosition({50, 1.2f, 3});
    ASSERT_TRUE(outline.BuildOutline());
    EXPECT_NEAR(cache->GetVertices()[0].objVertex.y, 0.0f, 1e-5f);
    EXPECT_NEAR(cache->GetVertices()[1].objVertex.y, 2.4f, 1e-5f);
    cache->Flush();
}

}  // namespace
