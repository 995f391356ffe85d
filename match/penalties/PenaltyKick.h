#pragma once

#include "framework/Vector.h"

#include <cstdint>

class PenaltySettings;

// The arithmetic of one penalty kick, apart from the states that run it: the aim a taker
// reaches, the keeper's save cell for an aim or a stick, and the kick that flies to a target.
namespace penalty {

// The first of the nine save input codes: top row left, centre, right, then the middle and
// bottom rows (14 to 22).
constexpr int32_t kFirstSaveCode = 14;

// An aim as offsets from the keeper: x towards his left, y up; quality 0 (weak) to 1.
struct Aim {
    float x = 0.0f;
    float y = 0.0f;
    float quality = 0.0f;
};

// A person's aim from the stick last held (x right, y down; 0 for untouched) and the power
// charged. Quality 0 when the stick was never moved; 1 at the optimum power, falling to 0 at
// twice it.
Aim HumanAim(float stickX, float stickY, float power, const PenaltySettings& settings);

// The computer's aim from its two choices (0 or 1: right or left of the keeper, down or up)
// and its power error, a fraction above or below the optimum. Quality 0 for right and up.
Aim AiAim(int sideChoice, int heightChoice, float error, const PenaltySettings& settings);

// The computer's power error for a shooting level (0 to 100) from one draw of the game's
// random sequence; never positive unless it may err both ways.
float DrawAiPowerError(float shootingLevel, bool bothWays, const PenaltySettings& settings);

// The save code of the cell (column 0 the keeper's left, row 2 the top).
int32_t SaveCode(int column, int row);
// The save code of the cell an aim falls in, for cells width by height; a cell of no size
// counts as the middle one.
int32_t SaveCodeForAim(const Aim& aim, float cellWidth, float cellHeight);
// The save code a keeper's stick (x right, y down) chooses: right is his left column.
int32_t SaveCodeForStick(float stickX, float stickY);

// The flight time of a taker of the shooting level (0 to 100).
float FlightTime(float shootingLevel, const PenaltySettings& settings);

// The velocity that covers the displacement's flat part in the time at a constant speed and
// rises by its height under the gravity; no rise for a target at or below the start, and no
// flat speed for no flat distance or no time.
Vector3 SolveKick(const Vector3& displacement, float seconds, float gravity);

}  // namespace penalty
