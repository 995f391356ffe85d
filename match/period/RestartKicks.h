#pragma once

#include "framework/Vector.h"

class State;

// The set pieces that the match events start, made in one place so that the event handler
// does not depend on how each kind is built. attacking: side 0 takes the kick; the flags
// are the ball's records', passed on as they are. Each returns a new state, never null, that
// the caller owns and enters.
namespace RestartKicks {

State* CreateThrowIn(bool attacking, bool touchlineFlag, const Vector3& position);
State* CreateCorner(bool attacking, bool cornerFlag);
State* CreateKeeperKick(bool attacking, bool cornerFlag);
State* CreateGoalKick(bool attacking);
State* CreateFreeKick(bool attacking, const Vector3& spot);
State* CreatePenalty(bool attacking);
// The replay after a goal into the left goal (leftGoal) or the right one. It ends at once
// while the recorder is disabled.
State* CreateReplay(bool leftGoal);

}  // namespace RestartKicks
