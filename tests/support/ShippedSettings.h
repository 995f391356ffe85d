#pragma once

#include "framework/Cast.h"

// Reads one of the game data's settings files into a settings object (a singleton, as the game
// has it) under the member name the file gives it; the object stays the caller's.
inline bool LoadShippedSettings(Object* settings, const char* member, const char* file)
{
    Cast shipped("shipped");
    shipped.AddMember(settings, member, false);
    const bool loaded = LoadSettings(&shipped, file);
    shipped.RemoveMember(settings);
    return loaded;
}
