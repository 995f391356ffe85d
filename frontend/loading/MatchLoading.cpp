#include "frontend/loading/MatchLoading.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "frontend/story/StoryModeGame.h"
#include "menus/LoadingScreen.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "scene/GameElementRegistry.h"
#include "scene/GameElements.h"
#include "settings/GameParameters.h"
#include "settings/MatchStatistics.h"

#include <array>
#include <memory>

bool MatchLoading::s_charactersLoaded = false;

namespace {

constexpr float kExpectedLoadSeconds = 10.0f;
constexpr const char* kStoryTeam = "Panda01";
constexpr const char* kWorldFile = "<LP>\\Objects\\Level.bsp";
constexpr const char* kWorldTextures = "<LP><TP>";
constexpr const char* kHudNames[2] = {"LeftTeamName", "RightTeamName"};
constexpr Color kWhite = Color::White;
constexpr Color kBlack = Color::OpaqueBlack;
constexpr Color kYellow(1.0f, 1.0f, 0.0f, 1.0f);
constexpr Color kKeeperNumberColour = kBlack;

void Progress()
{
    LoadingScreen::Instance()->Update();
}

CharacterVariation* FindVariation(const std::string& name, const char* step)
{
    CharacterVariation* variation = CharacterVariation::Find(name);
    if (!variation)
        LogError("MatchLoading::%s: no character variation \"%s\"; its statistics are not kept\n", step, name.c_str());
    return variation;
}

}  // namespace

// The story team survives the reload of the casts: its members, its name and its trained
// statistics are taken aside before and put back after.
struct MatchLoading::StorySave {
    bool found = false;
    std::vector<Member> members;
    std::string teamName;
    // Energy, speed and shooting of each member, in member order.
    std::vector<std::array<Statistic, 3>> statistics;

    void Take()
    {
        const TeamDescription* team = TeamDescription::Find(kStoryTeam);
        if (!team) {
            LogError("MatchLoading::Update: no team description \"%s\"; the story team is not kept\n", kStoryTeam);
            return;
        }
        found = true;
        members = team->GetMembers();
        teamName = team->GetTeamName();
        statistics.resize(members.size());
        for (size_t i = 0; i < members.size(); ++i)
            if (const CharacterVariation* variation = FindVariation(members[i].variation, "Update"))
                statistics[i] = {variation->energy, variation->speed, variation->shooting};
    }

    void Restore() const
    {
        TeamDescription* team = found ? TeamDescription::Find(kStoryTeam) : nullptr;
        if (!team)
            return;
        team->GetMembers() = members;
        team->SetTeamName(teamName);
        for (size_t i = 0; i < members.size(); ++i) {
            if (CharacterVariation* variation = CharacterVariation::Find(members[i].variation)) {
                variation->energy = statistics[i][0];
                variation->speed = statistics[i][1];
                variation->shooting = statistics[i][2];
            }
        }
    }
};

MatchLoading::MatchLoading(std::string levelFolder, std::string side0Name, std::vector<Member> side0Members,
                           int32_t side0BenchCount, std::string side1Name, std::vector<Member> side1Members,
                           int32_t side1BenchCount, bool createReferee, float aiAggression, bool fullBenches,
                           bool spectators)
    : m_levelFolder(std::move(levelFolder)),
      m_sides{{std::move(side0Name), std::move(side0Members), side0BenchCount},
              {std::move(side1Name), std::move(side1Members), side1BenchCount}},
      m_createReferee(createReferee),
      m_aiAggression(aiAggression),
      m_fullBenches(fullBenches),
      m_spectators(spectators)
{
}

MatchLoading::MatchLoading(MatchSetup setup)
    : MatchLoading(std::move(setup.levelFolder), std::move(setup.teamOne.teamName), std::move(setup.teamOne.members),
                   setup.teamOne.benchCount, std::move(setup.teamTwo.teamName), std::move(setup.teamTwo.members),
                   setup.teamTwo.benchCount, setup.createReferee, setup.computerAggression, setup.showBenches,
                   setup.showSpectators)
{
}

State* MatchLoading::RunAtOnce(MatchSetup setup)
{
    State* current = nullptr;
    StateSlot::Set(&current, new MatchLoading(std::move(setup)), true);
    StateSlot::Update(&current, 0.0f);
    return current;
}

Color MatchLoading::NumberColour(int32_t shirtIndex)
{
    constexpr Color byIndex[] = {kWhite, kBlack, kYellow, kWhite, kBlack, kWhite, kBlack, kYellow};
    if (shirtIndex < 0 || shirtIndex >= static_cast<int32_t>(std::size(byIndex)))
        return kBlack;
    return byIndex[shirtIndex];
}

State* MatchLoading::Update(float)
{
    LoadingScreen* screen = LoadingScreen::Instance();
    // The picture at once: the bar waits its two seconds, the player does not wait in black.
    screen->Show(kExpectedLoadSeconds, true);
    Progress();
    PitchSimulation* pitch = PitchSimulation::Instance();
    pitch->SetupMatch();
    pitch->RecreateTeams();
    Progress();
    LoadLevel(StoryModeGame::Instance()->active);
    const int players = GameParameters::Instance()->GetChosenPlayers();
    SetControllers(players);
    BuildSide(0);
    BuildSide(1);
    Progress();
    screen->Finish();
    if (m_createReferee)
        pitch->CreateReferee();
    ResetClock();
    FinishStatistics(players);
    screen->Hide();
    return nullptr;
}

void MatchLoading::LoadLevel(bool story)
{
    const bool levelChanged = SetLevelAliases();
    TBWorld* world = PitchSimulation::Instance()->GetWorld();
    world->Load(kWorldFile, kWorldTextures);
    Progress();
    StorySave save;
    if (story) {
        save.Take();
        Progress();
    }
    LoadCasts(levelChanged, !s_charactersLoaded);
    s_charactersLoaded = true;
    world->ShowShortBenches(!m_fullBenches);
    world->ShowBenches(m_fullBenches);
    world->ShowSpectators(m_spectators);
    Progress();
    if (story) {
        save.Restore();
        Progress();
    }
}

bool MatchLoading::SetLevelAliases()
{
    FileSystem* files = FileSystem::Instance();
    files->RemoveAlias("<LP>");
    m_levelFolder = files->ExpandAliases(m_levelFolder);
    files->AddAlias("<LP>", m_levelFolder.c_str());
    const std::string settingsFolder = m_levelFolder + "settings\\";
    const bool changed = !PitchSimulation::Instance()->GetWorld()->IsLoaded(kWorldFile, kWorldTextures) ||
                         files->ExpandAliases("<SP>") != files->ExpandAliases(settingsFolder);
    files->RemoveAlias("<SP>");
    files->AddAlias("<SP>", settingsFolder.c_str());
    return changed;
}

void MatchLoading::LoadCasts(bool objects, bool characters)
{
    if (GameElementRegistry* elements = GameElementRegistry::Current())
        elements->LoadOrSaveCasts(true, objects, characters);
}

void MatchLoading::SetControllers(int players)
{
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const std::string name = side < players ? "(" + std::to_string(side) + "):" : "ai";
        PitchSimulation::Instance()->GetTeam(side)->GetControlledPlayers().SetControllerName(name);
        Progress();
    }
}

int32_t MatchLoading::ShirtIndex(int side) const
{
    if (!StoryModeGame::Instance()->active)
        return GameParameters::Instance()->shirts[Index(side)];
    const StoryModeGame* career = StoryModeGame::Instance();
    if (side == 0)
        return career->teamColor;
    // The opponent never wears the story team's colour.
    return career->round >= career->teamColor ? career->round + 1 : career->round;
}

void MatchLoading::BuildSide(int side)
{
    const Side& entry = m_sides[Index(side)];
    if (const Cast* hud = CastManager::Instance()->GetCast("hud"))
        HudElement::SetItemParameter(*hud, kHudNames[side], "text", entry.name.c_str());
    if (side == 0)
        Progress();
    const int32_t shirt = ShirtIndex(side);
    const std::string shirtFolder = "shirt0" + std::to_string(shirt);
    const Color numberColour = NumberColour(shirt);
    Progress();
    SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(side);
    const auto onPitch = static_cast<int32_t>(entry.members.size()) - entry.benchCount;
    int32_t number = 2;
    for (size_t k = 0; k < entry.members.size(); ++k) {
        AddMember(team, entry.members[k], shirtFolder, numberColour, number, static_cast<int32_t>(k) >= onPitch);
        Progress();
    }
}

void MatchLoading::AddMember(SoccerTeam& team, const Member& member, const std::string& shirtFolder,
                             const Color& numberColour, int32_t& nextNumber, bool toBench)
{
    const bool keeper = member.isSub;
    auto character =
        std::make_unique<Character>(keeper ? Character::kGoalkeeper : Character::kFieldPlayer, member.variation, &team);
    const CharacterVariation* variation = character->GetVariation();
    const std::string race = variation ? variation->GetRaceName() : std::string();
    const std::string& name = member.variation;
    const std::string folder = keeper ? "var" + name.substr(name.size() < 2 ? 0 : name.size() - 2) : shirtFolder;
    const std::string number = keeper ? "1" : std::to_string(nextNumber++);
    const std::string textureSet = FileSystem::Instance()->GetAlias("<TP>");
    const std::string shirtPath = "<PP>\\Characters\\" + race + "\\" + textureSet + folder + "\\" + race + "_shirt.png";
    const std::string numberPath = "<PP>\\Characters\\" + textureSet + "ShirtNumber_" + number + ".png";
    if (Actor* actor = character->GetActor())
        DressShirt(*actor, shirtPath, numberPath, keeper ? kKeeperNumberColour : numberColour, race == "Rhino");
    if (toBench)
        team.SendToBench(character.release());
    else
        team.AddPlayer(std::move(character));
}

void MatchLoading::DressShirt(Actor& actor, const std::string& shirtPath, const std::string& numberPath,
                              const Color& numberColour, bool mirror)
{
    FileSystem* files = FileSystem::Instance();
    actor.SetShirtTexture(files->ExpandAliases(shirtPath), files->ExpandAliases(numberPath), numberColour, mirror);
}

void MatchLoading::ResetClock()
{
    const int32_t index = StoryModeGame::Instance()->active ? StoryModeGame::Instance()->halftimeDuration + 1
                                : GameParameters::Instance()->halftimeDuration;
    if (index >= 0 && index < kClockRateCount)
        PitchSimulation::Instance()->ResetMatchClock(&kClockRates[index]);
}

void MatchLoading::FinishStatistics(int players)
{
    MatchStatistics* statistics = MatchStatistics::Instance();
    statistics->Reset();
    statistics->teamNames[0] = m_sides[0].name;
    statistics->teamNames[1] = m_sides[1].name;
    PitchSimulation* pitch = PitchSimulation::Instance();
    pitch->GetTeam(0)->SetAggression(players >= 1 ? 0.0f : m_aiAggression);
    pitch->GetTeam(1)->SetAggression(players >= 2 ? 0.0f : m_aiAggression);
}
