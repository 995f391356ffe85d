// Drawing of atomics and world sectors through the device's cached meshes.

#include "engine/core/RwEngine.h"
#include "engine/core/RwIm.h"
#include "engine/core/RwRenderState.h"
#include "engine/world/RpWorldInternal.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace rpworld {
namespace {

// What a geometry or a sector hands to the instance builder.
struct Source {
    RwInt32 numVertices;
    const RwV3d* positions;
    const RwV3d* normals;
    const RwRGBA* prelit;
    const RwTexCoords* uvs;
    const RpTriangle* triangles;
    RwInt32 numTriangles;
    RwInt32 numMaterials;
};

void BuildIndices(Instance& inst, const Source& src)
{
    inst.indices.clear();
    inst.splits.clear();
    const RwInt32 numMaterials = std::max(src.numMaterials, 1);
    std::vector<RwInt32> counts(size_t(numMaterials) + 1, 0);
    auto usable = [&](const RpTriangle& t) {
        return t.vertIndex[0] < src.numVertices && t.vertIndex[1] < src.numVertices &&
               t.vertIndex[2] < src.numVertices;
    };
    // Out-of-range material indices draw with the first material rather than not at all.
    auto material = [&](const RpTriangle& t) { return t.matIndex < numMaterials ? RwInt32(t.matIndex) : 0; };
    for (RwInt32 i = 0; i < src.numTriangles; ++i)
        if (usable(src.triangles[i]))
            ++counts[size_t(material(src.triangles[i])) + 1];
    for (RwInt32 m = 0; m < numMaterials; ++m)
        counts[size_t(m) + 1] += counts[size_t(m)];
    std::vector<RwInt32> next(counts.begin(), counts.end() - 1);
    inst.indices.assign(size_t(counts.back()) * 3, 0);
    for (RwInt32 i = 0; i < src.numTriangles; ++i) {
        const RpTriangle& t = src.triangles[i];
        if (!usable(t))
            continue;
        RwInt32& at = next[size_t(material(t))];
        std::copy(t.vertIndex, t.vertIndex + 3, &inst.indices[size_t(at) * 3]);
        ++at;
    }
    for (RwInt32 m = 0; m < numMaterials; ++m) {
        const RwInt32 first = counts[size_t(m)] * 3, count = (counts[size_t(m) + 1] - counts[size_t(m)]) * 3;
        if (count == 0)
            continue;
        bool alpha = false;
        if (src.prelit)
            for (RwInt32 k = first; k < first + count && !alpha; ++k)
                alpha = src.prelit[inst.indices[size_t(k)]].alpha < 255;
        inst.splits.push_back({m, first, count, alpha});
    }
}

// Brings the device copy up to date; null when there is nothing to draw.
Instance* Prepare(void*& slot, const Source& src, const RpAtomicSkinData* skin)
{
    RwDevice* device = RwDeviceGetCurrent();
    if (!device || src.numVertices <= 0 || src.numTriangles <= 0)
        return nullptr;
    auto* inst = static_cast<Instance*>(slot);
    if (!inst)
        slot = inst = new Instance;
    if (inst->mesh && inst->serial != device->serial) {
        // Made by a device that is gone: its storage went with it.
        inst->mesh = nullptr;
    }
    RwUInt32 parts = inst->mesh ? inst->dirty : RwUInt32(rwMeshAll);
    if (skin && (!inst->hasBones || inst->numBones != skin->numBones))
        parts |= rwMeshBones;
    if (!inst->mesh)
        inst->hasBones = false;
    if (parts == 0)
        return inst;
    if (parts & rwMeshIndices)
        BuildIndices(*inst, src);
    if (inst->indices.empty())
        return nullptr;

    RwDeviceMeshData data{};
    data.numVertices = src.numVertices;
    data.positions = src.positions;
    data.normals = src.normals;
    data.colours = src.prelit;
    data.uvs = reinterpret_cast<const RwV2d*>(src.uvs);
    data.indices = inst->indices.data();
    data.numIndices = RwInt32(inst->indices.size());
    std::vector<RwUInt8> clamped;
    if (skin && (parts & rwMeshBones)) {
        // Indices past the bone count would read outside the matrices.
        const RwInt32 bones = std::clamp(skin->numBones, 1, RwInt32(rwDeviceMaxBones));
        clamped.resize(size_t(src.numVertices) * 4);
        bool warned = false;
        for (RwInt32 v = 0; v < src.numVertices; ++v)
            for (int k = 0; k < 4; ++k) {
                RwUInt8 b = skin->boneIndices[v][k];
                if (b >= bones) {
                    // Only a weighted index changes the picture; report the first of those.
                    if (!warned && skin->weights[v][k] != 0.0f) {
                        LogWarning("RpAtomicRender: bone index %d past the %d bones drawn, using bone 0\n", b, bones);
                        warned = true;
                    }
                    b = 0;
                }
                clamped[size_t(v) * 4 + size_t(k)] = b;
            }
        data.boneIndices = reinterpret_cast<const RwUInt8(*)[4]>(clamped.data());
        data.weights = skin->weights;
        inst->numBones = skin->numBones;
    }
    if (!inst->mesh) {
        inst->mesh = device->CreateMesh(data);
        if (!inst->mesh)
            return nullptr;
        inst->device = device;
        inst->serial = device->serial;
    } else if (!device->UpdateMesh(inst->mesh, data, parts)) {
        return nullptr;
    }
    if (parts & rwMeshBones)
        inst->hasBones = skin != nullptr;
    inst->dirty = 0;
    return inst;
}

struct LightSet {
    RwRGBAReal ambient{0, 0, 0, 1};
    std::vector<RwDeviceDirectionalLight> directional;
};

LightSet GatherLights(const RpWorld* world, RwUInt8 flag)
{
    LightSet set;
    if (!world)
        return set;
    for (RpLight* l : world->lights) {
        if (!(l->object.object.flags & flag))
            continue;
        if (l->object.object.subType == rpLightAmbient) {
            set.ambient.red += l->color.red;
            set.ambient.green += l->color.green;
            set.ambient.blue += l->color.blue;
        } else if (l->object.object.subType == rpLightDirectional) {
            RwDeviceDirectionalLight d{{0, 0, 1}, l->color};
            if (RwFrame* f = RwObjectGetFrame(l)) {
                const RwMatrix* ltm = RwFrameGetLTM(f);
                if (RwV3dNormalize(&d.direction, &ltm->at) == 0.0f)
                    continue;
            }
            set.directional.push_back(d);
        }
    }
    return set;
}

// One material's draw state.
struct MaterialDraw {
    RwDeviceMeshDraw draw{};
    RwDeviceLighting lighting{};
    std::vector<RwDeviceDirectionalLight> lights;
};

void SetupMaterial(MaterialDraw& out, RwDevice* device, const RpMaterial* material, bool modulate, bool lit,
                   const LightSet& lights, bool hasUVs, bool effects, const MeshSplit& split)
{
    RwDeviceMeshDraw& d = out.draw;
    d.firstIndex = split.firstIndex;
    d.numIndices = split.numIndices;
    d.materialColour = {1, 1, 1, 1};
    if (material && modulate)
        d.materialColour = {material->color.red / 255.0f, material->color.green / 255.0f,
                            material->color.blue / 255.0f, material->color.alpha / 255.0f};
    if (lit) {
        const RwSurfaceProperties sp = material ? material->surfaceProps : RwSurfaceProperties{1, 1, 1};
        out.lighting.ambient = {lights.ambient.red * sp.ambient, lights.ambient.green * sp.ambient,
                                lights.ambient.blue * sp.ambient, 1};
        out.lights = lights.directional;
        for (RwDeviceDirectionalLight& l : out.lights) {
            l.colour.red *= sp.diffuse;
            l.colour.green *= sp.diffuse;
            l.colour.blue *= sp.diffuse;
        }
        out.lighting.directional = out.lights.data();
        out.lighting.numDirectional = RwInt32(out.lights.size());
        out.lighting.materialColour = d.materialColour;
        d.lighting = &out.lighting;
    }
    RwTexture* texture = material && hasUVs ? material->texture : nullptr;
    if (texture && texture->raster) {
        d.texture = texture->raster;
        d.filter = texture->filter;
        d.addressU = texture->addressU;
        d.addressV = texture->addressV;
    }
    if (effects && material && material->fxEffects == rpMaterialFXUVTransform && material->uvTransform[0])
        d.uvTransform = material->uvTransform[0];
    d.transparent = split.vertexAlpha || d.materialColour.alpha < 1.0f ||
                    (d.texture && device->RasterHasAlpha(d.texture));
    d.cullBack = !d.transparent;
}

void Count(RwInt32 numIndices, RwInt32 numVertices)
{
    if (RwMetrics* m = RwEngineGetFrameMetrics()) {
        m->numTriangles += RwUInt32(numIndices / 3);
        m->numProcTriangles += RwUInt32(numIndices / 3);
        m->numVertices += RwUInt32(numVertices);
    }
}

// A draw made after its MaterialDraw was moved: the lighting points into it.
void DrawMoved(RwDevice* device, MaterialDraw& md)
{
    md.draw.lighting = md.draw.lighting ? &md.lighting : nullptr;
    md.lighting.directional = md.lights.data();
    device->DrawMesh(md.draw);
    Count(md.draw.numIndices, 0);
}

// The render states a transparent part was given, to draw it under them later.
struct StateSet {
    intptr_t values[rwRenderStateCount] = {};
    bool known[rwRenderStateCount] = {};
    RwUInt32 zBias = 0;
};

StateSet CurrentStates()
{
    StateSet set;
    for (RwInt32 s = 1; s < rwRenderStateCount; ++s)
        set.known[s] = RwRenderStateGet(RwRenderState(s), &set.values[s]);
    RwD3D8GetRenderState(rwD3D8RenderStateZBias, &set.zBias);
    return set;
}

// Sets the states of wanted that differ from had; the combined address state goes first
// since it also sets U and V.
void ChangeStates(const StateSet& had, const StateSet& wanted)
{
    for (RwInt32 s = 1; s < rwRenderStateCount; ++s)
        if (wanted.known[s] && had.values[s] != wanted.values[s])
            RwRenderStateSet(RwRenderState(s), wanted.values[s]);
    if (had.zBias != wanted.zBias)
        RwD3D8SetRenderState(rwD3D8RenderStateZBias, wanted.zBias);
}

struct HeldDraw {
    MaterialDraw material;
    StateSet states;
};

// Drawn under the render states it was given with, like a held part.
struct Backdrop {
    void (*draw)(void*) = nullptr;
    void* data = nullptr;
    StateSet states;
};

// Transparent parts waiting for the opaque ones of the same camera update.
struct HeldQueue {
    int depth = 0;
    RwCamera* camera = nullptr;
    std::vector<HeldDraw> draws;
    Backdrop backdrop;
};

HeldQueue g_held;

void DrawHeld();

// With the hold paused: the backdrop's own transparent parts go over it at once, and no
// immediate draw of it sends the held parts early.
void DrawBackdrop(const Backdrop& backdrop)
{
    const StateSet current = CurrentStates();
    ChangeStates(current, backdrop.states);
    const int depth = std::exchange(g_held.depth, 0);
    RwImSetHeldDrawsCallBack(nullptr);
    backdrop.draw(backdrop.data);
    g_held.depth = depth;
    if (depth > 0)
        RwImSetHeldDrawsCallBack(DrawHeld);
    ChangeStates(backdrop.states, current);
}

void DrawHeld()
{
    if (RwCameraGetCurrentCamera() != g_held.camera)
        return;
    if (g_held.backdrop.draw)
        DrawBackdrop(std::exchange(g_held.backdrop, {}));
    if (g_held.draws.empty())
        return;
    std::vector<HeldDraw> draws;
    draws.swap(g_held.draws);
    RwDevice* device = RwDeviceGetCurrent();
    if (!device)
        return;
    const StateSet current = CurrentStates();
    const StateSet* had = &current;
    for (HeldDraw& held : draws) {
        ChangeStates(*had, held.states);
        had = &held.states;
        DrawMoved(device, held.material);
    }
    ChangeStates(*had, current);
}

// Draws the transparent parts now, or holds them while a hold is open for this camera.
void DrawTransparent(RwDevice* device, std::vector<MaterialDraw>& parts)
{
    if (g_held.depth > 0 && RwCameraGetCurrentCamera() == g_held.camera) {
        const StateSet states = CurrentStates();
        for (MaterialDraw& md : parts)
            g_held.draws.push_back({std::move(md), states});
        return;
    }
    for (MaterialDraw& md : parts)
        DrawMoved(device, md);
}

RwSphere BoxSphere(const RwBBox& b)
{
    RwSphere s;
    s.center = {(b.sup.x + b.inf.x) * 0.5f, (b.sup.y + b.inf.y) * 0.5f, (b.sup.z + b.inf.z) * 0.5f};
    const RwV3d half{(b.sup.x - b.inf.x) * 0.5f, (b.sup.y - b.inf.y) * 0.5f, (b.sup.z - b.inf.z) * 0.5f};
    s.radius = RwV3dLength(&half);
    return s;
}

bool BoxVisible(RwCamera* camera, const RwBBox& box)
{
    const RwSphere s = BoxSphere(box);
    return RwCameraFrustumTestSphere(camera, &s) != rwSphereOutside;
}

// The largest stretch the matrix gives a length, as the engine's bounding spheres take it.
RwReal MatrixScale(const RwMatrix& m)
{
    return std::max({RwV3dLength(&m.right), RwV3dLength(&m.up), RwV3dLength(&m.at)});
}

// The sphere as the frame places it; unchanged without a frame.
RwSphere LocalToWorld(const RwSphere& local, const RwMatrix* ltm)
{
    if (!ltm)
        return local;
    RwSphere out;
    RwV3dTransformPoints(&out.center, &local.center, 1, ltm);
    out.radius = local.radius * MatrixScale(*ltm);
    return out;
}

// Inside out, so that the first point grown by sets both corners.
constexpr RwBBox kEmptyBox{{-1e30f, -1e30f, -1e30f}, {1e30f, 1e30f, 1e30f}};

void Grow(RwBBox& box, const RwV3d& p, RwReal radius)
{
    box.sup = {std::max(box.sup.x, p.x + radius), std::max(box.sup.y, p.y + radius), std::max(box.sup.z, p.z + radius)};
    box.inf = {std::min(box.inf.x, p.x - radius), std::min(box.inf.y, p.y - radius), std::min(box.inf.z, p.z - radius)};
}

// A sphere around every given sphere (negative radii are left out); radius < 0 when none.
RwSphere Enclose(const std::vector<RwSphere>& spheres)
{
    RwBBox box = kEmptyBox;
    bool any = false;
    for (const RwSphere& s : spheres) {
        if (s.radius < 0.0f)
            continue;
        any = true;
        Grow(box, s.center, s.radius);
    }
    if (!any)
        return {{0, 0, 0}, -1.0f};
    RwSphere out{{(box.sup.x + box.inf.x) * 0.5f, (box.sup.y + box.inf.y) * 0.5f, (box.sup.z + box.inf.z) * 0.5f},
                 0.0f};
    for (const RwSphere& s : spheres)
        if (s.radius >= 0.0f) {
            const RwV3d d{s.center.x - out.center.x, s.center.y - out.center.y, s.center.z - out.center.z};
            out.radius = std::max(out.radius, RwV3dLength(&d) + s.radius);
        }
    return out;
}

void BuildBoneSpheres(Instance& inst, const Source& src, const RpAtomicSkinData& skin)
{
    constexpr RwReal kSlack = 1e-3f;
    const size_t bones = size_t(std::max(skin.numBones, 1));
    std::vector<RwBBox> boxes(bones, kEmptyBox);
    std::vector<bool> used(bones, false);
    bool towardsOrigin = false;
    inst.unbounded = false;
    // Each posed vertex is a weighted mean of where its bones put it, so it stays within the
    // spheres of those bones once they are moved (and the origin when the weights fall short).
    for (RwInt32 v = 0; v < src.numVertices; ++v) {
        RwReal sum = 0.0f;
        for (int k = 0; k < 4; ++k) {
            const RwReal w = skin.weights[v][k];
            if (w < 0.0f)
                inst.unbounded = true;
            if (w == 0.0f)
                continue;
            sum += w;
            const size_t b = skin.boneIndices[v][k] < bones ? skin.boneIndices[v][k] : 0;
            Grow(boxes[b], src.positions[v], 0.0f);
            used[b] = true;
        }
        if (sum > 1.0f + kSlack)
            inst.unbounded = true;
        towardsOrigin = towardsOrigin || sum < 1.0f - kSlack;
    }
    inst.boneSpheres.assign(bones + 1, RwSphere{{0, 0, 0}, -1.0f});
    for (size_t b = 0; b < bones; ++b)
        if (used[b]) {
            // The box's corner distance can overshoot; the vertices decide the radius.
            inst.boneSpheres[b] = {BoxSphere(boxes[b]).center, 0.0f};
        }
    for (RwInt32 v = 0; v < src.numVertices; ++v)
        for (int k = 0; k < 4; ++k)
            if (skin.weights[v][k] != 0.0f) {
                const size_t b = skin.boneIndices[v][k] < bones ? skin.boneIndices[v][k] : 0;
                const RwV3d& p = src.positions[v];
                const RwV3d& c = inst.boneSpheres[b].center;
                const RwV3d d{p.x - c.x, p.y - c.y, p.z - c.z};
                inst.boneSpheres[b].radius = std::max(inst.boneSpheres[b].radius, RwV3dLength(&d));
            }
    if (towardsOrigin)
        inst.boneSpheres[bones] = {{0, 0, 0}, 0.0f};
    inst.boundsBones = skin.numBones;
    inst.boundsStale = false;
}

// The world sphere the skinned atomic stays within in its current pose; false when its
// weights let it reach anywhere.
bool SkinnedWorldSphere(void*& slot, const Source& src, const RpAtomicSkinData& skin, const RwMatrix* ltm,
                        RwSphere& out)
{
    auto* inst = static_cast<Instance*>(slot);
    if (!inst)
        slot = inst = new Instance;
    if (inst->boundsStale || inst->boundsBones != skin.numBones)
        BuildBoneSpheres(*inst, src, skin);
    if (inst->unbounded)
        return false;
    std::vector<RwSphere> posed(inst->boneSpheres);
    for (size_t b = 0; b + 1 < posed.size(); ++b)
        if (posed[b].radius >= 0.0f) {
            RwV3dTransformPoints(&posed[b].center, &inst->boneSpheres[b].center, 1, &skin.boneMatrices[b]);
            posed[b].radius *= MatrixScale(skin.boneMatrices[b]);
        }
    out = Enclose(posed);
    if (out.radius < 0.0f)
        return false;
    out = LocalToWorld(out, ltm);
    return true;
}

void VisitVisible(RpWorld* world, RwCamera* camera, const RwV3d& eye, RwInt32 child,
                  std::vector<RpWorldSector*>& out, int depth)
{
    if (depth > 1024)
        return;
    if (child < 0) {
        RpWorldSector* s = world->sectors[size_t(~child)];
        if (BoxVisible(camera, s->boundingBox))
            out.push_back(s);
        return;
    }
    if (!BoxVisible(camera, world->nodeBoxes[size_t(child)]))
        return;
    const RpPlaneNode& node = world->planes[size_t(child)];
    const RwReal coordinate = node.axis == 0 ? eye.x : node.axis == 1 ? eye.y : eye.z;
    // The eye's side of the plane first: what it hides then fails the depth test early.
    const bool leftFirst = coordinate < node.value;
    VisitVisible(world, camera, eye, leftFirst ? node.left : node.right, out, depth + 1);
    VisitVisible(world, camera, eye, leftFirst ? node.right : node.left, out, depth + 1);
}

// The sectors in view, near to far where the world has its planes.
std::vector<RpWorldSector*> VisibleSectors(RpWorld* world, RwCamera* camera)
{
    std::vector<RpWorldSector*> out;
    RwFrame* frame = RwCameraGetFrame(camera);
    if (world->planes.empty() || !frame) {
        for (RpWorldSector* s : world->sectors)
            if (BoxVisible(camera, s->boundingBox))
                out.push_back(s);
    } else {
        VisitVisible(world, camera, RwFrameGetLTM(frame)->pos, 0, out, 0);
    }
    return out;
}

}  // namespace

void DestroyInstance(void*& slot)
{
    auto* inst = static_cast<Instance*>(slot);
    if (!inst)
        return;
    // A held part of it must not reach the device once its mesh is gone.
    std::erase_if(g_held.draws, [&](const HeldDraw& held) { return held.material.draw.mesh == inst->mesh; });
    RwDevice* device = RwDeviceGetCurrent();
    if (inst->mesh && device && device == inst->device && device->serial == inst->serial)
        device->DestroyMesh(inst->mesh);
    delete inst;
    slot = nullptr;
}

void MarkInstanceDirty(void* slot, RwUInt32 parts)
{
    if (auto* inst = static_cast<Instance*>(slot)) {
        inst->dirty |= parts;
        if (parts & (rwMeshPositions | rwMeshBones))
            inst->boundsStale = true;
    }
}

}  // namespace rpworld

using namespace rpworld;

namespace {

// How many pixels across the sphere is on the camera's raster; unbounded where that cannot be
// told (a parallel camera, no raster) or the sphere reaches the eye, so full detail is drawn.
RwReal PixelsAcross(const RwCamera* camera, const RwSphere& sphere)
{
    constexpr RwReal kUnknown = std::numeric_limits<RwReal>::infinity();
    RwFrame* frame = RwCameraGetFrame(camera);
    if (!frame || !camera->frameBuffer || camera->projectionType != rwPerspective || camera->viewWindow.y <= 0.0f)
        return kUnknown;
    const RwMatrix* eye = RwFrameGetLTM(frame);
    const RwV3d to{sphere.center.x - eye->pos.x, sphere.center.y - eye->pos.y, sphere.center.z - eye->pos.z};
    const RwReal depth = RwV3dDotProduct(&to, &eye->at);
    if (depth <= sphere.radius)
        return kUnknown;
    return sphere.radius * RwReal(camera->frameBuffer->height) / (camera->viewWindow.y * depth);
}

Source SourceOf(const RpGeometry* g)
{
    const RpMorphTarget& target = g->morphTarget[0];
    return {g->numVertices, target.verts, target.normals, g->preLitLum,
            g->numTexCoordSets > 0 ? g->texCoords[0] : nullptr, g->triangles, g->numTriangles,
            g->matList.numMaterials};
}

bool Drawable(const RpGeometry* g)
{
    return g && g->numTriangles > 0 && g->numVertices > 0 && g->numMorphTargets > 0;
}

// Whether the mesh can be drawn for the atomic: as many materials, and skinned by the same
// bones when the atomic is skinned, in which case skin becomes the mesh's.
bool StandsIn(RpAtomic* atomic, RpGeometry* g, bool skinned, RpAtomicSkinData& skin)
{
    if (!Drawable(g) || g->matList.numMaterials != atomic->geometry->matList.numMaterials)
        return false;
    if (!skinned)
        return true;
    RpAtomicSkinData own{};
    if (!RpAtomicGetSkinQueryCallBack()(atomic, g, &own) || own.numBones != skin.numBones)
        return false;
    skin = own;
    return true;
}

// For a camera asking for low detail the shadow mesh, or else the low-detail mesh; for others
// the low-detail mesh when the atomic is small enough on screen. The atomic's geometry where
// the chosen one cannot stand in.
RpGeometry* ChooseGeometry(RpAtomic* atomic, const RwCamera* camera, const RwSphere& sphere, bool skinned,
                           RpAtomicSkinData& skin)
{
    if (camera->lowDetail && StandsIn(atomic, atomic->shadowDetail, skinned, skin))
        return atomic->shadowDetail;
    if (!camera->lowDetail && PixelsAcross(camera, sphere) >= atomic->lowDetailBelow)
        return atomic->geometry;
    return StandsIn(atomic, atomic->lowDetail, skinned, skin) ? atomic->lowDetail : atomic->geometry;
}

bool AddsLight(const LightSet& lights)
{
    const RwRGBAReal& a = lights.ambient;
    return a.red != 0 || a.green != 0 || a.blue != 0 || !lights.directional.empty();
}

// The runs of an atomic lit by no light and without pre-lit colours as one draw, when each
// run is opaque: every texel they cover is black whatever its texture and material, so one
// untextured draw of the runs in their order leaves the same colours and depths. False, with
// nothing drawn, when a run would blend or could be cut by the alpha test.
bool DrawSilhouette(RwDevice* device, const Instance& inst, const RpGeometry* own, bool modulate, bool hasUVs,
                    const RwMatrix* ltm, const RpAtomicSkinData* skin)
{
    if (inst.splits.empty())
        return false;
    const LightSet none{};
    RwInt32 end = inst.splits.front().firstIndex;
    for (const MeshSplit& split : inst.splits) {
        const RpMaterial* material =
            split.material < own->matList.numMaterials ? own->matList.materials[split.material] : nullptr;
        MaterialDraw md;
        SetupMaterial(md, device, material, modulate, true, none, hasUVs, false, split);
        // A border colour sampled may carry an alpha the alpha test would cut away.
        const bool bordered = md.draw.texture && (md.draw.addressU == rwTextureAddressBorder ||
                                                  md.draw.addressV == rwTextureAddressBorder);
        if (md.draw.transparent || bordered || split.firstIndex != end)
            return false;
        end += split.numIndices;
    }
    MeshSplit all = inst.splits.front();
    all.numIndices = end - all.firstIndex;
    MaterialDraw md;
    SetupMaterial(md, device, nullptr, false, true, none, false, false, all);
    md.draw.mesh = inst.mesh;
    md.draw.ltm = ltm;
    if (skin && inst.hasBones) {
        md.draw.boneMatrices = skin->boneMatrices;
        md.draw.numBones = skin->numBones;
    }
    device->DrawMesh(md.draw);
    Count(all.numIndices, 0);
    return true;
}

}  // namespace

RwBool RpAtomicGetPosedWorldSphere(RpAtomic* atomic, RwSphere* sphere)
{
    if (!atomic || !sphere || !Drawable(atomic->geometry))
        return false;
    RpGeometry* g = atomic->geometry;
    RpAtomicSkinData skin{};
    const RpAtomicSkinQueryCallBack query = RpAtomicGetSkinQueryCallBack();
    const bool skinned = query && query(atomic, g, &skin) && skin.numBones > 0 && skin.boneMatrices &&
                         skin.boneIndices && skin.weights;
    if (!skinned) {
        *sphere = *RpAtomicGetWorldBoundingSphere(atomic);
        return true;
    }
    skin.numBones = std::min<RwInt32>(skin.numBones, rwDeviceMaxBones);
    RwFrame* frame = RpAtomicGetFrame(atomic);
    return SkinnedWorldSphere(g->instance, SourceOf(g), skin, frame ? RwFrameGetLTM(frame) : nullptr, *sphere);
}

RpAtomic* AtomicDefaultRenderCallBack(RpAtomic* atomic)
{
    if (!atomic)
        return nullptr;
    RwCamera* camera = RwCameraGetCurrentCamera();
    RpGeometry* g = atomic->geometry;
    RwDevice* device = RwDeviceGetCurrent();
    if (!camera || !device || !Drawable(g))
        return atomic;

    RpAtomicSkinData skin{};
    const RpAtomicSkinQueryCallBack query = RpAtomicGetSkinQueryCallBack();
    const bool skinned = query && query(atomic, g, &skin) && skin.numBones > 0 && skin.boneMatrices &&
                         skin.boneIndices && skin.weights;
    if (skinned && skin.numBones > rwDeviceMaxBones) {
        LogWarning("RpAtomicRender: %d bones, only the first %d are drawn\n", skin.numBones, int(rwDeviceMaxBones));
        skin.numBones = rwDeviceMaxBones;
    }
    Source src = SourceOf(g);
    RwFrame* frame = RpAtomicGetFrame(atomic);
    const RwMatrix* ltm = frame ? RwFrameGetLTM(frame) : nullptr;
    // Skinned vertices leave the bind-pose sphere: theirs follows the bones.
    RwSphere sphere;
    bool bounded = skinned ? SkinnedWorldSphere(g->instance, src, skin, ltm, sphere)
                           : (sphere = *RpAtomicGetWorldBoundingSphere(atomic), true);
    if (bounded && (atomic->lowDetail || atomic->shadowDetail)) {
        g = ChooseGeometry(atomic, camera, sphere, skinned, skin);
        if (g != atomic->geometry) {
            // Culled by the mesh drawn: a coarser one can reach past the full one's bounds.
            src = SourceOf(g);
            bounded = skinned ? SkinnedWorldSphere(g->instance, src, skin, ltm, sphere)
                              : (sphere = LocalToWorld(g->morphTarget[0].boundingSphere, ltm), true);
        }
    }
    if (bounded && RwCameraFrustumTestSphere(camera, &sphere) == rwSphereOutside)
        return atomic;
    const RpMorphTarget& target = g->morphTarget[0];
    Instance* inst = Prepare(g->instance, src, skinned ? &skin : nullptr);
    if (!inst)
        return atomic;

    // A low-detail mesh draws with the atomic's own materials and flags, so that changes made
    // to those (colours, shirts, fading) show at every distance.
    const RpGeometry* own = atomic->geometry;
    const bool lit = (own->flags & rpGeometryLight) && target.normals;
    const LightSet lights = lit ? GatherLights(camera->world, rpLightLightAtomics) : LightSet{};
    const bool modulate = own->flags & rpGeometryModulateMaterialColor;

    if (camera->silhouettes && lit && !src.prelit && !AddsLight(lights) &&
        DrawSilhouette(device, *inst, own, modulate, src.uvs != nullptr, ltm, skinned ? &skin : nullptr)) {
        Count(0, g->numVertices);
        return atomic;
    }
    // Opaque runs first, so that blended ones find the depth of everything behind them.
    std::vector<MaterialDraw> blended;
    for (const MeshSplit& split : inst->splits) {
        const RpMaterial* material =
            split.material < own->matList.numMaterials ? own->matList.materials[split.material] : nullptr;
        MaterialDraw md;
        SetupMaterial(md, device, material, modulate, lit, lights, src.uvs != nullptr, atomic->matFXEnabled, split);
        md.draw.mesh = inst->mesh;
        md.draw.ltm = ltm;
        if (skinned && inst->hasBones) {
            md.draw.boneMatrices = skin.boneMatrices;
            md.draw.numBones = skin.numBones;
        }
        if (md.draw.transparent) {
            blended.push_back(std::move(md));
            continue;
        }
        device->DrawMesh(md.draw);
        Count(split.numIndices, 0);
    }
    DrawTransparent(device, blended);
    Count(0, g->numVertices);
    return atomic;
}

RwInt32 RpWorldForAllVisibleSectors(RpWorld* world, RwCamera* camera, RpWorldSector* (*callback)(RpWorldSector*, void*),
                                    void* data)
{
    if (!world || !camera)
        return 0;
    const std::vector<RpWorldSector*> visible = VisibleSectors(world, camera);
    if (callback)
        for (RpWorldSector* s : visible)
            if (!callback(s, data))
                break;
    return RwInt32(visible.size());
}

RpWorld* RpWorldRender(RpWorld* world)
{
    if (!world)
        return nullptr;
    RwCamera* camera = RwCameraGetCurrentCamera();
    RwDevice* device = RwDeviceGetCurrent();
    if (!camera || !device)
        return world;
    const bool modulate = world->flags & rpGeometryModulateMaterialColor;
    const LightSet lights = (world->flags & rpGeometryLight) ? GatherLights(world, rpLightLightWorld) : LightSet{};

    std::vector<MaterialDraw> blended;
    for (RpWorldSector* s : VisibleSectors(world, camera)) {
        const Source src{s->numVertices, s->vertices, s->normals, s->preLitLum, s->texCoords,
                         s->triangles, s->numTriangles, world->matList.numMaterials};
        Instance* inst = Prepare(s->instance, src, nullptr);
        if (!inst)
            continue;
        const bool lit = (world->flags & rpGeometryLight) && s->normals;
        for (const MeshSplit& split : inst->splits) {
            const RpMaterial* material =
                split.material < world->matList.numMaterials ? world->matList.materials[split.material] : nullptr;
            MaterialDraw md;
            SetupMaterial(md, device, material, modulate, lit, lights, s->texCoords != nullptr, false, split);
            md.draw.mesh = inst->mesh;
            if (md.draw.transparent) {
                blended.push_back(std::move(md));
                continue;
            }
            device->DrawMesh(md.draw);
            Count(split.numIndices, 0);
        }
        Count(0, s->numVertices);
    }
    DrawTransparent(device, blended);
    return world;
}

void RpWorldBeginHoldingTransparent(void (*backdrop)(void*), void* data)
{
    RwCamera* camera = RwCameraGetCurrentCamera();
    const bool outermost = g_held.depth++ == 0;
    if (outermost) {
        g_held.camera = camera;
        RwImSetHeldDrawsCallBack(DrawHeld);
    }
    if (!backdrop)
        return;
    if (outermost && camera && camera->zBuffer)
        g_held.backdrop = {backdrop, data, CurrentStates()};
    else
        DrawBackdrop({backdrop, data, CurrentStates()});
}

void RpWorldEndHoldingTransparent()
{
    if (g_held.depth == 0 || --g_held.depth > 0)
        return;
    DrawHeld();
    // The world's picture is done: it can be drawn while the caller goes on with the rest.
    if (RwDevice* device = RwDeviceGetCurrent())
        device->StartWork();
    if (!g_held.draws.empty()) {
        LogWarning("RpWorldEndHoldingTransparent: the camera changed; %zu transparent parts not drawn\n",
                   g_held.draws.size());
        g_held.draws.clear();
    }
    g_held.backdrop = {};
    RwImSetHeldDrawsCallBack(nullptr);
    g_held.camera = nullptr;
}
