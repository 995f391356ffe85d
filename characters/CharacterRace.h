#pragma once

#include "characters/CharacterAction.h"
#include "framework/Object.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

class Voice;

// Whoever keeps the races and variations alive for the run (the game state). The objects
// are also members of the "Characters" cast, which only borrows them: take them out of the
// cast (or delete it) before the owner goes.
using OwnedObjects = std::vector<std::unique_ptr<Object>>;

// The sounds a race makes, by index; the match reactions and the keeper play some by number.
enum class RaceSound : int32_t {
    ThrowIn = 0,
    Fouled,
    Snagged,
    Element,
    Cheer,
    Anger,
    SlideTackle,
    Exhausted,
    SpecialHuman,
    SpecialComputer,
    KeeperRollSave,
    KeeperJumpSave,
    Count
};
inline constexpr size_t kRaceSoundCount = static_cast<size_t>(RaceSound::Count);
using RaceSoundNames = std::array<const char*, kRaceSoundCount>;

// A race of the game: its model, its 63 actions by name, its sounds and a few tuning values
// for running, heading and keeping. Lives for the whole run in the "Characters" cast under
// "Races|<name>"; characters only point to it.
class CharacterRace : public Object, public CharacterActionProvider {
public:
    // The action names, exactly the nodes of the actor graph, in table order.
    static std::span<const char* const> ActionNames();
    // The five races in creation order.
    static std::span<const char* const> RaceNames();
    // The race's sound names, or null for a race without sounds (the referee's "Weasel").
    static const RaceSoundNames* SoundNamesOf(const std::string& raceName);

    // sounds: null for a race without sounds; the array must outlive the race.
    CharacterRace(const std::string& name, const RaceSoundNames* sounds);
    ~CharacterRace() override;

    CharacterRace(const CharacterRace&) = delete;
    CharacterRace& operator=(const CharacterRace&) = delete;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Never null: a name the race does not know gets an empty action that stays in the map.
    CharacterAction* GetAction(const std::string& name) override;
    // The keeper's save grid, in metres across and up.
    float& GetKeeperSaveGridWidth() { return m_saveGridWidth; }
    float& GetKeeperSaveGridHeight() { return m_saveGridHeight; }

    const std::string& GetRaceName() const { return m_name; }
    // "<PP>\Characters\<name>\", and that folder's "<name>.DFF".
    std::string GetDirectory() const;
    std::string GetModelFile() const;

    // Plays sound n at (x, z) as a voice the engine discards once finished. Nothing for a
    // race without sounds, an index out of range or a sound the engine does not know.
    void PlaySound(int32_t n, float x, float z) const;
    // Sound n as a voice that the caller keeps and destroys (SoundEngine::DestroyVoice);
    // null for a race without sounds, an index out of range or an unknown sound.
    Voice* CreateSound(int32_t n) const;

    // The values the property file sets, for whoever writes one.
    struct Tuning {
        int32_t headBoneIndex = -1;
        float rotationSpeed = 0.0f;
        float saveGridWidth = 1.0f;
        float saveGridHeight = 1.0f;
        float minHeaderHeight = 1.5f;
        float maxHeaderHeight = 3.0f;
    };
    void SetTuning(const Tuning& tuning);

    float GetRotationSpeed() const { return m_rotationSpeed; }
    int32_t GetHeadBoneIndex() const { return m_headBoneIndex; }
    float GetMinHeaderHeight() const { return m_minHeaderHeight; }
    float GetMaxHeaderHeight() const { return m_maxHeaderHeight; }
    bool HasSounds() const { return m_sounds != nullptr; }

    // The race filed as "Races|<name>" in the "Characters" cast, or null without a message.
    static CharacterRace* Find(const std::string& name);
    // Creates the races the game size has (0: Panda and Weasel; 1: and Lizard; 2: all five),
    // files them in the "Characters" cast (created if missing) and hands them to the owner.
    static void CreateAll(int32_t gameSize, OwnedObjects& owner);

private:
    // Null when n names no sound of the race.
    const char* SoundName(int32_t n) const;

    std::string m_name;
    std::map<std::string, CharacterAction> m_actions;
    float m_rotationSpeed = 0.0f;
    int32_t m_headBoneIndex = -1;
    const RaceSoundNames* m_sounds;
    float m_saveGridWidth = 1.0f;
    float m_saveGridHeight = 1.0f;
    float m_minHeaderHeight = 1.5f;
    float m_maxHeaderHeight = 3.0f;
};
