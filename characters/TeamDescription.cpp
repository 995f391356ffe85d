#include "characters/TeamDescription.h"

#include "framework/Cast.h"
#include "framework/Serializer.h"

#include <algorithm>
#include <array>
#include <map>

namespace {

const char* const kCast = "Teams";
const char* const kMemberPrefix = "Descriptions|";
const std::array<const char*, TeamDescription::kCount> kDescriptions = {"Panda01", "Panda02", "Lizard01", "Lizard02",
                                                  "Rhino01", "Rhino02", "Primate01", "Primate02"};
// Appended by the editor's "Another character?" until a variation is chosen.
const char* const kNoVariation = "NoVariation";

std::map<std::string, std::string>& KeysByTeamName()
{
    static std::map<std::string, std::string> keys;
    return keys;
}

} // namespace

const char* TeamDescription::KeyAt(int index)
{
    if (index < 0 || index >= kCount)
        return nullptr;
    return kDescriptions[static_cast<size_t>(index)];
}

void TeamDescription::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("TeamDescription", descriptor);
    serializer.SerializeString("TeamName", &m_teamName);
    serializer.SerializeButton("hide", "");
    auto count = static_cast<int32_t>(m_members.size());
    serializer.SerializeInt("Number of characters", &count);
    if (serializer.IsReading())
        m_members.assign(
            static_cast<size_t>(serializer.BoundListCount("TeamDescription::Serialize", "Number of characters", count)),
            Member{});
    for (Member& member : m_members) {
        serializer.BeginSection("CharacterDescription", "Unknown");
        serializer.SerializeString("Character Variation", &member.variation);
        serializer.SerializeBool("Is sub", &member.isSub);
        serializer.EndSection();
    }
    if (serializer.IsReading() && GetName()) {
        const std::string name = GetName();
        KeysByTeamName()[m_teamName] = name.substr(name.rfind('|') + 1);
    }
    bool another = false;
    serializer.SerializeBool("Another character?", &another);
    if (another)
        m_members.push_back({kNoVariation, false});
    serializer.EndSection();
}

TeamDescription* TeamDescription::Find(const std::string& name)
{
    const Cast* cast = CastManager::Instance()->GetCast(kCast);
    const CastMember* member = cast ? cast->FindByName((kMemberPrefix + name).c_str()) : nullptr;
    return member ? dynamic_cast<TeamDescription*>(member->object) : nullptr;
}

void TeamDescription::CreateAll(std::vector<std::unique_ptr<Object>>& owner)
{
    Cast* cast = CastManager::Instance()->GetCast(kCast);
    if (!cast)
        cast = CastManager::Instance()->CreateCast(kCast);
    for (const char* name : kDescriptions) {
        auto description = std::make_unique<TeamDescription>();
        cast->AddMember(description.get(), (kMemberPrefix + std::string(name)).c_str(), false);
        owner.push_back(std::move(description));
    }
}

std::string TeamDescription::KeyOfTeamName(const std::string& teamName)
{
    const auto found = KeysByTeamName().find(teamName);
    return found == KeysByTeamName().end() ? std::string() : found->second;
}
