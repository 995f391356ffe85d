#include "support/PluginTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace {

class Skin : public LimbTest {};

// The blended positions, and the normals when asked for.
std::vector<RwV3d> Blend(RpAtomic* atomic, std::vector<RwV3d>* normals = nullptr)
{
    std::vector<RwV3d> out(size_t(atomic->geometry->numVertices));
    if (normals)
        normals->resize(out.size());
    EXPECT_NE(RpSkinBlendVertices(atomic, out.data(), normals ? normals->data() : nullptr), nullptr);
    return out;
}

// Rest position of the limb's vertex v.
RwV3d Rest(const Limb& l, int v)
{
    return l.atomic->geometry->morphTarget[0].verts[v];
}

::testing::AssertionResult AtRest(const Limb& l)
{
    const std::vector<RwV3d> blended = Blend(l.atomic);
    for (size_t v = 0; v < blended.size(); ++v)
        if (!Near(blended[v], Rest(l, int(v))))
            return Near(blended[v], Rest(l, int(v))) << " at vertex " << v;
    return ::testing::AssertionSuccess();
}

TEST_F(Skin, BlendedVerticesFollowTheBonesInTheAtomicsSpace)
{
    RpSkin* skin = RpSkinGeometryGetSkin(l.atomic->geometry);
    ASSERT_EQ(RpSkinGetNumBones(skin), 2);
    EXPECT_TRUE(AtRest(l)) << "no hierarchy: identity bones";
    // What loading does with its bind-pose flag.
    RpSkinAtomicSetHAnimHierarchy(l.atomic, l.hierarchy);
    l.hierarchy->flags = rpHAnimHierarchyLocalSpaceMatrices;
    for (int i = 0; i < 2; ++i)
        RwMatrixInvert(&l.hierarchy->pMatrixArray[i], &RpSkinGetSkinToBoneMatrices(skin)[i]);
    EXPECT_TRUE(AtRest(l)) << "bind pose in local space";
    // World matrices are brought back into the atomic's space.
    const RwV3d away{10, -4, 2};
    RwFrameTranslate(l.root, &away, rwCombineReplace);
    l.hierarchy->flags = rpHAnimHierarchyUpdateModellingMatrices;
    RpHAnimHierarchyAttach(l.hierarchy);
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(l.hierarchy));
    EXPECT_TRUE(AtRest(l)) << "bind pose in world space";

    // Halfway through the bend the tip turns 45 degrees about the elbow at x 1; the pair
    // there, weighted half and half, moves by half of that; the root pair stays.
    RtAnimAnimation* anim = MakeBendAnimation();
    RtAnimInterpolatorSetCurrentAnim(l.hierarchy->interpolator, anim);
    RtAnimInterpolatorSetCurrentTime(l.hierarchy->interpolator, 0.5f);
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);
    std::vector<RwV3d> normals;
    const std::vector<RwV3d> blended = Blend(l.atomic, &normals);
    const RwReal c = std::cos(3.14159265f / 4), s = std::sin(3.14159265f / 4);
    for (int side = 0; side < 2; ++side) {
        const RwReal y = Rest(l, side).y, n = side ? 1.0f : -1.0f;
        EXPECT_TRUE(Near(blended[size_t(side)], Rest(l, side)));
        EXPECT_TRUE(Near(blended[size_t(2 + side)], {1 - s * y / 2, (1 + c) * y / 2, 0}));
        EXPECT_TRUE(Near(blended[size_t(4 + side)], {1 + c - s * y, s + c * y, 0}));
        EXPECT_TRUE(Near(normals[size_t(side)], {0, n, 0}));
        EXPECT_TRUE(Near(normals[size_t(4 + side)], {-s * n, c * n, 0})) << "turned with the tip";
    }
    EXPECT_EQ(RpSkinBlendVertices(l.atomic, nullptr, normals.data()), nullptr);
    // A geometry without normals blends none.
    RwV3d* none = nullptr;
    std::swap(l.atomic->geometry->morphTarget[0].normals, none);
    Blend(l.atomic, &normals);
    std::swap(l.atomic->geometry->morphTarget[0].normals, none);
    EXPECT_TRUE(Near(normals[4], {0, 0, 0}));
    RtAnimAnimationDestroy(anim);
}

TEST_F(Skin, MoreBonesThanNodesIsClampedWithAWarning)
{
    const RwInt32 ids[1] = {0};
    RpHAnimHierarchy* small = RpHAnimHierarchyCreate(1, nullptr, ids, rpHAnimHierarchyLocalSpaceMatrices, 36);
    small->pMatrixArray[0].pos = {0, 1, 0};
    LogCapture log;
    ASSERT_NE(RpSkinAtomicSetHAnimHierarchy(l.atomic, small), nullptr);
    EXPECT_TRUE(log.Contains("2 bones on a hierarchy of 1 nodes"));
    const std::vector<RwV3d> blended = Blend(l.atomic);
    EXPECT_TRUE(Near(blended[0], {0, Rest(l, 0).y + 1, 0}));  // bone 0 moved
    EXPECT_TRUE(Near(blended[4], Rest(l, 4)));                // bone 1 kept
    RpHAnimHierarchyDestroy(small);
}

TEST_F(Skin, StreamAndCloneCarryTheSkeletonAndTheSkin)
{
    l.hierarchy->flags = rpHAnimHierarchyLocalSpaceMatrices;
    l.hierarchy->pMatrixArray[1].pos = {5, 6, 7};
    RpHAnimHierarchyAttach(l.hierarchy);
    RpClump* back = RoundTrip(l.clump);
    ASSERT_NE(back, nullptr);
    Limb b = FindLimb(back);
    ASSERT_NE(b.hierarchy, nullptr);
    EXPECT_EQ(std::vector({RpHAnimFrameGetID(b.root), RpHAnimFrameGetID(b.bone0), RpHAnimFrameGetID(b.bone1)}),
              std::vector<RwInt32>({rpHAnimIdNone, 0, 1}));
    EXPECT_EQ(std::pair(b.hierarchy->flags, b.hierarchy->numNodes), std::pair(RwInt32(0x4000), 2));
    EXPECT_EQ(std::pair(b.hierarchy->pNodeInfo[1].parentIndex, b.hierarchy->parentFrame), std::pair(0, b.bone0));
    RpHAnimHierarchyAttach(b.hierarchy);
    EXPECT_EQ(b.hierarchy->pNodeInfo[1].pFrame, b.bone1);
    RpSkin* skin = RpSkinGeometryGetSkin(b.atomic->geometry);
    ASSERT_NE(skin, nullptr);
    EXPECT_NE(skin, RpSkinGeometryGetSkin(l.atomic->geometry));
    EXPECT_EQ(skin->maxWeightsPerVertex, 2);
    EXPECT_TRUE(Near(RpSkinGetSkinToBoneMatrices(skin)[1].pos, {-1, 0, 0}));
    EXPECT_EQ(std::pair(RpSkinGetVertexBoneWeights(skin)[2][0], RpSkinGetVertexBoneIndices(skin)[2][1]),
              std::pair(0.5f, RwUInt8(1)));
    EXPECT_TRUE(b.atomic->geometry->flags & rpGeometrySkinned);

    // The drawing hook: skinning matrix 1 = skin-to-bone (x - 1), then the bone (y + 2).
    RpAtomicSkinQueryCallBack query = RpAtomicGetSkinQueryCallBack();
    RpAtomicSkinData data{};
    RpSkinAtomicSetHAnimHierarchy(b.atomic, b.hierarchy);
    b.hierarchy->pMatrixArray[1].pos = {0, 2, 0};
    ASSERT_TRUE(query(b.atomic, b.atomic->geometry, &data));
    EXPECT_EQ(data.numBones, 2);
    EXPECT_EQ(std::pair(data.weights, data.boneIndices),
              std::pair(RpSkinGetVertexBoneWeights(skin), RpSkinGetVertexBoneIndices(skin)));
    EXPECT_TRUE(Near(Transformed(data.boneMatrices[1], {2, 0, 0}), {1, 2, 0}));
    RpAtomic* plain = RpAtomicCreate();
    EXPECT_FALSE(query(plain, plain->geometry, &data));
    RpAtomicDestroy(plain);

    // Clones get hierarchies of their own, bound to their own frames, with the matrices.
    for (RpClump* source : {l.clump, back}) {
        RpClump* clone = RpClumpClone(source);
        ASSERT_NE(clone, nullptr);
        Limb c = FindLimb(clone);
        ASSERT_NE(c.hierarchy, nullptr);
        EXPECT_NE(c.hierarchy, FindLimb(source).hierarchy);
        EXPECT_EQ(c.hierarchy->parentFrame, c.bone0);
        EXPECT_EQ(c.hierarchy->pNodeInfo[1].pFrame, c.bone1);
        EXPECT_TRUE(Near(c.hierarchy->pMatrixArray[1].pos, FindLimb(source).hierarchy->pMatrixArray[1].pos));
        // The skin follows the clone's hierarchy when the source's followed one.
        EXPECT_EQ(RpSkinAtomicGetHAnimHierarchy(c.atomic), source == back ? c.hierarchy : nullptr);
        RpClumpDestroy(clone);
    }
    RpClumpDestroy(back);
}

// Where the bytes first hold the words, or past the end.
size_t Find(const std::vector<RwUInt8>& bytes, std::vector<RwUInt32> words)
{
    const auto* begin = reinterpret_cast<const RwUInt8*>(words.data());
    return size_t(std::search(bytes.begin(), bytes.end(), begin, begin + words.size() * 4) - bytes.begin());
}

TEST_F(Skin, BadSkinAndSkeletonDataIsRefused)
{
    LogCapture log;
    RwMatrix m;
    RwMatrixSetIdentity(&m);
    const struct {
        RwUInt8 bone;
        RwReal weights[2];
    } cases[] = {{3, {1, 0}}, {0, {0, 0}}, {0, {-1, 2}}, {0, {NAN, 1}}};
    for (const auto& c : cases) {
        const RpSkinVertexIndices idx[1] = {{c.bone, 0, 0, 0}};
        const RpSkinVertexWeights w[1] = {{c.weights[0], c.weights[1], 0, 0}};
        EXPECT_EQ(RpSkinCreate(1, 1, &m, idx, w), nullptr) << int(c.bone) << " " << c.weights[0];
    }
    EXPECT_EQ(log.Count("RpSkinCreate"), 4);
    RpSkin* empty = RpSkinCreate(0, 1, &m, nullptr, nullptr);
    EXPECT_NE(empty, nullptr) << "a skin of no vertices is no fault";
    RpSkinDestroy(empty);

    // In a written clump. The skin chunk (0x201) holds a Data chunk: numBones, the weights
    // count, the bone indices. Bone 1's skeleton chunk (0x200) holds its id and no hierarchy.
    const std::vector<RwUInt8> bytes = WriteClump(l.clump);
    const size_t skin = Find(bytes, {rwChunkSkin, 1}), bone1 = Find(bytes, {rwChunkData, 1, 8, 1, 0});
    ASSERT_LT(std::max(skin, bone1), bytes.size());
    const struct {
        size_t at;
        RwUInt8 value;
        const char* what;
    } patches[] = {
        {skin + 32, 9, "bad bone"},
        {skin + 24, 200, "do not match"},
        {skin + 12, 1, "data chunk missing"},
        {bone1 + 16, 1, "hierarchy cut short"},
    };
    for (const auto& p : patches) {
        std::vector<RwUInt8> bad = bytes;
        bad[p.at] = p.value;
        log.Clear();
        EXPECT_EQ(ReadClump(bad), nullptr) << p.what;
        EXPECT_TRUE(log.Contains(p.what)) << p.what;
    }
}

// The stored skin: numBones and the weights count at skin + 24 and + 28, then four bone
// indices and four weights a vertex (6 vertices), then the skin-to-bone matrices.
TEST_F(Skin, StoredCountsAndMatricesAreCheckedAsTheyAreRead)
{
    const std::vector<RwUInt8> bytes = WriteClump(l.clump);
    const size_t skin = Find(bytes, {rwChunkSkin, 1});
    ASSERT_LT(skin, bytes.size());
    const size_t matrices = skin + 32 + 6 * 4 + 6 * 16;
    const struct {
        size_t at;
        RwUInt32 word;
        const char* what;  // null: read
    } patches[] = {
        {skin + 24, 0, "do not match"},
        {skin + 28, 0, "do not match"},
        {skin + 28, 5, "do not match"},
        {matrices, 0x7fc00000, "is not a number"},
        {matrices + 64 + 48, 0x7f800000, "is not a number"},
        {skin + 28, 4, nullptr},
    };
    LogCapture log;
    for (const auto& p : patches) {
        std::vector<RwUInt8> patched = bytes;
        std::memcpy(&patched[p.at], &p.word, 4);
        log.Clear();
        RpClump* back = ReadClump(patched);
        EXPECT_EQ(back == nullptr, p.what != nullptr) << p.at - skin << " " << p.word;
        if (p.what) {
            EXPECT_TRUE(log.Contains(p.what)) << p.what;
            continue;
        }
        const RpSkin* read = RpSkinGeometryGetSkin(FindLimb(back).atomic->geometry);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->maxWeightsPerVertex, 4) << "the stored count is kept";
        // Bone 1's matrix is a step: rigid, and not the identity.
        const RwMatrix& m = RpSkinGetSkinToBoneMatrices(read)[1];
        EXPECT_EQ(m.flags & (rwMatrixTypeOrthonormal | rwMatrixInternalIdentity), RwUInt32(rwMatrixTypeOrthonormal));
        RpClumpDestroy(back);
    }
}

TEST_F(Skin, ALowDetailMeshIsDrawnSkinnedOnlyWhenBoundToTheSameBones)
{
    const RpSkin* own = RpSkinGeometryGetSkin(l.atomic->geometry);
    ASSERT_NE(own, nullptr);
    RpSkinAtomicSetHAnimHierarchy(l.atomic, l.hierarchy);
    const RpAtomicSkinQueryCallBack query = RpAtomicGetSkinQueryCallBack();
    RpAtomicSkinData ownData{};
    ASSERT_TRUE(query(l.atomic, l.atomic->geometry, &ownData));
    const RpSkinVertexIndices indices[2] = {{0, 0, 0, 0}, {1, 0, 0, 0}};
    const RpSkinVertexWeights weights[2] = {{1, 0, 0, 0}, {1, 0, 0, 0}};
    std::vector<RwMatrix> moved(own->skinToBone, own->skinToBone + own->numBones);
    moved[1].pos.y += 0.5f;
    std::vector<RwMatrix> more(own->skinToBone, own->skinToBone + own->numBones);
    more.push_back(more.back());
    const struct {
        const char* name;
        std::vector<RwMatrix> skinToBone;
        bool skinned;
    } cases[] = {
        {"the same bones", std::vector<RwMatrix>(own->skinToBone, own->skinToBone + own->numBones), true},
        {"a bone bound elsewhere", moved, false},
        {"a bone more", more, false},
    };
    for (const auto& c : cases) {
        RpGeometry* low = RpGeometryCreate(2, 0, 0);
        RpSkin* skin = RpSkinCreate(2, RwInt32(c.skinToBone.size()), c.skinToBone.data(), indices, weights);
        ASSERT_NE(RpSkinGeometrySetSkin(low, skin), nullptr) << c.name;
        RpAtomicSkinData data{};
        EXPECT_EQ(query(l.atomic, low, &data), c.skinned) << c.name;
        if (c.skinned) {
            EXPECT_EQ(std::tuple(data.numBones, data.boneMatrices, data.weights),
                      std::tuple(ownData.numBones, ownData.boneMatrices, RpSkinGetVertexBoneWeights(skin)));
        }
        RpGeometryDestroy(low);
    }
}

}  // namespace
