#include "support/PluginTestSupport.h"

#include <cmath>

namespace {

class HAnim : public LimbTest {};

std::vector<RwInt32> Parents(const RpHAnimHierarchy* h)
{
    std::vector<RwInt32> out;
    for (RwInt32 i = 0; i < h->numNodes; ++i)
        out.push_back(h->pNodeInfo[i].parentIndex);
    return out;
}

TEST_F(HAnim, NodeFlagsEncodeTheTreeDepthFirst)
{
    const RwInt32 ids[6] = {10, 11, 12, 13, 14, 15};
    const RwUInt32 locator[2] = {0, rpHAnimPopParent};
    // 0 { 1 { 2 }, 3, 4 { 5 } }
    const RwUInt32 tree[6] = {0, rpHAnimPushParent, rpHAnimPopParent, rpHAnimPushParent | rpHAnimPopParent, 0,
                              rpHAnimPopParent};
    const struct {
        RwInt32 numNodes;
        const RwUInt32* flags;
        std::vector<RwInt32> parents;
    } cases[] = {{2, locator, {-1, 0}}, {6, tree, {-1, 0, 1, 0, 0, 4}}, {3, nullptr, {-1, 0, 1}}};
    for (const auto& c : cases) {
        RpHAnimHierarchy* h = RpHAnimHierarchyCreate(c.numNodes, c.flags, ids, 0x1000, 36);
        RpHAnimHierarchy* copy = RpHAnimHierarchyCreateCopy(h, 0x3000, 36);
        EXPECT_EQ(Parents(h), c.parents);
        EXPECT_EQ(Parents(copy), c.parents);
        EXPECT_EQ(copy->flags, 0x3000);
        EXPECT_EQ(copy->pNodeInfo[c.numNodes - 1].nodeID, ids[c.numNodes - 1]);
        RpHAnimHierarchyDestroy(copy);
        RpHAnimHierarchyDestroy(h);
    }
    LogCapture log;
    EXPECT_EQ(RpHAnimHierarchyCreate(0, nullptr, ids, 0, 36), nullptr);
    EXPECT_EQ(RpHAnimHierarchyCreate(1, nullptr, ids, 0, 20), nullptr) << "key frames smaller than 36 bytes";
    EXPECT_EQ(log.Count("refused"), 2);
}

TEST_F(HAnim, FindHierarchyLooksAtTheFrameThenDepthFirstBelowIt)
{
    // root { a { a1 { a11 } }, b }: the search from root reaches a11 before b.
    RwFrame* f[5];
    for (RwFrame*& frame : f)
        frame = RwFrameCreate();
    RwFrameAddChild(f[0], f[1]);
    RwFrameAddChild(f[1], f[2]);
    RwFrameAddChild(f[2], f[3]);
    RwFrameAddChild(f[0], f[4]);
    const RwInt32 id = 0;
    const auto put = [&](RwFrame* frame) {
        RpHAnimFrameSetHierarchy(frame, RpHAnimHierarchyCreate(1, nullptr, &id, 0, 36));
        return RpHAnimFrameGetHierarchy(frame);
    };
    EXPECT_EQ(RpHAnimFrameFindHierarchy(f[0]), nullptr);
    EXPECT_EQ(RpHAnimFrameFindHierarchy(nullptr), nullptr);
    RpHAnimHierarchy* onB = put(f[4]);
    EXPECT_EQ(RpHAnimFrameFindHierarchy(f[0]), onB);
    EXPECT_EQ(RpHAnimFrameFindHierarchy(f[1]), nullptr) << "a sibling's is not below";
    RpHAnimHierarchy* deep = put(f[3]);
    EXPECT_EQ(RpHAnimFrameFindHierarchy(f[0]), deep);
    RpHAnimHierarchy* own = put(f[0]);
    EXPECT_EQ(RpHAnimFrameFindHierarchy(f[0]), own);
    RwFrameDestroyHierarchy(f[0]);  // frees the three hierarchies with their frames
}

TEST_F(HAnim, AttachedNodesFollowTheAnimationIntoFramesAndMatrices)
{
    RwFrame* stray = RwFrameCreate();  // same id, but not below the parent frame
    RpHAnimFrameSetID(stray, 1);
    RpHAnimFrameSetID(l.root, 1);  // same id, but above it
    ASSERT_EQ(RpHAnimHierarchyAttach(l.hierarchy), l.hierarchy);
    EXPECT_EQ(std::pair(l.hierarchy->pNodeInfo[0].pFrame, l.hierarchy->pNodeInfo[1].pFrame),
              std::pair(l.bone0, l.bone1));
    const RwV3d shift{0, 3, 0};
    RwFrameTranslate(l.root, &shift, rwCombineReplace);
    RtAnimAnimation* anim = MakeBendAnimation();
    l.hierarchy->flags = rpHAnimHierarchyUpdateModellingMatrices | rpHAnimHierarchyUpdateLTMs;
    RtAnimInterpolatorSetCurrentAnim(l.hierarchy->interpolator, anim);
    RtAnimInterpolatorSetCurrentTime(l.hierarchy->interpolator, 1.0f);
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(l.hierarchy));
    // Bone 1 turned 90 degrees: its x axis now points along y.
    EXPECT_TRUE(Near(Transformed(*RwFrameGetLTM(l.bone1), {1, 0, 0}), {1, 4, 0}));
    EXPECT_TRUE(Near(Transformed(l.hierarchy->pMatrixArray[1], {1, 0, 0}), {1, 4, 0}));
    l.hierarchy->flags |= rpHAnimHierarchyLocalSpaceMatrices;
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);
    EXPECT_TRUE(Near(Transformed(l.hierarchy->pMatrixArray[1], {1, 0, 0}), {1, 1, 0}));
    // Without 0x1000 the frames keep what they have.
    RwFrameSetIdentity(l.bone1);
    l.hierarchy->flags = rpHAnimHierarchyLocalSpaceMatrices;
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);
    EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetMatrix(l.bone1), 1e-6f));
    RpHAnimHierarchyDetach(l.hierarchy);
    EXPECT_EQ(l.hierarchy->pNodeInfo[1].pFrame, nullptr);
    RwFrameDestroy(stray);
    RtAnimAnimationDestroy(anim);
}

TEST_F(HAnim, RootMotionMovesTheRootFrameByItsStep)
{
    // As the locator builds it: node 1 drives the root frame, whose id is 1.
    RwFrame* root = RwFrameCreate();
    RpClump* clump = RpClumpCreate();
    RpClumpSetFrame(clump, root);
    const RwInt32 ids[2] = {0, 1};
    RpHAnimHierarchy* h = RpHAnimHierarchyCreate(2, nullptr, ids, 0x1000, 36);
    RpHAnimFrameSetHierarchy(root, h);
    RpHAnimFrameSetID(root, 1);
    RpHAnimHierarchyAttach(h);
    EXPECT_EQ(h->pNodeInfo[0].pFrame, nullptr);
    EXPECT_EQ(h->pNodeInfo[1].pFrame, root);
    RtAnimAnimation* anim = RtAnimAnimationCreate(2, 1.0f);
    anim->tracks[0].keys = {Key(0, 0), Key(1, 0)};
    anim->tracks[1].keys = {Key(0, 0), Key(1, 30, {0, 0, 2})};
    RtAnimInterpolatorSetCurrentAnim(h->interpolator, anim);
    RpHAnimHierarchyUpdateMatrices(h);
    RwMatrix inverse, step;
    RwMatrixInvert(&inverse, RwFrameGetMatrix(root));
    RtAnimInterpolatorSetCurrentTime(h->interpolator, 0.5f);
    RpHAnimHierarchyUpdateMatrices(h);
    RwMatrixMultiply(&step, RwFrameGetMatrix(root), &inverse);
    EXPECT_TRUE(Near(step.pos, {0, 0, 1}));
    EXPECT_NEAR(std::atan2(step.right.y, step.right.x) * 180 / 3.14159265f, 15.0f, 1e-3f);
    // The clump's frame still holds the hierarchy it was given: destroying the clump frees it
    // (the sanitizer build reports a leak otherwise).
    RpClumpDestroy(clump);
    RtAnimAnimationDestroy(anim);
}

TEST_F(HAnim, AHierarchySitsOnOneFrameAndOneWithoutMatricesIsRefused)
{
    RpHAnimHierarchyDestroy(l.hierarchy);
    EXPECT_EQ(RpHAnimFrameGetHierarchy(l.bone0), nullptr) << "destroying it clears its frame";
    const RwInt32 ids[2] = {0, 1};
    l.hierarchy = RpHAnimHierarchyCreate(2, nullptr, ids, rpHAnimHierarchyNoMatrices, 36);
    EXPECT_EQ(l.hierarchy->pMatrixArray, nullptr);
    RpHAnimFrameSetHierarchy(l.root, l.hierarchy);
    RpHAnimFrameSetHierarchy(l.bone0, l.hierarchy);
    EXPECT_EQ(RpHAnimFrameGetHierarchy(l.root), nullptr) << "moved to the other frame";
    EXPECT_EQ(l.hierarchy->parentFrame, l.bone0);

    LogCapture log;
    EXPECT_FALSE(RpHAnimHierarchyUpdateMatrices(l.hierarchy));
    EXPECT_TRUE(WriteClump(l.clump).empty());
    EXPECT_TRUE(log.Contains("without matrices"));
    RpHAnimStreamAllowNoMatrices(true);
    RpClump* back = RoundTrip(l.clump);
    RpHAnimStreamAllowNoMatrices(false);
    ASSERT_NE(back, nullptr);
    ASSERT_NE(FindLimb(back).hierarchy, nullptr);
    EXPECT_TRUE(FindLimb(back).hierarchy->flags & rpHAnimHierarchyNoMatrices);
    RpClumpDestroy(back);
}

}  // namespace
