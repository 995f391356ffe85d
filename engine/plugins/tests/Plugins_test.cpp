#include "support/PluginTestSupport.h"

#include <cstring>

namespace {

using Attach = RwBool (*)();
const Attach kAll[] = {RpHAnimPluginAttach,     RpSkinPluginAttach,   RpSplinePluginAttach, RpMatFXPluginAttach,
                       RpUserDataPluginAttach,  RpDeltaMorphPluginAttach, RpAnisotPluginAttach, RpPVSPluginAttach,
                       RpLtMapPluginAttach,     RpRandomPluginAttach, RpMorphPluginAttach,  RtAnimPluginAttach};

RwImage* Picture(int w, int h, bool withAlpha)
{
    RwImage* image = RwImageCreate(w, h, 32);
    RwImageAllocatePixels(image);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            RwUInt8* p = image->pixels + y * image->stride + x * 4;
            p[0] = RwUInt8(x * 40);
            p[1] = RwUInt8(y * 30);
            p[2] = RwUInt8(x * y);
            p[3] = withAlpha ? RwUInt8(255 - x * 20) : 255;
        }
    }
    return image;
}

bool SamePixels(const RwImage* a, const RwImage* b)
{
    if (a->width != b->width || a->height != b->height)
        return false;
    for (int y = 0; y < a->height; ++y) {
        if (std::memcmp(a->pixels + y * a->stride, b->pixels + y * b->stride, size_t(a->width) * 4) != 0)
            return false;
    }
    return true;
}

void Put32(std::vector<RwUInt8>& v, size_t at, RwUInt32 x)
{
    for (int i = 0; i < 4; ++i)
        v[at + size_t(i)] = RwUInt8(x >> (8 * i));
}

}  // namespace

TEST(Plugins, EveryAttachSucceedsBeforeOpenAndFailsAfter)
{
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    ASSERT_TRUE(RpWorldPluginAttach());
    for (Attach a : kAll)
        EXPECT_TRUE(a());
    const RwEngineOpenParams params{nullptr, rwDeviceNull};
    ASSERT_TRUE(RwEngineOpen(&params));
    {
        LogCapture quiet;
        for (Attach a : kAll)
            EXPECT_FALSE(a());
    }
    RwEngineClose();
    RwEngineTerm();

    // The convenience attaches all of them, world first.
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    EXPECT_TRUE(RpPluginsAttachAll());
    EXPECT_TRUE(RwEngineIsPluginAttached(rwChunkHAnim));
    EXPECT_TRUE(RwEngineIsPluginAttached(rwChunkSkin));
    EXPECT_TRUE(RwEngineIsPluginAttached(rwChunkMatFX));
    EXPECT_TRUE(RwEngineIsPluginAttached(rwChunkAnimation));
    RwEngineTerm();
}

TEST(Plugins, MatFXKeepsMatrixPointersAndStreamsItsFlags)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    RpMaterial* mat = l.atomic->geometry->matList.materials[0];
    RwMatrix uv;
    RwMatrixSetIdentity(&uv);
    RpMatFXAtomicEnableEffects(l.atomic);
    ASSERT_NE(RpMatFXMaterialSetEffects(mat, rpMaterialFXUVTransform), nullptr);
    RpMatFXMaterialSetUVTransformMatrices(mat, &uv, nullptr);
    EXPECT_EQ(mat->uvTransform[0], &uv);
    LogCapture log;
    EXPECT_EQ(RpMatFXMaterialSetEffects(mat, 3), nullptr);
    EXPECT_EQ(mat->fxEffects, RwUInt32(rpMaterialFXUVTransform));

    RpClump* back = RoundTrip(l.clump);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->atomics[0]->matFXEnabled);
    EXPECT_EQ(back->atomics[0]->geometry->matList.materials[0]->fxEffects, RwUInt32(rpMaterialFXUVTransform));
    RpClump* clone = RpClumpClone(l.clump);
    EXPECT_TRUE(clone->atomics[0]->matFXEnabled);
    RpClumpDestroy(clone);
    RpClumpDestroy(back);
    RpClumpDestroy(l.clump);
}

TEST(Plugins, MorphSphereFollowsTheInterpolator)
{
    PluginEngine engine;
    RpGeometry* g = RpGeometryCreate(1, 0, 0);
    ASSERT_EQ(RpGeometryAddMorphTarget(g), 1);
    g->morphTarget[0].boundingSphere = {{0, 0, 0}, 1};
    g->morphTarget[1].boundingSphere = {{4, 0, 0}, 3};
    RpAtomic* a = RpAtomicCreate();
    RpAtomicSetGeometry(a, g);
    a->interpolator = {rpInterpolatorDirtySphere, 0, 1, 2.0f, 0.5f, 0.5f};
    ASSERT_EQ(RpAtomicUpdateInterpolatedSphere(a), a);
    EXPECT_TRUE(Near(a->boundingSphere.center, {1, 0, 0}));
    EXPECT_FLOAT_EQ(a->boundingSphere.radius, 1.5f);
    EXPECT_EQ(a->interpolator.flags & rpInterpolatorDirtySphere, 0);
    a->interpolator.endMorphTarget = 9;  // out of range: the last target
    a->interpolator.position = 2.0f;
    RpAtomicUpdateInterpolatedSphere(a);
    EXPECT_TRUE(Near(a->boundingSphere.center, {4, 0, 0}));
    RpAtomicDestroy(a);
    RpGeometryDestroy(g);
}

TEST(Plugins, BmpRoundTripThroughTheImageFormat)
{
    PluginEngine engine;
    ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBmpImageRead, RtBmpImageWrite));
    for (bool alpha : {false, true}) {
        RwImage* src = Picture(7, 5, alpha);  // odd width: padded rows
        ASSERT_NE(RwImageWrite(src, "pic.bmp"), nullptr);
        const std::vector<RwUInt8> bytes = ReadFileBytes("pic.bmp");
        ASSERT_GT(bytes.size(), 30u);
        EXPECT_EQ(bytes[28], alpha ? 32 : 24);
        RwImage* back = RwImageRead("pic.bmp");
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(SamePixels(src, back)) << "alpha " << alpha;
        RwImageDestroy(src);
        RwImageDestroy(back);
    }
}

TEST(Plugins, BmpReadsPalettesTopDownRowsAndZeroAlpha)
{
    PluginEngine engine;
    RwImage* src = Picture(4, 3, false);
    RtBmpImageWrite(src, "rgb.bmp");
    std::vector<RwUInt8> bytes = ReadFileBytes("rgb.bmp");

    // The same pixels stored top-down: rows reversed, height negative.
    std::vector<RwUInt8> top = bytes;
    const size_t off = 54, stride = 12;
    for (size_t y = 0; y < 3; ++y)
        std::copy(bytes.begin() + long(off + y * stride), bytes.begin() + long(off + (y + 1) * stride),
                  top.begin() + long(off + (2 - y) * stride));
    Put32(top, 22, RwUInt32(-3));
    RwImage* img = RtBmpImageReadMemory(top.data(), RwUInt32(top.size()));
    ASSERT_NE(img, nullptr);
    EXPECT_TRUE(SamePixels(src, img));
    RwImageDestroy(img);

    // 8-bit: a 2 x 2 image over a 3-colour palette, rows padded to 4 bytes.
    std::vector<RwUInt8> pal(54 + 12 + 8, 0);
    pal[0] = 'B';
    pal[1] = 'M';
    Put32(pal, 10, 66);
    Put32(pal, 14, 40);
    Put32(pal, 18, 2);
    Put32(pal, 22, 2);
    pal[26] = 1;
    pal[28] = 8;
    Put32(pal, 46, 3);
    const RwUInt8 colours[12] = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0};  // B, G, R, 0
    std::copy(colours, colours + 12, pal.begin() + 54);
    pal[66] = 0;  // bottom row: blue, green
    pal[67] = 1;
    pal[70] = 2;  // top row: red, blue
    pal[71] = 0;
    img = RtBmpImageReadMemory(pal.data(), RwUInt32(pal.size()));
    ASSERT_NE(img, nullptr);
    const RwUInt8 want[4][4] = {{255, 0, 0, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}, {0, 255, 0, 255}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::memcmp(img->pixels + (i / 2) * img->stride + (i % 2) * 4, want[i], 4), 0) << "pixel " << i;
    RwImageDestroy(img);

    LogCapture log;
    pal[71] = 7;  // beyond the palette
    EXPECT_EQ(RtBmpImageReadMemory(pal.data(), RwUInt32(pal.size())), nullptr);
    EXPECT_TRUE(log.Contains("palette index"));
    RwImageDestroy(src);
}

TEST(Plugins, CorruptBmpGivesNullAndALogLine)
{
    PluginEngine engine;
    RwImage* src = Picture(5, 4, true);
    RtBmpImageWrite(src, "a.bmp");
    RwImageDestroy(src);
    const std::vector<RwUInt8> good = ReadFileBytes("a.bmp");
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        LogCapture log;
        EXPECT_EQ(RtBmpImageReadMemory(good.data(), RwUInt32(cut)), nullptr) << cut;
        EXPECT_TRUE(log.Contains("RtBmpImageRead")) << cut;
    }
    auto bad = [&](size_t at, RwUInt32 value, const char* what) {
        std::vector<RwUInt8> b = good;
        Put32(b, at, value);
        LogCapture log;
        EXPECT_EQ(RtBmpImageReadMemory(b.data(), RwUInt32(b.size())), nullptr) << what;
        EXPECT_TRUE(log.Contains("RtBmpImageRead")) << what;
    };
    bad(18, 0x7fffffff, "huge width");
    bad(22, 0x80000000, "most negative height");
    bad(30, 1, "run-length compression");
    bad(10, 0xfffffff0, "pixel offset past the end");
    bad(54, 0x00F0F000, "mask not whole bytes");
    LogCapture log;
    EXPECT_EQ(RtBmpImageRead("none.bmp"), nullptr);
    EXPECT_TRUE(log.Contains("none.bmp"));
}
