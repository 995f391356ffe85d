#pragma once

#include "framework/Message.h"
#include "framework/State.h"
#include "match/PlayerSelectionResult.h"

#include <memory>
#include <vector>

class Fade;
class PlayerSelectionMenu;
class SelectionBench;
struct MenuActionParameter;

// The state in which one or two players pick squads from the candidates sitting on a bench.
// The screen drives it with command words; it ends on "Nothing", and its creator reads the
// outputs after Exit.
//
//     PlayerSelectionResult request;  // filled by the creator
//     new IteratingState(new PlayerSelection(request), next);
class PlayerSelection : public State, public MessageListener {
public:
    // The menu variable the screen's widgets move the cursor through; published from Enter
    // (before the screen is built) until Exit.
    static constexpr const char* kCursorVariable = "selected_character";

    explicit PlayerSelection(const PlayerSelectionResult& request);
    ~PlayerSelection() override;

    // Starts from the request's picks, empties both outputs, seats the bench, builds the
    // screen and publishes the candidates' names and values.
    void Enter() override;
    // Writes the outputs (modes 0 and 1: every pick in candidate order; mode 3 with seven
    // candidates: the others after the picks), lets the screen and the bench go and
    // unpublishes the cursor.
    void Exit() override;
    // Itself; null once "Nothing" has finished the selection.
    State* Update(float dt) override;
    void Render() override;
    // Runs one of the screen's words; a MenuActionParameter* rides in param. 0.
    int OnMessage(int message, intptr_t param) override;

    // The side picking now: 0 for side one, 1 for side two.
    int GetCurrentChooser() const;
    // The side whose colours a candidate shows (index into the candidates).
    int GetCandidateSide(int candidate) const;
    int CountPickedGoalkeepers() const;
    int CountPickedOutfieldPlayers() const;
    bool IsSquadComplete() const;

    // side -1: the screen's shirt variation; 0 or 1: that team's shirt. Null is ignored.
    void SetShirt(Character* candidate, int side);

    const PlayerSelectionResult& GetRequest() const { return m_request; }
    bool IsPicked(int candidate) const;
    int GetCursor() const { return m_cursor; }
    int GetPickNumber() const { return m_pickNumber; }
    float GetPickTimer() const { return m_pickTimer; }
    bool IsFinished() const { return m_finished; }
    bool IsBackPressed() const { return m_backPressed; }
    // Null outside Enter .. Exit.
    PlayerSelectionMenu* GetMenu() const { return m_menu.get(); }
    SelectionBench* GetBench() const { return m_bench.get(); }

private:
    // The pick rules; a refused change alters nothing.
    bool TryToggle();
    bool MayChange(int candidate) const;
    bool MayChangeFreely(int candidate) const;
    bool MayChangeLineUp(int candidate) const;
    bool MayPickInTurn(int candidate) const;
    bool MayUnpickInTurn(int candidate) const;
    void ApplyTurnPick(int candidate);
    // The second side's automatic pick once the timer runs out.
    void UpdateAutomaticPick(float dt);
    void AutomaticPick();
    // The free candidate in [first, first + count) that the automatic pick takes, searching
    // once from first + start and passing over the cursor's; -1 when none is free.
    int ChooseAutomaticCandidate(int first, int count, int start) const;
    void PlayPickSound() const;

    void Normalize();
    void SetLook(const MenuActionParameter& parameter);
    void ShowAccept(const MenuActionParameter& parameter);
    void UpdateBackButton();
    void PublishCandidates() const;
    void PublishCounters() const;
    void PublishPrompt() const;
    void WriteOutputs();
    // Only while the menu still holds this selection's cursor.
    void UnpublishCursor();

    void EnterScene();
    // Moves each candidate's plate and name ("pick_n", "hover_n", "name_n") over his seat:
    // the screen places them for a bench of average races.
    void AlignPlates() const;
    void UpdateScene(float dt);
    void UpdateMenu(float dt);
    void RenderScene();
    void ExitScene();

    PlayerSelectionResult m_request;
    std::vector<bool> m_picked;
    std::unique_ptr<SelectionBench> m_bench;
    std::unique_ptr<PlayerSelectionMenu> m_menu;
    std::unique_ptr<Fade> m_fade;
    bool m_finished = false;
    int m_cursor = 0;
    int m_pickNumber = 0;
    bool m_justCompleted = false;
    float m_pickTimer = 0.0f;
    bool m_backPressed = false;
};
