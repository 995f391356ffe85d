#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

void ExpectV3(const RwV3d& v, float x, float y, float z, float tol = 1e-5f)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

RwV3d Apply(const RwMatrix* m, RwV3d p)
{
    RwV3d out;
    RwV3dTransformPoints(&out, &p, 1, m);
    return out;
}

const RwV3d kX{1, 0, 0}, kY{0, 1, 0}, kZ{0, 0, 1};

TEST(MatrixTest, RotationIsRightHandedInDegrees)
{
    RwMatrix m;
    RwMatrixSetIdentity(&m);
    RwMatrixRotate(&m, &kZ, 90, rwCombineReplace);
    ExpectV3(Apply(&m, {1, 0, 0}), 0, 1, 0);
    RwMatrixRotate(&m, &kX, 90, rwCombineReplace);
    ExpectV3(Apply(&m, {0, 1, 0}), 0, 0, 1);
    EXPECT_TRUE(m.flags & rwMatrixTypeOrthonormal);
}

// Rotate 90 degrees about z, then combine a translation by (1, 0, 0) in each mode.
TEST(MatrixTest, CombineModesPinTheOperandOrder)
{
    const RwV3d t{1, 0, 0};
    RwMatrix m;
    RwMatrixRotate(RwMatrixSetIdentity(&m), &kZ, 90, rwCombineReplace);
    RwMatrixTranslate(&m, &t, rwCombineReplace);
    ExpectV3(Apply(&m, {0, 0, 0}), 1, 0, 0);
    ExpectV3(Apply(&m, {1, 0, 0}), 2, 0, 0);  // the rotation is gone

    // Pre: the translation acts first, in the matrix's own space, then the rotation.
    RwMatrixRotate(RwMatrixSetIdentity(&m), &kZ, 90, rwCombineReplace);
    RwMatrixTranslate(&m, &t, rwCombinePreMultiply);
    ExpectV3(m.pos, 0, 1, 0);
    ExpectV3(Apply(&m, {1, 0, 0}), 0, 2, 0);

    // Post: the rotation acts first, then the translation in the parent's space.
    RwMatrixRotate(RwMatrixSetIdentity(&m), &kZ, 90, rwCombineReplace);
    RwMatrixTranslate(&m, &t, rwCombinePostMultiply);
    ExpectV3(m.pos, 1, 0, 0);
    ExpectV3(Apply(&m, {1, 0, 0}), 1, 1, 0);

    // Multiply(a, b) applies a first.
    RwMatrix a, b, ab;
    RwMatrixRotate(RwMatrixSetIdentity(&a), &kZ, 90, rwCombineReplace);
    RwMatrixTranslate(RwMatrixSetIdentity(&b), &t, rwCombineReplace);
    RwMatrixMultiply(&ab, &a, &b);
    ExpectV3(Apply(&ab, {1, 0, 0}), 1, 1, 0);
}

TEST(MatrixTest, ScaleAndTransformPointsAndVectors)
{
    RwMatrix m;
    const RwV3d s{2, 3, 4}, t{10, 0, 0};
    RwMatrixScale(RwMatrixSetIdentity(&m), &s, rwCombineReplace);
    RwMatrixTranslate(&m, &t, rwCombinePostMultiply);
    EXPECT_FALSE(m.flags & rwMatrixTypeOrthonormal);
    const RwV3d in[2] = {{1, 1, 1}, {0, 0, 1}};
    RwV3d points[2], vectors[2];
    RwV3dTransformPoints(points, in, 2, &m);
    RwV3dTransformVectors(vectors, in, 2, &m);
    ExpectV3(points[0], 12, 3, 4);
    ExpectV3(points[1], 10, 0, 4);
    ExpectV3(vectors[0], 2, 3, 4);
    const RwV3d v{3, 4, 0};
    EXPECT_FLOAT_EQ(RwV3dLength(&v), 5);
}

TEST(MatrixTest, InverseTimesOriginalIsIdentity)
{
    RwMatrix m;
    const RwV3d axis{1, 2, 3}, t{4, -5, 6}, s{2, 0.5f, 3};
    RwMatrixRotate(RwMatrixSetIdentity(&m), &axis, 37, rwCombineReplace);
    RwMatrixScale(&m, &s, rwCombinePostMultiply);
    RwMatrixTranslate(&m, &t, rwCombinePostMultiply);
    RwMatrix inv, product, other;
    ASSERT_NE(RwMatrixInvert(&inv, &m), nullptr);
    RwMatrixMultiply(&product, &inv, &m);
    EXPECT_TRUE(RwMatrixIsIdentity(&product, 1e-5f));
    RwMatrixMultiply(&other, &m, &inv);
    EXPECT_TRUE(RwMatrixIsIdentity(&other, 1e-5f));

    RwMatrix singular;
    const RwV3d flat{1, 0, 1};
    RwMatrixScale(RwMatrixSetIdentity(&singular), &flat, rwCombineReplace);
    EXPECT_EQ(RwMatrixInvert(&inv, &singular), nullptr);
}

// The root-motion reading: the step a frame made, post-multiplied in its parent's space, is
// inverse(old) x new.
TEST(MatrixTest, LocatorDeltaIsTheStepTheRootMade)
{
    RwFrame* root = RwFrameCreate();
    const RwV3d start{3, 0, -2}, step{0, 0, 1.5f};
    RwFrameRotate(root, &kY, 30, rwCombineReplace);
    RwFrameTranslate(root, &start, rwCombinePostMultiply);
    const RwMatrix old = *RwFrameGetMatrix(root);

    RwFrameRotate(root, &kY, 15, rwCombinePostMultiply);
    RwFrameTranslate(root, &step, rwCombinePostMultiply);
    const RwMatrix now = *RwFrameGetMatrix(root);

    RwMatrix inv, delta, expected;
    RwMatrixInvert(&inv, &old);
    RwMatrixMultiply(&delta, &inv, &now);
    RwMatrixRotate(RwMatrixSetIdentity(&expected), &kY, 15, rwCombineReplace);
    RwMatrixTranslate(&expected, &step, rwCombinePostMultiply);
    ExpectV3(delta.pos, expected.pos.x, expected.pos.y, expected.pos.z);
    ExpectV3(delta.right, expected.right.x, expected.right.y, expected.right.z);
    ExpectV3(delta.at, expected.at.x, expected.at.y, expected.at.z);
    RwFrameDestroy(root);
}

TEST(FrameTest, WorldMatricesFollowTheHierarchyInEachCombineMode)
{
    RwFrame* parent = RwFrameCreate();
    RwFrame* child = RwFrameCreate();
    ASSERT_NE(RwFrameAddChild(parent, child), nullptr);
    const RwV3d up10{0, 10, 0}, right2{2, 0, 0};

    RwFrameTranslate(parent, &up10, rwCombineReplace);
    RwFrameRotate(parent, &kZ, 90, rwCombinePreMultiply);  // parent: turn, then lift
    RwFrameTranslate(child, &right2, rwCombineReplace);
    // The child's origin: (2, 0, 0) turned to (0, 2, 0), lifted to (0, 12, 0).
    ExpectV3(RwFrameGetLTM(child)->pos, 0, 12, 0);

    // Post-multiplying the parent by a turn about z swings the lifted child around the origin.
    RwFrameRotate(parent, &kZ, 90, rwCombinePostMultiply);
    ExpectV3(RwFrameGetLTM(child)->pos, -12, 0, 0);

    // Pre-multiplying the child turns it about its own origin: its position stays.
    RwFrameRotate(child, &kZ, 180, rwCombinePreMultiply);
    ExpectV3(RwFrameGetLTM(child)->pos, -12, 0, 0);
    ExpectV3(RwFrameGetLTM(child)->right, 1, 0, 0);

    // Writing the modelling matrix directly is seen at the next LTM query.
    RwFrameGetMatrix(parent)->pos = {0, 0, 5};
    RwMatrixMarkChanged(RwFrameGetMatrix(parent));
    ExpectV3(RwFrameGetLTM(child)->pos, -2, 0, 5);

    RwFrameSetIdentity(parent);
    const RwV3d twice{2, 2, 2};
    RwFrameScale(parent, &twice, rwCombineReplace);
    EXPECT_NEAR(RwFrameGetLTM(child)->right.x, -2, 1e-5f);
    RwFrameDestroyHierarchy(parent);
}

TEST(FrameTest, HierarchyEditsRejectCyclesAndCallbacksStopOnNull)
{
    RwFrame* a = RwFrameCreate();
    RwFrame* b = RwFrameCreate();
    RwFrame* c = RwFrameCreate();
    RwFrameAddChild(a, b);
    RwFrameAddChild(b, c);
    {
        LogCapture log;
        EXPECT_EQ(RwFrameAddChild(c, a), nullptr);
    }
    EXPECT_EQ(RwFrameGetRoot(c), a);
    EXPECT_EQ(RwFrameCount(a), 3);
    RwFrame* d = RwFrameCreate();
    RwFrameAddChild(a, d);
    int visited = 0;
    RwFrameForAllChildren(
        a, [](RwFrame*, void* data) -> RwFrame* { ++*static_cast<int*>(data); return nullptr; }, &visited);
    EXPECT_EQ(visited, 1);

    RwCamera* camera = RwCameraCreate();
    RwObjectHasFrameSetFrame(camera, c);
    EXPECT_EQ(RwCameraGetFrame(camera), c);
    RwFrameDestroy(b);  // c becomes a root and keeps its camera
    EXPECT_EQ(RwFrameGetParent(c), nullptr);
    EXPECT_EQ(RwFrameCount(a), 2);
    RwFrameDestroy(c);
    EXPECT_EQ(RwCameraGetFrame(camera), nullptr);
    RwCameraDestroy(camera);
    RwFrameDestroyHierarchy(a);
}

}  // namespace
