#include <gtest/gtest.h>

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "match/tests/support/TableTestSupport.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "tests/support/LogCapture.h"

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

void Serialize(Object& object, const char* path, bool writing)
{
    File* file = writing ? FileSystem::Instance()->OpenWrite(path) : FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr) << path;
    std::make_unique<AsciiSerializer>(file, writing)->SerializeObject("Settings", &object);
    EXPECT_TRUE(FileSystem::Instance()->Close(file) || !writing) << path;
}

// The quoted keys of the file, in order.
std::vector<std::string> Keys(const char* path)
{
    std::vector<std::string> keys;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        // Entries are indented; class and section lines are not.
        const size_t open = line.find('"');
        if (open != std::string::npos && open > 0 && line.find_first_not_of(' ') == open)
            keys.push_back(line.substr(open + 1, line.find('"', open + 1) - open - 1));
    }
    return keys;
}

TEST(SettingsTest, FreshGameSettingsAreWrittenInFileOrder)
{
    GameSettings settings;
    EXPECT_EQ(table_test::Write(settings, "Game Settings"), R"table([GameSettings] "Game Settings"
{
 "Display Collision Data?" 0
 "Ball debug mode?" 0
 "Ball debug velocity x" 0.000000
 "Ball debug velocity y" 10.000000
 "Ball debug velocity z" 0.000000
 "AI deactivate?" 0
 "Selection look ahead time" 2.000000
 "Selection threshold" 2.000000
 "Pass snap FOV" 0.314159
 "Pass default dist" 10.000000
 "Max short pass dist" 20.000000
 "Pass receive speed" 10.000000
 "Pass final height" 10.000000
 "Pass loft angle" 20.000000
 "Worst Running Speed" 0.000000
 "Best Running Speed" 15.000000
 "Speed energy threshold" 20.000000
 "Energy affect speed %" 0
 "Special energy threshold" 60.000000
 "Minimum AI move range" 10.000000
 "Maximum AI move range" 20.000000
 "AI pass FOV" 0.157080
 "Run->Jog multiplier" 0.500000
 "Run with ball speed multiplier" 0.800000
 "Slide attack dist" 2.000000
 "Snag trigger dist (AI)" 1.500000
 "Snag trigger dist (HUMAN)" 1.500000
 "Snag contact dist" 1.500000
 "Snag attacker angle" 3.141593
 "Snag defender angle" 3.141593
 "Keeper snag contact dist" 1.500000
 "Keeper snag attacker angle" 3.141593
 "Keeper snag defender angle" 3.141593
 "Min foul angle" 1.570796
 "Min keeper step dist" 1.000000
 "Keeper max save dist" 5.000000
 "Char rotate control var" 1.000000
 "Ball move control var" 1.000000
 "Single match aggression" 10.000000
 "First round aggression." 10.000000
 "Per round aggression" 10.000000
 "Time between aggression changes" 1.000000
 "distanceFromTacticalPositionWeighting" 0.700000
 "Passes Training duration" 45
 "Passes Training cycles for one point" 4
 "Passes Training cycles for perfect" 10
 "Passes Training perfectbonus" 2
 "Dribbling Training tries" 5
 "Dribbling Training perfectbonus" 1
 "Penalty Training tries" 5
 "Penalty Training perfectbonus" 1
 "aiSpecialMovePitchRadius" 0.500000
 "aiSpecialMoveCentreYOffset" 0.000000
 "aiAverageTimeBetweenSpecialMoves" 6.000000
 "ai ball obtain read ahead" 0.200000
}
)table");
}

TEST(SettingsTest, FreshLevelSettingsAreWrittenInFileOrder)
{
    LevelSettings settings;
    EXPECT_EQ(table_test::Write(settings, "Level Settings"), R"table([LevelSettings] "Level Settings"
{
 "Gravity (m/s^2)" 9.800000
 "Ball decel in air (m/s^2)" 0.500000
 "Ball decel on ground (m/s^2)" 0.500000
 "Ball mass (kg)" 0.450000
 "Ball coefficient of restitution" 0.000000
 "Min speed for a bounce (m/s)" 0.100000
 "Max ball spin (rad/s)" 3.141593
 "Light direction" 1.000000 0.000000 0.000000 0.000000
 "Update Light?" 0
}
)table");
}

// The editor enters these as degrees.
TEST(SettingsTest, AngleHintsPrecedeTheAngleKeys)
{
    GameSettings game;
    LevelSettings level;
    EXPECT_EQ(table_test::Hints(game),
              (std::vector<std::string>{"angle: Pass snap FOV", "angle: Pass loft angle", "angle: AI pass FOV",
                                        "angle: Snag attacker angle", "angle: Snag defender angle",
                                        "angle: Keeper snag attacker angle", "angle: Keeper snag defender angle",
                                        "angle: Min foul angle"}));
    EXPECT_EQ(table_test::Hints(level), (std::vector<std::string>{"angle: Max ball spin (rad/s)"}));
}

TEST(SettingsTest, SettingsReadBackWhatWasWrittenAndKeepWhatAFileLacks)
{
    GameSettings game;
    game.displayCollisionData = true;
    game.energyAffectSpeedPercent = 35;
    game.aiBallObtainReadAhead = 0.5f;
    Serialize(game, "game.txt", true);
    LevelSettings level;
    level.gravity = 3.5f;
    level.lightDirection = {0.5f, 0.5f, -0.5f, 0.5f};
    level.updateLight = true;
    Serialize(level, "level.txt", true);

    GameSettings gameRead;
    Serialize(gameRead, "game.txt", false);
    LevelSettings levelRead;
    Serialize(levelRead, "level.txt", false);
    EXPECT_EQ(
        std::tuple(gameRead.displayCollisionData, gameRead.energyAffectSpeedPercent, gameRead.aiBallObtainReadAhead),
        std::tuple(true, 35, 0.5f));
    EXPECT_EQ(std::tuple(levelRead.gravity, levelRead.lightDirection, levelRead.updateLight, levelRead.ballMass),
              std::tuple(3.5f, Quaternion(0.5f, 0.5f, -0.5f, 0.5f), true, 0.45f));
    EXPECT_EQ(Keys("level.txt"),
              (std::vector<std::string>{"Gravity (m/s^2)", "Ball decel in air (m/s^2)", "Ball decel on ground (m/s^2)",
                                        "Ball mass (kg)", "Ball coefficient of restitution",
                                        "Min speed for a bounce (m/s)", "Max ball spin (rad/s)", "Light direction",
                                        "Update Light?"}));

    // A file cut short keeps the values of the keys it lost.
    std::ofstream("short.txt") << "GameSettings\n[GameSettings] \"Settings\"\n{\n \"Display Collision Data?\" 1\n";
    GameSettings partial;
    partial.selectionThreshold = 7.0f;
    Serialize(partial, "short.txt", false);
    EXPECT_EQ(std::tuple(partial.displayCollisionData, partial.selectionThreshold), std::tuple(true, 7.0f));
}

// A value that does not read keeps the one the level had, and says so; the rest still reads.
TEST(SettingsTest, DamagedLevelValuesKeepTheirOldValue)
{
    LogCapture log;
    LevelSettings level;
    level.lightDirection = {0.0f, 1.0f, 0.0f, 0.0f};
    table_test::Read(level, R"table([LevelSettings] "x"
{
 "Light direction" 1.0 0.0 0.0
 "Gravity (m/s^2)" nan
 "Max ball spin (rad/s)" 12.0
}
)table",
                     "x");
    EXPECT_EQ(std::tuple(level.lightDirection, level.gravity, level.maxBallSpin),
              std::tuple(Quaternion(0.0f, 1.0f, 0.0f, 0.0f), 9.8f, 12.0f));
    EXPECT_EQ(log.Count("value kept"), 2) << log.Text();
}

}  // namespace
