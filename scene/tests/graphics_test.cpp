// The renderer's start, frames, settings table, state saver, texture reading and shutdown.
#include "support/SceneTest.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/engine_bridge/EngineBridge.h"
#include "scene/Clump.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/RwGraphicsSettings.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <algorithm>
#include <cstring>

namespace {

using Graphics = SceneTest;
using Pixel = std::vector<uint8_t>;

TEST_F(Graphics, StartsWithThePrimaryCameraAndPublishesEachFramesCounters)
{
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(std::tuple(camera->GetWindow(), camera->GetWidth(), camera->HasZRaster(), graphics->GetCamera() == nullptr),
              std::tuple(OffscreenWindow(), 800.0f, true, true));
    EXPECT_EQ(std::pair(camera->GetRwCamera()->nearPlane, camera->GetRwCamera()->farPlane), std::pair(0.1f, 10000.0f));
    EXPECT_FLOAT_EQ(camera->GetRwCamera()->viewWindow.y, 0.6f);
    EXPECT_EQ(graphics->GetVideoModes().size(), static_cast<size_t>(RwEngineGetNumVideoModes()));
    EXPECT_NE(VantaroFileSystem::Get(), nullptr);  // the engine reads through the game's file layer

    const auto frame = [&](int triangles) {
        camera->BeginUpdate();
        RwIm3DVertex vertices[3] = {};
        if (triangles && RwIm3DTransform(vertices, 3, nullptr, 0)) {
            RwIm3DRenderPrimitive(rwPrimTypeTriList);
            RwIm3DEnd();
        }
        camera->EndUpdate();
        EXPECT_TRUE(graphics->BeginRender() && graphics->Render());
        return std::pair(graphics->GetCounter(RwGraphics::kTriangles), graphics->GetCounter(RwGraphics::kVertices));
    };
    frame(1);
    EXPECT_EQ(frame(0), std::pair(1u, 3u));  // a frame's counters reach the watches with the next
    EXPECT_EQ(frame(0), std::pair(0u, 0u));
    // The counters are watches of their own group, in order.
    const std::vector<std::string>& groups = Debug::Instance()->GetWatchGroups();
    const auto group = std::find(groups.begin(), groups.end(), "Render Metrics") - groups.begin();
    std::vector<std::string> names;
    for (WatchData* watch : Debug::Instance()->GetWatches())
        if (watch->group == group)
            names.push_back(watch->name);
    EXPECT_EQ(std::tuple(names.size(), names.front(), names.back()), std::tuple(11u, "Triangles", "VB Switches"));
}

TEST_F(Graphics, TheEngineSettingsAreSavedAndAppliedToThePrimaryCameraWhenRead)
{
    RwGraphicsSettings& settings = RwGraphicsSettings::Global();
    Cast* display = CastManager::Instance()->CreateCast("display");
    display->AddMember(&settings, "Engine", false);
    std::tie(settings.nearClip, settings.farClipLow, settings.farClipMedium, settings.farClipHigh, settings.viewX,
             settings.viewY) = std::tuple(1.0f, 300.0f, 600.0f, 900.0f, 0.5f, 0.6f);
    ASSERT_TRUE(SaveSettings(display, "engine.txt"));
    const std::string text = ReadText("engine.txt");
    for (const char* entry : {"\"near clip\" 1.0", "\"far clip low\" 300.0", "\"far clip medium\" 600.0",
                              "\"far clip high\" 900.0", "\"view x\" 0.5", "\"view y\" 0.6"})
        EXPECT_NE(text.find(entry), std::string::npos) << entry << " in\n" << text;
    settings = RwGraphicsSettings();
    ASSERT_TRUE(LoadSettings(display, "engine.txt"));
    EXPECT_EQ(std::tuple(settings.farClipMedium, settings.farClipHigh), std::tuple(600.0f, 900.0f));
    const RwCamera* camera = RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera();
    EXPECT_EQ(std::tuple(camera->nearPlane, camera->farPlane, camera->viewWindow.x), std::tuple(1.0f, 300.0f, 0.5f));
    EXPECT_FLOAT_EQ(camera->viewWindow.y, 0.6f * 0.75f);
    display->RemoveMember(&settings);
    CastManager::Instance()->DeleteAll();
    settings = RwGraphicsSettings();
}

TEST_F(Graphics, RenderStateSaverPutsBackWhatItChanged)
{
    const auto states = [] {
        intptr_t zWrite = 0, srcBlend = 0;
        RwRenderStateGet(rwRenderStateZWriteEnable, &zWrite);
        RwRenderStateGet(rwRenderStateSrcBlend, &srcBlend);
        return std::pair(zWrite, srcBlend);
    };
    const auto before = states();
    ASSERT_NE(before.second, rwBlendOne);
    RenderStateSaver saver;
    saver.Restore();  // empty: nothing happens
    saver.Set(rwRenderStateZWriteEnable, !before.first);
    saver.Set(rwRenderStateSrcBlend, rwBlendOne);
    EXPECT_EQ(states(), std::pair(intptr_t(!before.first), intptr_t(rwBlendOne)));
    EXPECT_FALSE(saver.IsEmpty());
    saver.Restore();
    EXPECT_EQ(std::pair(states(), saver.IsEmpty()), std::pair(before, true));
}

std::vector<std::string> g_fallback;
RwTexture* FallbackRead(const char* name, const char* mask)
{
    g_fallback.push_back(std::string(name) + "|" + (mask ? mask : ""));
    return nullptr;
}

// A 2 x 2 uncompressed 32-bit picture of one colour, given as 0xAARRGGBB.
void WriteDds(const char* path, uint32_t colour)
{
    uint32_t header[32] = {0x20534444, 124, 0x100f, 2, 2};
    const uint32_t format[8] = {32, 0x41, 0, 32, 0xff0000, 0xff00, 0xff, 0xff000000};
    std::copy_n(format, 8, header + 19);
    std::vector<uint8_t> file(sizeof header + 16);
    std::memcpy(file.data(), header, sizeof header);
    for (size_t i = 0; i < 4; ++i)
        std::memcpy(&file[sizeof header + i * 4], &colour, 4);
    WriteBytes(path, file);
}

TEST_F(Graphics, TexturesAreTriedAsDdsFirstThenByTheReaderInstalledBefore)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->Destroy();
    RwTextureSetReadCallBack(FallbackRead);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
    WriteDds("ball.dds", 0xff0a141e);
    WriteDds(".ball.dds", 0xff010203);  // a leading dot is not an extension
    for (const auto& [name, pixel] : {std::pair{"ball.png", Pixel{10, 20, 30, 255}}, std::pair{".ball", Pixel{1, 2, 3, 255}}}) {
        RwTexture* texture = RwTextureRead(name, "mask");
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(PixelOf(RwTextureGetRaster(texture), 1, 1), pixel) << name;
        RwTextureDestroy(texture);
    }
    // Without a DDS the earlier reader gets the name as it was given.
    EXPECT_EQ(RwTextureRead("grass.png", "grassmask"), nullptr);
    EXPECT_EQ(RwTextureRead(".hidden", nullptr), nullptr);
    EXPECT_EQ(g_fallback, (std::vector<std::string>{"grass.png|grassmask", ".hidden|"}));
    graphics->Destroy();  // gives the engine its earlier reader back
    EXPECT_EQ(RwTextureGetReadCallBack(), &FallbackRead);
    RwTextureSetReadCallBack(nullptr);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
}

TEST_F(Graphics, DestroyUndoesOnlyWhatWasDoneAndOnlyOnce)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->Destroy();
    EXPECT_EQ(std::tuple(graphics->IsInitialised(), graphics->GetPrimaryCamera() == nullptr, RwEngineGetState()), std::tuple(false, true, 0));
    // Neither the engine nor a file system installed since by someone else is touched again.
    ASSERT_TRUE(RtFSManagerOpen(-1) && RwInstallFileSystem());
    LogCapture log;
    graphics->Destroy();
    EXPECT_EQ(std::pair(log.lines.size(), VantaroFileSystem::Get() != nullptr), std::pair(size_t(0), true));
    VantaroFileSystem::Uninstall();
    RtFSManagerClose();
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));

    log.Clear();
    RwGraphics local;
    EXPECT_FALSE(local.Initialise(nullptr));
    EXPECT_EQ(log.lines, std::vector<std::string>{"***ERROR: RwGraphics::Initialise: Invalid window specified.\n"});
    EXPECT_FALSE(local.IsInitialised());
    EXPECT_TRUE(local.Render());  // without a primary camera a frame is nothing to show
}

TEST_F(Graphics, DistancesAreMeasuredFromTheCurrentCamera)
{
    RwGraphics* graphics = RwGraphics::Instance();
    Camera camera;
    ASSERT_TRUE(camera.Create(16, 16, false, false, 0, 0));
    graphics->SetCamera(&camera);
    graphics->SetWorld(nullptr);  // keeps the camera
    EXPECT_TRUE(graphics->GetCamera() == &camera && graphics->GetWorld() == nullptr);
    const RwV3d position = {1, 2, 3};
    RwFrameTranslate(camera.GetFrame(), &position, rwCombineReplace);
    EXPECT_EQ(graphics->GetCameraPosition(), Vector3(1, 2, 3));
    EXPECT_EQ(std::pair(graphics->GetDistanceToCamera({1, 2, 8}), graphics->GetCameraMatrix().GetColumn(2).z), std::pair(5.0f, 1.0f));
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
