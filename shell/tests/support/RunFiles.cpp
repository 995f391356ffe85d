#include "support/RunFiles.h"

#include "framework/Archive.h"
#include "framework/PlayerFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace shelltest {

bool WriteRunFiles(int fullScreen, int resolution, int height, int width)
{
    setenv(player_folder::kVariable, "data", 1);
    static const bool packed = [] {
        for (const char* folder : {"stage", "data/pc", "Data/SaveGames"})
            std::filesystem::create_directories(folder);
        std::string error;
        return Archive::Pack("data/Turfbolt.dat", "stage", error);
    }();
    std::ofstream("data/pc/config.txt") << "Project ShellTest\nscreenWidth " << width << "\nscreenHeight " << height
                                        << "\nfullscreen " << fullScreen;
    std::ofstream("Data/SaveGames/user.txt") << "OBJECT START\nclass type: \"GameParameters\"\n[GameParameters] "
                                             << "\"Game Parameters\"\n{\n \"Resolution\" " << resolution << "\n}\n";
    return packed;
}

std::string ReadLog()
{
    std::stringstream text;
    text << std::ifstream("data/log.txt").rdbuf();
    return text.str();
}

}  // namespace shelltest
