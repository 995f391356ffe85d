#pragma once

// Key-frame animation: an animation holds one track of key frames per hierarchy node; an
// interpolator samples it at a time into one interpolated key frame per node. Only key-frame
// scheme 1 exists: a rotation quaternion and a translation per key.

#include "engine/core/RwCore.h"

#include <vector>

enum : RwInt32 { rtAnimScheme1 = 1 };

// The scheme-1 key frame, exactly the 36 bytes callers pass as the key-frame size.
struct RtAnimKeyFrame {
    RwReal time;
    RwReal rot[4];  // unit quaternion, w first
    RwReal trans[3];
    RwInt32 reserved;
};
static_assert(sizeof(RtAnimKeyFrame) == 36);

struct RtAnimTrack {
    RwInt32 nodeId;
    std::vector<RtAnimKeyFrame> keys;  // ascending times, first 0, last the duration
};

struct RtAnimAnimation {
    RwInt32 schemeId;
    RwInt32 numNodes;
    RwReal duration;  // seconds
    RwUInt32 flags;
    std::vector<RtAnimTrack> tracks;  // numNodes; track i drives hierarchy node i
};

// Writes the key frame into the matrix (rotation, then translation).
using RtAnimKeyFrameApplyCallBack = void (*)(void* matrix, void* keyFrame);

struct RtAnimInterpolator {
    RtAnimAnimation* currentAnim;
    RwReal currentTime;
    RwInt32 numNodes;
    RwInt32 keyFrameSize;
    RwInt32 schemeId;
    RtAnimKeyFrameApplyCallBack keyFrameApplyCB;
    // True once frames hold a pose (an animation was sampled or a blend written).
    RwBool hasPose;
    std::vector<RtAnimKeyFrame> frames;  // the interpolated key frame of each node
};

RwBool RtAnimPluginAttach();

// An animation of numNodes empty tracks (node ids 0..n-1), for code that builds its own.
RtAnimAnimation* RtAnimAnimationCreate(RwInt32 numNodes, RwReal duration);
// The ".anm" file, or null with a log line.
RtAnimAnimation* RtAnimAnimationRead(const char* fileName);
// The payload of an Animation chunk (after RwStreamFindChunk), length bytes.
RtAnimAnimation* RtAnimAnimationStreamRead(RwStream* stream, RwUInt32 length);
// False (with a log line) for a track not running from 0 to the duration.
RwBool RtAnimAnimationWrite(const RtAnimAnimation* animation, const char* fileName);
RwBool RtAnimAnimationStreamWrite(const RtAnimAnimation* animation, RwStream* stream);
RwBool RtAnimAnimationDestroy(RtAnimAnimation* animation);
RwInt32 RtAnimAnimationGetNumNodes(const RtAnimAnimation* animation);

// keyFrameSize below 36 is refused. Scheme 1 is set up.
RtAnimInterpolator* RtAnimInterpolatorCreate(RwInt32 numNodes, RwInt32 keyFrameSize);
RwBool RtAnimInterpolatorDestroy(RtAnimInterpolator* interpolator);
// Time 0 of the animation; null clears the pose.
RwBool RtAnimInterpolatorSetCurrentAnim(RtAnimInterpolator* interpolator, RtAnimAnimation* animation);
// Absolute time; past the end (or below 0) it wraps modulo the duration.
RwBool RtAnimInterpolatorSetCurrentTime(RtAnimInterpolator* interpolator, RwReal time);
RwBool RtAnimInterpolatorSetKeyFrameCallBacks(RtAnimInterpolator* interpolator, RwInt32 schemeId);
// out = from blended towards to by factor (0: from, 1: to), node by node.
RwBool RtAnimInterpolatorBlend(RtAnimInterpolator* out, const RtAnimInterpolator* from,
                               const RtAnimInterpolator* to, RwReal factor);
// Null outside 0..numNodes-1.
RtAnimKeyFrame* RtAnimInterpolatorGetInterpFrame(RtAnimInterpolator* interpolator, RwInt32 node);

// Scheme 1: the key frame's rotation and translation as a matrix (orthonormal).
void RtAnimScheme1Apply(void* matrix, void* keyFrame);
// Shortest-arc slerp of the rotations, lerp of the translations; time from a.
void RtAnimKeyFrameInterpolate(RtAnimKeyFrame* out, const RtAnimKeyFrame* a, const RtAnimKeyFrame* b, RwReal t);
