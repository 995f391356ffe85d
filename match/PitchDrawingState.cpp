#include "match/PitchDrawingState.h"

#include "pitch/PitchSimulation.h"

void PitchDrawingState::Render()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (pitch->IsSetUp())
        pitch->Render();
}
