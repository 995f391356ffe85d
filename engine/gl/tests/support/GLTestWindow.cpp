#include <gtest/gtest.h>

#include "GLTestWindow.h"

#include "platform/Platform.h"

#include <cstdlib>

namespace {
GLTestWindow* s_instance = nullptr;
}

GLTestWindow* GLTestWindow::Get(int width, int height)
{
    if (s_instance)
        return s_instance;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);  // keeps a driver chosen by the caller
    if (!platform::Init())
        return nullptr;
    platform::WindowSettings settings;
    settings.title = "gl test";
    settings.width = width;
    settings.height = height;
    settings.swapInterval = 0;
    auto window = platform::Window::Create(settings);
    if (!window)
        return nullptr;
    s_instance = new GLTestWindow();
    s_instance->m_window = std::move(window);
    return s_instance;
}

void GLTestWindow::Close()
{
    delete s_instance;
    s_instance = nullptr;
    platform::Shutdown();
}

::testing::AssertionResult PixelNear(const uint8_t* p, Rgba want, int tolerance)
{
    const int got[4] = {p[0], p[1], p[2], p[3]};
    const int expected[4] = {want.r, want.g, want.b, want.a};
    for (int i = 0; i < 4; ++i)
        if (expected[i] >= 0 && std::abs(got[i] - expected[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "pixel (" << got[0] << ", " << got[1] << ", " << got[2] << ", " << got[3]
                   << "), wanted (" << want.r << ", " << want.g << ", " << want.b << ", "
                   << want.a << ")";
    return ::testing::AssertionSuccess();
}
