#include <gtest/gtest.h>

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "match/settings/GameSettings.h"
#include "match/settings/LevelSettings.h"

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

std::string Value(const char* path, const std::string& key)
{
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (line.find("\"" + key + "\"") != std::string::npos)
            return line.substr(line.rfind(' ') + 1);
    return "";
}

TEST(SettingsTest, GameSettingsWriteTheirKeysInFileOrderWithTheirDefaults)
{
    GameSettings settings;
    Serialize(settings, "game.txt", true);
    const std::vector<std::string> keys = Keys("game.txt");
    ASSERT_EQ(keys.size(), 55u);
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 12),
              (std::vector<std::string>{"Display Collision Data?", "Ball debug mode?", "Ball debug velocity x",
                                        "Ball debug velocity y", "Ball debug velocity z", "AI deactivate?",
                                        "Selection look ahead time", "Selection threshold", "Pass snap FOV",
                                        "Pass default dist", "Max short pass dist", "Pass receive speed"}));
    EXPECT_EQ(std::tuple(keys[38], keys[42], keys[51], keys[54]),
              std::tuple("Single match aggression", "distanceFromTacticalPositionWeighting", "aiSpecialMovePitchRadius",
                         "ai ball obtain read ahead"));
    EXPECT_EQ(std::tuple(Value("game.txt", "Display Collision Data?"), Value("game.txt", "Ball debug velocity y"),
                         Value("game.txt", "Pass loft angle"), Value("game.txt", "Passes Training duration"),
                         Value("game.txt", "Min foul angle")),
              std::tuple("0", "10.000000", "20.000000", "45", "1.570796"));
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

}  // namespace
