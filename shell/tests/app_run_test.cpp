// The application's whole run in this process, on configurations written here and a game
// state defined here that draws, looks at the screen mode and closes the window.
#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "framework/Archive.h"
#include "framework/GameState.h"
#include "input/InputController.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "shell/MainApp.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScopedEnv.h"

#include <SDL.h>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace {

// How far shutdown has come, read from the objects themselves.
struct Stage {
    bool stateExited, inputClosed, rendererDown, windowGone;
    bool operator==(const Stage&) const = default;
};

struct Seen {
    int updates = 0, renders = 0, width = 0, height = 0;
    uint32_t windowId = 0;  // set by the first frame, which starts the stage samples
    bool fullScreen = false, stateExited = false;
    RwVideoMode mode{};
    std::vector<Stage> stages;  // each change once
} g_seen;
void (*g_close)() = CloseRenderWindow;
constexpr int kFrames = 5;

void SampleStage()
{
    if (!g_seen.windowId)
        return;
    const Stage now = {g_seen.stateExited, BufferedInputController::Instance()->GetMappers().empty(),
                       !RwGraphics::Instance()->IsInitialised(), !SDL_GetWindowFromID(g_seen.windowId)};
    if (g_seen.stages.empty() || !(g_seen.stages.back() == now))
        g_seen.stages.push_back(now);
}

// Every line logged samples the stage, so steps with a line between them show apart.
class StageProbe : public LogCapture {
    void OnLog(const char* text) override
    {
        LogCapture::OnLog(text);
        SampleStage();
    }
};

class ProbeState : public GameState {
    void Update(float) override
    {
        if (g_seen.updates++ == 0) {
            SDL_Window* window = theApp.GetRenderWindow().GetHandle()->GetSDLWindow();
            g_seen.windowId = SDL_GetWindowID(window);
            g_seen.fullScreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
            RwEngineGetVideoModeInfo(&g_seen.mode, RwEngineGetCurrentVideoMode());
            SampleStage();
        }
        if (g_seen.updates == kFrames)
            g_close();
    }
    void Render() override
    {
        const RwRaster* raster = RwGraphics::Instance()->GetPrimaryCamera()->GetRaster();
        g_seen.width = raster->width;
        g_seen.height = raster->height;
        ++g_seen.renders;
    }
    bool Exit() override
    {
        g_seen.stateExited = true;
        SampleStage();
        return true;
    }
};

// One whole run with the given "fullscreen" and "Resolution"; the exit code.
int RunWith(int fullScreen, int resolution)
{
    static const bool packed = [] {
        std::filesystem::create_directories("stage");
        std::filesystem::create_directories("Data/SaveGames");
        std::filesystem::create_directories("data/pc");
        std::ofstream("stage/readme.txt") << "the configuration files are loose\n";
        FactoryRegistry::GameStates().Register("GameShellTest", [] { return static_cast<GameState*>(new ProbeState()); });
        std::string error;
        return Archive::Pack("data/Turfbolt.dat", "stage", error);
    }();
    EXPECT_TRUE(packed);
    std::ofstream("data/pc/config.txt") << "screenWidth 640\nscreenHeight 480\nfullscreen " << fullScreen
                                        << "\nProject ShellTest\n";
    std::ofstream("Data/SaveGames/user.txt") << "OBJECT START\nclass type: \"GameParameters\"\n"
                                             << "[GameParameters] \"Game Parameters\"\n{\n \"Resolution\" "
                                             << resolution << "\n}\n";
    g_seen = Seen();
    return theApp.Run();
}

TEST(AppRun, WindowedItDrawsThenShutsDownStateInputRendererWindowInThatOrder)
{
    StageProbe log;
    EXPECT_EQ(RunWith(0, 9), 123);
    EXPECT_EQ(g_seen.updates, kFrames);
    EXPECT_GE(g_seen.renders, kFrames - 1);
    EXPECT_FALSE(g_seen.fullScreen);
    EXPECT_EQ(g_seen.width, 640);
    EXPECT_EQ(g_seen.height, 480);
    const std::vector<Stage> order = {{false, false, false, false}, {true, false, false, false},
                                      {true, true, false, false}, {true, true, true, false},
                                      {true, true, true, true}};
    EXPECT_EQ(g_seen.stages, order);
    // Windowed, "Resolution" is not looked at; and nothing went wrong.
    EXPECT_EQ(log.Count("Resolution"), 0) << log.Text();
    EXPECT_EQ(log.Count("***"), 0) << log.Text();
    EXPECT_TRUE(log.Contains("Version 1.0g\n"));
    EXPECT_TRUE(log.Contains("Starting in mode: 640 480\n"));
}

TEST(AppRun, FullScreenEachStartTakesTheModeItsResolutionNames)
{
    ScopedEnv fixedModes("TB_FIXED_VIDEO_MODES", "1");
    g_close = [] { std::raise(SIGINT); };  // Ctrl+C takes the window's close path
    const struct {
        int resolution, width, height, warnings;
    } starts[] = {{1, 1024, 768, 0}, {2, 1280, 960, 0}, {7, 1280, 960, 1}, {-1, 800, 600, 1}};
    for (const auto& start : starts) {
        LogCapture log;
        EXPECT_EQ(RunWith(1, start.resolution), 123);
        EXPECT_TRUE(g_seen.fullScreen);
        EXPECT_EQ(g_seen.mode.width, start.width) << start.resolution;
        EXPECT_EQ(g_seen.mode.height, start.height) << start.resolution;
        EXPECT_EQ(log.Count("is outside 0..2"), start.warnings) << log.Text();
    }
    g_close = CloseRenderWindow;
}

void StartWithTheEngineTaken()
{
    platform::Init();
    auto window = platform::Window::Create(platform::WindowSettings());
    RwEngineInit(nullptr, 0, 0);  // the renderer's own engine start is refused
    RenderWindow().Create(window.get());
    std::exit(0);
}

TEST(AppRun, WithoutAWindowOrARendererTheProgramEndsWithCode1AndSaysWhy)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScopedEnv noBox("TB_NO_MESSAGE_BOX", "1");
    EXPECT_EXIT(StartWithTheEngineTaken(), ::testing::ExitedWithCode(1),
                "RenderWindow::Create: the renderer failed to start");
    ScopedEnv driver("SDL_VIDEODRIVER", "dummy");  // no OpenGL
    EXPECT_EXIT(std::exit(theApp.Run()), ::testing::ExitedWithCode(1),
                "CMainApp::InitInstance: the render window cannot be created");
}

}  // namespace
