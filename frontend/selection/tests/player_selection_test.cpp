#include "frontend/selection/PlayerSelection.h"

#include "frontend/selection/SelectionBench.h"

#include "characters/Character.h"
#include "characters/Team.h"
#include "framework/FileSystem.h"
#include "framework/Message.h"
#include "framework/Random.h"
#include "frontend/TBMenu.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/story/StoryModeGame.h"
#include "game/harness/GameHarness.h"
#include "menus/Menu.h"
#include "menus/MenuImage.h"
#include "menus/MenuStaticText.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/GameParameters.h"
#include "tests/support/HarnessSuite.h"
#include "text/TextManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Indices = std::vector<int>;

int Send(PlayerSelection& selection, const char* word, const char* argument = "", MenuItem* source = nullptr)
{
    MenuActionParameter parameter;
    parameter.source = source;
    parameter.argument = argument;
    return selection.OnMessage(MessageServer::Instance()->RegisterMessage(word),
                               reinterpret_cast<intptr_t>(&parameter));
}

std::vector<bool> Bits(size_t count, const Indices& set)
{
    std::vector<bool> bits(count, false);
    for (int i : set)
        bits[static_cast<size_t>(i)] = true;
    return bits;
}

std::string Variable(const std::string& key)
{
    return Menu::Instance()->Variables()[key];
}

// A candidate's picture whose hit test the test decides.
class ProbeImage : public MenuImage {
public:
    bool HitTest(float, float) const override { return hit; }
    bool hit = false;
};

// Ten candidates as a single match offers them: two keepers, then eight outfield players.
class PlayerSelectionTest : public HarnessSuite {
protected:
    static void SetUpTestSuite()
    {
        StartHarness("XXL");
        MatchSetup setup;
        setup.levelFolder = FileSystem::Instance()->ExpandAliases("<PP>") + "level01\\";
        setup.teamOne.members = {{"PandaGk00", true},  {"LizardGk01", true}, {"PandaPl00", false},
                                 {"PandaPl01", false}, {"LizardPl04", false}, {"RhinoPl00", false},
                                 {"RhinoPl05", false}, {"PrimatePl01", false}, {"PrimatePl06", false},
                                 {"LizardPl00", false}};
        setup.showBenches = true;
        delete MatchLoading::RunAtOnce(setup);
        const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(0);
        ASSERT_NE(team, nullptr);
        for (int32_t i = 0; i < team->GetPlayerCount(); ++i)
            s_candidates.push_back(team->GetPlayer(i));
        ASSERT_EQ(s_candidates.size(), 10u);
    }
    static void TearDownTestSuite()
    {
        s_candidates.clear();
        HarnessSuite::TearDownTestSuite();
    }

    void SetUp() override
    {
        GameParameters* parameters = GameParameters::Instance();
        parameters->SetParameter("players", "2");
        parameters->customTeam[0] = parameters->customTeam[1] = 1;
        StoryModeGame::Instance()->active = false;
        m_first.clear();
        m_second.clear();
    }

    PlayerSelectionResult Request(int mode, int goalkeepers, int outfield, size_t count = 10)
    {
        PlayerSelectionResult request;
        request.mode = mode;
        request.screen = "3dMenues//AllStarMulti10p";
        request.candidates.assign(s_candidates.begin(), s_candidates.begin() + static_cast<long>(count));
        request.goalkeepersToPick = goalkeepers;
        request.outfieldPlayersToPick = outfield;
        request.startPicked.assign(count, false);
        request.pickable.assign(count, true);
        request.firstOutput = &m_first;
        request.secondOutput = &m_second;
        return request;
    }

    Indices Picked(const PlayerSelection& selection) const
    {
        Indices picked;
        for (int i = 0; i < static_cast<int>(selection.GetRequest().candidates.size()); ++i)
            if (selection.IsPicked(i))
                picked.push_back(i);
        return picked;
    }

    static Indices Positions(const std::vector<Character*>& list)
    {
        Indices indices;
        for (const Character* character : list)
            for (size_t i = 0; i < s_candidates.size(); ++i)
                if (s_candidates[i] == character)
                    indices.push_back(static_cast<int>(i));
        return indices;
    }

    // Updates in quarter seconds until the pending automatic pick has been made (at most five
    // seconds).
    static void AwaitAutomaticPick(PlayerSelection& selection)
    {
        for (int step = 0; step < 20 && selection.GetPickTimer() > 0.0f; ++step)
            selection.Update(0.25f);
    }

    static std::vector<Character*> s_candidates;
    std::vector<Character*> m_first;
    std::vector<Character*> m_second;
};

std::vector<Character*> PlayerSelectionTest::s_candidates;

TEST_F(PlayerSelectionTest, TheLoadedPoolHasTwoKeepersThenOutfieldPlayers)
{
    for (size_t i = 0; i < s_candidates.size(); ++i)
        EXPECT_EQ(s_candidates[i]->GetKind(), i < 2 ? Character::kGoalkeeper : Character::kFieldPlayer) << i;
}

// Each case toggles candidates by number (SelectPlayer) in order and checks the picks, the
// pick number and both outputs after Exit.
TEST_F(PlayerSelectionTest, PickRulesByMode)
{
    struct Case {
        const char* label;
        int mode, goalkeepers, outfield;
        Indices startPicked;
        Indices locked;  // pickable flag clear
        int lineUp;
        size_t count;
        Indices toggles;
        Indices picked;
        int pickNumber;
        Indices first, second;
    };
    const Case cases[] = {
        {"mode 0: a fourth outfield player waits for a free place", 0, 1, 3, {}, {}, 0, 10,
         {2, 3, 4, 5, 2, 5, 0, 1}, {0, 3, 4, 5}, 0, {0, 3, 4, 5}, {}},
        {"mode 0: a locked candidate stays as it is", 0, 1, 3, {0}, {0, 6}, 0, 10, {0, 6, 2}, {0, 2}, 0, {0, 2}, {}},
        {"mode 1: the line-up keeps four outfield players", 1, 1, 5, {0, 2, 3, 4, 5}, {}, 6, 10,
         {2, 6, 7, 1, 0, 1, 6, 2}, {1, 2, 3, 4, 5}, 0, {1, 2, 3, 4, 5}, {}},
        {"mode 1: a fifth line-up player may go", 1, 1, 5, {0, 2, 3, 4, 5, 6}, {}, 7, 10, {2, 8}, {0, 3, 4, 5, 6, 8},
         0, {0, 3, 4, 5, 6, 8}, {}},
        {"mode 2: keepers first, turns alternate, nothing after pick ten", 2, 2, 8, {}, {}, 0, 10,
         {2, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 10, {0, 2, 4, 6, 8},
         {1, 3, 5, 7, 9}},
        {"mode 3: a keeper, then four outfield players; unpicks step back", 3, 1, 4, {}, {}, 0, 10,
         {2, 0, 1, 2, 3, 0, 3, 4, 5, 6, 7}, {0, 2, 4, 5, 6}, 10, {0, 2, 4, 5, 6}, {}},
        {"mode 3: the keeper may go back before the first outfield pick", 3, 1, 4, {}, {}, 0, 10, {0, 0, 1},
         {1}, 2, {1}, {}},
        {"mode 3: a preset keeper is in the squad from the start", 3, 1, 4, {0}, {0}, 0, 10, {0, 2}, {0, 2}, 4,
         {0, 2}, {}},
        {"mode 3: the rest of seven sit on the bench", 3, 1, 4, {}, {}, 0, 7, {0, 2, 3}, {0, 2, 3}, 6,
         {0, 2, 3, 1, 4, 5, 6}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetUp();
        PlayerSelectionResult request = Request(c.mode, c.goalkeepers, c.outfield, c.count);
        request.startPicked = Bits(c.count, c.startPicked);
        for (int i : c.locked)
            request.pickable[static_cast<size_t>(i)] = false;
        request.lineUpSize = c.lineUp;
        PlayerSelection selection(request);
        selection.Enter();
        for (int candidate : c.toggles)
            Send(selection, "SelectPlayer", std::to_string(candidate + 1).c_str());
        EXPECT_EQ(Picked(selection), c.picked);
        EXPECT_EQ(selection.GetPickNumber(), c.pickNumber);
        selection.Exit();
        EXPECT_EQ(Positions(m_first), c.first);
        EXPECT_EQ(Positions(m_second), c.second);
    }
}

// One human against the automatic picker: each pick of side one holds the screen for one to
// three seconds, then side two takes a free candidate that is not under the cursor.
TEST_F(PlayerSelectionTest, TheAutomaticPickerCompletesSideTwo)
{
    GameParameters::Instance()->SetParameter("players", "1");
    for (uint32_t seed : {1u, 2u, 3u}) {
        SetUp();
        GameParameters::Instance()->SetParameter("players", "1");
        Random::Seed(seed);
        PlayerSelection selection(Request(2, 2, 8));
        selection.Enter();
        Send(selection, "SelectPlayer", "1");
        EXPECT_GE(selection.GetPickTimer(), 1.0f);
        EXPECT_LE(selection.GetPickTimer(), 3.0f);
        selection.Update(0.99f);
        EXPECT_EQ(selection.GetPickNumber(), 1) << "picked before a second had passed";
        AwaitAutomaticPick(selection);
        EXPECT_EQ(Positions(m_second), Indices{1});
        while (selection.GetPickNumber() < 10) {
            const int p = selection.GetPickNumber();
            int free = 2;
            while (selection.IsPicked(free))
                ++free;
            Send(selection, "SelectPlayer", std::to_string(free + 1).c_str());
            ASSERT_EQ(selection.GetPickNumber(), p + 1);
            // The cursor rests on another free candidate, which the picker leaves alone.
            int other = free + 1;
            while (other < 10 && selection.IsPicked(other))
                ++other;
            *Menu::Instance()->GetEditValue(PlayerSelection::kCursorVariable) = other < 10 ? other : 0;
            const size_t before = m_second.size();
            AwaitAutomaticPick(selection);
            ASSERT_EQ(m_second.size(), before + 1);
            if (other < 10 && selection.GetPickNumber() < 10) {
                EXPECT_NE(m_second.back(), s_candidates[static_cast<size_t>(other)]);
            }
        }
        EXPECT_EQ(m_first.size(), 5u);
        EXPECT_EQ(m_second.size(), 5u);
        EXPECT_TRUE(selection.IsSquadComplete());
        selection.Exit();
    }
}

// The player's cursor on the last free candidate (a hover in the frame of the pick): the
// picker takes that one rather than searching for ever; with the other keeper picked, the
// free keeper under the cursor.
TEST_F(PlayerSelectionTest, TheAutomaticPickTakesTheLastFreeCandidateUnderTheCursor)
{
    GameParameters::Instance()->SetParameter("players", "1");
    PlayerSelection selection(Request(2, 2, 8));
    selection.Enter();
    int* cursor = Menu::Instance()->GetEditValue(PlayerSelection::kCursorVariable);
    Send(selection, "SelectPlayer", "1");
    *cursor = 1;
    AwaitAutomaticPick(selection);
    EXPECT_EQ(Positions(m_first), Indices{0});
    EXPECT_EQ(Positions(m_second), Indices{1});
    const auto pickLowestFree = [&] {
        int free = 2;
        while (selection.IsPicked(free))
            ++free;
        Send(selection, "SelectPlayer", std::to_string(free + 1).c_str());
    };
    while (selection.GetPickNumber() < 8) {
        pickLowestFree();
        AwaitAutomaticPick(selection);
    }
    pickLowestFree();
    ASSERT_EQ(selection.GetPickNumber(), 9);
    int last = 2;
    while (selection.IsPicked(last))
        ++last;
    *cursor = last;
    AwaitAutomaticPick(selection);
    EXPECT_EQ(selection.GetPickNumber(), 10);
    EXPECT_EQ(m_second.back(), s_candidates[static_cast<size_t>(last)]);
    selection.Exit();
}

TEST_F(PlayerSelectionTest, TheCursorIsPublishedFromEnterUntilExit)
{
    Menu* menu = Menu::Instance();
    {
        PlayerSelection selection(Request(0, 1, 3));
        EXPECT_EQ(menu->GetEditValue(PlayerSelection::kCursorVariable), nullptr);
        selection.Enter();
        int* cursor = menu->GetEditValue(PlayerSelection::kCursorVariable);
        ASSERT_NE(cursor, nullptr);
        *cursor = 4;
        EXPECT_EQ(selection.GetCursor(), 4);
        selection.Exit();
        EXPECT_EQ(menu->GetEditValue(PlayerSelection::kCursorVariable), nullptr);
    }
    {
        // Deleted without Exit: nothing left pointing at it.
        auto selection = std::make_unique<PlayerSelection>(Request(0, 1, 3));
        selection->Enter();
        selection.reset();
        EXPECT_EQ(menu->GetEditValue(PlayerSelection::kCursorVariable), nullptr);
    }
}

TEST_F(PlayerSelectionTest, ChangedCursorWrapsAtBothEnds)
{
    PlayerSelection selection(Request(0, 1, 3));
    selection.Enter();
    int* cursor = Menu::Instance()->GetEditValue(PlayerSelection::kCursorVariable);
    const std::pair<int, int> cases[] = {{-1, 9}, {10, 0}, {20, 0}, {21, 9}, {5, 5}, {0, 0}};
    for (const auto& [moved, expected] : cases) {
        *cursor = moved;
        Send(selection, "PlayerSelectionChanged");
        EXPECT_EQ(selection.GetCursor(), expected) << moved;
    }
    selection.Exit();
}

TEST_F(PlayerSelectionTest, ChooserAndSidesFollowTheCustomTeamsAndTheOutputs)
{
    struct Case {
        int custom0, custom1;
        bool story;
        int chooserAtPickOne;
    };
    const Case cases[] = {{1, 2, false, 1}, {1, 0, false, 0}, {0, 1, false, 1}, {0, 0, false, 0}, {1, 1, true, 0}};
    for (const Case& c : cases) {
        SetUp();
        GameParameters::Instance()->customTeam[0] = c.custom0;
        GameParameters::Instance()->customTeam[1] = c.custom1;
        StoryModeGame::Instance()->active = c.story;
        PlayerSelection selection(Request(2, 2, 8));
        selection.Enter();
        Send(selection, "SelectPlayer", "1");
        EXPECT_EQ(selection.GetCurrentChooser(), c.chooserAtPickOne) << c.custom0 << c.custom1 << c.story;
        // In turns, a picked candidate shows the side that took it; the others the chooser's.
        EXPECT_EQ(selection.GetCandidateSide(0), 0);
        EXPECT_EQ(selection.GetCandidateSide(5), c.chooserAtPickOne);
        Send(selection, "SelectPlayer", "2");
        EXPECT_EQ(selection.GetCandidateSide(1), 1);
        selection.Exit();
    }
    StoryModeGame::Instance()->active = false;
}

// Two sides in turns: by the time a pick rises the other side is choosing, yet it wears the
// shirt of the side that took it.
TEST_F(PlayerSelectionTest, PicksInTurnsRiseInTheShirtOfTheSideThatTookThem)
{
    PlayerSelection selection(Request(2, 2, 8));
    selection.Enter();
    Send(selection, "SelectPlayer", "1");
    Send(selection, "SelectPlayer", "2");
    Send(selection, "SelectPlayer", "3");
    for (int frame = 0; frame < 5; ++frame)
        selection.Update(GameHarness::kFrameTime);
    const SelectionBench* bench = selection.GetBench();
    EXPECT_EQ(bench->GetShirtSide(0), 0);
    EXPECT_EQ(bench->GetShirtSide(1), 1);
    EXPECT_EQ(bench->GetShirtSide(2), 0);
    EXPECT_EQ(bench->GetShirtSide(3), -1);
    selection.Exit();
}

TEST_F(PlayerSelectionTest, CountersCommandsAndPromptFollowThePicks)
{
    TextManager* texts = TextManager::Instance();
    PlayerSelection selection(Request(3, 1, 4));
    selection.Enter();
    Send(selection, "SelectPlayer", "1");
    Send(selection, "SelectPlayer", "3");
    selection.Update(0.0f);
    EXPECT_EQ(Variable("%players_to_select%"), "3");
    EXPECT_EQ(Variable("%fieldplayers_to_select%"), "3");
    EXPECT_EQ(Variable("%goalies_to_select%"), "0");
    EXPECT_EQ(Variable("%s3p_command%"), "%20521%");
    EXPECT_EQ(Variable("%s12p_command%"), "%20536%");
    // Custom teams 1 and 1, pick number 4: side one's label and text 20545.
    EXPECT_EQ(Variable("%action_on_allstar_menu%"),
              "<color 0 255 0>" + texts->GetText(20570) + "</color> " + texts->GetText(20545));
    StoryModeGame::Instance()->active = true;
    selection.Update(0.0f);
    EXPECT_EQ(Variable("%action_on_allstar_menu%"), texts->GetText(20582));
    for (const char* n : {"4", "5", "6"})
        Send(selection, "SelectPlayer", n);
    selection.Update(0.0f);
    EXPECT_EQ(Variable("%action_on_allstar_menu%"), texts->GetText(20551));
    EXPECT_EQ(Variable("%players_to_select%"), "0");
    EXPECT_EQ(Variable("%s5p_command%"), "%20551%");
    StoryModeGame::Instance()->active = false;
    selection.Exit();
}

TEST_F(PlayerSelectionTest, CandidateItemsShowPicksInTheirSideColourAndFollowTheMouse)
{
    PlayerSelection selection(Request(2, 2, 8));
    selection.Enter();
    Send(selection, "SelectPlayer", "1");
    Send(selection, "SelectPlayer", "2");
    Menu::Instance()->SetMouseMode(true);
    const Color green(0.0f, 1.0f, 0.0f, 1.0f), red(1.0f, 0.0f, 0.0f, 1.0f), white(1.0f, 1.0f, 1.0f, 1.0f);
    struct Case {
        const char* argument;
        bool startEnabled, hit;
        bool enabled;
        Color colour;
        int cursor;
    };
    const Case cases[] = {
        {"1 3", true, false, false, white, 1},  {"0 3", false, false, true, white, 1},
        {"1 1", false, false, true, green, 1},  {"1 2", false, false, true, red, 1},
        {"2 5", false, true, true, white, 4},   {"2 6", false, false, true, white, 1},
        {"1 11", false, false, false, white, 1}, {"1", false, true, false, white, 1},
        {"7 1", false, true, false, white, 1},
    };
    for (const Case& c : cases) {
        ProbeImage item;
        item.hit = c.hit;
        if (!c.startEnabled)
            item.Disable();
        *Menu::Instance()->GetEditValue(PlayerSelection::kCursorVariable) = 1;
        Send(selection, "PlayerSelectionVis", c.argument, &item);
        EXPECT_EQ(item.IsEnabled(), c.enabled) << c.argument;
        EXPECT_EQ(item.GetColor().r, c.colour.r) << c.argument;
        EXPECT_EQ(item.GetColor().g, c.colour.g) << c.argument;
        EXPECT_EQ(selection.GetCursor(), c.cursor) << c.argument;
    }
    selection.Exit();
}

// The screen lays the plates out for average races; each candidate's plate, its hover image
// and his name move across to his own seat, a line-up change's gap included, no wider than
// his neighbours leave room for, and up under this bench's feet and floor marker.
TEST_F(PlayerSelectionTest, EachCandidatesPlateAndNameStandOverHisSeat)
{
    struct Case {
        const char* what;
        int mode, gapCount;
        std::vector<float> centres;  // at 4:3, in menu units
        uint32_t width = 800, height = 600;
    };
    // Panda, Lizard, Panda, Panda, Lizard, Rhino, Rhino, Primate, Primate, Lizard: 19 wide, seen
    // from 25 away, where the screen is 25 across and the floor 1 in front of the seats shows
    // 416.7 down.
    constexpr float kTop = 416.67f + 8.0f;
    const Case cases[] = {
        {"ten in a row", 2, 0, {120, 168, 216, 264, 312, 376, 456, 536, 616, 680}},
        {"the last five after a gap", 1, 5, {120, 168, 216, 264, 312, 408, 488, 568, 648, 712}},
        // Shows a third more at the sides while the menu stretches: a quarter nearer the middle.
        {"a 16:9 window", 2, 0, {120, 168, 216, 264, 312, 376, 456, 536, 616, 680}, 1280, 720},
    };
    Menu* menu = Menu::Instance();
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    ASSERT_NE(camera, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        camera->SetSize(c.width, c.height);
        const float narrow = 800.0f * static_cast<float>(c.height) / (600.0f * static_cast<float>(c.width));
        PlayerSelectionResult request = Request(c.mode, 1, 6);
        request.lineUpSize = 5;
        request.benchGapCount = c.gapCount;
        PlayerSelection selection(request);
        selection.Enter();
        float right = 0.0f;
        for (size_t i = 0; i < c.centres.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            for (const std::string& plate : {"pick_" + n, "hover_" + n}) {
                auto* image = dynamic_cast<MenuImage*>(menu->GetItem(plate));
                ASSERT_NE(image, nullptr) << plate;
                const Vector4 area = image->GetArea();
                EXPECT_NEAR(area.x + area.z * 0.5f, 400.0f + (c.centres[i] - 400.0f) * narrow, 0.01f) << plate;
                EXPECT_NEAR(area.y, kTop, 0.01f) << plate;
                EXPECT_GE(area.x, right) << plate << " covers the one before";
            }
            const Vector4 area = dynamic_cast<MenuImage*>(menu->GetItem("pick_" + n))->GetArea();
            right = area.x + area.z;
            // Between two pandas or lizards, 1.5 apart: 48 across less the gap between plates.
            if (i < 4) {
                EXPECT_NEAR(area.z, 48.0f * narrow - 6.0f, 0.01f) << n;
            }
            auto* name = dynamic_cast<MenuStaticText*>(menu->GetItem("name_" + n));
            ASSERT_NE(name, nullptr) << n;
            EXPECT_NEAR(name->GetPosition().x, (c.centres[i] - 400.0f) * narrow, 0.01f) << "name " << n;
        }
        selection.Exit();
    }
    camera->SetSize(800, 600);
}

// The accept button shows only with a full squad and takes the selection when a pick has
// just completed it.
TEST_F(PlayerSelectionTest, AcceptShowsWithAFullSquad)
{
    PlayerSelection selection(Request(3, 1, 4));
    selection.Enter();
    ProbeImage accept;
    const auto finished = [&] { Send(selection, "PlayerSelectionFinished", "", &accept); };
    finished();
    EXPECT_FALSE(accept.IsVisible());
    for (const char* n : {"1", "3", "4", "5"})
        Send(selection, "SelectPlayer", n);
    finished();
    EXPECT_FALSE(accept.IsVisible());
    EXPECT_FALSE(accept.IsSelected());
    Send(selection, "SelectPlayer", "6");
    finished();
    EXPECT_TRUE(accept.IsVisible());
    EXPECT_TRUE(accept.IsSelected());
    accept.Deselect();
    finished();
    EXPECT_FALSE(accept.IsSelected()) << "selected again without a new pick";
    Send(selection, "SelectPlayer", "6");
    finished();
    EXPECT_FALSE(accept.IsVisible());
    selection.Exit();
}

// While the screen fades in, a press of back already shows the way out.
TEST_F(PlayerSelectionTest, BackShowsTheQuitButton)
{
    auto* selection = new PlayerSelection(Request(3, 1, 4));
    s_harness->MakeCurrent(selection);
    s_harness->Step();
    Menu* menu = Menu::Instance();
    ASSERT_TRUE(menu->HasItem("quit", 0));
    EXPECT_FALSE(menu->GetItem("quit", 0)->IsVisible());
    s_harness->Script().Press(s_harness->GetFrame(), "(menu):back");
    s_harness->Step();
    EXPECT_TRUE(selection->IsBackPressed());
    EXPECT_TRUE(menu->GetItem("quit", 0)->IsVisible());
    s_harness->Step();
    EXPECT_TRUE(menu->GetItem("quit", 0)->IsVisible()) << "shown until the selection ends";
    s_harness->MakeCurrent(new TBMenu("main"));
}

TEST_F(PlayerSelectionTest, NothingEndsTheSelectionOnTheNextUpdate)
{
    PlayerSelection selection(Request(0, 1, 3));
    selection.Enter();
    EXPECT_EQ(selection.Update(GameHarness::kFrameTime), &selection);
    Send(selection, "Nothing");
    EXPECT_EQ(selection.Update(GameHarness::kFrameTime), nullptr);
    selection.Exit();
}

}  // namespace
