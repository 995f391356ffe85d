#pragma once

// The first stadium of the default data as a match meets it, for the tests of what plays on
// it: the renderer on the null device, the data's folders, the pitch volumes in the cast
// "objects" and the level's settings.

#include <string>

class Collidable;

namespace first_stadium {

// Starts the renderer and reads the volumes from the stage folder; false (logged) when the
// data is missing. The cast "objects" lives until Close.
bool Open(const std::string& stageFolder);
void Close();
// The level's "Level Settings" into LevelSettings; false when the file cannot be read.
bool LoadLevelSettings();
// The member of "objects" of that name as a collidable, or null.
Collidable* Volume(const char* name);

}  // namespace first_stadium
