#include "engine/plugins/RpMorph.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cmath>

RwBool RpMorphPluginAttach()
{
    // The targets and the interpolator live in the geometry and the atomic themselves.
    return RwEngineRegisterPlugin(rwPluginClassAtomic, 0x216, 0, nullptr, nullptr, nullptr) >= 0;
}

RpAtomic* RpAtomicUpdateInterpolatedSphere(RpAtomic* atomic)
{
    if (!atomic)
        return nullptr;
    const RpGeometry* g = atomic->geometry;
    RpInterpolator& in = atomic->interpolator;
    if (!g || g->numMorphTargets < 1 || !g->morphTarget) {
        in.flags &= ~rpInterpolatorDirtySphere;
        return atomic;
    }
    const RwInt32 last = g->numMorphTargets - 1;
    const RwInt32 start = std::clamp<RwInt32>(in.startMorphTarget, 0, last);
    const RwInt32 end = std::clamp<RwInt32>(in.endMorphTarget, 0, last);
    RwReal f = in.time > 0 ? in.position / in.time : 0.0f;
    f = std::isfinite(f) ? std::clamp(f, 0.0f, 1.0f) : 0.0f;
    const RwSphere& a = g->morphTarget[start].boundingSphere;
    const RwSphere& b = g->morphTarget[end].boundingSphere;
    // A vertex between its two targets stays within this sphere: its distance from the blended
    // centre is at most the blend of its distances from the two centres.
    RwSphere s;
    s.center = {a.center.x + (b.center.x - a.center.x) * f, a.center.y + (b.center.y - a.center.y) * f,
                a.center.z + (b.center.z - a.center.z) * f};
    s.radius = a.radius + (b.radius - a.radius) * f;
    atomic->boundingSphere = s;
    in.flags &= ~rpInterpolatorDirtySphere;
    return atomic;
}
