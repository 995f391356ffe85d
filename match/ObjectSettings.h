#pragma once

class Object;

// One object's class line and property table in a file of its own (the editor's copy and
// paste of settings goes through "__temp__.txt"). False when the file cannot be opened or
// stored; a failed save leaves the old file as it was.
bool SaveObjectSettings(const char* file, Object* object, const char* descriptor);

// Reads the first table in the file of the object's section type, whatever instance name it
// was saved under, so one object's settings can be pasted onto another. Keys the file lacks
// keep their values. False when the file cannot be read.
bool LoadObjectSettings(const char* file, Object* object);
