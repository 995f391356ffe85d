// Material actions: flip-book frames, fading, scrolling, water, and the owners' action lists.
#include "support/SceneTest.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Factory.h"
#include "framework/Serializer.h"
#include "scene/Clump.h"
#include "scene/GameElements.h"
#include "scene/MaterialActions.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <cmath>

namespace {

RpMaterial* FirstMaterial(const Clump& clump)
{
    return clump.GetRwClump()->atomics[0]->geometry->matList.materials[0];
}

std::string FrameName(const RwTexture* texture)
{
    return texture ? RwTextureGetName(texture) : "";
}

// "anim\flag0001.bmp" .. "flag0003.bmp", "flag0005.bmp"; "anim\board0.bmp", "board1.bmp";
// "models\grid.dff" textured with "anim\flag0002.bmp".
class MaterialActionTest : public SceneTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        for (const char* name : {"anim\\flag0001.bmp", "anim\\flag0002.bmp", "anim\\flag0003.bmp", "anim\\flag0005.bmp",
                                 "anim\\board0.bmp", "anim\\board1.bmp"})
            WriteImage(name, 4, 4, {200, 100, 50, 255});
        WriteGridModel("models\\grid.dff", 2, 0.0f, "anim\\", "flag0002.bmp", false);
    }
    void SetUp() override { ASSERT_TRUE(clump.LoadClump("models\\grid.dff", "anim\\", true)); }

    Clump clump;
};

TEST_F(MaterialActionTest, FramesAreReadFromTheStartIndexUntilOneIsMissing)
{
    struct Case {
        const char* file;
        int start;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"anim\\flag0001.bmp", 1, {"flag0001", "flag0002", "flag0003"}},
        {"anim\\flag0001.bmp", 3, {"flag0003"}},
        {"anim\\flag0001.bmp", 4, {}},
        {"anim\\board.bmp", 0, {"board0", "board1"}},
        {"", 0, {}},
    };
    for (const Case& c : cases) {
        AnimatedTextureAction action;
        action.SetFileName(c.file, c.start, 1.0f);
        action.ReadFrames();
        std::vector<std::string> names;
        for (RwTexture* frame : action.GetFrames())
            names.push_back(FrameName(frame).substr(0, FrameName(frame).find('.')));
        EXPECT_EQ(names, c.names) << c.file << " " << c.start;
    }
}

TEST_F(MaterialActionTest, TheFlipBookRoundsHalvesToEvenAndWrapsAround)
{
    AnimatedTextureAction action;
    action.SetFileName("anim\\flag0001.bmp", 1, 1.0f);
    action.ReadFrames();
    ASSERT_TRUE(action.Attach(&clump, 0));
    ASSERT_EQ(action.GetMaterials().size(), 1u);
    std::vector<int> shown;
    std::vector<std::string> textures;
    for (float dt : {0.5f, 0.5f, 1.0f, 1.0f, 0.5f}) {
        EXPECT_TRUE(action.DoAction(nullptr, dt));
        shown.push_back(action.GetFrameIndex());
        textures.push_back(FrameName(FirstMaterial(clump)->texture));
    }
    // Times 0.5, 1, 2, 3, 3.5 (halves to even: 4).
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 0, 1}));
    EXPECT_EQ(textures[2].substr(0, 8), "flag0003");

    AnimatedTextureAction empty;
    EXPECT_FALSE(empty.DoAction(nullptr, 1.0f));
    EXPECT_FALSE(empty.Attach(nullptr, 0));
}

TEST_F(MaterialActionTest, ScrollingWrapsItsOffsetAndMovesTheFirstMaterialsTexture)
{
    AnimateUVAction action;
    EXPECT_FALSE(action.DoAction(nullptr, 0.5f));
    action.SetSpeed(0.5f, -0.25f);
    ASSERT_TRUE(action.Attach(&clump, 0));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(action.DoAction(nullptr, 0.5f));
    EXPECT_FLOAT_EQ(action.GetOffsetU(), 0.25f);
    EXPECT_FLOAT_EQ(action.GetOffsetV(), 0.375f);
    const RpMaterial* material = FirstMaterial(clump);
    EXPECT_EQ(material->fxEffects, rpMaterialFXUVTransform);
    EXPECT_EQ(material->uvTransform[0], action.GetUVMatrix());
    EXPECT_FLOAT_EQ(action.GetUVMatrix()->pos.x, 0.25f);
    EXPECT_FLOAT_EQ(action.GetUVMatrix()->pos.y, 0.375f);
}

TEST_F(MaterialActionTest, AttachingAgainCollectsOnceAndLetsGoOfTheOldMaterial)
{
    AnimateUVAction action;
    action.Attach(&clump, 0);
    // Kept alive here to see what the action leaves on it.
    RpMaterial* old = RpMaterialAddRef(FirstMaterial(clump));
    ASSERT_TRUE(clump.LoadClump("models\\grid.dff", "anim\\", true));
    ASSERT_NE(FirstMaterial(clump), old);
    action.Attach(&clump, 0);
    EXPECT_EQ(std::pair(old->fxEffects, old->uvTransform[0]), std::pair(RwUInt32{rpMaterialFXNone}, static_cast<const RwMatrix*>(nullptr)));
    RpMaterialDestroy(old);
    EXPECT_EQ(action.GetMaterials().size(), 1u);
    EXPECT_EQ(action.GetMaterials().front().GetRwMaterial(), FirstMaterial(clump));
    EXPECT_EQ(FirstMaterial(clump)->uvTransform[0], action.GetUVMatrix());

    AnimatedTextureAction flipBook;
    flipBook.Attach(&clump, 0);
    flipBook.Attach(&clump, 0);
    EXPECT_EQ(flipBook.GetMaterials().size(), 1u);
    // Attached to what is not a clump, it drives nothing.
    EXPECT_FALSE(flipBook.Attach(nullptr, 0));
    EXPECT_TRUE(flipBook.GetMaterials().empty());
}

TEST_F(MaterialActionTest, FadingFollowsTheFirstNodesTranslationAcrossEveryMaterial)
{
    RtAnimAnimation* animation = RtAnimAnimationCreate(1, 1.0f);
    animation->tracks[0].keys = {{0.0f, {1, 0, 0, 0}, {0.0f, 0, 0}, 0}, {1.0f, {1, 0, 0, 0}, {-2.0f, 0, 0}, 0}};
    ASSERT_TRUE(RtAnimAnimationWrite(animation, "fade.anm"));
    RtAnimAnimationDestroy(animation);

    AnimatedTransparencyAction action;
    EXPECT_TRUE(action.DoAction(nullptr, 0.1f));
    action.SetAnimation("fade.anm", 0.0f);
    action.ReadAnimation();
    action.Attach(&clump, 0);
    std::vector<int> alphas;
    // Times 0.25 (x -0.5), 0.75 (x -1.5: clamped), then 1.0 starts again at 0.
    for (float dt : {0.25f, 0.5f, 0.25f}) {
        action.DoAction(nullptr, dt);
        alphas.push_back(FirstMaterial(clump)->color.alpha);
    }
    EXPECT_EQ(alphas, (std::vector<int>{128, 255, 0}));
    EXPECT_NE(RpGeometryGetFlags(clump.GetRwClump()->atomics[0]->geometry) & rpGeometryModulateMaterialColor, 0u);
}

TEST_F(MaterialActionTest, WaterStaysWithinItsAlphasAndHeightsAndEachSurfaceKeepsItsOwnBase)
{
    WriteGridModel("models\\pond.dff", 4, 2.0f, "", "", true);
    WriteGridModel("models\\lake.dff", 4, -3.0f, "", "", true);
    Clump pond, lake;
    ASSERT_TRUE(pond.LoadClump("models\\pond.dff", "", true));
    ASSERT_TRUE(lake.LoadClump("models\\lake.dff", "", true));
    WaterAction pondWater, lakeWater;
    pondWater.Attach(&pond, 0);
    lakeWater.Attach(&lake, 0);
    ScopedPicturesShown shown;
    for (int frame = 0; frame < 20; ++frame) {
        pondWater.DoAction(nullptr, 0.13f);
        lakeWater.DoAction(nullptr, 0.13f);
        for (auto [clump, base] : {std::pair{&pond, 2.0f}, std::pair{&lake, -3.0f}}) {
            const RpGeometry* g = clump->GetRwClump()->atomics[0]->geometry;
            for (int i = 0; i < g->numVertices; ++i) {
                EXPECT_LE(std::fabs(g->morphTarget[0].verts[i].y - base), 0.2f + 1e-5f);
                EXPECT_GE(g->preLitLum[i].alpha, 120);
                EXPECT_LE(g->preLitLum[i].alpha, 240);
            }
        }
    }
    EXPECT_EQ(std::pair(pondWater.GetBaseHeight(), lakeWater.GetBaseHeight()), std::pair(2.0f, -3.0f));
    // The waves cross: one along x, one along z, both travelling with the time (20 x 0.13 s).
    const RwV3d& corner = pond.GetRwClump()->atomics[0]->geometry->morphTarget[0].verts[6];
    EXPECT_NEAR(corner.y, std::sin(corner.x * 3.0f + 2.6f) * std::sin(corner.z * 6.0f + 2.6f) * 0.2f + 2.0f, 1e-4f);
    EXPECT_EQ((std::vector<int>{pondWater.Alpha(-1.0f), pondWater.Alpha(0.0f), pondWater.Alpha(1.0f)}),
              (std::vector<int>{120, 180, 240}));

    // Limits beyond a byte are clamped.
    WaterAction wide;
    ReadTable(wide, ReplaceValue(ReplaceValue(WrittenTable(wide), "alpha min", "-100"), "alpha max", "400"));
    EXPECT_EQ(std::pair(wide.Alpha(-1.0f), wide.Alpha(1.0f)), std::pair(0, 255));
}

TEST_F(MaterialActionTest, WavesNobodySeesStandStillAndJoinTheTimeWhenShown)
{
    WriteGridModel("models\\pond.dff", 4, 2.0f, "", "", true);
    Clump pond;
    ASSERT_TRUE(pond.LoadClump("models\\pond.dff", "", true));
    const RwV3d& corner = pond.GetRwClump()->atomics[0]->geometry->morphTarget[0].verts[6];
    WaterAction water;
    water.Attach(&pond, 0);
    for (int frame = 0; frame < 10; ++frame)
        water.DoAction(nullptr, 0.13f);
    EXPECT_EQ(corner.y, 2.0f) << "a headless run moves no waves";

    ScopedPicturesShown shown;
    water.DoAction(nullptr, 0.13f);
    EXPECT_NEAR(corner.y, std::sin(corner.x * 3.0f + 1.43f) * std::sin(corner.z * 6.0f + 1.43f) * 0.2f + 2.0f, 1e-4f);
}

TEST(MaterialActionRegistry, ListsTheFourActionsInAscendingOrder)
{
    EXPECT_EQ(FactoryRegistry::MaterialActions().GetNames(),
              (std::vector<std::string>{"AnimateUVAction", "AnimatedTextureAction", "AnimatedTransparencyAction",
                                        "WaterAction"}));
}

// An owner of an action list, for the list's part of a table.
class Owner : public Object {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override
    {
        serializer.BeginSection("Owner", descriptor);
        SerializeMaterialActions(serializer, actions);
        serializer.EndSection();
    }
    std::vector<std::string> Types() const
    {
        std::vector<std::string> types;
        for (const auto& action : actions)
            types.push_back(action ? ClassNameOf(*action) : "-");
        return types;
    }
    ActionList actions;
};

TEST_F(MaterialActionTest, TheActionListGrowsShrinksAndCreatesThroughItsTable)
{
    Owner owner;
    owner.actions.push_back(std::make_unique<WaterAction>());
    const std::string text = WrittenTable(owner);

    struct Case {
        std::string text;
        std::vector<std::string> types;
    };
    const Case cases[] = {
        {text, {"WaterAction"}},
        {ReplaceValue(text, "Actions Count", "0"), {}},
        {ReplaceValue(text, "Actions Count", "-3"), {}},
        {ReplaceValue(text, "Actions Count", "2"), {"WaterAction", "-"}},
        {ReplaceValue(text, "Action Type", "\"NoSuchAction\""), {"-"}},
        {ReplaceValue(text, "Action Type", "\"AnimateUVAction\""), {"AnimateUVAction"}},
        {ReplaceValue(text, "Create", "2"), {"WaterAction", "AnimatedTextureAction"}},
        {ReplaceValue(text, "Create", "9"), {"WaterAction"}},
    };
    for (const Case& c : cases) {
        Owner read;
        read.actions.push_back(std::make_unique<WaterAction>());
        ReadTable(read, c.text);
        EXPECT_EQ(read.Types(), c.types) << c.text;
        // Empty entries are skipped when the owner attaches and runs its list.
        AttachMaterialActions(read.actions, &clump);
        RunMaterialActions(read.actions, 0.1f);
    }
}

TEST_F(MaterialActionTest, MaterialsCopyTheEngineMaterialAndWriteBackWhenRead)
{
    LogCapture log;
    Material none(nullptr);
    EXPECT_TRUE(log.Contains("Material::Material: Material-Ptr is null!"));
    // Without an engine material a read only changes the copy.
    ReadTable(none, ReplaceValue(WrittenTable(none), "Ambient Reflection", "0.5"));

    RpMaterial* engine = FirstMaterial(clump);
    const RwRGBA colour{51, 102, 153, 204};
    RpMaterialSetColor(engine, &colour);
    Material material(engine);
    EXPECT_EQ(material.GetColor(), Color(0.2f, 0.4f, 0.6f, 0.8f));
    EXPECT_EQ(material.GetTextureName().substr(0, 8), "flag0002");
    ReadTable(material, ReplaceValue(WrittenTable(material), "Color", "0 1 0.5 1"));
    EXPECT_EQ((std::vector<int>{engine->color.red, engine->color.green, engine->color.blue, engine->color.alpha}),
              (std::vector<int>{0, 255, 128, 255}));
}

}  // namespace
