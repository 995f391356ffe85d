// The building blocks every generator relies on: images survive PNG through the engine's
// reader, meshes become engine geometry, and the world builder's tree covers every triangle.
#include "support/AssetTestSupport.h"

#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Mesh.h"
#include "tools/assets/common/Random.h"
#include "tools/assets/world/WorldBuild.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

using namespace assets;

TEST(AssetImages, PngKeepsEveryPixelAndDropsAlphaOnlyWhenOpaque)
{
    ASSERT_TRUE(test::EngineUp());
    Image opaque(33, 17, {10, 20, 30, 255});
    opaque.FillCircle(16, 8, 6, {250, 120, 0, 255});
    Image clear(8, 8, {0, 0, 0, 0});
    clear.Set(3, 4, {200, 100, 50, 128});
    for (const Image* image : {&opaque, &clear}) {
        const std::string path = std::filesystem::absolute("img/" + std::to_string(image->Width()) + ".png").string();
        ASSERT_TRUE(WritePng(*image, path));
        RwImage* back = RtPngImageRead(path.c_str());
        ASSERT_NE(back, nullptr);
        ASSERT_EQ(back->width, image->Width());
        ASSERT_EQ(back->height, image->Height());
        for (int y = 0; y < image->Height(); ++y)
            for (int x = 0; x < image->Width(); ++x) {
                const RwUInt8* p = back->pixels + size_t(y) * size_t(back->stride) + size_t(x) * 4;
                const Rgba c = image->Get(x, y);
                ASSERT_EQ((Rgba{p[0], p[1], p[2], p[3]}), c) << x << "," << y;
            }
        RwImageDestroy(back);
    }
}

TEST(AssetImages, HalfAveragesBlocksAndNoiseTiles)
{
    Image img(4, 2, {0, 0, 0, 255});
    img.Set(0, 0, {255, 255, 255, 255});
    img.Set(1, 1, {255, 255, 255, 255});
    const Image half = img.Half();
    ASSERT_EQ(half.Width(), 2);
    ASSERT_EQ(half.Height(), 1);
    EXPECT_EQ(half.Get(0, 0).r, 128);
    EXPECT_EQ(half.Get(1, 0).r, 0);
    // Noise repeats over its period, so textures tile without seams.
    for (float x : {0.3f, 2.7f, 5.1f})
        EXPECT_FLOAT_EQ(ValueNoise(x, 1.5f, 8, 42), ValueNoise(x + 8, 1.5f + 8, 8, 42));
    // Same seed, same sequence; neighbouring seeds (generators use seed + 1, + 2...) must not
    // give shifted copies of one sequence.
    Rng a(5), b(5), c(6);
    EXPECT_EQ(a.Next(), b.Next());
    const uint64_t c0 = c.Next(), c1 = c.Next();
    EXPECT_NE(a.Next(), c0);
    EXPECT_NE(b.Next(), c1);
}

TEST(AssetMeshes, GeometryCarriesVerticesMaterialsAndItsSphere)
{
    ASSERT_TRUE(test::EngineUp());
    MeshBuilder m;
    m.UseMaterial(m.Material("brick", {200, 100, 50, 255}));
    m.SetTransform(Frame3::Translation({10, 0, 0}));
    m.Box({-1, -1, -1}, {1, 1, 1});
    EXPECT_EQ(m.Material("brick", {200, 100, 50, 255}), 0);  // reused, not added
    m.UseMaterial(m.Material(""));
    m.Sphere({0, 3, 0}, 0.5f, 4, 6);
    RpGeometry* g = m.BuildGeometry(kGeoNormals | kGeoPrelit | kGeoTextured);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->numVertices, int(m.Vertices().size()));
    EXPECT_EQ(g->numTriangles, int(m.TriangleCount()));
    ASSERT_EQ(g->matList.numMaterials, 2);
    ASSERT_NE(g->matList.materials[0]->texture, nullptr);
    EXPECT_STREQ(g->matList.materials[0]->texture->name, "brick");
    EXPECT_EQ(g->matList.materials[1]->texture, nullptr);
    // The transform moved everything to x = 10; the sphere encloses every vertex.
    const RwSphere& s = g->morphTarget[0].boundingSphere;
    for (int i = 0; i < g->numVertices; ++i) {
        const RwV3d& p = g->morphTarget[0].verts[i];
        EXPECT_GT(p.x, 8.9f);
        EXPECT_LE(std::hypot(p.x - s.center.x, p.y - s.center.y, p.z - s.center.z), s.radius + 1e-3f);
    }
    RpGeometryDestroy(g);
    EXPECT_EQ(MeshBuilder().BuildGeometry(kGeoPrelit), nullptr);
}

TEST(AssetMeshes, LookAtFramesAreRightHandedAndAimed)
{
    const Frame3 f = Frame3::LookAt({0, 10, -20}, {5, 0, 0});
    const Vec3 aim = Normalised(Vec3{5, -10, 20});
    EXPECT_NEAR(Dot(f.at, aim), 1.0f, 1e-5f);
    EXPECT_NEAR(Dot(Cross(f.right, f.up), f.at), 1.0f, 1e-5f);
    EXPECT_GT(f.up.y, 0.0f);
}

TEST(AssetWorlds, EveryTriangleLandsInOneSectorOnItsSideOfThePlanes)
{
    ASSERT_TRUE(test::EngineUp());
    MeshBuilder m;
    m.UseMaterial(m.Material("ground"));
    Rng rng(9);
    for (int i = 0; i < 700; ++i) {
        const Vec3 c{rng.Range(-100, 100), rng.Range(0, 20), rng.Range(-60, 60)};
        m.Quad(c, c + Vec3{1, 0, 0}, c + Vec3{1, 0, 1}, c + Vec3{0, 0, 1});
    }
    RpWorld* world = BuildWorld(m, 100);
    ASSERT_NE(world, nullptr);
    EXPECT_GE(world->sectors.size(), 14u);
    int triangles = 0;
    for (const RpWorldSector* s : world->sectors) {
        EXPECT_LE(s->numTriangles, 100);
        triangles += s->numTriangles;
    }
    EXPECT_EQ(triangles, 1400);
    // Walk the tree to each sector: every triangle's centre lies on the side of each plane
    // that leads to its sector.
    struct Walk {
        const RpWorld* w;
        int checked = 0;
        void Node(RwInt32 ref, std::vector<std::pair<const RpPlaneNode*, bool>>& path)
        {
            if (ref < 0) {
                const RpWorldSector* s = w->sectors[size_t(~ref)];
                for (int t = 0; t < s->numTriangles; ++t) {
                    float c[3] = {0, 0, 0};
                    for (RwUInt16 v : s->triangles[t].vertIndex) {
                        c[0] += s->vertices[v].x;
                        c[1] += s->vertices[v].y;
                        c[2] += s->vertices[v].z;
                    }
                    for (float& k : c)
                        k /= 3;
                    for (const auto& [plane, left] : path)
                        EXPECT_EQ(c[plane->axis] < plane->value, left);
                    ++checked;
                }
                return;
            }
            const RpPlaneNode& n = w->planes[size_t(ref)];
            path.push_back({&n, true});
            Node(n.left, path);
            path.back().second = false;
            Node(n.right, path);
            path.pop_back();
        }
    } walk{world};
    std::vector<std::pair<const RpPlaneNode*, bool>> path;
    walk.Node(0, path);
    EXPECT_EQ(walk.checked, 1400);
    // And the whole world survives its stream.
    const std::string file = std::filesystem::absolute("worlds/test.bsp").string();
    ASSERT_TRUE(WriteWorldFile(world, file));
    const RwInt32 sectors = RpWorldGetNumSectors(world);
    RpWorldDestroy(world);
    RwStream* in = RwStreamOpen(rwStreamFileName, rwStreamRead, file.c_str());
    ASSERT_NE(in, nullptr);
    RwUInt32 length = 0, version = 0;
    ASSERT_TRUE(RwStreamFindChunk(in, rwChunkWorld, &length, &version));
    RpWorld* back = RpWorldStreamRead(in);
    RwStreamClose(in, nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(RpWorldGetNumSectors(back), sectors);
    RpWorldDestroy(back);
}

}  // namespace
