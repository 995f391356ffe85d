#include "support/ActorTestSupport.h"

#include "characters/ActorClumpCache.h"
#include "framework/FileSystem.h"
#include "framework/Random.h"
#include "match/settings/GameSettings.h"
#include "scene/RwGraphics.h"
#include "simulation/CollisionManager.h"
#include "tests/support/OffscreenEngine.h"

#include <algorithm>
#include <cstdio>

namespace {

// The actions that travel, with the metres one play of their clip covers.
const std::map<std::string, float> kMoving = {{"run", 2.0f}, {"startrun", 1.0f}, {"jog", 1.5f},
                                              {"refrun", 2.0f}, {"refwalk", 1.0f}, {"specialmove", 2.0f}};

const char* const kActionNames[] = {
    "stand", "run", "startrun", "endrun", "slidetackle", "slidegetup", "fallover", "fallgetup", "header", "pass",
    "shoot", "jog", "snag", "stepleft", "stepright", "stepforth", "stepback", "savetopleft", "savetopcenter",
    "savetopright", "savemiddleleft", "savemiddlecenter", "savemiddleright", "savebottomleft", "savebottomcenter",
    "savebottomright", "standwithball", "inactive", "kickoff", "penaltywait", "penaltyshot", "throwinwait",
    "throwinpass", "throwinshot", "refstand", "refstandtowalk", "refstandtorun", "refwalk", "refwalktostand",
    "refwalktorun", "refrun", "refruntostand", "refruntowalk", "refwhistleshortstatic", "refwhistleshortmoving",
    "refwhistlelong", "refredcardpresent", "refredcardend", "standup", "stoodup", "sitdown", "satdown", "cheer",
    "dismay", "specialstart", "specialmove", "specialend", "special_panda", "cheer2", "idle", "keeperkickwait",
    "keeperkickpass", "keeperkickshot"};

bool Exists(const std::string& path)
{
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return true;
    }
    return false;
}

}  // namespace

std::string StagePath(const std::string& relative) { return std::string(TB_STAGE_DIR) + "/data/pc/" + relative; }

DataActions::DataActions()
{
    for (const char* name : kActionNames) {
        const std::string clip = std::string(name) == "inactive" ? "stand" : name;
        const std::string base = StagePath("Characters/Animations/" + clip);
        auto action = std::make_unique<CharacterAction>();
        action->SetName(name);
        MovingAnimation& animation = action->GetAnimation();
        animation.SetFileName(base + ".anm");
        if (Exists(base + "_move.anm"))
            animation.SetLocatorAnimation(base + "_move.anm");
        const auto moving = kMoving.find(name);
        if (moving != kMoving.end())
            animation.SetRates(moving->second, 0.0f, 1.0f, MovingAnimation::kMovement);
        else
            animation.SetRates(0.0f, 0.0f, 1.0f, MovingAnimation::kFixed);
        if (Exists(base + "_ball.anm"))
            action->SetBallLocatorName(base + "_ball.anm");
        action->boundRadius = 0.4f;
        action->boundHeight = 1.8f;
        m_actions[name] = std::move(action);
    }
}

CharacterAction* DataActions::GetAction(const std::string& name)
{
    const auto found = m_actions.find(name);
    return found != m_actions.end() ? found->second.get() : nullptr;
}

TestBall::TestBall() : SimpleCollidable(std::make_unique<Sphere>(0.11f)) { SetCollisionName("ball"); }

void Recorder::OnBallTouched(CarriedBall& ball, bool canHold, bool)
{
    log.push_back("ball");
    if (actor && canHold && !actor->HasBall())
        actor->TakeBall(&ball);
}

void Recorder::OnActionEvent(const CharacterActionEvent& event) { log.push_back(ActionEventName(event.type)); }

bool Recorder::Heard(const std::string& what) const { return std::find(log.begin(), log.end(), what) != log.end(); }

DataActions* KickAbout::s_actions = nullptr;

void KickAbout::SetUpTestSuite()
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetDeviceKind(rwDeviceNull);
    graphics->SetScreenSize(800, 600);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
    s_actions = new DataActions();
}

void KickAbout::TearDownTestSuite()
{
    delete s_actions;
    s_actions = nullptr;
    ActorClumpCache::DestroyInstance();
    RwGraphics::Instance()->Destroy();
    CloseOffscreenWindow();
}

void KickAbout::SetUp()
{
    Random::Seed(1);
    CharacterActionPlayer::SetBallRadius(ball.GetRadius());
    ActorSurroundings::ball = &ball;
    ActorSurroundings::clockRunning = true;
    CollisionManager::Instance()->GetCollisionSet("characters+ball")->Add(&ball, true);
}

void KickAbout::TearDown()
{
    ActorSurroundings::ball = nullptr;
    if (CollisionSet* set = CollisionManager::Instance()->FindCollisionSet("characters+ball"))
        set->Remove(&ball);
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
