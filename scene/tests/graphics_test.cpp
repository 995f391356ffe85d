// The renderer's start, frames, settings table, state saver, texture reading and shutdown.
#include "support/SceneTest.h"

#include "framework/Cast.h"
#include "framework/engine_bridge/EngineBridge.h"
#include "scene/Clump.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/RwGraphicsSettings.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <fstream>

namespace {

using Graphics = SceneTest;
using Lines = std::vector<std::string>;

TEST_F(Graphics, StartsWithThePrimaryCameraAndCountsEachFrameAtTheNext)
{
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    const RwCamera* engine = camera->GetRwCamera();
    EXPECT_EQ(std::tuple(camera->GetWindow(), camera->GetWidth(), camera->HasZRaster(), engine->nearPlane, engine->farPlane),
              std::tuple(OffscreenWindow(), 800.0f, true, 0.1f, 10000.0f));
    EXPECT_FLOAT_EQ(engine->viewWindow.y, 0.6f);
    EXPECT_NE(VantaroFileSystem::Get(), nullptr);  // the engine reads through the game's file layer
    const auto frame = [&](bool triangle) {
        RwIm3DVertex vertices[3] = {};
        if (camera->BeginUpdate() && triangle && RwIm3DTransform(vertices, 3, nullptr, 0))
            RwIm3DRenderPrimitive(rwPrimTypeTriList) && RwIm3DEnd();
        camera->EndUpdate();
        EXPECT_TRUE(graphics->BeginRender() && graphics->Render());
        return std::pair(graphics->GetCounter(RwGraphics::kTriangles), graphics->GetCounter(RwGraphics::kVertices));
    };
    frame(true);
    EXPECT_EQ(frame(false), std::pair(1u, 3u));
    EXPECT_EQ(frame(false), std::pair(0u, 0u));
}

TEST_F(Graphics, ReadingTheEngineSettingsAppliesThemToThePrimaryCamera)
{
    RwGraphicsSettings& settings = RwGraphicsSettings::Global();
    Cast* display = CastManager::Instance()->CreateCast("display");
    display->AddMember(&settings, "Engine", false);
    std::ofstream("engine.txt") << "OBJECT START\nclass type: \"RwGraphicsSettings\"\n[Engine Settings] \"Engine\"\n{\n"
                                   "\"near clip\" 1\n\"far clip low\" 300\n\"far clip high\" 900\n\"view x\" 0.5\n\"view y\" 0.6\n}\n";
    ASSERT_TRUE(LoadSettings(display, "engine.txt"));
    const RwCamera* camera = RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera();
    EXPECT_EQ(std::tuple(camera->nearPlane, camera->farPlane, camera->viewWindow.x, settings.farClipHigh),
              std::tuple(1.0f, 300.0f, 0.5f, 900.0f));
    EXPECT_FLOAT_EQ(camera->viewWindow.y, 0.6f * 0.75f);
    display->RemoveMember(&settings);
    CastManager::Instance()->DeleteAll();
    settings = RwGraphicsSettings();
}

TEST_F(Graphics, RenderStateSaverPutsBackWhatItChanged)
{
    const auto states = [] {
        std::pair<intptr_t, intptr_t> values;
        RwRenderStateGet(rwRenderStateZWriteEnable, &values.first);
        RwRenderStateGet(rwRenderStateSrcBlend, &values.second);
        return values;
    };
    const std::pair<intptr_t, intptr_t> before = states(), changed(!before.first, rwBlendOne);
    ASSERT_NE(before.second, changed.second);
    RenderStateSaver saver;
    saver.Set(rwRenderStateZWriteEnable, changed.first);
    saver.Set(rwRenderStateSrcBlend, changed.second);
    EXPECT_EQ(std::pair(states(), saver.IsEmpty()), std::pair(changed, false));
    saver.Restore();
    EXPECT_EQ(std::pair(states(), saver.IsEmpty()), std::pair(before, true));
}

Lines g_fallback;
RwTexture* FallbackRead(const char* name, const char* mask)
{
    g_fallback.push_back(std::string(name) + "|" + (mask ? mask : ""));
    return nullptr;
}

// A 2 x 2 uncompressed 32-bit picture of one colour, given as 0xAARRGGBB.
void WriteDds(const char* path, uint32_t colour)
{
    uint32_t file[36] = {0x20534444, 124, 0x100f, 2, 2};
    const uint32_t format[8] = {32, 0x41, 0, 32, 0xff0000, 0xff00, 0xff, 0xff000000};
    std::copy_n(format, 8, file + 19);
    std::fill_n(file + 32, 4, colour);
    WriteBytes(path, std::vector<uint8_t>(reinterpret_cast<uint8_t*>(file), reinterpret_cast<uint8_t*>(file + 36)));
}

TEST_F(Graphics, TexturesAreTriedAsDdsFirstThenByTheReaderInstalledBefore)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->Destroy();
    RwTextureSetReadCallBack(FallbackRead);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
    WriteDds("ball.dds", 0xff0a141e);
    WriteDds(".ball.dds", 0xff010203);  // a leading dot is not an extension
    for (const auto& [name, pixel] : {std::pair{"ball.png", 0x0a141eu}, std::pair{".ball", 0x010203u}}) {
        RwTexture* texture = RwTextureRead(name, "mask");
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(PixelOf(RwTextureGetRaster(texture), 1, 1),
                  (std::vector<uint8_t>{uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), 255}));
        RwTextureDestroy(texture);
    }
    // Without a DDS the earlier reader gets the name as it was given.
    EXPECT_TRUE(RwTextureRead("grass.png", "grassmask") == nullptr && RwTextureRead(".hidden", nullptr) == nullptr);
    EXPECT_EQ(g_fallback, (Lines{"grass.png|grassmask", ".hidden|"}));
    graphics->Destroy();  // gives the engine its earlier reader back
    EXPECT_EQ(RwTextureGetReadCallBack(), &FallbackRead);
    RwTextureSetReadCallBack(nullptr);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
}

TEST_F(Graphics, DestroyUndoesOnlyWhatWasDoneAndOnlyOnce)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->Destroy();
    EXPECT_EQ(std::tuple(graphics->IsInitialised(), graphics->GetPrimaryCamera(), RwEngineGetState()),
              std::tuple(false, nullptr, 0));
    // Neither the engine nor a file system installed since by someone else is touched again.
    ASSERT_TRUE(RtFSManagerOpen(-1) && RwInstallFileSystem());
    LogCapture log;
    graphics->Destroy();
    EXPECT_EQ(std::tuple(log.lines, VantaroFileSystem::Get() != nullptr), std::tuple(Lines{}, true));
    VantaroFileSystem::Uninstall();
    RtFSManagerClose();
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));

    log.Clear();
    RwGraphics local;
    EXPECT_FALSE(local.Initialise(nullptr) || local.IsInitialised());
    EXPECT_EQ(log.lines, Lines{"***ERROR: RwGraphics::Initialise: Invalid window specified.\n"});
    EXPECT_TRUE(local.Render());  // without a primary camera a frame is nothing to show
}

TEST_F(Graphics, DistancesAreMeasuredFromTheCurrentCamera)
{
    RwGraphics* graphics = RwGraphics::Instance();
    Camera camera;
    ASSERT_TRUE(camera.Create(16, 16, false, false, 0, 0));
    graphics->SetCamera(&camera);
    graphics->SetWorld(nullptr);  // keeps the camera
    EXPECT_EQ(std::tuple(graphics->GetCamera(), graphics->GetWorld()), std::tuple(&camera, nullptr));
    const RwV3d position = {1, 2, 3};
    RwFrameTranslate(camera.GetFrame(), &position, rwCombineReplace);
    EXPECT_EQ(std::tuple(graphics->GetCameraPosition(), graphics->GetDistanceToCamera({1, 2, 8}),
                         graphics->GetCameraMatrix().GetColumn(2).z),
              std::tuple(Vector3(1, 2, 3), 5.0f, 1.0f));
    // A model is measured from its frame, an object without one from its position.
    Clump placed, empty;
    ASSERT_TRUE(placed.CreateDummyClump());
    placed.SetPosition({1, 6, 3});
    placed.Update(0);
    empty.SetPosition({1, 2, -4});
    EXPECT_EQ(std::pair(placed.GetDistanceToCamera(), empty.GetDistanceToCamera()), std::pair(4.0f, 7.0f));
    graphics->SetCamera(nullptr);  // the last position found stays
    EXPECT_EQ(graphics->GetCameraPosition(), Vector3(1, 2, 3));
}

}  // namespace
