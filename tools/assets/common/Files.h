#pragma once

// Writing generated files: folders are made on the way, engine objects go through the
// engine's own stream writers, and every failure is printed with the file name.
// Paths here are operating-system paths ("/" separators).

#include <string>
#include <vector>

class Cast;
struct RpClump;
struct RpWorld;
struct RtAnimAnimation;
struct RwTexDictionary;

class Cast;

namespace assets {

// Makes every folder on the way to the file (not the file itself).
bool MakeParentDirs(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);

bool WriteClumpFile(const RpClump* clump, const std::string& path);
bool WriteWorldFile(const RpWorld* world, const std::string& path);
bool WriteAnimationFile(const RtAnimAnimation* animation, const std::string& path);
bool WriteTexDictionaryFile(const RwTexDictionary* dict, const std::string& path);
bool WriteTextFile(const std::string& path, const std::string& text);
// The cast through the game's settings writer, which puts the file in place only when all of
// it is written; false (reported) when it could not be.
bool WriteCastFile(Cast& cast, const std::string& path);

// Every file the writers above (and WritePng) produced in this run, in the order written,
// so the tool can list its outputs and remove what it no longer makes.
void NoteWritten(const std::string& path);
const std::vector<std::string>& WrittenFiles();

}  // namespace assets
