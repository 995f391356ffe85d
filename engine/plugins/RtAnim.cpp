#include "engine/plugins/RtAnim.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cmath>

// ".anm" file (little-endian, chunk framing of the engine):
//   Animation(0x300) { Data{u32 schemeId (1), u32 numNodes, f32 duration, u32 flags}
//     per node, in hierarchy node order: Data{i32 nodeId, u32 numKeys, numKeys x key frame} }
//   key frame (36 bytes): f32 time; f32 rot[4] (w first, unit); f32 trans[3]; i32 reserved (0)
// Every track runs from time 0 to the duration. Unknown child chunks are skipped.

namespace {

constexpr RwUInt32 kVersion = 1;
constexpr RwUInt32 kPluginId = rwChunkAnimation;
constexpr RwUInt32 kHeaderBytes = 16;
constexpr RwUInt32 kTrackHeaderBytes = 8;
constexpr RwUInt32 kKeyBytes = 36;
constexpr RwInt32 kMaxNodes = 4096;

bool Finite(RwReal v)
{
    return std::isfinite(v);
}

void Normalize(RwReal q[4])
{
    const RwReal len = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (int i = 0; i < 4; ++i)
        q[i] /= len;
}

RtAnimKeyFrame IdentityKey()
{
    RtAnimKeyFrame k{};
    k.rot[0] = 1;
    return k;
}

// Reads one key frame; false on a short read or values that cannot be a key.
bool ReadKey(RwStream* stream, RtAnimKeyFrame* key)
{
    RwReal f[8];
    RwInt32 reserved;
    if (!RwStreamReadReal(stream, f, 8) || !RwStreamReadInt32(stream, &reserved, 1))
        return false;
    for (RwReal v : f) {
        if (!Finite(v))
            return false;
    }
    key->time = f[0];
    std::copy(f + 1, f + 5, key->rot);
    std::copy(f + 5, f + 8, key->trans);
    key->reserved = 0;
    const RwReal len2 = f[1] * f[1] + f[2] * f[2] + f[3] * f[3] + f[4] * f[4];
    if (len2 < 1e-12f)
        return false;
    Normalize(key->rot);
    return true;
}

bool ReadTrack(RwStream* stream, RwUInt32 size, RwReal duration, RtAnimTrack* track, RwInt32 index)
{
    RwUInt32 numKeys;
    if (size < kTrackHeaderBytes || !RwStreamReadInt32(stream, &track->nodeId, 1) ||
        !RwStreamReadUInt32(stream, &numKeys, 1)) {
        LogError("RtAnimAnimationRead: track %d cut short\n", index);
        return false;
    }
    if (numKeys == 0 || numKeys > (size - kTrackHeaderBytes) / kKeyBytes ||
        numKeys * kKeyBytes != size - kTrackHeaderBytes) {
        LogError("RtAnimAnimationRead: track %d: %u keys do not fit its %u bytes\n", index, numKeys, size);
        return false;
    }
    track->keys.resize(numKeys);
    for (RwUInt32 k = 0; k < numKeys; ++k) {
        RtAnimKeyFrame& key = track->keys[k];
        if (!ReadKey(stream, &key)) {
            LogError("RtAnimAnimationRead: track %d key %u is cut short or not a number\n", index, k);
            return false;
        }
        const RwReal prev = k ? track->keys[k - 1].time : 0.0f;
        if ((k == 0 && key.time != 0.0f) || key.time < prev || key.time > duration + 1e-6f * std::max(1.0f, duration)) {
            LogError("RtAnimAnimationRead: track %d key %u at time %g is out of order\n", index, k,
                     double(key.time));
            return false;
        }
    }
    return true;
}

// Index of the last key at or before t (keys ascending, first at 0).
size_t KeyBefore(const std::vector<RtAnimKeyFrame>& keys, RwReal t)
{
    auto it = std::upper_bound(keys.begin(), keys.end(), t,
                               [](RwReal v, const RtAnimKeyFrame& k) { return v < k.time; });
    return it == keys.begin() ? 0 : size_t(it - keys.begin()) - 1;
}

void Sample(RtAnimInterpolator* interp)
{
    const RtAnimAnimation* anim = interp->currentAnim;
    const RwReal t = interp->currentTime;
    for (RwInt32 n = 0; n < interp->numNodes; ++n) {
        RtAnimKeyFrame& out = interp->frames[size_t(n)];
        if (size_t(n) >= anim->tracks.size() || anim->tracks[size_t(n)].keys.empty()) {
            out = IdentityKey();
            continue;
        }
        const std::vector<RtAnimKeyFrame>& keys = anim->tracks[size_t(n)].keys;
        const size_t i = KeyBefore(keys, t);
        if (i + 1 >= keys.size()) {
            out = keys[i];
            continue;
        }
        const RtAnimKeyFrame& a = keys[i];
        const RtAnimKeyFrame& b = keys[i + 1];
        const RwReal span = b.time - a.time;
        RtAnimKeyFrameInterpolate(&out, &a, &b, span > 0 ? (t - a.time) / span : 0.0f);
    }
    interp->hasPose = true;
}

}  // namespace

RwBool RtAnimPluginAttach()
{
    // The toolkit keeps no data on engine objects; registering marks it attached and keeps
    // the attach window rule of every plugin.
    return RwEngineRegisterPlugin(rwPluginClassClump, kPluginId, 0, nullptr, nullptr, nullptr) >= 0;
}

void RtAnimKeyFrameInterpolate(RtAnimKeyFrame* out, const RtAnimKeyFrame* a, const RtAnimKeyFrame* b, RwReal t)
{
    RwReal qb[4] = {b->rot[0], b->rot[1], b->rot[2], b->rot[3]};
    RwReal cosom = a->rot[0] * qb[0] + a->rot[1] * qb[1] + a->rot[2] * qb[2] + a->rot[3] * qb[3];
    if (cosom < 0) {
        cosom = -cosom;
        for (RwReal& v : qb)
            v = -v;
    }
    RwReal sa = 1 - t, sb = t;
    if (cosom < 0.9995f) {
        const RwReal omega = std::acos(std::min(cosom, 1.0f));
        const RwReal sinom = std::sin(omega);
        sa = std::sin((1 - t) * omega) / sinom;
        sb = std::sin(t * omega) / sinom;
    }
    RtAnimKeyFrame r{};
    r.time = a->time;
    for (int i = 0; i < 4; ++i)
        r.rot[i] = sa * a->rot[i] + sb * qb[i];
    Normalize(r.rot);
    for (int i = 0; i < 3; ++i)
        r.trans[i] = a->trans[i] + (b->trans[i] - a->trans[i]) * t;
    *out = r;
}

void RtAnimScheme1Apply(void* matrix, void* keyFrame)
{
    auto* m = static_cast<RwMatrix*>(matrix);
    const auto* k = static_cast<const RtAnimKeyFrame*>(keyFrame);
    const RwReal w = k->rot[0], x = k->rot[1], y = k->rot[2], z = k->rot[3];
    // Rows are the images of the axes (row vectors).
    m->right = {1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)};
    m->up = {2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)};
    m->at = {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)};
    m->pos = {k->trans[0], k->trans[1], k->trans[2]};
    m->flags = rwMatrixTypeOrthonormal;
    m->pad1 = m->pad2 = m->pad3 = 0;
}

RtAnimAnimation* RtAnimAnimationCreate(RwInt32 numNodes, RwReal duration)
{
    if (numNodes <= 0 || numNodes > kMaxNodes || !Finite(duration) || duration < 0) {
        LogError("RtAnimAnimationCreate: %d nodes, duration %g refused\n", numNodes, double(duration));
        return nullptr;
    }
    auto* anim = new RtAnimAnimation{};
    anim->schemeId = rtAnimScheme1;
    anim->numNodes = numNodes;
    anim->duration = duration;
    anim->tracks.resize(size_t(numNodes));
    for (RwInt32 i = 0; i < numNodes; ++i)
        anim->tracks[size_t(i)].nodeId = i;
    return anim;
}

RtAnimAnimation* RtAnimAnimationStreamRead(RwStream* stream, RwUInt32 length)
{
    RwUInt32 type, size, version;
    if (length < rwChunkHeaderSize + kHeaderBytes || !RwStreamReadChunkHeader(stream, &type, &size, &version) ||
        type != rwChunkData || size < kHeaderBytes || size > length - rwChunkHeaderSize) {
        LogError("RtAnimAnimationRead: header missing or cut short\n");
        return nullptr;
    }
    RwUInt32 scheme, numNodes, flags;
    RwReal duration;
    if (!RwStreamReadUInt32(stream, &scheme, 1) || !RwStreamReadUInt32(stream, &numNodes, 1) ||
        !RwStreamReadReal(stream, &duration, 1) || !RwStreamReadUInt32(stream, &flags, 1) ||
        (size > kHeaderBytes && !RwStreamSkip(stream, size - kHeaderBytes))) {
        LogError("RtAnimAnimationRead: header cut short\n");
        return nullptr;
    }
    RwUInt32 left = length - rwChunkHeaderSize - size;
    if (scheme != RwUInt32(rtAnimScheme1)) {
        LogError("RtAnimAnimationRead: key-frame scheme %u is not supported\n", scheme);
        return nullptr;
    }
    // Each track needs at least a header and one key.
    if (numNodes == 0 || numNodes > RwUInt32(kMaxNodes) ||
        numNodes > left / (rwChunkHeaderSize + kTrackHeaderBytes + kKeyBytes)) {
        LogError("RtAnimAnimationRead: %u nodes do not fit the file\n", numNodes);
        return nullptr;
    }
    if (!Finite(duration) || duration < 0) {
        LogError("RtAnimAnimationRead: bad duration %g\n", double(duration));
        return nullptr;
    }
    RtAnimAnimation* anim = RtAnimAnimationCreate(RwInt32(numNodes), duration);
    if (!anim)
        return nullptr;
    anim->flags = flags;
    RwUInt32 read = 0;
    while (read < numNodes) {
        if (left < rwChunkHeaderSize || !RwStreamReadChunkHeader(stream, &type, &size, &version) ||
            size > left - rwChunkHeaderSize) {
            LogError("RtAnimAnimationRead: track %u missing or cut short\n", read);
            RtAnimAnimationDestroy(anim);
            return nullptr;
        }
        left -= rwChunkHeaderSize + size;
        if (type != rwChunkData) {
            if (size && !RwStreamSkip(stream, size)) {
                RtAnimAnimationDestroy(anim);
                return nullptr;
            }
            continue;
        }
        if (version > kVersion) {
            LogError("RtAnimAnimationRead: track version %u is newer than %u\n", version, kVersion);
            RtAnimAnimationDestroy(anim);
            return nullptr;
        }
        if (!ReadTrack(stream, size, duration, &anim->tracks[read], RwInt32(read))) {
            RtAnimAnimationDestroy(anim);
            return nullptr;
        }
        ++read;
    }
    if (left && !RwStreamSkip(stream, left)) {
        RtAnimAnimationDestroy(anim);
        return nullptr;
    }
    return anim;
}

RtAnimAnimation* RtAnimAnimationRead(const char* fileName)
{
    if (!fileName || !*fileName) {
        LogError("RtAnimAnimationRead: no file name\n");
        return nullptr;
    }
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, fileName);
    if (!stream) {
        LogError("RtAnimAnimationRead: cannot open %s\n", fileName);
        return nullptr;
    }
    RwUInt32 length, version;
    RtAnimAnimation* anim = nullptr;
    if (!RwStreamFindChunk(stream, rwChunkAnimation, &length, &version))
        LogError("RtAnimAnimationRead: %s is not an animation\n", fileName);
    else if (version > kVersion)
        LogError("RtAnimAnimationRead: %s has version %u, newer than %u\n", fileName, version, kVersion);
    else if (!(anim = RtAnimAnimationStreamRead(stream, length)))
        LogError("RtAnimAnimationRead: %s is corrupt\n", fileName);
    RwStreamClose(stream, nullptr);
    return anim;
}

RwBool RtAnimAnimationStreamWrite(const RtAnimAnimation* anim, RwStream* stream)
{
    if (!anim || !stream)
        return false;
    if (anim->schemeId != rtAnimScheme1 || anim->numNodes <= 0 || size_t(anim->numNodes) != anim->tracks.size()) {
        LogError("RtAnimAnimationWrite: scheme %d with %d nodes and %zu tracks refused\n", anim->schemeId,
                 anim->numNodes, anim->tracks.size());
        return false;
    }
    RwUInt32 payload = rwChunkHeaderSize + kHeaderBytes;
    for (size_t i = 0; i < anim->tracks.size(); ++i) {
        const std::vector<RtAnimKeyFrame>& keys = anim->tracks[i].keys;
        bool ok = !keys.empty() && keys.front().time == 0.0f &&
                  std::fabs(keys.back().time - anim->duration) <= 1e-6f * std::max(1.0f, anim->duration);
        for (size_t k = 1; ok && k < keys.size(); ++k)
            ok = keys[k].time >= keys[k - 1].time;
        if (!ok) {
            LogError("RtAnimAnimationWrite: track %zu does not run from 0 to %g in order\n", i,
                     double(anim->duration));
            return false;
        }
        payload += rwChunkHeaderSize + kTrackHeaderBytes + RwUInt32(keys.size()) * kKeyBytes;
    }
    const RwUInt32 header[4] = {RwUInt32(anim->schemeId), RwUInt32(anim->numNodes), 0, anim->flags};
    if (!RwStreamWriteChunkHeader(stream, rwChunkAnimation, kVersion, payload) ||
        !RwStreamWriteChunkHeader(stream, rwChunkData, kVersion, kHeaderBytes) ||
        !RwStreamWriteUInt32(stream, header, 2) || !RwStreamWriteReal(stream, &anim->duration, 1) ||
        !RwStreamWriteUInt32(stream, header + 3, 1))
        return false;
    for (const RtAnimTrack& track : anim->tracks) {
        const RwUInt32 n = RwUInt32(track.keys.size());
        if (!RwStreamWriteChunkHeader(stream, rwChunkData, kVersion, kTrackHeaderBytes + n * kKeyBytes) ||
            !RwStreamWriteInt32(stream, &track.nodeId, 1) || !RwStreamWriteUInt32(stream, &n, 1))
            return false;
        for (const RtAnimKeyFrame& k : track.keys) {
            const RwReal f[8] = {k.time, k.rot[0], k.rot[1], k.rot[2], k.rot[3], k.trans[0], k.trans[1], k.trans[2]};
            const RwInt32 reserved = 0;
            if (!RwStreamWriteReal(stream, f, 8) || !RwStreamWriteInt32(stream, &reserved, 1))
                return false;
        }
    }
    return true;
}

RwBool RtAnimAnimationWrite(const RtAnimAnimation* anim, const char* fileName)
{
    if (!anim || !fileName)
        return false;
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamWrite, fileName);
    if (!stream) {
        LogError("RtAnimAnimationWrite: cannot create %s\n", fileName);
        return false;
    }
    const bool ok = RtAnimAnimationStreamWrite(anim, stream);
    RwStreamClose(stream, nullptr);
    return ok;
}

RwBool RtAnimAnimationDestroy(RtAnimAnimation* anim)
{
    delete anim;
    return anim != nullptr;
}

RwInt32 RtAnimAnimationGetNumNodes(const RtAnimAnimation* anim)
{
    return anim ? anim->numNodes : 0;
}

RtAnimInterpolator* RtAnimInterpolatorCreate(RwInt32 numNodes, RwInt32 keyFrameSize)
{
    if (numNodes <= 0 || numNodes > kMaxNodes || keyFrameSize < RwInt32(sizeof(RtAnimKeyFrame))) {
        LogError("RtAnimInterpolatorCreate: %d nodes with %d-byte key frames refused\n", numNodes, keyFrameSize);
        return nullptr;
    }
    auto* interp = new RtAnimInterpolator{};
    interp->numNodes = numNodes;
    interp->keyFrameSize = keyFrameSize;
    interp->frames.assign(size_t(numNodes), IdentityKey());
    RtAnimInterpolatorSetKeyFrameCallBacks(interp, rtAnimScheme1);
    return interp;
}

RwBool RtAnimInterpolatorDestroy(RtAnimInterpolator* interp)
{
    delete interp;
    return interp != nullptr;
}

RwBool RtAnimInterpolatorSetKeyFrameCallBacks(RtAnimInterpolator* interp, RwInt32 schemeId)
{
    if (!interp)
        return false;
    if (schemeId != rtAnimScheme1) {
        LogError("RtAnimInterpolatorSetKeyFrameCallBacks: unknown key-frame scheme %d\n", schemeId);
        return false;
    }
    interp->schemeId = schemeId;
    interp->keyFrameApplyCB = RtAnimScheme1Apply;
    return true;
}

RwBool RtAnimInterpolatorSetCurrentAnim(RtAnimInterpolator* interp, RtAnimAnimation* anim)
{
    if (!interp)
        return false;
    if (anim && anim->schemeId != interp->schemeId) {
        LogError("RtAnimInterpolatorSetCurrentAnim: animation of scheme %d on an interpolator of scheme %d\n",
                 anim->schemeId, interp->schemeId);
        return false;
    }
    if (anim && anim->numNodes != interp->numNodes)
        LogWarning("RtAnimInterpolatorSetCurrentAnim: %d tracks for %d nodes\n", anim->numNodes, interp->numNodes);
    interp->currentAnim = anim;
    interp->currentTime = 0;
    if (!anim) {
        interp->hasPose = false;
        interp->frames.assign(size_t(interp->numNodes), IdentityKey());
        return true;
    }
    Sample(interp);
    return true;
}

RwBool RtAnimInterpolatorSetCurrentTime(RtAnimInterpolator* interp, RwReal time)
{
    if (!interp || !interp->currentAnim)
        return false;
    const RwReal d = interp->currentAnim->duration;
    if (!Finite(time) || d <= 0) {
        time = 0;
    } else if (time > d || time < 0) {
        time = std::fmod(time, d);
        if (time < 0)
            time += d;
    }
    interp->currentTime = time;
    Sample(interp);
    return true;
}

RwBool RtAnimInterpolatorBlend(RtAnimInterpolator* out, const RtAnimInterpolator* from, const RtAnimInterpolator* to,
                               RwReal factor)
{
    if (!out || !from || !to)
        return false;
    if (from->numNodes != out->numNodes || to->numNodes != out->numNodes) {
        LogError("RtAnimInterpolatorBlend: node counts %d, %d, %d differ\n", out->numNodes, from->numNodes,
                 to->numNodes);
        return false;
    }
    factor = Finite(factor) ? std::clamp(factor, 0.0f, 1.0f) : 0.0f;
    for (size_t n = 0; n < out->frames.size(); ++n)
        RtAnimKeyFrameInterpolate(&out->frames[n], &from->frames[n], &to->frames[n], factor);
    out->hasPose = true;
    return true;
}

RtAnimKeyFrame* RtAnimInterpolatorGetInterpFrame(RtAnimInterpolator* interp, RwInt32 node)
{
    if (!interp || node < 0 || node >= interp->numNodes)
        return nullptr;
    return &interp->frames[size_t(node)];
}
