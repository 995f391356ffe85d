#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

::testing::AssertionResult Near(const RwV3d& got, const RwV3d& want, float tolerance = 1e-5f)
{
    if (std::abs(got.x - want.x) <= tolerance && std::abs(got.y - want.y) <= tolerance &&
        std::abs(got.z - want.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << "), wanted ("
                                         << want.x << ", " << want.y << ", " << want.z << ")";
}

RwV3d Apply(const RwMatrix* m, RwV3d p)
{
    RwV3d out;
    RwV3dTransformPoints(&out, &p, 1, m);
    return out;
}

const RwV3d kX{1, 0, 0}, kY{0, 1, 0}, kZ{0, 0, 1};

// Each matrix is built from identity; the case says where it takes a point.
TEST(MatrixTest, TransformsCombineInTheirOrder)
{
    const RwV3d t{1, 0, 0};
    const struct Case {
        const char* name;
        std::function<void(RwMatrix*)> build;
        RwV3d in, out;
    } cases[] = {
        {"turn about z, right-handed in degrees", [](RwMatrix* m) { RwMatrixRotate(m, &kZ, 90, rwCombineReplace); },
         {1, 0, 0}, {0, 1, 0}},
        {"turn about x", [](RwMatrix* m) { RwMatrixRotate(m, &kX, 90, rwCombineReplace); }, {0, 1, 0}, {0, 0, 1}},
        {"replace drops the turn",
         [&](RwMatrix* m) {
             RwMatrixRotate(m, &kZ, 90, rwCombineReplace);
             RwMatrixTranslate(m, &t, rwCombineReplace);
         },
         {1, 0, 0}, {2, 0, 0}},
        {"pre: the step acts first, in the matrix's own space",
         [&](RwMatrix* m) {
             RwMatrixRotate(m, &kZ, 90, rwCombineReplace);
             RwMatrixTranslate(m, &t, rwCombinePreMultiply);
         },
         {1, 0, 0}, {0, 2, 0}},
        {"post: the turn acts first, then the step in the parent's space",
         [&](RwMatrix* m) {
             RwMatrixRotate(m, &kZ, 90, rwCombineReplace);
             RwMatrixTranslate(m, &t, rwCombinePostMultiply);
         },
         {1, 0, 0}, {1, 1, 0}},
        {"scale, then a step",
         [](RwMatrix* m) {
             const RwV3d s{2, 3, 4}, step{10, 0, 0};
             RwMatrixScale(m, &s, rwCombineReplace);
             RwMatrixTranslate(m, &step, rwCombinePostMultiply);
         },
         {1, 1, 1}, {12, 3, 4}},
        {"a whole matrix, pre-multiplied",
         [&](RwMatrix* m) {
             RwMatrix step;
             RwMatrixTranslate(RwMatrixSetIdentity(&step), &t, rwCombineReplace);
             RwMatrixRotate(m, &kZ, 90, rwCombineReplace);
             RwMatrixTransform(m, &step, rwCombinePreMultiply);
         },
         {0, 0, 0}, {0, 1, 0}},
        {"multiply applies its first operand first",
         [&](RwMatrix* m) {
             RwMatrix a, b;
             RwMatrixRotate(RwMatrixSetIdentity(&a), &kZ, 90, rwCombineReplace);
             RwMatrixTranslate(RwMatrixSetIdentity(&b), &t, rwCombineReplace);
             RwMatrixMultiply(m, &a, &b);
         },
         {1, 0, 0}, {1, 1, 0}},
    };
    for (const Case& c : cases) {
        RwMatrix m;
        RwMatrixSetIdentity(&m);
        c.build(&m);
        EXPECT_TRUE(Near(Apply(&m, c.in), c.out)) << c.name;
    }
}

TEST(MatrixTest, VectorsIgnoreTheStepAndFlagsFollowTheAxes)
{
    RwMatrix m;
    const RwV3d s{2, 3, 4}, t{10, 0, 0};
    RwMatrixRotate(RwMatrixSetIdentity(&m), &kY, 30, rwCombineReplace);
    EXPECT_TRUE(m.flags & rwMatrixTypeOrthonormal);
    RwMatrixScale(RwMatrixSetIdentity(&m), &s, rwCombineReplace);
    RwMatrixTranslate(&m, &t, rwCombinePostMultiply);
    EXPECT_FALSE(m.flags & rwMatrixTypeOrthonormal);
    const RwV3d in[2] = {{1, 1, 1}, {0, 0, 1}};
    RwV3d vectors[2];
    RwV3dTransformVectors(vectors, in, 2, &m);
    EXPECT_TRUE(Near(vectors[0], {2, 3, 4}));
    EXPECT_TRUE(Near(vectors[1], {0, 0, 4}));
    const RwV3d v{3, 4, 0};
    EXPECT_FLOAT_EQ(RwV3dLength(&v), 5);
}

TEST(MatrixTest, InverseTimesOriginalIsIdentityAndSingularOnesHaveNone)
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

    const RwV3d flat{1, 0, 1};
    RwMatrixScale(RwMatrixSetIdentity(&m), &flat, rwCombineReplace);
    EXPECT_EQ(RwMatrixInvert(&inv, &m), nullptr);
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

    RwMatrix inv, delta, expected;
    RwMatrixInvert(&inv, &old);
    RwMatrixMultiply(&delta, &inv, RwFrameGetMatrix(root));
    RwMatrixRotate(RwMatrixSetIdentity(&expected), &kY, 15, rwCombineReplace);
    RwMatrixTranslate(&expected, &step, rwCombinePostMultiply);
    EXPECT_TRUE(Near(delta.pos, expected.pos));
    EXPECT_TRUE(Near(delta.right, expected.right));
    EXPECT_TRUE(Near(delta.at, expected.at));
    RwFrameDestroy(root);
}

TEST(FrameTest, WorldMatricesFollowTheHierarchyInEachCombineMode)
{
    RwFrame* parent = RwFrameCreate();
    RwFrame* child = RwFrameCreate();
    ASSERT_EQ(RwFrameAddChild(parent, child), parent);
    const RwV3d up10{0, 10, 0}, right2{2, 0, 0};

    RwFrameTranslate(parent, &up10, rwCombineReplace);
    RwFrameRotate(parent, &kZ, 90, rwCombinePreMultiply);  // parent: turn, then lift
    RwFrameTranslate(child, &right2, rwCombineReplace);
    // The child's origin: (2, 0, 0) turned to (0, 2, 0), lifted to (0, 12, 0).
    EXPECT_TRUE(Near(RwFrameGetLTM(child)->pos, {0, 12, 0}));

    // Post-multiplying the parent by a turn about z swings the lifted child around the origin.
    RwFrameRotate(parent, &kZ, 90, rwCombinePostMultiply);
    EXPECT_TRUE(Near(RwFrameGetLTM(child)->pos, {-12, 0, 0}));

    // Pre-multiplying the child turns it about its own origin: its position stays.
    RwFrameRotate(child, &kZ, 180, rwCombinePreMultiply);
    EXPECT_TRUE(Near(RwFrameGetLTM(child)->pos, {-12, 0, 0}));
    EXPECT_TRUE(Near(RwFrameGetLTM(child)->right, {1, 0, 0}));

    // Writing the modelling matrix directly is seen at the next LTM query.
    RwFrameGetMatrix(parent)->pos = {0, 0, 5};
    RwMatrixMarkChanged(RwFrameGetMatrix(parent));
    EXPECT_TRUE(Near(RwFrameGetLTM(child)->pos, {-2, 0, 5}));

    RwFrameSetIdentity(parent);
    const RwV3d twice{2, 2, 2};
    RwFrameScale(parent, &twice, rwCombineReplace);
    EXPECT_NEAR(RwFrameGetLTM(child)->right.x, -2, 1e-5f);
    RwFrameDestroyHierarchy(parent);
}

TEST(FrameTest, ChainsOfAnyDepthAndNoFrameAtAll)
{
    // Each frame one step up from its parent: the leaf sits as high as the chain is long.
    const RwV3d step{0, 1, 0};
    RwFrame* root = RwFrameCreate();
    RwFrame* leaf = root;
    for (int i = 1; i < 1000; ++i) {
        RwFrame* next = RwFrameCreate();
        RwFrameTranslate(next, &step, rwCombineReplace);
        RwFrameAddChild(leaf, next);
        leaf = next;
    }
    EXPECT_TRUE(Near(RwFrameGetLTM(leaf)->pos, {0, 999, 0}));
    EXPECT_EQ(RwFrameGetRoot(leaf), root);
    RwFrameDestroyHierarchy(root);

    LogCapture log;
    EXPECT_EQ(RwFrameGetLTM(nullptr), nullptr);
    EXPECT_TRUE(log.Contains("RwFrameGetLTM: no frame"));
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
        EXPECT_EQ(RwFrameAddChild(c, c), nullptr);
    }
    EXPECT_EQ(RwFrameGetRoot(c), a);
    EXPECT_EQ(RwFrameCount(a), 3);
    RwFrame* d = RwFrameCreate();
    RwFrameAddChild(a, d);
    const auto count = [](RwFrame* f, void* data) -> RwFrame* { return ++*static_cast<int*>(data) < 2 ? f : nullptr; };
    int visited = 0;
    RwFrameForAllChildren(a, count, &visited);
    EXPECT_EQ(visited, 2);
    visited = 0;
    RwFrameForAllChildren(b, count, &visited);
    EXPECT_EQ(visited, 1);

    RwCamera* camera = RwCameraCreate();
    RwCamera* other = RwCameraCreate();
    RwObjectHasFrameSetFrame(camera, c);
    RwObjectHasFrameSetFrame(other, c);
    const auto countObjects = [](RwObjectHasFrame* o, void* data) -> RwObjectHasFrame* {
        ++*static_cast<int*>(data);
        return o;
    };
    visited = 0;
    RwFrameForAllObjects(c, countObjects, &visited);
    EXPECT_EQ(visited, 2);
    RwFrameRemoveChild(d);
    EXPECT_EQ(RwFrameGetParent(d), nullptr);
    EXPECT_EQ(RwFrameCount(a), 3);
    RwFrameDestroy(b);  // c becomes a root and keeps its cameras
    EXPECT_EQ(RwFrameGetParent(c), nullptr);
    EXPECT_EQ(RwFrameCount(a), 1);
    RwObjectHasFrameSetFrame(other, nullptr);
    EXPECT_EQ(RwCameraGetFrame(camera), c);
    RwFrameDestroy(c);
    EXPECT_EQ(RwCameraGetFrame(camera), nullptr);
    RwCameraDestroy(camera);
    RwCameraDestroy(other);
    RwFrameDestroy(d);
    RwFrameDestroyHierarchy(a);
}

}  // namespace
