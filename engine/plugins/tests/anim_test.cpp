#include "support/PluginTestSupport.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Anim : public PluginTest {};

// Rotation angle about z of a scheme-1 key frame, in degrees.
RwReal AngleZ(const RtAnimKeyFrame& k)
{
    return 2 * std::atan2(k.rot[3], k.rot[0]) * 180 / 3.14159265f;
}

// The file read back from the bytes; when it is refused, a log line says so. The lines
// logged go to `logged` when given.
RtAnimAnimation* ReadBytes(const std::vector<RwUInt8>& bytes, std::string* logged = nullptr)
{
    RwStream* out = RwStreamOpen(rwStreamFileName, rwStreamWrite, "file.anm");
    RwStreamWrite(out, bytes.data(), RwUInt32(bytes.size()));
    RwStreamClose(out, nullptr);
    LogCapture log;
    RtAnimAnimation* anim = RtAnimAnimationRead("file.anm");
    EXPECT_EQ(anim == nullptr, log.Contains("RtAnimAnimationRead"));
    if (logged)
        *logged = log.Text();
    return anim;
}

TEST_F(Anim, FilesRoundTripAndCorruptOnesAreRefused)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, 0.5f);
    anim->tracks[0] = {7, {Key(0, 0), Key(0.5f, 90, {1, 0, 0})}};
    anim->flags = 0x55;
    ASSERT_TRUE(RtAnimAnimationWrite(anim, "bend.anm"));
    RtAnimAnimationDestroy(anim);
    RwStream* in = RwStreamOpen(rwStreamFileName, rwStreamRead, "bend.anm");
    std::vector<RwUInt8> good(4096);
    good.resize(RwStreamRead(in, good.data(), RwUInt32(good.size())));
    RwStreamClose(in, nullptr);
    RtAnimAnimation* back = ReadBytes(good);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(RtAnimAnimationGetNumNodes(back), 1);
    EXPECT_EQ(std::pair(back->duration, back->flags), std::pair(0.5f, 0x55u));
    ASSERT_EQ(back->tracks[0].keys.size(), 2u);
    EXPECT_EQ(back->tracks[0].nodeId, 7);
    EXPECT_FLOAT_EQ(back->tracks[0].keys[1].time, 0.5f);
    EXPECT_NEAR(AngleZ(back->tracks[0].keys[1]), 90.0f, 1e-3f);
    EXPECT_FLOAT_EQ(back->tracks[0].keys[1].trans[0], 1.0f);
    RtAnimAnimationDestroy(back);

    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_EQ(ReadBytes(std::vector<RwUInt8>(good.begin(), good.begin() + long(cut))), nullptr) << cut;
    // Offsets: 12 chunk header, 12 data header, 16 fields (scheme, nodes, duration, flags),
    // then track 0: 12 header, nodeId, numKeys, keys of 36 bytes.
    const struct {
        size_t at;
        std::vector<RwUInt8> bytes;
        const char* what;
        const char* logged;  // the refusal's own reason
    } cases[] = {
        {4, {2, 0, 0, 0}, "a later version", "has version 2, newer than 1"},
        {12, {1, 1, 0, 0}, "a string where the header belongs", "header missing"},
        {24, {2, 0, 0, 0}, "scheme 2", "scheme 2 is not supported"},
        {28, {0xff, 0xff, 0, 0}, "node count beyond the file", "65535 nodes do not fit"},
        {32, {0, 0, 0xc0, 0x7f}, "duration not a number", "bad duration"},
        {56, {0xff, 0, 0, 0}, "key count beyond the track", "255 keys do not fit"},
        {60, {0, 0, 0x80, 0x3f}, "first key not at time 0", "key 0 at time 1 is out of order"},
        // w of key 0 (x, y, z are 0 too)
        {64, {0, 0, 0, 0}, "zero quaternion", "key 0 is cut short or not a number"},
        {96, {0, 0, 0, 0xc0}, "keys out of order", "key 1 at time -2 is out of order"},
        {96, {0, 0, 0x80, 0x3f}, "a key at 1 s of 0.5", "key 1 at time 1 is out of order"},
    };
    for (const auto& c : cases) {
        std::vector<RwUInt8> bad = good;
        std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + long(c.at));
        std::string logged;
        EXPECT_EQ(ReadBytes(bad, &logged), nullptr) << c.what;
        EXPECT_NE(logged.find(c.logged), std::string::npos) << c.what << ": " << logged;
    }
    // A chunk 12 bytes shorter than its content: its last track reaches past it.
    std::vector<RwUInt8> shorter = good;
    const RwUInt32 size = RwUInt32(good.size() - 2 * rwChunkHeaderSize);
    std::memcpy(&shorter[8], &size, 4);
    EXPECT_EQ(ReadBytes(shorter), nullptr);
    LogCapture log;
    EXPECT_EQ(RtAnimAnimationRead("missing.anm"), nullptr);
    EXPECT_TRUE(log.Contains("missing.anm"));
}

TEST_F(Anim, WriterRefusesTracksThatDoNotSpanTheDuration)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, 2.0f);
    for (const std::vector<RtAnimKeyFrame>& keys : {std::vector{Key(0, 0), Key(1.5f, 10)},  // short
                                                    std::vector{Key(0.1f, 0), Key(2, 10)},  // late
                                                    std::vector{Key(0, 0), Key(1.5f, 10), Key(1, 0), Key(2, 0)}}) {
        anim->tracks[0].keys = keys;
        LogCapture log;
        EXPECT_FALSE(RtAnimAnimationWrite(anim, "bad.anm"));
        EXPECT_TRUE(log.Contains("does not run from 0")) << keys.size();
    }
    anim->tracks[0].keys = {Key(0, 0), Key(2, 10)};
    anim->numNodes = 2;  // one track short
    LogCapture log;
    EXPECT_FALSE(RtAnimAnimationWrite(anim, "bad.anm"));
    EXPECT_TRUE(log.Contains("2 nodes and 1 tracks refused"));
    RtAnimAnimationDestroy(anim);
}

TEST_F(Anim, SamplesBetweenTheKeysAroundTheTimeAndWrapsPastTheEnd)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, 3.0f);
    anim->tracks[0].keys = {Key(0, 0), Key(1, 90, {4, 0, 0}), Key(1.5f, 90, {4, 0, 0}), Key(3, 0)};
    RtAnimInterpolator* in = RtAnimInterpolatorCreate(2, 36);
    LogCapture log;
    ASSERT_TRUE(RtAnimInterpolatorSetCurrentAnim(in, anim));
    EXPECT_TRUE(log.Contains("1 tracks for 2 nodes"));
    const struct {
        RwReal time, wrapped, degrees, x;
    } cases[] = {
        {0.5f, 0.5f, 45, 2},    {1.25f, 1.25f, 90, 4},  // between two equal keys
        {2.25f, 2.25f, 45, 2},  {3, 3, 0, 0},           // the end itself is not wrapped
        {6.5f, 0.5f, 45, 2},    {-0.5f, 2.5f, 30, 4.0f / 3},
    };
    for (const auto& c : cases) {
        RtAnimInterpolatorSetCurrentTime(in, c.time);
        EXPECT_FLOAT_EQ(in->currentTime, c.wrapped) << c.time;
        EXPECT_NEAR(AngleZ(in->frames[0]), c.degrees, 1e-3f) << c.time;
        EXPECT_NEAR(in->frames[0].trans[0], c.x, 1e-5f) << c.time;
        EXPECT_FLOAT_EQ(in->frames[1].rot[0], 1.0f) << "a node without a track stays at rest";
    }
    EXPECT_EQ(RtAnimInterpolatorGetInterpFrame(in, 1), &in->frames[1]);
    EXPECT_EQ(RtAnimInterpolatorGetInterpFrame(in, 2), nullptr);
    EXPECT_EQ(RtAnimInterpolatorGetInterpFrame(in, -1), nullptr);
    ASSERT_TRUE(RtAnimInterpolatorSetCurrentAnim(in, nullptr));
    EXPECT_FALSE(in->hasPose) << "without an animation the pose is gone";
    EXPECT_FLOAT_EQ(in->frames[0].rot[0], 1.0f);
    RtAnimInterpolatorDestroy(in);
    RtAnimAnimationDestroy(anim);
}

TEST_F(Anim, KeyFramesBecomeTheirRotationThenTheirTranslation)
{
    const RwReal h = std::sqrt(0.5f);  // cos and sin of 45 degrees: quarter turns
    for (const RwV3d axis : {RwV3d{1, 0, 0}, RwV3d{0, 1, 0}, RwV3d{0, 0, 1}}) {
        RtAnimKeyFrame k{0, {h, h * axis.x, h * axis.y, h * axis.z}, {3, 4, 5}, 0};
        RwMatrix m, want;
        RtAnimScheme1Apply(&m, &k);
        RwMatrixRotate(&want, &axis, 90, rwCombineReplace);
        want.pos = {3, 4, 5};
        for (const RwV3d p : {RwV3d{1, 0, 0}, RwV3d{0, 1, 0}, RwV3d{0, 0, 1}})
            EXPECT_TRUE(Near(Transformed(m, p), Transformed(want, p))) << axis.x << axis.y << axis.z;
    }
}

TEST_F(Anim, BlendingTwoPosesHalfwayGivesTheHalfwayRotation)
{
    RtAnimInterpolator* in[3];
    for (RtAnimInterpolator*& i : in)
        i = RtAnimInterpolatorCreate(1, 36);
    const RtAnimKeyFrame a = Key(0, 20, {0, 0, 2}), b = Key(0, 100, {0, 0, 4});
    in[0]->frames[0] = a;
    in[1]->frames[0] = b;
    EXPECT_FALSE(in[2]->hasPose);
    ASSERT_TRUE(RtAnimInterpolatorBlend(in[2], in[0], in[1], 0.5f));
    EXPECT_TRUE(in[2]->hasPose);
    EXPECT_NEAR(AngleZ(in[2]->frames[0]), 60.0f, 1e-3f);
    EXPECT_NEAR(in[2]->frames[0].trans[2], 3.0f, 1e-5f);
    // Slerp takes the short way round: from 170 to -170 degrees passes 180.
    const RtAnimKeyFrame k1 = Key(0, 170), k2 = Key(1, -170);
    RtAnimKeyFrameInterpolate(&in[2]->frames[0], &k1, &k2, 0.5f);
    EXPECT_NEAR(std::fabs(AngleZ(in[2]->frames[0])), 180.0f, 1e-2f);

    // A node count that differs is refused rather than read past; so are unknown schemes.
    EXPECT_FALSE(RtAnimInterpolatorBlend(in[2], in[0], nullptr, 0.5f));
    LogCapture log;
    RtAnimInterpolator* two = RtAnimInterpolatorCreate(2, 36);
    EXPECT_FALSE(RtAnimInterpolatorBlend(two, in[0], in[1], 0.5f));
    EXPECT_FALSE(RtAnimInterpolatorSetKeyFrameCallBacks(two, 2));
    EXPECT_TRUE(log.Contains("node counts 2, 1, 1 differ") && log.Contains("scheme 2"));
    for (RtAnimInterpolator* i : {in[0], in[1], in[2], two})
        RtAnimInterpolatorDestroy(i);
}

TEST_F(Anim, BlendsFollowTheArcTheShortWayRoundAndClampTheFactor)
{
    RtAnimInterpolator* in[3];
    for (RtAnimInterpolator*& i : in)
        i = RtAnimInterpolatorCreate(1, 36);
    const struct {
        RwReal from, to, factor, degrees, z;
    } cases[] = {
        {20, 100, 0.25f, 40, 2.5f},
        {0, 90, 0.25f, 22.5f, 2.5f},     // on the arc, not the chord
        {170, -170, 0.25f, 175, 2.5f},   // across 180, not back through 0
        {-170, 170, 0.75f, -185, 3.5f},  // the same arc from its other end
        {10, 13, 0.5f, 11.5f, 3},  // close enough to mix linearly
        {20, 100, 1.5f, 100, 4},
        {20, 100, -1, 20, 2},
        {20, 100, std::nanf(""), 20, 2},
    };
    for (const auto& c : cases) {
        in[0]->frames[0] = Key(0, c.from, {0, 0, 2});
        in[1]->frames[0] = Key(0, c.to, {0, 0, 4});
        ASSERT_TRUE(RtAnimInterpolatorBlend(in[2], in[0], in[1], c.factor));
        const RwReal degrees = AngleZ(in[2]->frames[0]);
        // A rotation by a and by a + 360 degrees is the same.
        EXPECT_NEAR(std::remainder(degrees - c.degrees, 360.0f), 0.0f, 1e-3f) << c.from << " " << c.factor;
        EXPECT_NEAR(in[2]->frames[0].trans[2], c.z, 1e-5f) << c.from << " " << c.factor;
        const RwReal* q = in[2]->frames[0].rot;
        EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0f, 1e-5f) << "a unit quaternion";
    }
    for (RtAnimInterpolator* i : in)
        RtAnimInterpolatorDestroy(i);
}

}  // namespace
