// Whole runs of the application in this process, with a game state that closes the window.
#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "framework/Archive.h"
#include "framework/GameState.h"
#include "input/InputController.h"
#include "platform/Window.h"
#include "scene/RwGraphics.h"
#include "shell/MainApp.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScopedEnv.h"

#include <SDL.h>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace {

struct Seen {
    int updates = 0, renders = 0;
    uint32_t windowId = 0;  // set by the first frame, which starts the shutdown samples
    bool stateExited = false;
    RwVideoMode mode{};
    std::vector<std::string> stages;  // state exited, input closed, renderer down, window gone
} g_seen;
void (*g_close)() = CloseRenderWindow;
constexpr int kFrames = 5;

void SampleStage()
{
    if (!g_seen.windowId)
        return;
    const auto mark = [](bool done, char stage) { return done ? stage : '-'; };
    const std::string now = {mark(g_seen.stateExited, 'S'), mark(BufferedInputController::Instance()->GetMappers().empty(), 'I'),
                             mark(!RwGraphics::Instance()->IsInitialised(), 'R'), mark(!SDL_GetWindowFromID(g_seen.windowId), 'W')};
    if (g_seen.stages.empty() || g_seen.stages.back() != now)
        g_seen.stages.push_back(now);
}

// Every line logged samples how far shutdown has come, read from the objects themselves;
// steps with a line between them show apart.
struct StageProbe : LogCapture {
    void OnLog(const char* text) override { LogCapture::OnLog(text), SampleStage(); }
};

struct ProbeState : GameState {
    void Update(float) override
    {
        if (g_seen.updates++ == 0) {
            g_seen.windowId = SDL_GetWindowID(theApp.GetRenderWindow().GetHandle()->GetSDLWindow());
            RwEngineGetVideoModeInfo(&g_seen.mode, RwEngineGetCurrentVideoMode());
            SampleStage();
        }
        if (g_seen.updates == kFrames)
            g_close();
    }
    void Render() override { ++g_seen.renders; }
    bool Exit() override { return g_seen.stateExited = true, SampleStage(), true; }
};

// One whole run with the given "fullscreen" and "Resolution"; the exit code.
int RunWith(int fullScreen, int resolution)
{
    static const bool packed = [] {
        for (const char* folder : {"stage", "data/pc", "Data/SaveGames"})
            std::filesystem::create_directories(folder);
        std::ofstream("stage/readme.txt") << "the configuration files are loose\n";
        FactoryRegistry::GameStates().Register("GameShellTest", [] { return static_cast<GameState*>(new ProbeState()); });
        std::string error;
        return Archive::Pack("data/Turfbolt.dat", "stage", error);
    }();
    EXPECT_TRUE(packed);
    std::ofstream("data/pc/config.txt") << "screenWidth 640\nscreenHeight 480\nProject ShellTest\nfullscreen " << fullScreen;
    std::ofstream("Data/SaveGames/user.txt") << "OBJECT START\nclass type: \"GameParameters\"\n[GameParameters] "
                                             << "\"Game Parameters\"\n{\n \"Resolution\" " << resolution << "\n}\n";
    g_seen = Seen();
    return theApp.Run();
}

TEST(AppRun, WindowedItDrawsThenShutsDownStateInputRendererWindowInThatOrder)
{
    StageProbe log;
    EXPECT_EQ(RunWith(0, 9), 123);
    EXPECT_EQ(g_seen.updates, kFrames);
    EXPECT_GE(g_seen.renders, kFrames - 1);
    EXPECT_EQ(g_seen.stages, (std::vector<std::string>{"----", "S---", "SI--", "SIR-", "SIRW"}));
    // Windowed, "Resolution" is not looked at; and nothing went wrong.
    EXPECT_EQ(log.Count("Starting in mode: 640 480\n"), 1);
    EXPECT_EQ(log.Count("***"), 0) << log.Text();
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
        EXPECT_EQ(std::vector<int>({g_seen.mode.width, g_seen.mode.height}), std::vector<int>({start.width, start.height}))
            << start.resolution;
        EXPECT_EQ(log.Count("is outside 0..2"), start.warnings) << log.Text();
    }
}

TEST(AppRun, WithoutAWindowOrARendererTheProgramEndsWithCode1AndSaysWhy)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScopedEnv noBox("TB_NO_MESSAGE_BOX", "1");
    // With the engine taken already the renderer's own start is refused.
    EXPECT_EXIT({ RwEngineInit(nullptr, 0, 0); std::exit(theApp.Run()); }, ::testing::ExitedWithCode(1),
                "the renderer failed to start");
    ScopedEnv driver("SDL_VIDEODRIVER", "dummy");  // no OpenGL
    EXPECT_EXIT(std::exit(theApp.Run()), ::testing::ExitedWithCode(1), "the render window cannot be created");
}

}  // namespace
