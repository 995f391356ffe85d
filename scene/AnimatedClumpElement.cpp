#include "scene/AnimatedClumpElement.h"

#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/AnimatedClump.h"
#include "scene/RenderStateSaver.h"

#include <algorithm>
#include <cstdio>

REGISTER_FACTORY(GameElements, AnimatedClumpElement);

namespace {

REGISTER_MESSAGE(g_msgResetGame, "resetgame");

// A new control of the mode at the speed; null for a mode outside the list.
AnimationControl* MakeControl(int32_t mode, float speed)
{
    switch (mode) {
    case AnimatedClumpElement::kStopped:
        return new AnimationControlStopped(speed);
    case AnimatedClumpElement::kForward:
        return new AnimationControlForward(speed);
    case AnimatedClumpElement::kBackward:
        return new AnimationControlBackward(speed);
    case AnimatedClumpElement::kLooping:
        return new AnimationControlLooping(speed);
    case AnimatedClumpElement::kPingPong:
        return new AnimationControlPingPong(speed);
    default:
        return nullptr;
    }
}

std::unique_ptr<AnimatedClump> MakeModel()
{
    auto clump = std::make_unique<AnimatedClump>();
    clump->CreateDummyClump();
    // The element keeps its own place: only drawing reads the model's frames.
    clump->SetPoseOnlyDrawn(true);
    return clump;
}

}  // namespace

AnimatedClumpElement::AnimatedClumpElement() : m_clump(MakeModel()) {}

AnimatedClumpElement::~AnimatedClumpElement()
{
    // The actions point into the model's materials.
    m_actions.clear();
}

void AnimatedClumpElement::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("AnimatedClumpElement", descriptor);
    if (serializer.IsReading()) {
        for (auto& action : m_actions)
            if (action)
                action->Detach();
        m_clump = MakeModel();
    }
    serializer.SerializeInt("alpha clip", &m_alphaClip);
    serializer.SerializeObject("clump", m_clump.get());
    SerializeAnimations(serializer);
    SerializeMaterialActions(serializer, m_actions);
    AttachMaterialActions(m_actions, m_clump.get());
    if (serializer.IsReading()) {
        for (const std::string& name : m_animationNames)
            m_clump->LoadAnimation(name);
        ResetStatus();
    }
    serializer.EndSection();
}

void AnimatedClumpElement::SerializeAnimations(Serializer& serializer)
{
    auto count = static_cast<int32_t>(m_animationNames.size());
    serializer.SerializeInt("anim count", &count);
    count = serializer.BoundListCount("AnimatedClumpElement::Serialize", "anim count", count);
    if (static_cast<size_t>(count) != m_animationNames.size())
        serializer.SerializeButton("changed", "");
    m_animationNames.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < m_animationNames.size(); ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "animation %02d", static_cast<int>(i));
        serializer.SerializeButton("filename", "");
        serializer.SerializeString(key, &m_animationNames[i]);
    }
    serializer.SerializeInt("start animation", &m_startAnimation);
    serializer.SerializeButton("combobox [Stopped][Forward][Backward][Loop][PingPong]", "");
    serializer.SerializeInt("animation mode", &m_animationMode);
    serializer.SerializeFloat("animation speed", &m_animationSpeed);
}

void AnimatedClumpElement::SetPosition(const Vector3& position)
{
    m_clump->SetPosition(position);
}

const Vector3& AnimatedClumpElement::GetPosition() const
{
    return m_clump->GetPosition();
}

void AnimatedClumpElement::SetRotation(const Quaternion& rotation)
{
    m_clump->SetRotation(rotation);
}

const Quaternion& AnimatedClumpElement::GetRotation() const
{
    return m_clump->GetRotation();
}

void AnimatedClumpElement::Render()
{
    RenderStateSaver states;
    if (m_alphaClip > 0) {
        states.Set(rwRenderStateAlphaTestFunction, rwAlphaTestGreaterEqual);
        states.Set(rwRenderStateAlphaTestFunctionRef, m_alphaClip);
    }
    m_clump->Render();
    states.Restore();
}

void AnimatedClumpElement::Update(float dt)
{
    RunMaterialActions(m_actions, dt);
    m_clump->Update(dt);
}

void AnimatedClumpElement::ResetStatus()
{
    m_currentAnimation = m_startAnimation;
    m_clump->SetAnimation(m_startAnimation, 0.0f);
    if (AnimationControl* control = MakeControl(m_animationMode, m_animationSpeed))
        m_clump->SetAnimationControl(control);
}

int AnimatedClumpElement::OnMessage(int message, intptr_t param)
{
    const int result = GameElement::OnMessage(message, param);
    if (message == g_msgResetGame)
        ResetStatus();
    return result;
}
