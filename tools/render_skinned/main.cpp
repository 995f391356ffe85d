// Draws a generated skinned arm headless, part way through a bend, into a PNG:
//   render_skinned [out.png] [time 0..1]
// The arm is written to a clump stream and read back, and its animation goes through an
// ".anm" file, so the picture shows what loading gives.

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/common/SceneLights.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kBones = 3;
constexpr int kRings = 31;
constexpr int kSegments = 16;
constexpr RwReal kLength = 3.0f;

// A tapering tube along x over a chain of bones; each vertex blends the two nearest bones, and
// the colour bands show which bone carries it.
RpClump* MakeArm()
{
    RpGeometry* g = RpGeometryCreate(kRings * kSegments, (kRings - 1) * kSegments * 2,
                                     rpGeometryPrelit | rpGeometryNormals | rpGeometryLight);
    std::vector<RpSkinVertexIndices> idx(size_t(kRings * kSegments));
    std::vector<RpSkinVertexWeights> w(size_t(kRings * kSegments));
    const RwReal boneLen = kLength / kBones;
    const RwRGBA bands[kBones] = {{200, 60, 50, 255}, {60, 170, 70, 255}, {60, 90, 210, 255}};
    for (int r = 0; r < kRings; ++r) {
        const RwReal x = kLength * RwReal(r) / RwReal(kRings - 1);
        const RwReal radius = 0.32f - 0.07f * x;
        // Blend over the last fifth of a bone into the next.
        const int b0 = std::min(int(x / boneLen), kBones - 1);
        const RwReal into = x / boneLen - RwReal(b0);
        const RwReal wNext = b0 + 1 < kBones ? std::max(0.0f, (into - 0.8f) / 0.4f) : 0.0f;
        for (int s = 0; s < kSegments; ++s) {
            const int v = r * kSegments + s;
            const RwReal a = 6.2831853f * RwReal(s) / kSegments;
            g->morphTarget[0].verts[v] = {x, radius * std::cos(a), radius * std::sin(a)};
            g->morphTarget[0].normals[v] = {0, std::cos(a), std::sin(a)};
            g->preLitLum[v] = bands[b0];
            idx[size_t(v)][0] = RwUInt8(b0);
            idx[size_t(v)][1] = RwUInt8(std::min(b0 + 1, kBones - 1));
            w[size_t(v)][0] = 1 - wNext;
            w[size_t(v)][1] = wNext;
        }
    }
    int t = 0;
    for (int r = 0; r + 1 < kRings; ++r) {
        for (int s = 0; s < kSegments; ++s) {
            const RwUInt16 a = RwUInt16(r * kSegments + s), c = RwUInt16(r * kSegments + (s + 1) % kSegments);
            g->triangles[t++] = {{a, c, RwUInt16(c + kSegments)}, 0};
            g->triangles[t++] = {{a, RwUInt16(c + kSegments), RwUInt16(a + kSegments)}, 0};
        }
    }
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RpMaterial* m = RpMaterialCreate();
    RpGeometryAddMaterial(g, m);
    RpMaterialDestroy(m);
    RwMatrix skinToBone[kBones];
    for (int b = 0; b < kBones; ++b) {
        RwMatrixSetIdentity(&skinToBone[b]);
        skinToBone[b].pos = {-boneLen * RwReal(b), 0, 0};
    }
    RpSkinGeometrySetSkin(g, RpSkinCreate(kRings * kSegments, kBones, skinToBone, idx.data(), w.data()));

    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    RpClumpSetFrame(clump, root);
    RwFrame* parent = root;
    RwFrame* first = nullptr;
    for (int b = 0; b < kBones; ++b) {
        RwFrame* f = RwFrameCreate();
        const RwV3d step{b ? boneLen : 0, 0, 0};
        RwFrameTranslate(f, &step, rwCombineReplace);
        RwFrameAddChild(parent, f);
        RpHAnimFrameSetID(f, b);
        parent = f;
        first = first ? first : f;
    }
    const RwUInt32 flags[kBones] = {0, 0, rpHAnimPopParent};
    const RwInt32 ids[kBones] = {0, 1, 2};
    RpHAnimFrameSetHierarchy(first, RpHAnimHierarchyCreate(kBones, flags, ids, 0, 36));
    RpAtomic* atomic = RpAtomicCreate();
    RpAtomicSetGeometry(atomic, g);
    RpGeometryDestroy(g);
    RpAtomicSetFrame(atomic, root);
    RpClumpAddAtomic(clump, atomic);
    return clump;
}

// Elbow and wrist bend up to 70 and 50 degrees about z.
RtAnimAnimation* MakeBend()
{
    const RwReal boneLen = kLength / kBones;
    const RwReal bend[kBones] = {0, 70, 50};
    RtAnimAnimation* anim = RtAnimAnimationCreate(kBones, 1.0f);
    for (int b = 0; b < kBones; ++b) {
        for (RwReal t : {0.0f, 1.0f}) {
            const RwReal half = bend[b] * t * 3.14159265f / 360;
            RtAnimKeyFrame k{};
            k.time = t;
            k.rot[0] = std::cos(half);
            k.rot[3] = std::sin(half);
            k.trans[0] = b ? boneLen : 0;
            anim->tracks[size_t(b)].keys.push_back(k);
        }
    }
    return anim;
}

RpClump* ThroughStream(RpClump* clump)
{
    RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
    const bool written = RpClumpStreamWrite(clump, out) != nullptr;
    RwMemory mem{};
    RwStreamClose(out, &mem);
    RpClump* back = nullptr;
    if (written) {
        RwStream* in = RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
        RwUInt32 length, version;
        if (RwStreamFindChunk(in, rwChunkClump, &length, &version))
            back = RpClumpStreamRead(in);
        RwStreamClose(in, nullptr);
    }
    std::free(mem.start);
    return back;
}

int Run(const char* outPath, RwReal time)
{
    constexpr int kW = 480, kH = 360;
    RpClump* made = MakeArm();
    RpClump* clump = ThroughStream(made);
    RpClumpDestroy(made);
    RtAnimAnimation* bend = MakeBend();
    const bool animWritten = RtAnimAnimationWrite(bend, "render_skinned.anm");
    RtAnimAnimationDestroy(bend);
    RtAnimAnimation* anim = animWritten ? RtAnimAnimationRead("render_skinned.anm") : nullptr;
    std::remove("render_skinned.anm");
    if (!clump || !anim) {
        std::fprintf(stderr, "render_skinned: the arm or its animation did not survive the round trip\n");
        RpClumpDestroy(clump);
        RtAnimAnimationDestroy(anim);
        return 1;
    }
    RwFrame* root = RpClumpGetFrame(clump);
    RpHAnimHierarchy* h = RpHAnimFrameGetHierarchy(root->child);
    RpSkinAtomicSetHAnimHierarchy(clump->atomics[0], h);
    h->flags |= rpHAnimHierarchyUpdateModellingMatrices | rpHAnimHierarchyUpdateLTMs;
    RtAnimInterpolatorSetCurrentAnim(h->interpolator, anim);
    RpHAnimHierarchyAttach(h);
    RtAnimInterpolatorSetCurrentTime(h->interpolator, time);
    RpHAnimHierarchyUpdateMatrices(h);

    const RwBBox box{{100, 100, 100}, {-100, -100, -100}};
    RpWorld* world = RpWorldCreate(&box);
    int status = 1;
    {
        tools::SceneLights lights;
        tools::OffscreenCamera camera;
        if (lights.Create(world, {0.35f, 0.35f, 0.35f, 1}, {0.8f, 0.8f, 0.75f, 1}, {0.45f, -0.45f, -0.77f}) &&
            camera.Create(kW, kH, 0.5f, 0.375f, 0.3f, 50, rwRasterTypeCamera)) {
            camera.LookAt({1.6f, 0.9f, -5.5f}, {1.6f, 0.9f, 0});
            RpWorldAddCamera(world, camera.Camera());
            if (camera.Begin({150, 180, 210, 255})) {
                RpClumpRender(clump);
                camera.End();
                if (camera.SavePng(outPath)) {
                    std::printf("render_skinned: wrote %s (t = %.2f of 1 s)\n", outPath, double(time));
                    status = 0;
                }
            }
            RpWorldRemoveCamera(world, camera.Camera());
        }
    }
    RpWorldDestroy(world);
    RpClumpDestroy(clump);
    RtAnimAnimationDestroy(anim);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* out = argc > 1 ? argv[1] : "render_skinned.png";
    const RwReal time = argc > 2 ? RwReal(std::atof(argv[2])) : 0.5f;
    tools::OffscreenSession session("render_skinned", 800, 600);
    if (!session.Start(tools::OffscreenSession::kStartEngine, &RpPluginsAttachAll))
        return 1;
    return Run(out, time);
}
