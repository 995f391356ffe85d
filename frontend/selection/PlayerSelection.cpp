#include "frontend/selection/PlayerSelection.h"

#include "frontend/selection/PlayerSelectionMenu.h"
#include "frontend/selection/SelectionBench.h"

#include "audio/SoundEngine.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "framework/Debug.h"
#include "framework/GameHost.h"
#include "framework/Random.h"
#include "frontend/story/StoryModeGame.h"
#include "input/InputController.h"
#include "input/MouseInput.h"
#include "match/Fade.h"
#include "match/FrontEndScreens.h"
#include "menus/Menu.h"
#include "menus/MenuImage.h"
#include "menus/MenuItem.h"
#include "menus/MenuStaticText.h"
#include "scene/RenderObject.h"
#include "settings/GameParameters.h"
#include "text/TextManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

constexpr int kLastTurnPick = 10;
constexpr int kOutfieldOnOffer = 8;
constexpr int kFirstOutfieldCandidate = 2;
// Mode 1 keeps at least this many outfield players in the line-up.
constexpr int kMinLineUpOutfield = 4;
constexpr int kCompleteText = 20551;
constexpr int kTurnTextBase = 20541;
constexpr int kStoryTurnTextBase = 20580;

bool IsStoryActive()
{
    return StoryModeGame::Instance()->active;
}

std::string Text(int number)
{
    return TextManager::Instance()->GetText(number);
}

std::string Number(int value)
{
    return std::to_string(value);
}

void SetMenuVariable(const std::string& key, const std::string& value)
{
    Menu::Instance()->SetVariable(key, value);
}

int CountPicked(const PlayerSelection& selection, Character::Kind kind)
{
    const auto& candidates = selection.GetRequest().candidates;
    int count = 0;
    for (size_t i = 0; i < candidates.size(); ++i)
        if (selection.IsPicked(static_cast<int>(i)) && candidates[i]->GetKind() == kind)
            ++count;
    return count;
}

// Reads "a n" from an argument; false when it does not start with two ints.
bool ReadTwoInts(const char* text, int& a, int& n)
{
    return text && std::sscanf(text, "%d %d", &a, &n) == 2;
}

bool ReadInt(const char* text, int& n)
{
    return text && std::sscanf(text, "%d", &n) == 1;
}

void RemoveFirst(std::vector<Character*>* list, Character* character)
{
    if (!list)
        return;
    const auto found = std::find(list->begin(), list->end(), character);
    if (found != list->end())
        list->erase(found);
}

bool Contains(const std::vector<Character*>* list, const Character* character)
{
    return list && std::find(list->begin(), list->end(), character) != list->end();
}

void Append(std::vector<Character*>* list, Character* character)
{
    if (list)
        list->push_back(character);
}

[[maybe_unused]] const bool s_selectionHook = (FrontEndScreens::Get().playerSelection =
                                                   [](const PlayerSelectionResult& request) -> State* {
                                                       return new PlayerSelection(request);
                                                   },
                                               true);

// Moves the plate's middle across to centre, no wider than room leaves, and up or down to the
// bench a camera that far off shows; returns how far down it moved.
float AlignPlate(MenuImage& plate, float centre, float room, float distance)
{
    const Vector4 area = plate.GetArea();
    // The screen put it under the nearest bench's feet or over the farthest's heads.
    const bool below = area.y > SelectionBench::PlateTop(false, area.w, distance);
    const float top = SelectionBench::PlateTop(below, area.w, distance);
    const float width = std::min(area.z, room - SelectionBench::kPlateGap);
    plate.SetArea(Vector4(centre - width * 0.5f, top, width, area.w));
    return top - area.y;
}

}  // namespace

PlayerSelection::PlayerSelection(const PlayerSelectionResult& request)
    : m_request(request), m_bench(std::make_unique<SelectionBench>())
{
    SetName("PlayerSelection");
}

PlayerSelection::~PlayerSelection()
{
    // A selection deleted without Exit must not leave the screens a dangling cursor.
    UnpublishCursor();
}

void PlayerSelection::UnpublishCursor()
{
    Menu* menu = Menu::Instance();
    if (menu->GetEditValue(kCursorVariable) == &m_cursor)
        menu->SetEditValue(kCursorVariable, nullptr);
}

bool PlayerSelection::IsPicked(int candidate) const
{
    return candidate >= 0 && static_cast<size_t>(candidate) < m_picked.size() && m_picked[candidate];
}

int PlayerSelection::CountPickedGoalkeepers() const
{
    return CountPicked(*this, Character::kGoalkeeper);
}

int PlayerSelection::CountPickedOutfieldPlayers() const
{
    return CountPicked(*this, Character::kFieldPlayer);
}

bool PlayerSelection::IsSquadComplete() const
{
    return CountPickedGoalkeepers() == m_request.goalkeepersToPick &&
           CountPickedOutfieldPlayers() == m_request.outfieldPlayersToPick;
}

int PlayerSelection::GetCurrentChooser() const
{
    if (IsStoryActive())
        return 0;
    const int32_t* custom = GameParameters::Instance()->customTeam;
    if (custom[0] && custom[1])
        return m_pickNumber % 2;
    return custom[1] && !custom[0] ? 1 : 0;
}

int PlayerSelection::GetCandidateSide(int candidate) const
{
    if (m_request.mode == 2 && candidate >= 0 && static_cast<size_t>(candidate) < m_request.candidates.size()) {
        const Character* character = m_request.candidates[candidate];
        if (Contains(m_request.firstOutput, character))
            return 0;
        if (Contains(m_request.secondOutput, character))
            return 1;
    }
    return GetCurrentChooser();
}

// ---- Picks ----

bool PlayerSelection::MayChange(int candidate) const
{
    if (candidate < 0 || static_cast<size_t>(candidate) >= m_request.candidates.size())
        return false;
    if (static_cast<size_t>(candidate) >= m_request.pickable.size() || !m_request.pickable[candidate])
        return false;
    switch (m_request.mode) {
    case 0:
        return MayChangeFreely(candidate);
    case 1:
        return MayChangeLineUp(candidate);
    case 2:
    case 3:
        return IsPicked(candidate) ? MayUnpickInTurn(candidate) : MayPickInTurn(candidate);
    default:
        return false;
    }
}

bool PlayerSelection::MayChangeFreely(int candidate) const
{
    if (IsPicked(candidate))
        return true;
    switch (m_request.candidates[candidate]->GetKind()) {
    case Character::kGoalkeeper:
        return CountPickedGoalkeepers() < m_request.goalkeepersToPick;
    case Character::kFieldPlayer:
        return CountPickedOutfieldPlayers() < m_request.outfieldPlayersToPick;
    default:
        return false;
    }
}

bool PlayerSelection::MayChangeLineUp(int candidate) const
{
    const bool picked = IsPicked(candidate);
    const int32_t kind = m_request.candidates[candidate]->GetKind();
    if (kind == Character::kGoalkeeper)
        return picked || CountPickedGoalkeepers() == 0;
    if (kind != Character::kFieldPlayer)
        return false;
    if (!picked)
        return CountPickedOutfieldPlayers() < m_request.outfieldPlayersToPick;
    if (candidate >= m_request.lineUpSize)
        return true;
    int lineUpOutfield = 0;
    for (int i = 0; i < m_request.lineUpSize && static_cast<size_t>(i) < m_request.candidates.size(); ++i)
        if (IsPicked(i) && m_request.candidates[i]->GetKind() == Character::kFieldPlayer)
            ++lineUpOutfield;
    return lineUpOutfield > kMinLineUpOutfield;
}

bool PlayerSelection::MayPickInTurn(int candidate) const
{
    if (m_pickNumber >= kLastTurnPick)
        return false;
    const int32_t wanted = m_pickNumber < 2 ? Character::kGoalkeeper : Character::kFieldPlayer;
    return m_request.candidates[candidate]->GetKind() == wanted &&
           CountPickedOutfieldPlayers() < m_request.outfieldPlayersToPick;
}

bool PlayerSelection::MayUnpickInTurn(int candidate) const
{
    if (m_request.mode != 3)
        return false;
    const bool keeperOnOffer = !m_request.pickable.empty() && m_request.pickable[0];
    return !(keeperOnOffer && candidate <= 1 && m_pickNumber > 2);
}

void PlayerSelection::ApplyTurnPick(int candidate)
{
    Character* character = m_request.candidates[candidate];
    if (IsPicked(candidate)) {
        m_pickNumber = std::max(0, m_pickNumber - 2);
        RemoveFirst(m_request.firstOutput, character);
        return;
    }
    Append(m_pickNumber % 2 == 0 ? m_request.firstOutput : m_request.secondOutput, character);
    m_pickNumber += m_request.mode == 3 ? 2 : 1;
    if (m_request.mode == 2 && GameParameters::Instance()->GetParameter("players") == "1")
        m_pickTimer = 1.0f + 2.0f * Random::Unit();
}

bool PlayerSelection::TryToggle()
{
    m_justCompleted = false;
    const int c = m_cursor;
    if (!MayChange(c))
        return false;
    if (m_request.mode == 2 || m_request.mode == 3)
        ApplyTurnPick(c);
    m_picked[c] = !m_picked[c];
    PlayPickSound();
    if (m_picked[c] && IsSquadComplete())
        m_justCompleted = true;
    return true;
}

void PlayerSelection::PlayPickSound() const
{
    SoundEngine::Instance()->PlayOnce("menuselect");
}

int PlayerSelection::ChooseAutomaticCandidate(int first, int count, int start) const
{
    const int size = static_cast<int>(m_request.candidates.size());
    const auto isFree = [&](int i) { return i < size && !IsPicked(i); };
    for (int step = 0; step < count; ++step) {
        const int i = first + (start + step) % count;
        if (isFree(i) && i != m_cursor)
            return i;
    }
    // The player's cursor may rest on the last free one: it is taken rather than none.
    if (m_cursor >= first && m_cursor < first + count && isFree(m_cursor))
        return m_cursor;
    return -1;
}

void PlayerSelection::AutomaticPick()
{
    const int p = m_pickNumber;
    if (p >= kLastTurnPick)
        return;
    const int chosen = p == 1 ? ChooseAutomaticCandidate(0, 2, Random::Below(2))
                              : ChooseAutomaticCandidate(kFirstOutfieldCandidate, kOutfieldOnOffer,
                                                         Random::Below(kOutfieldOnOffer));
    if (chosen < 0)
        return;
    Append(p % 2 == 1 ? m_request.secondOutput : m_request.firstOutput, m_request.candidates[chosen]);
    m_picked[chosen] = !m_picked[chosen];
    PlayPickSound();
    m_pickNumber = p + 1;
    // When the computer completes the squads the accept button is chosen, as after a person's
    // pick: the keys could not reach it from the bench otherwise.
    m_justCompleted = IsSquadComplete();
}

void PlayerSelection::UpdateAutomaticPick(float dt)
{
    if (m_pickTimer <= 0.0f)
        return;
    m_pickTimer -= dt;
    if (m_pickTimer <= 0.0f)
        AutomaticPick();
}

// ---- Commands ----

void PlayerSelection::Normalize()
{
    const int count = static_cast<int>(m_request.candidates.size());
    if (m_cursor < 0 || m_cursor > 2 * count)
        m_cursor = count - 1;
    if (m_cursor > count - 1)
        m_cursor = 0;
}

void PlayerSelection::SetLook(const MenuActionParameter& parameter)
{
    int a = 0, n = 0;
    MenuItem* item = parameter.source;
    if (!item || !ReadTwoInts(parameter.argument, a, n))
        return;
    const int candidate = n - 1;
    const bool known = candidate >= 0 && static_cast<size_t>(candidate) < m_request.candidates.size();
    if (a == 0) {
        item->Enable();
    } else if (a == 1 && known) {
        if (!IsPicked(candidate)) {
            item->Disable();
            return;
        }
        item->Enable();
        if (auto* image = dynamic_cast<MenuImage*>(item))
            image->SetColor(GetCandidateSide(candidate) == 0 ? Color(0.0f, 1.0f, 0.0f, 1.0f)
                                                             : Color(1.0f, 0.0f, 0.0f, 1.0f));
    } else if (a == 2 && known) {
        if (Menu::Instance()->IsMouseMode()) {
            int x = 0, y = 0;
            MouseInput::Instance()->GetPosition(x, y);
            if (item->HitTest(static_cast<float>(x), static_cast<float>(y)))
                m_cursor = candidate;
        }
        item->Enable();
    }
}

void PlayerSelection::ShowAccept(const MenuActionParameter& parameter)
{
    MenuItem* item = parameter.source;
    if (!item)
        return;
    if (IsSquadComplete())
        item->Show();
    else
        item->Hide();
    if (m_justCompleted) {
        Menu::Instance()->SelectItem(item);
        m_justCompleted = false;
    }
}

int PlayerSelection::OnMessage(int message, intptr_t param)
{
    const char* word = MessageServer::Instance()->GetMessageName(message);
    if (!word || !param)
        return 0;
    const auto& parameter = *reinterpret_cast<const MenuActionParameter*>(param);
    const std::string command = word;
    if (command == "PlayerSelectionChanged") {
        Normalize();
    } else if (command == "PlayerSelectionToggle") {
        TryToggle();
    } else if (command == "SelectPlayer") {
        int n = 0;
        if (ReadInt(parameter.argument, n)) {
            m_cursor = n - 1;
            TryToggle();
        }
    } else if (command == "PlayerSelectionVis") {
        SetLook(parameter);
    } else if (command == "PlayerSelectionFinished") {
        ShowAccept(parameter);
    } else if (command == "Nothing") {
        m_finished = true;
    } else if (command == "BackToMain") {
        if (GameHost* host = GameHost::Current())
            host->RequestMainMenu();
    }
    return 0;
}

// ---- Lifecycle ----

void PlayerSelection::PublishCandidates() const
{
    for (size_t i = 0; i < m_request.candidates.size(); ++i) {
        const CharacterVariation* member = m_request.candidates[i]->GetVariation();
        if (!member)
            continue;
        const std::string prefix = "%character" + Number(static_cast<int>(i) + 1);
        SetMenuVariable(prefix + "_name%", member->GetDisplayName());
        SetMenuVariable(prefix + "_energy%", Number(static_cast<int>(member->energy.current)));
        SetMenuVariable(prefix + "_speed%", Number(static_cast<int>(member->speed.current)));
        SetMenuVariable(prefix + "_shooting%", Number(static_cast<int>(member->shooting.current)));
    }
    SetMenuVariable("%action_on_allstar_menu%", Text(kTurnTextBase));
}

void PlayerSelection::Enter()
{
    m_picked = m_request.startPicked;
    m_picked.resize(m_request.candidates.size(), false);
    m_pickNumber = 0;
    if (m_request.mode == 3 && m_request.goalkeepersToPick - CountPickedGoalkeepers() != 1)
        m_pickNumber = 2;
    for (std::vector<Character*>* output : {m_request.firstOutput, m_request.secondOutput})
        if (output)
            output->clear();
    // Before the screen is built, so that its widgets find the cursor.
    Menu::Instance()->SetEditValue(kCursorVariable, &m_cursor);
    EnterScene();
    PublishCandidates();
    m_cursor = 0;
    if (m_request.mode == 3 && m_pickNumber == 2 && !m_request.candidates.empty())
        Append(m_request.firstOutput, m_request.candidates[0]);
}

void PlayerSelection::UpdateBackButton()
{
    if (BufferedInputController::Instance()->GetAction("(menu):back", InputController::kPressEdge) != 0.0f)
        m_backPressed = true;
    Menu* menu = Menu::Instance();
    if (!menu->HasItem("quit", 0))
        return;
    MenuItem* quit = menu->GetItem("quit", 0);
    if (m_backPressed)
        quit->Show();
    else
        quit->Hide();
}

void PlayerSelection::PublishCounters() const
{
    const int goalkeepers = CountPickedGoalkeepers();
    const int outfield = CountPickedOutfieldPlayers();
    const int left = m_request.goalkeepersToPick + m_request.outfieldPlayersToPick - goalkeepers - outfield;
    SetMenuVariable("%players_to_select%", Number(left));
    SetMenuVariable("%fieldplayers_to_select%", Number(m_request.outfieldPlayersToPick - outfield));
    SetMenuVariable("%goalies_to_select%", Number(m_request.goalkeepersToPick - goalkeepers));

    static const char* const kCommands[] = {"%s3p_command%", "%s4p_command%", "%s5p_command%", "%s7p_command%",
                                            "%s12p_command%"};
    static const char* const kPickTexts[] = {"%20521%", "%20522%", "%20520%", "%20520%", "%20536%"};
    const bool none = left == 0;
    for (size_t i = 0; i < std::size(kCommands); ++i)
        SetMenuVariable(kCommands[i], none ? "%20551%" : kPickTexts[i]);
}

void PlayerSelection::PublishPrompt() const
{
    const bool complete = IsSquadComplete();
    if (IsStoryActive()) {
        SetMenuVariable("%action_on_allstar_menu%",
                        Text(complete ? kCompleteText : kStoryTurnTextBase + m_pickNumber / 2));
        return;
    }
    const std::string base = Text(complete ? kCompleteText : kTurnTextBase + m_pickNumber);
    const std::string label = GetCurrentChooser() == 0 ? "<color 0 255 0>" + Text(20570) + "</color> "
                                                       : "<color 255 0 0>" + Text(20571) + "</color> ";
    SetMenuVariable("%action_on_allstar_menu%", label + base);
}

State* PlayerSelection::Update(float dt)
{
    UpdateScene(dt);
    UpdateBackButton();
    UpdateAutomaticPick(dt);
    PublishCounters();
    PublishPrompt();
    // The screen takes no input while the other side's pick is pending.
    if (m_pickTimer <= 0.0f)
        UpdateMenu(dt);
    return m_finished ? nullptr : this;
}

void PlayerSelection::WriteOutputs()
{
    const auto appendWhere = [&](bool picked) {
        for (size_t i = 0; i < m_request.candidates.size(); ++i)
            if (IsPicked(static_cast<int>(i)) == picked)
                Append(m_request.firstOutput, m_request.candidates[i]);
    };
    if (m_request.mode == 0 || m_request.mode == 1) {
        if (m_request.firstOutput)
            m_request.firstOutput->clear();
        appendWhere(true);
    } else if (m_request.mode == 3 && m_request.candidates.size() == 7) {
        // The rest of a seven-member team sits on the bench.
        appendWhere(false);
    }
}

void PlayerSelection::Exit()
{
    WriteOutputs();
    ExitScene();
    UnpublishCursor();
}

void PlayerSelection::Render()
{
    RenderScene();
}

// ---- Scene ----

void PlayerSelection::EnterScene()
{
    m_bench->Enter(m_request.candidates, m_picked, m_request.mode == 1 ? m_request.benchGapCount : 0);
    m_menu = std::make_unique<PlayerSelectionMenu>(m_request.screen, this);
    m_fade = std::make_unique<Fade>(true, 1.0f);
    m_menu->Enter();
    AlignPlates();
}

void PlayerSelection::AlignPlates() const
{
    Menu* menu = Menu::Instance();
    // Screens without plates, or with fewer, are left as they are.
    const auto find = [menu](const std::string& name) { return menu->HasItem(name) ? menu->GetItem(name) : nullptr; };
    for (size_t i = 0; i < m_request.candidates.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        const float centre = m_bench->GetSeatScreenX(i);
        float shift = 0.0f;
        for (const char* plate : {"pick_", "hover_"})
            if (auto* image = dynamic_cast<MenuImage*>(find(plate + n)))
                shift = AlignPlate(*image, centre, m_bench->GetSeatScreenRoom(i), m_bench->GetCameraDistance());
        // A text's x is how far its middle lies from the screen's.
        if (auto* name = dynamic_cast<MenuStaticText*>(find("name_" + n)))
            name->SetPosition(centre - Menu::kWidth * 0.5f, name->GetPosition().y + shift);
    }
}

void PlayerSelection::UpdateScene(float dt)
{
    if (m_request.sceneObject)
        m_request.sceneObject->Update(dt);
    if (m_fade)
        m_fade->Update(dt);
    // In turns the chooser has moved on by the time a pick rises: it wears the shirt of the
    // side that took it.
    m_bench->Update(dt, m_picked, m_cursor, [this](int candidate) { return GetCandidateSide(candidate); });
}

void PlayerSelection::UpdateMenu(float dt)
{
    if (!m_menu)
        return;
    // The selection ends itself; a successor the screen hands over is not taken up.
    State* next = m_menu->Update(dt);
    if (next != m_menu.get())
        delete next;
}

void PlayerSelection::RenderScene()
{
    if (m_request.sceneObject)
        m_request.sceneObject->Render();
    m_bench->Render(GetCurrentChooser());
    if (m_menu)
        m_menu->Render();
    if (m_fade)
        m_fade->Render();
}

void PlayerSelection::ExitScene()
{
    if (m_menu)
        m_menu->Exit();
    m_menu.reset();
    m_fade.reset();
    m_bench->Exit();
}

void PlayerSelection::SetShirt(Character* candidate, int side)
{
    if (candidate)
        m_bench->SetShirt(*candidate, side);
}
