#include "match/game/harness/MatchSides.h"

#include "ai/TeamManager.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "simulation/pitch/PitchSimulation.h"

#include <cstdio>
#include <memory>

bool PutSidesOnPitch(const std::string& side0, const std::string& side1)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (!pitch->IsSetUp()) {
        std::fprintf(stderr, "PutSidesOnPitch: no match is set up\n");
        return false;
    }
    const std::string names[PitchSimulation::kSides] = {side0, side1};
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const TeamDescription* description = TeamDescription::Find(names[side]);
        if (!description) {
            std::fprintf(stderr, "PutSidesOnPitch: no team description \"%s\"\n", names[side].c_str());
            return false;
        }
        SoccerTeam* team = pitch->GetTeam(side);
        for (const TeamDescription::Member& member : description->GetMembers()) {
            const int32_t kind = member.isSub ? Character::kGoalkeeper : Character::kFieldPlayer;
            team->AddPlayer(std::make_unique<Character>(kind, member.variation, team));
        }
        pitch->GetTeamManager(side)->ChooseTactics();
    }
    pitch->CreateReferee();
    // A managed collision set lets a pair collide only once a frame has passed since it met.
    pitch->Update(1.0f / 60.0f, PitchSimulation::kUpdateCollisions);
    return true;
}
