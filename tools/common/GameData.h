#pragma once

// The default data as the tools read it: from a game folder that holds data\Turfbolt.dat or
// the data unpacked (the stage folder).

#include <string>

struct RpWorld;

namespace tools {

// The data archive a game folder holds ("<folder>/data/Turfbolt.dat"), as an absolute path,
// whether it exists or not.
std::string ArchivePath(const std::string& folder);

// Works in the game folder, as the game does: changes into it, mounts the archive when there
// is one, registers "<PP>", "<TP>" (the full texture set), and the level's "<LP>" and its
// settings folder "<SP>", and reads the start-up configuration ("TextureSet"). False when the folder cannot be entered or the archive not mounted.
bool MountGameData(const std::string& folder, const std::string& level = "level01");

// The world in the file (aliases expanded), its textures read from the folder; null when the
// file cannot be read or holds no world. The caller destroys it.
RpWorld* ReadWorld(const char* fileName, const char* textureFolder);

}  // namespace tools
