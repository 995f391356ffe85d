#include "match/game/harness/HarnessMatch.h"

#include "ai/TeamManager.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "match/game/GameTB.h"
#include "match/game/harness/GameHarness.h"
#include "scene/RenderObject.h"
#include "simulation/Ball.h"
#include "simulation/pitch/PitchSimulation.h"

#include <cstdio>
#include <memory>

namespace {

constexpr float kSideX = 20.0f;
constexpr float kFirstZ = -16.0f;
constexpr float kSpacing = 8.0f;

// A position and nothing else.
class Marker : public RenderObject {
public:
    void Render() override {}
    void Update(float) override {}
};

void PlaceMarker(const char* name, const Vector3& at)
{
    Cast* objects = CastManager::Instance()->GetCast("objects");
    if (!objects)
        return;
    auto* point = dynamic_cast<RenderObject*>(CastManager::Instance()->FindObject(("objects|" + std::string(name)).c_str()));
    if (!point) {
        point = new Marker;
        point->SetName(name);
        objects->AddMember(point, name, true);
    }
    point->SetPosition(at);
}

bool FillSide(int side, const char* teamName)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    const TeamDescription* description = TeamDescription::Find(teamName);
    if (!description) {
        std::fprintf(stderr, "harnessmatch: no team description %s\n", teamName);
        return false;
    }
    SoccerTeam* team = pitch->GetTeam(side);
    const float x = side == 0 ? kSideX : -kSideX;
    float z = kFirstZ;
    for (const TeamDescription::Member& member : description->GetMembers()) {
        const int32_t kind = member.isSub ? Character::kGoalkeeper : Character::kFieldPlayer;
        auto player = std::make_unique<Character>(kind, member.variation, team);
        player->GetActor()->PlaceInState({x, 0.0f, z}, 0.0f, new ActorState(ActorNodes::stand));
        team->AddPlayer(std::move(player));
        z += kSpacing;
    }
    pitch->GetTeamManager(side)->ChooseTactics();
    return true;
}

}  // namespace

namespace harnessmatch {

void LoadLevel(GameHarness& harness, const std::string& level)
{
    FileSystem* files = FileSystem::Instance();
    files->RemoveAlias("<LP>");
    files->RemoveAlias("<SP>");
    files->AddAlias("<LP>", ("data\\pc\\" + level + "\\").c_str());
    files->AddAlias("<SP>", ("data\\pc\\" + level + "\\settings\\").c_str());
    if (GameTB* game = harness.GetGame())
        game->LoadOrSaveCasts(true, true, false);
}

bool MakeSides(const char* side0, const char* side1)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (!pitch->IsSetUp())
        return false;
    pitch->RecreateTeams();
    const bool filled = FillSide(0, side0) && FillSide(1, side1);
    pitch->CreateReferee();
    pitch->GetBall()->SetPosition(Vector3{});
    pitch->GetBall()->SetVelocity(Vector3{});
    return filled;
}

void SetSpawnPoints(const Vector3& left, const Vector3& right)
{
    PlaceMarker("LeftSpawnPoint", left);
    PlaceMarker("RightSpawnPoint", right);
}

}  // namespace harnessmatch
