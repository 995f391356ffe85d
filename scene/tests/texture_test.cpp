// Textures shared by file name, masks, and the level's texture dictionary.
#include "SceneCoreSupport.h"

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "scene/Texture.h"

namespace {

using namespace scenetest;

class TextureTest : public NullSceneTest {
protected:
    void SetUp() override
    {
        NullSceneTest::SetUp();
        FileSystem::Instance()->AddAlias("<TP>", "tex\\");
        TextureManager::Instance()->Initialise();
        RwTexDictionarySetCurrent(nullptr);
    }
    void TearDown() override
    {
        TextureManager::Instance()->Shutdown();
        FileSystem::Instance()->RemoveAlias("<TP>");
        RwTexDictionarySetCurrent(nullptr);
    }
};

// A depth-32 image filled with one colour.
RwImage* MakeImage(int width, int height, RwRGBA colour)
{
    RwImage* image = RwImageAllocatePixels(RwImageCreate(width, height, 32));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            RwUInt8* p = image->pixels + y * image->stride + x * 4;
            p[0] = colour.red;
            p[1] = colour.green;
            p[2] = colour.blue;
            p[3] = colour.alpha;
        }
    return image;
}

void WriteImage(const char* path, int width, int height, RwRGBA colour)
{
    RwImage* image = MakeImage(width, height, colour);
    ASSERT_NE(RwImageWrite(image, path), nullptr) << path;
    RwImageDestroy(image);
}

RwTexture* MakeEngineTexture(const char* name)
{
    RwImage* image = MakeImage(2, 2, {10, 20, 30, 255});
    RwRaster* raster = RwRasterCreate(2, 2, 32, rwRasterTypeTexture | rwRasterFormat8888);
    RwRasterSetFromImage(raster, image);
    RwImageDestroy(image);
    RwTexture* texture = RwTextureCreate(raster);
    RwTextureSetName(texture, name);
    return texture;
}

// A dictionary file holding one texture of that name.
void WriteDictionary(const char* path, const char* textureName)
{
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    RwTexDictionaryAddTexture(dictionary, MakeEngineTexture(textureName));
    WriteWithEngine(path, dictionary, RwTexDictionaryStreamWrite);
    RwTexDictionaryDestroy(dictionary);
}

TEST_F(TextureTest, AnAliasedAndAnExpandedNameShareOneTexture)
{
    WriteImage("tex/grass.bmp", 4, 2, {0, 200, 0, 255});
    TextureManager* manager = TextureManager::Instance();
    Texture* first = manager->CreateTexture("<TP>grass.bmp", nullptr, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetFileName(), "tex\\grass.bmp");
    EXPECT_EQ(first->GetName(), "grass.bmp");
    EXPECT_EQ(first->GetMaskName(), "");
    ASSERT_NE(first->GetHandle(), nullptr);
    ASSERT_NE(first->GetRaster(), nullptr);
    EXPECT_EQ(first->GetRaster()->width, 4);
    EXPECT_FALSE(RwTextureGetMipmapping());

    EXPECT_EQ(manager->CreateTexture("tex\\grass.bmp", nullptr, true), first);
    EXPECT_EQ(manager->CreateTexture("TEX/Grass.BMP", nullptr, true), first);
    EXPECT_EQ(manager->GetTextures().size(), 1u);
    // The flag is set for later reads even when nothing is read.
    EXPECT_TRUE(RwTextureGetMipmapping());
    EXPECT_TRUE(RwTextureGetAutoMipmapping());
}

TEST_F(TextureTest, AMaskedTextureIsFoundByALookupWithoutMask)
{
    WriteImage("tex/flag.bmp", 2, 2, {200, 0, 0, 255});
    WriteImage("tex/flag_mask.bmp", 2, 2, {255, 255, 255, 255});
    TextureManager* manager = TextureManager::Instance();
    Texture* masked = manager->CreateTexture("<TP>flag.bmp", "<TP>flag_mask.bmp", false);
    ASSERT_NE(masked, nullptr);
    EXPECT_EQ(masked->GetMaskName(), "tex\\flag_mask.bmp");
    EXPECT_STREQ(RwTextureGetMaskName(masked->GetHandle()), "flag_mask.bmp");

    EXPECT_EQ(manager->FindTexture("tex\\flag.bmp", nullptr), masked);
    EXPECT_EQ(manager->FindTexture("tex\\flag.bmp", "tex\\flag_mask.bmp"), masked);
    EXPECT_EQ(manager->FindTexture("tex\\flag.bmp", "tex\\other_mask.bmp"), nullptr);
    EXPECT_EQ(manager->CreateTexture("<TP>flag.bmp", nullptr, false), masked);
}

TEST_F(TextureTest, OnlyANameWithAFolderSetsTheImagePath)
{
    WriteImage("tex/grass.bmp", 2, 2, {0, 200, 0, 255});
    RwImageSetPath("keep\\");
    Texture plain;
    EXPECT_FALSE(plain.Load("nofolder.bmp", nullptr));
    EXPECT_EQ(plain.GetHandle(), nullptr);
    EXPECT_STREQ(RwImageGetPath(), "keep\\");

    Texture grass;
    EXPECT_TRUE(grass.Load("tex/grass.bmp", nullptr));
    EXPECT_STREQ(RwImageGetPath(), "tex\\");
    EXPECT_TRUE(grass.Release());
    EXPECT_EQ(grass.GetHandle(), nullptr);
    EXPECT_EQ(grass.GetRaster(), nullptr);
}

TEST_F(TextureTest, AFailedLoadLeavesTheManagerUnchanged)
{
    WriteImage("tex/grass.bmp", 2, 2, {0, 200, 0, 255});
    TextureManager* manager = TextureManager::Instance();
    Texture* grass = manager->CreateTexture("<TP>grass.bmp", nullptr, false);
    ASSERT_NE(grass, nullptr);
    EXPECT_EQ(manager->CreateTexture("<TP>missing.bmp", nullptr, false), nullptr);
    ASSERT_EQ(manager->GetTextures().size(), 1u);
    EXPECT_EQ(manager->GetTextures()[0], grass);
    EXPECT_EQ(manager->FindTexture("tex\\missing.bmp", nullptr), nullptr);
}

TEST_F(TextureTest, LevelDictionariesComeAndGoAndGiveBackTheOuterOne)
{
    WriteDictionary("levels/one.txd", "turf");
    WriteDictionary("levels/two.txd", "stands");
    RwTexDictionary* outer = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(outer);
    TextureManager* manager = TextureManager::Instance();

    LogLines log;
    EXPECT_FALSE(manager->ReadDictionary("levels\\missing.txd"));
    EXPECT_EQ(log.Count("***WARNING: TextureManager::ReadDictionary - Could not read levels\\missing.txd.\n"), 1);
    EXPECT_EQ(RwTexDictionaryGetCurrent(), outer);

    // A file without a dictionary is refused and changes nothing.
    WriteImage("levels/notadictionary.bmp", 1, 1, {0, 0, 0, 255});
    EXPECT_FALSE(manager->ReadDictionary("levels\\notadictionary.bmp"));
    EXPECT_EQ(RwTexDictionaryGetCurrent(), outer);
    EXPECT_EQ(manager->GetDictionary(), nullptr);

    ASSERT_TRUE(manager->ReadDictionary("levels\\one.txd"));
    RwTexDictionary* first = manager->GetDictionary();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(RwTexDictionaryGetCurrent(), first);
    // No such file on disk: the texture comes from the dictionary.
    Texture* turf = manager->CreateTexture("turf", nullptr, false);
    ASSERT_NE(turf, nullptr);

    // A file without a dictionary keeps the level's.
    EXPECT_FALSE(manager->ReadDictionary("levels\\notadictionary.bmp"));
    EXPECT_EQ(RwTexDictionaryGetCurrent(), first);

    ASSERT_TRUE(manager->ReadDictionary("levels\\two.txd"));
    RwTexDictionary* second = manager->GetDictionary();
    EXPECT_EQ(RwTexDictionaryGetCurrent(), second);
    EXPECT_NE(RwTexDictionaryFindNamedTexture(second, "stands"), nullptr);
    EXPECT_EQ(RwTexDictionaryFindNamedTexture(second, "turf"), nullptr);
    // The texture taken from the dropped dictionary is still ours.
    ASSERT_NE(turf->GetRaster(), nullptr);
    EXPECT_EQ(turf->GetRaster()->width, 2);

    EXPECT_TRUE(manager->Shutdown());
    EXPECT_TRUE(manager->GetTextures().empty());
    EXPECT_EQ(manager->GetDictionary(), nullptr);
    EXPECT_EQ(RwTexDictionaryGetCurrent(), outer);
    RwTexDictionarySetCurrent(nullptr);
    RwTexDictionaryDestroy(outer);
}

TEST_F(TextureTest, ShutdownWithoutADictionaryOnlyReleasesTheTextures)
{
    WriteImage("tex/grass.bmp", 2, 2, {0, 200, 0, 255});
    RwTexDictionary* outer = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(outer);
    TextureManager* manager = TextureManager::Instance();
    ASSERT_NE(manager->CreateTexture("<TP>grass.bmp", nullptr, false), nullptr);
    EXPECT_TRUE(manager->Shutdown());
    EXPECT_TRUE(manager->GetTextures().empty());
    EXPECT_EQ(RwTexDictionaryGetCurrent(), outer);
    RwTexDictionarySetCurrent(nullptr);
    RwTexDictionaryDestroy(outer);
}

TEST_F(TextureTest, ReadingATextureTableLoadsItAndTheManagerTableReadsNothing)
{
    WriteImage("tex/grass.bmp", 2, 2, {0, 200, 0, 255});
    Texture source;
    ASSERT_TRUE(source.Load("<TP>grass.bmp", nullptr));
    File* file = FileSystem::Instance()->OpenWrite("texture.txt");
    {
        AsciiSerializer writer(file, true);
        source.Serialize(writer, "Grass");
    }
    FileSystem::Instance()->Close(file);

    Texture texture;
    file = FileSystem::Instance()->OpenRead("texture.txt");
    {
        AsciiSerializer reader(file, false);
        texture.Serialize(reader, "Grass");
    }
    FileSystem::Instance()->Close(file);
    ASSERT_NE(texture.GetHandle(), nullptr);
    EXPECT_EQ(texture.GetFileName(), "tex\\grass.bmp");
    EXPECT_EQ(texture.GetMaskName(), "");

    TextureManager* manager = TextureManager::Instance();
    Texture* grass = manager->CreateTexture("<TP>grass.bmp", nullptr, false);
    RwTexture* handle = grass->GetHandle();
    file = FileSystem::Instance()->OpenWrite("manager.txt");
    {
        AsciiSerializer writer(file, true);
        manager->Serialize(writer, "Textures");
    }
    FileSystem::Instance()->Close(file);
    file = FileSystem::Instance()->OpenRead("manager.txt");
    {
        AsciiSerializer reader(file, false);
        manager->Serialize(reader, "Textures");
    }
    FileSystem::Instance()->Close(file);
    EXPECT_EQ(grass->GetHandle(), handle);
    EXPECT_EQ(manager->GetTextures().size(), 1u);
}

}  // namespace
