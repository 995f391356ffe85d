#include "framework/MainProgram.h"
#include "framework/tests/support/FileTest.h"
#include "match/Hud.h"
#include "match/ObjectSettings.h"
#include "match/penalties/PenaltySettings.h"
#include "settings/MatchSettings.h"
#include "support/TableTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

using table_test::Write;

class ObjectSettingsTest : public FileTest {};

// The editor's copy and paste: the pasted table was saved under the other object's name.
TEST_F(ObjectSettingsTest, ScratchFileCopiesOneObjectOntoAnother)
{
    fs()->AddAlias("<SC>", Dir().c_str());
    MatchSettings copied;
    table_test::ChangeEveryValue(copied);
    ASSERT_TRUE(SaveObjectSettings("<SC>__temp__.txt", &copied, "Match Settings"));
    const std::string file = ReadRaw(Path("__temp__.txt"));
    EXPECT_EQ(file.rfind("class type: \"MatchSettings\"\n[MatchSettings] \"Match Settings\"\n{\n", 0), 0u) << file;

    MatchSettings pasted;
    pasted.SetName("Other Settings");
    ASSERT_TRUE(LoadObjectSettings("<SC>__temp__.txt", &pasted));
    EXPECT_EQ(Write(pasted), Write(copied));
    EXPECT_STREQ(pasted.GetName(), "Other Settings");
}

TEST_F(ObjectSettingsTest, TableOfAnotherTypeChangesNothing)
{
    PenaltySettings penalties;
    table_test::ChangeEveryValue(penalties);
    ASSERT_TRUE(SaveObjectSettings(Dir("__temp__.txt").c_str(), &penalties, "Penalty Settings"));
    MatchSettings settings;
    const std::string before = Write(settings);
    EXPECT_TRUE(LoadObjectSettings(Dir("__temp__.txt").c_str(), &settings));
    EXPECT_EQ(Write(settings), before);
}

TEST_F(ObjectSettingsTest, MissingFileOrFolderFails)
{
    MatchSettings settings;
    LogCapture log;
    EXPECT_FALSE(LoadObjectSettings(Dir("absent.txt").c_str(), &settings));
    EXPECT_TRUE(log.Contains("LoadObjectSettings:"));
    WriteRaw(Path("blocked"), "a file where a folder should be");
    EXPECT_FALSE(SaveObjectSettings(Dir("blocked\\__temp__.txt").c_str(), &settings, "Match Settings"));
    EXPECT_TRUE(log.Contains("SaveObjectSettings:"));
}

// A failed save leaves the old scratch file as it was.
TEST_F(ObjectSettingsTest, FullDiskKeepsTheOldFile)
{
    MatchSettings settings;
    ASSERT_TRUE(SaveObjectSettings(Dir("__temp__.txt").c_str(), &settings, "Match Settings"));
    const std::string old = ReadRaw(Path("__temp__.txt"));
    table_test::ChangeEveryValue(settings);
    LogCapture log;
    {
        DiskFullAfter full(100);
        EXPECT_FALSE(SaveObjectSettings(Dir("__temp__.txt").c_str(), &settings, "Match Settings"));
    }
    EXPECT_EQ(ReadRaw(Path("__temp__.txt")), old);
}

TEST(HudTest, StartUpCreatesTheHud)
{
    Hud::DestroyInstance();
    LogCapture log;  // no game state is registered here
    MainProgram::Instance()->Init();
    EXPECT_TRUE(Hud::Exists());
    MainProgram::DestroyInstance();
}

}  // namespace
