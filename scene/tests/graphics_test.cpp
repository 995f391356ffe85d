// The renderer with its cameras and lights.
#include "support/SceneTest.h"

#include "engine/bridge/EngineBridge.h"
#include "engine/world/RpWorld.h"
#include "framework/MathUtil.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/Light.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <fstream>

namespace {

using Graphics = SceneTest;
using Lines = std::vector<std::string>;
using Pixel = std::vector<uint8_t>;

const float kBlack[4] = {0, 0, 0, 1}, kRed[4] = {1, 0, 0, 1}, kTeal[4] = {0, 0.5f, 1, 0.5f};  // halves give 127
const Pixel kBlackPixel{0, 0, 0, 255}, kRedPixel{255, 0, 0, 255}, kTealPixel{0, 127, 255, 127};

// The raster's pixel as red, green, blue, alpha.
Pixel PixelOf(RwRaster* raster, int x, int y)
{
    Image image(RwImageCreate(raster->width, raster->height, 32), RwImageDestroy);
    EXPECT_TRUE(RwImageSetFromRaster(image.get(), raster));
    return Pixel(image->pixels + y * image->stride + x * 4, image->pixels + y * image->stride + x * 4 + 4);
}

TEST_F(Graphics, StartsWithThePrimaryCameraCountsEachFrameAtTheNextAndMeasuresFromTheCamera)
{
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    const RwCamera* engine = camera->GetRwCamera();
    // The engine reads through the game's file layer; the view window is corrected for 800 x 600.
    EXPECT_EQ(std::tuple(camera->GetWindow(), camera->GetWidth(), camera->GetRaster()->depth,
                         camera->GetZRaster()->depth, engine->farPlane, VantaroFileSystem::Get() != nullptr),
              std::tuple(OffscreenWindow(), 800.0f, 32, 24, 10000.0f, true));
    EXPECT_NEAR(engine->viewWindow.y, 0.6f, 1e-6f);
    RwIm3DVertex vertices[3] = {};
    ASSERT_TRUE(graphics->BeginRender() && camera->BeginUpdate() && RwIm3DTransform(vertices, 3, nullptr, 0));
    EXPECT_TRUE(RwIm3DRenderPrimitive(rwPrimTypeTriList) && RwIm3DEnd());
    camera->EndUpdate();
    const auto show = [&] {
        EXPECT_TRUE(graphics->Render());
        return std::pair(graphics->GetCounter(RwGraphics::kTriangles), graphics->GetCounter(RwGraphics::kVertices));
    };
    show();
    EXPECT_EQ(show(), std::pair(1u, 3u));  // a frame's counters reach the watches with the next
    EXPECT_EQ(show(), std::pair(0u, 0u));

    // Distances are measured from the current camera: a model from its frame, another object from
    // its position. Without a camera the last position found stays.
    graphics->SetCamera(camera);
    graphics->SetWorld(nullptr);  // keeps the camera
    Clump placed, empty;
    ASSERT_TRUE(placed.CreateDummyClump());
    placed.SetPosition({0, 0, 7});
    placed.Update(0);
    empty.SetPosition({0, 3, 4});
    EXPECT_EQ(std::tuple(graphics->GetCamera(), placed.GetDistanceToCamera(), empty.GetDistanceToCamera(),
                         graphics->GetCameraMatrix().GetColumn(2).z),
              std::tuple(camera, 7.0f, 5.0f, 1.0f));
    const RwV3d position = {1, 2, 3};
    RwFrameTranslate(camera->GetFrame(), &position, rwCombineReplace);
    EXPECT_EQ(graphics->GetDistanceToCamera({1, 2, 8}), 5.0f);
    graphics->SetCamera(nullptr);
    EXPECT_EQ(graphics->GetCameraPosition(), Vector3(1, 2, 3));
    RwFrameSetIdentity(camera->GetFrame());
}

// Every state a saver may change, with a value that is none of the defaults.
const std::pair<RwRenderState, intptr_t> kChanges[] = {
    {rwRenderStateTextureRaster, 64}, {rwRenderStateTextureAddressU, 2}, {rwRenderStateTextureAddressV, 3},
    {rwRenderStateZTestEnable, 0},    {rwRenderStateShadeMode, 1},       {rwRenderStateZWriteEnable, 0},
    {rwRenderStateTextureFilter, 5},  {rwRenderStateSrcBlend, 2},        {rwRenderStateDestBlend, 3},
    {rwRenderStateVertexAlphaEnable, 1}, {rwRenderStateBorderColor, 7},  {rwRenderStateFogEnable, 1},
    {rwRenderStateFogColor, 9},       {rwRenderStateFogType, 2},         {rwRenderStateFogDensity, 11},
    {rwRenderStateCullMode, 2},       {rwRenderStateAlphaTestFunction, 3}, {rwRenderStateAlphaTestFunctionRef, 100},
};

TEST_F(Graphics, ASaverPutsBackWhatItChangedFirstSavedFirstAndIsEmptyAfterwards)
{
    RwNullDevice* device = RwNullDeviceGet();
    for (const size_t count : {0, 3, 16, 17, 18}) {
        RwRenderStateReset();
        std::vector<std::pair<RwRenderState, intptr_t>> expected;
        for (size_t i = 0; i < count; ++i)
            expected.emplace_back(kChanges[i]);
        for (size_t i = 0; i < count; ++i) {
            intptr_t was = 0;
            RwRenderStateGet(kChanges[i].first, &was);
            expected.emplace_back(kChanges[i].first, was);
        }
        device->ClearLog();
        RenderStateSaver saver;
        for (size_t i = 0; i < count; ++i)
            saver.Set(kChanges[i].first, kChanges[i].second);
        EXPECT_EQ(saver.IsEmpty(), count == 0);
        saver.Restore();
        EXPECT_TRUE(saver.IsEmpty());
        saver.Restore();
        std::vector<std::pair<RwRenderState, intptr_t>> sent;
        for (const RwNullStateRecord& record : device->states)
            sent.emplace_back(record.state, record.value);
        EXPECT_EQ(sent, expected) << count;
    }
}

Lines g_fallback;
const RwTextureCallBackRead kFallbackRead = [](const char* name, const char* mask) -> RwTexture* {
    return g_fallback.push_back(std::string(name) + "|" + (mask ? mask : "")), nullptr;
};

TEST_F(Graphics, TexturesAreTriedAsDdsFirstThenByTheReaderInstalledBefore)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->Destroy();
    RwTextureSetReadCallBack(kFallbackRead);
    graphics->SetScreenSize(123, 45);  // no video mode has that size
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()) && graphics->GetChosenVideoMode() == 0);
    // 2 x 2 uncompressed 32-bit pictures of one colour (0xAARRGGBB); a leading dot is no extension.
    for (const auto& [path, colour] : {std::pair{"ball.dds", 0xff0a141eu}, std::pair{".ball.dds", 0xff010203u}}) {
        uint32_t file[36] = {0x20534444, 124, 0x100f, 2, 2};
        const uint32_t format[8] = {32, 0x41, 0, 32, 0xff0000, 0xff00, 0xff, 0xff000000};
        std::fill_n(std::copy_n(format, 8, file + 19) + 5, 4, colour);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file), sizeof file);
    }
    const std::pair<const char*, Pixel> reads[] = {{"ball.png", {10, 20, 30, 255}}, {".ball", {1, 2, 3, 255}}};
    for (const auto& [name, pixel] : reads) {
        RwTexture* texture = RwTextureRead(name, "mask");
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(PixelOf(RwTextureGetRaster(texture), 1, 1), pixel);
        RwTextureDestroy(texture);
    }
    // Without a DDS the earlier reader gets the name as it was given.
    EXPECT_FALSE(RwTextureRead("grass.png", "grassmask") || RwTextureRead(".hidden", nullptr));
    EXPECT_EQ(g_fallback, (Lines{"grass.png|grassmask", ".hidden|"}));
    graphics->Destroy();  // gives the engine its earlier reader back
    EXPECT_EQ(RwTextureGetReadCallBack(), kFallbackRead);
    RwTextureSetReadCallBack(nullptr);
    graphics->SetScreenSize(800, 600);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
}

TEST_F(Graphics, DestroyUndoesOnlyWhatWasDoneAndOnlyOnce)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->Destroy();
    EXPECT_FALSE(graphics->IsInitialised() || graphics->GetPrimaryCamera() || RwEngineGetState());
    graphics->SetDeviceKind(static_cast<RwDeviceKind>(7));  // one the engine does not have
    EXPECT_FALSE(graphics->Initialise(OffscreenWindow()) || RwEngineGetState());
    graphics->SetDeviceKind(rwDeviceNull);
    // Neither the engine nor a file system installed since by someone else is touched again.
    ASSERT_TRUE(RtFSManagerOpen(-1) && RwInstallFileSystem());
    LogCapture log;
    graphics->Destroy();
    EXPECT_EQ(std::tuple(log.lines, VantaroFileSystem::Get() != nullptr), std::tuple(Lines{}, true));
    VantaroFileSystem::Uninstall();
    RtFSManagerClose();
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()) && graphics->GetChosenVideoMode() == 0);
    log.Clear();
    RwGraphics local;  // without a primary camera a frame is nothing to show
    EXPECT_FALSE(local.Initialise(nullptr) || local.IsInitialised() || !local.Render());
    EXPECT_EQ(log.lines, Lines{"***ERROR: RwGraphics::Initialise: Invalid window specified.\n"});
}

TEST_F(Graphics, ACameraTakesItsRasterFormatFromTheDepthAndCorrectsItsViewWindowForTheAspect)
{
    const std::tuple<uint32_t, RwInt32, RwInt32> cases[] = {
        {16, rwRasterFormat565, 16}, {24, rwRasterFormat888, 32}, {32, rwRasterFormat8888, 32}};
    for (const auto& [frameDepth, format, depth] : cases) {
        Camera made;
        ASSERT_TRUE(made.Create(64, 32, false, false, frameDepth, 0));
        const RwRaster* raster = made.GetRaster();
        EXPECT_EQ(std::tuple(raster->format & rwRasterFormatPixelMask, raster->depth, raster->type,
                             made.HasZRaster()),
                  std::tuple(format, depth, RwInt32(rwRasterTypeCamera), false));
    }
    LogCapture log;
    Camera odd;
    EXPECT_TRUE(odd.Create(64, 32, true, true, 7, 16));  // logged, then made all the same
    EXPECT_EQ(std::tuple(log.lines, odd.GetRaster()->type, odd.GetZRaster()->depth),
              std::tuple(Lines{"***ERROR: Camera::Create wrong frameDepth: 7\n"}, RwInt32(rwRasterTypeCameraTexture),
                         16));
    EXPECT_TRUE(odd.Destroy() && odd.Destroy());
    // Nothing made by a failing call stays: a side or a z depth the engine refuses.
    for (const auto& [width, zDepth] : {std::pair{~0u, 0u}, std::pair{64u, 33u}})
        EXPECT_FALSE(odd.Create(width, 32, true, false, 0, zDepth) || odd.GetRwCamera()) << zDepth;
    // Without an engine camera nothing can be drawn.
    EXPECT_EQ(std::tuple(odd.Clear(kRed, 1), odd.BeginUpdate(), odd.EndUpdate(), odd.GetWidth(), odd.GetFrame()),
              std::tuple(false, false, false, 0.0f, nullptr));

    // The view window is corrected for the aspect and follows the size.
    Camera camera;
    ASSERT_TRUE(camera.Create(1024, 768, true, false, 0, 0));
    const RwCamera* engine = camera.GetRwCamera();
    float x = 0, y = 0;
    camera.SetViewWindow(0.8f, 0.8f);
    camera.GetViewWindow(x, y);
    EXPECT_EQ(std::tuple(engine->viewWindow.x, x, y), std::tuple(0.8f, 0.8f, 0.8f));  // stored uncorrected
    EXPECT_FLOAT_EQ(engine->viewWindow.y, 0.6f);
    camera.SetClipPlanes(2, 300);
    camera.GetClipPlanes(x, y);
    EXPECT_EQ(std::tuple(engine->nearPlane, engine->farPlane, x, y), std::tuple(2.0f, 300.0f, 2.0f, 300.0f));
    // Both rasters take the new size, which the next clear fills.
    camera.SetSize(600, 500);
    EXPECT_FLOAT_EQ(engine->viewWindow.y, 0.8f / 1.2f);
    ASSERT_TRUE(camera.Clear(kRed, 3));
    EXPECT_EQ(std::tuple(camera.GetWidth(), camera.GetHeight(), camera.GetZRaster()->width,
                         PixelOf(camera.GetRaster(), 599, 499)),
              std::tuple(600.0f, 500.0f, 600, kRedPixel));
    camera.SetSize(0, 500);  // no width: aspect one
    EXPECT_FLOAT_EQ(engine->viewWindow.y, 0.8f);
}

// The screens are laid out for 4:3: on a wider window the primary camera keeps their height
// and shows more at the sides, where a plain camera would cut off their top and bottom.
TEST_F(Graphics, APrimaryCameraWiderThanFourToThreeKeepsTheScreensHeight)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    const RwCamera* engine = camera->GetRwCamera();
    float storedX = 0, storedY = 0;
    camera->GetViewWindow(storedX, storedY);
    const uint32_t width = static_cast<uint32_t>(camera->GetWidth()), height = static_cast<uint32_t>(camera->GetHeight());
    struct Case {
        uint32_t width, height;
        float x, y;  // what the engine is given for a view window of 0.8 x 0.8
    };
    for (const Case& c : {Case{800, 600, 0.8f, 0.6f}, Case{1280, 720, 0.8f * (16.0f / 9.0f) * 0.75f, 0.6f},
                          Case{1600, 600, 1.6f, 0.6f}, Case{600, 800, 0.8f, 0.8f / 0.75f}}) {
        camera->SetSize(c.width, c.height);
        camera->SetViewWindow(0.8f, 0.8f);
        EXPECT_FLOAT_EQ(engine->viewWindow.x, c.x) << c.width << "x" << c.height;
        EXPECT_FLOAT_EQ(engine->viewWindow.y, c.y) << c.width << "x" << c.height;
    }
    // A resize re-applies the stored window for the new shape.
    camera->SetSize(1280, 720);
    EXPECT_FLOAT_EQ(engine->viewWindow.y, 0.6f);
    camera->SetSize(width, height);
    camera->SetViewWindow(storedX, storedY);
}

TEST_F(Graphics, SubCamerasTakeTheirRectangleOfTheParentsRasters)
{
    LogCapture log;
    PrimaryCamera* primary = RwGraphics::Instance()->GetPrimaryCamera();
    SubCamera top, bottom;
    ASSERT_TRUE(top.Create(primary, {0, 0, 1, 0.5f}, false));
    ASSERT_TRUE(bottom.Create(primary, {0.25f, 0.5f, 0.5f, 0.5f}, false));
    const RwRaster* raster = bottom.GetRaster();
    EXPECT_EQ(std::tuple(bottom.GetParent(), bottom.GetWidth(), bottom.GetHeight(), raster->offsetX, raster->offsetY,
                         raster->width, bottom.GetZRaster()->offsetY, bottom.GetZRaster()->depth),
              std::tuple(primary, 400.0f, 300.0f, 200, 300, 400, 300, 24));
    bottom.SetViewWindow(1.0f, 1.0f);  // shaped by the rectangle in pixels
    EXPECT_FLOAT_EQ(bottom.GetRwCamera()->viewWindow.y, 0.75f);
    ASSERT_TRUE(primary->Clear(kBlack, 3) && top.Clear(kRed, 3) && bottom.Clear(kTeal, 3));
    EXPECT_EQ(std::tuple(PixelOf(primary->GetRaster(), 799, 299), PixelOf(primary->GetRaster(), 199, 300),
                         PixelOf(primary->GetRaster(), 200, 300), PixelOf(primary->GetRaster(), 600, 599)),
              std::tuple(kRedPixel, kBlackPixel, kTealPixel, kBlackPixel));

    // A parent without a z-raster gives none; made again, the sub-camera is a camera texture.
    Camera parent;
    SubCamera inset, outside, orphan;
    ASSERT_TRUE(parent.Create(320, 240, false, false, 0, 0));
    ASSERT_TRUE(inset.Create(&parent, {0.25f, 0.25f, 0.5f, 0.5f}, false));
    EXPECT_FALSE(inset.HasZRaster());
    ASSERT_TRUE(inset.Recreate());
    raster = inset.GetRaster();
    EXPECT_EQ(std::tuple(raster->type, raster->offsetX, raster->offsetY, raster->width, log.lines.size()),
              std::tuple(RwInt32(rwRasterTypeCameraTexture), 80, 60, 160, size_t(0)));
    EXPECT_FALSE(outside.Create(&parent, {1.5f, 0, 0.5f, 1}, false) || orphan.Create(nullptr, {0, 0, 1, 1}, false) ||
                 orphan.GetWidth());
    EXPECT_EQ(log.lines,
              (Lines{"***ERROR: RwRasterSubRaster: rectangle (480, 0, 160, 240) lies outside the 320 x 240 parent\n",
                     "***ERROR: SubCamera::Create: RwRasterSubRaster (for Raster) failed!\n",
                     "***ERROR: SubCamera::Create: Failed to Create the Subcamera!\n"}));
}

TEST_F(Graphics, ALightsFlagsColourAndPlacementReachTheEngineLightAlsoFromATable)
{
    AmbientLight ambient, copy;
    DirectionalLight sun;
    ASSERT_TRUE(ambient.Create() && copy.Create() && sun.Create());
    const auto engineFlags = [&] { return RpLightGetFlags(sun.GetRwLight()); };
    EXPECT_EQ(std::pair(sun.GetFlags(), sun.IsEnabled()), std::pair(3u, true));
    const std::pair<uint32_t, RwUInt32> cases[] = {{3, 3}, {2, 3}, {1, 1}, {0x100, 0}, {0x201, 1}, {0x102, 3}, {0, 0}};
    for (const auto& [flags, engine] : cases) {
        sun.SetEnabled(true);
        sun.SetFlags(flags);
        EXPECT_EQ(engineFlags(), engine) << flags;
        sun.Disable();  // off, it reaches nothing and keeps its flags
        EXPECT_EQ(std::tuple(engineFlags(), sun.GetFlags(), sun.IsEnabled()), std::tuple(0u, flags, false));
    }
    sun.SetFlags(1);
    sun.SetEnabled(true);
    EXPECT_EQ(engineFlags(), 1u);

    ambient.SetColor(Color(1.0f, 0.5f, 0.0f, 0.25f), 2.0f);
    const RwRGBAReal* c = RpLightGetColor(ambient.GetRwLight());
    EXPECT_EQ(std::tuple(c->red, c->green, c->blue, c->alpha, RpLightGetType(ambient.GetRwLight())),
              std::tuple(2.0f, 1.0f, 0.0f, 255.0f, RwInt32(rpLightAmbient)));
    // Position and orientation each replace the frame's matrix.
    const RwMatrix* m = RwFrameGetMatrix(sun.GetFrame());
    sun.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitX));
    EXPECT_TRUE(Near(V(m->at), {0, -1, 0}, 1e-5f));
    sun.SetPosition({1, 2, 3});
    EXPECT_EQ(std::pair(V(m->pos), V(m->at)), std::pair(Vector3(1, 2, 3), Vector3(0, 0, 1)));
    sun.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitX));
    sun.SetOrientation(Quaternion::Identity);
    EXPECT_TRUE(RwMatrixIsIdentity(m, 1e-6f) && sun.Destroy() && !sun.Destroy());
    sun.SetPosition({4, 4, 4});  // only stored
    EXPECT_EQ(std::tuple(sun.GetPosition(), sun.GetFrame()), std::tuple(Vector3(4, 4, 4), nullptr));

    // Reading a table applies colour, flags (a bit no key stands for is dropped) and orientation.
    DirectionalLight source, light;
    ASSERT_TRUE(source.Create() && light.Create());
    source.SetFlags(Light::kStaticLighting | Light::kDynamicLighting | Light::kLightAtomics | 0x1000);
    source.SetColor(Color(0.25f, 0.5f, 1.0f), 0.5f);
    source.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitY));
    SerializeTable(source, "sun.txt", "Sun", true);
    light.Disable();
    SerializeTable(light, "sun.txt", "Sun", false);
    c = RpLightGetColor(light.GetRwLight());
    EXPECT_EQ(std::tuple(light.GetFlags(), light.IsEnabled(), RpLightGetFlags(light.GetRwLight()), c->red, c->blue),
              std::tuple(0x301u, true, 1u, 0.125f, 0.5f));
    EXPECT_TRUE(Near(V(RwFrameGetMatrix(light.GetFrame())->at), {1, 0, 0}, 1e-5f));
    SerializeTable(ambient, "fill.txt", "Fill", true);
    SerializeTable(copy, "fill.txt", "Fill", false);
    EXPECT_EQ(RpLightGetColor(copy.GetRwLight())->red, 2.0f);
}

}  // namespace
