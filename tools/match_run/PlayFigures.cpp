#include "tools/match_run/PlayFigures.h"

#include "tools/common/Figures.h"

#include <cmath>
#include <cstdio>

namespace {

int Percent(int part, int whole) { return whole > 0 ? static_cast<int>(std::lround(100.0 * part / whole)) : 0; }

}  // namespace

void PlayFigures::Pass(int side, Player passer)
{
    ++passes;
    m_passer = passer;
    m_passSide = side;
    m_lastKickShot = false;
}

void PlayFigures::Holder(int side, Player holder)
{
    if (!holder || m_passSide < 0)
        return;
    // The passer taking his own pass back reached nobody.
    passesReached += side == m_passSide && holder != m_passer;
    m_passSide = -1;
    m_passer = nullptr;
}

void PlayFigures::Stop()
{
    m_passSide = -1;
    m_passer = nullptr;
}

void PlayFigures::Shot(Player shooter, float seconds, float x, float z, float distance, bool inArea)
{
    ++shots;
    shotsInArea += inArea;
    shotDistances.push_back(distance);
    m_lastKickShot = true;
    const auto last = m_lastShots.find(shooter);
    if (last != m_lastShots.end() && seconds - last->second.seconds <= kRepeatSeconds &&
        std::hypot(x - last->second.x, z - last->second.z) <= kRepeatDistance)
        ++repeatShots;
    m_lastShots[shooter] = {seconds, x, z};
}

void PlayFigures::Kick() { m_lastKickShot = false; }

void PlayFigures::Penalty() { m_lastKickShot = true; }

void PlayFigures::Goal()
{
    ++goals;
    goalsWithoutShot += !m_lastKickShot;
}

void PlayFigures::Add(const PlayFigures& other)
{
    passes += other.passes;
    passesReached += other.passesReached;
    shots += other.shots;
    shotsInArea += other.shotsInArea;
    repeatShots += other.repeatShots;
    goals += other.goals;
    goalsWithoutShot += other.goalsWithoutShot;
    shotDistances.insert(shotDistances.end(), other.shotDistances.begin(), other.shotDistances.end());
}

std::string PlayFigures::Describe() const
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "passes reaching a team-mate %d %% of %d, shots inside the area %d %%, median shot %.1f m, "
                  "repeat shots %d of %d, goals without a shot %d of %d",
                  Percent(passesReached, passes), passes, Percent(shotsInArea, shots), tools::Median(shotDistances),
                  repeatShots, shots, goalsWithoutShot, goals);
    return text;
}
