#pragma once

#include "engine/core/RwTypes.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"
#include "scene/RenderObject.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class ProjectedTexture;
struct RpClump;
struct RwCamera;
struct RwRaster;
struct ScreenRect;

// A soft shadow of some clumps: they are drawn from the light's direction into a texture by
// a camera of the shadow's own, softened, and projected onto the current world by a
// ProjectedTexture.
class ProjectedShadow : public RenderObject {
public:
    // Pi/2 about x: straight down.
    static const Quaternion& DefaultLightDirection();

    ProjectedShadow();
    ~ProjectedShadow() override;
    ProjectedShadow(const ProjectedShadow&) = delete;
    ProjectedShadow& operator=(const ProjectedShadow&) = delete;

    // It has no table.
    void Serialize(Serializer&, const char*) override {}

    // Makes the cameras, the rasters (size x size, half that for the softening passes with
    // antialiasing) and the projector. False at the first step that fails, with a trace line;
    // a shadow that failed ignores SetLightDirection and SetCaster and draws nothing. A second
    // Create starts afresh.
    bool Create(int32_t size);
    bool IsCreated() const { return m_created; }
    // Create, aimed along the level's "Light direction" (LevelSettings).
    bool CreateInLevelLight(int32_t size);

    // The light's rotation: the shadow camera and the projector look along its third axis.
    void SetLightDirection(const Quaternion& direction);
    // Draws the clumps (count 0 keeps the texture drawn last) into the shadow texture, framed
    // by the sphere round them and centred on the target; the next FinishTextures finishes it.
    // Between camera updates: the shadow camera takes its own. On a device that shows no
    // pictures only the framing is done, and there is no texture to lay down.
    void SetCaster(RpClump* const* clumps, int32_t count, const RwSphere& sphere, const Vector3& target);
    // One clump, framed by a sphere of the radius about the point and centred on it; a null
    // clump keeps the texture drawn last.
    void SetCaster(RpClump* clump, const Vector3& at, float radius);
    // Whether a picture is drawn after the current update; true unless a caller says otherwise.
    // For an update whose picture nobody sees SetCaster only frames its casters and keeps them
    // waiting (borrowed: they must stay alive until the next SetCaster or DrawWaiting).
    static void SetPictureFollows(bool drawn);
    // Draws the texture of every shadow whose casters wait, as they stand now: before a picture
    // after updates that were not all followed by one. Outside a camera update.
    static void DrawWaiting();
    // Finishes the textures whose casters were drawn since the last call: those in the shared
    // sheets are inverted there in one pass, then every softening pass goes over all of them at
    // once; until then those textures are neither. Outside a camera update: Camera::BeginUpdate
    // calls it, so a frame's shadows are finished before any is laid down.
    // With a view, first draws the textures of the shadows left out that the view sees.
    static void FinishTextures(RwCamera* view = nullptr);
    // While set, a shadow whose casters are set while RwGraphics' camera cannot see any ground it
    // would darken is neither cast nor laid down; a view that sees it as its update begins (the
    // camera turned, or another view) has it cast then. Off unless set.
    static void SetCullOutsideView(bool cull);
    // Forgets waiting casters, keeping the texture drawn last (not laid down while the shadow is
    // out of view): for an owner about to destroy them.
    void DropWaitingCasters();
    // Aims along the level's "Light direction" again when its "Update Light?" is set.
    void FollowLevelLight();

    // Lays the texture onto the current world with fog off; nothing before the first caster.
    void Render() override;
    void Update(float) override {}

    // Set before Create.
    void SetAntialias(bool antialias) { m_antialias = antialias; }
    void SetBlur(bool blur) { m_blur = blur; }
    void SetAlpha(float alpha) { m_alpha = alpha; }
    float GetAlpha() const { return m_alpha; }

    // The softened texture the projector lays down: null before the first caster. It may be a
    // tile of a sheet that many shadows share, valid while the shadow lives.
    RwRaster* GetResult() const { return m_result; }
    // Both are null before Create or when it failed before making them.
    RwCamera* GetShadowCamera() const { return m_shadowCamera.get(); }
    const ProjectedTexture* GetProjector() const { return m_projector.get(); }

private:
    // An engine camera's frame and z-raster go with it.
    struct CameraDeleter {
        void operator()(RwCamera* camera) const;
    };
    struct RasterDeleter {
        void operator()(RwRaster* raster) const;
    };
    using CameraPtr = std::unique_ptr<RwCamera, CameraDeleter>;
    using RasterPtr = std::unique_ptr<RwRaster, RasterDeleter>;

    // The sheets that many shadows of one size share, a tile for each shadow: its casters,
    // the softening passes and the softened texture the projector lays down.
    struct SharedTargets;
    static std::unique_ptr<SharedTargets>& Shared();
    // The shared sheets for tiles of the size; null when they cannot be made (logged) or
    // shadows of another size hold them.
    static SharedTargets* SheetsFor(int32_t tile);
    static void SoftenInSheets(const std::vector<ProjectedShadow*>& shadows);

    // Draws the casters kept waiting.
    void DrawWaitingCasters();
    // Whether the view sees none of the ground the shadow would darken, as framed now.
    bool OutOfView(RwCamera* view);
    // The sphere round that ground (radius below 0 for none), found once a framing: each view
    // that looks again in the frame only tests it.
    const RwSphere& LaidSphere();
    // Places and sizes the projector as the shadow is laid down.
    void AimProjector();
    // A camera with its frame, and a z-raster of depthSize unless that is 0.
    static CameraPtr MakeCamera(int32_t depthSize);
    void Release();
    void TurnCamera(const Quaternion& direction);
    void FrameCasters();
    // The casters' texture, left for FinishTextures to soften: in the shadow's tile of the
    // shared sheets when it shares them, else in its own raster. The result stays as it was
    // when they cannot be drawn.
    void DrawTexture(RpClump* const* clumps, int32_t count);
    // The shadow's tile in sheets of the side the quality asks for, taken if it has none; null
    // without one.
    SharedTargets* TakeTile();
    static bool IsFine();
    // Into the shadow's tile of the casters' sheet; false, with nothing drawn, without one.
    // Below the best quality the tile is half the side of the shadow's own texture and is not
    // softened.
    bool DrawIntoSheet(RpClump* const* clumps, int32_t count);
    // Forgets the inversion the tile waits for; the next casters are drawn over the whole tile.
    void DropUninverted();
    // Gives the tile back to the shared sheets, with any result drawn in them.
    void ReleaseTile();
    bool SharesSheets() const { return m_blur && !m_antialias; }
    // The softening passes through this shadow's own rasters.
    void SoftenAlone();
    bool Softens() const { return m_antialias || m_blur; }
    // Clears the camera's own raster, draws the casters into it and inverts it.
    bool DrawAlone(RpClump* const* clumps, int32_t count);
    // Draws the casters into the camera's raster, cleared where they go, without inverting it.
    bool DrawCasters(RpClump* const* clumps, int32_t count);
    // The inversion of a part of a tile (both in a raster's pixels) and the bands of the tile's
    // empty frame within that part.
    static void AddInversion(const ScreenRect& tile, const ScreenRect& part, std::vector<ScreenRect>& parts,
                             std::vector<ScreenRect>& bands);
    // Inverts the parts of the camera's raster, then empties the bands: one draw each.
    static bool DrawInversions(RwCamera* camera, const std::vector<ScreenRect>& parts,
                               const std::vector<ScreenRect>& bands);
    // The texels of a tile of the side the casters may cover, with a margin of that many
    // texels; the whole tile when that cannot be told, empty for none.
    RwRect CastersRect(RpClump* const* clumps, int32_t count, int32_t side, RwInt32 margin) const;
    // The texels of the result that may hold anything and the filter reads laying them down:
    // round the casters in a tile of the sheets, the whole texture otherwise.
    RwRect LaidTexels() const;
    // Draws source over the whole of target through the small camera, sampling offset texels
    // of the target along.
    bool DrawRaster(RwRaster* source, RwRaster* target, float offset);
    // Draws the uv part of source over the whole of the camera's raster.
    static bool DrawRaster(RwCamera* camera, RwRaster* source, const ScreenRect& uv);

    bool m_antialias = false;
    bool m_blur = true;
    bool m_created = false;
    float m_alpha = 0.7f;
    CameraPtr m_shadowCamera;
    CameraPtr m_smallCamera;
    RasterPtr m_cameraRaster;
    RasterPtr m_antialiasRaster;
    RasterPtr m_tempRaster;
    RwRaster* m_result = nullptr;  // one of the three above, or a tile of the shared sheets
    // The shadow's tile in the shared sheets, kept until Release; -1 without one.
    int32_t m_tile = -1;
    // The casters waiting to be softened are in the tile, not in m_cameraRaster.
    bool m_castInSheet = false;
    // The tile is half the side of the shadow's texture, laid down without softening.
    bool m_coarse = false;
    // The part of the tile where the casters last drawn may have left anything but what an
    // empty tile holds, and the part drawn since the last softening (in the tile's texels).
    RwRect m_touched{0, 0, 0, 0};
    RwRect m_unsoftened{0, 0, 0, 0};
    RwSphere m_sphere{{0.0f, 0.0f, 0.0f}, 0.0f};
    Vector3 m_target{0.0f, 0.0f, 0.0f};
    std::unique_ptr<ProjectedTexture> m_projector;
    // Casters framed for a picture nobody saw, not drawn yet; empty when none wait.
    std::vector<RpClump*> m_waiting;
    // Its casters wait, neither cast nor laid down, as no view saw it.
    bool m_outOfView = false;
    std::optional<RwSphere> m_laidSphere;
    float m_fadeDistance = 10.0f;
};
