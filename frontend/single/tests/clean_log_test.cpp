// A clean run says nothing alarming: a warning in the log must mean a real problem.
#include "framework/FileSystem.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/single/SingleMatch.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "match/period/MatchPeriod.h"
#include "menus/Menu.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// Enough for the front end and a match whose periods are cut short.
constexpr int kFrameCap = 60 * 120;
// Play in each period before it is cut short.
constexpr int kPlayFrames = 90;
constexpr int kPressEvery = 30;

const TBMenu* ShownMenu(GameHarness& harness)
{
    const auto* menu = dynamic_cast<const TBMenu*>(harness.GetGame()->GetCurrentState());
    return menu && Menu::Instance()->GetFadeState() == Menu::kShown ? menu : nullptr;
}

MatchPeriod* Period(GameHarness& harness)
{
    auto* match = dynamic_cast<SingleMatch*>(harness.GetGame()->GetCurrentState());
    return match ? dynamic_cast<MatchPeriod*>(match->GetHeld()) : nullptr;
}

// Down until the item is selected, then the select key, as a player would.
bool Choose(GameHarness& harness, const std::string& screen, const std::string& item)
{
    for (int i = 0; i < kFrameCap / 10 && !(ShownMenu(harness) && ShownMenu(harness)->GetScreen() == screen); ++i)
        harness.Step();
    harness.Step();  // keys count from the frame after the first one shown
    for (int i = 0; i < 16 && Menu::Instance()->GetSelectedItemName() != item; ++i) {
        harness.Script().Press(harness.GetFrame(), "(menu):down");
        harness.RunFrames(2);
    }
    if (Menu::Instance()->GetSelectedItemName() != item)
        return false;
    harness.Script().Press(harness.GetFrame(), "(menu):button a");
    harness.RunFrames(2);
    return true;
}

// Skips the intro, scores once, cuts every period short after a little play and closes the
// screens that wait for a button, until the match is back on "main".
bool PlayToMain(GameHarness& harness)
{
    int period = -1, periodFrame = 0;
    bool cut = false, scored = false;
    for (int frame = 0; frame < kFrameCap; ++frame) {
        const TBMenu* menu = ShownMenu(harness);
        if (menu && menu->GetScreen() == "main" && !Period(harness))
            return true;
        if (MatchPeriod* now = Period(harness)) {
            if (now->GetPeriod() != period) {
                period = now->GetPeriod();
                periodFrame = frame;
                cut = false;
            }
            const bool playing = !now->GetSequence() && !now->IsOver();
            if (frame == periodFrame + 1) {
                harness.Script().Press(harness.GetFrame() + 1, "(0):button a");
            } else if (playing && !scored) {
                // A goal, so that the match is decided in its two halves.
                scored = true;
                harness.Script().Press(harness.GetFrame() + 1, "cheat goal");
            } else if (playing && !cut && frame >= periodFrame + kPlayFrames) {
                cut = true;
                harness.Script().Press(harness.GetFrame() + 1, "cheat skip");
            }
        }
        // The screens between the periods and after the match wait for a button.
        if ((!Period(harness) || Period(harness)->IsOver()) && frame % kPressEvery == 0)
            harness.Script().Press(harness.GetFrame() + 1, "(menu):button a");
        if (!harness.Step())
            return false;
    }
    return false;
}

std::string Problems(const LogCapture& log)
{
    std::string problems;
    for (const std::string& line : log.lines)
        if (line.rfind("***", 0) == 0)
            problems += line;
    return problems;
}

}  // namespace

// The game started at each size in one process, then a player's way from "main" into a match
// between two computer sides and back to "main".
TEST(CleanLogTest, StartsAtEverySizeAndAMatchFromTheFrontEndLogNoWarning)
{
    std::filesystem::remove_all("Data");
    std::filesystem::remove_all("data");
    std::filesystem::create_directories("data/Savegames");
    FileSystem::Instance()->InvalidateDiskCache();
    LogCapture log;
    for (const char* size : {"XXL", "XS"}) {
        GameHarness harness(OffscreenWindow(), TB_DATA_ARCHIVE);
        ASSERT_TRUE(harness.Start(size)) << size;
        harness.RunFrames(5);
        EXPECT_TRUE(harness.Stop()) << size;
    }
    GameHarness harness(OffscreenWindow(), TB_DATA_ARCHIVE);
    ASSERT_TRUE(harness.Start("XL"));
    harness.MakeCurrent(new TBMenu("main"));
    const std::vector<std::pair<const char*, const char*>> path = {
        {"main", "single"}, {"select_players", "players0"}, {"select_team_one", "team0"},
        {"select_team_two", "team1"}, {"select_level", "level0"}};
    for (const auto& [screen, item] : path)
        ASSERT_TRUE(Choose(harness, screen, item)) << screen << " " << item;
    EXPECT_TRUE(PlayToMain(harness)) << harness.GetProblem();
    EXPECT_TRUE(harness.Stop());
    EXPECT_EQ(Problems(log), "");
}
