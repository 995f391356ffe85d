// Textures shared by file name, masks, tables, and the level's texture dictionary.
#include "support/SceneTest.h"

#include "framework/FileSystem.h"
#include "scene/Texture.h"
#include "tests/support/LogCapture.h"

namespace {

void WriteImage(const char* path, int width, RwRGBA colour)
{
    ASSERT_TRUE(RwImageWrite(MakeImage(width, 2, [&](int, int) { return colour; }).get(), path)) << path;
}

// A dictionary file holding one texture of that name.
void WriteDictionary(const char* path, const char* textureName)
{
    RwRaster* raster = RwRasterCreate(2, 2, 32, rwRasterTypeTexture | rwRasterFormat8888);
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    RwTextureSetName(RwTexDictionaryAddTexture(dictionary, RwTextureCreate(raster)), textureName);
    WriteEngineFile(path, [&](RwStream* stream) { return RwTexDictionaryStreamWrite(dictionary, stream) != nullptr; });
    RwTexDictionaryDestroy(dictionary);
}

class TextureTest : public SceneTest {
protected:
    void SetUp() override
    {
        FileSystem::Instance()->AddAlias("<TP>", "tex\\");
        WriteImage("tex/grass.bmp", 4, {0, 200, 0, 255});
        WriteImage("tex/flag.bmp", 2, {200, 0, 0, 255});
        WriteImage("tex/flag_mask.bmp", 2, {255, 255, 255, 255});
    }
    void TearDown() override { TextureManager::Instance()->Shutdown(); }

    TextureManager* manager = TextureManager::Instance();
};

TEST_F(TextureTest, TexturesAreSharedByFileAndMaskNamesInAnyCase)
{
    Texture* grass = manager->CreateTexture("<TP>grass.bmp", nullptr, false);
    Texture* flag = manager->CreateTexture("<TP>flag.bmp", "<TP>flag_mask.bmp", false);
    ASSERT_TRUE(grass && flag);
    EXPECT_EQ(std::tuple(grass->GetFileName(), grass->GetName(), grass->GetMaskName(), flag->GetMaskName()),
              std::tuple("tex\\grass.bmp", "grass.bmp", "", "tex\\flag_mask.bmp"));
    EXPECT_EQ(std::pair(grass->GetRaster(), grass->GetRaster()->width), std::pair(RwTextureGetRaster(grass->GetHandle()), 4));
    EXPECT_STREQ(RwTextureGetMaskName(flag->GetHandle()), "flag_mask.bmp");
    EXPECT_FALSE(RwTextureGetMipmapping());

    // Without a mask name any mask matches.
    const std::tuple<const char*, const char*, Texture*> lookups[] = {
        {"TEX\\Grass.BMP", nullptr, grass}, {"tex\\grass.bmp", "", grass},     {"tex\\flag.bmp", nullptr, flag},
        {"tex\\flag.bmp", "TEX\\FLAG_mask.bmp", flag}, {"tex\\flag.bmp", "tex\\other_mask.bmp", nullptr},
        {"tex\\grass.bm", nullptr, nullptr},
    };
    for (const auto& [file, mask, found] : lookups)
        EXPECT_EQ(manager->FindTexture(file, mask), found) << file << " " << (mask ? mask : "-");
    // Names are expanded before the lookup; the mip-map flags stay set for later reads.
    EXPECT_EQ(std::pair(manager->CreateTexture("TEX/Grass.BMP", nullptr, true), manager->CreateTexture("<TP>missing.bmp", nullptr, true)),
              std::pair(grass, static_cast<Texture*>(nullptr)));
    EXPECT_TRUE(RwTextureGetMipmapping() && RwTextureGetAutoMipmapping());
    EXPECT_EQ(manager->GetTextures(), (std::vector<Texture*>{grass, flag}));
}

TEST_F(TextureTest, OnlyANameWithAFolderSetsTheImagePath)
{
    RwImageSetPath("keep\\");
    Texture plain, grass;
    EXPECT_FALSE(plain.Load("nofolder.bmp", nullptr));
    EXPECT_STREQ(RwImageGetPath(), "keep\\");
    EXPECT_TRUE(grass.Load("tex/grass.bmp", nullptr));
    EXPECT_STREQ(RwImageGetPath(), "tex\\");
    EXPECT_TRUE(grass.Release() && grass.GetHandle() == nullptr && grass.GetRaster() == nullptr);
}

TEST_F(TextureTest, ALevelDictionaryReplacesTheLastOneAndGivesBackTheOuterOne)
{
    WriteDictionary("levels\\one.txd", "turf");
    WriteDictionary("levels\\two.txd", "stands");
    RwTexDictionary* outer = RwTexDictionarySetCurrent(RwTexDictionaryCreate());
    // A file that holds no dictionary changes nothing.
    const auto refused = [&](const char* file, RwTexDictionary* current) {
        LogCapture log;
        EXPECT_FALSE(manager->ReadDictionary(file));
        EXPECT_EQ(std::tuple(RwTexDictionaryGetCurrent(), manager->GetDictionary()),
                  std::tuple(current, current == outer ? nullptr : current));
        return log.lines.empty() ? std::string() : log.lines.back();
    };
    EXPECT_EQ(refused("levels\\missing.txd", outer), "***WARNING: TextureManager::ReadDictionary - Could not read levels\\missing.txd.\n");
    const std::string none = "***WARNING: TextureManager::ReadDictionary - No texture dictionary in tex\\grass.bmp.\n";
    EXPECT_EQ(refused("tex\\grass.bmp", outer), none);

    ASSERT_TRUE(manager->ReadDictionary("levels\\one.txd"));
    RwTexDictionary* first = manager->GetDictionary();
    Texture* turf = manager->CreateTexture("turf", nullptr, false);  // no such file: from the dictionary
    ASSERT_NE(turf, nullptr);
    EXPECT_EQ(std::pair(RwTexDictionaryGetCurrent(), turf->GetHandle()->dict), std::pair(first, first));
    EXPECT_EQ(refused("tex\\grass.bmp", first), none);
    // The first is given back and destroyed before the second is read; its texture stays ours.
    ASSERT_TRUE(manager->ReadDictionary("levels\\two.txd"));
    EXPECT_EQ(RwTexDictionaryGetCurrent(), manager->GetDictionary());
    EXPECT_NE(RwTexDictionaryFindNamedTexture(manager->GetDictionary(), "stands"), nullptr);
    EXPECT_TRUE(turf->GetHandle()->dict == nullptr && turf->GetRaster()->width == 2);
    for (int shutdown = 0; shutdown < 2; ++shutdown) {
        EXPECT_TRUE(manager->Shutdown());
        EXPECT_EQ(std::tuple(manager->GetTextures().size(), manager->GetDictionary(), RwTexDictionaryGetCurrent()),
                  std::tuple(size_t(0), nullptr, outer));
    }
    RwTexDictionaryDestroy(outer);
}

TEST_F(TextureTest, ATextureTableLoadsTheTextureAndTheManagerTableReadsNothing)
{
    Texture source, texture;
    ASSERT_TRUE(source.Load("<TP>flag.bmp", "<TP>flag_mask.bmp"));
    SerializeTable(source, "texture.txt", "Flag", true);
    SerializeTable(texture, "texture.txt", "Flag", false);
    ASSERT_NE(texture.GetHandle(), nullptr);
    EXPECT_EQ(std::pair(texture.GetFileName(), texture.GetMaskName()), std::pair(source.GetFileName(), source.GetMaskName()));
    EXPECT_STREQ(RwTextureGetMaskName(texture.GetHandle()), "flag_mask.bmp");

    Texture* grass = manager->CreateTexture("<TP>grass.bmp", nullptr, false);
    RwTexture* handle = grass->GetHandle();
    SerializeTable(*manager, "manager.txt", "Textures", true);
    EXPECT_NE(ReadText("manager.txt").find("\"tex\\grass.bmp\""), std::string::npos);
    SerializeTable(*manager, "manager.txt", "Textures", false);
    EXPECT_EQ(std::pair(grass->GetHandle(), manager->GetTextures().size()), std::pair(handle, size_t(1)));
}

}  // namespace
