#include "settings/TrainingSettings.h"

#include <algorithm>

void TrainingSettings::Reset()
{
    drillCounter = 0;
    points = 0;
    chosen[0] = nullptr;
    chosenIndex = 0;
}

void TrainingSettings::ChooseMembers(bool pickIndex)
{
    if (!pickIndex) {
        // Entries 2 to 4; the first does not train.
        for (size_t i = 1; i < selection.size() && i <= kChosen; ++i)
            chosen[i - 1] = selection[i].member;
        return;
    }
    if (selection.empty())
        return;
    const auto found = std::find(std::begin(chosen), std::end(chosen), selection.front().member);
    if (found != std::end(chosen) && *found)
        chosenIndex = static_cast<int32_t>(found - std::begin(chosen));
}
