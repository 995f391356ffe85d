#pragma once

#include "framework/Singleton.h"

#include <cstdint>
#include <string>
#include <vector>

class CharacterVariation;

// One entry of a player selection: the member it picked.
struct TrainingSelectionEntry {
    CharacterVariation* member = nullptr;  // borrowed from the team descriptions
};

// What the training menus, the session and the drills hand each other within a story leg.
class TrainingSettings : public Singleton<TrainingSettings> {
public:
    static constexpr int kChosen = 3;

    // A new leg: drill counter, points, the first chosen member and the chosen index cleared.
    void Reset();
    // With false, the chosen members become those of the selection's entries 2 to 4 (the
    // first is skipped; fewer entries leave the rest as they were). With true, the chosen
    // index becomes the place of the selection's first entry among the chosen members,
    // unchanged when it is none of them.
    void ChooseMembers(bool pickIndex);

    int32_t drillCounter = 0;  // 0 passes, 1 dribbling, 2 shooting, 3 goalkeeping
    int32_t points = 0;  // what the last drill earned
    CharacterVariation* chosen[kChosen] = {nullptr, nullptr, nullptr};  // borrowed
    std::string keeperName;
    std::string keeperText;
    int32_t chosenIndex = 0;
    std::vector<TrainingSelectionEntry> selection;
    std::vector<TrainingSelectionEntry> secondSelection;
};
