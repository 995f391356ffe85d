#pragma once

#include "characters/Character.h"
#include "framework/Message.h"
#include "framework/State.h"
#include "match/StoppedPlay.h"
#include "scene/StillPicture.h"
#include "simulation/Ball.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class Character;
class ParallelState;
struct PlayerSelectionResult;

// What a match's rules take from the competition it is played in, given when the match
// starts; the default is a match outside the story.
struct MatchRules {
    // A story leg: replays always, the career's cards, side 0's line-up chosen at half time.
    bool storyLeg = false;
    // Of a story leg: the final is one match; a round before it has two legs.
    bool finalRound = false;
    bool firstLeg = true;
    // Of a story leg: each side's goals in the legs booked before this one, side 0 first.
    int32_t bookedGoals[2] = {0, 0};
    // Of a story leg: the career's cards option (outside the story the game parameters').
    bool cards = true;
    // Where the shoot-out writes its winner (1 side 0, 2 side 1); must outlive the match.
    // Null: only the shoot-out knows it.
    int32_t* shootoutWinner = nullptr;
};

// One period of a match (0 and 1 the halves, 2 and 3 extra time): the intro or kick-off,
// play on the match clock with possession counted, the end-of-period show, and then the
// state that follows (the next period, the half-time selection, the shoot-out, the forfeit
// screens) or null when the match is over. It holds at most one sequence, one pause menu
// and one message banner at a time, and queues the match events for its Update.
class MatchPeriod : public State, public MessageQueuedListener {
public:
    static constexpr int kPeriods = 4;
    // The clock minute at which each period ends.
    static constexpr int kEndMinute[kPeriods] = {45, 90, 105, 120};

    MatchPeriod(int period, bool extraTimeAllowed, bool crowdFavoursTeam0, bool crowdFavoursTeam1,
                const MatchRules& rules = {});
    ~MatchPeriod() override;

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;
    // A SubstitutionChoice joins the pending changes at once (the pause menu, where it is
    // made, holds the queue up); every other message is queued.
    int OnMessage(int message, intptr_t param) override;
    // Match events that reach the period through its queue: each that stops play installs a
    // restart sequence and keeps the ratings and statistics. Ignored while a sequence runs,
    // the pause menu is open or the period is over.
    void OnQueuedMessage(int message, intptr_t param) override;

    // The handlers' steps; each installs a sequence (the foul one only for a foul seen).
    void StartGoalSequence(const Ball::Goal& goal);
    void StartCornerOrKeeperKick(const Ball::OutOfBoundsFar& record);
    void StartThrowIn(const Ball::OutOfBoundsAcross& record);
    // The cameras look where the ball went out until the restart's camera takes over.
    void FollowStoppedPlay();
    // The ball followed again if the cameras still look where it went out: they must not
    // outlive the period.
    void LeaveStoppedPlay();
    void StartFoulSequence(const Character::FoulRecord& foul, bool penalty);
    // The restart chain around a set piece: play runs on for a moment, a fade to black, the
    // set piece, a fade back. Takes the set piece.
    static State* WrapSetPiece(State* setPiece);
    // The pending substitutions in front of the set piece, which it takes; empties the list.
    State* AddPlayerChanges(State* setPiece);
    static bool RefereeSeesFoul(const Character* fouler);
    bool ShouldShowCard(const Character* fouler) const;
    // "crowd_cheer_high" and the like, for a goal credited to (or a foul against) side.
    std::string CrowdSoundName(const char* stem, int side, bool ownGoal) const;

    // Whether the score counts as level: in a story-mode round before the final, never in the
    // first leg and by the aggregate in the second; otherwise the goals of both sides now.
    static bool IsLevel(const MatchRules& rules);
    // A delay and a fade side by side, both owned by the returned state; the caller owns it.
    static ParallelState* CreateFadeStep(bool direction, float duration);

    // "%60501%" to "%60504%".
    static std::string PeriodName(int period);

    // The half-time choice of side 0's line-up in a story match: its players in team order
    // and up to two of its bench, the keeper kept in; the picks go into lineUp, which must
    // outlive the selection.
    static PlayerSelectionResult HalfTimeRequest(std::vector<Character*>* lineUp);
    // Side 0's second-half line-up as chosen at half time, applied by Enter in a story match's
    // period 1: the first five play, the rest sit on the bench. Empty keeps the first half's.
    std::vector<Character*>& GetHalfTimeLineUp() { return m_halfTimeLineUp; }

    int GetPeriod() const { return m_period; }
    bool IsOver() const { return m_periodOver; }
    bool IsFinalShowRunning() const { return m_finalShowRunning; }
    // -1 for none; set by the foul sequence (and test hooks) to the side that forfeits.
    int GetForfeitSide() const { return m_forfeitSide; }
    void SetForfeitSide(int side) { m_forfeitSide = side; }
    // Null while play runs.
    State* GetSequence() const { return m_sequence; }
    State* GetPauseMenu() const { return m_pauseMenu; }
    State* GetBanner() const { return m_banner; }
    // Replaces the running sequence (the old one exits and goes; the new one enters).
    void SetSequence(State* sequence);

    using PlayerChange = std::pair<Character*, Character*>;
    std::vector<PlayerChange>& GetPendingChanges() { return m_pendingChanges; }
    // Waits for the next corner; an earlier change of either player gives way to it.
    void AddPendingChange(Character* outgoing, Character* incoming);
    bool CrowdFavours(int side) const { return side == 0 ? m_crowdFavours0 : m_crowdFavours1; }

private:
    void PlayCrowd(const std::string& name) const;
    // A goal the ball was not legal for restarts play with a corner or keeper kick instead.
    void HandleGoalScored(const Ball::Goal& goal);
    void EnterStoryLineUp();
    State* CreateHalfTimeSelection(MatchPeriod* next) const;
    void ApplyEnds();
    void StartSequenceAtEnter();
    void StartMainMusicAndBanner();
    void ShowBanner(const std::string& screen, float seconds);
    bool IsEndReached() const;
    bool IsFinalPeriod() const;
    void StartEndShow();
    State* CreateEndReaction() const;
    // Most valuable player, possession shares and the statistics text.
    void FillStatistics(Character* mostValuable);
    Character* FindMostValuable() const;
    void CountPossession();
    // The free kick or penalty for the fouled side behind a pause and its banner; counted.
    static State* CreateFoulRestart(const Character::FoulRecord& foul, bool penalty);
    // The card, the reactions, and for a red card the walk off, before the restart (taken;
    // deleted when the red cards forfeit the match).
    State* CreateCardSequence(const Character::FoulRecord& foul, int foulingSide, State* restart);
    State* ReadCheats();
    State* Forfeit();
    bool ReadAction(const char* name) const;
    State* NextState();

    int m_period;
    // Owned, each held in a slot (StateSlot) that exits and deletes it.
    State* m_sequence = nullptr;
    State* m_pauseMenu = nullptr;
    // Nothing under the pause menu moves: the pitch is drawn once there and its picture kept.
    StillPicture m_stillPitch;
    State* m_banner = nullptr;
    // Followed by the cameras from the ball going out until the restart's camera takes over.
    StoppedPlay m_stoppedPlay;
    bool m_kickOffBannerDone = false;
    bool m_extraTimeAllowed;
    int m_forfeitSide = -1;
    bool m_periodOver = false;
    int32_t m_possessionSecond = 0;
    int32_t m_possessionMinute = 0;
    std::vector<PlayerChange> m_pendingChanges;
    bool m_crowdFavours0;
    bool m_crowdFavours1;
    MatchRules m_rules;
    bool m_finalShowRunning = false;
    std::vector<Character*> m_halfTimeLineUp;
};
