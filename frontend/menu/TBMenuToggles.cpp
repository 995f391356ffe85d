#include "frontend/menu/TBMenuToggles.h"

#include "audio/SoundEngine.h"
#include "engine/core/RwEngine.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/MainProgram.h"
#include "frontend/story/StoryModeGame.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "match/FrontEndScreens.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/GameParameters.h"
#include "settings/MenuVariables.h"
#include "simulation/Ball.h"

#include <algorithm>
#include <cstdio>

namespace {

enum OptionTable { kOnOff, kResolutions, kHalfTimes, kVolumes, kShirts, kDevices, kStoryHalfTimes, kQualities, kTables };

struct ToggleDefault {
    const char* name;
    int32_t value;
    OptionTable options;
};

const ToggleDefault kDefaults[TBMenuToggles::kCount] = {
    {"fx_volume", 10, kVolumes},
    {"music_volume", 10, kVolumes},
    {"screen_resolution", 0, kResolutions},
    {"half_time_duration", 2, kHalfTimes},
    {"shirts_team1", 0, kShirts},
    {"shirts_team2", 3, kShirts},
    {"control_device1", 0, kDevices},
    {"control_device2", 0, kDevices},
    {"var_cards", 1, kOnOff},
    // The story's table starts one length up: 1 is the single match's default length.
    {"story_half_time_duration", 1, kStoryHalfTimes},
    {"story_shirts", 0, kShirts},
    {"replays", 1, kOnOff},
    {"quality", 1, kQualities},
    {"story_cards", 1, kOnOff},
};

constexpr int kResolutionSizes[][2] = {{800, 600}, {1024, 768}, {1280, 960}};
constexpr int kMusicChannel = 0;
constexpr int kEffectsChannel = 1;
constexpr int kPlayers = 2;

// Texts "%<first>%" .. "%<first + count - 1>%".
TBToggleOptions TextRange(int first, int count)
{
    TBToggleOptions options;
    for (int i = 0; i < count; ++i)
        options.texts.push_back("%" + std::to_string(first + i) + "%");
    return options;
}

std::vector<TBToggleOptions> MakeOptionTables()
{
    std::vector<TBToggleOptions> tables(kTables);
    tables[kOnOff] = TextRange(60101, 2);
    tables[kResolutions] = TextRange(60111, 3);
    tables[kHalfTimes] = TextRange(60301, 6);
    tables[kVolumes] = TextRange(60201, 11);
    for (int shirt = 0; shirt < 8; ++shirt)
        tables[kShirts].texts.push_back("<font shirts>" + std::to_string(shirt) + "</font>");
    tables[kDevices].texts = {"%30501%", "%30502% 1", "%30502% 2", "%30502% 3", "%30502% 4"};
    tables[kStoryHalfTimes] = TextRange(60302, 5);
    tables[kQualities] = TextRange(60121, 3);
    return tables;
}

void Settle(TBMenuToggle& toggle)
{
    toggle.applied = toggle.value;
    toggle.force = false;
}

void SetChannelVolume(int channel, int32_t level)
{
    SoundEngine* sound = SoundEngine::Instance();
    sound->SetGroupVolume(channel, static_cast<float>(level) * 0.1f);
    sound->UpdateVolumes();
}

ConfigurableInputMapper* Mapper(int32_t device)
{
    return PlatformInputDevices::Instance()->GetInputMapper(device);
}

// The user file's values as it is read.
void TakeGameParameters(GameParameters& p)
{
    const int32_t values[][2] = {
        {0, p.sfxVolume},       {1, p.musicVolume},     {2, p.resolution}, {3, p.halftimeDuration},
        {4, p.shirts[0]},       {5, p.shirts[1]},       {6, p.deviceChoices[0]}, {7, p.deviceChoices[1]},
        {8, p.cards ? 1 : 0},   {11, p.replays ? 1 : 0}, {12, p.quality},
    };
    for (const auto& [id, value] : values)
        TBMenuToggle::LoadExternToggleValue(id, value);
    // The toggles claim the devices once they are counted; until then nobody holds one.
    for (int player = 0; player < kPlayers; ++player) {
        p.deviceChoices[player] = TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kDevice1 + player)->value;
        p.playerDevices[player] = 0;
    }
    TBMenuToggles::Instance()->ApplyPending(false);
}

[[maybe_unused]] const bool s_togglesHooked = [] {
    GameParameters::SetReadListener(&TakeGameParameters);
    FrontEndScreens::Get().applyOptions = [](bool allowResolutionChange) {
        TBMenuToggles::Instance()->ApplyPending(allowResolutionChange);
    };
    return true;
}();

}  // namespace

std::string TBMenuToggle::GetText() const
{
    if (!options || value < 0 || value >= options->GetCount())
        return {};
    return options->texts[static_cast<size_t>(value)];
}

void TBMenuToggle::LoadExternToggleValue(int id, int value)
{
    TBMenuToggle* toggle = TBMenuToggles::Instance()->GetToggle(id);
    if (!toggle) {
        LogWarning("TBMenuToggle::LoadExternToggleValue Error: toggleid exceeds bounds.\n");
        return;
    }
    // A stored value indexes the option texts and the resolution table.
    const int32_t last = toggle->options ? toggle->options->GetCount() - 1 : 0;
    const int32_t clamped = std::clamp(value, 0, last);
    if (clamped != value)
        LogWarning("TBMenuToggle::LoadExternToggleValue: %s %d is out of range; %d is used\n", toggle->name.c_str(),
                   value, clamped);
    toggle->value = clamped;
    toggle->force = true;
}

TBMenuToggles::TBMenuToggles() : m_options(MakeOptionTables())
{
    m_toggles.reserve(kCount);
    for (const ToggleDefault& entry : kDefaults)
        m_toggles.push_back({entry.name, entry.value, entry.value, false, &m_options[entry.options]});
}

TBMenuToggle* TBMenuToggles::GetToggle(int id)
{
    return id < 0 || id >= kCount ? nullptr : &m_toggles[static_cast<size_t>(id)];
}

const TBMenuToggle* TBMenuToggles::GetToggle(int id) const
{
    return id < 0 || id >= kCount ? nullptr : &m_toggles[static_cast<size_t>(id)];
}

bool TBMenuToggles::GetResolutionSize(int value, int& width, int& height)
{
    if (value < 0 || value >= static_cast<int>(std::size(kResolutionSizes)))
        return false;
    width = kResolutionSizes[value][0];
    height = kResolutionSizes[value][1];
    return true;
}

int TBMenuToggles::ChooseVideoMode(const std::vector<RwVideoMode>& modes, int width, int height)
{
    int best = -1;
    for (size_t i = 0; i < modes.size(); ++i) {
        const RwVideoMode& mode = modes[i];
        if (mode.width != width || mode.height != height || !(mode.flags & rwVideoModeExclusive))
            continue;
        if (best < 0 || mode.depth > modes[static_cast<size_t>(best)].depth)
            best = static_cast<int>(i);
    }
    return best;
}

bool TBMenuToggles::Apply(bool allowResolutionChange)
{
    ApplyPending(allowResolutionChange);
    Cast* user = CastManager::Instance()->GetCast("user");
    return !user || SaveSettings(user, kUserFile);
}

void TBMenuToggles::ApplyPending(bool allowResolutionChange)
{
    GameParameters* parameters = GameParameters::Instance();
    ApplyVolume(m_toggles[kFxVolume], kEffectsChannel, parameters->sfxVolume);
    ApplyVolume(m_toggles[kMusicVolume], kMusicChannel, parameters->musicVolume);
    if (allowResolutionChange && m_toggles[kResolution].IsPending())
        ApplyResolution(m_toggles[kResolution]);
    const auto store = [](TBMenuToggle& toggle, auto&& write) {
        if (!toggle.IsPending())
            return;
        write(toggle.value);
        Settle(toggle);
    };
    store(m_toggles[kHalfTime], [&](int32_t v) { parameters->halftimeDuration = v; });
    store(m_toggles[kShirtsTeam1], [&](int32_t v) { parameters->shirts[0] = parameters->extraShirts[0] = v; });
    store(m_toggles[kShirtsTeam2], [&](int32_t v) { parameters->shirts[1] = parameters->extraShirts[1] = v; });
    if (parameters->deviceCount == -1) {
        // Not counted yet: copied unchecked, claimed once the game state has counted them.
        parameters->playerDevices[0] = m_toggles[kDevice1].value;
        parameters->playerDevices[1] = m_toggles[kDevice2].value;
    } else {
        for (int player = 0; player < kPlayers; ++player)
            ApplyDevice(player);
    }
    store(m_toggles[kCards], [&](int32_t v) { parameters->cards = v != 0; });
    store(m_toggles[kReplays], [&](int32_t v) { parameters->replays = v != 0; });
    ApplyQuality(m_toggles[kQuality]);
}

void TBMenuToggles::ApplyVolume(TBMenuToggle& toggle, int channel, int32_t& parameter)
{
    if (!toggle.IsPending())
        return;
    parameter = toggle.value;
    SetChannelVolume(channel, toggle.value);
    Settle(toggle);
}

void TBMenuToggles::ApplyResolution(TBMenuToggle& toggle)
{
    RwGraphics* graphics = RwGraphics::Instance();
    int width = 0, height = 0;
    if (!graphics->IsFullScreen()) {
        DebugTrace("Resoulution can't be changed in windowed mode!");
    } else if (!GetResolutionSize(toggle.value, width, height)) {
        toggle.value = toggle.applied;
    } else {
        const int best = ChooseVideoMode(graphics->GetVideoModes(), width, height);
        if (best < 0) {
            toggle.value = toggle.applied;
            DebugTrace("This resolution is not supportet on this PC.\n");
        } else {
            RwD3D8ChangeVideoMode(best);
            if (PrimaryCamera* camera = graphics->GetPrimaryCamera()) {
                camera->SetSize(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
                DebugTrace("Changed resolution.\n");
            }
        }
    }
    GameParameters::Instance()->resolution = toggle.value;
    Settle(toggle);
}

void TBMenuToggles::ApplyDevice(int player)
{
    TBMenuToggle& toggle = m_toggles[player == 0 ? kDevice1 : kDevice2];
    if (!toggle.IsPending())
        return;
    GameParameters* parameters = GameParameters::Instance();
    ClaimDevices();
    int32_t& device = parameters->playerDevices[player];
    if (parameters->deviceCount > toggle.value && toggle.value >= 0) {
        if (ConfigurableInputMapper* old = Mapper(device))
            old->SetClaim(player, false);
        device = toggle.value;
        if (ConfigurableInputMapper* chosen = Mapper(device))
            chosen->SetClaim(player, true);
        toggle.applied = toggle.value;
        parameters->deviceChoices[player] = device;
    } else {
        // A joystick not plugged in this run: played without, still the player's choice.
        toggle.value = toggle.applied;
        device = toggle.value;
    }
    toggle.force = false;
}

void TBMenuToggles::ClaimDevices()
{
    TBMenuToggle* toggles[kPlayers] = {&m_toggles[kDevice1], &m_toggles[kDevice2]};
    GameParameters* parameters = GameParameters::Instance();
    if (toggles[0]->value != toggles[0]->applied && toggles[1]->value != toggles[1]->applied) {
        for (int player = 0; player < kPlayers; ++player)
            if (ConfigurableInputMapper* old = Mapper(toggles[player]->applied))
                old->SetClaim(player, false);
    }
    for (int player = 0; player < kPlayers; ++player) {
        TBMenuToggle& toggle = *toggles[player];
        if (toggle.value == toggle.applied)
            continue;
        ConfigurableInputMapper* old = Mapper(toggle.applied);
        ConfigurableInputMapper* chosen = Mapper(toggle.value);
        if (!old || !chosen)
            continue;
        const int other = 1 - player;
        if (chosen->SetClaim(player, true)) {
            old->SetClaim(player, false);
            parameters->playerDevices[player] = toggle.value;
            toggle.applied = toggle.value;
            parameters->blockedDevices[other] = chosen->IsFree() ? -1 : toggle.value;
        } else {
            toggle.value = toggle.applied;
            old->SetClaim(player, true);
            DebugTrace("Error: Tried to change to locked device! TBMenuToggles.cpp");
        }
    }
}

void TBMenuToggles::ApplyQuality(TBMenuToggle& toggle)
{
    if (!toggle.IsPending())
        return;
    GameParameters::Instance()->quality = toggle.value;
    // The lowest quality also drops the ball's trail and the players' particles and shadows.
    Ball::s_highQuality = toggle.value != 0;
    Settle(toggle);
    MainProgram::Instance()->SetTextureSetPath(GameParameters::TextureSetFor(toggle.value));
}

void TBMenuToggles::Revert()
{
    SetChannelVolume(kEffectsChannel, m_toggles[kFxVolume].applied);
    SetChannelVolume(kMusicChannel, m_toggles[kMusicVolume].applied);
    for (TBMenuToggle& toggle : m_toggles)
        toggle.value = toggle.applied;
    PublishBlockedDevices();
}

void TBMenuToggles::StoreStoryChoices(StoryModeGame& story) const
{
    story.halftimeDuration = m_toggles[kStoryHalfTime].value;
    story.teamColor = m_toggles[kStoryShirts].value;
    story.cards = m_toggles[kStoryCards].value != 0;
}

void TBMenuToggles::PublishBlockedDevices()
{
    GameParameters* parameters = GameParameters::Instance();
    for (int player = 0; player < kPlayers; ++player) {
        const TBMenuToggle& toggle = m_toggles[player == 0 ? kDevice1 : kDevice2];
        int32_t& blocked = parameters->blockedDevices[1 - player];
        const ConfigurableInputMapper* mapper = Mapper(toggle.value);
        if (!mapper) {
            LogWarning("TBMenuToggles::PublishBlockedDevices: device %d of player %d does not exist; it blocks "
                       "nothing\n",
                       toggle.value, player + 1);
            blocked = -1;
            continue;
        }
        blocked = mapper->IsShared() ? -1 : toggle.value;
    }
}

void TBMenuToggles::PublishBlockedShirts(MenuVariables& variables) const
{
    variables.SetVariable("%blocked_shirt_1%", std::to_string(m_toggles[kShirtsTeam2].value));
    variables.SetVariable("%blocked_shirt_2%", std::to_string(m_toggles[kShirtsTeam1].value));
}
