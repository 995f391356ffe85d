#include "tools/menu_script/WorkFolder.h"

#include "framework/PlayerFolder.h"

#include <cstdlib>
#include <fstream>

namespace menu_script {

namespace fs = std::filesystem;

bool PrepareWorkFolder(const fs::path& game, const fs::path& work, bool fresh)
{
    std::error_code error;
    if (fresh)
        fs::remove_all(work, error);
    fs::create_directories(work / "data" / "Savegames", error);
    setenv(player_folder::kVariable, (work / "data").c_str(), 1);
    for (const char* entry : {"Turfbolt.dat", "icons"}) {
        const fs::path link = work / "data" / entry;
        if (!fs::exists(link))
            fs::create_symlink(fs::absolute(game / "data" / entry), link, error);
    }
    return fs::exists(work / "data" / "Turfbolt.dat");
}

std::string LoggedErrors(const fs::path& log)
{
    std::ifstream in(log);
    std::string line, errors;
    while (std::getline(in, line))
        if (line.find("***ERROR") != std::string::npos)
            errors += line + "\n";
    return errors;
}

}  // namespace menu_script
