#include "support/PluginTestSupport.h"

#include <cmath>
#include <cstdio>

namespace {

// Rotation angle about z of a scheme-1 key frame, in degrees.
RwReal AngleZ(const RtAnimKeyFrame& k)
{
    return 2 * std::atan2(k.rot[3], k.rot[0]) * 180 / 3.14159265f;
}

RtAnimAnimation* Turn(RwReal toDegrees, RwReal duration = 1.0f)
{
    RtAnimAnimation* a = RtAnimAnimationCreate(1, duration);
    a->tracks[0].keys = {Key(0, 0), Key(duration, toDegrees, {0, 0, 2})};
    return a;
}

std::vector<RwUInt8> Serialise(const RtAnimAnimation* anim)
{
    RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
    EXPECT_TRUE(RtAnimAnimationStreamWrite(anim, out));
    RwMemory mem{};
    RwStreamClose(out, &mem);
    std::vector<RwUInt8> bytes(mem.start, mem.start + mem.length);
    std::free(mem.start);
    return bytes;
}

}  // namespace

TEST(Anim, FileRoundTripKeepsTracks)
{
    PluginEngine engine;
    RtAnimAnimation* anim = MakeBendAnimation();
    anim->tracks[1].nodeId = 7;
    ASSERT_TRUE(RtAnimAnimationWrite(anim, "bend.anm"));
    RtAnimAnimation* back = RtAnimAnimationRead("bend.anm");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(RtAnimAnimationGetNumNodes(back), 2);
    EXPECT_FLOAT_EQ(back->duration, 1.0f);
    ASSERT_EQ(back->tracks[1].keys.size(), 2u);
    EXPECT_EQ(back->tracks[1].nodeId, 7);
    EXPECT_NEAR(AngleZ(back->tracks[1].keys[1]), 90.0f, 1e-3f);
    EXPECT_FLOAT_EQ(back->tracks[1].keys[1].trans[0], 1.0f);
    RtAnimAnimationDestroy(anim);
    RtAnimAnimationDestroy(back);
}

TEST(Anim, InterpolatesBetweenTheKeysAroundTheTime)
{
    PluginEngine engine;
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, 3.0f);
    anim->tracks[0].keys = {Key(0, 0), Key(1, 90, {4, 0, 0}), Key(1.5f, 90, {4, 0, 0}), Key(3, 0)};
    RtAnimInterpolator* in = RtAnimInterpolatorCreate(1, 36);
    ASSERT_TRUE(RtAnimInterpolatorSetCurrentAnim(in, anim));
    RtAnimInterpolatorSetCurrentTime(in, 0.5f);
    EXPECT_NEAR(AngleZ(in->frames[0]), 45.0f, 1e-3f);
    EXPECT_NEAR(in->frames[0].trans[0], 2.0f, 1e-5f);
    RtAnimInterpolatorSetCurrentTime(in, 1.25f);  // between two equal keys
    EXPECT_NEAR(AngleZ(in->frames[0]), 90.0f, 1e-3f);
    RtAnimInterpolatorSetCurrentTime(in, 2.25f);
    EXPECT_NEAR(AngleZ(in->frames[0]), 45.0f, 1e-3f);
    EXPECT_NEAR(in->frames[0].trans[0], 2.0f, 1e-5f);
    RtAnimInterpolatorSetCurrentTime(in, 3.0f);  // the end itself is not wrapped
    EXPECT_NEAR(AngleZ(in->frames[0]), 0.0f, 1e-3f);
    RtAnimInterpolatorDestroy(in);
    RtAnimAnimationDestroy(anim);
}

TEST(Anim, TimePastTheDurationWraps)
{
    PluginEngine engine;
    RtAnimAnimation* anim = Turn(80, 2.0f);
    RtAnimInterpolator* in = RtAnimInterpolatorCreate(1, 36);
    RtAnimInterpolatorSetCurrentAnim(in, anim);
    RtAnimInterpolatorSetCurrentTime(in, 5.0f);
    EXPECT_FLOAT_EQ(in->currentTime, 1.0f);
    EXPECT_NEAR(AngleZ(in->frames[0]), 40.0f, 1e-3f);
    RtAnimInterpolatorSetCurrentTime(in, -0.5f);
    EXPECT_FLOAT_EQ(in->currentTime, 1.5f);
    EXPECT_NEAR(AngleZ(in->frames[0]), 60.0f, 1e-3f);
    RtAnimInterpolatorDestroy(in);
    RtAnimAnimationDestroy(anim);
}

TEST(Anim, BlendingTwoAnimationsHalfwayGivesTheHalfwayRotation)
{
    PluginEngine engine;
    RtAnimAnimation* a = Turn(20);
    RtAnimAnimation* b = Turn(100);
    RtAnimInterpolator* from = RtAnimInterpolatorCreate(1, 36);
    RtAnimInterpolator* to = RtAnimInterpolatorCreate(1, 36);
    RtAnimInterpolator* out = RtAnimInterpolatorCreate(1, 36);
    RtAnimInterpolatorSetCurrentAnim(from, a);
    RtAnimInterpolatorSetCurrentAnim(to, b);
    RtAnimInterpolatorSetCurrentTime(from, 1.0f);
    RtAnimInterpolatorSetCurrentTime(to, 1.0f);
    ASSERT_TRUE(RtAnimInterpolatorBlend(out, from, to, 0.5f));
    EXPECT_NEAR(AngleZ(out->frames[0]), 60.0f, 1e-3f);
    EXPECT_NEAR(out->frames[0].trans[2], 2.0f, 1e-5f);
    EXPECT_TRUE(out->hasPose);
    // A node count that differs is refused rather than read past.
    RtAnimInterpolator* two = RtAnimInterpolatorCreate(2, 36);
    EXPECT_FALSE(RtAnimInterpolatorBlend(two, from, to, 0.5f));
    RtAnimInterpolatorDestroy(two);
    RtAnimInterpolatorDestroy(from);
    RtAnimInterpolatorDestroy(to);
    RtAnimInterpolatorDestroy(out);
    RtAnimAnimationDestroy(a);
    RtAnimAnimationDestroy(b);
}

TEST(Anim, SlerpTakesTheShortWayRound)
{
    RtAnimKeyFrame a = Key(0, 170), b = Key(1, -170), out;
    RtAnimKeyFrameInterpolate(&out, &a, &b, 0.5f);
    EXPECT_NEAR(std::fabs(AngleZ(out)), 180.0f, 1e-2f);
}

TEST(Anim, ApplyCallbackWritesRotationThenTranslation)
{
    PluginEngine engine;
    RtAnimInterpolator* in = RtAnimInterpolatorCreate(1, 36);
    ASSERT_NE(in->keyFrameApplyCB, nullptr);
    RtAnimKeyFrame k = Key(0, 90, {3, 4, 5});
    RwMatrix m;
    in->keyFrameApplyCB(&m, &k);
    RwMatrix want;
    const RwV3d z{0, 0, 1}, t{3, 4, 5};
    RwMatrixRotate(&want, &z, 90, rwCombineReplace);
    RwMatrixTranslate(&want, &t, rwCombinePostMultiply);
    EXPECT_TRUE(Near(Transformed(m, {1, 2, 3}), Transformed(want, {1, 2, 3})));
    EXPECT_TRUE(Near(Transformed(m, {1, 0, 0}), {3, 5, 5}));
    EXPECT_FALSE(RtAnimInterpolatorSetKeyFrameCallBacks(in, 2));
    EXPECT_EQ(RtAnimInterpolatorCreate(1, 20), nullptr);
    RtAnimInterpolatorDestroy(in);
}

TEST(Anim, WriterRefusesTracksThatDoNotSpanTheDuration)
{
    PluginEngine engine;
    LogCapture log;
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, 2.0f);
    anim->tracks[0].keys = {Key(0, 0), Key(1.5f, 10)};
    EXPECT_FALSE(RtAnimAnimationWrite(anim, "short.anm"));
    anim->tracks[0].keys = {Key(0.1f, 0), Key(2, 10)};
    EXPECT_FALSE(RtAnimAnimationWrite(anim, "late.anm"));
    anim->tracks[0].keys = {Key(0, 0), Key(2, 10), Key(1, 0)};
    EXPECT_FALSE(RtAnimAnimationWrite(anim, "order.anm"));
    EXPECT_TRUE(log.Contains("does not run from 0"));
    RtAnimAnimationDestroy(anim);
}

TEST(Anim, TruncatedOrCorruptFilesGiveNullAndALogLine)
{
    PluginEngine engine;
    RtAnimAnimation* anim = MakeBendAnimation();
    const std::vector<RwUInt8> good = Serialise(anim);
    RtAnimAnimationDestroy(anim);
    ASSERT_GT(good.size(), 100u);

    for (size_t cut = 0; cut < good.size(); ++cut) {
        LogCapture log;
        WriteFileBytes("cut.anm", std::vector<RwUInt8>(good.begin(), good.begin() + long(cut)));
        RtAnimAnimation* a = RtAnimAnimationRead("cut.anm");
        EXPECT_EQ(a, nullptr) << "cut at " << cut;
        EXPECT_TRUE(log.Contains("RtAnimAnimationRead")) << "cut at " << cut;
        RtAnimAnimationDestroy(a);
    }

    // Offsets: 12 chunk header, 12 data header, 16 fields (scheme, nodes, duration, flags),
    // then track 0: 12 header, nodeId, numKeys, keys of 36 bytes.
    auto corrupt = [&](size_t at, std::vector<RwUInt8> bytes4, const char* what) {
        std::vector<RwUInt8> bad = good;
        std::copy(bytes4.begin(), bytes4.end(), bad.begin() + long(at));
        WriteFileBytes("bad.anm", bad);
        LogCapture log;
        RtAnimAnimation* a = RtAnimAnimationRead("bad.anm");
        EXPECT_EQ(a, nullptr) << what;
        EXPECT_TRUE(log.Contains("RtAnimAnimationRead")) << what;
        RtAnimAnimationDestroy(a);
    };
    corrupt(24, {2, 0, 0, 0}, "scheme 2");
    corrupt(28, {0xff, 0xff, 0, 0}, "node count beyond the file");
    corrupt(32, {0, 0, 0xc0, 0x7f}, "duration not a number");
    corrupt(56, {0xff, 0, 0, 0}, "key count beyond the track");
    corrupt(60, {0, 0, 0x80, 0x3f}, "first key not at time 0");
    corrupt(64, {0, 0, 0, 0}, "zero quaternion");  // w of key 0 (x, y, z are 0 too)
    corrupt(96, {0, 0, 0, 0xc0}, "keys out of order");

    LogCapture log;
    EXPECT_EQ(RtAnimAnimationRead("missing.anm"), nullptr);
    EXPECT_TRUE(log.Contains("missing.anm"));
}

TEST(Anim, NodeWithoutATrackStaysAtIdentity)
{
    PluginEngine engine;
    RtAnimAnimation* anim = Turn(90);
    RtAnimInterpolator* in = RtAnimInterpolatorCreate(2, 36);
    LogCapture log;
    ASSERT_TRUE(RtAnimInterpolatorSetCurrentAnim(in, anim));
    EXPECT_TRUE(log.Contains("1 tracks for 2 nodes"));
    RtAnimInterpolatorSetCurrentTime(in, 1.0f);
    EXPECT_NEAR(AngleZ(in->frames[0]), 90.0f, 1e-3f);
    EXPECT_FLOAT_EQ(in->frames[1].rot[0], 1.0f);
    RtAnimInterpolatorDestroy(in);
    RtAnimAnimationDestroy(anim);
}
