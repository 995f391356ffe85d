#include "platform/Cursor.h"
#include "platform/Events.h"
#include "platform/Window.h"

#include "Headless.h"

#include <epoxy/gl.h>

#include <cstdio>
#include <vector>

namespace {

using platform::Window;
using platform::WindowSettings;

WindowSettings Sized(int width, int height)
{
    WindowSettings settings;
    settings.title = "test";
    settings.width = width;
    settings.height = height;
    return settings;
}

struct Rgba {
    int r, g, b, a;
};

Rgba ReadPixel(int x, int y)
{
    unsigned char p[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

class ResizeRecorder : public platform::EventHandler {
public:
    void OnResized(int width, int height) override { sizes.push_back({width, height}); }
    void OnMouseMotion(const platform::MouseMotionEvent& e) override { motions.push_back({e.x, e.y}); }
    std::vector<std::pair<int, int>> sizes;
    std::vector<std::pair<int, int>> motions;
};

using WindowTest = PlatformFixture;

TEST_F(WindowTest, ContextIsOpenGL33CoreWithDepthAndStencil)
{
    auto window = Window::Create(Sized(320, 240));
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->GetSDLWindow(), nullptr);
    ASSERT_NE(window->GetGLContext(), nullptr);
    EXPECT_TRUE(window->MakeCurrent());

    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    int major = 0;
    int minor = 0;
    ASSERT_EQ(std::sscanf(version, "%d.%d", &major, &minor), 2) << version;
    EXPECT_GE(major * 10 + minor, 33) << version;

    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_NE(profile & GL_CONTEXT_CORE_PROFILE_BIT, 0);

    GLint depth = 0;
    GLint stencil = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH,
                                          GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depth);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL,
                                          GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencil);
    EXPECT_GE(depth, 24);
    EXPECT_GE(stencil, 8);
    // The offscreen driver draws into an EGL pbuffer, which has a single buffer.
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    if (!platform::IsHeadless()) {
        EXPECT_EQ(doubleBuffered, GL_TRUE);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WindowTest, ClearedPixelsReadBack)
{
    auto window = Window::Create(Sized(64, 48));
    ASSERT_NE(window, nullptr);
    glViewport(0, 0, 64, 48);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // A second colour in the top-right quarter shows the read-back honours positions.
    glEnable(GL_SCISSOR_TEST);
    glScissor(32, 24, 32, 24);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    const Rgba background = ReadPixel(5, 5);
    EXPECT_NEAR(background.r, 64, 1);
    EXPECT_NEAR(background.g, 128, 1);
    EXPECT_NEAR(background.b, 191, 1);
    const Rgba corner = ReadPixel(60, 40);
    EXPECT_EQ(corner.r, 255);
    EXPECT_EQ(corner.g, 0);
    EXPECT_EQ(corner.b, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    window->Swap();
}

TEST_F(WindowTest, SwapIntervalDefaultsToNoVsyncHeadlessAndIsASetting)
{
    auto window = Window::Create(Sized(32, 32));
    ASSERT_NE(window, nullptr);
    // Some X servers refuse vsync: then 0 is kept, and the record never lies.
    EXPECT_EQ(window->GetSwapInterval(), SDL_GL_GetSwapInterval());
    if (platform::IsHeadless()) {
        EXPECT_EQ(window->GetSwapInterval(), 0);
    }

    EXPECT_FALSE(window->SetSwapInterval(-7));
    EXPECT_EQ(window->GetSwapInterval(), 0);
    window.reset();

    WindowSettings settings = Sized(32, 32);
    settings.swapInterval = 1;
    window = Window::Create(settings);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetSwapInterval(), SDL_GL_GetSwapInterval());
    if (platform::IsHeadless()) {
        EXPECT_EQ(window->GetSwapInterval(), 1);  // accepted, though nothing waits
    }
}

TEST_F(WindowTest, ResizeIsReportedAndBadSizesAreRefused)
{
    auto window = Window::Create(Sized(320, 240));
    ASSERT_NE(window, nullptr);
    ResizeRecorder recorder;
    platform::PumpEvents(recorder);
    recorder.sizes.clear();

    ASSERT_TRUE(window->SetSize(400, 300));
    int width = 0;
    int height = 0;
    window->GetSize(width, height);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    window->GetDrawableSize(width, height);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    platform::PumpEvents(recorder);
    ASSERT_EQ(recorder.sizes.size(), 1u);
    EXPECT_EQ(recorder.sizes[0], std::make_pair(400, 300));

    EXPECT_FALSE(window->SetSize(0, 100));
    EXPECT_FALSE(window->SetSize(100, -1));
    EXPECT_FALSE(window->SetSize(1 << 20, 100));
    window->GetSize(width, height);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
}

TEST_F(WindowTest, BadSizeAtCreationFallsBack)
{
    auto window = Window::Create(Sized(-5, 0));
    ASSERT_NE(window, nullptr);
    int width = 0;
    int height = 0;
    window->GetSize(width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
}

TEST_F(WindowTest, FullScreenTogglesAndTheWindowedSizeReturns)
{
    auto window = Window::Create(Sized(640, 480));
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->IsFullscreen());
    EXPECT_TRUE(window->IsVisible());
    EXPECT_FALSE(window->IsMinimised());

    ASSERT_TRUE(window->ToggleFullscreen());
    EXPECT_TRUE(window->IsFullscreen());
    ASSERT_TRUE(window->SetFullscreen(false));
    EXPECT_FALSE(window->IsFullscreen());
    int width = 0;
    int height = 0;
    window->GetSize(width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);

    WindowSettings settings = Sized(800, 600);
    settings.fullscreen = true;
    window = Window::Create(settings);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsFullscreen());
    EXPECT_TRUE(window->IsVisible());
}

TEST_F(WindowTest, CursorWarpsShowsAndHides)
{
    auto window = Window::Create(Sized(200, 100));
    ASSERT_NE(window, nullptr);
    ResizeRecorder recorder;
    platform::PumpEvents(recorder);

    platform::WarpCursor(*window, 30, 40);
    platform::PumpEvents(recorder);
    int x = 0;
    int y = 0;
    platform::GetCursorPosition(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    ASSERT_FALSE(recorder.motions.empty());
    EXPECT_EQ(recorder.motions.back(), std::make_pair(30, 40));

    platform::ShowCursor(false);
    EXPECT_FALSE(platform::IsCursorShown());
    platform::ShowCursor(true);
    EXPECT_TRUE(platform::IsCursorShown());

    // The headless drivers have no relative mode: refused, and the state says so.
    const bool relative = platform::SetRelativeMouseMode(true);
    EXPECT_EQ(platform::IsRelativeMouseMode(), relative);
    if (platform::IsHeadless()) {
        EXPECT_FALSE(relative);
    }
    platform::SetRelativeMouseMode(false);
}

TEST(WindowWithoutGL, TheDummyDriverGivesNoWindowAndNoCrash)
{
    ScopedEnv driver("SDL_VIDEODRIVER", "dummy");
    ASSERT_TRUE(platform::Init());
    EXPECT_TRUE(platform::IsHeadless());
    EXPECT_EQ(Window::Create(Sized(32, 32)), nullptr);
    platform::Shutdown();
}

TEST(WindowWithoutPlatform, CreateBeforeInitFails)
{
    UseOffscreenDriverUnlessSet();
    ASSERT_FALSE(platform::IsInitialised());
    EXPECT_EQ(Window::Create(Sized(32, 32)), nullptr);
}

}  // namespace
