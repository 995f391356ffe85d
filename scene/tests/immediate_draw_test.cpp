#include "support/SceneTest.h"

#include "engine/core/NullDevice.h"
#include "framework/Color.h"
#include "scene/Camera.h"
#include "scene/Immediate3DCache.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"
#include "scene/SelectionCursor.h"
#include "scene/Texture.h"
#include "scene/Wireframe.h"
#include "settings/GameSettings.h"
#include "tests/support/LogCapture.h"

#include <functional>
#include <memory>
#include <vector>

namespace {

using ImmediateDraw = SceneTest;
using Indices = std::vector<RwImVertexIndex>;

// The outline the object leaves in the cache: its first indices and where its vertices are.
struct Outline {
    int vertices;
    int indices;
    Indices first;
    std::vector<Vector3> points;
};

Outline OutlineOf(WireframeObject& object, size_t firstCount)
{
    Immediate3DCache* cache = Immediate3DCache::Instance();
    Outline outline{0, 0, {}, {}};
    if (object.BuildOutline()) {
        outline.vertices = cache->GetVertexCount();
        outline.indices = cache->GetIndexCount();
        outline.first.assign(cache->GetIndices(), cache->GetIndices() + std::min<size_t>(firstCount, outline.indices));
        for (int i = 0; i < outline.vertices; ++i)
            outline.points.push_back(V(cache->GetVertices()[i].objVertex));
    }
    cache->Flush();  // no camera: only empties the cache
    return outline;
}

TEST_F(ImmediateDraw, EachWireFrameDrawsItsIndexedLineListWithItsFirstLines)
{
    WireframeCone cone;
    cone.longitudeCount = 4;
    cone.angle = 0.7853982f;
    cone.length = 2;
    WireFrameCube cube;
    cube.size = {1, 2, 3};
    cube.SetPosition({5, 6, 7});
    WireframeCylinder cylinder;
    cylinder.longitudeCount = 3;
    WireframeSphere sphere;
    sphere.longitudeCount = 3;
    sphere.latitudeCount = 4;
    struct Case {
        WireframeObject* object;
        int vertices, indices;
        Indices first;
    };
    const Case cases[] = {
        {&cone, 8, 24, {0, 1, 0, 2, 1, 3, 2, 3, 2, 4, 3, 5}},
        {&cube, 8, 24, {0, 1, 1, 2, 2, 3, 3, 0}},
        {&cylinder, 6, 18, {0, 1, 0, 2, 1, 3, 2, 3, 2, 4, 3, 5, 4, 5, 4, 0, 5, 1}},
        // The first kind of line wraps the last latitude point back to the first.
        {&sphere, 12, 48, {0, 1, 0, 4, 1, 2, 1, 5, 2, 3, 2, 6, 3, 0, 3, 7}},
    };
    for (const Case& c : cases) {
        const Outline outline = OutlineOf(*c.object, c.first.size());
        EXPECT_EQ(std::tuple(outline.vertices, outline.indices, outline.first),
                  std::tuple(c.vertices, c.indices, c.first));
        // Whatever texture the caller left set, outlines draw untextured.
        RwRaster* callers = RwGraphics::Instance()->GetPrimaryCamera()->GetRaster();
        RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(callers));
        const auto draws = Drawn([&] { c.object->Render(); });
        RwRenderStateSet(rwRenderStateTextureRaster, 0);
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(std::tuple(draws[0].type, draws[0].numVertices, draws[0].numIndices, draws[0].texture),
                  std::tuple(rwPrimTypeLineList, c.vertices, c.indices, nullptr));
    }
    // The box hangs from its position, not around it; the cone's rim is at length x tan(angle).
    const Outline box = OutlineOf(cube, 0), fan = OutlineOf(cone, 0);
    EXPECT_TRUE(Near(box.points[0], {5, 6, 7}) && Near(box.points[6], {6, 8, 10}));
    EXPECT_TRUE(Near(fan.points[0], {0, 0, 0}) && Near(fan.points[1], {0, 2, 2}) && Near(fan.points[3], {2, 0, 2}));
    // A sphere's first latitude point lies on its own +x, turned and moved with the object.
    sphere.SetPosition({1, 0, 0});
    sphere.SetRotation(Quaternion(1.5707963f, Vector3::UnitZ));
    EXPECT_TRUE(Near(OutlineOf(sphere, 0).points[0], {1, 1, 0}));
}

TEST_F(ImmediateDraw, TheDefaultConeIsAWideFlatFan)
{
    WireframeCone cone;
    const Outline outline = OutlineOf(cone, 0);
    EXPECT_EQ(std::tuple(outline.vertices, outline.indices), std::tuple(80, 240));
    EXPECT_GT(outline.points[1].y, 1e6f);
    EXPECT_EQ(outline.points[1].z, 1.0f);
}

TEST_F(ImmediateDraw, CountsWithoutAnOutlineDrawNothingAndCountsPastTheIndicesAreClampedOnce)
{
    WireframeCylinder noSegments;
    noSegments.longitudeCount = 0;
    WireframeCone negative;
    negative.longitudeCount = -3;
    WireframeSphere oneLatitude;
    oneLatitude.latitudeCount = 1;
    for (WireframeObject* object : std::initializer_list<WireframeObject*>{&noSegments, &negative, &oneLatitude})
        EXPECT_TRUE(Drawn([&] { object->Render(); }).empty());
    // One segment is a single spoke joined to itself.
    WireframeCylinder oneSegment;
    oneSegment.longitudeCount = 1;
    const Outline spoke = OutlineOf(oneSegment, 6);
    EXPECT_EQ(std::tuple(spoke.vertices, spoke.first), std::tuple(2, Indices{0, 1, 0, 0, 1, 1}));

    WireframeSphere dense;
    dense.longitudeCount = 1000;
    dense.latitudeCount = 100;
    LogCapture log;
    const auto draws = Drawn([&] {
        dense.Render();
        dense.Render();
    });
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(std::tuple(draws[0].numVertices, draws[1].numIndices), std::tuple(655 * 100, 4 * 655 * 100));
    EXPECT_EQ(log.Count("WireframeSphere::Render: 1000 segments"), 1);
}

TEST_F(ImmediateDraw, TheCacheGrowsForALargeDrawAndAnEmptyFlushSucceeds)
{
    Immediate3DCache* cache = Immediate3DCache::Instance();
    cache->Initialise();
    EXPECT_EQ(std::tuple(cache->GetVertexCapacity(), cache->GetIndexCapacity(), cache->GetPrimitiveType()),
              std::tuple(100, 150, -1));
    bool flushed = false;
    EXPECT_TRUE(Drawn([&] { flushed = cache->Flush(); }).empty());
    EXPECT_TRUE(flushed);

    // 300 vertices: allocated in pieces, the earlier ones kept as the buffer grows.
    const auto draws = Drawn([&] {
        cache->Begin(rwPrimTypeLineList, false);
        for (int i = 0; i < 3; ++i) {
            RwIm3DVertex* vertices = cache->AllocVertices(100);
            const Vector3 point(static_cast<float>(i), 0, 0);
            for (int j = 0; j < 100; ++j)
                Immediate3DCache::SetPositions(vertices + j, &point, 1);
        }
        EXPECT_EQ(std::tuple(cache->GetVertices()[0].objVertex.x, cache->GetVertices()[299].objVertex.x),
                  std::tuple(0.0f, 2.0f));
        cache->Flush();
    });
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(std::tuple(draws[0].numVertices, draws[0].numIndices, cache->GetVertexCount(),
                         cache->GetVertexCapacity() >= 300),
              std::tuple(300, 0, 0, true));
    EXPECT_EQ(cache->AllocVertices(0), nullptr);
}

TEST_F(ImmediateDraw, ColoursPackByTruncationWithAlphaOnTop)
{
    EXPECT_EQ(PackColor(Color(0.5f, 1.0f, 0.0f, 0.5f)), 0x7f7fff00u);
    EXPECT_EQ(PackColor(Color(2.0f, -1.0f, 0.999f, 1.0f)), 0xffff00feu);
}

TEST_F(ImmediateDraw, TheFlagsDecideWhetherTheFunctionsSetStatesAndTheyAreRestoredAfter)
{
    RwRenderStateSet(rwRenderStateZTestEnable, 1);
    RwRenderStateSet(rwRenderStateZWriteEnable, 1);
    RwRenderStateSet(rwRenderStateVertexAlphaEnable, 0);
    RwRenderStateSet(rwRenderStateDestBlend, rwBlendZero);
    const Color translucent(1, 0, 0, 0.5f);
    const auto states = [](const RwNullDrawRecord& d) {
        return std::tuple(d.zTest, d.zWrite, d.vertexAlpha, d.srcBlend, d.destBlend);
    };
    const auto now = [] {
        intptr_t zTest = 0, zWrite = 0, alpha = 0;
        RwRenderStateGet(rwRenderStateZTestEnable, &zTest);
        RwRenderStateGet(rwRenderStateZWriteEnable, &zWrite);
        RwRenderStateGet(rwRenderStateVertexAlphaEnable, &alpha);
        return std::tuple(zTest, zWrite, alpha);
    };
    intptr_t callerBlend = 0, callerDestBlend = 0;
    RwRenderStateGet(rwRenderStateSrcBlend, &callerBlend);
    RwRenderStateGet(rwRenderStateDestBlend, &callerDestBlend);

    auto draws = Drawn([&] { DrawBlendedRect({0, 0, 10, 10}, translucent); });
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(states(draws[0]), std::tuple(intptr_t(0), intptr_t(0), intptr_t(1), intptr_t(rwBlendSrcAlpha),
                                           intptr_t(rwBlendInvSrcAlpha)));
    EXPECT_EQ(now(), std::tuple(intptr_t(1), intptr_t(1), intptr_t(0)));

    SetDraw2DStates(false);
    draws = Drawn([&] { DrawBlendedRect({0, 0, 10, 10}, translucent); });
    SetDraw2DStates(true);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(states(draws[0]), std::tuple(intptr_t(1), intptr_t(1), intptr_t(0), callerBlend, callerDestBlend));

    // An opaque colour draws without vertex alpha; the 3D quad has its own flag.
    const Vector3 quad[4] = {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}, {1, 1, 5}};
    draws = Drawn([&] {
        DrawTexturedRect(nullptr, {0, 0, 4, 4}, {0, 0, 1, 1}, Color::White);
        SetDraw3DStates(false);
        DrawTexturedQuad3D(quad, nullptr, {0, 0, 1, 1}, Color::White);
        SetDraw3DStates(true);
        DrawTexturedQuad3D(quad, nullptr, {0, 0, 1, 1}, Color::White);
    });
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(std::tuple(draws[0].vertexAlpha, draws[1].zWrite, draws[2].zWrite, draws[2].type, draws[2].numVertices),
              std::tuple(intptr_t(0), intptr_t(1), intptr_t(0), rwPrimTypeTriStrip, 4));
    EXPECT_EQ(now(), std::tuple(intptr_t(1), intptr_t(1), intptr_t(0)));
    RwRenderStateReset();
}

// Rectangles drawn together take as few draws as 16-bit indices allow, each rectangle's corners
// and indices where one draw of it would put them.
TEST_F(ImmediateDraw, RectanglesGoOutTogetherInAsFewDrawsAsTheIndicesAllow)
{
    constexpr size_t kPerDraw = 65536 / 4;
    const struct {
        size_t rects;
        std::vector<RwInt32> vertices;  // per draw
    } cases[] = {{0, {}}, {1, {4}}, {3, {12}}, {kPerDraw, {65536}}, {kPerDraw + 1, {65536, 4}}};
    for (const auto& c : cases) {
        std::vector<ScreenRect> rects;
        for (size_t i = 0; i < c.rects; ++i)
            rects.push_back({float(i % 100), float(i / 100), 1.0f, 2.0f});
        const auto draws = Drawn([&] { DrawFilledRects(rects.data(), rects.size(), Color::White); });
        std::vector<RwInt32> vertices, indices;
        for (const RwNullDrawRecord& d : draws) {
            vertices.push_back(d.numVertices);
            indices.push_back(d.numIndices);
        }
        EXPECT_EQ(vertices, c.vertices) << c.rects;
        for (size_t i = 0; i < vertices.size(); ++i)
            EXPECT_EQ(indices[i], vertices[i] / 4 * 6) << c.rects;
        if (draws.empty())
            continue;
        // The last draw starts at the first rectangle it was left: its corners, in builder order.
        const ScreenRect& first = rects[(draws.size() - 1) * kPerDraw];
        const RwIm2DVertex* corners = draws.back().corners2D;
        EXPECT_EQ((std::vector<float>{corners[0].x, corners[0].y, corners[2].x, corners[2].y}),
                  (std::vector<float>{first.x, first.y, first.x + 1.0f, first.y + 2.0f}))
            << c.rects;
    }
}

TEST_F(ImmediateDraw, TheSelectionCursorSpinsAndShowsItsOutlineOnlyWithCollisionDataOn)
{
    SelectionCursor cursor("<PP>no such cursor.png", 2, 1, 2);
    cursor.Update(0.25f);
    float angle = 0;
    Vector3 axis;
    cursor.GetRotation().ToAxisAngle(angle, axis);
    EXPECT_NEAR(angle, 0.5f, 1e-5f);
    EXPECT_TRUE(Near(axis, Vector3::UnitZ));

    const bool was = GameSettings::Instance()->displayCollisionData;
    for (bool display : {false, true}) {
        GameSettings::Instance()->displayCollisionData = display;
        const auto draws = Drawn([&] { cursor.Render(); });
        ASSERT_EQ(draws.size(), display ? 2u : 1u);
        EXPECT_EQ(std::tuple(draws[0].type, draws[0].zTest, draws[0].zWrite, draws[0].vertexAlpha),
                  std::tuple(rwPrimTypeTriStrip, intptr_t(1), intptr_t(0), intptr_t(0)));
        if (display) {
            EXPECT_EQ(std::tuple(draws[1].type, draws[1].numIndices), std::tuple(rwPrimTypeLineList, 24));
        }
    }
    GameSettings::Instance()->displayCollisionData = was;
    EXPECT_TRUE(GetDraw3DStates());
}

TEST_F(ImmediateDraw, TheSelectionCursorDrawsWithTheManagersTextureAndLeavesItThere)
{
    Image image(RwImageAllocatePixels(RwImageCreate(2, 2, 32)), RwImageDestroy);
    ASSERT_TRUE(image && RtPngImageWrite(image.get(), "cursor.png"));
    Texture* shared = nullptr;
    {
        SelectionCursor cursor("cursor.png", 1, 1, 0);
        shared = TextureManager::Instance()->FindTexture("cursor.png", nullptr);
        ASSERT_TRUE(shared && shared->GetRaster());
        EXPECT_EQ(cursor.GetTexture(), shared);
        const auto draws = Drawn([&] { cursor.Render(); });
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].texture, shared->GetRaster());
    }
    EXPECT_EQ(TextureManager::Instance()->FindTexture("cursor.png", nullptr), shared);
    EXPECT_NE(shared->GetRaster(), nullptr);
}

TEST_F(ImmediateDraw, TablesKeepTheirSectionsKeysAndValues)
{
    WireframeCone cone;
    cone.length = 3;
    cone.angle = 0.25f;
    cone.longitudeCount = 7;
    cone.SetColor(Color(0.5f, 0.25f, 0, 1));
    cone.SetPosition({1, 2, 3});
    SerializeTable(cone, "cone.txt", "Cone", true);
    WireframeCone read;
    SerializeTable(read, "cone.txt", "Cone", false);
    EXPECT_EQ(std::tuple(read.length, read.angle, read.longitudeCount, read.GetColor(), read.GetPosition()),
              std::tuple(3.0f, 0.25f, 7, Color(0.5f, 0.25f, 0, 1), Vector3(1, 2, 3)));

    WireframeSphere sphere;
    sphere.latitudeCount = 9;
    SerializeTable(sphere, "sphere.txt", "Sphere", true);
    // The cone's section carries the cylinder's name, so a cylinder reads it.
    WireframeCylinder cylinder;
    SerializeTable(cylinder, "cone.txt", "Cone", false);
    WireframeSphere readSphere;
    SerializeTable(readSphere, "sphere.txt", "Sphere", false);
    EXPECT_EQ(std::tuple(cylinder.length, cylinder.longitudeCount, readSphere.latitudeCount), std::tuple(3.0f, 7, 9));
}

}  // namespace
