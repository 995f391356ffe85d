#pragma once

#include "characters/CharacterRace.h"
#include "characters/Statistic.h"
#include "framework/Object.h"

#include <cstdint>
#include <string>
#include <vector>

// One team member as the game files it: its race, model variant, statistics and the model
// atomics it hides. Lives for the whole run in the "Characters" cast under
// "Variations|<key>"; characters only point to it.
class CharacterVariation : public Object {
public:
    // number: the model's texture folder "Var0<number>".
    CharacterVariation(const std::string& keyName, const std::string& raceName, int32_t number);

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The variation filed under the key, or null (no message) without the cast or the member.
    static CharacterVariation* Find(const std::string& keyName);
    // Creates all 41 members whatever the game size, files them in the "Characters" cast
    // (created if missing) and hands them to the owner.
    static void CreateAll(OwnedObjects& owner);

    // Null, with "Could not find character race %s" logged, when the race is not filed.
    CharacterRace* GetRace() const;
    // The variant's folder, then the race's common folder, ";"-separated; empty without the
    // race.
    std::string GetTexturePath() const;
    // The mean of the three levels as a statistic in range, level and current alike.
    Statistic GetAverageStatistic() const;

    const std::string& GetKeyName() const { return m_keyName; }
    const std::string& GetRaceName() const { return m_raceName; }
    int32_t GetNumber() const { return m_number; }
    const std::string& GetDisplayName() const { return m_displayName; }
    void SetDisplayName(const std::string& name) { m_displayName = name; }
    // Atomic indices of the race model that are not drawn for this member.
    const std::vector<int32_t>& GetInvisibleAtomics() const { return m_invisibleAtomics; }
    void SetInvisibleAtomics(std::vector<int32_t> atomics) { m_invisibleAtomics = std::move(atomics); }

    Statistic energy;
    Statistic speed;
    Statistic shooting;

private:
    std::string m_keyName;
    std::string m_raceName;
    int32_t m_number;
    std::string m_displayName = "noname";
    std::vector<int32_t> m_invisibleAtomics;
};
