#include "scene/AnimatedClump.h"

#include "engine/bridge/EngineBridge.h"
#include "engine/core/RwDevice.h"
#include "engine/plugins/RpPlugins.h"
#include "framework/Debug.h"

#include <algorithm>

namespace {

constexpr RwInt32 kUpdateFrames = rpHAnimHierarchyUpdateModellingMatrices | rpHAnimHierarchyUpdateLTMs;
constexpr RwInt32 kKeyFrameSize = static_cast<RwInt32>(sizeof(RtAnimKeyFrame));

void DestroyCopy(RpHAnimHierarchy*& hierarchy)
{
    if (!hierarchy)
        return;
    // No frame holds a copy, and the frame it was made for may be gone already.
    hierarchy->parentFrame = nullptr;
    RpHAnimHierarchyDestroy(hierarchy);
    hierarchy = nullptr;
}

RwMatrix RotationMatrix(const Quaternion& rotation)
{
    const Matrix3 m = rotation.ToMatrix();
    RwMatrix out;
    RwMatrixSetIdentity(&out);
    const auto column = [&](int c) {
        const Vector3 v = m.GetColumn(c);
        return RwV3d{v.x, v.y, v.z};
    };
    out.right = column(0);
    out.up = column(1);
    out.at = column(2);
    RwMatrixUpdateFlags(&out);
    return out;
}

}  // namespace

AnimatedClump::~AnimatedClump()
{
    for (const Entry& entry : m_animations)
        if (entry.owned)
            RtAnimAnimationDestroy(entry.animation);
    DestroyBlendHierarchies();
    m_control.reset();
    m_boneRotations.clear();
}

void AnimatedClump::Serialize(Serializer& serializer, const char* descriptor)
{
    const RpClump* before = m_clump;
    Clump::Serialize(serializer, descriptor);
    if (m_clump == before)
        return;
    // The old model took its hierarchy with it: blend copies and a running blend refer to it.
    m_blending = false;
    m_blendProgress = 0.0f;
    m_mainHierarchy = nullptr;
    MakeBlendHierarchies();
    if (m_current >= 0)
        Bind(m_animations[static_cast<size_t>(m_current)].animation);
    m_timeChanged = true;
}

RpHAnimHierarchy* AnimatedClump::GetHierarchy() const
{
    return m_clump ? RpHAnimFrameFindHierarchy(RpClumpGetFrame(m_clump)) : nullptr;
}

bool AnimatedClump::LoadClump(const std::string& fileName, const std::string& textureFolder, bool bindPose)
{
    const bool loaded = Clump::LoadClump(fileName, textureFolder, bindPose);
    m_blending = false;
    m_mainHierarchy = nullptr;
    MakeBlendHierarchies();
    return loaded;
}

void AnimatedClump::MakeBlendHierarchies()
{
    DestroyBlendHierarchies();
    RpHAnimHierarchy* hierarchy = GetHierarchy();
    if (!hierarchy)
        return;
    m_blendFrom = RpHAnimHierarchyCreateCopy(hierarchy, hierarchy->flags, hierarchy->maxKeyFrameSize);
    m_blendTo = RpHAnimHierarchyCreateCopy(hierarchy, hierarchy->flags, hierarchy->maxKeyFrameSize);
    if (!m_blendFrom || !m_blendTo) {
        LogError("AnimatedClump::MakeBlendHierarchies: no copy of the hierarchy; animations switch at once\n");
        DestroyBlendHierarchies();
        return;
    }
    RtAnimInterpolatorSetKeyFrameCallBacks(m_blendFrom->interpolator, rtAnimScheme1);
}

void AnimatedClump::DestroyBlendHierarchies()
{
    DestroyCopy(m_blendFrom);
    DestroyCopy(m_blendTo);
}

bool AnimatedClump::Bind(RtAnimAnimation* animation)
{
    RpHAnimHierarchy* hierarchy = GetHierarchy();
    if (!hierarchy)
        return false;
    std::vector<RpAtomic*> atomics;
    GetAtomics(atomics);
    for (RpAtomic* atomic : atomics)
        if (RpSkinGeometryGetSkin(RpAtomicGetGeometry(atomic)))
            RpSkinAtomicSetHAnimHierarchy(atomic, hierarchy);
    hierarchy->flags |= kUpdateFrames;
    RtAnimInterpolatorSetCurrentAnim(hierarchy->interpolator, animation);
    RpHAnimHierarchyAttach(hierarchy);
    RpHAnimHierarchyUpdateMatrices(hierarchy);
    return true;
}

bool AnimatedClump::LoadAnimation(const std::string& fileName)
{
    RtAnimAnimation* animation = RtAnimAnimationRead(fileName.c_str());
    if (!animation)
        return false;
    m_animations.push_back({animation, true});
    if (!Bind(animation))
        return false;
    m_current = GetAnimationCount() - 1;
    m_timeChanged = true;
    return true;
}

bool AnimatedClump::AddAnimation(RtAnimAnimation* animation, bool owned, int& index)
{
    if (!animation) {
        LogWarning("AnimatedClump::AddAnimation: anim is NULL\n");
        index = 0;
        return true;
    }
    const auto found = std::find_if(m_animations.begin(), m_animations.end(),
                                    [&](const Entry& entry) { return entry.animation == animation; });
    if (found != m_animations.end()) {
        found->owned = found->owned || owned;
        index = static_cast<int>(found - m_animations.begin());
        return true;
    }
    m_animations.push_back({animation, owned});
    index = GetAnimationCount() - 1;
    return Bind(animation);
}

RtAnimAnimation* AnimatedClump::GetAnimation(int index) const
{
    if (index < 0 || index >= GetAnimationCount())
        return nullptr;
    return m_animations[static_cast<size_t>(index)].animation;
}

float AnimatedClump::GetAnimationDuration(int index) const
{
    const RtAnimAnimation* animation = GetAnimation(index);
    return animation ? animation->duration : 0.0f;
}

float AnimatedClump::GetDuration() const
{
    return GetAnimationDuration(m_current);
}

bool AnimatedClump::IsAnimationFinished() const
{
    return m_control && m_control->HasFinished();
}

void AnimatedClump::SetAnimationControl(AnimationControl* control)
{
    m_control.reset(control);
    if (control)
        control->SetTarget(this);
}

void AnimatedClump::SetTime(float seconds)
{
    if (seconds == m_time)
        return;
    m_time = seconds;
    m_timeChanged = true;
}

void AnimatedClump::EndBlend()
{
    m_blendProgress = 0.0f;
    m_blending = false;
    RpHAnimHierarchy* main = m_mainHierarchy ? m_mainHierarchy : GetHierarchy();
    if (main)
        RtAnimInterpolatorSetCurrentAnim(main->interpolator, GetAnimation(m_current));
}

void AnimatedClump::SetAnimation(int index, float blendTime)
{
    RtAnimAnimation* next = GetAnimation(index);
    if (!next)
        return;
    if (m_blending)
        EndBlend();
    RtAnimAnimation* previous = GetAnimation(m_current);
    m_current = index;
    m_blendTime = blendTime;
    m_timeChanged = true;
    RpHAnimHierarchy* hierarchy = GetHierarchy();
    if (!hierarchy)
        return;
    // Without blend copies (a model with no hierarchy when loaded) the switch is immediate.
    if (blendTime > 0.0f && previous && m_blendFrom && m_blendTo) {
        std::vector<RpAtomic*> atomics;
        GetAtomics(atomics);
        m_mainHierarchy = atomics.empty() ? nullptr : RpSkinAtomicGetHAnimHierarchy(atomics.front());
        if (!m_mainHierarchy)
            m_mainHierarchy = hierarchy;
        RtAnimInterpolatorSetCurrentAnim(m_blendFrom->interpolator, previous);
        RtAnimInterpolatorSetCurrentTime(m_blendFrom->interpolator, m_time);
        RtAnimInterpolatorSetCurrentAnim(m_blendTo->interpolator, next);
        m_blending = true;
        m_blendProgress = 0.0f;
        return;
    }
    RtAnimInterpolatorSetCurrentAnim(hierarchy->interpolator, next);
}

void AnimatedClump::SetBoneRotation(int bone, const Quaternion& rotation)
{
    float angle = 0.0f;
    Vector3 axis;
    rotation.ToAxisAngle(angle, axis);
    if (angle == 0.0f)
        m_boneRotations.erase(bone);
    else
        m_boneRotations[bone] = rotation;
}

void AnimatedClump::ApplyBoneRotations(RpHAnimHierarchy* hierarchy) const
{
    if (!hierarchy || !hierarchy->pMatrixArray)
        return;
    for (const auto& [bone, rotation] : m_boneRotations) {
        if (bone < 0 || bone >= hierarchy->numNodes)
            continue;
        const RwMatrix turn = RotationMatrix(rotation);
        // Turned about its own joint: the bone stays where the animation put it.
        RwMatrixTransform(&hierarchy->pMatrixArray[bone], &turn, rwCombinePreMultiply);
    }
}

void AnimatedClump::UpdateBlend()
{
    RtAnimInterpolatorSetCurrentTime(m_blendTo->interpolator, m_time);
    RtAnimInterpolatorBlend(m_mainHierarchy->interpolator, m_blendFrom->interpolator, m_blendTo->interpolator,
                            m_blendProgress);
    RpHAnimHierarchyUpdateMatrices(m_mainHierarchy);
    ApplyBoneRotations(m_mainHierarchy);
}

void AnimatedClump::Update(float dt)
{
    Clump::Update(dt);
    if (m_control)
        m_control->Update(dt);
    if (m_blending) {
        m_blendProgress += dt / m_blendTime;
        if (m_blendProgress >= 1.0f) {
            std::vector<RpAtomic*> atomics;
            GetAtomics(atomics);
            for (RpAtomic* atomic : atomics)
                if (RpSkinGeometryGetSkin(RpAtomicGetGeometry(atomic)))
                    RpSkinAtomicSetHAnimHierarchy(atomic, m_mainHierarchy);
            EndBlend();
            ApplyBoneRotations(m_mainHierarchy);
        }
    }
    if (m_current < 0)
        return;
    // The pose depends only on the time and the blend, so posing later gives the same one.
    if (m_poseOnlyDrawn && !RwDeviceShowsPictures()) {
        m_poseStale = true;
        return;
    }
    Pose();
}

void AnimatedClump::Pose()
{
    m_poseStale = false;
    if (m_blending) {
        UpdateBlend();
        return;
    }
    RpHAnimHierarchy* hierarchy = GetHierarchy();
    if (!hierarchy)
        return;
    RtAnimInterpolatorSetCurrentTime(hierarchy->interpolator, m_time);
    RpHAnimHierarchyUpdateMatrices(hierarchy);
    ApplyBoneRotations(hierarchy);
    m_timeChanged = false;
}

void AnimatedClump::Render()
{
    if (m_poseStale)
        Pose();
    Clump::Render();
}

AnimatedClump* AnimatedClump::Clone() const
{
    auto* clone = new AnimatedClump();
    if (m_clump)
        clone->m_clump = RpClumpClone(m_clump);
    for (const Entry& entry : m_animations) {
        int index = 0;
        clone->AddAnimation(entry.animation, false, index);
    }
    clone->MakeBlendHierarchies();
    return clone;
}

bool Locator::MakeFrame()
{
    m_clump = RpClumpCreate();
    RwFrame* frame = m_clump ? RwFrameCreate() : nullptr;
    if (!frame) {
        LogError("Locator::PlayAnimation: no clump for the locator\n");
        DestroyClump();
        return false;
    }
    RpClumpSetFrame(m_clump, frame);
    const RwUInt32 flags[2] = {0, rpHAnimPopParent};
    const RwInt32 ids[2] = {0, 1};
    RpHAnimHierarchy* hierarchy =
        RpHAnimHierarchyCreate(2, flags, ids, rpHAnimHierarchyUpdateModellingMatrices, kKeyFrameSize);
    if (!hierarchy)
        return false;
    RpHAnimFrameSetHierarchy(frame, hierarchy);
    RpHAnimFrameSetID(frame, 1);
    RpHAnimHierarchyAttach(hierarchy);
    return true;
}

void Locator::PlayAnimation(const std::string& fileName)
{
    if (!m_clump && !MakeFrame())
        return;
    LoadAnimation(fileName);
    SetAnimationControl(new AnimationControlForward(1.0f));
    Reset();
}

void Locator::Reset()
{
    SetTime(0.0f);
    AnimatedClump::Update(0.0f);
}

void Locator::Update(float dt)
{
    RwFrame* frame = GetFrame();
    if (!frame) {
        AnimatedClump::Update(dt);
        return;
    }
    const RwMatrix old = *RwFrameGetMatrix(frame);
    AnimatedClump::Update(dt);
    const RwMatrix now = *RwFrameGetMatrix(frame);
    RwMatrix inverse, delta;
    RwMatrixInvert(&inverse, &old);
    // The step in the frame's own space: now = delta, then old.
    RwMatrixMultiply(&delta, &now, &inverse);
    m_deltaPosition = Vector3{delta.pos.x, delta.pos.y, delta.pos.z};
    m_deltaRotation.FromMatrix3(Vector3{delta.right.x, delta.right.y, delta.right.z},
                                Vector3{delta.up.x, delta.up.y, delta.up.z},
                                Vector3{delta.at.x, delta.at.y, delta.at.z});
    m_position = Vector3{now.pos.x, now.pos.y, now.pos.z};
    m_rotation = Math::QuaternionFromRwMatrix(&now);
}
