#include "match/period/MatchPeriod.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/RefereeSettings.h"
#include "characters/Team.h"
#include "framework/Random.h"
#include "frontend/FrontEndStates.h"
#include "frontend/TBMenu.h"
#include "match/MatchDelay.h"
#include "match/StoppedPlay.h"
#include "match/penalties/PenaltySettings.h"
#include "menus/Menu.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "settings/MatchStatistics.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "support/TestMatch.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>
#include <memory>
#include <string>

namespace {

// A period in play: its opening sequence and banner taken away.
MatchPeriod* StartPlaying(TestMatch& match, int period = 0, bool favours0 = true, bool favours1 = true)
{
    auto* state = new MatchPeriod(period, true, favours0, favours1);
    match.Harness().MakeCurrent(state);
    state->SetSequence(nullptr);
    // Until the kick-off banner's time is up: play may stop while it fades out.
    match.RunUntil(
        [&] {
            const auto* banner = dynamic_cast<const TBIngameMessageMenu*>(state->GetBanner());
            return !banner || banner->GetRemaining() <= 0.0f;
        },
        600);
    MatchStatistics::Instance()->Reset();
    for (int side = 0; side < 2; ++side) {
        TestMatch::Team(side).SetGoals(0);
        for (int32_t i = 0; i < TestMatch::Team(side).GetPlayerCount(); ++i) {
            TestMatch::Team(side).GetPlayer(i)->SetMatchRating(0.0f);
            TestMatch::Team(side).GetPlayer(i)->SetBooked(false);
        }
    }
    return state;
}

// Counted from the keeper; wraps round a small side.
Character* Player(int side, int index)
{
    const SoccerTeam& team = TestMatch::Team(side);
    return team.GetPlayer(index % team.GetPlayerCount());
}

Ball& TheBall()
{
    return *PitchSimulation::Instance()->GetBall();
}

void Send(MatchPeriod* period, const char* name, const void* record)
{
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage(name), reinterpret_cast<intptr_t>(record));
    period->Drain();
}

std::string Variable(const std::string& name)
{
    return Menu::Instance()->Variables()[name];
}

std::string DisplayName(const Character* player)
{
    return player->GetVariation()->GetDisplayName();
}

std::string BannerOf(const MatchPeriod* period)
{
    const auto* banner = dynamic_cast<const TBMenu*>(period->GetBanner());
    return banner ? banner->GetScreen() : std::string();
}

// The referee sees everything (or nothing) and shows cards from anywhere (or never).
class RefereeGuard {
public:
    RefereeGuard(bool sees, bool cards) 
    {
        RefereeSettings& s = *RefereeSettings::Instance();
        m_saved = {s.foulSpotMaxDist, s.foulSpotMaxFov, s.redCardAwardDist, s.redCardDistVariation};
        s.foulSpotMaxDist = sees ? 1.0e6f : 0.0f;
        s.foulSpotMaxFov = 4.0f;
        s.redCardAwardDist = cards ? 1.0e6f : 0.0f;
        s.redCardDistVariation = 0.0f;
        GameParameters::Instance()->cards = true;
        // The referee looks at the fouler.
        Character* referee = PitchSimulation::Instance()->GetReferee();
        referee->GetActor()->SetPosition(Player(0, 1)->GetActor()->GetPosition() + Vector3{0.0f, 0.0f, 1.0f});
    }
    ~RefereeGuard()
    {
        RefereeSettings& s = *RefereeSettings::Instance();
        s.foulSpotMaxDist = m_saved[0];
        s.foulSpotMaxFov = m_saved[1];
        s.redCardAwardDist = m_saved[2];
        s.redCardDistVariation = m_saved[3];
    }

private:
    std::array<float, 4> m_saved{};
};

}  // namespace

TEST(MatchEventsTest, GoalsCountRateAndRestart)
{
    struct Case {
        const char* name;
        int scorerSide;
        int creditedSide;
        bool legal;
        int period;
        int goals;           // of the credited side afterwards
        float scorerRating;  // afterwards
        const char* banner;
    };
    const Case cases[] = {
        {"legal goal", 0, 0, true, 0, 1, 2.0f, "message_goal"},
        {"own goal, never tested for legality", 1, 0, false, 1, 1, 0.0f, "message_goal"},
        {"illegal goal", 1, 1, false, 0, 0, -0.1f, "message_goalkick"},
        {"extra-time goal", 1, 1, true, 2, 1, 2.0f, "message_goal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* period = StartPlaying(match, c.period);
        TheBall().ReleasePossession(c.legal ? 1 : 0);
        Menu::Instance()->SetVariable("%scorer%", "");
        Ball::Goal goal{&TestMatch::Team(c.creditedSide), Player(c.scorerSide, 3)};
        Send(period, "goal scored", &goal);
        EXPECT_EQ(TestMatch::Team(c.creditedSide).GetGoals(), c.goals);
        EXPECT_EQ(TestMatch::Team(1 - c.creditedSide).GetGoals(), 0);
        EXPECT_EQ(MatchStatistics::Instance()->goals[c.creditedSide], c.goals);
        EXPECT_FLOAT_EQ(Player(c.scorerSide, 3)->GetMatchRating(), c.scorerRating);
        EXPECT_EQ(BannerOf(period), c.banner);
        EXPECT_NE(period->GetSequence(), nullptr);
        // The banner names the scorer as the player knows him, not by his object's name.
        const bool counted = c.goals > 0;
        EXPECT_EQ(Variable("%scorer%"), counted ? DisplayName(Player(c.scorerSide, 3)) : "");
    }
}

TEST(MatchEventsTest, BallOverAGoalLineGivesACornerOrAKeeperKick)
{
    struct Case {
        const char* name;
        int toucherSide;  // -1: nobody touched it
        bool endIsToucherFirstSide;
        int corners[2];
        float rating;
        const char* banner;
        const char* warning;  // empty: none
    };
    const Case cases[] = {
        {"defender over his own line", 0, true, {0, 1}, -0.1f, "message_corner", ""},
        {"side 1 defender over his own line", 1, true, {1, 0}, -0.1f, "message_corner", ""},
        {"attacker over the line", 0, false, {0, 0}, -0.1f, "message_goalkick", ""},
        {"nobody touched it", -1, true, {0, 0}, 0.0f, "message_goalkick",
         "MatchPeriod::StartCornerOrKeeperKick: ball out with no last toucher; side 0 kicks\n"},
        {"nobody touched it, far end", -1, false, {0, 0}, 0.0f, "message_goalkick",
         "MatchPeriod::StartCornerOrKeeperKick: ball out with no last toucher; side 1 kicks\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* period = StartPlaying(match);
        Character* toucher = c.toucherSide < 0 ? nullptr : Player(c.toucherSide, 2);
        const bool firstSide = TestMatch::Team(c.toucherSide < 0 ? 0 : c.toucherSide).IsFirstSide();
        Ball::OutOfBoundsFar record{c.endIsToucherFirstSide ? firstSide : !firstSide, false, toucher};
        LogCapture log;
        Send(period, "out of bounds far", &record);
        EXPECT_EQ(log.Count("***WARNING"), *c.warning ? 1 : 0);
        if (*c.warning) {
            EXPECT_TRUE(log.Contains(c.warning)) << log.Text();
        }
        EXPECT_EQ(MatchStatistics::Instance()->corners[0], c.corners[0]);
        EXPECT_EQ(MatchStatistics::Instance()->corners[1], c.corners[1]);
        if (toucher) {
            EXPECT_FLOAT_EQ(toucher->GetMatchRating(), c.rating);
        }
        EXPECT_EQ(BannerOf(period), c.banner);
        EXPECT_NE(period->GetSequence(), nullptr);
    }
}

TEST(MatchEventsTest, FoulsByWhatTheRefereeSeesAndTheBooking)
{
    struct Case {
        const char* name;
        bool sees;
        bool card;
        bool booked;
        int priorReds;
        bool penalty;
        float rating;
        int fouls, freeKicks, penaltyKicks, yellows, reds;
        int forfeitSide;
        bool stopped;  // a sequence runs
    };
    const Case cases[] = {
        {"unseen", false, true, false, 0, false, 0.3f, 0, 0, 0, 0, 0, -1, false},
        {"seen, no card", true, false, false, 0, false, 0.1f, 1, 1, 0, 0, 0, -1, true},
        {"penalty, no card", true, false, false, 0, true, -0.4f, 1, 0, 1, 0, 0, -1, true},
        {"yellow", true, true, false, 0, false, -0.5f, 1, 1, 0, 1, 0, -1, true},
        {"red for a booked player", true, true, true, 0, false, -1.0f, 1, 1, 0, 0, 1, -1, true},
        {"third red forfeits", true, true, true, 2, false, -1.0f, 1, 1, 0, 0, 3, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* period = StartPlaying(match);
        RefereeGuard referee(c.sees, c.card);
        Character* fouler = Player(0, 1);
        fouler->SetBooked(c.booked);
        MatchStatistics::Instance()->redCards[0] = c.priorReds;
        Menu::Instance()->SetVariable("%scorer%", "");
        Character::FoulRecord foul{fouler, Player(1, 2), fouler->GetActor()->GetPosition()};
        Send(period, c.penalty ? "penalty foul" : "free kick foul", &foul);
        const MatchStatistics& s = *MatchStatistics::Instance();
        EXPECT_FLOAT_EQ(fouler->GetMatchRating(), c.rating);
        EXPECT_FLOAT_EQ(Player(1, 2)->GetMatchRating(), 0.0f);
        EXPECT_EQ(s.fouls[0], c.fouls);
        EXPECT_EQ(s.fouls[1], 0);
        EXPECT_EQ(s.freeKicks[1], c.freeKicks);
        EXPECT_EQ(s.penaltyKicks[1], c.penaltyKicks);
        EXPECT_EQ(s.freeKicks[0] + s.penaltyKicks[0], 0);
        EXPECT_EQ(s.yellowCards[0], c.yellows);
        EXPECT_EQ(s.redCards[0], c.reds);
        EXPECT_EQ(period->GetForfeitSide(), c.forfeitSide);
        EXPECT_EQ(period->GetSequence() != nullptr, c.stopped);
        EXPECT_EQ(Variable("%scorer%"), c.reds > c.priorReds ? DisplayName(fouler) : "");
    }
}

// On the shipped data the referee, who follows play a few metres short of the ball, counts a
// foul a long ball has left him well behind, as long as he faces it.
TEST(MatchEventsTest, TheRefereeCountsAFoulHeFacesFromWhereALongBallLeftHim)
{
    struct Case {
        float distance;
        float offHeading;  // radians between his heading and the fouler
        bool counted;
    };
    const Case cases[] = {{5.0f, 0.0f, true},   {28.0f, 0.0f, true},  {28.0f, -0.7f, true},
                          {10.0f, 0.9f, false}, {10.0f, -0.9f, false}, {32.0f, 0.0f, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.distance << " m, " << c.offHeading << " rad");
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* period = StartPlaying(match);
        GameParameters::Instance()->cards = false;
        Character* fouler = Player(0, 1);
        Actor& referee = *PitchSimulation::Instance()->GetReferee()->GetActor();
        const Vector3 at = fouler->GetActor()->GetPosition();
        referee.SetPosition(at + Vector3{c.distance, 0.0f, 0.0f});
        referee.SetHeading(WorldHeadingOf(at - referee.GetPosition()) + c.offHeading);
        Character::FoulRecord foul{fouler, Player(1, 2), at};
        Send(period, "free kick foul", &foul);
        EXPECT_EQ(MatchStatistics::Instance()->fouls[0], c.counted ? 1 : 0);
        GameParameters::Instance()->cards = true;
    }
}

TEST(MatchEventsTest, AStoryLegShowsCardsAsTheCareerSaysAndAnyOtherMatchAsTheOptions)
{
    struct Case {
        bool storyLeg, careerCards, optionCards, shown;
    };
    const Case cases[] = {{false, false, true, true}, {false, true, false, false}, {true, false, true, false},
                          {true, true, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.storyLeg << c.careerCards << c.optionCards);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        RefereeGuard referee(true, true);
        GameParameters::Instance()->cards = c.optionCards;
        MatchRules rules;
        rules.storyLeg = c.storyLeg;
        rules.cards = c.careerCards;
        const MatchPeriod period(0, false, true, true, rules);
        EXPECT_EQ(period.ShouldShowCard(Player(0, 1)), c.shown);
    }
    GameParameters::Instance()->cards = true;
}

TEST(MatchEventsTest, EventsAreLostWhilePlayStands)
{
    enum Stand { kSequence, kPauseMenu, kOver };
    for (Stand stand : {kSequence, kPauseMenu, kOver}) {
        SCOPED_TRACE(stand);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* period = StartPlaying(match);
        if (stand == kSequence)
            period->SetSequence(new MatchDelay(100.0f, false, false));
        else if (stand == kPauseMenu)
            match.Harness().Script().Press(match.Harness().GetFrame(), "ingame_menu");
        else
            PitchSimulation::Instance()->GetClock()->SetTime(45.0f * 60.0f);
        match.Harness().Step();
        ASSERT_TRUE(stand != kPauseMenu || period->GetPauseMenu());
        State* before = period->GetSequence();
        TheBall().ReleasePossession(1);
        Ball::Goal goal{&TestMatch::Team(0), Player(0, 3)};
        Send(period, "goal scored", &goal);
        Send(period, "Snagged", Player(0, 4));
        EXPECT_EQ(TestMatch::Team(0).GetGoals(), 0);
        EXPECT_FLOAT_EQ(Player(0, 3)->GetMatchRating(), 0.0f);
        EXPECT_FLOAT_EQ(Player(0, 4)->GetMatchRating(), 0.0f);
        EXPECT_EQ(period->GetSequence(), before);
    }
}

TEST(MatchEventsTest, SnagAndThrowInRateWithoutCountingAGoal)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchPeriod* period = StartPlaying(match);
    Send(period, "Snagged", Player(1, 4));
    EXPECT_FLOAT_EQ(Player(1, 4)->GetMatchRating(), 0.2f);
    EXPECT_EQ(period->GetSequence(), nullptr);
    Ball::OutOfBoundsAcross record{true, Vector3{10.0f, 0.0f, 30.0f}, Player(1, 4)};
    Send(period, "out of bounds across", &record);
    EXPECT_FLOAT_EQ(Player(1, 4)->GetMatchRating(), 0.1f);
    EXPECT_EQ(BannerOf(period), "message_throwin");
    EXPECT_NE(period->GetSequence(), nullptr);
}

// While the banner tells what follows, the cameras look where the ball went out, brought back
// on the pitch away from the stands it ran on to; then at the restart's taker, or at the ball
// when the period ends first.
TEST(MatchEventsTest, TheCamerasLookWhereTheBallWentOutUntilTheRestartTakesThem)
{
    for (const bool periodEnds : {false, true}) {
        SCOPED_TRACE(periodEnds ? "the period ends first" : "the restart takes them");
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* period = StartPlaying(match);
        const float halfWidth = std::fabs(PitchPosition(1.0f, 1.0f).ToWorld(true).z);
        const Vector3 across = PitchFrame::GetDirection(PitchFrame::kAcross);
        const Vector3 beyond = Vector3{10.0f, 1.5f, 0.0f} + across * (halfWidth + 6.0f);
        TheBall().ReleasePossession(0);
        TheBall().SetPosition(beyond);
        Ball::OutOfBoundsAcross record{true, beyond, Player(1, 4)};
        Send(period, "out of bounds across", &record);
        const TrackedObject* looked = GetCameraTarget();
        ASSERT_NE(looked, nullptr);
        const Vector3 wanted = Vector3{10.0f, 0.0f, 0.0f} + across * (halfWidth - StoppedPlay::kInside);
        EXPECT_NEAR((looked->GetPosition() - wanted).Length(), 0.0f, 1e-3f);
        if (periodEnds) {
            match.Harness().MakeCurrent(new MatchDelay(1.0f, false, false));
            EXPECT_EQ(GetCameraTarget(), &TheBall());
        } else {
            match.RunUntil([&] { return GetCameraTarget() != looked; }, 600);
            EXPECT_NE(dynamic_cast<const Actor*>(GetCameraTarget()), nullptr);
        }
    }
}

TEST(MatchEventsTest, SubstitutionsWaitForACornerAndDropPlayersNoLongerInATeam)
{
    // What became of the pair before the restart.
    enum Meanwhile { kNothing, kOutgoingInNoTeam, kOutgoingSentOff, kIncomingPlays };
    struct Case {
        const char* name;
        bool corner;
        Meanwhile meanwhile;
        size_t pendingAfter;
    };
    const Case cases[] = {
        {"corner takes them", true, kNothing, 0},
        {"keeper kick leaves them", false, kNothing, 1},
        {"gone player dropped", true, kOutgoingInNoTeam, 0},
        // Removed and deleted as a red card does it: found by address alone, never read.
        {"player sent off dropped", true, kOutgoingSentOff, 0},
        {"substitute already on dropped", true, kIncomingPlays, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* period = StartPlaying(match);
        Character* outgoing = Player(0, 5);
        auto incoming = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", nullptr);
        Character* substitute = incoming.get();
        if (c.meanwhile == kOutgoingInNoTeam)
            outgoing = substitute;
        if (c.meanwhile == kIncomingPlays)
            substitute = Player(0, 3);
        period->GetPendingChanges().push_back({outgoing, substitute});
        if (c.meanwhile == kOutgoingSentOff)
            TestMatch::Team(0).RemovePlayer(outgoing).reset();
        LogCapture log;
        const bool firstSide = TestMatch::Team(0).IsFirstSide();
        Ball::OutOfBoundsFar record{c.corner ? firstSide : !firstSide, false, Player(0, 2)};
        Send(period, "out of bounds far", &record);
        EXPECT_EQ(period->GetPendingChanges().size(), c.pendingAfter);
        EXPECT_EQ(log.Count("change dropped"), c.corner && c.meanwhile != kNothing ? 1 : 0);
        period->GetPendingChanges().clear();
        // The sequence would hand the incoming player to the team: end it first.
        period->SetSequence(nullptr);
    }
}

// The substitution screen, worked with the menu keys from the pause menu: the confirmed pair
// waits for the next corner, which brings the substitute on for the marked player.
TEST(MatchEventsTest, AConfirmedSubstitutionIsMadeAtTheNextCorner)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchPeriod* period = StartPlaying(match);
    SoccerTeam& team = TestMatch::Team(0);
    for (const char* member : {"PandaPl05", "PandaPl06"})
        team.SendToBench(new Character(Character::kFieldPlayer, member, &team));
    const std::vector<Character*> bench = team.GetBench();
    Character* outgoing = Player(0, 2);  // the second field player
    Character* incoming = bench[1];
    GameHarness& harness = match.Harness();
    const auto press = [&](const char* action) {
        harness.Script().Press(harness.GetFrame(), action);
        harness.Step();
        harness.Step();
    };
    const auto shown = [&](const char* screen) {
        return match.RunUntil(
                   [&] {
                       const auto* menu = dynamic_cast<const TBMenu*>(period->GetPauseMenu());
                       return menu && menu->GetScreen() == screen && Menu::Instance()->GetFadeState() == Menu::kShown;
                   },
                   600) < 600;
    };
    // Down to the item, then the select key.
    const auto choose = [&](const char* item) {
        for (int i = 0; i < 12 && Menu::Instance()->GetSelectedItemName() != item; ++i)
            press("(menu):down");
        ASSERT_EQ(Menu::Instance()->GetSelectedItemName(), item);
        press("(menu):button a");
    };
    Menu::Instance()->SetMouseMode(false);
    press("ingame_menu");
    ASSERT_TRUE(shown("ingame_menu"));
    choose("substitution");
    ASSERT_TRUE(shown("ingame_substitution"));
    EXPECT_EQ(Variable("%subst_subst_2%"), DisplayName(incoming));
    choose("player2");
    choose("bench2");
    choose("change");
    // Confirming goes back to the match, the pair waiting.
    match.RunUntil([&] { return period->GetPauseMenu() == nullptr; }, 600);
    EXPECT_EQ(period->GetPauseMenu(), nullptr);
    EXPECT_EQ(period->GetPendingChanges(), (std::vector<MatchPeriod::PlayerChange>{{outgoing, incoming}}));

    // A throw-in leaves it waiting; the corner takes it.
    Ball::OutOfBoundsAcross across{true, Vector3{10.0f, 0.0f, 30.0f}, Player(1, 2)};
    Send(period, "out of bounds across", &across);
    EXPECT_EQ(period->GetPendingChanges().size(), 1u);
    period->SetSequence(nullptr);
    Ball::OutOfBoundsFar corner{team.IsFirstSide(), false, Player(0, 3)};
    Send(period, "out of bounds far", &corner);
    EXPECT_TRUE(period->GetPendingChanges().empty());
    match.RunUntil([&] { return team.Contains(incoming); }, 3600);
    EXPECT_TRUE(team.Contains(incoming));
    EXPECT_EQ(team.GetBench(), std::vector<Character*>{bench[0]});
}

// Each player takes part in one change: a new choice for him replaces the one before.
TEST(MatchEventsTest, ANewChoiceForAPlayerReplacesHisPendingChange)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchPeriod* period = StartPlaying(match);
    Character* a = Player(0, 1);
    Character* b = Player(0, 2);
    Character* x = Player(1, 1);
    Character* y = Player(1, 2);
    using Changes = std::vector<MatchPeriod::PlayerChange>;
    const struct {
        const char* name;
        Changes before;
        MatchPeriod::PlayerChange added;
        Changes after;
    } cases[] = {
        {"another pair joins", {{a, x}}, {b, y}, {{a, x}, {b, y}}},
        {"the same outgoing player", {{a, x}}, {a, y}, {{a, y}}},
        {"the same substitute", {{a, x}}, {b, x}, {{b, x}}},
        {"the substitute was to go off", {{x, a}}, {b, x}, {{b, x}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        period->GetPendingChanges() = c.before;
        SubstitutionChoice choice{c.added.first, c.added.second};
        MessageServer* server = MessageServer::Instance();
        server->SendMessage(0, server->RegisterMessage(SubstitutionChoice::kMessage), reinterpret_cast<intptr_t>(&choice));
        EXPECT_EQ(period->GetPendingChanges(), c.after);
    }
    period->GetPendingChanges().clear();
}

TEST(MatchEventsTest, CrowdSoundsByLevelAndFavour)
{
    struct Case {
        const char* level;
        bool favours0, favours1;
        int side;
        bool ownGoal;
        const char* name;
    };
    const Case cases[] = {
        {"level01", true, false, 0, false, "crowd_cheer_high"},
        {"level02", true, false, 1, false, "crowd_dismay_high"},
        {"level03", false, true, 1, false, "crowd_cheer_low"},
        {"level04", true, true, 1, true, "crowd_dismay_low"},
        {"level01", true, true, 0, false, "crowd_cheer_high"},
        {"level02", false, true, 1, true, "crowd_cheer_high"},
    };
    const std::string saved = GameParameters::Instance()->GetParameter("level");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameParameters::Instance()->SetParameter("level", c.level);
        MatchPeriod period(0, true, c.favours0, c.favours1);
        EXPECT_EQ(period.CrowdSoundName("crowd_", c.side, c.ownGoal), c.name);
    }
    GameParameters::Instance()->SetParameter("level", saved);
}

TEST(MatchEventsTest, EachRestartHandsPlayBack)
{
    enum Kind { kThrowIn, kCorner, kKeeperKick, kFreeKick };
    constexpr int kFrameCap = 60 * 40;
    for (Kind kind : {kThrowIn, kCorner, kKeeperKick, kFreeKick}) {
        SCOPED_TRACE(kind);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* period = StartPlaying(match);
        RefereeGuard referee(true, false);
        const bool firstSide = TestMatch::Team(0).IsFirstSide();
        Ball::OutOfBoundsFar far{kind == kCorner ? firstSide : !firstSide, true, Player(0, 2)};
        Ball::OutOfBoundsAcross across{true, Player(0, 2)->GetActor()->GetPosition(), Player(0, 2)};
        Character::FoulRecord foul{Player(0, 1), Player(1, 2), Player(0, 1)->GetActor()->GetPosition()};
        if (kind == kThrowIn)
            Send(period, "out of bounds across", &across);
        else if (kind == kFreeKick)
            Send(period, "free kick foul", &foul);
        else
            Send(period, "out of bounds far", &far);
        ASSERT_NE(period->GetSequence(), nullptr);
        const int frames = match.RunUntil([&] { return !period->GetSequence(); }, kFrameCap);
        // The 2 s of play before the fade come first.
        EXPECT_GT(frames, 60);
        EXPECT_LT(frames, kFrameCap);
    }
}

// A person who does not press at his keeper's restart sees him hold the ball while he could
// aim, then pass it when made to; the match never stands still.
TEST(MatchEventsTest, APersonsKeeperHoldsTheBallAtHisRestartUntilHeIsMadeToPassIt)
{
    constexpr int kFrameCap = 60 * 15;
    for (const bool caught : {true, false}) {
        SCOPED_TRACE(caught ? "goal kick after a catch" : "keeper kick");
        TestMatch match;
        ASSERT_TRUE(match.Start(1));
        MatchPeriod* period = StartPlaying(match);
        Actor& keeper = *Player(0, 0)->GetActor();
        if (caught) {
            for (int side = 0; side < 2; ++side)
                for (int32_t i = 0; i < TestMatch::Team(side).GetPlayerCount(); ++i)
                    Player(side, i)->GetActor()->ReleaseBall();
            TheBall().ReleasePossession(0);
            TheBall().SetVelocity({0.0f, 0.0f, 0.0f});
            TheBall().SetPosition(keeper.GetPosition() + Vector3{0.0f, 0.5f, 0.0f});
        } else {
            Ball::OutOfBoundsFar record{TestMatch::Team(0).IsFirstSide(), false, Player(1, 2)};
            Send(period, "out of bounds far", &record);
        }
        const auto waiting = [&] { return std::string(keeper.GetStateName()) == "keeperkickwait"; };
        match.RunUntil([&] { return period->GetSequence() && keeper.HasBall() && waiting(); }, kFrameCap);
        ASSERT_TRUE(period->GetSequence() && keeper.HasBall() && waiting());
        int dropped = 0;
        const BallToucher* kicker = nullptr;  // who touched the ball last as it left the keeper
        const int frames = match.RunUntil(
            [&] {
                dropped += waiting() && !keeper.HasBall();
                if (!kicker && !keeper.HasBall())
                    kicker = TheBall().GetLastToucher();
                return !period->GetSequence();
            },
            kFrameCap);
        EXPECT_LT(frames, kFrameCap) << "the restart never ended";
        EXPECT_EQ(dropped, 0);
        EXPECT_EQ(kicker, Player(0, 0));
    }
}

TEST(MatchEventsTest, AScoredPenaltyIsOneGoalForTheKickingSideAndTwoForTheTaker)
{
    for (const int awarded : {0, 1}) {
        SCOPED_TRACE(awarded);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        // A true kick and a keeper who moves only after the decision: the penalty goes in.
        // Set once the match is loaded, as loading reads the settings from the data.
        PenaltySettings& settings = *PenaltySettings::Instance();
        for (float* value : {&settings.worstPowerErrorAi, &settings.bestPowerErrorAi, &settings.minimumReadTime,
                             &settings.maximumReadTime})
            *value = 0.0f;
        MatchPeriod* period = StartPlaying(match);
        RefereeGuard referee(true, false);
        const SoccerTeam& kicking = TestMatch::Team(awarded);
        Character* taker = kicking.GetPlayer(kicking.GetPlayerCount() - 1);
        Character::FoulRecord foul{Player(1 - awarded, 1), Player(awarded, 2), Player(1 - awarded, 1)->GetActor()->GetPosition()};
        // The taker's corner and the keeper's guess are drawn: one sequence for every run.
        Random::Seed(1);
        Send(period, "penalty foul", &foul);
        ASSERT_NE(period->GetSequence(), nullptr);
        match.RunUntil([&] { return kicking.GetGoals() > 0; }, 60 * 30);
        // Long enough for any second report of the same goal to be handled.
        match.RunUntil([] { return false; }, 120);
        EXPECT_EQ(kicking.GetGoals(), 1);
        EXPECT_EQ(TestMatch::Team(1 - awarded).GetGoals(), 0);
        EXPECT_EQ(MatchStatistics::Instance()->goals[awarded], 1);
        EXPECT_FLOAT_EQ(taker->GetMatchRating(), 2.0f);
    }
}
