// The tools' off-screen set-up: a session brings the window and the engine up and takes them
// down, a camera's pictures are what it drew, and the lights shine the way they are aimed.
#include "engine/core/RwCore.h"
#include "engine/core/RwDevice.h"
#include "engine/world/RpWorld.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/common/SceneLights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using tools::OffscreenCamera;
using tools::OffscreenSession;
using tools::SceneLights;

// Machines without OpenGL 3.3 skip the drawing tests unless CI demands them.
#define START_OR_SKIP(session, engine)                                             \
    if (!(session).Start(engine)) {                                                \
        if (!std::getenv("TB_REQUIRE_GL"))                                         \
            GTEST_SKIP() << "no OpenGL 3.3 context here";                          \
        FAIL() << "the session does not start";                                    \
    }

RwDeviceKind CurrentDevice()
{
    const RwDevice* device = RwDeviceGetCurrent();
    return device ? device->GetKind() : rwDeviceNull;
}

TEST(OffscreenSession, BringsUpWhatIsAskedForAndTakesItAllDown)
{
    {
        OffscreenSession session("offscreen_test", 320, 240);
        EXPECT_EQ(session.GetWindow(), nullptr);
        START_OR_SKIP(session, OffscreenSession::kWindowOnly);
        EXPECT_NE(session.GetWindow(), nullptr);
        EXPECT_FALSE(session.EngineStarted());
        EXPECT_EQ(RwEngineGetState(), 0);

        // Starting again replaces the first set-up.
        ASSERT_TRUE(session.Start(OffscreenSession::kStartEngine));
        EXPECT_NE(session.GetWindow(), nullptr);
        EXPECT_TRUE(session.EngineStarted());
        EXPECT_EQ(RwEngineGetState(), 3);
        EXPECT_EQ(CurrentDevice(), rwDeviceGL);
    }
    EXPECT_EQ(RwEngineGetState(), 0);
    // Everything went down: another session starts from scratch.
    OffscreenSession again("offscreen_test", 320, 240);
    EXPECT_TRUE(again.Start(OffscreenSession::kStartEngine));
}

TEST(OffscreenSession, LeavesAnEngineItDidNotStartAlone)
{
    ASSERT_TRUE(RwEngineStartUp(rwDeviceNull));
    {
        OffscreenSession session("offscreen_test", 320, 240);
        EXPECT_FALSE(session.Start(OffscreenSession::kStartEngine));
        EXPECT_EQ(session.GetWindow(), nullptr);
        EXPECT_FALSE(session.EngineStarted());
    }
    EXPECT_EQ(RwEngineGetState(), 3);
    EXPECT_EQ(CurrentDevice(), rwDeviceNull);
    RwEngineShutDown();
}

TEST(OffscreenCamera, LooksAtItsTargetUprightFromEveryDirection)
{
    struct Case {
        RwV3d eye, target, up;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 5}, {0, 1, 0}},     // the identity
        {{0, 10, -20}, {5, 0, 0}, {0, 0, 0}},  // down at an angle: up only checked upright
        {{3, 40, 2}, {3, 0, 2}, {0, 0, 1}},    // straight down: +z is up on screen
        {{0, -5, 0}, {0, 5, 0}, {0, 0, 1}},    // straight up
    };
    for (const Case& c : cases) {
        const RwMatrix m = tools::LookAtMatrix(c.eye, c.target);
        RwV3d aim{c.target.x - c.eye.x, c.target.y - c.eye.y, c.target.z - c.eye.z};
        RwV3dNormalize(&aim, &aim);
        EXPECT_NEAR(RwV3dDotProduct(&m.at, &aim), 1.0f, 1e-5f);
        EXPECT_NEAR(RwV3dDotProduct(&m.right, &m.at), 0.0f, 1e-5f);
        EXPECT_NEAR(RwV3dDotProduct(&m.up, &m.at), 0.0f, 1e-5f);
        EXPECT_NEAR(RwV3dDotProduct(&m.right, &m.right), 1.0f, 1e-5f);
        // The same handedness as the identity: right x up = at.
        RwV3d cross;
        RwV3dCrossProduct(&cross, &m.right, &m.up);
        EXPECT_NEAR(RwV3dDotProduct(&cross, &m.at), 1.0f, 1e-5f);
        EXPECT_GE(m.up.y, 0.0f);
        if (c.up.x != 0 || c.up.y != 0 || c.up.z != 0) {
            EXPECT_NEAR(RwV3dDotProduct(&m.up, &c.up), 1.0f, 1e-5f);
        }
        EXPECT_EQ(m.pos.x, c.eye.x);
        EXPECT_EQ(m.pos.y, c.eye.y);
        EXPECT_EQ(m.pos.z, c.eye.z);
    }
}

TEST(OffscreenCamera, SavesWhatItDrewAsAnOpaquePicture)
{
    OffscreenSession session("offscreen_test", 320, 240);
    START_OR_SKIP(session, OffscreenSession::kStartEngine);
    OffscreenCamera broken;
    EXPECT_FALSE(broken.Create(-1, 16, 1, 1, 0.1f, 10, rwRasterTypeCamera));
    EXPECT_EQ(broken.Grab(), nullptr);
    EXPECT_FALSE(broken.Begin({0, 0, 0, 255}));
    EXPECT_FALSE(broken.SavePng("broken.png"));

    OffscreenCamera camera;
    ASSERT_TRUE(camera.Create(40, 30, 1, 0.75f, 0.1f, 10, rwRasterTypeCamera));
    // A clear with no alpha: the file must still be opaque, as the picture looked.
    ASSERT_TRUE(camera.Begin({200, 100, 50, 0}));
    camera.End();
    const std::string path = std::filesystem::absolute("clear.png").string();
    ASSERT_TRUE(camera.SavePng(path));
    RwImage* image = RtPngImageRead(path.c_str());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, 40);
    ASSERT_EQ(image->height, 30);
    int wrong = 0;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            const RwUInt8* p = image->pixels + static_cast<size_t>(y) * image->stride + static_cast<size_t>(x) * 4;
            wrong += p[0] != 200 || p[1] != 100 || p[2] != 50 || p[3] != 255;
        }
    EXPECT_EQ(wrong, 0);
    RwImageDestroy(image);
}

TEST(OffscreenCamera, CameraPicturesAreOpaqueOnlyWhenAskedAndNeedARaster)
{
    OffscreenSession session("offscreen_test", 320, 240);
    START_OR_SKIP(session, OffscreenSession::kStartEngine);
    OffscreenCamera camera;
    ASSERT_TRUE(camera.Create(8, 6, 1, 0.75f, 0.1f, 10, rwRasterTypeCamera));
    ASSERT_TRUE(camera.Begin({10, 20, 30, 0}));
    camera.End();
    EXPECT_FALSE(tools::SaveCameraPng(nullptr, "none.png"));
    EXPECT_FALSE(tools::SaveCameraPng(camera.Camera(), "no_such_folder/x/picture.png"));

    struct Case {
        const char* file;
        bool opaque;
        int alpha;
    };
    for (const Case& c : {Case{"opaque.png", true, 255}, Case{"as_drawn.png", false, 0}}) {
        const std::string path = std::filesystem::absolute(c.file).string();
        ASSERT_TRUE(tools::SaveCameraPng(camera.Camera(), path, c.opaque)) << c.file;
        RwImage* image = RtPngImageRead(path.c_str());
        ASSERT_NE(image, nullptr) << c.file;
        EXPECT_EQ(image->width, 8);
        const RwUInt8* p = image->pixels + 3 * image->stride + 4 * 4;
        EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), (std::vector<int>{10, 20, 30, c.alpha})) << c.file;
        RwImageDestroy(image);
    }
}

// A white square facing -z at the origin, lit by the world's lights, both sides drawn.
RpClump* LitSquare()
{
    RpGeometry* g = RpGeometryCreate(4, 4, rpGeometryNormals | rpGeometryLight);
    const RwV3d corners[4] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        g->morphTarget[0].verts[i] = corners[i];
        g->morphTarget[0].normals[i] = {0, 0, -1};
    }
    g->triangles[0] = {{0, 1, 2}, 0};
    g->triangles[1] = {{0, 2, 3}, 0};
    g->triangles[2] = {{2, 1, 0}, 0};
    g->triangles[3] = {{3, 2, 0}, 0};
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RpMaterial* material = RpMaterialCreate();
    RpGeometryAddMaterial(g, material);
    RpMaterialDestroy(material);
    RpAtomic* atomic = RpAtomicCreate();
    RpAtomicSetGeometry(atomic, g);
    RpGeometryDestroy(g);
    RpClump* clump = RpClumpCreate();
    RwFrame* frame = RwFrameCreate();
    RpClumpSetFrame(clump, frame);
    RpAtomicSetFrame(atomic, frame);
    RpClumpAddAtomic(clump, atomic);
    return clump;
}

TEST(SceneLights, LightTheSideTheSunShinesOnAndLeaveWithDestroy)
{
    OffscreenSession session("offscreen_test", 320, 240);
    START_OR_SKIP(session, OffscreenSession::kStartEngine);
    const RwBBox box{{10, 10, 10}, {-10, -10, -10}};
    RpWorld* world = RpWorldCreate(&box);
    RpClump* square = LitSquare();
    OffscreenCamera camera;
    ASSERT_TRUE(camera.Create(16, 16, 0.2f, 0.2f, 0.1f, 20, rwRasterTypeCamera));
    camera.LookAt({0, 0, -5}, {0, 0, 0});
    RpWorldAddCamera(world, camera.Camera());
    // The colour at the middle of the picture, where the square is.
    const auto middle = [&]() {
        RwRGBA colour{0, 0, 0, 0};
        if (camera.Begin({0, 0, 255, 255})) {
            RpClumpRender(square);
            camera.End();
            if (RwImage* image = camera.Grab()) {
                const RwUInt8* p = image->pixels + 8 * image->stride + 8 * 4;
                colour = {p[0], p[1], p[2], p[3]};
                RwImageDestroy(image);
            }
        }
        return colour;
    };

    SceneLights lights;
    EXPECT_FALSE(lights.Create(nullptr, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 1}));
    const RwRGBAReal ambient{0.25f, 0.25f, 0.25f, 1}, sun{0.7f, 0.7f, 0.7f, 1};
    ASSERT_TRUE(lights.Create(world, ambient, sun, {0, 0, 1}));  // from behind the camera
    EXPECT_EQ(lights.World(), world);
    const RwRGBA facing = middle();
    ASSERT_TRUE(lights.Create(world, ambient, sun, {0, 0, -1}));  // from behind the square
    const RwRGBA away = middle();
    lights.Destroy();
    const RwRGBA none = middle();
    // Moved back, the square is drawn up to the far clip plane and not beyond.
    camera.LookAt({0, 0, -15}, {0, 0, 0});
    const RwRGBA far = middle();
    camera.LookAt({0, 0, -25}, {0, 0, 0});
    const RwRGBA tooFar = middle();

    EXPECT_NEAR(facing.red, 0.95f * 255, 6);
    EXPECT_NEAR(away.red, 0.25f * 255, 6);
    EXPECT_LE(none.red, 6);
    EXPECT_EQ(none.blue, 0);
    EXPECT_EQ(far.blue, 0);
    EXPECT_EQ(tooFar.blue, 255);
    EXPECT_EQ(lights.World(), nullptr);

    RpWorldRemoveCamera(world, camera.Camera());
    RpClumpDestroy(square);
    RpWorldDestroy(world);
}

}  // namespace
