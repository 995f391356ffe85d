#pragma once

namespace assets::world {

// The ball's radius in world units (metres): its collision sphere.
inline constexpr float kBallRadius = 0.11f;

}  // namespace assets::world
