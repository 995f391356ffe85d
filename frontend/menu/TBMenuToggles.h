#pragma once

#include "framework/Singleton.h"

#include <cstdint>
#include <string>
#include <vector>

class MenuVariables;
struct RwVideoMode;
class StoryModeGame;

// The texts shown for a toggle's values; entry i for value i.
struct TBToggleOptions {
    std::vector<std::string> texts;

    int32_t GetCount() const { return static_cast<int32_t>(texts.size()); }
};

// One of the player's options as a small integer choice.
struct TBMenuToggle {
    std::string name;  // also the menu variable and edit-value name between percent signs
    int32_t value = 0;  // the current choice; menu widgets write it directly
    int32_t applied = 0;  // the value most recently applied
    bool force = false;  // apply even when value equals applied (set by a loaded value)
    const TBToggleOptions* options = nullptr;  // shared with other toggles, kept by the singleton

    bool IsPending() const { return force || value != applied; }
    // The option text of the current value; empty when it lies outside the table.
    std::string GetText() const;

    // Sets the toggle's value, clamped into its option table (with a warning), and its force
    // flag; an id outside the toggles is logged and changes nothing. Applied stays.
    static void LoadExternToggleValue(int id, int value);
};

// The option toggles, by id: volumes, resolution, half time, shirts, devices, cards, the
// story-mode choices, replays and quality. "Accept" applies them to the game parameters,
// the sound, the video mode, the texture folder and the device claims, and saves the user
// file; "Decline" and every screen's exit revert what was not applied.
class TBMenuToggles : public Singleton<TBMenuToggles> {
public:
    static constexpr int kCount = 14;
    enum Id {
        kFxVolume,
        kMusicVolume,
        kResolution,
        kHalfTime,
        kShirtsTeam1,
        kShirtsTeam2,
        kDevice1,
        kDevice2,
        kCards,
        kStoryHalfTime,
        kStoryShirts,
        kReplays,
        kQuality,
        kStoryCards,
    };
    static constexpr const char* kUserFile = "Data\\SaveGames\\user.txt";

    TBMenuToggles();

    int GetCount() const { return kCount; }
    // Null when the id is negative or at least the count.
    TBMenuToggle* GetToggle(int id);
    const TBMenuToggle* GetToggle(int id) const;

    // Applies every pending toggle: the resolution only when allowed, the devices once they
    // are counted. Writes nothing: what was read stays as the player's file holds it.
    void ApplyPending(bool allowResolutionChange);
    // ApplyPending as the game starts, with the quality applied whether or not it was read.
    void ApplyAtStart(bool allowResolutionChange);
    // ApplyPending, then the cast "user" saved to the user file: the player's choice. False
    // (logged) when the file could not be written: the toggles are applied for this run all
    // the same.
    bool Apply(bool allowResolutionChange);
    // Values back to the applied ones, volumes back to their levels; forced toggles stay
    // pending.
    void Revert();
    // The story toggles into the career's options.
    void StoreStoryChoices(StoryModeGame& story) const;
    // Each player is blocked from the device the other one holds, unless it is shared.
    void PublishBlockedDevices();
    // "%blocked_shirt_1%" and "%blocked_shirt_2%": the other team's shirt.
    void PublishBlockedShirts(MenuVariables& variables) const;

    // The width and height of a resolution value; false outside the table.
    static bool GetResolutionSize(int value, int& width, int& height);
    // The exclusive full-screen mode of the size with the greatest depth, the earliest on
    // equal depth; -1 when there is none.
    static int ChooseVideoMode(const std::vector<RwVideoMode>& modes, int width, int height);

private:
    void ApplyVolume(TBMenuToggle& toggle, int channel, int32_t& parameter);
    void ApplyResolution(TBMenuToggle& toggle);
    void ApplyDevice(int player);
    void ClaimDevices();
    void ApplyQuality(TBMenuToggle& toggle);

    std::vector<TBToggleOptions> m_options;
    std::vector<TBMenuToggle> m_toggles;
};
