// A story leg's training on the default data, headless, on the game harness:
//     training_run <game folder> [--bench | --gl-bench] [frames]
// A career is started; on "training" the squad selection opens and three members are picked on
// it by the menu's keys, as are the dribbler and the shooter on theirs; the passing drill is
// played by scripted passes round the triangle until a cycle counts; the dribbling drill is left
// alone for 20 s, which marks no try and moves no defender, then the dribbler runs at the
// defenders, who come for him; the dribbling, shooting and keeping drills end by "cheat win"; each results screen is waited for; the members' levels are
// printed before and after; "AdvanceTraining" after the last drill leads to "matchstart", where
// "Save" writes step 2.
// --bench: from "StartTraining" to the passing drill's first frame (median of 10) and the
// drill's frame on the null device (median of 300 frames, or as many as given). --gl-bench: the same on GL at
// 1280 x 720, with the processor time of a drill frame over all threads (the driver's too).
// Exits 1 when a step does not come as described.
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "framework/Message.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/selection/PlayerSelection.h"
#include "frontend/selection/PlayerSelectionMenu.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "frontend/training/TrainingDribblings.h"
#include "frontend/training/TrainingMode.h"
#include "frontend/training/TrainingSession.h"
#include "game/harness/GameHarness.h"
#include "match/penalties/PenaltyDisplayControl.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "settings/PitchCoordinates.h"
#include "settings/TrainingSettings.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Figures.h"
#include "tools/common/FrameTimes.h"
#include "tools/common/OffscreenSession.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kCareerSlot = 2;
constexpr int kGLWidth = 1280, kGLHeight = 720;
constexpr int kBenchFrames = 300;
constexpr int kScreenCap = 600;
constexpr int kDrillCap = 60 * 60;
// Frames a player holds the ball before his scripted pass, so that the drill sees him hold it.
constexpr int kHoldFrames = 20;
// Frames after a menu key, so that the next press is an edge of its own.
constexpr int kKeyGap = 4;
// Twenty seconds without a key in the dribbling drill, then two running at the defenders.
constexpr int kLeftAlone = 20 * 60;
constexpr int kSettingOff = 2 * 60;
// In pitch units, how far a defender may stand from his spot and still be on it.
constexpr float kOnSpot = 0.02f;

int g_failures = 0;

void Check(bool ok, const char* what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    g_failures += ok ? 0 : 1;
}

TBMenu* ShownMenu()
{
    auto* menu = dynamic_cast<TBMenu*>(Menu::Instance()->GetOwner());
    return menu && Menu::Instance()->GetFadeState() == Menu::kShown ? menu : nullptr;
}

// The menu once the screen is fully shown, or null after the cap (reported).
TBMenu* WaitFor(GameHarness& harness, const std::string& screen, int cap = kScreenCap)
{
    for (int i = 0; i < cap; ++i) {
        if (TBMenu* menu = ShownMenu(); menu && menu->GetScreen() == screen)
            return menu;
        harness.Step();
    }
    Check(false, ("the screen " + screen + " shows").c_str());
    return nullptr;
}

void Command(TBMenu* menu, const char* word)
{
    MenuActionParameter parameter;
    parameter.argument = "";
    menu->OnMessage(MessageServer::Instance()->RegisterMessage(word), reinterpret_cast<intptr_t>(&parameter));
}

// The three chosen members and the keeper; the settings forget them when the training ends.
std::vector<const CharacterVariation*> Trained()
{
    const TrainingSettings* settings = TrainingSettings::Instance();
    std::vector<const CharacterVariation*> trained(std::begin(settings->chosen), std::end(settings->chosen));
    trained.push_back(CharacterVariation::Find(settings->keeperName));
    return trained;
}

void PrintLevels(const char* when, const std::vector<const CharacterVariation*>& trained)
{
    std::printf("levels %s:\n", when);
    for (const CharacterVariation* member : trained)
        if (member)
            std::printf("  %-12s energy %5.1f  speed %5.1f  shooting %5.1f\n", member->GetKeyName().c_str(),
                        member->energy.level, member->speed.level, member->shooting.level);
}

// The selection whose screen is fully shown, or null.
PlayerSelection* ShownSelection()
{
    auto* menu = dynamic_cast<PlayerSelectionMenu*>(Menu::Instance()->GetOwner());
    auto* selection = menu ? dynamic_cast<PlayerSelection*>(menu->GetOwner()) : nullptr;
    return selection && Menu::Instance()->GetFadeState() == Menu::kShown ? selection : nullptr;
}

void PressMenu(GameHarness& harness, const char* action)
{
    harness.Script().Press(harness.GetFrame(), action);
    harness.RunFrames(kKeyGap);
}

// Picks the candidates on the selection screen by the menu's keys (right to move, select to
// pick), then presses accept, which the completed squad chooses. The picked members' names,
// or none when the screen or a step does not come (reported).
std::vector<std::string> PickOnSelection(GameHarness& harness, const std::vector<int>& candidates)
{
    for (int i = 0; i < kScreenCap && !ShownSelection(); ++i)
        harness.Step();
    PlayerSelection* selection = ShownSelection();
    Check(selection != nullptr, "the selection screen shows");
    if (!selection)
        return {};
    std::vector<std::string> picked;
    for (const int candidate : candidates) {
        const auto& offered = selection->GetRequest().candidates;
        for (int i = 0; i < kScreenCap && selection->GetCursor() != candidate; ++i)
            PressMenu(harness, "(menu):right");
        if (candidate >= static_cast<int>(offered.size()) || selection->GetCursor() != candidate)
            break;
        PressMenu(harness, "(menu):button a");
        if (selection->IsPicked(candidate))
            picked.push_back(offered[static_cast<size_t>(candidate)]->GetVariation()->GetKeyName());
    }
    const bool complete = selection->IsSquadComplete() && picked.size() == candidates.size();
    Check(complete && Menu::Instance()->GetSelectedItemName() == "accept",
          "the picks complete the squad and choose accept");
    if (!complete)
        return {};
    std::printf("picked on %s:", selection->GetRequest().screen.c_str());
    for (const std::string& name : picked)
        std::printf(" %s", name.c_str());
    std::printf("\n");
    PressMenu(harness, "(menu):button a");
    return picked;
}

// The names of the members at the places, "" for an empty place.
std::vector<std::string> Names(const std::vector<const CharacterVariation*>& members)
{
    std::vector<std::string> names;
    for (const CharacterVariation* member : members)
        names.push_back(member ? member->GetKeyName() : "");
    return names;
}

// The members who train, as the squad selection would hand them over: the keeper first.
void PickMembers()
{
    const TeamDescription* team = TeamDescription::Find(StoryModeGame::kStoryTeam);
    TrainingSettings* settings = TrainingSettings::Instance();
    settings->selection.clear();
    for (const auto& entry : team->GetMembers())
        if (settings->selection.size() < 4 && (entry.isSub || !settings->selection.empty()))
            settings->selection.push_back({CharacterVariation::Find(entry.variation)});
}

// The cycles the passing drill counted, as its HUD shows them.
int Cycles()
{
    const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(0);
    return team ? team->GetGoals() : 0;
}

// The passing drill by scripted passes: whoever holds the ball passes to the next player round
// the triangle.
bool PlayPasses(GameHarness& harness)
{
    int held = 0;
    for (int frame = 0; frame < kDrillCap && Cycles() < 1; ++frame) {
        const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(0);
        const int count = team ? team->GetPlayerCount() : 0;
        int holder = 0;
        while (holder < count && !team->GetPlayer(holder)->GetActor()->HasBall())
            ++holder;
        held = holder < count ? held + 1 : 0;
        if (held > kHoldFrames)
            team->GetPlayer(holder)->Pass(team->GetPlayer((holder + 1) % count)->GetActor()->GetPosition(), true);
        harness.Step();
    }
    std::printf("passing: %d cycle(s) at frame %d\n", Cycles(), harness.GetFrame());
    return Cycles() >= 1;
}

// Whether the dribbling drill's defenders all stand where a try puts them.
bool DefendersOnTheirSpots()
{
    const SoccerTeam* defending = PitchSimulation::Instance()->GetTeam(1);
    for (int i = 0; defending && i < Dribbling::kDefenders && i < defending->GetPlayerCount(); ++i) {
        const PitchPosition at = PitchPosition::FromWorld(defending->GetPlayer(i)->GetActor()->GetPosition(), false);
        if (std::fabs(at.x - Dribbling::DefenderSpot(i).x) + std::fabs(at.z) > kOnSpot)
            return false;
    }
    return defending != nullptr;
}

// The dribbling drill left alone waits for the player; once he runs at the defenders they
// come for him.
void LeaveTheDribblerAlone(GameHarness& harness)
{
    harness.RunFrames(kLeftAlone);
    const std::string marks = PenaltyDisplayControl::DescribeRow(0);
    std::printf("dribbling left alone for %d s: marks %s\n", kLeftAlone / 60, marks.c_str());
    Check(marks == "eeeee" && DefendersOnTheirSpots(), "left alone, the first try waits for the player");
    for (int i = 0; i < kSettingOff; ++i) {
        harness.Script().Press(harness.GetFrame(), "(0):down");
        harness.Step();
    }
    Check(!DefendersOnTheirSpots(), "once the dribbler sets off the defenders come for him");
}

// Runs the drill started from "training_load" to its results screen and closes it.
bool RunDrill(GameHarness& harness, int counter)
{
    TBMenu* load = WaitFor(harness, "training_load");
    if (!load)
        return false;
    Command(load, "StartTraining");
    const std::string results = "training_results_" + std::to_string(counter + 1);
    if (counter == 0)
        Check(PlayPasses(harness), "the passing drill counts a cycle by scripted passes");
    if (counter == 1)
        LeaveTheDribblerAlone(harness);
    for (int i = 0; i < kDrillCap; ++i) {
        if (TBMenu* menu = ShownMenu(); menu && menu->GetScreen() == results)
            break;
        if (counter != 0 && i % 60 == 30)
            harness.Script().Press(harness.GetFrame() + 1, "cheat win");
        harness.Step();
    }
    TBMenu* screen = WaitFor(harness, results, 1);
    std::printf("%s: %d point(s)\n", results.c_str(), TrainingSettings::Instance()->points);
    if (!screen)
        return false;
    Command(screen, "Nothing");
    TBMenu* advance = WaitFor(harness, "training_advance");
    if (!advance)
        return false;
    Command(advance, "AdvanceTraining");
    return true;
}

double Seconds(const std::chrono::steady_clock::time_point& since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// "StartTraining" to the passing drill's first frame, ten times on the null device, then the
// drill's frames; on GL once, for the frames alone.
int Bench(GameHarness& harness, bool gl, int frameCount)
{
    const int kRuns = gl ? 1 : 10;
    constexpr uint32_t kPassingHud = PitchSimulation::kHudDrillCounters | PitchSimulation::kHudPlayer1Name |
                                     PitchSimulation::kHudPlayer1Energy;
    std::vector<double> starts;
    tools::FrameTimes frames;
    for (int run = 0; run < kRuns; ++run) {
        TrainingSettings::Instance()->drillCounter = 0;
        PitchSimulation::Instance()->SetHudElements(0);
        harness.MakeCurrent(new TrainingMode("training_load"));
        TBMenu* load = WaitFor(harness, "training_load");
        if (!load)
            return 1;
        const auto start = std::chrono::steady_clock::now();
        Command(load, "StartTraining");
        for (int i = 0; i < kScreenCap && PitchSimulation::Instance()->GetHudMask() != kPassingHud; ++i)
            harness.Step();
        harness.Step();
        starts.push_back(Seconds(start));
        if (run == 0)
            frames = tools::TimeFrames(frameCount, [&](int i) {
                if (i == 100)
                    MessageServer::Instance()->SendMessage(0, MessageServer::Instance()->RegisterMessage("did pass"), 0);
                harness.Step();
                return true;
            });
        harness.Script().Press(harness.GetFrame() + 1, "cheat skip");
        harness.Step();
    }
    if (!gl)
        std::printf("bench: StartTraining to the drill's first frame: median %.3f s, worst %.3f s (%d runs)\n",
                    tools::Median(starts), *std::max_element(starts.begin(), starts.end()), kRuns);
    std::printf("bench: passing drill frame on %s: median %.3f ms, worst %.3f ms, processor %.3f ms (%d frames)\n",
                gl ? "GL at 1280 x 720" : "the null device", frames.median, frames.worst, frames.processor, frames.frames);
    return 0;
}

enum class Mode { kPlay, kBench, kGLBench };

int Run(platform::Window* window, const std::string& archive, Mode mode, int frameCount)
{
    const bool gl = mode == Mode::kGLBench;
    if (gl && !tools::StartRenderer(window, rwDeviceGL, kGLWidth, kGLHeight))
        return 1;
    GameHarness harness(window, archive, gl ? rwDeviceGL : rwDeviceNull);
    if (!harness.Start())
        return 1;
    std::filesystem::create_directories("data/Savegames");
    Check(StorySaveGame::Instance()->StartCareer(kCareerSlot, "Bolts", "Bolts"), "a career starts");
    // As a new career from the menu: one player, who controls the team that trains.
    GameParameters::Instance()->SetParameter("players", "1");
    if (mode != Mode::kPlay) {
        PickMembers();
        harness.MakeCurrent(new TrainingSession(TrainingSession::kPrepare));
        const int result = Bench(harness, gl, frameCount);
        harness.Stop();
        return result;
    }
    harness.MakeCurrent(new TrainingMode("training"));
    TBMenu* training = WaitFor(harness, "training");
    if (!training)
        return 1;
    Check(Menu::Instance()->HasItem("select") && Menu::Instance()->HasItem("Save") && Menu::Instance()->HasItem("quit"),
          "training offers the selection, Save and the way back");
    Command(training, "SelectMainPlayers");
    const size_t teamSize = TeamDescription::Find(StoryModeGame::kStoryTeam)->GetMembers().size();
    Check(WaitFor(harness, TrainingMode::SelectionScreen(TrainingMode::kTrainingMembers, teamSize)) != nullptr,
          "SelectMainPlayers opens the squad selection");
    // The keeper sits first, already picked; the next three are the members who train.
    const std::vector<std::string> picked = PickOnSelection(harness, {1, 2, 3});
    if (!WaitFor(harness, "training_load"))
        return 1;
    const std::vector<const CharacterVariation*> trained = Trained();
    const std::vector<const CharacterVariation*> chosen(trained.begin(), trained.begin() + TrainingSettings::kChosen);
    Check(!picked.empty() && Names(chosen) == picked,
          "the training takes the members picked on the selection");
    PrintLevels("before", trained);
    const float speedBefore = trained[1]->speed.level;
    for (int counter = 0; counter < 4; ++counter) {
        if (counter == 1 || counter == 2) {
            // The one-player drills: the second of the three is picked on the smaller screen.
            const std::vector<std::string> one = PickOnSelection(harness, {1});
            if (!WaitFor(harness, "training_load"))
                return 1;
            Check(one.size() == 1 && TrainingSettings::Instance()->chosenIndex == 1 && one[0] == picked[1],
                  "the drill takes the member picked for it");
        }
        if (!RunDrill(harness, counter))
            return 1;
    }
    PrintLevels("after", trained);
    Check(trained[1]->speed.level > speedBefore, "the dribbler's speed rose by the drill's points");
    TBMenu* start = WaitFor(harness, "matchstart");
    Check(start && StoryModeGame::Instance()->trainingPassed, "after the fourth drill the match start follows");
    if (start) {
        Command(start, "Save");
        const StorySaveGame::Slot* slot = StorySaveGame::Instance()->GetSlot(kCareerSlot);
        std::printf("slot progress: %s\n", slot ? slot->progress.c_str() : "none");
        Check(slot && slot->progress.find("% 2<") != std::string::npos, "Save on the match start writes step 2");
    }
    harness.Stop();
    return g_failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: training_run <game folder> [--bench | --gl-bench] [frames]\n");
        return 2;
    }
    ConsoleSink console(false);
    Debug::Instance()->SetSink(&console);
    const std::string archive = std::filesystem::absolute(std::string(argv[1]) + "/data/Turfbolt.dat").string();
    const std::string option = argc > 2 ? argv[2] : "";
    const Mode mode = option == "--bench" ? Mode::kBench : option == "--gl-bench" ? Mode::kGLBench : Mode::kPlay;
    const bool gl = mode == Mode::kGLBench;
    tools::OffscreenSession session("training_run", gl ? kGLWidth : 800, gl ? kGLHeight : 600);
    int result = 1;
    if (session.Start(tools::OffscreenSession::kWindowOnly))
        result = Run(session.GetWindow(), archive, mode, argc > 3 ? std::max(1, std::atoi(argv[3])) : kBenchFrames);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
