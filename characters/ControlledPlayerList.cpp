#include "characters/ControlledPlayerList.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "framework/MathUtil.h"
#include "settings/GameSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/CarriedBall.h"
#include "simulation/Collidable.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kComputer = "ai";

bool HoldsBall(const Character* member) { return member->GetActor() && member->GetActor()->HasBall(); }

// The kicker's team-mate nearest in angle to the direction, seen from the ball; the first of
// equals. Null when the kicker plays alone.
Character* NearestInAngle(const Team& team, const Character& kicker, const Vector3& ball, float direction)
{
    Character* best = nullptr;
    float bestDifference = 0.0f;
    for (int32_t i = 0; i < team.GetPlayerCount(); ++i) {
        Character* member = team.GetPlayer(i);
        if (member == &kicker || !member->GetActor())
            continue;
        const float difference =
            std::fabs(Math::AngleDifference(direction, WorldHeadingOf(member->GetActor()->GetPosition() - ball)));
        if (!best || difference < bestDifference) {
            best = member;
            bestDifference = difference;
        }
    }
    return best;
}

} // namespace

void ControlledPlayerList::Add(Character* member)
{
    m_entries.push_back({member, 0.0f});
    member->SetControllerName(m_controllerName);
}

void ControlledPlayerList::Remove(Character* member)
{
    if (member == m_selected)
        Deselect();
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.member == member; });
}

void ControlledPlayerList::Deselect()
{
    // A flag left set would keep a brain reading the controller.
    if (m_selected)
        m_selected->SetSelected(false);
    m_selected = nullptr;
}

void ControlledPlayerList::Select(Character* member)
{
    m_selected = member;
    for (const Entry& entry : m_entries) {
        entry.member->SetSelected(entry.member == m_selected && m_controllerName != kComputer);
        entry.member->SetControllerName(m_controllerName);
    }
}

bool ControlledPlayerList::AnyHoldsBall() const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& entry) { return HoldsBall(entry.member); });
}

void ControlledPlayerList::Refresh()
{
    if (!m_enabled) {
        Deselect();
        return;
    }
    const auto holder = std::find_if(m_entries.begin(), m_entries.end(),
                                     [](const Entry& entry) { return HoldsBall(entry.member); });
    Character* chosen = m_selected;
    if (holder != m_entries.end()) {
        chosen = holder->member;
    } else {
        Rank();
        if (!chosen && !m_entries.empty())
            chosen = m_entries.front().member;
    }
    Select(chosen);
}

Character* ControlledPlayerList::GetSelected()
{
    if (!m_selected)
        Refresh();
    return m_selected;
}

float ControlledPlayerList::Score(const Character& member)
{
    const Actor* actor = member.GetActor();
    if (!member.CanBeSelected() || !actor)
        return kUnselectable;
    const CarriedBall* ball = ActorSurroundings::ball;
    if (!ball)
        return 0.0f;
    const float ahead = GameSettings::Instance()->selectionLookAheadTime;
    const Vector3 gap = (ball->GetBallPosition() - actor->GetPosition()) +
                        (ball->GetCollidable().GetVelocity() - actor->GetVelocity()) * ahead;
    return -gap.Length();
}

void ControlledPlayerList::Rank()
{
    for (Entry& entry : m_entries)
        entry.score = Score(*entry.member);
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const Entry& a, const Entry& b) { return a.score < b.score; });
    std::reverse(m_entries.begin(), m_entries.end());
}

void ControlledPlayerList::SelectNext()
{
    if (!m_enabled) {
        Deselect();
        return;
    }
    if (!m_selected || AnyHoldsBall())
        return;
    Rank();
    if (m_entries.size() > 1)
        Select(m_entries.front().member == m_selected ? m_entries[1].member : m_entries.front().member);
}

void ControlledPlayerList::SelectByBallDirection(Character& kicker)
{
    if (!m_enabled) {
        Deselect();
        return;
    }
    const Team* team = kicker.GetTeam();
    const CarriedBall* ball = ActorSurroundings::ball;
    if (!team || !ball)
        return;
    const Vector3 from = ball->GetBallPosition();
    const float direction = WorldHeadingOf(ball->GetCollidable().GetVelocity());
    std::vector<Actor*> everyone = Team::ActorsOf(ActorSurroundings::sides[0]);
    const std::vector<Actor*> second = Team::ActorsOf(ActorSurroundings::sides[1]);
    everyone.insert(everyone.end(), second.begin(), second.end());
    if (everyone.empty())
        everyone = Team::ActorsOf(team);

    Character* chosen = nullptr;
    if (const Actor* found = FindActorInDirection(everyone, from, direction, kicker.GetActor())) {
        for (int32_t i = 0; i < team->GetPlayerCount() && !chosen; ++i)
            chosen = team->GetPlayer(i)->GetActor() == found ? team->GetPlayer(i) : nullptr;
    }
    if (!chosen)
        chosen = NearestInAngle(*team, kicker, from, direction);
    // The keeper is never handed the selection by a kick.
    if (!chosen || (team->GetPlayerCount() > 0 && chosen == team->GetPlayer(0)))
        chosen = &kicker;
    Select(chosen);
}
