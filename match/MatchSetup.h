#pragma once

#include "characters/TeamDescription.h"

#include <cstdint>
#include <string>
#include <vector>

// What a game mode asks the match loading to load: the level, both sides and how the
// stadium is dressed. Every mode builds its loading from one of these.
struct MatchSetup {
    // Its flag marks the side's keeper.
    using Member = TeamDescription::Member;

    struct Side {
        // Copied into the match statistics; may be empty or a placeholder.
        std::string teamName;
        std::vector<Member> members;
        // The last benchCount members sit on the bench.
        int32_t benchCount = 0;
    };

    // Ends in a backslash; aliases allowed.
    std::string levelFolder;
    Side teamOne;
    Side teamTwo;
    bool createReferee = false;
    // For every side no human controls; human sides get 0.
    float computerAggression = 0.0f;
    // True: the full benches shown and the short ones hidden; false: the reverse.
    bool showBenches = false;
    bool showSpectators = false;
};
