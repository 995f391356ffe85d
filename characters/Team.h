#pragma once

#include "characters/ControlledPlayerList.h"

#include <cstdint>
#include <memory>
#include <vector>

class Actor;
class Character;
class SelectionCursor;

// The characters that play for one side, in the order they were added, and its bench.
class Team {
public:
    Team() = default;
    // Deletes every member; the bench is only forgotten (see SendToBench).
    virtual ~Team();

    Team(const Team&) = delete;
    Team& operator=(const Team&) = delete;

    // Every member thinks, then every member acts.
    virtual void Update(float dt);
    virtual void Think(float dt);
    virtual void Act(float dt);
    virtual void Render();
    virtual void AddPlayer(std::unique_ptr<Character> character);
    // The member handed back to the caller; null when it is not a member.
    virtual std::unique_ptr<Character> RemovePlayer(Character* character);
    // The outgoing member is deleted.
    virtual void ReplacePlayer(Character* outgoing, std::unique_ptr<Character> incoming) = 0;
    // Borrowed: the bench keeps a character that is no member, and whoever benched it deletes
    // it (the pitch simulation's DeleteBench at the end of a match).
    virtual void SendToBench(Character* character);
    // Off the bench and handed to the caller, who then owns him; null when he does not sit
    // there.
    std::unique_ptr<Character> TakeFromBench(Character* character);
    // Forgets the bench without deleting it.
    virtual void ClearBench() { m_bench.clear(); }
    // A period starts: up to the first five members leave (handed back, oldest first, for
    // the caller to delete or keep) and the bench is forgotten.
    std::vector<std::unique_ptr<Character>> RemoveAll();

    int32_t GetPlayerCount() const { return static_cast<int32_t>(m_members.size()); }
    // Index below the player count.
    Character* GetPlayer(int32_t index) const { return m_members[static_cast<size_t>(index)].get(); }
    bool Contains(const Character* character) const;
    // The members' bodies in member order; members without one are left out.
    std::vector<Actor*> GetActors() const;
    // The same for a team that may be missing: none then.
    static std::vector<Actor*> ActorsOf(const Team* team) { return team ? team->GetActors() : std::vector<Actor*>{}; }
    // The first member whose actor holds the ball, or null.
    Character* GetBallHolder() const;
    bool HasBall() const { return GetBallHolder() != nullptr; }
    const std::vector<Character*>& GetBench() const { return m_bench; }

protected:
    std::vector<std::unique_ptr<Character>> m_members;
    std::vector<Character*> m_bench;
};

// A match side: its members' roles, goals, first-side flag and the member a controller steers.
class SoccerTeam : public Team {
public:
    // The first side is the one the pitch frame is seen from unchanged.
    // The selection cursor takes its look from the match settings.
    explicit SoccerTeam(bool firstSide);
    ~SoccerTeam() override;

    void AddPlayer(std::unique_ptr<Character> character) override;
    std::unique_ptr<Character> RemovePlayer(Character* character) override;
    void ReplacePlayer(Character* outgoing, std::unique_ptr<Character> incoming) override;
    // refresh: re-choose the selected member first. Then the members think and act.
    void UpdateWithSelection(float dt, bool refresh);
    // The selection, the cursor and the members' thinking, without their acting.
    virtual void ThinkWithSelection(float dt, bool refresh);
    // The members, with the cursor over the selected one unless a replay plays.
    void Render() override;

    bool IsFirstSide() const { return m_firstSide; }
    // The sides change ends every period.
    void SetFirstSide(bool firstSide) { m_firstSide = firstSide; }
    int32_t GetGoals() const { return m_goals; }
    void SetGoals(int32_t goals) { m_goals = goals; }
    // A forfeited match: 3 goals, else 0.
    void SetForfeitScore(bool forfeit) { m_goals = forfeit ? kForfeitGoals : 0; }
    float GetAggression() const { return m_aggression; }
    void SetAggression(float aggression) { m_aggression = aggression; }
    // Cleared for a side that may not be steered for a while (a goal kick's defenders).
    bool GetControlFlag() const { return m_controlled.IsEnabled(); }
    void SetControlFlag(bool control) { m_controlled.SetEnabled(control); }
    // Game seconds the side has held the ball.
    int32_t GetPossession() const { return m_possession; }
    void SetPossession(int32_t seconds) { m_possession = seconds; }
    const SelectionCursor& GetCursor() const { return *m_cursor; }
    ControlledPlayerList& GetControlledPlayers() { return m_controlled; }
    const ControlledPlayerList& GetControlledPlayers() const { return m_controlled; }

private:
    static constexpr int32_t kForfeitGoals = 3;

    // Keeps roles 1 or 2 and 3 or 4 filled once three members remain.
    void RebalanceRoles();

    ControlledPlayerList m_controlled;
    bool m_firstSide;
    float m_aggression = 0.0f;
    int32_t m_goals = 0;
    int32_t m_possession = 0;
    std::unique_ptr<SelectionCursor> m_cursor;
};
