#include "scene/GameElementRegistry.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/Matrix3.h"
#include "framework/ObjectsBrowser.h"
#include "scene/GameElement.h"
#include "scene/RwGraphics.h"
#include "scene/World.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

const char* const kSaveFolder = "Data\\SaveGames\\";
const char* const kLevelAlias = "<SP>";
// Ahead of the camera so that a new element shows in the middle of the view.
constexpr float kPlaceAhead = 10.0f;

Cast* GetCast(const char* name)
{
    return CastManager::Instance()->GetCast(name);
}

// False for a file that may rightly be absent: a save file before the first save, and a
// level's cast before any level is loaded. A file that is there but unreadable is loaded, so
// that its fault is reported.
bool LoadExpected(const GameElementRegistry::CastEntry& entry, const std::string& file)
{
    const std::string_view directory = entry.directory;
    if (directory.starts_with(kLevelAlias) && FileSystem::Instance()->GetAlias(kLevelAlias).empty())
        return false;
    if (directory == kSaveFolder && !FileSystem::Instance()->FileExists(file.c_str())) {
        DebugTrace("GameElementRegistry::LoadOrSaveCasts: no %s yet\n", file.c_str());
        return false;
    }
    return true;
}

}  // namespace

GameElementRegistry::GameElementRegistry(std::span<const CastEntry> casts) : m_casts(casts) {}

void GameElementRegistry::TakeOutOfWorld(RenderObject* object)
{
    World* world = RwGraphics::Instance()->GetWorld();
    if (!world || !object)
        return;
    const auto& objects = world->GetRenderObjects();
    if (std::find(objects.begin(), objects.end(), object) != objects.end())
        world->RemoveRenderObject(object);
}

void GameElementRegistry::ClearObjectsCast()
{
    Cast* objects = GetCast("objects");
    if (!objects)
        return;
    for (int i = 0; i < objects->GetMemberCount(); ++i) {
        Object* object = objects->GetMember(i)->object;
        TakeOutOfWorld(dynamic_cast<RenderObject*>(object));
        if (auto* element = dynamic_cast<GameElement*>(object)) {
            std::erase(m_elements, element);
            std::erase(m_pendingDeletions, element);
        }
    }
    if (m_browser)
        m_browser->OnCastClearing(*objects);
    objects->Clear();
}

void GameElementRegistry::LoadOrSaveCasts(bool load, bool objects, bool characters)
{
    World* world = RwGraphics::Instance()->GetWorld();
    if (load && objects)
        ClearObjectsCast();
    for (const CastEntry& entry : m_casts) {
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

GameElement* GameElementRegistry::CreateGameElement(const char* className, const char* name, bool quiet)
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
    m_elements.push_back(element);
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

bool GameElementRegistry::DeleteGameElement(GameElement* element)
{
    if (!element)
        return false;
    // Its property windows close before it goes.
    if (m_browser)
        m_browser->OnObjectFreeing(element);
    // File-loaded elements are in the world without being in the vector.
    TakeOutOfWorld(element);
    std::erase(m_elements, element);
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

bool GameElementRegistry::RenameObject(Object* object, const char* name)
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

void GameElementRegistry::RequestDeletion(GameElement* element)
{
    // A second request for one element in a frame would delete it twice.
    if (element && std::find(m_pendingDeletions.begin(), m_pendingDeletions.end(), element) == m_pendingDeletions.end())
        m_pendingDeletions.push_back(element);
}

void GameElementRegistry::DeletePendingElements()
{
    std::vector<GameElement*> deletions;
    deletions.swap(m_pendingDeletions);
    for (GameElement* element : deletions)
        DeleteGameElement(element);
}

void GameElementRegistry::RefreshObjectsBrowser()
{
    if (!m_browser)
        return;
    m_browser->ClearTree();
    for (const CastEntry& entry : m_casts)
        if (Cast* cast = GetCast(entry.name))
            m_browser->InsertObject(*cast, cast->GetName());
}

// Emptying the casts deletes what they own, the elements made loud among them.
void GameElementRegistry::ReleaseAll()
{
    // The world must never keep an element the casts are about to delete.
    for (GameElement* element : m_elements)
        TakeOutOfWorld(element);
    if (Cast* objects = GetCast("objects"))
        for (int i = 0; i < objects->GetMemberCount(); ++i)
            TakeOutOfWorld(dynamic_cast<RenderObject*>(objects->GetMember(i)->object));
    CastManager* casts = CastManager::Instance();
    for (int i = 0; i < casts->GetCastCount(); ++i) {
        Cast* cast = casts->GetCastAt(i);
        while (cast->GetMemberCount() > 0)
            cast->RemoveMember(cast->GetMember(0)->object);
    }
    m_elements.clear();
    DeleteQuietElements();
    m_pendingDeletions.clear();
}

void GameElementRegistry::DeleteQuietElements()
{
    // The quiet elements are the registry's own, and no cast has deleted them.
    std::vector<GameElement*> quiet;
    quiet.swap(m_quietElements);
    for (GameElement* element : quiet) {
        TakeOutOfWorld(element);
        delete element;
    }
}
