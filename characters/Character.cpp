#include "characters/Character.h"

#include "characters/Actor.h"
#include "characters/Team.h"
#include "simulation/CarriedBall.h"

Character::Character(int32_t kind, const std::string& variationName, SoccerTeam* team)
    : m_kind(kind), m_team(team)
{
    m_statistics.name = variationName;
}

Character::~Character()
{
    // The ball keeps its last toucher and reads it every frame.
    if (ActorSurroundings::ball)
        ActorSurroundings::ball->ForgetToucher(this);
}

void Character::Update(float) {}

void Character::Render()
{
    if (m_actor)
        m_actor->Render();
}

float Character::GetPower() const { return m_actor ? m_actor->kickPower : 0.0f; }

bool Character::IsOnFirstSide() const { return m_team && m_team->IsFirstSide(); }

void Character::LetGoOfBall()
{
    if (m_actor)
        m_actor->ReleaseBall();
}
