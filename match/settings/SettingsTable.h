#pragma once

// A settings singleton's property table as data: one row per key, in file order.

#include "framework/Serializer.h"

#include <cstdint>
#include <span>
#include <variant>

template <class Settings>
struct SettingsKey {
    const char* key;
    std::variant<bool Settings::*, int32_t Settings::*, float Settings::*> field;
    // Angles get the editor's "angle" hint before their entry.
    bool angle = false;
};

template <class Settings>
void SerializeKeys(Serializer& serializer, Settings& settings, std::span<const SettingsKey<Settings>> keys)
{
    for (const SettingsKey<Settings>& row : keys) {
        if (row.angle)
            serializer.SerializeButton("angle", "");
        if (auto* b = std::get_if<bool Settings::*>(&row.field))
            serializer.SerializeBool(row.key, &(settings.**b));
        else if (auto* i = std::get_if<int32_t Settings::*>(&row.field))
            serializer.SerializeInt(row.key, &(settings.**i));
        else
            serializer.SerializeFloat(row.key, &(settings.*std::get<float Settings::*>(row.field)));
    }
}
