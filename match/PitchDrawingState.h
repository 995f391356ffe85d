#pragma once

#include "framework/State.h"

// A match state that shows the match as it stands behind whatever it does.
class PitchDrawingState : public State {
public:
    void Render() override;
};
