#include "characters/CharacterAction.h"

#include "framework/Debug.h"
#include "framework/Serializer.h"
#include "scene/AnimatedClump.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

const char* const kEventNames[] = {"End Action", "End Ball Locator", "Contact Foot", "Save",
                                   "Deflect", "Whistle Short", "Whistle Long", "Take Out Card",
                                   "Put Away Card", "Trigger Goal Kick", "Begin Slide Tackle",
                                   "Save Prepare"};
static_assert(std::size(kEventNames) == static_cast<size_t>(ActionEventType::Count));

constexpr int32_t kType(ActionEventType type) { return static_cast<int32_t>(type); }

std::string EventChoices()
{
    std::string choices = "combobox ";
    for (const char* name : kEventNames)
        choices += std::string("[") + name + "]";
    return choices;
}

// The locator's duration crossed in [t0, t1); a locator of no animation is never crossed.
bool Crosses(float t0, float t1, float duration) { return t0 <= duration && duration < t1; }

// Advances the locator to the time: true when the time lies within it.
bool PlaceLocator(Locator* locator, float time)
{
    if (!locator || !(time < locator->GetDuration()))
        return false;
    locator->SetTime(time);
    locator->Update(0.0f);
    return true;
}

}  // namespace

const char* ActionEventName(int32_t type)
{
    if (type < 0 || type >= kType(ActionEventType::Count))
        return "";
    return kEventNames[type];
}

void CharacterActionEvent::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("CharacterActionEvent", descriptor);
    serializer.SerializeButton(EventChoices().c_str(), "");
    serializer.SerializeInt("Type", &type);
    serializer.SerializeFloat("Time (if applicable)", &time);
    serializer.EndSection();
}

bool CharacterActionEvent::IsBetween(float t0, float t1) const
{
    // -1 marks an event without a time, which a step from before 0 would otherwise cross.
    if (time < 0.0f)
        return false;
    if (t0 < t1)
        return t0 <= time && time < t1;
    if (t0 == t1)
        return false;
    // Wrapped: the step ran over the end and on from the start.
    return t0 <= time || time < t1;
}

CharacterAction::CharacterAction() = default;
CharacterAction::~CharacterAction() = default;

void CharacterAction::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("CharacterAction", descriptor);
    serializer.SerializeButton("popup", "");
    serializer.SerializeObject("Animation", &m_animation);
    serializer.SerializeFloat("Bound cyl. Radius", &boundRadius);
    serializer.SerializeFloat("Bound cyl. Height", &boundHeight);
    serializer.SerializeFloat("Energy dr. per act.", &energyPerAction);
    serializer.SerializeFloat("Energy dr. per sec.", &energyPerSecond);
    serializer.SerializeButton("filename", "");
    serializer.SerializeString("Ball locator", &m_ballLocatorName);
    serializer.SerializeBool("Ball loc. rot.?", &ballLocatorRotates);
    serializer.SerializeButton("filename", "");
    serializer.SerializeString("Collision locator", &m_collisionLocatorName);
    serializer.SerializeBool("Needs power bar?", &needsPowerBar);
    serializer.SerializeFloat("Start blend time", &startBlendTime);
    serializer.SerializeFloat("End blend time", &endBlendTime);
    serializer.SerializeButton("hide", "");
    auto count = static_cast<int32_t>(m_events.size());
    serializer.SerializeInt("Number of events", &count);
    if (serializer.IsReading()) {
        m_events.clear();
        count = serializer.BoundListCount("CharacterAction::Serialize", "Number of events", count);
        for (int32_t i = 0; i < count; ++i) {
            CharacterActionEvent event;
            serializer.SerializeObject("Event", &event);
            m_events.push_back(event);
        }
    } else {
        for (CharacterActionEvent& event : m_events)
            serializer.SerializeObject("Event", &event);
    }
    bool createEvent = false;
    serializer.SerializeBool("Create new event?", &createEvent);
    if (createEvent)
        m_events.emplace_back(kType(ActionEventType::ContactFoot), -1.0f);
    serializer.EndSection();
    RebuildLocators();
}

void CharacterAction::SetBallLocatorName(const std::string& name)
{
    m_ballLocatorName = name;
    RebuildLocators();
}

void CharacterAction::SetCollisionLocatorName(const std::string& name)
{
    m_collisionLocatorName = name;
    RebuildLocators();
}

void CharacterAction::RebuildLocators()
{
    const auto rebuild = [](std::unique_ptr<Locator>& locator, const std::string& name) {
        locator.reset();
        if (name.empty())
            return;
        locator = std::make_unique<Locator>();
        locator->PlayAnimation(name);
    };
    rebuild(m_ballLocator, m_ballLocatorName);
    rebuild(m_collisionLocator, m_collisionLocatorName);
}

std::vector<const CharacterActionEvent*> CharacterAction::GetEventsBetween(float t0, float t1)
{
    std::vector<const CharacterActionEvent*> fired;
    if (Crosses(t0, t1, GetDuration()))
        fired.push_back(&m_endAction);
    if (m_ballLocator && Crosses(t0, t1, m_ballLocator->GetDuration()))
        fired.push_back(&m_endBallLocator);
    for (const CharacterActionEvent& event : m_events) {
        if (event.IsBetween(t0, t1))
            fired.push_back(&event);
    }
    return fired;
}

bool CharacterAction::GetBallLocatorEnd(Vector3& point) const
{
    Locator* ball = m_ballLocator.get();
    if (!ball || !(ball->GetDuration() > 0.0f))
        return false;
    ball->SetTime(std::nextafter(ball->GetDuration(), 0.0f));
    ball->Update(0.0f);
    point = ball->GetPosition();
    return true;
}

std::vector<float> CharacterAction::GetEventTimes(int32_t type) const
{
    std::vector<float> times;
    for (const CharacterActionEvent& event : m_events) {
        if (event.type == type)
            times.push_back(event.time);
    }
    return times;
}

bool CharacterAction::HasEvent(int32_t type) const
{
    return std::any_of(m_events.begin(), m_events.end(),
                       [type](const CharacterActionEvent& event) { return event.type == type; });
}

void CharacterAction::GetSaveContact(Vector3& position, float& time, float& prepareTime)
{
    const auto first = [this](ActionEventType type, float& out) {
        const std::vector<float> times = GetEventTimes(kType(type));
        if (times.empty())
            return false;
        out = times.front();
        return true;
    };
    if (!first(ActionEventType::Save, time)) {
        time = m_ballLocator ? m_ballLocator->GetDuration() : 0.0f;
        float deflect = 0.0f;
        if (first(ActionEventType::Deflect, deflect) && deflect > 0.0f)
            time = deflect;
    }
    prepareTime = 0.0f;
    first(ActionEventType::SavePrepare, prepareTime);

    position = m_animation.GetPosition(0.0f, time, Vector3{0.0f, 0.0f, 1.0f});
    if (m_ballLocator) {
        m_ballLocator->SetTime(time);
        m_ballLocator->Update(0.0f);
        position += m_ballLocator->GetPosition();
    }
    // The body, and the ball in its hands, are drawn that far back from the moved root.
    if (PlaceLocator(m_collisionLocator.get(), time))
        position -= m_collisionLocator->GetPosition();

    const float rate = m_animation.MapTime(0.0f, 0.0f);
    if (rate == 0.0f) {
        // A speed-locked action does not move at zero speed: its times stay animation times.
        LogWarning("CharacterAction::GetSaveContact: %s plays at no rate at rest; times kept\n",
                   GetName() ? GetName() : "an action");
        return;
    }
    time /= rate;
    prepareTime /= rate;
}

void CharacterActionPlayer::SetAction(CharacterAction* action)
{
    m_action = action;
    m_time = 0.0f;
    SetSpeed(m_moveSpeed, m_turnSpeed);
    m_startOffset = action ? action->GetAnimation().GetStartPosition() : Vector3{};
}

void CharacterActionPlayer::SetSpeed(float movement, float turn)
{
    m_moveSpeed = std::fabs(movement);
    m_turnSpeed = std::fabs(turn);
    m_turnRatio = 0.0f;
    if (!m_action) {
        m_rate = 0.0f;
        return;
    }
    MovingAnimation& animation = m_action->GetAnimation();
    m_rate = animation.MapTime(m_moveSpeed, m_turnSpeed);
    if (m_turnSpeed == 0.0f)
        return;
    float angle = 0.0f;
    Vector3 axis;
    animation.GetRotation(0.0f, m_action->GetDuration(), Vector3{0.0f, 1.0f, 0.0f}).ToAxisAngle(angle, axis);
    if (angle != 0.0f)
        m_turnRatio = std::clamp(m_turnSpeed / angle, -1.0f, 1.0f);
}

void CharacterActionPlayer::UpdateAction(float dt)
{
    if (!m_action)
        return;
    const float t0 = m_time;
    m_time = t0 + dt * m_rate;
    MovingAnimation& animation = m_action->GetAnimation();
    m_movement = animation.GetPosition(t0, m_time, Vector3{0.0f, 0.0f, 1.0f});
    float angle = 0.0f;
    Vector3 axis{0.0f, 1.0f, 0.0f};
    animation.GetRotation(t0, m_time, axis).ToAxisAngle(angle, axis);
    m_rotation = Quaternion(angle * m_turnRatio, axis);
    UpdateLocators();
    // A listener may start another action; the listed events belong to the race and stay.
    for (const CharacterActionEvent* event : m_action->GetEventsBetween(t0, m_time))
        OnActionEvent(*event);
}

void CharacterActionPlayer::UpdateLocators()
{
    Locator* collision = m_action->GetCollisionLocator();
    m_collisionPoint = PlaceLocator(collision, m_time) ? collision->GetPosition() : Vector3{};
    Locator* ball = m_action->GetBallLocator();
    if (PlaceLocator(ball, m_time)) {
        m_ballPoint = ball->GetPosition();
        m_ballRotation = ball->GetRotation();
    } else {
        m_ballPoint = Vector3{0.0f, s_ballRadius, m_action->boundRadius};
    }
}
