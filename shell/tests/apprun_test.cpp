// The application's whole run in this process, on a test configuration whose game state
// is defined here: it draws, counts its frames and then closes the window.
#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "framework/GameState.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "shell/MainApp.h"
#include "support/TestRun.h"

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct Seen {
    int updates = 0;
    int renders = 0;
    int focusEvents = 0;
    bool exited = false;
    uint8_t pixel[4] = {};
    int width = 0;
    int height = 0;
    float viewWindowY = 0.0f;
};
Seen g_seen;

constexpr int kFrames = 20;

class GameShellTest : public GameState {
public:
    void Update(float) override
    {
        // Closing as the game does: the quit event goes through the event pump.
        if (++g_seen.updates == kFrames)
            CloseRenderWindow();
    }
    void Render() override
    {
        RwGraphics* graphics = RwGraphics::Instance();
        PrimaryCamera* camera = graphics->GetPrimaryCamera();
        const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
        graphics->BeginRender();
        camera->Clear(green, 3);
        RwRaster* raster = camera->GetRaster();
        RwImage* image = RwImageCreate(raster->width, raster->height, 32);
        if (RwImageSetFromRaster(image, raster)) {
            const size_t centre = size_t(image->height / 2) * image->stride + size_t(image->width / 2) * 4;
            std::copy_n(image->pixels + centre, 4, g_seen.pixel);
            g_seen.width = image->width;
            g_seen.height = image->height;
        }
        RwImageDestroy(image);
        float x = 0;
        camera->GetViewWindow(x, g_seen.viewWindowY);
        graphics->Render();
        ++g_seen.renders;
    }
    int HandleEvent(const char*, intptr_t, intptr_t) override
    {
        ++g_seen.focusEvents;
        return 1;
    }
    bool Exit() override
    {
        LogMessage("GameShellTest::Exit\n");
        g_seen.exited = true;
        return true;
    }
};

TEST(AppRun, RunsTheStateFramesUntilItClosesThenShutsDownInOrderWith123)
{
    const std::string folder = testrun::MakeFolder("apprun");
    testrun::WriteFile(folder + "/stage/data/pc/config.txt",
                       "SECTION Graphics\nscreenWidth 640\nscreenHeight 480\nfullscreen 0\nENDSECTION\n"
                       "Project ShellTest\nProjectPath data\\pc\\\nTextureSet Textures24Bit\n");
    // A user file asking for a resolution out of range: windowed, it must not matter.
    testrun::WriteFile(folder + "/Data/SaveGames/user.txt",
                       "OBJECT START\nclass type: \"GameParameters\"\n[GameParameters] \"Game Parameters\"\n"
                       "{\n \"Resolution\" 9\n}\n");
    const std::string pack = std::string(TB_TBPACK) + " " + folder + "/data/Turfbolt.dat " + folder + "/stage";
    ASSERT_EQ(std::system(pack.c_str()), 0);
    std::filesystem::current_path(folder);

    FactoryRegistry::GameStates().Register("GameShellTest", [] { return static_cast<GameState*>(new GameShellTest()); });

    EXPECT_EQ(theApp.Run(), 123);

    EXPECT_EQ(g_seen.updates, kFrames);
    EXPECT_GE(g_seen.renders, kFrames - 1);
    EXPECT_TRUE(g_seen.exited);
    EXPECT_EQ(g_seen.width, 640);
    EXPECT_EQ(g_seen.height, 480);
    EXPECT_EQ(g_seen.pixel[0], 0);
    EXPECT_EQ(g_seen.pixel[1], 255);
    EXPECT_EQ(g_seen.pixel[2], 0);
    EXPECT_FLOAT_EQ(g_seen.viewWindowY, 0.8f);
    EXPECT_FALSE(RwGraphics::Instance()->IsInitialised());

    const std::string log = testrun::ReadFile(folder + "/data/log.txt");
    testrun::ExpectInOrder(log, {"Starting in mode: 640 480\n", "CloseRenderWindow\n", "RenderWindow: Exit\n",
                                 "MainProgram::Instance()->Exit()\n", "GameShellTest::Exit\n",
                                 "DXInput::Instance()->Exit()\n", "RwGraphics::Instance()->Exit()\n",
                                 "Rendering engine exited gracefully.\n", "renderWindow.Destroy() ok\n",
                                 "RenderWindow: Exit 2\n", "Exit2:: delete m_pMainWnd ok\n",
                                 "AfxPostQuitMesage ok\n"});
    // Windowed, "Resolution" is not looked at.
    EXPECT_EQ(log.find("Resolution 9"), std::string::npos) << log;
    EXPECT_EQ(log.find("missing"), std::string::npos) << log;
}

}  // namespace
