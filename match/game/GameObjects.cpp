// The game state's casts, camera controls and game elements.
#include "match/game/GameTB.h"

#include "ai/TeamStrategy.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/RefereeSettings.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "editor/ObjectSettingsDialog.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/DebugDisplay.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/Matrix3.h"
#include "framework/Message.h"
#include "match/GainedObjects.h"
#include "match/StoryModeGame.h"
#include "match/StorySaveGame.h"
#include "match/penalties/PenaltySettings.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "scene/GameElement.h"
#include "scene/RwGraphics.h"
#include "scene/RwGraphicsSettings.h"
#include "scene/World.h"
#include "settings/GameParameters.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "simulation/Ball.h"

#include <algorithm>
#include <cstring>
#include <string_view>

const GameTB::CastEntry GameTB::kCastTable[kCastCount] = {
    {"<PP>", "Characters"},
    {"<PP>", "Teams"},
    {"<PP>global\\", "global"},
    {"Data\\SaveGames\\", "user"},
    {"Data\\SaveGames\\", "gained"},
    {"<PP>", "hud"},
    {"<PP>", "soundevents"},
    {"<SP>display\\", "display"},
    {"<SP>level\\", "level"},
    {"<SP>misc\\", "misc"},
    {"<SP>objects\\", "objects"},
    {"<PP>", "penalties"},
    {"<PP>", "matchsettings"},
    {"<PP>", "penaltyhud"},
    {"<PP>", "referee"},
    {"<PP>", "cameras"},
};

namespace {

const char* const kCameraPrefix = "Cameras|";
const char* const kUserFile = "Data\\SaveGames\\user.txt";
const char* const kSaveFolder = "Data\\SaveGames\\";
const char* const kLevelAlias = "<SP>";
// Ahead of the camera so that a new element shows in the middle of the view.
constexpr float kPlaceAhead = 10.0f;
const Vector3 kBallStart(0.0f, 10.0f, 0.0f);

Cast* GetCast(const char* name)
{
    return CastManager::Instance()->GetCast(name);
}

void AddSingleton(const char* cast, const char* member, Object* object)
{
    if (Cast* target = GetCast(cast))
        target->AddMember(object, member, false);
}

// False for a file that may rightly be absent: a save file before the first save, and a
// level's cast before any level is loaded. A file that is there but unreadable is loaded, so
// that its fault is reported.
bool LoadExpected(const GameTB::CastEntry& entry, const std::string& file)
{
    const std::string_view directory = entry.directory;
    if (directory.starts_with(kLevelAlias) && FileSystem::Instance()->GetAlias(kLevelAlias).empty())
        return false;
    if (directory == kSaveFolder && !FileSystem::Instance()->FileExists(file.c_str())) {
        DebugTrace("GameTB::LoadOrSaveCasts: no %s yet\n", file.c_str());
        return false;
    }
    return true;
}

// The part of the name after its first "|", or the whole name.
std::string AfterPrefix(const char* name)
{
    const std::string text = name ? name : "";
    const size_t bar = text.find('|');
    return bar == std::string::npos ? text : text.substr(bar + 1);
}

}  // namespace

void GameTB::AddSingletonsToCasts()
{
    AddSingleton("misc", "Debug Display", DebugDisplay::Instance());
    AddSingleton("display", "Engine", &RwGraphicsSettings::Global());
    AddSingleton("global", "Game Settings", GameSettings::Instance());
    AddSingleton("level", "Level Settings", LevelSettings::Instance());
    AddSingleton("penalties", "Penalty Settings", PenaltySettings::Instance());
    AddSingleton("matchsettings", "Match Settings", MatchSettings::Instance());
    AddSingleton("referee", "Referee Settings", RefereeSettings::Instance());
    AddSingleton("user", "Game Parameters", GameParameters::Instance());
    AddSingleton("gained", "Gained Objects", GainedObjects::Instance());
}

void GameTB::CreateSettingsCasts()
{
    CastManager* casts = CastManager::Instance();
    casts->DeleteAll();
    m_gameElements.clear();
    m_startupObjects.clear();
    for (const CastEntry& entry : kCastTable)
        casts->CreateCast(entry.name);
    // The game owns what they make; the casts only list it.
    CharacterRace::CreateAll(m_gameSize, m_startupObjects);
    CharacterVariation::CreateAll(m_startupObjects);
    TeamStrategy::CreateAll(m_startupObjects);
    TeamDescription::CreateAll(m_startupObjects);
    AddSingletonsToCasts();
    casts->CreateCast("savegame")->AddMember(StoryModeGame::Instance(), "SaveGame", false);
    casts->CreateCast("SaveGameMeta")->AddMember(StorySaveGame::Instance(), "Metainfo", false);
    CreateCameraControls();
}

void GameTB::CreateCameraControls()
{
    m_cameraStack.clear();
    m_cameraControls.clear();
    Cast* cameras = GetCast("cameras");
    for (const CameraControlEntry& entry : GetCameraControlTable()) {
        Object* made = FactoryRegistry::CameraControls().Create(entry.className);
        auto* control = dynamic_cast<CameraControl*>(made);
        if (!control) {
            LogError("GameTB::CreateCameraControls: no camera control class \"%s\" for \"%s\"\n",
                     entry.className ? entry.className : "", entry.name);
            delete made;
            continue;
        }
        m_cameraControls.emplace_back(control);
        if (cameras)
            cameras->AddMember(control, (std::string(kCameraPrefix) + entry.name).c_str(), false);
    }
}

void GameTB::TakeOutOfWorld(RenderObject* object)
{
    World* world = RwGraphics::Instance()->GetWorld();
    if (!world || !object)
        return;
    const auto& objects = world->GetRenderObjects();
    if (std::find(objects.begin(), objects.end(), object) != objects.end())
        world->RemoveRenderObject(object);
}

// Takes the members of "objects" out of the world and of the element vector before the
// cast deletes them, so nothing keeps a pointer to a deleted element.
void GameTB::ClearObjectsCast()
{
    Cast* objects = GetCast("objects");
    if (!objects)
        return;
    for (int i = 0; i < objects->GetMemberCount(); ++i) {
        Object* object = objects->GetMember(i)->object;
        TakeOutOfWorld(dynamic_cast<RenderObject*>(object));
        if (auto* element = dynamic_cast<GameElement*>(object)) {
            std::erase(m_gameElements, element);
            std::erase(m_pendingDeletions, element);
        }
    }
    if (m_browser)
        m_browser->OnCastClearing(*objects);
    objects->Clear();
}

void GameTB::LoadOrSaveCasts(bool load, bool objects, bool characters)
{
    World* world = RwGraphics::Instance()->GetWorld();
    if (load && objects)
        ClearObjectsCast();
    for (const CastEntry& entry : kCastTable) {
        const std::string name = entry.name;
        if ((name == "objects" && !objects) || (name == "Characters" && !characters))
            continue;
        Cast* cast = GetCast(entry.name);
        if (!cast)
            continue;
        const std::string file = std::string(entry.directory) + name + ".txt";
        const bool scrambled = name == "gained";
        if (load && !LoadExpected(entry, file))
            continue;
        if (load && entry.directory == std::string_view(kSaveFolder))
            LoadPlayerSettings(cast, file.c_str(), scrambled);
        else if (load)
            LoadSettings(cast, file.c_str(), scrambled);
        else
            SaveSettings(cast, file.c_str(), scrambled);
    }
    Cast* objectCast = GetCast("objects");
    if (load && objects && world && objectCast) {
        for (int i = 0; i < objectCast->GetMemberCount(); ++i)
            if (auto* render = dynamic_cast<RenderObject*>(objectCast->GetMember(i)->object))
                world->AddRenderObject(render);
    }
    RefreshObjectsBrowser();
}

int GameTB::FindCameraIndex(const std::string& name) const
{
    Cast* cameras = GetCast("cameras");
    CastMember* member = cameras ? cameras->FindByName((kCameraPrefix + name).c_str()) : nullptr;
    if (!member || !member->object)
        return -1;
    for (size_t i = 0; i < m_cameraControls.size(); ++i)
        if (m_cameraControls[i].get() == member->object)
            return static_cast<int>(i);
    return -1;
}

void GameTB::PushCamera(const std::string& name)
{
    const int index = FindCameraIndex(name);
    if (index < 0)
        return;
    if (CameraControl* active = GetActiveCamera())
        active->Deactivate();
    m_cameraStack.push_front(index);
    GetActiveCamera()->Activate();
}

void GameTB::PopCamera()
{
    if (m_cameraStack.empty())
        return;
    GetActiveCamera()->Deactivate();
    m_cameraStack.pop_front();
    if (CameraControl* active = GetActiveCamera())
        active->Activate();
}

CameraControl* GameTB::GetActiveCamera() const
{
    if (m_cameraStack.empty())
        return nullptr;
    return m_cameraControls[static_cast<size_t>(m_cameraStack.front())].get();
}

void GameTB::StoreCameraChoice(int slot)
{
    if (slot < 0 || slot >= GameParameters::kCameraSlots || m_cameraStack.empty())
        return;
    CameraControl* base = m_cameraControls[static_cast<size_t>(m_cameraStack.back())].get();
    GameParameters* parameters = GameParameters::Instance();
    parameters->cameraNames[slot] = AfterPrefix(base->GetName());
    parameters->cameraZooms[slot] = base->GetZoom();
    if (Cast* user = GetCast("user"))
        SaveSettings(user, kUserFile);
}

void GameTB::RestoreCameraChoice(int slot)
{
    if (slot < 0 || slot >= GameParameters::kCameraSlots)
        return;
    GameParameters* parameters = GameParameters::Instance();
    const std::string& name = parameters->cameraNames[slot];
    if (name.empty() || m_cameraStack.size() != 1)
        return;
    // The user file is the player's: a name no control bears must not empty the stack.
    if (FindCameraIndex(name) < 0) {
        LogWarning("GameTB::RestoreCameraChoice: no camera \"%s\"; the camera stays\n", name.c_str());
        return;
    }
    PopCamera();
    PushCamera(name);
    m_cameraControls[static_cast<size_t>(m_cameraStack.back())]->SetZoom(parameters->cameraZooms[slot]);
}

GameElement* GameTB::CreateGameElement(const char* className, const char* name, bool quiet)
{
    if (!className)
        return nullptr;
    Object* made = FactoryRegistry::GameElements().Create(className);
    auto* element = dynamic_cast<GameElement*>(made);
    if (!element) {
        delete made;
        return nullptr;
    }
    const bool hud = std::strcmp(className, "HudElement") == 0;
    m_gameElements.push_back(element);
    RwGraphics* graphics = RwGraphics::Instance();
    if (!hud && graphics->GetWorld())
        graphics->GetWorld()->AddRenderObject(element);
    static int counter = 0;
    if (quiet) {
        m_quietElements.push_back(element);
    } else {
        ++counter;
        const std::string memberName =
            name ? std::string(name) : std::string(className) + "_" + std::to_string(counter);
        GetCast(hud ? "hud" : "objects")->AddMember(element, memberName.c_str(), true);
    }
    element->SetPosition(graphics->GetCameraPosition() +
                         graphics->GetCameraMatrix().Transform(Vector3(0, 0, kPlaceAhead)));
    if (!quiet) {
        RefreshObjectsBrowser();
        if (m_browser)
            m_browser->SelectObject(element);
    }
    return element;
}

bool GameTB::DeleteGameElement(GameElement* element)
{
    if (!element)
        return false;
    // Its property windows close before it goes.
    if (m_browser)
        m_browser->OnObjectFreeing(element);
    // File-loaded elements are in the world without being in the vector.
    TakeOutOfWorld(element);
    std::erase(m_gameElements, element);
    std::erase(m_pendingDeletions, element);
    bool deleted = false;
    for (const char* name : {"objects", "hud"}) {
        Cast* cast = GetCast(name);
        if (!deleted && cast && cast->RemoveMember(element))
            deleted = true;
    }
    const auto quiet = std::find(m_quietElements.begin(), m_quietElements.end(), element);
    if (quiet != m_quietElements.end()) {
        m_quietElements.erase(quiet);
        if (!deleted)
            delete element;
    }
    RefreshObjectsBrowser();
    return false;
}

bool GameTB::RenameObject(Object* object, const char* name)
{
    Cast* objects = GetCast("objects");
    if (!object || !name || !objects)
        return false;
    const std::string current = object->GetName() ? object->GetName() : "";
    const size_t bar = current.rfind('|');
    const std::string full = (bar == std::string::npos ? std::string() : current.substr(0, bar + 1)) + name;
    bool clash = false;
    bool member = false;
    for (int i = 0; i < objects->GetMemberCount(); ++i) {
        const CastMember* other = objects->GetMember(i);
        if (other->object == object) {
            member = true;
            continue;
        }
        if (other->object && other->object->GetName() && full == other->object->GetName()) {
            LogMessageBox("name not unique");
            clash = true;
        }
    }
    if (clash || !member)
        return false;
    object->SetName(full.c_str());
    return true;
}

void GameTB::ResetObjects()
{
    for (GameElement* element : m_gameElements)
        element->ResetStatus();
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        Team* team = pitch->GetTeam(side);
        Character* holder = team ? team->GetBallHolder() : nullptr;
        if (holder && holder->GetActor()) {
            holder->GetActor()->ReleaseBall();
            break;
        }
    }
    if (Ball* ball = pitch->GetBall()) {
        ball->SetBallPosition(kBallStart);
        ball->SetBallVelocity(Vector3(0, 0, 0));
    }
}

void GameTB::RefreshObjectsBrowser()
{
    if (!m_browser)
        return;
    m_browser->ClearTree();
    for (const CastEntry& entry : kCastTable)
        if (Cast* cast = GetCast(entry.name))
            m_browser->InsertObject(*cast, cast->GetName());
}
