// Images: textures, the level's texture dictionary, TGA files, pixel operations and pose matrices.
#include "support/SceneTest.h"

#include "framework/FileSystem.h"
#include "framework/MathUtil.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/Texture.h"
#include "tests/support/LogCapture.h"

#include <filesystem>
#include <fstream>

namespace {

// A depth-32 image whose pixel (x, y) the function gives.
Image MakeImage(int width, int height, const std::function<RwRGBA(int, int)>& pixel)
{
    Image image(RwImageAllocatePixels(RwImageCreate(width, height, 32)), RwImageDestroy);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            *reinterpret_cast<RwRGBA*>(image->pixels + y * image->stride + x * 4) = pixel(x, y);
    return image;
}

class TextureTest : public SceneTest {
protected:
    void SetUp() override
    {
        FileSystem::Instance()->AddAlias("<TP>", "tex\\");
        const auto green = [](int, int) { return RwRGBA{0, 200, 0, 255}; };
        for (const auto& [path, width] : {std::pair{"tex/grass.bmp", 4}, std::pair{"tex/flag.bmp", 2},
                                          std::pair{"tex/flag_mask.bmp", 2}})
            ASSERT_TRUE(RwImageWrite(MakeImage(width, 2, green).get(), path));
    }
    void TearDown() override { TextureManager::Instance()->Shutdown(); }

    TextureManager* manager = TextureManager::Instance();
};

TEST_F(TextureTest, TexturesAreSharedByFileAndMaskNamesInAnyCase)
{
    Texture* grass = manager->CreateTexture("<TP>grass.bmp", nullptr, false);
    Texture* flag = manager->CreateTexture("<TP>flag.bmp", "<TP>flag_mask.bmp", false);
    ASSERT_TRUE(grass && flag);
    EXPECT_STREQ(RwImageGetPath(), "tex\\");
    EXPECT_EQ(std::tuple(grass->GetFileName(), grass->GetName(), grass->GetMaskName(), flag->GetMaskName(),
                         RwTextureGetMaskName(flag->GetHandle())),
              std::tuple("tex\\grass.bmp", "grass.bmp", "", "tex\\flag_mask.bmp", std::string("flag_mask.bmp")));
    EXPECT_TRUE(grass->GetRaster() == RwTextureGetRaster(grass->GetHandle()) && !RwTextureGetMipmapping());
    // Without a mask name any mask matches.
    const std::tuple<const char*, const char*, Texture*> lookups[] = {
        {"TEX\\Grass.BMP", nullptr, grass},       {"tex\\flag.bmp", nullptr, flag},
        {"tex\\flag.bmp", "TEX\\FLAG_mask.bmp", flag}, {"tex\\flag.bmp", "tex\\other_mask.bmp", nullptr},
        {"tex\\grass.bm", nullptr, nullptr}};
    for (const auto& [file, mask, found] : lookups)
        EXPECT_EQ(manager->FindTexture(file, mask), found) << file << " " << (mask ? mask : "-");
    // Names are expanded before the lookup; the mip-map flags stay set for later reads.
    EXPECT_TRUE(manager->CreateTexture("TEX/Grass.BMP", nullptr, true) == grass &&
                !manager->CreateTexture("<TP>missing.bmp", nullptr, true) && manager->GetTextures().size() == 2);
    EXPECT_TRUE(RwTextureGetMipmapping() && RwTextureGetAutoMipmapping());
}

TEST_F(TextureTest, ALevelDictionaryReplacesTheLastOneAndGivesBackTheOuterOne)
{
    for (const auto& [path, name] : {std::pair{"levels\\one.txd", "turf"}, std::pair{"levels\\two.txd", "stands"}}) {
        RwTexDictionary* dictionary = RwTexDictionaryCreate();
        RwTexture* texture = RwTextureCreate(RwRasterCreate(2, 2, 32, rwRasterTypeTexture | rwRasterFormat8888));
        RwTextureSetName(RwTexDictionaryAddTexture(dictionary, texture), name);
        WriteEngineFile(path, [&](RwStream* stream) { return RwTexDictionaryStreamWrite(dictionary, stream); });
        RwTexDictionaryDestroy(dictionary);
    }
    RwTexDictionary* outer = RwTexDictionarySetCurrent(RwTexDictionaryCreate());
    // A file that holds no dictionary changes nothing.
    const auto refused = [&](const char* file, RwTexDictionary* current) {
        LogCapture log;
        EXPECT_FALSE(manager->ReadDictionary(file));
        EXPECT_EQ(std::tuple(RwTexDictionaryGetCurrent(), manager->GetDictionary()),
                  std::tuple(current, current == outer ? nullptr : current));
        return log.lines.empty() ? std::string() : log.lines.back();
    };
    EXPECT_EQ(refused("levels\\missing.txd", outer),
              "***WARNING: TextureManager::ReadDictionary - Could not read levels\\missing.txd.\n");
    const std::string none = "***WARNING: TextureManager::ReadDictionary - No texture dictionary in tex\\grass.bmp.\n";
    EXPECT_EQ(refused("tex\\grass.bmp", outer), none);

    ASSERT_TRUE(manager->ReadDictionary("levels\\one.txd"));
    RwTexDictionary* first = manager->GetDictionary();
    Texture* turf = manager->CreateTexture("turf", nullptr, false);  // no such file: from the dictionary
    ASSERT_TRUE(turf && turf->GetHandle()->dict == first && RwTexDictionaryGetCurrent() == first);
    EXPECT_EQ(refused("tex\\grass.bmp", first), none);
    // The first is given back and destroyed before the second is read; its texture stays ours.
    ASSERT_TRUE(manager->ReadDictionary("levels\\two.txd"));
    EXPECT_TRUE(RwTexDictionaryGetCurrent() == manager->GetDictionary() &&
                RwTexDictionaryFindNamedTexture(manager->GetDictionary(), "stands"));
    EXPECT_TRUE(turf->GetHandle()->dict == nullptr && turf->GetRaster()->width == 2);
    for (int shutdown = 0; shutdown < 2; ++shutdown)  // the second finds no dictionary to give back
        EXPECT_TRUE(manager->Shutdown() && manager->GetTextures().empty() && !manager->GetDictionary() &&
                    RwTexDictionaryGetCurrent() == outer);
    RwTexDictionaryDestroy(outer);
}

TEST_F(TextureTest, ATextureTableLoadsTheTextureAndTheManagerTableReadsNothing)
{
    Texture source, texture;
    ASSERT_TRUE(source.Load("<TP>grass.bmp", nullptr) && source.Load("<TP>flag.bmp", "<TP>flag_mask.bmp"));
    SerializeTable(source, "texture.txt", "Flag", true);
    SerializeTable(texture, "texture.txt", "Flag", false);
    ASSERT_NE(texture.GetHandle(), nullptr);
    EXPECT_EQ(std::tuple(texture.GetFileName(), texture.GetMaskName(), RwTextureGetMaskName(texture.GetHandle())),
              std::tuple(source.GetFileName(), source.GetMaskName(), std::string("flag_mask.bmp")));
    const Texture* grass = manager->CreateTexture("<TP>grass.bmp", nullptr, false);
    const RwTexture* handle = grass->GetHandle();
    SerializeTable(*manager, "manager.txt", "Textures", true);
    SerializeTable(*manager, "manager.txt", "Textures", false);
    EXPECT_TRUE(manager->GetTextures().size() == 1 && grass->GetHandle() == handle);
}

using EngineUtilTest = SceneTest;
using Bytes = std::vector<uint8_t>;

TEST_F(EngineUtilTest, ACameraGrabIsSavedAsTgaBottomRowFirstInBlueGreenRedAndOtherImagesAreRefused)
{
    EXPECT_EQ(EngineUtil::GrabCameraRaster(nullptr), nullptr);
    Camera camera;  // wider and higher than one byte holds
    const float blue[4] = {0, 0, 1, 1};
    ASSERT_TRUE(camera.Create(300, 260, false, false, 0, 0) && camera.Clear(blue, 1));
    Image shot(EngineUtil::GrabCameraRaster(camera.GetRwCamera()), RwImageDestroy);
    ASSERT_NE(shot, nullptr);
    // The top left red, the bottom right green; the alpha is dropped.
    std::copy_n("\xff\0\0\x10", 4, shot->pixels);
    std::copy_n("\0\xff\0\x20", 4, shot->pixels + 259 * shot->stride + 299 * 4);
    ASSERT_TRUE(EngineUtil::SaveImage(shot.get(), "shots\\grab.tga"));
    std::ifstream in("shots/grab.tga", std::ios::binary);
    const std::string file(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(file.size(), 18u + 300u * 260u * 3u);
    const auto pixel = [&](int x, int y) { return file.substr(18 + (static_cast<size_t>(259 - y) * 300 + x) * 3, 3); };
    EXPECT_EQ(std::tuple(file.substr(0, 18), pixel(0, 0), pixel(299, 259), pixel(299, 0)),
              std::tuple(std::string("\0\0\2\0\0\0\0\0\0\0\0\0\x2c\1\4\1\x18\0", 18), std::string("\0\0\xff", 3),
                         std::string("\0\xff\0", 3), std::string("\xff\0\0", 3)));

    std::ofstream("blocker") << "a plain file where a folder should be";
    RwUInt8 bytes[16] = {};
    const RwImage noPixels{0, 2, 2, 32, 8, nullptr, nullptr}, shallow{0, 2, 2, 16, 8, bytes, nullptr},
        narrow{0, 0, 2, 32, 8, bytes, nullptr}, flat{0, 2, 0, 32, 8, bytes, nullptr};
    const std::tuple<const RwImage*, const char*, const char*> cases[] = {
        {nullptr, "none.tga", nullptr},
        {&noPixels, "empty.tga", nullptr},
        {&narrow, "narrow.tga", "EngineUtil::SaveImage: cannot write a 0x2 image of depth 32: narrow.tga\n"},
        {&flat, "flat.tga", "EngineUtil::SaveImage: cannot write a 2x0 image of depth 32: flat.tga\n"},
        {&shallow, "shallow.tga", "EngineUtil::SaveImage: cannot write a 2x2 image of depth 16: shallow.tga\n"},
        {shot.get(), "blocker\\shot.tga", "EngineUtil::SaveImage could not create file: blocker\\shot.tga\n"}};
    for (const auto& [picture, name, error] : cases) {
        std::filesystem::remove(name);
        LogCapture log;
        EXPECT_FALSE(EngineUtil::SaveImage(picture, name) || std::filesystem::exists(name)) << name;
        EXPECT_EQ(log.Count(error ? error : "EngineUtil"), error ? 1 : 0) << name;
    }
}

TEST_F(EngineUtilTest, BuildMatrixTurnsByTheWholeAngleAndThenMoves)
{
    const std::tuple<Vector3, Quaternion, Vector3, Vector3> cases[] = {
        {{1, 2, 3}, Quaternion(Math::HalfPi, Vector3::UnitZ), {0, 1, 0}, {-1, 0, 0}},
        // Half a turn about an axis given unnormalised by the quaternion's vector part.
        {{4, 5, 6}, Quaternion(0.0f, 0.0f, 2.0f, 0.0f), {-1, 0, 0}, {0, 1, 0}}};
    for (const auto& [position, rotation, right, up] : cases) {
        RwMatrix m;
        EngineUtil::BuildMatrix(&m, position, rotation);
        EXPECT_TRUE(Near(V(m.right), right, 1e-6f) && Near(V(m.up), up, 1e-6f) && V(m.pos) == position) << position.x;
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
    LogCapture log;  // another size is refused
    ImageUtil::BlendOver(image.get(), MakeImage(2, 1, [&](int, int) { return opaque; }).get());
    EXPECT_EQ(std::pair(bytes(), log.Count("ImageUtil::BlendOver")), std::pair(blended, 1));
    ImageUtil::Tint(image.get(), 0.5f, 1.0f, 0.0f, 0.25f);  // in whole 255ths: 0.5 is 127 of them
    EXPECT_EQ(bytes(), (Bytes{49, 100, 0, 24, 99, 0, 0, 63, 74, 49, 0, 28, 99, 0, 0, 63}));
    Image row = MakeImage(4, 1, [](int x, int) { return RwRGBA{RwUInt8(x), 0, 0, 0}; });
    ImageUtil::MirrorRows(row.get());
    EXPECT_EQ(Bytes(row->pixels, row->pixels + 16), (Bytes{3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
