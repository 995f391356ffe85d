// Whole runs of the application in this process, with a game state that closes the window.
#include <gtest/gtest.h>

#include "audio/SampleManager.h"
#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "editor/ui/MainFrame.h"
#include "engine/core/RwCore.h"
#include "framework/Factory.h"
#include "framework/PlayerFolder.h"
#include "framework/GameState.h"
#include "input/InputController.h"
#include "input/MouseInput.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "shell/MainApp.h"
#include "shell/ShellInput.h"
#include "support/RunFiles.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScopedEnv.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

struct Seen {
    int updates = 0, renders = 0, width = 0, height = 0, bar = 0, cursorX = 0, cursorY = 0;
    int whistles = 0, sounding = 0;  // voices the game got, and frames with its sample playing
    int firstCamera[2] = {}, firstView[2] = {}, firstWindow[2] = {};  // sizes at the first update
    uint32_t windowId = 0;  // set by the first frame, which starts the shutdown samples
    bool stateExited = false;
    bool hadFrame = false, pausedOrScaled = false;
    RwVideoMode mode{};
    std::vector<std::string> stages;  // state exited, input closed, renderer down, window gone
} g_seen;
void (*g_close)() = CloseRenderWindow;
constexpr int kFrames = 5;
bool g_withSound = false;
const char* const kWhistle = "whistle";

// A short tone file, so that loading it asks the sound device for a buffer.
void WriteWhistle()
{
    const int16_t samples[] = {0, 9000, 12000, 9000, 0, -9000, -12000, -9000};
    std::ofstream out("whistle.wav", std::ios::binary);
    const auto put = [&out](uint32_t value, int bytes) { out.write(reinterpret_cast<const char*>(&value), bytes); };
    out << "RIFF", put(36 + sizeof samples, 4), out << "WAVEfmt ", put(16, 4);
    put(1, 2), put(1, 2), put(22050, 4), put(44100, 4), put(2, 2), put(16, 2);
    out << "data", put(sizeof samples, 4);
    out.write(reinterpret_cast<const char*>(samples), sizeof samples);
}

// The sound calls a game makes: an effect loaded once, then played and updated each frame.
void PlayWhistle(bool first, float dt)
{
    SoundEngine* engine = SoundEngine::Instance();
    if (first) {
        engine->SetEnabled(true);
        AudioEvent event;
        event.sampleName = kWhistle;
        engine->AddAudioEvent(kWhistle, event);
        SampleManager::Instance()->LoadEffectSamples(kWhistle, "whistle.wav", kSampleVolumeControl);
    }
    if (Voice* voice = engine->Play(kWhistle, true)) {
        voice->Start();
        ++g_seen.whistles;
    }
    engine->Update(dt);
    Sample* sample = SampleManager::Instance()->FindSample(kWhistle);
    g_seen.sounding += sample && sample->IsPlaying();
}

void SampleStage()
{
    if (!g_seen.windowId)
        return;
    const auto mark = [](bool done, char stage) { return done ? stage : '-'; };
    const bool inputClosed = BufferedInputController::Instance()->GetMappers().empty();
    const bool rendererDown = !RwGraphics::Instance()->IsInitialised();
    const std::string now = {mark(g_seen.stateExited, 'S'), mark(inputClosed, 'I'), mark(rendererDown, 'R'),
                             mark(!SDL_GetWindowFromID(g_seen.windowId), 'W')};
    if (g_seen.stages.empty() || g_seen.stages.back() != now)
        g_seen.stages.push_back(now);
}

// Every line logged samples how far shutdown has come, read from the objects themselves.
struct StageProbe : LogCapture {
    void OnLog(const char* text) override { LogCapture::OnLog(text), SampleStage(); }
};

struct ProbeState : GameState {
    void Update(float dt) override
    {
        SDL_Window* window = theApp.GetRenderWindow().GetHandle()->GetSDLWindow();
        if (g_withSound)
            PlayWhistle(g_seen.updates == 0, dt);
        if (g_seen.updates++ == 0) {
            g_seen.windowId = SDL_GetWindowID(window);
            const PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
            const platform::Rect view = theApp.GetRenderWindow().GetView();
            g_seen.firstCamera[0] = camera->GetWidth(), g_seen.firstCamera[1] = camera->GetHeight();
            g_seen.firstView[0] = view.width, g_seen.firstView[1] = view.height;
            SDL_GetWindowSize(window, &g_seen.firstWindow[0], &g_seen.firstWindow[1]);
            RwEngineGetVideoModeInfo(&g_seen.mode, RwEngineGetCurrentVideoMode());
            SDL_SetWindowSize(window, 320, 200);
            shell_input::HideCursor(true);
            if (CMainFrame* frame = theApp.GetMainFrame())
                g_seen.bar = frame->GetBarHeight();
            SampleStage();
        }
        MouseInput::Instance()->GetPosition(g_seen.cursorX, g_seen.cursorY);
        if (g_seen.updates == kFrames)
            g_close();
    }
    void Render() override
    {
        const PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
        ++g_seen.renders, g_seen.width = camera->GetWidth(), g_seen.height = camera->GetHeight();
    }
    bool Exit() override { return g_seen.stateExited = true, SampleStage(), true; }
};

// Ends a run that goes on for seconds (its game never ticks, or never closes the window) as
// Ctrl+C would, so that it fails instead of hanging.
struct Watchdog : TickHost {
    void Sleep(uint32_t milliseconds) override
    {
        if (slept < 3000 && (slept += milliseconds) >= 3000)
            std::raise(SIGINT);
        TickHost::Sleep(milliseconds);
    }
    uint32_t slept = 0;
};

// One whole run on the files written last; the exit code.
int RunApp()
{
    [[maybe_unused]] static const bool registered = [] {
        FactoryRegistry::GameStates().Register(shelltest::kStateClass,
                                               [] { return static_cast<GameState*>(new ProbeState); });
        return true;
    }();
    g_seen = Seen();
    Watchdog watchdog;
    theApp.GetRenderWindow().SetTickHost(&watchdog);
    const int code = theApp.Run();
    theApp.GetRenderWindow().SetTickHost(nullptr);
    return code;
}

// One whole run with the given "fullscreen", "Resolution", "screenHeight" and "screenWidth"; the
// exit code.
int RunWith(int fullScreen, int resolution, int height = 480, int width = 640)
{
    EXPECT_TRUE(shelltest::WriteRunFiles(fullScreen, resolution, height, width));
    return RunApp();
}

TEST(AppRun, WindowedItDrawsThenShutsDownStateInputRendererWindowInThatOrder)
{
    StageProbe log;
    EXPECT_EQ(RunWith(0, 9), 123);
    EXPECT_TRUE(g_seen.renders >= kFrames && g_seen.renders < 3 * kFrames) << "paced: " << g_seen.renders;
    // The editor's bar takes the top of the window; the view is the rest.
    const int view = 200 - g_seen.bar;
    EXPECT_GT(g_seen.bar, 0);
    EXPECT_EQ(std::vector<int>({g_seen.width, g_seen.height, g_seen.cursorX, g_seen.cursorY}),
              std::vector<int>({320, view, 160, view / 2}))
        << "resized, the camera follows; a hidden cursor is held at the view's centre";
    EXPECT_EQ(g_seen.stages, (std::vector<std::string>{"----", "S---", "SI--", "SIR-", "SIRW"}));
    // Windowed, "Resolution" 9 chooses no mode; the option toggles clamp it, and the load of
    // the user file says so and keeps the file as it was.
    EXPECT_EQ(log.Count("***"), 3) << log.Text();
    EXPECT_EQ(log.Count("screen_resolution 9 is out of range"), 1) << log.Text();
    EXPECT_EQ(log.Count("user.txt was read as damaged; it is kept as "), 1) << log.Text();
}

TEST(AppRun, ExitTheCloseBoxAndCloseRenderWindowTogetherShutDownOnce)
{
    g_close = [] {
        theApp.GetMainFrame()->OnCommand(CMainFrame::kExit);
        SDL_Event close{};
        close.type = SDL_WINDOWEVENT;
        close.window.event = SDL_WINDOWEVENT_CLOSE;
        SDL_PushEvent(&close);
        CloseRenderWindow();
    };
    LogCapture log;
    EXPECT_EQ(RunWith(0, 0), 123);
    g_close = CloseRenderWindow;
    EXPECT_EQ(std::vector<int>({log.Count("RenderWindow: Exit\n"), log.Count("MainProgram::Instance()->Exit()"),
                                log.Count("Exit2:: delete m_pMainWnd ok")}),
              std::vector<int>({1, 1, 1}))
        << log.Text();
    EXPECT_EQ(theApp.GetMainFrame(), nullptr);
}

TEST(AppRun, FullScreenHasNoFrameAndRunsUnpausedAtSpeedOne)
{
    ScopedEnv fixedModes("TB_FIXED_VIDEO_MODES", "1");
    g_close = [] {
        g_seen.hadFrame = theApp.GetMainFrame() != nullptr;
        g_seen.pausedOrScaled = theApp.IsPaused() || theApp.GetTimeScale() != 1.0f;
        CloseRenderWindow();
    };
    EXPECT_EQ(RunWith(1, 0), 123);
    g_close = CloseRenderWindow;
    EXPECT_EQ(std::vector<bool>({g_seen.hadFrame, g_seen.pausedOrScaled}), std::vector<bool>({false, false}));
}

TEST(AppRun, EachStartTakesTheModeItsSettingsName)
{
    ScopedEnv fixedModes("TB_FIXED_VIDEO_MODES", "1");
    g_close = [] { std::raise(SIGINT); };  // Ctrl+C takes the window's close path
    // Full screen by "Resolution" (clamped with a warning), windowed without a height, or with one
    // no display has, at 800 x 600.
    const struct { int fullScreen, resolution, screenHeight, width, height, warnings; } starts[] = {
        {1, 1, 480, 1024, 768, 0}, {1, 2, 480, 1280, 960, 0}, {1, 7, 480, 1280, 960, 1}, {1, -1, 480, 800, 600, 1},
        {1, 0, 480, 800, 600, 0}, {0, 1, 0, 800, 600, 1}, {0, 1, 2000000000, 800, 600, 1}};
    for (const auto& start : starts) {
        // The last run's window lost its focus; the new one is in front without being told.
        theApp.GetRenderWindow().OnFocus(false);
        LogCapture log;
        EXPECT_EQ(RunWith(start.fullScreen, start.resolution, start.screenHeight), 123);
        EXPECT_EQ(std::vector<int>({g_seen.mode.width, g_seen.mode.height}), std::vector({start.width, start.height}));
        EXPECT_EQ(log.Count("***WARNING: CMainApp::InitInstance: "), start.warnings) << log.Text();
    }
}

TEST(AppRun, ASizeLargerThanTheDisplayIsBoundedAndTheGameRendersAtTheSizeTheWindowGot)
{
    SDL_Rect display{};
    ASSERT_TRUE(platform::Init());
    ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &display), 0) << SDL_GetError();
    // Windowed a size no display has; full screen one that no mode has.
    for (const int fullScreen : {0, 2}) {
        LogCapture log;
        EXPECT_EQ(RunWith(fullScreen, 0, 16384, 16384), 123);
        EXPECT_EQ(log.Count("the display holds at most"), 1) << log.Text();
        EXPECT_LE(g_seen.firstWindow[0], fullScreen ? 16384 : display.w);
        EXPECT_LE(g_seen.firstWindow[1], fullScreen ? 16384 : display.h);
        EXPECT_LT(g_seen.firstWindow[0], 16384);
        EXPECT_EQ(std::vector<int>(g_seen.firstCamera, g_seen.firstCamera + 2),
                  std::vector<int>(g_seen.firstView, g_seen.firstView + 2));
    }
}

TEST(AppRun, WithoutASoundDeviceItSaysWhyAndRunsSilentToTheNormalEnd)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "no_such_driver");
    SampleManager::DestroyInstance();  // an earlier run's device would still be open
    WriteWhistle();
    g_withSound = true;
    LogCapture log;
    EXPECT_EQ(RunWith(0, 0), 123);
    g_withSound = false;
    EXPECT_EQ(std::vector<int>({g_seen.updates, g_seen.whistles, g_seen.sounding}),
              std::vector<int>({kFrames, kFrames, 0}));
    // Why, and what follows: the start-up goes on without sound.
    EXPECT_EQ(std::vector<int>({log.Count("no sound device (Audio target 'no_such_driver' not available); the game "
                                          "runs without sound"),
                                log.Count("***WARNING: DX3Application::Create: Failed to initialize SampleManager!")}),
              std::vector<int>({1, 1}))
        << log.Text();
    EXPECT_FALSE(SampleManager::Instance()->IsInitialised());
    SampleManager::DestroyInstance();
    SoundEngine::DestroyInstance();
}

// A second game on the save folder of a running one ends before it touches anything there,
// and says why.
TEST(AppRun, ASecondGameOnTheSameSaveFolderEndsAndLeavesTheFirstOnesLogAlone)
{
    EXPECT_TRUE(shelltest::WriteRunFiles(0, 0));
    // A folder this process has not claimed: the lock held below stands for another game's.
    ScopedEnv folder(player_folder::kVariable, "second"), noBox("TB_NO_MESSAGE_BOX", "1");
    std::filesystem::remove_all("second");
    ASSERT_TRUE(player_folder::MakeFolders("second"));
    std::ofstream("second/log.txt") << "the first game's log\n";
    const int first = open("second/turfbolt.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_EQ(flock(first, LOCK_EX | LOCK_NB), 0);
    testing::internal::CaptureStderr();
    const int code = RunApp();
    const std::string told = testing::internal::GetCapturedStderr();
    close(first);
    EXPECT_EQ(code, 1);
    std::ifstream log("second/log.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(log), {}), "the first game's log\n");
    EXPECT_NE(told.find("Turfbolt is already running and using the save folder " +
                        std::filesystem::absolute("second").string()),
              std::string::npos)
        << told;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("second"), std::filesystem::directory_iterator()), 2);
}

TEST(AppRun, WithTheEngineTakenTheRendererCannotStartAndTheProgramEndsWithCode1)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A folder of its own: this process still holds the one of the runs before.
    EXPECT_EXIT({ setenv(player_folder::kVariable, "taken", 1); RwEngineInit(nullptr, 0, 0); std::exit(theApp.Run()); }, ::testing::ExitedWithCode(1),
                "the renderer failed to start");
}

}  // namespace
