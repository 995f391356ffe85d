#include "support/PluginTestSupport.h"

#include "platform/Platform.h"
#include "platform/Window.h"

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<platform::Window>& Window()
{
    static std::unique_ptr<platform::Window> window;
    return window;
}

}  // namespace

PluginEngine::PluginEngine(bool gl)
{
    RwEngineOpenParams params{nullptr, rwDeviceNull};
    if (gl) {
        if (!Window()) {
            setenv("SDL_VIDEODRIVER", "offscreen", 0);
            if (!platform::Init())
                return;
            platform::WindowSettings settings;
            settings.title = "plugin test";
            settings.swapInterval = 0;
            Window() = platform::Window::Create(settings);
            if (!Window())
                return;
        }
        params = {Window()->GetSDLWindow(), rwDeviceGL};
    }
    if (!RwEngineInit(nullptr, 0, 0x100000))
        return;
    EXPECT_TRUE(RpPluginsAttachAll());
    m_open = RwEngineOpen(&params) && RwEngineStart();
}

PluginEngine::~PluginEngine()
{
    if (RwEngineGetState() == 3)
        RwEngineStop();
    if (RwEngineGetState() == 2)
        RwEngineClose();
    RwEngineTerm();
}

RtAnimKeyFrame Key(RwReal time, RwReal degreesZ, RwV3d trans)
{
    const RwReal half = degreesZ * 3.14159265f / 360.0f;
    RtAnimKeyFrame k{};
    k.time = time;
    k.rot[0] = std::cos(half);
    k.rot[3] = std::sin(half);
    k.trans[0] = trans.x;
    k.trans[1] = trans.y;
    k.trans[2] = trans.z;
    return k;
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

Limb MakeLimb(RwRGBA colour)
{
    constexpr int kRings = 5;
    constexpr RwReal kHalf = 0.15f;
    Limb l;
    RpGeometry* g = RpGeometryCreate(kRings * 4, (kRings - 1) * 8 + 4, rpGeometryPrelit | rpGeometryNormals);
    const RwReal corners[4][2] = {{-kHalf, -kHalf}, {kHalf, -kHalf}, {kHalf, kHalf}, {-kHalf, kHalf}};
    RpSkinVertexIndices indices[kRings * 4] = {};
    RpSkinVertexWeights weights[kRings * 4] = {};
    for (int r = 0; r < kRings; ++r) {
        const RwReal x = 0.5f * RwReal(r);
        for (int c = 0; c < 4; ++c) {
            const int v = r * 4 + c;
            g->morphTarget[0].verts[v] = {x, corners[c][0], corners[c][1]};
            g->morphTarget[0].normals[v] = {0, corners[c][0] / kHalf * 0.7071f, corners[c][1] / kHalf * 0.7071f};
            g->preLitLum[v] = colour;
            indices[v][0] = 0;
            indices[v][1] = 1;
            weights[v][0] = x < 1 ? 1.0f : (x == 1 ? 0.5f : 0.0f);
            weights[v][1] = 1 - weights[v][0];
        }
    }
    int t = 0;
    auto tri = [&](int a, int b, int c) { g->triangles[t++] = {{RwUInt16(a), RwUInt16(b), RwUInt16(c)}, 0}; };
    for (int r = 0; r + 1 < kRings; ++r) {
        for (int c = 0; c < 4; ++c) {
            const int a = r * 4 + c, b = r * 4 + (c + 1) % 4;
            tri(a, b, b + 4);
            tri(a, b + 4, a + 4);
        }
    }
    tri(0, 2, 1);
    tri(0, 3, 2);
    const int e = (kRings - 1) * 4;
    tri(e, e + 1, e + 2);
    tri(e, e + 2, e + 3);
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RpMaterial* m = RpMaterialCreate();
    RpGeometryAddMaterial(g, m);
    RpMaterialDestroy(m);

    RwMatrix skinToBone[2];
    RwMatrixSetIdentity(&skinToBone[0]);
    RwMatrixSetIdentity(&skinToBone[1]);
    skinToBone[1].pos = {-1, 0, 0};
    EXPECT_NE(RpSkinGeometrySetSkin(g, RpSkinCreate(kRings * 4, 2, skinToBone, indices, weights)), nullptr);

    l.root = RwFrameCreate();
    l.bone0 = RwFrameCreate();
    l.bone1 = RwFrameCreate();
    RwFrameAddChild(l.root, l.bone0);
    RwFrameAddChild(l.bone0, l.bone1);
    const RwV3d one{1, 0, 0};
    RwFrameTranslate(l.bone1, &one, rwCombineReplace);
    RpHAnimFrameSetID(l.bone0, 0);
    RpHAnimFrameSetID(l.bone1, 1);
    const RwUInt32 flags[2] = {0, rpHAnimPopParent};
    const RwInt32 ids[2] = {0, 1};
    l.hierarchy = RpHAnimHierarchyCreate(2, flags, ids, 0, 36);
    RpHAnimFrameSetHierarchy(l.bone0, l.hierarchy);

    l.clump = RpClumpCreate();
    RpClumpSetFrame(l.clump, l.root);
    l.atomic = RpAtomicCreate();
    RpAtomicSetGeometry(l.atomic, g);
    RpGeometryDestroy(g);
    RpAtomicSetFrame(l.atomic, l.root);
    RpClumpAddAtomic(l.clump, l.atomic);
    return l;
}

Limb FindLimb(RpClump* clump)
{
    Limb l;
    l.clump = clump;
    if (!clump)
        return l;
    l.root = RpClumpGetFrame(clump);
    l.atomic = clump->atomics.empty() ? nullptr : clump->atomics[0];
    l.bone0 = l.root ? l.root->child : nullptr;
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

std::vector<RwUInt8> WriteClump(const RpClump* clump)
{
    RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
    const bool ok = RpClumpStreamWrite(clump, out) != nullptr;
    RwMemory mem{};
    RwStreamClose(out, &mem);
    std::vector<RwUInt8> bytes(mem.start, mem.start + (ok ? mem.length : 0));
    std::free(mem.start);
    return bytes;
}

RpClump* ReadClump(const std::vector<RwUInt8>& bytes)
{
    RwMemory mem{const_cast<RwUInt8*>(bytes.data()), RwUInt32(bytes.size())};
    RwStream* in = RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
    RwUInt32 length, version;
    RpClump* clump = nullptr;
    if (in && RwStreamFindChunk(in, rwChunkClump, &length, &version))
        clump = RpClumpStreamRead(in);
    RwStreamClose(in, nullptr);
    return clump;
}

RpClump* RoundTrip(const RpClump* clump)
{
    const std::vector<RwUInt8> bytes = WriteClump(clump);
    return bytes.empty() ? nullptr : ReadClump(bytes);
}
