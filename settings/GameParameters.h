#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One character the player picked for a custom team; the front end fills the lists.
struct ChosenCharacter {
    std::string name;  // the character variation's name
};

// The characters picked for side 0 and side 1, in the order picked.
inline std::vector<ChosenCharacter> g_chosenCharacters[2];

// One entry of a side's member list.
struct TeamMember {
    std::string variation;
    bool chosen = false;
};

// The player's options, kept in "Data\SaveGames\user.txt" as the member "Game Parameters",
// and what the menus hand to a match: players, teams, level and story slot as text
// parameters, and the custom teams' member lists.
class GameParameters : public Singleton<GameParameters>, public Object {
public:
    static constexpr int kCameraSlots = 3;
    static constexpr int kLevelCount = 4;
    // A new player's match length: the clock at 6.0, a 45-minute half in 7.5 minutes.
    static constexpr int32_t kDefaultHalftimeDuration = 2;

    GameParameters();

    // Called after each read of the table. The option toggles, which lie above, register one
    // that takes the values, returns both devices played with to 0 and applies the toggles
    // without a resolution change.
    using ReadListener = void (*)(GameParameters& parameters);
    // Replaces the listener; null for none.
    static void SetReadListener(ReadListener listener);

    // The user file's table; after reading, the read listener gets the values.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // When the lists are stale: each side with a custom team gets one chosen entry per
    // character picked for it; then they are no longer stale.
    void RebuildMemberLists();

    // Empty when no parameter has the name.
    std::string GetParameter(const std::string& name) const;
    void SetParameter(const std::string& name, const std::string& text);

    // From "level" read as "level%d": 1 when it does not read so, else limited to 1..4.
    int GetLevelNumber() const;
    // "players" as a number; 0 when it is not one ("NULL").
    int GetChosenPlayers() const;

    // The texture set a "Quality" draws with, as "<TP>" stands for it: the full one at the best
    // quality, the small one below.
    static const char* TextureSetFor(int32_t quality);

    int32_t headerWord = 256;  // nothing reads it
    int32_t musicVolume = 10;
    int32_t sfxVolume = 10;
    int32_t quality = 1;
    int32_t spareWord = 0;  // not saved
    int32_t playerCount = 1;  // players on screen; the game state sets it at each start
    int32_t halftimeDuration = kDefaultHalftimeDuration;  // an index into the option's durations
    bool cards = true;
    bool replays = true;
    int32_t shirts[2] = {0, 3};  // by side
    int32_t extraShirts[2] = {3, 0};  // not saved
    int32_t resolution = 0;
    int32_t graphicsMode = 0;
    std::string cameraNames[kCameraSlots];
    float cameraZooms[kCameraSlots] = {0.5f, 0.5f, 0.5f};
    // By player: the devices the players chose, which the user file keeps, and those this run
    // plays with, the keyboard in place of a chosen joystick that is not plugged in.
    int32_t deviceChoices[2] = {0, 0};
    int32_t playerDevices[2] = {0, 0};
    int32_t deviceCount = -1;  // -1 until the input devices are counted
    int32_t blockedDevices[2] = {-1, -1};  // by player: the device the other one holds, -1 for none
    int32_t customTeam[2] = {0, 0};  // by side: non-zero when the side plays a picked team
    int32_t memberListsStale = 0;
    std::vector<TeamMember> memberLists[2];

private:
    // Constant-initialised: a listener registered at start-up finds it ready.
    static inline ReadListener s_readListener = nullptr;

    std::map<std::string, std::string> m_parameters;
};
