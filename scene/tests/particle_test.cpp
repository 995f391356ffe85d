// Particle systems: emitters, actions, emission, ageing, their tables and vertex sampling.
#include "support/SceneTest.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Random.h"
#include "framework/Registration.h"
#include "scene/ParticleSystem.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NullSerializer.h"

#include <algorithm>
#include <fstream>
#include <numbers>
#include <sstream>

namespace {

using Lines = std::vector<std::string>;

std::pair<Particle*, int32_t> None()
{
    return {nullptr, 0};
}

std::vector<int32_t> Types(const ParticleSystem& system)
{
    std::vector<int32_t> types;
    for (const auto& action : system.GetActions())
        types.push_back(action->GetType());
    return types;
}

// Writes nothing; keeps the keys of the object entries it is given.
struct KeyRecorder : NullSerializer {
    KeyRecorder() : NullSerializer(true) {}
    void SerializeObject(const char* name, Object*) override { objects.emplace_back(name); }
    Lines objects;
};

// A system drawing from a billboard factory without a texture, so nothing reaches a device.
struct Fountain {
    Fountain()
    {
        system.SetParticleFactory(&factory);
        system.LifeTime().Set(Constant(100.0f));
    }
    static std::unique_ptr<FloatEmitter> Constant(float value)
    {
        auto emitter = std::make_unique<ConstantEmitter>();
        emitter->SetValue(value);
        return emitter;
    }
    BillboardParticleFactory factory;
    ParticleSystem system;
};

TEST(ParticleEmitters, DrawWithinTheirRangesFromTheSeededSequence)
{
    Random::Effects::Seed(7);
    LinearEmitter linear;
    linear.Set(10, 2);
    BoxEmitter box;
    box.Set({0, 5, 0}, {1, 0, 0});
    SphereEmitter sphere;
    sphere.Set({0, 0, 0}, 2);
    float low = 100, high = -100, lowX = 100, highX = -100, lowSphereX = 100;
    for (int i = 0; i < 2000; ++i) {
        const float value = linear.Emit();
        ASSERT_TRUE(value >= 8 && value <= 12) << value;
        low = std::min(low, value);
        high = std::max(high, value);
        const Vector3 p = box.Emit();
        ASSERT_TRUE(p.x >= -1 && p.x <= 1 && p.y == 5 && p.z == 0) << p.x << " " << p.y << " " << p.z;
        lowX = std::min(lowX, p.x);
        highX = std::max(highX, p.x);
        const Vector3 s = sphere.Emit();
        ASSERT_NEAR(s.Length(), 2.0f, 1e-4f);
        ASSERT_GE(s.z, 0.0f);
        lowSphereX = std::min(lowSphereX, s.x);
    }
    // The whole range is used, not one value.
    EXPECT_TRUE(low < 8.1f && high > 11.9f && lowX < -0.95f && highX > 0.95f && lowSphereX < -1.9f)
        << low << " " << high << " " << lowSphereX;
}

TEST(ParticleEmitters, FactoriesSetTheTypeAndFallBackOnUnknownOnesWithOneLine)
{
    LogCapture log;
    const std::tuple<int, bool, int, Lines> floats[] = {
        {0, true, 0, {}}, {1, false, 1, {}}, {7, true, 0, {"FloatEmitterFactory: illegale type (7)\n"}}};
    for (const auto& [type, constant, madeType, lines] : floats) {
        log.Clear();
        const std::unique_ptr<FloatEmitter> emitter = CreateFloatEmitter(type);
        EXPECT_EQ(std::tuple(dynamic_cast<ConstantEmitter*>(emitter.get()) != nullptr, emitter->GetType(),
                             emitter->Emit(), log.lines),
                  std::tuple(constant, madeType, 0.0f, lines))
            << type;
    }
    log.Clear();
    const std::unique_ptr<VectorEmitter> point = CreateVectorEmitter(0), box = CreateVectorEmitter(1),
                                         sphere = CreateVectorEmitter(2), fallback = CreateVectorEmitter(-1);
    EXPECT_TRUE(dynamic_cast<PointEmitter*>(point.get()) && dynamic_cast<BoxEmitter*>(box.get()) &&
                dynamic_cast<SphereEmitter*>(sphere.get()) && dynamic_cast<PointEmitter*>(fallback.get()));
    EXPECT_EQ(std::tuple(box->GetType(), sphere->GetType(), fallback->GetType(), fallback->Emit()),
              std::tuple(1, 2, 0, Vector3(0, 0, 0)));
    EXPECT_EQ(log.lines, Lines{"VectorEmitterFactory: illegale type (-1)\n"});
    log.Clear();
    for (int type = 0; type < kParticleActionTypeCount; ++type)
        EXPECT_EQ(CreateParticleAction(type)->GetType(), type);
    EXPECT_EQ(std::tuple(ParticleActionTypeName(-1), std::string(ParticleActionTypeName(3)), ParticleActionTypeName(4)),
              std::tuple(nullptr, std::string("Height Wind"), nullptr));
    EXPECT_TRUE(dynamic_cast<ParticleActionHeightWind*>(CreateParticleAction(3).get()));
    EXPECT_EQ(std::pair(CreateParticleAction(4), log.lines),
              std::pair(std::unique_ptr<ParticleAction>(), Lines{"ParticleActionFactory: illegale type (4)\n"}));
}

TEST(ParticleActions, ChangeAParticleOnlyWhenTheirConditionHolds)
{
    // A particle of life 2 aged by 'age' seconds, its alpha then 0.8.
    const auto particle = [](float age, Vector3 position = {}) {
        auto p = std::make_unique<BillboardParticle>();
        p->SetLifeTime(2.0f);
        p->SetPosition(position);
        EXPECT_FALSE(p->Advance(age));
        p->SetAlpha(0.8f);
        return p;
    };
    ParticleActionBlink blink;
    ParticleActionFadeIn fadeIn;
    ParticleActionFadeOut fadeOut;
    const std::tuple<const char*, std::function<void()>, ParticleAction*, float, float> cases[] = {
        // Blink at 4: remaining 1.9 counts 7 (hidden), 1.7 counts 6 (shown), every quarter second.
        {"blink odd", [&] { blink.SetSpeed(4); }, &blink, 0.1f, 0.0f},
        {"blink even", [&] { blink.SetSpeed(4); }, &blink, 0.3f, 1.0f},
        {"blink off", [&] { blink.SetSpeed(0); }, &blink, 0.1f, 0.8f},
        {"fade in 0", [&] { fadeIn.SetTime(0); }, &fadeIn, 0.5f, 0.8f},
        {"fade in 1", [&] { fadeIn.SetTime(1); }, &fadeIn, 0.25f, 0.2f},
        {"fade out 0", [&] { fadeOut.SetTime(0); }, &fadeOut, 1.5f, 0.8f},
        {"fade out 1", [&] { fadeOut.SetTime(1); }, &fadeOut, 1.5f, 0.4f},
        {"fade out before", [&] { fadeOut.SetTime(1); }, &fadeOut, 0.5f, 0.8f},
    };
    for (const auto& [name, set, action, age, alpha] : cases) {
        set();
        auto p = particle(age);
        action->Apply(*p, 0, 0.1f);
        EXPECT_FLOAT_EQ(p->GetAlpha(), alpha) << name;
    }
    ParticleActionHeightWind wind;
    for (const auto& [height, x] : {std::pair{6.0f, 2.5f}, std::pair{5.0f, 0.0f}}) {
        auto p = particle(0.1f, {0, height, 0});
        wind.Apply(*p, 0, 0.5f);
        EXPECT_EQ(p->GetPosition(), Vector3(x, height, 0)) << height;
    }
}

TEST(ParticleSystem, EmitsAtItsSpeedCarryingTheFractionButNeverPastMaxParticles)
{
    Fountain f;
    f.system.SetEmitterSpeed(2.5f);
    f.system.SetMaxParticles(100);
    f.system.Update(0.4f);
    EXPECT_EQ(f.system.GetLiveCount(), 1);
    for (int i = 0; i < 36; ++i)
        f.system.Update(0.1f);
    EXPECT_EQ(f.system.GetLiveCount(), 10);  // 4 s at 2.5 a second

    f.system.SetMaxParticles(12);
    f.system.SetEmitterSpeed(1e7f);
    f.system.Update(1.0f);  // full after two: the rest is settled without a wait
    EXPECT_EQ(std::pair(f.system.GetLiveCount(), static_cast<int>(f.system.GetParticles().size())), std::pair(12, 12));
    EXPECT_EQ(f.system.Emit(), nullptr);

    // Full at 3.5 a second: one emitted, then the loop's -0.5 carried, so the first 0.1 s
    // at that rate emits none and the second one.
    Fountain g;
    g.system.SetMaxParticles(1);
    g.system.SetEmitterSpeed(3.5f);
    g.system.Update(1.0f);
    g.system.Reset();
    g.system.Update(0.1f);
    EXPECT_EQ(g.system.GetLiveCount(), 0);
    g.system.Update(0.1f);
    EXPECT_EQ(g.system.GetLiveCount(), 1);
}

TEST(ParticleSystem, WithoutRoomOrFactoryNothingIsEmitted)
{
    Fountain f;
    f.system.SetMaxParticles(0);
    f.system.Update(5.0f);
    EXPECT_EQ(std::pair(f.system.Emit(), f.system.GetLiveCount()), None());
    std::unique_ptr<Object> made(FactoryRegistry::RenderObjects().Create("ParticleSystem"));
    auto* bare = dynamic_cast<ParticleSystem*>(made.get());
    ASSERT_NE(bare, nullptr);
    bare->Update(3.0f);
    EXPECT_EQ(std::pair(bare->Emit(), bare->GetLiveCount()), None());
    // The editor's dialog builder sees every object entry, so the table must leave it out.
    KeyRecorder keys;
    bare->Serialize(keys, "bare");
    EXPECT_EQ(std::count(keys.objects.begin(), keys.objects.end(), "Particle Factory"), 0);
    EXPECT_EQ(keys.objects.front(), "Position");
    keys.objects.clear();
    f.system.Serialize(keys, "fountain");
    EXPECT_EQ(keys.objects.front(), "Particle Factory");
}

TEST(ParticleSystem, LiveParticlesGoBackToTheFactoryThatMadeThem)
{
    struct Counting : BillboardParticleFactory {
        void Release(Particle* particle) override
        {
            ++released;
            BillboardParticleFactory::Release(particle);
        }
        int released = 0;
    };
    Counting first, second;
    {
        ParticleSystem system;
        system.SetParticleFactory(&first);
        system.Emit();
        system.Emit();
        system.SetParticleFactory(&second);
        EXPECT_EQ(std::tuple(first.released, system.GetLiveCount()), std::tuple(2, 0));
        system.Emit();
    }
    EXPECT_EQ(second.released, 1);  // what is left when the system goes
}

TEST(ParticleSystem, ParticlesDieWithTheirLifeOrPastTheLastFrame)
{
    Fountain f;
    f.system.LifeTime().Set(Fountain::Constant(0.0f));  // the default life
    f.system.Update(1.0f);
    EXPECT_EQ(f.system.GetLiveCount(), 0);
    // A life of 0 seen with a frame time of 0 has not aged: it keeps its start colour.
    f.system.SetColors(Color(1, 0, 0, 1), Color(0, 0, 1, 0));
    auto* still = dynamic_cast<BillboardParticle*>(f.system.Emit());
    ASSERT_NE(still, nullptr);
    EXPECT_FALSE(still->Advance(0.0f));
    EXPECT_EQ(still->GetColor(), Color(1, 0, 0, 1));
    f.system.Reset();

    f.system.SetAutomaticGenerate(false);
    f.system.LifeTime().Set(Fountain::Constant(10.0f));
    f.system.AnimSpeed().Set(Fountain::Constant(8.0f));
    ASSERT_NE(f.system.Emit(), nullptr);
    float lived = 0;
    while (f.system.GetLiveCount() > 0 && lived < 10) {
        f.system.Update(0.125f);
        lived += 0.125f;
    }
    EXPECT_FLOAT_EQ(lived, 2.0f);
}

TEST(ParticleSystem, StartValuesAreTurnedIntoTheSystemsFrameAndColoursRunOverTheLife)
{
    Fountain f;
    auto point = std::make_unique<PointEmitter>();
    point->SetPosition({1, 0, 0});
    f.system.Position().Set(std::move(point));
    auto velocity = std::make_unique<PointEmitter>();
    velocity->SetPosition({0, 0, 1});
    f.system.Velocity().Set(std::move(velocity));
    f.system.LifeTime().Set(Fountain::Constant(4.0f));
    f.system.SetColors(Color(1, 0, 0, 1), Color(0, 0, 1, 0));
    f.system.Angle().Set(Fountain::Constant(0.5f));
    f.system.DeltaAngle().Set(Fountain::Constant(0.25f));
    f.system.Size().Set(Fountain::Constant(2.0f));
    f.system.DeltaSize().Set(Fountain::Constant(1.0f));
    f.system.AnimSpeed().Set(Fountain::Constant(3.0f));
    f.factory.Setup(nullptr, rwBlendSrcAlpha, rwBlendInvSrcAlpha, 4, 4, 16);
    f.system.SetPosition({10, 0, 0});
    f.system.SetRotation(Quaternion(std::numbers::pi_v<float> / 2, {0, 1, 0}));
    auto* particle = dynamic_cast<BillboardParticle*>(f.system.Emit());
    ASSERT_NE(particle, nullptr);
    EXPECT_TRUE(Near(particle->GetPosition(), {10, 0, -1}));
    EXPECT_TRUE(Near(particle->GetVelocity(), {1, 0, 0}));
    ASSERT_FALSE(particle->Advance(1.0f));
    EXPECT_TRUE(Near(particle->GetPosition(), {11, 0, -1}));
    const Color& c = particle->GetColor();
    EXPECT_EQ(std::tuple(c.r, c.g, c.b, c.a), std::tuple(0.75f, 0.0f, 0.25f, 0.75f));
    particle->Update(0.0f);
    const AnimatedBillboard& billboard = particle->GetBillboard();
    EXPECT_TRUE(Near(billboard.GetPosition(), {11, 0, -1}));
    EXPECT_EQ(billboard.GetColor(), Color(0.75f, 0.0f, 0.25f, 0.75f));
    // Angle 0.5 turning 0.25, size 2 growing 1 and frame 0 running 3 a second, one second on.
    EXPECT_EQ(std::tuple(billboard.GetAngle(), billboard.GetSize()), std::tuple(0.75f, 3.0f));
    RwIm3DVertex corners[4];
    billboard.BuildQuad(Matrix3(), corners);
    EXPECT_EQ(std::pair(corners[0].u, corners[0].v), std::pair(0.75f, 0.0f));  // frame 3 of 4 x 4
}

TEST(ParticleSystem, ActionsRunInOrderAfterAgeingAndBeforeTheBillboardIsSet)
{
    Fountain f;
    f.system.SetAutomaticGenerate(false);
    f.system.LifeTime().Set(Fountain::Constant(2.0f));
    auto fade = std::make_unique<ParticleActionFadeOut>();
    fade->SetTime(4.0f);  // always fading: alpha x remaining / 4
    f.system.AddAction(std::move(fade));
    f.system.AddAction(nullptr);
    ASSERT_EQ(f.system.GetActions().size(), 1u);
    auto* particle = dynamic_cast<BillboardParticle*>(f.system.Emit());
    ASSERT_NE(particle, nullptr);
    f.system.Update(1.0f);
    // Scaled afresh each frame, not compounded.
    EXPECT_FLOAT_EQ(particle->GetBillboard().GetColor().a, 0.25f);
    f.system.Update(0.5f);
    EXPECT_FLOAT_EQ(particle->GetBillboard().GetColor().a, 0.125f);
}

// A system with Fade In, Fade Out and Height Wind, written.
std::string ThreeActions(ParticleSystem& system)
{
    for (int type = 1; type <= 3; ++type)
        system.AddAction(CreateParticleAction(type));
    return WrittenTable(system);
}

TEST(ParticleSystemTable, TheActionCountShrinksOrGrowsTheListWithBlinks)
{
    for (const auto& [count, want] : {std::pair{"1", std::vector<int32_t>{1}}, std::pair{"5", std::vector{1, 2, 3, 0, 0}},
                                      std::pair{"-4", std::vector<int32_t>{}}}) {
        Fountain f;
        const std::string text = ThreeActions(f.system);
        Fountain g;
        g.system.AddAction(CreateParticleAction(2));
        LogCapture log;
        ReadTable(g.system, ReplaceValue(text, "Actions Count", count));
        EXPECT_EQ(Types(g.system), want) << count;
        EXPECT_EQ(log.Count("***WARNING: ParticleSystem::Serialize: Actions Count -4 read as 0"), want.empty());
    }
}

TEST(ParticleSystemTable, AFileCreatesDeletesAndResetsNothingAndValuesOutsideTheListsChangeNothing)
{
    Fountain f;
    const std::string text = ThreeActions(f.system);
    for (const char* key : {"\"Create\" 0", "\"Delete\" 0", "\"Reset\" 0"})
        EXPECT_NE(text.find(key), std::string::npos) << key;
    ASSERT_NE(f.system.Emit(), nullptr);
    ReadTable(f.system, text);
    EXPECT_EQ(std::pair(Types(f.system), f.system.GetLiveCount()), std::pair(std::vector{1, 2, 3}, 1));

    const std::tuple<const char*, const char*, std::vector<int32_t>, int> edits[] = {
        {"Create", "2", {1, 2, 3, 1}, 0},  {"Create", "5", {1, 2, 3}, 1}, {"Create", "-1", {1, 2, 3}, 1},
        {"Delete", "2", {1, 3}, 0},        {"Delete", "4", {1, 2, 3}, 1}, {"Delete", "-3", {1, 2, 3}, 1},
        {"Action Type", "0", {0, 2, 3}, 0}, {"Action Type", "9", {1, 2, 3}, 1},
    };
    for (const auto& [key, value, types, warnings] : edits) {
        Fountain g;
        ThreeActions(g.system);
        LogCapture log;
        ReadTable(g.system, ReplaceValue(text, key, value));
        EXPECT_EQ(Types(g.system), types) << key << " " << value;
        EXPECT_EQ(log.Count("***WARNING: ParticleSystem::Serialize: "), warnings) << key << " " << value;
    }
    ReadTable(f.system, ReplaceValue(text, "Reset", "1"));
    EXPECT_EQ(f.system.GetLiveCount(), 0);
}

TEST(ParticleSystemTable, AGenericEmittersTypeSwitchThenReadsTheNewEmittersKeys)
{
    GenericFloatEmitter linear;
    auto emitter = std::make_unique<LinearEmitter>();
    emitter->Set(10, 2);
    emitter->SetType(1);
    linear.Set(std::move(emitter));
    const std::string text = WrittenTable(linear);
    GenericFloatEmitter read;
    ReadTable(read, text);
    ASSERT_TRUE(dynamic_cast<LinearEmitter*>(&read.Get()));
    EXPECT_EQ(WrittenTable(read), text);

    GenericVectorEmitter vector;
    ReadTable(vector, "[Emitter] \"test\"\n{\n \"Type\" 2\n [Sphere Emitter] \"\"\n {\n  \"radius\" 3\n }\n}\n");
    ASSERT_TRUE(dynamic_cast<SphereEmitter*>(&vector.Get()));
    EXPECT_NEAR(vector.Emit().Length(), 3.0f, 1e-4f);
}

TEST(ParticleSystemTable, TheFactoryStoresBlendsOneLowerAndReadsBadCountsAsOne)
{
    BillboardParticleFactory factory;
    factory.Setup(nullptr, 5, 6, 4, 4, 16);
    const std::string text = WrittenTable(factory);
    EXPECT_NE(text.find("\"Blend Src\" 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Blend Dest\" 5\n"), std::string::npos) << text;
    BillboardParticleFactory read;
    ReadTable(read, text);
    EXPECT_EQ(WrittenTable(read), text);
    // A new particle shows the sheet's first frame.
    std::unique_ptr<Particle> first(read.Create());
    RwIm3DVertex corners[4];
    dynamic_cast<BillboardParticle&>(*first).GetBillboard().BuildQuad(Matrix3(), corners);
    EXPECT_EQ(std::tuple(corners[0].u, corners[0].v, corners[2].u, corners[2].v), std::tuple(0.0f, 0.0f, 0.25f, 0.25f));

    LogCapture log;
    ReadTable(read, ReplaceValue(ReplaceValue(ReplaceValue(text, "column count", "0"), "frames count", "-1"),
                                 "Blend Src", "11"));
    EXPECT_EQ(log.Count("***WARNING: BillboardParticleFactory::Serialize: "), 3);
    std::unique_ptr<Particle> particle(read.Create());
    const AnimatedBillboard& billboard = dynamic_cast<BillboardParticle&>(*particle).GetBillboard();
    EXPECT_EQ(std::tuple(billboard.GetRows(), billboard.GetColumns(), billboard.GetFrameCount()), std::tuple(4, 1, 1));
    EXPECT_NE(WrittenTable(read).find("\"Blend Src\" 4\n"), std::string::npos);
}

class SampleTest : public SceneTest {};

// Four vertices, the first two on bone 0, the third on bone 1 and the last half on each; bone
// 1 is posed 5 up and the atomic's frame stands at x = 10.
TEST_F(SampleTest, PointsLieOnThePosedMeshInTheWorld)
{
    RpGeometry* geometry = RpGeometryCreate(4, 1, rpGeometryNormals);
    const RwV3d verts[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        geometry->morphTarget[0].verts[i] = verts[i];
        geometry->morphTarget[0].normals[i] = {0, 0, 1};
    }
    RwMatrix identity[2];
    RwMatrixSetIdentity(&identity[0]);
    RwMatrixSetIdentity(&identity[1]);
    const RpSkinVertexIndices indices[4] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}};
    const RpSkinVertexWeights weights[4] = {{1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}};
    RpSkinGeometrySetSkin(geometry, RpSkinCreate(4, 2, identity, indices, weights));
    RpAtomic* atomic = RpAtomicSetGeometry(RpAtomicCreate(), geometry);
    RpGeometryDestroy(geometry);
    RwFrame* frame = RwFrameCreate();
    const RwV3d at{10, 0, 0};
    RwFrameTranslate(frame, &at, rwCombineReplace);
    RpAtomicSetFrame(atomic, frame);
    const RwInt32 ids[2] = {0, 1};
    const RwUInt32 flags[2] = {rpHAnimPushParent | rpHAnimPopParent, rpHAnimPopParent};
    RpHAnimHierarchy* hierarchy =
        RpHAnimHierarchyCreate(2, flags, ids, rpHAnimHierarchyLocalSpaceMatrices, 36);
    RwMatrixSetIdentity(&hierarchy->pMatrixArray[0]);
    RwMatrixSetIdentity(&hierarchy->pMatrixArray[1]);
    hierarchy->pMatrixArray[1].pos = {0, 5, 0};
    RpSkinAtomicSetHAnimHierarchy(atomic, hierarchy);

    Random::Effects::Seed(3);
    Vector3 positions[64], normals[64];
    ASSERT_TRUE(SampleAtomicVertices(atomic, positions, normals, 64));
    const std::vector<Vector3> posed{{10, 0, 0}, {11, 0, 0}, {10, 6, 0}, {11, 3.5f, 0}};
    std::vector<int> hits(4);
    for (int i = 0; i < 64; ++i) {
        const auto it = std::find_if(posed.begin(), posed.end(), [&](const Vector3& p) { return Near(p, positions[i]); });
        ASSERT_NE(it, posed.end()) << positions[i].x << " " << positions[i].y;
        ++hits[it - posed.begin()];
        EXPECT_TRUE(Near(normals[i], {0, 0, 1}));
    }
    EXPECT_EQ(std::count(hits.begin(), hits.end(), 0), 0);
    positions[0] = {-1, -1, -1};
    EXPECT_FALSE(SampleAtomicVertices(atomic, positions, normals, 65) ||
                 SampleAtomicVertices(atomic, positions, normals, -1) ||
                 SampleAtomicVertices(nullptr, positions, normals, 1));
    EXPECT_EQ(positions[0], Vector3(-1, -1, -1));

    // A second morph target is reported and the first one used.
    ASSERT_GE(RpGeometryAddMorphTarget(atomic->geometry), 0);
    LogCapture log;
    ASSERT_TRUE(SampleAtomicVertices(atomic, positions, normals, 1));
    EXPECT_NE(std::find_if(posed.begin(), posed.end(), [&](const Vector3& p) { return Near(p, positions[0]); }),
              posed.end());
    EXPECT_EQ(log.lines, Lines{"ERROR: Atomic with more than 1 morph target found!\n"});

    RpSkinAtomicSetHAnimHierarchy(atomic, nullptr);
    RpHAnimHierarchyDestroy(hierarchy);
    RpAtomicSetFrame(atomic, nullptr);
    RwFrameDestroy(frame);
    RpAtomicDestroy(atomic);
}

}  // namespace
