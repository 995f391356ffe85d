#pragma once

// Loads the story team's level again (and, when asked, the round's opponent), for the
// cut scenes and menus that show the team in its home stadium.

#include "framework/State.h"
#include "match/MatchSetup.h"

#include <cstdint>
#include <string>

class StoryModeLoading : public SubStateHolder {
public:
    // The stadium dressing after the flag goes to the loading as given: the story team's
    // bench, the opponent's bench, the referee, the opponent's aggression, the full benches
    // and the spectators.
    StoryModeLoading(bool bothTeams, int32_t benchOne, int32_t benchTwo, bool referee = false,
                     float aggression = 0.0f, bool fullBenches = false, bool spectators = false);
    ~StoryModeLoading() override;
    StoryModeLoading(const StoryModeLoading&) = delete;
    StoryModeLoading& operator=(const StoryModeLoading&) = delete;

    // Runs the load at once, so that the next state starts in a loaded stadium.
    void Enter() override;
    void Exit() override;
    // Itself while the loading (or what it handed over to) runs; null after.
    State* Update(float dt) override;

    // The level of the round the career has due: its data folder ("<PP>level04\") and its
    // name ("level04"), which also becomes the game parameter "level".
    static std::string LevelFolder();
    static std::string LevelName();
    static void PublishLevel();

    // A team description's display name and at most its first members; an empty side for a
    // name that names no team.
    static MatchSetup::Side StorySide(const std::string& teamCode, size_t maxMembers);

    // The set-up the constructor builds, for callers that load the story team themselves.
    const MatchSetup& GetSetup() const { return m_setup; }

private:
    MatchSetup m_setup;
};
