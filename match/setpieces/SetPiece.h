#pragma once

#include "framework/State.h"
#include "framework/Vector.h"

#include <array>
#include <string>

class Character;
class TeamStrategy;

// The frame of every restart of play. Enter lines both sides up by the kind's formations
// ("<kind>_attack" for the kicking side, "<kind>_defend" for the other, members of the cast
// "Teams"), puts the ball on the spot and the taker one body radius behind it; Update steps
// the pitch with the match clock stopped through an optional fade from black, the wait for
// the kick and an optional fade to black, and then finishes. A subclass says where the ball
// goes, who takes the kick and when it counts as taken.
class SetPiece : public State {
public:
    // kind: "corner", "freekick", "goalkick", "penalty", "kickoff" or "throwin".
    // attacking: side 0 takes the set piece. A fade of 0 seconds or less is left out; the
    // fades start here, not in Enter.
    SetPiece(std::string kind, bool attacking, float fadeInSeconds, float fadeOutSeconds);
    // Ends and deletes the fade to black, then the fade from black.
    ~SetPiece() override;

    void Serialize(Serializer&, const char*) override {}
    // Needs a taker: a subclass without one overrides Enter and does not call this.
    void Enter() override;
    // Every player of both sides back to standing where he is.
    void Exit() override;
    // This until the fade from black, the kick and the fade to black are over, then null.
    State* Update(float dt) override;
    // The match, unless the kick is taken and nothing is left to draw over it; then the fades.
    void Render() override;

    // Once the taker no longer holds the ball; a missing taker counts as having kicked.
    virtual bool IsKickTaken() const;
    // Where the ball is put and which way the taker faces (any length, zero allowed).
    virtual void GetTakerPlacement(Vector3& spot, Vector3& direction) const = 0;
    // Null only for a set piece that overrides Enter.
    virtual Character* GetTaker() const = 0;

    // Looks both formations up; a missing cast or member is logged and leaves that slot as
    // it was.
    void FindCasts();
    // Both sides in their formation places for the ball's spot, in the node "inactive";
    // a side without a formation keeps its players where they stand.
    void PlacePlayers();
    // The team-mate nearest the ball (the first of equals), never the taker, with
    // skipKeepers never a keeper; null when nobody is left.
    static Character* ChooseReceiver(const Character* taker, bool skipKeepers);

    const std::string& GetKind() const { return m_kind; }
    // True when side 0 takes the set piece.
    bool IsAttacking() const { return m_attacking; }
    // The formation side i (0 or 1) was placed by; null when it was not found.
    const TeamStrategy* GetStrategy(int side) const { return m_strategies[static_cast<size_t>(side)]; }
    // Null once the fade has ended, or when there was none.
    const State* GetFadeIn() const { return m_fadeIn; }
    const State* GetFadeOut() const { return m_fadeOut; }

protected:
    // The pitch's update mask while a set piece runs: everything but the match clock and the
    // managers' tactics.
    static constexpr uint32_t kUpdateMask = 0x1DD;

private:
    std::string m_kind;
    bool m_attacking;
    std::array<TeamStrategy*, 2> m_strategies{};
    // Owned, through StateSlot.
    State* m_fadeIn = nullptr;
    State* m_fadeOut = nullptr;
};
