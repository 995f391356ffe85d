#pragma once

#include "scene/GameElement.h"
#include "scene/MaterialActions.h"

#include <memory>
#include <string>
#include <vector>

class AnimatedClump;

// A placed model that plays one of its animations under a mode, with surface actions. A new
// game ("resetgame") starts its start animation again.
class AnimatedClumpElement : public GameElement {
public:
    enum Mode : int32_t { kStopped = 0, kForward = 1, kBackward = 2, kLooping = 3, kPingPong = 4 };

    AnimatedClumpElement();
    ~AnimatedClumpElement() override;

    // Section "AnimatedClumpElement"; reading makes a new model, loads the named animations
    // in order and restarts. The element's flags are not part of it.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The placement is the model's.
    void SetPosition(const Vector3& position) override;
    const Vector3& GetPosition() const override;
    void SetRotation(const Quaternion& rotation) override;
    const Quaternion& GetRotation() const override;
    void Render() override;
    // The actions run, then the model advances.
    void Update(float dt) override;
    // Starts the start animation under a new control of the mode; a mode outside the list
    // keeps the control. The running flags stay.
    void ResetStatus() override;
    int OnMessage(int message, intptr_t param) override;

    AnimatedClump* GetClump() const { return m_clump.get(); }
    ActionList& GetActions() { return m_actions; }
    int32_t GetCurrentAnimation() const { return m_currentAnimation; }
    const std::vector<std::string>& GetAnimationNames() const { return m_animationNames; }
    void SetAnimations(const std::vector<std::string>& names, int32_t start, int32_t mode, float speed)
    {
        m_animationNames = names;
        m_startAnimation = start;
        m_animationMode = mode;
        m_animationSpeed = speed;
    }

private:
    void SerializeAnimations(Serializer& serializer);

    std::unique_ptr<AnimatedClump> m_clump;
    std::vector<std::string> m_animationNames;
    int32_t m_startAnimation = 0;
    int32_t m_animationMode = kStopped;
    int32_t m_currentAnimation = 0;
    float m_animationSpeed = 1.0f;
    int32_t m_alphaClip = 0;
    // After the model: actions point into its materials and go first.
    ActionList m_actions;
};
