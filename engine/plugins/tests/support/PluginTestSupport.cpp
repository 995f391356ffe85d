#include "support/PluginTestSupport.h"

#include <cmath>

RtAnimKeyFrame Key(RwReal time, RwReal degreesZ, RwV3d trans)
{
    const RwReal half = degreesZ * 3.14159265f / 360.0f;
    return {time, {std::cos(half), 0, 0, std::sin(half)}, {trans.x, trans.y, trans.z}, 0};
}

RwV3d Transformed(const RwMatrix& m, RwV3d p)
{
    RwV3d out;
    RwV3dTransformPoints(&out, &p, 1, &m);
    return out;
}

::testing::AssertionResult Near(RwV3d got, RwV3d want, RwReal tolerance)
{
    if (std::fabs(got.x - want.x) <= tolerance && std::fabs(got.y - want.y) <= tolerance &&
        std::fabs(got.z - want.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ") wanted ("
                                         << want.x << ", " << want.y << ", " << want.z << ")";
}

Limb MakeLimb()
{
    RpGeometry* g = RpGeometryCreate(6, 4, rpGeometryPrelit | rpGeometryNormals);
    RpSkinVertexIndices indices[6] = {};
    RpSkinVertexWeights weights[6] = {};
    for (int v = 0; v < 6; ++v) {
        const RwReal x = RwReal(v / 2);
        g->morphTarget[0].verts[v] = {x, v % 2 ? 0.15f : -0.15f, 0};
        g->morphTarget[0].normals[v] = {0, v % 2 ? 1.0f : -1.0f, 0};
        g->preLitLum[v] = {255, 255, 255, 255};
        indices[v][1] = 1;
        weights[v][0] = 1 - x / 2;
        weights[v][1] = x / 2;
    }
    for (RwUInt16 a = 0; a < 4; a += 2) {
        g->triangles[a] = {{a, RwUInt16(a + 1), RwUInt16(a + 2)}, 0};
        g->triangles[a + 1] = {{RwUInt16(a + 1), RwUInt16(a + 3), RwUInt16(a + 2)}, 0};
    }
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RpMaterial* m = RpMaterialCreate();
    RpGeometryAddMaterial(g, m);
    RpMaterialDestroy(m);
    RwMatrix skinToBone[2];
    RwMatrixSetIdentity(&skinToBone[0]);
    RwMatrixSetIdentity(&skinToBone[1]);
    skinToBone[1].pos = {-1, 0, 0};
    EXPECT_NE(RpSkinGeometrySetSkin(g, RpSkinCreate(6, 2, skinToBone, indices, weights)), nullptr);

    Limb l{worldtest::MakeClump(g)};
    RpGeometryDestroy(g);
    l.atomic = l.clump->atomics[0];
    l.root = RpClumpGetFrame(l.clump);
    l.bone0 = RwFrameCreate();
    l.bone1 = RwFrameCreate();
    RwFrameAddChild(l.root, l.bone0);
    RwFrameAddChild(l.bone0, l.bone1);
    const RwV3d one{1, 0, 0};
    RwFrameTranslate(l.bone1, &one, rwCombineReplace);
    RpHAnimFrameSetID(l.bone0, 0);
    RpHAnimFrameSetID(l.bone1, 1);
    const RwInt32 ids[2] = {0, 1};
    l.hierarchy = RpHAnimHierarchyCreate(2, nullptr, ids, 0, 36);
    RpHAnimFrameSetHierarchy(l.bone0, l.hierarchy);
    return l;
}

Limb FindLimb(RpClump* clump)
{
    Limb l{clump, clump->atomics.at(0), RpClumpGetFrame(clump)};
    l.bone0 = l.root->child;
    l.bone1 = l.bone0 ? l.bone0->child : nullptr;
    l.hierarchy = RpHAnimFrameGetHierarchy(l.bone0);
    return l;
}

RtAnimAnimation* MakeBendAnimation()
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(2, 1.0f);
    anim->tracks[0].keys = {Key(0, 0), Key(1, 0)};
    anim->tracks[1].keys = {Key(0, 0, {1, 0, 0}), Key(1, 90, {1, 0, 0})};
    return anim;
}
