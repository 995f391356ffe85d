#include "tools/common/GameData.h"

#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "framework/FileSystem.h"
#include "framework/PlayerFolder.h"
#include "framework/Settings.h"

#include <filesystem>

#include <unistd.h>

namespace tools {

namespace {
const char* const kDataFile = "data\\Turfbolt.dat";
}

std::string ArchivePath(const std::string& folder)
{
    return std::filesystem::absolute(folder + "/data/Turfbolt.dat").string();
}

bool MountGameData(const std::string& folder, const std::string& level)
{
    player_folder::KeepInWorkingFolder();
    if (chdir(folder.c_str()) != 0)
        return false;
    FileSystem* files = FileSystem::Instance();
    if (files->ExistsOnDisk(kDataFile) && !files->AddDataFile(kDataFile, false))
        return false;
    files->AddAlias("<PP>", "data\\pc\\");
    files->AddAlias("<TP>", "Textures24Bit\\");
    const std::string levelFolder = files->GetAlias("<PP>") + level + "\\";
    files->AddAlias("<LP>", levelFolder.c_str());
    files->AddAlias("<SP>", (levelFolder + "settings\\").c_str());
    // The start-up configuration, as the game reads it: the texture set characters are dressed from.
    SettingsManager::Instance()->LoadSettings("data\\pc\\config.txt");
    return true;
}

RpWorld* ReadWorld(const char* fileName, const char* textureFolder)
{
    FileSystem* files = FileSystem::Instance();
    const std::string name = files->ExpandAliases(fileName);
    RwImageSetPath(files->ExpandAliases(textureFolder).c_str());
    RpWorld* world = nullptr;
    if (RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, name.c_str())) {
        if (RwStreamFindChunk(stream, rwChunkWorld, nullptr, nullptr))
            world = RpWorldStreamRead(stream);
        RwStreamClose(stream, nullptr);
    }
    return world;
}

}  // namespace tools
