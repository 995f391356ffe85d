#include "match/period/RestartKicks.h"

#include "match/penalties/InGamePenalty.h"
#include "match/setpieces/ActionReplay.h"
#include "match/setpieces/CornerKick.h"
#include "match/setpieces/FreeKick.h"
#include "match/setpieces/GoalKick.h"
#include "match/setpieces/KeeperKick.h"
#include "match/setpieces/ThrowIn.h"

namespace RestartKicks {

State* CreateThrowIn(bool attacking, bool touchlineFlag, const Vector3& position)
{
    return new ThrowIn(attacking, touchlineFlag, position);
}

State* CreateCorner(bool attacking, bool cornerFlag)
{
    return new CornerKick(attacking, cornerFlag);
}

State* CreateKeeperKick(bool attacking, bool cornerFlag)
{
    return new KeeperKick(attacking, cornerFlag);
}

State* CreateGoalKick(bool attacking)
{
    return new GoalKick(attacking);
}

State* CreateFreeKick(bool attacking, const Vector3& spot)
{
    return new FreeKick(attacking, spot);
}

State* CreatePenalty(bool attacking)
{
    return new InGamePenalty(attacking);
}

State* CreateReplay(bool leftGoal)
{
    return new ActionReplay(leftGoal);
}

}  // namespace RestartKicks
