#include "simulation/MatchClock.h"

namespace {

constexpr float kSecondsPerMinute = 60.0f;
constexpr int kSecondsPerMinuteInt = 60;

} // namespace

int MatchClock::Minutes() const
{
    return static_cast<int>(m_time * (1.0f / kSecondsPerMinute));
}

int MatchClock::Seconds() const { return static_cast<int>(m_time) % kSecondsPerMinuteInt; }
