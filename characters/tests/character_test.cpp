// A character's ball play and what it tells the match: passes, shots, keeper touches,
// fouls, snags, and how a character is built when its data is missing.
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/KeeperBrain.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Message.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameSettings.h"
#include "settings/MatchSettings.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"
#include "support/CharacterKickAbout.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ShippedSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kPi = 3.14159265f;

// The match messages a character sends, with their parameters.
class Messages : public MessageListener {
public:
    Messages() { MessageServer::Instance()->RegisterListener(this); }
    ~Messages() override { MessageServer::Instance()->UnregisterListener(this); }
    int OnMessage(int message, intptr_t param) override
    {
        const std::string name = MessageServer::Instance()->GetMessageName(message);
        for (const char* kept : {"did pass", "did shot", "goal kick", "penalty foul", "free kick foul", "Snagged",
                                 "actor collision"}) {
            if (name == kept)
                heard.push_back({name, param});
        }
        return 0;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& [name, param] : heard)
            names.push_back(name);
        return names;
    }

    std::vector<std::pair<std::string, intptr_t>> heard;
};

class CharacterTest : public CharacterKickAbout {
protected:
    static intptr_t Of(const void* pointer) { return reinterpret_cast<intptr_t>(pointer); }

    Messages messages;
};

TEST_F(CharacterTest, APassLandsAtTheTeamMateWhoTakesIt)
{
    Character* a = Add(home, Character::kFieldPlayer, "PandaPl00", {0.0f, 0.0f, 0.0f});
    Character* b = Add(home, Character::kFieldPlayer, "PandaPl01", {0.0f, 0.0f, 12.0f}, kPi);
    GiveBallTo(*a);
    a->Pass(b->GetActor()->GetPosition(), true);
    EXPECT_EQ(messages.heard, (decltype(messages.heard){{"did pass", Of(a)}}));
    EXPECT_FALSE(a->GetActor()->HasBall());
    EXPECT_GE(ball.GetPhysicsVelocity().y, 0.0f);
    // The ball is followed on its way; the receiver takes it when it arrives.
    float nearest = 1e9f;
    for (int frame = 0; frame < 240 && !b->GetActor()->HasBall(); ++frame) {
        pitch->Update(kFrame, PitchSimulation::kUpdateCollisions | PitchSimulation::kUpdateBall);
        const Vector3 gap = ball.GetPosition() - b->GetActor()->GetPosition();
        nearest = std::min(nearest, std::hypot(gap.x, gap.z));
    }
    EXPECT_TRUE(b->GetActor()->HasBall());
    EXPECT_LT(nearest, 1.0f);
    EXPECT_EQ(ball.GetLastToucher(), b);
}

TEST_F(CharacterTest, APassWithNowhereToGoFollowsTheHeadingAndNoneLeavesDownwards)
{
    Character* a = Add(home, Character::kFieldPlayer, "PandaPl00", {0.0f, 0.0f, 0.0f}, kPi / 2);
    // Straight above the ball locator: no distance to cover, so no velocity.
    const Vector3 locator = a->GetActor()->GetPosition() + a->GetActor()->GetBallLocatorPosition();
    EXPECT_EQ(a->ComputeKickVelocity(locator + Vector3{0.0f, 3.0f, 0.0f}), Vector3{});

    GiveBallTo(*a);
    a->Pass(locator, true);
    const Vector3 along = ball.GetPhysicsVelocity();
    EXPECT_NEAR(along.x, 1.0f, 1e-5f);
    EXPECT_NEAR(along.z, 0.0f, 1e-5f);
    EXPECT_EQ(along.y, 0.0f);

    // A target below the feet would send the ball into the ground: it leaves level.
    GiveBallTo(*a);
    a->Pass(a->GetActor()->GetPosition() + Vector3{5.0f, -3.0f, 0.0f}, true);
    EXPECT_EQ(ball.GetPhysicsVelocity().y, 0.0f);
    EXPECT_GT(ball.GetPhysicsVelocity().x, 0.0f);
}

TEST_F(CharacterTest, AShotSaysSoWithoutAParameterAndRisesUnlessFlat)
{
    Character* a = Add(home, Character::kFieldPlayer, "PandaPl00", {});
    GiveBallTo(*a);
    a->GetActor()->kickPower = 1.0f;
    a->Shoot(0.0f, 1.0f, false, true, false);
    EXPECT_EQ(messages.heard, (decltype(messages.heard){{"did shot", 0}}));
    const MatchSettings& settings = *MatchSettings::Instance();
    const float speed = settings.minShotSpeed +
                        (settings.maxShotSpeed - settings.minShotSpeed) * a->GetVariation()->shooting.level / 100.0f;
    EXPECT_NEAR(ball.GetPhysicsVelocity().Length(), speed, 1e-3f);
    EXPECT_GT(ball.GetPhysicsVelocity().y, 0.0f);
    EXPECT_GT(ball.GetPhysicsVelocity().z, 0.0f);
    EXPECT_EQ(a->GetActor()->kickPower, 0.0f);
    // Without the ball the message still goes, but nothing is kicked.
    ball.SetVelocity({});
    a->Shoot(0.0f, 1.0f, true, true, false);
    EXPECT_EQ(ball.GetPhysicsVelocity(), Vector3{});
}

TEST_F(CharacterTest, AKeeperDeflectsABallFromBehindAndCatchesOneFromTheFront)
{
    MatchSettings* settings = MatchSettings::Instance();
    settings->minDeflectSpeed = 5.0f;
    settings->maxDeflectSpeed = 15.0f;
    settings->maxDeflectAngle = 0.5f;
    settings->loftDeflectAngle = 0.3f;
    Character* keeper = Add(home, Character::kGoalkeeper, "PandaGk00", {0.0f, 0.0f, 0.0f});
    Character* mate = Add(home, Character::kFieldPlayer, "PandaPl00", {-5.0f, 0.0f, 20.0f});
    // Behind the keeper, who faces +z: deflected even by an action without a "Deflect" event.
    ball.SetPosition({0.0f, 0.5f, -0.5f});
    keeper->OnBallTouched(ball, true, false);
    EXPECT_FALSE(keeper->GetActor()->HasBall());
    EXPECT_FALSE(ball.IsHeld());
    // Towards the free team-mate ahead, rising.
    const Vector3 deflected = ball.GetPhysicsVelocity();
    EXPECT_GT(deflected.y, 0.0f);
    EXPECT_NEAR(std::atan2(deflected.x, deflected.z), std::atan2(-5.0f, 20.0f), 1e-4f);
    EXPECT_TRUE(messages.heard.empty());
    // Nobody ahead: away from the keeper, along the ball's side.
    mate->GetActor()->SetPosition({0.0f, 0.0f, -30.0f});
    ball.SetPosition({0.5f, 0.5f, -0.5f});
    keeper->OnBallTouched(ball, true, false);
    EXPECT_NEAR(std::atan2(ball.GetPhysicsVelocity().x, ball.GetPhysicsVelocity().z), std::atan2(0.5f, -0.5f), 1e-4f);

    // In front, in a save: caught, and no restart.
    ball.SetPosition({0.0f, 0.5f, 0.5f});
    Put(*keeper, {}, 0.0f, ActorNodes::savemiddlecenter);
    keeper->OnBallTouched(ball, true, false);
    EXPECT_TRUE(keeper->GetActor()->HasBall());
    EXPECT_TRUE(messages.heard.empty());

    // Standing: caught, and the keeper's kick is called for.
    keeper->GetActor()->ReleaseBall();
    ball.ReleasePossession(1);
    Put(*keeper, {}, 0.0f, ActorNodes::stand);
    ball.SetPosition({0.0f, 0.5f, 0.5f});
    keeper->OnBallTouched(ball, true, false);
    EXPECT_TRUE(keeper->GetActor()->HasBall());
    EXPECT_EQ(messages.heard, (decltype(messages.heard){{"goal kick", Of(keeper)}}));
}

// The catch and every action on the way to the kick announce it; the match hears it once per
// catch, and again only after the keeper has let the ball go.
TEST_F(CharacterTest, AKeeperAnnouncesHisKickOncePerCatch)
{
    Character* keeper = Add(home, Character::kGoalkeeper, "PandaGk00", {});
    const auto trigger = [&] {
        keeper->OnActionEvent(CharacterActionEvent(static_cast<int32_t>(ActionEventType::TriggerGoalKick), -1.0f));
    };
    const auto catchBall = [&] {
        ball.ReleasePossession(1);
        ball.SetPosition({0.0f, 0.5f, 0.5f});
        keeper->OnBallTouched(ball, true, false);
        ASSERT_TRUE(keeper->GetActor()->HasBall());
    };
    Put(*keeper, {}, 0.0f, ActorNodes::stand);
    catchBall();
    // Each set piece puts him in its node and hands him the ball again within the frame.
    for (const ActorStateNode* node : {&ActorNodes::standwithball, &ActorNodes::kickoff, &ActorNodes::keeperkickwait}) {
        Put(*keeper, {}, 0.0f, *node);
        catchBall();
        trigger();
        keeper->Update(kFrame);
    }
    EXPECT_EQ(messages.Names(), (std::vector<std::string>{"goal kick"}));

    keeper->GetActor()->ReleaseBall();
    keeper->Update(kFrame);
    Put(*keeper, {}, 0.0f, ActorNodes::stand);
    catchBall();
    trigger();
    EXPECT_EQ(messages.Names(), (std::vector<std::string>{"goal kick", "goal kick"}));
}

// A ball played at a player glances off him while he is still in his own kick; once he runs
// again he traps it.
TEST_F(CharacterTest, APlayerInHisKicksFollowThroughCannotTrapTheBall)
{
    const struct {
        const ActorStateNode* node;
        bool traps;
    } cases[] = {{&ActorNodes::shoot, false}, {&ActorNodes::pass, false}, {&ActorNodes::run, true}};
    Character* player = Add(home, Character::kFieldPlayer, "PandaPl00", {});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node->name);
        Put(*player, {}, 0.0f, *c.node);
        ball.ReleasePossession(1);
        ball.ForgetToucher(player);
        // Knee high as it arrives: no pitch stops it falling in this scene.
        ball.SetBallPosition({0.0f, 1.0f, 6.0f});
        ball.SetVelocity({0.0f, 0.0f, -15.0f});
        for (int frame = 0; frame < 30 && ball.GetLastToucher() != player; ++frame)
            pitch->Update(kFrame, PitchSimulation::kUpdateCollisions | PitchSimulation::kUpdateBall);
        EXPECT_EQ(ball.GetLastToucher(), player);
        EXPECT_EQ(player->GetActor()->HasBall(), c.traps);
        player->GetActor()->ReleaseBall();
    }
}

TEST_F(CharacterTest, AFoulInTheAreaTheFoulingSideDefendsIsAPenaltyEitherWay)
{
    // The first side defends the left area, at +x; the second the right one, at -x.
    Cast* objects = CastManager::Instance()->CreateCast("objects");
    CubicPitchVolume left, right;
    left.SetPosition({30.0f, 0.0f, -10.0f});
    right.SetPosition({-40.0f, 0.0f, -10.0f});
    for (CubicPitchVolume* area : {&left, &right})
        area->GetCube().size = {10.0f, 5.0f, 20.0f};
    objects->AddMember(&left, "LeftPenaltyArea", false);
    objects->AddMember(&right, "RightPenaltyArea", false);

    Character* first = Add(home, Character::kFieldPlayer, "PandaPl00", {});
    Character* second = Add(away, Character::kFieldPlayer, "PandaPl01", {});
    struct Case {
        Character* fouled;
        Character* offender;
        Vector3 spot;
        const char* heard;
    };
    const Case cases[] = {{second, first, {35.0f, 0.0f, 0.0f}, "penalty foul"},
                          {second, first, {-35.0f, 0.0f, 0.0f}, "free kick foul"},
                          {first, second, {-35.0f, 0.0f, 0.0f}, "penalty foul"},
                          {first, second, {35.0f, 0.0f, 0.0f}, "free kick foul"}};
    for (const Case& c : cases) {
        messages.heard.clear();
        Put(*c.fouled, c.spot, 0.0f, ActorNodes::stand);
        c.fouled->OnStrike(*c.offender->GetActor());
        EXPECT_EQ(messages.Names(), std::vector<std::string>{c.heard}) << c.spot.x;
        EXPECT_EQ(c.fouled->GetFoulRecord().offender, c.offender);
        EXPECT_EQ(c.fouled->GetFoulRecord().spot, c.spot);
    }
    // A team-mate's knock is no foul.
    messages.heard.clear();
    Character* mate = Add(home, Character::kFieldPlayer, "PandaPl02", {1.0f, 0.0f, 0.0f});
    first->OnStrike(*mate->GetActor());
    EXPECT_TRUE(messages.heard.empty());
    objects->RemoveMember(&left);
    objects->RemoveMember(&right);
}

TEST_F(CharacterTest, ASnagFromTheFrontTakesTheBallFromBehindOrByTheRefereeNever)
{
    GameSettings* settings = GameSettings::Instance();
    const float savedAngles[] = {settings->snagAttackerAngle, settings->snagDefenderAngle};
    settings->snagAttackerAngle = 0.8f;
    settings->snagDefenderAngle = 1.6f;
    Character* holder = Add(away, Character::kFieldPlayer, "PandaPl00", {0.0f, 0.0f, 1.0f}, kPi);
    Character* snagger = Add(home, Character::kFieldPlayer, "PandaPl01", {0.0f, 0.0f, 0.0f}, 0.0f);
    auto referee = std::make_unique<Character>(Character::kReferee, "Referee", nullptr);
    Put(*referee, {0.0f, 0.0f, 0.0f}, 0.0f, ActorNodes::refstand);

    // The holder turned away: it keeps the ball.
    Put(*holder, {0.0f, 0.0f, 1.0f}, 0.0f, ActorNodes::stand);
    GiveBallTo(*holder);
    snagger->OnSnagged();
    EXPECT_TRUE(holder->GetActor()->HasBall());
    // The referee never takes it, whatever the geometry.
    Put(*holder, {0.0f, 0.0f, 1.0f}, kPi, ActorNodes::stand);
    GiveBallTo(*holder);
    referee->OnSnagged();
    EXPECT_TRUE(holder->GetActor()->HasBall());
    EXPECT_TRUE(messages.heard.empty());
    // A keeper holding the ball is never snagged.
    Character* keeper = Add(away, Character::kGoalkeeper, "PandaGk00", {0.0f, 0.0f, 1.0f}, kPi);
    Put(*holder, {0.0f, 0.0f, 8.0f}, kPi, ActorNodes::stand);
    GiveBallTo(*keeper);
    snagger->OnSnagged();
    EXPECT_TRUE(keeper->GetActor()->HasBall());
    keeper->GetActor()->ReleaseBall();
    ball.ReleasePossession(1);
    Put(*keeper, {0.0f, 0.0f, 20.0f}, kPi, ActorNodes::stand);
    Put(*holder, {0.0f, 0.0f, 1.0f}, kPi, ActorNodes::stand);
    GiveBallTo(*holder);
    // Face to face: taken.
    snagger->OnSnagged();
    EXPECT_FALSE(holder->GetActor()->HasBall());
    EXPECT_TRUE(snagger->GetActor()->HasBall());
    EXPECT_EQ(messages.heard, (decltype(messages.heard){{"Snagged", Of(snagger)}}));
    settings->snagAttackerAngle = savedAngles[0];
    settings->snagDefenderAngle = savedAngles[1];
}

TEST_F(CharacterTest, ActionEventsBecomeBallPlayAndMessagesByTheActorsState)
{
    Character* player = Add(home, Character::kFieldPlayer, "PandaPl00", {});
    Character* keeper = Add(home, Character::kGoalkeeper, "PandaGk00", {0.0f, 0.0f, -20.0f});
    Add(home, Character::kFieldPlayer, "PandaPl01", {0.0f, 0.0f, 10.0f});
    const auto fire = [](Character& who, ActionEventType type) {
        who.OnActionEvent(CharacterActionEvent(static_cast<int32_t>(type), 0.0f));
    };
    struct Case {
        Character* who;
        const ActorStateNode* node;
        ActionEventType type;
        std::vector<std::string> heard;
    };
    const Case cases[] = {
        {player, &ActorNodes::pass, ActionEventType::EndBallLocator, {"did pass"}},
        {player, &ActorNodes::throwinpass, ActionEventType::EndBallLocator, {"did pass"}},
        {player, &ActorNodes::shoot, ActionEventType::EndBallLocator, {"did shot"}},
        {player, &ActorNodes::specialend, ActionEventType::EndBallLocator, {"did shot"}},
        {keeper, &ActorNodes::keeperkickpass, ActionEventType::EndBallLocator, {"did pass"}},
        {player, &ActorNodes::stand, ActionEventType::EndBallLocator, {}},
        {keeper, &ActorNodes::stand, ActionEventType::TriggerGoalKick, {"goal kick"}},
        {player, &ActorNodes::stand, ActionEventType::TriggerGoalKick, {}},
    };
    for (const Case& c : cases) {
        messages.heard.clear();
        Put(*c.who, c.who->GetActor()->GetPosition(), 0.0f, *c.node);
        GiveBallTo(*c.who);
        c.who->GetCommand().targetPosition = {0.0f, 0.0f, 10.0f};
        fire(*c.who, c.type);
        EXPECT_EQ(messages.Names(), c.heard) << c.node->name << " " << static_cast<int>(c.type);
        c.who->GetActor()->ReleaseBall();
        ball.ReleasePossession(1);
    }
    // The card shows between taking it out and putting it away.
    fire(*player, ActionEventType::TakeOutCard);
    EXPECT_TRUE(player->IsCardShown());
    fire(*player, ActionEventType::PutAwayCard);
    EXPECT_FALSE(player->IsCardShown());
}

TEST_F(CharacterTest, AHeaderSendsALooseBallWithinReachAlongTheDirection)
{
    MatchSettings* settings = MatchSettings::Instance();
    settings->maxHeaderHeightError = 0.5f;
    Character* a = Add(home, Character::kFieldPlayer, "PandaPl00", {});
    const Vector3 head = a->GetActor()->GetPosition() + a->GetActor()->GetBallLocatorPosition();
    ball.ReleasePossession(1);
    ball.SetPosition(head + Vector3{0.0f, 0.0f, 0.2f});
    ball.SetVelocity({0.0f, -1.0f, -5.0f});
    a->Header(kPi / 2);
    const float speed = settings->worstHeaderSpeed +
                        (settings->bestHeaderSpeed - settings->worstHeaderSpeed) * a->GetVariation()->shooting.level / 100.0f;
    EXPECT_NEAR(ball.GetPhysicsVelocity().x, speed, 1e-3f);
    EXPECT_NEAR(ball.GetPhysicsVelocity().z, 0.0f, 1e-3f);
    EXPECT_FALSE(a->GetActor()->HasBall());
    // Out of reach: nothing.
    ball.SetPosition(head + Vector3{0.0f, 0.0f, settings->maxHeaderStrikeDist + 0.5f});
    ball.SetVelocity({});
    a->Header(kPi / 2);
    EXPECT_EQ(ball.GetPhysicsVelocity(), Vector3{});
}

// On the shipped match settings, in every race: the highest ball a player goes up for meets his
// head when his header strikes, and the lowest too; one half a metre above the highest is over
// his head and stays where it is.
TEST_F(CharacterTest, TheHighestBallAPlayerGoesUpForIsHeadedAndOneAboveItIsNot)
{
    ASSERT_TRUE(LoadShippedSettings(MatchSettings::Instance(), "Match Settings", "<PP>matchsettings.txt"));
    constexpr int kFrames = 90;
    for (const char* variation : {"PandaPl00", "LizardPl00", "PrimatePl00", "RhinoPl00", "WeaselPl00"}) {
        SCOPED_TRACE(variation);
        Character* player = Add(home, Character::kFieldPlayer, variation, {});
        const CharacterRace& race = *player->GetRace();
        // The ball point of each frame of his header, with the ball out of his way.
        std::vector<Vector3> point;
        Put(*player, {}, 0.0f, ActorNodes::header);
        ball.ReleasePossession(1);
        ball.SetPosition({0.0f, 50.0f, 50.0f});
        ball.SetVelocity({});
        for (int frame = 0; frame < kFrames; ++frame) {
            player->Act(kFrame);
            point.push_back(player->GetActor()->GetBallLocatorPosition());
        }

        // The same header with the ball held at the height where his head was a frame before.
        const auto headed = [&](float height) {
            Put(*player, {}, 0.0f, ActorNodes::header);
            player->GetCommand().direction = 0.0f;
            for (int frame = 0; frame < kFrames; ++frame) {
                ball.ReleasePossession(1);
                const Vector3 flat = player->GetActor()->GetPosition() + point[static_cast<size_t>(std::max(frame - 1, 0))];
                ball.SetPosition({flat.x, height, flat.z});
                ball.SetVelocity({});
                player->Act(kFrame);
                if (ball.GetPhysicsVelocity().Length() > 1.0f)
                    return true;
            }
            return false;
        };
        EXPECT_TRUE(headed(race.GetMaxHeaderHeight()));
        EXPECT_TRUE(headed(race.GetMinHeaderHeight()));
        EXPECT_FALSE(headed(race.GetMaxHeaderHeight() + 0.5f));
        home->RemovePlayer(player).reset();
    }
    // The tests after this one play on the compiled-in values.
    MatchSettings::DestroyInstance();
}

// On the shipped settings a slide that meets the holder from in front, up to 20 degrees off the
// way he faces, is a fair challenge for the ball; one from 45 degrees, his side or behind him
// brings him down with a foul.
TEST_F(CharacterTest, ASlideFromInFrontIsFairAndOneFromTheSideOrBehindIsAFoul)
{
    ASSERT_TRUE(LoadShippedSettings(GameSettings::Instance(), "Game Settings", "<PP>global\\global.txt"));
    Character* holder = Add(home, Character::kFieldPlayer, "PandaPl00", {});
    Character* slider = Add(away, Character::kFieldPlayer, "LizardPl00", {0.0f, 0.0f, 20.0f});
    const struct {
        float degrees;
        bool foul;
    } cases[] = {{0.0f, false}, {20.0f, false}, {-20.0f, false}, {45.0f, true}, {-90.0f, true}, {180.0f, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.degrees);
        const float angle = c.degrees * kPi / 180.0f;
        Put(*holder, {}, 0.0f, ActorNodes::stand);
        GiveBallTo(*holder);
        Put(*slider, Vector3{std::sin(angle), 0.0f, std::cos(angle)} * 1.5f, angle + kPi, ActorNodes::slidetackle);
        messages.heard.clear();
        holder->GetActor()->FallOver(*slider->GetActor(), true);
        const std::vector<std::string> heard = messages.Names();
        EXPECT_EQ(std::count(heard.begin(), heard.end(), "free kick foul") +
                      std::count(heard.begin(), heard.end(), "penalty foul"),
                  c.foul ? 1 : 0);
        holder->GetActor()->ReleaseBall();
        ball.ReleasePossession(1);
    }
    GameSettings::DestroyInstance();
}

TEST_F(CharacterTest, AMissingVariationOrKindIsLoggedAndAStandInOfTheKindBuilt)
{
    LogCapture log;
    Character keeper(Character::kGoalkeeper, "NoSuchKeeper", nullptr);
    EXPECT_TRUE(log.Contains("Could not find character variation NoSuchKeeper"));
    EXPECT_EQ(keeper.GetVariation()->GetKeyName(), "PandaGk00");
    EXPECT_NE(dynamic_cast<KeeperBrain*>(keeper.GetBrain()), nullptr);

    Character odd(7, "PandaPl02", nullptr);
    EXPECT_EQ(log.Count("Incorrect character type passed into character constructor!\n"), 1);
    EXPECT_EQ(odd.GetBrain(), nullptr);
    EXPECT_FALSE(odd.CanBeSelected());
    odd.Update(kFrame);
}

TEST_F(CharacterTest, ADeletedLastToucherLeavesTheBallWithNone)
{
    Character* a = Add(home, Character::kFieldPlayer, "PandaPl00", {});
    GiveBallTo(*a);
    a->KickBall({0.0f, 0.0f, 5.0f}, true);
    EXPECT_EQ(ball.GetLastToucher(), a);
    home->RemovePlayer(a).reset();
    EXPECT_EQ(ball.GetLastToucher(), nullptr);
    pitch->Update(kFrame, PitchSimulation::kUpdateAll);
}

} // namespace
