// Matrices from poses, camera grabs written as TGA files, and pixel operations on images.
#include "support/SceneTest.h"

#include "framework/MathUtil.h"
#include "scene/EngineUtil.h"
#include "tests/support/LogCapture.h"

#include <filesystem>

namespace {

using EngineUtilTest = SceneTest;
using Bytes = std::vector<uint8_t>;

TEST_F(EngineUtilTest, ACameraGrabIsWrittenAsTgaBottomRowFirstInBlueGreenRed)
{
    EXPECT_EQ(EngineUtil::GrabCameraRaster(nullptr), nullptr);
    Camera camera;  // wider and higher than one byte holds
    ASSERT_TRUE(camera.Create(300, 260, false, false, 0, 0));
    const float blue[4] = {0, 0, 1, 1};
    ASSERT_TRUE(camera.Clear(blue, 1));
    Image shot(EngineUtil::GrabCameraRaster(camera.GetRwCamera()));
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(std::pair(shot->width, shot->height), std::pair(300, 260));
    // Top row red, green; bottom row blue, white; the alpha is dropped.
    const RwRGBA corners[4] = {{255, 0, 0, 10}, {0, 255, 0, 20}, {0, 0, 255, 30}, {255, 255, 255, 40}};
    for (int i = 0; i < 4; ++i)
        std::copy_n(&corners[i].red, 4, shot->pixels + (i / 2) * 259 * shot->stride + (i % 2) * 299 * 4);
    ASSERT_TRUE(EngineUtil::SaveImage(shot.get(), "shots\\grab.tga"));
    const std::string file = ReadText("shots/grab.tga");
    ASSERT_EQ(file.size(), 18u + 300u * 260u * 3u);
    EXPECT_EQ(file.substr(0, 18), std::string("\0\0\2\0\0\0\0\0\0\0\0\0\x2c\1\4\1\x18\0", 18));
    const auto pixel = [&](int x, int y) { return file.substr(18 + (static_cast<size_t>(259 - y) * 300 + x) * 3, 3); };
    EXPECT_EQ(std::tuple(pixel(0, 0), pixel(299, 0), pixel(0, 259), pixel(299, 259), pixel(1, 1)),
              std::tuple(std::string("\0\0\xff", 3), std::string("\0\xff\0", 3), std::string("\xff\0\0", 3),
                         std::string("\xff\xff\xff"), std::string("\xff\0\0", 3)));
}

TEST_F(EngineUtilTest, SaveImageRefusesWhatItCannotWrite)
{
    WriteBytes("blocker", {1});  // a plain file where a folder should be
    Image noPixels(RwImageCreate(4, 4, 32)), palettised(RwImageAllocatePixels(RwImageCreate(4, 4, 8)));
    Image image = MakeImage(1, 1, [](int, int) { return RwRGBA{1, 2, 3, 4}; });
    const std::tuple<const RwImage*, const char*, const char*> cases[] = {
        {nullptr, "none.tga", nullptr},
        {noPixels.get(), "empty.tga", nullptr},
        {palettised.get(), "palette.tga", "***ERROR: EngineUtil::SaveImage: cannot write a 4x4 image of depth 8: palette.tga\n"},
        {image.get(), "blocker\\shot.tga", "***ERROR: EngineUtil::SaveImage could not create file: blocker\\shot.tga\n"},
    };
    for (const auto& [picture, file, error] : cases) {
        LogCapture log;
        EXPECT_FALSE(EngineUtil::SaveImage(picture, file) || std::filesystem::exists(file)) << file;
        EXPECT_EQ(log.Count(error ? error : "EngineUtil"), error ? 1 : 0) << file;
    }
}

TEST_F(EngineUtilTest, BuildMatrixTurnsByTheWholeAngleAndThenMoves)
{
    const std::tuple<Vector3, Quaternion, Vector3, Vector3, Vector3> cases[] = {
        {{1, 2, 3}, Quaternion(Math::HalfPi, Vector3::UnitZ), {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},
        // Half a turn about an axis given unnormalised by the quaternion's vector part.
        {{0, 0, 0}, Quaternion(0.0f, 0.0f, 2.0f, 0.0f), {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}},
        {{4, 5, 6}, Quaternion::Identity, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
    };
    for (const auto& [position, rotation, right, up, at] : cases) {
        RwMatrix m;
        EngineUtil::BuildMatrix(&m, position, rotation);
        EXPECT_TRUE(Near(V(m.right), right, 1e-6f) && Near(V(m.up), up, 1e-6f) && Near(V(m.at), at, 1e-6f)) << position.x;
        EXPECT_EQ(V(m.pos), position);
    }
    RwFrame* frame = RwFrameCreate();
    EngineUtil::SetFramePose({7, 8, 9}, Quaternion(Math::HalfPi, Vector3::UnitX), frame);
    EXPECT_TRUE(Near(V(RwFrameGetLTM(frame)->up), {0, 0, 1}, 1e-6f) && Near(V(RwFrameGetLTM(frame)->pos), {7, 8, 9}));
    RwFrameDestroy(frame);
}

TEST(ImageUtil, BlendMirrorAndTint)
{
    // Over grey: clear leaves it; opaque copies, alpha included; half gives (s - d) x 128 / 255 + d.
    const RwRGBA grey{100, 100, 100, 100}, clear{200, 0, 50, 0}, opaque{200, 0, 50, 255}, half{200, 0, 51, 128};
    const RwRGBA sources[2][2] = {{clear, opaque}, {half, opaque}};
    Image image = MakeImage(2, 2, [&](int, int) { return grey; });
    ImageUtil::BlendOver(image.get(), MakeImage(2, 2, [&](int x, int y) { return sources[y][x]; }).get());
    const Bytes blended = {100, 100, 100, 100, 200, 0, 50, 255, 150, 49, 75, 114, 200, 0, 50, 255};
    const auto bytes = [&] { return Bytes(image->pixels, image->pixels + 16); };
    EXPECT_EQ(bytes(), blended);
    LogCapture log;
    ImageUtil::BlendOver(image.get(), MakeImage(2, 1, [&](int, int) { return opaque; }).get());
    EXPECT_EQ(std::pair(bytes(), log.Count("ImageUtil::BlendOver")), std::pair(blended, 1));

    ImageUtil::MirrorRows(image.get());
    EXPECT_EQ(bytes(), (Bytes{200, 0, 50, 255, 100, 100, 100, 100, 200, 0, 50, 255, 150, 49, 75, 114}));
    ImageUtil::Tint(image.get(), 0.5f, 1.0f, 0.0f, 0.25f);  // in whole 255ths: 0.5 is 127 of them
    EXPECT_EQ(bytes(), (Bytes{99, 0, 0, 63, 49, 100, 0, 24, 99, 0, 0, 63, 74, 49, 0, 28}));
}

}  // namespace
