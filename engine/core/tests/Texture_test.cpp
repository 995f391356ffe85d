#include "support/EngineTestSupport.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

RwTextureCallBackRead g_previous = nullptr;
int g_ddsTries = 0;

// The read callback as the game installs it: DDS under the name before its first dot,
// then the callback that was there before with the names unchanged.
RwTexture* GameReadCallBack(const char* name, const char* mask)
{
    std::string base = name;
    const size_t dot = base.find('.');
    if (dot != std::string::npos && dot > 0)
        base.resize(dot);
    ++g_ddsTries;
    if (RwTexture* t = RwD3D8DdsTextureRead(base.c_str(), mask))
        return t;
    return g_previous(name, mask);
}

std::vector<int> TexturePixel(RwTexture* texture, int x, int y)
{
    RwRaster* r = RwTextureGetRaster(texture);
    RwImage* image = RwImageCreate(r->width, r->height, 32);
    RwImageAllocatePixels(image);
    RwImageSetFromRaster(image, r);
    std::vector<int> p = Pixel(image, x, y);
    RwImageDestroy(image);
    return p;
}

RwTexture* SolidTexture(const char* name, int w, int h, unsigned char seed)
{
    RwImage* image = RwImageCreate(w, h, 32);
    RwImageAllocatePixels(image);
    for (int i = 0; i < w * h * 4; ++i)
        image->pixels[i] = (unsigned char)(seed + i);
    RwRaster* raster = RwRasterCreate(w, h, 32, rwRasterTypeTexture);
    RwRasterSetFromImage(raster, image);
    RwImageDestroy(image);
    RwTexture* t = RwTextureCreate(raster);
    RwTextureSetName(t, name);
    return t;
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RwImageRegisterImageFormat("png", RtPngImageRead, nullptr);
        RwImageSetPath("");
        RwTextureSetReadCallBack(nullptr);
        RwTextureSetMipmapping(false);
        RwTextureSetAutoMipmapping(false);
        RwError e;
        RwErrorGet(&e);
    }
    NullEngine engine;
};

TEST_F(TextureTest, MissingTextureSetsError22AndErrorGetClearsIt)
{
    LogCapture log;
    EXPECT_EQ(RwTextureRead("nothing.png", nullptr), nullptr);
    RwError e{};
    RwErrorGet(&e);
    EXPECT_EQ(e.errorCode, rwErrorTextureMissing);
    RwErrorGet(&e);
    EXPECT_EQ(e.errorCode, 0);
    EXPECT_TRUE(log.Contains("nothing.png"));
}

TEST_F(TextureTest, ReadCallBackChainTriesDdsFirstThenFallsBack)
{
    // ball: a red DDS and a green PNG; grass: only a blue PNG.
    WriteFileBytes("ball.dds", MakeDds(4, 4, "DXT1", {0x00, 0xf8, 0x00, 0xf8, 0, 0, 0, 0}));
    ASSERT_TRUE(WritePng("ball.png", 1, 1, PNG_COLOR_TYPE_RGB, 8, {0, 255, 0}));
    ASSERT_TRUE(WritePng("grass.png", 1, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 255}));
    g_previous = RwTextureGetReadCallBack();
    RwTextureSetReadCallBack(GameReadCallBack);
    g_ddsTries = 0;

    RwTexture* ball = RwTextureRead("ball.png", nullptr);
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(TexturePixel(ball, 0, 0), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_STREQ(RwTextureGetName(ball), "ball");

    RwTexture* grass = RwTextureRead("grass.png", nullptr);
    ASSERT_NE(grass, nullptr);
    EXPECT_EQ(TexturePixel(grass, 0, 0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_STREQ(RwTextureGetName(grass), "grass.png");
    EXPECT_EQ(g_ddsTries, 2);

    // A missing DDS alone sets no error; the fallback's miss does.
    RwError e{};
    RwErrorGet(&e);
    EXPECT_EQ(e.errorCode, 0);
    {
        LogCapture log;
        EXPECT_EQ(RwTextureRead("nowhere.png", nullptr), nullptr);
    }
    RwErrorGet(&e);
    EXPECT_EQ(e.errorCode, rwErrorTextureMissing);

    RwTextureDestroy(ball);
    RwTextureDestroy(grass);
    RwTextureSetReadCallBack(g_previous);
}

TEST_F(TextureTest, CurrentDictionaryIsSearchedFirstAndCollectsNewTextures)
{
    ASSERT_TRUE(WritePng("crowd.png", 2, 2, PNG_COLOR_TYPE_RGB, 8, std::vector<unsigned char>(12, 77)));
    RwTexDictionary* dict = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(dict);
    RwTexture* first = RwTextureRead("crowd.png", nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->dict, dict);
    ASSERT_TRUE(std::remove("crowd.png") == 0);
    RwTexture* second = RwTextureRead("CROWD.png", nullptr);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->refCount, 2);

    // Reaching zero takes a texture out of its dictionary.
    RwTextureDestroy(second);
    EXPECT_EQ(dict->textures.size(), 1u);
    RwTextureDestroy(first);
    EXPECT_TRUE(dict->textures.empty());

    // Destroying the dictionary drops one reference of each member.
    RwTexture* kept = SolidTexture("kept", 1, 1, 0);
    RwTexture* gone = SolidTexture("gone", 1, 1, 0);
    RwTexDictionaryAddTexture(dict, kept);
    RwTexDictionaryAddTexture(dict, gone);
    RwTextureAddRef(kept);
    RwTexDictionaryDestroy(dict);
    EXPECT_EQ(RwTexDictionaryGetCurrent(), nullptr);
    EXPECT_EQ(kept->refCount, 1);
    EXPECT_EQ(kept->dict, nullptr);
    RwTextureDestroy(kept);
}

TEST_F(TextureTest, MipmapFlagsApplyToLaterReads)
{
    ASSERT_TRUE(WritePng("mip.png", 2, 2, PNG_COLOR_TYPE_RGB, 8, std::vector<unsigned char>(12, 1)));
    RwTextureSetMipmapping(true);
    RwTextureSetAutoMipmapping(true);
    RwTexture* t = RwTextureRead("mip.png", nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->raster->format & rwRasterFormatMipmap);
    EXPECT_TRUE(t->raster->format & rwRasterFormatAutoMipmap);
    EXPECT_EQ(t->filter, rwFilterLinearMipLinear);
    RwTextureDestroy(t);
}

std::vector<RwUInt8> WriteDictionary(RwTexDictionary* dict)
{
    RwStream* w = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
    EXPECT_NE(RwTexDictionaryStreamWrite(dict, w), nullptr);
    RwMemory mem{};
    RwStreamClose(w, &mem);
    std::vector<RwUInt8> bytes(mem.start, mem.start + mem.length);
    std::free(mem.start);
    return bytes;
}

RwTexDictionary* ReadDictionary(std::vector<RwUInt8>& bytes)
{
    RwMemory mem{bytes.data(), RwUInt32(bytes.size())};
    RwStream* r = RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
    RwUInt32 size, version;
    RwTexDictionary* dict = nullptr;
    if (RwStreamFindChunk(r, rwChunkTexDictionary, &size, &version))
        dict = RwTexDictionaryStreamRead(r);
    RwStreamClose(r, nullptr);
    return dict;
}

TEST_F(TextureTest, DictionaryRoundTripsThroughAStream)
{
    RwTexDictionary* dict = RwTexDictionaryCreate();
    RwTexture* a = SolidTexture("pitch", 3, 2, 10);
    RwTexture* b = SolidTexture("goal", 1, 4, 200);
    RwTextureSetMaskName(b, "goal_mask");
    RwTextureSetFilterMode(b, rwFilterLinearMipLinear);
    RwTextureSetAddressing(b, rwTextureAddressClamp);
    RwTexDictionaryAddTexture(dict, a);
    RwTexDictionaryAddTexture(dict, b);
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
    EXPECT_EQ(TexturePixel(pitch, 2, 1), TexturePixel(a, 2, 1));
    EXPECT_EQ(TexturePixel(goal, 0, 3), TexturePixel(b, 0, 3));
    EXPECT_STREQ(RwTextureGetMaskName(goal), "goal_mask");
    EXPECT_EQ(goal->filter, rwFilterLinearMipLinear);
    EXPECT_EQ(goal->addressU, rwTextureAddressClamp);
    EXPECT_EQ(goal->addressV, rwTextureAddressClamp);
    EXPECT_EQ(goal->dict, back);
    RwTexDictionaryDestroy(back);
    RwTexDictionaryDestroy(dict);
}

TEST_F(TextureTest, DictionaryWithDxtTexturesDecodes)
{
    // Header, then one NativeTexture holding a 4 x 4 DXT1 block of pure red.
    RwStream* w = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
    const RwUInt32 one = 1, bytes = 8, dims[3] = {4, 4, 1};
    const RwUInt8 modes[4] = {2, 1, 1, 2};
    const RwUInt8 block[8] = {0x00, 0xf8, 0x00, 0xf8, 0, 0, 0, 0};
    const RwUInt32 native = 12 + 16 + RwStreamStringSize("red") + RwStreamStringSize("") + 4 + 8;
    RwStreamWriteChunkHeader(w, rwChunkTexDictionary, 1, 16 + 12 + native);
    RwStreamWriteChunkHeader(w, rwChunkData, 1, 4);
    RwStreamWriteUInt32(w, &one, 1);
    RwStreamWriteChunkHeader(w, rwChunkNativeTexture, 1, native);
    RwStreamWriteChunkHeader(w, rwChunkData, 1, 16);
    RwStreamWrite(w, modes, 4);
    RwStreamWriteUInt32(w, dims, 3);
    RwStreamWriteString(w, "red");
    RwStreamWriteString(w, "");
    RwStreamWriteUInt32(w, &bytes, 1);
    RwStreamWrite(w, block, 8);
    RwMemory mem{};
    RwStreamClose(w, &mem);
    std::vector<RwUInt8> data(mem.start, mem.start + mem.length);
    std::free(mem.start);
    RwTexDictionary* dict = ReadDictionary(data);
    ASSERT_NE(dict, nullptr);
    ASSERT_EQ(dict->textures.size(), 1u);
    EXPECT_EQ(TexturePixel(dict->textures[0], 3, 3), (std::vector<int>{255, 0, 0, 255}));
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
        std::vector<RwUInt8> bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
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
