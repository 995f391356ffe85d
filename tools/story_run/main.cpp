// Runs the real program from a scratch copy of the game folder under the offscreen driver and
// drives the story mode with pushed key events:
//     story_run <game folder> <work folder> first|second|third|fourth|newcareer|unwritable
// first: "main" to the story slots; the third slot, a new career named "Bolts" (typed), its
// options left as they are; "Save" on the first leg's screen; the program quits.
// second: the third slot shows "Bolts", the date and step 1; "story_load" continues the
// career on its leg screen with "continue" chosen, through its training (a key pressed as its
// menu appears acts on it; the squads picked, each drill won with a cheat) to the match
// start, where "Save" writes it again; the first
// leg is played (the squad picked, each period cut short with a cheat, the line-up chosen
// again at half time) and "Save" on the second leg's screen.
// third: the second leg's training counted as passed, the second leg is played and won with
// a cheat; the round's screen follows, then the gained players' pick (or the round again),
// and "Save" on the next leg's screen.
// fourth: the career continues on that leg's screen after the restart.
// newcareer: a new career named "Bolts" is saved on its leg's screen, where a key pressed as
// the screen comes back acts on it; its first leg is played at once, without a reload: the
// score line and the statistics name the story team "Bolts".
// unwritable: a new career whose file cannot be written, then a "Save" whose slot table
// cannot be written: each is told on the message screen and the screen comes back to try
// again, which works once the folder standing in the file's place is gone; a save that
// works is told too; back in the main menu, the career keeps the typed name.
// Every run skips the intro with a key, as a player may, and prints the career file and the
// slot table unscrambled; pictures of the screens land in <work folder>/pictures. The exit
// code is 0 when the program ended with 123 and every check held.

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/CryptedStdFile.h"
#include "framework/File.h"
#include "framework/FileSystem.h"
#include "framework/StringUtil.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "game/GameTB.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "scene/RwGraphics.h"
#include "settings/TrainingSettings.h"
#include "shell/MainApp.h"
#include "simulation/MatchClock.h"
#include "text/TextManager.h"
#include "tools/editor_script/EditorScript.h"
#include "tools/menu_script/MenuScript.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace editor_script;
using namespace menu_script;

constexpr int kNormalExit = 123;
constexpr int kCareerSlot = 2;
// "Your squad is complete", as the selections say it.
constexpr int32_t kSquadCompleteText = 20551;
constexpr int kReportEvery = 300;
// Updates between presses of the select key on screens and shows that wait for it.
constexpr int kPressEvery = 10;
// The least room between two texts that read as two, in pixels at 800 wide.
constexpr float kBlankWidth = 20.0f;

std::string Variable(const std::string& name)
{
    return Menu::Instance()->Variables()[name];
}

// A scrambled save file as its plain text.
void PrintUnscrambled(const char* name)
{
    FileSystem::Instance()->InvalidateDiskCache();
    File* file = CryptedStdFile::Open(name, false);
    if (!file) {
        Check(false, "the save file reads");
        return;
    }
    std::string text(static_cast<size_t>(file->Size()), '\0');
    text.resize(file->Read(text.data(), text.size()));
    file->Close();
    delete file;
    std::printf("----- %s -----\n%s", name, text.c_str());
}

void PrintFiles()
{
    PrintUnscrambled(StorySaveGame::CareerFileName(kCareerSlot).c_str());
    PrintUnscrambled(StorySaveGame::kTableFile);
}

menu_script::Step Quit()
{
    return Do([] {
        PrintFiles();
        theApp.PostQuitMessage(kNormalExit);
    });
}

std::string ShownScreen()
{
    const TBMenu* menu = ScreenMenu();
    return menu ? menu->GetScreen() : std::string();
}

// Within a second the item is selected.
menu_script::Step SelectedWithin(const char* item, const char* what)
{
    return Within(what, [item] { return Menu::Instance()->GetSelectedItemName() == item; });
}

// Where a world point shows in the primary camera's picture, in pixels from the top left;
// false when it lies behind the camera or outside the picture.
bool OnPicture(const Vector3& point, Vector2& pixel)
{
    const PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    if (!camera)
        return false;
    const RwV3d in{point.x, point.y, point.z};
    RwV3d view;
    RwV3dTransformPoints(&view, &in, 1, RwCameraGetViewMatrix(camera->GetRwCamera()));
    if (view.z <= 0.0f)
        return false;
    pixel = {view.x / view.z * camera->GetWidth(), view.y / view.z * camera->GetHeight()};
    return pixel.x >= 0.0f && pixel.x < camera->GetWidth() && pixel.y >= 0.0f && pixel.y < camera->GetHeight();
}

// The highest point in the picture of any candidate's head (the top of his collision
// cylinder), in pixels from the top; the picture's height when none is in view.
float HighestHead()
{
    float highest = RwGraphics::Instance()->GetPrimaryCamera()->GetHeight();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(side);
        std::vector<Character*> people = team ? team->GetBench() : std::vector<Character*>{};
        for (int32_t i = 0; team && i < team->GetPlayerCount(); ++i)
            people.push_back(team->GetPlayer(i));
        for (const Character* person : people) {
            const Actor* actor = person->GetActor();
            Vector2 head;
            if (actor && OnPicture(actor->GetPosition() + Vector3(0.0f, actor->GetHeight(), 0.0f), head))
                highest = std::min(highest, head.y);
        }
    }
    return highest;
}

// A selection screen as it first shows: no shadow copies over the stands, no prompt for a
// keeper when none is to be picked, and the candidates' cards and names above their heads.
// False until its cards have been drawn.
bool CheckSelection(const std::string& screen)
{
    Vector4 card;
    if (!ShownItemArea("pick_1", card))
        return false;
    static int pictures = 0;
    static std::string picture;
    picture = "selection_" + std::to_string(++pictures) + "_" + screen.substr(screen.find("Selection"));
    Picture(picture.c_str())();
    Menu* menu = Menu::Instance();
    Check(menu->IsNoShadow(), "a selection draws no shadow copies");
    const std::string prompt = StringUtil::Lower(menu->ExpandVariables("%action_on_allstar_menu%"));
    std::printf("%s: prompt \"%s\" with %s keeper(s) to pick\n", screen.c_str(), prompt.c_str(),
                Variable("%goalies_to_select%").c_str());
    Check(Variable("%goalies_to_select%") != "0" || prompt.find("keeper") == std::string::npos,
          "no keeper is asked for when none is to be picked");
    float lowest = 0.0f;
    for (const Vector4& area : ShownTextAreas("_name%"))
        lowest = std::max(lowest, area.y + area.w);
    for (int n = 1; ShownItemArea("pick_" + std::to_string(n), card); ++n)
        lowest = std::max(lowest, card.y + card.w);
    const float head = HighestHead();
    std::printf("cards and names end at %g, the highest head is at %g\n", lowest, head);
    Check(lowest < head, "the cards and names stay above the candidates' heads");
    return true;
}

// The complete squad is told once, with the key that takes it: the menu's own.
void CheckCompleteSquadToldOnce()
{
    TextManager* texts = TextManager::Instance();
    const std::string complete = texts->GetText(kSquadCompleteText);
    const std::string key = Menu::Instance()->ExpandVariables(
        PlatformInputDevices::Instance()->GetInputMapper(0)->GetTargetName("(menu):button b"));
    std::printf("\"%s\" shown %d time(s); the key is \"%s\"\n", complete.c_str(), ShownTextCount(complete),
                key.c_str());
    Check(ShownTextCount(complete) == 1, "the complete squad is told once");
    Check(!key.empty() && complete.find(key) != std::string::npos, "it names the key that takes the squad");
}

// Keys for a squad selection on screen, one every few updates: the pick under the cursor
// changed, then the cursor moved on, until the squad is complete and the accept button
// (which the screen then selects) is pressed. False when no selection is on screen.
bool PickSquad()
{
    static int ticks = 0;
    static bool moveNext = false;
    static bool checked = false;
    const std::string shown = ShownScreen();
    if (shown.find("Selection") == std::string::npos) {
        checked = false;
        return false;
    }
    if (!checked) {
        checked = CheckSelection(shown);
        return true;
    }
    if (Menu::Instance()->GetFadeState() != Menu::kShown || ++ticks % 8 != 0)
        return true;
    if (Menu::Instance()->GetSelectedItemName() == "accept") {
        std::printf("squad picked on \"%s\"\n", shown.c_str());
        CheckCompleteSquadToldOnce();
        // Numbered: the story match's squad and its half-time line-up share a screen.
        static int pictures = 0;
        static std::string picture;
        picture = "picked_" + std::to_string(++pictures) + "_" + shown.substr(shown.find("Selection"));
        Picture(picture.c_str())();
        Press({SDL_SCANCODE_SPACE});
        return true;
    }
    Press({moveNext ? SDL_SCANCODE_RIGHT : SDL_SCANCODE_SPACE});
    moveNext = !moveNext;
    return true;
}

void DecideRound()
{
    const StoryModeGame& career = *StoryModeGame::Instance();
    const bool won = OnScreen("round_won");
    std::printf("round %d %s on aggregate %d:%d (shoot-out %d)\n", career.round + 1, won ? "won" : "lost",
                career.GetTotalGoals(true), career.GetTotalGoals(false), career.penaltyResult);
    Check(won == career.IsRoundWon(), "the round's screen tells its result");
}

// On "round_won" the next round, through the gained players' pick; on "round_lost" the
// round again from its first leg.
menu_script::Step AfterTheRound()
{
    return [choose = menu_script::Step(), chosen = false]() mutable {
        if (!choose)
            choose = Choose(OnScreen("round_won") ? "next" : "yes");
        if (!chosen) {
            chosen = choose();
            return false;
        }
        PickSquad();
        return OnScreen("leg_display");
    };
}

// The letters of a cheat, typed one key per update while the match clock runs.
class CheatTyper {
public:
    explicit CheatTyper(const char* cheat) : m_cheat(cheat) {}

    // True while it types: from the first update of a running clock to the cheat's end.
    bool Update()
    {
        const MatchClock* clock = PitchSimulation::Instance()->GetClock();
        const float time = clock ? clock->GetTime() : 0.0f;
        const bool running = time > m_lastTime;
        m_lastTime = time;
        if (m_next == 0 && !running)
            return false;
        const char c = m_cheat[m_next];
        Press({c == ' ' ? SDL_SCANCODE_SPACE : static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'A'))});
        if (++m_next == m_cheat.size())
            m_next = 0;
        return true;
    }

private:
    std::string m_cheat;
    size_t m_next = 0;
    float m_lastTime = 0.0f;
};

int g_halfTimeChoices = 0;

std::string Names(const std::vector<Character*>& characters)
{
    std::string names;
    for (const Character* character : characters)
        names += " " + character->GetVariation()->GetKeyName();
    return names;
}

// Called once the half-time choice has handed over to the second half.
void PrintSecondHalf()
{
    ++g_halfTimeChoices;
    const SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(0);
    std::vector<Character*> players;
    for (int32_t i = 0; i < team.GetPlayerCount(); ++i)
        players.push_back(team.GetPlayer(i));
    std::printf("second half line-up:%s; bench:%s\n", Names(players).c_str(), Names(team.GetBench()).c_str());
    Check(team.GetPlayerCount() == 5, "five play the second half");
}

// From the match start to the screen after the match: the squad picked, the cheat typed in
// every period, the line-up chosen again at half time, the match's screens and the newspaper
// passed with the select key.
menu_script::Step PlayLeg(const char* cheat, const char* screenAfter)
{
    return [typer = std::make_shared<CheatTyper>(cheat), ticks = 0, screenAfter, picks = 0,
            picking = false]() mutable {
        ++ticks;
        const std::string shown = ShownScreen();
        if (!shown.empty() && shown.rfind(screenAfter, 0) == 0)
            return Menu::Instance()->GetFadeState() == Menu::kShown;
        if (PickSquad()) {
            picking = true;
            return false;
        }
        // The squad before the match, then the line-up at half time.
        if (picking && ++picks == 2)
            PrintSecondHalf();
        picking = false;
        // Banners go by themselves; statistics screens and the newspaper wait for the key.
        if (!typer->Update() && shown.rfind("message", 0) != 0 && ticks % kPressEvery == 0)
            Press({SDL_SCANCODE_SPACE});
        return false;
    };
}

// training_run plays the drills; here the leg's training counts as passed, so "continue"
// leads straight to the match start.
menu_script::Step SkipTraining()
{
    return Do([] { StoryModeGame::Instance()->trainingPassed = true; });
}

// The leg's training up to the match start: the newspaper passed, the squads picked on the
// selection screens, each drill won by the typed cheat (once: a second win would restart the
// passing drill's last second), each results screen closed.
menu_script::Step PlayTraining()
{
    struct Typing {
        int drill = 0;  // the drill counter the cheat was typed for last
        size_t next = 0;
        std::string results;  // the results screen last reported
    };
    return [typing = std::make_shared<Typing>(), ticks = 0]() mutable {
        static const std::string cheat = "CHEAT WIN";
        if (OnScreen("matchstart"))
            return true;
        const int drill = TrainingSettings::Instance()->drillCounter;
        const std::string shown = ShownScreen();
        if (++ticks % kReportEvery == 0)
            std::printf("tick %d: screen \"%s\" at \"%s\", drill counter %d\n", ticks, shown.c_str(),
                        Menu::Instance()->GetSelectedItemName().c_str(), drill);
        if (PickSquad())
            return false;
        // The drill reads the cheat once its play has started, whenever it was typed.
        if (drill > typing->drill && shown.rfind("training", 0) != 0) {
            const char c = cheat[typing->next];
            Press({c == ' ' ? SDL_SCANCODE_SPACE : static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'A'))});
            if (++typing->next == cheat.size())
                *typing = {drill, 0, typing->results};
            return false;
        }
        if (shown.rfind("training_results_", 0) == 0 && shown != typing->results) {
            typing->results = shown;
            std::printf("%s: %d point(s)\n", shown.c_str(), TrainingSettings::Instance()->points);
        }
        if (shown == "training")
            Choose("select")();
        else if (shown.rfind("training_", 0) == 0)
            Choose("OK")();
        else if (shown.empty() && ticks % kPressEvery == 0)
            Press({SDL_SCANCODE_SPACE});  // the newspaper before the first training
        return false;
    };
}

// A resumed career's match start offers "continue" where a new leg's offers "OK".
menu_script::Step StartTheMatch()
{
    return [choose = menu_script::Step{}]() mutable {
        if (!choose) {
            if (!OnScreen("matchstart") || Menu::Instance()->GetFadeState() != Menu::kShown)
                return false;
            choose = Choose(Menu::Instance()->HasItem("OK") ? "OK" : "continue");
        }
        return choose();
    };
}

void ToTheSlots(const char* picture)
{
    auto& s = Steps();
    s.push_back(SkippingShows(WaitFor("main")));
    s.push_back(Choose("storymode"));
    s.push_back(WaitFor("story_slots"));
    s.push_back(Picture(picture));
    // The slot's button chooses it and moves on to what can be done with it.
    s.push_back(Choose("slot2"));
}

// The saved career from the chosen slot, on its leg screen.
void LoadCareer()
{
    auto& s = Steps();
    s.push_back(Choose("story_load"));
    s.push_back(WaitFor("leg_display"));
}

// "Save" on the leg screen shown: the slot keeps the career at the step given; then the
// program quits.
void SaveAndQuit(int step)
{
    auto& s = Steps();
    s.push_back(Choose("Save"));
    s.push_back(Do([step] {
        const StorySlot& slot = StorySaveGame::Instance()->slots[kCareerSlot];
        std::printf("saved: slot 3: %s, %s, %s\n", slot.displayName.c_str(), slot.date.c_str(), slot.progress.c_str());
        Check(slot.displayName == "Bolts", "the slot keeps its career");
        const std::string progress = "<scale 0.4><br>%30320% " + std::to_string(step) + "</scale>";
        Check(slot.progress == progress, ("the career is at step " + std::to_string(step)).c_str());
    }));
    s.push_back(Quit());
}

// On the team-name screen: "Bolts" typed.
void TypeTheName()
{
    auto& s = Steps();
    s.push_back(PressKeys({SDL_SCANCODE_LSHIFT, SDL_SCANCODE_B}));
    for (SDL_Scancode code : {SDL_SCANCODE_O, SDL_SCANCODE_L, SDL_SCANCODE_T, SDL_SCANCODE_S})
        s.push_back(PressKeys({code}));
    s.push_back(Do([] {
        std::printf("typed team name \"%s\"\n", Variable("storyteamname").c_str());
        Check(Variable("storyteamname") == "Bolts", "the typed name is Bolts");
    }));
}

void FirstRun()
{
    ToTheSlots("story_slots");
    auto& s = Steps();
    s.push_back(Choose("story_create"));
    s.push_back(WaitFor("story_team_select"));
    s.push_back(Within("the empty name field shows its box", [] {
        Vector4 box;
        return ShownItemArea("teamname_box", box);
    }));
    s.push_back(Picture("story_team_select_empty"));
    TypeTheName();
    s.push_back(Within("the typed name stands in its box", [] {
        Vector4 box, name;
        return ShownItemArea("teamname_box", box) && ShownItemArea("teamname", name) &&
               box.x < name.x + name.z / 2 && name.x + name.z / 2 < box.x + box.z &&
               box.y < name.y + name.w / 2 && name.y + name.w / 2 < box.y + box.w;
    }));
    s.push_back(Picture("story_team_select"));
    // Up: down from the field leads into the on-screen keyboard, which keeps up and down.
    s.push_back(Choose("ok", SDL_SCANCODE_UP));
    s.push_back(WaitFor("leg_display"));
    s.push_back(Picture("leg_display"));
    s.push_back(Do([] {
        Check(StoryModeGame::Instance()->teamName == "Bolts", "the career takes the typed name");
        Check(StorySaveGame::Instance()->currentSlot == kCareerSlot, "the career runs in the third slot");
    }));
    SaveAndQuit(1);
}

// Once both items are shown and drawn: a blank's width at least lies between them.
menu_script::Step ShownApart(const char* a, const char* b)
{
    return [a, b] {
        Vector4 p, q;
        if (!ShownItemArea(a, p) || !ShownItemArea(b, q))
            return false;
        const float gap = std::max({q.x - (p.x + p.z), p.x - (q.x + q.z), q.y - (p.y + p.w), p.y - (q.y + q.w)});
        std::printf("\"%s\" at %g..%g, \"%s\" at %g..%g\n", a, p.x, p.x + p.z, b, q.x, q.x + q.z);
        Check(gap >= kBlankWidth, (std::string(a) + " and " + b + " stand apart").c_str());
        return true;
    };
}

void SecondRun()
{
    ToTheSlots("story_slots_again");
    auto& s = Steps();
    s.push_back(ShownApart("story_load", "story_delete"));
    s.push_back(Picture("story_slots_chosen"));
    s.push_back(Do([] {
        std::printf("slot 3 shows: %s | %s | %s\n", Variable("%savegame3%").c_str(), Variable("%savegame3_dat%").c_str(),
                    Variable("%savegame3_pro%").c_str());
        Check(Variable("%savegame3%") == "Bolts", "the third slot shows Bolts");
        Check(!Variable("%savegame3_dat%").empty(), "the third slot shows its date");
        Check(Variable("%savegame3_pro%").find("%30320% 1<") != std::string::npos, "the third slot shows step 1");
    }));
    LoadCareer();
    s.push_back(Do([] {
        Check(Menu::Instance()->GetSelectedItemName() == "continue", "a resumed career goes on with continue");
        Check(!Menu::Instance()->HasItem("OK"), "a resumed career has no OK");
        Check(TeamDescription::Find(StoryModeGame::kStoryTeam)->GetTeamName() == "Bolts", "the story team is Bolts");
    }));
    s.push_back(Choose("continue"));
    // The newspaper passed; a key as the training menu appears acts on it.
    s.push_back(SkippingShows(PressWhileFadingIn("training", {SDL_SCANCODE_DOWN}), SDL_SCANCODE_SPACE));
    s.push_back(WaitFor("training"));
    s.push_back(SelectedWithin("Save", "Down pressed as the training menu appears moves to Save"));
    s.push_back(PlayTraining());
    s.push_back(Do([] { Check(StoryModeGame::Instance()->trainingPassed, "the training is passed"); }));
    s.push_back(Picture("matchstart"));
    s.push_back(Choose("Save"));
    s.push_back(Do([] {
        Check(StorySaveGame::Instance()->slots[kCareerSlot].displayName == "Bolts", "the slot keeps its career");
    }));
    s.push_back(StartTheMatch());
    s.push_back(PlayLeg("CHEAT SKIP", "leg_display"));
    s.push_back(Do([] {
        const StoryModeGame& career = *StoryModeGame::Instance();
        std::printf("first leg booked %d:%d; the second leg is due\n", career.awayGoals1, career.homeGoals2);
        Check(!career.firstLeg, "the second leg is due");
        Check(g_halfTimeChoices == 1, "the line-up was chosen at half time");
    }));
    s.push_back(Picture("second_leg_display"));
    SaveAndQuit(3);
}

// The second leg after the restart: the match won, the round decided and its screen, then
// the next round's first leg saved.
void ThirdRun()
{
    ToTheSlots("story_slots_again");
    auto& s = Steps();
    LoadCareer();
    s.push_back(Do([] {
        const StoryModeGame& career = *StoryModeGame::Instance();
        Check(!career.firstLeg, "the second leg is due after the restart");
        std::printf("continued on the second leg; the first was booked %d:%d\n", career.awayGoals1, career.homeGoals2);
    }));
    s.push_back(SkipTraining());
    s.push_back(Choose("continue"));
    s.push_back(WaitFor("matchstart"));
    s.push_back(StartTheMatch());
    s.push_back(PlayLeg("CHEAT WIN", "round_"));
    s.push_back(Do(DecideRound));
    s.push_back(Picture("round_result"));
    s.push_back(AfterTheRound());
    s.push_back(Do([] {
        std::string members;
        for (const auto& member : TeamDescription::Find(StoryModeGame::kStoryTeam)->GetMembers())
            members += " " + member.variation;
        std::printf("the story team now:%s\n", members.c_str());
    }));
    s.push_back(Picture("next_round_leg_display"));
    SaveAndQuit(5);
}

// The career after the restart: the round the third run reached, still due.
void FourthRun()
{
    ToTheSlots("story_slots_again");
    auto& s = Steps();
    LoadCareer();
    s.push_back(Do([] {
        const StoryModeGame& career = *StoryModeGame::Instance();
        std::printf("continued: round %d, %s leg, %zu members\n", career.round + 1, career.firstLeg ? "first" : "second",
                    TeamDescription::Find(StoryModeGame::kStoryTeam)->GetMembers().size());
        Check(career.teamName == "Bolts", "the career is Bolts");
        Check(career.firstLeg, "a new round starts with its first leg");
        Check(Menu::Instance()->GetSelectedItemName() == "continue", "a resumed career goes on with continue");
    }));
    s.push_back(Picture("continued_leg_display"));
    s.push_back(Quit());
}

// The text a HUD item of the level shows; empty without the item.
std::string HudText(const char* item)
{
    const Cast* hud = CastManager::Instance()->GetCast("hud");
    const CastMember* member = hud ? hud->FindByName(item) : nullptr;
    const auto* element = member ? dynamic_cast<const HudElement*>(member->object) : nullptr;
    return element && element->GetItem() ? element->GetItem()->GetParameter("text") : std::string();
}

// The team names a match shows, each set once: on the score line while the clock runs, and
// on the statistics screens.
struct ShownNames {
    std::set<std::string> scoreLine;
    std::set<std::string> statistics;
};

// The step given, noting the names shown meanwhile.
menu_script::Step NotingNames(ShownNames& names, menu_script::Step step)
{
    return [&names, step] {
        const MatchClock* clock = PitchSimulation::Instance()->GetClock();
        if (clock && clock->GetTime() > 0.0f && !ScreenMenu()) {
            if (names.scoreLine.empty())
                Picture("first_leg_score_line")();
            for (const char* item : {"LeftTeamName", "RightTeamName"})
                names.scoreLine.insert(HudText(item));
        }
        if (ShownScreen().rfind("game_stat", 0) == 0 && Menu::Instance()->GetFadeState() == Menu::kShown) {
            if (names.statistics.empty())
                Picture("first_leg_statistics")();
            for (const char* variable : {"%home_team_name%", "%away_team_name%"})
                names.statistics.insert(Menu::Instance()->ExpandVariables(variable));
        }
        return step();
    };
}

// A new career's first leg straight away: the match names the story team as it was typed.
void NewCareerRun()
{
    ToTheSlots("story_slots");
    auto& s = Steps();
    s.push_back(Choose("story_create"));
    s.push_back(WaitFor("story_team_select"));
    TypeTheName();
    s.push_back(Choose("ok", SDL_SCANCODE_UP));
    s.push_back(SkippingShows(WaitFor("leg_display")));
    // A key as the screen comes back after "Career saved" acts on it.
    s.push_back(Choose("Save"));
    s.push_back(WaitForNotice("career_saved"));
    s.push_back(PressWhileFadingIn("leg_display", {SDL_SCANCODE_DOWN}));
    s.push_back(WaitFor("leg_display"));
    s.push_back(SelectedWithin("continue", "Down pressed as the leg's screen comes back moves on from Save"));
    s.push_back(SkipTraining());
    s.push_back(Choose("continue"));
    s.push_back(WaitFor("matchstart"));
    s.push_back(StartTheMatch());
    static ShownNames names;
    s.push_back(NotingNames(names, PlayLeg("CHEAT SKIP", "leg_display")));
    s.push_back(Do([] {
        const std::set<std::string> expected = {"Bolts", StoryModeGame::Instance()->GetOpponentTeamName()};
        for (const auto& [where, seen] : {std::pair{"score line", &names.scoreLine}, {"statistics", &names.statistics}}) {
            std::string shown;
            for (const std::string& name : *seen)
                shown += " \"" + name + "\"";
            std::printf("the %s named%s\n", where, shown.c_str());
            Check(*seen == expected, (std::string("the ") + where + " names Bolts and the opponent").c_str());
        }
    }));
    s.push_back(Quit());
}

// The message shown in place of the screen says the text; then the screen is back.
void ToldThen(const char* picture, const char* text, const char* screen)
{
    auto& s = Steps();
    s.push_back(WaitForNotice(picture));
    s.push_back(Do([text] {
        std::printf("told: \"%s\"\n", ShownNotice().c_str());
        Check(ShownNotice() == text, text);
    }));
    s.push_back(WaitFor(screen));
}

// Saves that cannot be written: the new career's file, then the slot table. Each failure is
// told on the message screen and the player stays where he can try again; a save that works
// is told too.
void UnwritableRun()
{
    const std::string career = "data/Savegames/savegame2.txt";
    const std::string table = "data/Savegames/SaveGameMeta.txt";
    auto& s = Steps();
    s.push_back(SkippingShows(WaitFor("main")));
    s.push_back(Do([career] { BlockFile(career, true); }));
    ToTheSlots("story_slots");
    s.push_back(Choose("story_create"));
    s.push_back(WaitFor("story_team_select"));
    TypeTheName();
    s.push_back(Choose("ok", SDL_SCANCODE_UP));
    ToldThen("career_not_saved", "Not saved: try again", "story_team_select");
    s.push_back(Do([career] {
        Check(Variable("storyteamname") == "Bolts", "the typed name stays");
        Check(Menu::Instance()->GetSelectedItemName() == "ok", "OK stays chosen");
        Check(StorySaveGame::Instance()->slots[kCareerSlot].free, "the slot stays free");
        BlockFile(career, false);
    }));
    s.push_back(Choose("ok", SDL_SCANCODE_UP));
    s.push_back(WaitFor("leg_display"));
    s.push_back(Do([table] { BlockFile(table, true); }));
    s.push_back(Choose("Save"));
    ToldThen("save_failed", "Not saved: try again", "leg_display");
    s.push_back(Do([table] {
        Check(Menu::Instance()->GetSelectedItemName() == "Save", "Save stays chosen");
        BlockFile(table, false);
    }));
    s.push_back(Choose("Save"));
    ToldThen("saved", "Career saved", "leg_display");
    s.push_back(Do([] { Check(!StorySaveGame::Instance()->slots[kCareerSlot].date.empty(), "the save is dated"); }));
    // Back to the main menu: the career in memory keeps the typed name.
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    s.push_back(WaitFor("main"));
    s.push_back(Picture("back_to_main"));
    s.push_back(Do([] {
        std::printf("the story team is called \"%s\"\n", Variable("%storyteam_name%").c_str());
        Check(Variable("%storyteam_name%") == "Bolts", "the story team keeps the typed name");
        theApp.PostQuitMessage(kNormalExit);
    }));
}

}  // namespace

int main(int argc, char** argv)
{
    return RunFromCommandLine("story_run", argc, argv,
                              {{"first", FirstRun, true},
                               {"second", SecondRun, false},
                               {"third", ThirdRun, false},
                               {"fourth", FourthRun, false},
                               {"newcareer", NewCareerRun, true},
                               {"unwritable", UnwritableRun, true}});
}
