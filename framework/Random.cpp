#include "framework/Random.h"

namespace Random {

namespace {
// The classic linear congruential step; the top bits of the state are the draw,
// the low bits of such a generator being poorly mixed.
uint32_t g_state = 1;
uint32_t g_effectsState = 1;

int Step(uint32_t& state)
{
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}
}  // namespace

void Seed(uint32_t seed) { g_state = seed; }

int Next() { return Step(g_state); }

float Unit() { return static_cast<float>(Next()) / static_cast<float>(Max); }

float Signed() { return 2.0f * (Unit() - 0.5f); }

int Below(int n)
{
    if (n <= 0)
        return 0;
    return Next() % n;
}

int Range(int lo, int hi)
{
    if (hi <= lo)
        return lo;
    // The span of two ints may not fit an int.
    const int64_t span = static_cast<int64_t>(hi) - lo;
    return static_cast<int>(lo + Next() % span);
}

namespace Effects {

void Seed(uint32_t seed) { g_effectsState = seed; }

float Unit() { return static_cast<float>(Step(g_effectsState)) / static_cast<float>(Max); }

float Signed() { return 2.0f * (Unit() - 0.5f); }

int Below(int n) { return n <= 0 ? 0 : Step(g_effectsState) % n; }

}  // namespace Effects

}  // namespace Random
