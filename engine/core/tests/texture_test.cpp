#include "support/EngineTestSupport.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int g_texturesDestroyed = 0;

// A texture plugin whose destructor counts the textures that really went.
RwBool CountTextureDeaths()
{
    const auto count = [](void*, void*, RwInt32) { ++g_texturesDestroyed; };
    return RwEngineRegisterPlugin(rwPluginClassTexture, 0xc0de, 0, nullptr, count, nullptr) >= 0;
}

RwTexture* SolidTexture(const char* name, int w, int h, unsigned char seed)
{
    RwTexture* t = RwTextureCreate(PatternRaster(w, h, seed));
    RwTextureSetName(t, name);
    return t;
}

RwError TakeError()
{
    RwError e{};
    RwErrorGet(&e);
    return e;
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.IsOpen());
        RwImageRegisterImageFormat("png", RtPngImageRead, nullptr);
        RwImageSetPath("");
        RwTextureSetReadCallBack(nullptr);
        RwTextureSetMipmapping(false);
        RwTextureSetAutoMipmapping(false);
        TakeError();
        g_texturesDestroyed = 0;
    }
    ScopedEngine engine{rwDeviceNull, CountTextureDeaths};
};

RwTextureCallBackRead g_previous = nullptr;

// The read callback as the game installs it: DDS under the name before its first dot, then
// the callback that was there before with the names unchanged.
RwTexture* GameReadCallBack(const char* name, const char* mask)
{
    std::string base = name;
    base.resize(std::min(base.size(), base.find('.')));
    if (RwTexture* t = RwD3D8DdsTextureRead(base.c_str(), mask))
        return t;
    return g_previous(name, mask);
}

TEST_F(TextureTest, ReadCallBackChainTriesDdsFirstThenFallsBackAndAMissSetsError22)
{
    // ball: a red DDS and a green PNG; grass: only a blue PNG.
    WriteFileBytes("ball.dds", MakeDds(4, 4, "DXT1", {0x00, 0xf8, 0x00, 0xf8, 0, 0, 0, 0}));
    ASSERT_TRUE(WritePng("ball.png", 1, 1, PNG_COLOR_TYPE_RGB, 8, {0, 255, 0}));
    ASSERT_TRUE(WritePng("grass.png", 1, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 255}));
    g_previous = RwTextureGetReadCallBack();
    EXPECT_EQ(g_previous, RwTextureReadDefault);
    RwTextureSetReadCallBack(GameReadCallBack);

    RwTexture* ball = RwTextureRead("ball.png", nullptr);
    RwTexture* grass = RwTextureRead("grass.png", nullptr);
    ASSERT_NE(ball, nullptr);
    ASSERT_NE(grass, nullptr);
    EXPECT_EQ(RasterPixel(ball->raster, 0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_STREQ(RwTextureGetName(ball), "ball");
    EXPECT_EQ(RasterPixel(grass->raster, 0, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_STREQ(RwTextureGetName(grass), "grass.png");
    EXPECT_EQ(TakeError().errorCode, rwErrorNone);  // a missing DDS alone is no error

    LogCapture log;
    EXPECT_EQ(RwTextureRead("nowhere.png", nullptr), nullptr);
    EXPECT_TRUE(log.Contains("texture nowhere.png is missing"));
    EXPECT_EQ(TakeError().errorCode, rwErrorTextureMissing);
    EXPECT_EQ(TakeError().errorCode, rwErrorNone);  // taking the error clears it
    for (const char* nothing : {"", static_cast<const char*>(nullptr)})
        EXPECT_EQ(RwTextureRead(nothing, nullptr), nullptr);
    // Mip-map flags apply to the reads after them.
    for (bool on : {true, false}) {
        RwTextureSetMipmapping(on);
        RwTextureSetAutoMipmapping(on);
        RwTexture* t = RwTextureRead("grass.png", nullptr);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ((std::vector<bool>{(t->raster->format & rwRasterFormatMipmap) != 0,
                                     (t->raster->format & rwRasterFormatAutoMipmap) != 0,
                                     t->filter == rwFilterLinearMipLinear, RwTextureGetMipmapping() != 0}),
                  std::vector<bool>(4, on));
        RwTextureDestroy(t);
    }
    RwTextureDestroy(ball);
    RwTextureDestroy(grass);
    EXPECT_EQ(g_texturesDestroyed, 4);
}

// A DDS file that says it carries smaller levels gets a texture with levels even while the
// mip-map flags are off; one that only half says so (the flag or a count alone) does not.
TEST_F(TextureTest, ADdsThatCarriesSmallerLevelsGivesATextureWithLevels)
{
    const struct {
        const char* name;
        uint32_t flags, count;
        bool levels;
    } cases[] = {
        {"levels", 0x21007, 3, true},
        {"the count flag with one level", 0x21007, 1, false},
        {"a count without its flag", 0x1007, 3, false},
    };
    RwTextureSetMipmapping(false);
    RwTextureSetAutoMipmapping(false);
    for (const auto& c : cases) {
        // 4 x 4 texels, then the 2 x 2 and 1 x 1 levels.
        std::vector<unsigned char> file = MakeDds(4, 4, nullptr, std::vector<unsigned char>(21 * 4, 200), 32);
        for (int i = 0; i < 4; ++i) {
            file[8 + i] = static_cast<unsigned char>(c.flags >> (8 * i));
            file[28 + i] = static_cast<unsigned char>(c.count >> (8 * i));
        }
        WriteFileBytes("paint.dds", file);
        RwTexture* t = RwD3D8DdsTextureRead("paint", nullptr);
        ASSERT_NE(t, nullptr) << c.name;
        EXPECT_EQ((std::vector<bool>{(t->raster->format & rwRasterFormatMipmap) != 0,
                                     (t->raster->format & rwRasterFormatAutoMipmap) != 0,
                                     t->filter == rwFilterLinearMipLinear}),
                  std::vector<bool>(3, c.levels))
            << c.name;
        EXPECT_EQ(RasterPixel(t->raster, 3, 3), (Rgba{200, 200, 200, 200})) << c.name;
        RwTextureDestroy(t);
    }
    EXPECT_FALSE(RwTextureGetMipmapping());
}

// The game's exit order: a material holds a texture read into a dictionary, and the
// dictionary is destroyed first.
TEST_F(TextureTest, ADictionaryHoldsItsOwnReferenceOfEachTexture)
{
    ASSERT_TRUE(WritePng("crowd.png", 2, 2, PNG_COLOR_TYPE_RGB, 8, std::vector<unsigned char>(12, 77)));
    RwTexDictionary* dict = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(dict);
    RwTexture* read = RwTextureRead("crowd.png", nullptr);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->dict, dict);
    ASSERT_EQ(std::remove("crowd.png"), 0);
    EXPECT_EQ(RwTextureRead("CROWD.png", nullptr), read);  // from the dictionary: no file needed
    RwTexture* material = RwTextureAddRef(read);
    RwTextureDestroy(read);
    RwTextureDestroy(read);
    RwTexDictionaryDestroy(dict);
    ASSERT_EQ(g_texturesDestroyed, 0);
    EXPECT_EQ(RwTexDictionaryGetCurrent(), nullptr);
    EXPECT_EQ(material->dict, nullptr);
    EXPECT_EQ(RasterPixel(material->raster, 1, 1), (Rgba{77, 77, 77, 255}));
    RwTextureDestroy(material);
    EXPECT_EQ(g_texturesDestroyed, 1);
    // A texture added by hand gives its reference to the dictionary: destroying it there
    // takes it out; taken out, the reference comes back to the caller.
    dict = RwTexDictionaryCreate();
    RwTexture* given = RwTexDictionaryAddTexture(dict, SolidTexture("given", 1, 1, 0));
    RwTexture* taken = RwTexDictionaryAddTexture(dict, SolidTexture("taken", 1, 1, 0));
    EXPECT_EQ(RwTexDictionaryFindNamedTexture(dict, "TAKEN"), taken);
    RwTextureDestroy(given);
    EXPECT_EQ(dict->textures, std::vector<RwTexture*>{taken});
    EXPECT_EQ(RwTexDictionaryRemoveTexture(taken), taken);
    EXPECT_EQ(RwTexDictionaryFindNamedTexture(dict, "taken"), nullptr);
    RwTexDictionaryDestroy(dict);
    EXPECT_EQ(g_texturesDestroyed, 2);
    RwTextureDestroy(taken);
    EXPECT_EQ(g_texturesDestroyed, 3);
}

std::vector<RwUInt8> WriteDictionary(RwTexDictionary* dict)
{
    return Written([dict](RwStream* w) { EXPECT_NE(RwTexDictionaryStreamWrite(dict, w), nullptr); });
}

RwTexDictionary* ReadDictionary(const std::vector<RwUInt8>& bytes)
{
    Reader r(bytes);
    RwUInt32 size, version;
    return RwStreamFindChunk(r.stream, rwChunkTexDictionary, &size, &version) ? RwTexDictionaryStreamRead(r.stream)
                                                                             : nullptr;
}

TEST_F(TextureTest, DictionaryRoundTripsThroughAStream)
{
    RwTexDictionary* dict = RwTexDictionaryCreate();
    RwTexture* a = RwTexDictionaryAddTexture(dict, SolidTexture("pitch", 3, 2, 10));
    RwTexture* b = RwTexDictionaryAddTexture(dict, SolidTexture("goal", 1, 4, 200));
    RwTextureSetMaskName(b, "goal_mask");
    RwTextureSetFilterMode(b, rwFilterLinearMipLinear);
    RwTextureSetAddressingU(b, rwTextureAddressClamp);
    RwTextureSetAddressingV(b, rwTextureAddressMirror);
    std::vector<RwUInt8> bytes = WriteDictionary(dict);
    EXPECT_EQ(bytes.size(), 12 + RwTexDictionaryStreamGetSize(dict));

    RwTexDictionary* back = ReadDictionary(bytes);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->textures.size(), 2u);
    RwTexture* pitch = RwTexDictionaryFindNamedTexture(back, "pitch");
    RwTexture* goal = RwTexDictionaryFindNamedTexture(back, "goal");
    ASSERT_NE(pitch, nullptr);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(pitch->raster->width, 3);
    EXPECT_EQ(RasterPixel(pitch->raster, 2, 1), RasterPixel(a->raster, 2, 1));
    EXPECT_EQ(RasterPixel(goal->raster, 0, 3), RasterPixel(b->raster, 0, 3));
    EXPECT_STREQ(RwTextureGetMaskName(goal), "goal_mask");
    EXPECT_EQ((std::vector<RwInt32>{goal->filter, goal->addressU, goal->addressV}),
              (std::vector<RwInt32>{rwFilterLinearMipLinear, rwTextureAddressClamp, rwTextureAddressMirror}));
    EXPECT_EQ(goal->dict, back);
    RwTexDictionaryDestroy(back);
    EXPECT_EQ(g_texturesDestroyed, 2);  // the dictionary held the only reference
    RwTexDictionaryDestroy(dict);
}

TEST_F(TextureTest, DictionaryWithDxtTexturesDecodes)
{
    // A dictionary of one 4 x 4 texture made DXT1: format 2, and one 8-byte block of pure red in
    // place of the 64 bytes of pixels.
    RwTexDictionary* plain = RwTexDictionaryCreate();
    RwTexDictionaryAddTexture(plain, SolidTexture("red", 4, 4, 0));
    std::vector<RwUInt8> bytes = WriteDictionary(plain);
    RwTexDictionaryDestroy(plain);
    bytes.resize(bytes.size() - 4 - 64);
    bytes.insert(bytes.end(), {8, 0, 0, 0, 0x00, 0xf8, 0x00, 0xf8, 0, 0, 0, 0});
    bytes[12 + 16 + 12 + 12 + 3] = 2;  // the format, in the texture's data chunk
    for (size_t sizeAt : {8, 12 + 16 + 8})  // of the dictionary's chunk and the texture's
        reinterpret_cast<RwUInt32*>(&bytes[sizeAt])[0] -= 56;
    RwTexDictionary* dict = ReadDictionary(bytes);
    ASSERT_NE(dict, nullptr);
    ASSERT_EQ(dict->textures.size(), 1u);
    EXPECT_EQ(RasterPixel(dict->textures[0]->raster, 3, 3), (Rgba{255, 0, 0, 255}));
    RwTexDictionaryDestroy(dict);
}

TEST_F(TextureTest, TruncatedOrCorruptDictionariesGiveNullAndALogLine)
{
    RwTexDictionary* dict = RwTexDictionaryCreate();
    RwTexDictionaryAddTexture(dict, SolidTexture("a", 2, 2, 1));
    RwTexDictionaryAddTexture(dict, SolidTexture("b", 2, 2, 2));
    const std::vector<RwUInt8> whole = WriteDictionary(dict);
    RwTexDictionaryDestroy(dict);

    for (size_t cut = 12; cut < whole.size(); ++cut) {
        std::vector<RwUInt8> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        LogCapture log;
        RwTexDictionary* d = ReadDictionary(bytes);
        EXPECT_EQ(d, nullptr) << "cut at " << cut;
        EXPECT_FALSE(log.lines.empty()) << "cut at " << cut;
        RwTexDictionaryDestroy(d);
    }
    // A texture count larger than the data can hold is refused before anything is read.
    std::vector<RwUInt8> bytes = whole;
    reinterpret_cast<RwUInt32*>(bytes.data() + 24)[0] = 0x10000000;
    LogCapture log;
    EXPECT_EQ(ReadDictionary(bytes), nullptr);
    EXPECT_TRUE(log.Contains("more textures"));
    // Every single flipped byte either reads or is refused; none crashes.
    for (size_t i = 12; i < whole.size(); ++i) {
        std::vector<RwUInt8> flipped = whole;
        flipped[i] ^= 0xff;
        RwTexDictionaryDestroy(ReadDictionary(flipped));
    }
}

}  // namespace
