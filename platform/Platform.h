#pragma once

#include <cstdint>

// Our own thin layer over SDL2: start-up of video and events, timing and the message
// box. The window and its GL context are in Window.h, the event pump in Events.h, the
// cursor in Cursor.h and the display modes in DisplayModes.h.
//
// Typical use:
//     platform::Init();
//     platform::InstallMessageBoxHandler();
//     auto window = platform::Window::Create({.title = "Turfbolt", .width = 800, .height = 600});
//     while (!platform::QuitRequested()) {
//         platform::PumpEvents(handler);
//         ... draw with GL ...
//         window->Swap();
//     }
//     window.reset();
//     platform::Shutdown();
//
// Headless runs export SDL_VIDEODRIVER=offscreen (GL through EGL, no vsync) or dummy
// (no GL at all). SDL turns SIGINT and SIGTERM into quit events, so Ctrl+C and kill
// take the same path as closing the window.
namespace platform {

// Brings up SDL video and events, and joysticks and gamepads where the system has
// them. Returns false (logged) when no video driver can start; calling it again while
// up does nothing and returns true.
bool Init();
// Releases what Init brought up; windows must be destroyed before.
void Shutdown();
bool IsInitialised();

// Name of the running video driver ("x11", "wayland", "offscreen", ...), or "" when
// video is not up.
const char* VideoDriver();
// True under the offscreen and dummy drivers: nobody sees the window and there is no
// vsync. Before Init the SDL_VIDEODRIVER variable decides.
bool IsHeadless();
// A screen a person could look at: not headless, and a display to connect to.
bool HasRealDisplay();

// SDL's text for the last call that failed, for the log line right after it.
const char* LastError();

// Marks work that talks to the display server: the event pump, drawing, the buffer swap.
// X11's client library ends the process with exit code 1 when the connection breaks: a
// non-zero exit inside this work is logged as a lost display. A non-zero exit inside it,
// or while a window's GL context is current, ends the process at once (stdio flushed),
// without the static teardown that would wait for ever on a dead connection. Per thread;
// scopes nest.
class DisplayWork {
public:
    DisplayWork();
    ~DisplayWork();
    DisplayWork(const DisplayWork&) = delete;
    DisplayWork& operator=(const DisplayWork&) = delete;
};

// Monotonic high-resolution counter; its frequency never changes while running.
uint64_t PerformanceCounter();
uint64_t PerformanceFrequency();
// Seconds from one counter value to a later one; 0 when end lies before start.
double SecondsBetween(uint64_t start, uint64_t end);
void Sleep(uint32_t milliseconds);

// Makes the framework's message boxes (LogMessageBox, LogFatalError) real boxes, shown
// only when MessageBoxAllowed(); otherwise their text stays in the log alone.
void InstallMessageBoxHandler();
// A real display exists and TB_NO_MESSAGE_BOX is unset.
bool MessageBoxAllowed();

// Hands an address or a file to the desktop's default handler; false (logged with SDL's
// reason) when that failed. Whether the handler then managed to open it is not known.
bool OpenUrl(const char* url);

}  // namespace platform
