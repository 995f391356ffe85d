#include "scene/ProjectedShadow.h"

#include "engine/core/RwCore.h"
#include "engine/core/RwDevice.h"
#include "engine/world/RpClump.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/GameElements.h"
#include "scene/ProjectedTexture.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"
#include "settings/LevelSettings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kCreateFarClip = 10.0f;
constexpr float kCreateNearClip = 0.005f;
constexpr float kCreateViewWindow = 5.0f;
// Room round the casters' sphere, and the near plane as a share of the frame.
constexpr float kSphereMargin = 0.1f;
constexpr float kFrameScale = 1.1f;
constexpr float kNearShare = 0.001f;
constexpr float kProjectionZoneRadius = 10.0f;
// The projector clamps its texture at the edges, so a caster reaching the edge would streak
// across every ground triangle beyond it, and in a shared sheet the blur and the projector's
// filtering would read it from a neighbour's tile; this frame stays empty through the
// downsample (halves it) and the blur (reads one texel either side).
constexpr float kEmptyFrameTexels = 4.0f;
const Vector3 kProjectorStart{0.0f, 20.0f, 0.0f};
// Tiles in a row of the shared softening targets.
constexpr int32_t kSharedColumns = 8;
// Texels round the casters' bounds that may still differ from an empty tile: the bounds'
// rounding, then one texel spread by each softening pass.
constexpr RwInt32 kCasterMargin = 2;
constexpr RwInt32 kSofteningReach = 2;
// Below the best quality a shadow takes a tile of half its texture's side from the shared
// sheets and is laid down from it as drawn: the projector's filter across texels twice as wide
// softens its outline, and no softening pass splits the frame's drawing into one more target,
// a switch that costs a frame far more than the pass's texels.
constexpr int32_t kCoarseDivisor = 2;
// Texels beyond the softened part that the projector's linear filter still reads.
constexpr RwInt32 kFilterReach = 1;

// Keeps the global 2D flag as it was, whatever the caller had.
class OwnStates2D {
public:
    OwnStates2D() : m_was(GetDraw2DStates()) { SetDraw2DStates(false); }
    ~OwnStates2D() { SetDraw2DStates(m_was); }
    OwnStates2D(const OwnStates2D&) = delete;
    OwnStates2D& operator=(const OwnStates2D&) = delete;

private:
    bool m_was;
};

bool s_pictureFollows = true;
bool s_cullOutsideView = false;
int s_createdShadows = 0;

// The whole of a texture of the side, sampled offset texels along. Pixels are sampled at their
// centres: half a texel back puts each sample on the corner of four texels, so that linear
// filtering averages them.
ScreenRect OffsetTexels(float offset, float side)
{
    const float start = (offset - 0.5f) / side;
    return {start, start, 1.0f, 1.0f};
}

// An empty rectangle grows to whatever it is joined with.
RwRect Union(const RwRect& a, const RwRect& b)
{
    if (a.w <= 0 || a.h <= 0)
        return b;
    if (b.w <= 0 || b.h <= 0)
        return a;
    const RwInt32 x = std::min(a.x, b.x), y = std::min(a.y, b.y);
    return {x, y, std::max(a.x + a.w, b.x + b.w) - x, std::max(a.y + a.h, b.y + b.h) - y};
}

// Grown by the margin on every side and kept within a square of the side.
RwRect GrownWithin(const RwRect& r, RwInt32 margin, RwInt32 side)
{
    const RwInt32 x0 = std::max(r.x - margin, 0), y0 = std::max(r.y - margin, 0);
    const RwInt32 x1 = std::min(r.x + r.w + margin, side), y1 = std::min(r.y + r.h + margin, side);
    return {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

ScreenRect ToScreen(const RwRect& r)
{
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.w), static_cast<float>(r.h)};
}

// The part of a in b, empty when they do not meet.
ScreenRect Within(const ScreenRect& a, const ScreenRect& b)
{
    const float x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const float x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    return {x0, y0, std::max(x1 - x0, 0.0f), std::max(y1 - y0, 0.0f)};
}

// The shadows whose m_waiting is not empty.
std::vector<ProjectedShadow*>& WaitingShadows()
{
    static std::vector<ProjectedShadow*> shadows;
    return shadows;
}

// The shadows whose texture waits for FinishTextures.
std::vector<ProjectedShadow*>& SofteningShadows()
{
    static std::vector<ProjectedShadow*> shadows;
    return shadows;
}

}  // namespace

struct ProjectedShadow::SharedTargets {
    // Windows onto the sheets for one shadow; they follow the sheets when these grow.
    struct Tile {
        ProjectedShadow* owner = nullptr;
        RasterPtr casters;
        RasterPtr result;
        // The part (in the tile's texels) cleared and drawn into since the last inversion.
        RwRect uninverted{0, 0, 0, 0};
    };

    int32_t tile = 0;
    int32_t rows = 0;
    // False once the sheets could not be made or grown: shadows without a tile draw alone.
    bool usable = true;
    CameraPtr camera;
    RasterPtr casters;
    RasterPtr depth;
    RasterPtr temp;
    RasterPtr result;
    // Re-pointed at the tile being drawn by the softening passes.
    RasterPtr window;
    std::vector<Tile> tiles;

    bool Make(int32_t size)
    {
        tile = size;
        camera = MakeCamera(0);
        window.reset(RwRasterCreate(0, 0, 0, 0));
        return camera && window && Grow(1);
    }
    bool InUse() const
    {
        return std::ranges::any_of(tiles, [](const Tile& t) { return t.owner != nullptr; });
    }
    // The tile's place in a sheet, in texels.
    RwRect TileRect(size_t index) const
    {
        const auto i = static_cast<int32_t>(index);
        return {(i % kSharedColumns) * tile, (i / kSharedColumns) * tile, tile, tile};
    }
    // Sheets of rowCount rows: the casters and results drawn so far are kept, the rest is
    // empty. The softening passes read one texel beyond a tile: a neighbour's empty frame, or
    // this where no tile was drawn yet, as the clamped edge of a texture of its own would.
    bool Grow(int32_t rowCount)
    {
        const int32_t width = kSharedColumns * tile, height = rowCount * tile;
        const RwRGBA empty{0, 0, 0, 0};
        const auto make = [&](RasterPtr& raster, const RasterPtr& old) {
            raster.reset(RwRasterCreate(width, height, 0, rwRasterTypeCameraTexture));
            if (!raster)
                return false;
            RwCameraSetRaster(camera.get(), raster.get());
            if (!RwCameraClear(camera.get(), &empty, rwCameraClearImage))
                return false;
            if (!old)
                return true;
            const RwRect whole{0, 0, old->width, old->height};
            if (!RwRasterPushContext(raster.get()))
                return false;
            const bool copied = RwRasterRenderScaled(old.get(), &whole) != nullptr;
            RwRasterPopContext();
            return copied;
        };
        RasterPtr newCasters, newTemp, newResult;
        RasterPtr newDepth(RwRasterCreate(width, height, 0, rwRasterTypeZBuffer));
        if (!newDepth || !make(newCasters, casters) || !make(newTemp, nullptr) || !make(newResult, result))
            return false;
        // The windows move before the sheets they showed go, and back if one cannot.
        for (size_t i = 0; i < tiles.size(); ++i) {
            if (Point(i, newCasters.get(), newResult.get()))
                continue;
            for (size_t j = 0; casters && j < i; ++j)
                Point(j, casters.get(), result.get());
            return false;
        }
        casters.swap(newCasters);
        depth.swap(newDepth);
        temp.swap(newTemp);
        result.swap(newResult);
        rows = rowCount;
        // The passes' sheet starts empty: every tile is softened whole once more.
        for (Tile& t : tiles)
            if (t.owner)
                t.owner->m_unsoftened = Whole();
        return true;
    }
    bool Point(size_t index, RwRaster* casterSheet, RwRaster* resultSheet)
    {
        const RwRect rect = TileRect(index);
        return RwRasterSubRaster(tiles[index].casters.get(), casterSheet, &rect) &&
               RwRasterSubRaster(tiles[index].result.get(), resultSheet, &rect);
    }
    // The owner's tile, taken from the free ones or added (growing the sheets) when it has
    // none; -1 when the sheets cannot grow.
    int32_t TileOf(ProjectedShadow* owner)
    {
        if (owner->m_tile >= 0)
            return owner->m_tile;
        auto free = std::ranges::find(tiles, nullptr, &Tile::owner);
        if (free == tiles.end()) {
            Tile added{nullptr, RasterPtr(RwRasterCreate(0, 0, 0, 0)), RasterPtr(RwRasterCreate(0, 0, 0, 0))};
            if (!added.casters || !added.result)
                return -1;
            tiles.push_back(std::move(added));
            const auto needed = static_cast<int32_t>((tiles.size() + kSharedColumns - 1) / kSharedColumns);
            const bool placed = needed <= rows ? Point(tiles.size() - 1, casters.get(), result.get()) : Grow(needed);
            if (!placed) {
                tiles.pop_back();
                usable = false;
                LogWarning("ProjectedShadow::DrawIntoSheet: the shared sheets cannot take %zu shadows of %d texels; "
                           "the rest are drawn alone\n",
                           tiles.size() + 1, tile);
                return -1;
            }
            free = tiles.end() - 1;
        }
        free->owner = owner;
        owner->m_tile = static_cast<int32_t>(free - tiles.begin());
        // Whatever the tile holds, its new owner draws it whole first.
        owner->m_touched = Whole();
        return owner->m_tile;
    }
    RwRect Whole() const { return {0, 0, tile, tile}; }
    // A part of the tile (in its texels) in a sheet.
    RwRect InSheet(size_t index, const RwRect& part) const
    {
        const RwRect rect = TileRect(index);
        return {rect.x + part.x, rect.y + part.y, part.w, part.h};
    }
    // The part of the tile in a sheet, sampled as OffsetTexels samples a whole texture.
    static ScreenRect Texels(const RwRaster* sheet, const RwRect& rect, float offset)
    {
        const auto width = static_cast<float>(sheet->width), height = static_cast<float>(sheet->height);
        const auto x = static_cast<float>(rect.x), y = static_cast<float>(rect.y);
        return {(x + offset - 0.5f) / width, (y + offset - 0.5f) / height, static_cast<float>(rect.w) / width,
                static_cast<float>(rect.h) / height};
    }
    // The window pointed at the part of the tile in the sheet.
    RwRaster* Window(RwRaster* sheet, size_t index, const RwRect& part)
    {
        const RwRect rect = InSheet(index, part);
        return RwRasterSubRaster(window.get(), sheet, &rect) ? window.get() : nullptr;
    }
    // Every tile's part drawn since the last call inverted at once, with its empty frame.
    bool Invert()
    {
        std::vector<ScreenRect> parts, bands;
        for (size_t i = 0; i < tiles.size(); ++i) {
            RwRect& part = tiles[i].uninverted;
            if (part.w > 0 && part.h > 0)
                AddInversion(ToScreen(TileRect(i)), ToScreen(InSheet(i, part)), parts, bands);
            part = RwRect{};
        }
        if (parts.empty())
            return true;
        // With the casters' depth the target is the one they were drawn into: no switch.
        RwCameraSetRaster(camera.get(), casters.get());
        RwCameraSetZRaster(camera.get(), depth.get());
        const bool drawn = DrawInversions(camera.get(), parts, bands);
        RwCameraSetZRaster(camera.get(), nullptr);
        return drawn;
    }
    bool DrawTile(RwRaster* target, size_t index, const RwRect& part, RwRaster* source, float offset)
    {
        RwRaster* to = Window(target, index, part);
        if (!to)
            return false;
        RwCameraSetRaster(camera.get(), to);
        return DrawRaster(camera.get(), source, Texels(source, InSheet(index, part), offset));
    }
};

std::unique_ptr<ProjectedShadow::SharedTargets>& ProjectedShadow::Shared()
{
    // Never destroyed at exit, where the device may be gone: the last shadow released takes
    // the sheets with it, and a shadow still alive then keeps its own rasters as well.
    static auto* shared = new std::unique_ptr<SharedTargets>();
    return *shared;
}

ProjectedShadow::SharedTargets* ProjectedShadow::SheetsFor(int32_t tile)
{
    std::unique_ptr<SharedTargets>& shared = Shared();
    if (shared && shared->tile == tile)
        return shared->usable ? shared.get() : nullptr;
    if (shared && shared->InUse())
        return nullptr;
    shared = std::make_unique<SharedTargets>();
    if (shared->Make(tile))
        return shared.get();
    // Kept, unusable, so that the sheets are not tried again every frame.
    shared->usable = false;
    LogWarning("ProjectedShadow::SheetsFor: no shared sheets for shadows of %d texels; each is drawn alone\n", tile);
    return nullptr;
}

void ProjectedShadow::FinishTextures(RwCamera* view)
{
    // Left out for a view that has turned to them since, or for another view.
    if (view) {
        const std::vector<ProjectedShadow*> waiting = WaitingShadows();
        for (ProjectedShadow* shadow : waiting)
            if (shadow->m_outOfView && !shadow->OutOfView(view))
                shadow->DrawWaitingCasters();
    }
    if (Shared())
        Shared()->Invert();
    std::vector<ProjectedShadow*> shadows;
    shadows.swap(SofteningShadows());
    std::vector<ProjectedShadow*> sheet;
    for (ProjectedShadow* shadow : shadows) {
        if (shadow->m_castInSheet)
            sheet.push_back(shadow);
        else
            shadow->SoftenAlone();
    }
    if (!sheet.empty())
        SoftenInSheets(sheet);
}

void ProjectedShadow::SoftenInSheets(const std::vector<ProjectedShadow*>& shadows)
{
    SharedTargets& shared = *Shared();
    // Only where the casters' sheet changed, and as far as each pass spreads it: elsewhere the
    // tile holds what softening it whole would give.
    const auto part = [&](const ProjectedShadow* shadow) {
        return GrownWithin(shadow->m_unsoftened, kSofteningReach, shared.tile);
    };
    // Pass by pass, every tile drawn into one sheet before the next pass reads them.
    const auto drawn = [&](const ProjectedShadow* shadow) { return part(shadow).w > 0 && part(shadow).h > 0; };
    for (const ProjectedShadow* shadow : shadows)
        if (drawn(shadow))
            shared.DrawTile(shared.temp.get(), shadow->m_tile, part(shadow), shared.casters.get(), 1.0f);
    for (ProjectedShadow* shadow : shadows) {
        shadow->m_castInSheet = false;
        if (!drawn(shadow) ||
            shared.DrawTile(shared.result.get(), shadow->m_tile, part(shadow), shared.temp.get(), 0.0f))
            shadow->m_result = shared.tiles[shadow->m_tile].result.get();
        shadow->m_unsoftened = RwRect{};
    }
}

void ProjectedShadow::SetPictureFollows(bool drawn)
{
    s_pictureFollows = drawn;
}

void ProjectedShadow::SetCullOutsideView(bool cull)
{
    s_cullOutsideView = cull;
}

void ProjectedShadow::DrawWaiting()
{
    // Those out of view wait for a view to begin its update, which looks at them again.
    const std::vector<ProjectedShadow*> waiting = WaitingShadows();
    for (ProjectedShadow* shadow : waiting)
        if (!shadow->m_outOfView)
            shadow->DrawWaitingCasters();
    FinishTextures();
}

void ProjectedShadow::DrawWaitingCasters()
{
    const std::vector<RpClump*> clumps = std::move(m_waiting);
    m_waiting.clear();
    std::erase(WaitingShadows(), this);
    DrawTexture(clumps.data(), static_cast<int32_t>(clumps.size()));
}

bool ProjectedShadow::OutOfView(RwCamera* view)
{
    if (!view)
        return false;
    // Near the view it is cast without a closer look.
    const float reach = 2.0f * m_shadowCamera->viewWindow.x;
    const RwSphere near{{m_target.x, m_target.y, m_target.z}, reach};
    if (RwCameraFrustumTestSphere(view, &near) != rwSphereOutside)
        return false;
    const RwSphere& laid = LaidSphere();
    return laid.radius < 0.0f || RwCameraFrustumTestSphere(view, &laid) == rwSphereOutside;
}

const RwSphere& ProjectedShadow::LaidSphere()
{
    if (m_laidSphere)
        return *m_laidSphere;
    AimProjector();
    RwSphere sphere{{0.0f, 0.0f, 0.0f}, -1.0f};
    RwBBox drawn;
    if (m_projector->DrawnBounds(drawn)) {
        sphere.center = {0.5f * (drawn.sup.x + drawn.inf.x), 0.5f * (drawn.sup.y + drawn.inf.y),
                         0.5f * (drawn.sup.z + drawn.inf.z)};
        const RwV3d half{drawn.sup.x - sphere.center.x, drawn.sup.y - sphere.center.y, drawn.sup.z - sphere.center.z};
        sphere.radius = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
    }
    m_laidSphere = sphere;
    return *m_laidSphere;
}

void ProjectedShadow::DropWaitingCasters()
{
    if (m_waiting.empty())
        return;
    m_waiting.clear();
    std::erase(WaitingShadows(), this);
}

const Quaternion& ProjectedShadow::DefaultLightDirection()
{
    static const Quaternion down(std::numbers::pi_v<float> / 2, Vector3(1.0f, 0.0f, 0.0f));
    return down;
}

void ProjectedShadow::CameraDeleter::operator()(RwCamera* camera) const
{
    RwFrame* frame = RwCameraGetFrame(camera);
    RwRaster* zRaster = RwCameraGetZRaster(camera);
    RwObjectHasFrameSetFrame(camera, nullptr);
    RwCameraDestroy(camera);
    if (frame)
        RwFrameDestroy(frame);
    if (zRaster)
        RwRasterDestroy(zRaster);
}

void ProjectedShadow::RasterDeleter::operator()(RwRaster* raster) const
{
    RwRasterDestroy(raster);
}

ProjectedShadow::ProjectedShadow() = default;

ProjectedShadow::~ProjectedShadow()
{
    Release();
}

void ProjectedShadow::Release()
{
    DropWaitingCasters();
    std::erase(SofteningShadows(), this);
    ReleaseTile();
    // The last shadow takes the shared targets with it, while the engine that made them runs.
    if (m_created && --s_createdShadows == 0)
        Shared().reset();
    m_created = false;
    m_result = nullptr;
    m_projector.reset();
    // The cameras first: they point at the rasters.
    m_shadowCamera.reset();
    m_smallCamera.reset();
    m_cameraRaster.reset();
    m_antialiasRaster.reset();
    m_tempRaster.reset();
}

void ProjectedShadow::DropUninverted()
{
    if (m_tile < 0 || !Shared() || Shared()->tiles[m_tile].uninverted.w <= 0)
        return;
    Shared()->tiles[m_tile].uninverted = RwRect{};
    // Left uninverted, the tile holds what no empty tile does until casters are drawn over all
    // of it.
    m_touched = Shared()->Whole();
}

void ProjectedShadow::ReleaseTile()
{
    DropUninverted();
    if (m_tile >= 0 && Shared())
        Shared()->tiles[m_tile].owner = nullptr;
    m_tile = -1;
    m_castInSheet = false;
    m_unsoftened = RwRect{};
    // Nothing of the sheets may be laid down once they can be made again.
    if (m_result && RwRasterIsSubRaster(m_result))
        m_result = nullptr;
}

ProjectedShadow::CameraPtr ProjectedShadow::MakeCamera(int32_t depthSize)
{
    CameraPtr camera(RwCameraCreate());
    if (!camera)
        return nullptr;
    RwFrame* frame = RwFrameCreate();
    if (!frame)
        return nullptr;
    RwObjectHasFrameSetFrame(camera.get(), frame);
    if (depthSize > 0) {
        RwRaster* zRaster = RwRasterCreate(depthSize, depthSize, 0, rwRasterTypeZBuffer);
        if (!zRaster)
            return nullptr;
        RwCameraSetZRaster(camera.get(), zRaster);
    }
    if (!RwCameraSetProjection(camera.get(), rwParallel))
        return nullptr;
    return camera;
}

bool ProjectedShadow::Create(int32_t size)
{
    Release();
    const int32_t small = m_antialias ? size / 2 : size;
    if (small < 1)
        return false;
    m_shadowCamera = MakeCamera(size);
    if (!m_shadowCamera)
        return false;
    // Only the casters' shape counts: each draws its opaque parts in one draw.
    m_shadowCamera->silhouettes = true;
    TurnCamera(DefaultLightDirection());
    RwCameraSetFarClipPlane(m_shadowCamera.get(), kCreateFarClip);
    RwCameraSetNearClipPlane(m_shadowCamera.get(), kCreateNearClip);
    const RwV2d window{kCreateViewWindow, kCreateViewWindow};
    RwCameraSetViewWindow(m_shadowCamera.get(), &window);
    FrameCasters();

    m_smallCamera = MakeCamera(small);
    if (!m_smallCamera)
        return false;
    const auto makeRaster = [](RasterPtr& raster, int32_t n, const char* failure) {
        raster.reset(RwRasterCreate(n, n, 0, rwRasterTypeCameraTexture));
        if (!raster)
            DebugTrace("%s", failure);
        return raster != nullptr;
    };
    if (!makeRaster(m_cameraRaster, size, "could not create camera raster\n"))
        return false;
    RwCameraSetRaster(m_shadowCamera.get(), m_cameraRaster.get());
    if (m_antialias && !makeRaster(m_antialiasRaster, small, "could not create antialiasing camera raster\n"))
        return false;
    if (!makeRaster(m_tempRaster, small, "could not create temp raster\n"))
        return false;

    m_projector = std::make_unique<ProjectedTexture>();
    m_projector->SetPosition(kProjectorStart);
    m_projector->SetRotation(DefaultLightDirection());
    // Round the casters the softened texture is clear to its edge: beyond it nothing darkens.
    m_projector->SetClipToTexture(true);
    DebugTrace("projected shadow ok\n");
    m_created = true;
    ++s_createdShadows;
    return true;
}

bool ProjectedShadow::CreateInLevelLight(int32_t size)
{
    if (!Create(size))
        return false;
    SetLightDirection(LevelSettings::Instance()->lightDirection);
    return true;
}

void ProjectedShadow::FollowLevelLight()
{
    const LevelSettings* level = LevelSettings::Instance();
    if (level->updateLight)
        SetLightDirection(level->lightDirection);
}

void ProjectedShadow::TurnCamera(const Quaternion& direction)
{
    RwMatrix turned;
    EngineUtil::BuildMatrix(&turned, Vector3(0.0f, 0.0f, 0.0f), direction);
    RwFrame* frame = RwCameraGetFrame(m_shadowCamera.get());
    RwMatrix* matrix = RwFrameGetMatrix(frame);
    matrix->right = turned.right;
    matrix->up = turned.up;
    matrix->at = turned.at;
    RwMatrixUpdateFlags(matrix);
    RwFrameUpdateObjects(frame);
}

void ProjectedShadow::SetLightDirection(const Quaternion& direction)
{
    if (!m_created)
        return;
    TurnCamera(direction);
    // The texture is laid down the way it was taken.
    m_projector->SetRotation(direction);
    m_laidSphere.reset();
}

void ProjectedShadow::FrameCasters()
{
    // The target sits half way along the depth range.
    RwCamera* camera = m_shadowCamera.get();
    RwFrame* frame = RwCameraGetFrame(camera);
    RwMatrix* matrix = RwFrameGetMatrix(frame);
    const float back = 0.5f * camera->farPlane;
    matrix->pos = RwV3d{m_target.x - back * matrix->at.x, m_target.y - back * matrix->at.y,
                        m_target.z - back * matrix->at.z};
    RwMatrixUpdateFlags(matrix);
    RwFrameUpdateObjects(frame);
}

void ProjectedShadow::SetCaster(RpClump* const* clumps, int32_t count, const RwSphere& sphere, const Vector3& target)
{
    if (!m_created)
        return;
    m_sphere = sphere;
    m_target = target;
    RwCamera* camera = m_shadowCamera.get();
    const float k = (sphere.radius + kSphereMargin) * kFrameScale;
    RwCameraSetFarClipPlane(camera, 2.0f * k);
    RwCameraSetNearClipPlane(camera, k * kNearShare);
    const RwV2d window{k, k};
    RwCameraSetViewWindow(camera, &window);
    FrameCasters();
    m_laidSphere.reset();
    m_outOfView = false;
    // Nobody would see the picture nor its projection: the null device of a headless run.
    if (!RwDeviceShowsPictures()) {
        m_result = nullptr;
        std::erase(SofteningShadows(), this);
        DropUninverted();
        return;
    }
    if (count <= 0 || !clumps) {
        DropWaitingCasters();
        return;
    }
    // Whatever view the picture turns out to have, its update looks at the shadow again.
    const Camera* view = s_cullOutsideView && s_pictureFollows ? RwGraphics::Instance()->GetCamera() : nullptr;
    m_outOfView = view && OutOfView(view->GetRwCamera());
    // The tile is taken all the same: where each shadow lies in the sheets, which the pictures
    // depend on, is not left to which shadows were seen first.
    if (m_outOfView && SharesSheets())
        TakeTile();
    if (!s_pictureFollows || m_outOfView) {
        if (m_waiting.empty())
            WaitingShadows().push_back(this);
        m_waiting.assign(clumps, clumps + count);
        return;
    }
    DropWaitingCasters();
    DrawTexture(clumps, count);
}

void ProjectedShadow::DrawTexture(RpClump* const* clumps, int32_t count)
{
    m_outOfView = false;
    if (SharesSheets() && DrawIntoSheet(clumps, count)) {
        m_result = Shared()->tiles[m_tile].casters.get();
        m_castInSheet = !m_coarse;
        if (m_coarse) {
            // Laid down as drawn.
            std::erase(SofteningShadows(), this);
            m_unsoftened = RwRect{};
            return;
        }
    } else if (DrawAlone(clumps, count)) {
        m_castInSheet = false;
        m_result = m_cameraRaster.get();
    } else {
        return;
    }
    if (Softens() && std::ranges::find(SofteningShadows(), this) == SofteningShadows().end())
        SofteningShadows().push_back(this);
}

void ProjectedShadow::SoftenAlone()
{
    if (m_antialias && DrawRaster(m_cameraRaster.get(), m_antialiasRaster.get(), 0.5f))
        m_result = m_antialiasRaster.get();
    if (m_blur && DrawRaster(m_result, m_tempRaster.get(), 1.0f))
        DrawRaster(m_tempRaster.get(), m_result, 0.0f);
}

ProjectedShadow::SharedTargets* ProjectedShadow::TakeTile()
{
    const int32_t side = IsFine() ? m_cameraRaster->width : std::max(m_cameraRaster->width / kCoarseDivisor, 1);
    // A tile of sheets of the other side is given up, so that once no shadow holds one the
    // sheets can be made again at this side; until then the shadow draws alone.
    if (m_tile >= 0 && Shared() && Shared()->tile != side)
        ReleaseTile();
    SharedTargets* shared = SheetsFor(side);
    return shared && shared->TileOf(this) >= 0 ? shared : nullptr;
}

bool ProjectedShadow::IsFine()
{
    return GeParticleSystem::GetQualitySetting() >= GeParticleSystem::kHigh;
}

bool ProjectedShadow::DrawIntoSheet(RpClump* const* clumps, int32_t count)
{
    const bool fine = IsFine();
    SharedTargets* shared = TakeTile();
    if (!shared)
        return false;
    // Cast twice before the inversion: what the first left is inverted before it is cleared.
    if (shared->tiles[m_tile].uninverted.w > 0 && !shared->Invert())
        return false;
    m_coarse = !fine;
    // Only the part of the tile the casters cover now or covered last is drawn again; the rest
    // holds what an empty tile does.
    // Below the best quality a texel is twice as wide: half the margin keeps its reach.
    const RwInt32 margin = fine ? kCasterMargin : kCasterMargin / kCoarseDivisor;
    const RwRect casters = CastersRect(clumps, count, shared->tile, margin);
    const RwRect redrawn = Union(casters, m_touched);
    // The camera frames the casters as for its own raster; only where they land differs.
    RwCamera* camera = m_shadowCamera.get();
    RwRaster* ownDepth = RwCameraGetZRaster(camera);
    RwCameraSetZRaster(camera, shared->depth.get());
    bool drawn = true;
    if (redrawn.w > 0 && redrawn.h > 0) {
        RwRaster* cleared = shared->Window(shared->casters.get(), m_tile, redrawn);
        RwCameraSetRaster(camera, cleared);
        const RwRGBA white{255, 255, 255, 0};
        drawn = cleared && RwCameraClear(camera, &white, rwCameraClearImage | rwCameraClearZ);
        RwCameraSetRaster(camera, shared->tiles[m_tile].casters.get());
        drawn = drawn && DrawCasters(clumps, count);
        if (drawn)
            shared->tiles[m_tile].uninverted = redrawn;
    }
    RwCameraSetRaster(camera, m_cameraRaster.get());
    RwCameraSetZRaster(camera, ownDepth);
    if (drawn) {
        m_touched = casters;
        m_unsoftened = Union(m_unsoftened, redrawn);
    }
    return drawn;
}

void ProjectedShadow::SetCaster(RpClump* clump, const Vector3& at, float radius)
{
    SetCaster(&clump, clump ? 1 : 0, RwSphere{{at.x, at.y, at.z}, radius}, at);
}

RwRect ProjectedShadow::CastersRect(RpClump* const* clumps, int32_t count, int32_t side, RwInt32 margin) const
{
    const RwRect whole{0, 0, side, side};
    RwCamera* camera = m_shadowCamera.get();
    RwReal clip[16];
    RwCameraGetClipMatrix(camera, clip);
    const RwReal perClip = 0.5f * static_cast<RwReal>(side);
    struct Bounds {
        RwReal clip[16];
        RwReal radiusScale;
        RwReal x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
        bool known = true;
    } bounds{};
    std::copy(clip, clip + 16, bounds.clip);
    bounds.radiusScale = 1.0f / camera->viewWindow.x;
    // Each atomic's sphere in clip space (the camera is parallel: a sphere stays round).
    const auto grow = [](RpAtomic* atomic, void* data) -> RpAtomic* {
        auto& b = *static_cast<Bounds*>(data);
        RwSphere sphere;
        if (!RpAtomicGetPosedWorldSphere(atomic, &sphere)) {
            b.known = false;
            return nullptr;
        }
        const RwV3d& c = sphere.center;
        const RwReal x = b.clip[0] * c.x + b.clip[4] * c.y + b.clip[8] * c.z + b.clip[12];
        const RwReal y = b.clip[1] * c.x + b.clip[5] * c.y + b.clip[9] * c.z + b.clip[13];
        const RwReal r = sphere.radius * b.radiusScale;
        b.x0 = std::min(b.x0, x - r);
        b.x1 = std::max(b.x1, x + r);
        b.y0 = std::min(b.y0, y - r);
        b.y1 = std::max(b.y1, y + r);
        return atomic;
    };
    for (int32_t i = 0; i < count && bounds.known; ++i)
        if (clumps[i])
            RpClumpForAllAtomics(clumps[i], grow, &bounds);
    if (!bounds.known || camera->projectionType != rwParallel)
        return whole;
    if (bounds.x0 > bounds.x1)
        return {};
    // Clip x grows to the right of the raster, clip y to its top row, which the target keeps
    // first.
    const auto left = static_cast<RwInt32>(std::floor((bounds.x0 + 1.0f) * perClip));
    const auto top = static_cast<RwInt32>(std::floor((1.0f - bounds.y1) * perClip));
    const auto right = static_cast<RwInt32>(std::ceil((bounds.x1 + 1.0f) * perClip));
    const auto bottom = static_cast<RwInt32>(std::ceil((1.0f - bounds.y0) * perClip));
    return GrownWithin({left, top, right - left, bottom - top}, margin, side);
}

bool ProjectedShadow::DrawAlone(RpClump* const* clumps, int32_t count)
{
    RwCamera* camera = m_shadowCamera.get();
    const RwRGBA white{255, 255, 255, 0};
    if (!RwCameraClear(camera, &white, rwCameraClearImage | rwCameraClearZ) || !DrawCasters(clumps, count))
        return false;
    const auto side = static_cast<float>(camera->frameBuffer->width);
    const ScreenRect whole{0.0f, 0.0f, side, side};
    std::vector<ScreenRect> parts, bands;
    AddInversion(whole, whole, parts, bands);
    return DrawInversions(camera, parts, bands);
}

void ProjectedShadow::AddInversion(const ScreenRect& tile, const ScreenRect& part, std::vector<ScreenRect>& parts,
                                   std::vector<ScreenRect>& bands)
{
    parts.push_back(part);
    const float edge = kEmptyFrameTexels, inner = tile.w - 2.0f * edge;
    const float x0 = tile.x, y0 = tile.y, x1 = tile.x + tile.w - edge, y1 = tile.y + tile.h - edge;
    for (const ScreenRect& band : {ScreenRect{x0, y0, tile.w, edge}, ScreenRect{x0, y1, tile.w, edge},
                                   ScreenRect{x0, y0 + edge, edge, inner}, ScreenRect{x1, y0 + edge, edge, inner}}) {
        const ScreenRect drawn = Within(band, part);
        if (drawn.w > 0.0f && drawn.h > 0.0f)
            bands.push_back(drawn);
    }
}

bool ProjectedShadow::DrawInversions(RwCamera* camera, const std::vector<ScreenRect>& parts,
                                     const std::vector<ScreenRect>& bands)
{
    if (!RwCameraBeginUpdate(camera))
        return false;
    // White over white is black and the casters, unlit in here, come out light.
    RenderStateSaver states;
    states.Set(rwRenderStateFogEnable, 0);
    states.Set(rwRenderStateZTestEnable, 0);
    states.Set(rwRenderStateTextureRaster, 0);
    states.Set(rwRenderStateVertexAlphaEnable, 1);
    states.Set(rwRenderStateSrcBlend, rwBlendInvDestColor);
    states.Set(rwRenderStateDestBlend, rwBlendZero);
    {
        OwnStates2D own;
        DrawFilledRects(parts.data(), parts.size(), Color::White);
        // A saver of its own: one that changed a state twice would restore the first change.
        RenderStateSaver frame;
        frame.Set(rwRenderStateSrcBlend, rwBlendZero);
        DrawFilledRects(bands.data(), bands.size(), Color::White);
        frame.Restore();
    }
    states.Restore();
    RwCameraEndUpdate(camera);
    return true;
}

bool ProjectedShadow::DrawCasters(RpClump* const* clumps, int32_t count)
{
    RwCamera* camera = m_shadowCamera.get();
    // Below the highest quality the casters are their low-detail meshes: softened in a small
    // texture, their outline hardly differs.
    camera->lowDetail = !IsFine();
    RwFrameUpdateObjects(RwCameraGetFrame(camera));
    if (!RwCameraBeginUpdate(camera))
        return false;
    RenderStateSaver states;
    states.Set(rwRenderStateFogEnable, 0);
    for (int32_t i = 0; i < count; ++i)
        if (clumps[i])
            RpClumpRender(clumps[i]);
    states.Restore();
    RwCameraEndUpdate(camera);
    return true;
}

bool ProjectedShadow::DrawRaster(RwRaster* source, RwRaster* target, float offset)
{
    RwCameraSetRaster(m_smallCamera.get(), target);
    return DrawRaster(m_smallCamera.get(), source, OffsetTexels(offset, static_cast<float>(target->width)));
}

bool ProjectedShadow::DrawRaster(RwCamera* camera, RwRaster* source, const ScreenRect& uv)
{
    if (!RwCameraBeginUpdate(camera))
        return false;
    RenderStateSaver states;
    states.Set(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(source));
    states.Set(rwRenderStateTextureFilter, rwFilterLinear);
    states.Set(rwRenderStateTextureAddress, rwTextureAddressClamp);
    states.Set(rwRenderStateSrcBlend, rwBlendOne);
    states.Set(rwRenderStateDestBlend, rwBlendZero);
    states.Set(rwRenderStateVertexAlphaEnable, 0);
    states.Set(rwRenderStateZTestEnable, 0);
    states.Set(rwRenderStateZWriteEnable, 0);
    states.Set(rwRenderStateFogEnable, 0);
    // The casters' texels have alpha 0 after the inversion: a test would leave the target's
    // old texels there.
    states.Set(rwRenderStateAlphaTestFunction, rwAlphaTestAlways);
    {
        OwnStates2D own;
        const RwRaster* target = camera->frameBuffer;
        DrawTexturedRect(source, {0.0f, 0.0f, static_cast<float>(target->width), static_cast<float>(target->height)},
                         uv, Color::White);
    }
    states.Restore();
    RwCameraEndUpdate(camera);
    return true;
}

RwRect ProjectedShadow::LaidTexels() const
{
    const RwInt32 side = m_result->width;
    if (m_tile < 0 || !RwRasterIsSubRaster(m_result))
        return {0, 0, side, side};
    if (m_touched.w <= 0 || m_touched.h <= 0)
        return {};
    // Unsoftened, the casters spread no further than they were drawn.
    const RwInt32 reach = m_result == Shared()->tiles[m_tile].result.get() ? kSofteningReach : 0;
    return GrownWithin(m_touched, reach + kFilterReach, side);
}

void ProjectedShadow::AimProjector()
{
    m_projector->SetRadius(m_shadowCamera->viewWindow.x);
    m_projector->SetFadeDist(m_fadeDistance);
    m_projector->SetProjectionZoneRadius(kProjectionZoneRadius);
    m_projector->SetAlpha(m_alpha);
    m_projector->SetPosition(m_target);
    m_projector->SetStartRadius(m_sphere.radius + kSphereMargin);
}

void ProjectedShadow::Render()
{
    if (!m_created || !m_result || m_outOfView)
        return;
    // Beyond what its casters may have touched the texture is empty and darkens nothing.
    const RwRect part = LaidTexels();
    if (part.w <= 0 || part.h <= 0)
        return;
    const auto side = static_cast<float>(m_result->width);
    m_projector->SetDrawnPart(static_cast<float>(part.x) / side, static_cast<float>(part.y) / side,
                              static_cast<float>(part.x + part.w) / side, static_cast<float>(part.y + part.h) / side);
    RenderStateSaver states;
    states.Set(rwRenderStateFogEnable, 0);
    // The shape is in the colour; the alpha left by the inversion must not cut texels away.
    states.Set(rwRenderStateAlphaTestFunction, rwAlphaTestAlways);
    AimProjector();
    m_projector->SetTexture(m_result);
    m_projector->SetBlend(rwBlendZero, rwBlendInvSrcColor);
    m_projector->Render();
    states.Restore();
}
