// The eight selectable teams and what a match dresses them in: the team descriptions, the
// shirt of every colour a side may choose and the shirt numbers.
#include "ai/TeamStrategy.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "tools/assets/characters/Characters.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/settings/Strategies.h"

#include <memory>
#include <string>
#include <vector>

namespace assets::chars {

namespace {

// Five a side, two more than a full bench ever shows.
constexpr int kHighestNumber = 11;
constexpr int kOutfieldPerTeam = 4;

std::string Numbered(const char* prefix, int n) { return prefix + std::string(n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

const std::vector<TeamRow>& SelectableTeams()
{
    static const std::vector<TeamRow> teams = {
        {"Panda01", Race::Panda, "Bamboo Rovers", 0},      {"Panda02", Race::Panda, "Bamboo Wanderers", 1},
        {"Lizard01", Race::Lizard, "Lagoon Lizards", 0},   {"Lizard02", Race::Lizard, "Marsh Basilisks", 1},
        {"Rhino01", Race::Rhino, "Savanna Rhinos", 0},     {"Rhino02", Race::Rhino, "Thunder Horns", 1},
        {"Primate01", Race::Primate, "Canopy Kings", 0},   {"Primate02", Race::Primate, "Volcano Apes", 1},
    };
    return teams;
}

namespace {

std::unique_ptr<TeamDescription> Describe(const TeamRow& row)
{
    auto team = std::make_unique<TeamDescription>();
    team->SetTeamName(row.shownName);
    // The keeper comes first, flagged: the match loading reads the flag as the keeper's.
    team->GetMembers().push_back({RaceName(row.race) + Numbered("Gk", row.squad), true});
    for (int i = 0; i < kOutfieldPerTeam; ++i)
        team->GetMembers().push_back({RaceName(row.race) + Numbered("Pl", row.squad * kOutfieldPerTeam + i), false});
    return team;
}

bool WriteTeams(const AssetContext& context)
{
    Cast cast("Teams");
    std::vector<std::unique_ptr<TeamDescription>> teams;
    for (const TeamRow& row : SelectableTeams()) {
        teams.push_back(Describe(row));
        cast.AddMember(teams.back().get(), (std::string("Descriptions|") + row.key).c_str(), false);
    }
    std::vector<std::unique_ptr<TeamStrategy>> strategies;
    AddStrategies(cast, strategies);
    bool ok = WriteCastFile(cast, context.Path("Teams.txt"));
    for (const auto& team : teams)
        cast.RemoveMember(team.get());
    for (const auto& strategy : strategies)
        cast.RemoveMember(strategy.get());

    for (Race race : kRaces) {
        if (race == Race::Weasel)
            continue;
        for (const TextureFile& shirt : PaintMatchShirts(race))
            ok = context.WriteTextureSets(RaceFolder(race), shirt.folder + "/" + shirt.name, shirt.image) && ok;
    }
    for (int n = 1; n <= kHighestNumber; ++n)
        ok = context.WriteTextureSets("Characters", "ShirtNumber_" + std::to_string(n), PaintShirtNumber(n)) && ok;
    return ok;
}

const GeneratorRegistrar kTeamsGenerator("characters.teams", &WriteTeams);

}  // namespace

}  // namespace assets::chars
