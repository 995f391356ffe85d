// Models loaded from clump files: fallback, table reloads, hidden atomics, bounds, alpha,
// cloning, freezing and the bind pose of skinned models.
#include "SceneCoreSupport.h"

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "framework/MathUtil.h"
#include "scene/Clump.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

using namespace scenetest;

class ClumpTest : public NullSceneTest {};

constexpr RwRGBA kRed{255, 0, 0, 255};
constexpr RwRGBA kGreen{0, 255, 0, 255};

// Two cubes on one root frame, placed at (1, 2, 3) and turned 90 degrees about y.
RpClump* MakeTwoCubes()
{
    RwMatrix placement;
    const RwV3d y{0, 1, 0}, pos{1, 2, 3};
    RwMatrixRotate(&placement, &y, 90.0f, rwCombineReplace);
    RwMatrixTranslate(&placement, &pos, rwCombinePostMultiply);
    return MakeClump({MakeCube({0, 0, 0}, 1.0f, kRed), MakeCube({10, 0, 0}, 1.0f, kGreen)}, &placement);
}

void WriteTwoCubes(const std::string& path)
{
    RpClump* clump = MakeTwoCubes();
    WriteClumpFile(path, clump);
    RpClumpDestroy(clump);
}

::testing::AssertionResult Near(const Vector3& got, const Vector3& want, float tolerance = 1e-4f)
{
    if ((got - want).Length() <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << "), wanted ("
                                         << want.x << ", " << want.y << ", " << want.z << ")";
}

Vector3 V(const RwV3d& v)
{
    return {v.x, v.y, v.z};
}

void WriteTable(Object& object, const char* path, const char* name)
{
    File* file = FileSystem::Instance()->OpenWrite(path);
    ASSERT_NE(file, nullptr);
    {
        AsciiSerializer writer(file, true);
        object.Serialize(writer, name);
    }
    ASSERT_TRUE(FileSystem::Instance()->Close(file));
}

void ReadTable(Object& object, const char* path, const char* name)
{
    File* file = FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr);
    {
        AsciiSerializer reader(file, false);
        object.Serialize(reader, name);
    }
    FileSystem::Instance()->Close(file);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void ReplaceText(const std::string& path, const std::string& from, const std::string& to)
{
    std::string text = ReadText(path);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    std::ofstream(path, std::ios::binary) << text;
}

RwUInt8 MaterialAlpha(RpAtomic* atomic)
{
    return RpAtomicGetGeometry(atomic)->matList.materials[0]->color.alpha;
}

TEST_F(ClumpTest, LoadsAGeneratedFileAndPlacesItOnTopOfItsFilePlacement)
{
    WriteTwoCubes("models/cubes.dff");
    LogLines log;
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "models\\", true));
    EXPECT_EQ(NewErrors(), 0);
    EXPECT_EQ(clump.GetGeometry(), "models\\cubes.dff");
    EXPECT_EQ(clump.GetTexturePath(), "models\\");

    std::vector<RpAtomic*> atomics{nullptr};
    EXPECT_EQ(clump.GetAtomics(atomics), 3);  // appends to what is there
    EXPECT_EQ(atomics[0], nullptr);

    EXPECT_TRUE(Near(clump.GetInitialPosition(), {1, 2, 3}));
    EXPECT_TRUE(Near(clump.GetInitialRotation().Rotate(Vector3::UnitX), {0, 0, -1}));
    EXPECT_EQ(clump.GetPosition(), Vector3(0, 0, 0));
    EXPECT_EQ(clump.GetRotation(), Quaternion::Identity);

    // Translation adds to the file's; rotation acts after the file's; scale acts first.
    clump.SetPosition({10, 0, 0});
    clump.SetRotation(Quaternion(Math::HalfPi, Vector3::UnitZ));
    clump.SetScale({2, 2, 2});
    clump.Update(0.1f);
    const RwMatrix* m = clump.GetFrameMatrix();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(Near(V(m->pos), {11, 2, 3}));
    // x -> (0, 0, -1) by the file, unchanged by the turn about z, doubled by the scale.
    EXPECT_TRUE(Near(V(m->right), {0, 0, -2}));
    // y -> y by the file, then -x by the turn about z.
    EXPECT_TRUE(Near(V(m->up), {-2, 0, 0}));
}

TEST_F(ClumpTest, AMissingFileGivesTheDummyWithTwoErrorLines)
{
    LogLines log;
    Clump clump;
    EXPECT_TRUE(clump.LoadClump("models\\missing.dff", "", true));
    ASSERT_NE(clump.GetRwClump(), nullptr);
    EXPECT_EQ(RpClumpGetNumAtomics(clump.GetRwClump()), 1);
    EXPECT_EQ(NewErrors(), 2);
    EXPECT_EQ(log.Count("***ERROR: Clump::LoadClump: Failed to load file <models\\missing.dff>!\n"), 1);
    EXPECT_EQ(log.Count("***ERROR: Clump::LoadClump: Failed to read clump, creating a dummy clump.\n"), 1);
    BoundingSphere sphere;
    clump.GetBoundingSphere(sphere);
    EXPECT_FLOAT_EQ(sphere.radius, 1.0f);
}

TEST_F(ClumpTest, AFileWithoutAClumpChunkIsNotReadAndGivesTheDummy)
{
    // A texture dictionary where a model should be.
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    WriteWithEngine("models/notaclump.dff", dictionary, RwTexDictionaryStreamWrite);
    RwTexDictionaryDestroy(dictionary);

    LogLines log;
    Clump clump;
    EXPECT_TRUE(clump.LoadClump("models\\notaclump.dff", "", true));
    ASSERT_NE(clump.GetRwClump(), nullptr);
    EXPECT_EQ(RpClumpGetNumAtomics(clump.GetRwClump()), 1);
    EXPECT_EQ(log.Count("Clump::LoadClump: Could not find chunk.\n"), 1);
    EXPECT_EQ(log.Count("Clump::LoadClump: Failed to read clump, creating a dummy clump.\n"), 1);
    EXPECT_EQ(NewErrors(), 2);
}

TEST_F(ClumpTest, AnEmptyNameKeepsTheModel)
{
    WriteTwoCubes("models/cubes.dff");
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "", true));
    RpClump* before = clump.GetRwClump();
    EXPECT_FALSE(clump.LoadClump("", "other\\", true));
    EXPECT_EQ(clump.GetRwClump(), before);
    EXPECT_EQ(clump.GetGeometry(), "models\\cubes.dff");
    EXPECT_EQ(clump.GetTexturePath(), "");
}

TEST_F(ClumpTest, ReadingAnUnchangedTableDoesNotReload)
{
    WriteTwoCubes("models/cubes.dff");
    Clump source;
    ASSERT_TRUE(source.LoadClump("models\\cubes.dff", "models\\", true));
    source.SetPosition({5, 0, 0});
    source.SetScale({1, 2, 1});
    WriteTable(source, "clump.txt", "pitch");

    Clump clump;
    ReadTable(clump, "clump.txt", "pitch");
    ASSERT_NE(clump.GetRwClump(), nullptr);
    std::vector<RpAtomic*> atomics;
    ASSERT_EQ(clump.GetAtomics(atomics), 2);
    // The placement comes from the table, read after loading.
    EXPECT_EQ(clump.GetPosition(), Vector3(5, 0, 0));
    EXPECT_EQ(clump.GetScale(), Vector3(1, 2, 1));
    EXPECT_TRUE(Near(clump.GetInitialPosition(), {1, 2, 3}));

    // A reload would bring the file's opaque materials back.
    clump.SetAlpha(0.5f);
    clump.SetPosition({0, 0, 0});
    ReadTable(clump, "clump.txt", "pitch");
    atomics.clear();
    clump.GetAtomics(atomics);
    EXPECT_EQ(MaterialAlpha(atomics[0]), 128);
    EXPECT_EQ(clump.GetPosition(), Vector3(5, 0, 0));

    // Another texture folder does reload.
    ReplaceText("clump.txt", "\"models\\\"", "\"textures\\\"");
    ReadTable(clump, "clump.txt", "pitch");
    EXPECT_EQ(clump.GetTexturePath(), "textures\\");
    atomics.clear();
    ASSERT_EQ(clump.GetAtomics(atomics), 2);
    EXPECT_EQ(MaterialAlpha(atomics[0]), 255);
}

TEST_F(ClumpTest, InvisibleAtomicsLeaveTheDrawsAndTheBounds)
{
    RpClump* engineClump = MakeClump({MakeCube({0, 0, 0}, 1.0f, kRed), MakeCube({10, 0, 0}, 1.0f, kGreen)});
    WriteClumpFile("models/pair.dff", engineClump);
    RpClumpDestroy(engineClump);
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\pair.dff", "", true));
    clump.SetPosition({-5, 0, 30});
    clump.Update(0);

    TestCamera camera;
    camera.Draw([&] { clump.Render(); });
    ASSERT_EQ(MeshDraws().size(), 2u);

    BoundingSphere all;
    clump.GetBoundingSphere(all);
    EXPECT_GT(all.radius, 6.0f);

    clump.ExcludeFromBounds({0});
    RwNullDeviceGet()->ClearLog();
    camera.Draw([&] { clump.Render(); });
    const std::vector<RwNullDrawRecord> draws = MeshDraws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_FLOAT_EQ(draws[0].materialColour.green, 1.0f);
    EXPECT_FLOAT_EQ(draws[0].materialColour.red, 0.0f);

    // The origin merged with the second cube's sphere alone.
    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    const RwSphere& second = *RpAtomicGetBoundingSphere(atomics[1]);
    const BoundingSphere expected = MergeBoundingSpheres({}, {V(second.center), second.radius});
    BoundingSphere visible;
    clump.GetBoundingSphere(visible);
    EXPECT_TRUE(Near(visible.centre, expected.centre));
    EXPECT_FLOAT_EQ(visible.radius, expected.radius);
    EXPECT_FLOAT_EQ(visible.radius, (10.0f + second.radius) / 2.0f);

    // Hiding every atomic leaves the origin.
    clump.AddInvisibleAtomics({1, 1});
    EXPECT_EQ(clump.GetInvisibleAtomics(), (std::vector<int>{0, 1, 1}));
    clump.GetBoundingSphere(visible);
    EXPECT_EQ(visible.radius, 0.0f);
    RwNullDeviceGet()->ClearLog();
    camera.Draw([&] { clump.Render(); });
    EXPECT_TRUE(MeshDraws().empty());

    // The list can be taken and put back whole.
    const std::vector<int> kept = clump.GetInvisibleAtomics();
    clump.SetInvisibleAtomics({});
    RwNullDeviceGet()->ClearLog();
    camera.Draw([&] { clump.Render(); });
    EXPECT_EQ(MeshDraws().size(), 2u);
    clump.SetInvisibleAtomics(kept);
    EXPECT_EQ(clump.GetInvisibleAtomics(), kept);
}

TEST(BoundingSpheres, Merge)
{
    const BoundingSphere a{{0, 0, 0}, 1.0f};
    const BoundingSphere twin{{0, 0, 0}, 1.0f};
    // Equal spheres: the first.
    const BoundingSphere same = MergeBoundingSpheres(a, twin);
    EXPECT_EQ(same.radius, 1.0f);
    EXPECT_EQ(same.centre, Vector3(0, 0, 0));

    // One inside the other: the larger, whichever comes first.
    const BoundingSphere big{{0.5f, 0, 0}, 3.0f};
    EXPECT_EQ(MergeBoundingSpheres(a, big).radius, 3.0f);
    EXPECT_EQ(MergeBoundingSpheres(a, big).centre, Vector3(0.5f, 0, 0));
    EXPECT_EQ(MergeBoundingSpheres(big, a).radius, 3.0f);

    // Apart: the sphere touching both far sides.
    const BoundingSphere b{{4, 0, 0}, 2.0f};
    const BoundingSphere merged = MergeBoundingSpheres(a, b);
    EXPECT_FLOAT_EQ(merged.radius, 3.5f);
    EXPECT_TRUE(Near(merged.centre, {2.5f, 0, 0}));
    const BoundingSphere reversed = MergeBoundingSpheres(b, a);
    EXPECT_FLOAT_EQ(reversed.radius, 3.5f);
    EXPECT_TRUE(Near(reversed.centre, {2.5f, 0, 0}));
}

TEST_F(ClumpTest, SetAlphaGives128AndModulatesByTheMaterial)
{
    RpClump* engineClump = MakeClump({MakeCube({0, 0, 0}, 1.0f, kRed, 0), MakeCube({0, 0, 0}, 2.0f, kGreen, 0)});
    WriteClumpFile("models/alpha.dff", engineClump);
    RpClumpDestroy(engineClump);
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\alpha.dff", "", true));
    clump.SetPosition({0, 0, 20});
    clump.Update(0);
    clump.SetAlpha(0.5f);

    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    for (RpAtomic* atomic : atomics) {
        RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        EXPECT_TRUE(RpGeometryGetFlags(geometry) & rpGeometryModulateMaterialColor);
        for (int i = 0; i < geometry->matList.numMaterials; ++i)
            EXPECT_EQ(geometry->matList.materials[i]->color.alpha, 128);
    }
    TestCamera camera;
    camera.Draw([&] { clump.Render(); });
    ASSERT_EQ(MeshDraws().size(), 2u);
    for (const RwNullDrawRecord& draw : MeshDraws()) {
        EXPECT_FLOAT_EQ(draw.materialColour.alpha, 128.0f / 255.0f);
        EXPECT_TRUE(draw.transparent);
    }
}

TEST_F(ClumpTest, CloneCopiesPlacementAndModelButNotTheFileOrHiddenAtomics)
{
    WriteTwoCubes("models/cubes.dff");
    Clump source;
    ASSERT_TRUE(source.LoadClump("models\\cubes.dff", "models\\", true));
    source.SetName("keeper");
    source.SetPosition({1, 0, 0});
    source.SetRotation(Quaternion(1.0f, Vector3::UnitY));
    source.SetScale({3, 3, 3});
    source.SetVisible(false);
    source.AddInvisibleAtomics({1});

    std::unique_ptr<Clump> clone(source.Clone());
    ASSERT_NE(clone->GetRwClump(), nullptr);
    EXPECT_NE(clone->GetRwClump(), source.GetRwClump());
    EXPECT_EQ(RpClumpGetNumAtomics(clone->GetRwClump()), 2);
    ASSERT_NE(clone->GetName(), nullptr);
    EXPECT_STREQ(clone->GetName(), "keeper");
    EXPECT_NE(clone->GetName(), source.GetName());
    EXPECT_EQ(clone->GetPosition(), source.GetPosition());
    EXPECT_EQ(clone->GetRotation(), source.GetRotation());
    EXPECT_EQ(clone->GetScale(), Vector3(3, 3, 3));
    EXPECT_FALSE(clone->IsVisible());
    EXPECT_EQ(clone->GetGeometry(), "");
    EXPECT_EQ(clone->GetTexturePath(), "");
    EXPECT_TRUE(clone->GetInvisibleAtomics().empty());
    EXPECT_EQ(clone->GetInitialPosition(), Vector3(0, 0, 0));

    Clump empty;
    std::unique_ptr<Clump> emptyClone(empty.Clone());
    EXPECT_EQ(emptyClone->GetRwClump(), nullptr);
}

TEST_F(ClumpTest, FreezeTransformMovesEveryAtomicsVerticesAndResetsThePlacement)
{
    WriteTwoCubes("models/cubes.dff");
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\cubes.dff", "", true));
    clump.SetPosition({0, 5, 0});
    clump.Update(0);

    // Where every vertex is in the world before freezing.
    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    std::vector<std::vector<RwV3d>> before;
    for (RpAtomic* atomic : atomics) {
        RpGeometry* g = RpAtomicGetGeometry(atomic);
        std::vector<RwV3d> world(static_cast<size_t>(g->numVertices));
        RwV3dTransformPoints(world.data(), g->morphTarget[0].verts, g->numVertices,
                             RwFrameGetLTM(RpAtomicGetFrame(atomic)));
        before.push_back(world);
    }
    const RwV3d normal = RpAtomicGetGeometry(atomics[1])->morphTarget[0].normals[0];

    clump.FreezeTransform();
    EXPECT_EQ(clump.GetPosition(), Vector3(0, 0, 0));
    EXPECT_EQ(clump.GetRotation(), Quaternion::Identity);
    EXPECT_EQ(clump.GetInitialPosition(), Vector3(0, 0, 0));
    EXPECT_EQ(clump.GetInitialRotation(), Quaternion::Identity);
    clump.Update(0);
    EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetLTM(clump.GetFrame()), 1e-6f));

    // Both atomics share the root frame: each is moved, by the whole placement.
    for (size_t a = 0; a < atomics.size(); ++a) {
        RpGeometry* g = RpAtomicGetGeometry(atomics[a]);
        for (int v = 0; v < g->numVertices; ++v)
            EXPECT_TRUE(Near(V(g->morphTarget[0].verts[v]), V(before[a][size_t(v)]), 1e-4f)) << a << " " << v;
    }
    const RwV3d after = RpAtomicGetGeometry(atomics[1])->morphTarget[0].normals[0];
    EXPECT_EQ(V(after), V(normal));
}

TEST(FrameHelper, OrientationReplacesTheMatrixWithTheRotation)
{
    RwFrame* frame = RwFrameCreate();
    FrameHelper helper(frame);
    EXPECT_EQ(helper.GetFrame(), frame);
    helper.Translate({1, 2, 3}, rwCombineReplace);
    helper.SetOrientation(Quaternion::Identity);
    EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetMatrix(frame), 1e-6f));

    helper.SetOrientation(Quaternion(Math::HalfPi, Vector3::UnitZ));
    const RwMatrix* m = RwFrameGetMatrix(frame);
    EXPECT_TRUE(Near(V(m->right), {0, 1, 0}, 1e-5f));
    EXPECT_TRUE(Near(V(m->pos), {0, 0, 0}));

    // Radians, combined after what is there.
    helper.Rotate(Vector3::UnitZ, Math::HalfPi, rwCombinePostMultiply);
    EXPECT_TRUE(Near(V(RwFrameGetMatrix(frame)->right), {-1, 0, 0}, 1e-5f));
    RwFrameDestroy(frame);

    FrameHelper none(nullptr);
    none.SetOrientation(Quaternion::Identity);  // no frame: nothing happens
}

// A bar skinned to `bones` bones, with a hierarchy of `nodes` nodes on the frame under the root.
RpClump* MakeSkinned(int bones, int nodes, RwInt32 hierarchyFlags)
{
    RpGeometry* g = MakeCube({0, 0, 0}, 1.0f, kRed);
    std::vector<RwMatrix> skinToBone(static_cast<size_t>(bones));
    for (int i = 0; i < bones; ++i) {
        RwMatrixSetIdentity(&skinToBone[size_t(i)]);
        skinToBone[size_t(i)].pos = {-float(i), 0, 0};
    }
    std::vector<RpSkinVertexIndices> indices(static_cast<size_t>(g->numVertices));
    std::vector<RpSkinVertexWeights> weights(static_cast<size_t>(g->numVertices));
    for (int v = 0; v < g->numVertices; ++v) {
        indices[size_t(v)][0] = RwUInt8(v % bones);
        weights[size_t(v)][0] = 1.0f;
    }
    RpSkinGeometrySetSkin(g, RpSkinCreate(g->numVertices, bones, skinToBone.data(), indices.data(), weights.data()));

    RpClump* clump = MakeClump({g});
    RwFrame* parent = RpClumpGetFrame(clump);
    std::vector<RwInt32> ids;
    for (int i = 0; i < nodes; ++i) {
        RwFrame* bone = RwFrameCreate();
        RwFrameAddChild(parent, bone);
        RpHAnimFrameSetID(bone, i);
        ids.push_back(i);
        parent = bone;
    }
    RpHAnimHierarchy* hierarchy = RpHAnimHierarchyCreate(nodes, nullptr, ids.data(), hierarchyFlags, 36);
    RpHAnimFrameSetHierarchy(RpClumpGetFrame(clump)->child, hierarchy);
    return clump;
}

TEST_F(ClumpTest, TheBindPoseIsWrittenForNoMoreBonesThanTheHierarchyHas)
{
    RpClump* engineClump = MakeSkinned(3, 2, 0);
    WriteClumpFile("models/skinned.dff", engineClump);
    RpClumpDestroy(engineClump);

    LogLines log;
    Clump clump;
    ASSERT_TRUE(clump.LoadClump("models\\skinned.dff", "", true));
    EXPECT_EQ(log.Count("Clump::LoadClump: skin of 3 bones on a hierarchy of 2 nodes"), 1);
    RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(clump.GetFrame()->child);
    ASSERT_NE(hierarchy, nullptr);
    EXPECT_TRUE(hierarchy->flags & rpHAnimHierarchyLocalSpaceMatrices);
    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    EXPECT_EQ(RpSkinAtomicGetHAnimHierarchy(atomics[0]), hierarchy);
    // The inverse of skin-to-bone: bone i sits at x = i.
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(Near(V(hierarchy->pMatrixArray[i].pos), {float(i), 0, 0})) << i;

    // Without the flag the matrices stay as the hierarchy made them.
    Clump plain;
    ASSERT_TRUE(plain.LoadClump("models\\skinned.dff", "", false));
    RpHAnimHierarchy* untouched = RpHAnimFrameGetHierarchy(plain.GetFrame()->child);
    EXPECT_FALSE(untouched->flags & rpHAnimHierarchyLocalSpaceMatrices);
    EXPECT_TRUE(RwMatrixIsIdentity(&untouched->pMatrixArray[1], 1e-6f));
}

TEST_F(ClumpTest, AHierarchyWithoutMatricesLeavesNoModel)
{
    RpClump* engineClump = MakeSkinned(2, 2, rpHAnimHierarchyNoMatrices);
    RpHAnimStreamAllowNoMatrices(true);
    WriteClumpFile("models/nomatrices.dff", engineClump);
    RpHAnimStreamAllowNoMatrices(false);
    RpClumpDestroy(engineClump);

    LogLines log;
    Clump clump;
    EXPECT_FALSE(clump.LoadClump("models\\nomatrices.dff", "", true));
    EXPECT_EQ(clump.GetRwClump(), nullptr);
    EXPECT_EQ(log.Count("***ERROR: Clump::LoadClump: Clump is exported with no matrices!\n"), 1);
}

}  // namespace
