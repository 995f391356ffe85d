#include "platform/Platform.h"

#include "framework/Debug.h"

#include <SDL.h>

#include <malloc.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

Uint32 s_subsystems = 0;  // what Init brought up, to release exactly that
// Blocks this large or larger are mapped on their own and go back to the system when freed.
// Left to itself the allocator raises this bound with each such block freed, and a
// stadium's textures, freed with its match, then stayed resident until the next one.
constexpr int kMappedBlockBytes = 128 * 1024;
thread_local int t_displayWork = 0;

bool IsHeadlessDriver(const char* name)
{
    return name && (SDL_strcasecmp(name, "offscreen") == 0 || SDL_strcasecmp(name, "dummy") == 0);
}

bool EnvSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

void ShowMessageBox(const char* title, const char* text)
{
    if (!MessageBoxAllowed())
        return;  // the framework has already logged the text
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title ? title : "", text ? text : "",
                                 nullptr) != 0) {
        // Called from inside the logger: writing to the log again here could recurse.
        std::fprintf(stderr, "platform::ShowMessageBox: %s\n%s\n", SDL_GetError(), text ? text : "");
    }
}

// Runs before the static destructors, which are registered earlier.
void EndWithoutTeardown(int status, void*)
{
    if (status == 0)
        return;
    const bool inDisplayWork = t_displayWork > 0;
    if (inDisplayWork)
        LogError("platform::DisplayWork: lost the connection to the display; ending at once with code %d\n", status);
    if (inDisplayWork || SDL_GL_GetCurrentWindow()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
}

}  // namespace

DisplayWork::DisplayWork()
{
    ++t_displayWork;
}

DisplayWork::~DisplayWork()
{
    --t_displayWork;
}

bool Init()
{
    if (s_subsystems)
        return true;
    [[maybe_unused]] static const bool hooked = on_exit(&EndWithoutTeardown, nullptr) == 0;
    [[maybe_unused]] static const bool mapped = mallopt(M_MMAP_THRESHOLD, kMappedBlockBytes) == 1;
    // A display server that goes away breaks its socket: left to the default, the next write
    // kills the game by the signal before the display library can report the lost connection.
    // A caller's own handler stays.
    [[maybe_unused]] static const bool quietPipes = [] {
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            return false;
        return signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    }();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        LogError("platform::Init: no video: %s (headless runs set SDL_VIDEODRIVER=offscreen)\n",
                 SDL_GetError());
        return false;
    }
    s_subsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS;
    // Without joysticks the game still runs, on keyboard and mouse.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0)
        s_subsystems |= SDL_INIT_GAMECONTROLLER;
    else
        LogWarning("platform::Init: no joysticks: %s\n", SDL_GetError());
    LogMessage("platform::Init: video driver %s\n", VideoDriver());
    return true;
}

void Shutdown()
{
    if (!s_subsystems)
        return;
    SDL_QuitSubSystem(s_subsystems);
    s_subsystems = 0;
}

bool IsInitialised()
{
    return s_subsystems != 0;
}

const char* VideoDriver()
{
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

bool IsHeadless()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return IsHeadlessDriver(SDL_GetCurrentVideoDriver());
    return IsHeadlessDriver(std::getenv("SDL_VIDEODRIVER"));
}

bool HasRealDisplay()
{
    if (IsHeadless())
        return false;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY");
}

const char* LastError()
{
    return SDL_GetError();
}

uint64_t PerformanceCounter()
{
    return SDL_GetPerformanceCounter();
}

uint64_t PerformanceFrequency()
{
    return SDL_GetPerformanceFrequency();
}

double SecondsBetween(uint64_t start, uint64_t end)
{
    const uint64_t frequency = SDL_GetPerformanceFrequency();
    if (end <= start || frequency == 0)
        return 0.0;
    // Long double keeps nanosecond steps exact over days of counter values.
    return static_cast<double>(static_cast<long double>(end - start) / frequency);
}

void Sleep(uint32_t milliseconds)
{
    SDL_Delay(milliseconds);
}

void InstallMessageBoxHandler()
{
    SetMessageBoxHandler(&ShowMessageBox);
}

bool MessageBoxAllowed()
{
    return !EnvSet("TB_NO_MESSAGE_BOX") && HasRealDisplay();
}

bool OpenUrl(const char* url)
{
    if (!url || SDL_OpenURL(url) != 0) {
        LogWarning("platform::OpenUrl: cannot open \"%s\": %s\n", url ? url : "", SDL_GetError());
        return false;
    }
    return true;
}

}  // namespace platform
