#include "match/setpieces/PlayerReaction.h"

#include "characters/Character.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "match/PlayerHold.h"
#include "pitch/PitchSimulation.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kReactionMask = PitchSimulation::kUpdateAll & ~PitchSimulation::kUpdateClock;
constexpr int32_t kCheerSound = 4;
constexpr int32_t kDismaySound = 5;

}  // namespace

PlayerReaction::PlayerReaction(const std::vector<Character*>& cheering, const std::vector<Character*>& dismayed,
                               float minStagger, float maxStagger, float seconds)
    : m_duration(seconds)
{
    for (Character* player : cheering)
        m_reactions.push_back({player, true, 0.0f});
    for (Character* player : dismayed)
        m_reactions.push_back({player, false, 0.0f});
    float start = 0.0f;
    for (Reaction& reaction : m_reactions) {
        start += Math::Lerp(minStagger, maxStagger, std::fabs(Random::Unit()));
        reaction.start = start;
    }
}

void PlayerReaction::Enter() { PlayerHold::HoldAll(); }

void PlayerReaction::Exit() { PlayerHold::ReleaseAll(); }

State* PlayerReaction::Update(float dt)
{
    PitchSimulation::Instance()->Update(dt, kReactionMask);
    if (dt > 0.0f) {
        const float next = m_elapsed + dt;
        for (Reaction& reaction : m_reactions) {
            if (m_elapsed > reaction.start || next <= reaction.start || !reaction.player)
                continue;
            if (std::strcmp(reaction.player->GetActor()->GetStateName(), "stand") == 0)
                Start(reaction);
            else
                reaction.start = next;  // busy: tried again in the next step
        }
        m_elapsed = next;
    }
    return m_elapsed < m_duration ? this : nullptr;
}

void PlayerReaction::Start(const Reaction& reaction) const
{
    Actor* actor = reaction.player->GetActor();
    const Vector3 at = actor->GetPosition();
    reaction.player->PlaySound(reaction.cheer ? kCheerSound : kDismaySound, std::trunc(at.x), std::trunc(at.z));
    const ActorStateNode& node =
        !reaction.cheer ? ActorNodes::dismay : (Random::Unit() < 0.5f ? ActorNodes::cheer : ActorNodes::cheer2);
    actor->PlaceInState(at, actor->GetHeading(), new ActorState(node));
}
