#pragma once

#include <string>

// What one whole run of the application reads from the test's working folder.
namespace shelltest {

// The game state every run starts, by the name "data/pc/config.txt" gives it.
inline constexpr const char* kStateClass = "GameShellTest";

// An empty data archive (packed once), the settings with "fullscreen", "screenHeight" and
// "screenWidth" and a user file with "Resolution"; false when the archive cannot be packed.
bool WriteRunFiles(int fullScreen, int resolution, int height = 480, int width = 640);

// The log file of the last run, whole; empty when there is none.
std::string ReadLog();

}  // namespace shelltest
