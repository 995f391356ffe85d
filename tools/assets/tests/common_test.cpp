// The building blocks every generator relies on: images survive PNG through the engine's
// reader, meshes become engine geometry, and the world builder's tree covers every triangle.
#include "support/AssetTestSupport.h"

#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Mesh.h"
#include "tools/assets/common/Random.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/WorldBuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

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

TEST(AssetImages, PaintingBlendsClampsAndWrapsAtTheEdges)
{
    // Source-over: a half-covered red over opaque blue, and colour over a clear pixel.
    struct Case {
        Rgba under, paint;
        float coverage;
        Rgba expected;
    };
    const Case cases[] = {
        {{0, 0, 255, 255}, {255, 0, 0, 255}, 0.5f, {128, 0, 128, 255}},
        {{0, 0, 255, 255}, {255, 0, 0, 128}, 1.0f, {128, 0, 127, 255}},
        {{0, 0, 0, 0}, {255, 0, 0, 128}, 1.0f, {255, 0, 0, 128}},
        {{10, 20, 30, 255}, {255, 255, 255, 255}, 0.0f, {10, 20, 30, 255}},
        {{10, 20, 30, 255}, {255, 255, 255, 255}, 2.0f, {255, 255, 255, 255}},
    };
    for (const Case& c : cases) {
        Image img(2, 2, c.under);
        img.Blend(1, 1, c.paint, c.coverage);
        EXPECT_EQ(img.Get(1, 1), c.expected) << c.coverage;
        EXPECT_EQ(img.Get(0, 0), c.under);
    }
    EXPECT_EQ(Mix({0, 100, 200, 255}, {200, 100, 0, 55}, 0.25f), (Rgba{50, 100, 150, 205}));
    EXPECT_EQ(Mix({0, 0, 0, 255}, {200, 200, 200, 255}, 3.0f), (Rgba{200, 200, 200, 255}));
    EXPECT_EQ(Scale({100, 200, 10, 7}, 1.5f), (Rgba{150, 255, 15, 7}));

    // Coordinates wrap: a rectangle over the right edge comes back on the left.
    Image tile(8, 4, {0, 0, 0, 255});
    tile.FillRect(6, 1, 10, 2, {255, 255, 255, 255});
    std::string row;
    for (int x = 0; x < 8; ++x)
        row += tile.Get(x, 1).r ? '#' : '.';
    EXPECT_EQ(row, "##....##");
    EXPECT_EQ(tile.Get(-1, 5), tile.Get(7, 1));
    EXPECT_FALSE(tile.HasAlpha());
    tile.Set(0, 0, {0, 0, 0, 254});
    EXPECT_TRUE(tile.HasAlpha());
}

TEST(AssetImages, ShapesCoverWhatTheyDrawAndNothingElse)
{
    const Rgba white{255, 255, 255, 255};
    Image ring(32, 32, {0, 0, 0, 255});
    ring.Ring(16, 16, 6, 10, white);
    EXPECT_EQ(ring.Get(16, 16).r, 0);       // the hole
    EXPECT_EQ(ring.Get(16 + 7, 16).r, 255);  // on the band
    EXPECT_EQ(ring.Get(16 + 13, 16).r, 0);   // outside
    // Pixels are sampled at their centres: a disc of radius 10 round (16, 16) covers pixels
    // 6..25, the outermost in part, the same on every side.
    Image disc(32, 32, {0, 0, 0, 255});
    disc.FillCircle(16, 16, 10, white);
    const auto cell = [](Rgba p) { return p.r == 255 ? '#' : p.r == 0 ? '.' : '+'; };
    std::string across, column;
    for (int k = 4; k < 28; ++k) {
        across += cell(disc.Get(k, 16));
        column += cell(disc.Get(16, k));
    }
    EXPECT_EQ(across, "..+##################+..");
    EXPECT_EQ(column, across);
    // A line of width 2 along a pixel row's centre: full on its row, half on the rows either
    // side, with round ends one pixel long.
    Image line(32, 32, {0, 0, 0, 255});
    line.Line(4, 4.5f, 28, 4.5f, 2, white);
    std::string along, down;
    for (int x = 1; x < 31; ++x)
        along += cell(line.Get(x, 4));
    for (int y = 1; y < 8; ++y)
        down += cell(line.Get(16, y));
    EXPECT_EQ(along, "..##########################..");
    EXPECT_EQ(down, "..+#+..");
}

TEST(AssetImages, NoiseIsContinuousAcrossCellsAndStaysInRange)
{
    for (float x : {2.0f, 3.0f, 7.0f})
        for (float y : {0.5f, 4.0f}) {
            EXPECT_NEAR(ValueNoise(x - 1e-4f, y, 8, 7), ValueNoise(x, y, 8, 7), 1e-3f) << x << "," << y;
            EXPECT_NEAR(ValueNoise(y, x - 1e-4f, 8, 7), ValueNoise(y, x, 8, 7), 1e-3f) << y << "," << x;
        }
    float lo = 1, hi = -1;
    for (int i = 0; i < 200; ++i) {
        const float n = FractalNoise(i * 0.37f, i * 0.11f, 16, 4, 3);
        lo = std::min(lo, n);
        hi = std::max(hi, n);
    }
    EXPECT_GE(lo, -1.0f);
    EXPECT_LE(hi, 1.0f);
    EXPECT_GT(hi - lo, 0.5f);  // it varies
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

// Every triangle of the mesh faces away from the point (its normal and its corners agree).
void ExpectFacingAwayFrom(const MeshBuilder& m, Vec3 inside)
{
    for (const MeshTriangle& t : m.Triangles()) {
        const Vec3 a = m.Vertices()[t.v[0]].pos, b = m.Vertices()[t.v[1]].pos, c = m.Vertices()[t.v[2]].pos;
        const Vec3 wound = Cross(b - a, c - a);
        const Vec3 centre = (a + b + c) * (1.0f / 3);
        EXPECT_GT(Dot(wound, centre - inside), 0.0f);
        for (uint32_t v : t.v)
            EXPECT_GT(Dot(m.Vertices()[v].normal, wound), 0.0f);
    }
}

TEST(AssetMeshes, ReversedTrianglesFaceInwardsWithTheirNormalsAndTheRestStay)
{
    // A box whose last face (its last two triangles) is left as it was.
    MeshBuilder box;
    box.Box({-1, -1, -1}, {1, 1, 1});
    const size_t all = box.Triangles().size();
    box.Reverse(0, all - 2);
    for (size_t i = 0; i < all; ++i) {
        const MeshTriangle& t = box.Triangles()[i];
        const Vec3 a = box.Vertices()[t.v[0]].pos, b = box.Vertices()[t.v[1]].pos, c = box.Vertices()[t.v[2]].pos;
        const Vec3 wound = Cross(b - a, c - a);
        EXPECT_EQ(Dot(wound, a + b + c) < 0.0f, i < all - 2) << "triangle " << i;
        for (uint32_t v : t.v)
            EXPECT_GT(Dot(box.Vertices()[v].normal, wound), 0.0f) << "triangle " << i << ", vertex " << v;
    }
}

TEST(AssetMeshes, PrimitivesAreClosedOutwardFacingShapes)
{
    MeshBuilder box;
    box.Box({-1, 0, -2}, {1, 3, 2});
    EXPECT_EQ(box.TriangleCount(), 12u);
    ExpectFacingAwayFrom(box, {0, 1.5f, 0});
    // Face bits pick faces: no bottom, no front.
    MeshBuilder open;
    open.Box({-1, 0, -2}, {1, 3, 2}, 0, 0x3F & ~0x04 & ~0x10);
    EXPECT_EQ(open.TriangleCount(), 8u);
    for (const MeshVertex& v : open.Vertices()) {
        EXPECT_NE(v.normal, (Vec3{0, -1, 0}));
        EXPECT_NE(v.normal, (Vec3{0, 0, -1}));
    }

    // Texture coordinates repeat every `tile` units on each face.
    MeshBuilder tiled;
    tiled.Box({0, 0, 0}, {2, 3, 4}, 1);
    const float dims[3] = {2, 3, 4};
    for (size_t q = 0; q < tiled.Vertices().size(); q += 4) {
        float u[2] = {1e9f, -1e9f}, v[2] = {1e9f, -1e9f};
        for (size_t k = q; k < q + 4; ++k) {
            const MeshVertex& vx = tiled.Vertices()[k];
            u[0] = std::min(u[0], vx.u), u[1] = std::max(u[1], vx.u);
            v[0] = std::min(v[0], vx.v), v[1] = std::max(v[1], vx.v);
        }
        // The face's two sides are the box's sizes other than along its normal.
        const Vec3 n = tiled.Vertices()[q].normal;
        const int axis = n.x != 0 ? 0 : n.y != 0 ? 1 : 2;
        std::vector<float> want, got{u[1] - u[0], v[1] - v[0]};
        for (int a = 0; a < 3; ++a)
            if (a != axis)
                want.push_back(dims[a]);
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want) << "face " << q / 4;
        EXPECT_EQ(std::min(u[0], v[0]), 0.0f) << "face " << q / 4;
    }

    MeshBuilder can;
    can.Frustum({5, 0, 5}, 2, 1, 4, 8, true);
    EXPECT_EQ(can.TriangleCount(), 8u * 2 + 8u * 2);
    ExpectFacingAwayFrom(can, {5, 2, 5});
    for (const MeshVertex& v : can.Vertices()) {
        const float r = std::hypot(v.pos.x - 5, v.pos.z - 5);
        EXPECT_LE(r, 2 + 1e-4f - v.pos.y / 4);
        EXPECT_GE(v.pos.y, 0.0f);
        EXPECT_LE(v.pos.y, 4.0f);
    }

    // Round shapes close up: a fine frustum's surface is nearly the true one.
    MeshBuilder fine;
    fine.Frustum({0, 0, 0}, 2, 1, 4, 64, true);
    float area = 0;
    for (const MeshTriangle& t : fine.Triangles()) {
        const Vec3 a = fine.Vertices()[t.v[0]].pos, b = fine.Vertices()[t.v[1]].pos, c = fine.Vertices()[t.v[2]].pos;
        area += Length(Cross(b - a, c - a)) / 2;
    }
    const float slant = std::hypot(4.0f, 1.0f);
    EXPECT_NEAR(area, kPi * (2 * 2 + 1 * 1) + kPi * (2 + 1) * slant, 0.3f);
    MeshBuilder ball;
    ball.Sphere({1, 2, 3}, 0.5f, 8, 12);
    ExpectFacingAwayFrom(ball, {1, 2, 3});
    for (const MeshVertex& v : ball.Vertices())
        EXPECT_NEAR(Length(v.pos - Vec3{1, 2, 3}), 0.5f, 1e-5f);
    // Two caps of one-triangle rows, six rings of two triangles a segment between them.
    EXPECT_EQ(ball.TriangleCount(), 12u * 2 + 12u * 6 * 2);

    // A beam runs between its ends at its radius, whatever its direction.
    for (Vec3 end : {Vec3{0, 5, 0}, Vec3{3, 0, 4}, Vec3{0, -2, 0}}) {
        MeshBuilder beam;
        beam.Beam({1, 1, 1}, Vec3{1, 1, 1} + end, 0.25f, 6);
        const Vec3 axis = Normalised(end);
        for (const MeshVertex& v : beam.Vertices()) {
            const Vec3 d = v.pos - Vec3{1, 1, 1};
            const float along = Dot(d, axis);
            EXPECT_NEAR(Length(d - axis * along), 0.25f, 1e-4f);
            EXPECT_GE(along, -1e-4f);
            EXPECT_LE(along, Length(end) + 1e-4f);
        }
    }
}

TEST(AssetMeshes, TransformsNestAndAppendMergesMaterials)
{
    // A yaw of a quarter turn takes x to -z, then the outer translation applies.
    const Frame3 outer = Frame3::Translation({10, 0, 0});
    const Frame3 inner = Frame3::YawAt(kPi / 2, {0, 0, 1});
    const Vec3 p = (outer * inner).Point({1, 0, 0});
    EXPECT_NEAR(p.x, 10.0f, 1e-5f);
    EXPECT_NEAR(p.z, 0.0f, 1e-5f);

    MeshBuilder a, b;
    a.UseMaterial(a.Material("grass"));
    a.Quad({0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1});
    b.UseMaterial(b.Material("stone", {1, 2, 3, 255}));
    b.Quad({0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1});
    b.UseMaterial(b.Material("grass"));
    b.Quad({0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1});
    a.Append(b);
    ASSERT_EQ(a.Materials().size(), 2u);
    EXPECT_EQ(a.Materials()[1], (MeshMaterial{"stone", {1, 2, 3, 255}}));
    std::vector<int> materials;
    for (const MeshTriangle& t : a.Triangles())
        materials.push_back(t.material);
    EXPECT_EQ(materials, (std::vector<int>{0, 0, 1, 1, 0, 0}));
    // The appended triangles point at the appended vertices.
    EXPECT_EQ(a.Triangles()[4].v[0], 8u);

    // Skin weights apply to the vertices added after them.
    MeshBuilder skin;
    const uint8_t bones[4] = {1, 2, 3, 4};
    const float weights[4] = {0.4f, 0.3f, 0.2f, 0.1f};
    skin.SetBoneWeights(bones, weights);
    skin.Vertex({}, {0, 1, 0}, 0, 0);
    skin.SetBone(7);
    skin.Vertex({}, {0, 1, 0}, 0, 0);
    const MeshVertex& blended = skin.Vertices()[0];
    const MeshVertex& single = skin.Vertices()[1];
    EXPECT_EQ(std::vector<int>(blended.bones, blended.bones + 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(std::vector<float>(blended.weights, blended.weights + 4), (std::vector<float>{0.4f, 0.3f, 0.2f, 0.1f}));
    EXPECT_EQ(std::vector<int>(single.bones, single.bones + 4), (std::vector<int>{7, 0, 0, 0}));
    EXPECT_EQ(std::vector<float>(single.weights, single.weights + 4), (std::vector<float>{1, 0, 0, 0}));
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
    // The material names its texture, for the loader to find in the level's texture folder.
    ASSERT_EQ(world->matList.numMaterials, 1);
    ASSERT_NE(world->matList.materials[0]->texture, nullptr);
    EXPECT_STREQ(world->matList.materials[0]->texture->name, "ground");
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

TEST(AssetWorlds, FewTrianglesMakeOneSectorWithoutPlanes)
{
    ASSERT_TRUE(test::EngineUp());
    MeshBuilder m;
    m.SetColour({10, 20, 30, 255});
    m.Quad({0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1});
    for (int limit : {2, 100, 0}) {
        RpWorld* world = BuildWorld(m, limit);
        ASSERT_NE(world, nullptr) << limit;
        // A limit below one triangle still puts each triangle somewhere.
        EXPECT_EQ(world->sectors.size(), limit ? 1u : 2u) << limit;
        EXPECT_EQ(world->planes.size() + 1, world->sectors.size());
        EXPECT_EQ(world->sectors[0]->preLitLum[0].green, 20);
        RpWorldDestroy(world);
    }
}

TEST(AssetFiles, WritersMakeFoldersListTheirFilesAndReportFailure)
{
    const std::string root = std::filesystem::absolute("files").string();
    std::filesystem::remove_all(root);
    EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
    EXPECT_EQ(JoinPath("dir", "a.txt"), "dir/a.txt");
    EXPECT_EQ(JoinPath("dir/", "a.txt"), "dir/a.txt");

    const std::string text = JoinPath(root, "deep/er/note.txt");
    const size_t before = WrittenFiles().size();
    ASSERT_TRUE(WriteTextFile(text, "hello\n"));
    std::ifstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "hello");
    ASSERT_EQ(WrittenFiles().size(), before + 1);
    EXPECT_EQ(WrittenFiles().back(), text);

    // A file stands where a folder is needed: every writer says so.
    const std::string blocked = JoinPath(root, "deep/er/note.txt/inside.png");
    EXPECT_FALSE(MakeParentDirs(blocked));
    EXPECT_FALSE(WriteTextFile(blocked, "x"));
    EXPECT_FALSE(WritePng(Image(2, 2), blocked));
}

TEST(AssetFiles, TextureSetsHalveTheSmallSetDownToTheirFloor)
{
    ASSERT_TRUE(test::EngineUp());
    AssetContext context;
    context.stageDir = std::filesystem::absolute("sets").string();
    struct Case {
        int size, minSmall, smallSize;
    };
    for (const Case& c : {Case{64, 16, 32}, Case{32, 16, 16}, Case{30, 16, 30}, Case{64, 64, 64}}) {
        const std::string name = "t" + std::to_string(c.size) + "_" + std::to_string(c.minSmall);
        ASSERT_TRUE(context.WriteTextureSets("lvl", name, Image(c.size, c.size), c.minSmall));
        for (int set = 0; set < 2; ++set) {
            const std::string path = context.Path("lvl/" + std::string(kTextureSets[set]) + "/" + name + ".png");
            RwImage* image = RtPngImageRead(path.c_str());
            ASSERT_NE(image, nullptr) << path;
            EXPECT_EQ(image->width, set ? c.smallSize : c.size) << path;
            RwImageDestroy(image);
        }
    }
    EXPECT_EQ(context.Path("x/y.png"), context.stageDir + "/data/pc/x/y.png");
}

TEST(AssetRegistry, GeneratorsRunInNameOrder)
{
    const std::vector<Generator> generators = RegisteredGenerators();
    ASSERT_GT(generators.size(), 3u);
    for (size_t i = 1; i < generators.size(); ++i)
        EXPECT_LT(generators[i - 1].name, generators[i].name);
    const std::vector<SheetPage> pages = RegisteredSheetPages();
    ASSERT_GT(pages.size(), 1u);
    for (size_t i = 1; i < pages.size(); ++i)
        EXPECT_LT(pages[i - 1].name, pages[i].name);
}

}  // namespace
