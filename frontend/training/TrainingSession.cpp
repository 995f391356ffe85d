#include "frontend/training/TrainingSession.h"

#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/training/TrainingDrill.h"
#include "frontend/training/TrainingMode.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "settings/TrainingSettings.h"
#include "simulation/Ball.h"

#include <algorithm>
#include <cstdio>

namespace {

// The defenders the dribbler has to pass.
constexpr size_t kDefenders = 4;

void SetRagBall(bool rag)
{
    if (Ball* ball = PitchSimulation::Instance()->GetBall())
        ball->SetTournamentBall(!rag);
}

// The team's entry of the member, or null.
const TeamDescription::Member* EntryOf(const TeamDescription& team, const CharacterVariation* member)
{
    if (!member)
        return nullptr;
    for (const auto& entry : team.GetMembers())
        if (entry.variation == member->GetKeyName())
            return &entry;
    return nullptr;
}

const TeamDescription::Member* KeeperOf(const TeamDescription& team)
{
    for (const auto& entry : team.GetMembers())
        if (entry.isSub)
            return &entry;
    return nullptr;
}

bool IsChosen(const std::string& name)
{
    const TrainingSettings* settings = TrainingSettings::Instance();
    return std::any_of(std::begin(settings->chosen), std::end(settings->chosen),
                       [&](const CharacterVariation* member) { return member && member->GetKeyName() == name; });
}

void Append(std::vector<MatchSetup::Member>& to, const TeamDescription::Member* entry, bool keeper)
{
    if (entry)
        to.push_back({entry->variation, keeper});
}

// The member picked for a one-player drill, or null.
CharacterVariation* Picked()
{
    const TrainingSettings* settings = TrainingSettings::Instance();
    const int index = settings->chosenIndex;
    return index >= 0 && index < TrainingSettings::kChosen ? settings->chosen[index] : nullptr;
}

void RaiseBy(CharacterVariation* member, Statistic CharacterVariation::*statistic, float points)
{
    if (member)
        (member->*statistic).RaiseLevel(points);
}

}  // namespace

TrainingSession::TrainingSession(int mode) : m_mode(mode) {}

TrainingSession::~TrainingSession() { StateSlot::Set(&m_child, nullptr, false); }

std::string TrainingSession::LevelFolder()
{
    char folder[32];
    std::snprintf(folder, sizeof folder, "level%02d\\", StoryModeGame::Instance()->GetLevelNumber());
    return FileSystem::Instance()->ExpandAliases("<PP>") + folder;
}

MatchSetup TrainingSession::BuildSetup(int mode, const TeamDescription& team, const std::string& levelFolder)
{
    MatchSetup setup;
    setup.levelFolder = levelFolder;
    setup.teamOne.teamName = kTeamOneName;
    setup.teamTwo.teamName = kTeamTwoName;
    const TeamDescription::Member* pickedEntry = EntryOf(team, Picked());
    auto& one = setup.teamOne.members;
    auto& two = setup.teamTwo.members;
    switch (mode) {
    case TrainingDrill::kPassing:
        for (const auto& entry : team.GetMembers())
            if (one.size() < TrainingSettings::kChosen && IsChosen(entry.variation))
                one.push_back({entry.variation, false});
        break;
    case TrainingDrill::kDribbling:
        Append(one, pickedEntry, false);
        for (const auto& entry : team.GetMembers())
            if (two.size() < kDefenders && &entry != pickedEntry)
                two.push_back({entry.variation, false});
        break;
    case TrainingDrill::kShooting:
        Append(one, pickedEntry, false);
        Append(two, KeeperOf(team), true);
        break;
    case TrainingDrill::kKeeping:
        Append(one, KeeperOf(team), true);
        Append(two, pickedEntry, false);
        break;
    default:
        break;
    }
    return setup;
}

bool TrainingSession::IsPlayable(int mode, const MatchSetup& setup)
{
    const bool one = !setup.teamOne.members.empty();
    const bool two = !setup.teamTwo.members.empty();
    switch (mode) {
    case TrainingDrill::kPassing:
        return one;
    case TrainingDrill::kDribbling:
        return one && setup.teamTwo.members.size() == kDefenders;
    case TrainingDrill::kShooting:
    case TrainingDrill::kKeeping:
        return one && two;
    default:
        return false;
    }
}

void TrainingSession::Enter()
{
    TrainingSettings* settings = TrainingSettings::Instance();
    settings->drillCounter += 1;
    const TeamDescription* team = TeamDescription::Find(StoryModeGame::kStoryTeam);
    if (!team)
        LogError("TrainingSession::Enter: no story team \"%s\"\n", StoryModeGame::kStoryTeam);
    SetRagBall(true);
    if (m_mode == kPrepare) {
        Prepare(team);
    } else if (m_mode == kChooseMember) {
        settings->ChooseMembers(true);
        settings->drillCounter -= 1;
    } else if (m_mode >= kFirstDrill && m_mode <= kLastDrill) {
        StartDrill(team);
    }
}

void TrainingSession::Prepare(const TeamDescription* team)
{
    TrainingSettings* settings = TrainingSettings::Instance();
    settings->ChooseMembers(false);
    settings->drillCounter = 0;
    static const char* const kAttributes[] = {"energy", "speed", "shooting"};
    static Statistic CharacterVariation::*const kStatistics[] = {&CharacterVariation::energy, &CharacterVariation::speed,
                                                                 &CharacterVariation::shooting};
    for (int i = 0; i < TrainingSettings::kChosen; ++i) {
        const CharacterVariation* member = settings->chosen[i];
        for (int k = 0; k < 3; ++k) {
            const std::string key = "%training_player" + std::to_string(i + 1) + "_" + kAttributes[k] + "%";
            Menu::Instance()->SetVariable(
                key, member ? std::to_string(static_cast<int>((member->*kStatistics[k]).level)) : "Not found");
        }
    }
    const TeamDescription::Member* keeper = team ? KeeperOf(*team) : nullptr;
    if (!keeper)
        return;
    settings->keeperName = keeper->variation;
    const CharacterVariation* variation = CharacterVariation::Find(keeper->variation);
    settings->keeperText = variation ? variation->GetDisplayName() : std::string();
}

void TrainingSession::StartDrill(const TeamDescription* team)
{
    TrainingSettings* settings = TrainingSettings::Instance();
    // A drill that does not run earns nothing, rather than the last drill's points again.
    settings->points = 0;
    if (!team)
        return;
    if (m_mode == TrainingDrill::kKeeping) {
        if (const TeamDescription::Member* keeper = KeeperOf(*team)) {
            settings->keeperName = keeper->variation;
            const CharacterVariation* variation = CharacterVariation::Find(keeper->variation);
            settings->keeperText = variation ? variation->GetDisplayName() : std::string();
        }
    }
    MatchSetup setup = BuildSetup(m_mode, *team, LevelFolder());
    if (!IsPlayable(m_mode, setup)) {
        LogError("TrainingSession::Enter: the drill of mode %d lacks a player; it is skipped\n", m_mode);
        return;
    }
    State* drill = TrainingDrill::Make(m_mode);
    if (!drill)
        return;
    StateSlot::Set(&m_child, new IteratingState(new MatchLoading(std::move(setup)), drill), true);
}

State* TrainingSession::Update(float dt)
{
    if (m_child && TrainingDrill::ReadAction("cheat skip"))
        StateSlot::Set(&m_child, nullptr, false);
    StateSlot::Update(&m_child, dt);
    if (m_child)
        return this;
    return new TrainingMode(m_mode < kFirstDrill ? "training_load" : "training_advance");
}

void TrainingSession::Render()
{
    if (m_child)
        m_child->Render();
}

void TrainingSession::Exit()
{
    StateSlot::Set(&m_child, nullptr, false);
    SetRagBall(false);
    TrainingSettings* settings = TrainingSettings::Instance();
    if (settings->drillCounter == 0)
        return;
    RaiseLevels();
    for (CharacterVariation* member : settings->chosen)
        if (member)
            member->energy.current = member->energy.level;
    DebugTrace("TrainingSession::Exit\n");
}

void TrainingSession::RaiseLevels() const
{
    const TrainingSettings* settings = TrainingSettings::Instance();
    const auto points = static_cast<float>(settings->points);
    CharacterVariation* picked = Picked();
    switch (m_mode) {
    case TrainingDrill::kPassing:
        for (CharacterVariation* member : settings->chosen)
            RaiseBy(member, &CharacterVariation::energy, points);
        break;
    case TrainingDrill::kDribbling:
        RaiseBy(picked, &CharacterVariation::speed, points);
        break;
    case TrainingDrill::kShooting:
        RaiseBy(picked, &CharacterVariation::shooting, points);
        break;
    case TrainingDrill::kKeeping:
        if (CharacterVariation* keeper = CharacterVariation::Find(settings->keeperName)) {
            for (auto statistic : {&CharacterVariation::speed, &CharacterVariation::energy, &CharacterVariation::shooting})
                RaiseBy(keeper, statistic, points);
            keeper->energy.current = keeper->energy.level;
        }
        break;
    default:
        break;
    }
}

REGISTER_MENU_CODE(TrainingSession);
