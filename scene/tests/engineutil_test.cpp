// Matrices from poses, screenshots as TGA files, and the pixel operations on images.
#include "support/SceneTest.h"

#include "SceneCoreSupport.h"

#include "framework/MathUtil.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/EngineUtil.h"
#include "scene/Light.h"
#include "scene/RwGraphics.h"

#include <filesystem>

namespace {

using namespace scenetest;
using EngineUtilTest = SceneTest;

// A depth-32 image whose pixel (x, y) is given by the function.
template <typename F>
RwImage* MakeImage(int width, int height, F pixel)
{
    RwImage* image = RwImageAllocatePixels(RwImageCreate(width, height, 32));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const RwRGBA c = pixel(x, y);
            RwUInt8* p = image->pixels + y * image->stride + x * 4;
            p[0] = c.red;
            p[1] = c.green;
            p[2] = c.blue;
            p[3] = c.alpha;
        }
    return image;
}

const RwUInt8* At(const RwImage* image, int x, int y)
{
    return image->pixels + y * image->stride + x * 4;
}

TEST_F(EngineUtilTest, ATwoByTwoImageIsWrittenBottomRowFirstInBlueGreenRed)
{
    // Top row red, green; bottom row blue, white (alpha is dropped).
    const RwRGBA colours[2][2] = {{{255, 0, 0, 10}, {0, 255, 0, 20}}, {{0, 0, 255, 30}, {255, 255, 255, 40}}};
    RwImage* image = MakeImage(2, 2, [&](int x, int y) { return colours[y][x]; });
    ASSERT_TRUE(EngineUtil::SaveImage(image, "shots\\tiny.tga"));
    RwImageDestroy(image);

    const std::vector<uint8_t> expected = {
        0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0,  // header
        255, 0, 0, 255, 255, 255,                               // bottom row: blue, white
        0, 0, 255, 0, 255, 0,                                   // top row: red, green
    };
    EXPECT_EQ(ReadBytes("shots/tiny.tga"), expected);
}

TEST_F(EngineUtilTest, SaveImageRefusesImagesWithoutPixelsAndUnwritableFiles)
{
    RwImage* empty = RwImageCreate(4, 4, 32);
    EXPECT_FALSE(EngineUtil::SaveImage(empty, "empty.tga"));
    EXPECT_FALSE(std::filesystem::exists("empty.tga"));
    RwImageDestroy(empty);
    EXPECT_FALSE(EngineUtil::SaveImage(nullptr, "none.tga"));

    // A plain file stands where the folder should be.
    WriteBytes("blocker", {1});
    RwImage* image = MakeImage(1, 1, [](int, int) { return RwRGBA{1, 2, 3, 4}; });
    LogLines log;
    EXPECT_FALSE(EngineUtil::SaveImage(image, "blocker\\shot.tga"));
    EXPECT_EQ(log.Count("***ERROR: EngineUtil::SaveImage could not create file: blocker\\shot.tga\n"), 1);
    RwImageDestroy(image);
}

TEST_F(EngineUtilTest, BuildMatrixTurnsByTheWholeAngleAndThenMoves)
{
    RwMatrix m;
    EngineUtil::BuildMatrix(&m, {1, 2, 3}, Quaternion(Math::HalfPi, Vector3::UnitZ));
    // A quarter turn exactly: x goes to y.
    EXPECT_NEAR(m.right.x, 0.0f, 1e-6f);
    EXPECT_NEAR(m.right.y, 1.0f, 1e-6f);
    EXPECT_NEAR(m.up.x, -1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(m.pos.x, 1.0f);
    EXPECT_FLOAT_EQ(m.pos.y, 2.0f);
    EXPECT_FLOAT_EQ(m.pos.z, 3.0f);

    // Half a turn about an axis given unnormalised by the quaternion's vector part.
    EngineUtil::BuildMatrix(&m, {0, 0, 0}, Quaternion(0.0f, 0.0f, 2.0f, 0.0f));
    EXPECT_NEAR(m.right.x, -1.0f, 1e-6f);
    EXPECT_NEAR(m.at.z, -1.0f, 1e-6f);

    EngineUtil::BuildMatrix(&m, {4, 5, 6}, Quaternion::Identity);
    EXPECT_NEAR(m.right.x, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(m.pos.z, 6.0f);

    RwFrame* frame = RwFrameCreate();
    EngineUtil::SetFramePose({7, 8, 9}, Quaternion(Math::HalfPi, Vector3::UnitX), frame);
    const RwMatrix* pose = RwFrameGetLTM(frame);
    EXPECT_NEAR(pose->up.z, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(pose->pos.y, 8.0f);
    RwFrameDestroy(frame);
}

TEST_F(EngineUtilTest, AScreenshotOfAModelLitByItsLightsIsWrittenAsTga)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(EngineUtil::GrabCameraRaster(nullptr), nullptr);

    const RwBBox box{{100, 100, 100}, {-100, -100, -100}};
    RpWorld* world = RpWorldCreate(&box);
    RpWorldAddCamera(world, camera->GetRwCamera());
    AmbientLight ambient;
    ASSERT_TRUE(ambient.Create());
    ambient.SetColor(Color(1, 1, 1), 0.2f);
    DirectionalLight sun;
    ASSERT_TRUE(sun.Create());
    sun.SetOrientation(Quaternion::Identity);  // travelling along +z, away from the camera
    RpWorldAddLight(world, ambient.GetRwLight());
    RpWorldAddLight(world, sun.GetRwLight());

    Clump cube;
    ASSERT_TRUE(cube.CreateDummyClump());
    std::vector<RpAtomic*> atomics;
    cube.GetAtomics(atomics);
    RpAtomicSetGeometry(atomics[0], MakeCube({0, 0, 0}, 1.0f, {255, 255, 255, 255}));
    RpGeometryDestroy(RpAtomicGetGeometry(atomics[0]));
    cube.SetPosition({0, 0, 5});
    cube.Update(0);

    const float blue[4] = {0, 0, 1, 1};
    ASSERT_TRUE(RwGraphics::Instance()->BeginRender());
    camera->Clear(blue, 3);
    ASSERT_TRUE(camera->BeginUpdate());
    cube.Render();
    camera->EndUpdate();

    RwImage* shot = EngineUtil::GrabCameraRaster(camera->GetRwCamera());
    ASSERT_NE(shot, nullptr);
    RwGraphics::Instance()->Render();
    RpWorldRemoveCamera(world, camera->GetRwCamera());
    sun.Destroy();
    ambient.Destroy();
    RpWorldDestroy(world);

    ASSERT_EQ(shot->width, 800);
    ASSERT_EQ(shot->height, 600);
    // The lit face: ambient 0.2 plus the corner normals' share of the sun, grey.
    const RwUInt8* centre = At(shot, 400, 300);
    EXPECT_GT(centre[0], 150);
    EXPECT_NEAR(centre[0], centre[2], 3);
    EXPECT_TRUE(PixelIs(At(shot, 5, 5), {0, 0, 255, 255}));

    ASSERT_TRUE(EngineUtil::SaveImage(shot, "Turfbolt - 0001.tga"));
    const std::vector<uint8_t> file = ReadBytes("Turfbolt - 0001.tga");
    ASSERT_EQ(file.size(), 18u + 800u * 600u * 3u);
    EXPECT_EQ(file[2], 2);
    EXPECT_EQ(file[12] | file[13] << 8, 800);
    EXPECT_EQ(file[14] | file[15] << 8, 600);
    EXPECT_EQ(file[16], 24);
    auto filePixel = [&](int x, int y) { return &file[18 + (size_t(599 - y) * 800 + size_t(x)) * 3]; };
    for (const auto& [x, y] : {std::pair{400, 300}, std::pair{5, 5}, std::pair{0, 599}, std::pair{799, 0}}) {
        const RwUInt8* p = At(shot, x, y);
        const uint8_t* q = filePixel(x, y);
        EXPECT_EQ(q[0], p[2]) << x << "," << y;
        EXPECT_EQ(q[1], p[1]) << x << "," << y;
        EXPECT_EQ(q[2], p[0]) << x << "," << y;
    }
    RwImageDestroy(shot);
}

TEST(ImageUtil, BlendOverByTheSourceAlpha)
{
    RwImage* destination = MakeImage(2, 1, [](int, int) { return RwRGBA{100, 100, 100, 100}; });
    RwImage* clear = MakeImage(2, 1, [](int, int) { return RwRGBA{200, 0, 50, 0}; });
    ImageUtil::BlendOver(destination, clear);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(At(destination, 1, 0)[c], 100) << c;

    RwImage* mixed = MakeImage(2, 1, [](int x, int) {
        return x == 0 ? RwRGBA{200, 0, 50, 255} : RwRGBA{200, 0, 51, 128};
    });
    ImageUtil::BlendOver(destination, mixed);
    // Opaque: a copy, alpha included.
    EXPECT_EQ(At(destination, 0, 0)[0], 200);
    EXPECT_EQ(At(destination, 0, 0)[1], 0);
    EXPECT_EQ(At(destination, 0, 0)[2], 50);
    EXPECT_EQ(At(destination, 0, 0)[3], 255);
    // Half: (s - d) x 128 / 255 + d, truncated.
    EXPECT_EQ(At(destination, 1, 0)[0], 150);  // 100 + 50.196
    EXPECT_EQ(At(destination, 1, 0)[1], 49);   // 100 - 50.196
    EXPECT_EQ(At(destination, 1, 0)[2], 75);   // 100 - 24.596
    EXPECT_EQ(At(destination, 1, 0)[3], 114);  // 100 + 14.05

    // Different sizes are refused.
    RwImage* small = MakeImage(1, 1, [](int, int) { return RwRGBA{0, 0, 0, 255}; });
    ImageUtil::BlendOver(destination, small);
    EXPECT_EQ(At(destination, 0, 0)[0], 200);
    for (RwImage* image : {destination, clear, mixed, small})
        RwImageDestroy(image);
}

TEST(ImageUtil, MirrorRowsKeepsTheMiddleColumnOfAnOddWidth)
{
    RwImage* image = MakeImage(3, 2, [](int x, int y) { return RwRGBA{RwUInt8(x), RwUInt8(y), 0, 255}; });
    ImageUtil::MirrorRows(image);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(At(image, 0, y)[0], 2);
        EXPECT_EQ(At(image, 1, y)[0], 1);
        EXPECT_EQ(At(image, 2, y)[0], 0);
        EXPECT_EQ(At(image, 0, y)[1], y);
    }
    RwImageDestroy(image);
}

TEST(ImageUtil, TintScalesByWhole255ths)
{
    RwImage* image = MakeImage(1, 1, [](int, int) { return RwRGBA{200, 200, 255, 255}; });
    ImageUtil::Tint(image, 0.5f, 1.0f, 0.0f, 0.25f);
    EXPECT_EQ(At(image, 0, 0)[0], 99);  // 200 x 127 / 255
    EXPECT_EQ(At(image, 0, 0)[1], 200);
    EXPECT_EQ(At(image, 0, 0)[2], 0);
    EXPECT_EQ(At(image, 0, 0)[3], 63);  // 255 x 63 / 255
    RwImageDestroy(image);
}

}  // namespace
