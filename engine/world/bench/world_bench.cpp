// Drawing and reading costs on the GL device over the offscreen driver.

#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "tests/support/OffscreenEngine.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

struct Engine {
    ScopedEngine engine{rwDeviceGL, RpWorldPluginAttach};
    RwCamera* camera = nullptr;
    RwFrame* frame = nullptr;
    bool ok = engine.IsOpen();

    Engine()
    {
        if (!ok)
            return;
        camera = RwCameraCreate();
        frame = RwFrameCreate();
        RwCameraSetRaster(camera, RwRasterCreate(640, 480, 0, rwRasterTypeCamera));
        RwCameraSetZRaster(camera, RwRasterCreate(640, 480, 0, rwRasterTypeZBuffer));
        const RwV2d view{0.6f, 0.45f};
        RwCameraSetViewWindow(camera, &view);
        RwCameraSetFarClipPlane(camera, 500);
        RwObjectHasFrameSetFrame(camera, frame);
    }
};

Engine& GetEngine()
{
    static Engine engine;
    return engine;
}

RwTexture* Checker()
{
    RwImage* image = RwImageCreate(64, 64, 32);
    RwImageAllocatePixels(image);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            RwUInt8* p = image->pixels + y * image->stride + x * 4;
            const RwUInt8 v = ((x / 8 + y / 8) & 1) ? 220 : 120;
            p[0] = v;
            p[1] = v;
            p[2] = v;
            p[3] = 255;
        }
    RwRaster* r = RwRasterCreate(64, 64, 32, rwRasterTypeTexture);
    RwRasterSetFromImage(r, image);
    RwImageDestroy(image);
    RwTexture* t = RwTextureCreate(r);
    RwTextureSetName(t, "checker");
    return t;
}

// A bumpy terrain of cells x cells quads (2 triangles each) per sector, sectors in a row along x.
RpWorld* MakeTerrain(int sectorsX, int cells)
{
    std::vector<RpWorldSector*> sectors;
    const float size = 100.0f / float(sectorsX);
    for (int s = 0; s < sectorsX; ++s) {
        const int n = cells + 1;
        RpWorldSector* sector = RpWorldSectorCreate(n * n, cells * cells * 2,
                                                    rpGeometryNormals | rpGeometryTextured | rpGeometryPrelit);
        for (int z = 0; z < n; ++z)
            for (int x = 0; x < n; ++x) {
                const int v = z * n + x;
                const float wx = -50 + size * (float(s) + float(x) / float(cells)), wz = float(z) * 100 / float(cells);
                sector->vertices[v] = {wx, std::sin(wx * 0.3f) * std::cos(wz * 0.2f), wz};
                sector->normals[v] = {0, 1, 0};
                sector->texCoords[v] = {wx * 0.1f, wz * 0.1f};
                sector->preLitLum[v] = {20, 20, 20, 255};
            }
        for (int z = 0; z < cells; ++z)
            for (int x = 0; x < cells; ++x) {
                const RwUInt16 a = RwUInt16(z * n + x), b = RwUInt16(a + 1), c = RwUInt16(a + n), d = RwUInt16(c + 1);
                sector->triangles[(z * cells + x) * 2] = {{a, c, b}, RwUInt16((x / 8) % 2)};
                sector->triangles[(z * cells + x) * 2 + 1] = {{b, c, d}, RwUInt16((x / 8) % 2)};
            }
        RpWorldSectorCalcBoundingBox(sector);
        sectors.push_back(sector);
    }
    // A chain of planes along x.
    std::vector<RpPlaneNode> planes;
    for (int s = 0; s + 1 < sectorsX; ++s)
        planes.push_back({0, -50 + size * float(s + 1), ~s, s + 2 < sectorsX ? s + 1 : ~(s + 1)});
    const RwBBox box{{50, 2, 100}, {-50, -2, 0}};
    RpWorld* world = RpWorldCreateFromSectors(&box, rpGeometryLight | rpGeometryNormals, sectors, planes);
    RwTexture* t = Checker();
    for (int i = 0; i < 2; ++i) {
        RpMaterial* m = RpMaterialCreate();
        RpMaterialSetTexture(m, t);
        RpWorldAddMaterial(world, m);
        RpMaterialDestroy(m);
    }
    RwTextureDestroy(t);
    return world;
}

RpGeometry* MakeGrid(int cells, RwUInt32 flags)
{
    const int n = cells + 1;
    RpGeometry* g = RpGeometryCreate(n * n, cells * cells * 2, flags | rpGeometryNormals | rpGeometryTextured);
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x) {
            const int v = z * n + x;
            g->morphTarget[0].verts[v] = {float(x) / float(cells) - 0.5f, float(z) / float(cells) * 2, 0};
            g->morphTarget[0].normals[v] = {0, 0, -1};
            g->texCoords[0][v] = {float(x) / float(cells), float(z) / float(cells)};
        }
    for (int z = 0; z < cells; ++z)
        for (int x = 0; x < cells; ++x) {
            const RwUInt16 a = RwUInt16(z * n + x), b = RwUInt16(a + 1), c = RwUInt16(a + n), d = RwUInt16(c + 1);
            g->triangles[(z * cells + x) * 2] = {{a, c, b}, 0};
            g->triangles[(z * cells + x) * 2 + 1] = {{b, c, d}, 0};
        }
    RpMaterial* m = RpMaterialCreate();
    RwTexture* t = Checker();
    RpMaterialSetTexture(m, t);
    RwTextureDestroy(t);
    RpGeometryAddMaterial(g, m);
    RpMaterialDestroy(m);
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    return g;
}

void LookAtTerrain(Engine& e)
{
    e.frame->modelling.right = {-1, 0, 0};
    e.frame->modelling.up = {0, 0.894f, 0.447f};
    e.frame->modelling.at = {0, -0.447f, 0.894f};
    e.frame->modelling.pos = {0, 30, -30};
}

void Frame(Engine& e, void (*draw)(void*), void* data)
{
    const RwRGBA black{0, 0, 0, 255};
    RwCameraClear(e.camera, &black, rwCameraClearImage | rwCameraClearZ);
    RwCameraBeginUpdate(e.camera);
    draw(data);
    RwCameraEndUpdate(e.camera);
    glFinish();  // count the GPU's work, not only the submission
}

void AddLights(RpWorld* world, std::vector<RpLight*>& lights, std::vector<RwFrame*>& frames)
{
    RpLight* ambient = RpLightCreate(rpLightAmbient);
    const RwRGBAReal grey{0.3f, 0.3f, 0.3f, 1};
    RpLightSetColor(ambient, &grey);
    RpWorldAddLight(world, ambient);
    lights.push_back(ambient);
    for (int i = 0; i < 2; ++i) {
        RpLight* sun = RpLightCreate(rpLightDirectional);
        RwFrame* f = RwFrameCreate();
        const RwV3d axis{1, 0, 0};
        RwFrameRotate(f, &axis, 60.0f + 30.0f * float(i), rwCombineReplace);
        RpLightSetFrame(sun, f);
        RpWorldAddLight(world, sun);
        lights.push_back(sun);
        frames.push_back(f);
    }
}

void BM_DrawWorld50k(benchmark::State& state)
{
    Engine& e = GetEngine();
    if (!e.ok) {
        state.SkipWithError("no GL engine");
        return;
    }
    RpWorld* world = MakeTerrain(8, 56);  // 8 x 56 x 56 x 2 = 50,176 triangles
    RpWorldAddCamera(world, e.camera);
    std::vector<RpLight*> lights;
    std::vector<RwFrame*> frames;
    AddLights(world, lights, frames);
    LookAtTerrain(e);
    RwRenderStateSet(rwRenderStateFogEnable, 1);
    for (auto _ : state)
        Frame(e, [](void* w) { RpWorldRender(static_cast<RpWorld*>(w)); }, world);
    RwRenderStateSet(rwRenderStateFogEnable, 0);
    state.counters["triangles"] = 8 * 56 * 56 * 2;
    for (RpLight* l : lights)
        RpLightDestroy(l);
    for (RwFrame* f : frames)
        RwFrameDestroy(f);
    RpWorldDestroy(world);
}
BENCHMARK(BM_DrawWorld50k)->Unit(benchmark::kMillisecond);

RwMatrix g_bones[2];
std::vector<RwUInt8> g_boneIndices;
std::vector<RwReal> g_weights;

RwBool BenchSkin(RpAtomic*, RpGeometry*, RpAtomicSkinData* out)
{
    out->numBones = 2;
    out->boneMatrices = g_bones;
    out->boneIndices = reinterpret_cast<const RwUInt8(*)[4]>(g_boneIndices.data());
    out->weights = reinterpret_cast<const RwReal(*)[4]>(g_weights.data());
    return true;
}

// Twelve 2,000-triangle skinned characters and the 50,000-triangle world in one frame.
void BM_FrameTwelveSkinnedAndWorld(benchmark::State& state)
{
    Engine& e = GetEngine();
    if (!e.ok) {
        state.SkipWithError("no GL engine");
        return;
    }
    RpWorld* world = MakeTerrain(8, 56);
    RpWorldAddCamera(world, e.camera);
    std::vector<RpLight*> lights;
    std::vector<RwFrame*> frames;
    AddLights(world, lights, frames);
    RpGeometry* body = MakeGrid(31, rpGeometryLight);  // 31 x 31 x 2 = 1,922 triangles
    const int nv = body->numVertices;
    g_boneIndices.assign(size_t(nv) * 4, 0);
    g_weights.assign(size_t(nv) * 4, 0);
    for (int v = 0; v < nv; ++v) {
        const float t = body->morphTarget[0].verts[v].y / 2;
        g_boneIndices[size_t(v) * 4 + 1] = 1;
        g_weights[size_t(v) * 4] = 1 - t;
        g_weights[size_t(v) * 4 + 1] = t;
    }
    RwMatrixSetIdentity(&g_bones[0]);
    const RwV3d z{0, 0, 1};
    RwMatrixRotate(&g_bones[1], &z, 20, rwCombineReplace);
    RpAtomicSetSkinQueryCallBack(BenchSkin);
    std::vector<RpClump*> characters;
    for (int i = 0; i < 12; ++i) {
        RpClump* c = RpClumpCreate();
        RwFrame* f = RwFrameCreate();
        const RwV3d at{-20.0f + 4.0f * float(i % 6), 1, 20.0f + 10.0f * float(i / 6)};
        RwFrameTranslate(f, &at, rwCombineReplace);
        RpClumpSetFrame(c, f);
        RpAtomic* a = RpAtomicCreate();
        RpAtomicSetGeometry(a, body);
        RpAtomicSetFrame(a, f);
        RpClumpAddAtomic(c, a);
        characters.push_back(c);
    }
    LookAtTerrain(e);
    struct Scene {
        RpWorld* world;
        std::vector<RpClump*>* characters;
    } scene{world, &characters};
    for (auto _ : state) {
        Frame(e,
              [](void* p) {
                  auto* s = static_cast<Scene*>(p);
                  RpWorldRender(s->world);
                  for (RpClump* c : *s->characters)
                      RpClumpRender(c);
              },
              &scene);
    }
    RpAtomicSetSkinQueryCallBack(nullptr);
    for (RpClump* c : characters)
        RpClumpDestroy(c);
    RpGeometryDestroy(body);
    for (RpLight* l : lights)
        RpLightDestroy(l);
    for (RwFrame* f : frames)
        RwFrameDestroy(f);
    RpWorldDestroy(world);
}
BENCHMARK(BM_FrameTwelveSkinnedAndWorld)->Unit(benchmark::kMillisecond);

void BM_ReadClump5k(benchmark::State& state)
{
    Engine& e = GetEngine();
    if (!e.ok) {
        state.SkipWithError("no engine");
        return;
    }
    // The texture is found in the current dictionary, as level loading finds it.
    RwTexDictionary* dict = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(dict);
    RwTexDictionaryAddTexture(dict, Checker());
    RpGeometry* g = MakeGrid(50, rpGeometryLight);  // 5,000 triangles
    RpClump* clump = RpClumpCreate();
    RwFrame* f = RwFrameCreate();
    RpClumpSetFrame(clump, f);
    RpAtomic* a = RpAtomicCreate();
    RpAtomicSetGeometry(a, g);
    RpAtomicSetFrame(a, f);
    RpClumpAddAtomic(clump, a);
    RpGeometryDestroy(g);
    RwMemory mem{nullptr, 0};
    RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, &mem);
    RpClumpStreamWrite(clump, out);
    RwStreamClose(out, &mem);
    RpClumpDestroy(clump);
    for (auto _ : state) {
        RwStream* in = RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
        RwStreamFindChunk(in, rwChunkClump, nullptr, nullptr);
        RpClump* read = RpClumpStreamRead(in);
        RwStreamClose(in, nullptr);
        benchmark::DoNotOptimize(read);
        RpClumpDestroy(read);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * mem.length);
    std::free(mem.start);
    RwTexDictionarySetCurrent(nullptr);
    RwTexDictionaryDestroy(dict);
}
BENCHMARK(BM_ReadClump5k)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
