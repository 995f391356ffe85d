#include "shell/MainApp.h"

#include "editor/DebugWindows.h"
#include "editor/ObjectSettingsDialog.h"
#include "editor/ui/ControlPanel.h"
#include "editor/ui/ObjectsBrowserView.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/GameHost.h"
#include "framework/FileSystem.h"
#include "framework/MainProgram.h"
#include "framework/PlayerFolder.h"
#include "framework/Settings.h"
#include "platform/DisplayModes.h"
#include "platform/Events.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "scene/GameElements.h"
#include "scene/RwGraphics.h"
#include "scene/StillPicture.h"
#include "settings/GameParameters.h"
#include "shell/EditorProxyAttachment.h"
#include "shell/ShellInput.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

CMainApp theApp;

namespace {

const char* const kVersion = "1.0g";
const char* const kDataFile = "data\\Turfbolt.dat";
const char* const kConfigFile = "data\\pc\\config.txt";
const char* const kUserFile = "Data\\SaveGames\\user.txt";
constexpr int kFallbackWidth = 800;
constexpr int kFallbackHeight = 600;
// Beyond any display; a larger side would ask for a window and buffers no machine has.
constexpr int kMaxScreenSide = 16384;

void LogBanner()
{
    const char* const dashes = "---------------------------------------------------\n";
    LogMessage("%s", dashes);
    LogMessage("Turfbolt\n");
    LogMessage("%s", dashes);
    LogMessage("Build: %s %s\n", __DATE__, __TIME__);
    LogMessage("Version %s\n", kVersion);
    LogMessage("\n");

    char started[64] = "";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now))
        std::strftime(started, sizeof started, "%Y-%m-%d %H:%M:%S", local);
    LogMessage("Started at: %s\n", started);

    // The release "6.1.0-18-amd64" gives major 6, minor 1 and build 0.
    utsname names{};
    unsigned major = 0, minor = 0, build = 0;
    if (uname(&names) == 0)
        std::sscanf(names.release, "%u.%u.%u", &major, &minor, &build);
    else
        std::snprintf(names.sysname, sizeof names.sysname, "%s", "Unknown");
    LogMessage("%s version: %x.%02x build %04x\n", names.sysname, major, minor, build);
}

// "Resolution" from the user file; the cast is only a vehicle and goes again at once.
int ReadResolution()
{
    GameParameters* parameters = GameParameters::Instance();
    // No user file yet on a first start: the defaults stand.
    if (!FileSystem::Instance()->FileExists(kUserFile)) {
        LogMessage("CMainApp::InitInstance: no %s yet; default game parameters\n", kUserFile);
        return parameters->resolution;
    }
    CastManager* casts = CastManager::Instance();
    Cast* user = casts->CreateCast("user");
    user->AddMember(parameters, "Game Parameters", false);
    LoadPlayerSettings(user, kUserFile);
    user->RemoveMember(parameters);
    casts->DeleteAll();
    return parameters->resolution;
}

// The log as the player's system writes its path, for the boxes that send him to it.
std::string ShownLogPath()
{
    return FileSystem::Instance()->ShownPath(player_folder::LogPath());
}

// The player's folder for this run, claimed before its log is emptied: a second game on the
// same folder would empty the first one's log and write its files between the first one's.
bool ClaimPlayerFolder()
{
    player_folder::Use(player_folder::ForThisUser());
    if (player_folder::Claim())
        return true;
    MessageBoxUnlogged("Turfbolt is already running and using the save folder %s; this second start ends.",
                       FileSystem::Instance()->ShownPath(player_folder::Get()).c_str());
    return false;
}

// Bounds the size by the display: its usable area in a window (the editor's bar included),
// its largest mode in full screen. Said in the log when it is smaller.
void FitDisplay(bool fullScreen, int& width, int& height)
{
    int mostWidth = 0, mostHeight = 0;
    // Video is brought up here for the display's size; a failure is fatal right after.
    if (!platform::Init() || !platform::GetLargestWindow(fullScreen, mostWidth, mostHeight))
        return;
    if (!fullScreen)
        mostHeight -= CMainFrame::MenuBarHeight();
    if (width <= mostWidth && height <= mostHeight)
        return;
    const int fitWidth = std::min(width, mostWidth), fitHeight = std::min(height, mostHeight);
    LogWarning("CMainApp::InitInstance: the display holds at most %d x %d; %d x %d becomes %d x %d\n", mostWidth,
               mostHeight, width, height, fitWidth, fitHeight);
    width = fitWidth;
    height = fitHeight;
}

// The editor frame's objects browser with its view; the frame shows the view while it exists.
struct FrameBrowser {
    explicit FrameBrowser(CMainFrame& shownIn) : frame(shownIn) {}
    ~FrameBrowser() { frame.SetObjectsBrowser(nullptr); }

    CMainFrame& frame;
    CObjectSettingsDialog dialog;
    std::unique_ptr<editor::ObjectsBrowserView> view;
};

std::shared_ptr<ObjectsBrowser> MakeFrameBrowser(CMainFrame& frame)
{
    auto browser = std::make_shared<FrameBrowser>(frame);
    browser->dialog.SetAttachmentMaker(&AttachEditorProxy);
    browser->view = std::make_unique<editor::ObjectsBrowserView>(browser->dialog, frame.GetModals());
    browser->view->LoadIcons("data\\icons\\*.bmp", true);
    frame.SetObjectsBrowser(browser->view.get());
    // The holder goes with the last copy of the dialog's pointer.
    return std::shared_ptr<ObjectsBrowser>(browser, &browser->dialog);
}

}  // namespace

Resolution SelectResolution(int index)
{
    constexpr int last = int(std::size(kResolutions)) - 1;
    if (index < 0 || index > last) {
        const int clamped = index < 0 ? 0 : last;
        LogWarning("CMainApp::InitInstance: Resolution %d is outside 0..%d; using %d\n", index, last, clamped);
        index = clamped;
    }
    return kResolutions[index];
}

bool CMainApp::InitInstance()
{
    // First: a refused or fatal start shows its box through it.
    platform::InstallMessageBoxHandler();
    if (!ClaimPlayerFolder())
        return false;
    Debug::Instance()->Initialise();
    m_debugWindows = std::make_unique<DebugWindows>();
    LogBanner();
    LogMessage("Saves and log in %s\n", FileSystem::Instance()->ShownPath(player_folder::Get()).c_str());
    player_folder::TakeOverOldFiles();
    GeParticleSystem::SetQualitySource([] { return GameParameters::Instance()->quality; });

    char directory[300] = "";
    if (!getcwd(directory, sizeof directory))
        directory[0] = '\0';
    m_startDirectory = std::string(directory) + "/";
    LogMessage("Starting in directory %s\n", m_startDirectory.c_str());

    // Without its data the game has nothing to show: it ends, saying why, instead of an empty window.
    if (!FileSystem::Instance()->AddDataFile(kDataFile, false))
        LogFatalError("CMainApp::InitInstance: the data file %s cannot be used (see %s); the game cannot start.\n",
                      FileSystem::Instance()->ShownPath(kDataFile).c_str(), ShownLogPath().c_str());

    SettingsManager* settings = SettingsManager::Instance();
    settings->LoadSettings(kConfigFile);
    int width = settings->GetInt("screenWidth");
    int height = settings->GetInt("screenHeight");
    m_fullScreen = settings->GetBool("fullscreen");

    const int resolution = ReadResolution();
    if (settings->GetInt("fullscreen") == 1) {
        const Resolution size = SelectResolution(resolution);
        width = size.width;
        height = size.height;
    }
    if (width <= 0 || height <= 0 || width > kMaxScreenSide || height > kMaxScreenSide) {
        LogWarning("CMainApp::InitInstance: no usable screen size (%d x %d) in %s; using %d x %d\n", width,
                   height, kConfigFile, kFallbackWidth, kFallbackHeight);
        width = kFallbackWidth;
        height = kFallbackHeight;
    }
    FitDisplay(m_fullScreen, width, height);

    LogMessage("Starting in mode: %d %d\n", width, height);
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(width, height);
    graphics->SetFullScreen(m_fullScreen);
    settings->UnloadAll();

    if (!CreateMainWindow(m_fullScreen, width, height))
        return false;

    shell_input::Init();

    if (!MainProgram::Instance()->Init())
        LogFatalError("CMainApp::InitInstance: the game state is missing from the data (see %s); the game cannot "
                      "start.\n",
                      ShownLogPath().c_str());
    return true;
}

bool CMainApp::CreateMainWindow(bool fullScreen, int width, int height)
{
    if (!platform::Init())
        LogFatalError("CMainApp::InitInstance: the platform layer cannot start.\n");

    // Full screen is entered by the renderer through its video mode; the window opens
    // plain at the render size.
    platform::WindowSettings windowSettings;
    windowSettings.title = "Turfbolt";
    windowSettings.width = width;
    // Room for the editor's bar from the start: the offscreen driver cannot grow a window.
    windowSettings.height = height + (fullScreen ? 0 : CMainFrame::MenuBarHeight());
    m_mainWnd = platform::Window::Create(windowSettings);
    if (!m_mainWnd)
        LogFatalError("CMainApp::InitInstance: the render window cannot be created.\n");
    if (fullScreen)
        return CreateRenderWindow(*m_mainWnd);

    // The about box links to this run's log.
    const std::string log = ShownLogPath();
    m_frame = std::make_unique<CMainFrame>(
        *this, FrameSetup{*m_debugWindows, kVersion, log, log,
                              [](const std::string& target) { return platform::OpenUrl(target.c_str()); }});
    if (!m_frame->Create(*m_mainWnd)) {
        // The game runs without its editor when only ImGui failed.
        m_frame.reset();
        if (!m_renderWindow.GetHandle())
            return false;
    }
    SetControlPanel(m_frame ? m_frame->GetControlPanel() : nullptr);
    if (m_frame)
        GameHost::SetBrowserMaker([frame = m_frame.get()] { return MakeFrameBrowser(*frame); });
    return true;
}

bool CMainApp::CreateRenderWindow(platform::Window& window)
{
    return m_renderWindow.Create(&window);
}

void CMainApp::CloseMainWindow()
{
    platform::RequestQuit();
}

bool CMainApp::Filter(platform::Event& event)
{
    if (!m_frame || !m_frame->Filter(event))
        return false;
    // What the editor does with the event may change the scene under a held picture.
    StillPicture::ForgetAll();
    return true;
}

void CMainApp::SetControlPanel(CControlPanel* panel)
{
    m_controlPanel = panel;
    if (!panel) {
        m_paused = false;
        m_timeScale = 1.0f;
    }
}

void CMainApp::GameUpdated()
{
    if (m_controlPanel && !m_paused)
        m_controlPanel->SpendStep();
}

bool CMainApp::OnIdle(long /*count*/)
{
    if (m_debugWindows)
        m_debugWindows->OnIdle();
    else
        Debug::Instance()->UpdateWatches();
    if (m_controlPanel) {
        if (shell_input::PauseGamePressed())
            m_controlPanel->SetPaused(!m_paused);
        m_timeScale = m_controlPanel->GetSpeed();
        m_paused = m_controlPanel->IsPaused();
        m_physics = m_controlPanel->IsPhysicsSimulationOn();
    }
    // The game stands while an editor modal waits; the tick after it is clamped like any stall.
    m_ticked = !(m_frame && m_frame->IsModalOpen()) && m_renderWindow.Tick();
    m_renderWindow.Invalidate();
    return true;
}

int CMainApp::Run()
{
    // A run starts with no quit pending, also when one ran before in this process.
    m_quitPosted = false;
    platform::ClearQuitRequest();
    if (!InitInstance()) {
        m_debugWindows.reset();
        return 1;
    }

    FrameLimiter limiter;
    while (!m_quitPosted) {
        {
            // Events, the tick (cursor warps) and the paint all talk to the display.
            platform::DisplayWork display;
            platform::PumpEvents(m_renderWindow, this);
            if (m_quitPosted)
                break;
            OnIdle(0);
            if (m_frame)
                m_frame->Frame();
            if (m_renderWindow.NeedsPaint())
                m_renderWindow.Paint();
        }
        // Vsync paces the loop where it exists; elsewhere it sleeps.
        platform::Window* window = m_renderWindow.GetHandle();
        const bool headless = platform::IsHeadless();
        if (window && (headless || window->GetSwapInterval() == 0))
            limiter.Pace(*m_renderWindow.GetTickHost(), m_ticked,
                         FrameLimiter::PeriodFor(headless, window->GetRefreshRate()));
    }
    platform::Shutdown();
    m_debugWindows.reset();
    return m_exitCode;
}

void CMainApp::ShutdownGame()
{
    LogMessage("MainProgram::Instance()->Exit()\n");
    MainProgram::Instance()->Exit();
    LogMessage("DXInput::Instance()->Exit()\n");
    shell_input::Exit();
    LogMessage("renderWindow.Destroy()\n");
    m_renderWindow.Destroy();
    LogMessage("renderWindow.Destroy() ok\n");
}

void CMainApp::Exit2()
{
    if (m_fullScreen)
        LogMessage("Exit2:: detach window\n");
    LogMessage("Exit2:: delete m_pMainWnd\n");
    // The frame's windows and ImGui go while the window's GL context still exists.
    SetControlPanel(nullptr);
    GameHost::SetBrowserMaker(nullptr);
    m_frame.reset();
    m_mainWnd.reset();
    LogMessage("Exit2:: delete m_pMainWnd ok\n");
}

void CMainApp::PostQuitMessage(int exitCode)
{
    m_exitCode = exitCode;
    m_quitPosted = true;
}
