#include "match/setpieces/DirectionSelector.h"

#include "engine/core/NullDevice.h"
#include "input/InputController.h"
#include "input/ScriptedInputMapper.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "scene/Texture.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "support/MatchOnHarness.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kFrame = GameHarness::kFrameTime;

void ExpectNear(const Vector3& actual, const Vector3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

class DirectionSelectorTest : public setpiecetest::MatchOnHarness {
protected:
    // Draws of the last frame that used the raster as their texture.
    static int DrawsWith(const RwRaster* raster)
    {
        int n = 0;
        for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws)
            n += draw.texture == raster;
        return n;
    }
};

TEST_F(DirectionSelectorTest, TheStickTurnsTheArrowAtTheRateAndStopsAtEitherLimit)
{
    const float rate = MatchSettings::Instance()->directionArrowMoveRate;
    const struct {
        const char* name;
        float start, minimum, maximum;
        float right, left;
        float dt;
        int frames;
        float expected;
    } cases[] = {
        {"half a second right", 0.0f, -3.0f, 3.0f, 1.0f, 0.0f, kFrame, 30, rate * 30 * kFrame},
        {"a half push left", 0.0f, -3.0f, 3.0f, 0.0f, 0.5f, kFrame, 30, -0.5f * rate * 30 * kFrame},
        {"held right stays at the maximum", 0.0f, -1.0f, 1.0f, 1.0f, 0.0f, kFrame, 240, 1.0f},
        {"held left stays at the minimum", 0.0f, -1.0f, 1.0f, 0.0f, 1.0f, kFrame, 240, -1.0f},
        {"minimum equal to maximum pins it", 0.3f, 0.5f, 0.5f, 0.0f, 0.0f, kFrame, 1, 0.5f},
        {"pinned though pushed", 0.5f, 0.5f, 0.5f, 1.0f, 0.0f, kFrame, 10, 0.5f},
        {"no time, no turn", 0.2f, -1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 10, 0.2f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedInputMapper stick("(1):");
        stick.Add(c.frames, {{"right", c.right}, {"left", c.left}});
        stick.Register(*BufferedInputController::Instance());
        DirectionSelector arrow("(1):", Vector3(), c.start, c.minimum, c.maximum);
        for (int frame = 0; frame < c.frames; ++frame) {
            BufferedInputController::Instance()->Update(c.dt);
            arrow.Update(c.dt);
        }
        EXPECT_NEAR(arrow.GetAngle(), c.expected, 1e-4f);
    }
}

TEST_F(DirectionSelectorTest, TheArrowLiesAlongItsAngleFromTheOriginTiltedUp)
{
    MatchSettings& settings = *MatchSettings::Instance();
    settings.directionArrowWidth = 1.5f;
    settings.directionArrowHeight = 4.0f;
    settings.directionArrowAngleToGround = 0.3f;
    const Vector3 origin(5.0f, 0.0f, -7.0f);
    for (const float angle : {0.0f, 1.0f, -2.5f}) {
        SCOPED_TRACE(angle);
        DirectionSelector arrow("(0):", origin, angle, -4.0f, 4.0f);
        Vector3 corners[4];
        arrow.GetCorners(corners);
        const Vector3 ahead = PitchAngle(angle).ToDirection() * (4.0f * std::cos(0.3f));
        const Vector3 up(0.0f, 4.0f * std::sin(0.3f), 0.0f);
        ExpectNear((corners[0] + corners[1]) * 0.5f, origin + ahead + up, "the tip");
        ExpectNear((corners[2] + corners[3]) * 0.5f, origin, "the base");
        EXPECT_NEAR((corners[1] - corners[0]).Length(), 1.5f, 1e-4f);
        EXPECT_NEAR((corners[3] - corners[2]).Length(), 1.5f, 1e-4f);
    }
}

TEST_F(DirectionSelectorTest, TheArrowDrawsOnceWithItsImageAndLeavesTheDepthBufferAlone)
{
    ScopedPicturesShown shown;
    DirectionSelector arrow("(0):", Vector3(0, 0, 10), 0.5f, -1.0f, 1.0f);
    ASSERT_NE(arrow.GetTexture(), nullptr);
    const RwRaster* raster = arrow.GetTexture()->GetRaster();
    TBWorld& world = *PitchSimulation::Instance()->GetWorld();
    ASSERT_TRUE(world.AddRenderObject(&arrow));
    harness->Step();
    world.RemoveRenderObject(&arrow);
    ASSERT_EQ(DrawsWith(raster), 1);
    for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws) {
        if (draw.texture != raster)
            continue;
        EXPECT_FALSE(draw.is2D);
        EXPECT_EQ(draw.zWrite, 0);
        EXPECT_EQ(draw.zTest, 1);
        EXPECT_EQ(draw.vertexAlpha, 0);
        EXPECT_EQ(draw.srcBlend, rwBlendSrcAlpha);
        EXPECT_EQ(draw.destBlend, rwBlendInvSrcAlpha);
        Vector3 corners[4];
        arrow.GetCorners(corners);
        for (int i = 0; i < 4; ++i) {
            const RwV3d& drawn = draw.vertices3D.at(i).objVertex;
            ExpectNear(Vector3(drawn.x, drawn.y, drawn.z), corners[i], "a corner");
        }
    }
    harness->Step();
    EXPECT_EQ(DrawsWith(raster), 0);
}

TEST_F(DirectionSelectorTest, WithoutAnImageNothingIsDrawnAndOneWarningSaysSo)
{
    ScopedPicturesShown shown;
    MatchSettings::Instance()->directionArrowFileName.clear();
    TBWorld& world = *PitchSimulation::Instance()->GetWorld();
    // The first frame also draws the shadows' casters, into cameras of their own.
    harness->RunFrames(2);
    const size_t draws = RwNullDeviceGet()->draws.size();
    LogCapture log;
    DirectionSelector arrow("(0):", Vector3(0, 0, 10), 0.0f, -1.0f, 1.0f);
    EXPECT_EQ(arrow.GetTexture(), nullptr);
    ASSERT_TRUE(world.AddRenderObject(&arrow));
    harness->RunFrames(3);
    world.RemoveRenderObject(&arrow);
    EXPECT_EQ(RwNullDeviceGet()->draws.size(), draws);
    EXPECT_EQ(log.Count("***WARNING"), 1) << log.Text();
    EXPECT_EQ(log.Count("DirectionSelector"), 1) << log.Text();
}

}  // namespace
