#include "support/ActorTestSupport.h"

#include "characters/ActorClumpCache.h"
#include "framework/FileSystem.h"
#include "framework/Random.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameSettings.h"
#include "simulation/CollisionManager.h"
#include "simulation/ShapeCollision.h"

#include <algorithm>


std::string StagePath(const std::string& relative) { return std::string(TB_STAGE_DIR) + "/data/pc/" + relative; }

void Recorder::OnBallTouched(CarriedBall& ball, bool canHold, bool)
{
    log.push_back("ball");
    auto* pitchBall = dynamic_cast<Ball*>(&ball);
    if (actor && canHold && !actor->HasBall() && pitchBall && pitchBall->TakePossession(this))
        actor->TakeBall(&ball);
}

void Recorder::LetGoOfBall()
{
    if (actor)
        actor->ReleaseBall();
}

void Recorder::OnActionEvent(const CharacterActionEvent& event) { log.push_back(ActionEventName(event.type)); }

bool Recorder::Heard(const std::string& what) const { return std::find(log.begin(), log.end(), what) != log.end(); }

DataActions* KickAbout::s_actions = nullptr;

void KickAbout::SetUpTestSuite()
{
    NullDeviceSuite::SetUpTestSuite();
    if (HasFatalFailure())
        return;
    FileSystem::Instance()->AddAlias("<PP>", StagePath("").c_str());
    ShapeCollisionTable::Init();
    s_actions = new DataActions(StagePath(""));
}

void KickAbout::TearDownTestSuite()
{
    delete s_actions;
    s_actions = nullptr;
    FileSystem::Instance()->RemoveAlias("<PP>");
    ActorClumpCache::DestroyInstance();
    NullDeviceSuite::TearDownTestSuite();
}

Ball& KickAbout::StartMatch()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    pitch->SetupMatch();
    return *pitch->GetBall();
}

void KickAbout::SetUp()
{
    Random::Seed(1);
    ActorSurroundings::clockRunning = true;
}

void KickAbout::TearDown()
{
    PitchSimulation::DestroyInstance();
    CollisionManager::DestroyInstance();
}

void KickAbout::GiveBall(Recorder& holder)
{
    ASSERT_TRUE(ball.TakePossession(&holder));
    holder.actor->TakeBall(&ball);
}

std::unique_ptr<Actor> KickAbout::MakeActor(Recorder& listener, const ActorStateNode& node, const Vector3& at,
                                            bool fieldPlayer)
{
    const std::string folder = StagePath("Characters/Panda/Textures24Bit/");
    auto actor = std::make_unique<Actor>(folder + "Var00/;" + folder + "Common/;" + folder + "Shirt00/",
                                         StagePath("Characters/Panda/Panda.DFF"), s_actions, &listener, node,
                                         fieldPlayer);
    actor->PlaceInState(at, 0.0f, new ActorState(node));
    listener.actor = actor.get();
    return actor;
}

void KickAbout::Frame(const std::vector<std::pair<Actor*, ActorCommand*>>& actors, float dt)
{
    for (const auto& [actor, command] : actors)
        actor->Update(dt, *command, nullptr, kRunSpeed, kRotationSpeed, -1);
    CollisionManager::Instance()->Update(dt);
}
