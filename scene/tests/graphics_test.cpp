// The renderer's start, frame, settings table, state saver, texture reading and shutdown.
#include "support/SceneTest.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/engine_bridge/EngineBridge.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/RwGraphicsSettings.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Graphics = SceneTest;

std::string ReadText(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(Graphics, StartsInAWindowWithThePrimaryCameraAndTheVideoModes)
{
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->GetWindow(), Window()->GetSDLWindow());
    EXPECT_EQ(camera->GetWidth(), 800.0f);
    EXPECT_TRUE(camera->HasZRaster());
    EXPECT_EQ(graphics->GetCamera(), nullptr);
    float nearClip = 0, farClip = 0, x = 0, y = 0;
    camera->GetClipPlanes(nearClip, farClip);
    camera->GetViewWindow(x, y);
    EXPECT_FLOAT_EQ(nearClip, 0.1f);
    EXPECT_FLOAT_EQ(farClip, 10000.0f);
    EXPECT_FLOAT_EQ(x, 0.8f);
    EXPECT_FLOAT_EQ(camera->GetRwCamera()->viewWindow.y, 0.6f);

    // The offscreen driver offers the fixed modes; in a window none is set.
    const std::vector<RwVideoMode>& modes = graphics->GetVideoModes();
    ASSERT_EQ(int(modes.size()), RwEngineGetNumVideoModes());
    ASSERT_GE(modes.size(), 3u);
    EXPECT_EQ(modes[0].width, 800);
    EXPECT_EQ(modes[2].height, 960);
    EXPECT_EQ(graphics->GetChosenVideoMode(), 0);

    // The engine reads its files through the game's file layer.
    EXPECT_NE(VantaroFileSystem::Get(), nullptr);
}

TEST_F(Graphics, RenderPublishesTheFrameCountersAndShowsTheRaster)
{
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    camera->SetClipPlanes(0.1f, 100.0f);
    const float black[4] = {0, 0, 0, 1};
    ASSERT_TRUE(graphics->BeginRender());
    camera->Clear(black, 3);
    ASSERT_TRUE(camera->BeginUpdate());
    Square3D(5.0f, 1.0f, {0, 255, 0, 255});
    camera->EndUpdate();
    ASSERT_TRUE(graphics->Render());
    // The counters shown are those of the last finished frame: the one just shown
    // reaches them with the next.
    graphics->BeginRender();
    camera->Clear(black, 3);
    ASSERT_TRUE(graphics->Render());
    EXPECT_EQ(graphics->GetCounter(RwGraphics::kTriangles), 2u);
    EXPECT_EQ(graphics->GetCounter(RwGraphics::kVertices), 4u);
    graphics->BeginRender();
    ASSERT_TRUE(graphics->Render());
    EXPECT_EQ(graphics->GetCounter(RwGraphics::kTriangles), 0u);

    // The counters are watches of the group "Render Metrics".
    int watches = 0;
    for (WatchData* watch : Debug::Instance()->GetWatches()) {
        if (watch->name == "Triangles" || watch->name == "VB Switches")
            ++watches;
    }
    EXPECT_EQ(watches, 2);
}

TEST_F(Graphics, ReadingTheEngineSettingsTableAppliesClipPlanesAndViewWindowAtOnce)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    Cast* display = CastManager::Instance()->CreateCast("display");
    display->AddMember(&RwGraphicsSettings::Global(), "Engine", false);

    // Written first: the table in its order with the defaults.
    ASSERT_TRUE(SaveSettings(display, "engine_defaults.txt"));
    const std::string written = ReadText("engine_defaults.txt");
    size_t at = written.find("[Engine Settings] \"Engine\"");
    ASSERT_NE(at, std::string::npos) << written;
    for (const char* entry : {"\"near clip\" 0.100000", "\"far clip low\" 500.000000", "\"far clip medium\" 500.000000",
                              "\"far clip high\" 500.000000", "\"view x\" 0.800000", "\"view y\" 0.800000"}) {
        at = written.find(entry, at);
        EXPECT_NE(at, std::string::npos) << entry << " in\n" << written;
    }

    std::ofstream("engine.txt") << "OBJECT START\nclass type: \"RwGraphicsSettings\"\n[Engine Settings] \"Engine\"\n"
                                   "{\n \"near clip\" 1\n \"far clip low\" 300\n \"far clip high\" 900\n"
                                   " \"view x\" 0.5\n \"view y\" 0.6\n}\n";
    ASSERT_TRUE(LoadSettings(display, "engine.txt"));
    float nearClip = 0, farClip = 0;
    camera->GetClipPlanes(nearClip, farClip);
    EXPECT_FLOAT_EQ(nearClip, 1.0f);
    EXPECT_FLOAT_EQ(farClip, 300.0f);
    EXPECT_FLOAT_EQ(camera->GetRwCamera()->nearPlane, 1.0f);
    EXPECT_FLOAT_EQ(camera->GetRwCamera()->farPlane, 300.0f);
    EXPECT_FLOAT_EQ(camera->GetRwCamera()->viewWindow.x, 0.5f);
    EXPECT_FLOAT_EQ(camera->GetRwCamera()->viewWindow.y, 0.6f / (800.0f / 600.0f));
    EXPECT_FLOAT_EQ(RwGraphicsSettings::Global().farClipHigh, 900.0f);

    display->RemoveMember(&RwGraphicsSettings::Global());
    CastManager::Instance()->DeleteAll();
    RwGraphicsSettings::Global() = RwGraphicsSettings();
    camera->SetClipPlanes(0.1f, 10000.0f);
    camera->SetViewWindow(0.8f, 0.8f);
}

TEST_F(Graphics, RenderStateSaverPutsBackWhatItChanged)
{
    intptr_t zWrite = 0, srcBlend = 0;
    RwRenderStateGet(rwRenderStateZWriteEnable, &zWrite);
    RwRenderStateGet(rwRenderStateSrcBlend, &srcBlend);
    ASSERT_NE(srcBlend, rwBlendOne);

    RenderStateSaver saver;
    saver.Restore();  // empty: nothing happens
    saver.Set(rwRenderStateZWriteEnable, !zWrite);
    saver.Set(rwRenderStateSrcBlend, rwBlendOne);
    intptr_t value = 0;
    RwRenderStateGet(rwRenderStateSrcBlend, &value);
    EXPECT_EQ(value, rwBlendOne);
    EXPECT_FALSE(saver.IsEmpty());

    saver.Restore();
    EXPECT_TRUE(saver.IsEmpty());
    RwRenderStateGet(rwRenderStateZWriteEnable, &value);
    EXPECT_EQ(value, zWrite);
    RwRenderStateGet(rwRenderStateSrcBlend, &value);
    EXPECT_EQ(value, srcBlend);
}

std::vector<std::string> g_fallbackNames;
RwTexture* FallbackRead(const char* name, const char* mask)
{
    g_fallbackNames.push_back(std::string(name) + "|" + (mask ? mask : ""));
    return nullptr;
}

// A 2 x 2 uncompressed 32-bit picture, all one colour.
void WriteDds(const char* path, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> file(4 + 124 + 16, 0);
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
    put(0, 0x20534444);
    put(4, 124);
    put(8, 0x100f);
    put(12, 2);           // height
    put(16, 2);           // width
    put(4 + 72, 32);      // pixel format size
    put(4 + 76, 0x41);    // RGB with alpha
    put(4 + 84, 32);
    put(4 + 88, 0x00ff0000);
    put(4 + 92, 0x0000ff00);
    put(4 + 96, 0x000000ff);
    put(4 + 100, 0xff000000);
    for (size_t i = 0; i < 4; ++i) {
        const uint8_t pixel[4] = {b, g, r, 255};
        std::memcpy(&file[128 + i * 4], pixel, 4);
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}

TEST_F(Graphics, TexturesAreTriedAsDdsFirstThenByTheCallbackInstalledBefore)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->Destroy();
    RwTextureSetReadCallBack(FallbackRead);
    ASSERT_TRUE(graphics->Initialise(Window()->GetSDLWindow()));

    WriteDds("ball.dds", 10, 20, 30);
    RwTexDictionary* dict = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(dict);
    g_fallbackNames.clear();

    RwTexture* ball = RwTextureRead("ball.png", "mask");
    ASSERT_NE(ball, nullptr);
    EXPECT_TRUE(g_fallbackNames.empty());
    Pixels p = Read(RwTextureGetRaster(ball));
    EXPECT_TRUE(PixelIs(p.at(1, 1), {10, 20, 30, 255}));

    // No DDS: the fallback gets the name as it was given.
    EXPECT_EQ(RwTextureRead("grass.png", "grassmask"), nullptr);
    EXPECT_EQ(RwTextureRead(".hidden", nullptr), nullptr);
    EXPECT_EQ(g_fallbackNames, (std::vector<std::string>{"grass.png|grassmask", ".hidden|"}));

    // A leading dot is not an extension: ".ball" is read as ".ball.dds".
    WriteDds(".ball.dds", 1, 2, 3);
    RwTexture* dotted = RwTextureRead(".ball", nullptr);
    ASSERT_NE(dotted, nullptr);
    EXPECT_TRUE(PixelIs(Read(RwTextureGetRaster(dotted)).at(0, 0), {1, 2, 3, 255}));

    RwTexDictionarySetCurrent(nullptr);
    RwTexDictionaryDestroy(dict);
    // Destroy gives the engine its earlier reader back.
    graphics->Destroy();
    EXPECT_EQ(RwTextureGetReadCallBack(), &FallbackRead);
    RwTextureSetReadCallBack(nullptr);
    ASSERT_TRUE(graphics->Initialise(Window()->GetSDLWindow()));
}

TEST_F(Graphics, DestroyUndoesOnlyWhatWasDoneAndOnlyOnce)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->Destroy();
    EXPECT_FALSE(graphics->IsInitialised());
    EXPECT_EQ(graphics->GetPrimaryCamera(), nullptr);
    EXPECT_EQ(RwEngineGetState(), 0);

    // A second Destroy must neither stop the engine again nor touch a file system that
    // someone else installed meanwhile.
    ASSERT_TRUE(RtFSManagerOpen(-1));
    ASSERT_TRUE(RwInstallFileSystem());
    const int errors = Debug::Instance()->GetErrorCount();
    graphics->Destroy();
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), errors);
    EXPECT_NE(VantaroFileSystem::Get(), nullptr);
    VantaroFileSystem::Uninstall();
    RtFSManagerClose();

    ASSERT_TRUE(graphics->Initialise(Window()->GetSDLWindow()));
    EXPECT_NE(graphics->GetPrimaryCamera(), nullptr);
}

TEST_F(Graphics, InitialiseWithoutAWindowFails)
{
    RwGraphics local;
    const int errors = Debug::Instance()->GetErrorCount();
    EXPECT_FALSE(local.Initialise(nullptr));
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), errors + 1);
    EXPECT_FALSE(local.IsInitialised());
    // Without a primary camera, a frame is nothing to show.
    EXPECT_TRUE(local.Render());
}

TEST_F(Graphics, SetWorldWithNullKeepsTheCurrentCamera)
{
    RwGraphics* graphics = RwGraphics::Instance();
    Camera camera;
    ASSERT_TRUE(camera.Create(16, 16, false, false, 0, 0));
    graphics->SetCamera(&camera);
    graphics->SetWorld(nullptr);
    EXPECT_EQ(graphics->GetCamera(), &camera);
    EXPECT_EQ(graphics->GetWorld(), nullptr);

    RwV3d position = {1, 2, 3};
    RwFrameTranslate(camera.GetFrame(), &position, rwCombineReplace);
    const Vector3& cached = graphics->GetCameraPosition();
    EXPECT_FLOAT_EQ(cached.y, 2.0f);
    EXPECT_FLOAT_EQ(graphics->GetDistanceToCamera(Vector3{1, 2, 8}), 5.0f);
    EXPECT_FLOAT_EQ(graphics->GetCameraMatrix().GetColumn(2).z, 1.0f);
    graphics->SetCamera(nullptr);
}

}  // namespace
