// Drawing through the GL device, checked by reading the camera raster back.
#include "support/GLTestSupport.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>

namespace {

// Scenes are drawn as lists of steps: render states and shapes, in order.
using Step = std::function<void()>;

Step State(RwRenderState state, intptr_t value)
{
    return [=] { EXPECT_TRUE(RwRenderStateSet(state, value)) << state << " = " << value; };
}
Step Texture(RwRaster* raster, RwTextureFilterMode filter = rwFilterNearest)
{
    return [=] {
        RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(raster));
        RwRenderStateSet(rwRenderStateTextureFilter, filter);
    };
}
Step Bias(RwUInt32 bias) { return [=] { RwD3D8SetRenderState(rwD3D8RenderStateZBias, bias); }; }
Step Rect(float x, float y, float w, float h, uint32_t colour) { return [=] { Rect2D(x, y, w, h, colour); }; }
Step Square(float z, float s, uint32_t colour, const RwMatrix* ltm = nullptr)
{
    return [=] { Square3D(z, s, colour, ltm); };
}
// A 200 x 100 white rectangle with u from u0 to u1 and v from v0 to v1.
Step Stretched(float u0, float u1, float v0, float v1)
{
    return [=] {
        const float z = RwIm2DGetNearScreenZ();
        const uint32_t c = 0xffffffff;
        const RwIm2DVertex v[4] = {{0, 0, z, 1, c, u0, v0}, {200, 0, z, 1, c, u1, v0},
                                   {200, 100, z, 1, c, u1, v1}, {0, 100, z, 1, c, u0, v1}};
        EXPECT_TRUE(RwIm2DRenderPrimitive(rwPrimTypeTriFan, v, 4));
    };
}

// One picture: drawn from the default render states into the cleared camera, then probed.
struct Scene {
    std::string name;
    std::vector<Step> steps;
    std::vector<Probe> probes;
    RwRGBA background = {0, 0, 0, 255};
};

constexpr uint32_t kRed = Argb(255, 255, 0, 0), kGreen = Argb(255, 0, 255, 0), kBlue = Argb(255, 0, 0, 255),
                   kWhite = Argb(255, 255, 255, 255);
constexpr Rgba kRedPixel{255, 0, 0, 255}, kGreenPixel{0, 255, 0, 255}, kBluePixel{0, 0, 255, 255},
    kWhitePixel{255, 255, 255, 255}, kBlackPixel{0, 0, 0, 255};

class GLDraw : public GLEngineTest {
protected:
    void SetUp() override
    {
        GLEngineTest::SetUp();
        if (!IsSkipped())
            cam = MakeCamera(320, 240);
    }
    void Check(const std::vector<Scene>& scenes)
    {
        for (const Scene& s : scenes) {
            RwRenderStateReset();
            Draw(cam.camera, s.background, [&] {
                for (const Step& step : s.steps)
                    step();
            });
            EXPECT_TRUE(Holds(Read(cam.raster), s.probes)) << s.name;
        }
    }

    TestCamera cam;
};

// The small square is near, the big one far and drawn after it. Equal depths pass.
TEST_F(GLDraw, DepthTestWriteAndBias)
{
    Check({
        {"z test keeps the nearer", {Square(2, 0.2f, kGreen), Square(6, 20, kRed)},
         {{160, 120, kGreenPixel}, {10, 10, kRedPixel}}},
        {"z test off", {State(rwRenderStateZTestEnable, 0), Square(2, 0.2f, kGreen), Square(6, 20, kRed)},
         {{160, 120, kRedPixel}}},
        {"z write off",
         {State(rwRenderStateZWriteEnable, 0), Square(2, 0.2f, kGreen), State(rwRenderStateZWriteEnable, 1),
          Square(6, 20, kBlue)},
         {{160, 120, kBluePixel}}},
        {"a biased decal wins", {Bias(1), Square(5, 20, kRed), Bias(0), Square(5, 20, kBlue)}, {{160, 120, kRedPixel}}},
        {"an unbiased one loses", {Square(5, 20, kRed), Square(5, 20, kBlue)}, {{160, 120, kBluePixel}}},
    });
}

// A far layer over the whole view, without z writes: where nothing was drawn since the clear,
// however far; a half red one blends over a blue one as a night dome over the day.
TEST_F(GLDraw, AFarLayerShowsOnlyWhereNothingWasDrawn)
{
    const Step far = State(rwRenderStateZAtFar, 1), noZWrite = State(rwRenderStateZWriteEnable, 0);
    const Step halfRed = [] {
        RwRenderStateSet(rwRenderStateVertexAlphaEnable, 1);
        Square3D(6, 20, Argb(128, 255, 0, 0));
    };
    const Probe green{160, 120, kGreenPixel};
    Check({
        {"behind a near square", {Square(2, 0.2f, kGreen), noZWrite, far, Square(6, 20, kBlue)}, {green, {10, 10, kBluePixel}}},
        {"behind a farther wall", {Square(9, 20, kRed), noZWrite, far, Square(6, 20, kBlue)}, {{10, 10, kRedPixel}}},
        {"two layers blend", {Square(2, 0.2f, kGreen), noZWrite, far, Square(6, 20, kBlue), halfRed},
         {green, {10, 10, {128, 0, 127, -1}, 2}}},
        // Left at the far depth, the green square would let the red one through.
        {"then the usual depths", {far, State(rwRenderStateZAtFar, 0), Square(2, 0.2f, kGreen), Square(6, 20, kRed)},
         {green, {10, 10, kRedPixel}}},
    });
}

TEST_F(GLDraw, SmallDrawsWithEqualStatesReachGLAsOneInTheirOrder)
{
    // A green square over everything, then small ones in the middle, red and green in turn; with
    // the z test off the last drawn covers the middle. Toggling the z write splits them.
    for (const bool toggle : {false, true}) {
        RwRenderStateReset();
        RwRenderStateSet(rwRenderStateZTestEnable, 0);
        uint32_t waiting = 0;
        const uint32_t before = Device()->Counters().draws;
        Draw(cam.camera, {0, 0, 0, 255}, [&] {
            for (int i = 0; i < 10; ++i) {
                if (toggle)
                    RwRenderStateSet(rwRenderStateZWriteEnable, i % 2);
                Square3D(5, i == 0 ? 20.0f : 0.2f - 0.01f * static_cast<float>(i), i % 2 ? kRed : kGreen);
            }
            waiting = Device()->Counters().draws - before;
        });
        EXPECT_EQ(std::pair(waiting, Device()->Counters().draws - before), toggle ? std::pair(9u, 10u) : std::pair(0u, 1u));
        // The middle is the last square's, the outer ring the first's.
        EXPECT_TRUE(Holds(Read(cam.raster), {{160, 120, kRedPixel}, {5, 120, kGreenPixel}})) << toggle;
    }
}

// Text and quads come as small strips and fans. Waiting in a batch they must make the triangles
// GL makes of them: the same winding (half are culled) and the same last vertex, whose colour
// flat shading spreads over each triangle. Drawn alone (an object matrix keeps them out of the
// batch) they are GL's own.
TEST_F(GLDraw, SmallStripsAndFansWaitInTheBatchAsTheTrianglesGLMakesOfThem)
{
    constexpr int kShapes = 6, kCorners = 7;
    RwMatrix identity;
    RwMatrixSetIdentity(&identity);
    const auto shapes = [&](RwPrimitiveType type, bool indexed, const RwMatrix* ltm) {
        for (int shape = 0; shape < kShapes; ++shape) {
            // Every other shape turned the other way round, overlapping its neighbours.
            const float x0 = -3.0f + static_cast<float>(shape), turn = shape % 2 ? -1.0f : 1.0f;
            RwIm3DVertex v[kCorners];
            for (int i = 0; i < kCorners; ++i) {
                const float a = 0.5f * static_cast<float>(i), side = static_cast<float>(i % 2);
                const RwV3d at = type == rwPrimTypeTriFan
                                     ? RwV3d{x0 + (i ? 1.5f * std::cos(a) : 0.0f), i ? 1.5f * turn * std::sin(a) : 0.0f, 5}
                                     : RwV3d{x0 + 0.4f * static_cast<float>(i), turn * (side * 1.5f - 0.75f), 5};
                v[i] = {at, {}, Argb(255, 40 * i, 255 - 30 * shape, 60 * (i % 4)), 0, 0};
            }
            ASSERT_NE(RwIm3DTransform(v, kCorners, ltm, 0), nullptr);
            if (indexed) {
                // Backwards through the vertices, so that indices and vertices disagree.
                RwImVertexIndex order[kCorners];
                for (int i = 0; i < kCorners; ++i)
                    order[i] = static_cast<RwImVertexIndex>(kCorners - 1 - i);
                EXPECT_TRUE(RwIm3DRenderIndexedPrimitive(type, order, kCorners));
            } else {
                EXPECT_TRUE(RwIm3DRenderPrimitive(type));
            }
            RwIm3DEnd();
        }
    };
    const struct {
        RwPrimitiveType type;
        bool indexed;
    } cases[] = {{rwPrimTypeTriStrip, false}, {rwPrimTypeTriStrip, true}, {rwPrimTypeTriFan, false}, {rwPrimTypeTriFan, true}};
    for (const auto& c : cases) {
        const std::string name = (c.type == rwPrimTypeTriFan ? "fans" : "strips") + std::string(c.indexed ? ", indexed" : "");
        Pixels pictures[2];
        uint32_t draws[2] = {};
        for (const int batched : {0, 1}) {
            RwRenderStateReset();
            RwRenderStateSet(rwRenderStateShadeMode, rwShadeFlat);
            RwRenderStateSet(rwRenderStateCullMode, rwCullBack);
            RwRenderStateSet(rwRenderStateZTestEnable, 0);
            const uint32_t before = Device()->Counters().draws;
            Draw(cam.camera, {0, 0, 0, 255}, [&] { shapes(c.type, c.indexed, batched ? nullptr : &identity); });
            draws[batched] = Device()->Counters().draws - before;
            pictures[batched] = Read(cam.raster);
        }
        EXPECT_EQ(std::pair(draws[0], draws[1]), std::pair(uint32_t(kShapes), 1u)) << name;
        size_t drawn = 0;
        for (size_t i = 0; i < pictures[1].data.size(); i += 4)
            drawn += pictures[1].data[i + 1] != 0;
        EXPECT_GT(drawn, 2000u) << name << ": too little left to compare";
        EXPECT_TRUE(pictures[0].data == pictures[1].data) << name << ": the batched picture differs";
    }
}

TEST_F(GLDraw, WaitingSmallDrawsReachGLBeforeWhatReadsClearsCountsOrChangesTheirTexture)
{
    // A red-textured square over the view waits to be drawn when the operation comes.
    const auto oneColour = [](uint32_t argb) {
        RwImage* image = RwImageCreate(1, 1, 32);
        RwImageAllocatePixels(image);
        const uint8_t rgba[4] = {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)};
        std::copy(rgba, rgba + 4, image->pixels);
        return image;
    };
    RwImage* red = oneColour(kRed);
    RwImage* blue = oneColour(kBlue);
    RwRaster* texture = MakeTexture(1, 1, {kRed});
    Pixels seen;
    constexpr uint64_t kNotCounted = ~uint64_t(0);
    uint64_t samples = kNotCounted;
    RwRaster* doomed = nullptr;
    const RwRGBA black{0, 0, 0, 255};
    // Made before the update: making a raster also sends what waits.
    RwRaster* copy = RwRasterCreate(320, 240, 32, rwRasterTypeCameraTexture);
    RwMatrix identity;
    RwMatrixSetIdentity(&identity);
    const RwDeviceLighting dark = {{0, 0, 0, 1}, nullptr, 0, {0, 0, 0, 1}};
    // A quad over the view without colours: white.
    const RwV3d positions[4] = {{-20, -20, 6}, {20, -20, 6}, {20, 20, 6}, {-20, 20, 6}};
    const RwUInt16 quad[6] = {0, 1, 2, 0, 2, 3};
    void* mesh = Device()->CreateMesh({4, positions, nullptr, nullptr, nullptr, nullptr, nullptr, quad, 6});
    ASSERT_NE(mesh, nullptr);
    RwDeviceMeshDraw meshOver{};
    meshOver.mesh = mesh;
    meshOver.numIndices = 6;
    meshOver.materialColour = {1, 1, 1, 1};
    const struct {
        const char* name;
        std::function<void()> operation;
        Rgba after;
        bool drawnWithDoomed = false;
    } cases[] = {
        {"read back", [&] { seen = Read(cam.raster); }, kRedPixel},
        {"copied out", [&] {
             const RwRect whole{0, 0, 320, 240};
             ASSERT_NE(RwRasterPushContext(copy), nullptr);
             EXPECT_NE(RwRasterRenderScaled(cam.raster, &whole), nullptr);
             RwRasterPopContext();
             seen = Read(copy);
         }, kRedPixel},
        {"cleared", [&] { RwCameraClear(cam.camera, &black, rwCameraClearImage); }, kBlackPixel},
        {"its texture refilled", [&] { RwRasterSetFromImage(texture, blue); }, kRedPixel},
        {"its texture destroyed", [&] { RwRasterDestroy(std::exchange(doomed, nullptr)); }, kRedPixel, true},
        {"samples counted", [&] {
             Device()->BeginSampleCount();
             samples = Device()->EndSampleCount();
         }, kRedPixel},
        // Drawn after it with the z test off, so that the later of the two shows.
        {"a larger draw over it", [&] {
             RwRenderStateSet(rwRenderStateZTestEnable, 0);
             RwRenderStateSet(rwRenderStateTextureRaster, 0);
             Square3D(6, 20, kGreen, &identity);
         }, kGreenPixel},
        {"a 2D draw over it", [&] {
             RwRenderStateSet(rwRenderStateZTestEnable, 0);
             RwRenderStateSet(rwRenderStateTextureRaster, 0);
             Rect2D(0, 0, 320, 240, kGreen);
         }, kGreenPixel},
        {"a mesh over it", [&] {
             RwRenderStateSet(rwRenderStateZTestEnable, 0);
             EXPECT_TRUE(Device()->DrawMesh(meshOver));
         }, kWhitePixel},
        // Lights with a black material set after it must not reach it; they are taken away once
        // the camera is done.
        {"lights set after it", [&] { Device()->SetLighting(&dark); }, kRedPixel},
    };
    for (const auto& c : cases) {
        RwRasterSetFromImage(texture, red);
        doomed = RwRasterCreate(1, 1, 32, rwRasterTypeTexture);
        RwRasterSetFromImage(doomed, red);
        RwRaster* drawnWith = c.drawnWithDoomed ? doomed : texture;
        seen = {};
        samples = kNotCounted;
        RwRenderStateReset();
        Draw(cam.camera, black, [&] {
            Texture(drawnWith)();
            Square3D(5, 20, kWhite);
            c.operation();
        });
        Device()->SetLighting(nullptr);
        EXPECT_TRUE(Holds(Read(cam.raster), {{160, 120, c.after}})) << c.name;
        if (seen.width) {
            EXPECT_TRUE(Holds(seen, {{160, 120, kRedPixel}})) << c.name << ": what was read";
        }
        if (samples != kNotCounted) {
            EXPECT_EQ(samples, 0u) << c.name << ": the square was drawn before the count began";
        }
        if (doomed)
            RwRasterDestroy(doomed);
    }
    RwImageDestroy(red);
    RwImageDestroy(blue);
    RwRasterDestroy(copy);
    Device()->DestroyMesh(mesh);
}

TEST_F(GLDraw, SmallDrawsPastTheIndexRangeStartAnotherBatchAndUnindexedOnesKeepTheirTriangles)
{
    // Two lists of two triangles without indices, a red square over the view and a green one
    // in the middle, go to GL as one draw.
    const auto unindexed = [](float z, float s, uint32_t colour) {
        RwIm3DVertex v[6] = {{{-s, -s, z}, {}, colour, 0, 0}, {{s, -s, z}, {}, colour, 0, 0},
                             {{s, s, z}, {}, colour, 0, 0},   {{-s, -s, z}, {}, colour, 0, 0},
                             {{s, s, z}, {}, colour, 0, 0},   {{-s, s, z}, {}, colour, 0, 0}};
        ASSERT_NE(RwIm3DTransform(v, 6, nullptr, 0), nullptr);
        EXPECT_TRUE(RwIm3DRenderPrimitive(rwPrimTypeTriList));
        RwIm3DEnd();
    };
    RwRenderStateReset();
    Draw(cam.camera, {0, 0, 0, 255}, [&] {
        unindexed(5, 20, kRed);
        unindexed(4, 1, kGreen);
    });
    EXPECT_TRUE(Holds(Read(cam.raster), {{160, 120, kGreenPixel}, {150, 115, kGreenPixel}, {170, 125, kGreenPixel},
                                         {150, 125, kGreenPixel}, {170, 115, kGreenPixel}, {5, 5, kRedPixel}}));

    // The first square's vertices are 0-3; after 16,383 squares behind the eye, the red one's
    // are past the 16-bit indices of one batch.
    Draw(cam.camera, {0, 0, 0, 255}, [&] {
        Square3D(5, 20, kGreen);
        for (int i = 0; i < 16383; ++i)
            Square3D(-5, 0.01f, kBlue);
        Square3D(4, 0.2f, kRed);
    });
    EXPECT_TRUE(Holds(Read(cam.raster), {{160, 120, kRedPixel}, {5, 5, kGreenPixel}}));
}

TEST_F(GLDraw, BlendCodesAndAlphaTests)
{
    std::vector<Scene> scenes = {
        {"half transparent, then opaque without vertex alpha",
         {State(rwRenderStateZTestEnable, 0), State(rwRenderStateVertexAlphaEnable, 1),
          Rect(100, 50, 100, 100, Argb(128, 255, 0, 0)), State(rwRenderStateVertexAlphaEnable, 0),
          Rect(250, 50, 50, 50, Argb(128, 255, 0, 0))},
         {{150, 100, {128, 0, 127, -1}, 2}, {199, 149, {128, 0, 127, -1}, 2}, {50, 100, kBluePixel},
          {200, 150, kBluePixel}, {275, 75, {255, 0, 0, -1}}},
         {0, 0, 255, 255}},
        // Without blending the pixels that pass land as they are; exactly the reference passes.
        {"alpha at least 128",
         {State(rwRenderStateAlphaTestFunction, rwAlphaTestGreaterEqual), State(rwRenderStateAlphaTestFunctionRef, 128),
          Rect(0, 0, 160, 200, Argb(100, 255, 255, 255)), Rect(160, 0, 160, 200, Argb(200, 255, 255, 255)),
          Rect(0, 220, 10, 10, Argb(128, 0, 255, 0)), Rect(20, 220, 10, 10, Argb(127, 0, 255, 0))},
         {{250, 120, {255, 255, 255, 200}}, {50, 120, kBlackPixel}, {5, 225, {0, 255, 0, 128}},
          {25, 225, kBlackPixel}}},
        {"alpha always passes",
         {State(rwRenderStateAlphaTestFunction, rwAlphaTestAlways), State(rwRenderStateAlphaTestFunctionRef, 128),
          Rect(0, 0, 160, 240, Argb(100, 255, 255, 255))},
         {{50, 120, {255, 255, 255, 100}}}},
    };
    // (200, 100, 0, alpha 128) over grey of the given alpha.
    const struct {
        RwBlendFunction source, destination;
        Rgba expected;
        RwUInt8 backgroundAlpha = 255;
    } blends[] = {
        {rwBlendOne, rwBlendOne, {255, 200, 100, -1}},
        {rwBlendZero, rwBlendSrcColor, {78, 39, 0, -1}},
        {rwBlendDestColor, rwBlendZero, {78, 39, 0, -1}},
        {rwBlendInvDestColor, rwBlendZero, {122, 61, 0, -1}},
        {rwBlendZero, rwBlendInvSrcColor, {22, 61, 100, -1}},
        {rwBlendDestAlpha, rwBlendInvDestAlpha, {200, 100, 0, -1}},
        {rwBlendDestAlpha, rwBlendInvDestAlpha, {100, 100, 100, -1}, 0},
        {rwBlendSrcAlphaSat, rwBlendZero, {100, 50, 0, -1}, 0},
        {rwBlendSrcAlphaSat, rwBlendZero, {0, 0, 0, -1}},
        {rwBlendOne, rwBlendZero, {200, 100, 0, -1}},
    };
    for (const auto& b : blends)
        scenes.push_back({"blend " + std::to_string(b.source) + ", " + std::to_string(b.destination),
                          {State(rwRenderStateZTestEnable, 0), State(rwRenderStateVertexAlphaEnable, 1),
                           State(rwRenderStateSrcBlend, b.source), State(rwRenderStateDestBlend, b.destination),
                           Rect(0, 0, 320, 240, Argb(128, 200, 100, 0))},
                          {{160, 120, b.expected, 2}},
                          {100, 100, 100, b.backgroundAlpha}});
    Check(scenes);
}

// A clear red square near the camera over a far blue wall, then a small green square behind
// the red one: the clear square must change nothing, whether the draw keeps its alpha test or
// leaves it out because the test decides nothing.
TEST_F(GLDraw, AnAlphaTestIsLeftOutOnlyWhereItDecidesNothing)
{
    const struct {
        const char* name;
        RwAlphaTestFunction function;
        intptr_t reference;
        RwBlendFunction source, destination;
        bool blended, zWrite;
        uint32_t leftOut;
    } cases[] = {
        {"greater than 0, blended over", rwAlphaTestGreater, 0, rwBlendSrcAlpha, rwBlendInvSrcAlpha, true, false, 1},
        {"at least 1, added", rwAlphaTestGreaterEqual, 1, rwBlendSrcAlpha, rwBlendOne, true, false, 1},
        {"saturated source", rwAlphaTestGreater, 0, rwBlendSrcAlphaSat, rwBlendInvSrcAlpha, true, false, 1},
        {"writing depth", rwAlphaTestGreater, 0, rwBlendSrcAlpha, rwBlendInvSrcAlpha, true, true, 0},
        {"source not scaled by alpha", rwAlphaTestGreater, 0, rwBlendOne, rwBlendInvSrcAlpha, true, false, 0},
        {"destination scaled", rwAlphaTestGreater, 0, rwBlendSrcAlpha, rwBlendZero, true, false, 0},
        {"a higher reference", rwAlphaTestGreater, 1, rwBlendSrcAlpha, rwBlendInvSrcAlpha, true, false, 0},
        {"at least 0", rwAlphaTestGreaterEqual, 0, rwBlendSrcAlpha, rwBlendInvSrcAlpha, true, false, 0},
        {"not blended", rwAlphaTestGreater, 0, rwBlendSrcAlpha, rwBlendInvSrcAlpha, false, false, 0},
    };
    for (const auto& c : cases) {
        const uint32_t before = Device()->Counters().alphaTestLeftOut;
        Check({{c.name,
                {Square(6, 20, kBlue), State(rwRenderStateVertexAlphaEnable, c.blended),
                 State(rwRenderStateAlphaTestFunction, c.function), State(rwRenderStateAlphaTestFunctionRef, c.reference),
                 State(rwRenderStateSrcBlend, c.source), State(rwRenderStateDestBlend, c.destination),
                 State(rwRenderStateZWriteEnable, c.zWrite), Square(2, 0.2f, Argb(0, 255, 0, 0)),
                 State(rwRenderStateVertexAlphaEnable, 0), Square(4, 0.1f, kGreen)},
                {{160, 120, kGreenPixel}, {160 + 20, 120, kBluePixel}}}});
        EXPECT_EQ(Device()->Counters().alphaTestLeftOut - before, c.leftOut) << c.name;
    }
}

TEST_F(GLDraw, TexturesAreSampledTopRowFirstWithTheChosenFilterAndAddressing)
{
    RwRaster* four = MakeTexture(2, 2, {kRed, kGreen, kBlue, Argb(255, 255, 255, 0)});
    RwRaster* leftClear = MakeTexture(2, 1, {Argb(0, 255, 255, 255), kWhite});
    RwRaster* red = MakeTexture(1, 1, {kRed});
    // A fine checker shrunk to a few pixels: with mip levels linear-mip-linear averages it to
    // grey; a texture without levels still samples (plain linear) instead of reading black.
    std::vector<uint32_t> checker(64 * 64);
    for (int i = 0; i < 64 * 64; ++i)
        checker[i] = ((i % 64 + i / 64) % 2) ? kWhite : Argb(255, 0, 0, 0);
    RwRaster* mipmapped = MakeTexture(64, 64, checker, rwRasterFormatMipmap | rwRasterFormatAutoMipmap);
    RwRaster* plain = MakeTexture(64, 64, std::vector<uint32_t>(64 * 64, Argb(255, 0, 200, 0)));
    // Levels of a strip keep one texel across where the other side runs out; left as made, not
    // made again from the first, they must still be there for the texture to sample.
    RwRaster* wide = MakeTexture(4, 1, std::vector<uint32_t>(4, kGreen), rwRasterFormatMipmap);
    RwRaster* tall = MakeTexture(1, 4, std::vector<uint32_t>(4, kGreen), rwRasterFormatMipmap);
    Check({
        {"four texels", {Texture(four), Rect(0, 0, 200, 200, kWhite)},
         {{50, 50, kRedPixel}, {150, 50, kGreenPixel}, {50, 150, kBluePixel}, {150, 150, {255, 255, 0, 255}}}},
        // u from -1 to 1: wrapping repeats the texture, clamping stretches the first column,
        // a border shows the border colour.
        {"wrap", {Texture(four), Stretched(-1, 1, 0, 0.25f)}, {{75, 50, kGreenPixel}}},
        {"clamp",
         {Texture(four), State(rwRenderStateTextureAddress, rwTextureAddressClamp), Stretched(-1, 1, 0, 0.25f)},
         {{75, 50, kRedPixel}}},
        {"border",
         {Texture(red), State(rwRenderStateTextureAddress, rwTextureAddressBorder),
          State(rwRenderStateBorderColor, kBlue), Stretched(-1, 1, 0.5f, 0.5f)},
         {{50, 50, kBluePixel}, {150, 50, kRedPixel}}},
        {"a clear texel fails the alpha test",
         {Texture(leftClear), State(rwRenderStateAlphaTestFunction, rwAlphaTestGreaterEqual),
          State(rwRenderStateAlphaTestFunctionRef, 1), State(rwRenderStateSrcBlend, rwBlendOne),
          State(rwRenderStateDestBlend, rwBlendZero), Rect(0, 0, 320, 240, kRed)},
         {{40, 120, {0, 0, 80, 255}}, {280, 120, kRedPixel}},
         {0, 0, 80, 255}},
        {"mip levels",
         {Texture(mipmapped, rwFilterLinearMipLinear), Rect(0, 0, 4, 4, kWhite),
          Texture(plain, rwFilterLinearMipLinear), Rect(10, 0, 4, 4, kWhite)},
         {{2, 2, {128, 128, 128, 255}, 12}, {12, 2, {0, 200, 0, 255}}},
         {255, 0, 0, 255}},
        {"mip levels of strips",
         {Texture(wide, rwFilterLinearMipLinear), Rect(0, 0, 4, 4, kWhite), Texture(tall, rwFilterLinearMipLinear),
          Rect(10, 0, 4, 4, kWhite)},
         {{2, 2, kGreenPixel}, {12, 2, kGreenPixel}},
         {255, 0, 0, 255}},
    });
}

// The camera's fog starts at 5 and ends at its far plane, 10: white fades to black at 7.5.
// Flat shading takes the colour of a triangle's first vertex.
TEST_F(GLDraw, FogFadesByTheCameraDistanceIn3DOnlyAndShadingIsFlatOrBlended)
{
    const float z = RwIm2DGetNearScreenZ();
    const RwIm2DVertex corners[3] = {
        {0, 0, z, 1, kRed, 0, 0}, {320, 0, z, 1, kGreen, 0, 0}, {0, 240, z, 1, kBlue, 0, 0}};
    const Step triangle = [&] { RwIm2DRenderPrimitive(rwPrimTypeTriList, corners, 3); };
    const auto fog = [](RwFogType type, float density, const RwMatrix* ltm = nullptr) {
        return std::vector<Step>{State(rwRenderStateFogEnable, 1), State(rwRenderStateFogColor, Argb(255, 0, 0, 0)),
                                 State(rwRenderStateFogType, type),
                                 State(rwRenderStateFogDensity, RwRenderStateFromReal(density)),
                                 Square(ltm ? 3.75f : 7.5f, 20, kWhite, ltm)};
    };
    // Turned 60 degrees about x, the square is seen at twice its distance in the middle, and
    // its far corners lie beyond the fog's end and its near ones behind the camera.
    const RwMatrix tilted{{1, 0, 0}, 0, {0, 0.5f, 0.8660254f}, 0, {0, -0.8660254f, 0.5f}, 0, {0, 0, 0}, 0};
    Check({
        {"linear, half way", fog(rwFogLinear, 1.0f), {{160, 120, {128, 128, 128, 255}, 3}}},
        {"linear, half way on a tilted square", fog(rwFogLinear, 1.0f, &tilted), {{160, 120, {128, 128, 128, 255}, 3}}},
        {"exponential on a tilted square", fog(rwFogExponential, 0.1f, &tilted), {{160, 120, {120, 120, 120, 255}, 3}}},
        {"exponential", fog(rwFogExponential, 0.1f), {{160, 120, {120, 120, 120, 255}, 3}}},  // exp(-0.75)
        {"exponential squared", fog(rwFogExponential2, 0.1f), {{160, 120, {145, 145, 145, 255}, 3}}},
        {"nearer than the fog, and 2D",
         {State(rwRenderStateFogEnable, 1), Square(3, 20, kWhite), Rect(0, 0, 20, 20, kGreen)},
         {{160, 120, kWhitePixel}, {10, 10, kGreenPixel}}},
        {"flat", {State(rwRenderStateShadeMode, rwShadeFlat), triangle}, {{100, 60, kRedPixel}}},
        {"gouraud", {triangle}, {{100, 60, {111, 80, 64, 255}, 3}}},
    });
}

// A mesh wholly nearer than where the fog starts is drawn without the fog, and looks as it
// would with it; where any point of it may reach the fog, it is fogged as before.
TEST_F(GLDraw, MeshesNearerThanTheFogAreDrawnWithoutItAsTheyWouldLookWithIt)
{
    // A white quad facing the camera at depth 3, nearer than the fog's start at 5, over the view;
    // its last two corners can be moved.
    const auto quad = [](float nearZ, float farZ) {
        return std::vector<RwV3d>{{-40, -40, nearZ}, {40, -40, nearZ}, {40, 40, farZ}, {-40, 40, farZ}};
    };
    const std::vector<RwV3d> nearQuad = quad(3, 3), halfWay = quad(7.5f, 7.5f);
    // The top half leans back into the fog, which here starts at 4; the middle of the view lies
    // at depth 4.5, where it keeps 11 / 12 of the colour.
    const std::vector<RwV3d> leaning = quad(3, 6);
    const RwUInt16 indices[6] = {0, 1, 2, 0, 2, 3};
    const RwUInt8 bone[4][4] = {};
    const RwReal weight[4][4] = {{1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}};
    const auto meshOf = [&](const std::vector<RwV3d>& positions) {
        return RwDeviceMeshData{4, positions.data(), nullptr, nullptr, nullptr, bone, weight, indices, 6};
    };
    // Moves the quad from depth 3 to 7.5, half way into the fog.
    RwMatrix back;
    const RwV3d backBy = {0, 0, 4.5f};
    RwMatrixTranslate(RwMatrixSetIdentity(&back), &backBy, rwCombineReplace);

    struct Case {
        std::string name;
        const std::vector<RwV3d>* created;
        const std::vector<RwV3d>* updated;  // null: as created
        const RwMatrix* ltm;
        const RwMatrix* bones;
        RwFogType type;
        float fogStart;
        Rgba middle;  // of the view
        uint32_t leftOut;
    };
    const Rgba white = kWhitePixel, grey{128, 128, 128, 255};
    const Case cases[] = {
        {"nearer than the fog", &nearQuad, nullptr, nullptr, nullptr, rwFogLinear, 5, white, 1},
        {"half way into it", &halfWay, nullptr, nullptr, nullptr, rwFogLinear, 5, grey, 0},
        {"moved into it by its matrix", &nearQuad, nullptr, &back, nullptr, rwFogLinear, 5, grey, 0},
        {"moved into it by its bone", &nearQuad, nullptr, nullptr, &back, rwFogLinear, 5, grey, 0},
        {"moved into it by an update", &nearQuad, &halfWay, nullptr, nullptr, rwFogLinear, 5, grey, 0},
        {"its last corners in it", &leaning, nullptr, nullptr, nullptr, rwFogLinear, 4, {234, 234, 234, 255}, 0},
        {"exponential fog", &nearQuad, nullptr, nullptr, nullptr, rwFogExponential, 5, {189, 189, 189, 255}, 0},
        {"fog starting past the far plane", &halfWay, nullptr, nullptr, nullptr, rwFogLinear, 12, white, 1},
    };
    for (const Case& c : cases) {
        void* mesh = Device()->CreateMesh(meshOf(*c.created));
        ASSERT_NE(mesh, nullptr) << c.name;
        if (c.updated) {
            EXPECT_TRUE(Device()->UpdateMesh(mesh, meshOf(*c.updated), rwMeshPositions)) << c.name;
        }
        RwCameraSetFogDistance(cam.camera, c.fogStart);
        const RwDeviceMeshDraw draw = {mesh, c.ltm, 0, 6, nullptr, {1, 1, 1, 1}, nullptr, rwFilterNearest,
                                       rwTextureAddressWrap, rwTextureAddressWrap, nullptr, false, c.bones,
                                       c.bones ? 1 : 0, false};
        const uint32_t before = Device()->Counters().fogLeftOut;
        Check({{c.name,
                {State(rwRenderStateFogEnable, 1), State(rwRenderStateFogColor, Argb(255, 0, 0, 0)),
                 State(rwRenderStateFogType, c.type), State(rwRenderStateFogDensity, RwRenderStateFromReal(0.1f)),
                 [&] { EXPECT_TRUE(Device()->DrawMesh(draw)) << c.name; }},
                {{160, 120, c.middle, 2}}}});
        EXPECT_EQ(Device()->Counters().fogLeftOut - before, c.leftOut) << c.name;
        Device()->DestroyMesh(mesh);
    }
}

// An immediate-mode draw wholly nearer than where the fog starts is drawn without the fog, alone
// or in a batch, and looks as it would with it; where any of its corners may reach the fog, it is
// fogged as before.
TEST_F(GLDraw, ImmediateDrawsNearerThanTheFogAreDrawnWithoutItAsTheyWouldLookWithIt)
{
    // Moves a square from depth 3 to 7.5, half way into the fog from 5 to the far plane at 10.
    RwMatrix back;
    const RwV3d backBy = {0, 0, 4.5f};
    RwMatrixTranslate(RwMatrixSetIdentity(&back), &backBy, rwCombineReplace);
    struct Case {
        std::string name;
        std::vector<Step> shapes;
        RwFogType type;
        float fogStart;
        std::vector<Probe> probes;
        uint32_t leftOut;
    };
    const Probe white{160, 120, kWhitePixel, 0}, grey{160, 120, {128, 128, 128, 255}, 2};
    const Case cases[] = {
        {"nearer than the fog", {Square(3, 20, kWhite)}, rwFogLinear, 5, {white}, 1},
        {"half way into it", {Square(7.5f, 20, kWhite)}, rwFogLinear, 5, {grey}, 0},
        {"moved into it by its matrix", {Square(3, 20, kWhite, &back)}, rwFogLinear, 5, {grey}, 0},
        // One batch: the small near square covers the middle, the far one after it the rest.
        {"batched with one half way into it",
         {Square(3, 0.2f, kWhite), Square(7.5f, 20, kWhite)},
         rwFogLinear,
         5,
         {white, {5, 5, grey.want, 2}},
         0},
        {"exponential fog", {Square(3, 20, kWhite)}, rwFogExponential, 5, {{160, 120, {189, 189, 189, 255}, 2}}, 0},
        {"fog starting past the far plane", {Square(7.5f, 20, kWhite)}, rwFogLinear, 12, {white}, 1},
    };
    for (const Case& c : cases) {
        RwCameraSetFogDistance(cam.camera, c.fogStart);
        std::vector<Step> steps = {State(rwRenderStateFogEnable, 1), State(rwRenderStateFogColor, Argb(255, 0, 0, 0)),
                                   State(rwRenderStateFogType, c.type),
                                   State(rwRenderStateFogDensity, RwRenderStateFromReal(0.1f))};
        steps.insert(steps.end(), c.shapes.begin(), c.shapes.end());
        const uint32_t before = Device()->Counters().fogLeftOut;
        Check({{c.name, steps, c.probes}});
        EXPECT_EQ(Device()->Counters().fogLeftOut - before, c.leftOut) << c.name;
    }
}

// A mesh that nothing but its material colours (no texture, no pre-lit colours, no light that
// adds anything: a shadow's casters) comes out as the same draw through a white texel does, and
// its vertices carry no colour to the rasteriser.
TEST_F(GLDraw, AMeshOnlyItsMaterialColoursTakesThatColourWhole)
{
    const RwV3d positions[4] = {{-40, -40, 3}, {40, -40, 3}, {40, 40, 3}, {-40, 40, 3}};
    const RwRGBA green[4] = {{0, 255, 0, 255}, {0, 255, 0, 255}, {0, 255, 0, 255}, {0, 255, 0, 255}};
    const RwV2d uvs[4] = {};
    const RwUInt16 indices[6] = {0, 1, 2, 0, 2, 3};
    const RwUInt8 bone[4][4] = {};
    const RwReal weight[4][4] = {{1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}};
    const RwMatrix identity = [] {
        RwMatrix m;
        RwMatrixSetIdentity(&m);
        return m;
    }();
    const RwDeviceLighting noLight = {{0, 0, 0, 1}, nullptr, 0, {1, 1, 1, 1}};
    const RwDeviceLighting blueAmbient = {{0, 0, 0.5f, 1}, nullptr, 0, {1, 1, 1, 1}};
    struct Case {
        const char* name;
        const RwRGBA* colours;
        const RwDeviceLighting* lighting;
        RwRGBAReal material;
        bool skinned;
        bool plain;
        Rgba middle;
    };
    const Case cases[] = {
        {"unlit", nullptr, nullptr, {0.5f, 1, 0.25f, 1}, false, true, {128, 255, 64, 255}},
        {"lit by no light", nullptr, &noLight, {0.5f, 1, 0.25f, 0.5f}, false, true, {0, 0, 0, 128}},
        {"skinned, lit by no light", nullptr, &noLight, {1, 1, 1, 1}, true, true, kBlackPixel},
        {"pre-lit colours", green, nullptr, {1, 0.5f, 1, 1}, false, false, {0, 128, 0, 255}},
        {"lit by an ambient light", nullptr, &blueAmbient, {1, 1, 1, 1}, false, false, {0, 0, 128, 255}},
    };
    RwRaster* white = MakeTexture(1, 1, {kWhite});
    for (const Case& c : cases) {
        void* mesh = Device()->CreateMesh({4, positions, nullptr, c.colours, uvs, bone, weight, indices, 6});
        ASSERT_NE(mesh, nullptr) << c.name;
        for (RwRaster* texture : {static_cast<RwRaster*>(nullptr), white}) {
            const RwDeviceMeshDraw draw = {mesh, nullptr, 0, 6, c.lighting, c.material, texture, rwFilterNearest,
                                           rwTextureAddressWrap, rwTextureAddressWrap, nullptr, false,
                                           c.skinned ? &identity : nullptr, c.skinned ? 1 : 0, false};
            const bool plain = c.plain && !texture;
            Check({{std::string(c.name) + (texture ? " through a white texel" : ""),
                    {[&] {
                        EXPECT_TRUE(Device()->DrawMesh(draw)) << c.name;
                        GLint program = 0;
                        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
                        EXPECT_EQ(glGetAttribLocation(static_cast<GLuint>(program), "aColour") < 0, plain) << c.name;
                    }},
                    {{160, 120, c.middle, 1}}}});
        }
        Device()->DestroyMesh(mesh);
    }
}

// A skinned vertex is placed by every bone it weighs, in whichever of its four slots the
// weight stands; only meshes that weigh no third or fourth bone may skip those.
TEST_F(GLDraw, SkinnedMeshesArePlacedByEveryBoneTheyWeigh)
{
    // Over the whole view at depth 3 when its bone leaves it in place; a bone of weight 0 that
    // moves it away must change nothing.
    const RwV3d positions[4] = {{-40, -40, 3}, {40, -40, 3}, {40, 40, 3}, {-40, 40, 3}};
    const RwUInt16 indices[6] = {0, 1, 2, 0, 2, 3};
    const RwUInt8 bone[4][4] = {{0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}};
    RwMatrix bones[4];
    const RwV3d away = {0, 0, 1000};
    for (RwMatrix& m : bones)
        RwMatrixTranslate(RwMatrixSetIdentity(&m), &away, rwCombineReplace);
    struct Case {
        const char* name;
        int slot;  // the one slot that weighs 1
        int inPlace;  // the one bone that leaves the quad where it is
    };
    const Case cases[] = {
        {"first slot", 0, 0}, {"second slot", 1, 1}, {"third slot", 2, 2}, {"fourth slot", 3, 3},
        {"first slot, its bone moving the quad away", 0, 1},
    };
    for (const Case& c : cases) {
        RwReal weight[4][4] = {};
        for (auto& w : weight)
            w[c.slot] = 1;
        RwMatrix placed[4];
        std::copy(std::begin(bones), std::end(bones), placed);
        RwMatrixSetIdentity(&placed[c.inPlace]);
        void* mesh = Device()->CreateMesh({4, positions, nullptr, nullptr, nullptr, bone, weight, indices, 6});
        ASSERT_NE(mesh, nullptr) << c.name;
        const RwDeviceMeshDraw draw = {mesh, nullptr, 0, 6, nullptr, {1, 1, 1, 1}, nullptr, rwFilterNearest,
                                       rwTextureAddressWrap, rwTextureAddressWrap, nullptr, false, placed, 4, false};
        const Rgba middle = c.slot == c.inPlace ? kWhitePixel : kBlackPixel;
        Check({{c.name, {[&] { EXPECT_TRUE(Device()->DrawMesh(draw)) << c.name; }}, {{160, 120, middle, 0}}}});
        Device()->DestroyMesh(mesh);
    }
}

// Front faces appear counter-clockwise on the screen: in 3D a triangle whose normal
// (b - a) x (c - a) points at the camera; 2D follows the same rule.
TEST_F(GLDraw, CullModesDropOneWindingEach)
{
    const float z = RwIm2DGetNearScreenZ();
    // 2D at the top: clockwise on the left, counter-clockwise on the right. 3D below: facing the
    // camera on the left (world +x), turned away on the right.
    const RwIm2DVertex flat[6] = {{10, 10, z, 1, kWhite, 0, 0},  {150, 10, z, 1, kWhite, 0, 0},
                                  {10, 60, z, 1, kWhite, 0, 0},  {170, 10, z, 1, kWhite, 0, 0},
                                  {170, 60, z, 1, kWhite, 0, 0}, {310, 10, z, 1, kWhite, 0, 0}};
    const RwIm3DVertex solid[6] = {{{4, -2, 5}, {}, kWhite, 0, 0},  {{1, -2, 5}, {}, kWhite, 0, 0},
                                   {{2.5f, 1, 5}, {}, kWhite, 0, 0}, {{-1, -2, 5}, {}, kWhite, 0, 0},
                                   {{-2.5f, 1, 5}, {}, kWhite, 0, 0}, {{-4, -2, 5}, {}, kWhite, 0, 0}};
    const Step draw = [&] {
        RwIm2DRenderPrimitive(rwPrimTypeTriList, flat, 6);
        RwIm3DVertex v[6];
        std::copy(solid, solid + 6, v);
        ASSERT_NE(RwIm3DTransform(v, 6, nullptr, 0), nullptr);
        RwIm3DRenderPrimitive(rwPrimTypeTriList);
        RwIm3DEnd();
    };
    const Rgba shown{255, -1, -1, -1}, dropped{0, -1, -1, -1};
    std::vector<Scene> scenes;
    for (auto [mode, front, back] :
         {std::tuple{rwCullNone, true, true}, {rwCullBack, true, false}, {rwCullFront, false, true}}) {
        const Rgba f = front ? shown : dropped, b = back ? shown : dropped;
        scenes.push_back({"cull mode " + std::to_string(mode), {State(rwRenderStateCullMode, mode), draw},
                          {{190, 20, f}, {30, 20, b}, {100, 150, f}, {220, 150, b}}});
    }
    Check(scenes);
}

// Lit: colour = min(prelit + ambient + sum(max(0, n . -direction) * colour), 1) * material. A mesh
// draw brings its own texture and lights: the states and lights of the draws around it stay.
TEST_F(GLDraw, LightingOfImmediateModeAndMeshDraws)
{
    const uint32_t darkRed = Argb(255, 20, 0, 0);
    const auto lights = [](const RwDeviceLighting* lighting) -> Step {
        return [=] { Device()->SetLighting(lighting); };
    };
    const RwDeviceDirectionalLight directional[2] = {
        {{0, 0, 1}, {0.4f, 0, 0, 1}},  // travels away from the camera: lights the face
        {{0, 0, -1}, {0, 0, 1, 1}},    // comes from behind
    };
    const RwDeviceLighting white = {{0, 0.25f, 0, 1}, directional, 2, {1, 1, 1, 1}};
    const RwDeviceLighting halved = {{0, 0.25f, 0, 1}, directional, 2, {0.5f, 1, 1, 0.5f}};
    const RwDeviceLighting blueAmbient = {{0, 0, 0.5f, 1}, nullptr, 3, {1, 1, 1, 1}};
    // Turned half round about y and moved back in front by the object matrix: only the second
    // light reaches it. Moved a half to the right, a quarter of the size covers the right half.
    RwMatrix turned, right;
    const RwV3d yAxis = {0, 1, 0}, back = {0, 0, 10}, aside = {-10, 0, 0};
    RwMatrixRotate(RwMatrixSetIdentity(&turned), &yAxis, 180, rwCombineReplace);
    RwMatrixTranslate(&turned, &back, rwCombinePostMultiply);
    RwMatrixTranslate(RwMatrixSetIdentity(&right), &aside, rwCombineReplace);
    // The mesh: a quad over world x 0 to 20, the left half of the view, without colours.
    const RwV3d positions[4] = {{0, -20, 5}, {20, -20, 5}, {20, 20, 5}, {0, 20, 5}};
    const RwV3d normals[4] = {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}};
    const RwV2d uvs[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const RwUInt16 indices[6] = {0, 1, 2, 0, 2, 3};
    const RwDeviceMeshData data = {4, positions, normals, nullptr, uvs, nullptr, nullptr, indices, 6};
    void* mesh = Device()->CreateMesh(data);
    ASSERT_NE(mesh, nullptr);
    EXPECT_TRUE(Device()->UpdateMesh(mesh, data, rwMeshNormals | rwMeshUVs));
    RwDeviceMeshData fewer = data;
    fewer.numVertices = 3;
    EXPECT_FALSE(Device()->UpdateMesh(mesh, fewer, rwMeshAll));
    RwDeviceMeshDraw draw = {mesh, nullptr, 0, 6, &white, {1, 1, 1, 1}, MakeTexture(1, 1, {Argb(255, 0, 255, 255)}),
                             rwFilterNearest, rwTextureAddressWrap, rwTextureAddressWrap, nullptr, false, nullptr, 0, false};
    const Step drawMesh = [&] {
        EXPECT_TRUE(Device()->DrawMesh(draw));
        RwDeviceMeshDraw tooMany = draw;
        tooMany.numIndices = 7;
        EXPECT_FALSE(Device()->DrawMesh(tooMany));
    };
    // The same quad sampling past the texture's right edge (u > 1 next to the middle of the
    // view) or its top edge (v < 0, the lower half) into a clear border.
    const RwV2d pastRight[4] = {{1.05f, 0}, {0, 0}, {0, 1}, {1.05f, 1}}, pastTop[4] = {{0, -1}, {1, -1}, {1, 1}, {0, 1}};
    std::vector<void*> borderMeshes;
    const auto drawBordered = [&](const RwV2d* borderUVs, RwInt32 addressU, RwInt32 addressV) -> Step {
        RwDeviceMeshData withUVs = data;
        withUVs.uvs = borderUVs;
        borderMeshes.push_back(Device()->CreateMesh(withUVs));
        return [&draw, mesh = borderMeshes.back(), addressU, addressV] {
            RwDeviceMeshDraw own = draw;
            own.mesh = mesh;
            own.addressU = addressU;
            own.addressV = addressV;
            EXPECT_TRUE(Device()->DrawMesh(own));
        };
    };
    // Under the cull state of the immediate draws, none; the mesh's own says what is drawn.
    const auto drawCulled = [&](const RwMatrix* ltm, bool cullBack) -> Step {
        return [&draw, ltm, cullBack] {
            RwDeviceMeshDraw own = draw;
            own.ltm = ltm;
            own.cullBack = cullBack;
            EXPECT_TRUE(Device()->DrawMesh(own));
        };
    };
    Check({
        {"lit", {lights(&white), Square(5, 20, darkRed), lights(nullptr)}, {{160, 120, {122, 64, 0, 255}, 2}}},
        {"material colour", {lights(&halved), Square(5, 20, darkRed), lights(nullptr)},
         {{160, 120, {61, 64, 0, 128}, 2}}},
        {"turned away", {lights(&white), Square(5, 20, darkRed, &turned), lights(nullptr)},
         {{160, 120, {20, 64, 255, 255}, 2}}},
        {"unlit", {Square(5, 20, darkRed)}, {{160, 120, {20, 0, 0, 255}}}},
        // Mesh: no prelit colour, (0.4, 0.25, 0) of light times the cyan texel. The square after
        // it keeps its blue ambient light and the white rectangle its lack of texture.
        {"a mesh between immediate-mode draws",
         {lights(&blueAmbient), drawMesh, Square(5, 10, darkRed, &right), lights(nullptr),
          State(rwRenderStateZTestEnable, 0), Rect(0, 0, 10, 10, kWhite)},
         {{80, 120, {0, 64, 0, 255}, 2}, {240, 120, {20, 0, 128, 255}, 2}, {5, 5, kWhitePixel}}},
        // An opaque mesh's fragments all have alpha 255, whether or not the test is made.
        {"an opaque mesh passes an alpha test it meets",
         {State(rwRenderStateAlphaTestFunction, rwAlphaTestGreater), State(rwRenderStateAlphaTestFunctionRef, 254),
          drawMesh},
         {{80, 120, {0, 64, 0, 255}, 2}}},
        {"an opaque mesh fails an alpha test it does not meet",
         {State(rwRenderStateAlphaTestFunction, rwAlphaTestLess), State(rwRenderStateAlphaTestFunctionRef, 255),
          drawMesh},
         {{80, 120, kBlackPixel}}},
        // The quad winds clockwise on the screen; turned, on the right half, it does not.
        {"a mesh culling its back faces", {drawCulled(nullptr, true), drawCulled(&turned, true)},
         {{80, 120, kBlackPixel}, {240, 120, {0, 64, 255, 255}, 2}}},
        {"a mesh showing its back faces", {drawCulled(nullptr, false)}, {{80, 120, {0, 64, 0, 255}, 2}}},
        // Opaque or not, what the alpha test drops there shows the blue background.
        {"a mesh bordered across", {drawBordered(pastRight, rwTextureAddressBorder, rwTextureAddressWrap)},
         {{5, 120, {0, 64, 0, 255}, 2}, {155, 120, kBluePixel}},
         {0, 0, 255, 255}},
        {"a mesh bordered down", {drawBordered(pastTop, rwTextureAddressWrap, rwTextureAddressBorder)},
         {{80, 60, {0, 64, 0, 255}, 2}, {80, 180, kBluePixel}},
         {0, 0, 255, 255}},
    });
    // Light that adds nothing leaves the mesh without light: no prelit colour is black, not
    // the white of an unlit draw; a little of any kind lights it.
    const RwDeviceDirectionalLight green = {{0, 0, 1}, {0, 0.5f, 0, 1}};
    const struct {
        const char* name;
        RwDeviceLighting lighting;
        Rgba middle;
    } faint[] = {
        {"no light at all", {{0, 0, 0, 1}, directional, 0, {1, 1, 1, 1}}, kBlackPixel},
        {"green ambient", {{0, 0.25f, 0, 1}, nullptr, 0, {1, 1, 1, 1}}, {0, 64, 0, 255}},
        {"blue ambient", {{0, 0, 0.5f, 1}, nullptr, 0, {1, 1, 1, 1}}, {0, 0, 128, 255}},
        {"a green light", {{0, 0, 0, 1}, &green, 1, {1, 1, 1, 1}}, {0, 128, 0, 255}},
    };
    std::vector<Scene> scenes;
    for (const auto& c : faint)
        scenes.push_back({c.name, {[&] {
                              RwDeviceMeshDraw own = draw;
                              own.lighting = &c.lighting;
                              EXPECT_TRUE(Device()->DrawMesh(own));
                          }},
                          {{80, 120, c.middle, 2}}});
    Check(scenes);
    for (void* bordered : borderMeshes)
        Device()->DestroyMesh(bordered);
    // Outside a camera update nothing draws.
    EXPECT_FALSE(Device()->DrawMesh(draw));
    const RwIm2DVertex corner[3] = {};
    EXPECT_FALSE(Device()->DrawIm2D({corner, 3, rwPrimTypeTriList, nullptr, 0}));
    Device()->DestroyMesh(mesh);
    EXPECT_EQ(Device()->MeshCount(), 0u);
}

}  // namespace
