#pragma once

#include <string>

// Reads a sound-definition file: one event per line, "<event name> <file> [<file>...]",
// files relative to the data folder, lines starting with "#" skipped. An event with several
// files becomes numbered variants under an alias of its name. The events also join the
// cast "soundevents" (as "<event>_00", "<event>_01", ...) so that a settings file can tune them.
class SfxLoaderUtil {
public:
    static void LoadSoundEffects(const std::string& definitionFile, const std::string& dataFolder);
};
