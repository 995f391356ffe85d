#include "characters/CharacterVariation.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Serializer.h"
#include "framework/Settings.h"

#include <charconv>

namespace {

constexpr float kThird = 0.33333334f;

// "3,7," and "3,7" alike give 3 and 7; tokens that are no whole number are skipped.
std::vector<int32_t> ParseAtomics(const std::string& text)
{
    std::vector<int32_t> atomics;
    const std::string framed = "," + text + ",";
    size_t start = 0;
    while (start < framed.size()) {
        const size_t end = framed.find(',', start);
        if (end == std::string::npos)
            break;
        int32_t value = 0;
        const char* first = framed.data() + start;
        const char* last = framed.data() + end;
        while (first < last && *first == ' ')
            ++first;
        const auto [ptr, error] = std::from_chars(first, last, value);
        if (error == std::errc() && ptr != first)
            atomics.push_back(value);
        start = end + 1;
    }
    return atomics;
}

std::string FormatAtomics(const std::vector<int32_t>& atomics)
{
    std::string text;
    for (int32_t atomic : atomics)
        text += std::to_string(atomic) + ",";
    return text;
}

}  // namespace

CharacterVariation::CharacterVariation(const std::string& keyName, const std::string& raceName, int32_t number)
    : m_keyName(keyName), m_raceName(raceName), m_number(number)
{
}

void CharacterVariation::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("CharacterVariation", descriptor);
    serializer.SerializeString("name", &m_displayName);
    serializer.SerializeObject("Energy", &energy);
    serializer.SerializeObject("Speed", &speed);
    serializer.SerializeObject("Shooting", &shooting);
    std::string atomics = FormatAtomics(m_invisibleAtomics);
    serializer.SerializeString("invisible atomics", &atomics);
    serializer.EndSection();
    m_invisibleAtomics = ParseAtomics(atomics);
}

CharacterVariation* CharacterVariation::Find(const std::string& keyName)
{
    const Cast* cast = CastManager::Instance()->GetCast("Characters");
    const CastMember* member = cast ? cast->FindByName(("Variations|" + keyName).c_str()) : nullptr;
    return member ? dynamic_cast<CharacterVariation*>(member->object) : nullptr;
}

void CharacterVariation::CreateAll(OwnedObjects& owner)
{
    Cast* cast = CastManager::Instance()->CreateCast("Characters");
    const auto add = [&](const std::string& key, const std::string& race, int32_t number) {
        auto variation = std::make_unique<CharacterVariation>(key, race, number);
        cast->AddMember(variation.get(), ("Variations|" + key).c_str(), false);
        owner.push_back(std::move(variation));
    };
    const char* const kTeamRaces[] = {"Lizard", "Panda", "Primate", "Rhino"};
    for (const char* race : kTeamRaces) {
        // Keepers take the model variants 0 and 1, the field players 2 to 9.
        for (int32_t keeper = 0; keeper < 2; ++keeper)
            add(race + std::string("Gk0") + std::to_string(keeper), race, keeper);
        for (int32_t player = 0; player < 8; ++player)
            add(race + std::string("Pl0") + std::to_string(player), race, player + 2);
    }
    add("Referee", "Weasel", 0);
}

CharacterRace* CharacterVariation::GetRace() const
{
    CharacterRace* race = CharacterRace::Find(m_raceName);
    if (!race)
        LogError("Could not find character race %s\n", m_raceName.c_str());
    return race;
}

std::string CharacterVariation::GetTexturePath() const
{
    const CharacterRace* race = CharacterRace::Find(m_raceName);
    if (!race)
        return std::string();
    const std::string textureSet = SettingsManager::Instance()->GetString("TextureSet");
    const std::string directory = race->GetDirectory() + (textureSet.empty() ? "" : textureSet + "\\");
    return directory + "Var0" + std::to_string(m_number) + "\\;" + directory + "Common\\";
}

Statistic CharacterVariation::GetAverageStatistic() const
{
    const float mean = (shooting.level + speed.level + energy.level) * kThird;
    Statistic average;
    average.RaiseLevel(mean - Statistic::kMinLevel);
    average.current = average.level;
    return average;
}
