#include "match/MatchDelay.h"

#include "match/PlayerHold.h"
#include "pitch/PitchSimulation.h"

namespace {

// Everything but the clock and the sides' tactics: no game time passes in a pause.
constexpr uint32_t kPauseMask = PitchSimulation::kUpdateAll & ~(PitchSimulation::kUpdateClock | PitchSimulation::kUpdateManagers);

}  // namespace

MatchDelay::MatchDelay(float seconds, bool simulate, bool draw)
    : m_timeLeft(seconds), m_simulate(simulate), m_draw(draw)
{
}

void MatchDelay::Enter() { PlayerHold::HoldAll(); }

void MatchDelay::Exit() { PlayerHold::ReleaseAll(); }

State* MatchDelay::Update(float dt)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (m_simulate && pitch->IsSetUp())
        pitch->Update(dt, kPauseMask);
    m_timeLeft -= dt;
    return m_timeLeft > 0.0f ? this : nullptr;
}

void MatchDelay::Render()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (m_draw && pitch->IsSetUp())
        pitch->Render();
}
