#include "InputTestSupport.h"

#include "framework/AsciiSerializer.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "input/VirtualKeys.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using inputtest::InputTest;
using inputtest::LogCapture;

namespace {

const std::string kRedDash = "<color 255.0 0.0 0.0>-</color>";

TEST_F(InputTest, KeyboardDefaultsAndTheirNames)
{
    ConfigurableKeyboardInputMapper mapper;
    EXPECT_EQ(20u, mapper.GetBindings().size());
    EXPECT_EQ(vk::Up, mapper.GetBinding("(menu):up"));
    EXPECT_EQ(vk::Escape, mapper.GetBinding("escape"));
    EXPECT_EQ("W", mapper.GetTargetName("(0):up"));
    EXPECT_EQ("K", mapper.GetTargetName("(0):button a"));
    EXPECT_EQ("%80511%", mapper.GetTargetName("(1):up"));
    EXPECT_EQ("%80518%", mapper.GetTargetName("(menu):button a"));
    EXPECT_EQ("NUM 1", mapper.GetTargetName("(1):button a"));
    EXPECT_EQ("-", mapper.GetTargetName("no such action"));
    EXPECT_TRUE(mapper.IsShared());
    EXPECT_TRUE(mapper.IsClaimed(0));
    EXPECT_TRUE(mapper.IsClaimed(1));
    EXPECT_FALSE(mapper.IsClaimed(2));

    EXPECT_EQ("7", ConfigurableKeyboardInputMapper::KeyName('7'));
    EXPECT_EQ("NUM 0", ConfigurableKeyboardInputMapper::KeyName(vk::Numpad(0)));
    EXPECT_EQ("%80538%", ConfigurableKeyboardInputMapper::KeyName(vk::Decimal));
    EXPECT_EQ("+", ConfigurableKeyboardInputMapper::KeyName(0xBB));
    EXPECT_EQ("-", ConfigurableKeyboardInputMapper::KeyName(0));
    EXPECT_EQ(kRedDash, ConfigurableKeyboardInputMapper::KeyName(-1));
    EXPECT_EQ("", ConfigurableKeyboardInputMapper::KeyName(vk::F(1)));
}

TEST_F(InputTest, KeyboardBindingsAnswerByKeyState)
{
    ConfigurableKeyboardInputMapper mapper;
    EXPECT_EQ(0.0f, mapper.GetValue("(0):up"));
    keyboard()->OnKeyDown('W');
    EXPECT_EQ(1.0f, mapper.GetValue("(0):up"));
    EXPECT_EQ(InputMapper::kUnknown, mapper.GetValue("(0):jump"));
    EXPECT_EQ(InputMapper::kUnknown, mapper.GetValue(""));

    // Without player 2's claim the device does not answer for that player at all.
    mapper.SetClaimed(1, false);
    keyboard()->OnKeyDown(vk::Up);
    EXPECT_EQ(InputMapper::kUnknown, mapper.GetValue("(1):up"));
    EXPECT_EQ(1.0f, mapper.GetValue("(menu):up"));
    mapper.SetClaimed(0, false);
    EXPECT_EQ(InputMapper::kUnknown, mapper.GetValue("(0):up"));
}

TEST_F(InputTest, CapturedKeyMovesBetweenPlayerActionsButMenusShare)
{
    ConfigurableKeyboardInputMapper mapper;
    keyboard()->OnKeyDown('K');
    EXPECT_TRUE(mapper.CaptureBinding("(1):button a", false));
    EXPECT_EQ('K', mapper.GetBinding("(1):button a"));
    EXPECT_EQ("K", mapper.GetTargetName("(1):button a"));
    EXPECT_EQ(ConfigurableInputMapper::kUnbound, mapper.GetBinding("(0):button a"));
    EXPECT_EQ(kRedDash, mapper.GetTargetName("(0):button a"));
    EXPECT_EQ(0.0f, mapper.GetValue("(0):button a")) << "unbound answers 0 even with K down";
    EXPECT_EQ(1.0f, mapper.GetValue("(1):button a"));
    keyboard()->OnKeyUp('K');

    keyboard()->OnKeyDown(vk::Up);
    EXPECT_TRUE(mapper.CaptureBinding("(0):up", false));
    EXPECT_EQ(vk::Up, mapper.GetBinding("(0):up"));
    EXPECT_EQ(vk::Up, mapper.GetBinding("(menu):up")) << "menu bindings may share a key";
    EXPECT_EQ(ConfigurableInputMapper::kUnbound, mapper.GetBinding("(1):up"));
    keyboard()->OnKeyUp(vk::Up);

    mapper.SetDefaults();
    EXPECT_EQ('K', mapper.GetBinding("(0):button a"));
    EXPECT_EQ(vk::Up, mapper.GetBinding("(1):up"));
}

TEST_F(InputTest, CaptureNeedsAHeldKeyWithAName)
{
    ConfigurableKeyboardInputMapper mapper;
    EXPECT_FALSE(mapper.CaptureBinding("(0):up", false));
    EXPECT_EQ('W', mapper.GetBinding("(0):up")) << "nothing held: nothing changes";

    // Reset forgets a key that was already down, so the player must press a new one.
    keyboard()->OnKeyDown('Q');
    EXPECT_FALSE(mapper.CaptureBinding("(0):up", true));
    EXPECT_EQ(ConfigurableInputMapper::kUnbound, mapper.GetBinding("(0):up"));
    EXPECT_FALSE(mapper.CaptureBinding("(0):up", false));
    keyboard()->OnKeyUp('Q');

    keyboard()->OnKeyDown(vk::F(1));
    EXPECT_TRUE(mapper.CaptureBinding("(0):down", false));
    EXPECT_EQ(ConfigurableInputMapper::kUnbound, mapper.GetBinding("(0):down"));
    keyboard()->OnKeyUp(vk::F(1));

    ConfigurableJoystickInputMapper pad(0);
    keyboard()->OnKeyDown('Q');
    EXPECT_FALSE(pad.CaptureBinding("(0):up", false));
}

TEST_F(InputTest, JoystickDefaultsAndNames)
{
    ConfigurableJoystickInputMapper pad(1);
    EXPECT_FALSE(pad.IsShared());
    EXPECT_FALSE(pad.IsClaimed(0));
    EXPECT_FALSE(pad.IsClaimed(1));
    EXPECT_EQ(21u, pad.GetBindings().size());
    EXPECT_EQ(kStickUp, pad.GetBinding("(menu):up"));
    EXPECT_EQ(kButtonB, pad.GetBinding("(menu):back"));
    EXPECT_EQ(kButtonH, pad.GetBinding("(menu):button h"));
    EXPECT_EQ(kButtonB, pad.GetBinding("(1):button b"));
    EXPECT_EQ("STICK_LEFT", pad.GetTargetName("(0):left"));
    EXPECT_EQ("BUTTON_A", pad.GetTargetName("(menu):button a"));
    pad.SetBinding("(0):left", ConfigurableInputMapper::kUnbound);
    EXPECT_EQ(kRedDash, pad.GetTargetName("(0):left"));
    EXPECT_EQ("-", pad.GetTargetName("(menu):button b")) << "no default for it";
    // No joystick 1 exists here: bound inputs read 0, never crash.
    pad.SetClaimed(0, true);
    EXPECT_EQ(0.0f, pad.GetValue("(0):up"));
}

// Round trips through the text files of the framework.
class KeyFileTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        FileSystem::DestroyInstance();
        std::filesystem::remove_all("data");
        std::filesystem::create_directories("data/Savegames");
    }
    void TearDown() override
    {
        FileSystem::DestroyInstance();
        InputTest::TearDown();
    }

    static bool Write(ConfigurableInputMapper& mapper, const char* file)
    {
        File* out = FileSystem::Instance()->OpenWrite(file);
        if (!out)
            return false;
        {
            AsciiSerializer writer(out, true);
            writer.SerializeObject("input(0)", &mapper);
        }
        return FileSystem::Instance()->Close(out);
    }
    static bool Read(ConfigurableInputMapper& mapper, const char* file)
    {
        File* in = FileSystem::Instance()->OpenRead(file);
        if (!in)
            return false;
        {
            AsciiSerializer reader(in, false);
            reader.SerializeObject("input(0)", &mapper);
        }
        FileSystem::Instance()->Close(in);
        return true;
    }
    static std::string Text(const char* path)
    {
        std::ifstream in(path);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void Replace(std::string& text, const std::string& from, const std::string& to)
    {
        const size_t at = text.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        text.replace(at, from.size(), to);
    }
};

TEST_F(KeyFileTest, KeyboardTableRoundTrips)
{
    ConfigurableKeyboardInputMapper written;
    keyboard()->OnKeyDown('K');
    ASSERT_TRUE(written.CaptureBinding("(1):button a", false));
    keyboard()->OnKeyUp('K');
    ASSERT_TRUE(Write(written, "data\\Savegames\\inputs.txt"));

    const std::string text = Text("data/Savegames/inputs.txt");
    EXPECT_NE(std::string::npos, text.find("[Input Mapper] \"input(0)\"")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Action Name\" \"(1):button a\"\n  \"Value\" 75")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Value\" -1")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Target\" \"\"")) << text;

    ConfigurableKeyboardInputMapper read;
    ASSERT_TRUE(Read(read, "data\\Savegames\\inputs.txt"));
    EXPECT_EQ(written.GetBindings(), read.GetBindings());
    EXPECT_EQ(kRedDash, read.GetTargetName("(0):button a"));
}

TEST_F(KeyFileTest, JoystickTableRoundTripsWithItsIndex)
{
    ConfigurableJoystickInputMapper written(3);
    written.SetBinding("(0):button a", kButtonG);
    written.SetBinding("(menu):back", ConfigurableInputMapper::kUnbound);
    ASSERT_TRUE(Write(written, "data\\Savegames\\pad.txt"));
    const std::string text = Text("data/Savegames/pad.txt");
    EXPECT_NE(std::string::npos, text.find("[Joystick Input]")) << text;
    EXPECT_NE(std::string::npos, text.find("\"DirectX Index\" 3")) << text;

    ConfigurableJoystickInputMapper read(0);
    ASSERT_TRUE(Read(read, "data\\Savegames\\pad.txt"));
    EXPECT_EQ(written.GetBindings(), read.GetBindings());
    EXPECT_EQ(3, read.GetJoystickIndex());
}

TEST_F(KeyFileTest, OutOfRangeCodesKeepTheDefaultWithAWarning)
{
    ConfigurableKeyboardInputMapper defaults;
    ASSERT_TRUE(Write(defaults, "data\\Savegames\\inputs.txt"));
    std::string text = Text("data/Savegames/inputs.txt");
    Replace(text, "\"Action Name\" \"(0):up\"\n  \"Value\" 87", "\"Action Name\" \"(0):up\"\n  \"Value\" 300");
    Replace(text, "\"Action Name\" \"(0):down\"\n  \"Value\" 83", "\"Action Name\" \"(0):down\"\n  \"Value\" -7");
    Replace(text, "\"Action Name\" \"(0):left\"\n  \"Value\" 65", "\"Action Name\" \"(0):left\"\n  \"Value\" 68");
    Replace(text, "\"Action Name\" \"(0):right\"", "\"Action Name\" \"\"");
    std::ofstream("data/Savegames/inputs.txt", std::ios::trunc) << text;

    LogCapture log;
    ConfigurableKeyboardInputMapper read;
    ASSERT_TRUE(Read(read, "data\\Savegames\\inputs.txt"));
    EXPECT_EQ('W', read.GetBinding("(0):up"));
    EXPECT_EQ('S', read.GetBinding("(0):down"));
    EXPECT_EQ('D', read.GetBinding("(0):left")) << "valid codes are taken";
    EXPECT_EQ('D', read.GetBinding("(0):right"));
    EXPECT_EQ(0u, read.GetBindings().count(""));
    EXPECT_TRUE(log.Contains("***WARNING: ConfigurableInputMapper::Serialize: \"(0):up\" has the invalid code 300"))
        << log.Text();
    EXPECT_TRUE(log.Contains("\"(0):down\" has the invalid code -7")) << log.Text();
    EXPECT_TRUE(log.Contains("an action without a name is ignored")) << log.Text();

    // A joystick code past the table is refused the same way.
    ConfigurableJoystickInputMapper pad(0);
    ASSERT_TRUE(Write(pad, "data\\Savegames\\pad.txt"));
    text = Text("data/Savegames/pad.txt");
    Replace(text, "\"Action Name\" \"(0):button a\"\n   \"Value\" 7",
            "\"Action Name\" \"(0):button a\"\n   \"Value\" 12");
    std::ofstream("data/Savegames/pad.txt", std::ios::trunc) << text;
    ConfigurableJoystickInputMapper padRead(0);
    ASSERT_TRUE(Read(padRead, "data\\Savegames\\pad.txt"));
    EXPECT_EQ(kButtonA, padRead.GetBinding("(0):button a"));
    EXPECT_TRUE(log.Contains("\"(0):button a\" has the invalid code 12")) << log.Text();
}

TEST_F(KeyFileTest, MissingFileOrEntriesLeaveTheBindings)
{
    std::ofstream("data/Savegames/inputs.txt") << "[Input Mapper] \"input(0)\"\n{\n"
                                                  " [Action] \"\"\n {\n  \"Value\" 81\n }\n}\n";
    ConfigurableKeyboardInputMapper read;
    ASSERT_TRUE(Read(read, "data\\Savegames\\inputs.txt"));
    // Without its name the first entry (in name order) takes the value.
    EXPECT_EQ('Q', read.GetBinding("(0):button a"));
    EXPECT_EQ('L', read.GetBinding("(0):button b"));
    EXPECT_EQ(20u, read.GetBindings().size());
}

}  // namespace

namespace {

// The key-assignment file as the game keeps it: the cast "inputs" with one mapper per
// device, saved and loaded as a cast file.
TEST_F(KeyFileTest, InputsCastSavesAndLoadsEveryDevice)
{
    const char* file = "data\\Savegames\\inputs.txt";
    ConfigurableKeyboardInputMapper keys;
    ConfigurableJoystickInputMapper pad(0);
    Cast* cast = CastManager::Instance()->CreateCast("inputs");
    cast->AddMember(&keys, "input(0)", false);
    cast->AddMember(&pad, "input(1)", false);

    keyboard()->OnKeyDown('J');
    ASSERT_TRUE(keys.CaptureBinding("(0):button b", false));
    keyboard()->OnKeyUp('J');
    pad.SetBinding("(menu):back", kButtonF);
    ASSERT_TRUE(SaveSettings(cast, file));
    const std::string text = Text("data/Savegames/inputs.txt");
    EXPECT_NE(std::string::npos, text.find("OBJECT START")) << text;

    keys.SetDefaults();
    pad.SetDefaults();
    ASSERT_EQ('L', keys.GetBinding("(0):button b"));
    EXPECT_TRUE(LoadSettings(cast, file));
    EXPECT_EQ('J', keys.GetBinding("(0):button b"));
    EXPECT_EQ(kButtonF, pad.GetBinding("(menu):back"));

    cast->RemoveMember(&keys);
    cast->RemoveMember(&pad);
    CastManager::DestroyInstance();
}

}  // namespace
