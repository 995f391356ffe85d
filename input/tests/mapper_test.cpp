#include "support/InputTest.h"

#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "input/VirtualKeys.h"
#include "tests/support/LogCapture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const std::string kRedDash = "<color 255.0 0.0 0.0>-</color>";

TEST_F(InputTest, KeyboardDefaultsTheirNamesAndClaims)
{
    ConfigurableKeyboardInputMapper keys;
    EXPECT_EQ(keys.GetBindings().size(), 20u);
    const std::pair<const char*, const char*> names[] = {
        {"(0):up", "W"}, {"(0):button a", "K"}, {"(1):up", "%80511%"}, {"(menu):button a", "%80518%"},
        {"(1):button a", "NUM 1"}, {"escape", ""}, {"no such action", "-"}};
    for (const auto& [action, name] : names)
        EXPECT_EQ(keys.GetTargetName(action), name) << action;
    const std::pair<int, const char*> keyNames[] = {{'7', "7"}, {vk::Numpad(0), "NUM 0"}, {vk::Decimal, "%80538%"},
                                                    {vk::Plus, "+"}, {0, "-"}, {-1, kRedDash.c_str()}, {vk::F(1), ""}};
    for (const auto& [key, name] : keyNames)
        EXPECT_EQ(ConfigurableKeyboardInputMapper::KeyName(key), name) << key;

    EXPECT_TRUE(keys.IsShared() && keys.IsClaimed(0) && keys.IsClaimed(1));
    EXPECT_FALSE(keys.IsClaimed(2));
    keyboard()->OnKeyDown('W');
    keyboard()->OnKeyDown(vk::Up);
    EXPECT_EQ(keys.GetValue("(0):up"), 1.0f);
    EXPECT_EQ(keys.GetValue("(0):down"), 0.0f);
    EXPECT_EQ(keys.GetValue("(0):jump"), InputMapper::kUnknown);
    // Without a player's claim the device does not answer for that player at all.
    keys.SetClaimed(1, false);
    EXPECT_EQ(keys.GetValue("(1):up"), InputMapper::kUnknown);
    EXPECT_EQ(keys.GetValue("(menu):up"), 1.0f);
}

TEST_F(InputTest, ACapturedKeyMovesBetweenPlayerActionsButMenusShareIt)
{
    ConfigurableKeyboardInputMapper keys;
    EXPECT_FALSE(keys.CaptureBinding("(0):up", false)) << "nothing held";
    keyboard()->OnKeyDown('K');
    EXPECT_TRUE(keys.CaptureBinding("(1):button a", false));
    keyboard()->OnKeyUp('K');
    keyboard()->OnKeyDown(vk::Up);
    EXPECT_TRUE(keys.CaptureBinding("(0):up", false));
    keyboard()->OnKeyUp(vk::Up);
    // Reset forgets a key that was already down, so the player must press a new one.
    keyboard()->OnKeyDown('Q');
    EXPECT_FALSE(keys.CaptureBinding("(0):left", true));
    keyboard()->OnKeyUp('Q');
    keyboard()->OnKeyDown(vk::F(1));  // no name to show
    EXPECT_TRUE(keys.CaptureBinding("(0):down", false));
    EXPECT_FALSE(keys.CaptureBinding("", false));

    const std::pair<const char*, int> bindings[] = {
        {"(1):button a", 'K'}, {"(0):button a", ConfigurableInputMapper::kUnbound}, {"(0):up", vk::Up},
        {"(menu):up", vk::Up}, {"(1):up", ConfigurableInputMapper::kUnbound},
        {"(0):left", ConfigurableInputMapper::kUnbound}, {"(0):down", ConfigurableInputMapper::kUnbound}};
    for (const auto& [action, key] : bindings)
        EXPECT_EQ(keys.GetBinding(action), key) << action;
    EXPECT_EQ(keys.GetTargetName("(0):button a"), kRedDash);
    keyboard()->OnKeyDown('K');
    EXPECT_EQ(keys.GetValue("(0):button a"), 0.0f) << "unbound answers 0";
    keys.SetDefaults();
    EXPECT_EQ(keys.GetBinding("(0):button a"), 'K');
    keys.SetBinding("", 'K');
    EXPECT_EQ(keys.GetBindings().size(), 20u);
}

TEST_F(InputTest, JoystickDefaultsAndNames)
{
    ConfigurableJoystickInputMapper pad(1);
    EXPECT_FALSE(pad.IsShared() || pad.IsClaimed(0) || pad.IsClaimed(1));
    EXPECT_EQ(pad.GetBindings().size(), 21u);
    pad.SetBinding("(0):left", ConfigurableInputMapper::kUnbound);
    const std::pair<const char*, std::string> names[] = {
        {"(menu):up", "STICK_UP"}, {"(menu):back", "BUTTON_B"}, {"(menu):button h", "BUTTON_H"},
        {"(1):button b", "BUTTON_B"}, {"(0):left", kRedDash}, {"(menu):button b", "-"}};
    for (const auto& [action, name] : names)
        EXPECT_EQ(pad.GetTargetName(action), name) << action;
    EXPECT_STREQ(ConfigurableJoystickInputMapper::StickInputName(kStickInputCount), "-");
    // No joystick 1 exists here: bound inputs read 0.
    pad.SetClaimed(0, true);
    EXPECT_EQ(pad.GetValue("(0):up"), 0.0f);
    EXPECT_FALSE(pad.CaptureBinding("(0):up", false));
}

// The key-assignment file as the game keeps it: the cast "inputs", one mapper per device.
class KeyFileTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        FileSystem::DestroyInstance();  // its folder cache would outlive the files
        std::filesystem::remove_all("data");
        std::filesystem::create_directories("data/Savegames");
        cast = CastManager::Instance()->CreateCast("inputs");
        cast->AddMember(&keys, "input(0)", false);
        cast->AddMember(&pad, "input(1)", false);
    }
    void TearDown() override
    {
        CastManager::DestroyInstance();
        FileSystem::DestroyInstance();
        InputTest::TearDown();
    }
    // Saves, edits the file's text, and loads it into defaults.
    std::string SaveEditLoad(const std::vector<std::pair<std::string, std::string>>& edits)
    {
        EXPECT_TRUE(SaveSettings(cast, kFile));
        std::stringstream text;
        text << std::ifstream("data/Savegames/inputs.txt").rdbuf();
        std::string saved = text.str();
        for (const auto& [from, to] : edits) {
            const size_t at = saved.find(from);
            EXPECT_NE(at, std::string::npos) << from;
            if (at != std::string::npos)
                saved.replace(at, from.size(), to);
        }
        std::ofstream("data/Savegames/inputs.txt", std::ios::trunc) << saved;
        keys.SetDefaults();
        pad.SetDefaults();
        loaded = LoadSettings(cast, kFile);
        return text.str();
    }

    static constexpr const char* kFile = "data\\Savegames\\inputs.txt";
    ConfigurableKeyboardInputMapper keys;
    ConfigurableJoystickInputMapper pad{3};
    Cast* cast = nullptr;
    bool loaded = false;
};

TEST_F(KeyFileTest, EveryDeviceSavesAndLoadsItsTable)
{
    keyboard()->OnKeyDown('K');
    ASSERT_TRUE(keys.CaptureBinding("(1):button a", false));
    pad.SetBinding("(menu):back", kButtonF);
    const ConfigurableInputMapper::Bindings keyTable = keys.GetBindings(), padTable = pad.GetBindings();
    const std::string text = SaveEditLoad({{"\"DirectX Index\" 3", "\"DirectX Index\" 2"}});
    EXPECT_TRUE(loaded);
    EXPECT_EQ(keys.GetBindings(), keyTable);
    EXPECT_EQ(pad.GetBindings(), padTable);
    EXPECT_EQ(pad.GetJoystickIndex(), 2);
    for (const char* part : {"[Input Mapper] \"input(0)\"", "\"Action Name\" \"(1):button a\"\n  \"Value\" 75",
                             "\"Value\" -1", "\"Target\" \"\"", "[Joystick Input] \"input(1)\""})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
}

TEST_F(KeyFileTest, CodesNoDeviceHasKeepTheBindingWithAWarning)
{
    LogCapture log;
    SaveEditLoad({{"\"(0):up\"\n  \"Value\" 87", "\"(0):up\"\n  \"Value\" 300"},
                  {"\"(0):down\"\n  \"Value\" 83", "\"(0):down\"\n  \"Value\" -7"},
                  {"\"(0):left\"\n  \"Value\" 65", "\"(0):left\"\n  \"Value\" 68"},
                  {"\"Action Name\" \"(0):right\"", "\"Action Name\" \"\""},
                  {"\"(0):button a\"\n   \"Value\" 7", "\"(0):button a\"\n   \"Value\" 12"}});
    const std::pair<ConfigurableInputMapper*, std::pair<const char*, int>> bindings[] = {
        {&keys, {"(0):up", 'W'}}, {&keys, {"(0):down", 'S'}}, {&keys, {"(0):left", 'D'}},
        {&keys, {"(0):right", 'D'}}, {&pad, {"(0):button a", kButtonA}}};
    for (const auto& [mapper, binding] : bindings)
        EXPECT_EQ(mapper->GetBinding(binding.first), binding.second) << binding.first;
    EXPECT_EQ(keys.GetBindings().count(""), 0u);
    for (const char* warning : {"\"(0):up\" has the invalid code 300", "\"(0):down\" has the invalid code -7",
                                "\"(0):button a\" has the invalid code 12", "an action without a name is ignored"})
        EXPECT_EQ(log.Count(warning), 1) << warning << " in\n" << log.Text();
}

}  // namespace
