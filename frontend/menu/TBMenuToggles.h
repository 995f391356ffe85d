#pragma once

#include "framework/Singleton.h"

#include <cstdint>
#include <string>
#include <vector>

// One of the player's options as a small integer choice.
struct TBMenuToggle {
    std::string name;  // also the menu variable and edit-value name between percent signs
    int32_t value = 0;  // the current choice; menu widgets write it directly
    int32_t applied = 0;  // the value most recently applied
    bool force = false;  // apply even when value equals applied (set by a loaded value)

    bool IsPending() const { return force || value != applied; }

    // Sets the toggle's value and force flag; an id outside the toggles is logged and
    // changes nothing. The applied value is untouched.
    static void LoadExternToggleValue(int id, int value);
};

// The option toggles, by id: volumes, resolution, half time, shirts, devices, cards,
// replays, quality and the story-mode choices.
class TBMenuToggles : public Singleton<TBMenuToggles> {
public:
    static constexpr int kCount = 14;

    TBMenuToggles();

    int GetCount() const { return kCount; }
    // Null when the id is negative or at least the count.
    TBMenuToggle* GetToggle(int id);
    const TBMenuToggle* GetToggle(int id) const;

    // Applies every pending toggle; the resolution only when allowed. Until the front end
    // acts on the toggles, a call is only counted.
    void Apply(bool allowResolutionChange);
    int GetApplyCount() const { return m_applyCount; }
    bool GetLastAllowResolutionChange() const { return m_lastAllowResolutionChange; }

private:
    std::vector<TBMenuToggle> m_toggles;
    int m_applyCount = 0;
    bool m_lastAllowResolutionChange = false;
};
