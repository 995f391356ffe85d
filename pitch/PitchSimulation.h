#pragma once

#include "framework/Singleton.h"
#include "settings/PitchCoordinates.h"
#include "simulation/MatchClock.h"

#include <array>
#include <cstdint>
#include <memory>

class Ball;
class Cast;
class Character;
class RenderObject;
class SoccerTeam;
class TBWorld;
class TeamManager;
class UtilityRegistry;

// Everything on the pitch during a match, drill or cut scene: the two sides with their
// managers, the referee, the ball, the AI's measures, the clock and the stadium. The state
// that uses the pitch updates it each frame with a mask of the parts that run.
class PitchSimulation : public Singleton<PitchSimulation> {
public:
    // The update mask's bits.
    enum UpdateFlag : uint32_t {
        kUpdateBall = 0x01,
        kUpdateManagers = 0x02,
        kUpdateTeams = 0x04,
        // Passed to the teams' update: re-choose the member each controller steers.
        kRefreshSelection = 0x08,
        kUpdateCollisions = 0x10,
        kUpdateClock = 0x20,
        kClearCaches = 0x40,
        kUpdateWorld = 0x80,
        kUpdateHud = 0x100,
        kUpdateAll = 0x1FF,
    };
    // The HUD mask's bits: which elements SetHudElements shows.
    enum HudFlag : uint32_t {
        kHudTeamNames = 0x001,
        kHudScore = 0x002,
        kHudTime = 0x004,
        kHudPlayerNames = 0x008,
        kHudEnergy = 0x010,
        kHudPowerBar = 0x020,
        kHudPenaltyPowerBar = 0x040,
        kHudDebugValues = 0x080,
        kHudDrillCounters = 0x100,
        kHudDrillName = 0x200,
        kHudPlayer1Name = 0x400,
        kHudPlayer1Energy = 0x800,
    };
    // Clock seconds per second of play that SetupMatch binds.
    static inline float s_defaultClockRate = 22.5f;
    static constexpr int kSides = 2;

    PitchSimulation();
    ~PitchSimulation() override;

    // The pitch frame every side's coordinates are taken in (PitchFrame), set by the game at
    // start-up.
    static void SetPitchAxes(const Vector3& along, const Vector3& unused, const Vector3& third)
    {
        PitchFrame::SetAxes(along, unused, third);
    }
    static void SetPitchExtents(const Vector3& centre, float acrossNegative, float acrossPositive,
                                float alongNegative, float alongPositive)
    {
        PitchFrame::SetExtents(centre, acrossNegative, acrossPositive, alongNegative, alongPositive);
    }

    // Builds the ball, both empty sides, their managers, the AI's measures, the clock and an
    // empty stadium world, once: while a match is set up it returns true and changes nothing.
    // False when the engine world could not be made; the match objects exist all the same.
    bool SetupMatch();
    // Deletes the match objects; nothing without a match.
    void DestroyMatch();
    // Both sides start over empty with new managers, the clock at 0, no referee and the ball
    // parked out of sight at rest, and nothing of earlier play is left to tell on the next
    // (ForgetEarlierPlay); nothing without a match.
    void RecreateTeams();
    // Deletes the characters on the team's bench and empties it.
    void DeleteBench(SoccerTeam& team);
    // The referee, replacing any held.
    void CreateReferee();
    // A new clock at time 0 on the rate, which is borrowed and must outlive the clock.
    void ResetMatchClock(const float* rate);

    // One step of the parts the mask selects (UpdateFlag), in a fixed order; the referee
    // runs whatever the mask. Needs SetupMatch.
    void Update(float dt, uint32_t flags);
    // The stadium, both sides, the referee and the ball, then the HUD casts unless a replay
    // runs; nothing on a device that shows no pictures. Needs SetupMatch.
    void Render();
    // Shows exactly the "hud" cast's elements the mask names (HudFlag) and keeps the mask.
    void SetHudElements(uint32_t mask);

    // Puts a side in place of the one held, which is deleted (tools and tests that bring
    // their own sides). Needs SetupMatch; side is 0 or 1.
    void SetSide(int side, std::unique_ptr<SoccerTeam> team, std::unique_ptr<TeamManager> manager);
    // Each side's manager draws new tactics (after a stoppage).
    void RandomizeTeamStrategies();
    // The pitch keeps the referee; null removes it.
    void SetReferee(std::unique_ptr<Character> referee);

    bool IsSetUp() const { return m_setUp; }
    // Null without a match; side is 0 or 1. Valid until DestroyMatch or RecreateTeams.
    SoccerTeam* GetTeam(int side) const { return m_teams[static_cast<size_t>(side)].get(); }
    TeamManager* GetTeamManager(int side) const { return m_managers[static_cast<size_t>(side)].get(); }
    // Null until CreateReferee, and again after RecreateTeams.
    Character* GetReferee() const { return m_referee.get(); }
    Ball* GetBall() const { return m_ball.get(); }
    UtilityRegistry* GetUtilityRegistry() const { return m_registry.get(); }
    MatchClock* GetClock() const { return m_clock.get(); }
    TBWorld* GetWorld() const { return m_world.get(); }
    // The stadium world as the one render object of the pitch, for screens that draw the
    // pitch behind themselves. Null without a match.
    RenderObject* GetSceneObject() const;
    uint32_t GetHudMask() const { return m_hudMask; }
    // While set, HUD updates show the selected players' yellow cards.
    bool GetCardDisplay() const { return m_cardDisplay; }
    void SetCardDisplay(bool display) { m_cardDisplay = display; }
    uint32_t GetLastUpdateFlags() const { return m_lastUpdateFlags; }
    // Cleared while a menu stands over the pitch: the clock does not run then, whatever the
    // update mask asks.
    bool IsActive() const { return m_active; }
    void SetActive(bool active) { m_active = active; }

private:
    void CreateSide(int side);
    void ForgetOnBall(const Character* character);
    // The ball and the actors see the current sides; false takes them back.
    void LendSides(bool lend);
    // What outlives a match and would steer the next one: the measures' cached values, the
    // collision sets' clocks and the replay recorder's frames.
    void ForgetEarlierPlay();
    void UpdateHud();
    void UpdatePlayerHud(const Cast& hud, int side);

    bool m_setUp = false;
    std::array<std::unique_ptr<TeamManager>, kSides> m_managers;
    std::array<std::unique_ptr<SoccerTeam>, kSides> m_teams;
    std::unique_ptr<Character> m_referee;
    std::unique_ptr<Ball> m_ball;
    std::unique_ptr<UtilityRegistry> m_registry;
    std::unique_ptr<MatchClock> m_clock;
    std::unique_ptr<TBWorld> m_world;
    uint32_t m_hudMask = 0;
    bool m_cardDisplay = true;
    uint32_t m_lastUpdateFlags = 0;
    bool m_active = true;
};
