// Projected textures and shadows: the triangle step without pixels, what reaches the null
// device, shadows that failed to create, and one shadow drawn on the GL device.
#include "support/SceneTest.h"
#include "engine/world/tests/support/WorldTestSupport.h"

#include "engine/core/NullDevice.h"
#include "engine/world/RpClump.h"
#include "framework/Registration.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/GameElements.h"
#include "scene/Immediate3DCache.h"
#include "scene/ProjectedShadow.h"
#include "scene/ProjectedTexture.h"
#include "scene/RwGraphics.h"
#include "scene/World.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace {

using ClumpPtr = std::unique_ptr<RpClump, decltype(&RpClumpDestroy)>;
using Blend = std::pair<intptr_t, intptr_t>;

// A flat floor at y = 0 of columns x rows unit squares centred on the origin, two triangles
// each, facing up; unlit, so that it draws white.
class FloorWorld : public World {
public:
    FloorWorld(int columns, int rows)
    {
        RpWorldSector* sector = RpWorldSectorCreate(columns * rows * 4, columns * rows * 2, 0);
        const float x0 = -0.5f * static_cast<float>(columns), z0 = -0.5f * static_cast<float>(rows);
        for (int q = 0; q < columns * rows; ++q) {
            const float x = x0 + static_cast<float>(q % columns), z = z0 + static_cast<float>(q / columns);
            const RwV3d corners[4] = {{x, 0, z}, {x, 0, z + 1}, {x + 1, 0, z + 1}, {x + 1, 0, z}};
            for (int k = 0; k < 4; ++k)
                sector->vertices[q * 4 + k] = corners[k];
            const auto b = static_cast<RwUInt16>(q * 4);
            sector->triangles[q * 2] = {{b, static_cast<RwUInt16>(b + 1), static_cast<RwUInt16>(b + 2)}, 0};
            sector->triangles[q * 2 + 1] = {{b, static_cast<RwUInt16>(b + 2), static_cast<RwUInt16>(b + 3)}, 0};
        }
        RpWorldSectorCalcBoundingBox(sector);
        const RwBBox box{{-x0, 1, -z0}, {x0, -1, z0}};
        m_world = RpWorldCreateFromSectors(&box, 0, {sector}, {});
        RpMaterial* material = RpMaterialCreate();
        RpWorldAddMaterial(m_world, material);
        RpMaterialDestroy(material);
    }
};

// A projector at the position looking straight down.
RwMatrix Downwards(const Vector3& position)
{
    RwMatrix m;
    EngineUtil::BuildMatrix(&m, position, ProjectedShadow::DefaultLightDirection());
    return m;
}

const RwV3d kUp{0, 1, 0};

// The player's quality setting while it lives, the default one after it.
class ScopedQuality {
public:
    explicit ScopedQuality(int32_t quality)
    {
        s_quality = quality;
        GeParticleSystem::SetQualitySource([] { return s_quality; });
    }
    ~ScopedQuality() { GeParticleSystem::SetQualitySource(nullptr); }
    ScopedQuality(const ScopedQuality&) = delete;
    ScopedQuality& operator=(const ScopedQuality&) = delete;
    static void Set(int32_t quality) { s_quality = quality; }

private:
    static inline int32_t s_quality = GeParticleSystem::kHigh;
};

// Shadows culled outside the view of the camera, made the renderer's, while it lives.
class ScopedCulling {
public:
    explicit ScopedCulling(Camera* view) : m_was(RwGraphics::Instance()->GetCamera())
    {
        RwGraphics::Instance()->SetCamera(view);
        ProjectedShadow::SetCullOutsideView(true);
    }
    ~ScopedCulling()
    {
        ProjectedShadow::SetCullOutsideView(false);
        RwGraphics::Instance()->SetCamera(m_was);
    }
    ScopedCulling(const ScopedCulling&) = delete;
    ScopedCulling& operator=(const ScopedCulling&) = delete;

private:
    Camera* m_was;
};

class ProjectionTest : public SceneTest {
protected:
    void SetUp() override
    {
        camera = RwGraphics::Instance()->GetPrimaryCamera();
        Immediate3DCache::Instance()->Flush();
    }
    void TearDown() override
    {
        RwGraphics::Instance()->SetWorld(nullptr);
        Immediate3DCache::Instance()->Flush();
    }
    // What the object leaves on the null device during one camera update.
    std::vector<RwNullDrawRecord> Draw(RenderObject& object)
    {
        RwNullDevice* device = RwNullDeviceGet();
        EXPECT_TRUE(camera->BeginUpdate());
        device->ClearLog();
        object.Render();
        std::vector<RwNullDrawRecord> draws = device->draws;
        camera->EndUpdate();
        return draws;
    }

    Camera* camera = nullptr;
};

TEST_F(ProjectionTest, TrianglesBesideBehindOrFacingAwayAreDropped)
{
    // Radius 1, no fading: u = 0.5 - x / 2 and v = 0.5 - z / 2 below the projector at the
    // origin, and d the depth below it.
    ProjectionStep step = MakeProjectionStep(Downwards({0, 0, 0}), 1.0f, 0.0f, 0.35f);
    struct Case {
        const char* name;
        RwV3d normal;
        RwV3d a, b, c;
        bool drawn;
    };
    const Case cases[] = {
        {"under the projector", kUp, {0, -0.5f, 0}, {0.5f, -0.5f, 0}, {0, -0.5f, 0.5f}, true},
        {"straddling an edge", kUp, {0.5f, -0.5f, 0}, {1.5f, -0.5f, 0}, {1.5f, -0.5f, 0.5f}, true},
        {"only its middle corner inside", kUp, {1.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {1.5f, -0.5f, 0.5f}, true},
        {"all u below 0", kUp, {1.1f, -0.5f, 0}, {1.5f, -0.5f, 0}, {1.5f, -0.5f, 0.5f}, false},
        {"all u above 1", kUp, {-1.1f, -0.5f, 0}, {-1.5f, -0.5f, 0}, {-1.5f, -0.5f, 0.5f}, false},
        {"all v below 0", kUp, {0, -0.5f, 1.1f}, {0.5f, -0.5f, 1.5f}, {0, -0.5f, 1.5f}, false},
        {"all v above 1", kUp, {0, -0.5f, -1.1f}, {0.5f, -0.5f, -1.5f}, {0, -0.5f, -1.5f}, false},
        {"on the projector's plane", kUp, {0, 0, 0.1f}, {0.5f, 0, 0.1f}, {0, 0, 0.5f}, true},
        {"on its plane the other side", kUp, {0, 0, -0.1f}, {0.5f, 0, -0.5f}, {0, 0, -0.5f}, true},
        {"behind the projector", kUp, {0, 0.5f, 0}, {0.5f, 0.5f, 0}, {0, 0.5f, 0.5f}, false},
        {"facing away", {0, -1, 0}, {0, -0.5f, 0}, {0.5f, -0.5f, 0}, {0, -0.5f, 0.5f}, false},
        {"edge on", {1, 0, 0}, {0, -0.5f, 0}, {0, -0.6f, 0}, {0, -0.5f, 0.5f}, true},
    };
    Immediate3DCache* cache = Immediate3DCache::Instance();
    for (const Case& c : cases) {
        EXPECT_EQ(ProjectTriangle(step, c.normal, c.a, c.b, c.c), c.drawn) << c.name;
        EXPECT_EQ(cache->GetVertexCount(), c.drawn ? 3 : 0) << c.name;
        cache->Flush();
    }
    EXPECT_EQ(step.accepted, 6);
}

TEST_F(ProjectionTest, CornersTakeTheirUVsAndFadeWithDepth)
{
    Immediate3DCache* cache = Immediate3DCache::Instance();
    const auto corners = [&](float fadeDist, float alpha, const RwV3d& a, const RwV3d& b, const RwV3d& c) {
        ProjectionStep step = MakeProjectionStep(Downwards({0, 0, 0}), 1.0f, fadeDist, alpha);
        EXPECT_TRUE(ProjectTriangle(step, kUp, a, b, c));
        std::vector<RwIm3DVertex> out(cache->GetVertices(), cache->GetVertices() + cache->GetVertexCount());
        cache->Flush();
        return out;
    };
    const auto grey = [](RwUInt8 k) { return RwPackColor(k, k, k, k); };

    // Without fading every corner has the truncated base, whatever its depth.
    for (const RwIm3DVertex& v : corners(0.0f, 0.35f, {0, 0, 0}, {0.5f, -1, 0}, {0, -3, 0.5f}))
        EXPECT_EQ(v.color, grey(89));
    // fadeDist 1 with radius 1: d = depth / 2, colour base x (1 - d^2).
    const std::vector<RwIm3DVertex> faded = corners(1.0f, 1.0f, {0, 0, 0}, {0.5f, -1, 0}, {0, -2, 0.5f});
    EXPECT_EQ(faded[0].color, grey(255));
    EXPECT_EQ(faded[1].color, grey(191));
    EXPECT_EQ(faded[2].color, grey(0));
    // Past d = 1 the colour stays 0 rather than wrapping.
    EXPECT_EQ(corners(1.0f, 1.0f, {0, 0, 0}, {0.5f, -1, 0}, {0, -3, 0.5f})[2].color, grey(0));
    // The image is seen from above the projector's back: x runs right to left across u.
    const auto uv = [](const RwIm3DVertex& v) { return Vector3(v.u, v.v, 0); };
    EXPECT_TRUE(Near(uv(faded[0]), {0.5f, 0.5f, 0}));
    EXPECT_TRUE(Near(uv(faded[1]), {0.25f, 0.5f, 0}));
    EXPECT_TRUE(Near(uv(faded[2]), {0.5f, 0.25f, 0}));
    EXPECT_TRUE(Near(V(faded[2].objVertex), {0, -2, 0.5f}));
}

TEST_F(ProjectionTest, ClippedToTheTextureOnlyThePartOverTheSquareIsDrawn)
{
    // As above: u = 0.5 - x / 2 and v = 0.5 - z / 2; fadeDist 1: d = depth / 2.
    struct Case {
        const char* name;
        RwV3d a, b, c;
        int triangles;
        float area;  // covered in the texture's square
    };
    const Case cases[] = {
        {"inside", {0, -0.5f, 0}, {0.5f, -0.5f, 0}, {0, -0.5f, 0.5f}, 1, 0.03125f},
        {"over the u = 0 side", {0.5f, -0.5f, 0}, {1.5f, -0.5f, 0}, {1.5f, -0.5f, 0.5f}, 1, 0.015625f},
        {"round the whole square", {-5, -0.5f, -5}, {9, -0.5f, -5}, {-5, -0.5f, 9}, 2, 1.0f},
        {"over a corner", {0.5f, -0.5f, 0.5f}, {2, -0.5f, 0.5f}, {0.5f, -0.5f, 2}, 2, 0.0625f},
    };
    // The whole texture, and a tile of a sheet: the square maps onto the tile and is clipped there.
    struct Tile {
        float u, v, width, height;
    };
    Immediate3DCache* cache = Immediate3DCache::Instance();
    for (const Tile& tile : {Tile{0, 0, 1, 1}, Tile{0.25f, 0.5f, 0.25f, 0.125f}})
    for (const Case& c : cases) {
        ProjectionStep step = MakeProjectionStep(Downwards({0, 0, 0}), 1.0f, 1.0f, 1.0f);
        step.clipToTexture = true;
        step.tileU = tile.u;
        step.tileV = tile.v;
        step.tileWidth = tile.width;
        step.tileHeight = tile.height;
        EXPECT_TRUE(ProjectTriangle(step, kUp, c.a, c.b, c.c)) << c.name;
        const std::vector<RwIm3DVertex> out(cache->GetVertices(), cache->GetVertices() + cache->GetVertexCount());
        cache->Flush();
        EXPECT_EQ(step.accepted, c.triangles) << c.name;
        ASSERT_EQ(out.size(), static_cast<size_t>(3 * c.triangles)) << c.name;
        float area = 0.0f;
        for (size_t i = 0; i < out.size(); i += 3) {
            const RwIm3DVertex &p = out[i], &q = out[i + 1], &r = out[i + 2];
            area += std::fabs((q.u - p.u) * (r.v - p.v) - (r.u - p.u) * (q.v - p.v)) / 2;
        }
        EXPECT_NEAR(area, c.area * tile.width * tile.height, 1e-5f) << c.name;
        for (const RwIm3DVertex& v : out) {
            // New corners stay on the triangle's plane, with the uv of their place.
            EXPECT_NEAR(v.u, tile.u + (0.5f - v.objVertex.x / 2) * tile.width, 1e-5f) << c.name;
            EXPECT_NEAR(v.v, tile.v + (0.5f - v.objVertex.z / 2) * tile.height, 1e-5f) << c.name;
            EXPECT_GE(v.u, tile.u - 1e-6f) << c.name;
            EXPECT_GE(v.v, tile.v - 1e-6f) << c.name;
            EXPECT_LE(v.u, tile.u + tile.width + 1e-6f) << c.name;
            EXPECT_LE(v.v, tile.v + tile.height + 1e-6f) << c.name;
            // A flat triangle at depth 0.5: d = 0.25 everywhere, colour 255 x (1 - 0.0625).
            EXPECT_EQ(v.color, RwPackColor(239, 239, 239, 239)) << c.name;
        }
    }
}

// A texture whose drawn part is narrower than its square is clipped to that part; without the
// clip the part is not looked at.
TEST_F(ProjectionTest, ClippedToADrawnPartOnlyThatPartIsDrawn)
{
    // u = 0.5 - x / 2 and v = 0.5 - z / 2; the part is u 0.25 to 0.75 and v 0.5 to 1.
    struct Case {
        const char* name;
        bool clip;
        RwV3d a, b, c;
        float area;  // covered in the texture's square, 0 for dropped
    };
    const Case cases[] = {
        {"round the whole square", true, {-5, -0.5f, -5}, {9, -0.5f, -5}, {-5, -0.5f, 9}, 0.25f},
        {"over the square beside the part", true, {0, -0.5f, 0.2f}, {0.4f, -0.5f, 0.2f}, {0, -0.5f, 0.8f}, 0.0f},
        {"over the part's side", true, {0, -0.5f, 0}, {0.8f, -0.5f, 0}, {0, -0.5f, -0.8f}, 0.06875f},
        {"beside it unclipped", false, {0, -0.5f, 0.2f}, {0.4f, -0.5f, 0.2f}, {0, -0.5f, 0.8f}, 0.03f},
    };
    Immediate3DCache* cache = Immediate3DCache::Instance();
    for (const Case& c : cases) {
        ProjectionStep step = MakeProjectionStep(Downwards({0, 0, 0}), 1.0f, 0.0f, 1.0f);
        step.clipToTexture = c.clip;
        step.clipU0 = 0.25f;
        step.clipV0 = 0.5f;
        step.clipU1 = 0.75f;
        step.clipV1 = 1.0f;
        EXPECT_EQ(ProjectTriangle(step, kUp, c.a, c.b, c.c), c.area > 0.0f) << c.name;
        const std::vector<RwIm3DVertex> out(cache->GetVertices(), cache->GetVertices() + cache->GetVertexCount());
        cache->Flush();
        float area = 0.0f;
        for (size_t i = 0; i + 2 < out.size(); i += 3) {
            const RwIm3DVertex &p = out[i], &q = out[i + 1], &r = out[i + 2];
            area += std::fabs((q.u - p.u) * (r.v - p.v) - (r.u - p.u) * (q.v - p.v)) / 2;
        }
        EXPECT_NEAR(area, c.area, 1e-5f) << c.name;
        for (const RwIm3DVertex& v : out) {
            if (!c.clip)
                continue;
            EXPECT_TRUE(v.u >= 0.25f - 1e-6f && v.u <= 0.75f + 1e-6f && v.v >= 0.5f - 1e-6f && v.v <= 1.0f + 1e-6f)
                << c.name << " " << v.u << "," << v.v;
        }
    }
}

TEST_F(ProjectionTest, AClippedCornerTakesTheShadeBetweenItsNeighbours)
{
    // From depth 0 (255) to depth 2 (0) across the u = 0 side at x = 1: half way down, 127.5.
    ProjectionStep step = MakeProjectionStep(Downwards({0, 0, 0}), 1.0f, 1.0f, 1.0f);
    step.clipToTexture = true;
    Immediate3DCache* cache = Immediate3DCache::Instance();
    ASSERT_TRUE(ProjectTriangle(step, kUp, {0, 0, 0}, {2, -2, 0}, {0, 0, 0.5f}));
    const std::vector<RwIm3DVertex> out(cache->GetVertices(), cache->GetVertices() + cache->GetVertexCount());
    cache->Flush();
    std::vector<RwUInt32> shades;
    for (const RwIm3DVertex& v : out)
        if (std::fabs(v.objVertex.x - 1.0f) < 1e-5f)
            shades.push_back(v.color);
    ASSERT_FALSE(shades.empty());
    for (RwUInt32 shade : shades)
        EXPECT_EQ(shade, RwPackColor(128, 128, 128, 128));
}

TEST_F(ProjectionTest, SixHundredTrianglesGoOutInTwoBatchesWithTheZBiasOn)
{
    FloorWorld floor(30, 10);
    RwGraphics::Instance()->SetWorld(&floor);
    RwRaster* texture = RwRasterCreate(4, 4, 0, rwRasterTypeTexture);
    ProjectedTexture projected;
    projected.SetTexture(texture);
    projected.SetPosition({0, 1, 0});
    projected.SetRotation(ProjectedShadow::DefaultLightDirection());
    projected.SetRadius(20);
    projected.SetStartRadius(20);
    projected.SetFadeDist(4);

    const std::vector<RwNullDrawRecord> draws = Draw(projected);
    ASSERT_EQ(draws.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(draws[i].numVertices, i == 0 ? 1500 : 300) << i;
        EXPECT_EQ(draws[i].type, rwPrimTypeTriList) << i;
        EXPECT_EQ(draws[i].zBias, 1) << i;
        EXPECT_EQ(draws[i].texture, texture) << i;
        EXPECT_EQ(std::pair(draws[i].srcBlend, draws[i].destBlend), Blend(1, 6)) << i;
        EXPECT_EQ(draws[i].vertexAlpha, 1) << i;
    }
    EXPECT_EQ(projected.GetDrawnTriangles(), 600);
    // The bias is off again for whatever draws next.
    ASSERT_TRUE(camera->BeginUpdate());
    RwIm3DVertex point[3] = {};
    ASSERT_TRUE(RwIm3DTransform(point, 3, nullptr, 0));
    RwIm3DRenderPrimitive(rwPrimTypeTriList);
    RwIm3DEnd();
    EXPECT_EQ(RwNullDeviceGet()->draws.back().zBias, 0);
    camera->EndUpdate();
    RwRasterDestroy(texture);
}

TEST_F(ProjectionTest, TheBoxReachesAlongTheProjectionOnly)
{
    FloorWorld floor(30, 10);
    RwGraphics::Instance()->SetWorld(&floor);
    ProjectedTexture projected;
    projected.SetRadius(20);
    projected.SetStartRadius(0.5f);
    projected.SetRotation(ProjectedShadow::DefaultLightDirection());
    // From 3 above the floor: a zone of 2 stops short of it, one of 4 reaches the single square
    // under the projector (two triangles, with the neighbours it touches).
    projected.SetPosition({0.5f, 3, 0.5f});
    projected.SetProjectionZoneRadius(2);
    EXPECT_TRUE(Draw(projected).empty());
    projected.SetProjectionZoneRadius(4);
    EXPECT_FALSE(Draw(projected).empty());
    EXPECT_GE(projected.GetDrawnTriangles(), 2);
    EXPECT_LE(projected.GetDrawnTriangles(), 18);
}

TEST_F(ProjectionTest, NothingIsDrawnWithoutARadiusOrAWorld)
{
    FloorWorld floor(4, 4);
    ProjectedTexture projected;
    projected.SetRotation(ProjectedShadow::DefaultLightDirection());
    projected.SetPosition({0, 1, 0});
    const std::pair<float, World*> cases[] = {{3.0f, &floor}, {0.0f, &floor}, {-1.0f, &floor}, {3.0f, nullptr}};
    for (const auto& [radius, world] : cases) {
        RwGraphics::Instance()->SetWorld(world);
        projected.SetRadius(radius);
        const bool none = radius <= 0 || !world;
        EXPECT_EQ(Draw(projected).empty(), none) << radius << " " << world;
        EXPECT_EQ(projected.GetDrawnTriangles() == 0, none) << radius << " " << world;
    }
}

TEST_F(ProjectionTest, TheFactoryMakesOneWithItsDefaultsAndTheTableKeepsItsValues)
{
    std::unique_ptr<Object> made(FactoryRegistry::RenderObjects().Create("ProjectedTexture"));
    auto* projected = dynamic_cast<ProjectedTexture*>(made.get());
    ASSERT_NE(projected, nullptr);
    EXPECT_EQ(projected->GetAlpha(), 0.35f);
    EXPECT_EQ(projected->GetFadeDist(), 0.0f);
    EXPECT_EQ(projected->GetProjectionZoneRadius(), 130.0f);
    EXPECT_EQ(projected->GetStartRadius(), 5.0f);
    EXPECT_EQ(projected->GetRadius(), 3.0f);
    EXPECT_EQ(std::pair(projected->GetSourceBlend(), projected->GetDestinationBlend()), std::pair(1, 6));

    projected->SetPosition({1, 2, 3});
    projected->SetRotation(ProjectedShadow::DefaultLightDirection());
    projected->SetAlpha(0.5f);
    projected->SetFadeDist(2);
    projected->SetProjectionZoneRadius(7);
    projected->SetStartRadius(4);
    projected->SetRadius(6);
    SerializeTable(*projected, "projected.txt", "spot", true);
    ProjectedTexture read;
    SerializeTable(read, "projected.txt", "spot", false);
    EXPECT_TRUE(Near(read.GetPosition(), {1, 2, 3}));
    EXPECT_NEAR(read.GetRotation().x, ProjectedShadow::DefaultLightDirection().x, 1e-5f);
    EXPECT_EQ((std::vector<float>{read.GetAlpha(), read.GetFadeDist(), read.GetProjectionZoneRadius(),
                                  read.GetStartRadius(), read.GetRadius()}),
              (std::vector<float>{0.5f, 2, 7, 4, 6}));
}

class ShadowTest : public ProjectionTest {
protected:
    ScopedPicturesShown shown;
    // The best quality unless a test says otherwise: below it the sheets' tiles are smaller.
    ScopedQuality quality{GeParticleSystem::kHigh};
    // What SetCaster and finishing the texture leave on the null device.
    std::vector<RwNullDrawRecord> Cast(ProjectedShadow& shadow, RpClump* clump, int count, float radius)
    {
        RwNullDevice* device = RwNullDeviceGet();
        device->ClearLog();
        shadow.SetCaster(&clump, count, RwSphere{{0, 1, 0}, radius}, {0, 0, 0});
        ProjectedShadow::FinishTextures();
        return device->draws;
    }
    ClumpPtr box{worldtest::BoxClump({0, 1, 0}, rpGeometryLight | rpGeometryNormals), RpClumpDestroy};
};

// Where a raster's texels lie: its storage's owner and its rectangle there.
std::tuple<const RwRaster*, int, int, int, int> Place(const RwRaster* raster)
{
    return {raster->parent, raster->offsetX, raster->offsetY, raster->width, raster->height};
}

// Shadows of one size draw their casters into tiles of one shared sheet, are inverted there
// together, and soften there, each pass drawing every tile through one camera; the sheets are
// made (and emptied) once, each tile is cleared as its casters are drawn, and a shadow keeps
// its tile.
TEST_F(ShadowTest, ShadowsOfOneSizeDrawAndSoftenInSharedSheetsThatStay)
{
    ProjectedShadow first, second;
    ASSERT_TRUE(first.Create(32) && second.Create(32));
    RpClump* casters[] = {box.get()};
    const auto frame = [&] {
        RwNullDeviceGet()->ClearLog();
        first.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.9f}, {0, 0, 0});
        second.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.9f}, {0, 0, 0});
        const RwRaster* casterSheet = first.GetResult()->parent;
        EXPECT_EQ(second.GetResult()->parent, casterSheet);
        const size_t cast = RwNullDeviceGet()->draws.size();
        ProjectedShadow::FinishTextures();
        const std::vector<RwNullDrawRecord>& all = RwNullDeviceGet()->draws;
        EXPECT_EQ(cast, 2u);  // each: the box
        // Both tiles' inversions in one draw, the four bands of each tile's frame in another.
        const size_t inverted = cast + 2;
        if (all.size() >= inverted) {
            EXPECT_EQ((std::vector<RwInt32>{all[cast].numVertices, all[cast + 1].numVertices}),
                      (std::vector<RwInt32>{2 * 4, 2 * 4 * 4}));
            // Through the camera of the softening passes.
            EXPECT_EQ(all[cast].camera, all.back().camera);
        }
        std::vector<RwNullDrawRecord> softening(all.begin() + static_cast<long>(std::min(inverted, all.size())),
                                                all.end());
        if (softening.size() == 4) {
            EXPECT_EQ((std::vector<const RwRaster*>{softening[0].texture, softening[1].texture}),
                      (std::vector<const RwRaster*>{casterSheet, casterSheet}));
        }
        return softening;
    };
    const std::vector<RwNullDrawRecord> draws = frame();
    ASSERT_EQ(draws.size(), 4u);
    const RwCamera* shared = draws[0].camera;
    EXPECT_NE(shared, first.GetShadowCamera());
    EXPECT_NE(shared, second.GetShadowCamera());
    for (const RwNullDrawRecord& draw : draws)
        EXPECT_EQ(draw.camera, shared);
    EXPECT_EQ(draws[2].texture, draws[3].texture);
    // Results in two tiles side by side of one sheet, not the casters' nor the passes' sheet.
    const RwRaster* sheet = first.GetResult()->parent;
    EXPECT_EQ(Place(first.GetResult()), std::make_tuple(sheet, 0, 0, 32, 32));
    EXPECT_EQ(Place(second.GetResult()), std::make_tuple(sheet, 32, 0, 32, 32));
    EXPECT_NE(sheet, draws[0].texture);
    EXPECT_NE(sheet, draws[2].texture);
    // The sheets emptied once: casters, passes and results; then a clear per tile drawn.
    EXPECT_EQ(RwNullDeviceGet()->clears.size(), 5u);
    RwRaster* const kept[] = {first.GetResult(), second.GetResult()};
    EXPECT_EQ(frame().size(), 4u);
    const std::vector<RwNullClearRecord>& clears = RwNullDeviceGet()->clears;
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0].camera, first.GetShadowCamera());
    EXPECT_EQ(clears[1].camera, second.GetShadowCamera());
    EXPECT_EQ(first.GetResult(), kept[0]);
    EXPECT_EQ(second.GetResult(), kept[1]);
}

// A shadow of another size than the one holding the sheets, or one that antialiases or does
// not blur, draws in rasters of its own; once nobody holds the sheets, a new size takes them.
TEST_F(ShadowTest, ShadowsTheSheetsDoNotFitDrawAlone)
{
    RpClump* casters[] = {box.get()};
    const auto cast = [&](ProjectedShadow& shadow) {
        shadow.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.9f}, {0, 0, 0});
        ProjectedShadow::FinishTextures();
        return shadow.GetResult() && RwRasterIsSubRaster(shadow.GetResult());
    };
    auto holder = std::make_unique<ProjectedShadow>();
    ProjectedShadow larger, antialiased, sharp;
    antialiased.SetAntialias(true);
    sharp.SetBlur(false);
    ASSERT_TRUE(holder->Create(32) && larger.Create(64) && antialiased.Create(32) && sharp.Create(32));
    EXPECT_TRUE(cast(*holder));
    EXPECT_FALSE(cast(larger));
    EXPECT_EQ(larger.GetResult(), larger.GetShadowCamera()->frameBuffer);
    EXPECT_FALSE(cast(antialiased));
    EXPECT_FALSE(cast(sharp));
    EXPECT_EQ(sharp.GetResult(), sharp.GetShadowCamera()->frameBuffer);
    holder.reset();
    EXPECT_TRUE(cast(larger));
    EXPECT_EQ(larger.GetResult()->width, 64);
}

// Below the best quality a shadow's tile in the sheets is half the side of its own texture and
// is laid down as drawn, without softening; when the quality changes, a shadow gives its tile
// up and draws alone until no shadow holds the sheets of the old side, then all take tiles of
// the new side.
TEST_F(ShadowTest, BelowTheBestQualityTheTileIsHalfTheSideAndNotSoftened)
{
    RpClump* casters[] = {box.get()};
    ProjectedShadow first, second;
    ASSERT_TRUE(first.Create(32) && second.Create(32));
    // Each shadow's side in the sheets (0 drawn alone) and the draws that finish the frame's
    // textures: the inversion of the tiles and their frames' bands, and the softening passes.
    const auto frame = [&] {
        RwNullDeviceGet()->ClearLog();
        first.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.9f}, {0, 0, 0});
        second.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.9f}, {0, 0, 0});
        const size_t cast = RwNullDeviceGet()->draws.size();
        ProjectedShadow::FinishTextures();
        const auto side = [](const ProjectedShadow& s) {
            return RwRasterIsSubRaster(s.GetResult()) ? s.GetResult()->width : 0;
        };
        return std::vector<size_t>{size_t(side(first)), size_t(side(second)), RwNullDeviceGet()->draws.size() - cast};
    };
    ScopedQuality::Set(GeParticleSystem::kMedium);
    EXPECT_EQ(frame(), (std::vector<size_t>{16, 16, 2}));
    const RwRaster* coarse = first.GetResult()->parent;
    // The casters' sheet: what the casters were drawn into and inverted in.
    EXPECT_EQ(second.GetResult()->parent, coarse);
    EXPECT_EQ(RwNullDeviceGet()->draws.back().camera->frameBuffer, coarse);
    ScopedQuality::Set(GeParticleSystem::kHigh);
    // The first gives its tile up while the second holds the sheets; the second then makes
    // them anew. Each alone softens in two passes of its own.
    EXPECT_EQ(frame(), (std::vector<size_t>{0, 32, 2 + 2 + 2}));
    EXPECT_EQ(first.GetResult(), first.GetShadowCamera()->frameBuffer);
    EXPECT_EQ(frame(), (std::vector<size_t>{32, 32, 2 + 4}));
    EXPECT_NE(first.GetResult()->parent, coarse);
    ScopedQuality::Set(GeParticleSystem::kLow);
    frame();
    EXPECT_EQ(frame(), (std::vector<size_t>{16, 16, 2}));
}

// A texture that waits to be softened is left out once its shadow stops being seen or is gone.
TEST_F(ShadowTest, ATextureWaitingToBeSoftenedIsLeftOutWhenUnseenOrGone)
{
    ProjectedShadow unseen;
    ASSERT_TRUE(unseen.Create(32));
    RpClump* casters[] = {box.get()};
    unseen.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.9f}, {0, 0, 0});
    {
        ProjectedShadow gone;
        ASSERT_TRUE(gone.Create(32));
        gone.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.9f}, {0, 0, 0});
    }
    RwNullDeviceGet()->showsPictures = false;
    unseen.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.9f}, {0, 0, 0});
    RwNullDeviceGet()->ClearLog();
    ProjectedShadow::FinishTextures();
    EXPECT_TRUE(RwNullDeviceGet()->draws.empty());
    EXPECT_EQ(unseen.GetResult(), nullptr);
}

TEST_F(ShadowTest, TheCastersAreFramedDrawnInvertedAndSoftened)
{
    ProjectedShadow shadow;
    ASSERT_TRUE(shadow.Create(32));
    RwCamera* camera = shadow.GetShadowCamera();
    EXPECT_EQ(camera->projectionType, rwParallel);
    EXPECT_TRUE(Near(V(RwFrameGetLTM(RwCameraGetFrame(camera))->at), {0, -1, 0}));
    EXPECT_EQ((std::vector<float>{camera->viewWindow.x, camera->viewWindow.y, camera->farPlane, camera->nearPlane}),
              (std::vector<float>{5, 5, 10, 0.005f}));
    EXPECT_EQ(shadow.GetResult(), nullptr);

    const std::vector<RwNullDrawRecord> draws = Cast(shadow, box.get(), 1, 1.9f);
    // k = (1.9 + 0.1) x 1.1: the view window, half the far plane, and the camera that far above.
    EXPECT_FLOAT_EQ(camera->viewWindow.x, 2.2f);
    EXPECT_FLOAT_EQ(camera->farPlane, 4.4f);
    EXPECT_FLOAT_EQ(camera->nearPlane, 0.0022f);
    EXPECT_TRUE(Near(V(RwFrameGetLTM(RwCameraGetFrame(camera))->pos), {0, 2.2f, 0}));
    // After the three shared sheets are emptied, the shadow's tile.
    const std::vector<RwNullClearRecord>& clears = RwNullDeviceGet()->clears;
    ASSERT_EQ(clears.size(), 4u);
    EXPECT_EQ(clears[3].camera, camera);
    EXPECT_EQ((std::vector<int>{clears[3].colour.red, clears[3].colour.green, clears[3].colour.blue,
                                clears[3].colour.alpha, clears[3].clearMode}),
              (std::vector<int>{255, 255, 255, 0, 3}));
    // The box, the inverting quad over the casters' sheet, the four bands that empty the tile's
    // frame in one draw, then the two blur passes over the result.
    ASSERT_EQ(draws.size(), 5u);
    EXPECT_TRUE(draws[0].isMesh);
    EXPECT_EQ(draws[0].camera, camera);
    EXPECT_TRUE(draws[1].is2D);
    EXPECT_EQ(draws[1].texture, nullptr);
    EXPECT_EQ(draws[1].zTest, 0);
    EXPECT_EQ(draws[1].numVertices, 4);
    // Through the shared sheets' camera, which the blur passes use after it.
    EXPECT_NE(draws[1].camera, camera);
    EXPECT_EQ(draws[1].camera, draws[3].camera);
    EXPECT_EQ(std::pair(draws[1].srcBlend, draws[1].destBlend),
              Blend(rwBlendInvDestColor, rwBlendZero));
    EXPECT_TRUE(draws[2].is2D && draws[2].texture == nullptr && draws[2].camera == draws[1].camera);
    EXPECT_EQ(draws[2].numVertices, 4 * 4);
    EXPECT_EQ(std::pair(draws[2].srcBlend, draws[2].destBlend), Blend(rwBlendZero, rwBlendZero));
    // Drawn through the shadow's camera into a tile of the shared sheet, which it gives back.
    EXPECT_EQ(camera->frameBuffer->width, 32);
    EXPECT_FALSE(RwRasterIsSubRaster(camera->frameBuffer));
    RwRaster* result = shadow.GetResult();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(Place(result), std::make_tuple(result->parent, 0, 0, 32, 32));
    for (int i = 3; i < 5; ++i) {
        EXPECT_TRUE(draws[i].is2D) << i;
        EXPECT_EQ(std::pair(draws[i].srcBlend, draws[i].destBlend),
                  Blend(rwBlendOne, rwBlendZero)) << i;
        EXPECT_EQ(draws[i].zTest, 0) << i;
    }
    // Out of the casters' sheet, and into the result's tile last.
    EXPECT_NE(draws[3].texture, result->parent);
    EXPECT_NE(draws[4].texture, draws[3].texture);
    EXPECT_EQ(Place(draws[4].camera->frameBuffer), Place(result));

    // Nothing to cast keeps the texture.
    EXPECT_TRUE(Cast(shadow, box.get(), 0, 1.9f).empty());
    EXPECT_EQ(shadow.GetResult(), result);
}

// Only the casters' shape counts: each draws its opaque parts, textured or coloured, in one
// untextured draw, at every quality.
TEST_F(ShadowTest, ACastersPartsAreDrawnAsOne)
{
    RpMaterial* textured = RpMaterialCreate();
    RwTexture* texture = RwTextureCreate(RwRasterCreate(2, 2, 32, rwRasterTypeTexture));
    RpMaterialSetTexture(textured, texture);
    RwTextureDestroy(texture);
    RpMaterial* plain = RpMaterialCreate();
    ClumpPtr parts(worldtest::BoxClump({0, 1, 0}, rpGeometryLight | rpGeometryNormals, {textured, plain}),
                   RpClumpDestroy);
    RpMaterialDestroy(textured);
    RpMaterialDestroy(plain);
    for (int level : {GeParticleSystem::kMedium, GeParticleSystem::kHigh}) {
        ScopedQuality::Set(level);
        ProjectedShadow shadow;
        ASSERT_TRUE(shadow.Create(32));
        std::vector<std::pair<RwInt32, const RwRaster*>> meshes;
        for (const RwNullDrawRecord& draw : Cast(shadow, parts.get(), 1, 1.9f))
            if (draw.isMesh)
                meshes.emplace_back(draw.numIndices, draw.texture);
        EXPECT_EQ(meshes, (std::vector<std::pair<RwInt32, const RwRaster*>>{{36, nullptr}})) << level;
    }
}

// Below the best quality a caster's coarse mesh casts, whatever its size on screen: the ball's
// and the players' shadows rely on it. The best quality casts the full mesh.
TEST_F(ShadowTest, BelowTheBestQualityTheCoarseMeshCasts)
{
    RpMaterial* plain = RpMaterialCreate();
    ClumpPtr caster(worldtest::BoxClump({0, 1, 0}, rpGeometryLight | rpGeometryNormals, {plain}), RpClumpDestroy);
    RpGeometry* coarse = worldtest::MakeQuad(-1, -1, 1, 1, plain, rpGeometryLight | rpGeometryNormals);
    // A size no caster reaches: only the quality can pick the coarse mesh.
    RpAtomicSetLowDetail(caster->atomics[0], coarse, 1.0f);
    RpGeometryDestroy(coarse);
    RpMaterialDestroy(plain);
    const struct {
        int32_t level;
        RwInt32 indices;
    } cases[] = {{GeParticleSystem::kLow, 6}, {GeParticleSystem::kMedium, 6}, {GeParticleSystem::kHigh, 36}};
    for (const auto& c : cases) {
        ScopedQuality::Set(c.level);
        ProjectedShadow shadow;
        ASSERT_TRUE(shadow.Create(32));
        std::vector<RwInt32> meshes;
        for (const RwNullDrawRecord& draw : Cast(shadow, caster.get(), 1, 1.9f))
            if (draw.isMesh)
                meshes.push_back(draw.numIndices);
        EXPECT_EQ(meshes, std::vector<RwInt32>{c.indices}) << c.level;
    }
}

// Once its tile is drawn whole, a shadow inverts and softens again only round its casters and
// where they were: a caster near the middle of its frame leaves the tile's edges alone, and no
// band of its empty frame is drawn again.
TEST_F(ShadowTest, AfterItsFirstTextureAShadowRedrawsOnlyRoundItsCasters)
{
    ProjectedShadow shadow;
    ASSERT_TRUE(shadow.Create(64));
    ClumpPtr small(worldtest::BoxClump({0, 1, 0}, rpGeometryLight | rpGeometryNormals), RpClumpDestroy);
    // The inverting quad and the two passes' quads, as wide as they are drawn.
    size_t bandCorners = 0;
    const auto widths = [&] {
        std::vector<float> out;
        bandCorners = 0;
        for (const RwNullDrawRecord& draw : Cast(shadow, small.get(), 1, 3.0f)) {
            if (draw.is2D && (draw.texture || draw.srcBlend == rwBlendInvDestColor))
                out.push_back(draw.corners2D[1].x - draw.corners2D[0].x);
            if (draw.is2D && !draw.texture && draw.srcBlend == rwBlendZero)
                bandCorners += static_cast<size_t>(draw.numVertices);
        }
        return out;
    };
    EXPECT_EQ(widths(), (std::vector<float>{64, 64, 64}));
    EXPECT_EQ(bandCorners, 4u * 4u);
    const std::vector<float> later = widths();
    EXPECT_EQ(bandCorners, 0u);
    ASSERT_EQ(later.size(), 3u);
    for (float width : later) {
        EXPECT_GT(width, 8.0f);
        EXPECT_LT(width, 48.0f);
    }
}

// Casting, softening and laying down a shadow leave every render state as the caller had it,
// whatever the caller had: the blends included, which the casters' pass changes more than once.
TEST_F(ShadowTest, AShadowLeavesTheRenderStatesAsItFoundThem)
{
    ProjectedShadow shadow;
    ASSERT_TRUE(shadow.Create(32));
    const std::pair<RwRenderState, intptr_t> callers[][4] = {
        {{rwRenderStateSrcBlend, rwBlendSrcAlpha}, {rwRenderStateDestBlend, rwBlendInvSrcAlpha},
         {rwRenderStateZTestEnable, 1}, {rwRenderStateFogEnable, 1}},
        {{rwRenderStateSrcBlend, rwBlendOne}, {rwRenderStateDestBlend, rwBlendOne},
         {rwRenderStateZTestEnable, 0}, {rwRenderStateVertexAlphaEnable, 1}},
    };
    const auto all = [] {
        std::vector<intptr_t> states(rwRenderStateCount, 0);
        for (RwInt32 s = 1; s < rwRenderStateCount; ++s)
            RwRenderStateGet(static_cast<RwRenderState>(s), &states[static_cast<size_t>(s)]);
        return states;
    };
    for (const auto& caller : callers) {
        for (const auto& [state, value] : caller)
            RwRenderStateSet(state, value);
        const std::vector<intptr_t> before = all();
        Cast(shadow, box.get(), 1, 1.9f);
        EXPECT_EQ(all(), before);
        shadow.Render();
        EXPECT_EQ(all(), before);
    }
}

// Casters of an update nobody sees are framed at once and drawn before the next picture, once;
// casters dropped or a shadow gone by then are not drawn.
TEST_F(ShadowTest, CastersOfAnUnseenUpdateWaitForTheNextPicture)
{
    struct Unseen {
        Unseen() { ProjectedShadow::SetPictureFollows(false); }
        ~Unseen() { ProjectedShadow::SetPictureFollows(true); }
    } unseen;
    RwNullDevice* device = RwNullDeviceGet();
    const auto drawnWaiting = [&] {
        device->ClearLog();
        ProjectedShadow::DrawWaiting();
        return device->draws.size();
    };
    ProjectedShadow waiting, dropped, emptied;
    ASSERT_TRUE(waiting.Create(32) && dropped.Create(32) && emptied.Create(32));
    EXPECT_TRUE(Cast(waiting, box.get(), 1, 1.9f).empty());
    EXPECT_FLOAT_EQ(waiting.GetShadowCamera()->viewWindow.x, 2.2f);
    EXPECT_EQ(waiting.GetResult(), nullptr);
    Cast(dropped, box.get(), 1, 1.9f);
    dropped.DropWaitingCasters();
    Cast(emptied, box.get(), 1, 1.9f);
    Cast(emptied, box.get(), 0, 1.9f);
    {
        ProjectedShadow gone;
        ASSERT_TRUE(gone.Create(32));
        Cast(gone, box.get(), 1, 1.9f);
    }
    // Only the waiting shadow's box, inversion, bands and softening.
    EXPECT_EQ(drawnWaiting(), 5u);
    ASSERT_NE(waiting.GetResult(), nullptr);
    EXPECT_EQ(dropped.GetResult(), nullptr);
    EXPECT_EQ(emptied.GetResult(), nullptr);
    EXPECT_EQ(drawnWaiting(), 0u);

    // A second unseen update replaces the casters that wait; a shown one draws at once.
    Cast(waiting, box.get(), 1, 1.9f);
    Cast(waiting, box.get(), 1, 1.9f);
    EXPECT_EQ(drawnWaiting(), 5u);
    Cast(waiting, box.get(), 1, 1.9f);
    ProjectedShadow::SetPictureFollows(true);
    EXPECT_EQ(Cast(waiting, box.get(), 1, 1.9f).size(), 5u);
    EXPECT_EQ(drawnWaiting(), 0u);
}

TEST_F(ShadowTest, WithAntialiasingTheHalfSizeRasterIsTheResult)
{
    ProjectedShadow shadow;
    shadow.SetAntialias(true);
    shadow.SetBlur(false);
    ASSERT_TRUE(shadow.Create(32));
    const std::vector<RwNullDrawRecord> draws = Cast(shadow, box.get(), 1, 1.0f);
    ASSERT_EQ(draws.size(), 4u);
    ASSERT_NE(shadow.GetResult(), nullptr);
    EXPECT_EQ(shadow.GetResult()->width, 16);
    EXPECT_EQ(draws[3].texture, shadow.GetShadowCamera()->frameBuffer);
    EXPECT_EQ(draws[3].camera->frameBuffer, shadow.GetResult());
}

TEST_F(ShadowTest, TheProjectorTakesTheShadowsFrameAndDarkensTheWorld)
{
    FloorWorld floor(10, 10);
    RwGraphics::Instance()->SetWorld(&floor);
    ProjectedShadow before, shadow;
    ASSERT_TRUE(before.Create(32) && shadow.Create(32));
    shadow.SetAlpha(0.5f);
    EXPECT_TRUE(Draw(shadow).empty());  // no caster yet
    Cast(before, box.get(), 1, 1.9f);
    Cast(shadow, box.get(), 1, 1.9f);

    intptr_t alphaTest = 0, fog = 0;
    RwRenderStateGet(rwRenderStateAlphaTestFunction, &alphaTest);
    RwRenderStateGet(rwRenderStateFogEnable, &fog);
    const std::vector<RwNullDrawRecord> draws = Draw(shadow);
    ASSERT_FALSE(draws.empty());
    const auto now = [](RwRenderState state) {
        intptr_t value = 0;
        RwRenderStateGet(state, &value);
        return value;
    };
    EXPECT_EQ(std::pair(now(rwRenderStateAlphaTestFunction), now(rwRenderStateFogEnable)), std::pair(alphaTest, fog));
    // Out of the shadow's tile of the sheet: the second of the first row.
    RwRaster* tile = shadow.GetResult();
    ASSERT_EQ(Place(tile), std::make_tuple(tile->parent, 32, 0, 32, 32));
    EXPECT_EQ(draws[0].texture, tile->parent);
    const float sheetWidth = static_cast<float>(tile->parent->width);
    ASSERT_GE(draws[0].vertices3D.size(), 3u);
    for (const RwIm3DVertex& corner : std::span(draws[0].vertices3D).first(3)) {
        EXPECT_GE(corner.u, 32.0f / sheetWidth);
        EXPECT_LE(corner.u, 64.0f / sheetWidth);
        EXPECT_LE(corner.v, 1.0f);
    }
    EXPECT_EQ(std::pair(draws[0].srcBlend, draws[0].destBlend),
              Blend(rwBlendZero, rwBlendInvSrcColor));
    EXPECT_EQ(draws[0].fog, 0);
    EXPECT_EQ(draws[0].alphaFunction, rwAlphaTestAlways);
    const ProjectedTexture* projector = shadow.GetProjector();
    EXPECT_FLOAT_EQ(projector->GetRadius(), 2.2f);
    EXPECT_FLOAT_EQ(projector->GetStartRadius(), 2.0f);
    EXPECT_EQ(projector->GetAlpha(), 0.5f);
    EXPECT_EQ(projector->GetFadeDist(), 10.0f);
    EXPECT_TRUE(Near(projector->GetPosition(), {0, 0, 0}));

    // Turning the light turns the projector with the camera.
    const Quaternion slanted(2.0f, Vector3(1, 0, 0));
    shadow.SetLightDirection(slanted);
    RwMatrix turned;
    EngineUtil::BuildMatrix(&turned, {0, 0, 0}, slanted);
    EXPECT_TRUE(Near(V(RwFrameGetLTM(RwCameraGetFrame(shadow.GetShadowCamera()))->at), V(turned.at)));
    EXPECT_NEAR(projector->GetRotation().x, slanted.x, 1e-6f);
    // The camera backs away from the target along the new direction.
    RpClump* caster = box.get();
    shadow.SetCaster(&caster, 1, RwSphere{{1, 0, 2}, 1.9f}, {1, 0, 2});
    EXPECT_TRUE(Near(V(RwFrameGetLTM(RwCameraGetFrame(shadow.GetShadowCamera()))->pos),
                     Vector3(1, 0, 2) - V(turned.at) * 2.2f));
}

TEST_F(ShadowTest, AShadowThatFailedToCreateIgnoresItsCallersAndDrawsNothing)
{
    FloorWorld floor(4, 4);
    RwGraphics::Instance()->SetWorld(&floor);
    // No size; a half size of 0 for the softening camera; a negative size.
    const std::pair<bool, int> cases[] = {{false, 0}, {true, 1}, {false, -8}};
    for (const auto& [antialias, size] : cases) {
        ProjectedShadow shadow;
        shadow.SetAntialias(antialias);
        LogCapture log;
        EXPECT_FALSE(shadow.Create(size)) << size;
        EXPECT_FALSE(shadow.IsCreated()) << size;
        shadow.SetLightDirection(Quaternion(1.0f, Vector3(1, 0, 0)));
        EXPECT_TRUE(Cast(shadow, box.get(), 1, 1.0f).empty()) << size;
        EXPECT_TRUE(RwNullDeviceGet()->clears.empty()) << size;
        EXPECT_EQ(shadow.GetResult(), nullptr) << size;
        EXPECT_TRUE(Draw(shadow).empty()) << size;
        EXPECT_EQ(log.Text(), "") << size;
    }
    ProjectedShadow smallest;
    EXPECT_TRUE(smallest.Create(1));
}

TEST_F(ShadowTest, WhereNoPictureIsSeenTheCasterIsFramedButNeitherDrawnNorLaidDown)
{
    FloorWorld floor(10, 10);
    RwGraphics::Instance()->SetWorld(&floor);
    ProjectedShadow shadow;
    ASSERT_TRUE(shadow.Create(32));
    Cast(shadow, box.get(), 1, 1.9f);
    ASSERT_NE(shadow.GetResult(), nullptr);
    RwNullDeviceGet()->showsPictures = false;
    EXPECT_TRUE(Cast(shadow, box.get(), 1, 0.9f).empty());
    EXPECT_TRUE(RwNullDeviceGet()->clears.empty());
    EXPECT_FLOAT_EQ(shadow.GetShadowCamera()->viewWindow.x, 1.1f);
    EXPECT_EQ(shadow.GetResult(), nullptr);
    EXPECT_TRUE(Draw(shadow).empty());
    // Seen again, the next caster is drawn.
    RwNullDeviceGet()->showsPictures = true;
    EXPECT_EQ(Cast(shadow, box.get(), 1, 1.9f).size(), 5u);
    // Unseen before its texture was finished, the tile is drawn whole by the next caster seen:
    // what the casters left there was never inverted. A small caster redraws only round itself.
    const auto inverted = [&] {
        std::vector<float> widths;
        for (const RwNullDrawRecord& draw : Cast(shadow, box.get(), 1, 3.0f))
            if (draw.is2D && draw.srcBlend == rwBlendInvDestColor)
                widths.push_back(draw.corners2D[1].x - draw.corners2D[0].x);
        return widths;
    };
    inverted();
    const std::vector<float> small = inverted();
    ASSERT_EQ(small.size(), 1u);
    EXPECT_LT(small[0], 24.0f);
    RpClump* casters[] = {box.get()};
    shadow.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 3.0f}, {0, 0, 0});
    RwNullDeviceGet()->showsPictures = false;
    shadow.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 3.0f}, {0, 0, 0});
    RwNullDeviceGet()->showsPictures = true;
    EXPECT_EQ(inverted(), std::vector<float>{32.0f});
    EXPECT_EQ(inverted(), small);
    EXPECT_FALSE(Draw(shadow).empty());
}

// A shadow set while culling is on, whose ground no view can see, is neither cast nor laid down,
// not even with the texture it had, and is cast once a view beginning its update sees it. The
// renderer's camera, 10 above the floor looking down, sees 5 either side of the origin.
// Straight down a footprint reaches 2.2 either side of its target; a light tilted 1.2 from
// straight down, travelling towards +z, stretches it to about 1 before and 6.1 beyond the target
// along z.
TEST_F(ShadowTest, AShadowNoViewCanSeeIsNeitherCastNorLaidDownTillOneDoes)
{
    FloorWorld floor(80, 80);
    RwGraphics::Instance()->SetWorld(&floor);
    camera->SetClipPlanes(0.1f, 100.0f);
    camera->SetViewWindow(0.5f, 0.5f);
    const auto lookAt = [&](float x, float z) {
        EngineUtil::SetFramePose({x, 10, z}, ProjectedShadow::DefaultLightDirection(), camera->GetFrame());
    };
    ScopedCulling culling(camera);
    RwNullDevice* device = RwNullDeviceGet();
    struct Case {
        Vector3 at;
        float tilt;
        bool cast;
    };
    const Case cases[] = {
        {{0, 0, 0}, 0.0f, true},
        {{7, 0, 0}, 0.0f, true},         // its edge within the view
        {{15, 0, 0}, 0.0f, false},
        {{-3, 0, -14}, 0.0f, false},
        {{0, 0, -10.5f}, 1.2f, true},    // only its stretched far end within the view
        {{0, 0, 12}, 1.2f, false},       // stretched away from the view
        {{0, 0, -25}, 1.2f, false},
    };
    for (const Case& c : cases) {
        const std::string where = std::to_string(c.at.x) + ", " + std::to_string(c.at.z);
        lookAt(0, 0);
        ClumpPtr caster(worldtest::BoxClump({c.at.x, 1, c.at.z}, rpGeometryLight | rpGeometryNormals),
                        RpClumpDestroy);
        RpClump* casters[] = {caster.get()};
        ProjectedShadow shadow;
        ASSERT_TRUE(shadow.Create(32));
        shadow.SetLightDirection(Quaternion(std::numbers::pi_v<float> / 2 - c.tilt, Vector3(1, 0, 0)));
        const auto set = [&] {
            device->ClearLog();
            shadow.SetCaster(casters, 1, RwSphere{{c.at.x, 1, c.at.z}, 1.9f}, c.at);
            ProjectedShadow::FinishTextures();
        };
        // Seen once before: the texture drawn then is not laid down where nobody sees it.
        lookAt(c.at.x, c.at.z);
        set();
        lookAt(0, 0);
        set();
        EXPECT_EQ(!device->draws.empty(), c.cast) << where;
        EXPECT_EQ(!Draw(shadow).empty(), c.cast) << where;
        if (c.cast)
            continue;
        // Turned to it, the view has it cast as it begins, then laid down.
        lookAt(c.at.x, c.at.z);
        device->ClearLog();
        ASSERT_TRUE(camera->BeginUpdate());
        camera->EndUpdate();
        EXPECT_FALSE(device->draws.empty()) << where;
        EXPECT_FALSE(Draw(shadow).empty()) << where;
    }
    lookAt(0, 0);
}

// The sheets' tiles go to the shadows in the order they are set, seen or not: the pictures do
// not depend on which were seen first.
TEST_F(ShadowTest, AShadowOutOfViewTakesItsTileAllTheSame)
{
    FloorWorld floor(80, 80);
    RwGraphics::Instance()->SetWorld(&floor);
    camera->SetClipPlanes(0.1f, 100.0f);
    camera->SetViewWindow(0.5f, 0.5f);
    EngineUtil::SetFramePose({0, 10, 0}, ProjectedShadow::DefaultLightDirection(), camera->GetFrame());
    ScopedCulling culling(camera);
    ProjectedShadow away, near;
    ASSERT_TRUE(away.Create(32) && near.Create(32));
    ClumpPtr far(worldtest::BoxClump({30, 1, 0}, rpGeometryLight | rpGeometryNormals), RpClumpDestroy);
    RpClump* casters[] = {far.get()};
    away.SetCaster(casters, 1, RwSphere{{30, 1, 0}, 1.9f}, {30, 0, 0});
    Cast(near, box.get(), 1, 1.9f);
    EXPECT_EQ(away.GetResult(), nullptr);
    ASSERT_NE(near.GetResult(), nullptr);
    EXPECT_EQ(Place(near.GetResult()), std::make_tuple(near.GetResult()->parent, 32, 0, 32, 32));
}

// The GL device with the renderer's camera 10 above a floor, looking down at it.
class ShadowGL : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OffscreenWindow())
            GTEST_SKIP() << "no GL 3.3 on this machine";
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetDeviceKind(rwDeviceGL);
        graphics->SetScreenSize(400, 400);
        ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
        camera = graphics->GetPrimaryCamera();
        camera->SetClipPlanes(0.1f, 100.0f);
        camera->SetViewWindow(0.5f, 0.5f);
        EngineUtil::SetFramePose({0, 10, 0}, ProjectedShadow::DefaultLightDirection(), camera->GetFrame());
    }
    void TearDown() override
    {
        RwGraphics::Instance()->SetWorld(nullptr);
        floor.reset();
        box.reset();
        RwGraphics::Instance()->Destroy();
        CloseOffscreenWindow();
    }
    static std::vector<RwUInt8> Pixels(RwRaster* raster)
    {
        Image image(RwImageCreate(raster->width, raster->height, 32), RwImageDestroy);
        RwImageSetFromRaster(image.get(), raster);
        return std::vector<RwUInt8>(image->pixels, image->pixels + image->height * image->stride);
    }
    static int Red(RwRaster* raster, int x, int y) { return Pixels(raster)[(y * raster->width + x) * 4]; }
    // Red, green and blue of every pixel: what is seen. A shadow laid down only round its
    // casters leaves the alpha beside them as it was.
    static std::vector<RwUInt8> Colours(RwRaster* raster)
    {
        std::vector<RwUInt8> colours = Pixels(raster);
        for (size_t i = 3; i < colours.size(); i += 4)
            colours[i] = 0;
        return colours;
    }

    // The shadow, 64 texels and 0.7 dark, of the unit box at the place, framed by a sphere of
    // the radius and laid at the origin; null when it made no texture.
    RwRaster* CastBox(ProjectedShadow& shadow, RwV3d at, float radius)
    {
        box.reset(worldtest::BoxClump(at, rpGeometryLight | rpGeometryNormals));
        if (!shadow.Create(64))
            return nullptr;
        shadow.SetAlpha(0.7f);
        RpClump* casters[] = {box.get()};
        shadow.SetCaster(casters, 1, RwSphere{at, radius}, {0, 0, 0});
        ProjectedShadow::FinishTextures();
        return shadow.GetResult();
    }
    // The white floor as the camera sees it with the shadow laid on it.
    RwRaster* OnTheFloor(ProjectedShadow& shadow)
    {
        floor = std::make_unique<FloorWorld>(40, 40);
        RwGraphics::Instance()->SetWorld(floor.get());
        const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
        if (!camera->Clear(grey, rwCameraClearImage | rwCameraClearZ) || !camera->BeginUpdate())
            return nullptr;
        RpWorldRender(floor->GetRwWorld());
        shadow.Render();
        camera->EndUpdate();
        return camera->GetRaster();
    }

    ScopedQuality quality{GeParticleSystem::kHigh};
    PrimaryCamera* camera = nullptr;
    ClumpPtr box{nullptr, RpClumpDestroy};
    std::unique_ptr<FloorWorld> floor;
};

TEST_F(ShadowGL, ABoxLightsTheMiddleOfItsTextureAndDarkensThePitchUnderIt)
{
    ProjectedShadow shadow;
    RwRaster* result = CastBox(shadow, {0, 1, 0}, 1.8f);
    ASSERT_NE(result, nullptr);
    EXPECT_GT(Red(result, 32, 32), 230);
    EXPECT_LT(Red(result, 0, 0), 25);
    EXPECT_LT(Red(result, 63, 32), 25);

    RwRaster* seen = OnTheFloor(shadow);
    ASSERT_NE(seen, nullptr);
    // The floor is white; under the box 0.7 of it is taken away, beside the shadow nothing.
    const int under = Red(seen, 200, 200), beside = Red(seen, 200, 40);
    EXPECT_EQ(beside, 255);
    EXPECT_NEAR(under, 255 - 178, 8);
}

// A shadow of another size that holds the sheets, so that shadows of 64 texels draw alone.
std::unique_ptr<ProjectedShadow> HoldSheets(RpClump* clump)
{
    auto holder = std::make_unique<ProjectedShadow>();
    EXPECT_TRUE(holder->Create(32));
    holder->SetCaster(&clump, 1, RwSphere{{0, 1, 0}, 1.8f}, {0, 0, 0});
    ProjectedShadow::FinishTextures();
    return holder;
}

// Drawn and softened in tiles of the shared sheets, each texture comes out texel for texel as
// it does in rasters of its own: its own caster, none of its neighbours', and no edge of
// theirs; also when the sheets grow a row while the frame's casters are in them, and for a
// caster that fills its tile to the empty frame beside a neighbour's.
TEST_F(ShadowGL, TexturesDrawnInTheSheetsEqualThoseDrawnAlone)
{
    struct Case {
        const char* name;
        int shadows;
        bool filled;  // the first caster reaches its frame
        bool layered;  // under each box a lighter one, drawn after it: the nearer must stay on top
    };
    const Case cases[] = {{"one", 1, false, false},
                          {"two", 2, false, false},
                          {"more than a row", 9, false, false},
                          {"filled beside others", 3, true, false},
                          {"layered", 2, false, true}};
    // Unlit, so that each shows its own colour.
    RpMaterial* dark = RpMaterialCreate();
    RpMaterial* light = RpMaterialCreate();
    const RwRGBA darkColour{40, 40, 40, 255}, lightColour{210, 210, 210, 255};
    RpMaterialSetColor(dark, &darkColour);
    RpMaterialSetColor(light, &lightColour);
    for (const Case& c : cases) {
        std::vector<ClumpPtr> boxes, under;
        for (int i = 0; i < c.shadows; ++i) {
            const RwV3d at = c.filled && i == 0 ? RwV3d{0, -0.8f, 0}
                                                : RwV3d{0.15f * static_cast<float>(i % 4) - 0.2f, 1,
                                                        0.1f * static_cast<float>(i / 4)};
            if (c.layered) {
                boxes.emplace_back(worldtest::BoxClump(at, rpGeometryModulateMaterialColor, {dark}), RpClumpDestroy);
                under.emplace_back(worldtest::BoxClump({at.x + 0.3f, at.y - 0.5f, at.z}, rpGeometryModulateMaterialColor, {light}), RpClumpDestroy);
            } else {
                boxes.emplace_back(worldtest::BoxClump(at, rpGeometryLight | rpGeometryNormals), RpClumpDestroy);
            }
        }
        const auto textures = [&](bool alone) {
            std::unique_ptr<ProjectedShadow> holder = alone ? HoldSheets(boxes[0].get()) : nullptr;
            std::vector<ProjectedShadow> shadows(static_cast<size_t>(c.shadows));
            for (int i = 0; i < c.shadows; ++i) {
                EXPECT_TRUE(shadows[i].Create(64));
                RpClump* casters[] = {boxes[i].get(), c.layered ? under[i].get() : nullptr};
                const float radius = c.filled && i == 0 ? 0.2f : 1.8f;
                shadows[i].SetCaster(casters, c.layered ? 2 : 1, RwSphere{{0, radius > 1 ? 1.0f : -0.8f, 0}, radius},
                                     {0, 0, 0});
            }
            ProjectedShadow::FinishTextures();
            std::vector<std::vector<RwUInt8>> out;
            for (ProjectedShadow& shadow : shadows) {
                EXPECT_NE(shadow.GetResult(), nullptr) << c.name;
                if (!shadow.GetResult())
                    return out;
                EXPECT_EQ(RwRasterIsSubRaster(shadow.GetResult()), !alone) << c.name;
                out.push_back(Pixels(shadow.GetResult()));
            }
            return out;
        };
        const std::vector<std::vector<RwUInt8>> alone = textures(true);
        const std::vector<std::vector<RwUInt8>> sheet = textures(false);
        ASSERT_EQ(sheet.size(), alone.size()) << c.name;
        for (size_t i = 0; i < sheet.size(); ++i)
            EXPECT_EQ(sheet[i], alone[i]) << c.name << " " << i;
        // Different casters made different textures, or equal ones would prove nothing.
        if (c.shadows > 1) {
            EXPECT_NE(alone[0], alone.back()) << c.name;
        }
    }
    RpMaterialDestroy(dark);
    RpMaterialDestroy(light);
}

// Set while the camera looked beside it and cast as the camera turned back before its update, a
// shadow lies on the floor as one cast in view, at both qualities; while it stays out of view
// the floor the camera sees shows no trace of it.
TEST_F(ShadowGL, AShadowCastAsTheViewTurnsToItLiesAsOneCastInView)
{
    const auto look = [&](float x) {
        EngineUtil::SetFramePose({x, 10, 0}, ProjectedShadow::DefaultLightDirection(), camera->GetFrame());
    };
    for (const int32_t level : {GeParticleSystem::kMedium, GeParticleSystem::kHigh}) {
        ScopedQuality::Set(level);
        ProjectedShadow inView;
        RwRaster* cast = CastBox(inView, {0, 1, 0}, 1.8f);
        ASSERT_NE(cast, nullptr);
        const std::vector<RwUInt8> expected = Colours(OnTheFloor(inView));
        std::vector<RwUInt8> bare, turned, away;
        {
            ProjectedShadow none;
            bare = Colours(OnTheFloor(none));
        }
        {
            ScopedCulling culling(camera);
            ProjectedShadow late;
            look(12);
            EXPECT_EQ(CastBox(late, {0, 1, 0}, 1.8f), nullptr) << level;
            away = Colours(OnTheFloor(late));
            look(0);
            turned = Colours(OnTheFloor(late));
        }
        look(0);
        EXPECT_NE(expected, bare) << level;
        EXPECT_TRUE(turned == expected) << level;
        look(12);
        ProjectedShadow none;
        EXPECT_TRUE(away == Colours(OnTheFloor(none))) << level;
        look(0);
    }
    ScopedQuality::Set(GeParticleSystem::kHigh);
}

// Two shadows side by side on the floor, one of a box and one of nothing: laid down from their
// tiles of the sheet, each covers the floor as when laid down from a texture of its own.
TEST_F(ShadowGL, ShadowsLaidDownFromTheSheetCoverTheFloorAsAlone)
{
    box.reset(worldtest::BoxClump({-1.5f, 1, 0}, rpGeometryLight | rpGeometryNormals));
    floor = std::make_unique<FloorWorld>(40, 40);
    RwGraphics::Instance()->SetWorld(floor.get());
    const auto seen = [&](bool alone) {
        std::unique_ptr<ProjectedShadow> holder = alone ? HoldSheets(box.get()) : nullptr;
        ProjectedShadow full, empty;
        EXPECT_TRUE(full.Create(64) && empty.Create(64));
        RpClump* casters[] = {box.get()};
        RpClump* nothing[] = {nullptr};
        full.SetCaster(casters, 1, RwSphere{{-1.5f, 1, 0}, 1.8f}, {-1.5f, 0, 0});
        empty.SetCaster(nothing, 1, RwSphere{{1.5f, 1, 0}, 1.8f}, {1.5f, 0, 0});
        const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
        EXPECT_TRUE(camera->Clear(grey, rwCameraClearImage | rwCameraClearZ) && camera->BeginUpdate());
        EXPECT_EQ(RwRasterIsSubRaster(full.GetResult()), !alone);
        RpWorldRender(floor->GetRwWorld());
        full.Render();
        empty.Render();
        camera->EndUpdate();
        return Colours(camera->GetRaster());
    };
    const std::vector<RwUInt8> alone = seen(true);
    // The box's shadow is there, 40 pixels a metre from the middle.
    EXPECT_LT(std::min(alone[(200 * 400 + 140) * 4], alone[(200 * 400 + 260) * 4]), 255 - 150);
    EXPECT_EQ(seen(false), alone);
}

// Below the best quality the shadow, from a tile of half the side laid down unsoftened, darkens
// the floor about as much and centred where the shadow of the best quality does.
TEST_F(ShadowGL, TheCoarseShadowDarkensTheFloorWhereTheFineOneDoes)
{
    // The darkening of the floor, summed, and its centre in pixels.
    const auto darkening = [&](int32_t level) {
        ScopedQuality::Set(level);
        ProjectedShadow shadow;
        EXPECT_NE(CastBox(shadow, {0, 1, 0}, 1.8f), nullptr);
        RwRaster* seen = OnTheFloor(shadow);
        std::vector<double> sums{0, 0, 0};
        if (!seen)
            return sums;
        const std::vector<RwUInt8> pixels = Pixels(seen);
        for (int y = 0; y < seen->height; ++y)
            for (int x = 0; x < seen->width; ++x) {
                const double dark = 255 - pixels[(y * seen->width + x) * 4];
                sums[0] += dark;
                sums[1] += dark * x;
                sums[2] += dark * y;
            }
        return std::vector<double>{sums[0], sums[1] / sums[0], sums[2] / sums[0]};
    };
    const std::vector<double> fine = darkening(GeParticleSystem::kHigh);
    const std::vector<double> coarse = darkening(GeParticleSystem::kMedium);
    ASSERT_GT(fine[0], 0.0);
    // The box's edges fall on coarser texels: a little more of the floor is touched.
    EXPECT_NEAR(coarse[0] / fine[0], 1.0, 0.2);
    // A texel of the coarse tile is about 5 pixels here; the box, in the middle of its frame,
    // has its edges as far between texels on each side.
    EXPECT_NEAR(coarse[1], fine[1], 1.0);
    EXPECT_NEAR(coarse[2], fine[2], 1.0);
}

// A shadow from the sheets is laid down only round its casters, where its texture holds
// anything: with fewer triangles it darkens the floor as one laid down from the whole texture,
// wherever the caster stands in its frame; with nothing cast it lays down nothing.
TEST_F(ShadowGL, AShadowLaidDownRoundItsCastersDarkensTheFloorAsOneLaidWhole)
{
    floor = std::make_unique<FloorWorld>(40, 40);
    RwGraphics::Instance()->SetWorld(floor.get());
    struct Case {
        const char* name;
        RwV3d box;  // from the shadow's target, which the frame centres on
        bool cast;
    };
    const Case cases[] = {{"in the middle", {0, 1, 0}, true},
                          {"towards a corner", {1.8f, 0.6f, -1.7f}, true},
                          {"by another edge", {-1.9f, 1, 0.8f}, true},
                          {"nothing", {0, 1, 0}, false}};
    const RwV3d target{0.5f, 0, -0.5f};
    for (const Case& c : cases) {
        box.reset(worldtest::BoxClump({target.x + c.box.x, c.box.y, target.z + c.box.z},
                                      rpGeometryLight | rpGeometryNormals));
        struct Laid {
            std::vector<RwUInt8> colours;
            int32_t triangles = 0;
        };
        const auto laid = [&](bool alone) {
            std::unique_ptr<ProjectedShadow> holder = alone ? HoldSheets(box.get()) : nullptr;
            ProjectedShadow shadow;
            EXPECT_TRUE(shadow.Create(64));
            RpClump* casters[] = {c.cast ? box.get() : nullptr};
            shadow.SetCaster(casters, 1, RwSphere{{target.x, 1, target.z}, 3.0f}, {target.x, 0, target.z});
            const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
            EXPECT_TRUE(camera->Clear(grey, rwCameraClearImage | rwCameraClearZ) && camera->BeginUpdate());
            EXPECT_EQ(RwRasterIsSubRaster(shadow.GetResult()), !alone) << c.name;
            RpWorldRender(floor->GetRwWorld());
            shadow.Render();
            camera->EndUpdate();
            return Laid{Colours(camera->GetRaster()), shadow.GetProjector()->GetDrawnTriangles()};
        };
        const Laid whole = laid(true), round = laid(false);
        EXPECT_EQ(round.colours, whole.colours) << c.name;
        if (c.cast) {
            EXPECT_LT(round.triangles, whole.triangles) << c.name;
            // The box's shadow is there to be kept.
            RwUInt8 darkest = 255;
            for (size_t i = 0; i < whole.colours.size(); i += 4)
                darkest = std::min(darkest, whole.colours[i]);
            EXPECT_LT(darkest, 255 - 150) << c.name;
        } else {
            EXPECT_EQ(round.triangles, 0) << c.name;
        }
    }
}

// A shadow keeps its tile: frames that draw only the other shadows leave its texture as it was,
// and a shadow gone while its casters waited gives its tile to the next one.
TEST_F(ShadowGL, AShadowsTextureStaysInItsTileWhileOthersDraw)
{
    box.reset(worldtest::BoxClump({0, 1, 0}, rpGeometryLight | rpGeometryNormals));
    ClumpPtr moved(worldtest::BoxClump({0.3f, 1, -0.2f}, rpGeometryLight | rpGeometryNormals), RpClumpDestroy);
    RpClump* first[] = {box.get()};
    RpClump* second[] = {moved.get()};
    const RwSphere sphere{{0, 1, 0}, 1.8f};
    ProjectedShadow kept, busy;
    ASSERT_TRUE(kept.Create(64) && busy.Create(64));
    kept.SetCaster(first, 1, sphere, {0, 0, 0});
    busy.SetCaster(first, 1, sphere, {0, 0, 0});
    ProjectedShadow::FinishTextures();
    ASSERT_NE(kept.GetResult(), nullptr);
    const std::vector<RwUInt8> before = Pixels(kept.GetResult());
    {
        ProjectedShadow gone;
        ASSERT_TRUE(gone.Create(64));
        gone.SetCaster(second, 1, sphere, {0, 0, 0});
        ProjectedShadow::FinishTextures();
        ASSERT_EQ(Place(gone.GetResult()), std::make_tuple(kept.GetResult()->parent, 128, 0, 64, 64));
        ProjectedShadow::SetPictureFollows(false);
        gone.SetCaster(first, 1, sphere, {0, 0, 0});
        ProjectedShadow::SetPictureFollows(true);
    }
    for (int frame = 0; frame < 2; ++frame) {
        ProjectedShadow next;
        ASSERT_TRUE(next.Create(64));
        busy.SetCaster(second, 1, sphere, {0, 0, 0});
        next.SetCaster(second, 1, sphere, {0, 0, 0});
        ProjectedShadow::DrawWaiting();
        EXPECT_EQ(Place(next.GetResult()), std::make_tuple(kept.GetResult()->parent, 128, 0, 64, 64));
        EXPECT_NE(Pixels(busy.GetResult()), before);
    }
    EXPECT_EQ(Pixels(kept.GetResult()), before);
}

// Render-target switches of a frame with its shadows: glBindFramebuffer calls that change the
// target drawn into, counted by standing in for the function.
class TargetSwitches {
public:
    TargetSwitches()
    {
        // The first call resolves the function; the stand-in goes in after it.
        GLint bound = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(bound));
        s_real = epoxy_glBindFramebuffer;
        s_count = 0;
        epoxy_glBindFramebuffer = Count;
    }
    ~TargetSwitches() { epoxy_glBindFramebuffer = s_real; }
    TargetSwitches(const TargetSwitches&) = delete;
    TargetSwitches& operator=(const TargetSwitches&) = delete;
    int Counted() const { return s_count; }

private:
    static void EPOXY_CALLSPEC Count(GLenum target, GLuint framebuffer)
    {
        if (target != GL_READ_FRAMEBUFFER)
            ++s_count;
        s_real(target, framebuffer);
    }
    static inline decltype(epoxy_glBindFramebuffer) s_real = nullptr;
    static inline int s_count = 0;
};

// A frame switches render targets as often with one shadow as with many: all casters go into
// one sheet, every softening pass into one, and the shadows are laid down from their tiles.
TEST_F(ShadowGL, AFrameSwitchesTargetsAsOftenWhateverTheNumberOfShadows)
{
    box.reset(worldtest::BoxClump({0, 1, 0}, rpGeometryLight | rpGeometryNormals));
    floor = std::make_unique<FloorWorld>(40, 40);
    RwGraphics::Instance()->SetWorld(floor.get());
    const auto switches = [&](int count) {
        std::vector<ProjectedShadow> shadows(static_cast<size_t>(count));
        for (ProjectedShadow& shadow : shadows)
            EXPECT_TRUE(shadow.Create(64));
        const auto frame = [&] {
            RpClump* casters[] = {box.get()};
            for (ProjectedShadow& shadow : shadows)
                shadow.SetCaster(casters, 1, RwSphere{{0, 1, 0}, 1.8f}, {0, 0, 0});
            const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
            EXPECT_TRUE(camera->Clear(grey, rwCameraClearImage | rwCameraClearZ) && camera->BeginUpdate());
            RpWorldRender(floor->GetRwWorld());
            for (ProjectedShadow& shadow : shadows)
                shadow.Render();
            camera->EndUpdate();
        };
        // The first frame makes the sheets.
        frame();
        TargetSwitches counted;
        frame();
        return counted.Counted();
    };
    const int one = switches(1);
    // The casters' sheet, the two softening passes, the camera.
    EXPECT_LE(one, 4);
    for (int count : {2, 9, 17})
        EXPECT_EQ(switches(count), one) << count;
}

// The softening passes sample the inverted casters, whose alpha is 0 where they are; an alpha
// test left on by earlier drawing must not keep those texels from being written, or a moving
// caster's texture keeps pieces of where it was. Nor may a second cast before the texture is
// finished leave any of the first uninverted.
TEST_F(ShadowGL, ATextureOwesNothingToWhereTheCasterWasBefore)
{
    const auto finished = [](const ProjectedShadow& shadow) {
        ProjectedShadow::FinishTextures();
        return shadow.GetResult() ? Pixels(shadow.GetResult()) : std::vector<RwUInt8>{};
    };
    box.reset(worldtest::BoxClump({0, 1, 0}, rpGeometryLight | rpGeometryNormals));
    ClumpPtr moved(worldtest::BoxClump({0.3f, 1, -0.2f}, rpGeometryLight | rpGeometryNormals), RpClumpDestroy);
    RwRenderStateSet(rwRenderStateAlphaTestFunction, rwAlphaTestGreater);
    RwRenderStateSet(rwRenderStateAlphaTestFunctionRef, 0);
    const RwSphere sphere{{0, 1, 0}, 1.8f};

    ProjectedShadow fresh, following;
    ASSERT_TRUE(fresh.Create(64) && following.Create(64));
    RpClump* before[] = {box.get()};
    RpClump* after[] = {moved.get()};
    following.SetCaster(before, 1, sphere, {0, 0, 0});
    const std::vector<RwUInt8> first = finished(following);
    ASSERT_FALSE(first.empty());
    following.SetCaster(after, 1, sphere, {0, 0, 0});
    fresh.SetCaster(after, 1, sphere, {0, 0, 0});
    const std::vector<RwUInt8> expected = finished(fresh);
    ASSERT_FALSE(expected.empty());
    const auto differing = [](const std::vector<RwUInt8>& a, const std::vector<RwUInt8>& b) {
        size_t n = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); i += 4)
            n += !std::equal(&a[i], &a[i] + 4, &b[i]);
        return n;
    };
    ASSERT_GT(differing(first, expected), 0u);
    EXPECT_EQ(differing(finished(following), expected), 0u);
    // Cast twice before its texture is finished, it owes the first casters nothing either.
    ProjectedShadow twice;
    ASSERT_TRUE(twice.Create(64));
    twice.SetCaster(before, 1, sphere, {0, 0, 0});
    twice.SetCaster(after, 1, sphere, {0, 0, 0});
    EXPECT_EQ(differing(finished(twice), expected), 0u);
    intptr_t function = 0;
    RwRenderStateGet(rwRenderStateAlphaTestFunction, &function);
    EXPECT_EQ(function, rwAlphaTestGreater);
}

// A shadow draws and softens again only the part of its tile its casters cover now or covered
// last: step by step, as the caster moves about its frame and leaves it, and as other shadows
// take tiles and the sheets grow, its softened texture equals that of a shadow drawn afresh.
TEST_F(ShadowGL, ATextureDrawnInPartsEqualsOneDrawnWhole)
{
    // A frame wide enough for the box to move about in, and out of.
    const RwSphere sphere{{0, 1, 0}, 5.0f};
    const RwV3d steps[] = {{0, 1, 0},        {2, 1, -1.5f}, {2, 1, -1.5f}, {-2.5f, 1.2f, 1.5f},
                           {30, 1, 30},      {0, 1, 0.5f},  {-1, 1, 0},    {1.5f, 1, 2}};
    ProjectedShadow following;
    ASSERT_TRUE(following.Create(64));
    std::vector<std::unique_ptr<ProjectedShadow>> others;
    for (size_t i = 0; i < std::size(steps); ++i) {
        ClumpPtr caster(worldtest::BoxClump(steps[i], rpGeometryLight | rpGeometryNormals), RpClumpDestroy);
        RpClump* casters[] = {caster.get()};
        following.SetCaster(casters, 1, sphere, {0, 0, 0});
        // In a tile nobody drew before: it stays taken.
        others.push_back(std::make_unique<ProjectedShadow>());
        ProjectedShadow& fresh = *others.back();
        ASSERT_TRUE(fresh.Create(64));
        fresh.SetCaster(casters, 1, sphere, {0, 0, 0});
        ProjectedShadow::FinishTextures();
        ASSERT_TRUE(following.GetResult() && fresh.GetResult()) << i;
        EXPECT_NE(following.GetResult()->parent, nullptr) << i;
        EXPECT_EQ(Pixels(following.GetResult()), Pixels(fresh.GetResult())) << "step " << i;
        // Shadows that stay take the tiles after it: the sheets grow a row on the way.
        for (int n = 0; n < 2; ++n) {
            others.push_back(std::make_unique<ProjectedShadow>());
            ASSERT_TRUE(others.back()->Create(64));
            others.back()->SetCaster(casters, 1, sphere, {0, 0, 0});
        }
    }
}

// A caster wider than its frame fills the texture to the edges; the texture is clamped there,
// so unless its frame is kept empty the edge streaks across the floor triangles beyond it.
TEST_F(ShadowGL, ACasterWiderThanItsFrameDarkensNoFloorBeyondIt)
{
    // Its top, 2 m wide, is all the shadow camera sees within 0.33 m of the floor.
    ProjectedShadow shadow;
    RwRaster* result = CastBox(shadow, {0, -0.8f, 0}, 0.2f);
    ASSERT_NE(result, nullptr);
    EXPECT_GT(Red(result, 32, 32), 230);
    for (const auto& [x, y] : {std::pair{0, 0}, {0, 32}, {32, 63}, {63, 63}, {63, 10}})
        EXPECT_EQ(Red(result, x, y), 0) << x << "," << y;

    RwRaster* seen = OnTheFloor(shadow);
    ASSERT_NE(seen, nullptr);
    // The frame is 0.33 m either side; the floor squares under it reach 1 m (40 pixels a metre).
    EXPECT_NEAR(Red(seen, 200, 200), 255 - 178, 8);
    for (const auto& [x, y] : {std::pair{228, 200}, {200, 172}, {172, 228}})
        EXPECT_EQ(Red(seen, x, y), 255) << x << "," << y;
}

}  // namespace
