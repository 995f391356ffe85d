#pragma once

// Deterministic random numbers for generators: the same seed gives the same sequence on
// every machine and compiler, so the data set is byte-identical from run to run. Never use
// std::rand or the standard distributions here (their output is implementation-defined).

#include <cstdint>

namespace assets {

class Rng {
public:
    // The seed is hashed, so that neighbouring seeds start far apart in the sequence.
    explicit Rng(uint64_t seed) : m_state(Mix(seed + 0x632BE59BD9B4E019ull)) {}

    // splitmix64.
    uint64_t Next() { return Mix(m_state += 0x9E3779B97F4A7C15ull); }
    // [0, 1)
    float Unit() { return float(Next() >> 40) * (1.0f / 16777216.0f); }
    // [-1, 1)
    float Signed() { return Unit() * 2.0f - 1.0f; }
    // [lo, hi)
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    // [0, n); 0 when n is not above 0.
    int Below(int n) { return n > 0 ? int(Next() % uint64_t(n)) : 0; }

private:
    static uint64_t Mix(uint64_t z)
    {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    uint64_t m_state;
};

// A hash of integer coordinates, for noise that must not depend on call order.
inline uint32_t Hash32(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

}  // namespace assets
