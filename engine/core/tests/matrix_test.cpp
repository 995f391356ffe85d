#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

::testing::AssertionResult Near(const RwV3d& got, const RwV3d& want)
{
    if (std::abs(got.x - want.x) > 1e-5f || std::abs(got.y - want.y) > 1e-5f || std::abs(got.z - want.z) > 1e-5f)
        return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ")";
    return ::testing::AssertionSuccess();
}

RwV3d Apply(const RwMatrix* m, RwV3d p)
{
    RwV3d out;
    RwV3dTransformPoints(&out, &p, 1, m);
    return out;
}

const RwV3d kX{1, 0, 0}, kY{0, 1, 0}, kZ{0, 0, 1};

// One step of building a matrix: a turn (degrees about v), a translation or a scale by v.
struct Step {
    char kind;  // 'r', 't' or 's'
    RwV3d v;
    RwOpCombineType combine;
    float degrees = 0;
};

void Build(RwMatrix* m, const std::vector<Step>& steps)
{
    RwMatrixSetIdentity(m);
    for (const Step& s : steps) {
        if (s.kind == 'r')
            RwMatrixRotate(m, &s.v, s.degrees, s.combine);
        else if (s.kind == 't')
            RwMatrixTranslate(m, &s.v, s.combine);
        else
            RwMatrixScale(m, &s.v, s.combine);
    }
}

TEST(MatrixTest, TransformsCombineInTheirOrder)
{
    const Step turn{'r', kZ, rwCombineReplace, 90};
    const struct Case {
        const char* name;
        std::vector<Step> steps;
        RwV3d in, out;
    } cases[] = {
        {"turn about z, right-handed in degrees", {turn}, {1, 0, 0}, {0, 1, 0}},
        {"turn about x", {{'r', kX, rwCombineReplace, 90}}, {0, 1, 0}, {0, 0, 1}},
        {"replace drops the turn", {turn, {'t', kX, rwCombineReplace}}, {1, 0, 0}, {2, 0, 0}},
        {"pre: the step first, in its own space", {turn, {'t', kX, rwCombinePreMultiply}}, {1, 0, 0}, {0, 2, 0}},
        {"post: the turn first, then the step", {turn, {'t', kX, rwCombinePostMultiply}}, {1, 0, 0}, {1, 1, 0}},
        {"scale, then a step", {{'s', {2, 3, 4}, rwCombineReplace}, {'t', {10, 0, 0}, rwCombinePostMultiply}},
         {1, 1, 1}, {12, 3, 4}},
        {"a scale pre-multiplied", {turn, {'s', {2, 1, 1}, rwCombinePreMultiply}}, {1, 0, 0}, {0, 2, 0}},
    };
    for (const Case& c : cases) {
        RwMatrix m;
        Build(&m, c.steps);
        EXPECT_TRUE(Near(Apply(&m, c.in), c.out)) << c.name;
    }
    // Multiply and Transform take whole matrices: a x b applies a first.
    RwMatrix a, b, ab;
    Build(&a, {turn});
    Build(&b, {{'t', kX, rwCombineReplace}});
    RwMatrixMultiply(&ab, &a, &b);
    EXPECT_TRUE(Near(Apply(&ab, {1, 0, 0}), {1, 1, 0}));
    RwMatrixTransform(&a, &b, rwCombinePreMultiply);
    EXPECT_TRUE(Near(Apply(&a, {0, 0, 0}), {0, 1, 0}));
}

TEST(MatrixTest, VectorsIgnoreTheStepAndOnlyRegularMatricesInvert)
{
    RwMatrix m, inv, product, other;
    Build(&m, {{'r', kY, rwCombineReplace, 30}});
    EXPECT_TRUE(m.flags & rwMatrixTypeOrthonormal);
    Build(&m, {{'s', {2, 3, 4}, rwCombineReplace}, {'t', {10, 0, 0}, rwCombinePostMultiply}});
    EXPECT_FALSE(m.flags & rwMatrixTypeOrthonormal);
    const RwV3d in[2] = {{1, 1, 1}, {0, 0, 1}};
    RwV3d vectors[2];
    RwV3dTransformVectors(vectors, in, 2, &m);
    EXPECT_TRUE(Near(vectors[0], {2, 3, 4}));
    EXPECT_TRUE(Near(vectors[1], {0, 0, 4}));
    EXPECT_FLOAT_EQ(RwV3dLength(&vectors[0]), std::sqrt(29.0f));

    Build(&m, {{'r', {1, 2, 3}, rwCombineReplace, 37}, {'s', {2, 0.5f, 3}, rwCombinePostMultiply},
               {'t', {4, -5, 6}, rwCombinePostMultiply}});
    ASSERT_NE(RwMatrixInvert(&inv, &m), nullptr);
    RwMatrixMultiply(&product, &inv, &m);
    EXPECT_TRUE(RwMatrixIsIdentity(&product, 1e-5f));
    RwMatrixMultiply(&other, &m, &inv);
    EXPECT_TRUE(RwMatrixIsIdentity(&other, 1e-5f));
    Build(&m, {{'s', {1, 0, 1}, rwCombineReplace}});
    EXPECT_EQ(RwMatrixInvert(&inv, &m), nullptr);
}

TEST(MatrixTest, PointsAndVectorsTransformOnlyTheCountGiven)
{
    RwMatrix m;
    Build(&m, {{'t', kX, rwCombineReplace}});
    const RwV3d in[2] = {{1, 2, 3}, {4, 5, 6}};
    using Transform = RwV3d* (*)(RwV3d*, const RwV3d*, RwInt32, const RwMatrix*);
    for (const auto& [transform, first] : {std::pair<Transform, RwV3d>(RwV3dTransformPoints, {2, 2, 3}),
                                           std::pair<Transform, RwV3d>(RwV3dTransformVectors, {1, 2, 3})}) {
        RwV3d out[2] = {{0, 0, 0}, {9, 9, 9}};
        EXPECT_EQ(transform(out, in, 1, &m), out);
        EXPECT_TRUE(Near(out[0], first));
        EXPECT_TRUE(Near(out[1], {9, 9, 9})) << "written past the count";
    }
}

// Rounding left by a chain of products keeps a matrix rigid; a real scale or skew does not.
TEST(MatrixTest, UpdatedFlagsTolerateRoundingButNotScaleOrSkew)
{
    const struct {
        const char* name;
        std::vector<Step> steps;
        RwV3d nudgeRight, nudgeUp;  // added to the rows after building
        bool orthonormal, identity;
    } cases[] = {
        {"identity", {}, {}, {}, true, true},
        {"identity with rounding", {}, {5e-7f, 0, 0}, {0, -5e-7f, 0}, true, true},
        {"a turn with rounding", {{'r', {1, 2, 3}, rwCombineReplace, 37}}, {2e-5f, 0, 0}, {0, 0, -2e-5f}, true, false},
        {"a step", {{'t', {0, 0, 3}, rwCombineReplace}}, {}, {}, true, false},
        {"right scaled by 1.001", {}, {1e-3f, 0, 0}, {}, false, false},
        {"up leaning towards right", {}, {}, {1e-3f, 0, 0}, false, false},
        {"a scale", {{'s', {1, 2, 1}, rwCombineReplace}}, {}, {}, false, false},
    };
    for (const auto& c : cases) {
        RwMatrix m;
        Build(&m, c.steps);
        m.right = {m.right.x + c.nudgeRight.x, m.right.y + c.nudgeRight.y, m.right.z + c.nudgeRight.z};
        m.up = {m.up.x + c.nudgeUp.x, m.up.y + c.nudgeUp.y, m.up.z + c.nudgeUp.z};
        m.flags = c.orthonormal ? 0 : rwMatrixTypeOrthonormal | rwMatrixInternalIdentity;  // stale
        ASSERT_EQ(RwMatrixUpdateFlags(&m), &m);
        EXPECT_EQ(std::pair(bool(m.flags & rwMatrixTypeOrthonormal), bool(m.flags & rwMatrixInternalIdentity)),
                  std::pair(c.orthonormal, c.identity))
            << c.name;
    }
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
    const RwV3d twice{2, 2, 2};
    RwFrameScale(RwFrameSetIdentity(parent), &twice, rwCombineReplace);
    EXPECT_TRUE(Near(RwFrameGetLTM(child)->right, {-2, 0, 0}));
    RwFrameDestroyHierarchy(parent);
}

TEST(FrameTest, WholeMatricesCombineWithTheModellingMatrixInEachMode)
{
    RwMatrix step;
    Build(&step, {{'t', kX, rwCombineReplace}});
    // The frame turns a quarter about z; the point (1, 0, 0) shows the order.
    const struct {
        RwOpCombineType combine;
        RwV3d out;
    } cases[] = {
        {rwCombineReplace, {2, 0, 0}},
        {rwCombinePreMultiply, {0, 2, 0}},   // the step first, then the turn
        {rwCombinePostMultiply, {1, 1, 0}},  // the turn first, then the step
    };
    for (const auto& c : cases) {
        RwFrame* frame = RwFrameCreate();
        RwFrameRotate(frame, &kZ, 90, rwCombineReplace);
        ASSERT_EQ(RwFrameTransform(frame, &step, c.combine), frame);
        EXPECT_TRUE(Near(Apply(RwFrameGetLTM(frame), {1, 0, 0}), c.out)) << c.combine;
        RwFrameDestroy(frame);
    }
}

TEST(FrameTest, AFrameAddedElsewhereLeavesItsOldParentAndSetIdentityUndoesItsMoves)
{
    RwFrame* oldParent = RwFrameCreate();
    RwFrame* newParent = RwFrameCreate();
    RwFrame* child = RwFrameCreate();
    RwFrameAddChild(oldParent, child);
    ASSERT_EQ(RwFrameAddChild(newParent, child), newParent);
    EXPECT_EQ(std::pair(RwFrameCount(oldParent), RwFrameCount(newParent)), std::pair(1, 2));
    EXPECT_EQ(RwFrameGetRoot(child), newParent);

    const RwV3d lift{0, 3, 0};
    RwFrameTranslate(newParent, &lift, rwCombineReplace);
    RwFrameRotate(child, &kZ, 90, rwCombineReplace);
    EXPECT_TRUE(Near(Apply(RwFrameGetLTM(child), {1, 0, 0}), {0, 4, 0}));
    ASSERT_EQ(RwFrameSetIdentity(child), child);
    EXPECT_TRUE(Near(Apply(RwFrameGetLTM(child), {1, 0, 0}), {1, 3, 0}));
    RwFrameDestroy(oldParent);
    RwFrameDestroyHierarchy(newParent);
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
    RwFrame* f[4];
    for (RwFrame*& frame : f)
        frame = RwFrameCreate();
    RwFrame *a = f[0], *b = f[1], *c = f[2], *d = f[3];
    RwFrameAddChild(a, b);
    RwFrameAddChild(b, c);
    RwFrameAddChild(a, d);
    {
        LogCapture log;
        EXPECT_EQ(RwFrameAddChild(c, a), nullptr);
        EXPECT_EQ(RwFrameAddChild(c, c), nullptr);
    }
    EXPECT_EQ(RwFrameGetRoot(c), a);
    EXPECT_EQ(RwFrameCount(a), 4);
    // Counts its calls, and stops the walk at the second.
    int visited = 0;
    const auto twice = [](RwFrame* frame, void* n) { return ++*static_cast<int*>(n) < 2 ? frame : nullptr; };
    RwFrameForAllChildren(a, twice, &visited);
    RwFrameForAllChildren(b, twice, &visited);
    EXPECT_EQ(visited, 3);

    RwCamera* cameras[2] = {RwCameraCreate(), RwCameraCreate()};
    for (RwCamera* camera : cameras)
        RwObjectHasFrameSetFrame(camera, c);
    visited = 0;
    RwFrameForAllObjects(c, [](RwObjectHasFrame* o, void* n) { return ++*static_cast<int*>(n) > 0 ? o : nullptr; },
                         &visited);
    EXPECT_EQ(visited, 2);
    RwFrameRemoveChild(d);
    EXPECT_EQ(RwFrameGetParent(d), nullptr);
    RwFrameDestroy(b);  // c becomes a root and keeps its cameras
    EXPECT_EQ(RwFrameGetParent(c), nullptr);
    EXPECT_EQ(RwFrameCount(a), 1);
    RwObjectHasFrameSetFrame(cameras[1], nullptr);
    EXPECT_EQ(RwCameraGetFrame(cameras[0]), c);
    RwFrameDestroy(c);
    EXPECT_EQ(RwCameraGetFrame(cameras[0]), nullptr);
    for (RwCamera* camera : cameras)
        RwCameraDestroy(camera);
    RwFrameDestroy(d);
    RwFrameDestroy(a);
}

}  // namespace
