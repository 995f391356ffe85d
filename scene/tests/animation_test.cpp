// Animation controls, moving animations, animated clumps cross-fading on a skinned limb, and
// the locator's root motion.
#include "support/PluginTestSupport.h"
#include "support/SceneTest.h"

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "scene/AnimatedClump.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <cmath>
#include <memory>

namespace {

// A target that only keeps its time.
struct Playhead : Animated {
    void SetTime(float seconds) override { time = seconds; }
    float GetTime() const override { return time; }
    float GetDuration() const override { return duration; }
    float time = 0.0f;
    float duration = 1.0f;
};

struct Step {
    float start, duration, dt, speed;
    float time;
    bool finished;
};

void ExpectSteps(AnimationControl& control, float start, float duration, const std::vector<Step>& steps)
{
    Playhead target;
    target.time = start;
    target.duration = duration;
    control.SetTarget(&target);
    for (size_t i = 0; i < steps.size(); ++i) {
        control.Update(steps[i].dt);
        EXPECT_NEAR(target.time, steps[i].time, 1e-5f) << "step " << i;
        EXPECT_EQ(control.HasFinished(), steps[i].finished) << "step " << i;
    }
}

TEST(AnimationControlTest, EachControlAdvancesClampsAndWrapsTheTime)
{
    AnimationControlForward forward;
    ExpectSteps(forward, 0.9f, 1.0f, {{0, 0, 0.2f, 1, 0.999999f, true}, {0, 0, 0.0f, 1, 0.999999f, false}});
    AnimationControlForward fast(2.0f);
    ExpectSteps(fast, 0.1f, 1.0f, {{0, 0, 0.2f, 2, 0.5f, false}});
    AnimationControlBackward backward;
    ExpectSteps(backward, 0.3f, 1.0f, {{0, 0, 0.2f, 1, 0.1f, false}, {0, 0, 0.2f, 1, 0.0f, true}});
    AnimationControlLooping looping;
    ExpectSteps(looping, 0.9f, 1.0f, {{0, 0, 2.5f, 1, 0.4f, true}, {0, 0, 0.25f, 1, 0.65f, false}});
    ExpectSteps(looping, 0.5f, 1.0f, {{0, 0, 0.5f, 1, 1.0f, false}});
    AnimationControlPingPong pingPong;
    ExpectSteps(pingPong, 0.8f, 1.0f,
                {{0, 0, 0.5f, 1, 0.999999f, true}, {0, 0, 0.5f, 1, 0.499999f, false},
                 {0, 0, 0.7f, 1, 0.0f, true}, {0, 0, 0.25f, 1, 0.25f, false}});
    AnimationControlStopped stopped;
    ExpectSteps(stopped, 0.4f, 1.0f, {{0, 0, 0.5f, 1, 0.4f, false}});
}

TEST(AnimationControlTest, ATargetWithoutLengthKeepsItsTime)
{
    std::vector<std::unique_ptr<AnimationControl>> controls;
    controls.push_back(std::make_unique<AnimationControlForward>());
    controls.push_back(std::make_unique<AnimationControlBackward>());
    controls.push_back(std::make_unique<AnimationControlLooping>());
    controls.push_back(std::make_unique<AnimationControlPingPong>());
    for (auto& control : controls)
        ExpectSteps(*control, 0.5f, 0.0f, {{0, 0, 3.0f, 1, 0.5f, false}});
}

class MovingAnimationTest : public SceneTest {};

// A one-second, one-node animation written where the file layer finds it.
std::string WriteAnimation(const char* name, RtAnimAnimation* animation)
{
    EXPECT_TRUE(RtAnimAnimationWrite(animation, name));
    RtAnimAnimationDestroy(animation);
    return name;
}

RtAnimAnimation* Held(RwReal degrees)
{
    RtAnimAnimation* animation = RtAnimAnimationCreate(2, 1.0f);
    animation->tracks[0].keys = {Key(0, 0), Key(1, 0)};
    animation->tracks[1].keys = {Key(0, degrees, {1, 0, 0}), Key(1, degrees, {1, 0, 0})};
    return animation;
}

TEST_F(MovingAnimationTest, FractionWrapsOnceAndMapTimeFollowsTheSpeedLock)
{
    MovingAnimation none;
    EXPECT_EQ(none.GetFraction(0.2f, 0.8f), 0.0f);

    MovingAnimation moving;
    moving.SetFileName(WriteAnimation("held.anm", Held(0)));
    ASSERT_NE(moving.GetRtAnimation(), nullptr);
    EXPECT_EQ(moving.GetRtAnimation(), moving.GetRtAnimation());
    EXPECT_NEAR(moving.GetFraction(0.8f, 0.2f), 0.4f, 1e-6f);
    EXPECT_NEAR(moving.GetFraction(0.2f, 0.8f), 0.6f, 1e-6f);

    struct Case {
        float move, rotation, fixed;
        int32_t lock;
        float want;
    };
    // Distance 3, angle 0.5 over one second.
    for (const Case& c : std::vector<Case>{{0, 0, 1, MovingAnimation::kMovement, 1.0f},
                                           {2, 0, 1, MovingAnimation::kMovement, 1.5f},
                                           {0, 0, 1, MovingAnimation::kRotation, 0.0f},
                                           {0, 0.25f, 1, MovingAnimation::kRotation, 2.0f},
                                           {2, 2, 0.75f, MovingAnimation::kFixed, 0.75f}}) {
        moving.SetRates(c.move, c.rotation, c.fixed, c.lock);
        EXPECT_NEAR(moving.MapTime(-3.0f, 0.5f), c.want, 1e-6f) << c.lock << " " << c.move << " " << c.rotation;
    }
}

// The limb of the plugin tests, loaded from a file as a game model.
class AnimatedClumpTest : public SceneTest {
protected:
    void SetUp() override
    {
        Limb limb = MakeLimb();
        WriteEngineFile("limb.dff", [&](RwStream* s) { return RpClumpStreamWrite(limb.clump, s) != nullptr; });
        WriteEngineFile("limb2.dff", [&](RwStream* s) { return RpClumpStreamWrite(limb.clump, s) != nullptr; });
        RpClumpDestroy(limb.clump);
        WriteAnimation("straight.anm", Held(0));
        WriteAnimation("bent.anm", Held(90));
    }

    // Bone 1's turn about z in degrees, from its frame.
    static float BoneAngle(const Clump& clump)
    {
        const RwMatrix* m = RwFrameGetMatrix(FindLimb(clump.GetRwClump()).bone1);
        return std::atan2(m->right.y, m->right.x) * 180.0f / 3.14159265f;
    }

    void LoadBoth(AnimatedClump& clump)
    {
        ASSERT_TRUE(clump.LoadAnimation("straight.anm"));
        ASSERT_TRUE(clump.LoadAnimation("bent.anm"));
        clump.SetAnimation(0, 0.0f);
        clump.Update(0.0f);
    }
};

TEST_F(AnimatedClumpTest, ABlendPassesTheHalfwayPoseAndEndsOnTheNewAnimation)
{
    AnimatedClump clump;
    ASSERT_TRUE(clump.LoadClump("limb.dff", "", true));
    LoadBoth(clump);
    EXPECT_NEAR(BoneAngle(clump), 0.0f, 1e-3f);

    clump.SetAnimation(1, 0.25f);
    EXPECT_TRUE(clump.IsBlending());
    clump.Update(0.125f);
    EXPECT_NEAR(BoneAngle(clump), 45.0f, 0.01f);
    clump.Update(0.125f);
    EXPECT_FALSE(clump.IsBlending());
    EXPECT_NEAR(BoneAngle(clump), 90.0f, 1e-3f);
}

TEST_F(AnimatedClumpTest, ASecondSwitchDuringABlendStartsAFreshOne)
{
    AnimatedClump clump;
    ASSERT_TRUE(clump.LoadClump("limb.dff", "", true));
    LoadBoth(clump);
    clump.SetAnimation(1, 0.25f);
    clump.Update(0.125f);
    clump.SetAnimation(0, 0.25f);
    EXPECT_EQ(clump.GetBlendProgress(), 0.0f);
    clump.Update(0.2f);
    EXPECT_TRUE(clump.IsBlending());
    clump.Update(0.05f);
    EXPECT_FALSE(clump.IsBlending());
    EXPECT_NEAR(BoneAngle(clump), 0.0f, 1e-3f);
}

TEST_F(AnimatedClumpTest, IndicesOutsideTheListChangeNothing)
{
    AnimatedClump clump;
    ASSERT_TRUE(clump.LoadClump("limb.dff", "", true));
    LoadBoth(clump);
    for (int index : {-1, -5, 2}) {
        clump.SetAnimation(index, 0.0f);
        EXPECT_EQ(clump.GetCurrentAnimation(), 0) << index;
        EXPECT_EQ(clump.GetAnimationDuration(index), 0.0f) << index;
    }
    EXPECT_EQ(clump.GetAnimationDuration(1), 1.0f);
}

TEST_F(AnimatedClumpTest, AddingNullOrAKnownAnimationAddsNothing)
{
    LogCapture log;
    AnimatedClump clump;
    ASSERT_TRUE(clump.LoadClump("limb.dff", "", true));
    int index = -1;
    EXPECT_TRUE(clump.AddAnimation(nullptr, false, index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(log.Contains("anim is NULL"));
    RtAnimAnimation* bend = MakeBendAnimation();
    EXPECT_TRUE(clump.AddAnimation(bend, false, index));
    EXPECT_TRUE(clump.AddAnimation(bend, true, index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(clump.GetAnimationCount(), 1);
}

// Reads a clump table naming the model.
void ReadTable(Clump& clump, const char* geometry)
{
    const std::string text = std::string("[Clump] \"limb\"\n{\n \"geometry\" \"") + geometry +
                             "\"\n \"textures\" \"\"\n}\n";
    File* out = FileSystem::Instance()->OpenWrite("limb.txt");
    ASSERT_NE(out, nullptr);
    out->Write(text.data(), text.size());
    ASSERT_TRUE(FileSystem::Instance()->Close(out));
    SerializeTable(clump, "limb.txt", "limb", false);
}

TEST_F(AnimatedClumpTest, AModelReadFromItsTableBlendsAfterwards)
{
    AnimatedClump clump;
    ReadTable(clump, "limb.dff");
    ASSERT_NE(clump.GetRwClump(), nullptr);
    LoadBoth(clump);
    clump.SetAnimation(1, 0.25f);
    EXPECT_TRUE(clump.IsBlending());
    clump.Update(0.125f);
    EXPECT_NEAR(BoneAngle(clump), 45.0f, 0.01f);
}

TEST_F(AnimatedClumpTest, ATableReloadDuringABlendKeepsPlayingOnTheNewModel)
{
    AnimatedClump clump;
    ASSERT_TRUE(clump.LoadClump("limb.dff", "", true));
    LoadBoth(clump);
    clump.SetAnimation(1, 0.25f);
    clump.Update(0.1f);
    ReadTable(clump, "limb2.dff");
    EXPECT_FALSE(clump.IsBlending());
    clump.Update(0.0f);
    EXPECT_NEAR(BoneAngle(clump), 90.0f, 1e-3f);
    clump.SetAnimation(0, 0.25f);
    clump.Update(0.125f);
    EXPECT_NEAR(BoneAngle(clump), 45.0f, 0.01f);
}

TEST_F(AnimatedClumpTest, ACloneSharesTheAnimationsAndBlendsOnItsOwnModel)
{
    AnimatedClump clump;
    ASSERT_TRUE(clump.LoadClump("limb.dff", "", true));
    LoadBoth(clump);
    std::unique_ptr<AnimatedClump> clone(clump.Clone());
    EXPECT_EQ(clone->GetAnimation(1), clump.GetAnimation(1));
    clone->SetAnimation(0, 0.0f);
    clone->SetAnimation(1, 0.5f);
    clone->Update(0.25f);
    EXPECT_NEAR(BoneAngle(*clone), 45.0f, 0.01f);
    EXPECT_NEAR(BoneAngle(clump), 0.0f, 1e-3f);
}

TEST_F(AnimatedClumpTest, ABoneRotationOfNoAngleIsRemoved)
{
    AnimatedClump clump;
    ASSERT_TRUE(clump.LoadClump("limb.dff", "", true));
    LoadBoth(clump);
    RpHAnimHierarchy* hierarchy = clump.GetHierarchy();
    ASSERT_NE(hierarchy, nullptr);
    clump.Update(0.0f);
    const Vector3 joint = V(hierarchy->pMatrixArray[1].pos);
    clump.SetBoneRotation(1, Quaternion(1.0f, Vector3::UnitX));
    clump.Update(0.0f);
    EXPECT_NEAR(hierarchy->pMatrixArray[1].up.z, std::sin(1.0f), 1e-4f);
    // Turned where it stands: a head looking round stays on its neck.
    EXPECT_TRUE(Near(V(hierarchy->pMatrixArray[1].pos), joint));
    clump.SetBoneRotation(1, Quaternion::Identity);
    clump.Update(0.0f);
    EXPECT_NEAR(hierarchy->pMatrixArray[1].up.z, 0.0f, 1e-4f);
}

TEST_F(AnimatedClumpTest, APoseOnlyDrawnWaitsForTheDrawWhereNoPictureIsShown)
{
    // Past the blend and with a bone turned, posed at once where pictures are shown.
    AnimatedClump posed;
    ASSERT_TRUE(posed.LoadClump("limb.dff", "", true));
    LoadBoth(posed);
    posed.SetAnimation(1, 0.25f);
    posed.SetBoneRotation(1, Quaternion(1.0f, Vector3::UnitX));
    posed.Update(0.5f);
    const RwMatrix want = posed.GetHierarchy()->pMatrixArray[1];

    const struct {
        bool onlyDrawn, shown;
        float updated;  // the bone's angle after the update, and 45 once drawn
    } cases[] = {{true, false, 0.0f}, {true, true, 45.0f}, {false, false, 45.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.onlyDrawn << c.shown);
        std::unique_ptr<ScopedPicturesShown> shown(c.shown ? new ScopedPicturesShown : nullptr);
        AnimatedClump clump;
        ASSERT_TRUE(clump.LoadClump("limb.dff", "", true));
        LoadBoth(clump);
        clump.SetPoseOnlyDrawn(c.onlyDrawn);
        clump.SetAnimation(1, 0.25f);
        clump.Update(0.125f);
        EXPECT_NEAR(BoneAngle(clump), c.updated, 0.01f);
        EXPECT_FALSE(Drawn([&] { clump.Render(); }).empty());
        EXPECT_NEAR(BoneAngle(clump), 45.0f, 0.01f);
        clump.SetBoneRotation(1, Quaternion(1.0f, Vector3::UnitX));
        clump.Update(0.375f);
        Drawn([&] { clump.Render(); });
        EXPECT_NEAR(BoneAngle(clump), 90.0f, 1e-3f);
        const RwMatrix& got = clump.GetHierarchy()->pMatrixArray[1];
        EXPECT_TRUE(Near(V(got.up), V(want.up)) && Near(V(got.at), V(want.at)) && Near(V(got.pos), V(want.pos)));
    }
}

TEST_F(AnimatedClumpTest, TheLocatorReportsTheStepOfItsRootMotion)
{
    RtAnimAnimation* walk = RtAnimAnimationCreate(2, 1.0f);
    walk->tracks[0].keys = {Key(0, 0), Key(1, 0)};
    walk->tracks[1].keys = {Key(0, 0, {0, 0, 0}), Key(1, 90, {2, 0, 0})};
    WriteAnimation("walk.anm", walk);

    Locator locator;
    locator.PlayAnimation("walk.anm");
    locator.Update(0.5f);
    EXPECT_TRUE(Near(locator.GetDeltaPosition(), {1, 0, 0}, 1e-4f));
    float angle = 0.0f;
    Vector3 axis;
    locator.GetDeltaRotation().ToAxisAngle(angle, axis);
    EXPECT_NEAR(angle, 3.14159265f / 4, 1e-3f);
    locator.Update(0.25f);
    EXPECT_NEAR(locator.GetDeltaPosition().Length(), 0.5f, 1e-4f);

    MovingAnimation moving;
    moving.SetFileName("walk.anm");
    moving.SetLocatorAnimation("walk.anm");
    moving.SetRates(4.0f, 0.0f, 1.0f, MovingAnimation::kMovement);
    EXPECT_TRUE(Near(moving.GetPosition(0.0f, 0.5f, Vector3::UnitZ), {1, 0, 2}, 1e-4f));
    moving.GetRotation(0.0f, 0.5f, Vector3::UnitY).ToAxisAngle(angle, axis);
    EXPECT_NEAR(angle, 3.14159265f / 4, 1e-3f);

    // The table brings the rates and the locator back.
    SerializeTable(moving, "moving.txt", "walk", true);
    MovingAnimation read;
    SerializeTable(read, "moving.txt", "walk", false);
    EXPECT_EQ(read.GetFileName(), "walk.anm");
    ASSERT_NE(read.GetLocator(), nullptr);
    EXPECT_EQ(read.MapTime(2.0f, 0.0f), 0.5f);
}

}  // namespace
