// Camera controls: the tracking camera's blending, zoom, flipping and locks; the spline path
// playing to its end; the factory names and tables.
#include "support/SceneTest.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "engine/world/tests/support/WorldTestSupport.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "pitch/CameraControl.h"
#include "pitch/TBWorld.h"
#include "scene/RwGraphics.h"
#include "scene/Clump.h"
#include "simulation/TrackedObject.h"
#include "tests/support/LogCapture.h"

#include <tuple>

#include <cmath>
#include <filesystem>
#include <memory>

namespace {

constexpr float kPi = 3.14159265f;

class Target : public TrackedObject {
public:
    const Vector3& GetPosition() const override { return position; }
    const Quaternion& GetRotation() const override { return rotation; }
    Vector3 position{0.0f, 0.0f, 0.0f};
    Quaternion rotation = Quaternion::Identity;
};

class TrackingTest : public SceneTest {
protected:
    void SetUp() override
    {
        SetCameraTarget(&target);
        SetCameraFlipped(false);
        control.SetOffsets({0, 5, -10}, {0, 15, -30});
        control.SetZoom(0.5f);
    }
    void TearDown() override
    {
        SetCameraTarget(nullptr);
        SetCameraFlipped(false);
    }

    Target target;
    TrackingCameraControl control;
};

TEST_F(TrackingTest, ZoomPlacesTheOffsetBetweenItsLimits)
{
    control.Activate();
    EXPECT_TRUE(Near(control.GetCurrentOffset(), {0, 10, -20}));
    EXPECT_TRUE(Near(control.GetPosition(), {0, 10, -20}));
    for (const auto& [zoom, stored] : std::vector<std::pair<float, float>>{{1.5f, 1.0f}, {-1.0f, 0.0f}, {0.3f, 0.3f}}) {
        control.SetZoom(zoom);
        EXPECT_EQ(control.GetZoom(), stored) << zoom;
    }
    control.SetZoom(1.0f);
    control.ChangeZoom(true);
    EXPECT_EQ(control.GetZoom(), 1.0f);
    control.ChangeZoom(false);
    EXPECT_NEAR(control.GetZoom(), 0.95f, 1e-6f);
    control.SetZoom(0.02f);
    control.ChangeZoom(false);
    EXPECT_NEAR(control.GetZoom(), 0.02f, 1e-6f);
}

TEST_F(TrackingTest, TheCameraBlendsTowardsTheTargetButSnapsOnLongMovesAndWithoutBlendTime)
{
    control.SetBlendTime(1.0f);
    control.Activate();
    target.position = {4, 0, 0};
    control.Update(0.5f);
    EXPECT_TRUE(Near(control.GetPosition(), {2, 10, -20}));
    control.Update(2.0f);
    EXPECT_TRUE(Near(control.GetPosition(), {4, 10, -20}));
    target.position = {-48, 0, 0};
    control.Update(0.1f);
    EXPECT_TRUE(Near(control.GetPosition(), {-48, 10, -20}));

    control.SetBlendTime(0.0f);
    target.position = {40, 0, 3};
    control.Update(0.01f);
    EXPECT_TRUE(Near(control.GetPosition(), {40, 10, -17}));
}

// The pitch is 100 x 65.34: a ball in the net and a player on the line are followed where they
// are, one kicked far over a line is framed a metre beyond it.
TEST_F(TrackingTest, ATargetFarBeyondTheLinesIsFramedAtTheirEdge)
{
    const struct {
        Vector3 target, framed;
    } cases[] = {{{50.8f, 0.5f, 1}, {50.8f, 0.5f, 1}},   {{-10, 0, -33}, {-10, 0, -33}},
                 {{64, 0, 2}, {51, 0, 2}},               {{-70, 3, 50}, {-51, 3, 33.67f}},
                 {{12, 0, -45}, {12, 0, -33.67f}}};
    for (const auto& c : cases) {
        target.position = c.target;
        control.Activate();
        EXPECT_TRUE(Near(control.GetPosition(), c.framed + Vector3{0, 10, -20}, 1e-3f))
            << c.target.x << " " << c.target.y << " " << c.target.z;
    }
}

TEST_F(TrackingTest, OnlyAFlippableCameraTurnsToTheOtherSide)
{
    for (bool flippable : {false, true}) {
        control.SetFlippable(flippable);
        SetCameraFlipped(true);
        control.Activate();
        const Vector3 want = flippable ? Vector3{0, 10, 20} : Vector3{0, 10, -20};
        EXPECT_TRUE(Near(control.GetPosition(), want, 1e-3f)) << flippable;
        EXPECT_TRUE(Near(control.GetRotation().Rotate(Vector3::UnitZ), {0, 0, flippable ? -1.0f : 1.0f}, 1e-3f));
    }
}

TEST_F(TrackingTest, LocksIgnoreTheTargetsHeightAndTurn)
{
    target.position = {1, 7, 2};
    target.rotation = Quaternion(kPi / 2, Vector3::UnitY);
    control.Activate();
    EXPECT_TRUE(Near(control.GetPosition(), Vector3{1, 7, 2} + Vector3{-20, 10, 0}, 1e-3f));
    control.SetLocks(false, true, false, true);
    control.Activate();
    EXPECT_TRUE(Near(control.GetPosition(), {1, 10, -18}, 1e-3f));

    // The frame gets the same place.
    Clump holder;
    ASSERT_TRUE(holder.CreateDummyClump());
    control.ApplyToFrame(holder.GetFrame());
    const RwMatrix* m = holder.GetFrameMatrix();
    EXPECT_TRUE(Near(V(m->pos), {1, 10, -18}, 1e-3f));
}

TEST_F(TrackingTest, WithoutATargetTheCameraFramesTheOrigin)
{
    SetCameraTarget(nullptr);
    control.Activate();
    EXPECT_TRUE(Near(control.GetPosition(), {0, 10, -20}));
}

// A floor with a wall 4 high across it at x = 5; the camera looks from -x along its floor.
class TrackingWallTest : public TrackingTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        FileSystem::Instance()->AddAlias("<LP>", "walled\\");
        std::filesystem::create_directories("walled");
        RpWorld* wall = worldtest::MakeWallWorld();
        WriteEngineFile("walled/wall.bsp", [&](RwStream* s) { return RpWorldStreamWrite(wall, s) != nullptr; });
        RpWorldDestroy(wall);
    }
    void SetUp() override
    {
        TrackingTest::SetUp();
        control.SetAngles(0.0f, kPi / 2);
        control.SetOffsets({0, 2, -10}, {0, 2, -10});
        ASSERT_TRUE(world.Load("<LP>wall.bsp", "<LP>"));
    }
    void TearDown() override
    {
        world.Unload();
        RwGraphics::Instance()->SetWorld(nullptr);
        TrackingTest::TearDown();
    }

    TBWorld world;
};

// Just behind the wall the target cannot be seen from the camera's side: the camera frames the
// nearest point towards the centre spot it can see, and stays there frame after frame.
TEST_F(TrackingWallTest, ACameraThatFramesANearerPointStaysWhereItIsPlaced)
{
    control.SetBlendTime(0.35f);
    target.position = {5.5f, 0, 0};
    control.Activate();
    const Vector3 placed = control.GetPosition();
    EXPECT_LT(placed.x, 5.0f - 3.0f) << "in front of the wall, at least the nearest distance";
    for (int frame = 0; frame < 120; ++frame)
        control.Update(1.0f / 60.0f);
    EXPECT_TRUE(Near(control.GetPosition(), placed, 1e-3f))
        << control.GetPosition().x << " " << control.GetPosition().y << " " << control.GetPosition().z;
}

// A two-second path from (0, 0, 0) to (0, 0, 10), with the model that carries it.
class SplineTest : public SceneTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        std::filesystem::create_directories("level/camera");
        FileSystem::Instance()->AddAlias("<LP>", "level\\");
        RtAnimAnimation* path = RtAnimAnimationCreate(1, 2.0f);
        path->tracks[0].keys = {{0, {1, 0, 0, 0}, {0, 0, 0}, 0}, {2, {1, 0, 0, 0}, {0, 0, 10}, 0}};
        EXPECT_TRUE(RtAnimAnimationWrite(path, "level/camera/camera.anm"));
        RtAnimAnimationDestroy(path);
        RpClump* carrier = RpClumpCreate();
        RwFrame* frame = RwFrameCreate();
        const RwV3d up{0, 3, 0};
        RwFrameTranslate(frame, &up, rwCombineReplace);
        RpClumpSetFrame(carrier, frame);
        WriteEngineFile("level/camera/camera.dff",
                        [&](RwStream* s) { return RpClumpStreamWrite(carrier, s) != nullptr; });
        RpClumpDestroy(carrier);
    }
};

TEST_F(SplineTest, APathPastItsEndHoldsTheLastKeyAndIsFinished)
{
    SplineCameraControl spline;
    ASSERT_TRUE(spline.Activate());
    ASSERT_TRUE(spline.HasPath());
    EXPECT_EQ(spline.GetDuration(), 2.0f);
    Clump camera;
    ASSERT_TRUE(camera.CreateDummyClump());

    spline.Update(1.0f);
    spline.ApplyToFrame(camera.GetFrame());
    EXPECT_TRUE(Near(V(camera.GetFrameMatrix()->pos), {0, 3, 5}));
    EXPECT_FALSE(spline.IsFinished());
    spline.SetSpeed(2.0f);
    spline.Update(1.0f);
    spline.ApplyToFrame(camera.GetFrame());
    EXPECT_TRUE(Near(V(camera.GetFrameMatrix()->pos), {0, 3, 10}));
    EXPECT_TRUE(spline.IsFinished());
    EXPECT_EQ(spline.GetTime(), 2.0f);

    // Loading restarts the path, as cut scenes expect right after it.
    EXPECT_TRUE(spline.Load("level\\camera\\", "camera.dff", "camera.anm"));
    EXPECT_EQ(spline.GetTime(), 0.0f);
    EXPECT_FALSE(spline.IsFinished());

    // A borrowed carrier is used and left alive.
    Clump carrier;
    ASSERT_TRUE(carrier.CreateDummyClump());
    carrier.SetPosition({7, 0, 0});
    carrier.Update(0.0f);
    spline.SetClump(&carrier);
    spline.Update(2.5f);
    spline.ApplyToFrame(camera.GetFrame());
    EXPECT_TRUE(Near(V(camera.GetFrameMatrix()->pos), {7, 0, 10}));
}

TEST_F(SplineTest, WithoutPathFilesTheCameraStaysWhereItIs)
{
    LogCapture log;
    SplineCameraControl spline;
    EXPECT_FALSE(spline.Load("nowhere\\", "camera.dff", "camera.anm"));
    EXPECT_FALSE(spline.HasPath());
    Clump camera;
    ASSERT_TRUE(camera.CreateDummyClump());
    camera.SetPosition({1, 2, 3});
    camera.Update(0.0f);
    spline.Update(1.0f);
    spline.ApplyToFrame(camera.GetFrame());
    EXPECT_TRUE(Near(V(camera.GetFrameMatrix()->pos), {1, 2, 3}));
    EXPECT_EQ(spline.GetDuration(), 0.0f);
    EXPECT_FALSE(spline.IsFinished());
    EXPECT_TRUE(log.Contains("SplineCameraControl::Load: no path"));
}

// The mouse as the input devices report it.
class Mouse : public InputMapper {
public:
    bool Capture(const char*) override { return true; }
    bool Release(const char*) override { return true; }
    float GetValue(const std::string& name) override
    {
        if (name == "mouse delta x")
            return dx;
        if (name == "mouse delta y")
            return dy;
        return name == "mouse buttons" ? buttons : kUnknown;
    }
    float dx = 0.0f, dy = 0.0f, buttons = 0.0f;
};

class FreeCameraTest : public SceneTest {};

TEST_F(FreeCameraTest, TheMouseTurnsFliesAndSlidesTheCameraOnlyWhileActive)
{
    Mouse mouse;
    BufferedInputController* input = BufferedInputController::Instance();
    input->RegisterInputMapper(&mouse);
    FreeCameraControl free;
    free.SetView({0, 2, 0}, 0.0f, 0.0f);
    mouse.dx = 4;
    mouse.dy = 2;
    mouse.buttons = 1;
    input->Update(0.5f);
    EXPECT_EQ(free.GetAngleY(), 0.0f);

    ASSERT_TRUE(free.Activate());
    input->Update(0.5f);
    EXPECT_NEAR(free.GetAngleY(), -1.0f, 1e-6f);
    EXPECT_NEAR(free.GetAngleX(), 0.5f, 1e-6f);

    // Flying moves along the view; sliding across it, in the view's plane.
    free.SetView({0, 2, 0}, 0.0f, 0.0f);
    mouse.buttons = 2 | 1;
    input->Update(0.01f);
    EXPECT_TRUE(Near(free.GetPosition(), {0, 2, -2}));
    mouse.buttons = 16;
    input->Update(0.01f);
    EXPECT_TRUE(Near(free.GetPosition(), {-4, 0, -2}));
    EXPECT_EQ(free.GetAngleY(), 0.0f);

    Clump holder;
    ASSERT_TRUE(holder.CreateDummyClump());
    free.SetView({1, 2, 3}, 0.0f, kPi / 2);
    free.ApplyToFrame(holder.GetFrame());
    EXPECT_TRUE(Near(V(holder.GetFrameMatrix()->pos), {1, 2, 3}));
    EXPECT_TRUE(Near(V(holder.GetFrameMatrix()->at), {1, 0, 0}, 1e-4f));

    ASSERT_TRUE(free.Deactivate());
    free.SetView({0, 2, 0}, 0.0f, 0.0f);
    input->Update(0.5f);
    EXPECT_TRUE(Near(free.GetPosition(), {0, 2, 0}));
    input->UnregisterInputMapper(&mouse);
}

class CameraControlTableTest : public SceneTest {};

TEST_F(CameraControlTableTest, TheFourControlsAreMadeByNameAndReadTheirTables)
{
    for (const CameraControlEntry& entry : GetCameraControlTable()) {
        std::unique_ptr<Object> made(FactoryRegistry::CameraControls().Create(entry.className));
        EXPECT_NE(dynamic_cast<CameraControl*>(made.get()), nullptr) << entry.name;
    }
    TrackingCameraControl written;
    written.SetOffsets({1, 2, 3}, {4, 5, 6});
    written.SetAngles(0.25f, -0.5f);
    written.SetFlippable(true);
    written.nextInSequence = "Cameras|StandardClose";
    SerializeTable(written, "tracking.txt", "StandardMedium", true);
    TrackingCameraControl read;
    SerializeTable(read, "tracking.txt", "StandardMedium", false);
    EXPECT_EQ(read.nextInSequence, "Cameras|StandardClose");
    SetCameraTarget(nullptr);
    SetCameraFlipped(true);
    EXPECT_TRUE(Near(read.GetWantedPosition(), written.GetWantedPosition()));
    SetCameraFlipped(false);

    FreeCameraControl free, freeRead;
    free.SetView({1, 2, 3}, 0.25f, 0.5f);
    free.nextInSequence = "Whole Field";
    SerializeTable(free, "free.txt", "Goal Left Far", true);
    SerializeTable(freeRead, "free.txt", "Goal Left Far", false);
    EXPECT_EQ(std::tuple(freeRead.GetPosition(), freeRead.GetAngleX(), freeRead.GetAngleY(), freeRead.nextInSequence),
              std::tuple(Vector3{1, 2, 3}, 0.25f, 0.5f, std::string("Whole Field")));

    SimpleCameraControl simple, simpleRead;
    simple.SetPosition({4, 5, 6});
    simple.SetRotation(Quaternion(0.5f, Vector3::UnitY));
    SerializeTable(simple, "simple.txt", "Players Bench", true);
    SerializeTable(simpleRead, "simple.txt", "Players Bench", false);
    EXPECT_TRUE(Near(simpleRead.GetPosition(), {4, 5, 6}));
    EXPECT_NEAR(simpleRead.GetRotation().Dot(simple.GetRotation()), 1.0f, 1e-5f);
}

}  // namespace
