#include "engine/core/NullDevice.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

// A clear of a rectangle of the storage, not yet written.
struct PendingClear {
    RwInt32 x, y, width, height;
    RwRGBA colour;
};

// Clears wait this many deep before they are written anyway.
constexpr size_t kMaxPendingClears = 8;

struct NullRaster {
    RwInt32 width = 0, height = 0;
    std::vector<RwUInt8> pixels;  // RGBA rows; empty for depth rasters
    // Clears are written when the pixels are next used: a camera cleared every frame and never
    // read back (a headless match's screen, a shadow) costs nothing.
    std::vector<PendingClear> clears;
};

NullRaster* Storage(const RwRaster* raster)
{
    return raster && raster->parent ? static_cast<NullRaster*>(raster->parent->deviceData) : nullptr;
}

void Fill(NullRaster& s, const PendingClear& clear)
{
    // One row built once and copied down.
    std::vector<RwUInt8> row(size_t(clear.width) * 4);
    for (size_t i = 0; i < row.size(); i += 4) {
        row[i] = clear.colour.red;
        row[i + 1] = clear.colour.green;
        row[i + 2] = clear.colour.blue;
        row[i + 3] = clear.colour.alpha;
    }
    for (RwInt32 y = 0; y < clear.height; ++y)
        std::memcpy(&s.pixels[(size_t(clear.y + y) * s.width + clear.x) * 4], row.data(), row.size());
}

// The storage's pixels with every clear asked of them so far written; null without pixels.
NullRaster* Settled(const RwRaster* raster)
{
    NullRaster* s = Storage(raster);
    if (!s || s->pixels.empty())
        return nullptr;
    for (const PendingClear& clear : s->clears)
        Fill(*s, clear);
    s->clears.clear();
    return s;
}

// Never destroyed: an engine closed from another static's destructor at exit still needs
// these after the ordinary statics are gone.
std::unordered_set<NullRaster*>& Live()
{
    static auto* live = new std::unordered_set<NullRaster*>;
    return *live;
}

}  // namespace

namespace {

struct NullMesh {
    RwInt32 numVertices = 0;
    RwInt32 numIndices = 0;
};

std::unordered_set<NullMesh*>& LiveMeshes()
{
    static auto* live = new std::unordered_set<NullMesh*>;
    return *live;
}

}  // namespace

RwNullDevice::~RwNullDevice()
{
    for (NullMesh* m : LiveMeshes())
        delete m;
    LiveMeshes().clear();
    for (NullRaster* s : Live())
        delete s;
    Live().clear();
}

bool RwNullDevice::Start(const RwVideoMode* m, RwInt32 rate)
{
    started = true;
    if (m)
        mode = *m;
    refreshRate = rate;
    return true;
}

void RwNullDevice::Stop()
{
    started = false;
}

bool RwNullDevice::ChangeVideoMode(const RwVideoMode& m, RwInt32 rate)
{
    mode = m;
    refreshRate = rate;
    ++modeChanges;
    return true;
}

bool RwNullDevice::CreateRaster(RwRaster* raster)
{
    auto* s = new NullRaster;
    s->width = raster->width;
    s->height = raster->height;
    if (raster->type != rwRasterTypeZBuffer)
        s->pixels.assign(size_t(raster->width) * size_t(raster->height) * 4, 0);
    raster->deviceData = s;
    Live().insert(s);
    return true;
}

void RwNullDevice::DestroyRaster(RwRaster* raster)
{
    auto* s = static_cast<NullRaster*>(raster->deviceData);
    if (s && Live().erase(s))
        delete s;
    raster->deviceData = nullptr;
}

bool RwNullDevice::UploadRaster(RwRaster* raster, const RwImage* image)
{
    NullRaster* s = Settled(raster);
    if (!s)
        return false;
    for (RwInt32 y = 0; y < raster->height; ++y) {
        std::memcpy(&s->pixels[(size_t(raster->offsetY + y) * s->width + raster->offsetX) * 4],
                    image->pixels + size_t(y) * image->stride, size_t(raster->width) * 4);
    }
    return true;
}

bool RwNullDevice::ReadRaster(RwRaster* raster, RwImage* image)
{
    NullRaster* s = Settled(raster);
    if (!s)
        return false;
    for (RwInt32 y = 0; y < raster->height; ++y) {
        std::memcpy(image->pixels + size_t(y) * image->stride,
                    &s->pixels[(size_t(raster->offsetY + y) * s->width + raster->offsetX) * 4],
                    size_t(raster->width) * 4);
    }
    return true;
}

bool RwNullDevice::RenderRasterScaled(RwRaster* target, RwRaster* source, const RwRect& rect)
{
    // Nearest-texel copy so that what a loading screen paints can be read back.
    NullRaster* dst = Settled(target);
    NullRaster* src = Settled(source);
    if (!dst || !src || source->width <= 0 || source->height <= 0)
        return false;
    ++scaledRenders;
    for (RwInt32 y = std::max(rect.y, 0); y < std::min(rect.y + rect.h, target->height); ++y) {
        const RwInt32 sy = RwInt32(int64_t(y - rect.y) * source->height / rect.h);
        for (RwInt32 x = std::max(rect.x, 0); x < std::min(rect.x + rect.w, target->width); ++x) {
            const RwInt32 sx = RwInt32(int64_t(x - rect.x) * source->width / rect.w);
            std::memcpy(&dst->pixels[(size_t(target->offsetY + y) * dst->width + target->offsetX + x) * 4],
                        &src->pixels[(size_t(source->offsetY + sy) * src->width + source->offsetX + sx) * 4], 4);
        }
    }
    return true;
}

bool RwNullDevice::BeginCameraUpdate(RwCamera* camera)
{
    BeginRecord();
    m_camera = camera;
    return true;
}

void RwNullDevice::EndCameraUpdate(RwCamera*)
{
    m_camera = nullptr;
    m_updateEnded = true;
}

bool RwNullDevice::ClearCamera(RwCamera* camera, const RwRGBA& colour, RwInt32 clearMode)
{
    BeginRecord();
    clears.push_back({camera, colour, clearMode});
    RwRaster* fb = camera->frameBuffer;
    NullRaster* s = Storage(fb);
    if ((clearMode & rwCameraClearImage) && s && !s->pixels.empty() && fb->width > 0 && fb->height > 0) {
        // A clear of all of it makes the earlier ones moot.
        if (fb->offsetX == 0 && fb->offsetY == 0 && fb->width == s->width && fb->height == s->height)
            s->clears.clear();
        else if (s->clears.size() >= kMaxPendingClears)
            Settled(fb);
        s->clears.push_back({fb->offsetX, fb->offsetY, fb->width, fb->height, colour});
    }
    return true;
}

bool RwNullDevice::ShowRaster(RwCamera*, void*, RwUInt32)
{
    ++shows;
    m_shown = true;
    return true;
}

void RwNullDevice::BeginRecord()
{
    if (m_shown || draws.size() + states.size() + clears.size() >= kMaxRecords)
        StartFrame();
    if (!m_updateEnded)
        return;
    m_updateEnded = false;
    if (m_updates.size() == kMaxFrameUpdates)
        DropOldestUpdate();
    m_updates.push_back({draws.size(), states.size(), clears.size()});
}

void RwNullDevice::StartFrame()
{
    m_shown = false;
    m_updateEnded = true;
    m_updates.clear();
    // clear() keeps the capacity: after the first frames nothing more is allocated.
    draws.clear();
    states.clear();
    clears.clear();
}

void RwNullDevice::DropOldestUpdate()
{
    const Mark next = m_updates[1];
    draws.erase(draws.begin(), draws.begin() + static_cast<ptrdiff_t>(next.draws));
    states.erase(states.begin(), states.begin() + static_cast<ptrdiff_t>(next.states));
    clears.erase(clears.begin(), clears.begin() + static_cast<ptrdiff_t>(next.clears));
    m_updates.erase(m_updates.begin());
    for (Mark& mark : m_updates)
        mark = {mark.draws - next.draws, mark.states - next.states, mark.clears - next.clears};
}

void RwNullDevice::SetRenderState(RwRenderState state, intptr_t value)
{
    if (state > 0 && state < rwRenderStateCount) {
        if (m_state[state] != value && metrics)
            metrics->device.numRenderStateChanges++;
        m_state[state] = value;
    }
    BeginRecord();
    states.push_back({state, value});
}

void RwNullDevice::SetZBias(RwInt32 bias)
{
    m_zBias = bias;
}

RwNullDrawRecord RwNullDevice::Record(bool is2D, RwPrimitiveType type, RwInt32 numVertices, RwInt32 numIndices,
                                      RwUInt32 flags) const
{
    RwNullDrawRecord r{};
    r.is2D = is2D;
    r.type = type;
    r.numVertices = numVertices;
    r.numIndices = numIndices;
    r.flags = flags;
    r.texture = reinterpret_cast<RwRaster*>(m_state[rwRenderStateTextureRaster]);
    r.camera = m_camera;
    r.zTest = m_state[rwRenderStateZTestEnable];
    r.zWrite = m_state[rwRenderStateZWriteEnable];
    r.vertexAlpha = m_state[rwRenderStateVertexAlphaEnable];
    r.srcBlend = m_state[rwRenderStateSrcBlend];
    r.destBlend = m_state[rwRenderStateDestBlend];
    r.alphaFunction = m_state[rwRenderStateAlphaTestFunction];
    r.alphaRef = m_state[rwRenderStateAlphaTestFunctionRef];
    r.fog = m_state[rwRenderStateFogEnable];
    r.cull = m_state[rwRenderStateCullMode];
    r.zAtFar = m_state[rwRenderStateZAtFar];
    r.zBias = m_zBias;
    return r;
}

bool RwNullDevice::DrawIm3D(const RwIm3DDraw& draw)
{
    BeginRecord();
    draws.push_back(Record(false, draw.type, draw.numVertices, draw.numIndices, draw.flags));
    if (draw.vertices && draw.numVertices > 0)
        draws.back().vertices3D.assign(draw.vertices, draw.vertices + draw.numVertices);
    return true;
}

bool RwNullDevice::DrawIm2D(const RwIm2DDraw& draw)
{
    BeginRecord();
    draws.push_back(Record(true, draw.type, draw.numVertices, draw.numIndices, 0));
    for (RwInt32 i = 0; i < std::min<RwInt32>(draw.numVertices, 4) && draw.vertices; ++i)
        draws.back().corners2D[i] = draw.vertices[i];
    return true;
}

void* RwNullDevice::CreateMesh(const RwDeviceMeshData& data)
{
    auto* m = new NullMesh{data.numVertices, data.numIndices};
    LiveMeshes().insert(m);
    ++liveMeshes;
    return m;
}

bool RwNullDevice::UpdateMesh(void* mesh, const RwDeviceMeshData&, RwUInt32)
{
    if (!LiveMeshes().count(static_cast<NullMesh*>(mesh)))
        return false;
    ++meshUpdates;
    return true;
}

void RwNullDevice::DestroyMesh(void* mesh)
{
    auto* m = static_cast<NullMesh*>(mesh);
    if (LiveMeshes().erase(m)) {
        delete m;
        --liveMeshes;
    }
}

bool RwNullDevice::DrawMesh(const RwDeviceMeshDraw& draw)
{
    auto* m = static_cast<NullMesh*>(draw.mesh);
    if (!LiveMeshes().count(m) || draw.firstIndex < 0 || draw.numIndices <= 0 ||
        draw.firstIndex + draw.numIndices > m->numIndices)
        return false;
    RwNullDrawRecord r = Record(false, rwPrimTypeTriList, m->numVertices, draw.numIndices, 0);
    r.texture = draw.texture;
    r.isMesh = true;
    r.lit = draw.lighting != nullptr;
    r.numLights = draw.lighting ? draw.lighting->numDirectional : 0;
    r.transparent = draw.transparent;
    r.cull = draw.cullBack ? rwCullBack : rwCullNone;
    r.numBones = draw.boneMatrices ? draw.numBones : 0;
    r.materialColour = draw.materialColour;
    r.firstIndex = draw.firstIndex;
    BeginRecord();
    draws.push_back(r);
    return true;
}

void RwNullDevice::ClearLog()
{
    StartFrame();
    shows = 0;
    scaledRenders = 0;
    workStarts = 0;
}
