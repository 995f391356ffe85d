// Render objects: models loaded from clump files (placement, fallbacks, table reloads, hidden
// atomics, bounds, alpha, cloning, freezing, the bind pose of skinned models) and lists.
#include "support/SceneTest.h"

#include "engine/core/NullDevice.h"
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/MathUtil.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "tests/support/LogCapture.h"

namespace {

using Lines = std::vector<std::string>;
constexpr RwRGBA kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255};

// Eight corners around the centre, two triangles and one material of the colour.
RpGeometry* MakeCube(Vector3 centre, float half, RwRGBA colour)
{
    RpGeometry* g = RpGeometryCreate(8, 2, rpGeometryNormals);
    for (int i = 0; i < 8; ++i) {
        const RwV3d corner{(i & 1) ? half : -half, (i & 2) ? half : -half, (i & 4) ? half : -half};
        g->morphTarget[0].verts[i] = {centre.x + corner.x, centre.y + corner.y, centre.z + corner.z};
        g->morphTarget[0].normals[i] = corner;
    }
    g->triangles[0] = {{0, 1, 2}, 0};
    g->triangles[1] = {{5, 6, 7}, 0};
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RpMaterial* material = RpMaterialCreate();
    RpGeometryAddMaterial(g, RpMaterialSetColor(material, &colour));
    RpMaterialDestroy(material);
    return g;
}

// An atomic for each geometry (given away) on the root frame, which is turned 90 degrees about y
// and moved to (1, 2, 3).
RpClump* MakeModel(const std::vector<RpGeometry*>& geometries)
{
    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    const RwV3d y{0, 1, 0}, pos{1, 2, 3};
    RwFrameRotate(root, &y, 90.0f, rwCombineReplace);
    RpClumpSetFrame(clump, RwFrameTranslate(root, &pos, rwCombinePostMultiply));
    for (RpGeometry* geometry : geometries) {
        RpClumpAddAtomic(clump, RpAtomicSetFrame(RpAtomicSetGeometry(RpAtomicCreate(), geometry), root));
        RpGeometryDestroy(geometry);
    }
    return clump;
}

void WriteModel(const char* path, RpClump* clump)
{
    WriteEngineFile(path, [&](RwStream* stream) { return RpClumpStreamWrite(clump, stream) != nullptr; });
    RpClumpDestroy(clump);
}

RwUInt8 Alpha(const RpAtomic* atomic)
{
    return atomic->geometry->matList.materials[0]->color.alpha;
}

// The clump loaded from "models\cubes.dff": a red cube at the origin and a green one at x = 10.
class ClumpTest : public SceneTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        WriteModel("models\\cubes.dff", MakeModel({MakeCube({}, 1.0f, kRed), MakeCube({10, 0, 0}, 1.0f, kGreen)}));
    }
    void SetUp() override { ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "models\\", true)); }
    const std::vector<RpAtomic*>& Atomics() const { return clump.GetRwClump()->atomics; }

    Clump clump;
};

TEST_F(ClumpTest, ALoadedModelIsPlacedOnTopOfItsFilePlacementAndItsCloneCopiesThatPlacement)
{
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

    // Neither the file names nor the hidden atomics nor the file's placement come along.
    clump.SetName("keeper");
    clump.SetVisible(false);
    clump.AddInvisibleAtomics({1});
    std::unique_ptr<Clump> clone(clump.Clone());
    EXPECT_EQ(std::tuple(std::string(clone->GetName()), clone->GetPosition(), clone->GetRotation(), clone->GetScale(),
                         clone->IsVisible(), clone->GetGeometry(), clone->GetInvisibleAtomics().size(),
                         clone->GetInitialPosition(), clone->GetRwClump()->atomics.size()),
              std::tuple("keeper", clump.GetPosition(), clump.GetRotation(), clump.GetScale(), false, "", size_t(0),
                         Vector3(), size_t(2)));
    EXPECT_NE(clone->GetRwClump(), clump.GetRwClump());
    EXPECT_EQ(std::unique_ptr<Clump>(Clump().Clone())->GetRwClump(), nullptr);
}

TEST_F(ClumpTest, AFileThatCannotBeReadGivesTheDummyAndAnEmptyNameChangesNothing)
{
    const RpClump* model = clump.GetRwClump();
    EXPECT_FALSE(clump.LoadClump("", "other\\", true));
    EXPECT_EQ(std::tuple(clump.GetRwClump(), clump.GetGeometry(), clump.GetTexturePath()),
              std::tuple(model, "models\\cubes.dff", "models\\"));
    // A texture dictionary where a model should be: nothing may be read from it.
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    WriteEngineFile("models\\notaclump.dff", [&](RwStream* s) { return RwTexDictionaryStreamWrite(dictionary, s); });
    RwTexDictionaryDestroy(dictionary);
    const std::string dummy = "***ERROR: Clump::LoadClump: Failed to read clump, creating a dummy clump.\n";
    const std::pair<const char*, Lines> cases[] = {
        {"models\\missing.dff",
         {"RwStreamOpen: cannot open models\\missing.dff\n",
          "***ERROR: Clump::LoadClump: Failed to load file <models\\missing.dff>!\n", dummy}},
        {"models\\notaclump.dff", {"***ERROR: Clump::LoadClump: Could not find chunk.\n", dummy}},
    };
    for (const auto& [file, lines] : cases) {
        LogCapture log;
        EXPECT_TRUE(clump.LoadClump(file, "", true));
        BoundingSphere sphere;
        clump.GetBoundingSphere(sphere);
        EXPECT_EQ(std::tuple(log.lines, Atomics().size(), sphere.radius), std::tuple(lines, size_t(1), 1.0f));
    }
}

TEST_F(ClumpTest, ATableReloadsTheModelOnlyWhenItsFilesChangeAndKeepsItsAlphaOtherwise)
{
    clump.SetPosition({5, 0, 0});
    clump.SetScale({1, 2, 1});
    SerializeTable(clump, "clump.txt", "pitch", true);
    ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "textures\\", true));
    SerializeTable(clump, "retextured.txt", "pitch", true);
    Clump copy;
    SerializeTable(copy, "clump.txt", "pitch", false);
    // The placement is read after loading.
    EXPECT_EQ(std::tuple(copy.GetPosition(), copy.GetScale(), copy.GetInitialPosition()),
              std::tuple(Vector3(5, 0, 0), Vector3(1, 2, 1), clump.GetInitialPosition()));
    // Alpha is clamped and modulates every material; a reload would bring the opaque ones back.
    for (const auto& [alpha, byte] : {std::pair{-1.0f, 0}, std::pair{2.0f, 255}, std::pair{0.5f, 128}}) {
        copy.SetAlpha(alpha);
        for (const RpAtomic* atomic : copy.GetRwClump()->atomics)
            EXPECT_TRUE(Alpha(atomic) == byte && (atomic->geometry->flags & rpGeometryModulateMaterialColor));
    }
    SerializeTable(copy, "clump.txt", "pitch", false);
    EXPECT_EQ(Alpha(copy.GetRwClump()->atomics[0]), 128);
    SerializeTable(copy, "retextured.txt", "pitch", false);
    EXPECT_EQ(std::pair(copy.GetTexturePath(), Alpha(copy.GetRwClump()->atomics[0])),
              std::pair(std::string("textures\\"), RwUInt8(255)));
}

TEST_F(ClumpTest, HiddenAtomicsAreNeitherDrawnNorBounded)
{
    Camera camera;
    ASSERT_TRUE(camera.Create(64, 64, false, false, 0, 0));
    camera.SetClipPlanes(0.1f, 100.0f);
    clump.SetPosition({-1, -2, 27});  // the cubes at z = 30 and z = 20
    clump.Update(0);
    const auto draws = [&] {
        RwNullDeviceGet()->ClearLog();
        camera.BeginUpdate();
        clump.Render();
        return camera.EndUpdate(), RwNullDeviceGet()->draws;
    };
    BoundingSphere sphere;
    const auto radius = [&] { return clump.GetBoundingSphere(sphere), sphere.radius; };
    EXPECT_EQ(std::pair(draws().size(), radius() > 6.0f), std::pair(size_t(2), true));
    clump.ExcludeFromBounds({0});
    ASSERT_EQ(draws().size(), 1u);
    EXPECT_EQ(draws()[0].materialColour.green, 1.0f);
    // The model's origin merged with the green cube's sphere alone.
    const RwSphere& green = *RpAtomicGetBoundingSphere(Atomics()[1]);
    const float half = (green.center.x + green.radius) / 2.0f;
    EXPECT_NEAR(radius(), half, 1e-5f);
    EXPECT_TRUE(Near(sphere.centre, {half, 0, 0}));
    clump.AddInvisibleAtomics({1, 1});  // every atomic hidden: the origin is left
    EXPECT_EQ(std::tuple(clump.GetInvisibleAtomics(), radius(), draws().size()),
              std::tuple(std::vector<int>{0, 1, 1}, 0.0f, size_t(0)));
    clump.SetInvisibleAtomics({});
    EXPECT_EQ(draws().size(), 2u);
}

TEST(BoundingSpheres, MergeGivesTheSmallestSphereAroundBoth)
{
    // One holding the other gives it, whichever comes first; else the sphere touching both far sides.
    const BoundingSphere cases[][3] = {
        {{{0, 0, 0}, 1}, {{2, 0, 0}, 5}, {{2, 0, 0}, 5}}, {{{2, 0, 0}, 5}, {{0, 0, 0}, 1}, {{2, 0, 0}, 5}},
        {{{0, 0, 0}, 1}, {{2, 0, 0}, 2}, {{1.5f, 0, 0}, 2.5f}}, {{{0, 3, 0}, 1}, {{0, 0, 0}, 0}, {{0, 2, 0}, 2}}};
    for (const auto& [a, b, merged] : cases)
        EXPECT_TRUE(Near(MergeBoundingSpheres(a, b).centre, merged.centre, 1e-6f) &&
                    MergeBoundingSpheres(a, b).radius == merged.radius) << b.centre.x;
}

TEST_F(ClumpTest, FreezeTransformMovesEveryVertexOnceAndResetsThePlacement)
{
    // A cube and two atomics sharing a geometry on the root; a cube on a child frame.
    RpGeometry* shared = RpGeometryAddRef(MakeCube({3, 0, 0}, 1.0f, kGreen));
    RpClump* model = MakeModel({MakeCube({}, 1.0f, kRed), shared, shared, MakeCube({0, 1, 0}, 0.5f, kRed)});
    const RwV3d offset{0, 0, 4};
    RwFrameAddChild(RpClumpGetFrame(model), RwFrameTranslate(RwFrameCreate(), &offset, rwCombineReplace));
    RpAtomicSetFrame(model->atomics.back(), RpClumpGetFrame(model)->child);
    WriteModel("models\\freeze.dff", model);
    ASSERT_TRUE(clump.LoadClump("models\\freeze.dff", "", true));
    ASSERT_EQ(Atomics()[1]->geometry, Atomics()[2]->geometry);
    clump.SetPosition({0, 5, 0});
    clump.Update(0);
    clump.FreezeTransform();
    EXPECT_EQ(std::tuple(clump.GetPosition(), clump.GetRotation(), clump.GetInitialPosition(),
                         clump.GetInitialRotation()),
              std::tuple(Vector3(), Quaternion::Identity, Vector3(), Quaternion::Identity));
    clump.Update(0);
    // Each atomic's first corner where the placement put it: (x, y, z) -> (z, y, -x) + (1, 7, 3).
    const Vector3 corners[4] = {{0, 6, 4}, {0, 6, 1}, {0, 6, 1}, {4.5f, 7.5f, 3.5f}};
    for (size_t a = 0; a < 4; ++a)
        EXPECT_TRUE(Near(V(Atomics()[a]->geometry->morphTarget[0].verts[0]), corners[a]) &&
                    RwMatrixIsIdentity(RwFrameGetLTM(RpAtomicGetFrame(Atomics()[a])), 1e-6f)) << a;
    EXPECT_EQ(V(Atomics()[3]->geometry->morphTarget[0].normals[7]), Vector3(0.5f, 0.5f, 0.5f));  // normals stay
}

// A cube skinned to `bones` bones, bone i at x = i + 1, under a chain of `nodes` frames.
void WriteSkinned(const char* path, int bones, int nodes, RwInt32 hierarchyFlags)
{
    RpGeometry* cube = MakeCube({}, 1.0f, kRed);
    std::vector<RwMatrix> skinToBone(static_cast<size_t>(bones));
    for (int i = 0; i < bones; ++i)
        RwMatrixSetIdentity(&skinToBone[static_cast<size_t>(i)])->pos = {-static_cast<float>(i + 1), 0, 0};
    RpSkinVertexIndices indices[8] = {};
    RpSkinVertexWeights weights[8] = {{1}, {1}, {1}, {1}, {1}, {1}, {1}, {1}};
    RpSkinGeometrySetSkin(cube, RpSkinCreate(8, bones, skinToBone.data(), indices, weights));
    RpClump* clump = MakeModel({cube});
    std::vector<RwInt32> ids;
    for (RwFrame* parent = RpClumpGetFrame(clump); static_cast<int>(ids.size()) < nodes; parent = parent->child) {
        RwFrameAddChild(parent, RwFrameCreate());
        ids.push_back(static_cast<RwInt32>(ids.size()));
        RpHAnimFrameSetID(parent->child, ids.back());
    }
    RpHAnimHierarchy* hierarchy = RpHAnimHierarchyCreate(nodes, nullptr, ids.data(), hierarchyFlags, 36);
    RpHAnimFrameSetHierarchy(RpClumpGetFrame(clump)->child, hierarchy);
    WriteModel(path, clump);
}

TEST_F(ClumpTest, TheBindPoseIsWrittenForTheBonesBothSkinAndHierarchyHave)
{
    for (const auto& [bones, nodes] : {std::pair{3, 2}, std::pair{2, 3}, std::pair{2, 2}}) {
        WriteSkinned("models\\skinned.dff", bones, nodes, 0);
        LogCapture log;
        ASSERT_TRUE(clump.LoadClump("models\\skinned.dff", "", true));
        EXPECT_EQ(log.Count("***WARNING: Clump::LoadClump: skin of " + std::to_string(bones) +
                            " bones on a hierarchy of " + std::to_string(nodes) + " nodes"),
                  bones != nodes ? 1 : 0);
        const RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(clump.GetFrame()->child);
        ASSERT_TRUE(hierarchy && (hierarchy->flags & rpHAnimHierarchyLocalSpaceMatrices) &&
                    RpSkinAtomicGetHAnimHierarchy(Atomics()[0]) == hierarchy);
        // The inverse of skin-to-bone; a node without a bone keeps its own matrix.
        for (int i = 0; i < nodes; ++i)
            EXPECT_TRUE(Near(V(hierarchy->pMatrixArray[i].pos), {i < bones ? i + 1.0f : 0.0f, 0, 0})) << bones << i;
    }
    ASSERT_TRUE(clump.LoadClump("models\\skinned.dff", "", false));  // the matrices stay as made
    const RpHAnimHierarchy* untouched = RpHAnimFrameGetHierarchy(clump.GetFrame()->child);
    EXPECT_TRUE(!(untouched->flags & rpHAnimHierarchyLocalSpaceMatrices) &&
                RwMatrixIsIdentity(&untouched->pMatrixArray[1], 1e-6f));

    RpHAnimStreamAllowNoMatrices(true);
    WriteSkinned("models\\nomatrices.dff", 2, 2, rpHAnimHierarchyNoMatrices);
    RpHAnimStreamAllowNoMatrices(false);
    LogCapture log;
    EXPECT_FALSE(clump.LoadClump("models\\nomatrices.dff", "", true) || clump.GetRwClump());
    EXPECT_EQ(log.lines, Lines{"***ERROR: Clump::LoadClump: Clump is exported with no matrices!\n"});
}

using Journal = std::vector<std::string>;

// Records what reaches it, and its end.
struct Probe : RenderObject {
    Probe(std::string name, Journal& journal) : name(std::move(name)), journal(journal) {}
    ~Probe() override { journal.push_back("delete " + name); }
    void Render() override { journal.push_back("render " + name); }
    void Update(float dt) override { journal.push_back("update " + name + " " + std::to_string(dt)); }
    std::string name;
    Journal& journal;
};

TEST(RenderObjectsList, PassesDrawingUpdatingAndPlacementOnToMembersItDoesNotOwn)
{
    Journal journal;
    auto a = std::make_unique<Probe>("a", journal), b = std::make_unique<Probe>("b", journal);
    Object notDrawable;
    auto list = std::make_unique<RenderObjectsList>();
    EXPECT_FALSE(list->Add(&notDrawable) || list->Add(nullptr) || !list->IsEmpty() || list->Get(0) || list->Get(-1));
    EXPECT_TRUE(list->Add(a.get()) && list->Add(b.get()) && list->Add(a.get()));
    EXPECT_EQ(std::pair(list->Count(), list->IsEmpty()), std::pair(3, false));
    EXPECT_TRUE(list->Remove(a.get()));  // the first entry only
    EXPECT_FALSE(list->Remove(&notDrawable) || list->Remove(list.get()));
    // Get is bounded; a negative index gives the first member.
    EXPECT_EQ(std::tuple(list->Get(0), list->Get(1), list->Get(2), list->Get(-5)),
              std::tuple(b.get(), a.get(), nullptr, b.get()));
    list->SetVisible(false);  // the list draws regardless
    list->Render();
    list->Update(0.5f);
    a->SetPosition({1, 1, 1});
    list->SetPosition({3, 4, 5});  // the same absolute placement for every member
    list->SetRotation({0.5f, 0.5f, 0.5f, 0.5f});
    for (RenderObject* object : std::initializer_list<RenderObject*>{a.get(), b.get(), list.get()})
        EXPECT_EQ(std::pair(object->GetPosition(), object->GetRotation()),
                  std::pair(Vector3(3, 4, 5), Quaternion(0.5f, 0.5f, 0.5f, 0.5f)));
    list->Clear();
    EXPECT_TRUE(list->IsEmpty());
    list->Add(a.get());
    list.reset();
    b.reset();
    EXPECT_EQ(journal, (Journal{"render b", "render a", "update b 0.500000", "update a 0.500000", "delete b"}));
}

}  // namespace
