#include "frontend/ingame/TBIngameMenu.h"

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "framework/Message.h"
#include "frontend/menu/MenuCommands.h"
#include "match/FrontEndScreens.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "simulation/ReplayEngine.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <vector>

namespace {

constexpr int kFieldSlots = 4;
constexpr int kBenchSlots = 2;
constexpr const char* kNobody = "N/A";
constexpr const char* kMark = " XXX";

// The front-end words an in-match menu also takes, with the same bodies. "Accept" and
// "Decline" close nothing: the screen's action goes on to the screen it came from.
constexpr const char* kSharedWords[] = {
    "SetMenu",   "SwitchDevice",       "ToggleFXVolume", "ToggleMusicVolume", "Accept",      "Decline", "BackToMain",
    "Nothing",   "AssignKey",          "CheckKeyAssignment", "Controls",      "SetPosition", "SetRotation",
};

std::string Numbered(const char* format, int n)
{
    char name[40];
    std::snprintf(name, sizeof name, format, n);
    return name;
}

// The first side's players that the substitution screen lists, in player order.
std::vector<Character*> FieldPlayers(const SoccerTeam& team)
{
    std::vector<Character*> players;
    for (int32_t i = 0; i < team.GetPlayerCount() && players.size() < static_cast<size_t>(kFieldSlots); ++i)
        if (team.GetPlayer(i)->GetKind() != Character::kGoalkeeper)
            players.push_back(team.GetPlayer(i));
    return players;
}

// The entry at the mark, or null when the mark stands past the end.
Character* Marked(const std::vector<Character*>& players, int mark)
{
    return mark >= 0 && mark < static_cast<int>(players.size()) ? players[static_cast<size_t>(mark)] : nullptr;
}

std::string MemberName(const Character& character, bool marked)
{
    const CharacterVariation* variation = character.GetVariation();
    return (variation ? variation->GetDisplayName() : kNobody) + (marked ? kMark : "");
}

// 1 to 4 mark a field player, 5 and up a bench player.
void SelectSubstitute(const std::string& argument)
{
    int n = 0;
    const char* last = argument.data() + argument.size();
    const auto [end, error] = std::from_chars(argument.data(), last, n);
    if (error != std::errc() || end != last || n < 1) {
        LogWarning("TBIngameMenu::OnMessage: SelectSubstitute needs a number from 1, not \"%s\"\n", argument.c_str());
        return;
    }
    if (n <= kFieldSlots)
        TBIngameMenu::s_selectedSubstitutionPlayer = n - 1;
    else
        TBIngameMenu::s_selectedSubstitute = n - kFieldSlots - 1;
}

void RenderPitchBeneath(bool render)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (render && pitch->IsSetUp())
        pitch->Render();
}

[[maybe_unused]] const bool s_ingameHooks = [] {
    FrontEndScreens::Get().ingameMenu = [](const std::string& screen, bool renderPitch) -> State* {
        return new TBIngameMenu(screen, renderPitch);
    };
    FrontEndScreens::Get().ingameMessage = [](const std::string& screen, float seconds) -> State* {
        return new TBIngameMessageMenu(screen, seconds);
    };
    return true;
}();

}  // namespace

int TBIngameMenu::s_selectedSubstitutionPlayer = 0;
int TBIngameMenu::s_selectedSubstitute = 0;

TBIngameMenu::TBIngameMenu(const std::string& screen, bool renderPitch) : TBMenu(screen), m_renderPitch(renderPitch) {}

void TBIngameMenu::Enter()
{
    TBMenu::Enter();
    PitchSimulation* pitch = PitchSimulation::Instance();
    m_savedHudMask = pitch->GetHudMask();
    pitch->SetHudElements(0);
    ReplayEngine::Instance()->SetPaused(true);
    pitch->SetActive(false);
    m_entered = true;
}

void TBIngameMenu::Exit()
{
    if (m_entered) {
        PitchSimulation* pitch = PitchSimulation::Instance();
        pitch->SetHudElements(m_savedHudMask);
        ReplayEngine::Instance()->SetPaused(false);
        pitch->SetActive(true);
        m_entered = false;
    }
    TBMenu::Exit();
}

State* TBIngameMenu::Update(float dt)
{
    PublishSubstitutionVariables();
    return TBMenu::Update(dt);
}

void TBIngameMenu::Render()
{
    RenderPitchBeneath(m_renderPitch);
    TBMenu::Render();
}

void TBIngameMenu::PublishSubstitutionVariables()
{
    Menu* menu = Menu::Instance();
    const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(0);
    int k = 1;
    if (team)
        for (const Character* player : FieldPlayers(*team)) {
            menu->SetVariable(Numbered("%%subst_player_%d%%", k), MemberName(*player, s_selectedSubstitutionPlayer == k - 1));
            ++k;
        }
    for (; k <= kFieldSlots; ++k)
        menu->SetVariable(Numbered("%%subst_player_%d%%", k), kNobody);
    int j = 1;
    if (team)
        for (const Character* sitting : team->GetBench()) {
            menu->SetVariable(Numbered("%%subst_subst_%d%%", j), MemberName(*sitting, s_selectedSubstitute == j - 1));
            ++j;
        }
    for (; j <= kBenchSlots; ++j)
        menu->SetVariable(Numbered("%%subst_subst_%d%%", j), kNobody);
}

bool TBIngameMenu::SendSubstitutionChoice()
{
    const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(0);
    SubstitutionChoice choice;
    if (team) {
        choice.outgoing = Marked(FieldPlayers(*team), s_selectedSubstitutionPlayer);
        choice.incoming = Marked(team->GetBench(), s_selectedSubstitute);
    }
    if (!choice.outgoing || !choice.incoming) {
        LogWarning("TBIngameMenu::OnMessage: CreateSubstitute: nobody at the %s mark; no substitution\n",
                   choice.outgoing ? "bench" : "pitch");
        return false;
    }
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage(SubstitutionChoice::kMessage), reinterpret_cast<intptr_t>(&choice));
    return true;
}

void TBIngameMenu::RunCommand(const std::string& word, MenuCommandCall& call, int fadeState)
{
    if (word == "SelectSubstitute") {
        SelectSubstitute(call.argument);
        return;
    }
    // The match takes the change at its next corner; play goes on meanwhile.
    if (word == "CreateSubstitute") {
        if (SendSubstitutionChoice())
            call.SetSuccessor(nullptr);
        return;
    }
    const auto* shared = std::find_if(std::begin(kSharedWords), std::end(kSharedWords),
                                      [&](const char* each) { return word == each; });
    if (shared != std::end(kSharedWords))
        menu_commands::Dispatch(word, call, fadeState);
}

TBMenu* TBIngameMenu::CreateScreen(const std::string& screen) const
{
    return new TBIngameMenu(screen, false);
}

TBIngameMessageMenu::TBIngameMessageMenu(const std::string& screen, float seconds, bool drawMouseCursor,
                                         bool renderPitch)
    : TBMenu(screen), m_remaining(seconds), m_renderPitch(renderPitch)
{
    SetDrawMouseCursor(drawMouseCursor);
}

State* TBIngameMessageMenu::Update(float dt)
{
    m_remaining -= dt;
    Menu* menu = Menu::Instance();
    // A banner still fading in waits until it has been fully seen.
    if (m_remaining <= 0.0f && menu->GetFadeState() == Menu::kShown) {
        SetNext(nullptr);
        menu->SetFadeState(Menu::kFadingOut);
    }
    return TBMenu::Update(dt);
}

void TBIngameMessageMenu::Render()
{
    RenderPitchBeneath(m_renderPitch);
    TBMenu::Render();
}
