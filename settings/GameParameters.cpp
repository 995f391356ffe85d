#include "settings/GameParameters.h"

#include "framework/Serializer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const kUnset = "NULL";

}  // namespace

GameParameters::GameParameters()
{
    for (const char* name : {"players", "teamone", "teamtwo", "level", "storyslot"})
        m_parameters[name] = kUnset;
}

void GameParameters::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("GameParameters", descriptor);
    s.SerializeInt("SFX Volume", &sfxVolume);
    s.SerializeInt("Music Volume", &musicVolume);
    s.SerializeInt("Halftime Duration", &halftimeDuration);
    s.SerializeBool("Cards", &cards);
    s.SerializeBool("Replays", &replays);
    s.SerializeInt("Resolution", &resolution);
    s.SerializeInt("Quality", &quality);
    s.SerializeInt("GraphicsMode", &graphicsMode);
    s.SerializeInt("Shirts1", &shirts[0]);
    s.SerializeInt("Shirts2", &shirts[1]);
    s.SerializeInt("Player1Device", &deviceChoices[0]);
    s.SerializeInt("Player2Device", &deviceChoices[1]);
    char key[32];
    for (int slot = 0; slot < kCameraSlots; ++slot) {
        std::snprintf(key, sizeof key, "Camera_%d", slot);
        s.SerializeString(key, &cameraNames[slot]);
        std::snprintf(key, sizeof key, "Zoom%d", slot);
        s.SerializeFloat(key, &cameraZooms[slot]);
    }
    s.EndSection();
    if (s.IsReading() && s_readListener)
        s_readListener(*this);
}

const char* GameParameters::TextureSetFor(int32_t quality)
{
    return quality == 2 ? "Textures24Bit\\" : "SmallTextures24Bit\\";
}

void GameParameters::SetReadListener(ReadListener listener)
{
    s_readListener = listener;
}

void GameParameters::RebuildMemberLists()
{
    if (!memberListsStale)
        return;
    for (int side = 0; side < 2; ++side) {
        if (!customTeam[side])
            continue;
        for (const ChosenCharacter& chosen : g_chosenCharacters[side])
            memberLists[side].push_back({chosen.name, true});
    }
    memberListsStale = 0;
}

std::string GameParameters::GetParameter(const std::string& name) const
{
    const auto found = m_parameters.find(name);
    return found == m_parameters.end() ? std::string() : found->second;
}

void GameParameters::SetParameter(const std::string& name, const std::string& text)
{
    m_parameters[name] = text;
}

int GameParameters::GetLevelNumber() const
{
    int level = 0;
    if (std::sscanf(GetParameter("level").c_str(), "level%d", &level) != 1)
        return 1;
    return std::clamp(level, 1, kLevelCount);
}

int GameParameters::GetChosenPlayers() const
{
    const long players = std::strtol(GetParameter("players").c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(players, INT32_MIN, INT32_MAX));
}
