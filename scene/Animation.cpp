#include "scene/Animation.h"

#include "engine/plugins/RtAnim.h"
#include "framework/Serializer.h"
#include "scene/AnimatedClump.h"

#include <cmath>

namespace {

// Just short of the end, so that a held pose never wraps to the first key.
constexpr float kEndMargin = 0.000001f;

}  // namespace

Animation::~Animation()
{
    if (m_animation)
        RtAnimAnimationDestroy(m_animation);
}

void Animation::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Animation", descriptor);
    serializer.SerializeButton("filename", "");
    serializer.SerializeString("File Name", &m_fileName);
    serializer.EndSection();
}

RtAnimAnimation* Animation::GetRtAnimation()
{
    if (!m_animation && !m_fileName.empty())
        m_animation = RtAnimAnimationRead(m_fileName.c_str());
    return m_animation;
}

float Animation::GetDuration()
{
    const RtAnimAnimation* animation = GetRtAnimation();
    return animation ? animation->duration : 0.0f;
}

MovingAnimation::MovingAnimation() = default;
MovingAnimation::~MovingAnimation() = default;

void MovingAnimation::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("MovingAnimation", descriptor);
    Animation::Serialize(serializer, "Anim File Name");
    serializer.SerializeButton("filename", "");
    serializer.SerializeString("Locator Animation", &m_locatorAnimation);
    serializer.SerializeFloat("Move Rate", &m_moveRate);
    serializer.SerializeFloat("Rotation Rate", &m_rotationRate);
    serializer.SerializeFloat("Fixed Rate", &m_fixedRate);
    serializer.SerializeButton("combobox [Movement][Rotation][Fixed]", "");
    serializer.SerializeInt("Speed Lock", &m_speedLock);
    serializer.EndSection();
    RebuildLocator();
}

void MovingAnimation::SetLocatorAnimation(const std::string& fileName)
{
    m_locatorAnimation = fileName;
    RebuildLocator();
}

void MovingAnimation::RebuildLocator()
{
    m_locator.reset();
    if (m_locatorAnimation.empty())
        return;
    m_locator = std::make_unique<Locator>();
    m_locator->PlayAnimation(m_locatorAnimation);
}

float MovingAnimation::GetFraction(float t0, float t1)
{
    if (!GetRtAnimation())
        return 0.0f;
    const float d = GetDuration();
    const float covered = t0 <= t1 ? t1 - t0 : d - t0 + t1;
    return d != 0.0f ? covered / d : 1.0f;
}

void MovingAnimation::RunLocator(float t0, float fraction)
{
    m_locator->Reset();
    m_locator->Update(t0);
    m_locator->Update(fraction * GetDuration());
}

Vector3 MovingAnimation::GetPosition(float t0, float t1, const Vector3& direction)
{
    const float f = GetFraction(t0, t1);
    Vector3 result = direction * (f * m_moveRate);
    if (m_locator) {
        RunLocator(t0, f);
        result = result + m_locator->GetDeltaPosition();
    }
    return result;
}

Quaternion MovingAnimation::GetRotation(float t0, float t1, const Vector3& axis)
{
    const float f = GetFraction(t0, t1);
    const Quaternion turn(f * m_rotationRate, axis);
    if (!m_locator)
        return turn;
    RunLocator(t0, f);
    return m_locator->GetDeltaRotation() * turn;
}

Vector3 MovingAnimation::GetStartPosition()
{
    if (!m_locator)
        return Vector3{0.0f, 0.0f, 0.0f};
    m_locator->SetTime(0.0f);
    return m_locator->GetPosition();
}

float MovingAnimation::MapTime(float distance, float angle)
{
    const auto perSecond = [this](float rate, float amount) {
        const float d = GetRtAnimation() ? GetDuration() : 0.0f;
        if (d == 0.0f || rate / d == 0.0f)
            return 0.0f;
        return std::fabs(amount / (rate / d));
    };
    switch (m_speedLock) {
    case kMovement:
        return m_moveRate == 0.0f ? 1.0f : perSecond(m_moveRate, distance);
    case kRotation:
        return perSecond(m_rotationRate, angle);
    default:
        return m_fixedRate;
    }
}

bool AnimationControl::Begin(float& time, float& duration)
{
    if (!m_target)
        return false;
    time = m_target->GetTime();
    duration = m_target->GetDuration();
    m_finished = 0;
    return duration != 0.0f;
}

void AnimationControlForward::Update(float dt)
{
    float t = 0.0f, d = 0.0f;
    if (!Begin(t, d))
        return;
    t += dt * m_speed;
    if (t > d) {
        t = d - kEndMargin;
        m_finished = 1;
    }
    m_target->SetTime(t);
}

void AnimationControlBackward::Update(float dt)
{
    float t = 0.0f, d = 0.0f;
    if (!Begin(t, d))
        return;
    t -= dt * m_speed;
    if (t < 0.0f) {
        t = 0.0f;
        m_finished = 1;
    }
    m_target->SetTime(t);
}

void AnimationControlLooping::Update(float dt)
{
    float t = 0.0f, d = 0.0f;
    if (!Begin(t, d))
        return;
    t += dt * m_speed;
    // A negative duration would never end the loop.
    while (d > 0.0f && t > d) {
        t -= d;
        m_finished = 1;
    }
    m_target->SetTime(t);
}

void AnimationControlPingPong::Update(float dt)
{
    float t = 0.0f, d = 0.0f;
    if (!Begin(t, d))
        return;
    const float s = dt * m_speed;
    bool clamped = false;
    if (m_direction >= 0) {
        t += s;
        if (t > d) {
            t = d - kEndMargin;
            clamped = true;
        }
    } else {
        t -= s;
        if (t < 0.0f) {
            t = 0.0f;
            clamped = true;
        }
    }
    if (clamped) {
        m_finished = 1;
        m_direction = -m_direction;
    }
    m_target->SetTime(t);
}

void AnimationControlStopped::Update(float)
{
    if (m_target)
        m_target->SetTime(m_target->GetTime());
}
