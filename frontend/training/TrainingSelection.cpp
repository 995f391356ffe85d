// The training's member selections run the squad selection, which sits above the menus that
// start it.
#include "frontend/selection/PlayerSelection.h"
#include "frontend/training/TrainingMode.h"

namespace {

State* MakeSelection(const PlayerSelectionResult& request) { return new PlayerSelection(request); }

[[maybe_unused]] const TrainingMode::SelectionMaker kReplaced = TrainingMode::SetSelectionMaker(MakeSelection);

}  // namespace
