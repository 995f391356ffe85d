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
constexpr int kUnbound = ConfigurableInputMapper::kUnbound;

TEST_F(InputTest, DefaultsTheirNamesAndClaims)
{
    ConfigurableKeyboardInputMapper keys;
    ConfigurableJoystickInputMapper pad(1);
    EXPECT_EQ(std::vector({keys.GetBindings().size(), pad.GetBindings().size()}), std::vector<size_t>({20, 21}));
    pad.SetBinding("(0):left", kUnbound);
    const std::tuple<ConfigurableInputMapper*, const char*, std::string> names[] = {{&keys, "(0):up", "W"},
        {&keys, "(1):up", "%80511%"}, {&keys, "(menu):button a", "%80518%"}, {&keys, "(1):button a", "NUM 1"},
        {&keys, "escape", ""}, {&keys, "no such action", "-"}, {&pad, "(menu):up", "STICK_UP"},
        {&pad, "(menu):back", "BUTTON_B"}, {&pad, "(menu):button h", "BUTTON_H"}, {&pad, "(0):left", kRedDash},
        {&pad, "(menu):button b", "-"}};
    for (const auto& [mapper, action, name] : names)
        EXPECT_EQ(mapper->GetTargetName(action), name) << action;
    const std::pair<int, std::string> keyNames[] = {{'0', "0"}, {vk::Numpad(0), "NUM 0"}, {vk::Decimal, "%80538%"},
                                                    {vk::Plus, "+"}, {0, "-"}, {-1, kRedDash}, {vk::F(1), ""}};
    for (const auto& [key, name] : keyNames)
        EXPECT_EQ(ConfigurableKeyboardInputMapper::KeyName(key), name) << key;
    EXPECT_STREQ(ConfigurableJoystickInputMapper::StickInputName(kStickInputCount), "-");

    // The keyboard serves every player; a joystick none until claimed.
    EXPECT_EQ(std::vector<bool>({keys.IsShared(), keys.IsClaimed(0), keys.IsClaimed(1), keys.IsClaimed(2),
                                 pad.IsShared(), pad.IsClaimed(0), pad.IsClaimed(1)}),
              std::vector<bool>({true, true, true, false, false, false, false}));
    keyboard()->OnKeyDown('W');
    keyboard()->OnKeyDown(vk::Up);
    keyboard()->Update(0.02f);
    keys.SetClaimed(1, false);
    pad.SetClaimed(0, true);
    const std::tuple<ConfigurableInputMapper*, const char*, float> values[] = {
        {&keys, "(0):up", 1}, {&keys, "(0):down", 0}, {&keys, "(0):jump", InputMapper::kUnknown},
        {&keys, "(1):up", InputMapper::kUnknown}, {&keys, "(menu):up", 1}, {&pad, "(0):up", 0}};  // no joystick 1
    for (const auto& [mapper, action, value] : values)
        EXPECT_EQ(mapper->GetValue(action), value) << action;
}

TEST_F(InputTest, ACapturedKeyMovesBetweenPlayerActionsButMenusShareIt)
{
    ConfigurableKeyboardInputMapper keys;
    // Nothing held; two keys; reset forgets a key already down; a key without a name unbinds.
    const struct { int key; const char* action; bool reset, captured; } captures[] = {
        {0, "(0):up", false, false}, {'K', "(1):button a", false, true}, {vk::Up, "(0):up", false, true},
        {'Q', "(0):left", true, false}, {vk::F(1), "(0):down", false, true}, {'K', "", false, false}};
    for (const auto& c : captures) {
        keyboard()->OnKeyDown(c.key);
        EXPECT_EQ(keys.CaptureBinding(c.action, c.reset), c.captured) << c.action;
        keyboard()->OnKeyUp(c.key);
    }
    const std::pair<const char*, int> bindings[] = {{"(1):button a", 'K'}, {"(0):button a", kUnbound},
        {"(0):up", vk::Up}, {"(menu):up", vk::Up}, {"(1):up", kUnbound}, {"(0):left", kUnbound},
        {"(0):down", kUnbound}};
    for (const auto& [action, key] : bindings)
        EXPECT_EQ(keys.GetBinding(action), key) << action;
    EXPECT_EQ(keys.GetTargetName("(0):button a"), kRedDash);
    keyboard()->OnKeyDown('K');
    EXPECT_EQ(keys.GetValue("(0):button a"), 0.0f) << "unbound answers 0";
    keys.SetDefaults();
    keys.SetBinding("", 'K');
    EXPECT_EQ(keys.GetBinding("(0):button a"), 'K');
    EXPECT_EQ(keys.GetBindings().size(), 20u);
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
        InputTest::TearDown();
    }
    // Saves, edits the file's text, and loads it into defaults; the text saved.
    std::string SaveEditLoad(const std::vector<std::pair<std::string, std::string>>& edits)
    {
        EXPECT_TRUE(SaveSettings(cast, kFile));
        std::stringstream text;
        text << std::ifstream("data/Savegames/inputs.txt").rdbuf();
        std::string edited = text.str();
        for (const auto& [from, to] : edits) {
            const size_t at = edited.find(from);
            EXPECT_NE(at, std::string::npos) << from;
            edited.replace(std::min(at, edited.size()), from.size(), to);
        }
        std::ofstream("data/Savegames/inputs.txt", std::ios::trunc) << edited;
        keys.SetDefaults(), pad.SetDefaults();
        LoadSettings(cast, kFile);
        return text.str();
    }

    static constexpr const char* kFile = "data\\Savegames\\inputs.txt";
    ConfigurableKeyboardInputMapper keys;
    ConfigurableJoystickInputMapper pad{3};
    Cast* cast = nullptr;
};

TEST_F(KeyFileTest, EveryDeviceSavesAndLoadsItsTable)
{
    keyboard()->OnKeyDown('K');
    ASSERT_TRUE(keys.CaptureBinding("(1):button a", false));
    pad.SetBinding("(menu):back", kButtonF);
    const ConfigurableInputMapper::Bindings keyTable = keys.GetBindings(), padTable = pad.GetBindings();
    const std::string text = SaveEditLoad({{"\"DirectX Index\" 3", "\"DirectX Index\" 2"}});
    EXPECT_TRUE(keys.GetBindings() == keyTable && pad.GetBindings() == padTable);
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
    EXPECT_EQ(std::vector<int>({keys.GetBinding("(0):up"), keys.GetBinding("(0):down"), keys.GetBinding("(0):left"),
                                keys.GetBinding("(0):right"), pad.GetBinding("(0):button a")}),
              std::vector<int>({'W', 'S', 'D', 'D', kButtonA}));
    for (const char* warning : {"\"(0):up\" has the invalid code 300", "\"(0):down\" has the invalid code -7",
                                "\"(0):button a\" has the invalid code 12", "an action without a name is ignored"})
        EXPECT_EQ(log.Count(warning), 1) << warning << " in\n" << log.Text();
}

}  // namespace
