#pragma once

// One step of a story leg's training: the preparation after the members were picked, the
// choice of the member for the next drill, or one drill on the story stadium with its points
// turned into the members' levels.

#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "match/MatchSetup.h"

#include <string>

class CharacterVariation;
class TeamDescription;

class TrainingSession : public MenuLaunchedCodeFragment {
public:
    // 0 and 1 start no drill; 2 to 5 run the drill of the same number (TrainingDrill::Drill).
    enum Mode { kPrepare = 0, kChooseMember = 1, kFirstDrill = 2, kLastDrill = 5 };
    static constexpr const char* kTeamOneName = "no_team_one_name";
    static constexpr const char* kTeamTwoName = "no_team_two_name";

    // The mode 0 is what "RunCode TrainingSession" starts.
    explicit TrainingSession(int mode = kPrepare);
    ~TrainingSession() override;
    TrainingSession(const TrainingSession&) = delete;
    TrainingSession& operator=(const TrainingSession&) = delete;

    // Counts the drill, puts in the rag ball, then prepares, chooses or loads and starts the
    // drill. A drill whose player is missing is not started.
    void Enter() override;
    // The drill's points into the levels of whoever trained and everybody's energy refilled;
    // a chosen member that is missing is left out.
    void Exit() override;
    // "cheat skip" ends the running drill; once nothing runs, the training menu on
    // "training_load" (modes 0, 1) or "training_advance".
    State* Update(float dt) override;
    void Render() override;

    int GetMode() const { return m_mode; }
    // Owned; null once the drill or the loading has ended.
    State* GetChild() const { return m_child; }

    // The load of the mode's drill from the team: its players on the sides that the drill
    // reads (passing: the chosen members; dribbling: the dribbler, then four other members
    // as field players; shooting: the chosen member, then the keeper; keeping the reverse).
    // A chosen member the team lacks is left out.
    static MatchSetup BuildSetup(int mode, const TeamDescription& team, const std::string& levelFolder);
    // Whether the mode's drill has the players it needs in the setup.
    static bool IsPlayable(int mode, const MatchSetup& setup);
    // "<data path>level<NN>\" for the story's level.
    static std::string LevelFolder();

private:
    void Prepare(const TeamDescription* team);
    void StartDrill(const TeamDescription* team);
    void RaiseLevels() const;

    int m_mode;
    State* m_child = nullptr;
};
