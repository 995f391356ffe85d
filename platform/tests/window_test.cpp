// The window with its GL context, the cursor and the event pump on the offscreen driver.
#include "platform/Cursor.h"
#include "platform/Events.h"
#include "platform/Platform.h"
#include "platform/Window.h"

#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using platform::DeviceEvent;
using platform::Window;

// Writes every call as a line, so that order and content are checked at once.
struct Recorder : platform::EventHandler {
    void OnQuit() override { Add("quit"); }
    void OnResized(int w, int h) override { Add("resized", w, h); }
    void OnFocus(bool gained) override { Add(gained ? "focus gained" : "focus lost"); }
    void OnExposed() override { Add("exposed"); }
    void OnKeyDown(const platform::KeyEvent& e) override { Add(e.repeat ? "repeat" : "down", e.scancode, e.key); }
    void OnKeyUp(const platform::KeyEvent& e) override { Add("up", e.scancode, e.modifiers); }
    void OnTextInput(const char* text) override { Add(std::string("text ") + text); }
    void OnMouseMotion(const platform::MouseMotionEvent& e) override { Add("move", e.x, e.y, e.dx, e.dy, e.buttons); }
    void OnMouseButton(const platform::MouseButtonEvent& e) override
    {
        Add(e.down ? "press" : "release", e.button, e.x, e.y, e.buttons);
    }
    void OnMouseWheel(int x, int y) override { Add("wheel", x, y); }
    void OnDeviceAdded(const DeviceEvent& d) override { Add("added", d.deviceIndex, d.instanceId, d.gamepad); }
    void OnDeviceRemoved(const DeviceEvent& d) override { Add("removed", d.deviceIndex, d.instanceId, d.gamepad); }
    template <typename... Numbers>
    void Add(std::string line, Numbers... numbers)
    {
        lines.push_back(((line += " " + std::to_string(numbers)), ..., line));
    }
    std::vector<std::string> lines;
};

SDL_Event Event(Uint32 type, int a = 0, int b = 0, int c = 0)
{
    SDL_Event e{};
    e.type = type;
    if (type == SDL_WINDOWEVENT)
        e.window = {type, 0, 0, static_cast<Uint8>(a), 0, 0, 0, b, c};
    else if (type == SDL_KEYDOWN || type == SDL_KEYUP)
        e.key = {type, 0, 0, 0, static_cast<Uint8>(b), 0, 0, {static_cast<SDL_Scancode>(a), 'a' + a - 4, 0x40, 0}};
    else if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP)
        e.button = {type, 0, 0, 0, static_cast<Uint8>(a), 0, 1, 0, b, c};
    else if (type == SDL_MOUSEWHEEL)
        e.wheel.x = b, e.wheel.y = c, e.wheel.direction = static_cast<Uint32>(a);
    else if (type == SDL_MOUSEMOTION)
        e.motion = {type, 0, 0, 0, SDL_BUTTON_MMASK, a, b, c, 4};
    return e;
}

std::unique_ptr<Window> Open(int width, int height, bool fullscreen = false, std::optional<int> swapInterval = {})
{
    platform::WindowSettings settings;
    settings.width = width, settings.height = height;
    settings.fullscreen = fullscreen, settings.swapInterval = swapInterval;
    return Window::Create(settings);
}

std::vector<int> Size(const Window& window, bool drawable = false)
{
    int width = 0, height = 0;
    drawable ? window.GetDrawableSize(width, height) : window.GetSize(width, height);
    return {width, height};
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseOffscreenDriverUnlessSet();
        ASSERT_TRUE(platform::Init());
        Pump({});
        recorder.lines.clear();
    }
    void TearDown() override
    {
        platform::ClearQuitRequest();
        platform::Shutdown();
    }
    int Pump(std::initializer_list<SDL_Event> events)
    {
        for (SDL_Event e : events)
            EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        return platform::PumpEvents(recorder);
    }
    Recorder recorder;
};

TEST_F(WindowTest, TheContextIsOpenGL33CoreWithDepthAndStencilAndDraws)
{
    auto window = Open(64, 48);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->MakeCurrent());
    GLint version[2] = {}, profile = 0, depth = 0, stencil = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &version[0]);
    glGetIntegerv(GL_MINOR_VERSION, &version[1]);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depth);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencil);
    EXPECT_GE(version[0] * 10 + version[1], 33);
    EXPECT_TRUE((profile & GL_CONTEXT_CORE_PROFILE_BIT) && depth >= 24 && stencil >= 8);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(60, 40, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(std::vector<int>(pixel, pixel + 4), std::vector<int>({64, 128, 191, 255}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    window->Swap();
}

TEST_F(WindowTest, SwapIntervalIsNoVsyncHeadlessUnlessAskedAndNeverMisreported)
{
    for (const std::optional<int> wanted : {std::optional<int>(), std::optional<int>(1)}) {
        auto window = Open(32, 32, false, wanted);
        ASSERT_NE(window, nullptr);
        // Some X servers refuse vsync: then 0 is kept, and the record never lies.
        EXPECT_EQ(window->GetSwapInterval(), SDL_GL_GetSwapInterval());
        EXPECT_TRUE(!platform::IsHeadless() || window->GetSwapInterval() == wanted.value_or(0));
        EXPECT_FALSE(window->SetSwapInterval(-7));
        EXPECT_EQ(window->GetSwapInterval(), 0);
    }
}

TEST_F(WindowTest, SizesFullScreenAndTheCursor)
{
    EXPECT_EQ(Size(*Open(-5, 0)), (std::vector<int>{800, 600}));
    auto window = Open(640, 480);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsVisible() && !window->IsMinimised() && !window->IsFullscreen());
    Pump({});
    recorder.lines.clear();
    ASSERT_TRUE(window->SetSize(1, 1) && window->SetSize(400, 300));
    for (const auto& [width, height] : {std::pair{0, 100}, {100, -1}, {1 << 20, 100}, {100, 16385}})
        EXPECT_FALSE(window->SetSize(width, height)) << width << " x " << height;
    EXPECT_EQ(Size(*window, true), (std::vector<int>{400, 300}));
    platform::WarpCursor(*window, 30, 40);
    Pump({});
    ASSERT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(recorder.lines[0], "resized 400 300");
    EXPECT_EQ(recorder.lines[1].rfind("move 30 40 ", 0), 0u) << recorder.lines[1];
    int x = 0, y = 0;
    platform::GetCursorPosition(x, y);
    EXPECT_EQ(std::vector<int>({x, y}), std::vector<int>({30, 40}));

    // Back from full screen the windowed size returns, also after a size change there.
    ASSERT_TRUE(window->ToggleFullscreen());
    EXPECT_TRUE(window->IsFullscreen() && window->SetFullscreen(true));
    ASSERT_TRUE(window->SetSize(1024, 768));
    ASSERT_TRUE(window->SetFullscreen(false));
    EXPECT_FALSE(window->IsFullscreen());
    EXPECT_EQ(Size(*window), (std::vector<int>{400, 300}));
    window = Open(800, 600, true);
    EXPECT_TRUE(window && window->IsFullscreen() && window->IsVisible());
}

TEST(PlatformInit, ComesUpOnceAndWithoutOpenGLOrBeforeInitGivesNoWindow)
{
    UseOffscreenDriverUnlessSet();
    EXPECT_STREQ(platform::VideoDriver(), "");
    EXPECT_EQ(Open(32, 32), nullptr);
    ASSERT_TRUE(platform::Init() && platform::Init());
    EXPECT_STRNE(platform::VideoDriver(), "");
    platform::Shutdown();
    platform::Shutdown();  // a second shutdown is harmless
    EXPECT_FALSE(platform::IsInitialised());
    EXPECT_STREQ(platform::VideoDriver(), "");
    ScopedEnv unknown("SDL_VIDEODRIVER", "no-such-driver");
    EXPECT_FALSE(platform::Init() || platform::IsInitialised());
    ScopedEnv dummy("SDL_VIDEODRIVER", "dummy");
    ASSERT_TRUE(platform::Init());
    EXPECT_EQ(Open(32, 32), nullptr);
    platform::Shutdown();
}

TEST_F(WindowTest, EventsArriveInOrderAndUnhandledOnesAreDropped)
{
    SDL_Event text = Event(SDL_TEXTINPUT);
    std::snprintf(text.text.text, sizeof text.text.text, "%s", "q");
    const int pumped = Pump(
        {Event(SDL_KEYDOWN, SDL_SCANCODE_A), Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST),
         Event(SDL_KEYDOWN, SDL_SCANCODE_A, 1), Event(SDL_KEYUP, SDL_SCANCODE_A), text,
         Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED),
         Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_SIZE_CHANGED, 640, 360),
         Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_RESIZED, 640, 360), Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_EXPOSED),
         Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_MOVED, 10, 10), Event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6),
         Event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 6), Event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 7, 8),
         Event(SDL_MOUSEBUTTONDOWN, 0, 7, 8), Event(SDL_MOUSEBUTTONDOWN, 200, 7, 8),
         Event(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 7, 8), Event(SDL_MOUSEMOTION, 20, 30, -3),
         Event(SDL_MOUSEWHEEL, SDL_MOUSEWHEEL_NORMAL, 0, 2), Event(SDL_MOUSEWHEEL, SDL_MOUSEWHEEL_FLIPPED, -1, 1)});
    EXPECT_EQ(pumped, 19);
    // Button masks hold the state after the event; numbers no mask has leave it alone.
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{
                                  "down 4 97", "focus lost", "repeat 4 97", "up 4 64", "text q", "focus gained",
                                  "resized 640 360", "exposed", "press 1 5 6 1", "press 3 5 6 5", "release 1 7 8 4",
                                  "press 0 7 8 4", "press 200 7 8 4", "release 3 7 8 0", "move 20 30 -3 4 2",
                                  "wheel 0 2", "wheel 1 -1"}));
}

TEST_F(WindowTest, CloseAndQuitAreOneRequestUntilClearedAndRequestsGoThroughThePump)
{
    EXPECT_EQ(Pump({Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE), Event(SDL_QUIT)}), 2);
    EXPECT_TRUE(platform::QuitRequested());
    platform::ClearQuitRequest();
    EXPECT_FALSE(platform::QuitRequested());
    platform::RequestQuit();
    EXPECT_FALSE(platform::QuitRequested()) << "posted, not acted on, until the pump hands it out";
    EXPECT_EQ(Pump({}), 1);
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"quit", "quit"}));
    platform::Shutdown();
    EXPECT_EQ(platform::PumpEvents(recorder), 0) << "nothing to pump";
}

TEST_F(WindowTest, JoystickArrivalAndRemovalAreReportedOnce)
{
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    const std::string id = std::to_string(SDL_JoystickGetDeviceInstanceID(index));
    Pump({});
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
    Pump({});
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"added " + std::to_string(index) + " " + id + " 1",
                                                        "removed -1 " + id + " 1"}));
}

}  // namespace
