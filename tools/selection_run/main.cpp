// Runs the real program from a scratch copy of the game folder under the offscreen driver and
// plays the single match's set-up with pushed key events:
//     selection_run <game folder> <work folder> single|draft|auto|pause
// single: "main", one player (back once to "Who plays?", which then names that choice), the
// first two listed teams, level01; the match runs, the pause menu opens and resumes; each period
// is cut short as the skip cheat does and the match plays out to its statistics and back to
// "main". Pictures of "Who plays?" after the choice, the pause menu and the final statistics
// land in <work folder>/pictures.
// draft: two players take the all-star pool for both sides and pick in turns (keepers first)
// on the bench; the squad accepted, the match starts with the picks.
// auto: one player, both sides all-star; after each of his picks the computer picks for
// side two until both squads are full; a picture of the bench with everyone standing in his
// side's shirt lands in <work folder>/pictures/bench.png.
// pause: in a single match the pause menu's options go back to it with Escape, with
// "decline" reached by Right from "accept" (the changed volume is not kept) and with
// "accept" (it is).
// Every run skips the intro and the match's opening shows with a key, as a player may.
// The exit code is 0 when the program ended with 123 and every check held.

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuToggles.h"
#include "frontend/selection/PlayerSelection.h"
#include "frontend/selection/PlayerSelectionMenu.h"
#include "frontend/single/SingleMatch.h"
#include "game/GameTB.h"
#include "match/GainedObjects.h"
#include "match/period/MatchPeriod.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "simulation/MatchClock.h"
#include "tools/editor_script/EditorScript.h"
#include "tools/menu_script/MenuScript.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using editor_script::Check;
using namespace menu_script;

constexpr int kPressEvery = 20;
constexpr int kReportEvery = 300;
// Long enough for a picked candidate to finish standing up.
constexpr int kStandUpTicks = 90;
constexpr int kShortestHalfTime = 0;

PlayerSelection* Selection()
{
    auto* menu = dynamic_cast<PlayerSelectionMenu*>(ScreenMenu());
    return menu ? dynamic_cast<PlayerSelection*>(menu->GetOwner()) : nullptr;
}

MatchPeriod* Period()
{
    GameTB* game = GameTB::Current();
    auto* match = game ? dynamic_cast<SingleMatch*>(game->GetCurrentState()) : nullptr;
    return match ? dynamic_cast<MatchPeriod*>(match->GetHeld()) : nullptr;
}

bool Playing()
{
    const MatchPeriod* period = Period();
    return period && !period->GetSequence() && !period->IsOver();
}

Step Wait(int ticks)
{
    auto left = std::make_shared<int>(ticks);
    return [left] { return --*left <= 0; };
}

Step SelectionShown()
{
    return [] { return Selection() && Menu::Instance()->GetFadeState() == Menu::kShown; };
}

// Moves the cursor right to the candidate and picks him, once the screen takes keys again.
Step Pick(int candidate)
{
    return [candidate] {
        PlayerSelection* selection = Selection();
        if (!selection || selection->GetPickTimer() > 0.0f)
            return false;
        if (selection->GetCursor() != candidate) {
            Press({SDL_SCANCODE_RIGHT});
            return false;
        }
        Press({SDL_SCANCODE_SPACE});
        return true;
    };
}

// Until the selection has no pick pending and the turn is side one's again.
Step WaitForTurn()
{
    return [] {
        const PlayerSelection* selection = Selection();
        return selection && selection->GetPickTimer() <= 0.0f;
    };
}

std::vector<std::string> Names(const std::vector<Character*>& squad)
{
    std::vector<std::string> names;
    for (const Character* member : squad)
        names.push_back(member->GetVariation()->GetKeyName());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Side one's picks, kept by name for after the match has loaded.
std::vector<std::string>& DraftedNames()
{
    static std::vector<std::string> names;
    return names;
}

void PrintSquads(const char* when)
{
    std::printf("%s: side one %s; side two %s\n", when, Joined(Names(PlayerSelectionResult::SingleMatchOutput(0))).c_str(),
                Joined(Names(PlayerSelectionResult::SingleMatchOutput(1))).c_str());
}

// Each period is cut short as the skip cheat does; the walk-on and the statistics are pressed
// through; ends on "main".
Step PlayOut()
{
    auto ticks = std::make_shared<int>(0);
    return [ticks] {
        ++*ticks;
        if (OnScreen("main"))
            return true;
        if (*ticks % kReportEvery == 0) {
            const TBMenu* menu = ScreenMenu();
            const MatchPeriod* period = Period();
            std::printf("tick %d: period %d%s, screen \"%s\"\n", *ticks, period ? period->GetPeriod() : -1,
                        period && period->GetSequence() ? " (show)" : "", menu ? menu->GetScreen().c_str() : "");
        }
        if (Playing()) {
            // A level score would go on to extra time and the shoot-out, as the goal cheat avoids.
            SoccerTeam& home = *PitchSimulation::Instance()->GetTeam(0);
            const SoccerTeam& away = *PitchSimulation::Instance()->GetTeam(1);
            if (Period()->GetPeriod() == 1 && home.GetGoals() <= away.GetGoals())
                home.SetGoals(away.GetGoals() + 1);
            MatchClock& clock = *PitchSimulation::Instance()->GetClock();
            const int end = MatchPeriod::kEndMinute[Period()->GetPeriod()];
            clock.SetTime(clock.GetTime() + 60.0f * static_cast<float>(end - clock.Minutes()));
            return false;
        }
        const TBMenu* shown = ScreenMenu();
        const bool banner = shown && shown->GetScreen().rfind("message", 0) == 0;
        // Each period's statistics once; the last, the final one, keeps the picture.
        static int picturedPeriod = -1;
        const int period = Period() ? Period()->GetPeriod() : -1;
        if (shown && period > picturedPeriod && shown->GetScreen().rfind("game_stat", 0) == 0 &&
            Menu::Instance()->GetFadeState() == Menu::kShown) {
            picturedPeriod = period;
            std::printf("player of the match: %s\n", Menu::Instance()->Variables()["%most_valuable%"].c_str());
            Picture("statistics")();
        }
        if (!banner && *ticks % kPressEvery == 0)
            Press({SDL_SCANCODE_SPACE});
        return false;
    };
}

void OpenAndResumePause()
{
    auto& s = Steps();
    s.push_back([] { return Playing(); });
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    s.push_back(WaitFor("ingame_menu"));
    s.push_back(Picture("pause"));
    s.push_back(Do([] { std::printf("the pause menu is open\n"); }));
    s.push_back(Choose("resume"));
    s.push_back([] { return Playing() && !ScreenMenu(); });
    s.push_back(Do([] { std::printf("play resumed\n"); }));
}

void ToSetUp(const char* players)
{
    auto& s = Steps();
    s.push_back(SkippingShows(WaitFor("main")));
    s.push_back(Do([] {
        GameParameters::Instance()->halftimeDuration = kShortestHalfTime;
        // As once the story mode has unlocked the all-star pool.
        GainedObjects::Instance()->allStarTeam = true;
    }));
    s.push_back(Choose("single"));
    s.push_back(WaitFor("select_players"));
    // Before any choice nothing on the screen says so.
    s.push_back(Within("no line shows an empty choice", [] { return ShownTextCount("Nothing") == 0; }));
    s.push_back(Choose(players));
    s.push_back(WaitFor("select_team_one"));
}

// From the first team's screen, the teams given on level01.
void TeamsAndLevel(const char* one, const char* two)
{
    auto& s = Steps();
    s.push_back(Choose(one));
    s.push_back(WaitFor("select_team_two"));
    s.push_back(Choose(two));
    s.push_back(WaitFor("select_level"));
    s.push_back(Choose("level0"));
}

void SingleRun()
{
    ToSetUp("players1");
    auto& back = Steps();
    back.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    back.push_back(WaitFor("select_players"));
    back.push_back(Do([] {
        std::printf("Who plays? %s\n", Menu::Instance()->ExpandVariables("%singlematch_players%").c_str());
    }));
    back.push_back(Picture("select_players"));
    back.push_back(Choose("players1"));
    back.push_back(WaitFor("select_team_one"));
    TeamsAndLevel("team0", "team1");
    auto& s = Steps();
    s.push_back(SkippingShows(Playing));
    s.push_back(Do([] {
        const SoccerTeam* one = PitchSimulation::Instance()->GetTeam(0);
        const SoccerTeam* two = PitchSimulation::Instance()->GetTeam(1);
        Check(one && two && one->GetPlayerCount() > 0 && two->GetPlayerCount() > 0, "a single match runs");
        Check(GameParameters::Instance()->GetParameter("level") == "level01", "on level01");
    }));
    OpenAndResumePause();
    s.push_back(PlayOut());
    s.push_back(Do([] { std::printf("the match played out and \"main\" is back\n"); }));
    s.push_back(Choose("quit"));
}

// From "main" to the bench with both sides all-star on level01.
void ToAllStarBench(const char* players)
{
    ToSetUp(players);
    TeamsAndLevel("allstar", "allstar");
    Steps().push_back(SelectionShown());
}

// From a running match through the pause menu back to "main", and out.
void LeaveTheMatchAndQuit()
{
    auto& s = Steps();
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    s.push_back(WaitFor("ingame_menu"));
    s.push_back(Choose("backtomain"));
    s.push_back(WaitFor("main"));
    s.push_back(Choose("quit"));
}

// Down until the item is selected; nothing chosen.
Step DownTo(const char* item)
{
    return [item] {
        if (Menu::Instance()->GetSelectedItemName() == item)
            return true;
        Press({SDL_SCANCODE_DOWN});
        return false;
    };
}

// On the pause menu: its options, the effects volume one step down, then the button beside
// "accept" reached with the arrow given and Return pressed on it.
void ChangeTheOptions(SDL_Scancode beside, const char* button, const char* picture)
{
    auto& s = Steps();
    s.push_back(Choose("options"));
    s.push_back(WaitFor("ingame_options"));
    s.push_back(PressKeys({SDL_SCANCODE_LEFT}));
    s.push_back(DownTo("accept"));
    s.push_back(PressKeys({beside}));
    s.push_back(Within(std::string(button) + " is reached from accept with an arrow",
                       [button] { return Menu::Instance()->GetSelectedItemName() == button; }));
    s.push_back(Picture(picture));
    s.push_back(PressKeys({SDL_SCANCODE_RETURN}));
    s.push_back(Within("the options go back to the pause menu", [] { return OnScreen("ingame_menu"); }));
}

// The pause menu's sub-screens lead back to it: Escape on the options, and their "decline"
// (reached with Right from "accept"), which keeps what was there, and "accept" (Right, then
// Left), which keeps the change.
void PauseRun()
{
    ToSetUp("players1");
    TeamsAndLevel("team0", "team1");
    auto& s = Steps();
    s.push_back(SkippingShows(Playing));
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    s.push_back(WaitFor("ingame_menu"));
    s.push_back(Choose("options"));
    s.push_back(WaitFor("ingame_options"));
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    s.push_back(Within("Escape on the options goes back to the pause menu", [] { return OnScreen("ingame_menu"); }));
    s.push_back(Picture("pause_after_options"));
    static int before = 0;
    s.push_back(Do([] { before = EffectsVolume(true); }));
    ChangeTheOptions(SDL_SCANCODE_RIGHT, "decline", "ingame_options_decline");
    s.push_back(Do([] {
        std::printf("effects volume %d, applied %d, after decline from %d\n", EffectsVolume(false), EffectsVolume(true),
                    before);
        Check(EffectsVolume(true) == before && EffectsVolume(false) == before, "decline keeps the volume as it was");
    }));
    s.push_back(Choose("options"));
    s.push_back(WaitFor("ingame_options"));
    s.push_back(PressKeys({SDL_SCANCODE_LEFT}));
    s.push_back(DownTo("accept"));
    s.push_back(PressKeys({SDL_SCANCODE_RIGHT}));
    s.push_back(PressKeys({SDL_SCANCODE_LEFT}));
    s.push_back(Within("accept is reached back from decline with Left",
                       [] { return Menu::Instance()->GetSelectedItemName() == "accept"; }));
    s.push_back(PressKeys({SDL_SCANCODE_RETURN}));
    s.push_back(Within("accept goes back to the pause menu", [] { return OnScreen("ingame_menu"); }));
    s.push_back(Do([] {
        std::printf("effects volume applied %d after accept\n", EffectsVolume(true));
        Check(EffectsVolume(true) == before - 1, "accept keeps the lowered volume");
    }));
    s.push_back(Choose("resume"));
    s.push_back([] { return Playing() && !ScreenMenu(); });
    LeaveTheMatchAndQuit();
}

// Both sides all-star; side one picks on even turns, side two on odd ones.
void DraftRun()
{
    ToAllStarBench("players2");
    auto& s = Steps();
    s.push_back(Picture("bench_start"));
    for (int candidate = 0; candidate < 10; ++candidate)
        s.push_back(Pick(candidate));
    s.push_back(Wait(kStandUpTicks));
    s.push_back(Picture("bench_draft"));
    s.push_back(Do([] {
        const PlayerSelection* selection = Selection();
        Check(selection && selection->IsSquadComplete(), "both squads are complete");
        Check(Menu::Instance()->GetSelectedItemName() == "accept", "the accept button is chosen");
        PrintSquads("drafted");
        DraftedNames() = Names(PlayerSelectionResult::SingleMatchOutput(0));
        Check(PlayerSelectionResult::SingleMatchOutput(0).size() == 5 &&
                  PlayerSelectionResult::SingleMatchOutput(1).size() == 5,
              "five each");
    }));
    s.push_back(PressKeys({SDL_SCANCODE_SPACE}));
    s.push_back(SkippingShows(Playing));
    s.push_back(Do([] {
        // The match loads its own characters: the picks are compared by name.
        std::vector<std::string> playing;
        const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(0);
        for (int i = 0; team && i < team->GetPlayerCount(); ++i)
            playing.push_back(team->GetPlayer(i)->GetVariation()->GetKeyName());
        std::sort(playing.begin(), playing.end());
        std::printf("side one plays %zu: %s\n", playing.size(), Joined(playing).c_str());
        Check(!playing.empty() && std::includes(DraftedNames().begin(), DraftedNames().end(), playing.begin(),
                                                playing.end()),
              "side one plays its picks");
    }));
    LeaveTheMatchAndQuit();
}

// Both sides all-star with one player: the computer answers every pick for side two.
void AutoRun()
{
    ToAllStarBench("players1");
    auto& s = Steps();
    // The keeper first, then the outfield players from the right-hand end.
    const int picks[] = {0, 9, 8, 7, 6};
    for (int candidate : picks) {
        s.push_back(WaitForTurn());
        s.push_back([candidate] {
            // Skips one the computer has taken meanwhile.
            PlayerSelection* selection = Selection();
            int target = candidate;
            while (selection && target > 1 && selection->IsPicked(target))
                --target;
            return Pick(target)();
        });
        s.push_back(Wait(2));
    }
    s.push_back(WaitForTurn());
    s.push_back(Wait(kStandUpTicks));
    s.push_back(Picture("bench"));
    s.push_back(Do([] {
        const PlayerSelection* selection = Selection();
        Check(selection && selection->IsSquadComplete(), "the squads are complete");
        Check(Menu::Instance()->GetSelectedItemName() == "accept", "the computer's last pick chooses accept");
        PrintSquads("picked");
        Check(PlayerSelectionResult::SingleMatchOutput(1).size() == 5, "the computer completed side two");
    }));
    s.push_back(PressKeys({SDL_SCANCODE_SPACE}));
    s.push_back(SkippingShows(Playing));
    LeaveTheMatchAndQuit();
}

}  // namespace

int main(int argc, char** argv)
{
    return RunFromCommandLine("selection_run", argc, argv,
                              {{"single", SingleRun, true},
                               {"draft", DraftRun, true},
                               {"auto", AutoRun, true},
                               {"pause", PauseRun, true}});
}
