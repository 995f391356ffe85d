#pragma once

#include "scene/Animation.h"
#include "scene/Clump.h"

#include <map>
#include <memory>
#include <vector>

struct RpHAnimHierarchy;
struct RtAnimAnimation;

// A clump that plays one of its animations at a time through its animation hierarchy,
// cross-fades from one to the next, and lets single bones be turned.
class AnimatedClump : public Clump, public Animated {
public:
    AnimatedClump() = default;
    ~AnimatedClump() override;

    // The clump's table; a reload through it gets new blend hierarchies and keeps the
    // current animation playing on the new model.
    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Update(float dt) override;
    // Brings a pose that Update left behind up to date first.
    void Render() override;
    // The animations are shared, not owned: the source must outlive its clones.
    AnimatedClump* Clone() const override;

    virtual bool LoadAnimation(const std::string& fileName);
    // A null animation is logged and gives index 0 and true. An animation already listed is
    // not added again (owned makes its entry owned). False when it is new and the clump has
    // no hierarchy to play it on (it stays listed).
    virtual bool AddAnimation(RtAnimAnimation* animation, bool owned, int& index);
    bool LoadClump(const std::string& fileName, const std::string& textureFolder, bool bindPose) override;
    // 0 for an index outside the list.
    virtual float GetAnimationDuration(int index) const;
    virtual bool IsAnimationFinished() const;
    // An index outside the list changes nothing. With a blend time and a previous animation
    // the pose cross-fades over that time; a blend under way ends first. The time is kept.
    virtual void SetAnimation(int index, float blendTime);
    // -1 with none.
    virtual int GetCurrentAnimation() const { return m_current; }
    // The clump owns the control (null allowed) and deletes the one it replaces.
    virtual void SetAnimationControl(AnimationControl* control);
    virtual AnimationControl* GetAnimationControl() const { return m_control.get(); }
    virtual bool IsBlending() const { return m_blending; }
    // The hierarchy on the root frame, else the first one below it; null without one.
    virtual RpHAnimHierarchy* GetHierarchy() const;

    void SetTime(float seconds) override;
    float GetTime() const override { return m_time; }
    // The current animation's duration; 0 with none.
    float GetDuration() const override;

    // An angle of 0 removes the bone's rotation.
    void SetBoneRotation(int bone, const Quaternion& rotation);
    // Whether nothing but drawing reads the pose (the bone frames and skinning matrices):
    // then, on a device that shows no pictures, Update leaves the pose for Render to bring
    // up to date. Off by default, since a locator's or a path's frames are read.
    void SetPoseOnlyDrawn(bool onlyDrawn) { m_poseOnlyDrawn = onlyDrawn; }
    bool IsPoseOnlyDrawn() const { return m_poseOnlyDrawn; }
    int GetAnimationCount() const { return static_cast<int>(m_animations.size()); }
    RtAnimAnimation* GetAnimation(int index) const;
    float GetBlendProgress() const { return m_blendProgress; }

protected:
    // Bound to the hierarchy's interpolator; false without a hierarchy.
    bool Bind(RtAnimAnimation* animation);
    void MakeBlendHierarchies();
    void DestroyBlendHierarchies();
    void EndBlend();
    void ApplyBoneRotations(RpHAnimHierarchy* hierarchy) const;
    void UpdateBlend();
    // The pose at the current time and blend.
    void Pose();

    struct Entry {
        RtAnimAnimation* animation;
        bool owned;
    };
    std::vector<Entry> m_animations;
    int m_current = -1;
    float m_time = 0.0f;
    bool m_timeChanged = true;
    std::unique_ptr<AnimationControl> m_control;
    // Borrowed from the model while a blend runs.
    RpHAnimHierarchy* m_mainHierarchy = nullptr;
    RpHAnimHierarchy* m_blendFrom = nullptr;
    RpHAnimHierarchy* m_blendTo = nullptr;
    bool m_blending = false;
    float m_blendTime = 0.0f;
    float m_blendProgress = 0.0f;
    std::map<int, Quaternion> m_boneRotations;
    bool m_poseOnlyDrawn = false;
    bool m_poseStale = false;  // Update left the pose behind the time
};

// One frame that plays a root-motion animation and tells how far it moved and turned in the
// last update.
class Locator : public AnimatedClump {
public:
    void Update(float dt) override;

    // Makes the one-frame model on first use, then plays the file forward from 0.
    void PlayAnimation(const std::string& fileName);
    // Time 0, posed with a zero step.
    void Reset();
    const Vector3& GetDeltaPosition() const { return m_deltaPosition; }
    const Quaternion& GetDeltaRotation() const { return m_deltaRotation; }

private:
    bool MakeFrame();

    Vector3 m_deltaPosition{0.0f, 0.0f, 0.0f};
    Quaternion m_deltaRotation = Quaternion::Identity;
};
