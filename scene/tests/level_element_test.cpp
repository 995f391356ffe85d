// The elements of a level's casts: models with actions, forests, particle systems, sound
// markers, and the editor's proxies for lights and splines.
#include "support/SceneTest.h"

#include "engine/world/RpWorld.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "scene/Billboard.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/EditorProxies.h"
#include "scene/GameElements.h"
#include "scene/Light.h"
#include "scene/RwGraphics.h"
#include "scene/Wireframe.h"
#include "tests/support/LogCapture.h"

#include <cmath>
#include <tuple>
#include <numbers>

namespace {

class LevelElementTest : public SceneTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        WriteImage("tex\\leaf.bmp", 4, 4, {0, 128, 0, 255});
        WriteGridModel("models\\board.dff", 2, 0.0f, "tex\\", "leaf.bmp", false);
        WriteGridModel("models\\trees.dff", 1, 0.0f, "", "", false);
    }
};

std::vector<std::string> Names(FactoryRegistry& registry)
{
    return registry.GetNames();
}

TEST(LevelElementRegistry, HoldsTheSixElementsAndTheTwoProxies)
{
    const std::vector<std::string> elements{"AnimatedClumpElement", "BillboardForest", "ClumpElement",
                                            "GeParticleSystem",     "HudElement",      "SfxElement"};
    for (const std::string& name : elements) {
        std::unique_ptr<Object> made(FactoryRegistry::GameElements().Create(name.c_str()));
        EXPECT_NE(dynamic_cast<GameElement*>(made.get()), nullptr) << name;
    }
    EXPECT_EQ(Names(FactoryRegistry::EditorProxies()),
              (std::vector<std::string>{"LightProxyObject", "SplineProxyObject"}));
}

TEST_F(LevelElementTest, AClumpElementsTableShowsBlendsOneLowerAndReadingTwiceKeepsOneSetOfMaterials)
{
    ClumpElement element;
    const std::string defaults = WrittenTable(element);
    EXPECT_NE(defaults.find("\"Blend Src\" 4\n"), std::string::npos) << defaults;
    EXPECT_NE(defaults.find("\"Blend Dest\" 5\n"), std::string::npos) << defaults;

    element.GetActions().push_back(std::make_unique<AnimateUVAction>());
    element.GetActions().push_back(std::make_unique<AnimatedTextureAction>());
    std::string text = WrittenTable(element);
    text = ReplaceValue(text, "geometry", "\"models\\\\board.dff\"");
    text = ReplaceValue(text, "textures", "\"tex\\\\\"");
    text = ReplaceValue(text, "speed U", "0.5");
    for (int read = 0; read < 2; ++read) {
        ReadTable(element, ReplaceValue(text, "Blend Src", read == 0 ? "1" : "10"));
        element.Update(0.5f);
    }
    auto* uv = dynamic_cast<AnimateUVAction*>(element.GetActions()[0].get());
    auto* flipBook = dynamic_cast<AnimatedTextureAction*>(element.GetActions()[1].get());
    ASSERT_TRUE(uv && flipBook);
    RpMaterial* material = element.GetClump()->GetRwClump()->atomics[0]->geometry->matList.materials[0];
    EXPECT_EQ(uv->GetMaterials().size(), 1u);
    EXPECT_EQ(flipBook->GetMaterials().size(), 1u);
    EXPECT_EQ(uv->GetMaterials()[0].GetRwMaterial(), material);
    EXPECT_EQ(material->uvTransform[0], uv->GetUVMatrix());
    EXPECT_FLOAT_EQ(uv->GetOffsetU(), 0.5f);
    EXPECT_NE(WrittenTable(element).find("\"Blend Src\" 10\n"), std::string::npos);
}

TEST_F(LevelElementTest, AClumpElementDrawsWithItsOwnStatesAndPutsThemBack)
{
    ClumpElement element;
    ReadTable(element, ReplaceValue(WrittenTable(element), "geometry", "\"models\\\\board.dff\""));
    element.SetBlend(true, 2, 2);
    element.SetAlphaClip(100);
    element.SetZWrite(false);
    RwRenderStateSet(rwRenderStateAlphaTestFunction, rwAlphaTestAlways);
    const auto draws = Drawn([&] { element.Render(); });
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(std::tuple(draws[0].srcBlend, draws[0].destBlend, draws[0].alphaFunction, draws[0].alphaRef,
                         draws[0].zWrite),
              std::tuple(intptr_t(2), intptr_t(2), intptr_t(rwAlphaTestGreaterEqual), intptr_t(100), intptr_t(0)));
    intptr_t function = 0;
    RwRenderStateGet(rwRenderStateAlphaTestFunction, &function);
    EXPECT_EQ(function, rwAlphaTestAlways);

    element.SetVisible(false);
    EXPECT_TRUE(Drawn([&] { element.Render(); }).empty());
}

TEST_F(LevelElementTest, TransparencyTruncatesWhereTheClumpsAlphaRounds)
{
    ClumpElement element;
    ReadTable(element, ReplaceValue(WrittenTable(element), "geometry", "\"models\\\\board.dff\""));
    const RpGeometry* geometry = element.GetClump()->GetRwClump()->atomics[0]->geometry;
    element.SetTransparency(0.5f);
    EXPECT_EQ(geometry->matList.materials[0]->color.alpha, 127);
    EXPECT_NE(geometry->flags & rpGeometryModulateMaterialColor, 0u);
    element.GetClump()->SetAlpha(0.5f);
    EXPECT_EQ(geometry->matList.materials[0]->color.alpha, 128);
}

TEST_F(LevelElementTest, AForestStandsOnTriangleCentresWithSizesThatRepeat)
{
    BillboardForest forest;
    forest.SetFiles("models\\trees.dff", "tex\\leaf.bmp", "");
    forest.SetSizes(1.0f, 3.0f, BillboardForest::kCenter);
    forest.Rebuild();
    // One quad of the unit grid: two triangles.
    const std::vector<Vector3> centres{{1.0f / 3, 0, 1.0f / 3}, {2.0f / 3, 0, 2.0f / 3}};
    ASSERT_EQ(forest.GetTreePositions().size(), 2u);
    ASSERT_EQ(forest.GetBillboards().size(), 2u);
    for (size_t i = 0; i < centres.size(); ++i) {
        EXPECT_TRUE(Near(forest.GetTreePositions()[i], centres[i]));
        EXPECT_TRUE(Near(forest.GetBillboards()[i]->GetPosition(), centres[i]));
    }
    EXPECT_EQ(forest.TreeSize({0, 0, 0}), 1.0f);
    EXPECT_FLOAT_EQ(forest.TreeSize({0.25f, 0, 0}), 1.5f);
    EXPECT_FLOAT_EQ(forest.TreeSize({1.25f, 0, 0}), 1.5f);

    // Bottom lifts each tree by its half diagonal, top lowers it.
    for (auto [align, sign] : {std::pair{BillboardForest::kBottom, 1.0f}, std::pair{BillboardForest::kTop, -1.0f}}) {
        forest.SetSizes(2.0f, 2.0f, align);
        forest.Rebuild();
        EXPECT_TRUE(Near(forest.GetBillboards()[0]->GetPosition(),
                         centres[0] + Vector3{0, sign * 2.0f / std::numbers::sqrt2_v<float>, 0}));
    }

    // A missing model or texture leaves the forest empty.
    for (auto [model, texture] : {std::pair{"models\\none.dff", "tex\\leaf.bmp"}, std::pair{"models\\trees.dff", ""},
                                  std::pair{"models\\trees.dff", "tex\\none.bmp"}}) {
        LogCapture log;
        forest.SetFiles(model, texture, "");
        forest.Rebuild();
        EXPECT_TRUE(forest.GetBillboards().empty()) << model << " " << texture;
        EXPECT_TRUE(forest.GetTreePositions().empty()) << model << " " << texture;
    }
}

TEST_F(LevelElementTest, AForestDrawsItsTreesInViewInOneDrawInTheirOrderUnderItsStates)
{
    WriteGridModel("models\\wood.dff", 8, 0.0f, "", "", false);
    BillboardForest forest;
    std::string table = WrittenTable(forest);
    table = ReplaceValue(table, "position clump", "\"models\\\\wood.dff\"");
    table = ReplaceValue(table, "texture", "\"tex\\\\leaf.bmp\"");
    table = ReplaceValue(table, "alpha clip", "100");
    table = ReplaceValue(table, "write z", "0");
    ReadTable(forest, table);
    ASSERT_EQ(forest.GetBillboards().size(), 128u);

    // In the middle of the wood, looking across it: the trees behind are left out.
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    graphics->SetCamera(camera);
    const RwV3d up{0, 1, 0}, middle{4, 0.5f, 4};
    RwFrameRotate(camera->GetFrame(), &up, 90, rwCombineReplace);
    RwFrameTranslate(camera->GetFrame(), &middle, rwCombinePostMultiply);
    std::vector<RwIm3DVertex> expected;
    const Matrix3 view = graphics->GetCameraMatrix();
    for (const auto& tree : forest.GetBillboards())
        if (tree->InView()) {
            expected.resize(expected.size() + 4);
            tree->BuildQuad(view, &expected[expected.size() - 4]);
        }
    ASSERT_GT(expected.size(), 0u);
    ASSERT_LT(expected.size(), 4u * 128u);
    std::vector<RwNullDrawRecord> draws = Drawn([&] { forest.Render(); });
    ASSERT_EQ(draws.size(), 1u);
    const RwNullDrawRecord& d = draws[0];
    EXPECT_EQ(std::tuple(d.numVertices, d.numIndices, d.alphaFunction, d.alphaRef, d.vertexAlpha, d.zWrite),
              std::tuple(static_cast<RwInt32>(expected.size()), static_cast<RwInt32>(expected.size() / 4 * 6),
                         intptr_t{rwAlphaTestGreaterEqual}, intptr_t{100}, intptr_t{1}, intptr_t{0}));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Near(V(d.vertices3D.at(i).objVertex), V(expected[static_cast<size_t>(i)].objVertex))) << i;

    // Past it all, looking on, nothing is drawn.
    const RwV3d away{30, 0.5f, 4};
    RwFrameRotate(camera->GetFrame(), &up, 90, rwCombineReplace);
    RwFrameTranslate(camera->GetFrame(), &away, rwCombinePostMultiply);
    EXPECT_TRUE(Drawn([&] { forest.Render(); }).empty());
    RwFrameSetIdentity(camera->GetFrame());
    graphics->SetCamera(nullptr);
}

TEST_F(LevelElementTest, AParticleSystemAboveTheQualitySettingNeitherUpdatesNorRenders)
{
    GeParticleSystem element;
    ASSERT_TRUE(element.GetTexture()->Load("tex\\leaf.bmp", nullptr));
    element.GetParticleSystem()->SetEmitterSpeed(100.0f);
    element.GetParticleSystem()->SetMaxParticles(50);
    auto life = std::make_unique<ConstantEmitter>();
    life->SetValue(10.0f);
    element.GetParticleSystem()->LifeTime().Set(std::move(life));
    struct Case {
        int32_t quality, setting;
        bool runs;
    };
    for (const Case c : {Case{2, 1, false}, Case{1, 1, true}, Case{0, 2, true}}) {
        static int32_t setting;
        setting = c.setting;
        GeParticleSystem::SetQualitySource([] { return setting; });
        element.SetQuality(c.quality);
        element.ResetStatus();
        element.Update(0.1f);
        EXPECT_EQ(element.GetParticleSystem()->GetLiveCount() > 0, c.runs) << c.quality << " " << c.setting;
    }
    GeParticleSystem::SetQualitySource(nullptr);

    // Without a texture nothing runs either.
    GeParticleSystem bare;
    bare.GetParticleSystem()->SetEmitterSpeed(100.0f);
    bare.Update(0.1f);
    EXPECT_EQ(bare.GetParticleSystem()->GetLiveCount(), 0);
}

TEST_F(LevelElementTest, APlacedParticleSystemIsFoundByNameAsThePlainOneIs)
{
    Cast cast("objects");
    GeParticleSystem placed;
    ParticleSystem plain;
    SfxElement marker;
    cast.AddMember(&placed, "placed", false);
    cast.AddMember(&plain, "plain", false);
    cast.AddMember(&marker, "marker", false);
    EXPECT_EQ(GeParticleSystem::FindIn(&cast, "placed"), placed.GetParticleSystem());
    EXPECT_EQ(GeParticleSystem::FindIn(&cast, "plain"), &plain);
    EXPECT_EQ(GeParticleSystem::FindIn(&cast, "marker"), nullptr);
    EXPECT_EQ(GeParticleSystem::FindIn(&cast, "nobody"), nullptr);
    EXPECT_EQ(GeParticleSystem::FindIn(nullptr, "placed"), nullptr);
    while (cast.GetMemberCount() > 0)
        cast.RemoveMember(cast.GetMember(0)->object);
}

TEST_F(LevelElementTest, AParticleSystemsTablePlacesItsSystem)
{
    GeParticleSystem element;
    std::string text = ReplaceValue(WrittenTable(element), "Base Position", "1 2 3");
    GeParticleSystem read;
    ReadTable(read, text);
    EXPECT_TRUE(Near(read.GetParticleSystem()->GetPosition(), {1, 2, 3}));
}

TEST_F(LevelElementTest, ASoundMarkerKeepsItsEventAndForgetsItsVoiceWhenRead)
{
    SfxElement marker;
    marker.SetEventName("crowd cheer");
    marker.SetPosition({4, 5, 6});
    const std::string text = WrittenTable(marker);
    marker.SetPlayHandle(7);
    ReadTable(marker, text);
    EXPECT_EQ(std::tuple(marker.GetEventName(), marker.GetPlayHandle()), std::tuple(std::string("crowd cheer"), 0));
    EXPECT_TRUE(Near(marker.GetPosition(), {4, 5, 6}));
}

TEST_F(LevelElementTest, ALightProxyStandsOnlyForLightsThatAreNotAmbient)
{
    DirectionalLight sun;
    ASSERT_TRUE(sun.Create());
    AmbientLight ambient;
    Spline spline;
    LightProxyObject proxy;
    SplineProxyObject splineProxy;
    EXPECT_EQ((std::vector<bool>{proxy.CanHandle(&sun), proxy.CanHandle(&ambient), proxy.CanHandle(&spline),
                                 proxy.CanHandle(nullptr), splineProxy.CanHandle(&spline),
                                 splineProxy.CanHandle(&sun)}),
              (std::vector<bool>{true, false, false, false, true, false}));
}

TEST_F(LevelElementTest, TheEditorTakesTheFirstRegisteredProxyThatCanStandForTheObject)
{
    DirectionalLight sun;
    ASSERT_TRUE(sun.Create());
    Spline spline;
    Object plain;
    const std::unique_ptr<PositionEditorProxy> forSun = CreateEditorProxy(sun);
    const std::unique_ptr<PositionEditorProxy> forSpline = CreateEditorProxy(spline);
    ASSERT_NE(dynamic_cast<LightProxyObject*>(forSun.get()), nullptr);
    EXPECT_NE(static_cast<LightProxyObject*>(forSun.get())->GetShape(), nullptr);
    ASSERT_NE(dynamic_cast<SplineProxyObject*>(forSpline.get()), nullptr);
    EXPECT_EQ(static_cast<SplineProxyObject*>(forSpline.get())->GetSpline(), &spline);
    EXPECT_EQ(CreateEditorProxy(plain), nullptr);
}

TEST_F(LevelElementTest, MovingALightProxyMovesItsCylinderAndItsLight)
{
    DirectionalLight sun;
    ASSERT_TRUE(sun.Create());
    sun.SetColor(Color(1.0f, 0.5f, 0.0f, 1.0f), 1.0f);
    LightProxyObject proxy;
    ASSERT_TRUE(proxy.Attach(&sun));
    auto* cylinder = dynamic_cast<WireframeCylinder*>(proxy.GetShape());
    ASSERT_NE(cylinder, nullptr);
    proxy.SetPosition({10, 20, 30});
    EXPECT_TRUE(Near(cylinder->GetPosition(), {10, 20, 30}));
    EXPECT_TRUE(Near(sun.GetPosition(), {10, 20, 30}));
    proxy.Update(0.0f);
    EXPECT_TRUE(Near(proxy.GetPosition(), {10, 20, 30}));
    EXPECT_EQ(std::tuple(cylinder->radius, cylinder->length, cylinder->GetColor()),
              std::tuple(7.0f, 20.0f, sun.GetColor()));
    const Quaternion turn{0.0f, 1.0f, 0.0f, 0.0f};
    proxy.SetRotation(turn);
    EXPECT_EQ(cylinder->GetRotation(), turn);
    EXPECT_EQ(sun.GetOrientation(), turn);

    // Without a shape nothing is touched.
    AmbientLight ambient;
    ASSERT_TRUE(ambient.Create());
    LightProxyObject empty;
    EXPECT_FALSE(empty.Attach(&ambient));
    empty.SetPosition({1, 1, 1});
    empty.SetRotation(turn);
    empty.Update(0.0f);
    EXPECT_TRUE(Near(ambient.GetPosition(), {0, 0, 0}));
    EXPECT_EQ(empty.GetShape(), nullptr);
    EXPECT_TRUE(Drawn([&] { empty.Render(); }).empty());

    // A spline proxy has no place of its own.
    Spline spline;
    SplineProxyObject splineProxy;
    EXPECT_FALSE(splineProxy.Attach(&spline));
    splineProxy.SetPosition({5, 5, 5});
    EXPECT_EQ(std::pair(splineProxy.GetSpline(), splineProxy.GetPosition()), std::pair(&spline, Vector3{0, 0, 0}));
}

}  // namespace
