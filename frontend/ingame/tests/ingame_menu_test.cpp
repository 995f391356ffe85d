#include "frontend/ingame/TBIngameMenu.h"

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Message.h"
#include "game/harness/GameHarness.h"
#include "game/harness/MatchSides.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "pitch/PitchSimulation.h"
#include "simulation/ReplayEngine.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NullDeviceSuite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr float kDt = GameHarness::kFrameTime;
constexpr int kFadeCap = 240;
constexpr uint32_t kMatchHud = 0x3F;

// What a menu over the pitch switches off, read at one moment.
struct PitchSwitches {
    uint32_t hud;
    bool replayPaused;
    bool active;
    bool operator==(const PitchSwitches&) const = default;
};

PitchSwitches ReadSwitches()
{
    const PitchSimulation& pitch = *PitchSimulation::Instance();
    return {pitch.GetHudMask(), ReplayEngine::Instance()->IsPaused(), pitch.IsActive()};
}

const PitchSwitches kPlaying{kMatchHud, false, true};
const PitchSwitches kUnderMenu{0, true, false};

std::string Variable(const std::string& key)
{
    return Menu::Instance()->Variables()[key];
}

std::string NameOf(const Character* character)
{
    return character->GetVariation()->GetDisplayName();
}

class IngameMenuTest : public NullDeviceSuite {
protected:
    void SetUp() override
    {
        ClearDataFolders();
        std::filesystem::create_directories("data/Savegames");
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        ASSERT_TRUE(harness->Start());
        harness->MakeCurrent(nullptr);
        LoadLevelCasts(*harness);
        PitchSimulation* pitch = PitchSimulation::Instance();
        pitch->SetupMatch();
        pitch->RecreateTeams();
        ASSERT_TRUE(PutSidesOnPitch("Panda01", "Lizard01"));
        pitch->ResetMatchClock(&rate);
        pitch->SetHudElements(kMatchHud);
        ReplayEngine::Instance()->SetPaused(false);
        TBIngameMenu::s_selectedSubstitutionPlayer = 0;
        TBIngameMenu::s_selectedSubstitute = 0;
    }
    void TearDown() override
    {
        StateSlot::Set(&slot, nullptr, false);
        harness.reset();
    }

    // Runs the slot until the menu is fully shown; false when it never is.
    bool RunUntilShown()
    {
        for (int i = 0; i < kFadeCap && slot && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
            StateSlot::Update(&slot, kDt);
        return slot && Menu::Instance()->GetFadeState() == Menu::kShown;
    }
    // Runs the slot until it holds another state; that state.
    State* RunUntilReplaced()
    {
        State* held = slot;
        for (int i = 0; i < kFadeCap && slot == held; ++i)
            StateSlot::Update(&slot, kDt);
        return slot;
    }
    static void Command(TBMenu* menu, const char* word, const char* argument = "")
    {
        MenuActionParameter parameter;
        parameter.argument = argument;
        menu->OnMessage(MessageServer::Instance()->RegisterMessage(word), reinterpret_cast<intptr_t>(&parameter));
    }
    // The first side's field players in member order.
    static std::vector<Character*> FieldPlayers()
    {
        std::vector<Character*> players;
        const SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(0);
        for (int32_t i = 0; i < team.GetPlayerCount(); ++i)
            if (!team.GetPlayer(i)->IsKeeper())
                players.push_back(team.GetPlayer(i));
        return players;
    }

    std::unique_ptr<GameHarness> harness;
    State* slot = nullptr;
    float rate = 22.5f;
};

TEST_F(IngameMenuTest, ExitRestoresWhatEnterSwitchedOffAlsoThroughAChainOfMenus)
{
    struct Case {
        const char* name;
        std::vector<std::string> chain;  // each screen's "SetMenu" leads to the next
    };
    const Case cases[] = {{"one menu", {"ingame_menu"}}, {"two menus", {"ingame_menu", "ingame_substitution"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StateSlot::Set(&slot, new TBIngameMenu(c.chain[0], false), true);
        for (size_t i = 0; i < c.chain.size(); ++i) {
            ASSERT_TRUE(RunUntilShown());
            EXPECT_EQ(ReadSwitches(), kUnderMenu);
            // The clock stands under the menu whatever the update asks.
            const float time = PitchSimulation::Instance()->GetClock()->GetTime();
            PitchSimulation::Instance()->Update(kDt, PitchSimulation::kUpdateClock);
            EXPECT_EQ(PitchSimulation::Instance()->GetClock()->GetTime(), time);
            const bool last = i + 1 == c.chain.size();
            Command(static_cast<TBMenu*>(slot), last ? "Nothing" : "SetMenu",
                    last ? "" : c.chain[i + 1].c_str());
            State* next = RunUntilReplaced();
            if (!last) {
                auto* menu = dynamic_cast<TBIngameMenu*>(next);
                ASSERT_NE(menu, nullptr);
                EXPECT_EQ(menu->GetScreen(), c.chain[i + 1]);
                EXPECT_FALSE(menu->GetRenderPitch());
            }
        }
        EXPECT_EQ(slot, nullptr);
        EXPECT_EQ(ReadSwitches(), kPlaying);
        const float time = PitchSimulation::Instance()->GetClock()->GetTime();
        PitchSimulation::Instance()->Update(kDt, PitchSimulation::kUpdateClock);
        EXPECT_GT(PitchSimulation::Instance()->GetClock()->GetTime(), time);
    }
}

TEST_F(IngameMenuTest, AMenuDroppedBeforeItEnteredLeavesThePitchAlone)
{
    StateSlot::Set(&slot, new TBIngameMenu("ingame_menu", false), false);
    StateSlot::Set(&slot, nullptr, false);
    EXPECT_EQ(ReadSwitches(), kPlaying);
}

TEST_F(IngameMenuTest, SubstitutionNamesFillFromTheFirstSideAndTheMarkFollowsSelectSubstitute)
{
    const std::vector<Character*> field = FieldPlayers();
    ASSERT_EQ(field.size(), 4u);
    SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(0);
    struct Case {
        const char* name;
        bool benchOne;          // the fourth field player goes to the bench first
        const char* select;     // "SelectSubstitute" argument, or none
        std::vector<std::string> players;
        std::vector<std::string> bench;
    };
    const std::string p1 = NameOf(field[0]), p2 = NameOf(field[1]), p3 = NameOf(field[2]), p4 = NameOf(field[3]);
    const Case cases[] = {
        {"full side, empty bench", false, nullptr, {p1 + " XXX", p2, p3, p4}, {"N/A", "N/A"}},
        {"fourth marked", false, "4", {p1, p2, p3, p4 + " XXX"}, {"N/A", "N/A"}},
        {"no player 0", false, "0", {p1, p2, p3, p4 + " XXX"}, {"N/A", "N/A"}},
        {"first marked", false, "1", {p1 + " XXX", p2, p3, p4}, {"N/A", "N/A"}},
        {"three on the pitch", true, nullptr, {p1 + " XXX", p2, p3, "N/A"}, {p4 + " XXX", "N/A"}},
        {"bench mark moves on", true, "6", {p1 + " XXX", p2, p3, "N/A"}, {p4, "N/A"}},
        {"not a number changes nothing", true, "x", {p1 + " XXX", p2, p3, "N/A"}, {p4, "N/A"}},
    };
    // The selection is process-wide: each case starts from the marks left by the one before.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.benchOne && team.Contains(field[3]))
            team.SendToBench(team.RemovePlayer(field[3]).release());
        StateSlot::Set(&slot, new TBIngameMenu("ingame_substitution", false), true);
        // Any fade state: this one arrives while the screen fades in.
        if (c.select) {
            LogCapture log;
            Command(static_cast<TBMenu*>(slot), "SelectSubstitute", c.select);
            const std::string select = c.select;
            EXPECT_EQ(log.Contains("SelectSubstitute needs a number"), select == "x" || select == "0");
        }
        StateSlot::Update(&slot, kDt);
        std::vector<std::string> players, bench;
        for (int k = 1; k <= 4; ++k)
            players.push_back(Variable("%subst_player_" + std::to_string(k) + "%"));
        for (int j = 1; j <= 2; ++j)
            bench.push_back(Variable("%subst_subst_" + std::to_string(j) + "%"));
        EXPECT_EQ(players, c.players);
        EXPECT_EQ(bench, c.bench);
        StateSlot::Set(&slot, nullptr, false);
    }
    // "SelectSubstitute 5" marks the first bench player and leaves the field player's mark.
    StateSlot::Set(&slot, new TBIngameMenu("ingame_substitution", false), true);
    Command(static_cast<TBMenu*>(slot), "SelectSubstitute", "5");
    StateSlot::Update(&slot, kDt);
    EXPECT_EQ(Variable("%subst_subst_1%"), p4 + " XXX");
    EXPECT_EQ(TBIngameMenu::s_selectedSubstitutionPlayer, 0);
    PitchSimulation::Instance()->DeleteBench(team);
}

// The screen lists the side's first four field players, whoever stands first: a side whose
// keeper was sent off, or one with a fifth field player, shows four on the pitch.
TEST_F(IngameMenuTest, TheScreenListsTheFirstFourFieldPlayersWhoeverStandsFirst)
{
    SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(0);
    const std::vector<Character*> field = FieldPlayers();
    ASSERT_EQ(field.size(), 4u);
    const auto listed = [&] {
        StateSlot::Set(&slot, new TBIngameMenu("ingame_substitution", false), true);
        StateSlot::Update(&slot, kDt);
        std::vector<std::string> players;
        for (int k = 1; k <= 4; ++k)
            players.push_back(Variable("%subst_player_" + std::to_string(k) + "%"));
        // No fifth place: the screen has four.
        players.push_back(Menu::Instance()->Variables().count("%subst_player_5%") ? "a fifth" : "");
        StateSlot::Set(&slot, nullptr, false);
        return players;
    };
    const std::vector<std::string> four = {NameOf(field[0]) + " XXX", NameOf(field[1]), NameOf(field[2]),
                                           NameOf(field[3]), ""};
    team.AddPlayer(std::make_unique<Character>(Character::kFieldPlayer, "PandaPl05", &team));
    EXPECT_EQ(listed(), four) << "a fifth field player";
    team.RemovePlayer(team.GetPlayer(team.GetPlayerCount() - 1)).reset();
    team.RemovePlayer(team.GetPlayer(0)).reset();
    ASSERT_EQ(team.GetPlayer(0), field[0]);
    EXPECT_EQ(listed(), four) << "no keeper";
}

// Records the substitution choices sent while it lives.
struct ChoiceTap : MessageListener {
    ChoiceTap() { MessageServer::Instance()->RegisterListener(this); }
    ~ChoiceTap() override { MessageServer::Instance()->UnregisterListener(this); }
    int OnMessage(int message, intptr_t param) override
    {
        if (message == MessageServer::Instance()->RegisterMessage(SubstitutionChoice::kMessage)) {
            const auto& choice = *reinterpret_cast<const SubstitutionChoice*>(param);
            sent.emplace_back(choice.outgoing, choice.incoming);
        }
        return 0;
    }
    std::vector<std::pair<Character*, Character*>> sent;
};

// "CreateSubstitute" sends the marked pair and closes the menu; with nobody at a mark (a single
// match has no bench) it sends nothing and the screen stays.
TEST_F(IngameMenuTest, CreateSubstituteSendsTheMarkedPairOrNothing)
{
    const std::vector<Character*> field = FieldPlayers();
    SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(0);
    for (const bool bench : {false, true}) {
        SCOPED_TRACE(bench ? "a bench" : "no bench");
        if (bench)
            team.SendToBench(team.RemovePlayer(field[3]).release());
        StateSlot::Set(&slot, new TBIngameMenu("ingame_substitution", false), true);
        ASSERT_TRUE(RunUntilShown());
        Command(static_cast<TBMenu*>(slot), "SelectSubstitute", "2");
        ChoiceTap tap;
        LogCapture log;
        Command(static_cast<TBMenu*>(slot), "CreateSubstitute");
        using Sent = std::vector<std::pair<Character*, Character*>>;
        const Sent expected = bench ? Sent{{field[1], field[3]}} : Sent{};
        EXPECT_EQ(tap.sent, expected);
        EXPECT_EQ(log.Contains("nobody at the bench mark"), !bench);
        EXPECT_EQ(Menu::Instance()->GetFadeState() == Menu::kFadingOut, bench);
        StateSlot::Set(&slot, nullptr, false);
    }
    PitchSimulation::Instance()->DeleteBench(team);
}

TEST_F(IngameMenuTest, CommandsThatNeedTheShownScreenWaitAndClosingOnesEndTheMenu)
{
    struct Case {
        const char* word;
        const char* argument;
        bool whileFading;    // sent during the fade-in, else once shown
        bool closes;
        const char* successor;  // the in-match screen it leads to, or none
    };
    const Case cases[] = {
        {"Nothing", "", true, false, nullptr},
        {"SetPosition", "1,2,3", true, false, nullptr},
        {"StartGame", "SingleMatch", false, false, nullptr},
        // The options screen's action goes on to the pause menu.
        {"Accept", "", false, false, nullptr},
        {"Decline", "", false, false, nullptr},
        {"Nothing", "", false, true, nullptr},
        {"SetMenu", "ingame_options", false, true, "ingame_options"},
        {"Controls", "assign ingame_menu", false, true, "ingame_menu"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.word) + " " + c.argument);
        StateSlot::Set(&slot, new TBIngameMenu("ingame_menu", false), true);
        if (!c.whileFading) {
            ASSERT_TRUE(RunUntilShown());
        }
        auto* menu = static_cast<TBMenu*>(slot);
        Command(menu, c.word, c.argument);
        EXPECT_EQ(Menu::Instance()->GetFadeState() == Menu::kFadingOut, c.closes);
        if (std::string(c.word) == "SetPosition") {
            EXPECT_EQ(menu->GetPosition(), Vector3(1, 2, 3));
        }
        const auto* next = dynamic_cast<const TBIngameMenu*>(menu->GetNext());
        EXPECT_EQ(next ? next->GetScreen() : "", c.successor ? c.successor : "");
        StateSlot::Set(&slot, nullptr, false);
    }
    EXPECT_TRUE(std::filesystem::exists("data/Savegames/inputs.txt"));
}

// The options cannot be saved: the in-match menu stays open to try again and says so.
TEST_F(IngameMenuTest, AnAcceptThatCannotBeSavedLeavesTheMenuOpenAndSaysSo)
{
    std::filesystem::remove("data/Savegames/user.txt");  // the game's start wrote it
    std::filesystem::create_directories("data/Savegames/user.txt");
    FileSystem::Instance()->InvalidateDiskCache();
    auto* menu = new TBIngameMenu("ingame_options", false);
    StateSlot::Set(&slot, menu, true);
    ASSERT_TRUE(RunUntilShown());
    Command(menu, "Accept");
    EXPECT_TRUE(menu->IsShowingNotice());
    EXPECT_EQ(menu->GetNext(), nullptr);
    for (int i = 0; i < 4 * kFadeCap && menu->IsShowingNotice(); ++i)
        StateSlot::Update(&slot, kDt);
    EXPECT_EQ(slot, menu);
    EXPECT_TRUE(Menu::Instance()->HasItem("accept"));

    std::filesystem::remove("data/Savegames/user.txt");
    FileSystem::Instance()->InvalidateDiskCache();
    ASSERT_TRUE(RunUntilShown());
    Menu::Instance()->SelectItem("accept");
    DeliverMessage(Menu::Instance()->GetItem("accept"), MessageServer::Instance()->RegisterMessage("menu select"), 0);
    EXPECT_FALSE(menu->IsShowingNotice());
    EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kFadingOut);  // back to the pause menu
    const auto* next = dynamic_cast<const TBIngameMenu*>(menu->GetNext());
    EXPECT_EQ(next ? next->GetScreen() : "", "ingame_menu");
}

TEST_F(IngameMenuTest, ABannerStaysForItsTimeAndFadesInTheFirstFrameAfter)
{
    struct Case {
        const char* name;
        float seconds;
    };
    const Case cases[] = {{"two seconds", 2.0f}, {"time out before it is shown", 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* banner = new TBIngameMessageMenu("message_goal", c.seconds);
        StateSlot::Set(&slot, banner, true);
        float previous = c.seconds;
        int fadingFrames = 0;
        while (slot && Menu::Instance()->GetFadeState() != Menu::kFadingOut && fadingFrames < kFadeCap) {
            previous = banner->GetRemaining();
            if (previous > 0.0f && previous <= 0.1f) {
                EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kShown);
            }
            StateSlot::Update(&slot, kDt);
            ++fadingFrames;
        }
        ASSERT_EQ(slot, banner);
        // The fade starts in the first frame in which the time has run out and the banner
        // has been fully shown.
        EXPECT_LE(banner->GetRemaining(), 0.0f);
        if (c.seconds > 0.0f)
            EXPECT_GT(previous, 0.0f);
        else
            EXPECT_GT(fadingFrames, 1);
        EXPECT_EQ(RunUntilReplaced(), nullptr);
    }
}

}  // namespace
