// The newspaper page drawn on the GL device, read back from its raster.
#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "framework/FileSystem.h"
#include "frontend/cutscenes/CutSceneProps.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "support/SceneTest.h"
#include "tests/support/OffscreenEngine.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace {

using Pixel = std::vector<uint8_t>;

class NewspaperPageGL : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OffscreenWindow())
            GTEST_SKIP() << "no GL 3.3 on this machine";
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetDeviceKind(rwDeviceGL);
        graphics->SetScreenSize(320, 240);
        ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
        FileSystem::Instance()->AddAlias("<PP>", "pp\\");
    }
    void TearDown() override
    {
        FileSystem::Instance()->RemoveAlias("<PP>");
        RwGraphics::Instance()->Destroy();
        CloseOffscreenWindow();
    }
    static Pixel At(const NewspaperPage& page, int x, int y)
    {
        const int size = page.GetWidth();
        std::unique_ptr<RwImage, decltype(&RwImageDestroy)> image(RwImageCreate(size, size, 32), RwImageDestroy);
        RwImageSetFromRaster(image.get(), page.GetCamera()->GetRaster());
        const uint8_t* p = image->pixels + y * image->stride + x * 4;
        return Pixel(p, p + 4);
    }
};

TEST_F(NewspaperPageGL, ImageFillsItsRectangleAndTheRestStaysBlack)
{
    WriteImage("pp/cutScenes/newspaper/Textures24Bit/R01_page.bmp", 8, 8, {200, 40, 30, 255});
    NewspaperPage page(128, 128);
    ASSERT_TRUE(page.HasPage());
    page.DrawImage("R01_page.bmp", 0.0f, 0.0f, 0.5f, 1.0f);
    EXPECT_EQ(At(page, 32, 64), (Pixel{200, 40, 30, 255}));
    EXPECT_EQ(At(page, 96, 64), (Pixel{0, 0, 0, 255}));
    // A missing image draws nothing.
    page.DrawImage("R01_missing.bmp", 0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(At(page, 96, 64), (Pixel{0, 0, 0, 255}));
}

}  // namespace
