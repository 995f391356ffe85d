#pragma once

// A scripted cut scene in the stadium: the intros, the outro and the newspaper report.

#include "framework/State.h"

#include <cstdint>
#include <string>

// Ends by itself; the caller's chain decides what follows. With the setting "CutScenes"
// other than 1 it does nothing and ends at its first update. No scene is played yet: an
// enabled cut scene ends at its first update as well.
class CutScenes : public State {
public:
    static constexpr int kNoPage = 8;

    // An intro or the outro: the folder's "script.txt".
    explicit CutScenes(const std::string& folder);
    // The newspaper: "script_happy.txt" or "script_sad.txt", and the page of the report.
    CutScenes(const std::string& folder, const std::string& script, int page);

    void Enter() override;
    State* Update(float dt) override;

    const std::string& GetFolder() const { return m_folder; }
    const std::string& GetScriptPath() const { return m_scriptPath; }
    bool IsEnabled() const { return m_enabled; }
    bool IsNewspaper() const { return m_newspaper; }
    bool IsOutro() const { return m_outro; }
    bool IsHappy() const { return m_happy; }
    bool IsPrimateIntro() const { return m_primateIntro; }
    int GetPage() const { return m_page; }
    int GetStoryRound() const { return m_storyRound; }

private:
    std::string m_scriptPath;
    std::string m_folder;
    bool m_enabled;
    bool m_newspaper = false;
    bool m_outro = false;
    bool m_happy = false;
    bool m_primateIntro = false;
    int32_t m_page = kNoPage;
    int32_t m_storyRound = 0;
};
