#pragma once

// Where play stands still in a match and the cameras that show it then, on any stadium: the
// set pieces' cameras on their taker, the player's cameras on a ball gone out while the
// banner tells what follows, the goal's replay cameras and the wide view of a player walking
// off. The camera tests and the pictures of these views share the list.

#include "tools/assets/common/Mesh.h"

#include <string>
#include <vector>

namespace assets::world {

struct RestartView {
    enum Kind {
        kRestart,  // pushed for the restart, from the pitch's side (KickAim::PushCamera)
        kBanner,   // the player's camera, as near or far as he chose it, where play stopped
        kReplay,   // the player's camera on the ball in the net, the replay's first showing
        kFixed,    // a fixed view of what followed stands for
    };
    std::string what;    // the situation, for messages and picture names
    std::string camera;  // the member "Cameras|" + camera
    Vec3 followed;       // what the view is of: the taker, where play stopped, the goal mouth
    bool flipped;        // the half's side of the flippable cameras
    Kind kind;
};

// Every view, with each situation on both touch lines, at both ends and in both halves.
std::vector<RestartView> RestartViews();

// The corner camera that looks from outside the corner at x, z (signs only).
std::string CornerCamera(float x, float z);

}  // namespace assets::world
