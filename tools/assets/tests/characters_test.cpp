// The characters and their animations as the game reads them back: models, skins, textures by
// variation, the clips of every action name, the locators, and motions that do what they say.
#include "support/AssetTestSupport.h"

#include "tools/assets/animations/Motions.h"
#include "tools/assets/characters/Characters.h"
#include "tools/assets/common/Sheet.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace assets;
using namespace assets::chars;

class Staged : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::EngineUp());
        stage = test::SharedStage();
        ASSERT_FALSE(stage.empty());
        project = stage + "/data/pc/";
    }
    std::string TexturePath(Race race, const char* set, int variation) const
    {
        const std::string d = project + RaceFolder(race) + "/" + set + "/";
        return d + "Var0" + std::to_string(variation) + ";" + d + "Common;" + d + "Shirt00";
    }
    // Loads the model with one variation's textures; counts the textures that were missing.
    RpClump* Load(Race race, const char* set, int variation, bool& missing) const
    {
        RwTexDictionary* previous = RwTexDictionaryGetCurrent();
        RwTexDictionary* dict = RwTexDictionaryCreate();
        dicts.push_back(dict);
        RwTexDictionarySetCurrent(dict);
        RwImageSetPath(TexturePath(race, set, variation).c_str());
        RwError error;
        RwErrorGet(&error);  // clears it
        RpClump* clump = nullptr;
        RwStream* in = RwStreamOpen(rwStreamFileName, rwStreamRead, (project + ModelPath(race)).c_str());
        RwUInt32 length, version;
        if (in && RwStreamFindChunk(in, rwChunkClump, &length, &version))
            clump = RpClumpStreamRead(in);
        if (in)
            RwStreamClose(in, nullptr);
        RwErrorGet(&error);
        missing = error.errorCode == rwErrorTextureMissing;
        RwTexDictionarySetCurrent(previous);
        return clump;
    }
    void TearDown() override
    {
        for (RwTexDictionary* d : dicts)
            RwTexDictionaryDestroy(d);
    }
    RtAnimAnimation* ReadAnimation(const std::string& name) const
    {
        return RtAnimAnimationRead((project + kAnimationFolder + "/" + name + ".anm").c_str());
    }

    std::string stage, project;
    mutable std::vector<RwTexDictionary*> dicts;
};

bool HasShirt(RpAtomic* atomic)
{
    const RpGeometry* g = RpAtomicGetGeometry(atomic);
    for (int i = 0; i < g->matList.numMaterials; ++i)
        if (const RwTexture* t = g->matList.materials[i]->texture) {
            const std::string name = t->name;
            if (name.size() > 6 && name.substr(name.size() - 6) == "_shirt")
                return true;
        }
    return false;
}

TEST_F(Staged, ModelsReadBackSkinnedOnTheSharedSkeleton)
{
    for (Race race : kRaces) {
        SCOPED_TRACE(RaceName(race));
        bool missing = false;
        RpClump* clump = Load(race, "Textures24Bit", 2 % VariationCount(race), missing);
        ASSERT_NE(clump, nullptr);
        EXPECT_FALSE(missing);
        RpHAnimHierarchy* h = RpHAnimFrameFindHierarchy(RpClumpGetFrame(clump));
        ASSERT_NE(h, nullptr);
        ASSERT_EQ(h->numNodes, kBoneCount);
        for (int i = 0; i < kBoneCount; ++i) {
            EXPECT_EQ(h->pNodeInfo[i].nodeID, i);
            EXPECT_EQ(h->pNodeInfo[i].parentIndex, Bones()[size_t(i)].parent) << Bones()[size_t(i)].name;
        }
        ASSERT_EQ(RpClumpGetNumAtomics(clump), race == Race::Weasel ? 3 : 2);
        int triangles = 0;
        for (RpAtomic* a : clump->atomics) {
            RpGeometry* g = RpAtomicGetGeometry(a);
            triangles += g->numTriangles;
            RpSkin* skin = RpSkinGeometryGetSkin(g);
            ASSERT_NE(skin, nullptr);
            EXPECT_EQ(RpSkinGetNumBones(skin), kBoneCount);
            EXPECT_LE(skin->maxWeightsPerVertex, 4);
            for (int v = 0; v < skin->numVertices; ++v) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) {
                    sum += skin->weights[v][k];
                    EXPECT_LT(skin->boneIndices[v][k], kBoneCount);
                }
                EXPECT_NEAR(sum, 1.0f, 1e-4f);
            }
        }
        EXPECT_LT(triangles, 3000);
        // The kit carries the shirt; the body never does (a cut scene hides the kit).
        EXPECT_TRUE(HasShirt(clump->atomics[size_t(KitAtomic(race))]));
        EXPECT_FALSE(HasShirt(clump->atomics[size_t(BodyAtomic(race))]));
        if (race == Race::Weasel) {
            const RpGeometry* card = RpAtomicGetGeometry(clump->atomics[kCardAtomic]);
            ASSERT_EQ(card->matList.numMaterials, 1);
            ASSERT_NE(card->matList.materials[0]->texture, nullptr);
            EXPECT_STREQ(card->matList.materials[0]->texture->name, "weasel_card");
        }
        RpClumpDestroy(clump);
    }
}

TEST_F(Staged, EveryVariationFindsAllItsTexturesInBothSets)
{
    for (Race race : kRaces)
        for (const char* set : {"Textures24Bit", "SmallTextures24Bit"})
            for (int v = 0; v < VariationCount(race); ++v) {
                bool missing = true;
                RpClump* clump = Load(race, set, v, missing);
                ASSERT_NE(clump, nullptr);
                EXPECT_FALSE(missing) << RaceName(race) << " " << set << " Var0" << v;
                RpClumpDestroy(clump);
            }
    // A variation that does not exist misses its textures: the check above can fail.
    bool missing = false;
    RpClump* clump = Load(Race::Weasel, "Textures24Bit", 5, missing);
    EXPECT_TRUE(missing);
    if (clump)
        RpClumpDestroy(clump);
}

TEST_F(Staged, VariationsLookDifferentAndKeepersStandApart)
{
    for (Race race : kRaces) {
        if (race == Race::Weasel)
            continue;
        const std::string d = project + RaceFolder(race) + "/Textures24Bit/";
        const std::string skin = TextureNames(race)[0] + ".png";
        std::set<std::vector<unsigned char>> looks;
        for (int v = 0; v < VariationCount(race); ++v) {
            std::vector<unsigned char> bytes, face;
            ASSERT_TRUE(test::ReadBytes(d + "Var0" + std::to_string(v) + "/" + skin, bytes));
            ASSERT_TRUE(test::ReadBytes(d + "Var0" + std::to_string(v) + "/" + TextureNames(race)[2] + ".png", face));
            bytes.insert(bytes.end(), face.begin(), face.end());
            looks.insert(bytes);
        }
        EXPECT_EQ(looks.size(), size_t(VariationCount(race))) << RaceName(race);
        // Keepers wear their own shirt and gloves; field players take the team's shirt.
        const std::string shirt = ShirtTexture(race) + ".png";
        EXPECT_TRUE(std::filesystem::exists(d + "Var00/" + shirt));
        EXPECT_TRUE(std::filesystem::exists(d + "Var01/" + shirt));
        EXPECT_FALSE(std::filesystem::exists(d + "Var02/" + shirt));
        EXPECT_TRUE(std::filesystem::exists(d + "Shirt00/" + shirt));
        std::vector<unsigned char> keeperHands, playerHands;
        ASSERT_TRUE(test::ReadBytes(d + "Var00/" + TextureNames(race)[3] + ".png", keeperHands));
        ASSERT_TRUE(test::ReadBytes(d + "Var05/" + TextureNames(race)[3] + ".png", playerHands));
        EXPECT_NE(keeperHands, playerHands);
    }
}

TEST_F(Staged, EveryActionHasAClipOnTheSkeleton)
{
    ASSERT_EQ(ActionAnimations().size(), 63u);
    std::set<std::string> actions;
    for (const ActionAnimation& a : ActionAnimations()) {
        actions.insert(a.action);
        SCOPED_TRACE(a.action);
        const Clip* clip = FindClip(a.clip);
        ASSERT_NE(clip, nullptr);
        RtAnimAnimation* anim = ReadAnimation(a.clip);
        ASSERT_NE(anim, nullptr);
        EXPECT_EQ(RtAnimAnimationGetNumNodes(anim), kBoneCount);
        EXPECT_NEAR(anim->duration, clip->duration, 1e-5f);
        for (const RtAnimTrack& track : anim->tracks) {
            ASSERT_GE(track.keys.size(), 2u);
            EXPECT_EQ(track.keys.front().time, 0.0f);
            EXPECT_NEAR(track.keys.back().time, anim->duration, 1e-5f);
        }
        if (clip->loops)
            for (const RtAnimTrack& track : anim->tracks) {
                const RtAnimKeyFrame &first = track.keys.front(), &last = track.keys.back();
                for (int k = 0; k < 4; ++k)
                    EXPECT_EQ(first.rot[k], last.rot[k]);
                for (int k = 0; k < 3; ++k)
                    EXPECT_EQ(first.trans[k], last.trans[k]);
            }
        RtAnimAnimationDestroy(anim);
    }
    EXPECT_EQ(actions.size(), 63u);
    // The clip names are files: nothing else reads them.
    EXPECT_EQ(ReadAnimation("no_such_clip"), nullptr);
}

TEST_F(Staged, ClipsKeepTheModelsProportions)
{
    // Shared clips carry every bone's offset, so they must equal the model's bind offsets.
    RtAnimAnimation* anim = ReadAnimation("stand");
    ASSERT_NE(anim, nullptr);
    for (int b = 0; b < kBoneCount; ++b) {
        if (b == kPelvis)
            continue;
        const Vec3 o = BindOffset(b);
        const RtAnimKeyFrame& k = anim->tracks[size_t(b)].keys.front();
        EXPECT_NEAR(k.trans[0], o.x, 1e-6f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(k.trans[1], o.y, 1e-6f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(k.trans[2], o.z, 1e-6f) << Bones()[size_t(b)].name;
    }
    RtAnimAnimationDestroy(anim);
}

TEST_F(Staged, LocatorsHaveTwoNodesAndTimeTheBall)
{
    int balls = 0, moves = 0;
    for (const Clip& clip : Clips()) {
        SCOPED_TRACE(clip.name);
        RtAnimAnimation* ball = ReadAnimation(clip.name + "_ball");
        ASSERT_EQ(ball != nullptr, clip.ball != BallMode::None);
        if (ball) {
            ++balls;
            EXPECT_EQ(RtAnimAnimationGetNumNodes(ball), 2);
            EXPECT_NEAR(ball->duration, clip.ballEnd, 1e-4f);
            // Node 0 stays at the origin: the locator's frame follows node 1 alone.
            for (const RtAnimKeyFrame& k : ball->tracks[0].keys)
                EXPECT_EQ(k.trans[0] * k.trans[0] + k.trans[1] * k.trans[1] + k.trans[2] * k.trans[2], 0.0f);
            // Balls stay within reach of the body and never sink into the ground.
            for (const RtAnimKeyFrame& k : ball->tracks[1].keys) {
                EXPECT_GE(k.trans[1], kBallRadius - 1e-4f);
                EXPECT_LT(std::hypot(k.trans[0], k.trans[2]), 1.6f);
            }
            // Kicks start with the ball before the player's feet.
            if (clip.ball == BallMode::Point) {
                EXPECT_GT(ball->tracks[1].keys.front().trans[2], 0.0f);
            }
            RtAnimAnimationDestroy(ball);
        }
        RtAnimAnimation* move = ReadAnimation(clip.name + "_move");
        ASSERT_EQ(move != nullptr, bool(clip.move));
        if (move) {
            ++moves;
            EXPECT_EQ(RtAnimAnimationGetNumNodes(move), 2);
            EXPECT_NEAR(move->duration, clip.duration, 1e-4f);
            RtAnimAnimationDestroy(move);
        }
    }
    EXPECT_GE(balls, 20);
    EXPECT_GE(moves, 8);
    // Kicks end their ball locator at the kick, inside the clip; holds last.
    for (const char* kick : {"pass", "shoot", "penaltyshot", "keeperkickpass", "throwinpass", "snag", "header"}) {
        const Clip* c = FindClip(kick);
        ASSERT_NE(c, nullptr);
        EXPECT_GT(c->ballEnd, 0.1f) << kick;
        EXPECT_LT(c->ballEnd, c->duration) << kick;
    }
    for (const char* hold : {"standwithball", "keeperkickwait", "throwinwait"})
        EXPECT_GE(FindClip(hold)->ballEnd, 600.0f) << hold;
}

// The rig's own pose maths against what the engine makes of the written key frames.
TEST(Rig, PoseMathMatchesTheEngine)
{
    ASSERT_TRUE(test::EngineUp());
    const Clip* clip = FindClip("shoot");
    ASSERT_NE(clip, nullptr);
    RtAnimAnimation* anim = BuildClipAnimation(*clip);
    ASSERT_NE(anim, nullptr);
    RpHAnimHierarchy* h = CreateSkeletonHierarchy(0);
    RtAnimInterpolatorSetCurrentAnim(h->interpolator, anim);
    // A key's own time, so no interpolation stands between the two.
    const float t = anim->tracks[0].keys[size_t(clip->contact * kSampleRate)].time;
    RtAnimInterpolatorSetCurrentTime(h->interpolator, t);
    RpHAnimHierarchyUpdateMatrices(h);
    const auto world = PoseToWorld(clip->pose(t));
    for (int b = 0; b < kBoneCount; ++b) {
        const RwMatrix& m = h->pMatrixArray[b];
        EXPECT_NEAR(m.pos.x, world[size_t(b)].pos.x, 1e-3f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(m.pos.y, world[size_t(b)].pos.y, 1e-3f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(m.pos.z, world[size_t(b)].pos.z, 1e-3f) << Bones()[size_t(b)].name;
        // The axes too: the hand's direction decides where a held ball sits.
        EXPECT_NEAR(m.right.x, world[size_t(b)].right.x, 1e-3f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(m.up.z, world[size_t(b)].up.z, 1e-3f) << Bones()[size_t(b)].name;
    }
    RpHAnimHierarchyDestroy(h);
    RtAnimAnimationDestroy(anim);
}

TEST(Rig, MirroredPoseMirrorsTheJoints)
{
    const Clip* left = FindClip("savetopleft");
    const Clip* right = FindClip("savetopright");
    ASSERT_TRUE(left && right);
    const auto l = PoseToWorld(left->pose(left->contact));
    const auto r = PoseToWorld(right->pose(right->contact));
    for (int b = 0; b < kBoneCount; ++b) {
        const int m = b >= kUpperArmL && b <= kHandL ? b + 3 : b >= kUpperArmR && b <= kHandR ? b - 3
                      : b >= kThighL && b <= kFootL  ? b + 3 : b >= kThighR && b <= kFootR ? b - 3 : b;
        EXPECT_NEAR(l[size_t(b)].pos.x, -r[size_t(m)].pos.x, 1e-4f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(l[size_t(b)].pos.y, r[size_t(m)].pos.y, 1e-4f) << Bones()[size_t(b)].name;
    }
}

// Motions that read: a run runs, a kick meets the ball, a dive flies sideways, a held ball is
// in the hands.
TEST(Motions, DoWhatTheirNamesSay)
{
    const Clip* run = FindClip("run");
    ASSERT_NE(run, nullptr);
    float leftLead = 0, rightLead = 0;
    for (int k = 0; k < 20; ++k) {
        const auto w = PoseToWorld(run->pose(run->duration * float(k) / 20));
        leftLead = std::max(leftLead, w[kFootL].pos.z - w[kFootR].pos.z);
        rightLead = std::max(rightLead, w[kFootR].pos.z - w[kFootL].pos.z);
    }
    EXPECT_GT(leftLead, 0.5f);  // the feet take turns well in front of each other
    EXPECT_GT(rightLead, 0.5f);

    for (const char* kick : {"pass", "shoot", "penaltyshot"}) {
        const Clip* c = FindClip(kick);
        const auto w = PoseToWorld(c->pose(c->ballEnd));
        const Vec3 ball = c->ballAt(c->ballEnd);
        const Vec3 toe = w[kFootR].Point({0, -0.04f, 0.12f});
        EXPECT_LT(Length(toe - ball), 0.4f) << kick;
        // ... and the foot swings through: it is behind the body earlier in the clip.
        const auto back = PoseToWorld(c->pose(c->ballEnd * 0.55f));
        EXPECT_LT(back[kFootR].pos.z, -0.1f) << kick;
    }

    const Clip* dive = FindClip("savetopleft");
    const auto fly = PoseToWorld(dive->pose(dive->contact));
    EXPECT_GT(fly[kHead].pos.x - fly[kPelvis].pos.x, 0.4f);  // lying sideways towards the left
    EXPECT_GT(fly[kPelvis].pos.y, 1.0f);                      // in the air
    EXPECT_GT(dive->move(dive->duration).x, 1.0f);            // and travelling left
    EXPECT_LT(Mirror(dive->pose(dive->contact)).hip.x, 0.0f);

    const Clip* hold = FindClip("standwithball");
    const auto w = PoseToWorld(hold->pose(0));
    const Vec3 ball = BallInHands(hold->pose(0));
    EXPECT_LT(Length(ball - w[kHandL].pos), 0.3f);
    EXPECT_LT(Length(ball - w[kHandR].pos), 0.3f);
    EXPECT_GT(ball.z, w[kChest].pos.z + 0.1f);
    EXPECT_GT(ball.y, 0.9f);
}

}  // namespace
