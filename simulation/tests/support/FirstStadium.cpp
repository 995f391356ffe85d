#include "support/FirstStadium.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "scene/RwGraphics.h"
#include "settings/LevelSettings.h"
#include "simulation/Collidable.h"
#include "simulation/CollisionManager.h"
#include "simulation/ShapeCollision.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

namespace first_stadium {

bool Open(const std::string& stageFolder)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetDeviceKind(rwDeviceNull);
    graphics->SetScreenSize(800, 600);
    if (!graphics->Initialise(OffscreenWindow()))
        return false;
    const std::string data = stageFolder + "/data/pc/";
    FileSystem* files = FileSystem::Instance();
    files->AddAlias("<PP>", data.c_str());
    files->AddAlias("<LP>", (data + "level01/").c_str());
    files->AddAlias("<SP>", (data + "level01/settings/").c_str());
    ShapeCollisionTable::Init();
    Cast* objects = CastManager::Instance()->CreateCast("objects");
    {
        // The stadium's dressing in the same file misses its textures here; only the volumes count.
        LogCapture quiet;
        LoadSettings(objects, "<SP>objects\\objects.txt");
    }
    if (!Volume("GroundPlane")) {
        LogError("first_stadium::Open: no pitch volumes under %s\n", data.c_str());
        return false;
    }
    return true;
}

void Close()
{
    CastManager::DestroyInstance();
    CollisionManager::DestroyInstance();
    RwGraphics::Instance()->Destroy();
    CloseOffscreenWindow();
}

bool LoadLevelSettings()
{
    Cast level("level");
    level.AddMember(LevelSettings::Instance(), "Level Settings", false);
    const bool loaded = LoadSettings(&level, "<SP>level\\level.txt");
    level.RemoveMember(LevelSettings::Instance());
    return loaded;
}

Collidable* Volume(const char* name)
{
    const Cast* objects = CastManager::Instance()->GetCast("objects");
    const CastMember* member = objects ? objects->FindByName(name) : nullptr;
    return member ? dynamic_cast<Collidable*>(member->object) : nullptr;
}

}  // namespace first_stadium
