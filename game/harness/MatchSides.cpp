#include "game/harness/MatchSides.h"

#include "ai/TeamManager.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "pitch/PitchSimulation.h"
#include "scene/RenderObject.h"
#include "simulation/Ball.h"

#include <cstdio>
#include <memory>

namespace {

constexpr float kLineX = 20.0f;
constexpr float kFirstZ = -16.0f;
constexpr float kSpacing = 8.0f;

// A position and nothing else.
class Marker : public RenderObject {
public:
    void Render() override {}
    void Update(float) override {}
};

void PlaceMarker(const std::string& name, const Vector3& at)
{
    Cast* objects = CastManager::Instance()->GetCast("objects");
    if (!objects)
        return;
    auto* point = dynamic_cast<RenderObject*>(CastManager::Instance()->FindObject(("objects|" + name).c_str()));
    if (!point) {
        point = new Marker;
        point->SetName(name.c_str());
        objects->AddMember(point, name.c_str(), true);
    }
    point->SetPosition(at);
}

}  // namespace

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

void LineUpSides()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const SoccerTeam* team = pitch->GetTeam(side);
        const float x = side == 0 ? kLineX : -kLineX;
        for (int32_t i = 0; team && i < team->GetPlayerCount(); ++i)
            team->GetPlayer(i)->GetActor()->PlaceInState({x, 0.0f, kFirstZ + kSpacing * static_cast<float>(i)}, 0.0f,
                                                         new ActorState(ActorNodes::stand));
    }
    if (Ball* ball = pitch->GetBall()) {
        ball->SetPosition(Vector3{});
        ball->SetVelocity(Vector3{});
    }
}

void LoadLevelCasts(GameHarness& harness, const std::string& level)
{
    FileSystem* files = FileSystem::Instance();
    files->RemoveAlias("<LP>");
    files->RemoveAlias("<SP>");
    files->AddAlias("<LP>", ("data\\pc\\" + level + "\\").c_str());
    files->AddAlias("<SP>", ("data\\pc\\" + level + "\\settings\\").c_str());
    if (GameTB* game = harness.GetGame())
        game->GetElements().LoadOrSaveCasts(true, true, false);
}

void SetSpawnPoints(const Vector3& left, const Vector3& right)
{
    PlaceMarker("LeftSpawnPoint", left);
    PlaceMarker("RightSpawnPoint", right);
}
