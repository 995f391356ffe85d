#include "match/MatchFade.h"

#include "match/Fade.h"
#include "match/MatchDelay.h"

ParallelState* MatchFade::CreateFadeStep(bool fromBlack, float seconds)
{
    auto* step = new ParallelState;
    step->AddState(new MatchDelay(seconds, true, true), true);
    step->AddState(new Fade(fromBlack, seconds), true);
    return step;
}
