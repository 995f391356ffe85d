// The render window bringing the renderer up on a window of its own.
#include <gtest/gtest.h>

#include "audio/SampleManager.h"
#include "engine/core/RwCore.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "shell/RenderWindow.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScopedEnv.h"

#include <vector>

// Asked for more than the window can have, the game renders at what the window has.
TEST(RenderWindowTest, TheRendererTakesTheSizeTheWindowGot)
{
    UseOffscreenDriverUnlessSet();
    ScopedEnv sound("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(platform::Init());
    {
        platform::WindowSettings settings;
        settings.width = 320;
        settings.height = 240;
        auto window = platform::Window::Create(settings);
        ASSERT_NE(window, nullptr);
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetDeviceKind(rwDeviceNull);
        graphics->SetScreenSize(20000, 20000);
        LogCapture log;
        RenderWindow render;
        ASSERT_TRUE(render.Create(window.get()));
        const PrimaryCamera* camera = graphics->GetPrimaryCamera();
        ASSERT_NE(camera, nullptr);
        EXPECT_EQ(std::vector<int>({graphics->GetWidth(), graphics->GetHeight(), static_cast<int>(camera->GetWidth()),
                                    static_cast<int>(camera->GetHeight())}),
                  std::vector<int>({320, 240, 320, 240}));
        EXPECT_EQ(log.Count("the view is 320 x 240, not 20000 x 20000"), 1) << log.Text();
        render.Destroy();
        SampleManager::DestroyInstance();
    }
    platform::Shutdown();
}
