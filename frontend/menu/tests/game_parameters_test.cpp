#include "framework/Cast.h"
#include "framework/tests/support/FileTest.h"
#include "frontend/menu/TBMenuToggles.h"
#include "match/tests/support/TableTestSupport.h"
#include "settings/GameParameters.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using table_test::Write;

const char* const kFreshUserFile = R"table(# ------------------------------------------------ Game Parameters
OBJECT START
class type: "GameParameters"
[GameParameters] "Game Parameters"
{
 "SFX Volume" 10
 "Music Volume" 10
 "Halftime Duration" 2
 "Cards" 1
 "Replays" 1
 "Resolution" 0
 "Quality" 1
 "GraphicsMode" 0
 "Shirts1" 0
 "Shirts2" 3
 "Player1Device" 0
 "Player2Device" 0
 "Camera_0" ""
 "Zoom0" 0.500000
 "Camera_1" ""
 "Zoom1" 0.500000
 "Camera_2" ""
 "Zoom2" 0.500000
}
)table";

class UserFileTest : public FileTest {
protected:
    void SetUp() override
    {
        FileTest::SetUp();
        TBMenuToggles::DestroyInstance();
        user = CastManager::Instance()->CreateCast("user");
    }
    void TearDown() override
    {
        CastManager::DestroyInstance();
        TBMenuToggles::DestroyInstance();
        FileTest::TearDown();
    }
    bool Save(GameParameters& parameters)
    {
        user->AddMember(&parameters, "Game Parameters", false);
        const bool saved = SaveSettings(user, File().c_str());
        user->RemoveMember(&parameters);
        return saved;
    }
    bool Load(GameParameters& parameters)
    {
        user->AddMember(&parameters, "Game Parameters", false);
        const bool loaded = LoadSettings(user, File().c_str());
        user->RemoveMember(&parameters);
        return loaded;
    }
    void WriteUserFile(const std::string& entries)
    {
        WriteRaw(Path("user.txt"), "OBJECT START\nclass type: \"GameParameters\"\n"
                                   "[GameParameters] \"Game Parameters\"\n{\n" + entries);
    }
    std::string File() const { return Dir("user.txt"); }
    // The toggles' values, by id.
    std::map<int, int> ToggleValues() const
    {
        std::map<int, int> values;
        for (int id = 0; id < TBMenuToggles::kCount; ++id)
            values[id] = TBMenuToggles::Instance()->GetToggle(id)->value;
        return values;
    }
    // The toggles still waiting to be applied.
    std::vector<int> PendingToggles() const
    {
        std::vector<int> pending;
        for (int id = 0; id < TBMenuToggles::kCount; ++id)
            if (TBMenuToggles::Instance()->GetToggle(id)->IsPending())
                pending.push_back(id);
        return pending;
    }
    Cast* user = nullptr;
};

TEST_F(UserFileTest, FreshParametersWriteTheUserFileToTheLetter)
{
    GameParameters parameters;
    ASSERT_TRUE(Save(parameters));
    EXPECT_EQ(ReadRaw(Path("user.txt")), kFreshUserFile);
}

TEST_F(UserFileTest, ReadingHandsTheOptionsToTheTogglesAndFreesTheDevices)
{
    WriteUserFile(" \"SFX Volume\" 3\n \"Music Volume\" 4\n \"Halftime Duration\" 5\n \"Cards\" 0\n"
                  " \"Replays\" 0\n \"Resolution\" 2\n \"Quality\" 7\n \"GraphicsMode\" 1\n \"Shirts1\" 6\n"
                  " \"Shirts2\" 1\n \"Player1Device\" 2\n \"Player2Device\" 9\n}\n");
    GameParameters parameters;
    // Out-of-range values (quality 7, device 9) are clamped into their option tables, and
    // the load says so.
    EXPECT_FALSE(Load(parameters));
    // The story's toggles (9, 10, 13) are not in the file and keep their defaults.
    const std::map<int, int> handed = {{0, 3}, {1, 4}, {2, 2},  {3, 5},  {4, 6},  {5, 1},  {6, 2},
                                       {7, 4}, {8, 0}, {9, 1}, {10, 0}, {11, 0}, {12, 2}, {13, 1}};
    EXPECT_EQ(ToggleValues(), handed);
    // Applied at once but the resolution, and the devices until they are counted.
    EXPECT_EQ(PendingToggles(), (std::vector<int>{2, 6, 7}));
    EXPECT_EQ(parameters.playerDevices[0], 0);
    EXPECT_EQ(parameters.playerDevices[1], 0);
    EXPECT_EQ(parameters.resolution, 2);
    EXPECT_EQ(parameters.graphicsMode, 1);
}

TEST_F(UserFileTest, WritingHandsNothingOver)
{
    GameParameters parameters;
    parameters.playerDevices[0] = 2;
    ASSERT_TRUE(Save(parameters));
    EXPECT_EQ(parameters.playerDevices[0], 2);
    EXPECT_TRUE(PendingToggles().empty());
}

// Everything, the two devices chosen as the toggles take them: into their table.
TEST_F(UserFileTest, ChangedParametersReadBackEqual)
{
    GameParameters saved;
    table_test::ChangeEveryValue(saved);
    ASSERT_TRUE(Save(saved));
    GameParameters loaded;
    // The changed devices and quality lie outside the toggles' tables: reported, still read.
    EXPECT_FALSE(Load(loaded));
    const int lastDevice = TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kDevice1)->options->GetCount() - 1;
    saved.deviceChoices[0] = saved.deviceChoices[1] = lastDevice;
    EXPECT_EQ(Write(loaded), Write(saved));
    EXPECT_NE(Write(loaded), Write(*std::make_unique<GameParameters>()));
}

// The player's file may be cut short or damaged: what reads is taken, the rest keeps its
// value, and the damage is told.
TEST_F(UserFileTest, TruncatedOrCorruptFileKeepsWhatDoesNotRead)
{
    struct Case {
        const char* name;
        std::string entries;
        int sfx, music, halftime;
    };
    const Case cases[] = {
        {"cut inside a key", " \"SFX Volume\" 3\n \"Music Vol", 3, 10, 2},
        {"cut inside a value", " \"SFX Volume\" 3\n \"Music Volume\" ", 3, 10, 2},
        {"cut before the close", " \"SFX Volume\" 3\n \"Music Volume\" 4\n", 3, 4, 2},
        {"values not numbers", " \"SFX Volume\" loud\n \"Music Volume\" 4\n \"Halftime Duration\" \x01\xff\n}\n",
         10, 4, 2},
        {"broken section line", std::string(" [\xfe\x00\x13", 5) + "\n \"Halftime Duration\" 1\n}\n}\n", 10, 10, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteUserFile(c.entries);
        GameParameters parameters;
        LogCapture log;
        Load(parameters);
        EXPECT_EQ(parameters.sfxVolume, c.sfx);
        EXPECT_EQ(parameters.musicVolume, c.music);
        EXPECT_EQ(parameters.halftimeDuration, c.halftime);
        EXPECT_TRUE(log.Contains("***WARNING")) << log.Text();
    }
}

TEST(GameParametersTest, StringParametersStartUnset)
{
    const GameParameters parameters;
    for (const char* name : {"players", "teamone", "teamtwo", "level", "storyslot"})
        EXPECT_EQ(parameters.GetParameter(name), "NULL") << name;
    EXPECT_EQ(parameters.GetParameter("referee"), "");
}

TEST(GameParametersTest, LevelNumberAndPlayersReadFromTheirTexts)
{
    const std::pair<const char*, int> levels[] = {{"level01", 1}, {"level4", 4}, {"level9", 4}, {"level0", 1},
                                                   {"level3", 3}, {"NULL", 1},   {"Level2", 1}};
    GameParameters parameters;
    for (const auto& [text, number] : levels) {
        parameters.SetParameter("level", text);
        EXPECT_EQ(parameters.GetLevelNumber(), number) << text;
    }
    const std::pair<const char*, int> players[] = {{"2", 2}, {"1", 1}, {"0", 0}, {"NULL", 0}};
    for (const auto& [text, number] : players) {
        parameters.SetParameter("players", text);
        EXPECT_EQ(parameters.GetChosenPlayers(), number) << text;
    }
}

class MemberListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_chosenCharacters[0] = {{"panda_a"}, {"panda_b"}};
        g_chosenCharacters[1] = {{"rhino_a"}};
    }
    void TearDown() override
    {
        g_chosenCharacters[0].clear();
        g_chosenCharacters[1].clear();
    }
    static std::vector<std::string> Listed(const std::vector<TeamMember>& list)
    {
        std::vector<std::string> names;
        for (const TeamMember& member : list)
            names.push_back(member.variation + (member.chosen ? "+" : "-"));
        return names;
    }
};

TEST_F(MemberListsTest, RebuildAppendsThePickedCharactersOfCustomSides)
{
    using Names = std::vector<std::string>;
    struct Case {
        const char* name;
        int32_t stale, custom0, custom1;
        Names side0, side1;
        int32_t staleAfter;
    };
    const Case cases[] = {
        {"no custom side", 1, 0, 0, {"old-"}, {}, 0},
        {"side 1 only", 1, 0, 1, {"old-"}, {"rhino_a+"}, 0},
        {"both sides", 1, 1, 1, {"old-", "panda_a+", "panda_b+"}, {"rhino_a+"}, 0},
        {"not stale", 0, 1, 1, {"old-"}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameParameters parameters;
        parameters.memberLists[0] = {{"old", false}};
        parameters.memberListsStale = c.stale;
        parameters.customTeam[0] = c.custom0;
        parameters.customTeam[1] = c.custom1;
        parameters.RebuildMemberLists();
        EXPECT_EQ(Listed(parameters.memberLists[0]), c.side0);
        EXPECT_EQ(Listed(parameters.memberLists[1]), c.side1);
        EXPECT_EQ(parameters.memberListsStale, c.staleAfter);
    }
}

TEST(MenuTogglesTest, OutOfRangeIdsChangeNothing)
{
    TBMenuToggles::DestroyInstance();
    LogCapture log;
    TBMenuToggle::LoadExternToggleValue(TBMenuToggles::kCount, 5);
    TBMenuToggle::LoadExternToggleValue(-1, 5);
    EXPECT_EQ(log.Count("TBMenuToggle::LoadExternToggleValue Error: toggleid exceeds bounds."), 2);
    for (int id = 0; id < TBMenuToggles::kCount; ++id)
        EXPECT_FALSE(TBMenuToggles::Instance()->GetToggle(id)->IsPending()) << id;
    TBMenuToggle::LoadExternToggleValue(13, 1);
    EXPECT_TRUE(TBMenuToggles::Instance()->GetToggle(13)->IsPending());
    TBMenuToggles::DestroyInstance();
}

}  // namespace
