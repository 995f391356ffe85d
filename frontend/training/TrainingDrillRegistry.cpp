// The part of the drill frame that the session below the drills needs: the drills by mode
// and the debug keys.
#include "frontend/training/TrainingDrill.h"

#include "framework/Debug.h"
#include "input/InputController.h"

#include <map>

namespace {

std::map<int, TrainingDrill::Maker>& Drills()
{
    static std::map<int, TrainingDrill::Maker> drills;
    return drills;
}

}  // namespace

void TrainingDrill::Register(Drill drill, Maker make) { Drills()[drill] = make; }

State* TrainingDrill::Make(int mode)
{
    const auto found = Drills().find(mode);
    if (found == Drills().end() || !found->second) {
        LogError("TrainingDrill::Make: no drill for mode %d\n", mode);
        return nullptr;
    }
    return found->second();
}

bool TrainingDrill::ReadAction(const char* action)
{
    return BufferedInputController::Instance()->GetAction(action, InputController::kValue) != 0.0f;
}
