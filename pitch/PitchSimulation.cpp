#include "pitch/PitchSimulation.h"

#include "ai/TeamManager.h"
#include "ai/UtilityRegistry.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "engine/core/RwDevice.h"
#include "framework/Cast.h"
#include "framework/StringUtil.h"
#include "pitch/TBWorld.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "settings/GameSettings.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/ReplayEngine.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// Out of sight below the pitch until a set piece places it.
const Vector3 kParkedBall{0.0f, 0.0f, -1000.0f};
constexpr const char* kHudCast = "hud";
constexpr const char* kPenaltyHudCast = "penaltyhud";
constexpr const char* kGreen = "0,255,0,255";
constexpr const char* kWhite = "255,255,255,255";
constexpr const char* kRed = "255,0,0,255";

struct HudGroup {
    uint32_t bit;
    std::vector<std::string_view> names;
};

// In the order the names join the list; a name may come from several bits.
// The bands are plates that the texts of their bits lie on.
const HudGroup kHudGroups[] = {
    {PitchSimulation::kHudTeamNames, {"ScoreBand", "LeftTeamName", "RightTeamName"}},
    {PitchSimulation::kHudScore, {"ScoreBand", "LeftScore", "ScoreColon", "RightScore"}},
    {PitchSimulation::kHudTime, {"ScoreBand", "TimeMinutes", "TimeColon", "TimeSeconds"}},
    {PitchSimulation::kHudPlayerNames, {"PlayerBand1", "PlayerBand2", "Player1Name", "Player2Name"}},
    {PitchSimulation::kHudEnergy,
     {"EnergyMeter1", "EnergyMeter2", "EnergyBackground1", "EnergyBackground2", "EnergyDefaultLevel1",
      "EnergyDefaultLevel2"}},
    {PitchSimulation::kHudPlayer1Name, {"PlayerBand1", "Player1Name"}},
    {PitchSimulation::kHudPlayer1Energy, {"EnergyMeter1", "EnergyBackground1", "EnergyDefaultLevel1"}},
    {PitchSimulation::kHudPowerBar, {"PowerBar", "PowerBar_Normal_Background"}},
    {PitchSimulation::kHudPenaltyPowerBar, {"PowerBar_Penalty_Background"}},
    {PitchSimulation::kHudDebugValues,
     {"DebugEnergyText1", "DebugEnergyValue1", "DebugSpeedText1", "DebugSpeedValue1", "DebugShootingText1",
      "DebugShootingValue1", "DebugEnergyText2", "DebugEnergyValue2", "DebugSpeedText2", "DebugSpeedValue2",
      "DebugShootingText2", "DebugShootingValue2"}},
    {PitchSimulation::kHudDrillCounters, {"ScoreBand", "FullCycles", "LeftScore", "TimeColon", "CountdownSeconds"}},
    {PitchSimulation::kHudDrillName, {"TrainingBand", "TrainingName", "TrainingHint"}},
};

// The HUD element names of one side's player block.
struct PlayerHud {
    const char* name;
    const char* nameColor;
    const char* defaultLevel;
    const char* meter;
    const char* yellowCard;
    const char* energyValue;
    const char* speedValue;
    const char* shootingValue;
};

const PlayerHud kPlayerHuds[PitchSimulation::kSides] = {
    {"Player1Name", kGreen, "EnergyDefaultLevel1", "EnergyMeter1", "hud|YellowCard1", "DebugEnergyValue1",
     "DebugSpeedValue1", "DebugShootingValue1"},
    {"Player2Name", kRed, "EnergyDefaultLevel2", "EnergyMeter2", "hud|YellowCard2", "DebugEnergyValue2",
     "DebugSpeedValue2", "DebugShootingValue2"},
};

const char* EnergyColor(float energy)
{
    const GameSettings* settings = GameSettings::Instance();
    if (energy >= settings->specialEnergyThreshold)
        return kGreen;
    return energy >= settings->speedEnergyThreshold ? kWhite : kRed;
}

std::string Truncated(float value) { return IntToString(static_cast<int>(value)); }

void SetHud(const Cast& hud, const char* element, const char* parameter, const std::string& value)
{
    HudElement::SetItemParameter(hud, element, parameter, value.c_str());
}

} // namespace

PitchSimulation::PitchSimulation() = default;

PitchSimulation::~PitchSimulation() { DestroyMatch(); }

bool PitchSimulation::SetupMatch()
{
    if (m_setUp)
        return true;
    m_ball = std::make_unique<Ball>();
    m_ball->SetPosition(kParkedBall);
    ActorSurroundings::ball = m_ball.get();
    CharacterActionPlayer::SetBallRadius(m_ball->GetRadius());
    m_registry = std::make_unique<UtilityRegistry>();
    for (int side = 0; side < kSides; ++side)
        CreateSide(side);
    LendSides(true);
    m_clock = std::make_unique<MatchClock>(&s_defaultClockRate);
    m_world = std::make_unique<TBWorld>();
    const bool created = m_world->CreateWorld();
    m_setUp = true;
    return created;
}

void PitchSimulation::CreateSide(int side)
{
    const auto index = static_cast<size_t>(side);
    m_teams[index] = std::make_unique<SoccerTeam>(side == 0);
    m_managers[index] = std::make_unique<TeamManager>();
    m_managers[index]->SetTeam(m_teams[index].get());
    m_managers[index]->ChooseTactics();
}

void PitchSimulation::DestroyMatch()
{
    if (!m_setUp)
        return;
    LendSides(false);
    for (int side = 0; side < kSides; ++side) {
        const auto index = static_cast<size_t>(side);
        // The benched characters are no members: the team would only forget them.
        DeleteBench(*m_teams[index]);
        m_managers[index].reset();
        m_teams[index].reset();
    }
    m_registry.reset();
    ActorSurroundings::ball = nullptr;
    m_ball.reset();
    m_referee.reset();
    m_world->DestroyWorld();
    m_world.reset();
    m_clock.reset();
    m_setUp = false;
}

void PitchSimulation::RecreateTeams()
{
    if (!m_setUp)
        return;
    m_clock->SetTime(0.0f);
    for (int side = 0; side < kSides; ++side) {
        SoccerTeam& team = *m_teams[static_cast<size_t>(side)];
        while (team.GetPlayerCount() > 0) {
            std::unique_ptr<Character> removed = team.RemovePlayer(team.GetPlayer(0));
            ForgetOnBall(removed.get());
        }
        DeleteBench(team);
        CreateSide(side);
    }
    LendSides(true);
    SetReferee(nullptr);
    m_ball->ReleasePossession(true);
    m_ball->SetPosition(kParkedBall);
    m_ball->SetVelocity(Vector3{});
    ForgetEarlierPlay();
}

void PitchSimulation::ForgetEarlierPlay()
{
    // Keyed by character: a new character may reuse a deleted one's address.
    m_registry->ClearCaches();
    CollisionManager::Instance()->RestartSets();
    ReplayEngine::Instance()->Reset();
}

void PitchSimulation::LendSides(bool lend)
{
    SoccerTeam* first = lend ? m_teams[0].get() : nullptr;
    SoccerTeam* second = lend ? m_teams[1].get() : nullptr;
    m_ball->SetTeams(first, second);
    ActorSurroundings::sides[0] = first;
    ActorSurroundings::sides[1] = second;
    for (int side = 0; side < kSides; ++side) {
        const auto index = static_cast<size_t>(side);
        if (m_managers[index])
            m_managers[index]->SetMatch(lend ? m_teams[1 - index].get() : nullptr, lend ? m_registry.get() : nullptr);
    }
}

void PitchSimulation::DeleteBench(SoccerTeam& team)
{
    const std::vector<Character*> bench = team.GetBench();
    team.ClearBench();
    for (Character* character : bench) {
        ForgetOnBall(character);
        delete character;
    }
}

void PitchSimulation::ForgetOnBall(const Character* character)
{
    if (m_ball && character)
        m_ball->ForgetToucher(character);
}

void PitchSimulation::CreateReferee()
{
    SetReferee(std::make_unique<Character>(Character::kReferee, "Referee", nullptr));
}

void PitchSimulation::SetReferee(std::unique_ptr<Character> referee)
{
    ForgetOnBall(m_referee.get());
    m_referee = std::move(referee);
}

void PitchSimulation::SetSide(int side, std::unique_ptr<SoccerTeam> team, std::unique_ptr<TeamManager> manager)
{
    const auto index = static_cast<size_t>(side);
    SoccerTeam& old = *m_teams[index];
    for (int i = 0; i < old.GetPlayerCount(); ++i)
        ForgetOnBall(old.GetPlayer(i));
    DeleteBench(old);
    manager->SetTeam(team.get());
    m_managers[index] = std::move(manager);
    m_teams[index] = std::move(team);
    LendSides(true);
}

void PitchSimulation::ResetMatchClock(const float* rate)
{
    m_clock = std::make_unique<MatchClock>(rate);
}

void PitchSimulation::Update(float dt, uint32_t flags)
{
    m_lastUpdateFlags = flags;
    const bool clockRuns = (flags & kUpdateClock) != 0 && m_active;
    ActorSurroundings::clockRunning = clockRuns;
    if (flags & kClearCaches)
        m_registry->ClearCaches();
    if (flags & kUpdateCollisions)
        CollisionManager::Instance()->Update(dt);
    if (clockRuns)
        m_clock->Update(dt);
    for (int side = 0; side < kSides; ++side) {
        const auto index = static_cast<size_t>(side);
        if (flags & kUpdateManagers) {
            const int32_t difference = m_teams[index]->GetGoals() - m_teams[1 - index]->GetGoals();
            m_managers[index]->Update(dt, *m_clock, difference);
        }
        if (flags & kUpdateTeams)
            m_teams[index]->ThinkWithSelection(dt, (flags & kRefreshSelection) != 0);
    }
    // Both sides decide on the same picture of the frame before either moves: a side that saw
    // the other's kick of this frame would react a frame sooner than the other side can.
    for (int side = 0; side < kSides && (flags & kUpdateTeams); ++side)
        m_teams[static_cast<size_t>(side)]->Act(dt);
    if (m_referee)
        m_referee->Update(dt);
    if (flags & kUpdateBall)
        m_ball->Update(dt);
    if (flags & kUpdateWorld)
        m_world->Update(dt);
    if (flags & kUpdateHud)
        UpdateHud();
}

void PitchSimulation::UpdateHud()
{
    const Cast* hud = CastManager::Instance()->GetCast(kHudCast);
    if (!hud)
        return;
    const auto set = [&](const char* element, const char* parameter, const std::string& value) {
        SetHud(*hud, element, parameter, value);
    };
    std::string seconds = IntToString(m_clock->Seconds());
    if (seconds.size() == 1)
        seconds = "0" + seconds;
    set("TimeMinutes", "text", IntToString(m_clock->Minutes()));
    set("TimeSeconds", "text", seconds);
    set("LeftScore", "text", IntToString(m_teams[0]->GetGoals()));
    set("RightScore", "text", IntToString(m_teams[1]->GetGoals()));
    for (int side = 0; side < kSides; ++side)
        UpdatePlayerHud(*hud, side);
    for (const auto& team : m_teams) {
        if (Character* holder = team->GetBallHolder()) {
            set("PowerBar", "level", FloatToString(holder->GetPower()));
            break;
        }
    }
}

void PitchSimulation::UpdatePlayerHud(const Cast& hud, int side)
{
    Character* player = m_teams[static_cast<size_t>(side)]->GetControlledPlayers().GetSelected();
    if (!player)
        return;
    const PlayerHud& names = kPlayerHuds[side];
    const auto set = [&](const char* element, const char* parameter, const std::string& value) {
        SetHud(hud, element, parameter, value);
    };
    const CharacterVariation& stats = *player->GetVariation();
    set(names.name, "color", names.nameColor);
    set(names.name, "text", stats.GetDisplayName());
    set(names.defaultLevel, "level", FloatToString(stats.energy.level / 100.0f));
    set(names.meter, "level", FloatToString(stats.energy.current / 100.0f));
    set(names.meter, "color", EnergyColor(stats.energy.current));
    if (m_cardDisplay) {
        auto* card = dynamic_cast<HudElement*>(CastManager::Instance()->FindObject(names.yellowCard));
        if (card && card->GetItem())
            card->GetItem()->SetVisible(player->IsBooked());
    }
    set(names.energyValue, "text", Truncated(stats.energy.level));
    set(names.speedValue, "text", Truncated(stats.speed.level));
    set(names.shootingValue, "text", Truncated(stats.shooting.level));
}

void PitchSimulation::SetHudElements(uint32_t mask)
{
    m_hudMask = mask;
    Cast* hud = CastManager::Instance()->GetCast(kHudCast);
    if (!hud)
        return;
    std::vector<std::string_view> shown;
    for (const HudGroup& group : kHudGroups) {
        if (mask & group.bit)
            shown.insert(shown.end(), group.names.begin(), group.names.end());
    }
    for (int i = 0; i < hud->GetMemberCount(); ++i) {
        const CastMember* member = hud->GetMember(i);
        auto* element = dynamic_cast<HudElement*>(member->object);
        if (!element || !element->GetItem())
            continue;
        const std::string& name = member->name;
        if (name.starts_with("EnergyMeter"))
            element->GetItem()->SetColorParameterUsed(true);
        element->GetItem()->SetVisible(std::find(shown.begin(), shown.end(), name) != shown.end());
    }
}

void PitchSimulation::Render()
{
    // Drawing here only makes pictures: where nobody sees them (a headless run's null device)
    // the pitch, its players and its HUD are neither culled nor drawn.
    if (!RwDeviceShowsPictures())
        return;
    m_world->Render();
    for (const auto& team : m_teams)
        team->Render();
    if (m_referee)
        m_referee->Render();
    m_ball->Render();
    m_world->Reset();
    if (ReplayEngine::Instance()->IsReplaying())
        return;
    for (const char* name : {kHudCast, kPenaltyHudCast}) {
        if (const Cast* cast = CastManager::Instance()->GetCast(name))
            RenderCast(*cast);
    }
}

RenderObject* PitchSimulation::GetSceneObject() const { return m_world.get(); }

void PitchSimulation::RandomizeTeamStrategies()
{
    for (const auto& manager : m_managers)
        if (manager)
            manager->ChooseTactics();
}
