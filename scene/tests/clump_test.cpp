// Models loaded from clump files: placement, fallbacks, table reloads, hidden atomics, bounds,
// alpha, cloning, freezing and the bind pose of skinned models.
#include "support/SceneTest.h"

#include "engine/plugins/RpPlugins.h"
#include "framework/MathUtil.h"
#include "scene/Clump.h"
#include "tests/support/LogCapture.h"

namespace {

constexpr RwRGBA kRed{255, 0, 0, 255};
constexpr RwRGBA kGreen{0, 255, 0, 255};
using Names = std::pair<std::string, std::string>;

// Turned 90 degrees about y, then moved to (1, 2, 3).
RwMatrix FilePlacement()
{
    RwMatrix placement;
    const RwV3d y{0, 1, 0}, pos{1, 2, 3};
    RwMatrixRotate(&placement, &y, 90.0f, rwCombineReplace);
    RwMatrixTranslate(&placement, &pos, rwCombinePostMultiply);
    return placement;
}

// "models\cubes.dff": a red cube at the origin and a green one at x = 10 on the placed root,
// neither modulated by its material colour.
class ClumpTest : public SceneTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        const RwMatrix placement = FilePlacement();
        WriteClumpFile("models\\cubes.dff",
                       MakeClump({MakeCube({0, 0, 0}, 1.0f, kRed), MakeCube({10, 0, 0}, 1.0f, kGreen)}, &placement));
    }
};

std::vector<RpAtomic*> Atomics(const Clump& clump)
{
    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    return atomics;
}

RwRGBA MaterialColour(RpAtomic* atomic)
{
    return RpAtomicGetGeometry(atomic)->matList.materials[0]->color;
}

TEST_F(ClumpTest, LoadsAFileAndPlacesItOnTopOfItsFilePlacement)
{
    LogCapture log;
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "models\\", true));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(Names(clump.GetGeometry(), clump.GetTexturePath()), Names("models\\cubes.dff", "models\\"));
    std::vector<RpAtomic*> atomics{nullptr};
    EXPECT_EQ(clump.GetAtomics(atomics), 3);  // appended
    EXPECT_TRUE(Near(clump.GetInitialPosition(), {1, 2, 3}));
    EXPECT_TRUE(Near(clump.GetInitialRotation().Rotate(Vector3::UnitX), {0, 0, -1}));
    EXPECT_EQ(std::pair(clump.GetPosition(), clump.GetRotation()), std::pair(Vector3(), Quaternion::Identity));

    // Translation adds to the file's; rotation acts after the file's; scale acts first.
    clump.SetPosition({10, 0, 0});
    clump.SetRotation(Quaternion(Math::HalfPi, Vector3::UnitZ));
    clump.SetScale({2, 2, 2});
    clump.Update(0.1f);
    const RwMatrix* m = clump.GetFrameMatrix();
    EXPECT_TRUE(Near(V(m->pos), {11, 2, 3}) && Near(V(m->right), {0, 0, -2}) && Near(V(m->up), {-2, 0, 0}));
}

TEST_F(ClumpTest, AFileThatCannotBeReadGivesTheDummyAndAnEmptyNameChangesNothing)
{
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    WriteEngineFile("models\\notaclump.dff", [&](RwStream* s) { return RwTexDictionaryStreamWrite(dictionary, s); });
    RwTexDictionaryDestroy(dictionary);
    const std::string dummy = "***ERROR: Clump::LoadClump: Failed to read clump, creating a dummy clump.\n";
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"models\\missing.dff",
         {"RwStreamOpen: cannot open models\\missing.dff\n",
          "***ERROR: Clump::LoadClump: Failed to load file <models\\missing.dff>!\n", dummy}},
        // A texture dictionary where a model should be: nothing may be read from it.
        {"models\\notaclump.dff", {"***ERROR: Clump::LoadClump: Could not find chunk.\n", dummy}},
    };
    for (const auto& [file, lines] : cases) {
        LogCapture log;
        Clump clump;
        EXPECT_TRUE(clump.LoadClump(file, "", true));
        EXPECT_EQ(log.lines, lines);
        BoundingSphere sphere;
        clump.GetBoundingSphere(sphere);
        EXPECT_EQ(std::pair(Atomics(clump).size(), sphere.radius), std::pair(size_t(1), 1.0f));
    }
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "", true));
    RpClump* before = clump.GetRwClump();
    EXPECT_FALSE(clump.LoadClump("", "other\\", true));
    EXPECT_EQ(clump.GetRwClump(), before);
    EXPECT_EQ(Names(clump.GetGeometry(), clump.GetTexturePath()), Names("models\\cubes.dff", ""));
}

// Counts the loads that reach a subclass.
struct CountingClump : Clump {
    bool LoadClump(const std::string& fileName, const std::string& textureFolder, bool bindPose) override
    {
        ++loads;
        return Clump::LoadClump(fileName, textureFolder, bindPose);
    }
    int loads = 0;
};

TEST_F(ClumpTest, ATableReloadsTheModelOnlyWhenItsFilesChange)
{
    Clump source;
    ASSERT_TRUE(source.LoadClump("models\\cubes.dff", "models\\", true));
    source.SetPosition({5, 0, 0});
    source.SetScale({1, 2, 1});
    SerializeTable(source, "clump.txt", "pitch", true);
    ASSERT_TRUE(source.LoadClump("models\\cubes.dff", "textures\\", true));
    SerializeTable(source, "retextured.txt", "pitch", true);

    CountingClump clump;
    SerializeTable(clump, "clump.txt", "pitch", false);
    // What a subclass adds to loading is not redone; the placement is read after loading.
    EXPECT_EQ(std::pair(Atomics(clump).size(), clump.loads), std::pair(size_t(2), 0));
    EXPECT_EQ(std::pair(clump.GetPosition(), clump.GetScale()), std::pair(Vector3(5, 0, 0), Vector3(1, 2, 1)));
    EXPECT_TRUE(Near(clump.GetInitialPosition(), {1, 2, 3}));
    // A reload would bring the file's opaque materials back.
    clump.SetAlpha(0.5f);
    SerializeTable(clump, "clump.txt", "pitch", false);
    EXPECT_EQ(MaterialColour(Atomics(clump)[0]).alpha, 128);
    SerializeTable(clump, "retextured.txt", "pitch", false);
    EXPECT_EQ(clump.GetTexturePath(), "textures\\");
    EXPECT_EQ(MaterialColour(Atomics(clump)[0]).alpha, 255);
}

TEST_F(ClumpTest, HiddenAtomicsAreNeitherDrawnNorBounded)
{
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "", true));
    clump.SetPosition({-1, -2, 27});  // the cubes at z = 30 and z = 20
    clump.Update(0);
    DrawCamera camera;
    const auto draws = [&] { return camera.Draw([&] { clump.Render(); }); };
    BoundingSphere sphere;
    const auto radius = [&] { return clump.GetBoundingSphere(sphere), sphere.radius; };
    EXPECT_EQ(draws().size(), 2u);
    EXPECT_GT(radius(), 6.0f);

    clump.ExcludeFromBounds({0});
    ASSERT_EQ(draws().size(), 1u);
    EXPECT_EQ(draws()[0].materialColour.green, 1.0f);
    // The model's origin merged with the green cube's sphere alone.
    const RwSphere& green = *RpAtomicGetBoundingSphere(Atomics(clump)[1]);
    const float half = (green.center.x + green.radius) / 2.0f;
    EXPECT_FLOAT_EQ(radius(), half);
    EXPECT_TRUE(Near(sphere.centre, {half, 0, 0}));

    clump.AddInvisibleAtomics({1, 1});  // every atomic hidden: the origin is left
    EXPECT_EQ(clump.GetInvisibleAtomics(), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(std::pair(radius(), draws().size()), std::pair(0.0f, size_t(0)));
    clump.SetInvisibleAtomics({});
    EXPECT_EQ(draws().size(), 2u);
}

TEST(BoundingSpheres, MergeGivesTheSmallestSphereAroundBoth)
{
    const BoundingSphere cases[][3] = {
        {{{0, 0, 0}, 1}, {{0, 0, 0}, 1}, {{0, 0, 0}, 1}},       {{{0, 0, 0}, 1}, {{0.5f, 0, 0}, 3}, {{0.5f, 0, 0}, 3}},
        {{{0.5f, 0, 0}, 3}, {{0, 0, 0}, 1}, {{0.5f, 0, 0}, 3}}, {{{0, 0, 0}, 1}, {{4, 0, 0}, 2}, {{2.5f, 0, 0}, 3.5f}},
        {{{4, 0, 0}, 2}, {{0, 0, 0}, 1}, {{2.5f, 0, 0}, 3.5f}}, {{{0, 0, 0}, 0}, {{0, 3, 0}, 1}, {{0, 2, 0}, 2}},
    };
    for (const auto& [a, b, merged] : cases) {
        EXPECT_TRUE(Near(MergeBoundingSpheres(a, b).centre, merged.centre, 1e-6f)) << b.centre.x;
        EXPECT_FLOAT_EQ(MergeBoundingSpheres(a, b).radius, merged.radius) << b.centre.x;
    }
}

TEST_F(ClumpTest, SetAlphaSetsEveryMaterialsAlphaAndModulatesByIt)
{
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "", true));
    for (const auto& [alpha, byte] : {std::pair{-1.0f, 0}, std::pair{2.0f, 255}, std::pair{0.5f, 128}}) {
        clump.SetAlpha(alpha);
        for (RpAtomic* atomic : Atomics(clump)) {
            EXPECT_TRUE(RpGeometryGetFlags(RpAtomicGetGeometry(atomic)) & rpGeometryModulateMaterialColor);
            EXPECT_EQ(MaterialColour(atomic).alpha, byte) << alpha;
        }
    }
}

TEST_F(ClumpTest, CloneCopiesPlacementAndModelButNotTheFilesOrHiddenAtomics)
{
    Clump source;
    ASSERT_TRUE(source.LoadClump("models\\cubes.dff", "models\\", true));
    source.SetName("keeper");
    source.SetPosition({1, 0, 0});
    source.SetRotation(Quaternion(1.0f, Vector3::UnitY));
    source.SetScale({3, 3, 3});
    source.SetVisible(false);
    source.AddInvisibleAtomics({1});
    std::unique_ptr<Clump> clone(source.Clone());
    EXPECT_STREQ(clone->GetName(), "keeper");
    EXPECT_NE(clone->GetRwClump(), source.GetRwClump());
    EXPECT_EQ(Atomics(*clone).size(), 2u);
    EXPECT_EQ(std::tuple(clone->GetPosition(), clone->GetRotation(), clone->GetScale(), clone->IsVisible()),
              std::tuple(source.GetPosition(), source.GetRotation(), source.GetScale(), false));
    EXPECT_EQ(std::tuple(clone->GetGeometry(), clone->GetInvisibleAtomics().size(), clone->GetInitialPosition()),
              std::tuple(std::string(), size_t(0), Vector3()));
    EXPECT_EQ(std::unique_ptr<Clump>(Clump().Clone())->GetRwClump(), nullptr);
}

TEST_F(ClumpTest, FreezeTransformMovesEveryVertexOnceAndResetsThePlacement)
{
    // On the placed root a cube and two atomics sharing a geometry; a cube on a child frame.
    const RwMatrix placement = FilePlacement();
    RpGeometry* shared = RpGeometryAddRef(MakeCube({3, 0, 0}, 1.0f, kGreen));
    RpClump* model = MakeClump({MakeCube({}, 1.0f, kRed), shared, shared, MakeCube({0, 1, 0}, 0.5f, kRed)}, &placement);
    RwFrame* child = RwFrameCreate();
    const RwV3d offset{0, 0, 4};
    RwFrameTranslate(child, &offset, rwCombineReplace);
    RwFrameAddChild(RpClumpGetFrame(model), child);
    RpAtomicSetFrame(model->atomics.back(), child);
    WriteClumpFile("models\\freeze.dff", model);

    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\freeze.dff", "", true));
    clump.SetPosition({0, 5, 0});
    clump.Update(0);
    const std::vector<RpAtomic*> atomics = Atomics(clump);
    ASSERT_EQ(RpAtomicGetGeometry(atomics[1]), RpAtomicGetGeometry(atomics[2]));
    std::vector<std::vector<RwV3d>> world;
    for (RpAtomic* atomic : atomics) {
        const RpGeometry* g = RpAtomicGetGeometry(atomic);
        world.emplace_back(static_cast<size_t>(g->numVertices));
        RwV3dTransformPoints(world.back().data(), g->morphTarget[0].verts, g->numVertices,
                             RwFrameGetLTM(RpAtomicGetFrame(atomic)));
    }
    const RwV3d normal = RpAtomicGetGeometry(atomics[3])->morphTarget[0].normals[0];

    clump.FreezeTransform();
    EXPECT_EQ(std::tuple(clump.GetPosition(), clump.GetRotation(), clump.GetInitialPosition(), clump.GetInitialRotation()),
              std::tuple(Vector3(), Quaternion::Identity, Vector3(), Quaternion::Identity));
    clump.Update(0);
    for (size_t a = 0; a < atomics.size(); ++a) {
        EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetLTM(RpAtomicGetFrame(atomics[a])), 1e-6f)) << a;
        const RpGeometry* g = RpAtomicGetGeometry(atomics[a]);
        for (int v = 0; v < g->numVertices; ++v)
            EXPECT_TRUE(Near(V(g->morphTarget[0].verts[v]), V(world[a][static_cast<size_t>(v)]))) << a << " " << v;
    }
    EXPECT_EQ(V(RpAtomicGetGeometry(atomics[3])->morphTarget[0].normals[0]), V(normal));
}

// A cube skinned to `bones` bones, bone i at x = i, with a chain of `nodes` frames under the root.
RpClump* MakeSkinned(int bones, int nodes, RwInt32 hierarchyFlags)
{
    RpGeometry* g = MakeCube({}, 1.0f, kRed);
    std::vector<RwMatrix> skinToBone(static_cast<size_t>(bones));
    for (int i = 0; i < bones; ++i) {
        RwMatrixSetIdentity(&skinToBone[static_cast<size_t>(i)]);
        skinToBone[static_cast<size_t>(i)].pos = {-static_cast<float>(i), 0, 0};
    }
    RpSkinVertexIndices indices[8] = {};
    RpSkinVertexWeights weights[8] = {{1}, {1}, {1}, {1}, {1}, {1}, {1}, {1}};
    RpSkinGeometrySetSkin(g, RpSkinCreate(8, bones, skinToBone.data(), indices, weights));
    RpClump* clump = MakeClump({g});
    std::vector<RwInt32> ids;
    for (RwFrame* parent = RpClumpGetFrame(clump); static_cast<int>(ids.size()) < nodes; parent = parent->child) {
        RwFrameAddChild(parent, RwFrameCreate());
        ids.push_back(static_cast<RwInt32>(ids.size()));
        RpHAnimFrameSetID(parent->child, ids.back());
    }
    RpHAnimFrameSetHierarchy(RpClumpGetFrame(clump)->child,
                             RpHAnimHierarchyCreate(nodes, nullptr, ids.data(), hierarchyFlags, 36));
    return clump;
}

TEST_F(ClumpTest, TheBindPoseIsWrittenForTheBonesBothSkinAndHierarchyHave)
{
    for (const auto& [bones, nodes] : {std::pair{3, 2}, std::pair{2, 3}, std::pair{2, 2}}) {
        WriteClumpFile("models\\skinned.dff", MakeSkinned(bones, nodes, 0));
        LogCapture log;
        Clump clump;
        ASSERT_TRUE(clump.LoadClump("models\\skinned.dff", "", true));
        EXPECT_EQ(log.Count("***WARNING: Clump::LoadClump: skin of " + std::to_string(bones) + " bones on a hierarchy of " +
                            std::to_string(nodes) + " nodes"),
                  bones != nodes ? 1 : 0);
        RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(clump.GetFrame()->child);
        ASSERT_NE(hierarchy, nullptr);
        EXPECT_TRUE(hierarchy->flags & rpHAnimHierarchyLocalSpaceMatrices);
        EXPECT_EQ(RpSkinAtomicGetHAnimHierarchy(Atomics(clump)[0]), hierarchy);
        // The inverse of skin-to-bone; a node without a bone keeps its own matrix.
        for (int i = 0; i < nodes; ++i)
            EXPECT_TRUE(Near(V(hierarchy->pMatrixArray[i].pos), {i < bones ? float(i) : 0.0f, 0, 0})) << bones << i;
    }
    Clump plain;  // without the bind pose the matrices stay as the hierarchy made them
    ASSERT_TRUE(plain.LoadClump("models\\skinned.dff", "", false));
    RpHAnimHierarchy* untouched = RpHAnimFrameGetHierarchy(plain.GetFrame()->child);
    EXPECT_FALSE(untouched->flags & rpHAnimHierarchyLocalSpaceMatrices);
    EXPECT_TRUE(RwMatrixIsIdentity(&untouched->pMatrixArray[1], 1e-6f));

    RpHAnimStreamAllowNoMatrices(true);
    WriteClumpFile("models\\nomatrices.dff", MakeSkinned(2, 2, rpHAnimHierarchyNoMatrices));
    RpHAnimStreamAllowNoMatrices(false);
    LogCapture log;
    EXPECT_FALSE(plain.LoadClump("models\\nomatrices.dff", "", true));
    EXPECT_EQ(plain.GetRwClump(), nullptr);
    EXPECT_EQ(log.lines, std::vector<std::string>{"***ERROR: Clump::LoadClump: Clump is exported with no matrices!\n"});
}

}  // namespace
