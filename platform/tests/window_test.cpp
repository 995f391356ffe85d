#include "platform/Cursor.h"
#include "platform/Events.h"
#include "platform/Window.h"

#include "support/PlatformTest.h"

#include <epoxy/gl.h>

#include <vector>

namespace {

using platform::Window;

std::unique_ptr<Window> Open(int width, int height, bool fullscreen = false, std::optional<int> swapInterval = {})
{
    platform::WindowSettings settings;
    settings.width = width;
    settings.height = height;
    settings.fullscreen = fullscreen;
    settings.swapInterval = swapInterval;
    return Window::Create(settings);
}

std::vector<int> Size(const Window& window, bool drawable = false)
{
    int width = 0, height = 0;
    (drawable ? window.GetDrawableSize(width, height) : window.GetSize(width, height));
    return {width, height};
}

class Recorder : public platform::EventHandler {
public:
    void OnResized(int width, int height) override { sizes.push_back({width, height}); }
    void OnMouseMotion(const platform::MouseMotionEvent& e) override { motions.push_back({e.x, e.y}); }
    std::vector<std::vector<int>> sizes, motions;
};

using WindowTest = PlatformTest;

TEST_F(WindowTest, TheContextIsOpenGL33CoreWithDepthAndStencilAndDrawsWherePixelsSay)
{
    auto window = Open(64, 48);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->MakeCurrent());
    GLint major = 0, minor = 0, profile = 0, depth = 0, stencil = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depth);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencil);
    EXPECT_GE(major * 10 + minor, 33);
    EXPECT_NE(profile & GL_CONTEXT_CORE_PROFILE_BIT, 0);
    EXPECT_GE(depth, 24);
    EXPECT_GE(stencil, 8);

    // A second colour in the top-right quarter shows the read-back honours positions.
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(32, 24, 32, 24);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixels[2][4] = {};
    glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixels[0]);
    glReadPixels(60, 40, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixels[1]);
    EXPECT_EQ(std::vector<int>(pixels[0], pixels[0] + 3), (std::vector<int>{64, 128, 191}));
    EXPECT_EQ(std::vector<int>(pixels[1], pixels[1] + 3), (std::vector<int>{255, 0, 0}));
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
        if (platform::IsHeadless()) {
            EXPECT_EQ(window->GetSwapInterval(), wanted.value_or(0));
        }
        EXPECT_FALSE(window->SetSwapInterval(-7));
        EXPECT_EQ(window->GetSwapInterval(), 0);
    }
}

TEST_F(WindowTest, ResizesAreReportedAndBadSizesRefusedOrReplaced)
{
    EXPECT_EQ(Size(*Open(-5, 0)), (std::vector<int>{800, 600}));
    auto window = Open(320, 240);
    ASSERT_NE(window, nullptr);
    Recorder recorder;
    platform::PumpEvents(recorder);
    recorder.sizes.clear();
    ASSERT_TRUE(window->SetSize(400, 300));
    for (const auto& [width, height] : {std::pair{0, 100}, {100, -1}, {1 << 20, 100}, {100, 16385}})
        EXPECT_FALSE(window->SetSize(width, height)) << width << " x " << height;
    EXPECT_EQ(Size(*window), (std::vector<int>{400, 300}));
    EXPECT_EQ(Size(*window, true), (std::vector<int>{400, 300}));
    platform::PumpEvents(recorder);
    EXPECT_EQ(recorder.sizes, (std::vector<std::vector<int>>{{400, 300}}));
}

TEST_F(WindowTest, FullScreenTogglesAndTheWindowedSizeReturns)
{
    auto window = Open(640, 480);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsVisible() && !window->IsMinimised() && !window->IsFullscreen());
    ASSERT_TRUE(window->ToggleFullscreen());
    EXPECT_TRUE(window->IsFullscreen());
    EXPECT_TRUE(window->SetFullscreen(true)) << "already there";
    ASSERT_TRUE(window->SetSize(1024, 768));
    ASSERT_TRUE(window->SetFullscreen(false));
    EXPECT_FALSE(window->IsFullscreen());
    EXPECT_EQ(Size(*window), (std::vector<int>{640, 480}));

    window = Open(800, 600, true);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsFullscreen() && window->IsVisible());
}

TEST_F(WindowTest, TheCursorWarpsShowsAndHides)
{
    auto window = Open(200, 100);
    ASSERT_NE(window, nullptr);
    Recorder recorder;
    platform::WarpCursor(*window, 30, 40);
    platform::PumpEvents(recorder);
    int x = 0, y = 0;
    platform::GetCursorPosition(x, y);
    EXPECT_EQ((std::vector<int>{x, y}), (std::vector<int>{30, 40}));
    ASSERT_FALSE(recorder.motions.empty());
    EXPECT_EQ(recorder.motions.back(), (std::vector<int>{30, 40}));
    for (const bool shown : {false, true}) {
        platform::ShowCursor(shown);
        EXPECT_EQ(platform::IsCursorShown(), shown);
    }
    // The headless drivers have no relative mode: refused, and the state says so.
    const bool relative = platform::SetRelativeMouseMode(true);
    EXPECT_EQ(platform::IsRelativeMouseMode(), relative);
    if (platform::IsHeadless()) {
        EXPECT_FALSE(relative);
    }
    platform::SetRelativeMouseMode(false);
}

TEST(WindowWithoutGL, BeforeInitOrUnderTheDummyDriverThereIsNoWindowAndNoCrash)
{
    ScopedEnv driver("SDL_VIDEODRIVER", "dummy");
    EXPECT_EQ(Open(32, 32), nullptr);
    ASSERT_TRUE(platform::Init());
    EXPECT_EQ(Open(32, 32), nullptr);
    platform::Shutdown();
}

}  // namespace
