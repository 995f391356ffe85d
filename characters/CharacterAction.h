#pragma once

#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"
#include "scene/Animation.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The moments of an action that the actor and its owner react to.
enum class ActionEventType : int32_t {
    EndAction = 0,
    EndBallLocator,
    ContactFoot,
    Save,
    Deflect,
    WhistleShort,
    WhistleLong,
    TakeOutCard,
    PutAwayCard,
    TriggerGoalKick,
    BeginSlideTackle,
    SavePrepare,
    Count
};

// The names the editor shows and the owners compare, in type order.
const char* ActionEventName(int32_t type);

class CharacterActionEvent : public Object {
public:
    CharacterActionEvent() = default;
    CharacterActionEvent(int32_t type_, float time_) : type(type_), time(time_) {}

    void Serialize(Serializer& serializer, const char* descriptor) override;
    // Whether the step from t0 to t1 crosses the time; a step that wrapped (t1 < t0) crosses
    // the end. A time of -1 never fires.
    bool IsBetween(float t0, float t1) const;

    int32_t type = 0;
    float time = -1.0f;
};

// One animated move of a race: the animation that moves and turns the body, the collision
// cylinder, the energy it costs, the locators that carry the ball and shift the body, and
// its timed events.
class CharacterAction : public Object {
public:
    CharacterAction();
    ~CharacterAction() override;

    // Rebuilds both locators after every call.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The built-in end events first, then the listed ones in list order. The events
    // handed out live as long as the action.
    std::vector<const CharacterActionEvent*> GetEventsBetween(float t0, float t1);
    std::vector<float> GetEventTimes(int32_t type) const;
    bool HasEvent(int32_t type) const;
    // Where and when (in seconds) a save meets the ball, and when it gets ready.
    void GetSaveContact(Vector3& position, float& time, float& prepareTime);

    MovingAnimation& GetAnimation() { return m_animation; }
    // 0 without an engine animation.
    float GetDuration() { return m_animation.GetRtAnimation() ? m_animation.GetDuration() : 0.0f; }
    // Null when the action has none.
    Locator* GetBallLocator() const { return m_ballLocator.get(); }
    // Where the ball locator leaves the ball on its last frame; false without one.
    bool GetBallLocatorEnd(Vector3& point) const;
    Locator* GetCollisionLocator() const { return m_collisionLocator.get(); }
    void SetBallLocatorName(const std::string& name);
    void SetCollisionLocatorName(const std::string& name);

    std::vector<CharacterActionEvent>& GetEvents() { return m_events; }

    float boundRadius = 0.0f;
    float boundHeight = 0.0f;
    float energyPerAction = 0.0f;
    float energyPerSecond = 0.0f;
    bool ballLocatorRotates = false;
    bool needsPowerBar = false;
    float startBlendTime = 0.0f;
    float endBlendTime = 0.0f;

private:
    void RebuildLocators();

    MovingAnimation m_animation;
    std::string m_ballLocatorName;
    std::unique_ptr<Locator> m_ballLocator;
    std::string m_collisionLocatorName;
    std::unique_ptr<Locator> m_collisionLocator;
    std::vector<CharacterActionEvent> m_events;
    const CharacterActionEvent m_endAction{0, -1.0f};
    const CharacterActionEvent m_endBallLocator{1, -1.0f};
};

// Where actors get their actions by name: a race.
class CharacterActionProvider {
public:
    virtual ~CharacterActionProvider() = default;
    // Null when the provider has no action of the name; the provider keeps the action.
    virtual CharacterAction* GetAction(const std::string& name) = 0;
    // Two values the provider keeps per actor; the actor stores them for it.
    virtual int32_t GetActorValueA() { return 0; }
    virtual int32_t GetActorValueB() { return 0; }
};

// Plays one action at a time: advances its time at the rate the wanted speed needs, yields
// each frame's movement and turn, places the ball locator and fires the crossed events.
class CharacterActionPlayer {
public:
    virtual ~CharacterActionPlayer() = default;

    virtual void OnActionEvent(const CharacterActionEvent& event) = 0;

    // The action is borrowed (its race keeps it); null plays nothing.
    void SetAction(CharacterAction* action);
    void SetSpeed(float movement, float turn);
    void UpdateAction(float dt);

    CharacterAction* GetAction() const { return m_action; }
    float GetActionTime() const { return m_time; }
    float GetPlaybackRate() const { return m_rate; }
    const Vector3& GetFrameMovement() const { return m_movement; }
    const Quaternion& GetFrameRotation() const { return m_rotation; }
    float GetTurnRatio() const { return m_turnRatio; }
    const Vector3& GetCollisionLocatorPoint() const { return m_collisionPoint; }
    const Vector3& GetBallLocatorPoint() const { return m_ballPoint; }
    const Quaternion& GetBallRotation() const { return m_ballRotation; }
    const Vector3& GetStartOffset() const { return m_startOffset; }

    // The height of the ball's centre when it lies on the pitch: the ball's radius.
    static void SetBallRadius(float radius) { s_ballRadius = radius; }
    static float GetBallRadius() { return s_ballRadius; }

private:
    void UpdateLocators();

    CharacterAction* m_action = nullptr;
    float m_time = 0.0f;
    Vector3 m_movement;
    float m_turnRatio = 0.0f;
    Quaternion m_rotation = Quaternion::Identity;
    Vector3 m_collisionPoint;
    Vector3 m_ballPoint;
    Quaternion m_ballRotation = Quaternion::Identity;
    Vector3 m_startOffset;
    float m_moveSpeed = 0.0f;
    float m_turnSpeed = 0.0f;
    float m_rate = 0.0f;

    static inline float s_ballRadius = 0.0f;
};
