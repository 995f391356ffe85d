#include "match/period/MatchPeriod.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "frontend/FrontEndStates.h"
#include "frontend/TBMenu.h"
#include "game/GameTB.h"
#include "match/MatchDelay.h"
#include "match/PlayerHold.h"
#include "match/penalties/PenaltyShootout.h"
#include "match/setpieces/KickOff.h"
#include "menus/Menu.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameSettings.h"
#include "settings/MatchStatistics.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "support/TestMatch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr float kMinute = 60.0f;
constexpr int kShowCap = 60 * 30;

State* Current(TestMatch& match)
{
    return match.Harness().GetGame()->GetCurrentState();
}

std::string Variable(const char* key)
{
    return Menu::Instance()->Variables()[key];
}

void SetScore(int goals0, int goals1)
{
    TestMatch::Team(0).SetGoals(goals0);
    TestMatch::Team(1).SetGoals(goals1);
}

MatchClock& Clock()
{
    return *PitchSimulation::Instance()->GetClock();
}

// A period entered and its opening sequence and banner taken away, so that it plays.
MatchPeriod* StartPlaying(TestMatch& match, int period, bool extraTime = true)
{
    auto* state = new MatchPeriod(period, extraTime, true, true);
    match.Harness().MakeCurrent(state);
    state->SetSequence(nullptr);
    match.RunUntil([&] { return !state->GetBanner(); }, 600);
    return state;
}

// Closes every menu the end of a period shows, until the period has handed over.
void RunToHandOver(TestMatch& match, State* period)
{
    GameHarness& harness = match.Harness();
    for (int frame = harness.GetFrame(); frame < harness.GetFrame() + kShowCap; frame += 5)
        harness.Script().Press(frame, "(menu):button a");
    match.RunUntil([&] { return Current(match) != period; }, kShowCap);
}

}  // namespace

TEST(MatchPeriodTest, EndsAndKickOffSideChangeEveryPeriod)
{
    for (int period = 0; period < MatchPeriod::kPeriods; ++period) {
        SCOPED_TRACE(period);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        auto* state = new MatchPeriod(period, true, true, true);
        match.Harness().MakeCurrent(state);
        const bool team0First = period % 2 == 0;
        EXPECT_EQ(TestMatch::Team(0).IsFirstSide(), team0First);
        EXPECT_EQ(TestMatch::Team(1).IsFirstSide(), !team0First);
        EXPECT_EQ(IsCameraFlipped(), !team0First);
        EXPECT_EQ(Variable("%match_period%"), MatchPeriod::PeriodName(period));
        // Later periods open with the kick-off alone and its banner; the first with the intro.
        const auto* kickOff = dynamic_cast<const KickOff*>(state->GetSequence());
        EXPECT_EQ(kickOff != nullptr, period != 0);
        if (kickOff) {
            EXPECT_EQ(kickOff->IsAttacking(), team0First);
        }
        EXPECT_EQ(state->GetBanner() != nullptr, period != 0);
        match.Harness().MakeCurrent(nullptr);
        EXPECT_FALSE(IsCameraFlipped());
    }
}

TEST(MatchPeriodTest, CheatsSkipToTheEndOrEndTheMatchAtOnce)
{
    struct Case {
        const char* action;
        int goals0;
        int goals1;
        bool ends;
    };
    const Case cases[] = {
        {"cheat win", 3, 0, true},
        {"cheat loose", 0, 3, true},
        {"cheat draw", 3, 3, true},
        {"cheat goal", 2, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        StartPlaying(match, 0);
        PlayerHold::HoldAll();
        SetScore(1, 1);
        match.Harness().Script().Press(match.Harness().GetFrame(), c.action);
        match.Harness().Step();
        EXPECT_EQ(Current(match) == nullptr, c.ends);
        EXPECT_EQ(TestMatch::Team(0).GetGoals(), c.goals0);
        EXPECT_EQ(TestMatch::Team(1).GetGoals(), c.goals1);
        if (c.ends) {
            EXPECT_EQ(Variable("%dynamic_message%"), "%60510% %60501%");
            EXPECT_EQ(MatchStatistics::Instance()->possession[0] + MatchStatistics::Instance()->possession[1], 100);
        }
    }
}

TEST(MatchPeriodTest, SkipLandsOnTheEndMinuteKeepingTheSecond)
{
    for (int period : {0, 1}) {
        SCOPED_TRACE(period);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* state = StartPlaying(match, period);
        Clock().SetTime(static_cast<float>(MatchPeriod::kEndMinute[period] - 20) * kMinute + 17.0f);
        match.Harness().Script().Press(match.Harness().GetFrame(), "cheat skip");
        match.Harness().Step();
        EXPECT_EQ(Clock().Minutes(), MatchPeriod::kEndMinute[period]);
        EXPECT_EQ(Clock().Seconds(), 17);
        EXPECT_FALSE(state->IsOver());
        match.Harness().Step();
        EXPECT_TRUE(state->IsOver());
        EXPECT_TRUE(state->IsFinalShowRunning());
    }
}

TEST(MatchPeriodTest, WhatFollowsEachPeriod)
{
    struct Case {
        int period;
        bool extraTime;
        int goals0;
        int goals1;
        int next;  // -1: the match is over; kShootout: penalties
    };
    constexpr int kShootout = 4;
    const Case cases[] = {
        {0, true, 0, 1, 1},  {1, true, 1, 1, 2}, {1, false, 1, 1, -1},
        {1, true, 2, 1, -1}, {2, true, 0, 0, 3}, {3, true, 2, 2, kShootout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "period " << c.period << " extra " << c.extraTime);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* state = StartPlaying(match, c.period, c.extraTime);
        SetScore(c.goals0, c.goals1);
        Clock().SetTime(static_cast<float>(MatchPeriod::kEndMinute[c.period]) * kMinute);
        RunToHandOver(match, state);
        const auto* next = dynamic_cast<const MatchPeriod*>(Current(match));
        if (c.next == kShootout) {
            EXPECT_NE(dynamic_cast<const PenaltyShootout*>(Current(match)), nullptr);
        } else if (c.next < 0) {
            EXPECT_EQ(Current(match), nullptr);
            EXPECT_EQ(Variable("%match_period%"), "%60512%");
        } else {
            ASSERT_NE(next, nullptr);
            EXPECT_EQ(next->GetPeriod(), c.next);
        }
    }
}

TEST(MatchPeriodTest, AGoldenGoalEndsExtraTimeOnTheNextFrame)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchPeriod* state = StartPlaying(match, 2);
    // The goal's own sequence is running when the score changes.
    auto* goalSequence = new MatchDelay(10.0f, true, true);
    state->SetSequence(goalSequence);
    SetScore(1, 0);
    match.Harness().Step();
    EXPECT_TRUE(state->IsOver());
    EXPECT_NE(state->GetSequence(), goalSequence);
    EXPECT_EQ(Clock().Minutes(), 0);
    RunToHandOver(match, state);
    EXPECT_EQ(Current(match), nullptr);
}

TEST(MatchPeriodTest, AForfeitWaitsForTheSequenceThenScoresNilThree)
{
    for (int side : {0, 1}) {
        SCOPED_TRACE(side);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* state = StartPlaying(match, 1);
        // No stoppage of open play may start a sequence of its own meanwhile: the players
        // stand and the ball lies still on the centre spot.
        PlayerHold::HoldAll();
        Ball& ball = *PitchSimulation::Instance()->GetBall();
        ball.SetPosition({0.0f, ball.GetRadius(), 0.0f});
        ball.SetVelocity({});
        SetScore(2, 2);
        state->SetSequence(new MatchDelay(0.5f, true, true));
        state->SetForfeitSide(side);
        match.Harness().Step();
        EXPECT_EQ(Current(match), state);
        EXPECT_EQ(TestMatch::Team(0).GetGoals(), 2);
        match.RunUntil([&] { return Current(match) != state; }, 120);
        EXPECT_NE(dynamic_cast<IteratingState*>(Current(match)), nullptr);
        EXPECT_EQ(TestMatch::Team(side).GetGoals(), 0);
        EXPECT_EQ(TestMatch::Team(1 - side).GetGoals(), 3);
        EXPECT_EQ(MatchStatistics::Instance()->goals[side], 0);
        EXPECT_EQ(MatchStatistics::Instance()->goals[1 - side], 3);
        EXPECT_EQ(Variable("%match_period%"), "%60511%");
    }
}

TEST(MatchPeriodTest, PauseMenuOnlyInOpenPlay)
{
    struct Case {
        const char* name;
        bool banner;
        bool periodOver;
        bool opens;
    };
    const Case cases[] = {
        {"open play", false, false, true},
        {"under a banner", true, false, false},
        {"after the final whistle", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* state = c.banner ? new MatchPeriod(1, true, true, true) : StartPlaying(match, 1);
        if (c.banner) {
            match.Harness().MakeCurrent(state);
            state->SetSequence(nullptr);
        }
        if (c.periodOver) {
            Clock().SetTime(static_cast<float>(MatchPeriod::kEndMinute[1]) * kMinute);
            match.Harness().Step();
        }
        match.Harness().Script().Press(match.Harness().GetFrame(), "ingame_menu");
        match.Harness().Step();
        EXPECT_EQ(state->GetPauseMenu() != nullptr, c.opens);
        if (!c.opens)
            continue;
        // The match stands still under the menu.
        const float time = Clock().GetTime();
        match.Harness().RunFrames(10);
        EXPECT_EQ(Clock().GetTime(), time);
    }
}

TEST(MatchPeriodTest, PossessionCountsGameSecondsOfTheLastToucher)
{
    for (int toucher : {-1, 0, 1}) {
        SCOPED_TRACE(toucher);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        StartPlaying(match, 0);
        PlayerHold::HoldAll();
        Ball& ball = *PitchSimulation::Instance()->GetBall();
        if (toucher >= 0) {
            Character* player = TestMatch::Team(toucher).GetPlayer(2);
            ASSERT_TRUE(ball.TakePossession(player));
            ball.ReleasePossession(0);
        }
        const float start = Clock().GetTime();
        match.Harness().RunFrames(120);
        const int seconds = static_cast<int>(Clock().GetTime()) - static_cast<int>(start);
        for (int side = 0; side < 2; ++side) {
            const int32_t possession = TestMatch::Team(side).GetPossession();
            if (side == toucher)
                EXPECT_NEAR(possession, seconds, 1);
            else
                EXPECT_EQ(possession, 0);
        }
    }
}

TEST(MatchPeriodTest, MostValuablePlayerIsTheFirstOfTheHighestRating)
{
    struct Case {
        const char* name;
        float ratings[2][5];
        int side;
        int index;
    };
    const Case cases[] = {
        {"nobody rated", {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}, 0, 0},
        {"an opponent", {{1, 0, 0, 0, 0}, {0, 0, 3, 0, 0}}, 1, 2},
        {"first of a tie", {{0, 0, 0, 2, 0}, {2, 0, 0, 0, 0}}, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        StartPlaying(match, 0);
        for (int side = 0; side < 2; ++side)
            for (int i = 0; i < TestMatch::Team(side).GetPlayerCount() && i < 5; ++i)
                TestMatch::Team(side).GetPlayer(i)->SetMatchRating(c.ratings[side][i]);
        Clock().SetTime(static_cast<float>(MatchPeriod::kEndMinute[0]) * kMinute);
        match.Harness().Step();
        const Character* best = TestMatch::Team(c.side).GetPlayer(c.index);
        // The statistics screen shows the name the player knows, not the object's.
        EXPECT_EQ(MatchStatistics::Instance()->mostValuable, best->GetVariation()->GetDisplayName());
    }
}

TEST(MatchPeriodTest, LevelScoreInAndOutOfTheStoryMode)
{
    struct Case {
        const char* name;
        bool active;
        int round;
        bool firstLeg;
        int legGoals[2];  // first leg: the opponent at home, then the own team
        int goals0;
        int goals1;
        bool level;
    };
    const Case cases[] = {
        {"single match, level", false, 0, true, {0, 0}, 1, 1, true},
        {"single match, ahead", false, 0, true, {0, 0}, 2, 1, false},
        {"first leg is never level", true, 2, true, {0, 0}, 1, 1, false},
        {"second leg, aggregate level", true, 2, false, {2, 1}, 1, 0, true},
        {"second leg, aggregate not level", true, 2, false, {2, 1}, 1, 1, false},
        {"final, this match only", true, 6, true, {0, 0}, 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchRules rules;
        rules.storyLeg = c.active;
        rules.finalRound = c.round == 6;
        rules.firstLeg = c.firstLeg;
        rules.bookedGoals[0] = c.legGoals[1];
        rules.bookedGoals[1] = c.legGoals[0];
        SetScore(c.goals0, c.goals1);
        EXPECT_EQ(MatchPeriod::IsLevel(rules), c.level);
    }
}

TEST(MatchPeriodTest, TheWinnersCheerAtTheFinalWhistle)
{
    struct Case {
        int goals0;
        int goals1;
        int cheering;  // side; -1 for nobody
    };
    for (const Case& c : {Case{2, 1, 0}, Case{0, 1, 1}, Case{1, 1, -1}}) {
        SCOPED_TRACE(testing::Message() << c.goals0 << ":" << c.goals1);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchPeriod* state = StartPlaying(match, 1, false);
        SetScore(c.goals0, c.goals1);
        Clock().SetTime(static_cast<float>(MatchPeriod::kEndMinute[1]) * kMinute);
        // Reactions start within their stagger once the whistle has gone.
        std::string seen[2];
        match.RunUntil([&] {
            for (int side = 0; side < 2; ++side) {
                const std::string name = TestMatch::Team(side).GetPlayer(1)->GetActor()->GetStateName();
                if (name.rfind("cheer", 0) == 0 || name == "dismay")
                    seen[side] = name.substr(0, 5);
            }
            return Current(match) != state;
        }, 60 * 8);
        for (int side = 0; side < 2; ++side) {
            const std::string expected = c.cheering < 0 ? "" : side == c.cheering ? "cheer" : "disma";
            EXPECT_EQ(seen[side], expected) << "side " << side;
        }
    }
}

// A person who stands still with the ball at the edge of his own area, the others in their
// places, loses it within seconds: the man sent at him carries on until he can challenge.
TEST(MatchPeriodTest, AnIdleHumanHolderIsChallengedWithinSecondsWhicheverWayHeFaces)
{
    constexpr int kChallengeFrames = 6 * 60;
    for (const float turn : {0.0f, 1.6f, 3.1f}) {
        SCOPED_TRACE(turn);
        TestMatch match;
        ASSERT_TRUE(match.Start(1));
        StartPlaying(match, 0);
        SoccerTeam& human = TestMatch::Team(0);
        TestMatch::Team(1).SetAggression(GameSettings::Instance()->singleMatchAggression);
        Character& holder = *human.GetPlayer(2);
        ASSERT_FALSE(holder.IsKeeper());
        const Vector3 spot = PitchPosition(-0.65f, 0.0f).ToWorld(human.IsFirstSide());
        const float upfield = WorldHeadingOf(PitchPosition(1.0f, 0.0f).ToWorld(human.IsFirstSide()) - spot);
        holder.GetActor()->PlaceInState(spot, upfield + turn, new ActorState(ActorNodes::stand));
        Ball& ball = *PitchSimulation::Instance()->GetBall();
        ball.SetPosition(spot);
        ball.SetVelocity({});
        ASSERT_TRUE(ball.TakePossession(&holder));
        holder.GetActor()->TakeBall(&ball);
        // One order step gives every other player his place for this ball.
        match.Harness().Step();
        for (int side = 0; side < 2; ++side) {
            for (int i = 0; i < TestMatch::Team(side).GetPlayerCount(); ++i) {
                Character& player = *TestMatch::Team(side).GetPlayer(i);
                if (&player != &holder && !player.IsKeeper())
                    player.GetActor()->PlaceInState(player.GetBrain()->GetOrder().point, 0.0f,
                                                    new ActorState(ActorNodes::stand));
            }
        }
        match.RunUntil([&] { return human.GetBallHolder() != &holder; }, kChallengeFrames);
        EXPECT_NE(human.GetBallHolder(), &holder);
    }
}
