#include "framework/Cast.h"
#include "framework/Settings.h"
#include "framework/tests/support/FileTest.h"
#include "match/GainedObjects.h"
#include "match/penalties/PenaltySettings.h"
#include "settings/GameParameters.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "support/TableTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using table_test::Keys;
using table_test::Read;
using table_test::Write;

// The keys marked "none" have no default of their own and read 0 until a file gives them one.
TEST(MatchSettingsTest, FreshTableIsWrittenInFileOrder)
{
    MatchSettings settings;
    EXPECT_EQ(Write(settings, "Match Settings"), R"table([MatchSettings] "Match Settings"
{
 "Fade length (secs)" 0.000000
 "AI set piece delay (secs)" 1.000000
 "Direction arrow file name" ""
 "Direction arrow width" 0.000000
 "Direction arrow height" 0.000000
 "Direction arrow angle to ground" 0.000000
 "Direction arrow move rate" 1.570796
 "corner dist in" 0.000000
 "corner angle limit" 0.392699
 "throwIn dist in" 0.000000
 "throwIn edge dist limit" 2.000000
 "freekick line dist limit" 5.000000
 "goalkick end dist limit" 0.000000
 "throwIn angle limit" 0.392699
 "Hold time for max power" 1.000000
 "Min shot speed" 10.000000
 "Max shot speed" 50.000000
 "Min shot loft angle" 0.000000
 "Max shot loft angle" 0.392699
 "Special move shot loft" 0.392699
 "Pass speed multiplier" 1.000000
 "Max header radius" 5.000000
 "AI header distance" 0.000000
 "Max header strike dist" 0.500000
 "Max header height error" 0.000000
 "Header strike fov" 0.392699
 "Worst header sspeed" 10.000000
 "Best header speed" 20.000000
 "Plyr select text A" "<PP>\Misc\target.PNG"
 "Plyr select text B" "<PP>\Misc\target.PNG"
 "Plyr select width" 4.000000
 "Plyr select height" 4.000000
 "Plyr select rot speed" 1.570796
 "Plyr selector loft" 0.250000
 "Spot select texture" "<PP>\Misc\target.PNG"
 "Spot select width" 4.000000
 "Spot select height" 4.000000
 "Spot select rotation speed" 1.570796
 "Spot select loft" 0.250000
 "Spot selector snap rad" 3.000000
 "Spot selector move rate" 1.000000
 "Spot selector min dist." 3.000000
 "Spot selector max dist." 50.000000
 "Max camera track time" 3.000000
 "Goal reaction time" 0.000000
 "Goal min stagger" 0.000000
 "Goal max stagger" 0.000000
 "Penalty reaction time" 0.000000
 "Facing angle error" 0.000000
 "Keeper guard angle" 0.392699
 "Keeper guard lookahead time" 0.000000
 "Keeper save reserve time" 1.000000
 "Min deflect speed" 0.000000
 "Max deflect speed" 0.000000
 "Max deflect angle" 0.000000
 "Loft deflect angle" 0.000000
 "Worst keeper save misjudgement" 0.000000
 "Best keeper save misjudgement" 0.000000
 "Pass position read ahead" 0.000000
}
)table");
}

// Which keys the editor edits as angles (degrees) and as file names.
TEST(MatchSettingsTest, HintsPrecedeTheAngleAndFileKeys)
{
    MatchSettings settings;
    const std::vector<std::string> expected = {
        "filename: Direction arrow file name", "angle: Direction arrow angle to ground",
        "angle: Direction arrow move rate",    "angle: corner angle limit",
        "angle: throwIn angle limit",          "angle: Min shot loft angle",
        "angle: Max shot loft angle",          "angle: Special move shot loft",
        "angle: Header strike fov",            "filename: Plyr select text A",
        "filename: Plyr select text B",        "filename: Spot select texture",
        "angle: Facing angle error",           "angle: Keeper guard angle",
        "angle: Max deflect angle",            "angle: Loft deflect angle",
    };
    EXPECT_EQ(table_test::Hints(settings), expected);
}

// Every key has a value here, the ones the file leaves open included.
TEST(PenaltySettingsTest, FreshTableIsWrittenInFileOrder)
{
    PenaltySettings settings;
    EXPECT_EQ(Write(settings, "Penalty Settings"), R"table([PenaltySettings] "Penalty Settings"
{
 "AI wait before shot" 2.000000
 "Time after kick" 4.000000
 "Goal decision time" 2.000000
 "Default shot x" 0.000000
 "Default shot y" 1.200000
 "Worst power up time" 1.500000
 "Best power up time" 0.800000
 "Worst power error (ai)" 0.600000
 "Best power error (ai)" 0.200000
 "Optimum power level" 0.800000
 "Optimum x offset" 2.500000
 "Optimum up offset" 0.800000
 "Optimum down offset" 0.800000
 "Worst ball to goal time" 1.000000
 "Best ball to goal time" 0.600000
 "Minimum read time" 3.600000
 "Maximum read time" 3.850000
 "AI worst save prob." 0.200000
 "AI best save prob." 0.600000
 "Keyboard input time" 0.200000
 "Save prob read fraction" 0.200000
 "Save prob skill fraction" 0.500000
 "Save prob shot fraction" 0.300000
}
)table");
}

// A keeper who reads the kick must dive while the ball is still in the air.
TEST(PenaltySettingsTest, KeeperReadsWhileTheBallFlies)
{
    PenaltySettings s;
    EXPECT_LT(s.goalDecisionTime, s.timeAfterKick);
    for (float flight : {s.bestBallToGoalTime, s.worstBallToGoalTime})
        for (float read : {s.minimumReadTime, s.maximumReadTime}) {
            const float diveAfterKick = s.timeAfterKick - read;
            EXPECT_GT(diveAfterKick, 0.0f);
            EXPECT_LE(diveAfterKick, flight + 0.2f) << flight << " " << read;
        }
    EXPECT_FLOAT_EQ(s.saveProbReadFraction + s.saveProbSkillFraction + s.saveProbShotFraction, 1.0f);
}

struct TableCase {
    const char* name;
    std::function<std::unique_ptr<Object>()> make;
};

const TableCase kTables[] = {
    {"MatchSettings", [] { return std::make_unique<MatchSettings>(); }},
    {"PenaltySettings", [] { return std::make_unique<PenaltySettings>(); }},
    {"GainedObjects", [] { return std::make_unique<GainedObjects>(); }},
    {"GameSettings", [] { return std::make_unique<GameSettings>(); }},
    {"LevelSettings", [] { return std::make_unique<LevelSettings>(); }},
};

// Each table's every value goes to the file and comes back, under its own key.
TEST(SettingsTablesTest, ChangedTablesReadBackEqual)
{
    for (const TableCase& table : kTables) {
        SCOPED_TRACE(table.name);
        const std::unique_ptr<Object> changed = table.make();
        table_test::ChangeEveryValue(*changed);
        const std::string text = Write(*changed, "x");
        const std::unique_ptr<Object> fresh = table.make();
        EXPECT_NE(Write(*fresh, "x"), text);
        Read(*fresh, text, "x");
        EXPECT_EQ(Write(*fresh, "x"), text);
    }
}

TEST(SettingsTablesTest, MissingKeysKeepTheirValues)
{
    for (const TableCase& table : kTables) {
        SCOPED_TRACE(table.name);
        const std::unique_ptr<Object> object = table.make();
        table_test::ChangeEveryValue(*object);
        const std::string before = Write(*object, "x");
        const std::string header = before.substr(0, before.find('\n') + 1);
        Read(*object, header + "{\n \"no such key\" 5\n}\n", "x");
        EXPECT_EQ(Write(*object, "x"), before);
    }
}

class GainedObjectsTest : public FileTest {
protected:
    void UseGameSize(const char* size)
    {
        WriteRaw(Path("config.txt"), std::string("GameSize ") + size + "\n");
        ASSERT_TRUE(SettingsManager::Instance()->LoadSettings(Dir("config.txt").c_str()));
    }
    void TearDown() override
    {
        CastManager::DestroyInstance();
        FileTest::TearDown();
    }
};

TEST_F(GainedObjectsTest, GameSizeDecidesWhatIsUnlockedAtFirst)
{
    struct Case {
        const char* size;
        bool teams[GainedObjects::kTeamCount];
        bool environments[GainedObjects::kEnvironmentCount];
    };
    const Case cases[] = {
        {"XL", {true, true, true, true, false, false, false, false}, {true, true, false, false}},
        {"XS", {true, true, false, false, false, false, false, false}, {true, false, false, false}},
        {"xl", {true, true, false, false, false, false, false, false}, {true, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        SettingsManager::DestroyInstance();
        UseGameSize(c.size);
        const GainedObjects gained;
        EXPECT_EQ(std::vector<bool>(gained.teams, gained.teams + GainedObjects::kTeamCount),
                  std::vector<bool>(c.teams, c.teams + GainedObjects::kTeamCount));
        EXPECT_EQ(std::vector<bool>(gained.environments, gained.environments + GainedObjects::kEnvironmentCount),
                  std::vector<bool>(c.environments, c.environments + GainedObjects::kEnvironmentCount));
        EXPECT_FALSE(gained.allStarTeam);
    }
}

TEST_F(GainedObjectsTest, FreshTableIsWrittenInFileOrder)
{
    UseGameSize("XS");
    GainedObjects gained;
    EXPECT_EQ(Write(gained, "Gained Objects"), R"table([GainedObjects] "Gained Objects"
{
 "Gained_Team_0" 1
 "Gained_Team_1" 1
 "Gained_Team_2" 0
 "Gained_Team_3" 0
 "Gained_Team_4" 0
 "Gained_Team_5" 0
 "Gained_Team_6" 0
 "Gained_Team_7" 0
 "Gained_Environment_0" 1
 "Gained_Environment_1" 0
 "Gained_Environment_2" 0
 "Gained_Environment_3" 0
 "AllStarTeam" 0
}
)table");
}

TEST_F(GainedObjectsTest, ScrambledFileRoundTrips)
{
    GainedObjects saved;
    table_test::ChangeEveryValue(saved);
    Cast* gained = CastManager::Instance()->CreateCast("gained");
    gained->AddMember(&saved, "Gained Objects", false);
    const std::string file = Dir("gained.txt");
    ASSERT_TRUE(SaveSettings(gained, file.c_str(), true));
    EXPECT_EQ(ReadRaw(Path("gained.txt")).find("Gained_Team"), std::string::npos);

    GainedObjects loaded;
    gained->RemoveMember(&saved);
    gained->AddMember(&loaded, "Gained Objects", false);
    ASSERT_TRUE(LoadSettings(gained, file.c_str(), true));
    EXPECT_EQ(Write(loaded), Write(saved));
    gained->RemoveMember(&loaded);
}

}  // namespace
