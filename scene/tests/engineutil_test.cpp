// Matrices from poses, camera grabs written as TGA files, and pixel operations on images.
#include "support/SceneTest.h"

#include "framework/MathUtil.h"
#include "scene/EngineUtil.h"
#include "tests/support/LogCapture.h"

#include <filesystem>

using namespace std::string_literals;

namespace {

using EngineUtilTest = SceneTest;

std::vector<uint8_t> Bytes(const RwImage* image)
{
    return std::vector<uint8_t>(image->pixels, image->pixels + image->height * image->stride);
}

TEST_F(EngineUtilTest, AnImageIsWrittenAsTgaBottomRowFirstInBlueGreenRed)
{
    // Top row red, green; bottom row blue, white; the alpha is dropped.
    const RwRGBA colours[2][2] = {{{255, 0, 0, 10}, {0, 255, 0, 20}}, {{0, 0, 255, 30}, {255, 255, 255, 40}}};
    ASSERT_TRUE(EngineUtil::SaveImage(MakeImage(2, 2, [&](int x, int y) { return colours[y][x]; }).get(), "shots\\tiny.tga"));
    EXPECT_EQ(ReadText("shots/tiny.tga"), std::string("\0\0\2\0\0\0\0\0\0\0\0\0\2\0\2\0\x18\0"  // header
                                                       "\xff\0\0\xff\xff\xff\0\0\xff\0\xff\0",
                                                       30));

    // A grab of a camera's raster is written whole, its size above 255 in two bytes.
    EXPECT_EQ(EngineUtil::GrabCameraRaster(nullptr), nullptr);
    Camera camera;
    ASSERT_TRUE(camera.Create(300, 260, false, false, 0, 0));
    const float blue[4] = {0, 0, 1, 1};
    ASSERT_TRUE(camera.Clear(blue, 1));
    Image shot(EngineUtil::GrabCameraRaster(camera.GetRwCamera()));
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(std::pair(shot->width, shot->height), std::pair(300, 260));
    ASSERT_TRUE(EngineUtil::SaveImage(shot.get(), "Turfbolt - 0001.tga"));
    const std::string file = ReadText("Turfbolt - 0001.tga");
    ASSERT_EQ(file.size(), 18u + 300u * 260u * 3u);
    EXPECT_EQ(file.substr(12, 4), std::string("\x2c\x01\x04\x01", 4));
    EXPECT_EQ(file.substr(file.size() - 3), "\xff\0\0"s);
}

TEST_F(EngineUtilTest, SaveImageRefusesWhatItCannotWrite)
{
    WriteBytes("blocker", {1});  // a plain file where a folder should be
    Image noPixels(RwImageCreate(4, 4, 32));
    Image palettised(RwImageAllocatePixels(RwImageCreate(4, 4, 8)));
    Image image = MakeImage(1, 1, [](int, int) { return RwRGBA{1, 2, 3, 4}; });
    const std::tuple<const RwImage*, const char*, const char*> cases[] = {
        {nullptr, "none.tga", nullptr},
        {noPixels.get(), "empty.tga", nullptr},
        {palettised.get(), "palette.tga", "***ERROR: EngineUtil::SaveImage: cannot write a 4x4 image of depth 8: palette.tga\n"},
        {image.get(), "blocker\\shot.tga", "***ERROR: EngineUtil::SaveImage could not create file: blocker\\shot.tga\n"},
    };
    for (const auto& [picture, file, error] : cases) {
        LogCapture log;
        EXPECT_FALSE(EngineUtil::SaveImage(picture, file)) << file;
        EXPECT_EQ(log.Count(error ? error : "EngineUtil"), error ? 1 : 0) << file;
        EXPECT_FALSE(std::filesystem::exists(file));
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
    EXPECT_TRUE(Near(V(RwFrameGetLTM(frame)->up), {0, 0, 1}, 1e-6f));
    EXPECT_EQ(V(RwFrameGetLTM(frame)->pos), Vector3(7, 8, 9));
    RwFrameDestroy(frame);
}

TEST(ImageUtil, BlendMirrorAndTint)
{
    Image image = MakeImage(3, 1, [](int, int) { return RwRGBA{100, 100, 100, 100}; });
    const RwRGBA source[3] = {{200, 0, 50, 0}, {200, 0, 50, 255}, {200, 0, 51, 128}};
    ImageUtil::BlendOver(image.get(), MakeImage(3, 1, [&](int x, int) { return source[x]; }).get());
    // Clear: unchanged; opaque: a copy, alpha included; half: (s - d) x 128 / 255 + d, truncated.
    const std::vector<uint8_t> blended = {100, 100, 100, 100, 200, 0, 50, 255, 150, 49, 75, 114};
    EXPECT_EQ(Bytes(image.get()), blended);
    LogCapture log;
    ImageUtil::BlendOver(image.get(), MakeImage(3, 2, [](int, int) { return RwRGBA{0, 0, 0, 255}; }).get());
    EXPECT_EQ(std::pair(Bytes(image.get()), log.Count("ImageUtil::BlendOver")), std::pair(blended, 1));

    ImageUtil::MirrorRows(image.get());  // the middle column of an odd width stays
    EXPECT_EQ(Bytes(image.get()), (std::vector<uint8_t>{150, 49, 75, 114, 200, 0, 50, 255, 100, 100, 100, 100}));
    ImageUtil::Tint(image.get(), 0.5f, 1.0f, 0.0f, 0.25f);  // in whole 255ths: 0.5 is 127 of them
    EXPECT_EQ(Bytes(image.get()), (std::vector<uint8_t>{74, 49, 0, 28, 99, 0, 0, 63, 49, 100, 0, 24}));
}

}  // namespace
