#pragma once

#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <memory>
#include <string>

struct RtAnimAnimation;
class Locator;

// Anything whose playback time a control drives.
class Animated {
public:
    virtual ~Animated() = default;
    virtual void SetTime(float seconds) = 0;
    virtual float GetTime() const = 0;
    virtual float GetDuration() const = 0;
};

// An animation file, read on first use.
class Animation : public Object {
public:
    Animation() = default;
    ~Animation() override;

    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    // Reading does not load the file.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Null while the file cannot be read; a failed read is tried again on the next call.
    // The animation keeps the result.
    RtAnimAnimation* GetRtAnimation();
    // 0 without an engine animation.
    float GetDuration();

    const std::string& GetFileName() const { return m_fileName; }
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }

protected:
    std::string m_fileName;
    RtAnimAnimation* m_animation = nullptr;
};

// What a character action needs to move its actor: rates that tie playback time to distance
// or turning, and an optional root-motion animation whose motion is added.
class MovingAnimation : public Animation {
public:
    enum SpeedLock : int32_t { kMovement = 0, kRotation = 1, kFixed = 2 };

    MovingAnimation();
    ~MovingAnimation() override;

    // Rebuilds the locator after every call, reading or writing.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The share of the animation played from t0 to t1, wrapping once when t1 < t0; 0 without
    // an animation, 1 for one of no length.
    float GetFraction(float t0, float t1);
    Vector3 GetPosition(float t0, float t1, const Vector3& direction);
    Quaternion GetRotation(float t0, float t1, const Vector3& axis);
    Vector3 GetStartPosition();
    // How long to play for the distance or the angle, by the speed lock.
    float MapTime(float distance, float angle);

    void SetRates(float move, float rotation, float fixed, int32_t speedLock)
    {
        m_moveRate = move;
        m_rotationRate = rotation;
        m_fixedRate = fixed;
        m_speedLock = speedLock;
    }
    void SetLocatorAnimation(const std::string& fileName);
    // Null without a locator animation.
    Locator* GetLocator() const { return m_locator.get(); }

private:
    // Resets the locator and plays it from t0 over the fraction of the duration.
    void RunLocator(float t0, float fraction);
    void RebuildLocator();

    std::string m_locatorAnimation;
    std::unique_ptr<Locator> m_locator;
    float m_moveRate = 0.0f;
    float m_rotationRate = 0.0f;
    float m_fixedRate = 1.0f;
    int32_t m_speedLock = kFixed;
};

// Decides how an animated object's time advances each frame.
class AnimationControl {
public:
    explicit AnimationControl(float speed) : m_speed(speed) {}
    virtual ~AnimationControl() = default;

    virtual void Update(float dt) = 0;
    // Borrowed: the target must outlive the control or be replaced first.
    virtual void SetTarget(Animated* target) { m_target = target; }
    virtual bool HasFinished() const { return m_finished != 0; }

    Animated* GetTarget() const { return m_target; }
    float GetSpeed() const { return m_speed; }

protected:
    // Time and duration of the target; false (and nothing to do) without a target or
    // with a duration of 0. Clears the finished flag first.
    bool Begin(float& time, float& duration);

    Animated* m_target = nullptr;
    int32_t m_finished = 0;
    float m_speed;
};

// Plays to the end and holds just before it.
class AnimationControlForward : public AnimationControl {
public:
    explicit AnimationControlForward(float speed = 1.0f) : AnimationControl(speed) {}
    void Update(float dt) override;
};

// Plays back to the start and holds there.
class AnimationControlBackward : public AnimationControl {
public:
    explicit AnimationControlBackward(float speed = 1.0f) : AnimationControl(speed) {}
    void Update(float dt) override;
};

class AnimationControlLooping : public AnimationControl {
public:
    explicit AnimationControlLooping(float speed = 1.0f) : AnimationControl(speed) {}
    void Update(float dt) override;
};

// Forward to the end, then back to the start, for ever; finished on each turn.
class AnimationControlPingPong : public AnimationControl {
public:
    explicit AnimationControlPingPong(float speed = 1.0f) : AnimationControl(speed) {}
    void Update(float dt) override;
    int32_t GetDirection() const { return m_direction; }

private:
    int32_t m_direction = 1;
};

// Holds the target where it is.
class AnimationControlStopped : public AnimationControl {
public:
    explicit AnimationControlStopped(float speed = 1.0f) : AnimationControl(speed) {}
    void Update(float dt) override;
};
