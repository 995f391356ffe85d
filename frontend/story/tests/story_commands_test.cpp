#include "support/StoryTestSupport.h"

#include "framework/MemoryFile.h"
#include "frontend/story/PlayersGainedSelection.h"
#include "frontend/story/StoryCommands.h"
#include "frontend/story/StoryModeRound.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"
#include "settings/GameParameters.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

namespace commands = story_commands;

// A screen that only carries its name.
class ScreenProbe : public State {
public:
    explicit ScreenProbe(std::string screen) : screen(std::move(screen)) {}
    State* Update(float) override { return nullptr; }
    std::string screen;
};

class StoryCommandsTest : public StoryTest {
protected:
    void SetUp() override
    {
        StoryTest::SetUp();
        GameParameters::DestroyInstance();
        SetStoryScreenMaker([](const std::string& screen) { return new ScreenProbe(screen); });
    }
    void TearDown() override
    {
        SetStoryScreenMaker(nullptr);
        GameParameters::DestroyInstance();
        StoryTest::TearDown();
    }

    static void Choose(const std::string& slot) { GameParameters::Instance()->SetParameter("storyslot", slot); }

    // What the choice leads to: "stay", "none", a screen's name or the state's kind.
    static std::string Where(StoryChoice choice)
    {
        std::unique_ptr<State> next(choice.next);
        if (!choice.decided)
            return next ? "stay with a state" : "stay";
        if (!next)
            return "none";
        if (auto* probe = dynamic_cast<ScreenProbe*>(next.get()))
            return probe->screen;
        if (dynamic_cast<StoryModeRound*>(next.get()))
            return "round";
        if (dynamic_cast<IteratingState*>(next.get()))
            return "chain";
        if (dynamic_cast<PlayersGainedSelection*>(next.get()))
            return "gained selection";
        return "other";
    }

    static void LoadScreen(const std::vector<std::string>& buttons)
    {
        std::string xml = "<Screen>\n";
        for (const std::string& name : buttons)
            xml += "  <TextButton name=\"" + name + "\" text=\"" + name + "\"/>\n";
        xml += "</Screen>\n";
        MemoryFile file(std::vector<uint8_t>(xml.begin(), xml.end()), true);
        Menu::Instance()->ClearScreen();
        ASSERT_TRUE(Menu::Instance()->LoadScreen(XmlParser().Parse(&file)));
    }

    static std::vector<std::string> Items()
    {
        std::vector<std::string> names;
        for (int i = 0; i < Menu::Instance()->GetItemCount(); ++i) {
            MenuItem* item = Menu::Instance()->GetItem(i);
            names.push_back(item->GetName() + (item->IsSelected() ? "*" : ""));
        }
        return names;
    }
};

TEST_F(StoryCommandsTest, StartGameLeadsByTheChosenSlot)
{
    ASSERT_TRUE(Slots()->StartCareer(1, "Bolts", "Bolts"));
    Game()->NewGame("Other");
    struct Case {
        const char* mode;
        const char* slot;
        std::string where;
        int currentSlot;
    };
    const Case cases[] = {
        {"StoryMode", "0", "story_team_select", 0},
        {"StoryMode", "1", "overwrite", 1},
        {"StoryMode", "NULL", "stay", -1},
        {"StoryMode", "7", "stay", -1},
        {"SingleMatch", "0", "stay", -1},
        {"LastStory", "3", "stay", 3},
        {"LastStory", "1", "round", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.slot);
        Slots()->currentSlot = -1;
        Choose(c.slot);
        EXPECT_EQ(Where(commands::StartGame(c.mode)), c.where);
        EXPECT_EQ(Slots()->currentSlot, c.currentSlot);
    }
    EXPECT_EQ(Game()->teamName, "Bolts");
    EXPECT_TRUE(Game()->resumePending);
    EXPECT_EQ(GameParameters::Instance()->GetParameter("players"), "1");
}

TEST_F(StoryCommandsTest, LastStoryWithoutItsFileKeepsTheRunningCareerAndSlot)
{
    ASSERT_TRUE(Slots()->StartCareer(2, "Bolts", "Bolts"));
    ASSERT_TRUE(Slots()->StartCareer(4, "Running", "Running"));
    Game()->round = 3;
    std::filesystem::remove(OnDisk(CareerPath(2)));
    Choose("2");
    LogCapture log;
    EXPECT_EQ(Where(commands::StartGame("LastStory")), "stay");
    EXPECT_TRUE(log.Contains("***ERROR: StorySaveGame::LoadCareer"));
    EXPECT_EQ(Slots()->currentSlot, 4);
    EXPECT_EQ(std::make_pair(Game()->teamName, Game()->round), std::make_pair(std::string("Running"), 3));
    EXPECT_FALSE(Game()->resumePending);
    // So the next save still goes to the running career's own slot.
    ASSERT_TRUE(Slots()->Save());
    EXPECT_FALSE(std::filesystem::exists(OnDisk(CareerPath(2))));
}

TEST_F(StoryCommandsTest, EnterStoryModeStartsACareerUnderTheTypedName)
{
    struct Case {
        const char* typed;
        int slot;
        std::string where;
        std::string teamName;
    };
    const Case cases[] = {
        {"", 0, "stay", ""},
        {"<b> \t</b>", 0, "stay", ""},
        {"<color 1 0 0> Bolts\n</color>", 0, "chain", "Bolts"},
        {"Bolts", -1, "stay", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Game()->teamName.clear();
        Slots()->currentSlot = c.slot;
        Menu::Instance()->SetVariable("storyteamname", c.typed);
        LogCapture log;
        EXPECT_EQ(Where(commands::EnterStoryMode()), c.where);
        EXPECT_EQ(Game()->teamName, c.teamName);
        EXPECT_EQ(log.Contains("no save slot -1"), c.slot < 0);
    }
    EXPECT_EQ(Slots()->slots[0].displayName, "<color 1 0 0> Bolts\n</color>");
    EXPECT_FALSE(Slots()->slots[0].free);
}

TEST_F(StoryCommandsTest, EnterStoryModeStopsWhenTheCareerCannotBeWritten)
{
    std::filesystem::create_directories(OnDisk(CareerPath(3)));
    Slots()->currentSlot = 3;
    Menu::Instance()->SetVariable("storyteamname", "Bolts");
    LogCapture log;
    EXPECT_EQ(Where(commands::EnterStoryMode()), "stay");
    EXPECT_TRUE(Slots()->slots[3].free);
    EXPECT_NE(GameParameters::Instance()->GetParameter("players"), "1");
}

TEST_F(StoryCommandsTest, TrainingLeadsToTheTrainingOrTheMatchStart)
{
    struct Case {
        const char* name;
        int round;
        bool firstLeg, passed;
        std::string where;
        bool resumeAfter;
    };
    const Case cases[] = {
        {"training passed", 0, true, true, "matchstart", true},
        {"the very first leg opens with the newspaper", 0, true, false, "chain", false},
        {"a second leg", 0, false, false, "training", false},
        {"a later round", 2, true, false, "training", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game()->round = c.round;
        Game()->firstLeg = c.firstLeg;
        Game()->trainingPassed = c.passed;
        Game()->resumePending = true;
        EXPECT_EQ(Where(commands::Training()), c.where);
        EXPECT_EQ(Game()->resumePending, c.resumeAfter);
    }
}

TEST_F(StoryCommandsTest, RestartAndNextRound)
{
    EXPECT_EQ(Where(commands::RestartMatch()), "none");
    EXPECT_TRUE(Game()->restartRequested);
    EXPECT_TRUE(Game()->trainingPassed);

    Game()->RefreshMembers();
    Member("PandaPl01")->speed.SetLevel(81);
    EXPECT_EQ(Where(commands::NextRound()), "gained selection");
    EXPECT_EQ(Game()->lastRoundStats[2][2].level, 81);
}

TEST_F(StoryCommandsTest, SlotCommandsWorkOnTheChosenSlot)
{
    ASSERT_TRUE(Slots()->StartCareer(2, "Bolts", "Bolts"));
    LoadScreen({"slot0", "story_create", "story_load"});
    Menu::Instance()->SelectItem("slot0");
    Choose("2");
    commands::SelectedStory();
    EXPECT_EQ(Items(), (std::vector<std::string>{"slot0", "story_create", "story_load*"}));
    Choose("0");
    commands::SelectedStory();
    EXPECT_EQ(Items(), (std::vector<std::string>{"slot0", "story_create*", "story_load"}));

    Choose("NULL");
    commands::DeleteStory();
    EXPECT_FALSE(Slots()->slots[2].free);
    Choose("2");
    commands::DeleteStory();
    EXPECT_TRUE(Slots()->slots[2].free);

    Slots()->slots[2].displayName = "Changed";
    commands::LoadSavegameMeta();
    EXPECT_EQ(Slots()->slots[2].displayName, "Empty");
}

TEST_F(StoryCommandsTest, LegScreenButtonsFitTheLeg)
{
    struct Case {
        const char* name;
        bool resume;
        int round;
        bool firstLeg;
        std::vector<std::string> screen, after;
    };
    const Case cases[] = {
        {"resumed", true, 3, false, {"OK", "continue", "Save", "quit"}, {"continue*", "Save"}},
        {"resumed without quit", true, 3, false, {"OK", "continue", "Save"}, {"OK", "continue", "Save"}},
        {"the very first leg", false, 0, true, {"OK", "continue", "Save", "quit"}, {"continue*", "Save"}},
        {"another leg", false, 0, false, {"OK", "continue", "Save", "quit"}, {"OK", "Save", "quit"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game()->resumePending = c.resume;
        Game()->round = c.round;
        Game()->firstLeg = c.firstLeg;
        LoadScreen(c.screen);
        commands::CheckLegEntry();
        EXPECT_EQ(Items(), c.after);
    }
}

TEST_F(StoryCommandsTest, FinalResultHasNoLegsToShow)
{
    for (int round : {5, 6}) {
        Game()->round = round;
        LoadScreen({"player_home", "opponent_away", "player_away", "next"});
        commands::CheckRoundResultType();
        EXPECT_EQ(Items().size(), round == 6 ? 2u : 4u) << round;
    }
}

TEST_F(StoryCommandsTest, TypedNamesLoseTheirMarkupAndBlanks)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Bolts", "Bolts"}, {"  Bolts \n", "Bolts"}, {"<b><i>Big Bolts</i></b>", "Big Bolts"}, {"<b></b>", ""}};
    for (const auto& [typed, name] : cases)
        EXPECT_EQ(commands::TrimmedName(typed), name) << typed;
}

}  // namespace
