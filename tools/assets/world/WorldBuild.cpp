#include "tools/assets/world/WorldBuild.h"

#include "engine/world/RpWorld.h"

#include <algorithm>
#include <unordered_map>

namespace assets {

namespace {

struct Builder {
    const MeshBuilder& mesh;
    int maxTriangles;
    std::vector<RpWorldSector*> sectors;
    std::vector<RpPlaneNode> planes;
    bool failed = false;

    float Centre(uint32_t tri, int axis) const
    {
        const MeshTriangle& t = mesh.Triangles()[tri];
        float sum = 0;
        for (uint32_t v : t.v) {
            const Vec3& p = mesh.Vertices()[v].pos;
            sum += axis == 0 ? p.x : axis == 1 ? p.y : p.z;
        }
        return sum / 3;
    }

    // Returns the child reference: >= 0 a plane node, < 0 the sector ~index.
    RwInt32 Split(std::vector<uint32_t> tris)
    {
        if (int(tris.size()) > maxTriangles) {
            float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
            for (uint32_t t : tris)
                for (int a = 0; a < 3; ++a) {
                    lo[a] = std::min(lo[a], Centre(t, a));
                    hi[a] = std::max(hi[a], Centre(t, a));
                }
            int axis = 0;
            for (int a = 1; a < 3; ++a)
                if (hi[a] - lo[a] > hi[axis] - lo[axis])
                    axis = a;
            std::stable_sort(tris.begin(), tris.end(),
                             [&](uint32_t a, uint32_t b) { return Centre(a, axis) < Centre(b, axis); });
            const size_t mid = tris.size() / 2;
            const float value = Centre(tris[mid], axis);
            // Everything below the value goes left; equal centres all go right.
            size_t cut = mid;
            while (cut > 0 && Centre(tris[cut - 1], axis) >= value)
                --cut;
            if (cut > 0) {
                const RwInt32 node = RwInt32(planes.size());
                planes.push_back({axis, value, 0, 0});
                const RwInt32 left = Split({tris.begin(), tris.begin() + ptrdiff_t(cut)});
                const RwInt32 right = Split({tris.begin() + ptrdiff_t(cut), tris.end()});
                planes[size_t(node)].left = left;
                planes[size_t(node)].right = right;
                return node;
            }
        }
        return ~MakeSector(tris);
    }

    RwInt32 MakeSector(const std::vector<uint32_t>& tris)
    {
        std::unordered_map<uint32_t, uint16_t> remap;
        std::vector<uint32_t> used;
        for (uint32_t t : tris)
            for (uint32_t v : mesh.Triangles()[t].v)
                if (remap.emplace(v, uint16_t(used.size())).second)
                    used.push_back(v);
        RpWorldSector* s = RpWorldSectorCreate(RwInt32(used.size()), RwInt32(tris.size()),
                                               rpGeometryNormals | rpGeometryPrelit | rpGeometryTextured);
        if (!s) {
            failed = true;
            return RwInt32(sectors.size());
        }
        for (size_t i = 0; i < used.size(); ++i) {
            const MeshVertex& v = mesh.Vertices()[used[i]];
            s->vertices[i] = ToRw(v.pos);
            s->normals[i] = ToRw(v.normal);
            s->preLitLum[i] = {v.colour.r, v.colour.g, v.colour.b, v.colour.a};
            s->texCoords[i] = {v.u, v.v};
        }
        for (size_t i = 0; i < tris.size(); ++i) {
            const MeshTriangle& t = mesh.Triangles()[tris[i]];
            s->triangles[i] = {{remap[t.v[0]], remap[t.v[1]], remap[t.v[2]]}, RwUInt16(t.material)};
        }
        RpWorldSectorCalcBoundingBox(s);
        sectors.push_back(s);
        return RwInt32(sectors.size()) - 1;
    }
};

}  // namespace

RpWorld* BuildWorld(const MeshBuilder& mesh, int maxTriangles)
{
    // Three vertices a triangle at most: 21845 triangles keep a sector's indices in 16 bits.
    Builder b{mesh, std::clamp(maxTriangles, 1, 21845), {}, {}};
    std::vector<uint32_t> all(mesh.Triangles().size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = uint32_t(i);
    const RwInt32 root = b.Split(std::move(all));
    (void)root;  // node 0 is the root when there are planes; a lone sector needs no tree
    if (b.failed) {
        // Handing them over without a box makes the engine free them.
        RpWorldCreateFromSectors(nullptr, 0, std::move(b.sectors), {});
        return nullptr;
    }
    RwBBox box{{-1e30f, -1e30f, -1e30f}, {1e30f, 1e30f, 1e30f}};
    for (const RpWorldSector* s : b.sectors) {
        box.sup = {std::max(box.sup.x, s->boundingBox.sup.x), std::max(box.sup.y, s->boundingBox.sup.y),
                   std::max(box.sup.z, s->boundingBox.sup.z)};
        box.inf = {std::min(box.inf.x, s->boundingBox.inf.x), std::min(box.inf.y, s->boundingBox.inf.y),
                   std::min(box.inf.z, s->boundingBox.inf.z)};
    }
    RpWorld* world = RpWorldCreateFromSectors(&box, rpGeometryNormals | rpGeometryPrelit | rpGeometryTextured,
                                              std::move(b.sectors), std::move(b.planes));
    if (!world)
        return nullptr;
    for (const MeshMaterial& m : mesh.Materials()) {
        RpMaterial* material = CreateMaterial(m);
        RpWorldAddMaterial(world, material);
        RpMaterialDestroy(material);
    }
    return world;
}

}  // namespace assets
