#include "frontend/loading/MatchLoading.h"

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "frontend/FrontEndStates.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "menus/LoadingScreen.h"
#include "pitch/PitchSimulation.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "settings/GameParameters.h"
#include "settings/MatchStatistics.h"
#include "simulation/MatchClock.h"
#include "tests/support/HarnessSuite.h"
#include "tests/support/HudText.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <memory>
#include <string>
#include <vector>

namespace {

using Members = std::vector<MatchLoading::Member>;

std::string ColourName(const Color& colour)
{
    if (colour == Color(1, 1, 1, 1))
        return "white";
    if (colour == Color(0, 0, 0, 1))
        return "black";
    if (colour == Color(1, 1, 0, 1))
        return "yellow";
    return "other";
}

// Records the casts it loads and the shirts it puts on, then does both.
class RecordingLoad : public MatchLoading {
public:
    using MatchLoading::MatchLoading;

    struct Shirt {
        std::string shirt;
        std::string number;
        std::string colour;
        bool mirror;
        bool operator==(const Shirt&) const = default;
    };

    std::vector<std::string> casts;
    std::vector<Shirt> shirts;
    bool pictureWhileLoading = false;

protected:
    void LoadCasts(bool objects, bool characters) override
    {
        casts.push_back(std::string("objects ") + (objects ? "1" : "0") + " characters " + (characters ? "1" : "0"));
        pictureWhileLoading = LoadingScreen::Instance()->IsPictureShown();
        MatchLoading::LoadCasts(objects, characters);
    }
    void DressShirt(Actor& actor, const std::string& shirtPath, const std::string& numberPath, const Color& colour,
                    bool mirror) override
    {
        shirts.push_back({shirtPath, numberPath, ColourName(colour), mirror});
        MatchLoading::DressShirt(actor, shirtPath, numberPath, colour, mirror);
    }
};

Members MembersOf(const char* description)
{
    const TeamDescription* team = TeamDescription::Find(description);
    return team ? team->GetMembers() : Members{};
}

std::string ControllerOf(int side)
{
    return PitchSimulation::Instance()->GetTeam(side)->GetControlledPlayers().GetControllerName();
}

class MatchLoadingTest : public HarnessSuite {
protected:
    static void SetUpTestSuite() { StartHarness("XXL"); }

    void SetUp() override
    {
        // A load reads the user file again: one a test stored must not reach the next.
        std::filesystem::remove_all("data/SaveGames");
        FileSystem::Instance()->InvalidateDiskCache();
        GameParameters* parameters = GameParameters::Instance();
        parameters->SetParameter("players", "1");
        parameters->halftimeDuration = 0;
        parameters->shirts[0] = 0;
        parameters->shirts[1] = 3;
        StoryModeGame::Instance()->active = false;
    }

    static std::unique_ptr<RecordingLoad> Load(const std::string& level, Members side0, Members side1,
                                               int32_t bench0 = 0, float aggression = 10.0f)
    {
        auto load = std::make_unique<RecordingLoad>("<PP>" + level + "\\", "Pandas", std::move(side0), bench0,
                                                    "Lizards", std::move(side1), 0, true, aggression, false, true);
        load->Enter();
        EXPECT_EQ(load->Update(0.0f), nullptr);
        load->Exit();
        return load;
    }

};

TEST_F(MatchLoadingTest, FirstLoadSetsTheLevelAliasesTheSidesTheRefereeAndTheStatistics)
{
    MatchLoading::ForgetCharactersLoaded();
    GameParameters::Instance()->halftimeDuration = 2;
    MatchStatistics::Instance()->fouls[1] = 4;
    const auto first = Load("level01", MembersOf("Panda01"), MembersOf("Lizard01"));
    FileSystem* files = FileSystem::Instance();
    const std::string folder = files->ExpandAliases("<PP>level01\\");
    EXPECT_EQ(files->GetAlias("<LP>"), folder);
    EXPECT_EQ(files->GetAlias("<SP>"), folder + "settings\\");
    EXPECT_EQ(first->GetLevelFolder(), folder);
    EXPECT_EQ(first->casts, (std::vector<std::string>{"objects 1 characters 1"}));
    EXPECT_TRUE(MatchLoading::CharactersLoaded());
    // The loading picture stands on the screen from the start of the load, and goes with it.
    EXPECT_TRUE(first->pictureWhileLoading);
    EXPECT_FALSE(LoadingScreen::Instance()->IsPictureShown());

    PitchSimulation* pitch = PitchSimulation::Instance();
    EXPECT_EQ(pitch->GetTeam(0)->GetPlayerCount(), 5);
    EXPECT_EQ(pitch->GetTeam(1)->GetPlayerCount(), 5);
    EXPECT_TRUE(pitch->GetTeam(0)->GetBench().empty());
    ASSERT_NE(pitch->GetReferee(), nullptr);
    EXPECT_EQ(pitch->GetReferee()->GetKind(), Character::kReferee);
    EXPECT_EQ(pitch->GetTeam(1)->GetPlayer(0)->GetVariation()->GetKeyName(), "LizardGk00");
    EXPECT_EQ(HudText("LeftTeamName"), "Pandas");
    EXPECT_EQ(HudText("RightTeamName"), "Lizards");
    EXPECT_EQ(MatchStatistics::Instance()->teamNames[0], "Pandas");
    EXPECT_EQ(MatchStatistics::Instance()->teamNames[1], "Lizards");
    EXPECT_EQ(MatchStatistics::Instance()->fouls[1], 0);
    EXPECT_EQ(*pitch->GetClock()->GetRate(), 6.0f);
    EXPECT_EQ(pitch->GetClock()->GetTime(), 0.0f);

    // The same level again: nothing changed, and the characters are read once only.
    GameParameters::Instance()->halftimeDuration = 7;
    const float* rate = pitch->GetClock()->GetRate();
    const auto second = Load("level01", MembersOf("Panda01"), MembersOf("Lizard01"));
    EXPECT_EQ(second->casts, (std::vector<std::string>{"objects 0 characters 0"}));
    EXPECT_EQ(pitch->GetClock()->GetRate(), rate);
    const auto other = Load("level02", MembersOf("Panda01"), MembersOf("Lizard01"));
    EXPECT_EQ(other->casts, (std::vector<std::string>{"objects 1 characters 0"}));
    EXPECT_EQ(files->GetAlias("<SP>"), files->ExpandAliases("<PP>level02\\settings\\"));
}

TEST_F(MatchLoadingTest, PlayersChooseTheControllersAndTheAggressions)
{
    struct Case {
        const char* players;
        std::string controllers[2];
        float aggressions[2];
    };
    const Case cases[] = {
        {"0", {"ai", "ai"}, {7.5f, 7.5f}},
        {"1", {"(0):", "ai"}, {0.0f, 7.5f}},
        {"2", {"(0):", "(1):"}, {0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        GameParameters::Instance()->SetParameter("players", c.players);
        Load("level01", MembersOf("Panda01"), MembersOf("Lizard01"), 0, 7.5f);
        for (int side = 0; side < 2; ++side) {
            EXPECT_EQ(ControllerOf(side), c.controllers[side]) << c.players << " side " << side;
            EXPECT_EQ(PitchSimulation::Instance()->GetTeam(side)->GetAggression(), c.aggressions[side])
                << c.players << " side " << side;
        }
    }
}

TEST_F(MatchLoadingTest, TheLastMembersGoToTheBench)
{
    Members seven = MembersOf("Panda01");
    seven.push_back({"PandaPl04", false});
    seven.push_back({"PandaPl05", false});
    Load("level01", seven, MembersOf("Lizard01"), 2);
    const SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(0);
    ASSERT_EQ(team.GetPlayerCount(), 5);
    ASSERT_EQ(team.GetBench().size(), 2u);
    EXPECT_EQ(team.GetBench()[0]->GetVariation()->GetKeyName(), "PandaPl04");
    EXPECT_EQ(team.GetBench()[1]->GetVariation()->GetKeyName(), "PandaPl05");
    EXPECT_EQ(team.GetPlayer(4)->GetVariation()->GetKeyName(), "PandaPl03");
}

TEST_F(MatchLoadingTest, ShirtsCarryNumbersInListOrderAndColoursByIndex)
{
    GameParameters::Instance()->shirts[0] = 2;
    GameParameters::Instance()->shirts[1] = 6;
    // The loading reads the user file again: the choice stands there, as the menus store it.
    ASSERT_TRUE(SaveSettings(CastManager::Instance()->GetCast("user"), "Data\\SaveGames\\user.txt"));
    // The keeper second, to see that numbers skip him.
    const Members pandas = {{"PandaPl00", false}, {"PandaGk00", true}, {"PandaPl01", false}};
    const Members rhinos = {{"RhinoGk01", true}, {"RhinoPl04", false}};
    const auto load = Load("level01", pandas, rhinos);
    const std::string set = FileSystem::Instance()->GetAlias("<TP>");
    const std::string characters = "<PP>\\Characters\\";
    using Shirt = RecordingLoad::Shirt;
    const std::vector<Shirt> expected = {
        {characters + "Panda\\" + set + "shirt02\\Panda_shirt.png", characters + set + "ShirtNumber_2.png", "yellow",
         false},
        {characters + "Panda\\" + set + "var00\\Panda_shirt.png", characters + set + "ShirtNumber_1.png", "black",
         false},
        {characters + "Panda\\" + set + "shirt02\\Panda_shirt.png", characters + set + "ShirtNumber_3.png", "yellow",
         false},
        {characters + "Rhino\\" + set + "var01\\Rhino_shirt.png", characters + set + "ShirtNumber_1.png", "black",
         true},
        {characters + "Rhino\\" + set + "shirt06\\Rhino_shirt.png", characters + set + "ShirtNumber_2.png", "black",
         true},
    };
    EXPECT_EQ(load->shirts, expected);
    // A stored index past the table (the user file is clamped first) still gets a colour.
    EXPECT_EQ(ColourName(MatchLoading::NumberColour(9)), "black");
}

// The career's colours and clock take the place of the menus' choices.
TEST_F(MatchLoadingTest, StoryModeColoursAndClockComeFromTheCareer)
{
    struct Case {
        int32_t round;
        int32_t teamColour;
        std::string shirts[2];
    };
    const Case cases[] = {
        {3, 3, {"shirt03", "shirt04"}},
        {3, 5, {"shirt05", "shirt03"}},
        {0, 0, {"shirt00", "shirt01"}},
    };
    StoryModeGame* career = StoryModeGame::Instance();
    for (const Case& c : cases) {
        career->active = true;
        career->round = c.round;
        career->teamColor = c.teamColour;
        career->halftimeDuration = 1;
        GameParameters::Instance()->halftimeDuration = 5;
        const auto load = Load("level01", {{"PandaPl00", false}}, {{"LizardPl00", false}});
        career->active = false;
        ASSERT_EQ(load->shirts.size(), 2u);
        for (int side = 0; side < 2; ++side)
            EXPECT_NE(load->shirts[side].shirt.find("\\" + c.shirts[side] + "\\"), std::string::npos)
                << c.round << " " << c.teamColour << ": " << load->shirts[side].shirt;
        EXPECT_EQ(*PitchSimulation::Instance()->GetClock()->GetRate(), 6.0f);
    }
}

// The career's members, name and trained statistics survive the cast reload of the load.
TEST_F(MatchLoadingTest, StoryTeamSurvivesTheReloadOfTheCasts)
{
    TeamDescription* team = TeamDescription::Find("Panda01");
    ASSERT_NE(team, nullptr);
    const Members career = {{"PandaGk00", true}, {"PandaPl00", false}, {"PandaPl06", false}};
    const auto trained = [&](const std::string& name, float base) {
        const CharacterVariation* variation = CharacterVariation::Find(name);
        return variation->energy.level == base && variation->speed.level == base + 1.0f &&
               variation->shooting.level == base + 2.0f && variation->shooting.current == base - 30.0f;
    };
    for (const bool story : {true, false}) {
        team->GetMembers() = career;
        team->SetTeamName("Career Pandas");
        for (size_t i = 0; i < career.size(); ++i) {
            CharacterVariation* variation = CharacterVariation::Find(career[i].variation);
            const float base = 90.0f + static_cast<float>(i);
            variation->energy.level = base;
            variation->speed.level = base + 1.0f;
            variation->shooting.level = base + 2.0f;
            variation->shooting.current = base - 30.0f;
        }
        StoryModeGame::Instance()->active = story;
        MatchLoading::ForgetCharactersLoaded();
        Load("level01", {{"PandaPl00", false}}, {{"LizardPl00", false}});
        StoryModeGame::Instance()->active = false;
        EXPECT_EQ(team->GetTeamName() == "Career Pandas", story);
        EXPECT_EQ(team->GetMembers().size() == career.size(), story);
        for (size_t i = 0; i < career.size(); ++i)
            EXPECT_EQ(trained(career[i].variation, 90.0f + static_cast<float>(i)), story) << story << " " << i;
    }
    EXPECT_FALSE(LoadingScreen::Instance()->IsActive());
}

TEST_F(MatchLoadingTest, AStoryLoadWithoutTheStoryTeamIsLoggedAndGoesOn)
{
    Cast* teams = CastManager::Instance()->GetCast("Teams");
    CastMember* member = teams->FindByName("Descriptions|Panda01");
    ASSERT_NE(member, nullptr);
    Object* description = member->object;
    teams->RemoveMember(description);
    LogCapture log;
    StoryModeGame::Instance()->active = true;
    Load("level01", {{"PandaPl00", false}}, {{"LizardPl00", false}});
    StoryModeGame::Instance()->active = false;
    teams->AddMember(description, "Descriptions|Panda01", false);
    EXPECT_TRUE(log.Contains("\"Panda01\""));
    EXPECT_EQ(PitchSimulation::Instance()->GetTeam(0)->GetPlayerCount(), 1);
}

}  // namespace
