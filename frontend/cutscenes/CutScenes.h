#pragma once

#include "frontend/cutscenes/Scene.h"
#include "framework/State.h"

#include <memory>
#include <string>
#include <vector>

class NewspaperPage;
class OutroParticleDriver;
class Team;

// Plays one scripted cut scene in the stadium: the script's shots one after another, each
// with its camera path, actor animations, fades, fog, clip planes and time multiplier. Any key
// skips, except in the newspaper, whose third shot waits for a choosing key ("(menu):button a"
// or "b") or the first player's pass key, then plays on. Update returns
// null once it is over; the caller chains what follows. With the setting "CutScenes" other
// than 1 it does nothing and ends at its first update.
class CutScenes : public State {
public:
    static constexpr const char* kScriptName = "script.txt";
    static constexpr const char* kOutroFolder = "<PP>cutScenes\\Outro\\";
    static constexpr const char* kPrimateIntroFolder = "<PP>cutScenes\\primate_intro\\";
    // The newspaper's shot that waits for the button.
    static constexpr int kNewspaperPromptShot = 2;
    // The outro's shot whose particles follow their path.
    static constexpr int kOutroParticleShot = 16;
    static constexpr int kPromptText = 30453;
    // The page number that shows no page.
    static constexpr int kNoPage = 8;

    // The intros and the outro: the folder's "script.txt".
    explicit CutScenes(const std::string& folder);
    // The newspaper: "script_happy.txt" or "script_sad.txt", and the page to show
    // (NewspaperPage::kNoPage for none).
    CutScenes(const std::string& folder, const std::string& scriptName, int pageNumber);
    ~CutScenes() override;

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;

    // To the next shot whose length holds the carried-over time; false after the last one.
    bool AdvanceShot();

    // The fade's factor at the shot time: 1 before its ramp, 0 after it, linear between; odd
    // types count from the shot's start, even ones until its end; type 0 gives 0.
    static float FadeFactor(const SceneFade& fade, float shotTime, float shotDuration);
    // Where idle actor j stands in an idle loop of that length at the shot time, so that
    // several idle actors run out of step.
    static float IdleTime(int j, float shotTime, float idleDuration);
    // The atomics of a race that a shot with its own "invisible atomics" hides: all but the
    // first (the body) for most races; nothing for an unknown race.
    static std::vector<int> GetRaceHiddenAtomics(const std::string& race);
    // The newspaper's prompt as it is printed, mark-up and all.
    static std::string PromptMarkup();
    // The shot index after skipping shots shorter than the carried time: index and time are
    // updated, and the new duration returned in duration. False past the last shot.
    static bool NextShot(const std::vector<float>& durations, int& index, float& time, float& duration);

    const std::string& GetFolder() const { return m_folder; }
    const std::string& GetScriptPath() const { return m_scriptPath; }
    bool IsEnabled() const { return m_enabled; }
    // -1 before the first shot. The shot's time and length are in seconds of scene time,
    // which the replay speed multiplies.
    int GetShotIndex() const { return m_shotIndex; }
    float GetShotTime() const { return m_shotTime; }
    float GetShotDuration() const { return m_shotDuration; }
    float GetReplaySpeed() const { return m_replaySpeed; }
    bool IsWaitingForButton() const { return m_waitingForButton; }
    bool IsNewspaper() const { return m_newspaper; }
    bool IsOutro() const { return m_outro; }
    bool IsHappy() const { return m_happy; }
    bool IsPrimateIntro() const { return m_primateIntro; }
    int GetPage() const { return m_pageNumber; }
    int GetStoryRound() const { return m_storyRound; }
    // The soundtrack Update starts: 0 panda intro, 1 primate intro, 2 outro, 3 happy and 4
    // sad newspaper.
    int GetSoundtrack() const;
    const Scene& GetScene() const { return m_scene; }
    // Null but in the newspaper with a page, and in the outro whose level has the particles.
    const NewspaperPage* GetNewspaperPage() const { return m_page.get(); }
    const OutroParticleDriver* GetParticleDriver() const { return m_particles.get(); }

private:
    bool ReadScript();
    void LoadStadium();
    void ReloadCastsKeepingStoryTeam();
    void MakeNewspaperPage();
    void MakeParticleDriver();
    void StartShot(int index, float time);
    void UpdateShot(int index, float time, float step);
    void ApplyFades();
    void RenderShotActors(int index);
    void DrawFadeOverlay(const Color& colour, int mode);
    // The newspaper's prompt, at the bottom of the view on a dark band.
    void DrawPrompt();
    // Any key skips; false when the scene ends here.
    bool HandleKeys();
    SceneShot* CurrentShot() const;

    std::string m_folder;
    std::string m_scriptPath;
    Scene m_scene;
    int m_shotIndex = -1;
    float m_shotTime = 0.0f;
    float m_shotDuration = 0.0f;
    float m_replaySpeed = 1.0f;
    bool m_enabled = false;
    Team* m_team = nullptr;  // the pitch's home team, borrowed
    std::unique_ptr<NewspaperPage> m_page;
    bool m_waitingForButton = false;
    bool m_skippable = true;
    bool m_newspaper = false;
    bool m_outro = false;
    std::unique_ptr<OutroParticleDriver> m_particles;
    int m_pageNumber;
    int m_storyRound = 0;
    // The newspaper's stadium, that of the round it reports on.
    int m_storyLevel = 1;
    bool m_forceAdvance = false;
    bool m_happy = false;
    bool m_primateIntro = false;
    bool m_musicStarted = false;
    // What Enter did, so that Exit undoes only that.
    bool m_cameraPushed = false;
};
