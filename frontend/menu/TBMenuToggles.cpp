#include "frontend/menu/TBMenuToggles.h"

#include "framework/Debug.h"

namespace {

struct ToggleDefault {
    const char* name;
    int32_t value;
};

const ToggleDefault kDefaults[TBMenuToggles::kCount] = {
    {"fx_volume", 10},     {"music_volume", 10}, {"screen_resolution", 0},        {"half_time_duration", 2},
    {"shirts_team1", 0},   {"shirts_team2", 3},  {"control_device1", 0},          {"control_device2", 0},
    {"var_cards", 1},      {"story_half_time_duration", 0}, {"story_shirts", 0}, {"replays", 1},
    {"quality", 1},        {"story_cards", 1},
};

}  // namespace

void TBMenuToggle::LoadExternToggleValue(int id, int value)
{
    TBMenuToggle* toggle = TBMenuToggles::Instance()->GetToggle(id);
    if (!toggle) {
        LogWarning("TBMenuToggle::LoadExternToggleValue Error: toggleid exceeds bounds.\n");
        return;
    }
    toggle->value = value;
    toggle->force = true;
}

TBMenuToggles::TBMenuToggles()
{
    m_toggles.reserve(kCount);
    for (const ToggleDefault& entry : kDefaults)
        m_toggles.push_back({entry.name, entry.value, entry.value, false});
}

TBMenuToggle* TBMenuToggles::GetToggle(int id)
{
    return const_cast<TBMenuToggle*>(static_cast<const TBMenuToggles*>(this)->GetToggle(id));
}

const TBMenuToggle* TBMenuToggles::GetToggle(int id) const
{
    return id < 0 || id >= kCount ? nullptr : &m_toggles[static_cast<size_t>(id)];
}

void TBMenuToggles::Apply(bool allowResolutionChange)
{
    ++m_applyCount;
    m_lastAllowResolutionChange = allowResolutionChange;
}
