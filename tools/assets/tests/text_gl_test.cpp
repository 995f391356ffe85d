// The default "menu" font drawn on the GL device: its ink lands inside the measured box,
// and the descender of 'g' reaches below the foot of 'A'.
#include "engine/core/RwCore.h"
#include "tests/support/OffscreenEngine.h"
#include "text/Font.h"
#include "text/TextDisplay.h"
#include "tools/assets/common/Registry.h"
#include "tools/common/OffscreenCamera.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

constexpr int kWidth = 128, kHeight = 64;

bool WriteFonts(const std::string& stage)
{
    for (const assets::Generator& generator : assets::RegisteredGenerators())
        if (generator.name == "text.fonts") {
            assets::AssetContext context;
            context.stageDir = stage;
            return generator.run(context);
        }
    return false;
}

TEST(TextGL, MenuFontDrawsAgInsideItsMeasuredBox)
{
    if (!OffscreenWindow())
        GTEST_SKIP() << "no OpenGL 3.3 window on this machine";
    ScopedEngine engine(rwDeviceGL);
    ASSERT_TRUE(engine.IsOpen());
    RwImageRegisterImageFormat("png", RtPngImageRead, nullptr);
    const std::string stage = std::filesystem::absolute("gl_stage").string();
    std::filesystem::remove_all(stage);
    ASSERT_TRUE(WriteFonts(stage));

    Font font;
    ASSERT_TRUE(font.Create((stage + "/data/pc/misc/fonts/Textures24Bit/austere_white.png").c_str(), "unused"));
    TextDisplay::DestroyInstance();
    TextDisplay* display = TextDisplay::Instance();
    display->RegisterFont("menu", &font);
    display->Init();
    display->SetFont("menu");
    display->SetArea({8, 8, 100, 40});
    TextRect box;
    display->MeasureText(box, "Ag");

    tools::OffscreenCamera camera;
    ASSERT_TRUE(camera.Create(kWidth, kHeight, 0.5f, 0.25f, 0.1f, 10, rwRasterTypeCamera));
    ASSERT_TRUE(camera.Begin({0, 0, 0, 255}));
    display->Print("Ag");
    camera.End();
    RwImage* image = camera.Grab();
    ASSERT_NE(image, nullptr);

    int inside = 0, outside = 0, aFoot = 0, gFoot = 0;
    const int split = static_cast<int>(box.x + font.GetAdvance('A') + font.GetSpacingX());
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (image->pixels[y * image->stride + x * 4] < 128)
                continue;
            const bool in = x >= box.x - 1 && x <= box.x + box.width + 1 && y >= box.y - 1 && y <= box.y + box.height + 1;
            ++(in ? inside : outside);
            int& foot = x < split ? aFoot : gFoot;
            foot = std::max(foot, y);
        }
    RwImageDestroy(image);
    TextDisplay::DestroyInstance();
    EXPECT_GT(inside, 60);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(gFoot, aFoot + 2);
    EXPECT_GT(box.width, 15.0f);
}

}  // namespace
