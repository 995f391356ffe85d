#include "match/RestartKicks.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "match/setpieces/SetPiece.h"
#include "simulation/Ball.h"
#include "simulation/pitch/PitchSimulation.h"

#include <limits>
#include <string>

namespace {

// Stands in for a restart whose own set piece is not built: the frame lines both sides up
// and puts the ball on the spot; the nearest outfield player of the kicking side stands
// behind it, facing the centre, and as he does not hold the ball the restart ends at once.
class PlaceholderRestart : public SetPiece {
public:
    PlaceholderRestart(const char* kind, bool attacking, const Vector3& spot)
        : SetPiece(kind, attacking, 0.0f, 0.0f), m_spot(spot)
    {
    }

    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override
    {
        spot = m_spot;
        direction = Vector3{-m_spot.x, 0.0f, -m_spot.z};
    }

    Character* GetTaker() const override
    {
        const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(IsAttacking() ? 0 : 1);
        Character* nearest = nullptr;
        float best = std::numeric_limits<float>::max();
        for (int32_t i = 0; team && i < team->GetPlayerCount(); ++i) {
            Character* player = team->GetPlayer(i);
            if (player->IsKeeper())
                continue;
            const float distance = (player->GetActor()->GetPosition() - m_spot).Length();
            if (distance < best) {
                best = distance;
                nearest = player;
            }
        }
        return nearest;
    }

private:
    Vector3 m_spot;
};

Vector3 BallSpot()
{
    const Ball* ball = PitchSimulation::Instance()->GetBall();
    return ball ? ball->GetPosition() : Vector3{};
}

}  // namespace

namespace RestartKicks {

State* CreateThrowIn(bool attacking, bool, const Vector3& position)
{
    return new PlaceholderRestart("throwin", attacking, position);
}

State* CreateCorner(bool attacking, bool)
{
    return new PlaceholderRestart("corner", attacking, BallSpot());
}

State* CreateKeeperKick(bool attacking, bool)
{
    return new PlaceholderRestart("goalkick", attacking, BallSpot());
}

State* CreateGoalKick(bool attacking)
{
    return new PlaceholderRestart("goalkick", attacking, BallSpot());
}

State* CreateFreeKick(bool attacking, const Vector3& spot)
{
    return new PlaceholderRestart("freekick", attacking, spot);
}

State* CreatePenalty(bool attacking)
{
    return new PlaceholderRestart("penalty", attacking, BallSpot());
}

State* CreateReplay(bool)
{
    return nullptr;
}

}  // namespace RestartKicks
