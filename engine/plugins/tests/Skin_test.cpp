#include "support/PluginTestSupport.h"

#include <cmath>
#include <vector>

namespace {

std::vector<RwV3d> Blend(RpAtomic* atomic)
{
    std::vector<RwV3d> out(size_t(atomic->geometry->numVertices));
    EXPECT_NE(RpSkinBlendVertices(atomic, out.data(), nullptr), nullptr);
    return out;
}

// Rest positions of the limb's vertex v.
RwV3d Rest(const Limb& l, int v)
{
    return l.atomic->geometry->morphTarget[0].verts[v];
}

constexpr int kTipRing = 16;  // first vertex of the ring at x 2

}  // namespace

TEST(Skin, BindPosePathLeavesTheMeshAsStored)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    RpSkin* skin = RpSkinGeometryGetSkin(l.atomic->geometry);
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(RpSkinGetNumBones(skin), 2);
    // What loading does with its bind-pose flag.
    RpSkinAtomicSetHAnimHierarchy(l.atomic, l.hierarchy);
    l.hierarchy->flags |= rpHAnimHierarchyLocalSpaceMatrices;
    for (int i = 0; i < RpSkinGetNumBones(skin); ++i)
        RwMatrixInvert(&l.hierarchy->pMatrixArray[i], &RpSkinGetSkinToBoneMatrices(skin)[i]);
    const std::vector<RwV3d> blended = Blend(l.atomic);
    for (size_t v = 0; v < blended.size(); ++v)
        EXPECT_TRUE(Near(blended[v], Rest(l, int(v)))) << "vertex " << v;
    RpClumpDestroy(l.clump);
}

TEST(Skin, WorldMatricesAreBroughtIntoTheAtomicsSpace)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    const RwV3d away{10, -4, 2};
    RwFrameTranslate(l.root, &away, rwCombineReplace);
    RpSkinAtomicSetHAnimHierarchy(l.atomic, l.hierarchy);
    RpHAnimHierarchyAttach(l.hierarchy);
    // Frames at their bind pose, no animation: the mesh is as stored.
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(l.hierarchy));
    std::vector<RwV3d> blended = Blend(l.atomic);
    for (size_t v = 0; v < blended.size(); ++v)
        EXPECT_TRUE(Near(blended[v], Rest(l, int(v)))) << "vertex " << v;

    // Halfway through the bend: the tip turns 45 degrees about the elbow at x 1, and the
    // shared ring at the elbow moves by half of that.
    RtAnimAnimation* anim = MakeBendAnimation();
    l.hierarchy->flags |= rpHAnimHierarchyUpdateModellingMatrices;
    RtAnimInterpolatorSetCurrentAnim(l.hierarchy->interpolator, anim);
    RtAnimInterpolatorSetCurrentTime(l.hierarchy->interpolator, 0.5f);
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);
    blended = Blend(l.atomic);
    const RwReal c = std::cos(3.14159265f / 4), s = std::sin(3.14159265f / 4);
    for (int k = 0; k < 4; ++k) {
        const RwV3d r = Rest(l, kTipRing + k);
        EXPECT_TRUE(Near(blended[size_t(kTipRing + k)], {1 + c * 1 - s * r.y, s * 1 + c * r.y, r.z}));
        EXPECT_TRUE(Near(blended[size_t(k)], Rest(l, k)));  // root ring on bone 0
    }
    RpClumpDestroy(l.clump);
    RtAnimAnimationDestroy(anim);
}

TEST(Skin, SkinSurvivesTheClumpStreamAndDrivesTheQueryHook)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    RpClump* back = RoundTrip(l.clump);
    ASSERT_NE(back, nullptr);
    Limb b = FindLimb(back);
    RpSkin* skin = RpSkinGeometryGetSkin(b.atomic->geometry);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->maxWeightsPerVertex, 2);
    EXPECT_TRUE(Near(RpSkinGetSkinToBoneMatrices(skin)[1].pos, {-1, 0, 0}));
    EXPECT_FLOAT_EQ(RpSkinGetVertexBoneWeights(skin)[8][0], 0.5f);
    EXPECT_EQ(RpSkinGetVertexBoneIndices(skin)[8][1], 1);
    EXPECT_EQ(RpSkinGeometryGetSkin(l.atomic->geometry) == skin, false);

    RpAtomicSkinQueryCallBack query = RpAtomicGetSkinQueryCallBack();
    ASSERT_NE(query, nullptr);
    RpAtomicSkinData data{};
    RpSkinAtomicSetHAnimHierarchy(b.atomic, b.hierarchy);
    b.hierarchy->pMatrixArray[1].pos = {0, 2, 0};
    b.hierarchy->flags = rpHAnimHierarchyLocalSpaceMatrices;
    ASSERT_TRUE(query(b.atomic, &data));
    EXPECT_EQ(data.numBones, 2);
    EXPECT_EQ(data.weights, RpSkinGetVertexBoneWeights(skin));
    // skinning matrix 1 = skin-to-bone (x - 1) then the bone (y + 2)
    EXPECT_TRUE(Near(Transformed(data.boneMatrices[1], {2, 0, 0}), {1, 2, 0}));

    RpAtomic* plain = RpAtomicCreate();
    EXPECT_FALSE(query(plain, &data));
    RpAtomicDestroy(plain);
    RpClumpDestroy(back);
    RpClumpDestroy(l.clump);
}

TEST(Skin, MoreBonesThanNodesIsClampedWithAWarning)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    const RwInt32 ids[1] = {0};
    RpHAnimHierarchy* small = RpHAnimHierarchyCreate(1, nullptr, ids, rpHAnimHierarchyLocalSpaceMatrices, 36);
    small->pMatrixArray[0].pos = {0, 1, 0};
    LogCapture log;
    ASSERT_NE(RpSkinAtomicSetHAnimHierarchy(l.atomic, small), nullptr);
    EXPECT_TRUE(log.Contains("2 bones on a hierarchy of 1 nodes"));
    const std::vector<RwV3d> blended = Blend(l.atomic);
    EXPECT_TRUE(Near(blended[0], {0, Rest(l, 0).y + 1, Rest(l, 0).z}));  // bone 0 moved
    EXPECT_TRUE(Near(blended[kTipRing], Rest(l, kTipRing)));                // bone 1 kept
    RpHAnimHierarchyDestroy(small);
    RpClumpDestroy(l.clump);
}

TEST(Skin, BadSkinDataIsRefused)
{
    PluginEngine engine;
    LogCapture log;
    RwMatrix m;
    RwMatrixSetIdentity(&m);
    RpSkinVertexIndices idx[1] = {{3, 0, 0, 0}};
    RpSkinVertexWeights w[1] = {{1, 0, 0, 0}};
    EXPECT_EQ(RpSkinCreate(1, 1, &m, idx, w), nullptr);
    idx[0][0] = 0;
    w[0][0] = 0;
    EXPECT_EQ(RpSkinCreate(1, 1, &m, idx, w), nullptr);
    w[0][0] = -1;
    w[0][1] = 2;
    EXPECT_EQ(RpSkinCreate(1, 1, &m, idx, w), nullptr);
    EXPECT_TRUE(log.Contains("RpSkinCreate"));

    // A bone index out of range inside a written clump: the clump is refused.
    Limb l = MakeLimb();
    std::vector<RwUInt8> bytes = WriteClump(l.clump);
    RpClumpDestroy(l.clump);
    // The skin chunk: type 0x201, then its Data chunk, then numBones and the weights count.
    size_t at = 0;
    for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
        if (bytes[i] == 0x01 && bytes[i + 1] == 0x02 && bytes[i + 2] == 0 && bytes[i + 3] == 0) {
            at = i + 12 + 12 + 8;  // first bone index byte
            break;
        }
    }
    ASSERT_NE(at, 0u);
    bytes[at] = 9;
    log.lines.clear();
    EXPECT_EQ(ReadClump(bytes), nullptr);
    EXPECT_TRUE(log.Contains("bad bone"));
    // Cut inside the skin chunk.
    bytes[at] = 0;
    bytes[at - 8] = 200;  // numBones no longer matches the size
    log.lines.clear();
    EXPECT_EQ(ReadClump(bytes), nullptr);
    EXPECT_TRUE(log.Contains("do not match"));
}
