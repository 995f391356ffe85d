#include "engine/core/NullDevice.h"
#include "support/TextTestSupport.h"
#include "tests/support/OffscreenEngine.h"
#include "text/TextDisplay3D.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using namespace texttest;

constexpr float kTolerance = 1e-5f;

void ExpectNear(const Vector3& got, const Vector3& expected, const char* what)
{
    EXPECT_NEAR(got.x, expected.x, kTolerance) << what;
    EXPECT_NEAR(got.y, expected.y, kTolerance) << what;
    EXPECT_NEAR(got.z, expected.z, kTolerance) << what;
}

class TextDisplay3DTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TextDisplay::DestroyInstance();
        TextDisplay3D::DestroyInstance();
        // Glyphs 10 wide and 20 high.
        ASSERT_TRUE(MakeBlockFont(font, "abc", 10, 0.0f, 19));
        TextDisplay::Instance()->RegisterFont("default", &font);
        TextDisplay::Instance()->Init();
    }
    void TearDown() override
    {
        TextDisplay::DestroyInstance();
        TextDisplay3D::DestroyInstance();
    }

    ScopedEngine engine;
    Font font;
};

TEST_F(TextDisplay3DTest, TheLayoutCentreLandsOnThePositionAtEveryScale)
{
    const Vector3 position(1, 2, 3);
    const float turn = std::numbers::pi_v<float> / 6;
    const Quaternion turned(turn, Vector3(0, 1, 0));
    for (float scale : {1.0f, 2.0f}) {
        TextDisplay* display = TextDisplay::Instance();
        display->SetGlobalScale(scale, scale);
        // The word's left edge at 400 x scale, its top 30 x scale below the layout centre.
        display->SetArea({400 * scale, 330 * scale, 1000, 1000});
        const std::vector<TextRecord> records = display->LaidOutText("ab");
        ASSERT_EQ(records.size(), 1u);
        TextDisplay3D* text = TextDisplay3D::Instance();
        text->SetAttributes(records[0].attributes);
        std::vector<TextDisplay3D::GlyphQuad> quads;
        const float dx = -400 * scale, dy = -300 * scale;
        text->PlaceWord(quads, records[0].rect.x + dx, records[0].rect.y + dy, "ab", position, Quaternion(), Vector3());
        ASSERT_EQ(quads.size(), 2u);
        const float top = 30.0f / 600, height = 20.0f / 600, width = 10.0f / 600;
        ExpectNear(quads[0].corners[0], position + Vector3(0, -top, 0), "first corner");
        ExpectNear(quads[0].corners[3], position + Vector3(-width, -top - height, 0), "its opposite corner");
        ExpectNear(quads[1].corners[0], position + Vector3(-width, -top, 0), "the next glyph");

        text->PlaceWord(quads, records[0].rect.x + dx, records[0].rect.y + dy, "ab", position, turned, Vector3());
        ExpectNear(quads[0].corners[0], position + Vector3(0, -top, 0), "turned about y: the y axis stays");
        ExpectNear(quads[0].corners[1],
                   position + Vector3(-width * std::cos(turn), -top, width * std::sin(turn)), "turned top right");
        // About a pivot: the pivot itself stays where it is.
        const Vector3 pivot(0, -top, 0);
        text->PlaceWord(quads, records[0].rect.x + dx, records[0].rect.y + dy, "ab", position, turned, pivot);
        ExpectNear(quads[0].corners[0], position + pivot, "the pivot corner");
    }
}

TEST_F(TextDisplay3DTest, OnAWideScreenALayoutUnitIsAPixelAcrossAsDown)
{
    // 1280 x 720: the menu scales 800 x 600 by 1.6 across and 1.2 down.
    TextDisplay* display = TextDisplay::Instance();
    display->SetGlobalScale(1.6f, 1.2f);
    TextDisplay3D* text = TextDisplay3D::Instance();
    text->SetAttributes(display->Attributes());
    std::vector<TextDisplay3D::GlyphQuad> quads;
    // A glyph 96 pixels right of the screen's middle and 72 below it.
    text->PlaceWord(quads, 96, 72, "a", Vector3(), Quaternion(), Vector3());
    ASSERT_EQ(quads.size(), 1u);
    const float pixel = 1.0f / 720;  // the screen's height is one unit
    ExpectNear(quads[0].corners[0], Vector3(-96 * pixel, -72 * pixel, 0), "where the pixels say");
    // The glyph is scaled 1.6 across and 1.2 down, as the flat text is.
    ExpectNear(quads[0].corners[3], Vector3(-(96 + 16) * pixel, -(72 + 24) * pixel, 0), "its size in pixels");
    // The text's own scale on top: twice as wide, half as high.
    TextAttributes scaled = display->Attributes();
    scaled.scaleX = 2.0f;
    scaled.scaleY = 0.5f;
    text->SetAttributes(scaled);
    text->PlaceWord(quads, 96, 72, "a", Vector3(), Quaternion(), Vector3());
    ASSERT_EQ(quads.size(), 1u);
    ExpectNear(quads[0].corners[3], Vector3(-(96 + 32) * pixel, -(72 + 12) * pixel, 0), "scaled by its attributes");
}

TEST_F(TextDisplay3DTest, OnlyWordsDrawAndTheStatesComeBack)
{
    RwNullDevice* device = RwNullDeviceGet();
    ASSERT_NE(device, nullptr);
    NullCameraUpdate update;
    ASSERT_TRUE(update.IsUpdating());
    RwRenderStateSet(rwRenderStateCullMode, rwCullBack);
    device->ClearLog();
    TextDisplay::Instance()->SetArea({0, 0, 800, 600});
    TextDisplay3D::Instance()->Print("  <color 255 0 0>ab</color> <br>  c<scale 2></scale>", 0, 0);
    // The red word's two glyphs in one draw, the white one's in another: each glyph two
    // triangles over its four corners, as a strip over them would make.
    ASSERT_EQ(device->draws.size(), 2u);
    const RwUInt32 red = 0xFFFF0000, white = 0xFFFFFFFF;
    const struct {
        RwInt32 vertices;
        RwUInt32 colour;
    } expected[] = {{8, red}, {4, white}};
    for (size_t d = 0; d < 2; ++d) {
        const RwNullDrawRecord& draw = device->draws[d];
        EXPECT_FALSE(draw.is2D);
        EXPECT_EQ(draw.type, rwPrimTypeTriList);
        EXPECT_EQ(draw.numVertices, expected[d].vertices);
        EXPECT_EQ(draw.numIndices, expected[d].vertices / 4 * 6);
        EXPECT_EQ(draw.texture, font.GetRaster());
        EXPECT_EQ(draw.cull, rwCullNone);
        for (const RwIm3DVertex& vertex : draw.vertices3D)
            EXPECT_EQ(vertex.color, expected[d].colour) << d;
    }
    // The second glyph of the red word lies one glyph (10 pixels) left of the first in the plane.
    const auto& ab = device->draws[0].vertices3D;
    ASSERT_EQ(ab.size(), 8u);
    EXPECT_NEAR(ab[4].objVertex.x - ab[0].objVertex.x, -10.0f / 600, kTolerance);
    EXPECT_EQ(ab[4].objVertex.y, ab[0].objVertex.y);
    EXPECT_FALSE(RwIm3DEnd());  // every quad closed its batch
    intptr_t cull = 0;
    RwRenderStateGet(rwRenderStateCullMode, &cull);
    EXPECT_EQ(cull, rwCullBack);
    EXPECT_EQ(TextDisplay3D::Instance()->Attributes().color, Color::White);  // the last word's
}

}  // namespace
