#include "support/WorldTestSupport.h"

#include <cstring>

using namespace worldtest;

namespace {

// A frame plugin that streams one int and copies it on clone, to prove the clump code hands
// extensions to the registry and calls the copy callbacks.
constexpr RwUInt32 kTestPlugin = 0x7f01;
RwInt32 g_frameOffset = -1;
int g_copies = 0;

RwBool ReadTag(RwStream* stream, RwUInt32 length, void*, void* data)
{
    return length == 4 && RwStreamReadInt32(stream, static_cast<RwInt32*>(data), 1);
}
RwBool WriteTag(RwStream* stream, const void*, const void* data)
{
    return RwStreamWriteInt32(stream, static_cast<const RwInt32*>(data), 1) != nullptr;
}
RwUInt32 TagSize(const void*, const void* data)
{
    return *static_cast<const RwInt32*>(data) ? 4 : 0;
}
RwBool CopyTag(void*, void* dst, const void*, const void* src, RwInt32)
{
    ++g_copies;
    std::memcpy(dst, src, 4);
    return true;
}

RwInt32& Tag(RwFrame* frame)
{
    return *reinterpret_cast<RwInt32*>(frame->pluginData + g_frameOffset);
}

class WorldStream : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const RwEngineOpenParams params{nullptr, rwDeviceNull};
        ASSERT_TRUE(RwEngineInit(nullptr, 0, 0x100000));
        ASSERT_TRUE(RpWorldPluginAttach());
        g_frameOffset = RwEngineRegisterPlugin(rwPluginClassFrame, kTestPlugin, 4, nullptr, nullptr, CopyTag);
        ASSERT_GE(RwEngineRegisterPluginStream(rwPluginClassFrame, kTestPlugin, ReadTag, WriteTag, TagSize), 0);
        ASSERT_TRUE(RwEngineOpen(&params));
        ASSERT_TRUE(RwEngineStart());
    }
    static void TearDownTestSuite()
    {
        RwEngineStop();
        RwEngineClose();
        RwEngineTerm();
    }
    void SetUp() override
    {
        RwError e;
        RwErrorGet(&e);
        dict = RwTexDictionaryCreate();
        RwTexDictionarySetCurrent(dict);
    }
    void TearDown() override
    {
        RwTexDictionarySetCurrent(nullptr);
        RwTexDictionaryDestroy(dict);
    }

    RwTexture* AddTexture(const char* name)
    {
        RwTexture* t = RwTextureCreate(RwRasterCreate(2, 2, 32, rwRasterTypeTexture));
        RwTextureSetName(t, name);
        RwTexDictionaryAddTexture(dict, t);
        return t;
    }

    // A two-frame clump: a textured box on the root, a prelit quad on a child frame.
    RpClump* MakeSample()
    {
        RpMaterial* m = RpMaterialCreate();
        const RwRGBA colour{10, 20, 30, 128};
        RpMaterialSetColor(m, &colour);
        const RwSurfaceProperties props{0.5f, 0.25f, 0.75f};
        RpMaterialSetSurfaceProperties(m, &props);
        RwTexture* t = AddTexture("boxskin");
        t->addressU = rwTextureAddressClamp;
        RpMaterialSetTexture(m, t);
        RpGeometry* box = MakeBox(2, {m}, rpGeometryLight | rpGeometryModulateMaterialColor);
        RpGeometry* quad = MakeQuad(0, 0, 1, 1, m, rpGeometryPrelit);
        quad->preLitLum[2] = {1, 2, 3, 4};
        RpMaterialDestroy(m);
        RpClump* clump = MakeClump(box, {1, 2, 3});
        RpGeometryDestroy(box);
        RwFrame* child = RwFrameCreate();
        const RwV3d axis{0, 1, 0};
        RwFrameRotate(child, &axis, 90, rwCombineReplace);
        RwFrameAddChild(RpClumpGetFrame(clump), child);
        Tag(child) = 77;
        RpAtomic* a = RpAtomicCreate();
        RpAtomicSetGeometry(a, quad);
        RpAtomicSetFrame(a, child);
        RpAtomicSetFlags(a, rpAtomicCollisionTest);  // not rendered
        RpClumpAddAtomic(clump, a);
        RpGeometryDestroy(quad);
        return clump;
    }

    RwTexDictionary* dict = nullptr;
};

TEST_F(WorldStream, ClumpRoundTripKeepsEverything)
{
    RpClump* original = MakeSample();
    const std::vector<uint8_t> bytes = WriteClump(original);
    EXPECT_EQ(RpClumpStreamGetSize(original) + rwChunkHeaderSize, bytes.size());
    RpClump* clump = ReadClump(bytes);
    ASSERT_NE(clump, nullptr);
    ASSERT_EQ(RpClumpGetNumAtomics(clump), 2);

    RwFrame* root = RpClumpGetFrame(clump);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->modelling.pos.z, 3);
    ASSERT_NE(root->child, nullptr);
    EXPECT_NEAR(root->child->modelling.at.x, 1, 1e-6);  // the 90 degree turn
    EXPECT_EQ(Tag(root->child), 77);
    EXPECT_EQ(Tag(root), 0);

    RpAtomic* boxAtomic = clump->atomics[0];
    RpAtomic* quadAtomic = clump->atomics[1];
    EXPECT_EQ(RpAtomicGetFrame(boxAtomic), root);
    EXPECT_EQ(RpAtomicGetFrame(quadAtomic), root->child);
    EXPECT_EQ(RpAtomicGetFlags(quadAtomic), RwUInt32(rpAtomicCollisionTest));

    const RpGeometry* g0 = original->atomics[0]->geometry;
    const RpGeometry* g = boxAtomic->geometry;
    EXPECT_EQ(g->flags, g0->flags);
    ASSERT_EQ(g->numVertices, 24);
    ASSERT_EQ(g->numTriangles, 12);
    EXPECT_EQ(0, std::memcmp(g->morphTarget[0].verts, g0->morphTarget[0].verts, 24 * sizeof(RwV3d)));
    EXPECT_EQ(0, std::memcmp(g->morphTarget[0].normals, g0->morphTarget[0].normals, 24 * sizeof(RwV3d)));
    EXPECT_EQ(0, std::memcmp(g->texCoords[0], g0->texCoords[0], 24 * sizeof(RwTexCoords)));
    EXPECT_EQ(0, std::memcmp(g->triangles, g0->triangles, 12 * sizeof(RpTriangle)));
    EXPECT_FLOAT_EQ(RpAtomicGetBoundingSphere(boxAtomic)->radius, g0->morphTarget[0].boundingSphere.radius);

    ASSERT_EQ(g->matList.numMaterials, 1);
    const RpMaterial* m = g->matList.materials[0];
    EXPECT_EQ(m->color.alpha, 128);
    EXPECT_EQ(m->color.blue, 30);
    EXPECT_FLOAT_EQ(m->surfaceProps.diffuse, 0.75f);
    ASSERT_NE(m->texture, nullptr);
    EXPECT_STREQ(m->texture->name, "boxskin");
    EXPECT_EQ(m->texture, original->atomics[0]->geometry->matList.materials[0]->texture);  // from the dictionary
    EXPECT_EQ(m->texture->addressU, rwTextureAddressClamp);

    // The two geometries of the file have separate material lists.
    const RpGeometry* q = quadAtomic->geometry;
    ASSERT_NE(q->preLitLum, nullptr);
    EXPECT_EQ(q->preLitLum[2].alpha, 4);
    ASSERT_NE(q->morphTarget[0].normals, nullptr);
    EXPECT_EQ(q->morphTarget[0].normals[3].z, -1);

    RwError e;
    EXPECT_EQ(RwErrorGet(&e)->errorCode, 0);
    RpClumpDestroy(clump);
    RpClumpDestroy(original);
}

TEST_F(WorldStream, CloneRunsThePluginCopies)
{
    RpClump* original = MakeSample();
    g_copies = 0;
    RpClump* copy = RpClumpClone(original);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(g_copies, 2);  // both frames
    EXPECT_EQ(Tag(RpClumpGetFrame(copy)->child), 77);
    RpClumpDestroy(original);
    RpClumpDestroy(copy);
}

TEST_F(WorldStream, MissingClumpTextureSetsError22AndKeepsTheClump)
{
    RpClump* original = MakeSample();
    const std::vector<uint8_t> bytes = WriteClump(original);
    RpClumpDestroy(original);
    RwTexDictionarySetCurrent(nullptr);  // the texture is nowhere now
    RpClump* clump = ReadClump(bytes);
    ASSERT_NE(clump, nullptr);
    EXPECT_EQ(clump->atomics[0]->geometry->matList.materials[0]->texture, nullptr);
    RwError e;
    EXPECT_EQ(RwErrorGet(&e)->errorCode, rwErrorTextureMissing);
    RpClumpDestroy(clump);
}

TEST_F(WorldStream, WorldRoundTripAndMissingTexture)
{
    RpWorld* original = MakeWallWorld();
    RwTexture* t = AddTexture("grass");
    RpMaterialSetTexture(original->matList.materials[0], t);
    const std::vector<uint8_t> bytes = WriteWorld(original);
    EXPECT_EQ(RpWorldStreamGetSize(original) + rwChunkHeaderSize, bytes.size());

    RpWorld* world = ReadWorld(bytes);
    ASSERT_NE(world, nullptr);
    ASSERT_EQ(RpWorldGetNumSectors(world), 2);
    ASSERT_EQ(world->planes.size(), 1u);
    EXPECT_EQ(world->planes[0].right, ~1);
    EXPECT_EQ(world->flags, original->flags);
    EXPECT_EQ(world->sectors[1]->numTriangles, 4);
    EXPECT_EQ(0, std::memcmp(world->sectors[1]->vertices, original->sectors[1]->vertices, 8 * sizeof(RwV3d)));
    EXPECT_EQ(world->sectors[1]->boundingBox.sup.y, 4);
    EXPECT_EQ(world->matList.materials[0]->texture, t);
    RpWorldDestroy(world);

    RwTexDictionaryRemoveTexture(t);
    RwTextureDestroy(t);  // the original's material still holds it
    RwError e;
    RwErrorGet(&e);
    world = ReadWorld(bytes);
    ASSERT_NE(world, nullptr) << "a missing texture keeps the world";
    EXPECT_EQ(world->matList.materials[0]->texture, nullptr);
    EXPECT_EQ(RwErrorGet(&e)->errorCode, rwErrorTextureMissing);
    RpWorldDestroy(world);
    RpWorldDestroy(original);
}

// Corrupt input: every cut, and a byte spoiled at every place, reads safely.
template <typename Read, typename Destroy>
void TortureBytes(const std::vector<uint8_t>& bytes, Read read, Destroy destroy)
{
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(cut));
        auto* object = read(part);
        EXPECT_EQ(object, nullptr) << "cut at " << cut;
        if (object)
            destroy(object);
    }
    for (size_t at = 0; at < bytes.size(); ++at)
        for (uint8_t value : {uint8_t(0xff), uint8_t(0x7f), uint8_t(0)}) {
            std::vector<uint8_t> spoiled = bytes;
            spoiled[at] = value;
            if (auto* object = read(spoiled))
                destroy(object);
        }
}

TEST_F(WorldStream, CorruptClumpsAreRefused)
{
    RpClump* original = MakeSample();
    const std::vector<uint8_t> bytes = WriteClump(original);
    RpClumpDestroy(original);
    TortureBytes(bytes, ReadClump, RpClumpDestroy);

    // Chunk 16 followed by something else entirely.
    const std::vector<uint8_t> junk = {16, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(ReadClump(junk), nullptr);
}

TEST_F(WorldStream, ClumpFieldsAreChecked)
{
    RpClump* original = MakeSample();
    std::vector<uint8_t> bytes = WriteClump(original);
    RpClumpDestroy(original);
    // Offsets: clump header 12, data header 12, counts at 24.
    auto patch = [&](size_t at, RwUInt32 value) {
        std::vector<uint8_t> b = bytes;
        std::memcpy(&b[at], &value, 4);
        return b;
    };
    EXPECT_EQ(ReadClump(patch(24, 0x40000000)), nullptr);  // frames
    EXPECT_EQ(ReadClump(patch(28, 0x40000000)), nullptr);  // geometries
    EXPECT_EQ(ReadClump(patch(32, 0x40000000)), nullptr);  // atomics
    EXPECT_EQ(ReadClump(patch(32, 3)), nullptr);           // one atomic more than written
    EXPECT_EQ(ReadClump(patch(16, 2)), nullptr);           // data chunk of a later version
    // A triangle pointing past the vertices: find the box's first triangle (0, 1, 2, 0).
    const uint8_t tri[8] = {0, 0, 1, 0, 2, 0, 0, 0};
    auto at = std::search(bytes.begin(), bytes.end(), tri, tri + 8);
    ASSERT_NE(at, bytes.end());
    std::vector<uint8_t> bad = bytes;
    bad[size_t(at - bytes.begin()) + 2] = 99;
    EXPECT_EQ(ReadClump(bad), nullptr);
    bad = bytes;
    bad[size_t(at - bytes.begin()) + 6] = 5;  // material 5 of 1
    EXPECT_EQ(ReadClump(bad), nullptr);
}

TEST_F(WorldStream, CorruptWorldsAreRefused)
{
    RpWorld* original = MakeWallWorld();
    const std::vector<uint8_t> bytes = WriteWorld(original);
    RpWorldDestroy(original);
    TortureBytes(bytes, ReadWorld, RpWorldDestroy);
}

}  // namespace

namespace {

// A plugin without data of its own still sees its chunks (the core used to give such classes
// no block, so their stream callbacks never ran).
constexpr RwUInt32 kEmptyPlugin = 0x7f02;
int g_emptyReads = 0;

RwBool ReadEmpty(RwStream*, RwUInt32, void*, void*)
{
    ++g_emptyReads;
    return true;
}
RwBool WriteEmpty(RwStream* stream, const void*, const void*)
{
    const RwUInt32 word = 5;
    return RwStreamWriteUInt32(stream, &word, 1) != nullptr;
}
RwUInt32 EmptySize(const void*, const void*)
{
    return 4;
}

TEST(WorldStreamPlugins, DatalessPluginsReadTheirAtomicChunks)
{
    const RwEngineOpenParams params{nullptr, rwDeviceNull};
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0x100000));
    ASSERT_GE(RwEngineRegisterPlugin(rwPluginClassAtomic, kEmptyPlugin, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_GE(RwEngineRegisterPluginStream(rwPluginClassAtomic, kEmptyPlugin, ReadEmpty, WriteEmpty, EmptySize), 0);
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineStart());
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeQuad(0, 0, 1, 1, m, 0);
    RpClump* clump = MakeClump(g, {0, 0, 0});
    RpClump* read = ReadClump(WriteClump(clump));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(g_emptyReads, 1);
    RpClumpDestroy(read);
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    RpMaterialDestroy(m);
    RwEngineStop();
    RwEngineClose();
    RwEngineTerm();
}

}  // namespace
