// Actors on the default data: moving, turning, energy, idling, tackles, carrying, passing,
// shirts, shadows and debug outlines.
#include "support/ActorTestSupport.h"
#include "support/SceneTest.h"

#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/ActorClumpCache.h"
#include "engine/core/NullDevice.h"
#include "engine/core/RwCore.h"
#include "engine/core/RwTexture.h"
#include "engine/world/RpClump.h"
#include "engine/world/RpGeometry.h"
#include "engine/world/tests/support/WorldTestSupport.h"
#include "framework/Color.h"
#include "framework/MathUtil.h"
#include "pitch/PitchSimulation.h"
#include "scene/AnimatedClump.h"
#include "scene/Camera.h"
#include "scene/ProjectedShadow.h"
#include "scene/ProjectedTexture.h"
#include "scene/RwGraphics.h"
#include "scene/World.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "simulation/PitchVolume.h"
#include "simulation/ReplayEngine.h"
#include "simulation/Shape.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>

using namespace ActorNodes;

namespace {

std::string ActionName(const Actor& actor)
{
    return actor.GetAction() && actor.GetAction()->GetName() ? actor.GetAction()->GetName() : "";
}

std::vector<RwTexture*> ShirtTextures(const Actor& actor)
{
    std::vector<RpAtomic*> atomics;
    actor.GetClump()->GetAtomics(atomics);
    std::vector<RwTexture*> textures;
    for (RpAtomic* atomic : atomics) {
        const RpMaterialList& list = atomic->geometry->matList;
        for (int i = 0; i < list.numMaterials; ++i) {
            RwTexture* texture = list.materials[i]->texture;
            std::string name = texture ? RwTextureGetName(texture) : "";
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
            if (name.find("shirt") != std::string::npos)
                textures.push_back(texture);
        }
    }
    return textures;
}

}  // namespace

using ActorTest = KickAbout;

TEST_F(ActorTest, StateNamesMatchWholeOrByFamily)
{
    Recorder listener;
    const struct {
        const ActorStateNode& node;
        const char* name;
        bool is, startsWith, special;
    } cases[] = {
        {savemiddlecenter, "savemiddlecenter", true, true, false},
        {savemiddlecenter, "save", false, true, false},
        {savemiddlecenter, "savemiddlecentre", false, false, false},
        {specialstart, "special", false, true, true},
        {stand, "standwithball", false, false, false},
    };
    for (const auto& c : cases) {
        auto actor = MakeActor(listener, c.node);
        EXPECT_EQ(actor->StateNameIs(c.name), c.is) << c.node.name << " " << c.name;
        EXPECT_EQ(actor->StateNameStartsWith(c.name), c.startsWith) << c.node.name << " " << c.name;
        EXPECT_EQ(actor->IsInSpecialState(), c.special) << c.node.name;
    }
}

TEST_F(ActorTest, RunningForTwoSecondsCoversTheSpeedAndTurnsNoFasterThanAllowed)
{
    for (const float dt : {1.0f / 60.0f, 1.0f / 30.0f}) {
        Recorder listener;
        auto actor = MakeActor(listener, run);
        ActorCommand command;
        command.code = ActorInput::Run;
        const int frames = static_cast<int>(std::lround(2.0f / dt));
        for (int i = 0; i < frames; ++i)
            Frame({{actor.get(), &command}}, dt);
        EXPECT_NEAR(actor->GetPosition().z, kRunSpeed * 2.0f, kRunSpeed * 2.0f * 0.05f) << dt;
        EXPECT_NEAR(actor->GetPosition().x, 0.0f, 1e-3f) << dt;
        EXPECT_STREQ(actor->GetStateName(), "run");

        command.direction = Math::HalfPi;
        float before = actor->GetHeading();
        for (int i = 0; i < 30; ++i) {
            Frame({{actor.get(), &command}}, dt);
            EXPECT_LE(std::fabs(Math::AngleDifference(actor->GetHeading(), before)), kRotationSpeed * dt + 1e-4f);
            before = actor->GetHeading();
        }
        EXPECT_NEAR(actor->GetHeading(), Math::HalfPi, 1e-4f);
        EXPECT_FALSE(std::isnan(actor->GetPosition().x));
    }
}

TEST_F(ActorTest, EveryFootContactOfARunStartsAFootstep)
{
    SoundEngine* engine = SoundEngine::Instance();
    engine->SetEnabled(true);
    ASSERT_NE(engine->AddAudioEvent("run", AudioEvent{}), nullptr);
    CharacterAction* running = s_actions->GetAction("run");
    const float stride = running->GetDuration();
    ASSERT_GT(stride, 0.0f);
    for (const float at : {0.25f, 0.75f})
        running->GetEvents().emplace_back(static_cast<int32_t>(ActionEventType::ContactFoot), stride * at);
    Recorder listener;
    auto actor = MakeActor(listener, run);
    ActorCommand command;
    command.code = ActorInput::Run;
    for (int i = 0; i < 60; ++i)
        Frame({{actor.get(), &command}}, 1.0f / 60.0f);

    const auto contacts = std::count(listener.log.begin(), listener.log.end(), "Contact Foot");
    EXPECT_GE(contacts, 2);
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), contacts);
    for (int i = 0; i < engine->GetTemporaryVoiceCount(); ++i)
        EXPECT_TRUE(engine->GetTemporaryVoice(i)->IsActive()) << i;
    running->GetEvents().clear();
    SoundEngine::DestroyInstance();
}

TEST_F(ActorTest, LowEnergySlowsTheActorLinearlyToTheRemainingShare)
{
    Recorder listener;
    auto actor = MakeActor(listener, stand);
    GameSettings* settings = GameSettings::Instance();
    const int32_t saved = settings->energyAffectSpeedPercent;
    settings->energyAffectSpeedPercent = 40;
    const struct {
        float energy, share;
    } cases[] = {{0.0f, 0.6f}, {10.0f, 0.8f}, {20.0f, 1.0f}, {90.0f, 1.0f}};
    for (const auto& c : cases)
        EXPECT_NEAR(actor->GetMoveSpeed(c.energy, 10.0f), 10.0f * c.share, 1e-4f) << c.energy;
    actor->PlaceInState({}, 0.0f, new ActorState(jog));
    EXPECT_NEAR(actor->GetMoveSpeed(100.0f, 10.0f), 10.0f * settings->runToJogMultiplier, 1e-4f);
    settings->energyAffectSpeedPercent = saved;
}

TEST_F(ActorTest, EnergyIsSpentOnlyWhileTheClockRuns)
{
    Recorder listener;
    auto actor = MakeActor(listener, run);
    s_actions->GetAction("run")->energyPerSecond = 3.0f;
    ActorCommand command;
    command.code = ActorInput::Run;
    float energy = 50.0f;
    // The pitch's update mask says whether the clock runs this frame.
    PitchSimulation::Instance()->Update(0.0f, PitchSimulation::kUpdateCollisions);
    actor->Update(0.5f, command, &energy, kRunSpeed, kRotationSpeed, -1);
    EXPECT_EQ(energy, 50.0f);
    PitchSimulation::Instance()->Update(0.0f, PitchSimulation::kUpdateClock);
    actor->Update(0.5f, command, &energy, kRunSpeed, kRotationSpeed, -1);
    EXPECT_NEAR(energy, 48.5f, 1e-4f);
    s_actions->GetAction("run")->energyPerSecond = 0.0f;
}

TEST_F(ActorTest, AnInactiveActorPlaysIdleWhenItsTimerRunsOut)
{
    Recorder listener;
    auto actor = MakeActor(listener, inactive);
    ActorCommand command;
    EXPECT_EQ(ActionName(*actor), "inactive");
    const float first = actor->GetIdleTimer();
    EXPECT_GE(first, 5.0f);
    EXPECT_LE(first, 25.0f);
    float waited = 0.0f;
    while (ActionName(*actor) != "idle" && waited < 30.0f) {
        Frame({{actor.get(), &command}}, 0.1f);
        waited += 0.1f;
    }
    EXPECT_NEAR(waited, first, 0.11f);
    EXPECT_GE(actor->GetIdleTimer(), 15.0f);
    EXPECT_LE(actor->GetIdleTimer(), 30.0f);
    EXPECT_STREQ(actor->GetStateName(), "inactive");

    actor->PlaceInState({}, 0.0f, new ActorState(stand));
    Frame({{actor.get(), &command}}, 0.1f);
    EXPECT_GE(actor->GetIdleTimer(), 5.0f);
    EXPECT_LE(actor->GetIdleTimer(), 25.0f);
}

TEST_F(ActorTest, ASlideTackleFloorsAHolderWithAFoulOnlyFromBehind)
{
    const struct {
        const char* name;
        Vector3 tackler;  // the holder stands at the origin facing +z
        bool holds, fieldPlayer;
        const ActorStateNode& holderNode;
        const char* state;
        bool foul;
    } cases[] = {
        {"from the front", {0, 0, 0.7f}, true, true, stand, "fallover", false},
        {"from behind", {0, 0, -0.7f}, true, true, stand, "fallover", true},
        {"from behind without the ball", {0, 0, -0.7f}, false, true, stand, "fallover", true},
        {"from the front without the ball", {0, 0, 0.7f}, false, true, stand, "fallover", true},
        {"a keeper", {0, 0, -0.7f}, true, false, stand, "stand", false},
        {"the referee", {0, 0, -0.7f}, false, false, refstand, "refstand", false},
        {"already down", {0, 0, -0.7f}, false, true, fallover, "fallover", false},
    };
    for (const auto& c : cases) {
        Recorder holderEars, tacklerEars;
        auto holder = MakeActor(holderEars, c.holderNode, {}, c.fieldPlayer);
        auto tackler = MakeActor(tacklerEars, slidetackle, c.tackler);
        if (c.holds)
            GiveBall(holderEars);
        const ActorState* before = holder->GetState();
        // The collision may replace the state: keep its node's name, not the state.
        const std::string beforeName = before->GetNode().name;
        holder->OnCollision({tackler.get()});
        EXPECT_STREQ(holder->GetStateName(), c.state) << c.name;
        EXPECT_EQ(holderEars.Heard("foul"), c.foul) << c.name;
        EXPECT_TRUE(holderEars.Heard("collision")) << c.name;
        if (std::string(c.state) == "fallover" && beforeName != "fallover") {
            EXPECT_NEAR(holder->DistanceTo(*tackler), 0.0f, 1e-4f) << c.name;
        }
        if (std::string(c.name) == "already down") {
            EXPECT_EQ(holder->GetState(), before) << c.name;
        }
        if (std::string(c.state) == "fallover" && beforeName != "fallover") {
            // Knocked away from the tackler, and the ball let go.
            EXPECT_FALSE(holder->HasBall()) << c.name;
            EXPECT_NEAR(std::fabs(Math::AngleDifference(holder->GetHeading(), c.tackler.z > 0 ? Math::Pi : 0.0f)),
                        0.0f, 1e-4f)
                << c.name;
        }
        holder->ReleaseBall();
    }
}

TEST_F(ActorTest, TheCarriedBallFollowsTheLocatorAndGoesWhenTheNodeCannotHoldIt)
{
    Recorder listener;
    auto actor = MakeActor(listener, standwithball, {3.0f, 0.0f, 4.0f});
    GiveBall(listener);
    ActorCommand command;
    for (int i = 0; i < 10; ++i)
        Frame({{actor.get(), &command}}, 1.0f / 60.0f);
    const Vector3 expected = actor->GetPosition() + actor->GetBallLocatorPosition() - actor->GetCollisionLocatorPoint();
    EXPECT_LT((ball.GetPosition() - expected).Length(), 0.05f);
    EXPECT_TRUE(actor->HasBall());
    EXPECT_TRUE(ball.IsHeld());

    command.code = ActorInput::FallOver;
    Frame({{actor.get(), &command}}, 1.0f / 60.0f);
    EXPECT_STREQ(actor->GetStateName(), "fallover");
    EXPECT_FALSE(actor->HasBall());
    EXPECT_FALSE(ball.IsHeld());
}

TEST_F(ActorTest, AKeeperEndingASaveWithTheBallStandsWithItAndTriggersAGoalKick)
{
    Recorder listener;
    auto keeper = MakeActor(listener, savemiddlecenter, {}, false);
    GiveBall(listener);
    ActorCommand command;
    for (int i = 0; i < 600 && std::string(keeper->GetStateName()) == "savemiddlecenter"; ++i)
        Frame({{keeper.get(), &command}}, 1.0f / 60.0f);
    EXPECT_STREQ(keeper->GetStateName(), "standwithball");
    EXPECT_EQ(ActionName(*keeper), "standwithball");
    EXPECT_TRUE(listener.Heard("Trigger Goal Kick"));
    EXPECT_TRUE(keeper->HasBall());
}

TEST_F(ActorTest, StrikingNodesMarkTheCommandAndFallingTakesItsDirection)
{
    Recorder listener;
    auto actor = MakeActor(listener, stand);
    ActorCommand command;
    command.code = ActorInput::Pass;
    command.hold = 1;
    actor->ApplyCommand(1.0f / 60.0f, command, nullptr);
    EXPECT_STREQ(actor->GetStateName(), "pass");
    EXPECT_EQ(command.strike, 1);
    EXPECT_EQ(command.hold, 0);

    command = ActorCommand{};
    command.code = ActorInput::FallOver;
    command.direction = 1.25f;
    actor->ApplyCommand(1.0f / 60.0f, command, nullptr);
    EXPECT_STREQ(actor->GetStateName(), "fallover");
    EXPECT_EQ(command.strike, 0);
    EXPECT_EQ(actor->GetHeading(), 1.25f);
}

TEST_F(ActorTest, FindPassReceiverTakesTheNearestInTheConeAndTheFirstOfEquals)
{
    Recorder ears[5];
    auto passer = MakeActor(ears[0], stand);
    auto far = MakeActor(ears[1], stand, {0, 0, 20});
    auto near = MakeActor(ears[2], stand, {0.5f, 0, 8});
    auto twin = MakeActor(ears[3], stand, {-0.5f, 0, 8});
    auto aside = MakeActor(ears[4], stand, {6, 0, 2});
    const std::vector<Actor*> team = {passer.get(), far.get(), near.get(), twin.get(), aside.get()};
    EXPECT_EQ(passer->FindPassReceiver(0.0f, team), near.get());
    EXPECT_EQ(passer->FindPassReceiver(0.0f, {passer.get(), twin.get(), near.get()}), twin.get());
    EXPECT_EQ(passer->FindPassReceiver(Math::HalfPi - 0.3f, team), aside.get());
    EXPECT_EQ(passer->FindPassReceiver(Math::Pi, team), nullptr);
    // Without a receiver the pass goes the default distance ahead.
    const Vector3 target = passer->GetPassTarget(Math::Pi, team, {}, true);
    EXPECT_NEAR(target.z, -GameSettings::Instance()->passDefaultDist, 1e-3f);
}

TEST_F(ActorTest, NeedsHighPassWhenAnOpponentBlocksOrTheTargetIsFar)
{
    Recorder ears[3];
    auto passer = MakeActor(ears[0], stand);
    auto blocker = MakeActor(ears[1], stand, {0.2f, 0, 5});
    auto aside = MakeActor(ears[2], stand, {3, 0, 5});
    const Vector3 target{0, 0, 10};
    EXPECT_TRUE(passer->NeedsHighPass(target, {blocker.get()}));
    EXPECT_FALSE(passer->NeedsHighPass(target, {aside.get()}));
    EXPECT_FALSE(passer->NeedsHighPass(target, {}));
    EXPECT_TRUE(passer->NeedsHighPass({0, 0, GameSettings::Instance()->maxShortPassDist + 1}, {}));
    // A lofted pass over the blocker aims up the receiver's body.
    Recorder receiverEars;
    auto receiver = MakeActor(receiverEars, stand, target);
    EXPECT_NEAR(passer->GetPassTargetPosition(*receiver, {blocker.get()}, true).y, 0.75f * receiver->GetHeight(),
                1e-4f);
    EXPECT_EQ(passer->GetPassTargetPosition(*receiver, {blocker.get()}, false).y, 0.0f);
}

TEST_F(ActorTest, TheShirtGoesOnShirtTexturesOnlyAndAMissingImageChangesNothing)
{
    Recorder listener;
    auto actor = MakeActor(listener, stand);
    const std::vector<RwTexture*> shirts = ShirtTextures(*actor);
    ASSERT_FALSE(shirts.empty());
    const std::string shirtName = RwTextureGetName(shirts.front());
    const std::string shirt = StagePath("Characters/Panda/Textures24Bit/Var01/panda_shirt.png");
    RwTexDictionary* current = RwTexDictionaryGetCurrent();

    LogCapture log;
    EXPECT_FALSE(actor->SetShirtTexture(shirt, StagePath("no_number.png"), Color(1, 0, 0, 1), false));
    EXPECT_FALSE(actor->SetShirtTexture(StagePath("no_shirt.png"), shirt, Color(1, 0, 0, 1), false));
    EXPECT_EQ(ShirtTextures(*actor), shirts);
    EXPECT_EQ(RwTexDictionaryGetCurrent(), current);

    const struct {
        const char* name;
        int matched;
    } names[] = {{"PANDA_SHIRT", 1}, {"_shirt", 0}, {"x_Shirt", 1}, {"panda_shirts", 0}};
    for (const auto& n : names) {
        RwTextureSetName(ShirtTextures(*actor).front(), n.name);
        EXPECT_TRUE(actor->SetShirtTexture(shirt, shirt, Color(0, 0, 1, 1), true)) << n.name;
        EXPECT_EQ(actor->GetShirtMaterialCount(), n.matched) << n.name;
        EXPECT_EQ(RwTexDictionaryGetCurrent(), current) << n.name;
    }
    RwTextureSetName(ShirtTextures(*actor).front(), shirtName.c_str());
    EXPECT_TRUE(actor->SetShirtTexture(shirt, shirt, Color(0, 0, 1, 1), false));
    EXPECT_EQ(actor->GetShirtMaterialCount(), 1);
    EXPECT_NE(ShirtTextures(*actor).front(), shirts.front());
    EXPECT_STREQ(RwTextureGetName(ShirtTextures(*actor).front()), shirtName.c_str());
}

TEST_F(ActorTest, SetMaterialColorRefusesIndicesOutOfRange)
{
    Recorder listener;
    auto actor = MakeActor(listener, stand);
    LogCapture log;
    EXPECT_FALSE(actor->SetMaterialColor(-1, 0, Color(1, 0, 0, 1)));
    EXPECT_FALSE(actor->SetMaterialColor(99, 0, Color(1, 0, 0, 1)));
    EXPECT_FALSE(actor->SetMaterialColor(0, 999, Color(1, 0, 0, 1)));
    EXPECT_EQ(log.Count("Actor::SetMaterialColor has invalid atomic number"), 2);
    EXPECT_EQ(log.Count("Actor::SetMaterialColor has invalid material number 999"), 1);
    ASSERT_TRUE(actor->SetMaterialColor(0, 0, Color(1, 0, 0, 1)));
    std::vector<RpAtomic*> atomics;
    actor->GetClump()->GetAtomics(atomics);
    EXPECT_EQ(atomics[0]->geometry->matList.materials[0]->color.red, 255);
    EXPECT_EQ(atomics[0]->geometry->matList.materials[0]->color.green, 0);
}

TEST_F(ActorTest, ActorsOfOneModelShareTheCachedClumpAndGiveItBack)
{
    Recorder a, b;
    auto first = MakeActor(a, stand);
    auto second = MakeActor(b, stand);
    ActorClumpCache* cache = ActorClumpCache::Instance();
    EXPECT_EQ(first->GetClump(), second->GetClump());
    EXPECT_EQ(cache->GetUseCount(first->GetClump()), 2);
    second.reset();
    EXPECT_EQ(cache->GetUseCount(first->GetClump()), 1);
    EXPECT_GT(first->GetClump()->GetAnimationCount(), 0);
}

TEST_F(ActorTest, VolumesPushTheActorBackAndATargetPostKeepsItOnItsCircle)
{
    Recorder listener;
    auto actor = MakeActor(listener, run);
    CylindricalPitchVolume post;
    post.SetCollisionName("collidecylinder");
    post.SetPosition({0.0f, 0.0f, 1.0f});
    post.GetCylinder().radius = 5.0f;
    PlanarPitchVolume wall;
    wall.SetCollisionName("collideplane");
    wall.GetPlane().normal = Vector3{-1.0f, 0.0f, 0.0f};

    const struct {
        Collidable* hit;
        bool contact;
        Vector3 velocity;
    } cases[] = {
        {&post, true, {1.0f, 0.0f, 0.0f}},   // the part towards the post goes
        {&post, false, {1.0f, 0.0f, 4.0f}},  // contact switched off
        {&wall, true, {0.0f, 0.0f, 4.0f}},
    };
    for (const auto& c : cases) {
        actor->pitchVolumeContact = c.contact;
        actor->SetVelocity({1.0f, 0.0f, 4.0f});
        actor->OnCollision({c.hit});
        EXPECT_LT((actor->GetVelocity() - c.velocity).Length(), 1e-5f) << c.hit->GetCollisionName();
    }

    actor->pitchVolumeContact = true;
    actor->PlaceInState({5.0f, 0.0f, 1.0f}, 0.0f, new ActorState(run));
    ActorCommand command;
    command.code = ActorInput::Run;
    command.target = &post;
    for (int i = 0; i < 120; ++i) {
        Frame({{actor.get(), &command}}, 1.0f / 60.0f);
        EXPECT_NEAR((actor->GetPosition() - post.GetPosition()).Length(), 5.0f, 0.05f) << i;
    }
    EXPECT_GT(actor->GetPosition().z, 3.0f);
}

// A player walking on or off is out of play: contacts with the ball and with other players
// go unheard, his own and theirs, while the pitch volumes still hold him.
TEST_F(ActorTest, AnActorOutOfPlayNeitherTouchesTheBallNorBumpsIntoAnybody)
{
    const struct {
        bool ownInPlay, otherInPlay;
        std::vector<std::string> ownLog, otherLog;
    } cases[] = {
        {true, true, {"ball", "collision"}, {"collision"}},
        {false, true, {}, {}},
        {true, false, {"ball"}, {}},
    };
    for (const auto& c : cases) {
        Recorder ears[2];
        auto own = MakeActor(ears[0], stand);
        auto other = MakeActor(ears[1], stand, {0.5f, 0.0f, 0.0f});
        own->inPlay = c.ownInPlay;
        other->inPlay = c.otherInPlay;
        own->OnCollision({&ball, other.get()});
        other->OnCollision({own.get()});
        EXPECT_EQ(ears[0].log, c.ownLog) << c.ownInPlay << c.otherInPlay;
        EXPECT_EQ(ears[1].log, c.otherLog) << c.ownInPlay << c.otherInPlay;
        own->ReleaseBall();
        ball.ReleasePossession(1);
        ball.ForgetToucher(&ears[0]);
    }
}

TEST_F(ActorTest, TheBallLocatorEndsAtItsDurationAndAnEmptyNameDropsIt)
{
    CharacterAction action;
    action.SetBallLocatorName(StagePath("Characters/Animations/pass_ball.anm"));
    ASSERT_NE(action.GetBallLocator(), nullptr);
    const float d = action.GetBallLocator()->GetDuration();
    ASSERT_GT(d, 0.0f);
    const auto ends = [&](float t0, float t1) {
        for (const CharacterActionEvent* event : action.GetEventsBetween(t0, t1)) {
            if (event->type == 1)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(ends(d, d + 0.1f));
    EXPECT_TRUE(ends(d - 0.1f, d + 0.01f));
    EXPECT_FALSE(ends(d - 0.1f, d));
    action.SetBallLocatorName("");
    EXPECT_EQ(action.GetBallLocator(), nullptr);
    EXPECT_FALSE(ends(d, d + 0.1f));
}

TEST_F(ActorTest, ANewActorStandsInItsStartNodeAndItsClumpPlaysTheAction)
{
    const std::string folder = StagePath("Characters/Panda/Textures24Bit/");
    Recorder listener;
    Actor referee(folder + "Var00/;" + folder + "Common/", StagePath("Characters/Panda/Panda.DFF"), s_actions,
                  &listener, refstand, false);
    EXPECT_STREQ(referee.GetStateName(), "refstand");
    EXPECT_EQ(ActionName(referee), "refstand");
    EXPECT_FALSE(referee.IsFieldPlayer());
    ActorCommand command;
    for (int i = 0; i < 30; ++i)
        Frame({{&referee, &command}}, 1.0f / 60.0f);
    EXPECT_NEAR(referee.GetClump()->GetTime(), 0.5f, 1e-3f);
    EXPECT_NEAR(referee.GetActionTime(), 0.5f, 1e-3f);
}

TEST_F(ActorTest, DistancesLeaveOutBothRadii)
{
    Recorder ears[2];
    auto first = MakeActor(ears[0], stand);
    auto second = MakeActor(ears[1], stand, {3, 0, 4});
    EXPECT_NEAR(first->DistanceTo(*second), 5.0f - 0.8f, 1e-5f);
    second->PlaceInState({0.3f, 0, 0}, 0.0f, new ActorState(stand));
    EXPECT_EQ(first->DistanceTo(*second), 0.0f);
    // Exactly at the short-pass limit a ground pass still does.
    EXPECT_FALSE(first->NeedsHighPass({0, 0, GameSettings::Instance()->maxShortPassDist}, {}));
    EXPECT_TRUE(first->IsFacing({0, 0, 3}, 0.1f));
    EXPECT_FALSE(first->IsFacing({3, 0, 0}, 0.1f));
    EXPECT_TRUE(first->IsFacing(first->GetPosition(), 0.0f));
}

TEST_F(ActorTest, IsOnScreenTestsTheOffsetSphereAgainstThePrimaryCamera)
{
    Recorder listener;
    auto actor = MakeActor(listener, stand);
    RwGraphics* graphics = RwGraphics::Instance();
    const Vector3 eye = graphics->GetCameraPosition();
    // The camera looks along its at row, whichever way the frame is stored.
    const Matrix3 frame = graphics->GetCameraMatrix();
    Vector3 at = frame.GetRow(2);
    if (at.LengthSquared() == 0.0f)
        at = frame.Transform(Vector3{0.0f, 0.0f, 1.0f});
    EXPECT_TRUE(actor->IsOnScreen(eye + at * 10.0f - actor->GetPosition()));
    EXPECT_FALSE(actor->IsOnScreen(eye - at * 10.0f - actor->GetPosition()));
}

TEST_F(ActorTest, TheParticleWordCarriesTheGroundAmountAndTheSpecialBit)
{
    Recorder listener;
    auto actor = MakeActor(listener, run);
    ActorCommand command;
    command.code = ActorInput::Run;
    const auto word = [&](const ActorStateNode& node, bool effects) {
        Ball::s_highQuality = effects;
        actor->PlaceInState({}, 0.0f, new ActorState(node));
        for (int i = 0; i < 10; ++i)
            Frame({{actor.get(), &command}}, 1.0f / 60.0f);
        Ball::s_highQuality = true;
        const uint32_t bits = actor->GetParticleWord();
        // The ground amount as the word holds it: speed x 0.05 x 64.
        const auto expected = static_cast<uint32_t>(actor->GetVelocity().Length() * 0.05f * 64.0f);
        EXPECT_NEAR(static_cast<float>(bits >> 16), static_cast<float>(expected), 1.0f) << node.name;
        return bits & 0xffffu;
    };
    EXPECT_EQ(word(run, true), 0u);
    EXPECT_EQ(word(specialmove, true), 1u);
    EXPECT_GT(actor->GetParticleWord() >> 16, 0u);
    Ball::s_highQuality = false;
    actor->PlaceInState({}, 0.0f, new ActorState(specialmove));
    Frame({{actor.get(), &command}}, 1.0f / 60.0f);
    Ball::s_highQuality = true;
    EXPECT_EQ(actor->GetParticleWord(), 0u);
}

TEST_F(ActorTest, WhileTheReplayRecordsTheClumpIsRecordedAndPlayedBackInItsSlot)
{
    Recorder firstListener, secondListener;
    auto first = MakeActor(firstListener, run);
    auto second = MakeActor(secondListener, stand);
    second->PlaceInState({5, 0, 0}, 0.0f, new ActorState(specialmove));
    ActorCommand running, standing;
    running.code = ActorInput::Run;
    ReplayEngine* replay = ReplayEngine::Instance();
    replay->SetEnabled(true);
    std::vector<Vector3> recorded;
    for (int i = 0; i < 30; ++i) {
        replay->Tick(1.0f / 60.0f);
        Frame({{first.get(), &running}, {second.get(), &standing}}, 1.0f / 60.0f);
        recorded.push_back(first->GetClump()->GetPosition());
    }
    replay->StartReplay(1.0f);
    const Vector3 ran = first->GetPosition();
    // Now standing elsewhere, out of the special state.
    second->PlaceInState({8, 0, 0}, 0.0f, new ActorState(stand));
    replay->Tick(0.0f);
    Frame({{first.get(), &running}, {second.get(), &standing}}, 0.0f);
    // Each clump shows its own first frame with its word; the body stays where it ran to.
    EXPECT_EQ(std::tuple(first->GetClump()->GetPosition(), second->GetClump()->GetPosition().x, first->GetPosition()),
              std::tuple(recorded.front(), 5.0f, ran));
    EXPECT_EQ(second->GetParticleWord() & 1u, 1u);
    ReplayEngine::DestroyInstance();
}

namespace {

class Player : public CharacterActionPlayer {
public:
    void OnActionEvent(const CharacterActionEvent&) override {}
};

}  // namespace

TEST_F(ActorTest, ThePlayerPlacesTheBallAtTheLocatorAndScalesTheAnimationsTurn)
{
    // A throw-in carries the ball in the hands, which move.
    CharacterAction& throwing = *s_actions->GetAction("throwinpass");
    ASSERT_NE(throwing.GetBallLocator(), nullptr);
    Player player;
    player.SetAction(&throwing);
    player.SetSpeed(1.0f, 0.0f);
    const float t = throwing.GetBallLocator()->GetDuration() * 0.6f;
    player.UpdateAction(t);
    Locator reference;
    reference.PlayAnimation(StagePath("Characters/Animations/throwinpass_ball.anm"));
    reference.Update(0.0f);
    const Vector3 atStart = reference.GetPosition();
    reference.SetTime(t);
    reference.Update(0.0f);
    ASSERT_GT((reference.GetPosition() - atStart).Length(), 0.01f);
    EXPECT_LT((player.GetBallLocatorPoint() - reference.GetPosition()).Length(), 1e-4f);

    CharacterAction turning;
    turning.GetAnimation().SetFileName(StagePath("Characters/Animations/run.anm"));
    turning.GetAnimation().SetRates(0.0f, 2.0f, 1.0f, MovingAnimation::kRotation);
    player.SetAction(&turning);
    const struct {
        float turn, ratio;
    } cases[] = {{1.0f, 0.5f}, {-1.0f, 0.5f}, {5.0f, 1.0f}, {0.0f, 0.0f}};
    for (const auto& c : cases) {
        player.SetSpeed(0.0f, c.turn);
        EXPECT_NEAR(player.GetTurnRatio(), c.ratio, 1e-4f) << c.turn;
    }
}

namespace {

// The plugin tests' wall world (a floor at y = 0 round the origin) as the renderer's world,
// for the shadows to fall on.
class FloorWorld : public World {
public:
    FloorWorld()
    {
        m_world = worldtest::MakeWallWorld();
        RwGraphics::Instance()->SetWorld(this);
    }
    ~FloorWorld() override { RwGraphics::Instance()->SetWorld(nullptr); }
};

// What one Render of the actor leaves on the null device within a camera update.
std::vector<RwNullDrawRecord> Drawn(Actor& actor)
{
    Camera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    EXPECT_TRUE(camera->BeginUpdate());
    RwNullDeviceGet()->ClearLog();
    actor.Render();
    std::vector<RwNullDrawRecord> draws = RwNullDeviceGet()->draws;
    camera->EndUpdate();
    return draws;
}

// Draws out of the shadow's texture: its raster, or the sheet it is a tile of.
int CountDraws(const std::vector<RwNullDrawRecord>& draws, const RwRaster* shadow, bool lines)
{
    return static_cast<int>(std::count_if(draws.begin(), draws.end(), [&](const RwNullDrawRecord& draw) {
        return lines ? draw.type == rwPrimTypeLineList : !draw.isMesh && shadow && draw.texture == shadow->parent;
    }));
}

Vector3 At(const RwIm3DVertex& vertex) { return {vertex.objVertex.x, vertex.objVertex.y, vertex.objVertex.z}; }

}  // namespace

TEST_F(ActorTest, TheShadowIsCastAndDrawnOnlyWithEffectsOn)
{
    ScopedPicturesShown shown;
    FloorWorld floor;
    Recorder listener;
    auto actor = MakeActor(listener, stand, {1.0f, 0.0f, 2.0f});
    ActorCommand command;
    const RwRaster* const none = nullptr;
    Ball::s_highQuality = false;
    Frame({{actor.get(), &command}}, 1.0f / 60.0f);
    EXPECT_EQ(actor->GetShadow()->GetResult(), none);
    Ball::s_highQuality = true;
    Frame({{actor.get(), &command}}, 1.0f / 60.0f);
    RwRaster* shadow = actor->GetShadow()->GetResult();
    ASSERT_NE(shadow, none);
    // Framed by twice the actor's radius or his height, whichever is more, and laid under him.
    const float framed = std::max(2.0f * actor->GetRadius(), actor->GetHeight());
    EXPECT_GT(actor->GetHeight(), 2.0f * actor->GetRadius());
    EXPECT_FLOAT_EQ(actor->GetShadow()->GetShadowCamera()->viewWindow.x, (framed + 0.1f) * 1.1f);

    for (bool effects : {true, false}) {
        Ball::s_highQuality = effects;
        const std::vector<RwNullDrawRecord> draws = Drawn(*actor);
        // Softened as the camera began: the texture laid down.
        shadow = actor->GetShadow()->GetResult();
        EXPECT_EQ(CountDraws(draws, shadow, false) > 0, effects) << effects;
        EXPECT_TRUE(std::any_of(draws.begin(), draws.end(), [](const auto& d) { return d.isMesh; })) << effects;
        EXPECT_EQ(CountDraws(draws, shadow, true), 0) << effects;
        EXPECT_TRUE(Near(actor->GetShadow()->GetProjector()->GetPosition(), actor->GetClump()->GetPosition()));
    }
    Ball::s_highQuality = true;
}

TEST_F(ActorTest, TheShadowTakesTheLevelsLightAtBirthAndAtDrawsOnlyWhenAsked)
{
    LevelSettings* level = LevelSettings::Instance();
    const Quaternion savedLight = level->lightDirection;
    const bool savedUpdate = level->updateLight;
    const auto lightAt = [](const Actor& actor) {
        return V(RwFrameGetLTM(RwCameraGetFrame(actor.GetShadow()->GetShadowCamera()))->at);
    };
    const Quaternion slanted(0.5f, Vector3::UnitZ);
    level->lightDirection = slanted;
    Recorder listener;
    auto actor = MakeActor(listener, stand);
    const Vector3 born = lightAt(*actor);
    EXPECT_TRUE(Near(born, slanted.Rotate(Vector3::UnitZ)));

    level->lightDirection = ProjectedShadow::DefaultLightDirection();
    for (bool update : {false, true}) {
        level->updateLight = update;
        Drawn(*actor);
        EXPECT_TRUE(Near(lightAt(*actor), update ? Vector3{0.0f, -1.0f, 0.0f} : born)) << update;
    }
    level->lightDirection = savedLight;
    level->updateLight = savedUpdate;
}

TEST_F(ActorTest, TheCollisionCylinderAndBallLocatorAreOutlinedOnlyWithCollisionDataOn)
{
    Recorder listener;
    auto actor = MakeActor(listener, stand, {1.0f, 0.0f, 2.0f});
    ActorCommand command;
    Frame({{actor.get(), &command}}, 1.0f / 60.0f);
    GameSettings* settings = GameSettings::Instance();
    for (bool display : {false, true}) {
        settings->displayCollisionData = display;
        const std::vector<RwNullDrawRecord> draws = Drawn(*actor);
        settings->displayCollisionData = false;
        std::vector<RwNullDrawRecord> lines;
        std::copy_if(draws.begin(), draws.end(), std::back_inserter(lines),
                     [](const RwNullDrawRecord& d) { return d.type == rwPrimTypeLineList; });
        ASSERT_EQ(lines.size(), display ? 2u : 0u) << display;
        if (!display)
            continue;
        // The cylinder stands on the actor's feet: its first point on the bottom ring, the
        // next on the top one.
        const Vector3 bottom = At(lines[0].vertices3D.at(0)), top = At(lines[0].vertices3D.at(1));
        EXPECT_NEAR(bottom.y, 0.0f, 1e-4f);
        EXPECT_NEAR(top.y, actor->GetHeight(), 1e-4f);
        EXPECT_NEAR((Vector3(bottom.x, 0.0f, bottom.z) - actor->GetPosition()).Length(), actor->GetRadius(), 1e-4f);
        // The ball locator's mark: a sphere of the ball's size about where a carried ball goes.
        const Vector3 carry = actor->GetBallLocatorPosition() + actor->GetPosition() - actor->GetCollisionLocatorPoint();
        EXPECT_NEAR((At(lines[1].vertices3D.at(0)) - carry).Length(), CharacterActionPlayer::GetBallRadius(), 1e-4f);
    }
}
