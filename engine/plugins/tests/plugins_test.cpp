#include "support/PluginTestSupport.h"

namespace {

using Attach = RwBool (*)();
const Attach kAll[] = {RpHAnimPluginAttach,    RpSkinPluginAttach,       RpSplinePluginAttach, RpMatFXPluginAttach,
                       RpUserDataPluginAttach, RpDeltaMorphPluginAttach, RpAnisotPluginAttach, RpPVSPluginAttach,
                       RpLtMapPluginAttach,    RpRandomPluginAttach,     RpMorphPluginAttach,  RtAnimPluginAttach};

RwBool AttachEachOnce()
{
    bool all = RpWorldPluginAttach();
    for (Attach a : kAll)
        all = a() && all;
    return all;
}

TEST(Plugins, EveryAttachSucceedsBeforeOpenAndFailsAfter)
{
    {
        ScopedEngine engine(rwDeviceNull, AttachEachOnce);
        ASSERT_TRUE(engine.IsOpen());
        for (Attach a : kAll)
            EXPECT_FALSE(a());
    }
    ScopedEngine engine(rwDeviceNull, RpPluginsAttachAll);
    ASSERT_TRUE(engine.IsOpen());
    for (RwUInt32 id : {rwChunkHAnim, rwChunkSkin, rwChunkMatFX, rwChunkUserData, rwChunkAnimation})
        EXPECT_TRUE(RwEngineIsPluginAttached(id)) << id;
}

RwBool AttachWorldAndMatFX()
{
    return RpWorldPluginAttach() && RpMatFXPluginAttach();
}

// MatFX keeps no data of its own; alone it is the only plugin of materials and atomics.
TEST(Plugins, MatFXKeepsMatrixPointersAndStreamsItsFlags)
{
    for (Attach attach : {RpPluginsAttachAll, AttachWorldAndMatFX}) {
        ScopedEngine engine(rwDeviceNull, attach);
        ASSERT_TRUE(engine.IsOpen());
        RpClump* clump = RpClumpCreateDummy(nullptr, 1);
        RpMaterial* mat = RpMaterialCreate();
        RpGeometryAddMaterial(clump->atomics[0]->geometry, mat);
        RpMaterialDestroy(mat);
        RwMatrix uv;
        EXPECT_EQ(RpMatFXAtomicEnableEffects(clump->atomics[0]), clump->atomics[0]);
        ASSERT_EQ(RpMatFXMaterialSetEffects(mat, rpMaterialFXUVTransform), mat);
        EXPECT_EQ(RpMatFXMaterialSetUVTransformMatrices(mat, &uv, nullptr), mat);
        EXPECT_EQ(mat->uvTransform[0], &uv);
        LogCapture log;
        EXPECT_EQ(RpMatFXMaterialSetEffects(mat, 3), nullptr);
        EXPECT_TRUE(log.Contains("effect 3 is not supported"));
        EXPECT_EQ(mat->fxEffects, RwUInt32(rpMaterialFXUVTransform));

        const std::vector<RwUInt8> bytes = WriteClump(clump);
        RpClump* back = ReadClump(bytes);
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(back->atomics[0]->matFXEnabled);
        EXPECT_EQ(back->atomics[0]->geometry->matList.materials[0]->fxEffects, RwUInt32(rpMaterialFXUVTransform));
        RpClump* clone = RpClumpClone(clump);
        EXPECT_TRUE(clone->atomics[0]->matFXEnabled);
        // Without effects the material and the atomic write no chunk {Data{u32}}.
        clump->atomics[0]->matFXEnabled = false;
        RpMatFXMaterialSetEffects(mat, rpMaterialFXNone);
        EXPECT_EQ(bytes.size() - WriteClump(clump).size(), 2 * (2 * rwChunkHeaderSize + 4));
        RpClumpDestroy(clone);
        RpClumpDestroy(back);
        RpClumpDestroy(clump);
    }
}

TEST(Plugins, MorphSphereFollowsTheInterpolator)
{
    ScopedEngine engine(rwDeviceNull, RpPluginsAttachAll);
    RpGeometry* g = RpGeometryCreate(1, 0, 0);
    ASSERT_EQ(RpGeometryAddMorphTarget(g), 1);
    g->morphTarget[0].boundingSphere = {{0, 0, 0}, 1};
    g->morphTarget[1].boundingSphere = {{4, 0, 0}, 3};
    RpAtomic* a = RpAtomicCreate();
    RpAtomicSetGeometry(a, g);
    a->interpolator = {rpInterpolatorDirtySphere, 0, 1, 2.0f, 0.5f, 0.5f};
    ASSERT_EQ(RpAtomicUpdateInterpolatedSphere(a), a);
    EXPECT_TRUE(Near(a->boundingSphere.center, {1, 0, 0}));
    EXPECT_FLOAT_EQ(a->boundingSphere.radius, 1.5f);
    EXPECT_EQ(a->interpolator.flags & rpInterpolatorDirtySphere, 0);
    a->interpolator.endMorphTarget = 9;  // out of range: the last target
    a->interpolator.position = 2.0f;
    RpAtomicUpdateInterpolatedSphere(a);
    EXPECT_TRUE(Near(a->boundingSphere.center, {4, 0, 0}));
    RpAtomicDestroy(a);
    RpGeometryDestroy(g);
}

}  // namespace
