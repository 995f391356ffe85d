// The training session: the preparation, the choice of the member for a drill, the sides each
// drill loads, and the points turned into levels when it ends.
#include "frontend/training/TrainingDrill.h"
#include "frontend/training/TrainingSession.h"

#include "framework/Cast.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "pitch/PitchSimulation.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "simulation/Ball.h"
#include "support/TrainingSuite.h"
#include "tests/support/LogCapture.h"
#include "text/TextManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TrainingSessionTest : public TrainingSuite {
protected:
    void Select(const std::vector<CharacterVariation*>& picks)
    {
        TrainingSettings::Instance()->selection.clear();
        for (CharacterVariation* pick : picks)
            TrainingSettings::Instance()->selection.push_back({pick});
    }
    // Enters and exits a session that starts no drill; the rag ball is in play meanwhile.
    static void RunChoice(int mode)
    {
        const Ball* ball = PitchSimulation::Instance()->GetBall();
        ASSERT_NE(ball, nullptr);
        TrainingSession session(mode);
        session.Enter();
        EXPECT_EQ(session.GetChild(), nullptr);
        EXPECT_FALSE(ball->IsTournamentBall());
        session.Exit();
        EXPECT_TRUE(ball->IsTournamentBall());
    }
    static std::vector<std::string> Names(const std::vector<MatchSetup::Member>& side)
    {
        std::vector<std::string> names;
        for (const auto& member : side)
            names.push_back(member.variation + (member.isSub ? " keeper" : ""));
        return names;
    }
};

TEST_F(TrainingSessionTest, PreparationChoosesTheSelectionsSecondToFourthAndStartsAtTheFirstDrill)
{
    TrainingSettings* settings = TrainingSettings::Instance();
    settings->drillCounter = 3;
    members[1]->speed.SetLevel(77.6f);
    Select({keeper, members[3], members[1], members[0]});
    RunChoice(TrainingSession::kPrepare);
    EXPECT_EQ(settings->chosen[0], members[3]);
    EXPECT_EQ(settings->chosen[1], members[1]);
    EXPECT_EQ(settings->chosen[2], members[0]);
    EXPECT_EQ(settings->drillCounter, 0);
    EXPECT_EQ(Variable("%training_player2_speed%"), "77");
    EXPECT_EQ(settings->keeperName, keeper->GetKeyName());
    EXPECT_EQ(settings->keeperText, keeper->GetDisplayName());

    // A short selection leaves the places it does not reach as they were.
    Select({keeper, members[2]});
    RunChoice(TrainingSession::kPrepare);
    EXPECT_EQ(settings->chosen[0], members[2]);
    EXPECT_EQ(settings->chosen[1], members[1]);
    EXPECT_EQ(settings->chosen[2], members[0]);
}

TEST_F(TrainingSessionTest, ChoiceRecordsOnlyWhoPlaysTheNextDrill)
{
    TrainingSettings* settings = TrainingSettings::Instance();
    settings->drillCounter = 2;
    settings->points = 5;
    const float speed = members[1]->speed.level;
    Select({members[1]});
    RunChoice(TrainingSession::kChooseMember);
    EXPECT_EQ(settings->chosenIndex, 1);
    EXPECT_EQ(settings->drillCounter, 2);
    EXPECT_EQ(members[1]->speed.level, speed);

    // Someone not among the chosen changes nothing.
    Select({keeper});
    RunChoice(TrainingSession::kChooseMember);
    EXPECT_EQ(settings->chosenIndex, 1);
}

TEST_F(TrainingSessionTest, EndOfADrillRaisesWhatTheDrillTrainsAndRefillsEnergy)
{
    struct Case {
        const char* what;
        int mode;
        int points;
        float startLevel;
        // Raised levels, member by member (the three chosen, then the keeper) and
        // attribute by attribute (energy, speed, shooting).
        std::vector<std::vector<float>> expected;
    };
    const Case cases[] = {
        {"passing: every chosen member's energy", TrainingDrill::kPassing, 3, 60.0f,
         {{63, 60, 60}, {63, 60, 60}, {63, 60, 60}, {60, 60, 60}}},
        {"dribbling: the picked member's speed", TrainingDrill::kDribbling, 4, 60.0f,
         {{60, 60, 60}, {60, 64, 60}, {60, 60, 60}, {60, 60, 60}}},
        {"shooting: the picked member's shooting", TrainingDrill::kShooting, 2, 60.0f,
         {{60, 60, 60}, {60, 60, 62}, {60, 60, 60}, {60, 60, 60}}},
        {"keeping: all of the keeper's values", TrainingDrill::kKeeping, 6, 60.0f,
         {{60, 60, 60}, {60, 60, 60}, {60, 60, 60}, {66, 66, 66}}},
        {"no points raise nothing", TrainingDrill::kKeeping, 0, 60.0f,
         {{60, 60, 60}, {60, 60, 60}, {60, 60, 60}, {60, 60, 60}}},
        {"a level stops at 100", TrainingDrill::kPassing, 5, 98.0f,
         {{100, 98, 98}, {100, 98, 98}, {100, 98, 98}, {98, 98, 98}}},
        {"100 stays 100", TrainingDrill::kPassing, 5, 100.0f,
         {{100, 100, 100}, {100, 100, 100}, {100, 100, 100}, {100, 100, 100}}},
    };
    const std::vector<CharacterVariation*> trained = {members[0], members[1], members[2], keeper};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrainingSettings* settings = TrainingSettings::Instance();
        settings->keeperName = keeper->GetKeyName();
        settings->chosenIndex = 1;
        settings->drillCounter = c.mode - 1;
        settings->points = c.points;
        for (CharacterVariation* member : trained)
            for (Statistic* statistic : {&member->energy, &member->speed, &member->shooting}) {
                statistic->SetLevel(c.startLevel);
                statistic->current = 10.0f;
            }
        TrainingSession session(c.mode);
        LogCapture log;
        session.Exit();
        // Its trace line goes nowhere: the log is for what goes wrong.
        EXPECT_EQ(log.Text(), "");
        std::vector<std::vector<float>> levels;
        for (const CharacterVariation* member : trained)
            levels.push_back({member->energy.level, member->speed.level, member->shooting.level});
        EXPECT_EQ(levels, c.expected);
        for (int i = 0; i < TrainingSettings::kChosen; ++i)
            EXPECT_EQ(members[static_cast<size_t>(i)]->energy.current, members[static_cast<size_t>(i)]->energy.level);
        EXPECT_EQ(keeper->energy.current == keeper->energy.level, c.mode == TrainingDrill::kKeeping);
    }
}

TEST_F(TrainingSessionTest, AMissingMemberIsLeftOut)
{
    TrainingSettings* settings = TrainingSettings::Instance();
    settings->chosen[1] = nullptr;
    settings->drillCounter = 1;
    settings->points = 2;
    members[0]->energy.SetLevel(60.0f);
    TrainingSession(TrainingDrill::kPassing).Exit();
    EXPECT_EQ(members[0]->energy.level, 62.0f);

    const MatchSetup passing = TrainingSession::BuildSetup(TrainingDrill::kPassing, *team, "");
    EXPECT_EQ(Names(passing.teamOne.members),
              (std::vector<std::string>{members[0]->GetKeyName(), members[2]->GetKeyName()}));
    settings->chosenIndex = 1;
    for (int mode : {TrainingDrill::kDribbling, TrainingDrill::kShooting, TrainingDrill::kKeeping})
        EXPECT_FALSE(TrainingSession::IsPlayable(mode, TrainingSession::BuildSetup(mode, *team, ""))) << mode;

    // The session then starts no drill and the drill earns nothing.
    settings->points = 4;
    TrainingSession session(TrainingDrill::kShooting);
    session.Enter();
    EXPECT_EQ(session.GetChild(), nullptr);
    EXPECT_EQ(settings->points, 0);
    session.Exit();
}

TEST_F(TrainingSessionTest, EachDrillLoadsTheSidesItPlaysWith)
{
    TrainingSettings::Instance()->chosen[0] = members[2];
    TrainingSettings::Instance()->chosen[2] = members[0];
    TrainingSettings::Instance()->chosenIndex = 2;
    const std::string k = keeper->GetKeyName() + " keeper";
    const std::string m0 = members[0]->GetKeyName(), m1 = members[1]->GetKeyName(), m2 = members[2]->GetKeyName(),
                      m3 = members[3]->GetKeyName(), kf = keeper->GetKeyName();
    const struct {
        int mode;
        std::vector<std::string> one;
        std::vector<std::string> two;
    } cases[] = {
        // Team order, whatever the order of the choice.
        {TrainingDrill::kPassing, {m0, m1, m2}, {}},
        // The keeper among the defenders as a field player, the dribbler not.
        {TrainingDrill::kDribbling, {m0}, {kf, m1, m2, m3}},
        {TrainingDrill::kShooting, {m0}, {k}},
        {TrainingDrill::kKeeping, {k}, {m0}},
    };
    ASSERT_TRUE(team->GetMembers().front().isSub) << "the story team lists its keeper first";
    for (const auto& c : cases) {
        const MatchSetup setup = TrainingSession::BuildSetup(c.mode, *team, "level");
        EXPECT_EQ(Names(setup.teamOne.members), c.one) << c.mode;
        EXPECT_EQ(Names(setup.teamTwo.members), c.two) << c.mode;
        EXPECT_EQ(setup.teamOne.teamName, "no_team_one_name");
        EXPECT_EQ(setup.teamTwo.teamName, "no_team_two_name");
        EXPECT_EQ(setup.levelFolder, "level");
        EXPECT_FALSE(setup.createReferee || setup.showBenches || setup.showSpectators);
        EXPECT_EQ(setup.teamOne.benchCount + setup.teamTwo.benchCount, 0);
        EXPECT_TRUE(TrainingSession::IsPlayable(c.mode, setup)) << c.mode;
    }
}

// The caption at the top of each drill is the table's text, on the HUD while the drill runs,
// and under it what to do, which stays once the intro has gone.
TEST_F(TrainingSessionTest, EachDrillShowsItsTitleAndWhatToDoInTheTablesWords)
{
    TrainingSettings::Instance()->chosenIndex = 0;
    const struct {
        int mode;
        int title;
        int hint;
    } cases[] = {{TrainingDrill::kPassing, 20901, 20402},
                 {TrainingDrill::kDribbling, 20902, 20403},
                 {TrainingDrill::kShooting, 20903, 20404},
                 {TrainingDrill::kKeeping, 20904, 20405}};
    const auto hudText = [](const char* name) {
        const auto* element = dynamic_cast<const HudElement*>(CastManager::Instance()->FindObject(name));
        return element ? dynamic_cast<const HudText*>(element->GetItem()) : nullptr;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        harness->MakeCurrent(new TrainingSession(c.mode));
        const HudText* caption = nullptr;
        for (int frame = 0; frame < 120 && !(caption && !caption->GetText().empty()); ++frame) {
            harness->Step();
            caption = hudText("hud|TrainingName");
        }
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->GetText(), TextManager::Instance()->GetText(c.title));
        EXPECT_TRUE(caption->IsVisible());
        // Past the intro message.
        harness->RunFrames(static_cast<int>(3.0f / GameHarness::kFrameTime));
        const HudText* hint = hudText("hud|TrainingHint");
        ASSERT_NE(hint, nullptr);
        EXPECT_EQ(hint->GetText(), TextManager::Instance()->GetText(c.hint));
        EXPECT_TRUE(hint->IsVisible());
        harness->MakeCurrent(nullptr);
    }
}

// A drill's points are shown once, on its results screen: the screen that leads on to the next
// step does not repeat them.
TEST_F(TrainingSessionTest, ADrillsPointsShowOnOneScreenOnly)
{
    TrainingSettings::Instance()->chosenIndex = 0;
    TrainingSettings::Instance()->keeperName = keeper->GetKeyName();
    const auto shownScreen = [] {
        const auto* menu = dynamic_cast<const TBMenu*>(Menu::Instance()->GetOwner());
        return menu && Menu::Instance()->GetFadeState() == Menu::kShown ? menu->GetScreen() : std::string();
    };
    const auto showsPoints = [] {
        for (int i = 0; i < Menu::Instance()->GetItemCount(); ++i)
            if (Menu::Instance()->GetItem(i)->GetText().find("%add_points%") != std::string::npos)
                return true;
        return false;
    };
    for (int mode = TrainingDrill::kPassing; mode <= TrainingDrill::kKeeping; ++mode) {
        SCOPED_TRACE(mode);
        harness->MakeCurrent(new TrainingSession(mode));
        std::vector<std::string> withPoints;
        std::string last;
        for (int frame = 0; frame < 60 * 60 && last != "training_advance"; ++frame) {
            const std::string screen = shownScreen();
            if (!screen.empty() && screen != last) {
                last = screen;
                if (showsPoints())
                    withPoints.push_back(screen);
            }
            // The drill won at once; each screen closed by its button once it stands.
            harness->Script().Press(harness->GetFrame(), screen.empty() ? "cheat win" : "(menu):button a");
            harness->Step();
        }
        EXPECT_EQ(last, "training_advance");
        EXPECT_EQ(withPoints.size(), 1u);
        EXPECT_TRUE(!withPoints.empty() && withPoints.front().starts_with("training_results_"));
        harness->MakeCurrent(nullptr);
    }
}

}  // namespace
