#pragma once

#include <string>

namespace tools {

// Works in the game folder as the game does: the data archive mounted when the folder has
// one, "<PP>" and "<TP>" (the full-size texture set) registered. False when the folder
// cannot be entered or its archive cannot be read.
bool MountGameData(const std::string& folder);

}  // namespace tools
