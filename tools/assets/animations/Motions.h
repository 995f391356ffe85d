#pragma once

// The animation library shared by every race: one clip per motion, the ball locators that
// time the kicks and carry the ball in the hands, and the root-motion locators of the moves
// that travel (dives, slides, falls). Files live in "Characters/Animations" below the project
// folder: "<clip>.anm", "<clip>_ball.anm", "<clip>_move.anm".

#include "tools/assets/characters/Rig.h"
#include "tools/assets/world/Balls.h"

#include <functional>
#include <string>
#include <vector>

struct RtAnimAnimation;

namespace assets::chars {

inline constexpr const char* kAnimationFolder = "Characters/Animations";
inline constexpr float kSampleRate = 20.0f;  // key frames per second
// A ball resting on the pitch has its centre one radius up: the radius the ball models are
// built to.
using world::kBallRadius;
// Locators of a ball that stays in the hands until the action changes run this long, since
// the action's time runs on past the clip's end.
inline constexpr float kHoldForever = 3600.0f;

enum class BallMode { None, Hands, Point };

struct Clip {
    std::string name;
    float duration = 1.0f;
    bool loops = false;
    // Every race's flesh stays on or above the pitch in every pose.
    std::function<Pose(float)> pose;
    // Root motion: displacement from the start (x left, z forward); empty when none.
    std::function<Vec3(float)> move;
    BallMode ball = BallMode::None;
    float ballEnd = 0;                  // locator length: the kick or release moment
    std::function<Vec3(float)> ballAt;  // BallMode::Point
    float contact = -1;  // the moment events hang on (catch, whistle, card), -1 when none
    // Where the collision cylinder stands relative to the body; empty when on its root. The
    // move carries it too, since the body is drawn that far back from the cylinder.
    std::function<Vec3(float)> collisionAt;
};

// Every clip the characters play; built once, valid for the program's life.
const std::vector<Clip>& Clips();
// Null when no clip has the name.
const Clip* FindClip(const std::string& name);

// The animation each of the 63 action names plays (several share one).
struct ActionAnimation {
    const char* action;
    const char* clip;
};
const std::vector<ActionAnimation>& ActionAnimations();

// The ball's centre in body space for a pose: between the palms.
Vec3 BallInHands(const Pose& pose);

// The height of the lowest point of any race's model in the pose.
float LowestFlesh(const Pose& pose);

// The animations below are the caller's to destroy; null when the engine refuses one.
RtAnimAnimation* BuildClipAnimation(const Clip& clip);
// Two nodes, as a locator plays them: node 0 stays put, node 1 carries the point.
RtAnimAnimation* BuildLocatorAnimation(float duration, const std::function<Vec3(float)>& at);
RtAnimAnimation* BuildBallLocator(const Clip& clip);  // null when the clip has none
RtAnimAnimation* BuildMoveLocator(const Clip& clip);  // null when the clip has none
RtAnimAnimation* BuildCollisionLocator(const Clip& clip);  // null when the clip has none

}  // namespace assets::chars
