#include "support/WorldTestSupport.h"

#include "engine/core/NullDevice.h"

#include <algorithm>
#include <cstring>
#include <tuple>

using namespace worldtest;

namespace {

// A frame plugin that streams one int and copies it on clone (refusing the tag -1), and counts
// the frames and clumps that end, to prove the clump code hands extensions to the registry.
// On atomics, where no plugin has data, the same plugin has none either and still streams.
constexpr RwUInt32 kTagPlugin = 0x7f01;
RwInt32 g_tagOffset = -1;
int g_copies = 0;
int g_ends = 0;
int g_atomicReads = 0;

RwInt32& Tag(RwFrame* frame)
{
    return *reinterpret_cast<RwInt32*>(frame->pluginData + g_tagOffset);
}

RwBool AttachWorldAndTag()
{
    const auto copy = [](void*, void* dst, const void*, const void* src, RwInt32) -> RwBool {
        ++g_copies;
        std::memcpy(dst, src, 4);
        return *static_cast<const RwInt32*>(src) != -1;
    };
    const auto end = [](void*, void*, RwInt32) { ++g_ends; };
    const auto read = [](RwStream* stream, RwUInt32 length, void*, void* data) -> RwBool {
        return length == 4 && RwStreamReadInt32(stream, static_cast<RwInt32*>(data), 1);
    };
    const auto write = [](RwStream* stream, const void*, const void* data) -> RwBool {
        return RwStreamWriteInt32(stream, static_cast<const RwInt32*>(data), 1) != nullptr;
    };
    const auto size = [](const void*, const void* data) -> RwUInt32 {
        return *static_cast<const RwInt32*>(data) ? 4 : 0;
    };
    const auto readAtomic = [](RwStream* stream, RwUInt32, void*, void*) -> RwBool {
        RwInt32 word;
        return RwStreamReadInt32(stream, &word, 1) && word == 5 && ++g_atomicReads;
    };
    const auto writeAtomic = [](RwStream* stream, const void*, const void*) -> RwBool {
        const RwInt32 word = 5;
        return RwStreamWriteInt32(stream, &word, 1) != nullptr;
    };
    g_tagOffset = RwEngineRegisterPlugin(rwPluginClassFrame, kTagPlugin, 4, nullptr, end, copy);
    return RpWorldPluginAttach() && g_tagOffset >= 0 &&
           RwEngineRegisterPlugin(rwPluginClassClump, kTagPlugin, 0, nullptr, end, nullptr) >= 0 &&
           RwEngineRegisterPlugin(rwPluginClassAtomic, kTagPlugin, 0, nullptr, nullptr, nullptr) >= 0 &&
           RwEngineRegisterPluginStream(rwPluginClassFrame, kTagPlugin, read, write, size) >= 0 &&
           RwEngineRegisterPluginStream(rwPluginClassAtomic, kTagPlugin, readAtomic, writeAtomic,
                                        [](const void*, const void*) -> RwUInt32 { return 4; }) >= 0;
}

RwInt32 TakeError()
{
    RwError e;
    return RwErrorGet(&e)->errorCode;
}

class WorldStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.IsOpen());
        RwTexDictionarySetCurrent(dict);
        TakeError();
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

    static constexpr RwReal kLowBelow = 40.0f;
    // A two-frame clump: a textured box on the root (a quad for its low detail), a prelit quad
    // on a child frame.
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
        RpClump* clump = BoxClump({1, 2, 3}, rpGeometryLight | rpGeometryModulateMaterialColor, {m});
        RpGeometry* low = MakeQuad(0, 0, 2, 2, m, rpGeometryLight);
        RpAtomicSetLowDetail(clump->atomics[0], low, kLowBelow);
        RpGeometryDestroy(low);
        RpGeometry* coarse = MakeQuad(0, 0, 3, 1, m, rpGeometryLight);
        RpAtomicSetShadowDetail(clump->atomics[0], coarse);
        RpGeometryDestroy(coarse);
        RpGeometry* quad = MakeQuad(0, 0, 1, 1, m, rpGeometryPrelit);
        quad->preLitLum[2] = {1, 2, 3, 4};
        const RwInt32 second = RpGeometryAddMorphTarget(quad);
        quad->morphTarget[second].normals[3] = {0, 1, 0};
        RpMaterialDestroy(m);
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

    ScopedEngine engine{rwDeviceNull, AttachWorldAndTag};
    RwTexDictionary* dict = RwTexDictionaryCreate();
};

TEST_F(WorldStream, ClumpRoundTripAndCloneKeepEverything)
{
    RpClump* original = MakeSample();
    const std::vector<uint8_t> bytes = WriteClump(original);
    EXPECT_EQ(RpClumpStreamGetSize(original) + rwChunkHeaderSize, bytes.size());
    g_atomicReads = 0;
    RpClump* clump = ReadClump(bytes);
    ASSERT_NE(clump, nullptr);
    EXPECT_EQ(TakeError(), 0);
    EXPECT_EQ(g_atomicReads, 2) << "a plugin without data reads its chunks";
    // Whatever was read writes back to the same bytes; what they mean is checked below.
    EXPECT_EQ(WriteClump(clump), bytes);

    RwFrame* root = RpClumpGetFrame(clump);
    ASSERT_EQ(RpClumpGetNumAtomics(clump), 2);
    ASSERT_NE(root->child, nullptr);
    EXPECT_NEAR(root->child->modelling.at.x, 1, 1e-6);  // the 90 degree turn
    EXPECT_EQ(std::pair(Tag(root), Tag(root->child)), std::pair(0, 77));
    EXPECT_EQ(RpAtomicGetFrame(clump->atomics[0]), root);
    EXPECT_EQ(RpAtomicGetFrame(clump->atomics[1]), root->child);
    EXPECT_EQ(RpAtomicGetBoundingSphere(clump->atomics[0])->radius, RpAtomicGetBoundingSphere(original->atomics[0])->radius);
    const RpMaterial* m = GeometryOf(clump)->matList.materials[0];
    EXPECT_EQ(m->texture, GeometryOf(original)->matList.materials[0]->texture) << "from the dictionary";
    EXPECT_EQ(m->texture->addressU, rwTextureAddressClamp);
    const RpGeometry* low = RpAtomicGetLowDetail(clump->atomics[0]);
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(std::tuple(low->numTriangles, low->matList.numMaterials, clump->atomics[0]->lowDetailBelow),
              std::tuple(2, 1, kLowBelow));
    EXPECT_EQ(RpAtomicGetLowDetail(clump->atomics[1]), nullptr);
    const RpGeometry* coarse = RpAtomicGetShadowDetail(clump->atomics[0]);
    ASSERT_NE(coarse, nullptr);
    EXPECT_NE(coarse, low);
    EXPECT_EQ(std::tuple(coarse->numTriangles, coarse->morphTarget[0].boundingSphere.radius),
              std::tuple(2, RpAtomicGetShadowDetail(original->atomics[0])->morphTarget[0].boundingSphere.radius));
    EXPECT_EQ(RpAtomicGetShadowDetail(clump->atomics[1]), nullptr);
    // The two geometries of the file have separate material lists.
    EXPECT_NE(clump->atomics[1]->geometry->matList.materials[0], m);
    RpClumpDestroy(clump);

    g_copies = g_ends = 0;
    RpClump* copy = RpClumpClone(original);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(g_copies, 2) << "both frames";
    EXPECT_EQ(WriteClump(copy), bytes);
    RpClumpDestroy(copy);
    EXPECT_EQ(g_ends, 3) << "two frames and the clump";
    // A plugin refusing the copy takes the half-made clone down with it.
    Tag(RpClumpGetFrame(original)->child) = -1;
    g_ends = 0;
    EXPECT_EQ(RpClumpClone(original), nullptr);
    EXPECT_EQ(g_ends, 3);
    RpClumpDestroy(original);
}

TEST_F(WorldStream, WorldRoundTripKeepsEverythingAndMissingTexturesSetError22)
{
    RpWorld* world = MakeWallWorld();
    RwTexture* t = AddTexture("grass");
    RpMaterialSetTexture(world->matList.materials[0], t);
    RpClump* clump = MakeSample();
    const std::vector<uint8_t> bytes = WriteWorld(world), clumpBytes = WriteClump(clump);
    EXPECT_EQ(RpWorldStreamGetSize(world) + rwChunkHeaderSize, bytes.size());
    RpWorldDestroy(world);
    RpClumpDestroy(clump);
    world = ReadWorld(bytes);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(WriteWorld(world), bytes);
    ASSERT_EQ(RpWorldGetNumSectors(world), 2);
    EXPECT_EQ(world->planes[0].right, ~1);
    EXPECT_EQ(world->sectors[1]->boundingBox.sup.y, 4);
    EXPECT_EQ(world->matList.materials[0]->texture, t);
    RpWorldDestroy(world);

    RwTexDictionarySetCurrent(nullptr);  // the textures are nowhere now: the models stay
    world = ReadWorld(bytes);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->matList.materials[0]->texture, nullptr);
    EXPECT_EQ(TakeError(), rwErrorTextureMissing);
    clump = ReadClump(clumpBytes);
    ASSERT_NE(clump, nullptr);
    EXPECT_EQ(GeometryOf(clump)->matList.materials[0]->texture, nullptr);
    EXPECT_EQ(TakeError(), rwErrorTextureMissing);
    RpClumpDestroy(clump);
    RpWorldDestroy(world);
}

TEST_F(WorldStream, EmptyAndLargestGeometriesRoundTrip)
{
    const RwV3d at{1, 2, 3};
    RpClump* clump = RpClumpCreateDummy(&at, 2);
    RpGeometry* largest = RpGeometryCreate(65535, 0, rpGeometryNormals);
    largest->morphTarget[0].verts[65534] = {7, 8, 9};
    RpAtomic* a = RpAtomicCreate();
    RpAtomicSetGeometry(a, largest);
    RpGeometryDestroy(largest);
    RpAtomicSetFrame(a, RpClumpGetFrame(clump));
    RpClumpAddAtomic(clump, a);
    const std::vector<uint8_t> bytes = WriteClump(clump);
    RpClumpDestroy(clump);
    clump = ReadClump(bytes);
    ASSERT_NE(clump, nullptr);
    EXPECT_EQ(WriteClump(clump), bytes);
    RpClumpDestroy(clump);
}

// Every cut is refused, and a byte spoiled at any place reads safely.
template <typename Read, typename Destroy>
void TortureBytes(const std::vector<uint8_t>& bytes, Read read, Destroy destroy)
{
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        auto* object = read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)));
        EXPECT_EQ(object, nullptr) << "cut at " << cut;
        destroy(object);
    }
    for (size_t at = 0; at < bytes.size(); ++at)
        for (uint8_t value : {uint8_t(0xff), uint8_t(0x7f), uint8_t(0)}) {
            std::vector<uint8_t> spoiled = bytes;
            spoiled[at] = value;
            destroy(read(spoiled));
        }
}

TEST_F(WorldStream, CorruptClumpsAndWorldsAreRefused)
{
    RpClump* clump = MakeSample();
    TortureBytes(WriteClump(clump), ReadClump, RpClumpDestroy);
    RpClumpDestroy(clump);
    RpWorld* world = MakeWallWorld();
    TortureBytes(WriteWorld(world), ReadWorld, RpWorldDestroy);
    RpWorldDestroy(world);
    // Chunk 16 followed by something else entirely.
    EXPECT_EQ(ReadClump({16, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}), nullptr);
}

TEST_F(WorldStream, ClumpFieldsAreChecked)
{
    RpClump* original = MakeSample();
    const std::vector<uint8_t> bytes = WriteClump(original);
    RpClumpDestroy(original);
    // The box's first triangle (0, 3, 2, material 0).
    const uint8_t tri[8] = {0, 0, 3, 0, 2, 0, 0, 0};
    const size_t triangle = size_t(std::search(bytes.begin(), bytes.end(), tri, tri + 8) - bytes.begin());
    ASSERT_LT(triangle, bytes.size());
    // The low-detail size follows its chunk's header and its data chunk's header.
    const uint8_t lowHeader[4] = {0x41, 0x01, 0, 0};
    const size_t lowSize = size_t(std::search(bytes.begin(), bytes.end(), lowHeader, lowHeader + 4) - bytes.begin()) +
                           2 * rwChunkHeaderSize;
    ASSERT_LT(lowSize, bytes.size());
    RwReal stored;
    std::memcpy(&stored, &bytes[lowSize], 4);
    ASSERT_EQ(stored, kLowBelow);
    // Offsets: clump header 12, data header 12, counts at 24.
    const struct {
        size_t at;
        RwUInt32 value;
        const char* what;
    } cases[] = {
        {24, 0x40000000, "frames"},
        {28, 0x40000000, "geometries"},
        {32, 0x40000000, "atomics"},
        {32, 3, "one atomic more than written"},
        {16, 2, "data chunk of a later version"},
        {triangle + 2, 99, "a triangle past the vertices"},
        {triangle + 6, 5, "material 5 of 1"},
        {lowSize, 0, "a low-detail mesh drawn below 0 pixels"},
        {lowSize, 0xbf800000, "below -1 pixels"},
        {lowSize, 0x7fc00000, "below a size that is not a number"},
        {lowSize, 0x49742400, "below a million pixels"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = bytes;
        std::memcpy(&bad[c.at], &c.value, c.at >= triangle && c.at < triangle + 8 ? 2 : 4);
        RpClump* clump = ReadClump(bad);
        EXPECT_EQ(clump, nullptr) << c.what;
        RpClumpDestroy(clump);
    }
}

TEST_F(WorldStream, ALowDetailChunkIsReadOnceAndWhole)
{
    RpClump* original = MakeSample();
    const std::vector<uint8_t> bytes = WriteClump(original);
    RpClumpDestroy(original);
    // Chunk headers are type, version, size. The first atomic's low-detail chunk follows the
    // atomic's header and its data chunk of three words.
    const uint8_t lowHeader[4] = {0x41, 0x01, 0, 0};
    const size_t low = size_t(std::search(bytes.begin(), bytes.end(), lowHeader, lowHeader + 4) - bytes.begin());
    ASSERT_LT(low, bytes.size());
    const size_t atomic = low - 3 * rwChunkHeaderSize;
    ASSERT_EQ(bytes[atomic], 0x40);
    const auto sizeAt = [](const std::vector<uint8_t>& b, size_t header) {
        RwUInt32 size;
        std::memcpy(&size, &b[header + 8], 4);
        return size;
    };
    const auto resize = [&](std::vector<uint8_t>& b, size_t header, long change) {
        const RwUInt32 size = RwUInt32(long(sizeAt(b, header)) + change);
        std::memcpy(&b[header + 8], &size, 4);
    };
    const size_t lowEnd = low + rwChunkHeaderSize + sizeAt(bytes, low);
    const std::vector<uint8_t> lowChunk(bytes.begin() + long(low), bytes.begin() + long(lowEnd));
    // The clump and the atomic hold whatever is added or taken away.
    const auto spliced = [&](size_t at, size_t remove, const std::vector<uint8_t>& insert) {
        std::vector<uint8_t> b = bytes;
        b.erase(b.begin() + long(at), b.begin() + long(at + remove));
        b.insert(b.begin() + long(at), insert.begin(), insert.end());
        for (size_t header : {size_t(0), atomic})
            resize(b, header, long(insert.size()) - long(remove));
        return b;
    };
    // Its parts: the data chunk holding the size, then the geometry chunk.
    const size_t dataEnd = 2 * rwChunkHeaderSize + 4;
    const std::vector<uint8_t> sizeChunk(lowChunk.begin() + rwChunkHeaderSize, lowChunk.begin() + long(dataEnd));
    const std::vector<uint8_t> geometryChunk(lowChunk.begin() + long(dataEnd), lowChunk.end());
    // A chunk of the type and version of the one given, around the parts.
    const auto chunk = [](const std::vector<uint8_t>& like, const std::vector<std::vector<uint8_t>>& parts) {
        std::vector<uint8_t> out(like.begin(), like.begin() + rwChunkHeaderSize);
        for (const auto& part : parts)
            out.insert(out.end(), part.begin(), part.end());
        const RwUInt32 total = RwUInt32(out.size() - rwChunkHeaderSize);
        std::memcpy(&out[8], &total, 4);
        return out;
    };
    std::vector<uint8_t> twice = lowChunk;
    twice.insert(twice.end(), lowChunk.begin(), lowChunk.end());
    // What stands in the atomic where the chunk was.
    const struct {
        const char* what;
        std::vector<uint8_t> low;
        bool read;
    } cases[] = {
        {"as written", chunk(lowChunk, {sizeChunk, geometryChunk}), true},
        {"twice", twice, false},
        {"without its geometry", chunk(lowChunk, {sizeChunk}), false},
        {"with an empty size", chunk(lowChunk, {chunk(sizeChunk, {}), geometryChunk}), false},
        {"with an empty geometry", chunk(lowChunk, {sizeChunk, chunk(geometryChunk, {})}), false},
    };
    for (const auto& c : cases) {
        RpClump* clump = ReadClump(spliced(low, lowChunk.size(), c.low));
        EXPECT_EQ(clump != nullptr, c.read) << c.what;
        RpClumpDestroy(clump);
    }

    // Read, drawn far off and destroyed, the low mesh leaves nothing on the device.
    RwNullDevice* device = RwNullDeviceGet();
    const RwInt32 meshesBefore = device->liveMeshes;
    CameraRig rig{64};
    RpClump* clump = ReadClump(bytes);
    ASSERT_NE(clump, nullptr);
    const RwV3d far{0, 0, 90};
    RwFrameTranslate(RpClumpGetFrame(clump), &far, rwCombineReplace);
    ASSERT_NE(RwCameraBeginUpdate(rig.camera), nullptr);
    RpClumpRender(clump);
    RwCameraEndUpdate(rig.camera);
    EXPECT_EQ(device->liveMeshes, meshesBefore + 1);
    RpClumpDestroy(clump);
    EXPECT_EQ(device->liveMeshes, meshesBefore);
}

}  // namespace
