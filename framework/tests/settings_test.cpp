#include "framework/Settings.h"
#include "support/FileTest.h"
#include "tests/support/LogCapture.h"

#include <climits>
#include <cstring>
#include <vector>

namespace {

Settings Parsed(const char* text)
{
    Settings settings;
    settings.Parse(text, std::strlen(text), "test");
    return settings;
}

}  // namespace

TEST(SettingsTest, KeysValuesSectionsAsWrittenAndWhatIsBrokenIsReported)
{
    const Settings s = Parsed(
        "# font info\r\n// also a comment\r\n\r\nSECTION Graphics\r\nscreenWidth\t 1024 \r\nscreenHeight 768\r\n"
        "ENDSECTION\r\nkerning AV -1.0\r\n  kerning\tTe   -0.5  \r\nSECTION Audio\nsound true\nscreenWidth 320\n"
        "ENDSECTION\nname  Big Font  \nKerning xx 9\nemptyvalue\nlast 7");
    EXPECT_EQ(s.GetEntries().size(), 10u);
    EXPECT_EQ(*s.GetRaw("screenWidth"), "1024");
    EXPECT_EQ(*s.GetRaw("name"), "Big Font");  // the whole value, trimmed
    EXPECT_EQ(s.GetString("name"), "Big");     // its first token
    EXPECT_EQ(*s.GetRaw("last"), "7");         // no line end after the last line
    EXPECT_EQ(*s.GetRaw("emptyvalue"), "");
    for (const char* absent : {"#", "//", "SECTION", "missing"})
        EXPECT_EQ(s.GetRaw(absent), nullptr) << absent;
    EXPECT_EQ(std::pair(s.GetString("missing"), s.GetFloat("missing")), std::pair(std::string(), 0.0f));
    // Repeated keys are counted by occurrence, within a section when one is given.
    std::string value = "kept";
    EXPECT_FALSE(s.FindValue(value, "kerning", 2));  // "Kerning" is another key
    EXPECT_FALSE(s.FindValue(value, "kerning", -1));
    EXPECT_EQ(value, "kept");
    ASSERT_TRUE(s.FindValue(value, "kerning", 1));
    EXPECT_EQ(value, "Te   -0.5");
    EXPECT_EQ(std::pair(s.GetString("kerning", 1), s.GetFloat("screenWidth", 1)), std::pair(std::string("Te"), 320.0f));
    EXPECT_EQ(*s.GetRaw("screenWidth", 0, "Audio"), "320");
    EXPECT_EQ(s.GetRaw("screenWidth", 1, "Audio"), nullptr);
    EXPECT_EQ(s.GetRaw("kerning", 0, "Graphics"), nullptr);
    // Broken sections and numbers are reported, and the rest still reads.
    LogCapture log;
    const Settings broken = Parsed("ENDSECTION\nSECTION\na 1\nSECTION One\nSECTION Two\nb 2\nf1 nan\nf2 -INF\nf3 1e999\nf4 x\n");
    for (const char* problem : {"test line 1: ENDSECTION without SECTION", "test line 2: SECTION without a name",
                                "test line 5: SECTION Two inside One (ENDSECTION missing)", "SECTION Two not closed"})
        EXPECT_TRUE(log.Contains(problem)) << problem;
    EXPECT_EQ(*broken.GetRaw("a", 0, "") + *broken.GetRaw("b", 0, "Two"), "12");
    log.Clear();
    for (const char* key : {"f1", "f2", "f3", "f4"})
        EXPECT_EQ(broken.GetFloat(key), 0.0f) << key;
    EXPECT_EQ(log.Text(), "***WARNING: Settings::GetFloat: \"f1\" is not a finite number: \"nan\"; 0 used\n"
                          "***WARNING: Settings::GetFloat: \"f2\" is not a finite number: \"-INF\"; 0 used\n"
                          "***WARNING: Settings::GetFloat: \"f3\" is not a finite number: \"1e999\"; 0 used\n");
    // Bytes that are no text at all still give no more than odd keys.
    const std::string garbage("\0\xff\n\x01 x\n", 7);
    Settings g;
    g.Parse(garbage.data(), garbage.size(), "garbage");
    EXPECT_EQ(g.GetEntries().size(), 2u);
}

using SettingsFileTest = FileTest;

TEST_F(SettingsFileTest, TheManagerReadsEveryTypeAndTheFirstFileLoadedWins)
{
    LogCapture log;
    EXPECT_FALSE(SettingsManager::Instance()->LoadSettings("data\\pc\\nothing.txt"));
    EXPECT_EQ(log.Text(), "***ERROR: Settings::Load could not open file <data\\pc\\nothing.txt>\n"
                          "***ERROR: SettingsManager::LoadSettings: could not load settings <data\\pc\\nothing.txt>\n");
    WriteRaw(Path("config.txt"),
             "SECTION Graphics\r\nscreenWidth 800\r\nfullscreen 0\r\nENDSECTION\r\nProject TB\r\n"
             "ProjectPath data\\pc\\\r\nsound 1\r\nfastLoading false\r\nCutScenes TRUE\r\nGameSize XXL large\r\n"
             "zoom 0.5\r\nbig 99999999999\r\nbad inf\r\n");
    fs()->AddAlias("<G>", Dir().c_str());
    SettingsManager* settings = SettingsManager::Instance();
    ASSERT_TRUE(settings->LoadSettings("<G>Config.txt"));
    EXPECT_EQ(settings->GetString("ProjectPath") + "|" + settings->GetString("GameSize"), "data\\pc\\|XXL large");
    EXPECT_EQ((std::vector<int>{settings->GetInt("screenWidth", "Graphics"), settings->GetInt("screenWidth", "Audio"),
                                settings->GetInt("Project"), settings->GetInt("big")}),
              (std::vector<int>{800, 0, 0, INT_MAX}));
    std::string bools;
    for (const char* key : {"sound", "fullscreen", "fastLoading", "CutScenes", "missing"})
        bools += settings->GetBool(key) ? '1' : '0';
    EXPECT_EQ(bools, "10010");
    EXPECT_EQ(settings->GetFloat("zoom"), 0.5f);
    log.Clear();
    EXPECT_EQ(settings->GetFloat("bad"), 0.0f);
    EXPECT_EQ(log.Text(), "***WARNING: SettingsManager::GetFloat: \"bad\" is not a finite number: \"inf\"; 0 used\n");
    EXPECT_EQ(settings->GetString("missing"), "");
    // A second file adds keys; the first loaded keeps precedence; loading again replaces.
    WriteRaw(Path("user.txt"), "Project Other\nlanguage en\n");
    ASSERT_TRUE(settings->LoadSettings("<G>user.txt"));
    EXPECT_EQ(settings->GetString("Project"), "TB");
    EXPECT_EQ(settings->GetString("language"), "en");
    WriteRaw(Path("user.txt"), "language de\n");
    ASSERT_TRUE(settings->LoadSettings(Dir("USER.TXT").c_str()));
    EXPECT_EQ(settings->GetFileCount(), 2u);
    EXPECT_EQ(settings->GetString("language"), "de");
    settings->UnloadAll();
    EXPECT_EQ(settings->GetString("Project"), "");
}
