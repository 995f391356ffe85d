#include "characters/CharacterBrain.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/Team.h"

CharacterBrain::CharacterBrain(Actor* actor, Character* character, CharacterRace* race)
    : m_character(character),
      m_actor(actor),
      m_team(character ? character->GetTeam() : nullptr),
      m_race(race)
{
}

void CharacterBrain::Run(int32_t runMode, ActorCommand& command)
{
    if (runMode == kThink)
        Think(command);
    else if (runMode == kHumanInput)
        ProcessInput(command);
    else
        ClearInput(command);
    if (!m_actor || !m_actor->HasBall())
        m_charging = 0;
}

void CharacterBrain::ProcessInput(ActorCommand& command)
{
    if (m_mode == kFrozen)
        ClearInput(command);
}

void CharacterBrain::Think(ActorCommand& command)
{
    if (m_mode == kFrozen)
        ClearInput(command);
}

void CharacterBrain::ClearInput(ActorCommand& command)
{
    if (!command.hold)
        command.code = ActorInput::None;
}
