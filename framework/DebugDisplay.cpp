#include "framework/DebugDisplay.h"

#include "framework/Serializer.h"

bool* DebugDisplay::Find(const char* name)
{
    for (auto& option : m_options)
        if (option.first == name)
            return &option.second;
    return nullptr;
}

bool DebugDisplay::CheckOption(const char* name)
{
    if (!name)
        return false;
    if (bool* on = Find(name))
        return *on;
    m_options.emplace_back(name, false);
    return false;
}

void DebugDisplay::SetOption(const char* name, bool on)
{
    if (!name)
        return;
    if (bool* value = Find(name))
        *value = on;
    else
        m_options.emplace_back(name, on);
}

void DebugDisplay::Clear() { m_options.clear(); }

void DebugDisplay::Render() {}

void DebugDisplay::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("DebugDisplay", descriptor);
    for (auto& option : m_options)
        serializer.SerializeBool(option.first.c_str(), &option.second);
    serializer.EndSection();
}
