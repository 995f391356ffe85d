#pragma once

// The settings singletons' property tables: the entries the editor shows with a special
// input, and a table kept as data, one row per key in file order.

#include "framework/Serializer.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>

// The hint call comes first and the file carries nothing for it.

// An angle in radians, entered in degrees.
inline void SerializeAngle(Serializer& serializer, const char* key, float* value)
{
    serializer.SerializeButton("angle", "");
    serializer.SerializeFloat(key, value);
}

// A file name, chosen with a file dialog.
inline void SerializeFileName(Serializer& serializer, const char* key, std::string* value)
{
    serializer.SerializeButton("filename", "");
    serializer.SerializeString(key, value);
}

template <class Settings>
struct SettingsKey {
    const char* key;
    std::variant<bool Settings::*, int32_t Settings::*, float Settings::*> field;
    // A float the editor enters as an angle.
    bool angle = false;
};

template <class Settings>
void SerializeKeys(Serializer& serializer, Settings& settings, std::span<const SettingsKey<Settings>> keys)
{
    for (const SettingsKey<Settings>& row : keys) {
        if (auto* b = std::get_if<bool Settings::*>(&row.field))
            serializer.SerializeBool(row.key, &(settings.**b));
        else if (auto* i = std::get_if<int32_t Settings::*>(&row.field))
            serializer.SerializeInt(row.key, &(settings.**i));
        else if (float* value = &(settings.*std::get<float Settings::*>(row.field)); row.angle)
            SerializeAngle(serializer, row.key, value);
        else
            serializer.SerializeFloat(row.key, value);
    }
}
