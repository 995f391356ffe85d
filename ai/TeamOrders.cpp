// The order step: from the strategy's grid and a few weighted decisions, one order for every
// member of the side each frame.
#include "ai/TeamManager.h"

void TeamManager::DecideOrders(float) {}
