#pragma once

#include <cstdint>

// The game's one random sequence: a 15-bit generator with a single state, so draws
// repeat for a given seed on every platform.
namespace Random {

inline constexpr int Max = 32767;

void Seed(uint32_t seed);
// The next raw draw in 0..Max.
int Next();
// Next() / Max, in [0, 1].
float Unit();
// 2 x (Unit() - 0.5), in [-1, 1].
float Signed();
// Next() mod n, in [0, n); 0 when n is not above 0.
int Below(int n);
// lo + Next() mod (hi - lo), in [lo, hi); lo when hi is not above lo.
int Range(int lo, int hi);

// What only shows (particles) draws from a sequence of its own, so that how many particles a
// frame gives off never changes what is played, as from match to match in one process.
namespace Effects {

void Seed(uint32_t seed);
float Unit();
float Signed();
int Below(int n);

}  // namespace Effects

}  // namespace Random
