#include "characters/CharacterRace.h"

#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/Actor.h"
#include "framework/Cast.h"
#include "framework/Serializer.h"

#include <cmath>
#include <iterator>

namespace {

const char* const kRaceNames[] = {"Lizard", "Panda", "Primate", "Rhino", "Weasel"};

// The primate's files keep the name "gorilla".
const RaceSoundNames kLizardSounds = {
    "throw-in_lizard", "lizard_fouled", "stealballfromlizard", "water", "lizardcheer", "lizardangry",
    "slidetacklesmall", "lizardexhausted", "speciallizard", "speciallizardai", "keeperrollsavehigh",
    "keeperjumpsavehigh"};
const RaceSoundNames kPandaSounds = {
    "throw-in_panda", "panda_fouled", "stealballfrompanda", "air", "pandacheer", "pandaangry",
    "slidetacklesmall", "pandaexhausted", "specialpanda", "specialpandaai", "keeperrollsavehigh",
    "keeperjumpsavehigh"};
const RaceSoundNames kPrimateSounds = {
    "throw-in_gorilla", "primate_fouled", "stealballfromgorilla", "fire", "gorillacheer", "gorillaangry",
    "slidetacklebig", "gorillaexhausted", "specialgorilla", "specialgorillaai", "keeperrollsavelow",
    "keeperjumpsavelow"};
const RaceSoundNames kRhinoSounds = {
    "throw-in_rhino", "rhino_fouled", "stealballfromrhino", "earth", "rhinocheer", "rhinoangry",
    "slidetacklebig", "rhinoexhausted", "specialrhino", "specialrhinoai", "keeperrollsavelow",
    "keeperjumpsavelow"};

// Smaller games leave out the races none of their teams use: size 0 keeps Panda and Weasel,
// size 1 adds Lizard.
bool RaceInGame(const std::string& name, int32_t gameSize)
{
    if (gameSize >= 2)
        return true;
    if (name == "Rhino" || name == "Primate")
        return false;
    return gameSize == 1 || name != "Lizard";
}

}  // namespace

std::span<const char* const> CharacterRace::ActionNames() { return Actor::ActionNames(); }

std::span<const char* const> CharacterRace::RaceNames() { return kRaceNames; }

const RaceSoundNames* CharacterRace::SoundNamesOf(const std::string& raceName)
{
    if (raceName == "Lizard")
        return &kLizardSounds;
    if (raceName == "Panda")
        return &kPandaSounds;
    if (raceName == "Primate")
        return &kPrimateSounds;
    if (raceName == "Rhino")
        return &kRhinoSounds;
    return nullptr;
}

CharacterRace::CharacterRace(const std::string& name, const RaceSoundNames* sounds) : m_name(name), m_sounds(sounds)
{
    for (const char* action : ActionNames())
        m_actions[action];
}

CharacterRace::~CharacterRace() = default;

void CharacterRace::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("CharacterRace", descriptor);
    serializer.SerializeInt("Head bone index", &m_headBoneIndex);
    serializer.SerializeFloat("Rotation Speed", &m_rotationSpeed);
    serializer.SerializeFloat("Keeper save grid width", &m_saveGridWidth);
    serializer.SerializeFloat("Keeper save grid height", &m_saveGridHeight);
    serializer.SerializeFloat("Min header trigger height", &m_minHeaderHeight);
    serializer.SerializeFloat("Max header trigger height", &m_maxHeaderHeight);
    serializer.BeginSection("Animations", "");
    for (auto& [name, action] : m_actions) {
        serializer.SerializeButton("popup", "");
        serializer.SerializeObject(name.c_str(), &action);
    }
    serializer.EndSection();
    serializer.EndSection();
}

void CharacterRace::SetTuning(const Tuning& tuning)
{
    m_headBoneIndex = tuning.headBoneIndex;
    m_rotationSpeed = tuning.rotationSpeed;
    m_saveGridWidth = tuning.saveGridWidth;
    m_saveGridHeight = tuning.saveGridHeight;
    m_minHeaderHeight = tuning.minHeaderHeight;
    m_maxHeaderHeight = tuning.maxHeaderHeight;
}

CharacterAction* CharacterRace::GetAction(const std::string& name) { return &m_actions[name]; }

std::string CharacterRace::GetDirectory() const { return "<PP>\\Characters\\" + m_name + "\\"; }

std::string CharacterRace::GetModelFile() const { return GetDirectory() + m_name + ".DFF"; }

const char* CharacterRace::SoundName(int32_t n) const
{
    if (!m_sounds || n < 0 || n >= static_cast<int32_t>(m_sounds->size()))
        return nullptr;
    return (*m_sounds)[static_cast<size_t>(n)];
}

void CharacterRace::PlaySound(int32_t n, float x, float z) const
{
    const char* name = SoundName(n);
    if (!name)
        return;
    Voice* voice = SoundEngine::Instance()->Play(name, true);
    if (!voice)
        return;
    voice->SetPosition(SoundPoint{static_cast<int>(x), static_cast<int>(z)});
    voice->Start();
}

Voice* CharacterRace::CreateSound(int32_t n) const
{
    const char* name = SoundName(n);
    return name ? SoundEngine::Instance()->Play(name, false) : nullptr;
}

CharacterRace* CharacterRace::Find(const std::string& name)
{
    const Cast* cast = CastManager::Instance()->GetCast("Characters");
    const CastMember* member = cast ? cast->FindByName(("Races|" + name).c_str()) : nullptr;
    return member ? dynamic_cast<CharacterRace*>(member->object) : nullptr;
}

void CharacterRace::CreateAll(int32_t gameSize, OwnedObjects& owner)
{
    Cast* cast = CastManager::Instance()->CreateCast("Characters");
    for (const char* name : kRaceNames) {
        if (!RaceInGame(name, gameSize)) {
            // The character file describes every race; this size does without some.
            cast->LeaveOut("Races|" + std::string(name));
            continue;
        }
        auto race = std::make_unique<CharacterRace>(name, SoundNamesOf(name));
        cast->AddMember(race.get(), ("Races|" + std::string(name)).c_str(), false);
        owner.push_back(std::move(race));
    }
}
