#include "file_test_util.h"

#include "framework/Archive.h"
#include "framework/Settings.h"

#include <cstring>

using filetest::FileTest;
using filetest::LogCapture;
using filetest::WriteRaw;

namespace {

const char* kFont =
    "# font info\r\n"
    "// also a comment\r\n"
    "\r\n"
    "SECTION Graphics\r\n"
    "screenWidth\t 1024 \r\n"
    "screenHeight 768\r\n"
    "ENDSECTION\r\n"
    "kerning AV -1.0\r\n"
    "  kerning\tTe   -0.5  \r\n"
    "SECTION Audio\n"
    "sound true\n"
    "screenWidth 320\n"
    "ENDSECTION\n"
    "name  Big Font  \n"
    "Kerning xx 9\n"
    "emptyvalue\n"
    "last 7";

Settings Parsed(const char* text)
{
    Settings settings;
    settings.Parse(text, std::strlen(text), "test");
    return settings;
}

}  // namespace

TEST(SettingsTest, KeysValuesSectionsAndCommentsAsWritten)
{
    const Settings s = Parsed(kFont);
    ASSERT_NE(s.GetRaw("screenWidth"), nullptr);
    EXPECT_EQ(*s.GetRaw("screenWidth"), "1024");
    EXPECT_EQ(s.GetString("screenHeight"), "768");
    EXPECT_EQ(*s.GetRaw("name"), "Big Font");  // the whole value, trimmed
    EXPECT_EQ(s.GetString("name"), "Big");     // its first token
    EXPECT_EQ(*s.GetRaw("last"), "7");         // no line end after the last line
    EXPECT_EQ(*s.GetRaw("emptyvalue"), "");
    EXPECT_EQ(s.GetRaw("#"), nullptr);
    EXPECT_EQ(s.GetRaw("//"), nullptr);
    EXPECT_EQ(s.GetRaw("SECTION"), nullptr);
    EXPECT_EQ(s.GetRaw("missing"), nullptr);
    EXPECT_EQ(s.GetString("missing"), "");
    EXPECT_EQ(s.GetFloat("missing"), 0.0f);
    EXPECT_EQ(s.GetEntries().size(), 10u);
}

TEST(SettingsTest, RepeatedKeysAreCountedByOccurrence)
{
    const Settings s = Parsed(kFont);
    std::string value;
    ASSERT_TRUE(s.FindValue(value, "kerning", 0));
    EXPECT_EQ(value, "AV -1.0");
    ASSERT_TRUE(s.FindValue(value, "kerning", 1));
    EXPECT_EQ(value, "Te   -0.5");
    EXPECT_FALSE(s.FindValue(value, "kerning", 2));  // "Kerning" is another key
    EXPECT_EQ(value, "Te   -0.5");
    EXPECT_FALSE(s.FindValue(value, "kerning", -1));
    EXPECT_EQ(s.GetString("kerning", 1), "Te");
    EXPECT_FLOAT_EQ(s.GetFloat("screenWidth", 1), 320.0f);
    EXPECT_EQ(*s.GetRaw("screenWidth", 0, "Audio"), "320");
    EXPECT_EQ(s.GetRaw("screenWidth", 1, "Audio"), nullptr);
    EXPECT_EQ(s.GetRaw("kerning", 0, "Graphics"), nullptr);
}

TEST(SettingsTest, BrokenSectionsAreReportedAndTheRestStillReads)
{
    LogCapture log;
    const Settings s = Parsed("ENDSECTION\nSECTION\na 1\nSECTION One\nSECTION Two\nb 2\n");
    EXPECT_TRUE(log.Contains("ENDSECTION without SECTION"));
    EXPECT_TRUE(log.Contains("SECTION without a name"));
    EXPECT_TRUE(log.Contains("ENDSECTION missing"));
    EXPECT_TRUE(log.Contains("not closed"));
    EXPECT_EQ(*s.GetRaw("a", 0, ""), "1");
    EXPECT_EQ(*s.GetRaw("b", 0, "Two"), "2");
    // Bytes that are no text at all still give no more than odd keys.
    const std::string garbage("\0\xff\n\x01 x\n", 7);
    Settings g;
    g.Parse(garbage.data(), garbage.size(), "garbage");
    EXPECT_EQ(g.GetEntries().size(), 2u);
}

using SettingsFileTest = FileTest;

TEST_F(SettingsFileTest, AMissingFileIsReportedByBothLayers)
{
    LogCapture log;
    Settings s;
    EXPECT_FALSE(s.Load("data\\pc\\nothing.txt"));
    EXPECT_TRUE(log.Contains("Settings::Load could not open file <data\\pc\\nothing.txt>"));
    log.Clear();
    EXPECT_FALSE(SettingsManager::Instance()->LoadSettings("data\\pc\\nothing.txt"));
    EXPECT_TRUE(log.Contains("SettingsManager::LoadSettings: could not load settings <data\\pc\\nothing.txt>"));
    EXPECT_EQ(SettingsManager::Instance()->GetFileCount(), 0u);
}

TEST_F(SettingsFileTest, TheManagerReadsThroughTheArchiveFirst)
{
    WriteRaw(Path("stage/data/pc/config.txt"),
             "SECTION Graphics\r\nscreenWidth 800\r\nfullscreen 0\r\nENDSECTION\r\n"
             "Project TB\r\nProjectPath data\\pc\\\r\nsound 1\r\nfastLoading false\r\nCutScenes TRUE\r\n"
             "GameSize XXL large\r\nzoom 0.5\r\n");
    WriteRaw(Path("game/data/pc/config.txt"), "Project Disk\n");  // shadowed by the archive
    std::string error;
    ASSERT_TRUE(Archive::Pack(Dir() + "game\\Turfbolt.dat", Dir() + "stage", error)) << error;
    ASSERT_TRUE(fs()->AddDataFile((Dir() + "game\\Turfbolt.dat").c_str(), true));
    fs()->AddAlias("<G>", Dir().c_str());

    SettingsManager* settings = SettingsManager::Instance();
    ASSERT_TRUE(settings->LoadSettings("data\\pc\\config.txt"));
    EXPECT_EQ(settings->GetString("Project"), "TB");
    EXPECT_EQ(settings->GetString("ProjectPath"), "data\\pc\\");
    EXPECT_EQ(settings->GetString("GameSize"), "XXL large");
    EXPECT_EQ(settings->GetInt("screenWidth"), 800);
    EXPECT_EQ(settings->GetInt("screenWidth", "Graphics"), 800);
    EXPECT_EQ(settings->GetInt("screenWidth", "Audio"), 0);
    EXPECT_EQ(settings->GetInt("Project"), 0);
    EXPECT_TRUE(settings->GetBool("sound"));
    EXPECT_FALSE(settings->GetBool("fullscreen"));
    EXPECT_FALSE(settings->GetBool("fastLoading"));
    EXPECT_TRUE(settings->GetBool("CutScenes"));
    EXPECT_FALSE(settings->GetBool("missing"));
    EXPECT_FLOAT_EQ(settings->GetFloat("zoom"), 0.5f);
    EXPECT_EQ(settings->GetString("missing"), "");

    // A second file adds keys; the first loaded keeps precedence; loading again replaces.
    WriteRaw(Path("user.txt"), "Project Other\nlanguage en\n");
    ASSERT_TRUE(settings->LoadSettings("<G>user.txt"));
    EXPECT_EQ(settings->GetString("Project"), "TB");
    EXPECT_EQ(settings->GetString("language"), "en");
    WriteRaw(Path("user.txt"), "language de\n");
    ASSERT_TRUE(settings->LoadSettings((Dir() + "USER.TXT").c_str()));
    EXPECT_EQ(settings->GetFileCount(), 2u);
    EXPECT_EQ(settings->GetString("language"), "de");

    settings->UnloadAll();
    EXPECT_EQ(settings->GetString("Project"), "");
    EXPECT_EQ(settings->GetInt("screenWidth"), 0);
}
