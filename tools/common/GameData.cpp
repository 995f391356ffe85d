#include "tools/common/GameData.h"

#include "framework/FileSystem.h"

#include <unistd.h>

namespace tools {

namespace {

const char* const kDataFile = "data\\Turfbolt.dat";

}  // namespace

bool MountGameData(const std::string& folder)
{
    if (chdir(folder.c_str()) != 0)
        return false;
    FileSystem* files = FileSystem::Instance();
    if (files->ExistsOnDisk(kDataFile) && !files->AddDataFile(kDataFile, false))
        return false;
    files->AddAlias("<PP>", "data\\pc\\");
    files->AddAlias("<TP>", "Textures24Bit\\");
    return true;
}

}  // namespace tools
