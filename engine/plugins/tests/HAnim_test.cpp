#include "support/PluginTestSupport.h"

#include <cmath>

TEST(HAnim, NodeFlagsEncodeTheTreeDepthFirst)
{
    PluginEngine engine;
    // The locator's two nodes: 1 is the child of 0.
    const RwUInt32 locFlags[2] = {0, 1};
    const RwInt32 locIds[2] = {0, 1};
    RpHAnimHierarchy* loc = RpHAnimHierarchyCreate(2, locFlags, locIds, 0x1000, 36);
    ASSERT_NE(loc, nullptr);
    EXPECT_EQ(loc->pNodeInfo[0].parentIndex, -1);
    EXPECT_EQ(loc->pNodeInfo[1].parentIndex, 0);
    RpHAnimHierarchyDestroy(loc);

    // 0 { 1 { 2 }, 3, 4 { 5 } }
    const RwUInt32 flags[6] = {0, rpHAnimPushParent, rpHAnimPopParent, rpHAnimPushParent | rpHAnimPopParent, 0,
                               rpHAnimPopParent};
    const RwInt32 ids[6] = {10, 11, 12, 13, 14, 15};
    RpHAnimHierarchy* h = RpHAnimHierarchyCreate(6, flags, ids, 0, 36);
    const RwInt32 parents[6] = {-1, 0, 1, 0, 0, 4};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(h->pNodeInfo[i].parentIndex, parents[i]) << "node " << i;
    RpHAnimHierarchy* copy = RpHAnimHierarchyCreateCopy(h, 0x3000, 36);
    EXPECT_EQ(copy->flags, 0x3000);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(copy->pNodeInfo[i].parentIndex, parents[i]);
        EXPECT_EQ(copy->pNodeInfo[i].nodeID, ids[i]);
    }
    RpHAnimHierarchyDestroy(copy);
    RpHAnimHierarchyDestroy(h);
}

TEST(HAnim, AttachBindsNodesToFramesByIdIncludingTheParentFrame)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    RwFrame* stray = RwFrameCreate();  // same id, but not below the parent frame
    RpHAnimFrameSetID(stray, 1);
    ASSERT_EQ(RpHAnimHierarchyAttach(l.hierarchy), l.hierarchy);
    EXPECT_EQ(l.hierarchy->pNodeInfo[0].pFrame, l.bone0);
    EXPECT_EQ(l.hierarchy->pNodeInfo[1].pFrame, l.bone1);
    RpHAnimHierarchyDetach(l.hierarchy);
    EXPECT_EQ(l.hierarchy->pNodeInfo[1].pFrame, nullptr);
    RwFrameDestroy(stray);
    RpClumpDestroy(l.clump);
}

TEST(HAnim, UpdateWritesThePoseIntoFramesAndMatrices)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    const RwV3d shift{0, 3, 0};
    RwFrameTranslate(l.root, &shift, rwCombineReplace);
    RtAnimAnimation* anim = MakeBendAnimation();
    l.hierarchy->flags = rpHAnimHierarchyUpdateModellingMatrices | rpHAnimHierarchyUpdateLTMs;
    RpHAnimHierarchyAttach(l.hierarchy);
    RtAnimInterpolatorSetCurrentAnim(l.hierarchy->interpolator, anim);
    RtAnimInterpolatorSetCurrentTime(l.hierarchy->interpolator, 1.0f);
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(l.hierarchy));

    // Bone 1 turned 90 degrees: its x axis now points along y.
    const RwV3d tipWorld{1, 4, 0};
    EXPECT_TRUE(Near(Transformed(*RwFrameGetLTM(l.bone1), {1, 0, 0}), tipWorld));
    EXPECT_TRUE(Near(Transformed(l.hierarchy->pMatrixArray[1], {1, 0, 0}), tipWorld));

    l.hierarchy->flags |= rpHAnimHierarchyLocalSpaceMatrices;
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);
    EXPECT_TRUE(Near(Transformed(l.hierarchy->pMatrixArray[1], {1, 0, 0}), {1, 1, 0}));

    // Without 0x1000 the frames keep what they have.
    RwFrameSetIdentity(l.bone1);
    l.hierarchy->flags = rpHAnimHierarchyLocalSpaceMatrices;
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);
    EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetMatrix(l.bone1), 1e-6f));
    RpClumpDestroy(l.clump);
    RtAnimAnimationDestroy(anim);
}

TEST(HAnim, RootMotionMovesTheRootFrameByItsStep)
{
    PluginEngine engine;
    // As the locator builds it: node 1 drives the root frame, whose id is 1.
    RwFrame* root = RwFrameCreate();
    RpClump* clump = RpClumpCreate();
    RpClumpSetFrame(clump, root);
    const RwUInt32 flags[2] = {0, 1};
    const RwInt32 ids[2] = {0, 1};
    RpHAnimHierarchy* h = RpHAnimHierarchyCreate(2, flags, ids, 0x1000, 36);
    RpHAnimFrameSetHierarchy(root, h);
    RpHAnimFrameSetID(root, 1);
    ASSERT_EQ(RpHAnimFrameGetHierarchy(root), h);
    RpHAnimHierarchyAttach(h);
    EXPECT_EQ(h->pNodeInfo[1].pFrame, root);
    EXPECT_EQ(h->pNodeInfo[0].pFrame, nullptr);

    RtAnimAnimation* anim = RtAnimAnimationCreate(2, 1.0f);
    anim->tracks[0].keys = {Key(0, 0), Key(1, 0)};
    anim->tracks[1].keys = {Key(0, 0), Key(1, 30, {0, 0, 2})};
    RtAnimInterpolatorSetCurrentAnim(h->interpolator, anim);
    RpHAnimHierarchyUpdateMatrices(h);
    const RwMatrix before = *RwFrameGetMatrix(root);
    RtAnimInterpolatorSetCurrentTime(h->interpolator, 0.5f);
    RpHAnimHierarchyUpdateMatrices(h);
    RwMatrix inv, delta;
    RwMatrixInvert(&inv, &before);
    RwMatrixMultiply(&delta, RwFrameGetMatrix(root), &inv);
    EXPECT_TRUE(Near(delta.pos, {0, 0, 1}));
    EXPECT_NEAR(std::atan2(delta.right.y, delta.right.x) * 180 / 3.14159265f, 15.0f, 1e-3f);

    // The clump's frame still holds the hierarchy it was given: destroying the clump frees it
    // (the sanitizer build reports a leak otherwise).
    RpClumpDestroy(clump);
    RtAnimAnimationDestroy(anim);
}

TEST(HAnim, NoMatricesFlagIsRefusedByUpdateAndByTheWriter)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    RpHAnimHierarchyDestroy(l.hierarchy);
    const RwInt32 ids[2] = {0, 1};
    l.hierarchy = RpHAnimHierarchyCreate(2, nullptr, ids, rpHAnimHierarchyNoMatrices, 36);
    EXPECT_EQ(l.hierarchy->pMatrixArray, nullptr);
    RpHAnimFrameSetHierarchy(l.bone0, l.hierarchy);
    LogCapture log;
    EXPECT_FALSE(RpHAnimHierarchyUpdateMatrices(l.hierarchy));
    EXPECT_TRUE(WriteClump(l.clump).empty());
    EXPECT_TRUE(log.Contains("without matrices"));

    RpHAnimStreamAllowNoMatrices(true);
    RpClump* back = RoundTrip(l.clump);
    RpHAnimStreamAllowNoMatrices(false);
    ASSERT_NE(back, nullptr);
    Limb b = FindLimb(back);
    ASSERT_NE(b.hierarchy, nullptr);
    EXPECT_TRUE(b.hierarchy->flags & rpHAnimHierarchyNoMatrices);
    RpClumpDestroy(back);
    RpClumpDestroy(l.clump);
}

TEST(HAnim, DestroyingTheHierarchyClearsItsFrame)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    RpHAnimHierarchyDetach(l.hierarchy);
    RpHAnimHierarchyDestroy(l.hierarchy);
    EXPECT_EQ(RpHAnimFrameGetHierarchy(l.bone0), nullptr);
    // Moving a hierarchy to another frame takes it off the first.
    const RwInt32 ids[1] = {0};
    RpHAnimHierarchy* h = RpHAnimHierarchyCreate(1, nullptr, ids, 0, 36);
    RpHAnimFrameSetHierarchy(l.bone0, h);
    RpHAnimFrameSetHierarchy(l.root, h);
    EXPECT_EQ(RpHAnimFrameGetHierarchy(l.bone0), nullptr);
    EXPECT_EQ(h->parentFrame, l.root);
    RpClumpDestroy(l.clump);  // frees h with the root frame
}

TEST(HAnim, StreamAndCloneCarryIdsHierarchiesAndMatrices)
{
    PluginEngine engine;
    Limb l = MakeLimb();
    l.hierarchy->flags = rpHAnimHierarchyLocalSpaceMatrices;
    l.hierarchy->pMatrixArray[1].pos = {5, 6, 7};
    RpHAnimHierarchyAttach(l.hierarchy);

    RpClump* back = RoundTrip(l.clump);
    ASSERT_NE(back, nullptr);
    Limb b = FindLimb(back);
    ASSERT_NE(b.hierarchy, nullptr);
    EXPECT_EQ(RpHAnimFrameGetID(b.bone0), 0);
    EXPECT_EQ(RpHAnimFrameGetID(b.bone1), 1);
    EXPECT_EQ(RpHAnimFrameGetID(b.root), rpHAnimIdNone);
    EXPECT_EQ(b.hierarchy->flags, rpHAnimHierarchyLocalSpaceMatrices);
    EXPECT_EQ(b.hierarchy->numNodes, 2);
    EXPECT_EQ(b.hierarchy->pNodeInfo[1].parentIndex, 0);
    EXPECT_EQ(b.hierarchy->parentFrame, b.bone0);
    RpHAnimHierarchyAttach(b.hierarchy);
    EXPECT_EQ(b.hierarchy->pNodeInfo[1].pFrame, b.bone1);

    RpClump* clone = RpClumpClone(l.clump);
    ASSERT_NE(clone, nullptr);
    Limb c = FindLimb(clone);
    ASSERT_NE(c.hierarchy, nullptr);
    EXPECT_NE(c.hierarchy, l.hierarchy);
    EXPECT_EQ(c.hierarchy->parentFrame, c.bone0);
    EXPECT_EQ(c.hierarchy->pNodeInfo[1].pFrame, c.bone1);
    EXPECT_TRUE(Near(c.hierarchy->pMatrixArray[1].pos, {5, 6, 7}));
    EXPECT_EQ(RpSkinAtomicGetHAnimHierarchy(c.atomic), nullptr);  // the source had none

    // Either can go first; each frees its own hierarchy.
    RpClumpDestroy(l.clump);
    RpClumpDestroy(clone);
    RpClumpDestroy(back);
}
