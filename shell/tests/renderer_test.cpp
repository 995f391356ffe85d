// A renderer that cannot start ends the program instead of running on without a camera.
#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "shell/RenderWindow.h"
#include "support/TestRun.h"

#include <cstdio>
#include <cstdlib>

namespace {

void StartWithTheEngineAlreadyTaken()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    platform::Init();
    platform::WindowSettings settings;
    settings.width = 320;
    settings.height = 240;
    auto window = platform::Window::Create(settings);
    // The renderer's own engine start is refused.
    RwEngineInit(nullptr, 0, 0);
    RenderWindow renderWindow;
    renderWindow.Create(window.get());
    std::exit(0);
}

TEST(RendererStart, AFailedRendererIsFatalWithExitCode1)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::remove("data/log.txt");
    EXPECT_EXIT(StartWithTheEngineAlreadyTaken(), ::testing::ExitedWithCode(1), "");
    const std::string log = testrun::ReadFile("data/log.txt");
    EXPECT_NE(log.find("***ERROR: RwGraphics::Initialise: Rendering Engine failed to initialise."),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("***ERROR: RenderWindow::Create: the renderer failed to start."), std::string::npos) << log;
}

}  // namespace
