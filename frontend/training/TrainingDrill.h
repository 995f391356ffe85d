#pragma once

// What every training drill shows around its play: the caption, the camera, the HUD set,
// the intro, the music, the pause menu, the perfect message, the feedback sounds and the
// results screen. A drill runs as rounds (the passing drill one, the dribbling drill one
// per try, the penalty drill one per kick), each a state in the round slot.

#include "framework/State.h"
#include "scene/StillPicture.h"

#include <cstdint>
#include <string>

class CharacterVariation;

class TrainingDrill : public State {
public:
    // The drills by the training session's mode that runs them.
    enum Drill { kPassing = 2, kDribbling = 3, kShooting = 4, kKeeping = 5 };
    using Maker = State* (*)();
    // A later registration of the drill replaces the earlier one (REGISTER_TRAINING_DRILL).
    static void Register(Drill drill, Maker make);
    // A new drill for the session's mode; the caller owns it. Null (logged) for a mode
    // without a drill.
    static State* Make(int mode);

    // No camera slot: the camera is pushed on entry and popped on exit, no choice is kept.
    static constexpr int kNoCameraSlot = -1;
    static constexpr float kMessageSeconds = 1.5f;

    // The furniture that tells one drill from another; all texts are borrowed literals.
    struct Look {
        const char* title;  // caption of the HUD element "TrainingName", a text number
        const char* camera;  // camera control name
        int cameraSlot;  // stored camera choice, or kNoCameraSlot
        uint32_t hudMask;  // PitchSimulation::HudFlag bits shown during the drill
        const char* intro;  // "%dynamic_message%" of the intro message
        const char* results;  // results screen
        bool resultsOverPitch = true;  // the results screen drawn over the pitch
    };

    explicit TrainingDrill(const Look& look);
    // Exits and deletes whatever the slots still hold.
    ~TrainingDrill() override;
    TrainingDrill(const TrainingDrill&) = delete;
    TrainingDrill& operator=(const TrainingDrill&) = delete;

    // Caption, camera, HUD set, level music and the intro message, then Begin.
    void Enter() override;
    // Ends a running round (its Exit restores what it changed), then End, then the camera
    // and the menu music.
    void Exit() override;
    // While the pause menu is open only the menu runs. Otherwise the screen slot, "cheat
    // win", the round slot and Judge; an empty round slot asks NextRound, and when that has
    // none left the points are settled and the results shown. Null once they are closed.
    State* Update(float dt) override;
    // The round (which draws the pitch; between rounds the frame draws it), then the message
    // or results, then the pause menu.
    void Render() override;

    const Look& GetLook() const { return m_look; }
    bool IsFinished() const { return m_finished; }
    bool IsPerfect() const { return m_perfect; }
    bool IsMenuOpen() const { return m_menu != nullptr; }
    bool IsScreenOpen() const { return m_screen != nullptr; }
    // Owned; valid until the next Update. Null between rounds.
    State* GetRound() const { return m_round; }

    // The whole-number value of the key in the game settings ("Passes Training duration"),
    // or the fallback (logged) for another key.
    static int Setting(const char* key, int fallback);
    // Seconds as the countdown shows them: at least two digits.
    static std::string CountdownText(int seconds);
    // True while the input action fires on the buffered controller.
    static bool ReadAction(const char* action);
    // The "text" of an element of the HUD cast "hud"; nothing without the cast.
    static void SetHudText(const char* element, const std::string& text);
    // One of the drill's feedback sounds ("feedbacktrainingpassed" or "...failed").
    static void PlayFeedback(bool passed);
    // The chosen member of the training at place 0-2, or null when none is there.
    static CharacterVariation* ChosenMember(int place);

protected:
    // After the frame's own entry: the drill's own set-up (HUD rows, sides).
    virtual void Begin() {}
    // Before the frame's own exit, with no round left: put back what the drill changed.
    virtual void End() {}
    // The next round, entered by the frame, or null when the drill has played them all.
    // Called whenever the round slot is empty and the drill is not finished.
    virtual State* NextRound() = 0;
    // Right after a new round has been entered (a drill may AdvanceRound it once).
    virtual void RoundEntered() {}
    // After each update of the round slot, whether the round still runs or has just ended:
    // record decided outcomes (HUD marks, counts, sounds) once.
    virtual void Judge() {}
    // "cheat win": make the drill end at once as perfect; the round may be ended with
    // EndRound, and the next frames settle the points as usual.
    virtual void WinAtOnce() = 0;
    // Whether the pause menu may open now (no message or screen is ever open then).
    virtual bool MayPause() const { return true; }
    // The points the drill earned, once NextRound has none left.
    virtual int Points() const = 0;
    // Whether the drill is perfect, once NextRound has none left.
    virtual bool Perfect() const = 0;
    // Fills the results screen's variables for the points (already stored in the settings).
    virtual void PublishResults(int points) = 0;

    // One update of the round slot outside the frame's own order.
    void AdvanceRound(float dt) { StateSlot::Update(&m_round, dt); }
    // Exits and deletes the running round at once.
    void EndRound() { StateSlot::Set(&m_round, nullptr, false); }
    // Sets "%dynamic_message%" and shows "message_dynamic" for kMessageSeconds in the screen
    // slot, in place of whatever it showed.
    void ShowMessage(const std::string& text);

private:
    void Settle();
    void PlayLevelMusic() const;

    Look m_look;
    State* m_round = nullptr;
    State* m_screen = nullptr;  // intro, perfect message, results
    State* m_menu = nullptr;  // pause menu
    // Nothing under the pause menu moves: the drill is drawn once there and its picture kept.
    StillPicture m_stillPitch;
    bool m_finished = false;
    bool m_perfect = false;
};

namespace training_detail {
struct Registered {};
}  // namespace training_detail

#define TB_TRAINING_DRILL_CONCAT2(a, b) a##b
#define TB_TRAINING_DRILL_CONCAT(a, b) TB_TRAINING_DRILL_CONCAT2(a, b)
// REGISTER_TRAINING_DRILL(TrainingDrill::kShooting, [] () -> State* { return new X(true); })
#define REGISTER_TRAINING_DRILL(drill, maker)                                                   \
    [[maybe_unused]] static const ::training_detail::Registered TB_TRAINING_DRILL_CONCAT(      \
        tbTrainingDrill_, __COUNTER__) = (::TrainingDrill::Register(drill, maker), ::training_detail::Registered())
