// The training menu's commands: the drills started by the drill counter, the steps after each
// drill, and the member selections with their screens.
#include "characters/Character.h"
#include "frontend/training/TrainingDrill.h"
#include "frontend/training/TrainingMode.h"
#include "frontend/training/TrainingSession.h"
#include "match/PlayerSelectionResult.h"
#include "support/TrainingSuite.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// Stands in for the squad selection: keeps the request and ends at once.
struct FakeSelection : State {
    static inline std::optional<PlayerSelectionResult> request;
    static State* Make(const PlayerSelectionResult& r)
    {
        request = r;
        return new FakeSelection();
    }
    State* Update(float) override { return nullptr; }
};

class TrainingMenuTest : public TrainingSuite {
protected:
    void SetUp() override
    {
        TrainingSuite::SetUp();
        FakeSelection::request.reset();
        squadSelection = TrainingMode::SetSelectionMaker(FakeSelection::Make);
    }
    void TearDown() override
    {
        TrainingMode::SetSelectionMaker(squadSelection);
        TrainingSuite::TearDown();
    }
    // The successor the command leaves on a menu on the screen; valid until the next call.
    State* After(const char* word, int counter, const char* screen = "training_advance")
    {
        TrainingSettings::Instance()->drillCounter = counter;
        menu = std::make_unique<TrainingMode>(screen);
        Command(menu.get(), word);
        return menu->GetNext();
    }

    std::unique_ptr<TrainingMode> menu;
    TrainingMode::SelectionMaker squadSelection = nullptr;
};

TEST_F(TrainingMenuTest, StartTrainingRunsTheDrillOfTheCounter)
{
    for (int counter = 0; counter < 4; ++counter) {
        State* next = After("StartTraining", counter);
        auto* session = dynamic_cast<TrainingSession*>(next);
        ASSERT_NE(session, nullptr) << counter;
        EXPECT_EQ(session->GetMode(), TrainingDrill::kPassing + counter);
    }
    // Past the last drill nothing starts and the screen stays, so the game goes on.
    EXPECT_EQ(After("StartTraining", 7), nullptr);
    EXPECT_EQ(TrainingSettings::Instance()->drillCounter, 0);
}

TEST_F(TrainingMenuTest, AdvanceTrainingLeadsToTheNextStep)
{
    auto* load = dynamic_cast<TrainingMode*>(After("AdvanceTraining", 3));
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(load->GetScreen(), "training_load");
    EXPECT_FALSE(StoryModeGame::Instance()->trainingPassed);

    EXPECT_EQ(After("AdvanceTraining", 0), nullptr);
    EXPECT_EQ(After("AdvanceTraining", 5), nullptr);
    EXPECT_EQ(TrainingSettings::Instance()->drillCounter, 5);

    TrainingSettings::Instance()->points = 3;
    EXPECT_NE(dynamic_cast<IteratingState*>(After("AdvanceTraining", 4)), nullptr);
    EXPECT_TRUE(StoryModeGame::Instance()->trainingPassed);
    EXPECT_EQ(TrainingSettings::Instance()->drillCounter, 0);
    EXPECT_EQ(TrainingSettings::Instance()->points, 0);
}

TEST_F(TrainingMenuTest, BeforeTheOnePlayerDrillsTheChosenThreeAreOffered)
{
    const struct {
        int counter;
        const char* title;
    } cases[] = {{1, "%20902%"}, {2, "%20903%"}};
    for (const auto& c : cases) {
        FakeSelection::request.reset();
        EXPECT_NE(After("AdvanceTraining", c.counter), nullptr);
        EXPECT_EQ(Variable("%s3p_title%"), c.title);
        EXPECT_EQ(Variable("%s3p_command%"), "%20521%");
        ASSERT_TRUE(FakeSelection::request.has_value());
        const PlayerSelectionResult& request = *FakeSelection::request;
        EXPECT_EQ(request.screen, "3dMenues\\TrainingMainSelection3p");
        std::vector<CharacterVariation*> offered;
        for (const Character* candidate : request.candidates)
            offered.push_back(candidate->GetVariation());
        EXPECT_EQ(offered, (std::vector<CharacterVariation*>{members[0], members[1], members[2]}));
        EXPECT_EQ(request.goalkeepersToPick, 0);
        EXPECT_EQ(request.outfieldPlayersToPick, 1);
        EXPECT_EQ(request.startPicked, std::vector<bool>(3, false));
        EXPECT_EQ(request.pickable, std::vector<bool>(3, true));
    }
}

TEST_F(TrainingMenuTest, TheMainSelectionOffersTheWholeTeamWithTheKeeperPicked)
{
    ASSERT_NE(After("SelectMainPlayers", 0, "training"), nullptr);
    ASSERT_TRUE(FakeSelection::request.has_value());
    const PlayerSelectionResult& request = *FakeSelection::request;
    const size_t size = team->GetMembers().size();
    EXPECT_EQ(request.screen, TrainingMode::SelectionScreen(TrainingMode::kTrainingMembers, size));
    ASSERT_EQ(request.candidates.size(), size);
    EXPECT_EQ(request.candidates[0]->GetVariation(), keeper);
    EXPECT_EQ(request.goalkeepersToPick, 1);
    EXPECT_EQ(request.outfieldPlayersToPick, 3);
    EXPECT_TRUE(request.startPicked[0]);
    EXPECT_FALSE(request.pickable[0]);
    EXPECT_EQ(request.firstPrefix, "(0):");
    EXPECT_EQ(Variable("%s7p_title%"), "%20901%");
    EXPECT_EQ(Variable("%s7p_selection_accept%"), "%30318%");
}

TEST_F(TrainingMenuTest, TheSelectionScreenFollowsTheTeamSize)
{
    const struct {
        int kind;
        size_t size;
        const char* screen;
    } cases[] = {
        {TrainingMode::kTrainingMembers, 5, "3dMenues\\TrainingMainSelection5p"},
        {TrainingMode::kTrainingMembers, 7, "3dMenues\\TrainingMainSelection7p"},
        {TrainingMode::kDribbler, 5, "3dMenues\\TrainingMainSelection3p"},
        {TrainingMode::kShooter, 7, "3dMenues\\TrainingMainSelection3p"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrainingMode::SelectionScreen(c.kind, c.size), c.screen) << c.kind << " " << c.size;
}

TEST_F(TrainingMenuTest, EachSelectionScreenSeatsItsCandidates)
{
    const std::pair<const char*, int> screens[] = {{"3dMenues\\TrainingMainSelection3p", 3},
                                                   {"3dMenues\\TrainingMainSelection5p", 5},
                                                   {"3dMenues\\TrainingMainSelection7p", 7}};
    for (const auto& [screen, count] : screens) {
        TrainingMode selection(screen);
        ASSERT_TRUE(selection.CreateMenu()) << screen;
        const std::string last = "pick_" + std::to_string(count);
        const std::string beyond = "pick_" + std::to_string(count + 1);
        EXPECT_TRUE(Menu::Instance()->HasItem(last.c_str())) << screen;
        EXPECT_FALSE(Menu::Instance()->HasItem(beyond.c_str())) << screen;
    }
}

}  // namespace
